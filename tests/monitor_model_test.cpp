// The monitor's probes through the scripted echo interface and clock: the
// requests of a round spread over the interval, the figures of each row,
// names resolved once, the route's hops found up to the host, the reading
// of each hop's losses, sort and copy, and stop ending every request.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "monitor/monitor.h"
#include "monitor/table.h"
#include "support/scripted_platform.h"

namespace velquin::test {
namespace {

using monitor::Losses;
using monitor::Mode;
using monitor::Monitor;
using monitor::State;
using Status = platform::Platform::EchoStatus;
using Answer = platform::Platform::EchoAnswer;

// Moves the scripted clock in steps, ticking the monitor at each.
void runFor(ScriptedPlatform& os, Monitor& m, int64_t ms, int64_t step = 10) {
  for (int64_t end = os.clockMs + ms; os.clockMs < end;) {
    os.clockMs += step;
    m.tick();
  }
}

// Every request answered by its address when the program next looks.
std::optional<Answer> replyAtOnce(const ScriptedPlatform::SentEcho& e) {
  return Answer{0, Status::Reply, 1, e.address};
}

std::string allRows(const Monitor& m) {
  std::vector<size_t> rows;
  for (size_t i = 0; i < m.rowCount(); ++i) rows.push_back(i);
  return monitor::copyText(m, rows);
}

constexpr const char* kHeader = "#\tホスト\t損失%\t送信\t受信\t最新\t平均\t最小\t最大\tジッター\t状態\t障害\r\n";

TEST(MonitorModel, RequestsOfARoundSpreadOverTheInterval) {
  ScriptedPlatform os;
  Monitor m(os);
  std::vector<std::string> hosts;
  for (int i = 1; i <= 256; ++i) hosts.push_back("127.0." + std::to_string(i / 256) + "." + std::to_string(i % 256));
  os.answerEcho = replyAtOnce;
  m.start(hosts, {Mode::Hosts, 1000, 1000});
  // Three intervals ticked every 10 ms: each host three times, a round's
  // requests evenly apart, no tick sending more than its share.
  size_t before = 0, most = 0;
  for (int step = 0; step < 300; ++step) {
    m.tick();
    most = std::max(most, os.echoesSent.size() - before);
    before = os.echoesSent.size();
    os.clockMs += 10;
  }
  // (The last two hosts' slots fall after 990 ms: their third request
  // is due at 3000 ms, after the last tick.)
  ASSERT_EQ(os.echoesSent.size(), 766u);
  EXPECT_LE(most, 4u);
  std::map<std::string, std::vector<int64_t>> times;
  for (const auto& e : os.echoesSent) {
    times[e.address].push_back(e.at);
    EXPECT_EQ(e.ttl, monitor::kHostTtl);
    EXPECT_EQ(e.timeoutMs, 1000);
  }
  for (size_t i = 0; i < hosts.size(); ++i) {
    const std::vector<int64_t>& t = times[hosts[i]];
    const int64_t slot = static_cast<int64_t>(i) * 1000 / 256;
    ASSERT_EQ(t.size(), slot <= 990 ? 3u : 2u) << hosts[i];
    EXPECT_EQ(t[0], (slot + 9) / 10 * 10) << hosts[i];
    EXPECT_EQ(t[1] - t[0], 1000) << hosts[i];
    if (t.size() > 2) EXPECT_EQ(t[2] - t[1], 1000) << hosts[i];
  }
  EXPECT_EQ(m.nextDueMs(), 0);
}

TEST(MonitorModel, AHeldUpProgramLeavesOutLateRequestsRatherThanSendAll) {
  ScriptedPlatform os;
  os.answerEcho = replyAtOnce;
  Monitor m(os);
  m.start({"127.0.0.1", "127.0.0.2", "127.0.0.3", "127.0.0.4"}, {Mode::Hosts, 1000, 500});
  m.tick();
  ASSERT_EQ(os.echoesSent.size(), 1u);
  EXPECT_EQ(m.nextDueMs(), 250);
  // Five seconds without a tick (a modal dialog): nothing goes at once.
  os.clockMs = 5100;
  m.tick();
  EXPECT_EQ(os.echoesSent.size(), 1u);
  EXPECT_EQ(m.nextDueMs(), 150);  // 127.0.0.2 at 5250, in its old place
  os.clockMs = 5250;
  m.tick();
  ASSERT_EQ(os.echoesSent.size(), 2u);
  EXPECT_EQ(os.echoesSent[1].address, "127.0.0.2");
  // Late by less than an interval: sent.
  os.clockMs = 5900;
  m.tick();
  EXPECT_EQ(os.echoesSent.size(), 4u);
  // Both ends: 127.0.0.1 late by exactly an interval is left out, the
  // others, late by less, go.
  os.clockMs = 7000;
  m.tick();
  ASSERT_EQ(os.echoesSent.size(), 7u);
  EXPECT_EQ(os.echoesSent[4].address, "127.0.0.2");
  EXPECT_EQ(os.echoesSent[6].address, "127.0.0.4");
}

TEST(MonitorModel, AHostWhoseRequestIsStillOutIsNotAskedAgainAndCountsTheIntervalOnce) {
  // 127.0.0.1 answers at once; the others never: the system ends each of
  // their requests a little after its time ran out.
  const struct {
    int interval;
    int timeout;
    std::vector<int64_t> deadSent;  // when 127.0.0.2 was asked
  } cases[] = {
      // Five intervals a time-out: asked again as the time-out comes.
      {200, 1000, {70, 1090, 2110}},
      // As long as the interval: the time-out comes just after the next
      // request fell due, which goes with it, not an interval later.
      {1000, 1000, {340, 1360, 2380}},
      {500, 60'000, {170}},
  };
  for (const auto& c : cases) {
    ScriptedPlatform os;
    os.answerEcho = [&os](const ScriptedPlatform::SentEcho& e) -> std::optional<Answer> {
      if (e.address == "127.0.0.1") return Answer{0, Status::Reply, 1, e.address};
      if (os.clockMs - e.at < e.timeoutMs + 15) return std::nullopt;
      return Answer{0, Status::TimedOut, 0, ""};
    };
    Monitor m(os);
    m.start({"127.0.0.1", "127.0.0.2", "127.0.0.3"}, {Mode::Hosts, c.interval, c.timeout});
    for (int step = 0; step < 300; ++step) {
      os.clockMs += 10;
      m.tick();
      std::map<std::string, int> out;
      for (const auto& e : os.echoesOut) {
        ASSERT_LE(++out[e.address], 1) << e.address << " " << c.interval;
      }
      ASSERT_EQ(m.outstanding(), os.echoesOut.size());
    }
    std::vector<int64_t> dead;
    long long live = 0;
    for (const auto& e : os.echoesSent) {
      if (e.address == "127.0.0.2") dead.push_back(e.at);
      live += e.address == "127.0.0.1";
    }
    EXPECT_EQ(dead, c.deadSent) << c.interval;
    // The live host keeps its pace; each time-out of the dead ones counts
    // once, however many intervals it took.
    EXPECT_EQ(live, 3000 / c.interval + 1) << c.interval;
    EXPECT_EQ(m.row(0).series.sent(), live - 1) << c.interval;
    EXPECT_EQ(m.row(1).series.sent(), static_cast<long long>(c.deadSent.size()) - 1) << c.interval;
    EXPECT_EQ(m.row(2).series.sent(), m.row(1).series.sent()) << c.interval;
    EXPECT_EQ(m.row(1).series.received(), 0) << c.interval;
  }
}

TEST(MonitorModel, RowsGiveTheFiguresOfTheirReplies) {
  ScriptedPlatform os;
  os.names = {{"www.example.jp", "203.0.113.7"}};
  // Each address answers from its own list of answers in turn.
  std::map<std::string, std::vector<Answer>> script = {
      {"203.0.113.7", {{0, Status::Reply, 5, "203.0.113.7"}, {0, Status::Reply, 7, "203.0.113.7"},
                       {0, Status::Reply, 0, "203.0.113.7"}, {0, Status::TimedOut, 0, ""}}},
      {"192.0.2.1", {{0, Status::Reply, 3, "192.0.2.1"}, {0, Status::Reply, 3, "192.0.2.1"},
                     {0, Status::Reply, 4, "192.0.2.1"}, {0, Status::Reply, 12, "192.0.2.1"}}},
      {"192.0.2.2", {{0, Status::Unreachable, 0, "192.0.2.254"}, {0, Status::TtlExpired, 0, "192.0.2.254"},
                     {0, Status::Failed, 0, ""}, {0, Status::Reply, 1, "192.0.2.2"}}},
  };
  std::map<std::string, size_t> next;
  os.answerEcho = [&](const ScriptedPlatform::SentEcho& e) -> std::optional<Answer> {
    return script[e.address][next[e.address]++];
  };
  Monitor m(os);
  m.start({"www.example.jp", "no-such-name", "192.0.2.1", "192.0.2.2"}, {Mode::Hosts, 1000, 1000});
  runFor(os, m, 3990);
  EXPECT_EQ(allRows(m), std::string(kHeader) +
                            "1\twww.example.jp\t25.0\t4\t3\t-\t4.0\t0\t7\t4.5\t損失\t0\r\n"
                            "2\tno-such-name\t-\t0\t0\t-\t-\t-\t-\t-\t名前を解決できません\t0\r\n"
                            "3\t192.0.2.1\t0.0\t4\t4\t12\t5.5\t3\t12\t3.0\t正常\t0\r\n"
                            "4\t192.0.2.2\t75.0\t4\t1\t1\t1.0\t1\t1\t-\t損失\t1\r\n");
  // The losses keep their kinds, for the graph.
  const monitor::RowHistory& lost = m.row(3).series;
  EXPECT_EQ(lost.value(0), reading::kUnreachable);
  EXPECT_EQ(lost.value(1), reading::kTtlExpired);
  EXPECT_EQ(lost.value(2), reading::kGeneralFailure);
  // The name was resolved once, the unresolved one never probed.
  for (const auto& e : os.echoesSent) EXPECT_NE(e.address, "");
  EXPECT_EQ(os.echoesSent.size(), 12u);
}

TEST(MonitorModel, RowsWhoseAddressesAreStillToComeWaitUntilTheyCome) {
  ScriptedPlatform os;
  Monitor m(os);
  // The addresses given for the first two hosts only: the first still to
  // come, the second known; the third, not given, waits as well.
  m.start({"a.example", "127.0.0.1", "b.example"}, {std::nullopt, "127.0.0.1"},
          {Mode::Hosts, 1000, 1000});
  runFor(os, m, 500);
  EXPECT_TRUE(m.row(0).resolving);
  EXPECT_TRUE(m.row(2).resolving);
  m.resolved(0, "127.0.0.5");
  m.resolved(1, "127.0.0.9");  // not waiting: ignored
  m.resolved(3, "127.0.0.9");  // no such row
  runFor(os, m, 1500);
  EXPECT_TRUE(m.running());
  m.resolved(2, "");
  std::set<std::string> probed;
  for (const auto& e : os.echoesSent) probed.insert(e.address);
  EXPECT_EQ(probed, (std::set<std::string>{"127.0.0.1", "127.0.0.5"}));
  EXPECT_TRUE(m.row(2).unresolved);
  EXPECT_EQ(m.row(1).address, "127.0.0.1");
}

TEST(MonitorModel, ARequestTheSystemRefusesIsAFailureAndNothingWaits) {
  ScriptedPlatform os;
  os.refuseEchoes = true;
  Monitor m(os);
  m.start({"127.0.0.1"}, {Mode::Hosts, 200, 1000});
  runFor(os, m, 990);
  EXPECT_EQ(m.row(0).series.sent(), 5);
  EXPECT_EQ(m.row(0).series.value(4), reading::kGeneralFailure);
  EXPECT_EQ(m.outstanding(), 0u);
}

// A route: hop 1 answers, hop 2 never, hop 3 answers, the host is hop 4.
std::optional<Answer> route(const ScriptedPlatform::SentEcho& e) {
  static const char* hops[] = {"", "10.0.0.1", "", "10.0.0.3"};
  if (e.ttl >= 4) return Answer{0, Status::Reply, 15, e.address};
  if (e.ttl == 2) return Answer{0, Status::TimedOut, 0, ""};
  return Answer{0, Status::TtlExpired, e.ttl * 2, hops[e.ttl]};
}

TEST(MonitorModel, TheRouteIsFoundHopByHopAndEndsAtTheHost) {
  ScriptedPlatform os;
  os.names = {{"www.example.jp", "203.0.113.7"}};
  Monitor m(os);
  m.start({"www.example.jp", "ignored.example"}, {Mode::Route, 1000, 1000});
  // Nothing answered yet: no row.
  m.tick();
  EXPECT_EQ(m.rowCount(), 0u);
  os.answerEcho = route;
  runFor(os, m, 100);
  // Hops 1 to 3 asked: rows up to the farthest that answered.
  EXPECT_EQ(m.rowCount(), 3u);
  EXPECT_EQ(m.row(1).host, "*");
  runFor(os, m, 2900);
  EXPECT_EQ(m.hostHop(), 4);
  EXPECT_EQ(allRows(m), std::string(kHeader) +
                            "1\t10.0.0.1\t0.0\t3\t3\t2\t2.0\t2\t2\t0.0\t正常\t0\r\n"
                            "2\t*\t100.0\t3\t0\t-\t-\t-\t-\t-\t応答なし\t0\r\n"
                            "3\t10.0.0.3\t0.0\t3\t3\t6\t6.0\t6\t6\t0.0\t正常\t0\r\n"
                            "4\t203.0.113.7\t0.0\t3\t3\t15\t15.0\t15\t15\t0.0\t正常\t0\r\n");
  // Once the host answered, no request goes beyond it; every request was
  // to the host's address.
  int beyond = 0;
  for (const auto& e : os.echoesSent) {
    EXPECT_EQ(e.address, "203.0.113.7");
    if (e.at >= 1000 && e.ttl > 4) ++beyond;
  }
  EXPECT_EQ(beyond, 0);
  EXPECT_GT(os.echoesSent.size(), 12u);
}

TEST(MonitorModel, ARouteWhoseHostNeverAnswersGoesOnToThirtyHops) {
  ScriptedPlatform os;
  // The first hop answers every other request; the hops after the second
  // never answer and are neither shown nor read with the others.
  int firstHop = 0;
  os.answerEcho = [&](const ScriptedPlatform::SentEcho& e) -> std::optional<Answer> {
    if (e.ttl == 1 && ++firstHop % 2 == 0) return Answer{0, Status::TimedOut, 0, ""};
    if (e.ttl <= 2) return Answer{0, Status::TtlExpired, 1, "10.0.0." + std::to_string(e.ttl)};
    return Answer{0, Status::TimedOut, 0, ""};
  };
  Monitor m(os);
  m.start({"192.0.2.9"}, {Mode::Route, 1000, 1000});
  runFor(os, m, 2000);
  EXPECT_EQ(m.hostHop(), 0);
  EXPECT_EQ(allRows(m), std::string(kHeader) +
                            "1\t10.0.0.1\t50.0\t2\t1\t-\t1.0\t1\t1\t-\t応答制限 (問題なし)\t0\r\n"
                            "2\t10.0.0.2\t0.0\t2\t2\t1\t1.0\t1\t1\t0.0\t正常\t0\r\n");
  int most = 0;
  for (const auto& e : os.echoesSent) most = std::max(most, e.ttl);
  EXPECT_EQ(most, monitor::kMaxHops);
  // A name that does not resolve: its one row says so, nothing is sent.
  ScriptedPlatform os2;
  Monitor m2(os2);
  m2.start({"no-such-name"}, {Mode::Route, 1000, 1000});
  runFor(os2, m2, 2000);
  EXPECT_TRUE(os2.echoesSent.empty());
  EXPECT_FALSE(m2.running());
  EXPECT_EQ(allRows(m2), std::string(kHeader) +
                             "1\tno-such-name\t-\t0\t0\t-\t-\t-\t-\t-\t名前を解決できません\t0\r\n");
}

TEST(MonitorModel, TheStateOfEachHopReadsItsLosses) {
  const struct {
    std::vector<Losses> hops;
    bool hostReached;
    std::vector<State> states;
  } rows[] = {
      // A router that limits its answers: later hops lose nothing.
      {{{0, 10}, {6, 10}, {0, 10}, {0, 10}}, true,
       {State::Normal, State::Limited, State::Normal, State::Normal}},
      // Loss from hop 2 on, every later hop as much or more: real loss.
      {{{0, 10}, {3, 10}, {3, 10}, {5, 10}}, true,
       {State::Normal, State::Loss, State::Loss, State::Loss}},
      // Later hops lose, but less: not this hop's doing.
      {{{0, 10}, {5, 10}, {2, 10}, {2, 10}}, true,
       {State::Normal, State::Normal, State::Loss, State::Loss}},
      // Loss at the host alone.
      {{{0, 10}, {0, 10}, {1, 10}}, true, {State::Normal, State::Normal, State::Loss}},
      // The last hop shown is not the host: its loss counts.
      {{{0, 10}, {2, 10}}, false, {State::Normal, State::Loss}},
      // As much as the percentages read, however many were sent; a hop
      // with nothing yet tells nothing.
      {{{1, 3}, {2, 6}, {0, 0}}, false, {State::Loss, State::Loss, State::None}},
      {{{1, 3}, {33, 100}}, true, {State::Normal, State::Loss}},
      // A hop that never answered, whatever the hops after it lose: no
      // answer; the hops around it read as before. One answer in two
      // thousand rounds to 100.0 %, yet the hop answered.
      {{{0, 10}, {10, 10}, {1, 10}, {1, 10}}, true,
       {State::Normal, State::NoAnswer, State::Loss, State::Loss}},
      {{{0, 10}, {10, 10}, {0, 10}}, true, {State::Normal, State::NoAnswer, State::Normal}},
      {{{0, 10}, {10, 10}, {2, 10}, {1, 10}}, true,
       {State::Normal, State::NoAnswer, State::Normal, State::Loss}},
      {{{4, 10}, {10, 10}, {0, 10}}, true, {State::Normal, State::NoAnswer, State::Normal}},
      {{{1999, 2000}, {0, 10}}, true, {State::Limited, State::Normal}},
      {{{1999, 2000}, {2000, 2000}, {1999, 2000}}, false,
       {State::Loss, State::NoAnswer, State::Loss}},
      {{}, true, {}},
  };
  for (size_t i = 0; i < std::size(rows); ++i)
    EXPECT_EQ(monitor::routeStates(rows[i].hops, rows[i].hostReached), rows[i].states) << i;
}

TEST(MonitorModel, AClickSortsByItsColumnAndAgainTheOtherWay) {
  ScriptedPlatform os;
  std::map<std::string, int> ms = {{"10.0.0.10", 30}, {"10.0.0.9", 10}, {"10.0.0.100", -1}, {"b.example", 20}};
  os.names = {{"b.example", "192.0.2.5"}};
  os.answerEcho = [&](const ScriptedPlatform::SentEcho& e) -> std::optional<Answer> {
    const int v = ms[e.address == "192.0.2.5" ? "b.example" : e.address];
    if (v < 0) return Answer{0, Status::TimedOut, 0, ""};
    return Answer{0, Status::Reply, v, e.address};
  };
  Monitor m(os);
  m.start({"10.0.0.10", "b.example", "10.0.0.9", "10.0.0.100"}, {Mode::Hosts, 1000, 1000});
  runFor(os, m, 1000);
  const struct {
    int click;
    std::vector<size_t> order;
  } steps[] = {
      {1, {2, 0, 3, 1}},  // "ホスト": addresses by number, then names
      {1, {1, 3, 0, 2}},  // again: the other way
      {5, {2, 1, 0, 3}},  // "最新": the row without a figure last
      {5, {0, 1, 2, 3}},  // and last the other way too
      {6, {2, 1, 0, 3}},  // "平均", "最小", "最大" alike
      {7, {2, 1, 0, 3}},
      {8, {2, 1, 0, 3}},
      {8, {0, 1, 2, 3}},
      {2, {0, 1, 2, 3}},  // "損失%": ties keep the order of "#"
      {2, {3, 0, 1, 2}},
      {10, {0, 1, 2, 3}},  // "状態": 正常 before 損失
      {0, {0, 1, 2, 3}},
      {0, {3, 2, 1, 0}},
      {11, {0, 1, 2, 3}},  // "障害": ties keep the order of "#"
      {12, {0, 1, 2, 3}},  // no such column: as it was
  };
  monitor::RowOrder order;
  EXPECT_EQ(order.order(m), (std::vector<size_t>{0, 1, 2, 3}));
  for (const auto& s : steps) {
    order.click(s.click);
    EXPECT_EQ(order.order(m), s.order) << s.click;
  }
  // Copied in the order shown.
  EXPECT_EQ(monitor::copyText(m, {3, 0}),
            std::string(kHeader) + "4\t10.0.0.100\t100.0\t1\t0\t-\t-\t-\t-\t-\t損失\t0\r\n" +
                "1\t10.0.0.10\t0.0\t1\t1\t30\t30.0\t30\t30\t-\t正常\t0\r\n");
}

TEST(MonitorModel, StopEndsEveryRequestAtOnceAndLaterAnswersAreIgnored) {
  ScriptedPlatform os;
  Monitor m(os);
  m.start({"127.0.0.1", "127.0.0.2"}, {Mode::Hosts, 1000, 5000});
  runFor(os, m, 1990);
  ASSERT_EQ(m.outstanding(), 2u);  // one a host
  const std::vector<ScriptedPlatform::SentEcho> out = os.echoesOut;
  m.stop();
  EXPECT_EQ(os.echoCancels, 1);
  EXPECT_EQ(m.outstanding(), 0u);
  EXPECT_FALSE(m.running());
  EXPECT_EQ(m.nextDueMs(), -1);
  // An answer the system had already taken comes after stop: not counted.
  os.echoesOut = out;
  os.answerEcho = [](const ScriptedPlatform::SentEcho& e) -> std::optional<Answer> {
    return Answer{0, Status::Reply, 1, e.address};
  };
  runFor(os, m, 2000);
  EXPECT_EQ(os.echoesSent.size(), 2u);
  EXPECT_EQ(m.row(0).series.sent(), 0);
  EXPECT_EQ(m.rowCount(), 2u);  // the rows stay
  // A monitor that goes away while probing ends its requests.
  {
    Monitor gone(os);
    gone.start({"127.0.0.1"}, {Mode::Hosts, 1000, 5000});
    gone.tick();
  }
  EXPECT_EQ(os.echoCancels, 2);
}

}  // namespace
}  // namespace velquin::test
