// Velquin.exe itself, started as a user starts it (in its start folder),
// inspected and moved from outside as another tool would: by window class,
// caption and Name properties.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <utility>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "wine_app.h"
#include "win32/text.h"

namespace velquin::test {
namespace {

// One run of the program in a start folder.
class Started {
 public:
  // arguments: what follows the program's name on its command line.
  explicit Started(const std::filesystem::path& folder, const std::wstring& arguments = L"") {
    const char* exe = std::getenv("VELQUIN_EXE");
    EXPECT_NE(exe, nullptr) << "VELQUIN_EXE names the program under test";
    if (!exe) return;
    std::wstring cmd = L"\"" + win32::widen(exe) + L"\"" + arguments;
    STARTUPINFOW si{sizeof si};
    started_ = CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0,
                              nullptr, folder.wstring().c_str(), &si, &pi_);
    EXPECT_TRUE(started_);
  }
  ~Started() {
    if (!started_) return;
    if (WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT)
      TerminateProcess(pi_.hProcess, 1);
    CloseHandle(pi_.hThread);
    CloseHandle(pi_.hProcess);
  }

  // Waits for the main window to show. A message box that comes first is
  // noted and answered with OK; it must come while no window shows yet.
  HWND mainWindow() {
    for (int i = 0; started_ && i < 400; ++i) {
      HWND box = nullptr, main = nullptr;
      own(L"#32770", &box);
      own(L"TfrmMain", &main);
      if (box) {
        EXPECT_EQ(main, nullptr) << "the window came before the message";
        message += readBox(box);
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        Sleep(100);
        continue;
      }
      if (main) return main;
      Sleep(50);
    }
    ADD_FAILURE() << "the main window did not show";
    return nullptr;
  }
  // Closes it with its close button; true when the program ended well.
  bool close(HWND main) {
    PostMessageW(findByName(main, "btnClose"), BM_CLICK, 0, 0);
    if (WaitForSingleObject(pi_.hProcess, 10000) != WAIT_OBJECT_0) return false;
    DWORD code = 1;
    GetExitCodeProcess(pi_.hProcess, &code);
    return code == 0;
  }

  std::string message;  // what message boxes said before the window came

 private:
  // The visible top-level window of this process with the class given.
  void own(const wchar_t* cls, HWND* found) {
    struct Look {
      DWORD pid;
      const wchar_t* cls;
      HWND* found;
    } look{pi_.dwProcessId, cls, found};
    EnumWindows([](HWND h, LPARAM lp) -> BOOL {
      auto* l = reinterpret_cast<Look*>(lp);
      DWORD pid = 0;
      GetWindowThreadProcessId(h, &pid);
      wchar_t name[64] = L"";
      GetClassNameW(h, name, 64);
      if (pid == l->pid && lstrcmpW(name, l->cls) == 0 && IsWindowVisible(h)) {
        *l->found = h;
        return FALSE;
      }
      return TRUE;
    }, reinterpret_cast<LPARAM>(&look));
  }
  static std::string readBox(HWND box) {
    std::string text;
    EnumChildWindows(box, [](HWND h, LPARAM lp) -> BOOL {
      wchar_t cls[16] = L"";
      GetClassNameW(h, cls, 16);
      if (lstrcmpiW(cls, L"Static") == 0)
        *reinterpret_cast<std::string*>(lp) += windowText(h);
      return TRUE;
    }, reinterpret_cast<LPARAM>(&text));
    return text;
  }

