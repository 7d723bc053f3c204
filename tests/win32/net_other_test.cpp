// The net page's last sub-commands in the real window: lines built by
// clicks and keys on the native controls, run through the system's net.
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
  void keys(const std::string& name, const std::string& text) {
    HWND h = byName(name);
    SetFocus(h);
    pump(10);
    for (wchar_t c : win32::widen(text)) SendMessageW(h, WM_CHAR, c, 1);
    pump(10);
  }
};

TEST_F(NetOtherWindow, HelpLinesRunThroughTheSystemsNet) {
  showOtherCategory();
  struct Case {
    const char* box;
    const char* value;   // typed into Edit_net2, if any
    const char* line;
    const char* output;  // what net prints for it (Wine: its usage text)
  };
  for (const Case& c :
       {Case{"CB_net_21", "start", "net help start", "NET START ["},
        Case{"CB_net_22", "2182", "net helpmsg 2182", "NET コマンド [引数]"},
        Case{"CB_net_19", nullptr, "net statistics server",
             "NET コマンド [引数]"}}) {
    SCOPED_TRACE(c.line);
    click(c.box);
    if (c.value) keys("Edit_net2", c.value);
    click("btnNet");
    EXPECT_EQ(text("Edit1"), c.line);
    {
      Deadline limit(window->hwnd(), 20000);
      click("btnDO");
      ASSERT_FALSE(limit.fired());
    }
    const std::string shown = text("Memo0");
    EXPECT_EQ(shown.find(std::string(c.line) + "\r\n"), 0u) << shown;
    EXPECT_NE(shown.find(c.output, std::string(c.line).size()),
              std::string::npos) << shown;
    // Back from the results to the first page: left arrow on the tabs.
    SetFocus(byName("PageControl1"));
    SendMessageW(byName("PageControl1"), WM_KEYDOWN, VK_LEFT, 0);
    pump(10);
  }
  EXPECT_TRUE(os.messages.empty());
}

TEST_F(NetOtherWindow, AMessageOfTwoLinesGoesIntoTheCommandLine) {
  showOtherCategory();
  click("CB_net_18");
  keys("Edit_net2", "PC2");
  keys("Memo4", "Meeting\rat 3");  // Enter makes the line break
  click("btnNet");
  EXPECT_EQ(text("Edit1"), "net send PC2 Meeting\r\nat 3");
}

}  // namespace
}  // namespace velquin::test
