// The help page in the real window: each usage text on view with glyphs
// for its Japanese, the route text leaving Enter to the default button, and
// the help buttons quiet when the pages are missing.
#include "wine_app.h"

#include "help/usage_texts.h"
#include "win32/text.h"

namespace velquin::test {
namespace {

using HelpWindow = WineApp;

// True when the window's font has a glyph for every printable character
// of text: no empty boxes where the Japanese should be.
bool fontDraws(HWND h, const std::wstring& text) {
  std::wstring printable;
  for (wchar_t c : text)
    if (c >= L' ') printable += c;
  HDC dc = GetDC(h);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(h, WM_GETFONT, 0, 0)));
  std::vector<WORD> glyphs(printable.size());
  const DWORD got = GetGlyphIndicesW(dc, printable.c_str(),
                                     static_cast<int>(printable.size()),
                                     glyphs.data(), GGI_MARK_NONEXISTING_GLYPHS);
  SelectObject(dc, old);
  ReleaseDC(h, dc);
  return got == printable.size() &&
         std::find(glyphs.begin(), glyphs.end(), 0xFFFF) == glyphs.end();
}

std::vector<HWND> visibleDialogs() {
  std::vector<HWND> found;
  EnumThreadWindows(GetCurrentThreadId(), [](HWND h, LPARAM lp) -> BOOL {
    wchar_t cls[16] = L"";
    GetClassNameW(h, cls, 16);
    if (lstrcmpW(cls, L"#32770") == 0 && IsWindowVisible(h))
      reinterpret_cast<std::vector<HWND>*>(lp)->push_back(h);
    return TRUE;
  }, reinterpret_cast<LPARAM>(&found));
  return found;
}

TEST_F(HelpWindow, EachItemShowsItsUsageTextFillingThePage) {
  main().form().userSelectPage(main()["PageControl1"], 4);
  pump();
  RECT panel, page;
  GetWindowRect(byName("Panel5"), &panel);
  GetWindowRect(byName("TabSheet5"), &page);
  // What the memo's own window holds, asked past the program's watcher (any
  // message through it would hand a text still waiting to the window): the
  // text is on screen, not only there when asked.
  auto held = [&](const std::string& memo) {
    HWND h = byName(memo);
    const win32::WindowTable::Entry* e = window->windows().find(h);
    return e && e->next ? CallWindowProcW(e->next, h, WM_GETTEXTLENGTH, 0, 0) : -1;
  };
  for (int k : {1, 2, 3, 4, 5, 0}) {
    click("RadioGroupH#" + std::to_string(k));
    const std::string memo = "MemoH" + std::to_string(k);
    EXPECT_EQ(held(memo), static_cast<LRESULT>(win32::widen(help::usageText(k)).size())) << memo;
    for (int other = 0; other < help::kUsageCount; ++other)
      EXPECT_EQ(visible("MemoH" + std::to_string(other)), other == k) << memo;
    EXPECT_EQ(text(memo), help::usageText(k)) << memo;
    RECT rc;
    GetWindowRect(byName(memo), &rc);
    EXPECT_EQ(rc.top, panel.bottom) << memo;
    EXPECT_EQ(rc.bottom, page.bottom) << memo;
    EXPECT_EQ(rc.right - rc.left, page.right - page.left) << memo;
    const LONG style = GetWindowLongW(byName(memo), GWL_STYLE);
    EXPECT_TRUE((style & WS_VSCROLL) && (style & WS_HSCROLL)) << memo;
    EXPECT_FALSE(style & ES_READONLY) << memo;
  }
  // The netstat text is Japanese: the memo's font draws every character.
  EXPECT_TRUE(fontDraws(byName("MemoH2"), win32::widen(help::usageText(2))));
  EXPECT_FALSE(fontDraws(byName("MemoH2"), L"\u0378"));  // no such character
}

TEST_F(HelpWindow, EnterInTheRouteTextPressesTheDefaultButtonInstead) {
  int runs = 0;
  main().form().addAction({"Act_btnDO", "test", "", [&] { ++runs; }});
  main().form().userSelectPage(main()["PageControl1"], 4);
  pump();
  auto pressEnter = [&](const std::string& memo) {
    click("RadioGroupH#" + memo.substr(5));
    HWND h = byName(memo);
    SetFocus(h);
    SendMessageW(h, EM_SETSEL, 0, 0);
    // The key as it arrives; the loop makes the character from it.
    PostMessageW(h, WM_KEYDOWN, VK_RETURN, 0);
    pump();
  };
  pressEnter("MemoH4");
  EXPECT_EQ(text("MemoH4"), help::usageText(4));
  EXPECT_EQ(runs, 1);
  // The other usage texts take Enter as a new line.
  pressEnter("MemoH3");
  EXPECT_EQ(text("MemoH3"), "\r\n" + help::usageText(3));
  EXPECT_EQ(runs, 1);
}

TEST_F(HelpWindow, HelpAndLinkShowNothingWhenTheirPagesAreMissing) {
  // The start folder of the test has no Net_Help folder.
  main().form().userSelectPage(main()["PageControl1"], 4);
  click("btnHelp1");
  click("btnHelp2");
  pump(200);
  EXPECT_TRUE(visibleDialogs().empty());
  EXPECT_TRUE(os.messages.empty());
}

}  // namespace
}  // namespace velquin::test
