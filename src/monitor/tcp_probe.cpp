#include "monitor/tcp_probe.h"

#include <algorithm>

#include "reading/ping_replies.h"

namespace velquin::monitor {

using Status = platform::Platform::ConnectStatus;

int32_t connectValue(const platform::Platform::ConnectAnswer& a) {
  switch (a.status) {
    case Status::Accepted:
      return static_cast<int32_t>(std::clamp<int64_t>((a.us + 500) / 1000, 0, INT32_MAX));
    case Status::Refused: return reading::kRefused;
    case Status::TimedOut: return reading::kTimedOut;
    case Status::Unreachable: return reading::kUnreachable;
    default: return reading::kGeneralFailure;
  }
}

void ConnectTimes::add(int64_t us) {
  us = std::max<int64_t>(us, 0);
  if (count == 0) {
    min = max = us;
  } else {
    min = std::min(min, us);
    max = std::max(max, us);
  }
  ++count;
  sum += us;
  last = us;
}

std::string connectMsText(int64_t us) {
  const int64_t tenths = (std::max<int64_t>(us, 0) + 50) / 100;
  if (tenths < 100) return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
  return std::to_string((us + 500) / 1000);
}

}  // namespace velquin::monitor
