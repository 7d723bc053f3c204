// The main window under Wine: real native controls, driven by messages.
#include "wine_app.h"

#include <commctrl.h>
#include <tlhelp32.h>

#include <functional>
#include <vector>

#include "win32/text.h"

namespace velquin::test {
namespace {

using Window = WineApp;

TEST_F(Window, OpensWithItsCaptionOnTheFirstPage) {
  EXPECT_EQ(windowText(window->hwnd()), "Velquin ");
  EXPECT_EQ(nameOf(window->hwnd()), "frmMain");
  EXPECT_TRUE(visible("TS_Top"));
  EXPECT_TRUE(visible("Label9"));
  EXPECT_EQ(findByName(window->hwnd(), "TS_ping"), nullptr)
      << "a page gets its windows when first shown";
  EXPECT_EQ(text("btnDO"), "&G 実　行");
  EXPECT_FALSE(visible("Edit_flg"));
  EXPECT_FALSE(visible("Edit_ctrl"));
}

TEST_F(Window, EveryModelControlHasANativeWindowFoundByNameOnceItsPageIsShown) {
  for (const auto& c : main().form().controls()) {
    if (c->kind() != form::Kind::Page) continue;
    showPageOf(c->name());
    for (form::Control* child : c->children())
      EXPECT_NE(findByName(window->hwnd(), child->name()), nullptr) << child->name();
  }
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

TEST_F(Window, TheTabStripFollowsItsPagesTabsAndCaptions) {
  // Tabs hidden and shown again in any order, and a caption changed: the
  // strip holds the visible pages' captions in page order after each step.
  HWND tabs = byName("PageControl1");
  form::Control& pc = main()["PageControl1"];
  auto strip = [&] {
    std::string all;
    const int n = static_cast<int>(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
      wchar_t buf[64] = L"";
      TCITEMW item{};
      item.mask = TCIF_TEXT;
      item.pszText = buf;
      item.cchTextMax = 64;
      SendMessageW(tabs, TCM_GETITEMW, i, reinterpret_cast<LPARAM>(&item));
      all += (i ? "|" : "") + win32::narrow(buf);
    }
    return all;
  };
  auto expected = [&] {
    std::string all;
    for (const form::Control* page : pc.pages())
      if (page->tabVisible()) all += (all.empty() ? "" : "|") + page->text();
    return all;
  };
  const std::vector<std::function<void()>> steps = {
      [&] { main()["TabSheet3"].setTabVisible(false); },
      [&] { main()["TabSheet1"].setTabVisible(false); },
      [&] { main()["TabSheet5"].setTabVisible(false); },
      [&] { main()["TabSheet3"].setTabVisible(true); },
      [&] { main()["TabSheet4"].setText("別の見出し"); },
      [&] { main()["TabSheet1"].setTabVisible(true); },
      [&] { main()["TabSheet5"].setTabVisible(true); },
  };
  const std::string before = strip();
  EXPECT_EQ(before, expected());
  for (size_t k = 0; k < steps.size(); ++k) {
    steps[k]();
    pump(10);
    EXPECT_EQ(strip(), expected()) << "after step " << k;
  }
  EXPECT_NE(strip(), before);  // the caption changed
}

TEST_F(Window, ClickingAToolBringsItsPageForwardAndEmptiesTheCommandLine) {
  typeInto("Edit1", "ipconfig /all");
  click("RadioGroup1#1");  // ping
  EXPECT_TRUE(visible("TS_ping"));
  EXPECT_FALSE(visible("TS_Top"));
  EXPECT_EQ(text("Edit1"), "");
  EXPECT_EQ(SendMessageW(byName("RadioGroup1#1"), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_TRUE(main()["btnReflesh"].enabled());
  click("RadioGroup1#7");  // arp
  EXPECT_TRUE(visible("TS_arp"));
  EXPECT_FALSE(visible("TS_ping"));
  EXPECT_EQ(SendMessageW(byName("RadioGroup1#1"), BM_GETCHECK, 0, 0), BST_UNCHECKED);
}

TEST_F(Window, TypingIntoTheCommandLineReachesTheModel) {
  typeInto("Edit1", "ping -n 1 127.0.0.1");
  EXPECT_EQ(main()["Edit1"].text(), "ping -n 1 127.0.0.1");
}

// Another program's procedure over the main window, as title-bar
// extensions and window managers put there: it passes every message on.
WNDPROC underSubclass = nullptr;
LRESULT CALLBACK subclassed(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  return CallWindowProcW(underSubclass, h, msg, wp, lp);
}

TEST_F(Window, FieldsAndButtonsWorkUnderAnotherProgramsSubclass) {
  HWND top = window->hwnd();
  underSubclass = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(top, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(subclassed)));
  SetWindowLongPtrW(top, GWLP_USERDATA, 0);  // some take the user data too
  ASSERT_TRUE(putFocus(byName("Edit1")));
  typeKeys("ipconfig");
  EXPECT_EQ(main()["Edit1"].text(), "ipconfig");
  EXPECT_EQ(main().form().focused(), &main()["Edit1"]);
  click("RadioGroup1#1");  // ping: its page forward, the line emptied
  EXPECT_TRUE(visible("TS_ping"));
  EXPECT_EQ(main()["Edit1"].text(), "");
  SetWindowLongPtrW(top, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(underSubclass));
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

// The width a caption takes with the window's own font (the accelerator
// mark not drawn), and for a check box or radio button the mark beside it.
int captionNeeds(HWND h, bool mark) {
  const std::wstring text = win32::widen(windowText(h));
  HDC dc = GetDC(h);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(h, WM_GETFONT, 0, 0)));
  RECT rc{0, 0, 0, 0};
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rc, DT_CALCRECT | DT_SINGLELINE);
  SelectObject(dc, old);
  ReleaseDC(h, dc);
  return rc.right + (mark ? GetSystemMetrics(SM_CXMENUCHECK) + 4 : 0);
}

TEST_F(Window, ACaptionLongerThanItsBoxWidensItAsFarAsThereIsRoom) {
  showPageOf("CheckBox1");
  showPageOf("LblFind");
  window->fromUser([&] { main().form().execute("Act_Find"); });  // the strip laid out
  // Where each box ends in its parent, in pixels of this screen.
  auto rightOf = [&](const char* name) {
    RECT at;
    GetWindowRect(byName(name), &at);
    MapWindowPoints(nullptr, GetParent(byName(name)), reinterpret_cast<POINT*>(&at), 2);
    return static_cast<int>(at.right);
  };
  auto leftOf = [&](const char* name) {
    RECT at;
    GetWindowRect(byName(name), &at);
    MapWindowPoints(nullptr, GetParent(byName(name)), reinterpret_cast<POINT*>(&at), 2);
    return static_cast<int>(at.left);
  };
  struct Case {
    const char* name;
    std::string text;
    int right;  // where the box must end
    bool whole;  // and whether the caption fits it
  };
  const form::Control& box1 = main()["CheckBox1"];
  const Case cases[] = {
      // Up to the field beside it, not over it.
      {"CheckBox1", "最大ｱｸｾｽﾕｰｻﾞｰ数（同時に接続できる利用者の数）", leftOf("Edit7"), false},
      {"CheckBox2", "共有資源にｺﾒﾝﾄ（一覧に出る説明）", leftOf("Edit8"), false},
      // A label of one line, up to the box beside it.
      {"LblFind", "1234567 / 7654321 件", leftOf("CB_FindCase"), false},
      // A caption that fits leaves the box as laid out.
      {"CheckBox1", box1.text(), window->scale(box1.bounds().left + box1.bounds().width), true},
  };
  for (const Case& c : cases) {
    window->fromUser([&] { main()[c.name].setText(c.text); });
    pump(10);
    EXPECT_EQ(rightOf(c.name), c.right) << c.name << " " << c.text;
    RECT rc;
    GetClientRect(byName(c.name), &rc);
    EXPECT_EQ(captionNeeds(byName(c.name), c.name[0] == 'C') <= rc.right, c.whole) << c.text;
  }
}

// Run at the screen's own DPI: 96 with the tests, 144 by tools/dpi-test.sh
// (the window as it first opens there, with the system's fonts and marks
// of that size).
TEST_F(Window, EveryCaptionIsWholeAtTheScreensDotsPerInch) {
  int checked = 0;
  for (const auto& page : main().form().controls()) {
    if (page->kind() != form::Kind::Page) continue;
    showPageOf(page->name());
    std::function<void(const form::Control&)> visit = [&](const form::Control& c) {
      for (const form::Control* child : c.children()) {
        if (!child->showing()) continue;
        if (child->kind() == form::Kind::Page) continue;  // its own turn
        visit(*child);
        const form::Kind k = child->kind();
        std::vector<HWND> boxes;
        if (k == form::Kind::CheckBox || k == form::Kind::Label)
          boxes.push_back(byName(child->name()));
        if (k == form::Kind::RadioGroup)
          for (size_t i = 0; i < child->items().size(); ++i)
            boxes.push_back(byName(child->name() + "#" + std::to_string(i)));
        for (HWND h : boxes) {
          RECT rc;
          GetClientRect(h, &rc);
          EXPECT_LE(captionNeeds(h, k != form::Kind::Label), rc.right)
              << nameOf(h) << " " << windowText(h);
          ++checked;
        }
      }
    };
    visit(*page);
  }
  EXPECT_GT(checked, 100);
}

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

namespace velquin::test {
namespace {

// What the native window of a control shows, against the model: texts,
// ticks, choices, lists, visibility, enabled state, font at this DPI.
void expectModelState(win32::Renderer& r, const form::Control& c) {
  using form::Kind;
  HWND h = findByName(r.hwnd(), c.name());
  ASSERT_NE(h, nullptr) << c.name();
  EXPECT_EQ(IsWindowVisible(h) != FALSE, c.showing()) << c.name();
  EXPECT_EQ(IsWindowEnabled(h) != FALSE, c.enabled()) << c.name();
  const bool own = c.kind() == Kind::Panel || c.kind() == Kind::GroupBox ||
                   c.kind() == Kind::Page || c.kind() == Kind::RadioGroup ||
                   c.kind() == Kind::ComboBox || c.kind() == Kind::PageControl ||
                   c.kind() == Kind::StatusBar;  // captions drawn, not held
  if (!own) EXPECT_EQ(windowText(h), c.text()) << c.name();
  if (!own || c.kind() == Kind::ComboBox || c.kind() == Kind::PageControl)
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(h, WM_GETFONT, 0, 0)),
              r.font(c.font())) << c.name();
  // Where the model lays it out, in the parent's client area (a label that
  // sizes itself and a combo box, whose window holds its list, keep only
  // their place).
  RECT at;
  GetWindowRect(h, &at);
  MapWindowPoints(nullptr, GetParent(h), reinterpret_cast<POINT*>(&at), 2);
  const form::Rect& b = c.bounds();
  EXPECT_EQ(at.left, r.scale(b.left)) << c.name();
  EXPECT_EQ(at.top, r.scale(b.top)) << c.name();
  if (c.kind() != Kind::Label && c.kind() != Kind::ComboBox) {
    EXPECT_EQ(at.right - at.left, r.scale(b.width)) << c.name();
    EXPECT_EQ(at.bottom - at.top, r.scale(b.height)) << c.name();
  }
  if (c.kind() == Kind::CheckBox)
    EXPECT_EQ(SendMessageW(h, BM_GETCHECK, 0, 0) == BST_CHECKED, c.checked()) << c.name();
  if (c.kind() == Kind::ComboBox) {
    EXPECT_EQ(SendMessageW(h, CB_GETCOUNT, 0, 0), static_cast<LRESULT>(c.items().size()))
        << c.name();
    EXPECT_EQ(SendMessageW(h, CB_GETCURSEL, 0, 0), c.itemIndex()) << c.name();
    if (c.itemIndex() < 0) EXPECT_EQ(windowText(h), c.text()) << c.name();
  }
  if (c.kind() == Kind::RadioGroup)
    for (size_t i = 0; i < c.items().size(); ++i) {
      HWND item = findByName(h, c.name() + "#" + std::to_string(i));
      EXPECT_EQ(SendMessageW(item, BM_GETCHECK, 0, 0) == BST_CHECKED,
                static_cast<int>(i) == c.itemIndex()) << c.name() << "#" << i;
      EXPECT_EQ(IsWindowEnabled(item) != FALSE, c.enabled()) << c.name() << "#" << i;
      EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(item, WM_GETFONT, 0, 0)),
                r.font(c.font())) << c.name() << "#" << i;
    }
}

