// Hosts watched by TCP connections to a port: the "host:port" forms of the
// list and their refusals, each outcome of a connection (accepted, refused,
// silent, unreachable) in the row's figures and state, the connect times to
// a tenth of a millisecond, and the window's side (names looked up without
// the port, the route refusing a port, the colour of "拒否"). Connections go
// through the scripted platform, its clock moved by the test.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "monitor/hosts.h"
#include "monitor/monitor.h"
#include "monitor/monitor_window.h"
#include "monitor/table.h"
#include "support/app_fixture.h"
#include "support/scripted_platform.h"

namespace velquin::test {
namespace {

using monitor::readHosts;
using Connect = platform::Platform::ConnectAnswer;
using ConnectStatus = platform::Platform::ConnectStatus;

std::string joined(const std::vector<std::string>& v) {
  std::string s;
  for (const std::string& h : v) s += (s.empty() ? "" : ",") + h;
  return s;
}

TEST(MonitorPorts, EveryFormOfAHostWithAPortIsARowOfItsOwn) {
  const struct {
    const char* text;
    const char* hosts;
  } rows[] = {
      {"www.example.jp:443\r\n192.168.1.10:3389\r\n[2001:db8::1]:22",
       "www.example.jp:443,192.168.1.10:3389,[2001:db8::1]:22"},
      {"192.168.1.1-3:22", "192.168.1.1:22,192.168.1.2:22,192.168.1.3:22"},
      {"192.168.1.0/30:80", "192.168.1.1:80,192.168.1.2:80"},
      {"[fe80::1%12]:1\n localhost:65535 \nhost:080", "[fe80::1%12]:1,localhost:65535,host:80"},
      // With and without a port, and on two ports, one host is two rows;
      // written twice on one port, one.
      {"127.0.0.1\n127.0.0.1:80\n127.0.0.1:81\n127.000.0.1:80\nHost:80\nhost:80\n[::1]:22\n[0::1]:22\n::1",
       "127.0.0.1,127.0.0.1:80,127.0.0.1:81,Host:80,[::1]:22,::1"},
  };
  for (const auto& r : rows) {
    const monitor::HostList l = readHosts(r.text);
    EXPECT_EQ(l.error, "") << r.text;
    EXPECT_EQ(joined(l.hosts), r.hosts) << r.text;
  }
  // What is probed: the host without brackets, and the port.
  const struct {
    const char* host;
    const char* probed;
    int port;
  } split[] = {{"www.example.jp:443", "www.example.jp", 443},
               {"[2001:db8::1]:22", "2001:db8::1", 22},
               {"2001:db8::1", "2001:db8::1", 0},
               {"127.0.0.1", "127.0.0.1", 0}};
  for (const auto& s : split) {
    EXPECT_EQ(monitor::splitPort(s.host).host, s.probed);
    EXPECT_EQ(monitor::splitPort(s.host).port, s.port) << s.host;
  }
}

TEST(MonitorPorts, ABadPortOrAPortOnTheRouteRefusesTheListNamingTheLine) {
  const struct {
    const char* line;
    bool route;
    const char* says;
  } cases[] = {
      {"host:0", false, "のポートには 1 から 65535 までの数を書いてください。"},
      {"host:65536", false, "のポートには 1 から 65535 までの数を書いてください。"},
      {"host:", false, "のポートには 1 から 65535 までの数を書いてください。"},
      {"host:http", false, "のポートには 1 から 65535 までの数を書いてください。"},
      {"[::1]:-1", false, "のポートには 1 から 65535 までの数を書いてください。"},
      {"10.0.0.1-5:99999", false, "のポートには 1 から 65535 までの数を書いてください。"},
      {":", false, "はホスト名、アドレス、範囲のどれでもありません。"},
      {":80", false, "はホスト名、アドレス、範囲のどれでもありません。"},
      {"[::1]", false, "はホスト名、アドレス、範囲のどれでもありません。"},
      {"[host]:80", false, "はホスト名、アドレス、範囲のどれでもありません。"},
      {"10.0.0.300:80", false, "はホスト名、アドレス、範囲のどれでもありません。"},
      {"www.example.jp:443", true, ": 経路にはポートがありません。"},
  };
  for (const auto& c : cases) {
    const monitor::HostList l = readHosts(std::string("localhost\n\n") + c.line, !c.route);
    EXPECT_EQ(l.error.rfind(std::string("3 行目の「") + c.line + "」" + c.says, 0), 0u)
        << c.line << " -> " << l.error;
    EXPECT_TRUE(l.hosts.empty()) << c.line;
  }
  EXPECT_EQ(readHosts("localhost\n::1", false).error, "");
}

// Moves the scripted clock in steps, ticking the monitor at each.
void runFor(ScriptedPlatform& os, monitor::Monitor& m, int64_t ms) {
  for (int64_t end = os.clockMs + ms; os.clockMs < end;) {
    os.clockMs += 10;
    m.tick();
  }
}

std::string allRows(const monitor::Monitor& m) {
  std::vector<size_t> rows;
  for (size_t i = 0; i < m.rowCount(); ++i) rows.push_back(i);
  return monitor::copyText(m, rows);
}

TEST(MonitorPorts, EachOutcomeOfAConnectionGivesItsRowsFiguresAndState) {
  ScriptedPlatform os;
  // Port 80 accepts in 0.4, 9.96 and 153.4 ms in turn; 81 refuses; 82
  // stays silent until its time runs out; 83 cannot be reached; 84
  // refuses once, then accepts. Echo requests answer in 2 ms.
  int accepted = 0, p84 = 0;
  os.answerConnect = [&](const ScriptedPlatform::SentConnect& c) -> std::optional<Connect> {
    switch (c.port) {
      case 80: {
        const int64_t us[] = {400, 9960, 153400};
        return Connect{0, ConnectStatus::Accepted, us[accepted++ % 3]};
      }
      case 81: return Connect{0, ConnectStatus::Refused, 0};
      case 82:
        if (os.clockMs - c.at < c.timeoutMs) return std::nullopt;
        return Connect{0, ConnectStatus::TimedOut, 0};
      case 83: return Connect{0, ConnectStatus::Unreachable, 0};
      default:
        return p84++ ? Connect{0, ConnectStatus::Accepted, 1200}
                     : Connect{0, ConnectStatus::Refused, 0};
    }
  };
  os.answerEcho = [](const ScriptedPlatform::SentEcho& e) -> std::optional<platform::Platform::EchoAnswer> {
    return platform::Platform::EchoAnswer{0, platform::Platform::EchoStatus::Reply, 2, e.address};
  };
  monitor::Monitor m(os);
  m.start(readHosts("127.0.0.1:80\n127.0.0.1:81\n127.0.0.1:82\n127.0.0.1:83\n127.0.0.1\n[::1]:84").hosts,
          {monitor::Mode::Hosts, 1000, 1000});
  runFor(os, m, 2990);
  m.stop();
  // Connections to the row's address and port with the time-out; echo
  // requests only for the row without a port.
  for (const auto& c : os.connectsSent) {
    EXPECT_EQ(c.address, c.port == 84 ? "::1" : "127.0.0.1");
    EXPECT_EQ(c.timeoutMs, 1000);
  }
  EXPECT_EQ(os.connectsSent.size(), 15u);
  ASSERT_EQ(os.echoesSent.size(), 3u);
  EXPECT_EQ(os.echoesSent[0].address, "127.0.0.1");
  EXPECT_EQ(allRows(m),
            "#\tホスト\t損失%\t送信\t受信\t最新\t平均\t最小\t最大\tジッター\t状態\t障害\r\n"
            "1\t127.0.0.1:80\t0.0\t3\t3\t153\t55\t0.4\t153\t76.5\t正常\t0\r\n"
            "2\t127.0.0.1:81\t100.0\t3\t0\t-\t-\t-\t-\t-\t拒否\t1\r\n"
            "3\t127.0.0.1:82\t100.0\t2\t0\t-\t-\t-\t-\t-\t損失\t0\r\n"
            "4\t127.0.0.1:83\t100.0\t3\t0\t-\t-\t-\t-\t-\t応答なし\t1\r\n"
            "5\t127.0.0.1\t0.0\t3\t3\t2\t2.0\t2\t2\t0.0\t正常\t0\r\n"
            "6\t[::1]:84\t33.3\t3\t2\t1.2\t1.2\t1.2\t1.2\t0.0\t損失\t0\r\n");
  // Each loss is of its own kind: the graph and its tips tell them apart.
  const int32_t kinds[] = {reading::kRefused, reading::kTimedOut, reading::kUnreachable};
  for (size_t row = 1; row <= 3; ++row) EXPECT_EQ(m.row(row).series.value(0), kinds[row - 1]);
  EXPECT_EQ(m.row(5).series.value(0), reading::kRefused);
}

TEST(MonitorPorts, ConnectionsThatCannotStartAreFailuresAndStopEndsThoseOut) {
  ScriptedPlatform os;
  monitor::Monitor m(os);
  os.refuseConnects = true;
  m.start({"127.0.0.1:80"}, {monitor::Mode::Hosts, 1000, 1000});
  runFor(os, m, 10);
  ASSERT_EQ(m.row(0).series.size(), 1u);
  EXPECT_EQ(m.row(0).series.value(0), reading::kGeneralFailure);
  EXPECT_EQ(m.outstanding(), 0u);
  // Silent: one connection out until stop ends it; its answer, if the
  // platform still gave one, would count for nothing.
  os.refuseConnects = false;
  m.start({"127.0.0.1:80", "127.0.0.1:81"}, {monitor::Mode::Hosts, 500, 60'000});
  runFor(os, m, 2000);
  EXPECT_EQ(m.outstanding(), 2u);
  EXPECT_EQ(os.connectsOut.size(), 2u);
  const int cancels = os.connectCancels;
  m.stop();
  EXPECT_EQ(os.connectCancels, cancels + 1);
  EXPECT_EQ(m.outstanding(), 0u);
  EXPECT_TRUE(os.connectsOut.empty());
  os.connectsOut = os.connectsSent;
  os.answerConnect = [](const ScriptedPlatform::SentConnect&) {
    return std::optional<Connect>(Connect{0, ConnectStatus::Accepted, 100});
  };
  m.tick();
  EXPECT_EQ(m.row(0).series.size(), 0u);
}

TEST(MonitorPorts, RowsSortByTheAddressThenThePort) {
  ScriptedPlatform os;
  monitor::Monitor m(os);
  m.start({"127.0.0.10", "127.0.0.9:443", "www.example.jp:80", "127.0.0.9:22", "127.0.0.9"},
          {monitor::Mode::Hosts, 1000, 1000});
  monitor::RowOrder order;
  order.click(1);
  EXPECT_EQ(order.order(m), (std::vector<size_t>{4, 3, 1, 0, 2}));
}

class MonitorPortWindow : public AppTest {
 protected:
  MonitorPortWindow() {
    enter("Edit1");
    EXPECT_TRUE(form().userShortcut("Ctrl+M"));
  }
  monitor::TfrmMonitor& w() { return program->monitor(); }
  form::Form& mf() { return w().form(); }
  form::Control& m(std::string_view name) { return mf()[name]; }
};

TEST_F(MonitorPortWindow, ANameIsLookedUpWithoutItsPortAndARefusalIsDrawnInItsColour) {
  os.names["www.example.jp"] = "192.0.2.10";
  os.answerConnect = [](const ScriptedPlatform::SentConnect& c) {
    return std::optional<Connect>(
        Connect{0, c.port == 443 ? ConnectStatus::Accepted : ConnectStatus::Refused, 800});
  };
  mf().userType(m("Memo_Hosts"), "www.example.jp:443\n127.0.0.1:1");
  mf().userClick(m("btnMonitor"));
  w().awaitNames();
  os.clockMs += 1000;
  mf().userTimer();
  mf().userClick(m("btnMonitor"));
  ASSERT_GE(os.connectsSent.size(), 2u);
  EXPECT_EQ(os.connectsSent[0].address, "127.0.0.1");
  EXPECT_EQ(os.connectsSent[1].address, "192.0.2.10");
  EXPECT_EQ(os.connectsSent[1].port, 443);
  EXPECT_EQ(w().cell(0, 1), "www.example.jp:443");
  EXPECT_EQ(w().cell(0, 10), "正常");
  EXPECT_EQ(w().cellColor(0, 10), -1);
  EXPECT_EQ(w().cell(1, 10), "拒否");
  EXPECT_EQ(w().cellColor(1, 10), monitor::kRefusedColor);
  // The graph's tip names the kind of loss.
  w().selectAll();
  EXPECT_NE(w().describe(1, 0).find("127.0.0.1:1  接続を拒否されました"), std::string::npos)
      << w().describe(1, 0);

  // The same list on the route: refused, nothing sent.
  os.messages.clear();
  mf().userPickItem(m("RG_MonitorMode"), 1);
  mf().userClick(m("btnMonitor"));
  EXPECT_FALSE(w().monitor().running());
  ASSERT_EQ(os.messages.size(), 1u);
  EXPECT_EQ(os.messages[0], "1 行目の「www.example.jp:443」: 経路にはポートがありません。"
                            "経路を監視するときはポートを付けずに書いてください。");
  EXPECT_EQ(mf().focused()->name(), "Memo_Hosts");
}

}  // namespace
}  // namespace velquin::test
