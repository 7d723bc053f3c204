// A monitor left running: when a host counts as down and as back, the
// outages listed, the user told once for many changes, the icon in the
// notification area, and the window closed while it goes on. Echo requests
// go through the scripted platform, its clocks moved by the test.
#include <filesystem>
#include <map>

#include "monitor/monitor_window.h"
#include "monitor/notices.h"
#include "monitor/outages.h"
#include "support/app_fixture.h"

namespace velquin::test {
namespace {

using Answer = platform::Platform::EchoAnswer;
using Status = platform::Platform::EchoStatus;
using Level = platform::Platform::TrayLevel;
using monitor::OutageEvent;
using monitor::Outages;

// Results fed one a second ('.' a reply, 'x' a loss): the events as they
// came ("D@5": down at the sixth result) and every outage ("3-6/4": from
// the fourth result to the seventh, four requests lost; "3-/4" lasts).
std::string feed(Outages& o, const std::string& results, std::string* outages) {
  std::string events;
  for (size_t i = 0; i < results.size(); ++i) {
    o.add(0, "h", static_cast<long long>(i) * 1000, results[i] == '.');
    for (const OutageEvent& e : o.takeEvents())
      events += std::string(events.empty() ? "" : " ") +
                (e.kind == OutageEvent::Kind::Down ? "D@" : "U@") + std::to_string(i);
  }
  outages->clear();
  for (const monitor::OutageRecord& r : o.list())
    *outages += std::string(outages->empty() ? "" : " ") + std::to_string(r.from / 1000) + "-" +
                (r.to < 0 ? "" : std::to_string(r.to / 1000)) + "/" + std::to_string(r.lost);
  return events;
}

TEST(MonitorOutages, ARowGoesDownAndComesBackAtItsThresholds) {
  const struct {
    int down, up;
    const char* results;
    const char* events;
    const char* outages;
    bool downAtEnd;
  } cases[] = {
      // One loss is an outage, one reply its end.
      {1, 1, ".x.x", "D@1 U@2 D@3", "1-2/1 3-/1", true},
      // Two losses are not enough; the outage begins at the first of three.
      {3, 1, "xx.xxx..", "D@5 U@6", "3-6/3", false},
      // A loss among the replies starts the count of replies again; every
      // loss from its start counts.
      {3, 3, "xxx.x...", "D@2 U@7", "0-5/4", false},
      // Back exactly at the threshold, not one reply before it.
      {2, 2, "xx..", "D@1 U@3", "0-2/2", false},
      {2, 2, "xx.x..", "D@1 U@5", "0-4/3", false},
      // A host that never answered is down from its first request on.
      {3, 1, "xxxxx", "D@2", "0-/5", true},
      // Never enough losses in a row: no outage at all.
      {3, 1, "xx.xx.xx.", "", "", false},
  };
  for (const auto& c : cases) {
    Outages o;
    o.reset({c.down, c.up});
    std::string outages;
    EXPECT_EQ(feed(o, c.results, &outages), c.events) << c.results;
    EXPECT_EQ(outages, c.outages) << c.results;
    EXPECT_EQ(o.down(0), c.downAtEnd) << c.results;
    EXPECT_EQ(o.downCount(), c.downAtEnd ? 1u : 0u) << c.results;
    EXPECT_EQ(o.count(0), static_cast<int>(o.list().size())) << c.results;
  }
}

TEST(MonitorOutages, SpansReadInTheirLargestUnitsAndStartsWithTheirDateOnAnotherDay) {
  const struct {
    long long ms;
    const char* text;
  } spans[] = {{0, "0 秒"},          {999, "0 秒"},          {5'000, "5 秒"},
               {192'000, "3 分 12 秒"}, {3'723'000, "1 時間 2 分 3 秒"}, {3'600'000, "1 時間 0 分 0 秒"},
               {-5, "0 秒"}};
  for (const auto& s : spans) EXPECT_EQ(monitor::spanText(s.ms), s.text) << s.ms;
  ScriptedPlatform os;
  os.setLocalTime("2026/12/10 09:15:00");
  const long long today = os.clock;
  os.setLocalTime("2026/12/09 23:59:59");
  const long long yesterday = os.clock;
  EXPECT_EQ(monitor::clockText(today, today + 3'600'000), "09:15:00");
  EXPECT_EQ(monitor::clockText(yesterday, today), "2026/12/09 23:59:59");
}

// Rows going down (a host name each, "+" before one that comes back) as
// events, in the order given.
std::vector<OutageEvent> changes(Outages& o, const std::vector<std::string>& steps, long long at) {
  for (const std::string& s : steps) {
    const bool back = s[0] == '+';
    const std::string host = back ? s.substr(1) : s;
    size_t row = 0;
    while (row < o.list().size() && o.list()[row].host != host) ++row;
    o.add(row, host, at, back);
  }
  return o.takeEvents();
}

TEST(MonitorNotices, TheChangesOfTwoSecondsMakeOneNotification) {
  const struct {
    std::vector<std::string> first, second;  // the second half a second later
    const char* text;
  } cases[] = {
      {{"192.168.1.10", "192.168.1.11"}, {"192.168.1.12"},
       "監視: 3 台が応答なし (192.168.1.10, 192.168.1.11, 192.168.1.12)"},
      {{"a1", "a2", "a3", "a4", "a5", "a6", "a7"}, {},
       "監視: 7 台が応答なし (a1, a2, a3, a4, a5 ほか 2 台)"},
      {{"a1", "a2", "a3", "a4", "a5"}, {}, "監視: 5 台が応答なし (a1, a2, a3, a4, a5)"},
      // Down, then back within the while: told as it stands at its end.
      {{"a1", "a2"}, {"+a1"}, "監視: 1 台が応答なし (a2)\r\n監視: a1 の応答が戻りました (0 秒間応答なし)"},
      {{"a1", "a2", "a3"}, {"+a1", "+a3"},
       "監視: 1 台が応答なし (a2)\r\n監視: 2 台の応答が戻りました (a1, a3)"},
  };
  for (const auto& c : cases) {
    Outages o;
    o.reset({1, 1});
    monitor::Notices n;
    EXPECT_EQ(n.dueMs(0), -1);
    n.add(changes(o, c.first, 0), 10'000, o);
    n.add(changes(o, c.second, 500), 10'500, o);
    EXPECT_EQ(n.dueMs(10'500), 1'500);
    EXPECT_EQ(n.take(o, 11'999), "") << c.text;
    EXPECT_EQ(n.take(o, 12'000), c.text);
    EXPECT_EQ(n.take(o, 14'000), "");  // told once
    EXPECT_EQ(n.dueMs(14'000), -1);
  }
  // A recovery alone says how long the host was gone.
  Outages o;
  o.reset({1, 1});
  monitor::Notices n;
  o.add(0, "192.168.1.10", 1'000, false);
  o.takeEvents();
  o.add(0, "192.168.1.10", 193'000, true);
  n.add(o.takeEvents(), 0, o);
  EXPECT_EQ(n.take(o, 2'000), "監視: 192.168.1.10 の応答が戻りました (3 分 12 秒間応答なし)");
}

class MonitorAlert : public AppTest {
 protected:
  MonitorAlert() {
    os.setLocalTime("2026/12/10 09:15:00");
    enter("Edit1");
    EXPECT_TRUE(form().userShortcut("Ctrl+M"));
  }
  monitor::TfrmMonitor& w() { return program->monitor(); }
  form::Form& mf() { return w().form(); }
  form::Control& m(std::string_view name) { return mf()[name]; }
  void mtype(std::string_view name, const std::string& t) { mf().userType(m(name), t); }
  void mclick(std::string_view name) { mf().userClick(m(name)); }
  // Both clocks move; the window's timer fires when due.
  void runFor(int64_t ms) {
    const int64_t end = os.clockMs + ms;
    while (mf().timerMs() >= 0 && os.clockMs + mf().timerMs() <= end) {
      os.clockMs += mf().timerMs();
      os.clock += mf().timerMs();
      mf().userTimer();
    }
    os.clock += end - os.clockMs;
    os.clockMs = end;
  }
  // Every request answered at once, but for the addresses lost.
  void answer(std::vector<std::string> lost = {}) {
    os.answerEcho = [lost](const ScriptedPlatform::SentEcho& e) -> std::optional<Answer> {
      if (std::find(lost.begin(), lost.end(), e.address) != lost.end())
        return Answer{0, Status::TimedOut, 0, ""};
      return Answer{0, Status::Reply, 5, e.address};
    };
  }
  void start(const std::string& hosts, const char* down, const char* up) {
    mtype("Memo_Hosts", hosts);
    mtype("Edit_MonitorDown", down);
    mtype("Edit_MonitorUp", up);
    mclick("btnMonitor");
  }
  std::string states() {
    std::string out;
    for (size_t r = 0; r < w().list().rowCount(); ++r)
      out += w().cell(r, monitor::kStateColumn) + "/" + w().cell(r, monitor::kOutagesColumn) + " ";
    return out;
  }
  std::string outageRows() {
    std::string out;
    for (size_t r = 0; r < w().outageList().rowCount(); ++r) {
      for (int c = 0; c < monitor::kOutageColumnCount; ++c)
        out += (c ? "|" : "") + w().outageTable().cell(r, c);
      out += "\n";
    }
    return out;
  }
};

TEST_F(MonitorAlert, ThresholdsOutOfRangeAreRefusedWithTheirMessage) {
  const struct {
    const char* down;
    const char* up;
    const char* focus;  // "" when it starts
  } cases[] = {
      {"0", "1", "Edit_MonitorDown"},   {"101", "1", "Edit_MonitorDown"},
      {"", "1", "Edit_MonitorDown"},    {"2.5", "1", "Edit_MonitorDown"},
      {"-3", "1", "Edit_MonitorDown"},  {"3", "0", "Edit_MonitorUp"},
      {"3", "1000", "Edit_MonitorUp"},  {"3", "x", "Edit_MonitorUp"},
      {"100", "100", ""},               {"1", "1", ""},
  };
  for (const auto& c : cases) {
    os.messages.clear();
    start("127.0.0.1", c.down, c.up);
    const bool starts = *c.focus == 0;
    EXPECT_EQ(w().monitor().running(), starts) << c.down << " " << c.up;
    if (starts) {
      EXPECT_TRUE(os.messages.empty());
      EXPECT_EQ(w().monitor().outages().thresholds().down, std::atoi(c.down));
      EXPECT_EQ(w().monitor().outages().thresholds().up, std::atoi(c.up));
      mclick("btnMonitor");
      continue;
    }
    EXPECT_EQ(mf().focused()->name(), c.focus) << c.down << " " << c.up;
    ASSERT_EQ(os.messages.size(), 1u);
    EXPECT_NE(os.messages[0].find("1 から 100 までの回数"), std::string::npos) << os.messages[0];
    EXPECT_NE(os.messages[0].find(*c.focus && std::string(c.focus) == "Edit_MonitorUp"
                                      ? "復旧とみなす"
                                      : "応答なしとみなす"),
              std::string::npos);
  }
}

TEST_F(MonitorAlert, AHostDownIsListedToldOnceAndShownByTheIconUntilItIsBack) {
  answer({"127.0.0.2"});
  mclick("CB_MonitorOutages");
  EXPECT_TRUE(m("PanelMonitorOutages").visible());
  start("127.0.0.1-3", "2", "1");
  ASSERT_TRUE(os.tray);
  EXPECT_EQ(os.tray->level, Level::Fine);
  EXPECT_EQ(os.tray->tip, "Velquin 監視: 3 台、応答なし 0 台");
  runFor(1000);
  // One loss: loss, not yet down; the icon tells of it.
  EXPECT_EQ(states(), "正常/0 損失/0 正常/0 ");
  EXPECT_EQ(os.tray->level, Level::Loss);
  runFor(1000);
  EXPECT_EQ(states(), "正常/0 応答なし/1 正常/0 ");
  EXPECT_EQ(w().cellColor(1, monitor::kStateColumn), 0xC00000);
  EXPECT_EQ(os.tray->level, Level::Down);
  EXPECT_EQ(os.tray->tip, "Velquin 監視: 3 台、応答なし 1 台");
  // The outage began at the first loss, 09:15:00 and a third of a second.
  EXPECT_EQ(outageRows(), "127.0.0.2|09:15:00||1 秒|2\n");
  EXPECT_TRUE(os.balloons.empty());
  runFor(2000);
  EXPECT_EQ(os.balloons, std::vector<std::string>{"監視: 1 台が応答なし (127.0.0.2)"});
  EXPECT_EQ(os.alerts, 1);
  // The outage's span goes on while it lasts.
  EXPECT_EQ(outageRows(), "127.0.0.2|09:15:00||3 秒|4\n");
  answer();
  runFor(2500);
  EXPECT_EQ(states(), "正常/0 損失/1 正常/0 ");
  EXPECT_EQ(outageRows(), "127.0.0.2|09:15:00|09:15:04|4 秒|4\n");
  EXPECT_EQ(os.balloons.back(), "監視: 127.0.0.2 の応答が戻りました (4 秒間応答なし)");
  EXPECT_EQ(os.alerts, 2);
  EXPECT_EQ(os.tray->level, Level::Loss);
  // A minute without loss: every row answering.
  runFor(60'000);
  EXPECT_EQ(os.tray->level, Level::Fine);
  EXPECT_EQ(os.balloons.size(), 2u);
  // The second outage of the row comes first in the list.
  answer({"127.0.0.2"});
  runFor(3000);
  EXPECT_EQ(states(), "正常/0 応答なし/2 正常/0 ");
  EXPECT_EQ(w().outageTable().cell(0, 2), "");
  EXPECT_EQ(w().outageTable().cell(1, 2), "09:15:04");
  // Stopped, the icon goes, and what was gathered is not told.
  mclick("btnMonitor");
  EXPECT_FALSE(os.tray);
  EXPECT_EQ(os.trayRemovals, 1);
  runFor(5000);
  EXPECT_EQ(os.balloons.size(), 2u);
  // The outage list hides with its box.
  mclick("CB_MonitorOutages");
  EXPECT_FALSE(m("PanelMonitorOutages").visible());
}

TEST_F(MonitorAlert, WithoutNotifyNothingIsToldButTheIconStillTells) {
  mclick("CB_MonitorNotify");
  answer({"127.0.0.1"});
  start("127.0.0.1", "1", "1");
  runFor(5000);
  EXPECT_EQ(states(), "応答なし/1 ");
  EXPECT_TRUE(os.balloons.empty());
  EXPECT_EQ(os.alerts, 0);
  EXPECT_EQ(os.tray->level, Level::Down);
}

TEST_F(MonitorAlert, TwoHundredHostsDownInOneSecondMakeOneNotification) {
  answer();
  start("127.0.1.1-200", "1", "1");
  runFor(1000);
  std::vector<std::string> lost;
  for (int i = 1; i <= 200; ++i) lost.push_back("127.0.1." + std::to_string(i));
  answer(lost);
  runFor(4000);
  ASSERT_EQ(os.balloons.size(), 1u);
  EXPECT_EQ(os.balloons[0],
            "監視: 200 台が応答なし (127.0.1.1, 127.0.1.197, 127.0.1.198, 127.0.1.199, "
            "127.0.1.200 ほか 195 台)");
  EXPECT_EQ(os.alerts, 1);
}

TEST_F(MonitorAlert, KeptRunningTheCloseBoxHidesTheWindowAndTheIconBringsItBack) {
  answer();
  for (bool keep : {false, true}) {
    mf().setWindowVisible(true);
    if (keep) mclick("CB_MonitorKeep");
    start("127.0.0.1", "3", "1");
    runFor(1000);
    w().FormClose();
    EXPECT_FALSE(mf().windowVisible()) << keep;
    EXPECT_EQ(w().monitor().running(), keep);
    ASSERT_EQ(os.tray.has_value(), keep);
  }
  const long long sent = w().monitor().row(0).series.sent();
  runFor(3000);
  EXPECT_EQ(w().monitor().row(0).series.sent(), sent + 3);
  // A click on the icon, and its menu's first item, bring the window forward.
  const int frontings = mf().frontings();
  os.tray->onClick();
  EXPECT_TRUE(mf().windowVisible());
  EXPECT_EQ(mf().frontings(), frontings + 1);
  ASSERT_EQ(os.tray->menu.size(), 2u);
  EXPECT_EQ(os.tray->menu[0].first, "監視を表示(&S)");
  w().FormClose();
  os.tray->menu[0].second();
  EXPECT_TRUE(mf().windowVisible());
  // "停止" stops, the icon goes.
  EXPECT_EQ(os.tray->menu[1].first, "停止(&T)");
  os.tray->menu[1].second();
  EXPECT_FALSE(w().monitor().running());
  EXPECT_FALSE(os.tray);
  EXPECT_EQ(m("btnMonitor").text(), "開始(&S)");
  // The program's end ends it, the icon with it.
  start("127.0.0.1", "3", "1");
  w().FormClose();
  ASSERT_TRUE(os.tray);
  main().FormClose();
  EXPECT_FALSE(w().monitor().running());
  EXPECT_FALSE(os.tray);
}

TEST_F(MonitorAlert, OutagesAreCopiedAndSavedBesideTheRows) {
  mclick("CB_MonitorOutages");
  answer({"127.0.0.2", "127.0.0.3"});
  start("127.0.0.1-3", "1", "1");
  runFor(1000);
  answer({"127.0.0.3"});
  runFor(1000);
  mclick("btnMonitor");
  std::string copied;
  w().outageList().copyText = [&](const std::string& t) {
    copied = t;
    return true;
  };
  mf().userFocus(m("LV_Outages"));
  EXPECT_TRUE(mf().userShortcut("Ctrl+A"));
  EXPECT_TRUE(mf().userShortcut("Ctrl+C"));
  EXPECT_EQ(copied,
            "ホスト\t開始\t終了\t継続\t失われた応答\r\n"
            "127.0.0.3\t09:15:00\t\t1 秒\t2\r\n"
            "127.0.0.2\t09:15:00\t09:15:01\t1 秒\t1\r\n");
  w().outageList().userSelect({1});
  EXPECT_TRUE(mf().userShortcut("Ctrl+C"));
  EXPECT_EQ(copied.substr(copied.find('\n') + 1), "127.0.0.2\t09:15:00\t09:15:01\t1 秒\t1\r\n");
  os.dialogAnswers.push_back(os.folder + "/watch.csv");
  mclick("btnMonitorCsv");
  EXPECT_EQ(readBytes(os.folder + "/watch-障害.csv"),
            "\xEF\xBB\xBFホスト,開始,終了,継続,失われた応答\r\n"
            "127.0.0.3,09:15:00,,1 秒,2\r\n"
            "127.0.0.2,09:15:00,09:15:01,1 秒,1\r\n");
  EXPECT_NE(readBytes(os.folder + "/watch.csv").find(",障害\r\n"), std::string::npos);
  EXPECT_NE(readBytes(os.folder + "/watch.csv").find(",損失,1\r\n"), std::string::npos);
  EXPECT_TRUE(os.messages.empty());
}

TEST_F(MonitorAlert, TheNewChoicesAreKeptAcrossStarts) {
  mtype("Edit_MonitorDown", "5");
  mtype("Edit_MonitorUp", "2");
  mclick("CB_MonitorNotify");
  mclick("CB_MonitorKeep");
  mclick("CB_MonitorOutages");
  main().FormClose();
  for (int round = 0; round < 2; ++round) {
    program = std::make_unique<Program>(os);
    main().FormCreate();
    main().FormShow();
    form().execute("Act_Monitor");
    EXPECT_EQ(m("Edit_MonitorDown").text(), round ? "3" : "5");
    EXPECT_EQ(m("Edit_MonitorUp").text(), round ? "1" : "2");
    EXPECT_EQ(m("CB_MonitorNotify").checked(), round == 1);
    EXPECT_EQ(m("CB_MonitorKeep").checked(), round == 0);
    EXPECT_EQ(m("CB_MonitorOutages").checked(), round == 0);
    EXPECT_EQ(m("PanelMonitorOutages").visible(), round == 0);
    // Each choice back as it was at first, for the second start.
    mtype("Edit_MonitorDown", "3");
    mtype("Edit_MonitorUp", "1");
    for (const char* box : {"CB_MonitorNotify", "CB_MonitorKeep", "CB_MonitorOutages"}) mclick(box);
    main().FormClose();
  }
}


class MonitorLogTest : public MonitorAlert {
 protected:
  std::string file(const std::string& name) {
    return readBytes(os.folder + "/log/20261210-091500/" + name);
  }
};

TEST_F(MonitorLogTest, TheLogIsWrittenAsItGoesThroughAFailureAndAfterTheWindowIsGone) {
  // 127.0.0.1 answers in 5 and 7 ms by turns, the others in 6 and 7.
  std::map<std::string, int> asked;
  std::vector<std::string> lost;
  os.answerEcho = [&](const ScriptedPlatform::SentEcho& e) -> std::optional<Answer> {
    if (std::find(lost.begin(), lost.end(), e.address) != lost.end())
      return Answer{0, Status::TimedOut, 0, ""};
    const int n = asked[e.address]++;
    const int ms = e.address == "127.0.0.1" ? (n % 2 ? 7 : 5) : 4 + (e.address.back() - '0');
    return Answer{0, Status::Reply, ms, e.address};
  };
  os.chosenFolders.push_back(os.folder + "/log");
  mclick("btnMonitorLogFolder");
  mclick("CB_MonitorLog");
  start("127.0.0.1-3", "2", "1");
  runFor(10'000);
  lost = {"127.0.0.2"};
  runFor(3'000);
  lost.clear();
  runFor(1'000);
  // The events are in the file while the monitor runs.
  const std::string events =
      "\xEF\xBB\xBF時刻,ホスト,出来事,継続,失われた応答\r\n"
      "2026/12/10 09:15:10,127.0.0.2,応答なし,,2\r\n"
      "2026/12/10 09:15:13,127.0.0.2,復旧,3 秒,3\r\n";
  EXPECT_EQ(file("障害.csv"), events);
  EXPECT_EQ(file("設定.txt"),
            "\xEF\xBB\xBFホスト:\r\n127.0.0.1-3\r\n方式: ホスト\r\n間隔 (秒): 1\r\n"
            "タイムアウト (ms): 1000\r\n応答なしとみなす連続失敗: 2\r\n復旧とみなす連続応答: 1\r\n");
  const std::string header = "\xEF\xBB\xBF分,ホスト,送信,受信,損失%,最小,平均,最大,ジッター\r\n";
  EXPECT_EQ(file("毎分.csv"), header);
  // The minute 09:16 cannot be written: the label says why, the user is
  // told once, and the monitor goes on.
  runFor(76'000);
  os.failWrites = "ディスクに十分な空き領域がありません。";
  runFor(40'000);
  EXPECT_TRUE(m("LblMonitorLog").visible());
  EXPECT_EQ(m("LblMonitorLog").text(), "記録できません: ディスクに十分な空き領域がありません。");
  EXPECT_EQ(os.balloons.back(), "監視: 記録できません: ディスクに十分な空き領域がありません。");
  const size_t told = os.balloons.size();
  runFor(30'000);
  os.failWrites.clear();
  runFor(30'000);
  EXPECT_FALSE(m("LblMonitorLog").visible());
  EXPECT_EQ(os.balloons.size(), told);
  EXPECT_TRUE(w().monitor().running());
  // Half a minute on, the program goes without a word: what it held of
  // that minute is written as it goes.
  runFor(20'000);
  program.reset();
  EXPECT_EQ(file("毎分.csv"),
            header +
                "2026/12/10 09:15,127.0.0.1,60,60,0.0,5,6.0,7,2.0\r\n"
                "2026/12/10 09:15,127.0.0.2,60,57,5.0,6,6.0,6,0.0\r\n"
                "2026/12/10 09:15,127.0.0.3,60,60,0.0,7,7.0,7,0.0\r\n"
                "2026/12/10 09:17,(記録できなかった分: 1)\r\n"
                "2026/12/10 09:17,127.0.0.1,60,60,0.0,5,6.0,7,2.0\r\n"
                "2026/12/10 09:17,127.0.0.2,60,60,0.0,6,6.0,6,0.0\r\n"
                "2026/12/10 09:17,127.0.0.3,60,60,0.0,7,7.0,7,0.0\r\n"
                "2026/12/10 09:18,127.0.0.1,30,30,0.0,5,6.0,7,2.0\r\n"
                "2026/12/10 09:18,127.0.0.2,30,30,0.0,6,6.0,6,0.0\r\n"
                "2026/12/10 09:18,127.0.0.3,30,30,0.0,7,7.0,7,0.0\r\n");
  EXPECT_EQ(file("障害.csv"), events);
  // Only the log's own folder was made beneath the one chosen.
  size_t entries = 0;
  for (const auto& e : std::filesystem::recursive_directory_iterator(os.folder + "/log")) {
    (void)e;
    ++entries;
  }
  EXPECT_EQ(entries, 4u);
}

TEST_F(MonitorLogTest, WithoutAChoiceTheLogGoesBeneathTheStartFolderAndStopsWithTheMonitor) {
  answer();
  mclick("CB_MonitorLog");
  start("127.0.0.1", "3", "1");
  runFor(61'000);
  mclick("btnMonitor");
  const std::string at = os.folder + "/Data/監視/20261210-091500/";
  EXPECT_NE(readBytes(at + "毎分.csv").find("\r\n2026/12/10 09:15,127.0.0.1,60,60,"), std::string::npos);
  EXPECT_TRUE(std::filesystem::exists(at + "設定.txt"));
  // Stopped, the minute in progress was written, and nothing more comes.
  const std::string minutes = readBytes(at + "毎分.csv");
  EXPECT_NE(minutes.find("\r\n2026/12/10 09:16,127.0.0.1,1,1,"), std::string::npos);
  runFor(120'000);
  EXPECT_EQ(readBytes(at + "毎分.csv"), minutes);
  // The folder chooser opens at the default; a cancel keeps it.
  mclick("btnMonitorLogFolder");
  ASSERT_EQ(os.folderChoosers.size(), 1u);
  EXPECT_EQ(os.folderChoosers[0], os.folder + "\\Data\\監視");
}

}  // namespace
}  // namespace velquin::test
