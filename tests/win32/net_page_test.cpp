// The net page in the real window: its pages turn only through the
// program's own handlers, net user's two option pages are filled by clicks
// and keys, and a built line runs the system's own net program.
#include "tool_pages.h"

#include <commctrl.h>

#include <algorithm>
#include <initializer_list>
#include <string>

#include "app/main_window.h"
#include "win32/text.h"

namespace velquin::test {
namespace {

class NetPageWine : public ToolPages {
 protected:
  void chooseNet() { chooseTool(app::kNet); }
  int tabs(const std::string& pageControl) {
    return static_cast<int>(
        SendMessageW(byName(pageControl), TCM_GETITEMCOUNT, 0, 0));
  }
  // The pages of `pages` that are on screen, joined by "+".
  std::string onScreen(std::initializer_list<const char*> pages) {
    std::string shown;
    for (const char* p : pages)  // a page never shown has no window yet
      if (HWND h = findByName(window->hwnd(), p); h && IsWindowVisible(h)) shown += (shown.empty() ? "" : "+") + std::string(p);
    return shown;
  }
  std::string category() {
    return onScreen({"TS_Net1", "TS_Net2", "TS_Net3", "TS_Net4"});
  }
  std::string options() {
    return onScreen({"TS_Select1", "TS_Select2", "TS_Select3", "TS_Select4"});
  }
  // The keys of `text` typed into the focused field, one character each.
  void keys(const std::string& text) {
    for (wchar_t c : win32::widen(text)) SendMessageW(GetFocus(), WM_CHAR, c, 1);
    pump(10);
  }
  void focus(const std::string& name) {
    SetFocus(byName(name));
    pump(10);
  }
  void key(UINT message, WPARAM wp) {
    PostMessageW(GetFocus(), message, wp, message == WM_SYSCHAR ? 1 << 29 : 0);
    pump(20);
  }
};

TEST_F(NetPageWine, PagesTurnOnlyThroughTheHandlersAndShowNoTabs) {
  chooseNet();
  EXPECT_EQ(category(), "TS_Net1");
  EXPECT_EQ(options(), "TS_Select1");
  const char* categories[] = {"TS_Net1", "TS_Net2", "TS_Net3", "TS_Net4"};
  for (int k : {3, 1, 2, 0}) {
    click("RadioGroup4#" + std::to_string(k));
    EXPECT_EQ(category(), categories[k]);
  }
  click("CB_net_03");
  EXPECT_EQ(options(), "TS_Select3");
  click("btnNext");
  EXPECT_EQ(options(), "TS_Select4");
  click("btnPre");
  EXPECT_EQ(options(), "TS_Select3");
  click("CB_net_01");
  EXPECT_EQ(options(), "TS_Select2");
  EXPECT_EQ(tabs("PageControl3"), 0);
  EXPECT_EQ(tabs("PageControl4"), 0);
}

TEST_F(NetPageWine, NetUserAddIsBuiltByClicksAndKeys) {
  chooseNet();
  click("CB_net_03");
  click("RG_user#1");
  ASSERT_TRUE(visible("Edit_user2"));
  focus("Edit_user1");
  EXPECT_EQ(text("Edit_user1"), "");
  keys("bob");
  focus("Edit_user2");
  keys("pw 1");
  EXPECT_EQ(text("Edit_user2"), "pw 1") << "the password is shown in clear";
  click("CB_user03");
  focus("Edit_user3");
  keys("a b");
  click("btnNext");
  click("CB_user11");
  EXPECT_EQ(text("CMB_user04"), "制限なし");
  EXPECT_FALSE(visible("Edit_user9"));
  choose("CMB_user04", 3);
  ASSERT_TRUE(visible("Edit_user9"));
  ASSERT_TRUE(visible("CMB_user06"));
  focus("Edit_user9");
  keys("8");
  choose("CMB_user05", 1);
  click("CB_user11_0");
  key(WM_SYSCHAR, 's');  // "&S 確　定"
  EXPECT_EQ(line(), "net_user_bob_pw_1_/add_/comment:\"a_b\"_/TIMES:8,Mon");
  EXPECT_TRUE(os.messages.empty());
}

TEST_F(NetPageWine, TabOntoATickedBoxResetsThePage) {
  chooseNet();
  click("CB_net_01");
  ASSERT_TRUE(ticked("CB_net_01"));
  ASSERT_EQ(options(), "TS_Select2");
  focus("RadioGroup4#0");
  key(WM_KEYDOWN, VK_TAB);
  ASSERT_EQ(GetFocus(), byName("CB_net_01"));
  EXPECT_FALSE(ticked("CB_net_01"));
  EXPECT_EQ(options(), "TS_Select1");
  click("btnNet");
  EXPECT_EQ(text("Edit1"), "");
}

TEST_F(NetPageWine, NetUserRunsTheSystemsNetAndShowsItsOutput) {
  chooseNet();
  click("CB_net_03");
  click("RG_user#0");
  click("btnNet");
  ASSERT_EQ(text("Edit1"), "net user");
  {
    Deadline bound(window->hwnd(), 20000);
    click("btnDO");
    ASSERT_FALSE(bound.fired()) << "net user did not end";
  }
  EXPECT_TRUE(visible("Memo0"));
  const std::string shown = text("Memo0");
  EXPECT_EQ(shown.rfind("net user\r\n", 0), 0u) << shown;
  // The system's usage text, in Japanese, follows the command line.
  EXPECT_NE(shown.find("NET コマンド /HELP"), std::string::npos) << shown;
}

}  // namespace
}  // namespace velquin::test
