#pragma once
// The monitor's log, written while it runs: at each start a folder named
// by the start time receives its settings, a line per outage event as it
// happens, and a line per row at the end of every minute, each line
// appended and flushed at once, so that a crash loses no event and at most
// the minute in progress. When the folder cannot be written the monitor
// goes on; the log keeps its events, counts the minutes it lost, and
// writes again by itself when it can.

#include <cstdint>
#include <string>
#include <vector>

#include "monitor/outages.h"
#include "platform/platform.h"

namespace velquin::monitor {

struct LogSettings {
  std::string hosts;  // as written
  std::string mode;   // "ホスト", "経路"
  std::string interval, timeout;
  Thresholds thresholds;
};

class MonitorLog {
 public:
  explicit MonitorLog(platform::Platform& os) : os_(os) {}
  ~MonitorLog() { end(); }
  MonitorLog(const MonitorLog&) = delete;
  MonitorLog& operator=(const MonitorLog&) = delete;

  // A new log beneath root (made when needed), in a folder named by the
  // local start time, for the rows' hosts; false when it cannot be made
  // (error() says why; the log tries again at each minute's end).
  bool begin(const std::string& root, long long start, const LogSettings& s,
             const std::vector<std::string>& hosts);
  // The minute's figures of the row take a result (below 0: lost); the
  // minutes before it end first.
  void result(size_t row, long long time, int32_t value);
  // An outage began or ended.
  void event(const OutageRecord& r, OutageEvent::Kind kind);
  // The minutes ended by now are written.
  void tick(long long now);
  // The minute in progress is written, and the log ends.
  void end();

  bool active() const { return active_; }
  const std::string& folder() const { return folder_; }
  // The system's reason when the last write failed; "" while it writes.
  const std::string& error() const { return error_; }

 private:
  struct Minute {
    long long sent = 0, received = 0, sum = 0, jitterSum = 0;
    int32_t min = 0, max = 0, last = -1;
  };
  void endMinute();
  // Appends the lines, after what waits: false (and kept) when it fails.
  bool write(const std::string& file, std::string lines, std::string& waiting);

  platform::Platform& os_;
  bool active_ = false;
  std::string folder_, error_;
  std::vector<std::string> hosts_;
  std::vector<Minute> rows_;
  long long minute_ = -1;  // the minute in progress (local ms / 60,000)
  // What waits to be written to each file.
  std::string settings_, events_, minutes_;
  long long missing_ = 0;  // minutes lost while the folder could not be written
};

// The log's folder name of a local time: "20261210-091500".
std::string logFolderName(long long time);

}  // namespace velquin::monitor
