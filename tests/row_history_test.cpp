// A monitor row's history over a day against every result kept whole: the
// figures of the whole run, each minute summed up, the last hour kept as it
// came, and the graph over the day drawn from the summaries the same as
// from the full results, at the seam and on both sides of it.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "form/graph_doc.h"
#include "monitor/row_history.h"
#include "reading/ping_replies.h"

namespace velquin::test {
namespace {

using monitor::MinuteSummary;
using monitor::RowHistory;

constexpr long long kMinute = 60'000;
constexpr long long kHour = 3'600'000;
// 2026/12/10 00:00:00 local, in the clock's milliseconds (from 1601).
constexpr long long kMidnight = 13'441'334'400'000LL;

struct Day {
  const char* name;
  long long start;       // the first result's time
  long long step;        // between results
  long long count;       // results
  std::function<int32_t(long long)> value;  // the i-th result
};

// A graph over one history (summaries and the points kept), or over every
// result of a full series.
class HistorySource : public form::GraphSource {
 public:
  explicit HistorySource(const RowHistory& h) : h_(h) {}
  size_t seriesCount() const override { return 1; }
  size_t pointCount(size_t) const override { return h_.size(); }
  Run run(size_t, size_t i) const override { return {h_.times(i), h_.values(i), h_.together(i)}; }
  std::string describe(size_t, size_t) const override { return ""; }
  size_t summaryCount(size_t) const override { return h_.summaryCount(); }
  Summary summary(size_t, size_t i) const override {
    const MinuteSummary& m = h_.summary(i);
    return {h_.summaryFrom(i), kMinute, m.sent, m.received, m.low, m.high, m.sum, m.lost};
  }

 private:
  const RowHistory& h_;
};

class FullSource : public form::GraphSource {
 public:
  explicit FullSource(const reading::PingSeries& s) : s_(s) {}
  size_t seriesCount() const override { return 1; }
  size_t pointCount(size_t) const override { return s_.size(); }
  Run run(size_t, size_t i) const override { return {s_.times(i), s_.values(i), s_.together(i)}; }
  std::string describe(size_t, size_t) const override { return ""; }

