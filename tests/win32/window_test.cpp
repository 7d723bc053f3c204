// The main window under Wine: real native controls, driven by messages.
#include "wine_app.h"

#include <tlhelp32.h>

#include "win32/text.h"

namespace velquin::test {
namespace {

using Window = WineApp;

TEST_F(Window, OpensWithItsCaptionOnTheFirstPage) {
  EXPECT_EQ(windowText(window->hwnd()), "Velquin ");
  EXPECT_EQ(nameOf(window->hwnd()), "frmMain");
  EXPECT_TRUE(visible("TS_Top"));
  EXPECT_TRUE(visible("Label9"));
  EXPECT_FALSE(visible("TS_ping"));
  EXPECT_EQ(text("btnDO"), "&G 実　行");
  EXPECT_FALSE(IsWindowEnabled(byName("btnReflesh")));
  EXPECT_FALSE(visible("Edit_flg"));
  EXPECT_FALSE(visible("Edit_ctrl"));
}

TEST_F(Window, EveryModelControlHasANativeWindowFoundByName) {
  for (const auto& c : main().form().controls())
    EXPECT_NE(findByName(window->hwnd(), c->name()), nullptr) << c->name();
  EXPECT_NE(findByName(window->hwnd(), "RadioGroup1#9"), nullptr);
}

TEST_F(Window, NoTabOfTheToolPagesIsEverShown) {
  HWND tabs = byName("PageControl2");
  EXPECT_EQ(SendMessageW(tabs, 0x1304 /* TCM_GETITEMCOUNT */, 0, 0), 0);
  click("RadioGroup1#1");
  EXPECT_EQ(SendMessageW(tabs, 0x1304, 0, 0), 0);
  // The main pages keep their five tabs.
  EXPECT_EQ(SendMessageW(byName("PageControl1"), 0x1304, 0, 0), 5);
}

TEST_F(Window, ClickingAToolBringsItsPageForwardAndEmptiesTheCommandLine) {
  typeInto("Edit1", "ipconfig /all");
  click("RadioGroup1#1");  // ping
  EXPECT_TRUE(visible("TS_ping"));
  EXPECT_FALSE(visible("TS_Top"));
  EXPECT_EQ(text("Edit1"), "");
  EXPECT_EQ(SendMessageW(byName("RadioGroup1#1"), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_TRUE(IsWindowEnabled(byName("btnReflesh")));
  click("RadioGroup1#7");  // arp
  EXPECT_TRUE(visible("TS_arp"));
  EXPECT_FALSE(visible("TS_ping"));
  EXPECT_EQ(SendMessageW(byName("RadioGroup1#1"), BM_GETCHECK, 0, 0), BST_UNCHECKED);
}

TEST_F(Window, TypingIntoTheCommandLineReachesTheModel) {
  typeInto("Edit1", "ping -n 1 127.0.0.1");
  EXPECT_EQ(main()["Edit1"].text(), "ping -n 1 127.0.0.1");
}

TEST_F(Window, ResetFromTheHelpPageReturnsToTheFirstPage) {
  click("RadioGroup1#4");
  main().form().userSelectPage(main()["PageControl1"], 4);
  pump();
  EXPECT_TRUE(visible("btnReflesh"));
  click("btnReflesh");
  EXPECT_TRUE(visible("TS_Top"));
  EXPECT_TRUE(visible("TabSheet1"));
  EXPECT_FALSE(IsWindowEnabled(byName("btnReflesh")));
  for (int i = 0; i < 10; ++i)
    EXPECT_EQ(SendMessageW(byName("RadioGroup1#" + std::to_string(i)),
                           BM_GETCHECK, 0, 0), BST_UNCHECKED);
}

TEST_F(Window, ShowingControlsLieInsideTheirParents) {
  // A control that sticks out of its parent is cut off on screen.
  for (const auto& c : main().form().controls()) {
    if (!c->showing()) continue;
    HWND h = findByName(window->hwnd(), c->name());
    RECT rc;
    GetWindowRect(h, &rc);
    HWND parent = GetParent(h);
    RECT pr;
    GetWindowRect(parent, &pr);
    EXPECT_TRUE(rc.left >= pr.left && rc.top >= pr.top &&
                rc.right <= pr.right && rc.bottom <= pr.bottom)
        << c->name() << " leaves its parent";
  }
}

}  // namespace
}  // namespace velquin::test

namespace velquin::test {
namespace {

TEST_F(Window, MovingToAMonitorWithMoreDotsPerInchScalesTheLayout) {
  RECT before;
  GetWindowRect(byName("btnDO"), &before);
  RECT win;
  GetWindowRect(window->hwnd(), &win);
  RECT suggested{win.left, win.top, win.left + (win.right - win.left) * 3 / 2,
                 win.top + (win.bottom - win.top) * 3 / 2};
  SendMessageW(window->hwnd(), 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(144, 144),
               reinterpret_cast<LPARAM>(&suggested));
  pump();
  RECT after;
  GetWindowRect(byName("btnDO"), &after);
  EXPECT_NEAR(after.right - after.left, (before.right - before.left) * 3 / 2, 2);
  EXPECT_NEAR(after.bottom - after.top, (before.bottom - before.top) * 3 / 2, 2);
  // The model keeps its 96-DPI units.
  EXPECT_EQ(main()["btnDO"].bounds().width, 84);
}

}  // namespace
}  // namespace velquin::test
