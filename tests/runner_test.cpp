// The command runner with real child processes (sh -c children), driven as
// the user drives it: type a command line, press "&G 実　行", and act on the
// window while the command runs. Every wait is bounded: a command still
// running at its deadline makes the window close, and the test fails.

#include <dirent.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "exec/runner.h"
#include "support/app_fixture.h"

namespace velquin::test {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// One thing the user does while a command runs: when the condition holds at
// a pass of the runner's loop, the action runs (once, in order).
struct Step {
  std::function<bool()> when;
  std::function<void()> then;
};

// Remembers how the view was told about the output view.
class ViewRecorder : public form::View {
 public:
  void changed(form::Control& c, form::Prop prop) override {
    if (c.name() == "Memo0" && prop == form::Prop::Text) texts.push_back(c.text());
  }
  void appended(form::Control& memo, std::string_view text) override {
    if (memo.name() != "Memo0") return;
    appends.emplace_back(text);
    if (pumps) pumpsAtAppend.push_back(*pumps);
  }
  void focusMoved(form::Control*) override {}
  void windowChanged() override {}
  std::string readText(const form::Control& memo) override { return memo.text(); }

  std::vector<std::string> texts;
  std::vector<std::string> appends;
  const long* pumps = nullptr;  // the platform's pass count, when given
  std::vector<long> pumpsAtAppend;
};

int openDescriptors() {
  int n = 0;
  if (DIR* d = opendir("/proc/self/fd")) {
    while (readdir(d)) ++n;
    closedir(d);
  }
  return n;
}

// A process is gone once it no longer exists or is a zombie that nobody
// has reaped yet (it runs no more).
bool processGone(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  if (!std::getline(stat, line)) return true;
  size_t close = line.rfind(')');
  return close != std::string::npos && close + 2 < line.size() &&
         line[close + 2] == 'Z';
}

bool goneWithin(pid_t pid, std::chrono::milliseconds limit) {
  const auto end = Clock::now() + limit;
  while (!processGone(pid)) {
    if (Clock::now() > end) return false;
    std::this_thread::sleep_for(10ms);
  }
  return true;
}

class Runner : public AppTest {
 protected:
  ~Runner() override { form().setView(nullptr); }

  std::string memo() { return text("Memo0"); }
  // What follows the command line in the output view.
  std::string output() {
    const std::string m = memo();
    const size_t end = m.find("\r\n");
    return end == std::string::npos ? std::string() : m.substr(end + 2);
  }
  bool outputHas(const std::string& s) {
    return output().find(s) != std::string::npos;
  }

  // Back on the data selection page by its tab, the user types a command
  // line into the command line field.
  void typeCommand(const std::string& command) {
    form().userSelectPage(main()["PageControl1"], 0);
    type("Edit1", command);
    ASSERT_EQ(text("Edit1"), command);
  }

  // Types the command line and presses the run button; steps act as the
  // user at the passes of the loop. Returns when the run has returned.
  void run(const std::string& command, std::vector<Step> steps = {},
           std::chrono::seconds limit = 15s) {
    typeCommand(command);
    clickRun(std::move(steps), limit);
  }

  void clickRun(std::vector<Step> steps = {}, std::chrono::seconds limit = 15s) {
    struct Driver {
      std::vector<Step> steps;
      size_t next = 0;
      Clock::time_point deadline;
      bool timedOut = false;
      std::function<void()> tick;
    } d{std::move(steps), 0, Clock::now() + limit, false, {}};
    d.tick = [this, &d] {
      // Stays queued, also for the loops of runs started by a step.
      os.duringPump.push_back(d.tick);
      if (Clock::now() > d.deadline) {
        d.timedOut = true;
        os.quit = true;
        return;
      }
      std::this_thread::sleep_for(200us);
      if (d.next < d.steps.size() &&
          (!d.steps[d.next].when || d.steps[d.next].when()))
        d.steps[d.next++].then();
    };
    os.duringPump.push_back(d.tick);
    click("btnDO");
    os.duringPump.clear();
    EXPECT_FALSE(d.timedOut) << "the run did not end in time";
    EXPECT_EQ(d.next, d.steps.size()) << "not every step was taken";
    if (d.timedOut) os.quit = false;
  }

