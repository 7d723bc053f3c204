// How fast the program opens its window, what it holds when idle, and how
// long the first showing of each page takes, against a bare program of the
// same kind (reference.cpp) started the same way in the same run.
//
//   velquin_startup_bench.exe   (beside velquin_reference.exe, with
//                                Velquin.exe one folder up)
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "form/form.h"
#include "program.h"
#include "win32/platform_win32.h"
#include "win32/renderer.h"
#include "win32/session.h"
#include "win32/text.h"

namespace {

using namespace velquin;
using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

constexpr int kStarts = 10;
constexpr char kIni[] = "2.2.2\r\n149\r\n233\r\n612\r\n476\r\n";

double msSince(Clock::time_point t) {
  return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

// The middle value; of an even count, the mean of the two in the middle.
double median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  const size_t half = v.size() / 2;
  return v.size() % 2 ? v[half] : (v[half - 1] + v[half]) / 2;
}

// Resident private memory of a process in kilobytes, from the system's own
// account of it (the Linux /proc under Wine, through drive Z:); the
// process is found by the folder its program was started from. 0 when
// there is no such account.
double residentPrivateMiB(const std::string& tag) {
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(L"Z:\\proc", ec)) {
    const std::wstring name = entry.path().filename().wstring();
    if (name.empty() || name.find_first_not_of(L"0123456789") != std::wstring::npos)
      continue;
    std::ifstream cmd(entry.path() / L"cmdline", std::ios::binary);
    std::string line((std::istreambuf_iterator<char>(cmd)), {});
    if (line.find(tag) == std::string::npos) continue;
    std::ifstream smaps(entry.path() / L"smaps_rollup");
    std::string key;
    double kib = 0, total = 0;
    while (smaps >> key) {
      if (key == "Private_Clean:" || key == "Private_Dirty:") {
        smaps >> kib;
        total += kib;
      }
    }
    if (total > 0) return total / 1024;
  }
  return 0;
}

struct Start {
  double ms = -1;
  double cpuMs = 0;  // processor time of the process up to that moment
  double mib = 0;
};

// Processor time a process has taken so far, in milliseconds. On a loaded
// machine the wall clock counts the others' work too; this is the start's
// own (the Wine server's share left out).
double processorMs(HANDLE process) {
  FILETIME created, exited, kernel, user;
  if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
  auto ms = [](const FILETIME& t) {
    return ((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime) /
           1e4;
  };
  return ms(kernel) + ms(user);
}

// Starts the program in its folder and times it from CreateProcess to a
// visible main window that has answered a message; then, idle for a
// moment, its memory; then closes it as its close box does. The window is
// looked for by its class, one question to the system each millisecond:
// going through every window each time would put many questions a
// millisecond to the same server that the starting program is using, and
// slow down what is measured.
Start startOnce(const fs::path& exe, const wchar_t* windowClass, const std::string& tag) {
  Start s;
  std::wstring command = L"\"" + exe.wstring() + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  const Clock::time_point t0 = Clock::now();
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      exe.parent_path().wstring().c_str(), &si, &pi))
    return s;
  HWND window = nullptr;
  while (msSince(t0) < 20000) {
    HWND found = FindWindowW(windowClass, nullptr);
    DWORD pid = 0;
    if (found) GetWindowThreadProcessId(found, &pid);
    DWORD_PTR r = 0;
    if (pid == pi.dwProcessId && IsWindowVisible(found) &&
        SendMessageTimeoutW(found, WM_NULL, 0, 0, SMTO_BLOCK, 20000, &r)) {
      s.ms = msSince(t0);
      s.cpuMs = processorMs(pi.hProcess);
      window = found;
      break;
    }
    Sleep(1);
  }
  Sleep(700);
  s.mib = residentPrivateMiB(tag);
  if (window) PostMessageW(window, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0)
    TerminateProcess(pi.hProcess, 1);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return s;
}

