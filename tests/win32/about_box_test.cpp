// The about box as a second real window beside the main window.
#include "wine_app.h"

#include "win32/text.h"

namespace velquin::test {
namespace {

using AboutBox = WineApp;

// Top-level windows of this thread with the class name given.
std::vector<HWND> windowsOfClass(const wchar_t* cls) {
  struct Found {
    const wchar_t* cls;
    std::vector<HWND> list;
  } found{cls, {}};
  EnumThreadWindows(GetCurrentThreadId(), [](HWND h, LPARAM lp) -> BOOL {
    auto* f = reinterpret_cast<Found*>(lp);
    wchar_t name[64] = L"";
    GetClassNameW(h, name, 64);
    if (lstrcmpW(name, f->cls) == 0) f->list.push_back(h);
    return TRUE;
  }, reinterpret_cast<LPARAM>(&found));
  return found.list;
}

POINT centre(HWND h) {
  RECT rc;
  GetWindowRect(h, &rc);
  return {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
}

TEST_F(AboutBox, VersionShowsOneBoxOverTheMainWindowThatStaysOpenWhileACommandRuns) {
  // Its window is made when it is first shown, once.
  EXPECT_EQ(windowsOfClass(L"TfrmAbout").size(), 0u);
  main().form().userSelectPage(main()["PageControl1"], 4);
  pump();
  click("btnHelp3");
  const std::vector<HWND> boxes = windowsOfClass(L"TfrmAbout");
  ASSERT_EQ(boxes.size(), 1u);
  HWND about = boxes[0];
  EXPECT_EQ(nameOf(about), "frmAbout");
  click("btnHelp3");
  EXPECT_EQ(windowsOfClass(L"TfrmAbout"), boxes);
  ASSERT_TRUE(IsWindowVisible(about));
  EXPECT_EQ(windowText(about), "AboutBox");
  EXPECT_EQ(windowText(findByName(about, "LabelV1")), "Version 2.2.2");
  POINT a = centre(about), m = centre(window->hwnd());
  EXPECT_NEAR(a.x, m.x, 1);
  EXPECT_NEAR(a.y, m.y, 1);

  // Not modal: a command runs from the main window while it is open.
  main().form().userSelectPage(main()["PageControl1"], 0);
  typeInto("Edit1", "ipconfig");
  click("btnDO");
  EXPECT_NE(text("Memo0").find("127.0.0.1"), std::string::npos) << text("Memo0");
  EXPECT_TRUE(IsWindowVisible(about));

  // Its close box hides it; the same window comes back.
  SendMessageW(about, WM_SYSCOMMAND, SC_CLOSE, 0);
  pump();
  EXPECT_FALSE(IsWindowVisible(about));
  EXPECT_TRUE(IsWindow(about));
  main().form().userSelectPage(main()["PageControl1"], 4);
  click("btnHelp3");
  EXPECT_TRUE(IsWindowVisible(about));
  EXPECT_EQ(windowsOfClass(L"TfrmAbout"), boxes);
}

TEST_F(AboutBox, EnterAndEscCloseItAsInAnyDialog) {
  main().form().userSelectPage(main()["PageControl1"], 4);
  pump();
  HWND about = nullptr;
  for (UINT vk : {VK_RETURN, VK_ESCAPE}) {
    click("btnHelp3");
    about = windowsOfClass(L"TfrmAbout").at(0);
    SetActiveWindow(about);
    pump();
    ASSERT_EQ(GetFocus(), findByName(about, "btnClose"));
    PostMessageW(GetFocus(), WM_KEYDOWN, vk, 0);
    pump();
    EXPECT_FALSE(IsWindowVisible(about)) << vk;
  }
  // The main window still takes its own keys.
  SetFocus(byName("btnHelp3"));
  ASSERT_EQ(GetFocus(), byName("btnHelp3"));
  PostMessageW(GetFocus(), WM_KEYDOWN, VK_RETURN, 0);
  pump();
  EXPECT_TRUE(IsWindowVisible(about));
}

}  // namespace
}  // namespace velquin::test