  // The pid that "echo $!" printed on the first line of the output.
  pid_t printedPid() { return static_cast<pid_t>(std::stol(output())); }
};

TEST_F(Runner, ShowsTheCommandLineThenTheOutputOnTheResultsPage) {
  ViewRecorder view;
  form().setView(&view);
  main()["Memo0"].setText("old output");
  ASSERT_EQ(main()["PageControl1"].activePage()->name(), "TabSheet1");

  const std::string command = R"(sh -c "printf 'one\n'; printf 'two' >&2")";
  run(command);
  EXPECT_EQ(main()["PageControl1"].activePage()->name(), "TabSheet2");
  EXPECT_EQ(memo(), command + "\r\none\ntwo");
  // The command line is set once; the output only ever goes in as appends
  // at the end, never by rewriting the whole text.
  ASSERT_EQ(view.texts.size(), 2u);
  EXPECT_EQ(view.texts[1], command + "\r\n");
  std::string appended;
  for (const std::string& a : view.appends) appended += a;
  EXPECT_EQ(appended, "one\ntwo");
  EXPECT_TRUE(os.messages.empty());

  // Nothing printed: the command line and CR LF, nothing after them.
  run("true");
  EXPECT_EQ(memo(), "true\r\n");
}

TEST_F(Runner, EmptyCommandLineShowsTheMessageAndNothingRuns) {
  main()["Memo0"].setText("kept");
  clickRun();
  EXPECT_EQ(os.messages, std::vector<std::string>{"データを入力設定して下さい。"});
  EXPECT_EQ(main()["PageControl1"].activePage()->name(), "TabSheet1");
  EXPECT_EQ(memo(), "kept");
  EXPECT_EQ(os.pumps, 0);

  // Blanks are a command line: it cannot start and only it is shown.
  run("   ");
  EXPECT_EQ(os.messages.size(), 1u);
  EXPECT_EQ(memo(), "   \r\n");
}

TEST_F(Runner, ArgumentsReachTheProgramAsAWindowsProgramWouldSplitThem) {
  run(R"(printf [%s] "a b" c\"d "e""f" g\\h "\\"x)");
  EXPECT_EQ(output(), R"([a b][c"d][e"f][g\\h][\x])");
}

TEST_F(Runner, ProgramsThatCannotStartShowOnlyTheCommandLineAndLeakNothing) {
  const std::string tooLong = "printf " + std::string(300 * 1024, 'x');
  for (const std::string& command :
       {std::string("no-such-program-velquin -x"),
        std::string("/no/such/folder/prog"), os.folder, tooLong}) {
    run(command);
    EXPECT_EQ(memo(), command + "\r\n") << command.substr(0, 40);
  }
  EXPECT_TRUE(os.messages.empty());

  const int before = openDescriptors();
  for (int i = 0; i < 1000; ++i) {
    main()["Edit1"].setText("no-such-program-velquin " + std::to_string(i));
    click("btnDO");
  }
  EXPECT_EQ(memo(), "no-such-program-velquin 999\r\n");
  EXPECT_EQ(openDescriptors(), before);
  // No child left behind either, not even one waiting to be reaped.
  EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);
}

TEST_F(Runner, AMegabyteOfOutputArrivesWholeAndInOrderInBoundedAppends) {
  ViewRecorder view;
  view.pumps = &os.pumps;
  form().setView(&view);
  std::string expected;
  for (int i = 1; i <= 200000; ++i) expected += std::to_string(i) + "\n";
  ASSERT_GT(expected.size(), 1u << 20);
  run("seq 1 200000");
  EXPECT_TRUE(memo() == "seq 1 200000\r\n" + expected)
      << "got " << memo().size() << " characters";
  // However fast the child writes, the window handles its messages between
  // appends, each of which takes a bounded share.
  ASSERT_GT(view.appends.size(), 1u);
  for (size_t i = 0; i < view.appends.size(); ++i) {
    EXPECT_LE(view.appends[i].size(), 1024u * 1024) << i;
    if (i > 0) EXPECT_GT(view.pumpsAtAppend[i], view.pumpsAtAppend[i - 1]) << i;
  }
}

TEST_F(Runner, ShiftJisCharacterSplitAcrossReadsShowsWhole) {
  // What the runner's observers are told is the output as shown.
  struct Told : exec::RunObserver {
    std::string text;
    void runStarting(const std::string&) override { text.clear(); }
    void runOutput(std::string_view t) override { text += t; }
    void runEnded(const exec::RunEnd&) override {}
  } told;
  program->runner().addObserver(told);
  // 0x82 0xA0 is "あ"; the second byte comes long after the first was read.
  run(R"(sh -c "printf 'x\202'; sleep 0.3; printf '\240y'")");
  EXPECT_EQ(output(), "xあy");
  EXPECT_EQ(told.text, output());

  // A character cut off by the very end of the output is not dropped.
  run(R"(sh -c "printf 'z\202'")");
  EXPECT_EQ(output(), "z・");
  EXPECT_EQ(told.text, output());
  // Nor does a broken one take the line break after it.
  run(R"(sh -c "printf 'a\202\r\nb\202'; sleep 0.2; printf '\nc'")");
  EXPECT_EQ(output(), "a・\r\nb・\nc");
  EXPECT_EQ(told.text, output());
}