// The program in this process, its window shown; every page shown for the
// first time in turn, as choosing it would. The time of the slowest: from
// the choice to a window that has painted and answers.
void firstShowings(const fs::path& folder) {
  SetCurrentDirectoryW(folder.wstring().c_str());
  win32::Win32Platform os;
  win32::Session session(os);
  session.show(SW_SHOWNORMAL);
  os.pumpMessages(0);
  win32::Renderer& window = session.mainWindow();
  form::Form& form = session.main().form();
  double slowest = 0;
  std::string slowestName, each;
  for (const auto& c : form.controls()) {
    if (c->kind() != form::Kind::Page || window.native(*c)) continue;
    const Clock::time_point t0 = Clock::now();
    window.fromUser([&] {
      // Outermost page first: each is made its page control's choice.
      std::vector<form::Control*> chain;
      for (form::Control* at = c.get(); at; at = at->parent())
        if (at->kind() == form::Kind::Page) chain.insert(chain.begin(), at);
      for (form::Control* page : chain) page->parent()->setActivePage(*page);
    });
    UpdateWindow(window.hwnd());
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
    const double ms = msSince(t0);
    each += " " + c->name() + " " + std::to_string(static_cast<int>(ms + 0.5));
    if (ms > slowest) {
      slowest = ms;
      slowestName = c->name();
    }
  }
  std::printf("first showing of each page (ms):%s\n", each.c_str());
  std::printf("slowest first showing of a page: %.1f ms (%s) (target under 50 ms)\n",
              slowest, slowestName.c_str());
}

}  // namespace

int wmain() {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  const fs::path here = fs::path(self).parent_path();
  wchar_t tmp[MAX_PATH];
  GetTempPathW(MAX_PATH, tmp);
  const std::string tag = "velquin-startup-" + std::to_string(GetCurrentProcessId());
  const fs::path root = fs::path(tmp) / tag;
  fs::create_directories(root / "app" / "Data");
  fs::create_directories(root / "ref");
  fs::copy_file(here.parent_path() / L"Velquin.exe", root / "app" / "Velquin.exe");
  fs::copy_file(here / L"velquin_reference.exe", root / "ref" / "velquin_reference.exe");
  std::ofstream(root / "app" / "Velquin.ini", std::ios::binary) << kIni;

  std::vector<double> refMs, appMs, refCpu, appCpu, refMiB, appMiB;
  for (int i = 0; i < kStarts; ++i) {
    for (bool app : {false, true}) {
      const Start s =
          app ? startOnce(root / "app" / "Velquin.exe", L"TfrmMain", tag + "\\app")
              : startOnce(root / "ref" / "velquin_reference.exe", L"VelquinReference",
                          tag + "\\ref");
      if (s.ms < 0) {
        std::printf("%s did not start\n", app ? "Velquin" : "reference");
        return 1;
      }
      (app ? appMs : refMs).push_back(s.ms);
      (app ? appCpu : refCpu).push_back(s.cpuMs);
      (app ? appMiB : refMiB).push_back(s.mib);
    }
  }
  std::printf("Velquin start-up benchmark (%d alternated starts each, medians)\n", kStarts);
  auto list = [](const std::vector<double>& v) {
    std::string out;
    for (double ms : v) out += " " + std::to_string(static_cast<int>(ms + 0.5));
    return out;
  };
  std::printf("each start (ms): reference%s; Velquin%s\n", list(refMs).c_str(),
              list(appMs).c_str());
  const double r = median(refMs), a = median(appMs);
  std::printf("start-up: reference %.0f ms, Velquin %.0f ms: %.2f (target at most 1.6)\n",
              r, a, a / r);
  const double rc = median(refCpu), ac = median(appCpu);
  std::printf("processor time of a start: reference %.0f ms, Velquin %.0f ms: %.2f\n", rc,
              ac, rc > 0 ? ac / rc : 0);
  const double rm = median(refMiB), am = median(appMiB);
  if (rm > 0)
    std::printf("idle resident private memory: reference %.1f MB, Velquin %.1f MB: "
                "%.2f (target at most 1.5)\n", rm, am, am / rm);
  else
    std::printf("idle resident private memory: not measurable here\n");

  firstShowings(root / "app");
  SetCurrentDirectoryW(tmp);
  std::error_code ec;
  fs::remove_all(root, ec);
  return 0;
}
