#pragma once
// What a TCP connection to a host's port tells the monitor: its outcome as
// a result of the row's series (the time in milliseconds, or the kind of
// loss, a refusal of its own), and the connect times to the microsecond,
// which a loopback or LAN service answers well under a millisecond.

#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace velquin::monitor {

// The result that a connection's outcome adds to the row's series: the
// time rounded to whole milliseconds when it was accepted.
int32_t connectValue(const platform::Platform::ConnectAnswer& a);

// The connect times of a port row, kept beside its series.
struct ConnectTimes {
  long long count = 0;
  int64_t last = -1;  // the latest, -1 once a connection was not accepted
  int64_t min = 0;
  int64_t max = 0;
  int64_t sum = 0;
  void add(int64_t us);
  void lost() { last = -1; }
};

// A time in microseconds as the table shows milliseconds: to a tenth
// below 10 ms ("0.4", "9.9"), whole above ("10", "153").
std::string connectMsText(int64_t us);

}  // namespace velquin::monitor
