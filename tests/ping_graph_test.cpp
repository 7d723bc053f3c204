// The graph pane of the results page as the user drives it: shown and
// hidden by Ctrl+G and the menus, its figures following the output, its
// choices kept across starts, the alert when a target stops answering, the
// picture saved, and Ctrl+Break reaching the running command.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "app/user_state.h"
#include "form/graph_doc.h"
#include "form/output_doc.h"
#include "results/ping_graph.h"
#include "support/app_fixture.h"

namespace velquin::test {
namespace {

constexpr long long kTen = 10LL * 3600 * 1000;  // 10:00:00.000

class PingGraphTest : public AppTest {
 protected:
  PingGraphTest() { os.clock = kTen; }

  form::OutputDoc& doc() { return *form()["Memo0"].outputDoc(); }
  form::GraphDoc& graph() { return *form()["PaintGraph"].graph(); }
  bool shown() { return form()["PanelGraph"].showing(); }

  // A run's text as the runner sets it, then its lines one at a time, each
  // a second after the last.
  void startRun(const std::string& command) {
    form()["Memo0"].setText(command + "\r\n");
  }
  void lines(const std::vector<std::string>& list) {
    for (const std::string& l : list) {
      os.clock += 1000;
      form()["Memo0"].append(l + "\r\n");
    }
  }
  void ctrlG() {
    form().userSelectPage(form()["PageControl1"], 1);
    enter("Memo0");
    EXPECT_TRUE(form().userShortcut("Ctrl+G"));
  }
  // The view's menu as the user sees it: each item's caption and tick.
  std::vector<std::string> viewMenu() {
    std::vector<std::string> out;
    // The graph's items and the break; other features add their own.
    for (const form::OutputDoc::MenuEntry& e : doc().menu())
      if (e.action.starts_with("Act_Graph") || e.action == "Act_CtrlBreak")
        out.push_back(e.caption + (e.checked ? " ✓" : "") + (e.enabled ? "" : " (灰)"));
    return out;
  }
  // Closes the program and starts it again; `meanwhile` runs between.
  void restart(const std::function<void()>& meanwhile = {}) {
    main().FormClose();
    program.reset();
    if (meanwhile) meanwhile();
    program = std::make_unique<Program>(os);
    main().FormCreate();
    main().form().setClientSize(596, 438);
    main().FormShow();
    form().userSelectPage(form()["PageControl1"], 1);
  }
};

TEST_F(PingGraphTest, CtrlGAndTheMenusShowThePaneWithTheFiguresOfTheOutput) {
  form().userSelectPage(form()["PageControl1"], 1);
  EXPECT_FALSE(shown());
  startRun("ping -n 2 10.0.0.1");
  lines({"", "Pinging 10.0.0.1 with 32 bytes of data:",
         "Reply from 10.0.0.1: bytes=32 time=7ms TTL=128", "Request timed out."});
  EXPECT_EQ(viewMenu(), (std::vector<std::string>{"グラフを表示(&G)",
                                                  "応答がなくなったら知らせる(&N)",
                                                  "Ctrl+Break を送る(&B) (灰)"}));
  ctrlG();
  EXPECT_TRUE(shown());
  EXPECT_TRUE(form()["SplitterGraph"].showing());
  EXPECT_EQ(viewMenu()[0], "グラフを表示(&G) ✓");
  const char* figures =
      "10.0.0.1  送信 2  受信 1  損失 1 (50.0%)  最小 7 ms  平均 7.0 ms  最大 7 ms  "
      "ジッター - ms";
  EXPECT_EQ(text("LblGraph"), figures);
  // The pane sits between the find strip and the view, which gives up room.
  const form::Rect pane = form()["PanelGraph"].bounds(), memo = form()["Memo0"].bounds();
  EXPECT_EQ(memo.top, pane.top + pane.height + form()["SplitterGraph"].bounds().height);

  // Output that keeps arriving is counted as it comes; a second target gets
  // a line of its own.
  const int oneLine = form()["LblGraph"].bounds().height;
  lines({"Pinging ::1 with 32 bytes of data:", "Reply from ::1: time<1ms "});
  EXPECT_EQ(text("LblGraph"), std::string(figures) +
                                  "\r\n::1  送信 1  受信 1  損失 0 (0.0%)  最小 0 ms  平均 0.0 ms  "
                                  "最大 0 ms  ジッター - ms");
  EXPECT_EQ(form()["LblGraph"].bounds().height, oneLine);  // the room of one holds both

  // Another command's output has no target.
  startRun("netstat -n");
  lines({"", "  TCP    127.0.0.1:80    127.0.0.1:5000    ESTABLISHED",
         "  2     *        *        *     Request timed out."});
  EXPECT_EQ(text("LblGraph"), "");
  EXPECT_FALSE(form()["LblGraph"].visible());  // the drawing says there is nothing yet
  EXPECT_TRUE(graph().window().empty);

  // Ctrl+G from the range list hides the pane; the focus goes back to the
  // output.
  enter("CB_GraphRange");
  EXPECT_TRUE(form().userShortcut("Ctrl+G"));
  EXPECT_FALSE(shown());
  EXPECT_EQ(form().focused(), &form()["Memo0"]);
  // The drawing's menu shows it again; Ctrl+G outside the results page
  // does nothing.
  form().execute("Act_Graph");
  EXPECT_TRUE(shown());
  form().execute("Act_Graph");
  enter("btnDO");
  EXPECT_FALSE(form().userShortcut("Ctrl+G"));  // not on the results page
  EXPECT_FALSE(shown());
}

TEST_F(PingGraphTest, RangeScaleAlertAndHeightAreKeptAcrossStarts) {
  form().userSelectPage(form()["PageControl1"], 1);
  ctrlG();
  // Each choice redraws the drawing.
  int redraws = 0;
  graph().onShow = [&] { ++redraws; };
  pick("CB_GraphRange", 0);
  EXPECT_EQ(graph().span(), 60'000);
  EXPECT_EQ(redraws, 1);
  form().execute("Act_GraphTop200");
  EXPECT_EQ(redraws, 2);
  graph().onShow = nullptr;
  form().execute("Act_GraphAlert");
  form::Rect b = form()["PanelGraph"].bounds();
  b.height = 150;
  form()["PanelGraph"].setBounds(b);
  restart();
  EXPECT_TRUE(form()["PanelGraph"].visible());
  EXPECT_EQ(form()["PanelGraph"].bounds().height, 150);
  EXPECT_EQ(text("CB_GraphRange"), "1 分");
  EXPECT_EQ(graph().span(), 60'000);
  EXPECT_EQ(graph().fixedTop(), 200);
  EXPECT_EQ(viewMenu()[1], "応答がなくなったら知らせる(&N) ✓");
  // The drawing's menu ticks the scale chosen, and only that.
  auto ticked = [&] {
    std::vector<std::string> out;
    for (const form::GraphDoc::MenuItem& m : graph().menu())
      if (m.checked && m.checked()) out.push_back(m.submenu + "/" + m.caption);
    return out;
  };
  EXPECT_EQ(ticked(), (std::vector<std::string>{"縦軸の上限(&Y)/200 ms",
                                                "/応答がなくなったら知らせる(&N)",
                                                "/グラフを表示(&G)"}));
  pick("CB_GraphRange", 3);
  form().execute("Act_GraphTop0");
  form().execute("Act_Graph");
  form().execute("Act_GraphAlert");
  restart();
  EXPECT_FALSE(form()["PanelGraph"].visible());
  EXPECT_EQ(graph().span(), 0);
  EXPECT_EQ(graph().fixedTop(), 0);
  EXPECT_EQ(ticked(), (std::vector<std::string>{"縦軸の上限(&Y)/自動(&A)"}));
  // In the scale's submenu a line sets the automatic scale apart from
  // the fixed ones.
  std::vector<std::string> apart;
  for (const form::GraphDoc::MenuItem& m : graph().menu())
    if (m.separatorBefore && m.submenu == "縦軸の上限(&Y)") apart.push_back(m.caption);
  EXPECT_EQ(apart, std::vector<std::string>{"自動(&A)"});
  EXPECT_EQ(viewMenu()[1], "応答がなくなったら知らせる(&N)");
  const std::string ini = readBytes(os.folder + "/Velquin.ini");
  EXPECT_EQ(std::count(ini.begin(), ini.end(), '\n'), 5);
  // A stored height is taken within 40 to 2000.
  for (const auto& [stored, taken] : {std::pair{39, 40}, {40, 40}, {2000, 2000}, {2001, 2000}}) {
    restart([&, stored = stored] {
      app::UserState s(os);
      s.load(os.folder);
      s.setValue("graph.height", std::to_string(stored));
      s.save();
    });
    EXPECT_EQ(form()["PanelGraph"].bounds().height, taken) << stored;
  }
}

TEST_F(PingGraphTest, TheAlertTellsOfEachOutageOnceAndWhenRepliesCameBack) {
  form().execute("Act_GraphAlert");
  const std::string bar = text("StatusBar1");
  startRun("ping -t 192.168.1.1");
  const std::string start = "192.168.1.1 に ping を送信しています 32 バイトのデータ:";
  const std::string reply = "192.168.1.1 からの応答: バイト数 =32 時間 =3ms TTL=64";
  const std::string lost = "要求がタイムアウトしました。";
  // Written out as the user sees it, line by line.
  lines({start, reply, lost, lost, reply});  // 10:00:01 .. 10:00:05: two lost only
  EXPECT_EQ(os.alerts, 0);
  EXPECT_EQ(text("StatusBar1"), bar);
  lines({lost, "PING: 転送に失敗しました。一般エラーです。"});  // 10:00:06, 10:00:07
  EXPECT_EQ(os.alerts, 0);
  lines({"192.168.1.1 からの応答: 転送中に TTL が期限切れになりました。"});  // 10:00:08
  EXPECT_EQ(os.alerts, 1);
  EXPECT_EQ(text("StatusBar1"), "192.168.1.1: 応答なし 10:00:06 から  " + bar);
  lines({lost, lost});
  EXPECT_EQ(os.alerts, 1);  // once an outage
  lines({reply});           // 10:00:11
  EXPECT_EQ(text("StatusBar1"),
            "192.168.1.1: 応答が戻りました 10:00:11 (5.0 秒間応答なし)  " + bar);
  lines({lost, lost, lost, reply});  // 10:00:12 .. 10:00:15
  EXPECT_EQ(os.alerts, 2);
  EXPECT_EQ(text("StatusBar1"),
            "192.168.1.1: 応答が戻りました 10:00:15 (3.0 秒間応答なし)  " + bar);
  // Both outages stay listed in the pane.
  ctrlG();
  EXPECT_EQ(text("LblGraphEvents"),
            "192.168.1.1: 応答なし 10:00:06 から、応答が戻りました 10:00:11 (5.0 秒間応答なし)\r\n"
            "192.168.1.1: 応答なし 10:00:12 から、応答が戻りました 10:00:15 (3.0 秒間応答なし)");
  EXPECT_TRUE(form()["LblGraphEvents"].visible());
  // The next run starts afresh.
  startRun("ping -t 192.168.1.1");
  EXPECT_EQ(text("StatusBar1").find("192.168.1.1"), std::string::npos);
  EXPECT_FALSE(form()["LblGraphEvents"].visible());

  // With the alert off, nothing flashes and the bar says nothing of it;
  // the pane still lists what happened.
  form().execute("Act_GraphAlert");
  lines({start, lost, lost, lost});
  EXPECT_EQ(os.alerts, 2);
  EXPECT_EQ(text("StatusBar1").find("応答なし"), std::string::npos);
  EXPECT_EQ(text("LblGraphEvents"), "192.168.1.1: 応答なし 10:00:17 から");
  // Turned on while the target is down: the bar says so, with no flash.
  form().execute("Act_GraphAlert");
  EXPECT_EQ(text("StatusBar1"), "192.168.1.1: 応答なし 10:00:17 から  " + bar);
  EXPECT_EQ(os.alerts, 2);
  // The next target of the same output (a command file's next ping) going
  // down alerts; its coming back does not, though the first is still down.
  lines({"10.0.0.2 に ping を送信しています 32 バイトのデータ:", lost, lost, lost});
  EXPECT_EQ(os.alerts, 3);
  lines({"10.0.0.2 からの応答: バイト数 =32 時間 =3ms TTL=64"});
  EXPECT_EQ(os.alerts, 3);
  EXPECT_NE(text("StatusBar1").find("10.0.0.2: 応答が戻りました"), std::string::npos);
}

TEST_F(PingGraphTest, ThePictureIsSavedAsPngWhereTheUserChose) {
  std::vector<std::string> saved;
  bool works = true;
  graph().savePicture = [&](const std::string& path) {
    saved.push_back(path);
    return works;
  };
  graph().copyPicture = [&] { return works; };
  // The dialog gives a name typed without an extension its ".png" before
  // it asks about replacing; a name with an extension is the file that the
  // dialog asked about, and nothing is added to it afterwards.
  os.dialogAnswers = {os.folder + "/graph", os.folder + "/b.PNG", os.folder + "/ping.v2", ""};
  for (int i = 0; i < 4; ++i) form().execute("Act_GraphSave");  // the last cancelled
  EXPECT_EQ(saved, (std::vector<std::string>{os.folder + "/graph.png", os.folder + "/b.PNG",
                                             os.folder + "/ping.v2"}));
  ASSERT_EQ(os.dialogsShown.size(), 4u);
  for (const platform::FileDialog& d : os.dialogsShown) EXPECT_TRUE(d.askBeforeReplace);
  form().execute("Act_GraphCopy");
  EXPECT_TRUE(os.messages.empty());
  works = false;
  os.dialogAnswers = {os.folder + "/c.png"};
  form().execute("Act_GraphSave");
  form().execute("Act_GraphCopy");
  EXPECT_EQ(os.messages, (std::vector<std::string>{
                             "グラフの画像を保存できませんでした: " + os.folder + "/c.png",
                             "グラフをクリップボードにコピーできませんでした"}));
}

// The newest point is drawn at the right edge at every range: a reply with
// its value, a loss with its mark, however many points share the column.
TEST_F(PingGraphTest, TheNewestReplyOrLossIsInTheLastColumnAtEveryRange) {
  ctrlG();
  const struct {
    const char* line;
    int32_t value;  // the reply's time, or the kind of loss
  } newest[] = {
      {"Reply from 127.0.0.1: bytes=32 time=3ms TTL=128", 3},
      {"Request timed out.", reading::kTimedOut},
      {"PING: transmit failed. Error code 1231.", reading::kGeneralFailure},
  };
  for (int range = 0; range < 4; ++range) {
    pick("CB_GraphRange", range);
    for (const auto& n : newest) {
      startRun("ping -n 4 127.0.0.1");
      lines({"", "Pinging 127.0.0.1 with 32 bytes of data:",
             "Reply from 127.0.0.1: bytes=32 time<1ms TTL=128",
             "Reply from 127.0.0.1: bytes=32 time=2ms TTL=128",
             "Reply from 127.0.0.1: bytes=32 time=1ms TTL=128", n.line});
      const form::GraphDoc::Frame f = graph().frame();
      std::vector<form::GraphDoc::Column> cols;
      graph().columns(0, f.from, f.span, 240, cols);
      ASSERT_EQ(cols.size(), 240u);
      const form::GraphDoc::Column& last = cols.back();
      if (n.value >= 0) {
        EXPECT_TRUE(last.any && last.last == n.value) << range << ": " << n.line;
      } else {
        EXPECT_EQ(last.lost, n.value) << range << ": " << n.line;
      }
    }
  }
}

// Twelve targets (`for /l %i in (1,1,12) do ping -n 1 127.0.0.%i`): the
// figures list every one and show five at once; the drawing keeps its
// height however many lines the pane lists and however small the user
// makes the pane, also at the next start.
TEST_F(PingGraphTest, ManyTargetsLeaveTheDrawingItsHeight) {
  ctrlG();
  auto drawing = [&] { return form()["PaintGraph"].bounds().height; };
  startRun("cmd /c \"for /l %i in (1,1,12) do ping -n 1 127.0.0.%i\"");
  std::vector<int> heights;
  for (int i = 1; i <= 12; ++i) {
    const std::string host = "127.0.0." + std::to_string(i);
    lines({"", "Pinging " + host + " with 32 bytes of data:",
           "Reply from " + host + ": bytes=32 time<1ms TTL=128"});
    heights.push_back(form()["LblGraph"].bounds().height);
    EXPECT_GE(drawing(), 80) << i << " targets";
  }
  const std::string figures = text("LblGraph");
  EXPECT_EQ(std::count(figures.begin(), figures.end(), '\n'), 11);
  EXPECT_EQ(figures.substr(figures.rfind('\n') + 1, 12), "127.0.0.12  ");
  for (size_t i = 2; i < heights.size(); ++i) {
    if (i < 5) EXPECT_GT(heights[i], heights[i - 1]) << i + 1 << " targets";
    else EXPECT_EQ(heights[i], heights[4]) << i + 1 << " targets";
  }
  // Outages listed under the figures.
  for (int i = 0; i < 9; ++i) lines({"Request timed out."});
  lines({"Reply from 127.0.0.12: bytes=32 time<1ms TTL=128", "Request timed out.",
         "Request timed out.", "Request timed out."});
  ASSERT_TRUE(form()["LblGraphEvents"].visible());
  EXPECT_GE(drawing(), 80);
  // The pane dragged as small as the bar lets it.
  form::Rect b = form()["PanelGraph"].bounds();
  b.height = 40;
  form()["PanelGraph"].setBounds(b);
  form().relayout();
  EXPECT_GE(drawing(), 80);
  restart([&] {
    app::UserState s(os);
    s.load(os.folder);
    s.setValue("graph.height", "40");
    s.save();
  });
  ASSERT_TRUE(shown());
  EXPECT_GE(drawing(), 80);
}

// The drawing's text of a point: its time, target and value or loss.
TEST_F(PingGraphTest, ThePointUnderTheMouseReadsAsItsLine) {
  startRun("ping 10.0.0.1");
  lines({"Pinging 10.0.0.1 with 32 bytes of data:",
         "Reply from 10.0.0.1: bytes=32 time=13ms TTL=128", "Request timed out.",
         "Reply from 10.0.0.254: Destination host unreachable."});
  const form::GraphSource& src = graph().source();
  ASSERT_EQ(src.seriesCount(), 1u);
  ASSERT_EQ(src.pointCount(0), 3u);
  EXPECT_EQ(src.describe(0, 0), "10:00:02.000  10.0.0.1  13 ms");
  EXPECT_EQ(src.describe(0, 1), "10:00:03.000  10.0.0.1  要求がタイムアウトしました");
  EXPECT_EQ(src.describe(0, 2), "10:00:04.000  10.0.0.1  宛先に到達できません");
}

// Ctrl+Break reaches the running command as its own event (SIGQUIT here),
// not as Ctrl-C, and the command goes on; with nothing running it does
// nothing.
TEST_F(PingGraphTest, CtrlBreakReachesTheRunningCommandAndItGoesOn) {
  form().execute("Act_CtrlBreak");  // nothing runs: dropped
  // A sleep in the background ignores both signals; the wait for it is
  // cut short by the one that the shell traps.
  const std::string done = os.folder + "/done";
  type("Edit1", "sh -c \"trap 'echo INT; exit 3' INT; trap 'echo BREAK' QUIT; echo ready; "
                "while [ ! -f '" + done + "' ]; do sleep 0.02 & wait $!; done; echo went on\"");
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
  int stage = 0;
  std::function<void()> tick = [&] {
    os.duringPump.push_back(tick);
    std::this_thread::sleep_for(std::chrono::microseconds(200));
    if (std::chrono::steady_clock::now() > deadline) os.quit = true;
    const std::string out = text("Memo0");
    if (stage == 0 && out.find("\nready") != std::string::npos) {  // its output, not its command line
      enter("Memo0");
      EXPECT_EQ(viewMenu().back(), "Ctrl+Break を送る(&B)");  // enabled while it runs
      EXPECT_TRUE(form().userShortcut("Ctrl+Break"));
      stage = 1;
    } else if (stage == 1 && out.find("\nBREAK") != std::string::npos) {
      writeBytes(done, "");
      stage = 2;
    }
  };
  os.duringPump.push_back(tick);
  click("btnDO");
  os.duringPump.clear();
  EXPECT_FALSE(os.quit) << "the run did not end in time";
  EXPECT_EQ(stage, 2);
  const std::string all = text("Memo0");
  const std::string out = all.substr(all.find("\r\n"));  // after the command line
  EXPECT_NE(out.find("ready\nBREAK\n"), std::string::npos) << out;
  EXPECT_EQ(out.find("BREAK"), out.rfind("BREAK")) << "one press, one event: " << out;
  EXPECT_NE(out.find("went on"), std::string::npos) << out;
  EXPECT_EQ(out.find("INT"), std::string::npos) << out;
}

}  // namespace
}  // namespace velquin::test