TEST_F(Runner, ASilentCommandIsWaitedForATenthOfItsSilence) {
  // While output comes, the passes follow each other at once; as the
  // silence grows, each waits a tenth of it, so 0.6 s of it ends in waits
  // of about 60 ms, not the longest of 250 ms.
  os.pumpWaits.clear();
  run(R"(sh -c "printf A; sleep 0.6; printf B")");
  EXPECT_EQ(output(), "AB");
  const int longest = *std::max_element(os.pumpWaits.begin(), os.pumpWaits.end());
  EXPECT_GE(longest, 40);
  EXPECT_LE(longest, 100);
}

TEST_F(Runner, ZeroByteKeepsEveryOtherByte) {
  run(R"(sh -c "printf 'ab\0cd\n\0\0ef'")");
  EXPECT_EQ(output(), "abcd\nef");
}

TEST_F(Runner, ChildThatReadsItsInputEndsInsteadOfHanging) {
  // Its input is the null device, at its end from the start.
  run(R"(sh -c "readlink /proc/$$/fd/0; cat; read line; echo done")");
  EXPECT_EQ(output(), "/dev/null\ndone\n");
}

TEST_F(Runner, StopEndsTheChildAndEverythingItStartedKeepingTheOutput) {
  long pumpsAtStop = -1;
  run(R"(sh -c "sleep 30 & echo $!; echo started; wait")",
      {{[&] { return outputHas("started"); },
        [&] {
          click("btnBreak");
          EXPECT_EQ(text("Edit_flg"), "1");
          pumpsAtStop = os.pumps;
        }}});
  // Acted on in the very next pass; the window is pumped after it only while
  // the ended child goes away, so that it keeps answering meanwhile.
  EXPECT_LE(os.pumps, pumpsAtStop + 100);
  EXPECT_EQ(text("Edit_flg"), "0");
  EXPECT_TRUE(outputHas("\nstarted\n"));
  EXPECT_TRUE(goneWithin(printedPid(), 2000ms)) << "the grandchild still runs";
  EXPECT_EQ(main()["PageControl1"].activePage()->name(), "TabSheet2");
}

TEST_F(Runner, CtrlCReachesTheChildAndItsProcessGroup) {
  // The shell's trap runs only once its foreground sleep has ended, which
  // takes the interrupt reaching the sleep too. "ready" comes from a
  // background job (which ignores the interrupt) once the sleep has begun,
  // so the interrupt never arrives before there is a sleep to end.
  run(R"(sh -c "trap 'echo caught' INT; (sleep 0.5; echo ready) & sleep 30; echo after")",
      {{[&] { return outputHas("ready"); }, [&] { click("btnCtrl"); }}});
  EXPECT_EQ(output(), "ready\ncaught\nafter\n");
  EXPECT_EQ(text("Edit_ctrl"), "0");
}

TEST_F(Runner, RequestsMadeWhileNothingRunsAreDropped) {
  click("btnBreak");
  click("btnCtrl");
  EXPECT_EQ(text("Edit_flg"), "0");
  EXPECT_EQ(text("Edit_ctrl"), "0");
  run(R"(sh -c "trap 'echo caught' INT; echo a; sleep 0.2; echo b")");
  EXPECT_EQ(output(), "a\nb\n");

  // Requests that come in the last pass, after the child was seen to end,
  // are dropped with the run instead of ending the next command.
  const long start = os.pumps;
  run(R"(sh -c "sleep 0.1; printf x")",
      {{nullptr, [] { std::this_thread::sleep_for(400ms); }},
       {nullptr, [&] {
          click("btnBreak");
          click("btnCtrl");
        }}});
  EXPECT_EQ(os.pumps - start, 2);
  EXPECT_EQ(text("Edit_flg"), "0");
  EXPECT_EQ(text("Edit_ctrl"), "0");
  run(R"(sh -c "echo a; sleep 0.2; echo b")");
  EXPECT_EQ(output(), "a\nb\n");
}

