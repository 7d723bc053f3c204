// The monitor's port rows measured in the real window, loopback only: 256
// rows "127.0.0.1:<port>" at one probe a second to 256 listeners that the
// benchmark opens, the program's share of a core and the window's answer
// meanwhile, the connect times that the list shows against plain blocking
// connects of the same run, and over the minutes given (5 by default) the
// connections left in TIME_WAIT, the handles and the memory, a line a
// minute.
//   velquin_tcp_bench [minutes]
#define FD_SETSIZE 1024
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
#include <iphlpapi.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <set>
#include <string>
#include <thread>
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

constexpr int kRows = 256;

using bench::processorSeconds;

using bench::handles;

// Listeners on free loopback ports; a thread of their own accepts each
// connection and closes it.
class Listeners {
 public:
  explicit Listeners(int count) {
    for (int i = 0; i < count; ++i) {
      SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
      sockaddr_in a{};
      a.sin_family = AF_INET;
      a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
      bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
      int size = sizeof a;
      getsockname(s, reinterpret_cast<sockaddr*>(&a), &size);
      listen(s, SOMAXCONN);
      sockets_.push_back(s);
      ports_.push_back(ntohs(a.sin_port));
    }
    thread_ = std::thread([this] {
      DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &handle_, 0,
                      FALSE, DUPLICATE_SAME_ACCESS);
      started_ = true;
      while (!done_) {
        fd_set ready;
        FD_ZERO(&ready);
        for (SOCKET s : sockets_) FD_SET(s, &ready);
        timeval wait{0, 100'000};
        if (select(0, &ready, nullptr, nullptr, &wait) <= 0) continue;
        for (SOCKET s : sockets_)
          if (FD_ISSET(s, &ready)) {
            SOCKET c = accept(s, nullptr, nullptr);
            if (c != INVALID_SOCKET) closesocket(c);
          }
      }
    });
  }
  ~Listeners() {
    done_ = true;
    thread_.join();
    CloseHandle(handle_);
    for (SOCKET s : sockets_) closesocket(s);
  }
  const std::vector<int>& ports() const { return ports_; }
  // The processor time of the listeners' thread, which is the benchmark's
  // and not the program's, in seconds.
  double seconds() const {
    while (!started_) Sleep(1);
    FILETIME created, exited, kernel, user;
    GetThreadTimes(handle_, &created, &exited, &kernel, &user);
    auto s = [](const FILETIME& t) {
      return ((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
    };
    return s(kernel) + s(user);
  }

 private:
  std::vector<SOCKET> sockets_;
  std::vector<int> ports_;
  std::atomic<bool> done_{false}, started_{false};
  HANDLE handle_ = nullptr;
  std::thread thread_;
};

// The connections in TIME_WAIT whose one end is one of the ports.
int timeWaits(const std::vector<int>& ports) {
  const std::set<int> of(ports.begin(), ports.end());
  ULONG size = 0;
  GetExtendedTcpTable(nullptr, &size, FALSE, AF_INET, TCP_TABLE_OWNER_PID_ALL, 0);
  std::vector<unsigned char> buffer(size + 65536);
  size = static_cast<ULONG>(buffer.size());
  if (GetExtendedTcpTable(buffer.data(), &size, FALSE, AF_INET, TCP_TABLE_OWNER_PID_ALL, 0) !=
      NO_ERROR)
    return -1;
  const auto* table = reinterpret_cast<const MIB_TCPTABLE_OWNER_PID*>(buffer.data());
  int count = 0;
  for (DWORD i = 0; i < table->dwNumEntries; ++i) {
    const MIB_TCPROW_OWNER_PID& r = table->table[i];
    count += r.dwState == MIB_TCP_STATE_TIME_WAIT &&
             (of.count(ntohs(static_cast<u_short>(r.dwRemotePort))) ||
              of.count(ntohs(static_cast<u_short>(r.dwLocalPort))));
  }
  return count;
}

// The mean time of plain blocking connects to the ports, in milliseconds,
// each closed with a reset as the program closes its own.
double blockingConnectMs(const std::vector<int>& ports, int count) {
  LARGE_INTEGER f;
  QueryPerformanceFrequency(&f);
  double sum = 0;
  int got = 0;
  for (int i = 0; i < count; ++i) {
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(static_cast<u_short>(ports[static_cast<size_t>(i) % ports.size()]));
    LARGE_INTEGER t0, t1;
    QueryPerformanceCounter(&t0);
    const int r = connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
    QueryPerformanceCounter(&t1);
    if (r == 0) {
      sum += static_cast<double>(t1.QuadPart - t0.QuadPart) * 1000.0 / static_cast<double>(f.QuadPart);
      ++got;
    }
    linger l{1, 0};
    setsockopt(s, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&l), sizeof l);
    closesocket(s);
    Sleep(5);
  }
  return got ? sum / got : -1;
}

class PortBench : public bench::MonitorSession {
 public:
  explicit PortBench(win32::Win32Platform& os) : MonitorSession(os, "velquin-tcp-bench") {}
  void click(const std::string& hosts) {
    fromUser([&](form::Form& f) {
      if (!hosts.empty()) f["Memo_Hosts"].setText(hosts);
      f.userClick(f["btnMonitor"]);
    });
  }
  double longestAnswerMs(int ms) {
    double longest = 0, p99 = 0;
    answerTimes(ms, longest, p99);
    return longest;
  }
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int minutes = argc > 1 ? std::max(1, _wtoi(argv[1])) : 5;
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);
  Listeners listeners(kRows);
  std::string hosts;
  for (int port : listeners.ports()) hosts += "127.0.0.1:" + std::to_string(port) + "\r\n";

