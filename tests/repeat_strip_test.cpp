// Repeating a command as the user drives it: the strip, the cadence on the
// scripted clock, what the status bar says, the changes marked in the view,
// the kept runs listed, shown and saved, each way a repetition ends, and the
// choices kept across starts. The commands are real (sh -c children) that
// read a file the test changes between runs.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "app/history.h"
#include "exec/runner.h"
#include "form/output_doc.h"
#include "results/repeat_strip.h"
#include "support/app_fixture.h"

namespace velquin::test {
namespace {

using namespace std::chrono_literals;
using form::ChangeMarks;

TEST(RepeatInterval, ReadAndShown) {
  struct Case {
    std::string typed;
    int64_t ms;
  };
  const Case cases[] = {
      {"2", 2000},     {"0.5", 500},     {"１．５", 1500},  {"９．０", 9000},
      {" 3 ", 3000},
      {".5", 500},     {"5.", 5000},     {"86400", 86400000},
      {"1.2345", 1234}, {"86400.001", -1}, {"0.499", -1},  {"0", -1},
      {"", -1},        {"abc", -1},      {"1e3", -1},       {"-1", -1},
      {"1,5", -1},     {".", -1},        {"99999999999999999999", -1},
  };
  for (const Case& c : cases) EXPECT_EQ(results::parseInterval(c.typed), c.ms) << c.typed;
  const std::pair<int64_t, std::string> shown[] = {
      {2000, "2"}, {500, "0.5"}, {1250, "1.25"}, {86400000, "86400"}, {1005, "1.005"}};
  for (const auto& [ms, text] : shown) EXPECT_EQ(results::intervalText(ms), text);
}

// Records when each run started on the scripted clock.
class Starts : public exec::RunObserver {
 public:
  explicit Starts(ScriptedPlatform& os) : os_(os) {}
  void runStarting(const std::string& command) override {
    at.push_back(os_.clockMs);
    commands.push_back(command);
  }
  void runEnded(const exec::RunEnd&) override { ++ended; }
  std::vector<int64_t> at;
  std::vector<std::string> commands;
  size_t ended = 0;

 private:
  ScriptedPlatform& os_;
};

class RepeatTest : public AppTest {
 protected:
  RepeatTest() : starts(os) {
    os.setLocalTime("2024/05/01 09:30:00");
    program->runner().addObserver(starts);
    file = os.folder + "/out.txt";
    command = "cat " + file;
  }

  form::OutputDoc& doc() { return *main()["Memo0"].outputDoc(); }
  const ChangeMarks& marks() { return doc().changes(); }
  size_t runs() const { return starts.at.size(); }
  bool repeating() { return text("btnRepeat") == results::kRepeatStop; }

  // Moves the steady clock and the local one alike.
  void advance(int64_t ms) {
    os.clockMs += ms;
    os.clock += ms;
  }
  // One thing the user does while the repetition goes on: when the
  // condition holds at a pass of the message loop, the action runs (once,
  // in order). Every pass while no command runs moves the clocks on by
  // tickMs: a run takes no time unless a step says so.
  struct Step {
    std::function<bool()> when;
    std::function<void()> then;
  };
  // Opens the strip with Ctrl+R, types Edit1's line first, and presses the
  // start button; returns once the repetition has ended.
  void repeat(std::vector<Step> steps, int64_t tickMs = 100) {
    form().userSelectPage(main()["PageControl1"], 0);
    type("Edit1", command);
    enter("Edit1");
    ASSERT_TRUE(form().userShortcut("Ctrl+R"));
    ASSERT_TRUE((*this)["PanelRepeat"].showing());
    ASSERT_EQ(form().focused()->name(), "btnRepeat");
    EXPECT_EQ(text("LblRepeatLine"), command);
    struct Driver {
      std::vector<Step> steps;
      size_t next = 0;
      std::chrono::steady_clock::time_point deadline;
      bool timedOut = false;
      std::function<void()> tick;
    } d{std::move(steps), 0, std::chrono::steady_clock::now() + 20s, false, {}};
    d.tick = [this, &d, tickMs] {
      os.duringPump.push_back(d.tick);
      if (starts.ended == starts.at.size()) advance(tickMs);
      if (std::chrono::steady_clock::now() > d.deadline) {
        d.timedOut = true;
        os.quit = true;
        return;
      }
      std::this_thread::sleep_for(100us);
      if (d.next < d.steps.size() && (!d.steps[d.next].when || d.steps[d.next].when()))
        d.steps[d.next++].then();
    };
    os.duringPump.push_back(d.tick);
    press("btnRepeat");
    os.duringPump.clear();
    EXPECT_FALSE(d.timedOut) << "the repetition did not end in time";
    EXPECT_EQ(d.next, d.steps.size()) << "not every step was taken";
    os.quit = false;
  }
  // The run that started last has ended and the repetition waits.
  std::function<bool()> waiting(size_t n) {
    return [this, n] { return runs() == n && starts.ended == n && !text("StatusBar1").empty() &&
                              text("StatusBar1").find("次は") != std::string::npos; };
  }
  std::function<bool()> running(size_t n) {
    return [this, n] { return runs() == n && starts.ended < n; };
  }

