#include "monitor/row_history.h"

#include <cstdlib>
#include <limits>

namespace velquin::monitor {

long long RowHistory::minuteOf(long long time) {
  // Down to the minute, times before the clock's zero included.
  return time >= 0 ? time / kMinuteMs : -((-time + kMinuteMs - 1) / kMinuteMs);
}

void RowHistory::add(long long time, int32_t value) {
  if (sent_ == 0) origin_ = minuteOf(time);
  const size_t at = head_ + size_;
  if (at % kBlock == 0)
    blocks_.push_back({std::make_unique_for_overwrite<long long[]>(kBlock),
                       std::make_unique_for_overwrite<int32_t[]>(kBlock)});
  blocks_.back().time[at % kBlock] = time;
  blocks_.back().value[at % kBlock] = value;
  ++size_;
  ++sent_;
  if (value >= 0) {
    min_ = received_ == 0 ? value : std::min(min_, value);
    max_ = received_ == 0 ? value : std::max(max_, value);
    ++received_;
    sum_ += value;
    if (last_ >= 0) jitterSum_ += std::abs(value - last_);
    last_ = value;
  }
  fold(minuteOf(time - kKeptMs));
}

void RowHistory::fold(long long minute) {
  if (size_ == 0 || minuteOf(time(0)) >= minute) return;
  MinuteSummary open;
  long long openMinute = 0;
  bool any = false;
  auto close = [&] {
    if (any) push(open);
    open = MinuteSummary();
    any = false;
  };
  // The newest result is never summed up: its minute is the cut's or later.
  while (size_ > 1) {
    const long long t = time(0);
    const long long m = minuteOf(t);
    if (m >= minute) break;
    const int32_t v = value(0);
    const uint32_t change = v >= 0 && foldedLast_ >= 0 ? static_cast<uint32_t>(std::abs(v - foldedLast_)) : 0;
    const uint32_t most = std::numeric_limits<uint32_t>::max();
    // A minute's counts that would not fit go on in a summary of its own.
    if (any && (m != openMinute || open.sent == std::numeric_limits<uint16_t>::max() ||
                (v >= 0 && (most - open.sum < static_cast<uint32_t>(v) || most - open.jitterSum < change))))
      close();
    if (!any) {
      open.minute = static_cast<int32_t>(m - origin_);
      openMinute = m;
      any = true;
    }
    ++open.sent;
    if (v >= 0) {
      open.low = open.received == 0 ? v : std::min(open.low, v);
      open.high = open.received == 0 ? v : std::max(open.high, v);
      ++open.received;
      open.sum += static_cast<uint32_t>(v);
      open.jitterSum += change;
      foldedLast_ = v;
    } else if (open.lost == 0) {
      open.lost = std::max(v, -8);
    }
    // The oldest result goes; its block with it once it was the last there.
    ++head_;
    --size_;
    if (head_ == kBlock) {
      blocks_.pop_front();
      head_ = 0;
    }
  }
  close();
}

void RowHistory::push(const MinuteSummary& s) {
  if (summaryCount_ % kChunk == 0)
    summaries_.push_back(std::make_unique<MinuteSummary[]>(kChunk));
  summaries_.back()[summaryCount_ % kChunk] = s;
  ++summaryCount_;
}

size_t RowHistory::memoryBytes() const {
  return blocks_.size() * (sizeof(Block) + kBlock * (sizeof(long long) + sizeof(int32_t))) +
         summaries_.capacity() * sizeof(summaries_[0]) +
         summaries_.size() * kChunk * sizeof(MinuteSummary);
}

}  // namespace velquin::monitor
