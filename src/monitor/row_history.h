#pragma once
// A monitor row's results for as long as it runs, in memory that stays
// flat over days: every result of the last hour as it came, in blocks that
// are let go from the front as they age, and before that one summary a
// minute of the clock (requests, replies, lowest, highest, the sum of the
// replies and of the changes between replies). The figures of the whole
// run are kept as they grow, and the summaries with the results still kept
// add up to them exactly.

#include <algorithm>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace velquin::monitor {

// The results of one minute of the clock (or of part of it, when its
// counts would not fit): 24 bytes, a day of them 34 KB.
struct MinuteSummary {
  int32_t minute : 28;  // from the minute of the row's first result
  int32_t lost : 4;     // the kind of the minute's first loss (below 0), 0: none
  uint16_t sent = 0;
  uint16_t received = 0;
  int32_t low = 0;   // the lowest and highest reply (received > 0)
  int32_t high = 0;
  uint32_t sum = 0;        // of the replies
  uint32_t jitterSum = 0;  // of the changes from each reply to the one before
                           // it, the one before lying in an earlier minute too
  MinuteSummary() : minute(0), lost(0) {}
};

class RowHistory {
 public:
  // Results younger than this, from the start of its minute, are kept whole.
  static constexpr long long kKeptMs = 3'600'000;
  static constexpr long long kMinuteMs = 60'000;

  explicit RowHistory(std::string name = "") : name_(std::move(name)) {}
  const std::string& name() const { return name_; }

  // One result: at a local time in milliseconds, a round trip (0 and up)
  // or the kind of loss (below 0). Results of minutes more than an hour
  // older than it are summed up.
  void add(long long time, int32_t value);

  // The whole run.
  long long sent() const { return sent_; }
  long long received() const { return received_; }
  int32_t min() const { return min_; }
  int32_t max() const { return max_; }
  long long sum() const { return sum_; }
  long long jitterSum() const { return jitterSum_; }

  // The results kept whole, oldest first: at least the last hour's, the
  // newest always among them.
  size_t size() const { return size_; }
  long long time(size_t i) const { return *times(i); }
  int32_t value(size_t i) const { return *values(i); }
  // The kept results from i on that lie together in memory.
  const long long* times(size_t i) const {
    const size_t at = head_ + i;
    return &blocks_[at / kBlock].time[at % kBlock];
  }
  const int32_t* values(size_t i) const {
    const size_t at = head_ + i;
    return &blocks_[at / kBlock].value[at % kBlock];
  }
  size_t together(size_t i) const {
    const size_t at = head_ + i;
    return std::min(kBlock - at % kBlock, size_ - i);
  }

  // The summaries of the older minutes, oldest first.
  size_t summaryCount() const { return summaryCount_; }
  const MinuteSummary& summary(size_t i) const {
    return summaries_[i / kChunk][i % kChunk];
  }
  // The local time at which a summary's minute begins.
  long long summaryFrom(size_t i) const {
    return (origin_ + summary(i).minute) * kMinuteMs;
  }

  // The last reply summed up (-1: none): the change to the first reply
  // kept whole counts from it.
  int32_t lastSummedReply() const { return foldedLast_; }

  // What the row holds in memory, its name aside.
  size_t memoryBytes() const;

 private:
  static constexpr size_t kBlock = 256;  // results a block
  static constexpr size_t kChunk = 256;  // summaries a chunk
  struct Block {
    std::unique_ptr<long long[]> time;
    std::unique_ptr<int32_t[]> value;
  };
  static long long minuteOf(long long time);
  // Sums up the kept results of the minutes before `minute`.
  void fold(long long minute);
  void push(const MinuteSummary& s);

  std::string name_;
  std::deque<Block> blocks_;
  size_t head_ = 0;  // the place of the oldest kept result in the first block
  size_t size_ = 0;
  std::vector<std::unique_ptr<MinuteSummary[]>> summaries_;
  size_t summaryCount_ = 0;
  long long origin_ = 0;      // the minute of the first result
  int32_t foldedLast_ = -1;   // the last reply summed up
  long long sent_ = 0;
  long long received_ = 0;
  int32_t min_ = 0;
  int32_t max_ = 0;
  long long sum_ = 0;
  long long jitterSum_ = 0;
  int32_t last_ = -1;  // the last reply
};

}  // namespace velquin::monitor
