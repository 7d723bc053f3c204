// TCP connections to loopback ports only, made by the test: a listener on a
// free port accepts (with its time), a port with no listener refuses, none
// of them waits on the caller's thread, and no local port is left in
// TIME_WAIT; and the monitor window watching both beside an echo row.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <iphlpapi.h>

#include <commctrl.h>

#include <sstream>

#include "monitor/monitor_window.h"
#include "wine_app.h"

namespace velquin::test {
namespace {

using Connect = platform::Platform::ConnectAnswer;
using ConnectStatus = platform::Platform::ConnectStatus;

// A socket bound to a free loopback port; listening, or closed again at
// once, which leaves a port with no listener.
class LoopbackPort {
 public:
  explicit LoopbackPort(bool listening) {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    s_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    EXPECT_EQ(bind(s_, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    int size = sizeof a;
    getsockname(s_, reinterpret_cast<sockaddr*>(&a), &size);
    port_ = ntohs(a.sin_port);
    if (listening) {
      EXPECT_EQ(listen(s_, SOMAXCONN), 0);
    } else {
      closesocket(s_);
      s_ = INVALID_SOCKET;
    }
  }
  ~LoopbackPort() {
    if (s_ != INVALID_SOCKET) closesocket(s_);
    WSACleanup();
  }
  int port() const { return port_; }
  // The listener's side ends every connection that came: had the program
  // closed its side without a reset, its port would wait in TIME_WAIT now.
  void acceptAndClose() {
    u_long nonBlocking = 1;
    ioctlsocket(s_, FIONBIO, &nonBlocking);
    for (SOCKET c; (c = accept(s_, nullptr, nullptr)) != INVALID_SOCKET;) closesocket(c);
    Sleep(200);
  }

 private:
  SOCKET s_ = INVALID_SOCKET;
  int port_ = 0;
};

// The connections in TIME_WAIT to or from these loopback ports, as the
// system's table lists them.
int timeWaits(std::initializer_list<int> ports) {
  ULONG size = 0;
  GetExtendedTcpTable(nullptr, &size, FALSE, AF_INET, TCP_TABLE_OWNER_PID_ALL, 0);
  std::vector<unsigned char> buffer(size + 4096);
  size = static_cast<ULONG>(buffer.size());
  EXPECT_EQ(GetExtendedTcpTable(buffer.data(), &size, FALSE, AF_INET, TCP_TABLE_OWNER_PID_ALL, 0),
            static_cast<DWORD>(NO_ERROR));
  const auto* table = reinterpret_cast<const MIB_TCPTABLE_OWNER_PID*>(buffer.data());
  int count = 0;
  for (DWORD i = 0; i < table->dwNumEntries; ++i) {
    const MIB_TCPROW_OWNER_PID& row = table->table[i];
    if (row.dwState != MIB_TCP_STATE_TIME_WAIT) continue;
    for (int p : ports)
      count += ntohs(static_cast<u_short>(row.dwRemotePort)) == p ||
               ntohs(static_cast<u_short>(row.dwLocalPort)) == p;
  }
  return count;
}

TEST(TcpConnect, ALoopbackListenerAcceptsAClosedPortRefusesAndNothingWaitsAfter) {
  LoopbackPort listener(true), closed(false);
  win32::Win32Platform os;
  EXPECT_EQ(os.sendConnect("127.0.0.1", 0, 1000), 0u);
  EXPECT_EQ(os.sendConnect("no.such.name", 80, 1000), 0u);  // never a lookup
  // Round after round the connections' waits are used again, each time by
  // the other kind of answer; a stop between rounds ends what is out.
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    std::vector<uint64_t> ids(10);  // the listener's at even places
    for (size_t i = 0; i < ids.size(); ++i) {
      const DWORD before = GetTickCount();
      const size_t at = i ^ static_cast<size_t>(round % 2);  // the order swapped every round
      ids[at] = os.sendConnect("127.0.0.1", at % 2 ? closed.port() : listener.port(), 1000);
      EXPECT_LT(GetTickCount() - before, 200u) << "a connection waited on the caller's thread";
    }
    std::vector<Connect> got;
    for (int i = 0; i < 300 && got.size() < ids.size(); ++i) {
      for (const Connect& a : os.takeConnectAnswers()) got.push_back(a);
      Sleep(10);
    }
    ASSERT_EQ(got.size(), ids.size());
    for (const Connect& a : got) {
      const size_t at = std::find(ids.begin(), ids.end(), a.id) - ids.begin();
      ASSERT_LT(at, ids.size());
      if (at % 2 == 0) {
        EXPECT_EQ(a.status, ConnectStatus::Accepted);
        EXPECT_GT(a.us, 0);
        EXPECT_LT(a.us, 1'000'000);
      } else {
        EXPECT_EQ(a.status, ConnectStatus::Refused);
      }
    }
    os.sendConnect("127.0.0.1", listener.port(), 1000);
    os.cancelConnects();
    Sleep(50);
    EXPECT_TRUE(os.takeConnectAnswers().empty());
  }
  listener.acceptAndClose();
  EXPECT_EQ(timeWaits({listener.port(), closed.port()}), 0);
}

class MonitorTcpWin : public WineApp {
 protected:
  HWND in(HWND top, const std::string& name) {
    HWND h = findByName(top, name);
    EXPECT_NE(h, nullptr) << "no window named " << name;
    return h;
  }
};

TEST_F(MonitorTcpWin, AListeningPortAClosedPortAndAnEchoRowReadNormalRefusedNormal) {
  LoopbackPort listener(true), closed(false);
  EXPECT_TRUE(putFocus(byName("Edit1")));
  keyPress('M', VK_CONTROL);
  pump(100);
  HWND w = session->monitorWindow().hwnd();
  ASSERT_TRUE(w && IsWindowVisible(w));
  SetFocus(in(w, "Memo_Hosts"));
  const std::string open = "127.0.0.1:" + std::to_string(listener.port());
  const std::string shut = "127.0.0.1:" + std::to_string(closed.port());
  for (const std::string& line : {open, shut, std::string("127.0.0.1")}) {
    if (line != open) keyPress(VK_RETURN);
    typeKeys(line);
  }
  SendMessageW(in(w, "btnMonitor"), BM_CLICK, 0, 0);
  for (const DWORD end = GetTickCount() + 3000; static_cast<int>(end - GetTickCount()) > 0;)
    pump(20);
  SendMessageW(in(w, "btnMonitor"), BM_CLICK, 0, 0);
  pump();
  EXPECT_EQ(program->monitor().monitor().outstanding(), 0u);

  HWND list = in(w, "LV_Monitor");
  SetFocus(list);
  pump();
  keyPress('A', VK_CONTROL);
  keyPress('C', VK_CONTROL);
  std::istringstream lines(clipboardText(w));
  std::vector<std::vector<std::string>> rows;
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::istringstream cells(line);
    rows.emplace_back();
    for (std::string c; std::getline(cells, c, '\t');) rows.back().push_back(c);
  }
  ASSERT_EQ(rows.size(), 4u) << clipboardText(w);
  const struct {
    std::string host;
    const char* state;
  } expected[] = {{open, "正常"}, {shut, "拒否"}, {"127.0.0.1", "正常"}};
  for (size_t i = 0; i < 3; ++i) {
    const std::vector<std::string>& r = rows[i + 1];
    ASSERT_EQ(r.size(), 12u);
    EXPECT_EQ(r[1], expected[i].host);
    EXPECT_EQ(r[10], expected[i].state) << r[1];
    EXPECT_GE(std::stoi(r[3]), 3) << r[1];
  }
  // The accepted port's time, a loopback one, to a tenth of a millisecond.
  EXPECT_EQ(rows[1][5].find('.'), rows[1][5].size() - 2) << rows[1][5];
  EXPECT_EQ(rows[2][4], "0");
  listener.acceptAndClose();
  EXPECT_EQ(timeWaits({listener.port(), closed.port()}), 0);
}

}  // namespace
}  // namespace velquin::test
