// The command runner in the real window: a command line typed into Edit1
// and run with the run button shows the system's own console programs'
// output, and the stop and Ctrl-C buttons, pressed while a command runs,
// end it with everything it started.
#include "wine_app.h"

#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "exec/runner.h"
#include "win32/text.h"

namespace velquin::test {
namespace {

// What a console program prints, read here through the C library's own
// pipe and decoded from the Japanese code page: the reference for the view.
std::string printedBy(const std::string& command) {
  std::string bytes;
  if (FILE* p = _popen(command.c_str(), "rb")) {
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) bytes.append(buf, n);
    _pclose(p);
  }
  return win32::narrow(win32::fromCodePage(932, bytes));
}

int count(const std::string& text, const std::string& piece) {
  int n = 0;
  for (size_t at = text.find(piece); at != std::string::npos;
       at = text.find(piece, at + piece.size()))
    ++n;
  return n;
}

// The highest of the next 64 handles that the process would be given: the
// handle table hands out its lowest free slots, so a handle left open
// among them moves this up.
HANDLE nextFreeHandles() {
  HANDLE probes[64];
  for (HANDLE& h : probes) h = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  HANDLE highest = nullptr;
  for (HANDLE h : probes) {
    if (h > highest) highest = h;
    CloseHandle(h);
  }
  return highest;
}

// Processes of the given program names now running.
std::set<DWORD> processesNamed(std::initializer_list<const wchar_t*> names) {
  std::set<DWORD> found;
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snap == INVALID_HANDLE_VALUE) return found;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snap, &entry); more;
       more = Process32NextW(snap, &entry))
    for (const wchar_t* name : names)
      if (lstrcmpiW(entry.szExeFile, name) == 0) found.insert(entry.th32ProcessID);
  CloseHandle(snap);
  return found;
}

// Two pings of the loopback, three hundred times over, through the
// command interpreter: a long command whose output comes in pieces, and a
// tree of processes.
const std::string kLongCommand =
    "cmd /c for /l %i in (1,1,300) do ping -n 2 127.0.0.1";

class RunnerWindow : public WineApp {
 protected:
  // The hands below watch the output view's window from before the run.
  RunnerWindow() { showPageOf("Memo0"); }
  // Types the command line and presses the run button; returns when the
  // run is over. The hand, if given, acts during the run.
  void run(const std::string& command) {
    typeInto("Edit1", command);
    click("btnDO");
  }
  // Pings that have printed their replies in the view.
  int pingsShown() { return count(text("Memo0"), "TTL=") / 2; }
  // The processes of the long command, seen when it has printed enough.
  std::set<DWORD> newProcesses(const std::set<DWORD>& before) {
    std::set<DWORD> fresh;
    for (DWORD pid : processesNamed({L"cmd.exe", L"ping.exe"}))
      if (!before.count(pid)) fresh.insert(pid);
    return fresh;
  }
  // The command's processes running now, held open to see them end.
  std::vector<HANDLE> holdNew(const std::set<DWORD>& before) {
    std::vector<HANDLE> held;
    for (DWORD pid : newProcesses(before))
      if (HANDLE h = OpenProcess(SYNCHRONIZE, FALSE, pid)) held.push_back(h);
    return held;
  }
  // True when every held process has ended within a short moment: ended
  // with the command, not left to finish its own work (a ping lasts about
  // a second). Closes the handles.
  static bool allEndedAtOnce(std::vector<HANDLE>& held) {
    bool ended = true;
    for (HANDLE h : held) {
      ended = ended && WaitForSingleObject(h, 300) == WAIT_OBJECT_0;
      CloseHandle(h);
    }
    held.clear();
    return ended;
  }
  // Waits a few seconds at most for the command's processes to be gone.
  std::set<DWORD> leftRunning(const std::set<DWORD>& before) {
    std::set<DWORD> left = newProcesses(before);
    for (int i = 0; i < 60 && !left.empty(); ++i) {
      pump(50);
      left = newProcesses(before);
    }
    return left;
  }