 private:
  const reading::PingSeries& s_;
};

// What one minute of the full results holds.
struct Figures {
  long long sent = 0, received = 0, low = 0, high = 0, sum = 0, jitter = 0;
  int32_t lost = 0;
  bool operator==(const Figures&) const = default;
};

void count(Figures& f, int32_t v, int32_t before) {
  ++f.sent;
  if (v < 0) {
    if (f.lost == 0) f.lost = v;
    return;
  }
  f.low = f.received ? std::min<long long>(f.low, v) : v;
  f.high = f.received ? std::max<long long>(f.high, v) : v;
  ++f.received;
  f.sum += v;
  if (before >= 0) f.jitter += std::abs(v - before);
}

const Day kDays[] = {
    // Replies of 0 to 249 ms with losses of every kind among them and an
    // hour without an answer, started 5 s into a minute: the hour behind
    // the newest result begins within a minute, which stays whole.
    {"losses", kMidnight + 5'000, 1000, 86'400,
     [](long long i) -> int32_t {
       if (i >= 30'000 && i < 33'600) return reading::kTimedOut;
       if (i % 13 == 0) return reading::kTimedOut;
       if (i % 97 == 0) return reading::kUnreachable;
       if (i % 211 == 0) return reading::kTtlExpired;
       if (i % 307 == 0) return reading::kGeneralFailure;
       return int32_t(i % 250);
     }},
    // A row that never answered.
    {"never answered", kMidnight, 1000, 86'400, [](long long) { return reading::kTimedOut; }},
    // Replies too long for a minute's sums: the minute goes on in a second
    // summary.
    {"sums beyond a minute's room", kMidnight, 1000, 3 * 3'600,
     [](long long i) { return int32_t(i % 60 < 5 ? 2'000'000'000 : i % 9); }},
};

TEST(RowHistory, ADayOfResultsKeepsTheLastHourWholeAndEveryFigureExact) {
  for (const Day& d : kDays) {
    SCOPED_TRACE(d.name);
    RowHistory h("192.168.1.10");
    reading::PingSeries full("192.168.1.10");
    for (long long i = 0; i < d.count; ++i) {
      const long long t = d.start + i * d.step;
      h.add(t, d.value(i));
      full.add(t, d.value(i));
    }
    // The whole run's figures, as the list shows them.
    EXPECT_EQ(h.sent(), full.sent());
    EXPECT_EQ(h.received(), full.received());
    EXPECT_EQ(h.sum(), full.sum());
    EXPECT_EQ(h.jitterSum(), full.jitterSum());
    if (full.received()) {
      EXPECT_EQ(h.min(), full.min());
      EXPECT_EQ(h.max(), full.max());
    }

    // Kept whole: the full results from the minute an hour before the
    // newest one, and nothing older.
    const long long newest = full.time(full.size() - 1);
    const long long cut = (newest - kHour) / kMinute * kMinute;
    size_t first = 0;
    while (full.time(first) < cut) ++first;
    ASSERT_EQ(h.size(), full.size() - first);
    for (size_t i = 0; i < h.size(); ++i) {
      ASSERT_EQ(h.time(i), full.time(first + i)) << i;
      ASSERT_EQ(h.value(i), full.value(first + i)) << i;
    }

    // Every minute before it, summed up exactly, the change to a minute's
    // first reply counted in that minute.
    std::map<long long, Figures> want, got;
    int32_t before = -1;
    for (size_t i = 0; i < first; ++i) {
      count(want[full.time(i) / kMinute], full.value(i), before);
      if (full.value(i) >= 0) before = full.value(i);
    }
    for (size_t i = 0; i < h.summaryCount(); ++i) {
      const MinuteSummary& m = h.summary(i);
      Figures& f = got[h.summaryFrom(i) / kMinute];
      if (m.received) {
        f.low = f.received ? std::min<long long>(f.low, m.low) : m.low;
        f.high = f.received ? std::max<long long>(f.high, m.high) : m.high;
      }
      f.sent += m.sent;
      f.received += m.received;
      f.sum += m.sum;
      f.jitter += m.jitterSum;
      if (f.lost == 0) f.lost = m.lost;
    }
    EXPECT_EQ(got.size(), want.size());
    for (const auto& [minute, f] : want) {
      ASSERT_TRUE(got.count(minute)) << minute;
      EXPECT_EQ(got[minute], f) << minute;
    }

    // The graph of the whole day: its frame, and each column of two
    // minutes as the full results fill it, before, at and after the seam.
    HistorySource kept(h);
    FullSource all(full);
    form::GraphDoc a(kept), b(all);
    EXPECT_EQ(a.window().from / kMinute, b.window().from / kMinute);
    EXPECT_EQ(a.window().to, b.window().to);
    const long long from = d.start / kMinute * kMinute;
    const int width = static_cast<int>((newest - from) / (2 * kMinute) + 1);
    std::vector<form::GraphDoc::Column> ca, cb;
    a.columns(0, from, width * 2 * kMinute, width, ca);
    b.columns(0, from, width * 2 * kMinute, width, cb);
    ASSERT_EQ(ca.size(), cb.size());
    for (size_t c = 0; c < ca.size(); ++c) {
      ASSERT_EQ(ca[c].any, cb[c].any) << c;
      EXPECT_EQ(ca[c].lost, cb[c].lost) << c;
      if (!cb[c].any) continue;
      EXPECT_EQ(ca[c].low, cb[c].low) << c;
      EXPECT_EQ(ca[c].high, cb[c].high) << c;
      EXPECT_EQ(ca[c].sum, cb[c].sum) << c;
      EXPECT_EQ(ca[c].count, cb[c].count) << c;
    }
    // Columns of ten seconds across the seam: on both sides, each holds
    // the lowest, highest and average of its minute, its loss marked once.
    if (h.summaryCount()) {
      std::map<long long, Figures> minutes;
      int32_t last = -1;
      for (size_t i = 0; i < full.size(); ++i) {
        count(minutes[full.time(i) / kMinute], full.value(i), last);
        if (full.value(i) >= 0) last = full.value(i);
      }
      const long long near = h.time(0) / kMinute * kMinute - 2 * kMinute;
      std::vector<form::GraphDoc::Column> narrow;
      a.columns(0, near, 4 * kMinute, 24, narrow);
      for (size_t c = 0; c + 1 < narrow.size(); ++c) {
        const Figures& f = minutes[near / kMinute + static_cast<long long>(c / 6)];
        ASSERT_EQ(narrow[c].any, f.received > 0) << c;
        EXPECT_EQ(narrow[c].lost, c % 6 == 0 ? f.lost : 0) << c;
        if (!f.received) continue;
        EXPECT_EQ(narrow[c].low, f.low) << c;
        EXPECT_EQ(narrow[c].high, f.high) << c;
        EXPECT_EQ(narrow[c].average(), (f.sum + f.received / 2) / f.received) << c;
      }
    }
    // The columns left of the seam are summed, those right of it not.
    if (h.summaryCount()) {
      const size_t seam = static_cast<size_t>((h.time(0) - from) / (2 * kMinute));
      EXPECT_TRUE(ca[seam - 1].summed);
      EXPECT_FALSE(ca[seam + 1].summed);
      EXPECT_FALSE(cb[seam - 1].summed);
    }
  }
}

TEST(RowHistory, OverSummedMinutesTheGraphFillsTheirColumnsScalesAndFindsThem) {
  // An hour of 150 to 159 ms, then an hour of 5 ms, a request lost now
  // and then: the first hour summed up.
  RowHistory h("h");
  for (long long i = 0; i < 2 * 3'600; ++i)
    h.add(kMidnight + i * 1000, i % 59 == 0 ? reading::kTimedOut : i < 3'600 ? int32_t(150 + i % 10) : 5);
  HistorySource kept(h);
  form::GraphDoc g(kept);
  ASSERT_GT(h.summaryCount(), 50u);
  // Columns of ten seconds: each of them within a summed minute holds
  // that minute's lowest, highest and average.
  std::vector<form::GraphDoc::Column> cols;
  g.columns(0, kMidnight + 10 * kMinute, 2 * kMinute, 12, cols);
  for (size_t c = 0; c < cols.size(); ++c) {
    const MinuteSummary& m = h.summary(10 + c / 6);
    EXPECT_TRUE(cols[c].any && cols[c].summed) << c;
    // A minute's loss is marked once, in its first column (the last
    // column holds the minute that begins at the frame's end too).
    if (c < 11) EXPECT_EQ(cols[c].lost, c % 6 == 0 ? m.lost : 0) << c;
    EXPECT_EQ(cols[c].low, m.low) << c;
    EXPECT_EQ(cols[c].high, m.high) << c;
    EXPECT_EQ(cols[c].average(), kept.summary(0, 10 + c / 6).average()) << c;
  }
  // Columns of a minute each: the summed minutes fill theirs, the last
  // hour is drawn from its points.
  g.columns(0, kMidnight, 120 * kMinute, 120, cols);
  for (size_t c = 0; c < cols.size(); ++c) EXPECT_EQ(cols[c].summed, c < h.summaryCount()) << c;
  // The scale stands above the summed values, as above the points.
  EXPECT_EQ(g.autoTop(), 200);
  // The mouse finds the minute it is over, or the point past the seam.
  const struct {
    long long at;
    bool summary;
    long long time;  // of the point, or the summary's minute
  } cases[] = {
      {kMidnight + 90'500, true, kMidnight + kMinute},
      {kMidnight + 10 * kMinute, true, kMidnight + 10 * kMinute},
      {h.time(0) - 1, true, h.time(0) - kMinute},
      {h.time(0) + 400, false, h.time(0)},
      {h.time(0) + 1'600, false, h.time(0) + 2'000},
  };
  for (const auto& c : cases) {
    const form::GraphDoc::Nearest n = g.nearest(c.at, 5);
    ASSERT_TRUE(n.found) << c.at;
    EXPECT_EQ(n.summary, c.summary) << c.at;
    EXPECT_EQ(n.summary ? h.summaryFrom(n.index) : h.time(n.index), c.time) << c.at;
  }
}

}  // namespace
}  // namespace velquin::test