  PROCESS_INFORMATION pi_{};
  bool started_ = false;
};

class Executable : public ::testing::Test {
 protected:
  Executable() {
    // Screen pixels as the program sees them, at any DPI of the prefix.
    SetProcessDPIAware();
    HDC screen = GetDC(nullptr);
    dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    if (const char* want = std::getenv("VELQUIN_EXPECT_DPI"))
      EXPECT_EQ(dpi, std::atoi(want)) << "the prefix's LogPixels";
    // The folder the program was unpacked to, or a fresh one.
    if (const char* start = std::getenv("VELQUIN_START")) {
      folder = win32::widen(start);
    } else {
      wchar_t tmp[MAX_PATH];
      GetTempPathW(MAX_PATH, tmp);
      folder = std::filesystem::path(tmp) /
               ("velquin-run-" + std::to_string(GetCurrentProcessId()) + "-" +
                std::to_string(GetTickCount64()));
      std::filesystem::create_directories(folder);
      scratch = true;
    }
    std::filesystem::remove(folder / "Velquin.ini");
  }
  ~Executable() override {
    std::error_code ec;
    if (scratch) std::filesystem::remove_all(folder, ec);
    else std::filesystem::remove(folder / "Velquin.ini", ec);
  }
  std::string settings() {
    std::ifstream in(folder / "Velquin.ini", std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }
  static RECT rectOf(HWND h) {
    RECT rc{};
    GetWindowRect(h, &rc);
    return rc;
  }

  std::filesystem::path folder;
  bool scratch = false;
  int dpi = 96;
};

bool same(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right &&
         a.bottom == b.bottom;
}

TEST_F(Executable, FirstStartTellsOfTheMissingFileAndRestartsWhereItWasClosed) {
  RECT moved;
  {
    Started run(folder);
    HWND main = run.mainWindow();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(run.message, "ファイルが有りません。");
    EXPECT_EQ(nameOf(main), "frmMain");
    EXPECT_EQ(windowText(main), "Velquin ");
    for (const char* name : {"Edit1", "btnDO", "RadioGroup1#6", "TS_Top"})
      EXPECT_NE(findByName(main, name), nullptr) << name;
    // The other pages get their windows when they are first shown.
    for (const char* name : {"Memo0", "btnHelp3", "LBS5"})
      EXPECT_EQ(findByName(main, name), nullptr) << name;
    RECT design = rectOf(main);
    EXPECT_EQ(design.left, 233);
    EXPECT_EQ(design.top, 149);
    EXPECT_EQ(design.right - design.left, 612 * dpi / 96);
    EXPECT_EQ(design.bottom - design.top, 476 * dpi / 96);
    // The user moves and sizes the window, then closes it.
    SetWindowPos(main, nullptr, 41, 37, 701, 523, SWP_NOZORDER);
    moved = rectOf(main);
    ASSERT_TRUE(run.close(main));
  }
  // The file holds the bounds over the system scale: at 96 DPI the pixels.
  if (dpi == 96) EXPECT_EQ(settings(), "2.2.2\r\n37\r\n41\r\n701\r\n523\r\n");
  // A restart opens where the window was closed, rounding aside: one pixel
  // at most, once.
  RECT first{};
  for (int restart = 0; restart < 2; ++restart) {
    Started run(folder);
    HWND main = run.mainWindow();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(run.message, "");
    const RECT rc = rectOf(main);
    if (restart == 0) {
      first = rc;
      for (auto [now, was] :
           {std::pair{rc.left, moved.left}, {rc.top, moved.top},
            {rc.right - rc.left, moved.right - moved.left},
            {rc.bottom - rc.top, moved.bottom - moved.top}})
        EXPECT_LE(std::abs(now - was), dpi == 96 ? 0 : 1);
    } else {
      EXPECT_TRUE(same(rc, first));
    }
    ASSERT_TRUE(run.close(main));
  }
}

TEST_F(Executable, AFileWrittenAtOneHundredPercentOpensAtTheSameSizeOnScreen) {
  const std::string file = "2.2.2\r\n150\r\n240\r\n612\r\n476\r\n";
  std::ofstream(folder / "Velquin.ini", std::ios::binary) << file;
  Started run(folder);
  HWND main = run.mainWindow();
  ASSERT_NE(main, nullptr);
  const RECT rc = rectOf(main);
  EXPECT_EQ(rc.left, 240 * dpi / 96);
  EXPECT_EQ(rc.top, 150 * dpi / 96);
  EXPECT_EQ(rc.right - rc.left, 612 * dpi / 96);
  EXPECT_EQ(rc.bottom - rc.top, 476 * dpi / 96);
  ASSERT_TRUE(run.close(main));
  EXPECT_EQ(settings(), file);
}

TEST_F(Executable, APlaceOffEveryMonitorStillOpensAWindowOnTheScreen) {
  std::ofstream(folder / "Velquin.ini", std::ios::binary)
      << "2.2.2\r\n-30000\r\n-30000\r\n640\r\n480\r\n";
  Started run(folder);
  HWND main = run.mainWindow();
  ASSERT_NE(main, nullptr);
  RECT rc = rectOf(main);
  MONITORINFO mi{};
  mi.cbSize = sizeof mi;
  ASSERT_TRUE(GetMonitorInfoW(MonitorFromRect(&rc, MONITOR_DEFAULTTONULL), &mi));
  EXPECT_GE(rc.left, mi.rcWork.left);
  EXPECT_GE(rc.top, mi.rcWork.top);
  EXPECT_EQ(rc.right - rc.left, 640 * dpi / 96);
  ASSERT_TRUE(run.close(main));
}

// Started again as administrator, the program gets the command line that
// the user had in its field, quoted as the restart quotes it, and does not
// run it.
TEST_F(Executable, TheCommandLineOfARestartIsInItsFieldAndNotRun) {
  std::ofstream(folder / "Velquin.ini", std::ios::binary)
      << "2.2.2\r\n150\r\n240\r\n612\r\n476\r\n";
  const struct { const wchar_t* arguments; const char* field; } cases[] = {
      {LR"( /edit "net \"a b\\\" c\\")", R"(net "a b\" c\)"},
      {L"\t/edit  \"ping -n 1 127.0.0.1\" ", "ping -n 1 127.0.0.1"},
      {L" /edit", ""},
      {L"", ""},
  };
  for (const auto& c : cases) {
    Started run(folder, c.arguments);
    HWND main = run.mainWindow();
    ASSERT_NE(main, nullptr);
    // Asked as another program asks an edit control for its text: the
    // window's caption is the text it was made with.
    HWND edit1 = findByName(main, "Edit1");
    const auto n = SendMessageW(edit1, WM_GETTEXTLENGTH, 0, 0);
    std::wstring field(static_cast<size_t>(n) + 1, L'\0');
    SendMessageW(edit1, WM_GETTEXT, field.size(), reinterpret_cast<LPARAM>(field.data()));
    field.resize(static_cast<size_t>(n));
    EXPECT_EQ(win32::narrow(field), c.field);
    EXPECT_EQ(findByName(main, "Memo0"), nullptr);  // nothing ran
    ASSERT_TRUE(run.close(main));
  }
}

}  // namespace
}  // namespace velquin::test
