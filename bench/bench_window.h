#pragma once
// What the benchmarks of the real window share: a scratch start folder
// with a settings file in place, the window's answer time while it works,
// and the private memory of the process.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

namespace velquin::bench {

using Clock = std::chrono::steady_clock;

// The processor time of the process so far, in seconds.
inline double processorSeconds() {
  FILETIME created, exited, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  auto seconds = [](const FILETIME& t) {
    return ((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
  };
  return seconds(kernel) + seconds(user);
}

// The handles of the process; where the system gives no count (Wine), the
// value of the next handle it gives out, which grows with the table.
inline DWORD handles() {
  DWORD n = 0;
  if (GetProcessHandleCount(GetCurrentProcess(), &n) && n) return n;
  HANDLE probe = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  n = static_cast<DWORD>(reinterpret_cast<uintptr_t>(probe) / 4);
  CloseHandle(probe);
  return n;
}

// A folder of its own under the temporary folder, made the current one,
// with a settings file in place so that no message box waits for a user.
inline std::filesystem::path scratchFolder(const std::string& name) {
  wchar_t tmp[MAX_PATH];
  GetTempPathW(MAX_PATH, tmp);
  const auto folder = std::filesystem::path(tmp) /
                      (name + "-" + std::to_string(GetCurrentProcessId()));
  std::filesystem::create_directories(folder);
  SetCurrentDirectoryW(folder.wstring().c_str());
  if (FILE* f = _wfopen((folder / "Velquin.ini").wstring().c_str(), L"wb")) {
    fputs("2.2.2\r\n149\r\n233\r\n612\r\n476\r\n", f);
    fclose(f);
  }
  return folder;
}

// Leaves the scratch folder for the temporary folder and removes it.
inline void leaveScratchFolder(const std::filesystem::path& folder) {
  SetCurrentDirectoryW(folder.parent_path().wstring().c_str());
  std::error_code ec;
  std::filesystem::remove_all(folder, ec);
}

// The longest time between two handled timer messages of the window while
// it is armed: the window's answer time while it works.
class GapMeter {
 public:
  explicit GapMeter(HWND window) : window_(window) {
    active_ = this;
    last_ = Clock::now();
    SetTimer(window_, kTimer, 5, tick);
  }
  ~GapMeter() {
    KillTimer(window_, kTimer);
    active_ = nullptr;
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
  static constexpr UINT_PTR kTimer = 0xBE7C;
  // The meter at work, found without asking the window (which would be a
  // request to the server at every tick under Wine).
  static inline GapMeter* active_ = nullptr;

  static void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD) {
    if (GapMeter* meter = active_) {
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

// Private memory of the process in MiB. Wine leaves the private usage
// counter at zero (it takes it from the swap in use); there the memory in
// use of the working set, whose growth is the memory the program has
// touched, stands in.
inline double privateMiB(const char** counter = nullptr) {
  PROCESS_MEMORY_COUNTERS_EX pmc{};
  pmc.cb = sizeof pmc;
  GetProcessMemoryInfo(GetCurrentProcess(),
                       reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc), sizeof pmc);
  if (counter) *counter = pmc.PrivateUsage ? "private usage" : "working set";
  return static_cast<double>(pmc.PrivateUsage ? pmc.PrivateUsage : pmc.WorkingSetSize) /
         (1024.0 * 1024.0);
}

}  // namespace velquin::bench