  Starts starts;
  std::string file, command;
};

constexpr const char* kFirst =
    "head\r\nkeep1\r\nold 192.168.0.1\r\nkeep2\r\ngone\r\nkeep3\r\n";
constexpr const char* kSecond =
    "head\r\nkeep1\r\nold 192.168.0.12\r\nkeep2\r\nkeep3\r\ninserted\r\n";

TEST_F(RepeatTest, RunsOnCadenceMarksChangesAndKeepsTheChangedRuns) {
  writeBytes(file, kFirst);
  ASSERT_TRUE(form().userShortcut("Ctrl+R") || (enter("Edit1"), form().userShortcut("Ctrl+R")));
  EXPECT_EQ(text("CB_RepeatRuns"), "最新");  // nothing kept yet
  click("CB_RepeatNotify");
  ASSERT_TRUE((*this)["CB_RepeatNotify"].checked());
  std::vector<std::string> bar;
  repeat({
      // While the first two runs give the same text, the user changes the
      // command line field; the repetition keeps its own line.
      {waiting(2), [&] {
         writeBytes(file, kSecond);
         form().userSelectPage(main()["PageControl1"], 0);
         type("Edit1", "echo mine");
       }},
      {waiting(3), [&] { bar.push_back(text("StatusBar1")); }},
      {running(4), [&] {
         bar.push_back(text("StatusBar1"));
         advance(2500);  // a run longer than the interval
       }},
      {running(5), [&] {}},
      {waiting(5), [&] { click("btnRepeat"); }},
  });
  // Every interval from the start of the one before, never two at once; a
  // run that overran is followed at once.
  EXPECT_EQ(starts.at, (std::vector<int64_t>{0, 2000, 4000, 6000, 8500}));
  EXPECT_EQ(starts.commands, std::vector<std::string>(5, command));
  EXPECT_EQ(text("Edit1"), "echo mine");
  EXPECT_FALSE(repeating());
  EXPECT_EQ(text("btnRepeat"), results::kRepeatStart);

  ASSERT_EQ(bar.size(), 2u);
  EXPECT_TRUE(bar[0].starts_with("繰り返し 3 回目: 終了コード 0 (")) << bar[0];
  EXPECT_TRUE(bar[0].ends_with(" 秒)、変化 3 行、次は 2 秒後") ||
              bar[0].ends_with(" 秒)、変化 3 行、次は 1 秒後")) << bar[0];
  EXPECT_TRUE(bar[1].starts_with("繰り返し 4 回目: 実行中")) << bar[1];
  EXPECT_TRUE(text("StatusBar1").starts_with("繰り返し 5 回目: 終了コード 0 ("));
  EXPECT_TRUE(text("StatusBar1").ends_with("、変化 0 行")) << text("StatusBar1");
  // Told once: the only run that changed.
  EXPECT_EQ(os.alerts, 1);
  // The line once in the history.
  EXPECT_EQ(program->history().history().entries().front().line, command);
  EXPECT_EQ(program->history().history().entries().size(), 1u);

  // Each entry: the run where its text first appeared, and the runs that
  // gave it.
  const std::vector<std::string> list = {results::kRepeatNewest,
                                         "09:30:04  3 回目  変化 3 行  ×3",
                                         "09:30:00  1 回目  ×2"};
  EXPECT_EQ((*this)["CB_RepeatRuns"].items(), list);

  // A past run, as it was, marked against the one before it.
  const std::string second = command + "\r\n" + kSecond;
  pick("CB_RepeatRuns", 2);
  EXPECT_EQ(text("Memo0"), command + "\r\n" + kFirst);
  EXPECT_FALSE(marks().any());
  pick("CB_RepeatRuns", 1);
  EXPECT_EQ(text("Memo0"), second);
  EXPECT_TRUE(text("StatusBar1").starts_with("繰り返し 3 回目: ")) << text("StatusBar1");
  // Lines: 0 the command, 3 the address, 5 after the removed one, 6 added.
  for (size_t ln = 0; ln < 9; ++ln) {
    EXPECT_EQ(marks().changed(ln), ln == 3 || ln == 6) << ln;
    EXPECT_EQ(marks().removedBefore(ln), ln == 5) << ln;
  }
  const size_t address = second.find("192.168.0.12");
  auto [first, last] = marks().charsWithin(address, address + 12);
  ASSERT_EQ(last - first, 1u);
  EXPECT_EQ(marks().charRange(first), std::make_pair(address + 11, address + 12));
  const size_t inserted = second.find("inserted");
  std::tie(first, last) = marks().charsWithin(inserted, inserted + 8);
  ASSERT_EQ(last - first, 1u);
  EXPECT_EQ(marks().charRange(first), std::make_pair(inserted, inserted + 8));

  // The modes and the view of the changed lines alone; Memo0's text never
  // changes for them.
  const ChangeMarks::Mode modes[] = {ChangeMarks::Mode::None, ChangeMarks::Mode::Lines,
                                     ChangeMarks::Mode::Chars};
  // Each change of them redraws the view.
  int redraws = 0;
  doc().onShow = [&](bool) { ++redraws; };
  for (int i = 0; i < 3; ++i) {
    pick("CB_RepeatMode", i);
    EXPECT_EQ(marks().mode(), modes[i]);
    EXPECT_EQ(redraws, i + 1);
  }
  EXPECT_FALSE(marks().onlyChanged());
  click("CB_RepeatOnly");
  EXPECT_TRUE(marks().onlyChanged());
  EXPECT_EQ(redraws, 4);
  doc().onShow = nullptr;
  const size_t S = ChangeMarks::kSkipped;
  EXPECT_EQ(marks().rows(), (std::vector<size_t>{0, S, 3, S, 6, S}));
  EXPECT_EQ(text("Memo0"), second);
  pick("CB_RepeatMode", 0);
  EXPECT_FALSE(marks().onlyChanged());  // nothing is marked: every line shows

  // The record: every kept run under its line, in the system's code page.
  os.dialogAnswers.push_back(os.folder + "/record.txt");
  const auto items = doc().menu();
  ASSERT_TRUE(std::any_of(items.begin(), items.end(), [](const auto& m) {
    return m.action == "Act_RepeatSave";
  }));
  form().execute("Act_RepeatSave");
  EXPECT_EQ(fromCp932(readBytes(os.folder + "/record.txt")),
            "==== 09:30:00  1 回目  ×2 (最後 09:30:02  2 回目) ====\r\n" + command +
                "\r\n" + kFirst + "==== 09:30:04  3 回目  ×3 (最後 09:30:08  5 回目) ====\r\n" +
                second);
  EXPECT_TRUE(os.messages.empty());
  // A record that cannot be written says so.
  os.dialogAnswers.push_back(os.folder + "/missing/record.txt");
  form().execute("Act_RepeatSave");
  EXPECT_EQ(os.messages.size(), 1u);
  os.messages.clear();

  // Closing the strip takes the marks and the status bar's texts away.
  pick("CB_RepeatMode", 1);
  pick("CB_RepeatRuns", 1);
  ASSERT_TRUE(marks().any());
  ASSERT_TRUE(form().userShortcut("Esc") || (click("btnRepeatClose"), true));
  EXPECT_FALSE((*this)["PanelRepeat"].visible());
  EXPECT_FALSE(marks().any());
  EXPECT_EQ(marks().charsWithin(0, text("Memo0").size()).second, 0u);
  EXPECT_FALSE(text("StatusBar1").starts_with("繰り返し"));
}

TEST_F(RepeatTest, AChosenRunPausesTheRepetitionUntilTheNewest) {
  writeBytes(file, kFirst);
  repeat({
      {waiting(1), [&] { writeBytes(file, kSecond); }},
      // A past run: no run starts while it shows, however long.
      {waiting(2), [&] { pick("CB_RepeatRuns", 2); }},
      {[&] { return os.clockMs >= 20000; }, [&] {
         EXPECT_EQ(runs(), 2u);
         EXPECT_EQ(text("btnRepeat"), results::kRepeatStart);
         EXPECT_EQ(text("Memo0"), command + "\r\n" + kFirst);
         EXPECT_TRUE(text("StatusBar1").ends_with("一時停止中")) << text("StatusBar1");
         pick("CB_RepeatRuns", 0);  // the newest, and on
       }},
      {running(3), [&] {
         // Going on starts a run at once.
         EXPECT_EQ(starts.at[2], 20000);
         EXPECT_EQ(text("btnRepeat"), results::kRepeatStop);
         pick("CB_RepeatRuns", 1);  // chosen while the run goes on
       }},
      {[&] { return runs() == 3 && starts.ended == 3 && os.clockMs >= 30000; }, [&] {
         EXPECT_EQ(runs(), 3u);
         EXPECT_EQ(text("Memo0"), command + "\r\n" + kSecond);
         press("btnRepeat");  // 開始: on again
       }},
      {running(4), [&] {
         EXPECT_EQ(text("btnRepeat"), results::kRepeatStop);
         click("btnRepeat");
       }},
  });
  EXPECT_EQ(runs(), 4u);
}

TEST_F(RepeatTest, EveryWayOfStoppingEndsTheRepetition) {
  struct Way {
    const char* what;
    std::string line;  // "" = the file's command
    bool whileRunning;
    std::function<void()> stop;
    size_t runs;
    bool barKept;  // the bar still tells of the repetition's last run
  };
  const Way ways[] = {
      {"the page's stop button, while the command runs", "sleep 5", true,
       [this] { click("btnBreak"); }, 1, true},
      {"the page's stop button, while it waits", "", false,
       [this] { click("btnBreak"); }, 1, true},
      {"the strip's stop button", "", false,
       [this] { click("btnRepeat"); }, 1, true},
      {"closing the strip", "", false,
       [this] { click("btnRepeatClose"); }, 1, false},
      {"a command file", "", false,
       [this] {
         form().userSelectPage(main()["PageControl1"], 3);
         (*this)["Memo3"].setText("echo batch");
         click("Button4");
       },
       2, false},
      {"the window closing", "", false, [this] { os.quit = true; }, 1, true},
      {"a command of the user's own", "", false,
       [this] {
         form().userSelectPage(main()["PageControl1"], 0);
         type("Edit1", "echo mine");
         click("btnDO");
       },
       2, false},
  };
  writeBytes(file, kFirst);
  for (const Way& w : ways) {
    starts.at.clear();
    starts.ended = 0;
    command = w.line.empty() ? "cat " + file : w.line;
    repeat({{w.whileRunning ? running(1) : waiting(1), [&] {
               EXPECT_EQ(text("btnRepeat"), "停止(&S)") << w.what;
               // The first run has nothing to be compared with.
               EXPECT_EQ(text("StatusBar1").find("変化"), std::string::npos) << w.what;
               w.stop();
             }}});
    EXPECT_EQ(runs(), w.runs) << w.what;
    EXPECT_FALSE(repeating()) << w.what;
    EXPECT_EQ(text("btnRepeat"), "開始(&S)") << w.what;
    EXPECT_EQ(text("StatusBar1").starts_with("繰り返し 1 回目: "), w.barKept) << w.what;
  }
  // A command that cannot start ends it at once, as an empty line does.
  starts.at.clear();
  starts.ended = 0;
  command = "/nonexistent/velquin-program";
  repeat({});
  EXPECT_EQ(runs(), 1u);
  EXPECT_FALSE(repeating());
  command = "";
  const size_t messages = os.messages.size();
  repeat({});
  EXPECT_EQ(runs(), 1u);
  EXPECT_EQ(os.messages.size(), messages + 1);
}

TEST_F(RepeatTest, ABadIntervalIsRefusedAndTheOldOneKept) {
  enter("Edit1");
  ASSERT_TRUE(form().userShortcut("Ctrl+R"));
  type("Edit_RepeatSec", "0.4");
  ASSERT_TRUE(form().userShortcut("Enter"));
  EXPECT_EQ(os.messages, std::vector<std::string>{results::kBadInterval});
  EXPECT_EQ(text("Edit_RepeatSec"), "2");
  type("Edit_RepeatSec", "１．５");
  ASSERT_TRUE(form().userShortcut("Enter"));
  EXPECT_EQ(text("Edit_RepeatSec"), "１．５");
  type("Edit_RepeatSec", "x");
  command = "echo never";
  repeat({});
  EXPECT_EQ(runs(), 0u);
  EXPECT_EQ(os.messages.size(), 2u);
  EXPECT_EQ(text("Edit_RepeatSec"), "1.5");
  // The interval taken runs the next repetition.
  command = "echo now";
  repeat({{waiting(2), [&] { click("btnRepeat"); }}});
  EXPECT_EQ(starts.at, (std::vector<int64_t>{0, 1500}));
}

TEST_F(RepeatTest, ARunStoppedMidwayReportsNoChangeCount) {
  // The third run waits once its output is out, until the user stops it.
  const std::string hold = os.folder + "/hold";
  writeBytes(file, kFirst);
  command = "sh -c \"cat " + file + "; if [ -e " + hold + " ]; then sleep 5; fi\"";
  std::string before;
  repeat({
      {waiting(1), [&] { writeBytes(file, kSecond); }},
      {waiting(2), [&] {
         before = text("StatusBar1");
         writeBytes(hold, "");
       }},
      {[&] { return running(3)() && text("Memo0").find("inserted") != std::string::npos; },
       [&] { click("btnBreak"); }},
  });
  EXPECT_NE(before.find("、変化 3 行"), std::string::npos) << before;
  EXPECT_EQ(runs(), 3u);
  const std::string bar = text("StatusBar1");
  EXPECT_TRUE(bar.starts_with("繰り返し 3 回目: ")) << bar;
  EXPECT_EQ(bar.find("変化"), std::string::npos) << bar;
}

TEST_F(RepeatTest, ARecordNeverHoldsACommandThatMayCarryAPassword) {
  // A "net" of our own on the search path answers as the real one would.
  const std::string bin = os.folder + "/bin";
  std::filesystem::create_directories(bin);
  writeBytes(bin + "/net", "#!/bin/sh\necho ok\n");
  std::filesystem::permissions(bin + "/net", std::filesystem::perms::owner_all);
  const std::string path = std::getenv("PATH");
  setenv("PATH", (bin + ":" + path).c_str(), 1);
  const std::string commands[] = {
      "net use x: \\\\srv\\share secret /user:me",
      // The rest of the command on lines of its own (for the shell, a
      // comment): none of them reaches the file.
      "net use x: \\\\srv\\share /user:me\r\n#secret\n#secret2",
  };
  for (const std::string& c : commands) {
    command = c;
    starts.at.clear();
    starts.ended = 0;
    repeat({{waiting(1), [&] { click("btnRepeat"); }}});
    ASSERT_EQ(text("Memo0"), command + "\r\nok\n");
    os.dialogAnswers.push_back(os.folder + "/record.txt");
    form().execute("Act_RepeatSave");
    EXPECT_EQ(fromCp932(readBytes(os.folder + "/record.txt")),
              "==== 09:30:00  1 回目 ====\r\nok\n\r\n")
        << c;
  }
  setenv("PATH", path.c_str(), 1);
}

// A long output, the second run with a line inserted at the top and one
// line changed far below it.
std::string longOutput(bool second) {
  std::string t = second ? "inserted\r\n" : "";
  for (size_t i = 0; i < 30000; ++i)
    t += "line " + std::to_string(i) + (second && i == 20000 ? "x" : "") + "\r\n";
  return t;
}

TEST_F(RepeatTest, LongRunsAreComparedWhileTheWindowAnswers) {
  struct Way {
    const char* what;
    std::function<void()> act;  // while the second run is being compared
    bool ends;                  // the act ends the repetition
    bool marked;                // the second run's changes are drawn
    bool kept;                  // the second run is kept
    size_t runs = 2;            // commands started
  };
  const Way ways[] = {
      {"nothing", [] {}, false, true, true},
      {"the strip's stop button", [this] { click("btnRepeat"); }, true, true, true},
      {"closing the strip", [this] { click("btnRepeatClose"); }, true, false, true},
      {"a command of the user's own",
       [this] {
         form().userSelectPage(main()["PageControl1"], 0);
         type("Edit1", "echo mine");
         click("btnDO");
       },
       true, false, true, 3},
      {"the window closing", [this] { os.quit = true; }, true, false, false},
  };
  // The clock moves only when a step moves it: to the second run, which
  // then has all the time it takes.
  enter("Edit1");
  ASSERT_TRUE(form().userShortcut("Ctrl+R"));
  type("Edit_RepeatSec", "3600");
  for (const Way& w : ways) {
    writeBytes(file, longOutput(false));
    // The first run is kept, the second has ended and its comparison goes on.
    auto underWay = [this] {
      return runs() == 2 && starts.ended == 2 && (*this)["CB_RepeatRuns"].items().size() == 2;
    };
    bool seen = false;
    std::vector<Step> steps = {
        {waiting(1), [&] {
           writeBytes(file, longOutput(true));
           advance(3600 * 1000);
         }},
        {underWay, [&] {
           seen = !marks().any();
           w.act();
         }}};
    if (!w.ends) steps.push_back({waiting(2), [&] { click("btnRepeat"); }});
    starts.at.clear();
    starts.ended = 0;
    repeat(steps, 0);
    EXPECT_TRUE(seen) << w.what;
    EXPECT_EQ(runs(), w.runs) << w.what;
    EXPECT_EQ((*this)["CB_RepeatRuns"].items().size(), w.kept ? 3u : 2u) << w.what;
    EXPECT_EQ(marks().any(), w.marked) << w.what;
    if (w.marked) {
      const std::string shown = text("Memo0");
      // Line 0 is the command: 1 inserted, 20002 changed by its last character.
      for (size_t ln : {0, 1, 2, 20001, 20002, 20003, 30001})
        EXPECT_EQ(marks().changed(ln), ln == 1 || ln == 20002) << w.what << " " << ln;
      const size_t x = shown.find("line 20000x");
      ASSERT_NE(x, std::string::npos);
      auto [first, last] = marks().charsWithin(x, x + 11);
      ASSERT_EQ(last - first, 1u) << w.what;
      EXPECT_EQ(marks().charRange(first), std::make_pair(x + 10, x + 11)) << w.what;
      EXPECT_TRUE(text("StatusBar1").ends_with("、変化 2 行")) << text("StatusBar1");
    }
    if (w.kept) {
      form().execute("Act_Repeat");
      pick("CB_RepeatRuns", 2);
      EXPECT_TRUE(text("Memo0") == command + "\r\n" + longOutput(false)) << w.what;
    }

  }
}

TEST_F(RepeatTest, ChoicesAreKeptAcrossStarts) {
  form().userSelectPage(main()["PageControl1"], 1);
  enter("Memo0");
  ASSERT_TRUE(form().userShortcut("Ctrl+R"));
  type("Edit_RepeatSec", "0.5");
  ASSERT_TRUE(form().userShortcut("Enter"));
  pick("CB_RepeatMode", 2);
  click("CB_RepeatOnly");
  click("CB_RepeatNotify");
  EXPECT_FALSE(marks().fixedPitch());
  form().execute("Act_FixedPitch");
  EXPECT_TRUE(marks().fixedPitch());
  auto restart = [&] {
    main().FormClose();
    program.reset();
    program = std::make_unique<Program>(os);
    main().FormCreate();
    main().FormShow();
  };
  restart();
  EXPECT_EQ(text("Edit_RepeatSec"), "0.5");
  EXPECT_EQ((*this)["CB_RepeatMode"].itemIndex(), 2);
  EXPECT_TRUE((*this)["CB_RepeatOnly"].checked());
  EXPECT_TRUE((*this)["CB_RepeatNotify"].checked());
  EXPECT_TRUE(marks().fixedPitch());
  EXPECT_EQ(marks().mode(), ChangeMarks::Mode::Chars);
  EXPECT_FALSE((*this)["PanelRepeat"].visible());
  const std::string ini = readBytes(os.folder + "/Velquin.ini");
  EXPECT_EQ(std::count(ini.begin(), ini.end(), '\n'), 5);
  // The other modes are kept as well.
  for (int mode : {0, 1}) {
    form().userSelectPage(main()["PageControl1"], 1);
    enter("Memo0");
    ASSERT_TRUE(form().userShortcut("Ctrl+R"));
    pick("CB_RepeatMode", mode);
    restart();
    EXPECT_EQ((*this)["CB_RepeatMode"].itemIndex(), mode);
  }
  program->runner().addObserver(starts);  // the fixture's observer, on the new runner
}

}  // namespace
}  // namespace velquin::test
