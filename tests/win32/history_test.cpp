// Running commands for real: the status bar after real console programs,
// the history walked with real keys, kept across a restart, and the
// administrator's restart offered in the system menu.
#include "wine_app.h"

#include <commctrl.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "app/history.h"
#include "app/run_status.h"
#include "win32/text.h"

namespace velquin::test {
namespace {

class RealRuns : public WineApp {
 protected:
  void run(const std::string& line) {
    typeInto("Edit1", line);
    click("btnDO");
    pump();
  }
  std::string bar() { return statusText(); }
  // Real key strokes into the command line field.
  void keys(std::initializer_list<WORD> vks) {
    window->fromUser([&] {
      main().form().userSelectPage(main()["PageControl1"], 0);
    });
    ASSERT_TRUE(putFocus(byName("Edit1")));
    for (WORD vk : vks) {
      INPUT in[2]{};
      in[0].type = INPUT_KEYBOARD;
      in[0].ki.wVk = vk;
      in[1] = in[0];
      in[1].ki.dwFlags = KEYEVENTF_KEYUP;
      SendInput(2, in, sizeof(INPUT));
    }
    pump(200);
  }
  // Closes the program as its close box does and starts it again.
  void restart() {
    main().FormClose();
    session.reset();
    session = std::make_unique<win32::Session>(os);
    program = &session->program();
    window = &session->mainWindow();
    session->show(SW_SHOWNORMAL);
    pump();
  }
  HWND focus() {
    GUITHREADINFO info{sizeof info};
    GetGUIThreadInfo(GetCurrentThreadId(), &info);
    return info.hwndFocus;
  }
};

TEST_F(RealRuns, ExitCodesStartFailuresAndTheHistoryByKeys) {
  run("cmd /c exit 3");
  EXPECT_EQ(bar().substr(0, bar().find(" (")), "終了コード 3");
  EXPECT_EQ(bar().substr(bar().size() - 5), " 秒)");
  run("no-such-program-velquin.exe");
  const std::string failed = "起動できませんでした: ";
  EXPECT_EQ(bar().substr(0, failed.size()), failed);
  EXPECT_GT(bar().size(), failed.size() + 3);  // the system's own words
  EXPECT_EQ(text("Memo0"), "no-such-program-velquin.exe\r\n");

  typeInto("Edit1", "arp -a");
  const struct { std::initializer_list<WORD> keys; const char* field; } walk[] = {
      {{VK_UP}, "no-such-program-velquin.exe"},
      {{VK_UP}, "cmd /c exit 3"},
      {{VK_DOWN, VK_DOWN}, "arp -a"},
      {{VK_F7, VK_RETURN}, "no-such-program-velquin.exe"},
      {{VK_F7, VK_DOWN, VK_RETURN}, "cmd /c exit 3"},
      {{VK_F7, VK_ESCAPE}, "cmd /c exit 3"},
  };
  for (const auto& step : walk) {
    keys(step.keys);
    EXPECT_EQ(text("Edit1"), step.field);
    EXPECT_EQ(focus(), byName("Edit1"));
  }
  EXPECT_EQ(text("Memo0"), "no-such-program-velquin.exe\r\n");  // nothing ran
}

TEST_F(RealRuns, TheHistorySurvivesARestart) {
  run("cmd /c echo one");
  run("net user someone pw");
  restart();
  const auto& entries = program->history().history().entries();
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].line, "cmd /c echo one");
  typeInto("Edit1", "");
  keys({VK_UP});
  EXPECT_EQ(text("Edit1"), "cmd /c echo one");
}

