// Echo replies read out of ping's output: the sample outputs of Japanese
// and English Windows give exactly their figures however the pipe cuts
// them, every kind of line is told apart, and the figures round as users
// read them.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "exec/ansi_decoder.h"
#include "form/graph_doc.h"
#include "form/output_doc.h"
#include "reading/ping_replies.h"
#include "support/ping_samples.h"
#include "support/scripted_platform.h"

namespace velquin::test {
namespace {

using reading::PingLine;

std::string sampleBytes(const std::string& name) {
  std::ifstream in(std::string(VELQUIN_TEST_SOURCE) + "/samples/ping/" + name,
                   std::ios::binary);
  EXPECT_TRUE(in) << name;
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The output as the view holds it after the pipe delivered the bytes in
// the reads given (cut at the offsets), decoded as the runner decodes them;
// the reader follows at every append.
std::string figuresAfterReads(platform::Platform& os, const std::string& bytes,
                              std::vector<size_t> cuts) {
  std::string text = "ping\r\n";
  form::OutputDoc doc(text);
  doc.reset();
  reading::PingFollower follower;
  follower.follow(doc.text(), doc.times());
  exec::AnsiDecoder decoder(os);
  cuts.push_back(bytes.size());
  size_t from = 0;
  for (size_t cut : cuts) {
    decoder.decode(std::string_view(bytes).substr(from, cut - from), text);
    doc.appended();
    follower.follow(doc.text(), doc.times());
    from = cut;
  }
  return reading::statsText(follower.replies());
}

TEST(PingReplies, EverySampleGivesItsFiguresWhereverThePipeCutsIt) {
  ScriptedPlatform os;
  for (const PingSample& s : kPingSamples) {
    const std::string bytes = sampleBytes(s.file);
    ASSERT_FALSE(bytes.empty()) << s.file;
    EXPECT_EQ(figuresAfterReads(os, bytes, {}), s.figures) << s.file;
    // Two reads, cut at every byte: within a start line, a reply, a
    // Shift-JIS character, between CR and LF.
    for (size_t cut = 1; cut < bytes.size(); ++cut)
      ASSERT_EQ(figuresAfterReads(os, bytes, {cut}), s.figures) << s.file << " cut at " << cut;
  }
}

TEST(PingReplies, EveryKindOfLine) {
  struct Case {
    const char* line;
    PingLine::Kind kind;
    int32_t value;
    const char* target;
  };
  using K = PingLine::Kind;
  const Case cases[] = {
      // Start lines, as each names its target.
      {"192.168.1.1 に ping を送信しています 32 バイトのデータ:", K::Start, 0, "192.168.1.1"},
      {"www.example.jp [203.0.113.7]に ping を送信しています 32 バイトのデータ:", K::Start, 0,
       "www.example.jp [203.0.113.7]"},
      {"Pinging 10.0.0.1 with 32 bytes of data:", K::Start, 0, "10.0.0.1"},
      {"Pinging host [::1] with 32 bytes of data:", K::Start, 0, "host [::1]"},
      {"Pinging with 32 bytes of data:", K::Other, 0, ""},
      {"に ping を送信しています", K::Other, 0, ""},
      // Replies with a time, blanks around "=" and "<" as any version has them.
      {"192.168.1.1 からの応答: バイト数 =32 時間 =3ms TTL=64", K::Reply, 3, ""},
      {"192.168.1.1 からの応答: バイト数=32 時間=12ms TTL=64", K::Reply, 12, ""},
      {"192.168.1.1 からの応答: バイト数 = 32 時間 = 7 ms TTL = 64", K::Reply, 7, ""},
      {"192.168.1.1 からの応答: バイト数 =32 時間 <1ms TTL=64", K::Reply, 0, ""},
      {"2001:db8::1 からの応答: 時間 =5ms", K::Reply, 5, ""},
      {"Reply from 10.0.0.1: bytes=32 time=1000ms TTL=128", K::Reply, 1000, ""},
      {"Reply from 10.0.0.1: bytes=32 time<1ms TTL=128", K::Reply, 0, ""},
      {"Reply from 10.0.0.1: bytes=32 time = 9ms TTL=128", K::Reply, 9, ""},
      {"Reply from 2001:db8::1: time=5ms ", K::Reply, 5, ""},
      // Lost requests of every kind.
      {"要求がタイムアウトしました。", K::Reply, reading::kTimedOut, ""},
      {"Request timed out.", K::Reply, reading::kTimedOut, ""},
      {"192.168.1.10 からの応答: 宛先ホストに到達できません。", K::Reply, reading::kUnreachable, ""},
      {"192.168.1.10 からの応答: 宛先ネットワークに到達できません。", K::Reply,
       reading::kUnreachable, ""},
      {"Reply from 10.0.0.254: Destination host unreachable.", K::Reply, reading::kUnreachable,
       ""},
      {"Reply from 10.0.0.254: Destination net unreachable.", K::Reply, reading::kUnreachable, ""},
      {"198.51.100.1 からの応答: 転送中に TTL が期限切れになりました。", K::Reply,
       reading::kTtlExpired, ""},
      {"Reply from 198.51.100.1: TTL expired in transit.", K::Reply, reading::kTtlExpired, ""},
      {"PING: 転送に失敗しました。一般エラーです。", K::Reply, reading::kGeneralFailure, ""},
      {"PING: transmit failed. General failure.", K::Reply, reading::kGeneralFailure, ""},
      {"PING: transmit failed. Error code 1231.", K::Reply, reading::kGeneralFailure, ""},
      {"PING: 転送に失敗しました。エラー コード 1231。", K::Reply, reading::kGeneralFailure, ""},
      // Statistics, other commands' lines and broken replies are no replies.
      {"    最小 = 0ms、最大 = 12ms、平均 = 4ms", K::Other, 0, ""},
      {"192.168.1.1 の ping 統計:", K::Other, 0, ""},
      {"    Packets: Sent = 5, Received = 4, Lost = 1 (20% loss),", K::Other, 0, ""},
      {"Control-Break", K::Other, 0, ""},
      {"PING: bad option -z.", K::Other, 0, ""},
      {"  2     *        *        *     要求がタイムアウトしました。", K::Other, 0, ""},
      {"  2     *        *        *     Request timed out.", K::Other, 0, ""},
      {"  1    <1 ms    <1 ms    <1 ms  192.168.1.1", K::Other, 0, ""},
      {"Reply from 10.0.0.1: bytes=32 time=ms TTL=128", K::Other, 0, ""},
      {"Reply from 10.0.0.1: bytes=32 time=5 TTL=128", K::Other, 0, ""},
      {"Reply from 10.0.0.1: bytes=32 time:5ms", K::Other, 0, ""},
      {"192.168.1.1 からの応答: バイト数 =32", K::Other, 0, ""},
      {"  TCP    0.0.0.0:135    0.0.0.0:0    LISTENING", K::Other, 0, ""},
  };
  for (const Case& c : cases) {
    const PingLine p = reading::readPingLine(c.line);
    EXPECT_EQ(p.kind, c.kind) << c.line;
    EXPECT_EQ(p.value, c.value) << c.line;
    EXPECT_EQ(p.target, c.target) << c.line;
  }
}

// Lines fed as they would arrive, each with its time.
reading::PingReplies feed(const std::vector<std::string>& lines) {
  reading::PingReplies r;
  long long t = 0;
  for (const std::string& l : lines) r.add(l, t += 1000);
  return r;
}

TEST(PingReplies, RepliesBelongToTheTargetOfTheLastStartLine) {
  const reading::PingReplies r = feed({
      "Reply from 10.0.0.9: bytes=32 time=50ms TTL=64",  // before any start: no target
      "Request timed out.",
      "Pinging a with 32 bytes of data:",
      "Reply from 10.0.0.1: bytes=32 time=4ms TTL=64",
      "b に ping を送信しています 32 バイトのデータ:",
      "10.0.0.2 からの応答: バイト数 =32 時間 =8ms TTL=64",
      "10.0.0.3 からの応答: 宛先ホストに到達できません。",  // another address: still b
      "Pinging a with 32 bytes of data:",                  // a again goes on with a
      "Reply from 10.0.0.1: bytes=32 time=6ms TTL=64",
  });
  EXPECT_EQ(reading::statsText(r),
            "a  送信 2  受信 2  損失 0 (0.0%)  最小 4 ms  平均 5.0 ms  最大 6 ms  ジッター 2.0 ms\r\n"
            "b  送信 2  受信 1  損失 1 (50.0%)  最小 8 ms  平均 8.0 ms  最大 8 ms  ジッター - ms");
  ASSERT_EQ(r.targets().size(), 2u);
  EXPECT_EQ(r.targets()[1]->time(1), 7000);
  EXPECT_EQ(r.targets()[1]->value(1), reading::kUnreachable);
}

TEST(PingReplies, FiguresRoundHalvesUpAndReadDashWithoutReplies) {
  auto figures = [](const std::vector<int32_t>& values) {
    reading::PingSeries s("t");
    for (int32_t v : values) s.add(0, v);
    const std::string line = reading::statsLine(s);
    return line.substr(line.find("損失"));
  };
  constexpr int32_t kLost = reading::kTimedOut;
  EXPECT_EQ(figures({}), "損失 0 (-%)  最小 - ms  平均 - ms  最大 - ms  ジッター - ms");
  EXPECT_EQ(figures({kLost, reading::kGeneralFailure}),
            "損失 2 (100.0%)  最小 - ms  平均 - ms  最大 - ms  ジッター - ms");
  EXPECT_EQ(figures({7, kLost}), "損失 1 (50.0%)  最小 7 ms  平均 7.0 ms  最大 7 ms  ジッター - ms");
  // 2.25 ms and 6.25 % go up, as a user rounds (not to the even digit).
  EXPECT_EQ(figures({2, 2, 2, 3}),
            "損失 0 (0.0%)  最小 2 ms  平均 2.3 ms  最大 3 ms  ジッター 0.3 ms");
  EXPECT_EQ(reading::ratioTenths(100, 16), "6.3");
  EXPECT_EQ(reading::ratioTenths(100, 8), "12.5");
  EXPECT_EQ(reading::ratioTenths(200, 3), "66.7");
  EXPECT_EQ(reading::ratioTenths(1, 30), "0.0");
  EXPECT_EQ(reading::ratioTenths(5, 0), "-");
  // Jitter joins the replies on either side of a loss.
  EXPECT_EQ(figures({10, kLost, kLost, 30, 20}),
            "損失 2 (40.0%)  最小 10 ms  平均 20.0 ms  最大 30 ms  ジッター 15.0 ms");
}

TEST(PingReplies, ThreeLostInARowMakeAnOutageUntilAReplyComes) {
  reading::PingSeries s("t");
  constexpr int32_t kLost = reading::kTimedOut;
  const struct {
    int32_t value;
    bool event;
  } steps[] = {{5, false},     {kLost, false}, {kLost, false}, {3, false},
               {kLost, false}, {reading::kUnreachable, false}, {kLost, true},
               {kLost, false}, {4, true},      {6, false}};
  long long t = 0;
  for (const auto& step : steps) EXPECT_EQ(s.add(t += 1000, step.value), step.event) << t;
  ASSERT_EQ(s.outages().size(), 1u);
  EXPECT_EQ(s.outages()[0].from, 5000);  // the first of the losses in a row
  EXPECT_EQ(s.outages()[0].to, 9000);
}

TEST(PingReplies, ALongSeriesReadsBackWholeInTheRunsThatLieTogether) {
  // The runs that the graph paints from: each starts where the last ended
  // and together they give back every reply in order. Small first blocks
  // double, then blocks of 4,096.
  struct Case {
    size_t count;
    std::vector<size_t> starts;
  };
  const Case cases[] = {
      {1, {0}},
      {64, {0}},
      {65, {0, 64}},
      {4096, {0, 64, 128, 256, 512, 1024, 2048}},
      {10'000, {0, 64, 128, 256, 512, 1024, 2048, 4096, 8192}},
  };
  for (const Case& c : cases) {
    reading::PingSeries s("127.0.0.1");
    for (size_t i = 0; i < c.count; ++i)
      s.add(static_cast<long long>(i) * 10, static_cast<int32_t>(i % 997) - 4);
    std::vector<size_t> starts;
    size_t i = 0;
    while (i < s.size()) {
      starts.push_back(i);
      const size_t n = s.together(i);
      ASSERT_GT(n, 0u);
      for (size_t k = 0; k < n; ++k) {
        ASSERT_EQ(s.times(i)[k], static_cast<long long>(i + k) * 10) << c.count << " " << i + k;
        ASSERT_EQ(s.values(i)[k], static_cast<int32_t>((i + k) % 997) - 4);
        ASSERT_EQ(s.time(i + k), s.times(i)[k]);
      }
      i += n;
    }
    EXPECT_EQ(i, c.count);
    EXPECT_EQ(starts, c.starts) << c.count;
    EXPECT_GE(s.memoryBytes(), c.count * 12);
    EXPECT_LE(s.memoryBytes(), c.count * 12 * 2 + 1024) << c.count;
  }
}

TEST(PingReplies, ANewTextStartsAfreshAndAGrowingLineWaits) {
  std::string text = "ping a\r\n";
  form::OutputDoc doc(text);
  long long now = 1000;
  doc.setClock([&now] { return now; });
  doc.reset();
  reading::PingFollower f;
  f.follow(doc.text(), doc.times());
  text += "Pinging a with 32 bytes of data:\r\nReply from a: bytes=32 time=5";
  doc.appended();
  EXPECT_TRUE(f.follow(doc.text(), doc.times()).grew);  // the target
  EXPECT_EQ(f.replies().targets()[0]->size(), 0u);      // the reply's line is not whole
  text += "0ms TTL=1\r\n";
  now = 2500;
  doc.appended();
  f.follow(doc.text(), doc.times());
  ASSERT_EQ(f.replies().targets()[0]->size(), 1u);
  EXPECT_EQ(f.replies().targets()[0]->value(0), 50);
  EXPECT_EQ(f.replies().targets()[0]->time(0), 1000);  // when its first byte came

  // The next run: a text of its own, longer or shorter than the last.
  for (std::string next : {"ping b\r\n", "ping b with a much longer command line than before\r\n"}) {
    text = next;
    now += 1000;
    doc.reset();
    EXPECT_TRUE(f.follow(doc.text(), doc.times()).restarted) << next;
    EXPECT_TRUE(f.replies().targets().empty()) << next;
  }
  // Even within the same millisecond, a text whose first line differs is
  // another run.
  text = "ping c with an even longer command line than both before it\r\n";
  doc.reset();
  EXPECT_TRUE(f.follow(doc.text(), doc.times()).restarted);
}

// A source of points given as a table: series of (time, value).
class TableSource : public form::GraphSource {
 public:
  std::vector<std::vector<std::pair<long long, int32_t>>> series;
  size_t seriesCount() const override { return series.size(); }
  size_t pointCount(size_t s) const override { return series[s].size(); }
  // One point a run, as a source whose points lie apart would give them.
  Run run(size_t s, size_t i) const override {
    return {&series[s][i].first, &series[s][i].second, 1};
  }
  std::string describe(size_t, size_t) const override { return ""; }
};

TEST(GraphDoc, TheScaleStandsAboveNearlyEveryValueInTheRange) {
  TableSource src;
  form::GraphDoc doc(src);
  EXPECT_EQ(doc.autoTop(), 10);  // nothing yet
  struct Case {
    std::vector<int32_t> values;
    int top;
  };
  std::vector<int32_t> spiky(30, 12);
  spiky[7] = 3000;
  std::vector<int32_t> twoSpikes(30, 12);
  twoSpikes[3] = twoSpikes[9] = 900;
  // From ten values on, one spike is left above the scale; below ten, none.
  std::vector<int32_t> tenWithSpike(10, 12), nineWithSpike(9, 12);
  tenWithSpike[4] = nineWithSpike[4] = 900;
  const Case cases[] = {
      {{3, 0, 9}, 10},      {{3, 10}, 10},         {{0, 12, -1}, 20},
      {{7, 0, 1000}, 1000}, {{150, -1, 499}, 500}, {spiky, 20},
      {twoSpikes, 1000},  {tenWithSpike, 20},    {nineWithSpike, 1000},
      {{-1, -1}, 10},
  };
  for (const Case& c : cases) {
    src.series = {{}};
    long long t = 0;
    for (int32_t v : c.values) src.series[0].push_back({t += 1000, v});
    EXPECT_EQ(doc.autoTop(), c.top) << c.values.size() << " values, first " << c.values[0];
  }
  doc.setFixedTop(50);
  EXPECT_EQ(doc.top(), 50);
  doc.setFixedTop(0);
  EXPECT_EQ(doc.top(), 10);
}

TEST(GraphDoc, TheRangeEndsAtTheNewestPointAndTheNearestPointIsFound) {
  TableSource src;
  // Two series: one old and slow, one newer.
  src.series = {{{0, 900}, {100'000, 4}, {170'000, 5}},
                {{110'000, 30}, {150'000, -1}, {200'000, 6}}};
  form::GraphDoc doc(src);
  int shown = 0;
  doc.onShow = [&shown] { ++shown; };
  form::GraphDoc::Window w = doc.window();
  EXPECT_EQ(w.from, 0);
  EXPECT_EQ(w.to, 200'000);
  EXPECT_EQ(doc.frame().from, 0);
  EXPECT_EQ(doc.frame().span, 200'000);
  EXPECT_EQ(doc.autoTop(), 1000);
  doc.setSpan(60'000);  // the last minute: the old spike is out of it
  EXPECT_EQ(shown, 1);
  w = doc.window();
  EXPECT_EQ(w.from, 140'000);
  EXPECT_EQ(doc.frame().from, 140'000);
  EXPECT_EQ(doc.frame().span, 60'000);
  EXPECT_EQ(doc.firstFrom(0, w.from), 2u);
  EXPECT_EQ(doc.firstFrom(1, w.from), 1u);
  EXPECT_EQ(doc.autoTop(), 10);
  doc.setSpan(60'000);
  EXPECT_EQ(shown, 1);  // no change, no drawing

  struct Probe {
    long long time;
    int value;
    size_t series, index;
  };
  const Probe probes[] = {
      {171'000, 0, 0, 2},  // 170 s is nearest
      {152'000, 0, 1, 1},  // the loss at 150 s
      {199'000, 0, 1, 2},
      {160'000, 5, 0, 2},  // 150 s and 170 s alike: the nearer value wins
      {160'000, 0, 1, 1},
      {1'000, 0, 1, 1},    // before the range: its first point
  };
  for (const Probe& p : probes) {
    const form::GraphDoc::Nearest n = doc.nearest(p.time, p.value);
    ASSERT_TRUE(n.found) << p.time;
    EXPECT_EQ(n.series * 10 + n.index, p.series * 10 + p.index) << p.time << " " << p.value;
  }
  // Points of one moment stand in the middle of ten seconds.
  doc.setSpan(0);
  src.series = {{{50'000, 3}}, {{50'000, 4}}};
  EXPECT_EQ(doc.frame().from, 45'000);
  EXPECT_EQ(doc.frame().span, 10'000);
  src.series = {{}, {}};
  EXPECT_FALSE(doc.nearest(0, 0).found);
  EXPECT_TRUE(doc.window().empty);
}

// Many points to a pixel column are drawn as the column's first, lowest,
// highest and last; a loss breaks the line and marks its column.
TEST(GraphDoc, ColumnsKeepTheirExtremesAndLossesBreakTheLine) {
  TableSource src;
  src.series = {{{0, 5}, {10, 9}, {20, 0}, {30, 4},  // column 0: 5 9 0 (<1ms) 4
                 {100, 7},                          // column 1, joined
                 {250, -1},                         // column 2: a timeout
                 {260, 6},                          // after it: not joined
                 {520, 3}, {530, -3}, {540, 8},     // column 5
                 {800, 2},                          // column 8: joined to the 8
                 {1000, 9},                         // the end itself: the last column
                 {1001, 7}}};                       // past the end
  form::GraphDoc doc(src);
  std::vector<form::GraphDoc::Column> cols;
  doc.columns(0, 0, 1000, 10, cols);
  ASSERT_EQ(cols.size(), 10u);
  auto show = [](const form::GraphDoc::Column& c) {
    if (!c.any) return c.lost ? "lost " + std::to_string(c.lost) : std::string("-");
    return std::string(c.joined ? "joined " : "") + std::to_string(c.first) + " " +
           std::to_string(c.low) + " " + std::to_string(c.high) + " " + std::to_string(c.last) +
           (c.lost ? " lost " + std::to_string(c.lost) : "");
  };
  std::vector<std::string> got;
  for (const auto& c : cols) got.push_back(show(c));
  EXPECT_EQ(got, (std::vector<std::string>{"5 0 9 4", "joined 7 7 7 7", "6 6 6 6 lost -1", "-",
                                           "-", "joined 3 3 8 8 lost -3", "-", "-", "joined 2 2 2 2",
                                           "joined 9 9 9 9"}));
  // A window that starts later leaves the earlier points out: its line
  // starts at its first point.
  doc.columns(0, 500, 500, 5, cols);
  got.clear();
  for (const auto& c : cols) got.push_back(show(c));
  EXPECT_EQ(got, (std::vector<std::string>{"3 3 8 8 lost -3", "-", "-", "joined 2 2 2 2",
                                           "joined 9 9 9 9"}));
}

}  // namespace
}  // namespace velquin::test
