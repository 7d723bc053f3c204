#pragma once
// The echo replies that `ping` prints, read out of the output as it
// arrives: each target from its start line on, every reply with the time
// its line arrived, and the figures of each target as the graph's pane
// shows them. Japanese and English Windows wordings alike.

#include <algorithm>
#include <bit>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace velquin::form {
class OutputText;
class LineTimes;
}  // namespace velquin::form

namespace velquin::reading {

// A reply's value: its round trip in milliseconds (0 and up) or, for a
// request that got no time back, the kind of loss.
enum Lost : int32_t {
  kTimedOut = -1,
  kUnreachable = -2,     // destination host or net unreachable
  kTtlExpired = -3,      // TTL expired in transit
  kGeneralFailure = -4,  // the system could not send it ("PING: transmit failed")
  kRefused = -5,         // a TCP connection that the host refused (a reset)
};

// What one line of `ping` output says.
struct PingLine {
  enum class Kind { Other, Start, Reply };
  Kind kind = Kind::Other;
  std::string target;  // Start: the target as the line names it
  int32_t value = 0;   // Reply: milliseconds, or a Lost kind
};
PingLine readPingLine(std::string_view line);

// A time when a target stopped answering (three requests lost in a row,
// from the first of them) and when it answered again (-1: not yet).
struct Outage {
  long long from = 0;
  long long to = -1;
};

// One target's replies in the order they came, kept in blocks so that a
// day of them costs twelve bytes each and growing never copies them. The
// first blocks are small and double (64, 64, 128, ... 2,048: 4,096 replies
// in all), the rest hold 4,096 each: a monitor of hundreds of hosts that is
// started and stopped again and again takes little more than what its
// rows hold.
class PingSeries {
 public:
  explicit PingSeries(std::string name) : name_(std::move(name)) {}
  const std::string& name() const { return name_; }

  size_t size() const { return size_; }
  long long time(size_t i) const { return *times(i); }
  int32_t value(size_t i) const { return *values(i); }
  // The replies from i on that lie together in memory: their times and
  // values, and how many.
  const long long* times(size_t i) const {
    const Place p = place(i);
    return &blocks_[p.block].time[p.offset];
  }
  const int32_t* values(size_t i) const {
    const Place p = place(i);
    return &blocks_[p.block].value[p.offset];
  }
  size_t together(size_t i) const {
    const Place p = place(i);
    return std::min(p.length - p.offset, size_ - i);
  }
  size_t memoryBytes() const {
    // The blocks hold room up to the end of the last one.
    const size_t room = size_ == 0 ? 0 : size_ - 1 - place(size_ - 1).offset + place(size_ - 1).length;
    return blocks_.capacity() * sizeof(Block) + room * (sizeof(long long) + sizeof(int32_t));
  }

  long long sent() const { return static_cast<long long>(size_); }
  long long received() const { return received_; }
  int32_t min() const { return min_; }
  int32_t max() const { return max_; }
  long long sum() const { return sum_; }
  long long jitterSum() const { return jitterSum_; }
  int lostInRow() const { return lostInRow_; }
  const std::vector<Outage>& outages() const { return outages_; }

  // Adds one reply; true when it began or ended an outage.
  bool add(long long time, int32_t value);

 private:
  static constexpr int kFirstBits = 6;  // the first block: 64 replies
  static constexpr size_t kBlock = 4096;
  struct Block {
    std::unique_ptr<long long[]> time;
    std::unique_ptr<int32_t[]> value;
  };
  // Where reply i lies: its block, its place in it and the block's length.
  struct Place {
    size_t block, offset, length;
  };
  static Place place(size_t i) {
    if (i < (size_t{1} << kFirstBits)) return {0, i, size_t{1} << kFirstBits};
    if (i < kBlock) {
      const int bits = static_cast<int>(std::bit_width(i)) - 1;  // 2^bits <= i
      return {static_cast<size_t>(bits - kFirstBits + 1), i - (size_t{1} << bits),
              size_t{1} << bits};
    }
    constexpr size_t kSmall = static_cast<size_t>(std::bit_width(kBlock) - 1 - kFirstBits + 1);
    return {kSmall + i / kBlock - 1, i % kBlock, kBlock};
  }
  std::string name_;
  std::vector<Block> blocks_;
  size_t size_ = 0;
  long long received_ = 0;
  int32_t min_ = 0;
  int32_t max_ = 0;
  long long sum_ = 0;
  long long jitterSum_ = 0;
  int32_t last_ = -1;  // the last received value
  int lostInRow_ = 0;
  long long firstLost_ = 0;  // time of the first of the losses in a row
  std::vector<Outage> outages_;
};

// Requests lost in a row that make an outage.
inline constexpr int kOutageLosses = 3;

// Every target of one output, in the order their start lines came.
class PingReplies {
 public:
  // One whole line of output and the time it arrived; true when it began
  // or ended an outage.
  bool add(std::string_view line, long long time);
  void clear() { targets_.clear(); }
  const std::vector<std::unique_ptr<PingSeries>>& targets() const { return targets_; }

 private:
  std::vector<std::unique_ptr<PingSeries>> targets_;
  // New targets go to the end; a start line for a target seen before goes
  // on with it.
  PingSeries* current_ = nullptr;
};

// Follows the output view's text: reads each line once it is whole, and
// starts afresh when the text was replaced (a new run).
class PingFollower {
 public:
  struct Read {
    bool grew = false;     // a new target or reply
    bool outage = false;   // an outage began or ended
    bool restarted = false;
  };
  Read follow(const form::OutputText& text, const form::LineTimes& times);
  const PingReplies& replies() const { return replies_; }

 private:
  PingReplies replies_;
  size_t lines_ = 0;        // whole lines read
  size_t bytes_ = 0;        // bytes of text seen
  long long started_ = -1;  // the time of the first line seen
  std::string first_;       // the first line seen (the command line)
};

// "<target>  送信 <s>  受信 <r>  損失 <l> (<p>%)  最小 <min> ms  平均 <avg> ms
// 最大 <max> ms  ジッター <j> ms"
std::string statsLine(const PingSeries& s);
// One line per target, CR LF between them.
std::string statsText(const PingReplies& r);
// n / d with one decimal, halves rounded up ("-" when d is 0).
std::string ratioTenths(long long n, long long d);

// The loss kind as the user reads it.
const char* lostText(int32_t value);

}  // namespace velquin::reading
