// How fast the command runner shows a child's output in the real window,
// how much processor time it takes while a child is silent, and how long
// the window goes without handling a message while output pours in.
//
// Everything goes through the real program: the main window with its
// native controls, the run action, the polling loop and the output view.
// The reference for speed is the same child read through the same kind of
// pipe and thrown away: the pipe's own limit.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "exec/child_process.h"
#include "exec/runner.h"
#include "program.h"
#include "win32/platform_win32.h"
#include "win32/renderer.h"
#include "win32/session.h"
#include "win32/text.h"

namespace {

using namespace velquin;
using Clock = std::chrono::steady_clock;

constexpr size_t kMiB = 1024 * 1024;
constexpr int kSilentMs = 10000;

double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// The child program, beside this one, quoted for the command line.
std::string childCommand(const std::string& args) {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  const std::filesystem::path child =
      std::filesystem::path(self).parent_path() / L"velquin_bench_child.exe";
  std::string command = "\"";
  command += win32::narrow(child.wstring());
  command += "\" ";
  command += args;
  return command;
}

// Reads the child's whole output through the runner's own pipe and throws
// it away, as fast as the pipe gives it. Returns the bytes read.
size_t readAndDiscard(const std::string& command) {
  std::unique_ptr<exec::ChildProcess> child = exec::startChild(command);
  if (!child) return 0;
  std::vector<char> buffer(kMiB);
  size_t total = 0;
  for (;;) {
    const bool ended = !child->running();
    size_t waiting = child->available();
    if (waiting == 0) {
      if (ended) break;
      SwitchToThread();
      continue;
    }
    while (waiting > 0) {
      const size_t got =
          child->read(buffer.data(), std::min(waiting, buffer.size()));
      if (got == 0) break;
      total += got;
      waiting -= got;
    }
  }
  return total;
}

// The longest time between two handled timer messages of the window while
// it is armed: the window's answer time while a command runs.
class GapMeter {
 public:
  explicit GapMeter(HWND window) : window_(window) {
    SetPropW(window_, kProp, this);
    last_ = Clock::now();
    SetTimer(window_, kTimer, 5, tick);
  }
  ~GapMeter() {
    KillTimer(window_, kTimer);
    RemovePropW(window_, kProp);
  }
  GapMeter(const GapMeter&) = delete;
  GapMeter& operator=(const GapMeter&) = delete;

  // The gap up to now counts too: the run's last stretch.
  double longestMs() {
    note();
    return std::chrono::duration<double, std::milli>(longest_).count();
  }
  int ticks() const { return ticks_; }

 private:
  static constexpr const wchar_t* kProp = L"VelquinBenchGapMeter";
  static constexpr UINT_PTR kTimer = 0xBE7C;

  static void CALLBACK tick(HWND window, UINT, UINT_PTR, DWORD) {
    if (auto* meter = static_cast<GapMeter*>(GetPropW(window, kProp))) {
      meter->note();
      ++meter->ticks_;
    }
  }
  void note() {
    const Clock::time_point now = Clock::now();
    longest_ = std::max(longest_, now - last_);
    last_ = now;
  }

  HWND window_;
  Clock::time_point last_;
  Clock::duration longest_{};
  int ticks_ = 0;
};

double processorSeconds() {
  FILETIME created, exited, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  auto seconds = [](const FILETIME& t) {
    return ((static_cast<unsigned long long>(t.dwHighDateTime) << 32) |
            t.dwLowDateTime) / 1e7;
  };
  return seconds(kernel) + seconds(user);
}

// The program in its real window, in a scratch start folder.
class Bench {
 public:
  Bench() {
    wchar_t tmp[MAX_PATH];
    GetTempPathW(MAX_PATH, tmp);
    folder_ = std::filesystem::path(tmp) /
              ("velquin-bench-" + std::to_string(GetCurrentProcessId()));
    std::filesystem::create_directories(folder_);
    SetCurrentDirectoryW(folder_.wstring().c_str());
    // A settings file in place, so that no message box waits for a user.
    if (FILE* f = _wfopen((folder_ / "Velquin.ini").wstring().c_str(), L"wb")) {
      fputs("2.2.2\r\n149\r\n233\r\n612\r\n476\r\n", f);
      fclose(f);
    }
    session_ = std::make_unique<win32::Session>(os_);
    program_ = &session_->program();
    window_ = &session_->mainWindow();
    session_->show(SW_SHOWNORMAL);
    os_.pumpMessages(0);
  }
  ~Bench() {
    session_.reset();
    wchar_t tmp[MAX_PATH];
    GetTempPathW(MAX_PATH, tmp);
    SetCurrentDirectoryW(tmp);
    std::error_code ec;
    std::filesystem::remove_all(folder_, ec);
  }

