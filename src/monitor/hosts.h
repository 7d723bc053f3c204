#pragma once
// The hosts that the monitor watches, as the user writes them, one a line:
// names, IPv4 or IPv6 addresses, and IPv4 ranges, "192.168.1.1-254" (the
// last number's range) or "192.168.1.0/24" (every address of the block but
// its network and broadcast addresses). Any of them may end in a port,
// "www.example.jp:443", "[2001:db8::1]:22", "192.168.1.1-20:22": such a
// host is watched by TCP connections to that port, the others by echo.

#include <string>
#include <string_view>
#include <vector>

namespace velquin::monitor {

// The most hosts that one monitor watches.
inline constexpr size_t kMaxHosts = 1024;

struct HostList {
  std::vector<std::string> hosts;  // in the order written, each once (see hostKey)
  std::string error;               // "" when every line was read
};

// Blank lines are skipped; the first line that is none of the forms above,
// whose port is not 1 to 65535, or that has a port where ports are not
// allowed (a route has none), or more hosts than kMaxHosts, refuses the
// whole list with a message. A host with a port is given as
// "name:443", "192.168.1.3:22" or "[2001:db8::1]:22".
HostList readHosts(std::string_view text, bool portsAllowed = true);

// A host of the list split into what is probed and the port (0: none).
struct HostPort {
  std::string host;  // a name or a numeric address, without brackets
  int port = 0;
};
HostPort splitPort(std::string_view host);

// Two hosts are one when their keys are equal: a name whatever the case of
// its letters, an address by its value ("::1" and "0::1", "FE80::1" and
// "fe80::1"), as the first of them was written; with the same port or
// both without.
std::string hostKey(std::string_view host);

// Each form on its own, for the tests and the list's checks.
bool isIpv4(std::string_view s);
bool isIpv6(std::string_view s);
bool isHostName(std::string_view s);

}  // namespace velquin::monitor
