#pragma once
// The hosts that the monitor watches, as the user writes them, one a line:
// names, IPv4 or IPv6 addresses, and IPv4 ranges, "192.168.1.1-254" (the
// last number's range) or "192.168.1.0/24" (every address of the block but
// its network and broadcast addresses).

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
// or more hosts than kMaxHosts, refuses the whole list with a message.
HostList readHosts(std::string_view text);

// Two hosts are one when their keys are equal: a name whatever the case of
// its letters, an address by its value ("::1" and "0::1", "FE80::1" and
// "fe80::1"), as the first of them was written.
std::string hostKey(std::string_view host);

// Each form on its own, for the tests and the list's checks.
bool isIpv4(std::string_view s);
bool isIpv6(std::string_view s);
bool isHostName(std::string_view s);

}  // namespace velquin::monitor