  HWND hwnd() const { return window_->hwnd(); }

  // Runs the command as the run button does; returns when the run is over.
  void run(const std::string& command) {
    form::Form& f = program_->main().form();
    f["Edit1"].setText(command);
    window_->fromUser([&f] { f.execute("Act_btnDO"); });
  }
  // Characters that the output view's native control holds.
  size_t shownLength() {
    return win32::widen(window_->readText(program_->main().form()["Memo0"]))
        .size();
  }

 private:
  std::filesystem::path folder_;
  win32::Win32Platform os_;
  std::unique_ptr<win32::Session> session_;
  Program* program_ = nullptr;
  win32::Renderer* window_ = nullptr;
};

struct Streamed {
  double discardS = 0;
  double shownS = 0;
  double longestGapMs = 0;
  bool whole = false;
};

Streamed stream(Bench& bench, size_t bytes) {
  Streamed s;
  const std::string command = childCommand("lines " + std::to_string(bytes));
  Clock::time_point start = Clock::now();
  const size_t discarded = readAndDiscard(command);
  s.discardS = secondsSince(start);

  GapMeter gaps(bench.hwnd());
  start = Clock::now();
  bench.run(command);
  s.shownS = secondsSince(start);
  s.longestGapMs = gaps.longestMs();
  // The view holds the command line, CR LF and every byte (plain ASCII).
  s.whole = discarded == bytes && bench.shownLength() == command.size() + 2 + bytes;
  return s;
}

}  // namespace

int wmain() {
  Bench bench;
  std::printf("Velquin runner benchmark (real window, real runner)\n");

  const Streamed one = stream(bench, 1 * kMiB);
  std::printf("1 MB:  shown in %.2f s, read and discarded in %.2f s%s\n",
              one.shownS, one.discardS, one.whole ? "" : "  (OUTPUT INCOMPLETE)");
  const Streamed sixteen = stream(bench, 16 * kMiB);
  std::printf("16 MB: shown in %.2f s, read and discarded in %.2f s%s\n",
              sixteen.shownS, sixteen.discardS,
              sixteen.whole ? "" : "  (OUTPUT INCOMPLETE)");
  std::printf("16 MB shown / discarded: %.1f (target at most 3)\n",
              sixteen.shownS / sixteen.discardS);
  std::printf("16 MB shown / 1 MB shown: %.1f (target at most 20)\n",
              sixteen.shownS / one.shownS);
  std::printf("longest gap between handled messages while 16 MB streams: "
              "%.0f ms (target under 100 ms)\n",
              sixteen.longestGapMs);

  const std::string silent = childCommand("silent " + std::to_string(kSilentMs));
  const double cpuBefore = processorSeconds();
  const Clock::time_point start = Clock::now();
  bench.run(silent);
  const double wall = secondsSince(start);
  const double cpu = processorSeconds() - cpuBefore;
  std::printf("silent child for %.1f s: parent used %.3f s of processor, "
              "%.2f%% of one core (target at most 2%%)\n",
              wall, cpu, 100.0 * cpu / wall);
  return one.whole && sixteen.whole ? 0 : 1;
}
