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

#include "app/run_status.h"
#include "wine_app.h"
#include "win32/hand_over.h"
#include "win32/text.h"

namespace velquin::test {
namespace {

// One run of the program in a start folder.
class Started {
 public:
  explicit Started(const std::filesystem::path& folder,
                   const std::string& arguments = "") {
    const char* exe = std::getenv("VELQUIN_EXE");
    EXPECT_NE(exe, nullptr) << "VELQUIN_EXE names the program under test";
    if (!exe) return;
    std::wstring cmd = L"\"" + win32::widen(exe) + L"\"";
    if (!arguments.empty()) cmd += L" " + win32::widen(arguments);
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
  HANDLE process() const { return pi_.hProcess; }

  // The command line of the process as every other process can read it:
  // from its process block.
  std::string commandLine() const {
    using Query = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
    const auto query = reinterpret_cast<Query>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
    struct { void* reserved1; BYTE* peb; void* reserved2[4]; } basic{};
    ULONG n = 0;
    if (!query || query(pi_.hProcess, 0, &basic, sizeof basic, &n) < 0) return "?";
    BYTE* params = nullptr;
    struct { USHORT length, maximum; wchar_t* buffer; } line{};
    // PEB.ProcessParameters, then its CommandLine, on 64 bits.
    if (!ReadProcessMemory(pi_.hProcess, basic.peb + 0x20, &params, sizeof params, nullptr) ||
        !ReadProcessMemory(pi_.hProcess, params + 0x70, &line, sizeof line, nullptr))
      return "?";
    std::wstring w(line.length / 2, L'\0');
    if (!ReadProcessMemory(pi_.hProcess, line.buffer, w.data(), line.length, nullptr))
      return "?";
    return win32::narrow(w);
  }

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

// The text of a window of another process as the window itself tells it
// (GetWindowText would give only what it was made with), once the program
// has set it: what it holds after it stops changing, or after three seconds.
std::string askedText(HWND h) {
  DWORD_PTR n = 0;
  if (!SendMessageTimeoutW(h, WM_GETTEXTLENGTH, 0, 0, SMTO_BLOCK, 5000, &n)) return "?";
  std::wstring w(n + 1, L'\0');
  if (!SendMessageTimeoutW(h, WM_GETTEXT, n + 1, reinterpret_cast<LPARAM>(w.data()),
                           SMTO_BLOCK, 5000, &n))
    return "?";
  w.resize(n);
  return win32::narrow(w);
}

std::string settled(HWND h) {
  std::string last = askedText(h);
  for (int i = 0; i < 60; ++i) {
    Sleep(50);
    const std::string now = askedText(h);
    if (!now.empty() && now == last) return now;
    last = now;
  }
  return last;
}

// The elevated restart's hand-over, with the test as the instance that
// restarts: the text offered on a channel, the program's own file started
// with the channel's name as the restart starts it, and served to that
// process alone. The text comes whole into Edit1 and stands on no command
// line; a channel that is gone leaves Edit1 empty and says so in the bar.
TEST_F(Executable, TheRestartHandsTheCommandLineOverOffTheCommandLine) {
  std::ofstream(folder / "Velquin.ini", std::ios::binary)
      << "2.2.2\r\n150\r\n240\r\n612\r\n476\r\n";
  const std::string text = R"(net user "山田 b" Secr3t\" %PATH% /add C:\)";
  win32::TextOffer offer;
  const std::string channel = offer.open(text);
  ASSERT_EQ(channel.substr(32), "." + std::to_string(GetCurrentProcessId()));
  const std::string arguments = std::string(app::kHandOverOption) + " " + channel;
  {
    Started run(folder, arguments);
    EXPECT_TRUE(offer.serveTo(run.process(), 20000));
    HWND main = run.mainWindow();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(settled(findByName(main, "Edit1")), text);
    EXPECT_EQ(askedText(findByName(main, "StatusBar1")), "");
    EXPECT_EQ(findByName(main, "Memo0"), nullptr);  // nothing ran: no output page
    const std::string seen = run.commandLine();
    EXPECT_NE(seen.find(arguments), std::string::npos) << seen;
    EXPECT_EQ(seen.find("Secr3t"), std::string::npos) << seen;
    ASSERT_TRUE(run.close(main));
  }
  // Served once: the same name again finds nothing.
  Started again(folder, arguments);
  HWND main = again.mainWindow();
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(settled(findByName(main, "StatusBar1")), app::kCarryFailed);
  EXPECT_EQ(askedText(findByName(main, "Edit1")), "");
  ASSERT_TRUE(again.close(main));
}

}  // namespace
}  // namespace velquin::test