// The F7 list's deletions by the user's own hands: the Delete key on the lit
// line, and a right click on a line, then "削除" on its context menu. The
// line is gone from the history and from the file at once.
TEST_F(RealRuns, F7DeletesALineByTheDeleteKeyOrItsContextMenu) {
  for (const char* line : {"cmd /c echo one", "cmd /c echo two",
                           "cmd /c echo three", "cmd /c echo four"})
    run(line);
  typeInto("Edit1", "typed");
  keys({VK_F7, VK_DOWN, VK_DELETE, VK_ESCAPE});
  EXPECT_EQ(text("Edit1"), "typed");
  EXPECT_EQ(focus(), byName("Edit1"));

  // A hand that right-clicks the list's second line once the list shows,
  // then picks 削除 by its key, then closes the list that comes back.
  std::thread hand([] {
    HWND list = nullptr;
    for (int i = 0; i < 100 && !list; ++i, Sleep(50))
      EnumWindows([](HWND h, LPARAM found) -> BOOL {
        wchar_t cls[16] = L"";
        GetClassNameW(h, cls, 16);
        if (lstrcmpW(cls, L"#32768") || !IsWindowVisible(h)) return TRUE;
        *reinterpret_cast<HWND*>(found) = h;
        return FALSE;
      }, reinterpret_cast<LPARAM>(&list));
    if (!list) return;
    HMENU menu = reinterpret_cast<HMENU>(SendMessageW(list, MN_GETHMENU, 0, 0));
    RECT r{};
    GetMenuItemRect(nullptr, menu, 1, &r);
    SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    INPUT click[2]{};
    click[0].type = click[1].type = INPUT_MOUSE;
    click[0].mi.dwFlags = MOUSEEVENTF_RIGHTDOWN;
    click[1].mi.dwFlags = MOUSEEVENTF_RIGHTUP;
    SendInput(2, click, sizeof(INPUT));
    Sleep(300);
    INPUT key[2]{};
    key[0].type = key[1].type = INPUT_KEYBOARD;
    key[0].ki.wVk = key[1].ki.wVk = 'D';
    key[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, key, sizeof(INPUT));
    Sleep(300);
    key[0].ki.wVk = key[1].ki.wVk = VK_ESCAPE;
    SendInput(2, key, sizeof(INPUT));
  });
  keys({VK_F7});
  hand.join();
  pump(200);
  EXPECT_EQ(text("Edit1"), "typed");

  std::vector<std::string> lines;
  for (const auto& e : program->history().history().entries()) lines.push_back(e.line);
  EXPECT_EQ(lines, (std::vector<std::string>{"cmd /c echo four", "cmd /c echo one"}));
  std::ifstream in(std::filesystem::path(win32::widen(folder)) / "Velquin.state",
                   std::ios::binary);
  std::ostringstream file;
  file << in.rdbuf();
  EXPECT_EQ(file.str().find("echo three"), std::string::npos);
  EXPECT_EQ(file.str().find("echo two"), std::string::npos);
  EXPECT_NE(file.str().find("echo one"), std::string::npos);
}

TEST_F(RealRuns, RightsShowInTheBarOrTheSystemMenu) {
  // Elevated (as Wine runs programs) and, started again, not elevated.
  for (bool elevated : {true, false}) {
    if (!elevated) {
      os.notElevated = true;
      restart();
    }
    ASSERT_EQ(os.elevated(), elevated);
    HMENU menu = GetSystemMenu(window->hwnd(), FALSE);
    bool restart = false;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
      wchar_t caption[64] = L"";
      GetMenuStringW(menu, i, caption, 64, MF_BYPOSITION);
      restart |= win32::narrow(caption) == "管理者として再起動(&A)";
    }
    HWND sb = byName("StatusBar1");
    const int parts = static_cast<int>(SendMessageW(sb, SB_GETPARTS, 0, 0));
    wchar_t part[16] = L"";
    if (parts > 1) SendMessageW(sb, SB_GETTEXTW, 1, reinterpret_cast<LPARAM>(part));
    EXPECT_EQ(parts, elevated ? 2 : 1);
    EXPECT_EQ(win32::narrow(part), elevated ? "管理者" : "");
    EXPECT_EQ(restart, !elevated);
  }
}