  // Runs the long command and, once a few pings have printed, presses the
  // button; checks that the command ended then, with its output kept, and
  // left nothing running.
  // A stop ends the tree at once; Ctrl-C is delivered to the console's
  // processes, which end in their own time (the interpreter after the ping
  // it runs), so for it only their ending is checked, not its moment.
  void endLongCommandWith(const std::string& button, bool atOnce) {
    const std::set<DWORD> before = processesNamed({L"cmd.exe", L"ping.exe"});
    std::string shownAtPress;
    std::vector<HANDLE> atPress;
    UserHand hand(
        window->hwnd(), byName("btnBreak"),
        // A ping between two others is running: the tree is whole.
        {{[&] { return pingsShown() >= 2 && newProcesses(before).size() >= 2; },
          [&] {
            shownAtPress = text("Memo0");
            atPress = holdNew(before);
            PostMessageW(byName(button), BM_CLICK, 0, 0);
          }}},
        30000);
    run(kLongCommand);

    ASSERT_TRUE(hand.taken() == 1) << "the command ended by itself:\n" << text("Memo0");
    EXPECT_FALSE(hand.timedOut()) << button << " did not end the command";
    // The command interpreter and a ping were running when the button was
    // pressed; nothing of them is left.
    EXPECT_GE(atPress.size(), 2u);
    if (atOnce) EXPECT_TRUE(allEndedAtOnce(atPress));
    for (HANDLE h : atPress) CloseHandle(h);
    atPress.clear();
    EXPECT_TRUE(leftRunning(before).empty());
    // What was shown stays, after the command line.
    const std::string shown = text("Memo0");
    EXPECT_EQ(shown.rfind(kLongCommand + "\r\n", 0), 0u) << shown;
    EXPECT_EQ(shown.rfind(shownAtPress, 0), 0u) << shown;
    EXPECT_GE(pingsShown(), 2);
    EXPECT_LT(pingsShown(), 300);
    EXPECT_EQ(program->runner().activeRuns(), 0u);
    EXPECT_EQ(main()["Edit_flg"].text(), "0");
    EXPECT_EQ(main()["Edit_ctrl"].text(), "0");
  }
};

TEST_F(RunnerWindow, IpconfigAllTypedByHandShowsItsJapaneseOutput) {
  ASSERT_EQ(GetACP(), 932u) << "the program serves the Japanese code page";
  const std::string printed = printedBy("ipconfig /all");
  int japanese = 0;
  for (wchar_t c : win32::widen(printed))
    if ((c >= 0x3040 && c <= 0x30FF) || (c >= 0x4E00 && c <= 0x9FFF)) ++japanese;
  ASSERT_GT(japanese, 20) << printed;

  run("ipconfig /all");
  EXPECT_TRUE(visible("Memo0"));
  EXPECT_EQ(text("Memo0"), "ipconfig /all\r\n" + printed);
  EXPECT_TRUE(os.messages.empty());
}

TEST_F(RunnerWindow, StopEndsALongCommandWithEverythingItStarted) {
  endLongCommandWith("btnBreak", true);
}

TEST_F(RunnerWindow, CtrlCEndsALongCommandWithEverythingItStarted) {
  endLongCommandWith("btnCtrl", false);
}

TEST_F(RunnerWindow, AMissingProgramShowsOnlyTheCommandLine) {
  run("velquin-no-such-program /all");
  const HANDLE freeBefore = nextFreeHandles();
  EXPECT_TRUE(visible("Memo0"));
  EXPECT_EQ(text("Memo0"), "velquin-no-such-program /all\r\n");
  run("C:\\no\\such\\folder\\ipconfig.exe");
  EXPECT_EQ(text("Memo0"), "C:\\no\\such\\folder\\ipconfig.exe\r\n");
  // Longer than any command line the system takes.
  const std::string tooLong = "ipconfig " + std::string(40000, 'x');
  run(tooLong);
  EXPECT_EQ(text("Memo0"), tooLong + "\r\n");
  for (int i = 0; i < 20; ++i) run("velquin-no-such-program");
  // Not one handle of the failed starts is left open.
  EXPECT_EQ(nextFreeHandles(), freeBefore);
  EXPECT_TRUE(os.messages.empty());
  EXPECT_EQ(program->runner().activeRuns(), 0u);
}

