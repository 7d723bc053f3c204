// The connections window with many endpoints: the time of the window's
// thread for one reading (the table read, the rows followed by key, what
// is on screen drawn) at 5,000 and at 1,000 endpoints with a few of them
// coming, changing and going each time, and the memory a row and an event
// take. The tables come from a platform that makes them up, as large as
// asked (a machine under test has few connections of its own); the
// system's own tables are read too, for what a real reading costs.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "bench_window.h"
#include "connections/connections_window.h"
#include "win32/platform_win32.h"
#include "win32/session.h"

using namespace velquin;

namespace {

class ManyEndpoints : public win32::Win32Platform {
 public:
  size_t count = 0;
  unsigned reading = 0;
  bool readEndpoints(std::vector<Endpoint>& out, std::string&) override {
    ++reading;
    for (size_t i = 0; i < count; ++i) {
      Endpoint e;
      const size_t k = i % 100 == reading % 100 ? i + count * reading : i;  // 1% new each time
      e.transport = i % 10 == 0 ? Transport::Udp : Transport::Tcp;
      e.local = {10, 0, static_cast<uint8_t>(k >> 16), static_cast<uint8_t>(k >> 8)};
      e.localPort = static_cast<uint16_t>(1024 + k % 60000);
      if (e.transport == Transport::Tcp) {
        e.remote = {192, 168, static_cast<uint8_t>(k >> 8), static_cast<uint8_t>(k)};
        e.remotePort = 443;
        e.state = (i + reading) % 200 == 0 ? 8 : 5;  // some change each time
      }
      e.pid = static_cast<uint32_t>(1000 + i % 120);
      out.push_back(e);
    }
    return true;
  }
  uint64_t processStarted(uint32_t pid) override { return pid; }
  std::string processImage(uint32_t pid) override {
    return "C:\\Program Files\\App\\program" + std::to_string(pid) + ".exe";
  }
  HostLookup addressLookup() override {
    return [](const std::string&) { return std::string(); };
  }
};

struct Figures {
  double meanMs = 0;
  double maxMs = 0;
  double modelMs = 0;  // of the mean: reading and following, without drawing
};

Figures measure(win32::Session& s, ManyEndpoints& os, size_t count, int readings) {
  connections::TfrmConnections& w = s.program().connections();
  os.count = count;
  s.connectionsWindow().fromUser([&] { w.refresh(); });
  Figures f;
  std::vector<double> times;
  for (int i = 0; i < readings; ++i) {
    const auto start = bench::Clock::now();
    s.connectionsWindow().fromUser([&] { w.refresh(); });
    f.modelMs += std::chrono::duration<double, std::milli>(bench::Clock::now() - start).count() /
                 readings;
    RedrawWindow(s.connectionsWindow().hwnd(), nullptr, nullptr,
                 RDW_UPDATENOW | RDW_ALLCHILDREN);
    times.push_back(std::chrono::duration<double, std::milli>(bench::Clock::now() - start).count());
    os.pumpMessages(0);
  }
  for (double t : times) f.meanMs += t / times.size();
  f.maxMs = *std::max_element(times.begin(), times.end());
  return f;
}

}  // namespace

int wmain() {
  const auto folder = bench::scratchFolder("velquin-connections-bench");
  {
    ManyEndpoints os;
    win32::Session s(os);
    s.show(SW_SHOWNORMAL);
    connections::TfrmConnections& w = s.program().connections();
    w.form()["CB_ConnRefresh"].setItemIndex(4);  // paused: the bench reads
    s.mainWindow().fromUser([&] { s.main().form().execute("Act_Connections"); });
    os.pumpMessages(0);
    const double before = bench::privateMiB();
    const Figures big = measure(s, os, 5000, 30);
    const char* counter = nullptr;
    const double after = bench::privateMiB(&counter);
    std::printf("5000 endpoints: %.2f ms a reading on the window's thread (longest %.2f ms), "
                "%.2f ms of it before drawing\n",
                big.meanMs, big.maxMs, big.modelMs);
    std::printf("  table: %zu bytes a row; process %s grew %.0f bytes an endpoint\n",
                w.table().bytes() / std::max<size_t>(1, w.table().liveCount()), counter,
                (after - before) * 1024 * 1024 / 5000);
    std::printf("  event log: %zu events, %zu bytes an event\n", w.table().events().size(),
                w.table().events().bytes() / std::max<size_t>(1, w.table().events().size()));
    const Figures small = measure(s, os, 1000, 30);
    std::printf("1000 endpoints: %.2f ms a reading (longest %.2f ms), %.2f ms before drawing: "
                "%.2f%% of one core at one reading a second\n",
                small.meanMs, small.maxMs, small.modelMs, small.meanMs / 10.0);
    // The system's own tables, as they are on this machine.
    win32::Win32Platform real;
    std::vector<platform::Platform::Endpoint> endpoints;
    std::string error;
    const auto start = bench::Clock::now();
    for (int i = 0; i < 100; ++i) {
      endpoints.clear();
      real.readEndpoints(endpoints, error);
    }
    std::printf("the system's tables: %zu endpoints read in %.3f ms\n", endpoints.size(),
                std::chrono::duration<double, std::milli>(bench::Clock::now() - start).count() /
                    100);
    s.mainWindow().fromUser([&] { s.main().FormClose(); });
  }
  bench::leaveScratchFolder(folder);
  return 0;
}
