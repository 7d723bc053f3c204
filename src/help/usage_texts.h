#pragma once
// The usage texts of the help page, one per item of its selector: ipconfig,
// ping, netstat, nbtstat, route and tracert.

#include <span>
#include <string>

namespace velquin::help {

inline constexpr int kUsageCount = 6;

// The lines of one usage text; item is 0 to kUsageCount - 1.
std::span<const char* const> usageLines(int item);

// The same lines joined by CR LF, as a memo holds them.
std::string usageText(int item);

}  // namespace velquin::help
