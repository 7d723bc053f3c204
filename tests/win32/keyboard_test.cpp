// Keyboard use of the real window: accelerators, the default button, hints.
#include "wine_app.h"

#include <commctrl.h>

#include "win32/text.h"

namespace velquin::test {
namespace {

using Keyboard = WineApp;

// A key as the message loop receives it for the focused window.
void key(HWND focus, UINT message, WPARAM wp) {
  PostMessageW(focus, message, wp, message == WM_SYSCHAR ? (1 << 29) : 0);
}

TEST_F(Keyboard, AltAndTheUnderlinedLetterClicksAButton) {
  int runs = 0;
  main().form().addAction({"Act_btnDO", "test", "", [&] { ++runs; }});
  SetFocus(byName("Edit1"));
  key(GetFocus(), WM_SYSCHAR, 'g');  // "&G 実　行"
  pump();
  EXPECT_EQ(runs, 1);
}

TEST_F(Keyboard, EnterInTheCommandLinePressesTheDefaultButton) {
  int runs = 0;
  main().form().addAction({"Act_btnDO", "test", "", [&] { ++runs; }});
  SetFocus(byName("Edit1"));
  key(GetFocus(), WM_KEYDOWN, VK_RETURN);
  pump();
  EXPECT_EQ(runs, 1);
  // A focused push button takes Enter itself: it is pressed.
  typeInto("Edit1", "arp -a");
  const std::string taught = main()["Memo3"].text() + "arp -a";
  SetFocus(byName("btnTeach"));
  key(GetFocus(), WM_KEYDOWN, VK_RETURN);
  pump();
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(main()["Memo3"].text(), taught);
}

TEST_F(Keyboard, ALabelsAcceleratorFocusesItsField) {
  click("RadioGroup1#1");  // ping: "&A 相手アドレスを入力して下さい。"
  SetFocus(byName("Edit1"));
  key(GetFocus(), WM_SYSCHAR, 'a');
  pump();
  EXPECT_EQ(GetFocus(), byName("Edit3"));
  EXPECT_EQ(main().form().focused(), &main()["Edit3"]);
}

TEST_F(Keyboard, AGroupBoxsAcceleratorFocusesItsFirstControl) {
  click("RadioGroup1#5");  // tracert: "&O オプション選択"
  key(GetFocus(), WM_SYSCHAR, 'o');
  pump();
  EXPECT_EQ(GetFocus(), byName("CB_Trace1"));
  EXPECT_FALSE(main()["CB_Trace1"].checked());
}

TEST_F(Keyboard, AcceleratorsOfHiddenPagesDoNothing) {
  // The ping page is not in front: Alt+B must not open its detail panel.
  SetFocus(byName("Edit1"));
  key(GetFocus(), WM_SYSCHAR, 'b');
  pump();
  EXPECT_FALSE(main()["PanelPING"].visible());
}

TEST_F(Keyboard, TheStopButtonShowsItsHint) {
  // The main window's tooltip (the about box has one of its own).
  HWND tips = window->hwnd();
  EnumThreadWindows(GetCurrentThreadId(), [](HWND h, LPARAM lp) -> BOOL {
    wchar_t cls[64];
    GetClassNameW(h, cls, 64);
    auto* found = reinterpret_cast<HWND*>(lp);
    if (lstrcmpiW(cls, TOOLTIPS_CLASSW) == 0 && GetWindow(h, GW_OWNER) == *found) {
      *found = h;
      return FALSE;
    }
    return TRUE;
  }, reinterpret_cast<LPARAM>(&tips));
  ASSERT_NE(tips, window->hwnd());
  wchar_t buf[128] = L"";
  TTTOOLINFOW ti{};
  ti.cbSize = sizeof ti;
  ti.hwnd = GetParent(byName("btnBreak"));
  ti.uId = reinterpret_cast<UINT_PTR>(byName("btnBreak"));
  ti.lpszText = buf;
  SendMessageW(tips, TTM_GETTEXTW, 128, reinterpret_cast<LPARAM>(&ti));
  EXPECT_EQ(win32::narrow(buf), "コマンドの動作を停止します");
  // The pointer resting on the button brings the hint up.
  ASSERT_FALSE(IsWindowVisible(tips));
  mouseTo(byName("btnBreak"));
  for (int i = 0; i < 60 && !IsWindowVisible(tips); ++i) pump(50);
  EXPECT_TRUE(IsWindowVisible(tips));
}

}  // namespace
}  // namespace velquin::test

namespace velquin::test {
namespace {

TEST_F(Keyboard, AToolSelectorWithNoChoiceIsStillReachedByTab) {
  EXPECT_TRUE(GetWindowLongPtrW(byName("RadioGroup1#0"), GWL_STYLE) & WS_TABSTOP);
  click("RadioGroup1#1");
  main().form().userSelectPage(main()["PageControl1"], 4);
  pump();
  click("btnReflesh");  // the reset leaves no tool chosen again
  ASSERT_EQ(main()["RadioGroup1"].itemIndex(), -1);
  EXPECT_TRUE(GetWindowLongPtrW(byName("RadioGroup1#0"), GWL_STYLE) & WS_TABSTOP);
}

TEST_F(Keyboard, ArrowsInsideARadioGroupChooseAsTheyMove) {
  // arp, nslookup and net leave the focus on the selector.
  click("RadioGroup1#7");
  key(GetFocus(), WM_KEYDOWN, VK_DOWN);
  pump();
  EXPECT_EQ(main()["RadioGroup1"].itemIndex(), 8);
  EXPECT_TRUE(visible("TS_nslookup"));
  EXPECT_EQ(GetFocus(), byName("RadioGroup1#8"));
  key(GetFocus(), WM_KEYDOWN, VK_UP);
  pump();
  key(GetFocus(), WM_KEYDOWN, VK_UP);
  pump();
  EXPECT_EQ(main()["RadioGroup1"].itemIndex(), 6);
  EXPECT_TRUE(visible("TS_net"));
}

TEST_F(Keyboard, TheToolPageComesBeforeTheCommandLineInTabOrder) {
  click("RadioGroup1#1");  // ping: the focus is on its address field
  HWND next = GetNextDlgTabItem(window->hwnd(), byName("RadioGroup1#1"), FALSE);
  EXPECT_EQ(next, byName("Edit3"));
}

}  // namespace
}  // namespace velquin::test

namespace velquin::test {
namespace {

TEST_F(Keyboard, AButtonThatDisablesItselfPassesTheFocusOn) {
  main()["Memo0"].setText("ipconfig\r\n");  // an output to keep
  main().form().userSelectPage(main()["PageControl1"], 2);  // data saving
  pump();
  click("btnNreInp");  // keeping disables the button that was pressed
  ASSERT_FALSE(IsWindowEnabled(byName("btnNreInp")));
  HWND focus = GetFocus();
  ASSERT_NE(focus, nullptr);
  EXPECT_TRUE(IsWindowEnabled(focus));
  EXPECT_EQ(focus, byName("btnAddInp"));
}

}  // namespace
}  // namespace velquin::test