TEST_F(Runner, RunStartedDuringARunRunsToItsEndInsideIt) {
  const std::string inner = R"(sh -c "printf inner")";
  run(R"(sh -c "printf A; sleep 0.4; printf B")",
      {{[&] { return outputHas("A"); },
        [&] {
          typeCommand(inner);
          click("btnDO");
          EXPECT_EQ(program->runner().activeRuns(), 1u);
        }}});
  // The second run emptied the view and ran to its end; then the first
  // went on appending its own output.
  EXPECT_EQ(memo(), inner + "\r\ninnerB");
  EXPECT_EQ(program->runner().activeRuns(), 0u);

  // A stop reaches the innermost run only.
  const std::string stopped = R"(sh -c "printf C; sleep 30")";
  run(R"(sh -c "printf A; sleep 0.4; printf B")",
      {{[&] { return outputHas("A"); },
        [&] {
          typeCommand(stopped);
          click("btnDO");
        }},
       {[&] { return outputHas("C"); }, [&] { click("btnBreak"); }}});
  EXPECT_EQ(memo(), stopped + "\r\nCB");

  // Output that the first run had read when the second began was in the
  // view before the second run emptied it: it does not come back after.
  run(R"(sh -c "printf A; sleep 0.1; printf B; sleep 0.4; printf C")",
      {{[&] { return outputHas("A"); },
        [] { std::this_thread::sleep_for(300ms); }},
       {nullptr,
        [&] {
          typeCommand(inner);
          click("btnDO");
        }}});
  EXPECT_EQ(memo(), inner + "\r\ninnerC");
}

TEST_F(Runner, ChildInheritsOnlyItsOwnStandardHandles) {
  // A descriptor this process opened without close-on-exec, and an outer
  // run's pipe, are both open while the inner command lists its own.
  const int stray = ::open("/dev/null", O_RDONLY);
  ASSERT_GE(stray, 0);
  const std::string list = R"(sh -c "ls /proc/$$/fd; true")";
  run(R"(sh -c "printf A; sleep 0.3")",
      {{[&] { return outputHas("A"); },
        [&] {
          typeCommand(list);
          click("btnDO");
        }}});
  ::close(stray);
  EXPECT_EQ(memo(), list + "\r\n0\n1\n2\n");
}

TEST_F(Runner, ClosingTheWindowEndsEveryRunAndItsTree) {
  const std::string inner = R"(sh -c "sleep 30 & echo $!; echo in; wait")";
  pid_t outerGrandchild = 0;
  pid_t innerGrandchild = 0;
  run(R"(sh -c "sleep 30 & echo $!; echo out; wait")",
      {{[&] { return outputHas("out"); },
        [&] {
          outerGrandchild = printedPid();
          typeCommand(inner);
          click("btnDO");
          // The inner run has returned on the close; the outer one has not
          // seen it yet.
          EXPECT_TRUE(goneWithin(innerGrandchild, 2000ms));
          EXPECT_FALSE(processGone(outerGrandchild));
        }},
       {[&] { return outputHas("in\n"); },
        [&] {
          innerGrandchild = printedPid();
          os.quit = true;
        }}});
  EXPECT_TRUE(goneWithin(outerGrandchild, 2000ms));
  EXPECT_EQ(output(), std::to_string(innerGrandchild) + "\nin\n");
  EXPECT_EQ(program->runner().activeRuns(), 0u);

  // Nothing new starts in a window that is closing.
  main()["Edit1"].setText("echo late");
  click("btnDO");
  EXPECT_EQ(output(), std::to_string(innerGrandchild) + "\nin\n");
}

}  // namespace
}  // namespace velquin::test

namespace velquin::test {
namespace {

TEST_F(Runner, AStartWhoseWaitEndsInAnErrorLeavesNothingRunning) {
  // A handler run while the child is being started fails: the wait ends in
  // that error, the start finishes on its own and its child is ended.
  const std::string pidFile = os.folder + "/started.pid";
  typeCommand("sh -c \"echo $$ > '" + pidFile + "'; exec sleep 30\"");
  os.duringPump.push_back([] { throw std::runtime_error("handler failed"); });
  EXPECT_THROW(click("btnDO"), std::runtime_error);
  EXPECT_EQ(program->runner().activeRuns(), 0u);

  // Starts are made in order, so the next run comes after the abandoned one.
  run("echo next");
  EXPECT_EQ(output(), "next\n");
  std::ifstream in(pidFile);
  pid_t pid = 0;
  if (in >> pid) EXPECT_TRUE(goneWithin(pid, 2000ms));
}

}  // namespace
}  // namespace velquin::test
