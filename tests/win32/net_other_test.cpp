// The net page's last sub-commands in the real window: lines built by
// clicks on the native controls and run through the system's own net.
#include <string>

#include "app/main_window.h"
#include "wine_app.h"
#include "win32/text.h"

namespace velquin::test {
namespace {

class NetOtherWindow : public WineApp {
 protected:
  // The net page with the "その他" category in front.
  void showOtherCategory() {
    click("RadioGroup1#" + std::to_string(app::kNet));
    click("RadioGroup4#3");
  }
  // The next operation chosen with the down arrow key, as from the keyboard.
  void nextOperation() {
    HWND combo = byName("ComboBox1");
    SetFocus(combo);
    SendMessageW(combo, WM_KEYDOWN, VK_DOWN, 0);
    SendMessageW(combo, WM_KEYUP, VK_DOWN, 0);
    pump(10);
  }
  void keys(const std::string& name, const std::string& text) {
    HWND h = byName(name);
    SetFocus(h);
    pump(10);
    for (wchar_t c : win32::widen(text)) SendMessageW(h, WM_CHAR, c, 1);
    pump(10);
  }
  // From the results page back to the first page, with the left arrow key
  // on the page tabs.
  void backToTheDataSelection() {
    HWND tabs = byName("PageControl1");
    SetFocus(tabs);
    SendMessageW(tabs, WM_KEYDOWN, VK_LEFT, 0);
    pump(10);
  }
  // Runs the command line; the window is closed if it takes too long.
  bool runToEnd() {
    Deadline limit(window->hwnd(), 20000);
    click("btnDO");
    return !limit.fired();
  }
};

TEST_F(NetOtherWindow, HelpLinesRunThroughTheSystemsNet) {
  showOtherCategory();
  struct Case {
    const char* box;
    int operation;
    const char* value;   // typed into Edit_net2
    const char* line;    // the command line built
    const char* output;  // what net prints for it (Wine: its usage text)
  };
  const Case cases[] = {
      {"CB_net_21", 0, "start", "net help start", "NET START ["},
      {"CB_net_22", 0, "2182", "net helpmsg 2182", "NET コマンド [引数]"},
      {"CB_net_19", 1, nullptr, "net statistics workstation",
       "NET コマンド [引数]"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    click(c.box);
    for (int i = 0; i < c.operation; ++i) nextOperation();
    if (c.value) keys("Edit_net2", c.value);
    click("btnNet");
    EXPECT_EQ(text("Edit1"), c.line);
    ASSERT_TRUE(runToEnd());
    const std::string shown = text("Memo0");
    EXPECT_EQ(shown.rfind(std::string(c.line) + "\r\n", 0), 0u) << shown;
    EXPECT_NE(shown.find(c.output, std::string(c.line).size()),
              std::string::npos) << shown;
    backToTheDataSelection();
  }
  EXPECT_TRUE(os.messages.empty());
}

TEST_F(NetOtherWindow, AMessageOfTwoLinesGoesIntoTheCommandLine) {
  showOtherCategory();
  click("CB_net_18");
  EXPECT_TRUE(IsWindowVisible(byName("Memo4")));
  keys("Edit_net2", "PC2");
  keys("Memo4", "Meeting\rat 3");
  click("btnNet");
  EXPECT_EQ(main()["Edit1"].text(), "net send PC2 Meeting\r\nat 3");
  EXPECT_EQ(text("Edit1"), "net send PC2 Meeting\r\nat 3");
}

}  // namespace
}  // namespace velquin::test