// The restart as administrator starts this same program in the start
// folder with its arguments intact. Here the program is this test program:
// told to run no test and to write its report, it leaves the report in the
// folder it was started in.
TEST_F(RealRuns, TheElevatedStartGetsTheProgramItsArgumentsAndTheFolder) {
  // A start folder other than this program's current one.
  const std::string start = folder + "\\started here";
  CreateDirectoryW(win32::widen(start).c_str(), nullptr);
  const std::string report = start + "\\elevated start.xml";
  std::string error;
  ASSERT_EQ(os.startElevated("--gtest_filter=NoSuchTest.None "
                             "\"--gtest_output=xml:elevated start.xml\"",
                             start, error),
            platform::Platform::ElevatedStart::Started)
      << error;
  for (int i = 0; i < 200 && GetFileAttributesW(win32::widen(report).c_str()) ==
                                 INVALID_FILE_ATTRIBUTES; ++i)
    Sleep(50);
  EXPECT_NE(GetFileAttributesW(win32::widen(report).c_str()), INVALID_FILE_ATTRIBUTES)
      << report;
}

// A restart whose new instance never takes the command line (here the test
// program, told to run no test, which ends without reading): the window
// says so while it waits and answers the user meanwhile, then stays open
// with the line in its field and says the line was not handed over.
TEST_F(RealRuns, ARestartWhoseNewInstanceNeverReadsLeavesTheWindowWithTheLine) {
  os.notElevated = true;
  restart();
  const std::string line = "net user bob Secr3t /add";
  typeInto("Edit1", line);
  ASSERT_TRUE(putFocus(byName("Edit1")));
  const int end = GetWindowTextLengthW(byName("Edit1"));
  SendMessageW(byName("Edit1"), EM_SETSEL, end, end);
  std::atomic<bool> sawWaiting = false, typedWhileWaiting = false, handDone = false;
  std::thread hand([&] {
    struct Done {
      std::atomic<bool>& done;
      ~Done() { done = true; }
    } done{handDone};
    const std::string waiting = app::kHandingOver;
    for (int i = 0; i < 200 && !sawWaiting; ++i, Sleep(10)) sawWaiting = statusText() == waiting;
    if (!sawWaiting) return;
    INPUT key[2]{};
    key[0].type = key[1].type = INPUT_KEYBOARD;
    key[0].ki.wVk = key[1].ki.wVk = 'Y';
    key[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, key, sizeof(INPUT));
    for (int i = 0; i < 200 && !typedWhileWaiting; ++i, Sleep(10))
      typedWhileWaiting = text("Edit1") == line + "y" && statusText() == waiting;
  });
  window->fromUser([&] { program->status().restartElevated(); });
  // The hand asks the window: it is answered while this thread pumps.
  while (!handDone) pump(20);
  hand.join();
  pump(200);
  EXPECT_TRUE(sawWaiting);
  EXPECT_TRUE(typedWhileWaiting);
  EXPECT_EQ(statusText(), app::kHandOverFailed);
  EXPECT_EQ(text("Edit1"), line + "y");
  EXPECT_FALSE(os.quitting());
  EXPECT_TRUE(IsWindowVisible(window->hwnd()));
}

// The lock of a folder's files is one across every spelling of the folder
// (case, a last backslash, a dot), held by one thread at a time until it
// lets go; another folder's lock is another.
TEST(FolderLock, OneHolderAtATimeWhateverTheSpelling) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::string folder = win32::narrow(temp) + "Velquin Lock";
  CreateDirectoryW(win32::widen(folder).c_str(), nullptr);
  win32::Win32Platform os;
  std::atomic<bool> held = false, letGo = false;
  std::thread other([&] {
    win32::Win32Platform theirs;
    auto lock = theirs.lockFolder(folder, 1000);
    held = lock != nullptr;
    while (!letGo) Sleep(10);
  });
  while (!held) Sleep(10);
  std::string upper = folder;
  for (char& c : upper) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
  for (const std::string& spelling : {folder, upper + "\\", folder + "\\.\\"})
    EXPECT_EQ(os.lockFolder(spelling, 100), nullptr) << spelling;
  EXPECT_NE(os.lockFolder(folder + " 2", 100), nullptr);
  letGo = true;
  other.join();
  EXPECT_NE(os.lockFolder(upper, 1000), nullptr);
  RemoveDirectoryW(win32::widen(folder).c_str());
}

}  // namespace
}  // namespace velquin::test
