// The monitor's host list: whatever the text, the list is refused with a
// message and no host, or gives at most the limit of hosts, each once (no
// two of one key: a name in another case, an address written another way),
// each a name or an address with or without a port of 1 to 65535, and
// reading the hosts given back gives them again.
#include <set>
#include <string>

#include "monitor/hosts.h"
#include "support/memory_platform.h"

using namespace velquin;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const monitor::HostList l = monitor::readHosts(text);
  if (!l.error.empty()) {
    if (!l.hosts.empty()) fuzz::fail("a refused list gives hosts");
    return 0;
  }
  if (l.hosts.size() > monitor::kMaxHosts) fuzz::fail("more hosts than the limit");
  std::set<std::string> seen;
  std::string again;
  for (const std::string& h : l.hosts) {
    if (!seen.insert(monitor::hostKey(h)).second) fuzz::fail("a host given twice");
    const monitor::HostPort hp = monitor::splitPort(h);
    if (!monitor::isIpv4(hp.host) && !monitor::isIpv6(hp.host) && !monitor::isHostName(hp.host))
      fuzz::fail("a host that is no name nor address");
    if (hp.port < 0 || hp.port > 65535 || (hp.port == 0 && hp.host != h))
      fuzz::fail("a port out of its range");
    again += h + "\r\n";
  }
  const monitor::HostList l2 = monitor::readHosts(again);
  if (!l2.error.empty() || l2.hosts != l.hosts) fuzz::fail("the hosts read back differ");
  return 0;
}