void expectPageShowsTheModel(win32::Renderer& r, const form::Control& page) {
  std::function<void(const form::Control&)> visit = [&](const form::Control& c) {
    expectModelState(r, c);
    for (const form::Control* child : c.children())
      if (child->kind() != form::Kind::Page || child->showing()) visit(*child);
  };
  visit(page);
}

TEST_F(Window, PagesShownForTheFirstTimeAfterUseShowTheModelsState) {
  // The settings file filled the settings page and a tool was picked
  // before those pages had windows; the command line was typed meanwhile.
  typeInto("Edit1", "ipconfig /all");
  click("RadioGroup1#4");  // route
  click("RadioGroup5_1#1");
  typeInto("Edit5_1", "10.0.0.0");
  for (const char* page : {"TabSheet5", "TabSheet4", "TabSheet3", "TabSheet2"}) {
    ASSERT_EQ(findByName(window->hwnd(), page), nullptr) << page;
    showPageOf(page);
    expectPageShowsTheModel(*window, main()[page]);
  }
  EXPECT_EQ(text("LBS2"), "149") << "from the settings file";
  // Every tool page, first shown by its handler after all of that.
  for (form::Control* page : main()["PageControl2"].pages()) {
    showPageOf(page->name());
    expectPageShowsTheModel(*window, *page);
  }
}

}  // namespace
}  // namespace velquin::test
