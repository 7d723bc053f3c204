// The connections window as a real window: opened with Ctrl+N from the
// keyboard, the system's own tables read at the interval chosen, a loopback
// listener and a connection to it made here (to no other address) seen
// coming, coloured, logged and going, the filter by their port, and the
// controls found by Name and reached with Tab and their keys.
#include <winsock2.h>
#include <ws2tcpip.h>

#include "wine_app.h"

#include <commctrl.h>

#include <algorithm>

#include "connections/connections_window.h"
#include "win32/text.h"

namespace velquin::test {
namespace {

class ConnectionsWin : public WineApp {
 protected:
  ConnectionsWin() {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    // Each reading of the window leaves the count of its events where the
    // test sees it pass.
    model().form().onTimer = [this, timer = model().form().onTimer] {
      timer();
      ++reads_;
    };
  }
  ~ConnectionsWin() override {
    for (SOCKET s : sockets_) closesocket(s);
    WSACleanup();
  }
  HWND openByKeys() {
    EXPECT_TRUE(putFocus(byName("Edit1")));
    keyPress('N', VK_CONTROL);
    pump(100);
    return session->connectionsWindow().hwnd();
  }
  HWND in(HWND top, const std::string& name) {
    HWND h = findByName(top, name);
    EXPECT_NE(h, nullptr) << "no window named " << name;
    return h;
  }
  void waitMs(int ms) {
    const DWORD end = GetTickCount() + static_cast<DWORD>(ms);
    while (static_cast<int>(end - GetTickCount()) > 0) pump(20);
  }
  // Until the window has read the tables n times more.
  void readings(int n) {
    const size_t from = reads_;
    const DWORD end = GetTickCount() + 20000;
    while (reads_ < from + n && static_cast<int>(end - GetTickCount()) > 0) pump(20);
    EXPECT_GE(reads_, from + n);
  }
  std::string cell(HWND list, int row, int column) {
    wchar_t buf[256] = L"";
    ListView_GetItemText(list, row, column, buf, 256);
    return win32::narrow(buf);
  }
  // A listener on a free port of 127.0.0.1, a client connected to it and
  // the server's end of that connection; the listener's port.
  int connectPair() {
    SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(listener, reinterpret_cast<sockaddr*>(&a), sizeof a);
    listen(listener, 1);
    int size = sizeof a;
    getsockname(listener, reinterpret_cast<sockaddr*>(&a), &size);
    SOCKET client = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    EXPECT_EQ(connect(client, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    SOCKET server = accept(listener, nullptr, nullptr);
    EXPECT_NE(server, INVALID_SOCKET);
    sockets_ = {client, server, listener};
    return ntohs(a.sin_port);
  }
  // Every socket closed at once with a reset, which leaves no TIME_WAIT
  // behind.
  void closeAll() {
    for (SOCKET s : sockets_) {
      linger l{1, 0};
      setsockopt(s, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&l), sizeof l);
      closesocket(s);
    }
    sockets_.clear();
  }
  // The rows of the list whose local or remote port is the port given:
  // "local-port remote-port state".
  std::vector<std::string> rowsOf(HWND list, int port) {
    std::vector<std::string> out;
    const std::string p = std::to_string(port);
    for (int r = 0; r < ListView_GetItemCount(list); ++r)
      if (cell(list, r, 4) == p || cell(list, r, 6) == p)
        out.push_back(cell(list, r, 4) + " " + cell(list, r, 6) + " " + cell(list, r, 7));
    return out;
  }
  connections::TfrmConnections& model() { return program->connections(); }

  std::vector<SOCKET> sockets_;
  size_t reads_ = 0;
};

TEST_F(ConnectionsWin, ALoopbackConnectionComesIsLoggedAndGoesAndTheFilterFindsItsPort) {
  HWND w = openByKeys();
  ASSERT_TRUE(w && IsWindowVisible(w));
  EXPECT_EQ(nameOf(w), "frmConnections");
  openByKeys();
  EXPECT_EQ(session->connectionsWindow().hwnd(), w);
  EXPECT_EQ(GetForegroundWindow(), w);
  HWND list = in(w, "LV_Connections");
  HWND refresh = in(w, "CB_ConnRefresh");
  SendMessageW(refresh, CB_SETCURSEL, 0, 0);  // 0.5 秒, as the list would choose it
  SendMessageW(w, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(refresh), CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(refresh));
  pump();
  ASSERT_EQ(model().form()["CB_ConnRefresh"].itemIndex(), 0);

  const int port = connectPair();
  readings(2);
  std::vector<std::string> rows = rowsOf(list, port);
  ASSERT_EQ(rows.size(), 3u) << windowText(w);
  const std::string p = std::to_string(port);
  EXPECT_NE(std::find(rows.begin(), rows.end(), p + " 0 LISTENING"), rows.end());
  int row = -1;
  for (int r = 0; r < ListView_GetItemCount(list); ++r)
    if (cell(list, r, 4) == p && cell(list, r, 7) == "ESTABLISHED") row = r;
  ASSERT_GE(row, 0);
  EXPECT_EQ(cell(list, row, 2), "TCP");
  EXPECT_EQ(cell(list, row, 3), "127.0.0.1");
  EXPECT_EQ(cell(list, row, 5), "127.0.0.1");
  // The system names no process that owns it: the row reads as for a
  // program it cannot name.
  EXPECT_EQ(cell(list, row, 0), "PID " + cell(list, row, 1));

  // Filtered by the port: those rows only, and the title says how many.
  SetFocus(in(w, "Edit_ConnFilter"));
  typeKeys(p);
  pump();
  EXPECT_EQ(ListView_GetItemCount(list), 3);
  EXPECT_EQ(rowsOf(list, port).size(), 3u);
  EXPECT_EQ(windowText(w).rfind("接続 (3 / ", 0), 0u) << windowText(w);

  closeAll();
  readings(1);
  ASSERT_EQ(ListView_GetItemCount(list), 3);
  for (int r = 0; r < ListView_GetItemCount(list); ++r)
    EXPECT_EQ(model().rowBackground(static_cast<size_t>(r)), connections::kClosedColor) << r;
  readings(3);
  EXPECT_EQ(ListView_GetItemCount(list), 0);
  // The pane holds the start and the end of each.
  HWND events = in(w, "LV_ConnEvents");
  int starts = 0, ends = 0;
  for (int r = 0; r < ListView_GetItemCount(events); ++r) {
    const std::string local = cell(events, r, 4), remote = cell(events, r, 5);
    if (local != "127.0.0.1:" + p && remote != "127.0.0.1:" + p) continue;
    starts += cell(events, r, 1) == "開始";
    ends += cell(events, r, 1) == "終了";
  }
  EXPECT_EQ(starts, 3);
  EXPECT_EQ(ends, 3);
}

TEST_F(ConnectionsWin, EveryControlHasItsNameAndTheKeysReachThem) {
  HWND w = openByKeys();
  for (const auto& c : model().form().controls())
    EXPECT_NE(findByName(w, c->name()), nullptr) << c->name();
  keyPress('F', VK_MENU);
  EXPECT_EQ(nameOf(focusNow()), "Edit_ConnFilter");
  for (const char* next : {"CB_ConnListen", "CB_ConnUdp", "CB_ConnLoopback", "CB_ConnEvents",
                           "LV_Connections", "btnConnEventsSave", "LV_ConnEvents"}) {
    keyPress(VK_TAB);
    EXPECT_EQ(nameOf(focusNow()), next);
  }
  keyPress('I', VK_MENU);
  EXPECT_EQ(nameOf(focusNow()), "CB_ConnRefresh");
  // Alt+E hides the events and shows them again.
  keyPress('E', VK_MENU);
  pump();
  EXPECT_FALSE(IsWindowVisible(in(w, "LV_ConnEvents")));
  keyPress('E', VK_MENU);
  pump();
  EXPECT_TRUE(IsWindowVisible(in(w, "LV_ConnEvents")));
  // Alt+U leaves the UDP rows out.
  keyPress('U', VK_MENU);
  pump();
  EXPECT_FALSE(model().form()["CB_ConnUdp"].checked());
  HWND list = in(w, "LV_Connections");
  for (int r = 0; r < ListView_GetItemCount(list); ++r)
    EXPECT_EQ(cell(list, r, 2).substr(0, 3), "TCP");
  // Its close box hides it and stops the readings.
  SendMessageW(w, WM_SYSCOMMAND, SC_CLOSE, 0);
  pump();
  EXPECT_FALSE(IsWindowVisible(w));
  EXPECT_EQ(model().form().timerMs(), -1);
}

}  // namespace
}  // namespace velquin::test