TEST_F(RunnerWindow, ACommandEndsWithItsProgramThoughWhatItStartedGoesOnWriting) {
  // The interpreter starts another one that prints a file for seconds, and
  // ends at once: the run ends then, with what came until then, in order.
  std::string lines;
  for (int i = 1; i <= 100000; ++i) lines += "line " + std::to_string(i) + "\r\n";
  const std::string file = folder + "\\lines.txt";
  if (FILE* f = _wfopen(win32::widen(file).c_str(), L"wb")) {
    fwrite(lines.data(), 1, lines.size(), f);
    fclose(f);
  }
  const std::set<DWORD> before = processesNamed({L"cmd.exe"});
  const std::string command = "cmd /c start /b cmd /c type \"" + file + "\"";
  run(command);
  const std::string shown = text("Memo0");
  ASSERT_EQ(shown.rfind(command + "\r\n", 0), 0u) << shown;
  const std::string printed = shown.substr(command.size() + 2);
  EXPECT_LT(printed.size(), lines.size() / 2);
  EXPECT_EQ(lines.rfind(printed, 0), 0u) << printed;
  // What the command left running goes on, as from a console; ended here.
  for (DWORD pid : processesNamed({L"cmd.exe"}))
    if (!before.count(pid))
      if (HANDLE h = OpenProcess(PROCESS_TERMINATE, FALSE, pid)) {
        TerminateProcess(h, 0);
        CloseHandle(h);
      }
}

// The passes of the runner's loop, each with the moment it ran.
struct Passes : exec::RunObserver {
  std::vector<DWORD> at;
  void runStarting(const std::string&) override {}
  void runPassing() override { at.push_back(GetTickCount()); }
  void runEnded(const exec::RunEnd&) override {}
};

TEST_F(RunnerWindow, ASilentCommandIsLookedAtRarelyAndItsLaterOutputIsWhole) {
  // Five seconds without a byte (pings to the loopback, their answers
  // thrown away), then a line. While the command is silent the loop only
  // wakes now and then; output and the end wake it at once.
  static Passes passes;  // outlives the runner, as observers must
  passes.at.clear();
  program->runner().addObserver(passes);
  const std::string command = "cmd /c ping -n 6 127.0.0.1 >nul & echo done";
  const DWORD start = GetTickCount();
  run(command);
  const DWORD took = GetTickCount() - start;
  EXPECT_EQ(text("Memo0"), command + "\r\ndone\r\n");
  ASSERT_GT(took, 4000u) << "the command was not silent long enough to tell";
  const long quiet = std::count_if(passes.at.begin(), passes.at.end(), [&](DWORD t) {
    return t - start >= 1000 && t - start < 4000;
  });
  // A tenth of the silence up to a quarter second: about 20 passes in these
  // three seconds (a look every 40 ms would make 75).
  EXPECT_LT(quiet, 40) << "passes from the first to the fourth second";
}

TEST_F(RunnerWindow, RequestsMadeWhileNothingRunsDoNotTouchTheNextRun) {
  click("btnBreak");
  click("btnCtrl");
  run("ipconfig");
  EXPECT_EQ(text("Memo0"), "ipconfig\r\n" + printedBy("ipconfig"));
}

TEST_F(RunnerWindow, ClosingTheWindowDuringARunEndsTheCommandsTree) {
  const std::set<DWORD> before = processesNamed({L"cmd.exe", L"ping.exe"});
  HWND top = window->hwnd();
  std::vector<HANDLE> atClose;
  UserHand hand(top, byName("btnBreak"),
                {{[&] { return pingsShown() >= 1 && newProcesses(before).size() >= 2; },
                  [&] {
                    atClose = holdNew(before);
                    PostMessageW(top, WM_CLOSE, 0, 0);
                  }}},
                30000);
  run(kLongCommand);
  ASSERT_TRUE(hand.taken() == 1);
  EXPECT_GE(atClose.size(), 2u);
  EXPECT_TRUE(allEndedAtOnce(atClose));
  EXPECT_FALSE(hand.timedOut()) << "closing the window did not end the command";
  EXPECT_TRUE(os.quitting());
  EXPECT_EQ(program->runner().activeRuns(), 0u);
  EXPECT_TRUE(leftRunning(before).empty());
  // Nothing new starts once the window is closing.
  typeInto("Edit1", "ipconfig");
  click("btnDO");
  EXPECT_EQ(text("Memo0").rfind(kLongCommand + "\r\n", 0), 0u);
}

}  // namespace
}  // namespace velquin::test
