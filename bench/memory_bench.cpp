// A day of the monitor in memory: 1,024 hosts at one request a second for
// 24 hours, fed through the monitor's model on a scripted clock (no request
// leaves the program: the answers are made up here, replies of 0 to 80 ms
// with losses of every kind among them). The private memory of the process
// every six hours, and every row's figures against those counted from the
// results as they were given, and against its summaries and kept results
// added up.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <unordered_map>
#include <vector>

#include "bench_window.h"
#include "monitor/monitor.h"
#include "reading/ping_replies.h"
#include "win32/platform_win32.h"

namespace {

using namespace velquin;
using Clock = std::chrono::steady_clock;

constexpr int kRows = 1024;

using bench::processorSeconds;
constexpr long long kDayMs = 86'400'000;
constexpr int64_t kTickMs = 1000;  // each host due once a tick

// The figures of one row, counted from its results as they are given.
struct Figures {
  long long sent = 0, received = 0, sum = 0, jitter = 0;
  int32_t low = 0, high = 0, last = -1;
  void add(int32_t v) {
    ++sent;
    if (v < 0) return;
    low = received ? std::min(low, v) : v;
    high = received ? std::max(high, v) : v;
    ++received;
    sum += v;
    if (last >= 0) jitter += std::abs(v - last);
    last = v;
  }
  bool operator==(const Figures& o) const {
    return sent == o.sent && received == o.received && sum == o.sum && jitter == o.jitter &&
           (received == 0 || (low == o.low && high == o.high));
  }
};

// The same figures added up from a row's summaries and the results it kept.
Figures fromParts(const monitor::RowHistory& h) {
  Figures f;
  for (size_t i = 0; i < h.summaryCount(); ++i) {
    const monitor::MinuteSummary& m = h.summary(i);
    if (m.received) {
      f.low = f.received ? std::min(f.low, m.low) : m.low;
      f.high = f.received ? std::max(f.high, m.high) : m.high;
    }
    f.sent += m.sent;
    f.received += m.received;
    f.sum += m.sum;
    f.jitter += m.jitterSum;
  }
  // The change to the first kept reply counts from the last one summed up.
  Figures rest;
  rest.last = h.lastSummedReply();
  for (size_t i = 0; i < h.size(); ++i) rest.add(h.value(i));
  f.sent += rest.sent;
  if (rest.received) {
    f.low = f.received ? std::min(f.low, rest.low) : rest.low;
    f.high = f.received ? std::max(f.high, rest.high) : rest.high;
  }
  f.received += rest.received;
  f.sum += rest.sum;
  f.jitter += rest.jitter;
  return f;
}

// Echo requests answered at the next look, on a clock of its own.
class DayPlatform : public win32::Win32Platform {
 public:
  long long clock = 13'441'334'400'000LL;  // 2026/12/10 00:00 local
  int64_t steady = 0;
  std::vector<Figures> given = std::vector<Figures>(kRows);
  std::unordered_map<std::string, int> rowOf;

  long long localTimeMs() override { return clock; }
  int64_t steadyMs() override { return steady; }
  uint64_t sendEcho(const std::string& address, int, int) override {
    out_.push_back({next_, rowOf.at(address)});
    return next_++;
  }
  std::vector<EchoAnswer> takeEchoAnswers() override {
    std::vector<EchoAnswer> answers;
    answers.reserve(out_.size());
    for (const Out& o : out_) {
      // A value of the row and its count: mostly replies, some lost.
      const uint64_t k = (static_cast<uint64_t>(o.row) * 2654435761u) ^
                         (static_cast<uint64_t>(given[o.row].sent) * 40503u);
      const int32_t pick = static_cast<int32_t>((k >> 7) % 1000);
      EchoAnswer a{o.id, EchoStatus::Reply, static_cast<int32_t>(k % 81), "127.0.0.1"};
      int32_t value = a.ms;
      if (pick < 15) {
        a.status = EchoStatus::TimedOut;
        value = reading::kTimedOut;
      } else if (pick < 18) {
        a.status = EchoStatus::Unreachable;
        value = reading::kUnreachable;
      }
      // A row of every 64th never answers.
      if (o.row % 64 == 63) {
        a.status = EchoStatus::TimedOut;
        value = reading::kTimedOut;
      }
      given[o.row].add(value);
      answers.push_back(std::move(a));
    }
    out_.clear();
    return answers;
  }
  void cancelEchoes() override { out_.clear(); }

 private:
  struct Out {
    uint64_t id;
    int row;
  };
  std::vector<Out> out_;
  uint64_t next_ = 1;
};

}  // namespace

int wmain() {
  std::printf("monitor memory: %d rows, a day at one request a second, a scripted clock\n",
              kRows);
  DayPlatform os;
  std::vector<std::string> hosts;
  std::vector<std::optional<std::string>> addresses;
  for (int i = 0; i < kRows; ++i) {
    const std::string a = "127.0." + std::to_string(i / 250) + "." + std::to_string(i % 250 + 1);
    hosts.push_back(a);
    addresses.push_back(a);
    os.rowOf[a] = i;
  }
  const double before = bench::privateMiB();
  const Clock::time_point t0 = Clock::now();
  const double cpu0 = processorSeconds();
  monitor::Monitor m(os);
  m.start(hosts, addresses, {monitor::Mode::Hosts, 1000, 1000});
  for (long long at = 0; at <= kDayMs; at += kTickMs) {
    os.steady = at;
    m.tick();
    os.clock += kTickMs;
    if (at > 0 && at % (6 * 3'600'000LL) == 0)
      std::printf("  after %2lld hours: private memory %+.1f MB\n", at / 3'600'000,
                  bench::privateMiB() - before);
  }
  const double seconds = std::chrono::duration<double>(Clock::now() - t0).count();
  const double cpu = processorSeconds() - cpu0;
  const char* counter = nullptr;
  const double grown = bench::privateMiB(&counter) - before;
  size_t held = 0;
  long long results = 0;
  int equal = 0, partsEqual = 0;
  for (size_t i = 0; i < m.rowCount(); ++i) {
    const monitor::RowHistory& h = m.row(i).series;
    held += h.memoryBytes();
    results += h.sent();
    Figures f;
    f.sent = h.sent();
    f.received = h.received();
    f.sum = h.sum();
    f.jitter = h.jitterSum();
    f.low = h.min();
    f.high = h.max();
    equal += f == os.given[i];
    partsEqual += fromParts(h) == os.given[i];
  }
  std::printf("  %lld results in %.1f s, %.1f s of processor time (target: well under a "
              "minute)\n",
              results, seconds, cpu);
  std::printf("  private memory grew by %.1f MB over the day (%s; target: at most 100 MB); "
              "the rows hold %.1f MB\n",
              grown, counter, static_cast<double>(held) / (1024.0 * 1024.0));
  std::printf("  figures: %d of %zu rows equal those of the full results; "
              "%d of %zu add up from their summaries and kept results\n",
              equal, m.rowCount(), partsEqual, m.rowCount());
  return equal == kRows && partsEqual == kRows ? 0 : 1;
}