  win32::Win32Platform os;
  PortBench b(os);
  std::printf("monitor: %d port rows (127.0.0.1:<port>) at one probe a second\n", kRows);
  const DWORD handles0 = handles();
  const double memory0 = bench::privateMiB();
  b.click(hosts);
  b.run(3000);  // the first round settled
  const double cpu0 = processorSeconds(), listeners0 = listeners.seconds();
  const Clock::time_point t0 = Clock::now();
  b.run(20000);
  const double wall = std::chrono::duration<double>(Clock::now() - t0).count();
  const double listening = listeners.seconds() - listeners0;
  std::printf("  processor: %.2f %% of one core over %.0f s, the listeners' thread left out "
              "(%.2f %% with it) (target: at most 3 %%)\n",
              (processorSeconds() - cpu0 - listening) / wall * 100, wall,
              (processorSeconds() - cpu0) / wall * 100);
  std::printf("  window's answer: longest %.1f ms over 10 s\n", b.longestAnswerMs(10000));

  // The list's mean connect time against blocking connects of the same run.
  const monitor::Monitor& m = b.window().monitor();
  long long count = 0, sum = 0, lost = 0;
  for (size_t i = 0; i < m.rowCount(); ++i) {
    count += m.row(i).connect.count;
    sum += m.row(i).connect.sum;
    lost += m.row(i).series.sent() - m.row(i).series.received();
  }
  const double listMs = count ? static_cast<double>(sum) / static_cast<double>(count) / 1000 : -1;
  const double plainMs = blockingConnectMs(listeners.ports(), 512);
  std::printf("  connect time: list %.3f ms (%lld accepted, %lld lost), blocking connects "
              "%.3f ms, difference %.3f ms (target: within 0.5 ms)\n",
              listMs, count, lost, plainMs, listMs - plainMs);

  std::printf("  %-8s %16s %10s %12s %10s\n", "minutes", "in TIME_WAIT", "handles",
              "memory MiB", "results");
  std::printf("  %-8s %16s %10lu %12.1f %10s\n", "before", "-",
              static_cast<unsigned long>(handles0), memory0, "-");
  for (int minute = 1; minute <= minutes; ++minute) {
    b.run(minute == 1 ? 60000 - 33000 : 60000);
    long long results = 0;
    for (size_t i = 0; i < m.rowCount(); ++i) results += m.row(i).series.sent();
    std::printf("  %-8d %16d %10lu %12.1f %10lld\n", minute, timeWaits(listeners.ports()),
                static_cast<unsigned long>(handles()), bench::privateMiB(), results);
    std::fflush(stdout);
  }
  std::printf("  (targets: fewer than 50 in TIME_WAIT, the handle count flat)\n");
  b.click("");
  b.run(500);
  std::printf("  stopped: %lu handles, %d in TIME_WAIT\n", static_cast<unsigned long>(handles()),
              timeWaits(listeners.ports()));
  WSACleanup();
  return 0;
}
