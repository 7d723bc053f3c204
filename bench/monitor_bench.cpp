// The monitor window measured in the real window, loopback addresses only:
// 256 hosts (127.0.0.1-254 and two of 127.0.1.x) at one probe a second,
// the program's share of a core, the window's answer time meanwhile, the
// round trip that the list shows against the system's own echo, the memory
// each result takes, and ten starts and stops: handles and memory after
// the tenth as after the first. Then 1,024 hosts that never answer, at 0.2 s
// with a time-out of a minute, through echoes that never leave the
// program: processor, memory and requests out, ten seconds at a time.
//   velquin_monitor_bench          both
//   velquin_monitor_bench dead     the hosts that never answer alone
#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>
#include <icmpapi.h>
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "monitor/monitor_window.h"
#include "program.h"
#include "win32/platform_win32.h"
#include "win32/session.h"
#include "bench_window.h"
#include "monitor_session.h"

namespace {

using namespace velquin;
using Clock = std::chrono::steady_clock;

double memoryKiB() { return bench::privateMiB() * 1024; }

using bench::processorSeconds;

using bench::handles;

// Echo requests that never answer, as to hosts that are down, and that
// never leave the program. Each look for answers goes over every request
// out, as the system's side does, so that its cost follows their number.
class SilentPlatform : public win32::Win32Platform {
 public:
  uint64_t sendEcho(const std::string&, int, int) override {
    out_.push_back(next_);
    ++sent_;
    most_ = std::max(most_, out_.size());
    return next_++;
  }
  std::vector<EchoAnswer> takeEchoAnswers() override {
    for (uint64_t id : out_) checked_ += id != 0;
    return {};
  }
  void cancelEchoes() override { out_.clear(); }

  size_t out() const { return out_.size(); }
  size_t most() const { return most_; }
  long long sent() const { return sent_; }
  long long checked() const { return checked_; }

 private:
  std::vector<uint64_t> out_;
  uint64_t next_ = 1;
  size_t most_ = 0;
  long long sent_ = 0;
  long long checked_ = 0;
};

class MonitorBench : public bench::MonitorSession {
 public:
  explicit MonitorBench(win32::Win32Platform& os) : MonitorSession(os, "velquin-monitor-bench") {}

