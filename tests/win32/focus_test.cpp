// Where the keyboard focus really is, and what arriving there does, through
// real clicks and real keys on the net and help pages.
#include "wine_app.h"

#include <commctrl.h>

namespace velquin::test {
namespace {

class Focus : public WineApp {
 protected:
  Focus() { click("RadioGroup1#6"); }  // the net page

  // The Name of the window that has the focus ("RadioGroup4#2" for an item).
  std::string focusName() { return nameOf(focusNow()); }
  void clickTab(const std::string& pageControl, int tab) {
    HWND h = byName(pageControl);
    RECT rc{};
    TabCtrl_GetItemRect(h, tab, &rc);
    mouseClick(h, {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2});
  }
  bool ticked(const std::string& box) {
    return SendMessageW(byName(box), BM_GETCHECK, 0, 0) == BST_CHECKED;
  }
};

TEST_F(Focus, AfterTheTabStripTookTheFocusATickedBoxIsSetUpAfresh) {
  mouseClick(byName("CB_net_03"));
  ASSERT_TRUE(ticked("CB_net_03"));
  clickTab("PageControl1", 0);  // "データ選択", already in front
  EXPECT_EQ(focusName(), "PageControl1");
  mouseClick(byName("CB_net_03"));
  EXPECT_EQ(focusName(), "CB_net_03");
  EXPECT_TRUE(ticked("CB_net_03"));
  EXPECT_TRUE(visible("TS_Select3"));
}

TEST_F(Focus, AltSBuildsTheLineWhereTheUserIsTyping) {
  mouseClick(byName("RadioGroup4#1"));  // "サービス"
  mouseClick(byName("CB_net_06"));
  keyPress(VK_TAB);   // from the ticked box straight to its operations
  keyPress(VK_DOWN);  // "サービスを起動"
  ASSERT_EQ(focusName(), "ComboBox1");
  mouseClick(byName("Edit_net2"));
  EXPECT_EQ(text("Edit_net2"), "");
  typeKeys("W32Time");
  keyPress('S', VK_MENU);
  EXPECT_EQ(text("Edit1"), "net start W32Time");
  EXPECT_EQ(focusName(), "Edit_net2");
  mouseClick(byName("Edit_net2"));  // to correct the name: it stays
  EXPECT_EQ(text("Edit_net2"), "W32Time");

  // Emptied, the field is asked for; after OK the user types on in it.
  for (int i = 0; i < 7; ++i) keyPress(VK_BACK);
  os.realBoxes = true;
  DialogHand hand({DialogHand::press(IDOK)});
  keyPress('S', VK_MENU);
  const auto seen = hand.finish();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].text, "サービス名を入力して下さい。");
  pump();
  EXPECT_EQ(focusName(), "Edit_net2");
  typeKeys("W32Time");
  keyPress('S', VK_MENU);
  EXPECT_EQ(text("Edit1"), "net start W32Time");
}

TEST_F(Focus, TheBoxesOfACategoryAreOneTabStop) {
  mouseClick(byName("RadioGroup4#2"));  // "共有サービス"
  keyPress(VK_TAB);
  EXPECT_EQ(focusName(), "CB_net_10");  // none ticked: the first
  keyPress(VK_SPACE);
  ASSERT_TRUE(ticked("CB_net_10"));
  keyPress(VK_DOWN);  // arriving at the next box resets the page
  EXPECT_EQ(focusName(), "CB_net_11");
  EXPECT_FALSE(ticked("CB_net_10"));
  keyPress(VK_UP);
  EXPECT_EQ(focusName(), "CB_net_10");
  keyPress(VK_SPACE);
  keyPress(VK_TAB);  // on to the ticked box's options
  EXPECT_EQ(focusName(), "ComboBox1");
  EXPECT_TRUE(ticked("CB_net_10"));
  EXPECT_TRUE(visible("ComboBox1"));
  keyPress(VK_TAB, VK_SHIFT);  // back at the ticked box: an arrival
  EXPECT_EQ(focusName(), "CB_net_10");
  EXPECT_FALSE(visible("ComboBox1"));
  keyPress(VK_TAB, VK_SHIFT);  // and out of the group
  EXPECT_EQ(focusName(), "RadioGroup4#2");
}

TEST_F(Focus, TabFromTheHelpSelectorTakesThePanelsButtonsInTheirOrder) {
  clickTab("PageControl1", 4);  // "ヘルプ"; the reset button is enabled
  mouseClick(byName("RadioGroupH#0"));
  for (const char* button : {"btnHelp1", "btnHelp2", "btnHelp3", "btnReflesh"}) {
    keyPress(VK_TAB);
    EXPECT_EQ(focusName(), button);
  }
}

}  // namespace
}  // namespace velquin::test
