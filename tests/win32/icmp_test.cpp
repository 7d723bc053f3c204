// Echo requests through the system's ICMP functions, to loopback addresses
// only: answers collected without waiting, TTL as asked, stop ending every
// request at once, and the monitor of a range and of a route run on them.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "monitor/hosts.h"
#include "monitor/monitor.h"
#include "monitor/table.h"
#include "win32/platform_win32.h"

namespace velquin::test {
namespace {

using Answer = platform::Platform::EchoAnswer;
using Status = platform::Platform::EchoStatus;

// Collects answers until count came or two seconds passed.
std::vector<Answer> answers(win32::Win32Platform& os, size_t count) {
  std::vector<Answer> got;
  for (int i = 0; i < 200 && got.size() < count; ++i) {
    for (Answer& a : os.takeEchoAnswers()) got.push_back(a);
    Sleep(10);
  }
  return got;
}

TEST(Icmp, LoopbackAnswersEveryRequestWithoutBlocking) {
  win32::Win32Platform os;
  EXPECT_EQ(os.resolveHost("127.0.0.1"), "127.0.0.1");
  EXPECT_EQ(os.resolveHost("127.0.0.3"), "127.0.0.3");
  std::vector<uint64_t> ids;
  for (int ttl : {1, 64, 128}) ids.push_back(os.sendEcho("127.0.0.1", ttl, 1000));
  for (uint64_t id : ids) EXPECT_NE(id, 0u);
  EXPECT_NE(ids[0], ids[1]);
  const std::vector<Answer> got = answers(os, 3);
  ASSERT_EQ(got.size(), 3u);
  for (const Answer& a : got) {
    EXPECT_EQ(a.status, Status::Reply);
    EXPECT_EQ(a.from, "127.0.0.1");
    EXPECT_GE(a.ms, 0);
    EXPECT_LT(a.ms, 1000);
    EXPECT_NE(std::find(ids.begin(), ids.end(), a.id), ids.end());
  }
  // Nothing more comes: each request answers once.
  Sleep(50);
  EXPECT_TRUE(os.takeEchoAnswers().empty());
  // No address: refused at once.
  EXPECT_EQ(os.sendEcho("", 64, 1000), 0u);
  EXPECT_EQ(os.sendEcho("not-an-address", 64, 1000), 0u);
}

TEST(Icmp, StopEndsTheRequestsStillOut) {
  win32::Win32Platform os;
  for (int i = 0; i < 8; ++i) ASSERT_NE(os.sendEcho("127.0.0.1", 64, 1000), 0u);
  os.cancelEchoes();
  EXPECT_TRUE(answers(os, 1).empty());
  // And later requests go out as before.
  ASSERT_NE(os.sendEcho("127.0.0.1", 64, 1000), 0u);
  EXPECT_EQ(answers(os, 1).size(), 1u);
}

TEST(Icmp, AMonitorOfARangeAndOfARouteOnLoopback) {
  win32::Win32Platform os;
  monitor::Monitor m(os);
  const monitor::HostList hosts = monitor::readHosts("127.0.0.1-4");
  ASSERT_EQ(hosts.hosts.size(), 4u);
  m.start(hosts.hosts, {monitor::Mode::Hosts, 200, 1000});
  for (const DWORD end = GetTickCount() + 1500; GetTickCount() < end;) {
    m.tick();
    Sleep(5);
  }
  m.stop();
  ASSERT_EQ(m.rowCount(), 4u);
  const std::vector<monitor::State> states = monitor::rowStates(m);
  for (size_t i = 0; i < 4; ++i) {
    const monitor::RowHistory& s = m.row(i).series;
    EXPECT_GE(s.sent(), 4) << i;
    EXPECT_EQ(s.received(), s.sent()) << i;
    EXPECT_EQ(monitor::rowCells(m.row(i), states[i], 0)[2], "0.0") << i;
    EXPECT_EQ(states[i], monitor::State::Normal) << i;
  }
  // The route to a loopback address is one hop: the host itself.
  m.start({"127.0.0.1"}, {monitor::Mode::Route, 200, 1000});
  for (const DWORD end = GetTickCount() + 600; GetTickCount() < end;) {
    m.tick();
    Sleep(5);
  }
  m.stop();
  EXPECT_EQ(m.hostHop(), 1);
  ASSERT_EQ(m.rowCount(), 1u);
  EXPECT_EQ(m.row(0).host, "127.0.0.1");
}

}  // namespace
}  // namespace velquin::test
