// The output view's menu and clipboard, and its text for other programs.
#include "form/form.h"
#include "form/line_times.h"
#include "win32/output_view_window.h"
#include "win32/text.h"

namespace velquin::win32::outview {

namespace {

enum Command : UINT { kCopy = 1, kSelectAll, kCopyTimes, kFind, kTimes, kFeature = 100 };

// UTF-16 length of UTF-8 text.
size_t wideLength(std::string_view s) {
  size_t n = 0;
  for (unsigned char c : s) {
    if ((c & 0xC0) != 0x80) ++n;
    if (c >= 0xF0) ++n;  // a surrogate pair
  }
  return n;
}

DWORD clampWord(size_t v) { return static_cast<DWORD>(std::min<size_t>(v, MAXDWORD)); }

}  // namespace

void OutputView::copy() {
  if (text_.hasSelection()) toClipboard(text_.selectedText());
}

void OutputView::copyWithTimes() {
  toClipboard(form::linesWithTimes(text_, doc_.times(), text_.selStart(),
                                   text_.selEnd()));
}

void OutputView::toClipboard(const std::string& utf8) { textToClipboard(hwnd_, utf8); }

size_t OutputView::wideOffset(size_t bytes) const {
  return wideLength(std::string_view(text_.text()).substr(0, bytes));
}

size_t OutputView::byteOffset(size_t wide) const {
  const std::string& t = text_.text();
  size_t p = 0;
  for (size_t n = 0; p < t.size() && n < wide;) {
    char32_t c;
    p += form::decodeUtf8(t, p, c);
    n += c >= 0x10000 ? 2 : 1;
  }
  return p;
}

LRESULT OutputView::getText(size_t capacity, wchar_t* out) {
  if (capacity == 0 || !out) return 0;
  const std::string& t = text_.text();
  size_t bytes = t.size();
  if (text_.wideLength() >= capacity) {
    bytes = std::min(bytes, capacity - 1);
    while (bytes > 0 && (static_cast<unsigned char>(t[bytes]) & 0xC0) == 0x80)
      --bytes;
  }
  int n = 0;
  if (bytes > 0)
    n = MultiByteToWideChar(CP_UTF8, 0, t.data(), static_cast<int>(bytes), out,
                            static_cast<int>(capacity - 1));
  out[n] = L'\0';
  return n;
}

void OutputView::selectFocusedField() {
  HWND focus = GetFocus();
  wchar_t cls[16] = L"";
  if (focus) GetClassNameW(focus, cls, 16);
  if (lstrcmpiW(cls, L"Edit") == 0) SendMessageW(focus, EM_SETSEL, 0, -1);
}

void OutputView::selectAll() {
  text_.selectAll();
  userMoved();
}

LRESULT OutputView::getSel(WPARAM wp, LPARAM lp) const {
  const DWORD from = clampWord(wideOffset(text_.selStart()));
  const DWORD to = clampWord(wideOffset(text_.selEnd()));
  if (wp) *reinterpret_cast<DWORD*>(wp) = from;
  if (lp) *reinterpret_cast<DWORD*>(lp) = to;
  return MAKELRESULT(std::min<DWORD>(from, 0xFFFF), std::min<DWORD>(to, 0xFFFF));
}

void OutputView::setSel(WPARAM wp, LPARAM lp) {
  // As the edit control: -1 as the start takes the selection away,
  // -1 as the end means the end of the text.
  const auto start = static_cast<long long>(static_cast<int>(wp));
  const auto end = static_cast<long long>(static_cast<int>(lp));
  if (start < 0) {
    text_.moveCaret(text_.caret(), false);
  } else {
    const size_t a = byteOffset(static_cast<size_t>(start));
    const size_t b = end < 0 ? text_.text().size() : byteOffset(static_cast<size_t>(end));
    text_.select(a, b);
    ensureVisible(text_.caret());
  }
  userMoved();
}

void OutputView::contextMenu(int x, int y) {
  if (x == -1 && y == -1) {
    POINT p = pointOf(text_.caret());
    ClientToScreen(hwnd_, &p);
    x = p.x;
    y = p.y;
  }
  HMENU menu = CreatePopupMenu();
  const UINT empty = text_.text().empty() ? MF_GRAYED : 0;
  AppendMenuW(menu, MF_STRING | (text_.hasSelection() ? 0 : MF_GRAYED), kCopy,
              L"コピー(&C)");
  AppendMenuW(menu, MF_STRING | empty, kCopyTimes, L"時刻付きでコピー(&D)");
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(menu, MF_STRING | empty, kSelectAll, L"すべて選択(&A)");
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(menu, MF_STRING, kFind, L"検索(&F)...");
  AppendMenuW(menu, MF_STRING | (doc_.showTimes() ? MF_CHECKED : 0), kTimes,
              L"時刻を表示(&T)");
  // Below the view's own items, those that the program's features add.
  const std::vector<form::OutputDoc::MenuEntry> more = doc_.menu();
  for (size_t i = 0; i < more.size(); ++i) {
    const form::OutputDoc::MenuEntry& m = more[i];
    if (m.separatorBefore) AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu,
                MF_STRING | (m.checked ? MF_CHECKED : 0) | (m.enabled ? 0 : MF_GRAYED),
                kFeature + static_cast<UINT>(i), widen(m.caption).c_str());
  }
  const UINT cmd = static_cast<UINT>(TrackPopupMenu(
      menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, x, y, 0, hwnd_, nullptr));
  DestroyMenu(menu);
  if (cmd == kCopy) copy();
  if (cmd == kCopyTimes) copyWithTimes();
  if (cmd == kSelectAll) selectAll();
  if (cmd == kTimes) doc_.setShowTimes(!doc_.showTimes());
  if (cmd >= kFeature && cmd - kFeature < more.size()) {
    const std::string action = more[cmd - kFeature].action;
    r_.fromUser([this, &action] { model_.form().execute(action); });
  }
  if (cmd == kFind) {
    r_.fromUser([this] { model_.form().execute("Act_Find"); });
    selectFocusedField();
  }
}

}  // namespace velquin::win32::outview
