// The monitor window as a real window: opened with Ctrl+M from the keyboard,
// real echo requests to loopback addresses (and to no other address)
// started and stopped with its button, the list copied with Ctrl+A Ctrl+C,
// the route to 127.0.0.1, the hops of a traced route typed by a command,
// and its controls found by Name and reached with Tab.
#include "wine_app.h"

#include <commctrl.h>

#include <algorithm>
#include <sstream>

#include "form/output_doc.h"
#include "monitor/monitor_window.h"
#include "win32/text.h"

namespace velquin::test {
namespace {

class MonitorWin : public WineApp {
 protected:
  // Ctrl+M pressed in the main window, as the hand presses it.
  HWND openByKeys() {
    EXPECT_TRUE(putFocus(byName("Edit1")));
    keyPress('M', VK_CONTROL);
    pump(100);
    return session->monitorWindow().hwnd();
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
  // The cell of the list as the list itself shows it.
  std::string cell(HWND list, int row, int column) {
    wchar_t buf[256] = L"";
    ListView_GetItemText(list, row, column, buf, 256);
    return win32::narrow(buf);
  }
  monitor::TfrmMonitor& model() { return program->monitor(); }
};

std::vector<std::vector<std::string>> table(const std::string& text) {
  std::vector<std::vector<std::string>> rows;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::vector<std::string> cells;
    std::istringstream fields(line);
    std::string f;
    while (std::getline(fields, f, '\t')) cells.push_back(f);
    rows.push_back(cells);
  }
  return rows;
}

TEST_F(MonitorWin, CtrlMOpensItAndFourLoopbackHostsAnswerEveryRequest) {
  HWND w = openByKeys();
  ASSERT_NE(w, nullptr);
  ASSERT_TRUE(IsWindowVisible(w));
  EXPECT_EQ(nameOf(w), "frmMonitor");
  EXPECT_EQ(windowText(w), "監視");
  // A second Ctrl+M in the main window brings the same window forward.
  openByKeys();
  EXPECT_EQ(session->monitorWindow().hwnd(), w);
  EXPECT_EQ(GetForegroundWindow(), w);

  HWND hosts = in(w, "Memo_Hosts");
  SetFocus(hosts);
  typeKeys("127.0.0.1-4");
  SendMessageW(in(w, "btnMonitor"), BM_CLICK, 0, 0);
  EXPECT_EQ(windowText(in(w, "btnMonitor")), "停止(&S)");
  waitMs(3500);
  SendMessageW(in(w, "btnMonitor"), BM_CLICK, 0, 0);
  pump();
  EXPECT_EQ(windowText(in(w, "btnMonitor")), "開始(&S)");
  EXPECT_EQ(model().monitor().outstanding(), 0u);

  HWND list = in(w, "LV_Monitor");
  EXPECT_EQ(ListView_GetItemCount(list), 4);
  SetFocus(list);
  pump();
  keyPress('A', VK_CONTROL);
  keyPress('C', VK_CONTROL);
  const auto rows = table(clipboardText(w));
  ASSERT_EQ(rows.size(), 5u) << clipboardText(w);
  EXPECT_EQ(rows[0][1], "ホスト");
  for (size_t i = 1; i < rows.size(); ++i) {
    ASSERT_EQ(rows[i].size(), 12u);
    EXPECT_EQ(rows[i][1], "127.0.0." + std::to_string(i));
    EXPECT_GE(std::stoi(rows[i][3]), 2) << rows[i][1];
    EXPECT_EQ(rows[i][4], rows[i][3]) << rows[i][1];  // received = sent
    EXPECT_EQ(rows[i][2], "0.0") << rows[i][1];
    EXPECT_EQ(rows[i][10], "正常");
    // The list shows the same cells.
    EXPECT_EQ(cell(list, static_cast<int>(i - 1), 4), rows[i][4]);
  }
  // The graph shows the rows selected, one series each.
  EXPECT_EQ(model().graph().source().seriesCount(), 4u);
}

TEST_F(MonitorWin, TheRouteTo127001IsOneHopThatIsTheHost) {
  HWND w = openByKeys();
  SendMessageW(in(w, "RG_MonitorMode#1"), BM_CLICK, 0, 0);
  pump();
  EXPECT_EQ(model().form()["RG_MonitorMode"].itemIndex(), 1);
  SetFocus(in(w, "Memo_Hosts"));
  typeKeys("127.0.0.1");
  SendMessageW(in(w, "btnMonitor"), BM_CLICK, 0, 0);
  waitMs(2500);
  SendMessageW(in(w, "btnMonitor"), BM_CLICK, 0, 0);
  pump();
  HWND list = in(w, "LV_Monitor");
  ASSERT_EQ(ListView_GetItemCount(list), 1);
  EXPECT_EQ(cell(list, 0, 0), "1");
  EXPECT_EQ(cell(list, 0, 1), "127.0.0.1");
  EXPECT_EQ(cell(list, 0, 10), "正常");
}

TEST_F(MonitorWin, WatchHopsAfterATypedTracertFillsTheListStopped) {
  std::string sample = std::string("Z:") + VELQUIN_TEST_SOURCE + "/samples/tracert/ja-name.txt";
  std::replace(sample.begin(), sample.end(), '/', '\\');
  showPageOf("Memo0");
  typeInto("Edit1", "cmd /c type " + sample);
  click("btnDO");
  bool shown = false;
  for (const auto& e : main()["Memo0"].outputDoc()->menu())
    shown |= e.action == "Act_MonitorHops" && e.caption == "ホップを監視(&H)";
  ASSERT_TRUE(shown) << text("Memo0");
  window->fromUser([&] { main().form().execute("Act_MonitorHops"); });
  pump();
  HWND w = session->monitorWindow().hwnd();
  ASSERT_TRUE(w && IsWindowVisible(w));
  EXPECT_EQ(windowText(in(w, "Memo_Hosts")), "www.example.jp");
  EXPECT_EQ(SendMessageW(in(w, "RG_MonitorMode#1"), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(windowText(in(w, "btnMonitor")), "開始(&S)");
  EXPECT_FALSE(model().monitor().running());
}

TEST_F(MonitorWin, EveryControlHasItsNameAndTheKeyboardReachesThemInOrder) {
  HWND w = openByKeys();
  for (const auto& c : model().form().controls())
    EXPECT_NE(findByName(w, c->kind() == form::Kind::RadioGroup ? c->name() + "#0" : c->name()),
              nullptr)
        << c->name();
  // Alt+I: the interval; Tab on through the window.
  keyPress('I', VK_MENU);
  EXPECT_EQ(focusNow(), in(w, "Edit_MonitorSec"));
  for (const char* next : {"Edit_MonitorTimeout", "Edit_MonitorDown", "Edit_MonitorUp",
                           "btnMonitor", "btnMonitorCsv", "btnMonitorPicture",
                           "CB_MonitorNotify", "CB_MonitorKeep", "CB_MonitorOutages",
                           "CB_MonitorLog", "btnMonitorLogFolder", "LV_Monitor",
                           "CB_MonitorRange"}) {
    keyPress(VK_TAB);
    EXPECT_EQ(nameOf(focusNow()), next);
  }
  // Enter in a field starts; Esc loses nothing.
  SetFocus(in(w, "Memo_Hosts"));
  typeKeys("127.0.0.1");
  keyPress('T', VK_MENU);
  EXPECT_EQ(focusNow(), in(w, "Edit_MonitorTimeout"));
  keyPress(VK_RETURN);
  EXPECT_TRUE(model().monitor().running());
  waitMs(1500);
  keyPress(VK_ESCAPE);
  EXPECT_TRUE(IsWindowVisible(w));
  EXPECT_TRUE(model().monitor().running());
  EXPECT_EQ(windowText(in(w, "Memo_Hosts")), "127.0.0.1");
  // Its close box stops the probes and hides it.
  SendMessageW(w, WM_SYSCOMMAND, SC_CLOSE, 0);
  pump();
  EXPECT_FALSE(IsWindowVisible(w));
  EXPECT_FALSE(model().monitor().running());
  EXPECT_EQ(model().monitor().outstanding(), 0u);
}

}  // namespace
}  // namespace velquin::test
