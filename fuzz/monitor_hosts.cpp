// The monitor's host list: whatever the text, the list is refused with a
// message and no host, or gives at most the limit of hosts, each once (no
// two of one key: a name in another case, an address written another way),
// each a name or an address, and reading the hosts given back gives them
// again.
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
    if (!monitor::isIpv4(h) && !monitor::isIpv6(h) && !monitor::isHostName(h))
      fuzz::fail("a host that is no name nor address");
    again += h + "\r\n";
  }
  const monitor::HostList l2 = monitor::readHosts(again);
  if (!l2.error.empty() || l2.hosts != l.hosts) fuzz::fail("the hosts read back differ");
  return 0;
}
