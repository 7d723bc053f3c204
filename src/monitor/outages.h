#pragma once
// When a monitored host counts as down and when it is back: a row goes
// down when a number of requests in a row are lost (the outage begins at
// the first of them) and comes back when a number of replies in a row
// arrive (the outage ends at the first of them). Fed with each result as
// the monitor records it; gives the events and keeps every outage of the
// run, with the requests lost during it.

#include <cstddef>
#include <string>
#include <vector>

namespace velquin::monitor {

// The lost requests in a row that make a row go down, and the replies in a
// row that bring it back.
struct Thresholds {
  int down = 3;
  int up = 1;
};
inline constexpr int kThresholdMin = 1;
inline constexpr int kThresholdMax = 100;

// One outage of a row; times are local times in milliseconds.
struct OutageRecord {
  size_t row = 0;
  std::string host;
  long long from = 0;
  long long to = -1;  // -1: it lasts
  long long lost = 0;  // requests lost from its start to its end
};

struct OutageEvent {
  enum class Kind { Down, Up };
  Kind kind = Kind::Down;
  size_t outage = 0;  // its place in Outages::list()
};

class Outages {
 public:
  // A new run: no row down, no outage.
  void reset(Thresholds t);
  const Thresholds& thresholds() const { return thresholds_; }

  // One result of the row: answered or lost, at that time. Events are
  // gathered until taken.
  void add(size_t row, const std::string& host, long long time, bool answered);
  std::vector<OutageEvent> takeEvents();

  bool down(size_t row) const { return row < rows_.size() && rows_[row].down; }
  int count(size_t row) const { return row < rows_.size() ? rows_[row].outages : 0; }
  // The rows down now.
  size_t downCount() const { return downCount_; }
  // Whether a row lost a request after the time given.
  bool lostSince(long long time) const;
  // Every outage of the run, oldest first.
  const std::vector<OutageRecord>& list() const { return list_; }

 private:
  struct Watch {
    bool down = false;
    int lostInRow = 0;
    int repliesInRow = 0;
    long long firstLost = 0;   // the first of the losses in a row
    long long firstReply = 0;  // the first of the replies in a row
    size_t outage = 0;         // the outage that lasts, while down
    int outages = 0;
    long long lastLost = -1;
  };

  Thresholds thresholds_;
  std::vector<Watch> rows_;
  std::vector<OutageRecord> list_;
  std::vector<OutageEvent> events_;
  size_t downCount_ = 0;
};

// "1 時間 2 分 3 秒", "3 分 12 秒", "5 秒": a span of milliseconds in whole
// seconds, the larger units only once they count.
std::string spanText(long long ms);

}  // namespace velquin::monitor
