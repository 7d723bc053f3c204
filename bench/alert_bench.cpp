// The monitor left running, measured in the real window: 200 hosts that go
// down within one second (echoes that never leave the program: they answer
// until the moment chosen, then time out) give one notification, and how
// long the gathering and the icon take; then 256 loopback hosts at one
// probe a second with the log on and off, the program's share of a core
// and the window's answer time with each.
//   velquin_alert_bench            both
//   velquin_alert_bench gather     the gathering alone
#include <windows.h>
#include <psapi.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench_window.h"
#include "monitor_session.h"
#include "monitor/monitor_window.h"
#include "program.h"
#include "win32/platform_win32.h"
#include "win32/session.h"

namespace {

using namespace velquin;
using Clock = std::chrono::steady_clock;

using bench::processorSeconds;

// Echoes answered at once while the hosts are up, timed out at once after;
// the balloons counted with the time each came.
class ScriptedEchoes : public win32::Win32Platform {
 public:
  bool up = true;
  std::vector<Clock::time_point> balloons;
  std::vector<std::string> texts;

  uint64_t sendEcho(const std::string& address, int, int) override {
    out_.push_back({next_, address});
    return next_++;
  }
  std::vector<EchoAnswer> takeEchoAnswers() override {
    std::vector<EchoAnswer> answers;
    for (const auto& [id, address] : out_)
      answers.push_back(up ? EchoAnswer{id, EchoStatus::Reply, 1, address}
                           : EchoAnswer{id, EchoStatus::TimedOut, 0, ""});
    out_.clear();
    return answers;
  }
  void cancelEchoes() override { out_.clear(); }
  bool trayBalloon(const std::string& text) override {
    balloons.push_back(Clock::now());
    texts.push_back(text);
    return win32::Win32Platform::trayBalloon(text);
  }

 private:
  std::vector<std::pair<uint64_t, std::string>> out_;
  uint64_t next_ = 1;
};

class Bench : public bench::MonitorSession {
 public:
  explicit Bench(win32::Win32Platform& os) : MonitorSession(os, "velquin-alert-bench") {}
  void start(const char* hosts, const char* down, bool log) {
    fromUser([&](form::Form& f) {
      f["Memo_Hosts"].setText(hosts);
      f["Edit_MonitorSec"].setText("1");
      f["Edit_MonitorTimeout"].setText("1000");
      f["Edit_MonitorDown"].setText(down);
      f["Edit_MonitorUp"].setText("1");
      f["RG_MonitorMode"].setItemIndex(0);
      f["CB_MonitorNotify"].setChecked(true);
      f["CB_MonitorLog"].setChecked(log);
      f.userClick(f["btnMonitor"]);
    });
  }
  void stop() { clickStart(); }
};

void gathering() {
  ScriptedEchoes os;
  Bench b(os);
  std::printf("monitor alert: 200 hosts going down within one second, threshold 1\n");
  b.start("127.0.2.1-200", "1", false);
  b.run(3000);
  const double cpu0 = processorSeconds();
  const Clock::time_point down = Clock::now();
  os.up = false;
  b.run(4000);
  const double cpu = processorSeconds() - cpu0;
  const size_t rowsDown = b.window().monitor().outages().downCount();
  std::printf("  rows down: %zu; notifications: %zu (target: 1)\n", rowsDown, os.balloons.size());
  if (!os.balloons.empty())
    std::printf("  the notification came %.0f ms after the first went down (gathering: 2,000 ms)\n"
                "  text: %s\n",
                std::chrono::duration<double, std::milli>(os.balloons[0] - down).count(),
                os.texts[0].c_str());
  std::printf("  processor over those 4 s: %.2f %% of one core; the icon shown: %s\n",
              cpu / 4 * 100, b.window().trayShown() ? "yes" : "no");
  b.stop();
}

void logCost() {
  win32::Win32Platform os;
  Bench b(os);
  std::printf("monitor log: 256 loopback hosts at one probe a second, 60 s each way\n");
  for (bool log : {false, true}) {
    b.start("127.0.0.1-254\r\n127.0.1.1\r\n127.0.1.2", "3", log);
    b.run(2000);
    const double cpu0 = processorSeconds();
    const Clock::time_point t0 = Clock::now();
    double longest = 0;
    {
      bench::GapMeter gaps(b.hwnd());
      b.run(60'000);
      longest = gaps.longestMs();
    }
    const double wall = std::chrono::duration<double>(Clock::now() - t0).count();
    const double share = (processorSeconds() - cpu0) / wall * 100;
    std::printf("  log %-3s: processor %.2f %% of one core (target: at most 3 %%), "
                "window's longest gap %.1f ms (target: 50 ms)\n",
                log ? "on" : "off", share, longest);
    b.stop();
  }
  uintmax_t bytes = 0;
  for (const auto& e : std::filesystem::recursive_directory_iterator(b.folder()))
    if (e.is_regular_file() && e.path().extension() == ".csv") bytes += e.file_size();
  std::printf("  the log's files: %ju bytes after a minute\n", bytes);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  gathering();
  if (argc < 2 || std::wstring(argv[1]) != L"gather") logCost();
  return 0;
}