  void start(const char* hosts = "127.0.0.1-254\r\n127.0.1.1\r\n127.0.1.2",
             const char* interval = "1", const char* timeout = "1000") {
    fromUser([&](form::Form& f) {
      f["Memo_Hosts"].setText(hosts);
      f["Edit_MonitorSec"].setText(interval);
      f["Edit_MonitorTimeout"].setText(timeout);
      f["RG_MonitorMode"].setItemIndex(0);
      f.userClick(f["btnMonitor"]);
    });
  }
  void stop() { clickStart(); }
};

// The system's own echo to the address, count times: its mean round trip.
double systemEchoMs(const char* address, int count) {
  HANDLE icmp = IcmpCreateFile();
  if (icmp == INVALID_HANDLE_VALUE) return -1;
  char data[32] = "velquin";
  char reply[sizeof(ICMP_ECHO_REPLY) + sizeof data + 8];
  long long sum = 0;
  int got = 0;
  for (int i = 0; i < count; ++i) {
    if (IcmpSendEcho(icmp, inet_addr(address), data, sizeof data, nullptr, reply, sizeof reply,
                     1000) > 0) {
      sum += reinterpret_cast<ICMP_ECHO_REPLY*>(reply)->RoundTripTime;
      ++got;
    }
    Sleep(10);
  }
  IcmpCloseHandle(icmp);
  return got ? static_cast<double>(sum) / got : -1;
}

// 1,024 hosts that never answer, at 0.2 s with a time-out of a minute:
// at most one request a host is out, so a minute of it costs the same
// ten seconds after ten seconds.
void deadHosts() {
  SilentPlatform os;
  MonitorBench b(os);
  std::printf("monitor: 1,024 hosts that never answer, at 0.2 s, time-out 60,000 ms\n");
  b.start("127.0.0.0/22\r\n127.0.4.1\r\n127.0.4.2", "0.2", "60000");
  b.run(2000);  // the first round out
  std::printf("  %-8s %12s %12s %14s %14s %16s\n", "seconds", "processor %", "memory KiB",
              "requests out", "sent in slice", "checks a second");
  for (int slice = 1; slice <= 6; ++slice) {
    const double cpu0 = processorSeconds();
    const long long sent0 = os.sent(), checked0 = os.checked();
    const Clock::time_point t0 = Clock::now();
    b.run(10000);
    const double wall = std::chrono::duration<double>(Clock::now() - t0).count();
    std::printf("  %-8d %12.2f %12.0f %14zu %14lld %16.0f\n", slice * 10,
                (processorSeconds() - cpu0) / wall * 100, memoryKiB(), os.out(),
                os.sent() - sent0, static_cast<double>(os.checked() - checked0) / wall);
  }
  std::printf("  most requests out at once: %zu (target: at most 1,024, one a host)\n",
              os.most());
  b.stop();
}

// 256 loopback hosts that answer, through the system's echo.
void loopbackHosts() {
  win32::Win32Platform os;
  MonitorBench b(os);
  std::printf("monitor: 256 loopback hosts at one probe a second\n");

  b.start();
  b.run(3000);  // the first round settled
  const double cpu0 = processorSeconds();
  const Clock::time_point t0 = Clock::now();
  b.run(20000);
  const double wall = std::chrono::duration<double>(Clock::now() - t0).count();
  const double share = (processorSeconds() - cpu0) / wall * 100;
  std::printf("  processor: %.2f %% of one core over %.0f s (target: at most 3 %%)\n", share, wall);

  double longest = 0, p99 = 0;
  b.answerTimes(10000, longest, p99);
  std::printf("  window's answer: longest %.1f ms, 99th percentile %.1f ms (target: 50 ms)\n",
              longest, p99);

  const monitor::Monitor& m = b.window().monitor();
  long long results = 0, received = 0, sum = 0;
  size_t bytes = 0, blocks = 0;
  for (size_t i = 0; i < m.rowCount(); ++i) {
    const monitor::RowHistory& s = m.row(i).series;
    results += s.sent();
    received += s.received();
    sum += s.sum();
    bytes += s.memoryBytes();
    blocks += (s.size() + 4095) / 4096;
  }
  std::printf("  results: %lld (%lld replies) in %zu rows\n", results, received, m.rowCount());
  const double listMean = m.row(0).series.received()
                              ? static_cast<double>(m.row(0).series.sum()) /
                                    static_cast<double>(m.row(0).series.received())
                              : -1;
  b.stop();
  const double systemMean = systemEchoMs("127.0.0.1", 100);
  std::printf("  round trip to 127.0.0.1: list %.2f ms, the system's own echo %.2f ms, "
              "difference %.2f ms (target: within 1 ms)\n",
              listMean, systemMean, listMean - systemMean);

  // Memory per result: the series keeps 4,096 results a block; a long one.
  reading::PingSeries day("127.0.0.1");
  for (int i = 0; i < 86'400; ++i) day.add(i * 1000LL, i % 7);
  std::printf("  memory: %.1f bytes per result kept (a day of results, 86,400), "
              "%zu bytes of blocks now in %zu rows (the fixed part: %zu bytes a row)\n",
              static_cast<double>(day.memoryBytes()) / 86'400, bytes, m.rowCount(),
              m.rowCount() ? bytes / std::max<size_t>(blocks, 1) : 0);

  double memory[10];
  DWORD handle[10];
  for (int cycle = 0; cycle < 10; ++cycle) {
    b.start();
    b.run(3000);
    b.stop();
    b.run(500);
    memory[cycle] = memoryKiB();
    handle[cycle] = handles();
  }
  std::printf("  ten starts and stops: after the first %lu handles, %.0f KiB; "
              "after the tenth %lu handles, %.0f KiB\n",
              static_cast<unsigned long>(handle[0]), memory[0],
              static_cast<unsigned long>(handle[9]), memory[9]);
  std::printf("  after each (handles KiB):");
  for (int i = 0; i < 10; ++i)
    std::printf(" %lu %.0f,", static_cast<unsigned long>(handle[i]), memory[i]);
  std::printf("\n");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2 || std::wstring(argv[1]) != L"dead") loopbackHosts();
  deadHosts();
  return 0;
}
