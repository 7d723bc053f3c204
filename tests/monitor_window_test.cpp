// The monitor window as the user drives it: opened with Ctrl+M, hosts typed,
// started and stopped with its button, the list sorted and copied, saved as
// CSV, the hops of a traced route, and what it keeps across starts. Echo
// requests go through the scripted platform, its clock moved by the test.
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <thread>

#include "form/output_doc.h"
#include "monitor/monitor_window.h"
#include "reading/ping_replies.h"
#include "support/app_fixture.h"
#include "support/sample_text.h"

namespace velquin::test {
namespace {

using Answer = platform::Platform::EchoAnswer;
using Status = platform::Platform::EchoStatus;

class MonitorWindow : public AppTest {
 protected:
  MonitorWindow() {
    enter("Edit1");
    EXPECT_TRUE(form().userShortcut("Ctrl+M"));
  }
  monitor::TfrmMonitor& w() { return program->monitor(); }
  form::Form& mf() { return w().form(); }
  form::Control& m(std::string_view name) { return mf()[name]; }
  void mtype(std::string_view name, const std::string& t) { mf().userType(m(name), t); }
  void mclick(std::string_view name) { mf().userClick(m(name)); }
  // Time passes on the scripted clock; the window's timer fires when due.
  void runFor(int64_t ms) {
    const int64_t end = os.clockMs + ms;
    while (mf().timerMs() >= 0 && os.clockMs + mf().timerMs() <= end) {
      os.clockMs += mf().timerMs();
      os.clock += mf().timerMs();
      mf().userTimer();
    }
    os.clockMs = end;
  }
  // Every request answered by its address with a reply of ms, or lost for
  // the addresses given.
  void answer(int32_t ms, std::vector<std::string> lost = {}) {
    os.answerEcho = [ms, lost](const ScriptedPlatform::SentEcho& e) -> std::optional<Answer> {
      if (std::find(lost.begin(), lost.end(), e.address) != lost.end())
        return Answer{0, Status::TimedOut, 0, ""};
      return Answer{0, Status::Reply, ms + static_cast<int32_t>(e.address.back() - '0'),
                    e.address};
    };
  }
  void startHosts(const std::string& hosts) {
    mtype("Memo_Hosts", hosts);
    mclick("btnMonitor");
  }
  // The list as shown: the cells of each row, tab-separated.
  std::vector<std::string> rows() {
    std::vector<std::string> out;
    for (size_t r = 0; r < w().list().rowCount(); ++r) {
      std::string line;
      for (int c = 0; c < monitor::kColumnCount; ++c) line += (c ? "\t" : "") + w().cell(r, c);
      out.push_back(line);
    }
    return out;
  }
  std::string column(int c) {
    std::string out;
    for (size_t r = 0; r < w().list().rowCount(); ++r) out += w().cell(r, c) + " ";
    return out;
  }
};

TEST_F(MonitorWindow, CtrlMOpensTheWindowOnceAndBringsItToTheFront) {
  EXPECT_TRUE(mf().windowVisible());
  EXPECT_EQ(mf().caption(), "監視");
  EXPECT_EQ(mf().frontings(), 0);
  EXPECT_TRUE(form().userShortcut("Ctrl+M"));
  EXPECT_EQ(mf().frontings(), 1);
  // The system menu and the output view's menu open the same window.
  const auto& commands = form().windowCommands();
  EXPECT_TRUE(std::any_of(commands.begin(), commands.end(),
                          [](const form::WindowCommand& c) { return c.caption == "監視(&W)..."; }));
  bool inMenu = false;
  for (const auto& e : form()["Memo0"].outputDoc()->menu())
    inMenu |= e.caption == "監視(&W)..." && e.action == "Act_Monitor";
  EXPECT_TRUE(inMenu);
}

TEST_F(MonitorWindow, ARangeStartedFillsItsRowsAndStopEndsEveryRequest) {
  answer(1);
  startHosts("127.0.0.1-4");
  EXPECT_EQ(m("btnMonitor").text(), "停止(&S)");
  runFor(3000);
  EXPECT_EQ(rows(), (std::vector<std::string>{
                        "1\t127.0.0.1\t0.0\t3\t3\t2\t2.0\t2\t2\t0.0\t正常\t0",
                        "2\t127.0.0.2\t0.0\t3\t3\t3\t3.0\t3\t3\t0.0\t正常\t0",
                        "3\t127.0.0.3\t0.0\t3\t3\t4\t4.0\t4\t4\t0.0\t正常\t0",
                        "4\t127.0.0.4\t0.0\t3\t3\t5\t5.0\t5\t5\t0.0\t正常\t0"}));
  // Requests are spread over the interval, not sent in one burst.
  EXPECT_EQ(os.echoesSent[1].at - os.echoesSent[0].at, 250);
  // The list draws again only the rows whose figures changed: a quarter of
  // the interval later, the one host asked again meanwhile.
  runFor(250);
  EXPECT_FALSE(w().list().allChanged());
  EXPECT_EQ(w().list().changedPlaces(), (std::vector<size_t>{0}));
  EXPECT_EQ(rows()[0], "1\t127.0.0.1\t0.0\t4\t4\t2\t2.0\t2\t2\t0.0\t正常\t0");
  os.answerEcho = nullptr;
  runFor(1000);
  ASSERT_GT(w().monitor().outstanding(), 0u);
  const int cancels = os.echoCancels;
  mclick("btnMonitor");
  EXPECT_EQ(w().monitor().outstanding(), 0u);
  EXPECT_EQ(os.echoCancels, cancels + 1);
  EXPECT_FALSE(w().monitor().running());
  EXPECT_EQ(m("btnMonitor").text(), "開始(&S)");
  EXPECT_EQ(mf().timerMs(), -1);
  EXPECT_EQ(rows().size(), 4u);  // the rows stay
}

TEST_F(MonitorWindow, ClosingTheWindowOrTheProgramEndsEveryRequest) {
  for (bool program : {false, true}) {
    startHosts("127.0.0.1-8");
    runFor(900);
    ASSERT_GT(w().monitor().outstanding(), 0u);
    const int cancels = os.echoCancels;
    if (program) main().FormClose();
    else w().FormClose();
    EXPECT_EQ(w().monitor().outstanding(), 0u) << program;
    EXPECT_EQ(os.echoCancels, cancels + 1) << program;
    EXPECT_EQ(mf().timerMs(), -1) << program;
    EXPECT_FALSE(mf().windowVisible() && !program);
  }
}

TEST_F(MonitorWindow, WhatCannotStartIsRefusedWithItsMessageAndStartsNothing) {
  const struct {
    const char* hosts;
    const char* interval;
    const char* timeout;
    const char* message;  // "" when it starts
    const char* focus;
  } cases[] = {
      {"127.0.0.1\n10.0.0.300", "1", "1000", "2 行目", "Memo_Hosts"},
      {"", "1", "1000", "監視するホストを", "Memo_Hosts"},
      {"127.0.0.1", "0.1", "1000", "0.2 から 60", "Edit_MonitorSec"},
      {"127.0.0.1", "60.5", "1000", "0.2 から 60", "Edit_MonitorSec"},
      {"127.0.0.1", "1秒", "1000", "0.2 から 60", "Edit_MonitorSec"},
      {"127.0.0.1", "", "1000", "0.2 から 60", "Edit_MonitorSec"},
      {"127.0.0.1", "1", "0", "1 から 60000", "Edit_MonitorTimeout"},
      {"127.0.0.1", "1", "1.5", "1 から 60000", "Edit_MonitorTimeout"},
      {"127.0.0.1", "1", "60001", "1 から 60000", "Edit_MonitorTimeout"},
      {"127.0.0.1", "0.2", "1", "", "Edit_MonitorSec"},
      {"127.0.0.1", "60", "60000", "", "Edit_MonitorSec"},
      {"127.0.0.1", "０．５", "1000", "", "Edit_MonitorSec"},
  };
  for (const auto& c : cases) {
    os.messages.clear();
    os.echoesSent.clear();
    mtype("Edit_MonitorSec", c.interval);
    mtype("Edit_MonitorTimeout", c.timeout);
    mtype("Memo_Hosts", c.hosts);
    // Enter in the interval's field starts, as the button does.
    mf().userFocus(m("Edit_MonitorSec"));
    EXPECT_TRUE(mf().userShortcut("Enter"));
    const bool starts = *c.message == 0;
    EXPECT_EQ(w().monitor().running(), starts) << c.hosts << " " << c.interval;
    EXPECT_EQ(mf().focused()->name(), c.focus) << c.interval;
    if (!starts) {
      ASSERT_EQ(os.messages.size(), 1u) << c.interval;
      EXPECT_NE(os.messages[0].find(c.message), std::string::npos) << os.messages[0];
      EXPECT_TRUE(os.echoesSent.empty());
      continue;
    }
    runFor(1);
    ASSERT_FALSE(os.echoesSent.empty());
    EXPECT_EQ(os.echoesSent.back().timeoutMs, std::atoi(c.timeout));
    mclick("btnMonitor");
  }
}

TEST_F(MonitorWindow, NamesResolveOffTheWindowAndOneThatDoesNotIsNeverProbed) {
  os.names["gw.example"] = "127.0.0.9";
  answer(1);
  startHosts("nosuch.example\ngw.example\n127.0.0.1");
  // The address is probed at once; the names wait for their lookups.
  EXPECT_EQ(column(1), "nosuch.example gw.example 127.0.0.1 ");
  // The window's timer takes the lookups as they end.
  const monitor::Monitor& model = w().monitor();
  for (int i = 0; i < 500 && (model.row(0).resolving || model.row(1).resolving); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    mf().userTimer();
  }
  EXPECT_TRUE(model.row(0).unresolved);
  EXPECT_EQ(model.row(1).address, "127.0.0.9");
  runFor(2000);
  EXPECT_EQ(column(10), "名前を解決できません 正常 正常 ");
  EXPECT_EQ(column(3), "0 2 2 ");
  for (const auto& e : os.echoesSent) EXPECT_NE(e.address, "");
  // A list of names none of which resolves ends by itself.
  mclick("btnMonitor");
  startHosts("nosuch.example\nnone.example");
  // Shown at once, before any lookup has ended.
  EXPECT_EQ(column(1), "nosuch.example none.example ");
  EXPECT_TRUE(w().monitor().running());
  w().awaitNames();
  EXPECT_FALSE(w().monitor().running());
  EXPECT_EQ(m("btnMonitor").text(), "開始(&S)");
  EXPECT_EQ(mf().timerMs(), -1);
  EXPECT_EQ(column(10), "名前を解決できません 名前を解決できません ");
}

TEST_F(MonitorWindow, TheProgramEndsAtOnceWhileANameServerKeepsALookupWaiting) {
  os.names["slow.example"] = "127.0.0.9";
  os.lookups->hold(true);
  startHosts("127.0.0.1\nslow.example");
  ASSERT_TRUE(os.lookups->awaitWaiting(1));
  // A program that waited for the lookup would wait for good: a watchdog
  // lets the lookup go after a while, and says so.
  std::mutex lock;
  std::condition_variable ended;
  bool closed = false, letGo = false;
  std::thread watchdog([&] {
    std::unique_lock<std::mutex> hold(lock);
    if (!ended.wait_for(hold, std::chrono::seconds(10), [&] { return closed; })) {
      letGo = true;
      os.lookups->hold(false);
    }
  });
  main().FormClose();
  program.reset();
  {
    std::lock_guard<std::mutex> hold(lock);
    closed = true;
  }
  ended.notify_all();
  watchdog.join();
  EXPECT_FALSE(letGo);
  // The lookup ends by itself with nothing of the program left: what it
  // holds is its own.
  {
    std::lock_guard<std::mutex> hold(os.lookups->lock);
    EXPECT_EQ(os.lookups->waiting, 1);
  }
  os.lookups->hold(false);
  EXPECT_TRUE(os.lookups->awaitFinished(1));
}

TEST_F(MonitorWindow, AHeaderClickSortsAndTheSecondTheOtherWayTheSelectionFollows) {
  answer(10, {"127.0.0.2"});
  startHosts("127.0.0.3\n127.0.0.2\n127.0.0.1");
  runFor(2000);
  w().list().userSelect({0});  // 127.0.0.3
  const struct {
    int column;
    const char* hosts;
    bool descending;
  } clicks[] = {
      {5, "127.0.0.1 127.0.0.3 127.0.0.2 ", false},  // no latest figure: last
      {5, "127.0.0.3 127.0.0.1 127.0.0.2 ", true},
      {1, "127.0.0.1 127.0.0.2 127.0.0.3 ", false},
      {2, "127.0.0.3 127.0.0.1 127.0.0.2 ", false},
      {2, "127.0.0.2 127.0.0.3 127.0.0.1 ", true},
  };
  for (const auto& c : clicks) {
    w().list().userHeaderClick(c.column);
    EXPECT_EQ(column(1), c.hosts) << c.column;
    EXPECT_EQ(w().list().sortColumn(), c.column);
    EXPECT_EQ(w().list().sortDescending(), c.descending);
    ASSERT_EQ(w().list().selection().size(), 1u);
    EXPECT_EQ(w().cell(w().list().selection()[0], 1), "127.0.0.3");
  }
}

TEST_F(MonitorWindow, CtrlACtrlCCopiesEveryRowInTheOrderShownAndTheGraphShowsTheSelected) {
  answer(1, {"127.0.0.2"});
  std::string copied;
  w().list().copyText = [&](const std::string& t) {
    copied = t;
    return true;
  };
  startHosts("127.0.0.1-3");
  runFor(2000);
  w().list().userHeaderClick(1);
  w().list().userHeaderClick(1);
  mf().userFocus(m("LV_Monitor"));
  EXPECT_TRUE(mf().userShortcut("Ctrl+C"));
  EXPECT_EQ(copied, "");  // nothing selected, nothing copied
  EXPECT_TRUE(os.messages.empty());
  EXPECT_EQ(w().graph().source().seriesCount(), 0u);
  EXPECT_TRUE(mf().userShortcut("Ctrl+A"));
  EXPECT_TRUE(mf().userShortcut("Ctrl+C"));
  EXPECT_EQ(copied,
            "#\tホスト\t損失%\t送信\t受信\t最新\t平均\t最小\t最大\tジッター\t状態\t障害\r\n"
            "3\t127.0.0.3\t0.0\t2\t2\t4\t4.0\t4\t4\t0.0\t正常\t0\r\n"
            "2\t127.0.0.2\t100.0\t2\t0\t-\t-\t-\t-\t-\t損失\t0\r\n"
            "1\t127.0.0.1\t0.0\t2\t2\t2\t2.0\t2\t2\t0.0\t正常\t0\r\n");
  EXPECT_EQ(w().graph().source().seriesCount(), 3u);
  // The list's headers are the copy's, each over its own cells.
  std::string headers;
  for (const form::ListDoc::Column& c : w().list().columns())
    headers += (headers.empty() ? "" : "\t") + c.caption;
  EXPECT_EQ(headers + "\r\n", copied.substr(0, copied.find('\n') + 1));
  // A clipboard that another program holds: the user hears of it.
  w().list().copyText = [](const std::string&) { return false; };
  EXPECT_TRUE(mf().userShortcut("Ctrl+C"));
  EXPECT_EQ(os.messages, std::vector<std::string>{"クリップボードにコピーできませんでした。"});
  w().list().userSelect({2});
  EXPECT_EQ(w().graph().source().seriesCount(), 1u);
  EXPECT_EQ(w().graph().source().pointCount(0), 2u);
  EXPECT_EQ(w().graph().source().valueAt(0, 1), 2);
  std::vector<int32_t> recent;
  w().recent(1, recent);
  EXPECT_EQ(recent, (std::vector<int32_t>{-1, -1}));
  EXPECT_EQ(w().cellColor(1, 10), 0xC00000);
  EXPECT_EQ(w().cellColor(0, 10), -1);
}

TEST_F(MonitorWindow, CsvHoldsEveryRowAndColumnAfterAByteOrderMark) {
  answer(1, {"127.0.0.2"});
  startHosts("127.0.0.1\n127.0.0.2\nnosuch.example");
  w().awaitNames();
  runFor(1000);
  mclick("btnMonitor");
  os.dialogAnswers.push_back(os.folder + "/watch");
  mclick("btnMonitorCsv");
  EXPECT_EQ(readBytes(os.folder + "/watch.csv"),
            "\xEF\xBB\xBF#,ホスト,損失%,送信,受信,最新,平均,最小,最大,ジッター,状態,障害\r\n"
            "1,127.0.0.1,0.0,1,1,2,2.0,2,2,-,正常,0\r\n"
            "2,127.0.0.2,100.0,1,0,-,-,-,-,-,損失,0\r\n"
            "3,nosuch.example,-,0,0,-,-,-,-,-,名前を解決できません,0\r\n");
  ASSERT_EQ(os.dialogsShown.size(), 1u);
  EXPECT_TRUE(os.dialogsShown[0].askBeforeReplace);
  // A name that ends in the extension already keeps it as it is.
  for (const char* name : {"/a.csv", "/b.CSV"}) {
    os.dialogAnswers.push_back(os.folder + name);
    mclick("btnMonitorCsv");
    EXPECT_EQ(readBytes(os.folder + name), readBytes(os.folder + "/watch.csv")) << name;
  }
  // A name with another extension is the file that the dialog asked about
  // replacing: nothing is added to it after the dialog.
  os.dialogAnswers.push_back(os.folder + "/watch.txt");
  mclick("btnMonitorCsv");
  EXPECT_EQ(readBytes(os.folder + "/watch.txt"), readBytes(os.folder + "/watch.csv"));
  EXPECT_FALSE(std::filesystem::exists(os.folder + "/watch.txt.csv"));
  // The picture of the graph, by its button, where the user chose.
  std::string picture;
  w().graph().savePicture = [&](const std::string& path) {
    picture = path;
    return true;
  };
  os.dialogAnswers.push_back(os.folder + "/graph");
  mclick("btnMonitorPicture");
  EXPECT_EQ(picture, os.folder + "/graph.png");
  EXPECT_TRUE(os.messages.empty());
}

TEST_F(MonitorWindow, WatchHopsShowsForTracertOutputOnlyAndFillsTheRouteStopped) {
  const struct {
    const char* folder;
    const char* file;
    const char* host;  // "" when the item does not show
  } outputs[] = {
      {"tracert", "ja-name.txt", "www.example.jp"},
      {"tracert", "ja-d.txt", "203.0.113.7"},
      {"tracert", "en-name.txt", "www.example.com"},
      {"ping", "ja-ipv4.txt", ""},
      {"ping", "en-ipv4.txt", ""},
  };
  auto shown = [&] {
    for (const auto& e : form()["Memo0"].outputDoc()->menu())
      if (e.action == "Act_MonitorHops") return true;
    return false;
  };
  w().FormClose();
  for (const auto& o : outputs) {
    form()["Memo0"].setText(decodedSample(o.folder, o.file));
    EXPECT_EQ(shown(), *o.host != 0) << o.file;
    if (!*o.host) continue;
    mf().setWindowVisible(false);
    form().execute("Act_MonitorHops");
    EXPECT_EQ(m("Memo_Hosts").text(), o.host);
    EXPECT_EQ(m("RG_MonitorMode").itemIndex(), 1);
    EXPECT_FALSE(w().monitor().running());
    EXPECT_TRUE(os.echoesSent.empty());
    EXPECT_TRUE(mf().windowVisible());
    EXPECT_EQ(mf().focused()->name(), "btnMonitor");
  }
  form()["Memo0"].setText("Active Connections\r\n\r\n  Proto  Local Address\r\n");
  EXPECT_FALSE(shown());
  // Several runs in the output, as a batch leaves them: the last that has
  // its hops, as far as the output came.
  const std::string en = decodedSample("tracert", "en-name.txt");
  const std::string ja = decodedSample("tracert", "ja-d.txt");
  const struct {
    std::vector<std::string> pieces;  // set, then appended
    const char* host;
  } runs[] = {
      {{en, ja}, "203.0.113.7"},
      {{ja, en}, "www.example.com"},
      {{en, ja.substr(0, ja.find("  1 "))}, "www.example.com"},
      {{en, ja.substr(0, ja.find("  1 ")), ja.substr(ja.find("  1 "))}, "203.0.113.7"},
  };
  for (const auto& r : runs) {
    form()["Memo0"].setText(r.pieces[0]);
    EXPECT_TRUE(shown());
    for (size_t i = 1; i < r.pieces.size(); ++i) form()["Memo0"].append(r.pieces[i]);
    EXPECT_TRUE(shown());
    form().execute("Act_MonitorHops");
    EXPECT_EQ(m("Memo_Hosts").text(), r.host);
  }
}

TEST_F(MonitorWindow, TheRouteShowsItsHopsUpToTheHost) {
  os.answerEcho = [](const ScriptedPlatform::SentEcho& e) -> std::optional<Answer> {
    if (e.ttl == 1) return Answer{0, Status::TtlExpired, 1, "127.0.0.254"};
    return Answer{0, Status::Reply, 2, e.address};
  };
  m("RG_MonitorMode").setItemIndex(1);
  startHosts("127.0.0.1\n127.0.0.2");
  runFor(2000);
  EXPECT_EQ(column(1), "127.0.0.254 127.0.0.1 ");
  EXPECT_EQ(column(10), "正常 正常 ");
  EXPECT_EQ(w().cellColor(0, 10), -1);
  // A first hop that never answers: said so, in grey, as no fault.
  mclick("btnMonitor");
  os.answerEcho = [](const ScriptedPlatform::SentEcho& e) -> std::optional<Answer> {
    if (e.ttl == 1) return Answer{0, Status::TimedOut, 0, ""};
    return Answer{0, Status::Reply, 2, e.address};
  };
  mclick("btnMonitor");
  runFor(2000);
  EXPECT_EQ(column(1), "* 127.0.0.1 ");
  EXPECT_EQ(column(10), "応答なし 正常 ");
  EXPECT_EQ(w().cellColor(0, 10), 0x808080);
}

TEST_F(MonitorWindow, TheWindowsChoicesAndBoundsAreKeptAcrossStarts) {
  mtype("Memo_Hosts", "127.0.0.1\r\nhost.example");
  m("RG_MonitorMode").setItemIndex(1);
  mtype("Edit_MonitorSec", "2.5");
  mtype("Edit_MonitorTimeout", "700");
  mf().userPickItem(m("CB_MonitorRange"), 2);
  EXPECT_EQ(w().graph().span(), 3'600'000);
  mf().userPickItem(m("CB_MonitorRange"), 0);
  EXPECT_EQ(w().graph().span(), 60'000);
  mf().userPickItem(m("CB_MonitorRange"), 2);
  mf().execute("Act_GraphTop200");
  mf().setWindowBounds({100, 120, 800, 600});
  main().FormClose();
  for (int dpi : {96, 144}) {
    os.dpi = dpi;
    program = std::make_unique<Program>(os);
    main().FormCreate();
    main().FormShow();
    EXPECT_EQ(m("Memo_Hosts").text(), "127.0.0.1\r\nhost.example");
    // Each mode kept: "経路" by the first start, "ホスト" by the second.
    EXPECT_EQ(m("RG_MonitorMode").itemIndex(), dpi == 96 ? 1 : 0);
    EXPECT_EQ(m("Edit_MonitorSec").text(), "2.5");
    EXPECT_EQ(m("Edit_MonitorTimeout").text(), "700");
    EXPECT_EQ(m("CB_MonitorRange").itemIndex(), 2);
    EXPECT_EQ(w().graph().span(), 3'600'000);
    EXPECT_EQ(w().graph().fixedTop(), 200);
    const form::Rect b = mf().windowBounds();
    EXPECT_EQ(b, (form::Rect{100 * dpi / 96, 120 * dpi / 96, 800 * dpi / 96, 600 * dpi / 96}));
    m("RG_MonitorMode").setItemIndex(0);
    main().FormClose();
  }
  // Bounds off every screen, or too small to use, are not taken: the
  // window opens over the main one.
  struct Stored {
    const char* bounds;
    bool taken;
  };
  const Stored stored[] = {{"5000 5000 800 600", false},
                           {"100 120 200 150", true},
                           {"100 120 199 600", false},
                           {"100 120 800 149", false}};
  os.dpi = 96;
  for (const Stored& st : stored) {
    app::UserState s(os);
    s.load(os.folder);
    s.setValue("monitor.bounds", st.bounds);
    s.save();
    program = std::make_unique<Program>(os);
    main().FormCreate();
    main().FormShow();
    form().execute("Act_Monitor");
    const form::Rect b = mf().windowBounds();
    const form::Rect& owner = form().windowBounds();
    if (st.taken)
      EXPECT_EQ(b, (form::Rect{100, 120, 200, 150}));
    else
      EXPECT_EQ(b, (form::Rect{owner.left + (owner.width - b.width) / 2,
                               owner.top + (owner.height - b.height) / 2, 800, b.height}))
          << st.bounds;
    main().FormClose();
  }
}

TEST_F(MonitorWindow, AfterTwoHoursTheListKeepsTheWholeRunAndTheGraphItsMinutes) {
  os.setLocalTime("2026/12/10 09:15:00");
  int n = 0;
  // Every fifth request lost, the others 1 to 4 ms.
  os.answerEcho = [&n](const ScriptedPlatform::SentEcho& e) -> std::optional<Answer> {
    const int i = n++;
    if (i % 5 == 4) return Answer{0, Status::TimedOut, 0, ""};
    return Answer{0, Status::Reply, i % 5 + 1, e.address};
  };
  mf().userType(mf()["Memo_Hosts"], "192.0.2.7");
  mf().userClick(mf()["btnMonitor"]);
  runFor(2 * 3'600'000 + 30'000);
  const monitor::RowHistory& h = w().monitor().row(0).series;
  ASSERT_GT(h.summaryCount(), 55u);
  ASSERT_LT(h.size(), 3'700u);
  // The whole run, as every result kept whole would give it.
  reading::PingSeries full("");
  for (int i = 0; i < n; ++i) full.add(0, i % 5 == 4 ? reading::kTimedOut : i % 5 + 1);
  ASSERT_EQ(h.sent(), n);
  const long long lost = full.sent() - full.received();
  EXPECT_EQ(w().cell(0, 2), reading::ratioTenths(lost * 100, full.sent()));
  EXPECT_EQ(w().cell(0, 3), std::to_string(full.sent()));
  EXPECT_EQ(w().cell(0, 4), std::to_string(full.received()));
  EXPECT_EQ(w().cell(0, 6), reading::ratioTenths(full.sum(), full.received()));
  EXPECT_EQ(w().cell(0, 7), "1");
  EXPECT_EQ(w().cell(0, 8), "4");
  EXPECT_EQ(w().cell(0, 9), reading::ratioTenths(full.jitterSum(), full.received() - 1));
  // The graph of the selected row over everything: the first minute summed.
  mf().userFocus(mf()["LV_Monitor"]);
  EXPECT_TRUE(mf().userShortcut("Ctrl+A"));
  ASSERT_EQ(w().graph().source().seriesCount(), 1u);
  mf().userPickItem(mf()["CB_MonitorRange"], 3);
  EXPECT_EQ(w().graph().window().from, 13'441'334'400'000LL + (9 * 60 + 15) * 60'000);
  EXPECT_EQ(w().describeSummary(0, 0),
            "09:15-09:16  192.0.2.7  送信 60  受信 48  最小 1 ms  平均 2.5 ms  最大 4 ms");
}

}  // namespace
}  // namespace velquin::test
