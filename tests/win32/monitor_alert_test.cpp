// A monitor left running, as a real window: ::1 (which gets no answer
// here) goes down beside 127.0.0.1 with a threshold of two, shows in the
// list of outages and in the log's file while it runs, the icon goes into
// the notification area (and back after the shell restarts), and the close
// box leaves the monitor running when the user asked for it.
#include "wine_app.h"

#include <commctrl.h>
#include <cstdio>
#include <shellapi.h>

#include "monitor/monitor_window.h"
#include "win32/text.h"

namespace velquin::test {
namespace {

// The shell's notification area where the system has none (Wine without a
// display): a window of the shell's class that takes the program's
// requests as the shell does, by WM_COPYDATA, and counts each kind.
class StandInTray {
 public:
  StandInTray() {
    if (FindWindowW(L"Shell_TrayWnd", nullptr)) return;  // the system's own
    WNDCLASSW wc{};
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"Shell_TrayWnd";
    RegisterClassW(&wc);
    window_ = CreateWindowExW(0, L"Shell_TrayWnd", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  ~StandInTray() {
    if (window_) DestroyWindow(window_);
    UnregisterClassW(L"Shell_TrayWnd", GetModuleHandleW(nullptr));
  }
  bool standsIn() const { return window_ != nullptr; }
  int calls[3] = {};  // NIM_ADD, NIM_MODIFY, NIM_DELETE

 private:
  static LRESULT CALLBACK proc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<StandInTray*>(GetWindowLongPtrW(w, GWLP_USERDATA));
    if (msg == WM_COPYDATA && self) {
      const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lp);
      if (data->dwData < 3) ++self->calls[data->dwData];
      return TRUE;
    }
    return DefWindowProcW(w, msg, wp, lp);
  }
  HWND window_ = nullptr;
};

class MonitorAlertWin : public WineApp {
 protected:
  HWND in(HWND top, const std::string& name) {
    HWND h = findByName(top, name);
    EXPECT_NE(h, nullptr) << "no window named " << name;
    return h;
  }
  void waitMs(int ms) {
    const DWORD end = GetTickCount() + static_cast<DWORD>(ms);
    while (static_cast<int>(end - GetTickCount()) > 0) pump(20);
  }
  std::string cell(HWND list, int row, int column) {
    wchar_t buf[256] = L"";
    ListView_GetItemText(list, row, column, buf, 256);
    return win32::narrow(buf);
  }
  monitor::TfrmMonitor& model() { return program->monitor(); }
};

TEST_F(MonitorAlertWin, AHostThatDoesNotAnswerIsListedAndTheCloseBoxKeepsItRunning) {
  StandInTray tray;
  ASSERT_TRUE(putFocus(byName("Edit1")));
  keyPress('M', VK_CONTROL);
  pump(100);
  HWND w = session->monitorWindow().hwnd();
  ASSERT_TRUE(w && IsWindowVisible(w));
  SetFocus(in(w, "Memo_Hosts"));
  typeKeys("::1\r\n127.0.0.1");
  // Alt+D: the threshold of losses; the list of outages and keeping on by
  // their keys.
  keyPress('D', VK_MENU);
  EXPECT_EQ(focusNow(), in(w, "Edit_MonitorDown"));
  SendMessageW(focusNow(), EM_SETSEL, 0, -1);
  typeKeys("2");
  keyPress('L', VK_MENU);
  keyPress('K', VK_MENU);
  keyPress('G', VK_MENU);
  EXPECT_EQ(SendMessageW(in(w, "CB_MonitorLog"), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(SendMessageW(in(w, "CB_MonitorOutages"), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(SendMessageW(in(w, "CB_MonitorKeep"), BM_GETCHECK, 0, 0), BST_CHECKED);
  HWND outages = in(w, "LV_Outages");
  EXPECT_TRUE(IsWindowVisible(outages));
  SendMessageW(in(w, "btnMonitor"), BM_CLICK, 0, 0);
  // The notification area took the icon.
  EXPECT_TRUE(model().trayShown());
  waitMs(4500);
  HWND list = in(w, "LV_Monitor");
  ASSERT_EQ(ListView_GetItemCount(list), 2);
  EXPECT_EQ(cell(list, 0, 1), "::1");
  EXPECT_EQ(cell(list, 0, monitor::kStateColumn), "応答なし");
  EXPECT_EQ(cell(list, 0, monitor::kOutagesColumn), "1");
  EXPECT_EQ(cell(list, 1, monitor::kStateColumn), "正常");
  ASSERT_EQ(ListView_GetItemCount(outages), 1);
  EXPECT_EQ(cell(outages, 0, 0), "::1");
  EXPECT_EQ(cell(outages, 0, 2), "");  // it lasts
  EXPECT_GE(std::stoi(cell(outages, 0, 4)), 2);
  // The log holds the outage while the monitor runs, beneath the start
  // folder.
  const std::string folder = model().log().folder();
  EXPECT_NE(folder.find("\\Data\\監視\\"), std::string::npos) << folder;
  std::string events;
  if (FILE* f = _wfopen(win32::widen(folder + "\\障害.csv").c_str(), L"rb")) {
    char buf[4096];
    events.assign(buf, fread(buf, 1, sizeof buf, f));
    fclose(f);
  }
  EXPECT_NE(events.find(",::1,応答なし,,"), std::string::npos) << events;
  // The close box hides the window; the requests go on.
  SendMessageW(w, WM_SYSCOMMAND, SC_CLOSE, 0);
  pump();
  EXPECT_FALSE(IsWindowVisible(w));
  ASSERT_TRUE(model().monitor().running());
  const long long sent = model().monitor().row(1).series.sent();
  waitMs(2200);
  EXPECT_GE(model().monitor().row(1).series.sent(), sent + 2);
  EXPECT_TRUE(model().trayShown());
  // The shell starts again: the icon is added again.
  const int added = tray.calls[NIM_ADD];
  SendMessageW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  pump();
  if (tray.standsIn()) {
    EXPECT_EQ(added, 1);
    EXPECT_EQ(tray.calls[NIM_ADD], 2);
    // The outage's balloon and the icon's colour went by NIM_MODIFY.
    EXPECT_GE(tray.calls[NIM_MODIFY], 2);
  }
  // The icon's "監視を表示" brings the window back; stopping removes the icon.
  window->fromUser([&] { model().showWindow(); });
  pump();
  EXPECT_TRUE(IsWindowVisible(w));
  SendMessageW(in(w, "btnMonitor"), BM_CLICK, 0, 0);
  pump();
  EXPECT_FALSE(model().monitor().running());
  EXPECT_FALSE(model().trayShown());
  if (tray.standsIn()) EXPECT_EQ(tray.calls[NIM_DELETE], 1);
}

}  // namespace
}  // namespace velquin::test
