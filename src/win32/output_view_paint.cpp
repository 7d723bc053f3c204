// The output view's painting and scrolling: lines, times, marks, scroll bars.
#include <windowsx.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "win32/output_view_window.h"
#include "win32/text.h"

namespace velquin::win32::outview {

namespace {
// Background of the matches that find marks.
constexpr COLORREF kMarkColor = RGB(255, 234, 128);
}  // namespace

void OutputView::updateScroll() {
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_ALL | SIF_DISABLENOSCROLL;
  si.nMin = 0;
  si.nMax = static_cast<int>(std::min<size_t>(rowCount(), INT_MAX) - 1);
  si.nPage = static_cast<UINT>(pageLines());
  si.nPos = static_cast<int>(top_);
  setBar(SB_VERT, si);
  const RECT rc = client();
  const int wide = text_.widest() + 2 * margin() + timesWidth();
  left_ = std::clamp(left_, 0, std::max(0, wide - static_cast<int>(rc.right)));
  si.nMax = std::max(0, wide - 1);
  si.nPage = static_cast<UINT>(std::max<LONG>(0, rc.right));
  si.nPos = left_;
  setBar(SB_HORZ, si);
}

// A scroll bar takes its new values at once and is drawn again only when
// what it shows has changed: under Wine drawing one takes milliseconds,
// and while a long output pours in, its thumb soon rests at its smallest,
// at the end, while the values change at every showing.
void OutputView::setBar(int bar, const SCROLLINFO& si) {
  Bar& b = bars_[bar == SB_VERT ? 0 : 1];
  SCROLLBARINFO now{};
  now.cbSize = sizeof now;
  SetScrollInfo(hwnd_, bar, &si, FALSE);
  if (GetScrollBarInfo(hwnd_, bar == SB_VERT ? OBJID_VSCROLL : OBJID_HSCROLL, &now) &&
      b.known && std::memcmp(&now, &b.shown, sizeof now) == 0)
    return;
  SetScrollInfo(hwnd_, bar, &si, TRUE);
  b.shown = now;
  b.known = true;
}

void OutputView::scrollTo(size_t top, int left) {
  top_ = std::min(top, maxTop());
  left_ = std::max(0, left);
  userMoved();
}

void OutputView::scrollBar(int bar, int code) {
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_ALL;
  GetScrollInfo(hwnd_, bar, &si);
  long long pos = bar == SB_VERT ? static_cast<long long>(top_) : left_;
  const long long line = bar == SB_VERT ? 1 : std::max(1, widths_.tabWidth() / 8);
  const long long page = bar == SB_VERT ? static_cast<long long>(pageLines())
                                        : std::max<long long>(1, si.nPage);
  switch (code) {
    case SB_LINEUP: pos -= line; break;
    case SB_LINEDOWN: pos += line; break;
    case SB_PAGEUP: pos -= page; break;
    case SB_PAGEDOWN: pos += page; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: pos = si.nTrackPos; break;
    case SB_TOP: pos = 0; break;
    case SB_BOTTOM: pos = LLONG_MAX / 2; break;
    default: return;
  }
  pos = std::max<long long>(0, pos);
  if (bar == SB_VERT)
    scrollTo(static_cast<size_t>(pos), left_);
  else
    scrollTo(top_, static_cast<int>(std::min<long long>(pos, INT_MAX / 2)));
}

void OutputView::wheel(WPARAM wp) {
  wheel_ += GET_WHEEL_DELTA_WPARAM(wp);
  UINT perNotch = 3;
  SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &perNotch, 0);
  const long long lines = static_cast<long long>(wheel_ / WHEEL_DELTA) *
                          (perNotch == WHEEL_PAGESCROLL ? static_cast<long long>(pageLines())
                                                        : perNotch);
  wheel_ %= WHEEL_DELTA;
  const long long top = std::max<long long>(0, static_cast<long long>(top_) - lines);
  scrollTo(static_cast<size_t>(top), left_);
}

// The picture is drawn off screen first, into a bitmap of the client's
// size kept from one painting to the next (made afresh it cost each
// painting the memory of a whole picture).
HDC OutputView::backBuffer(HDC target, const RECT& rc) {
  const SIZE size{std::max<LONG>(1, rc.right), std::max<LONG>(1, rc.bottom)};
  if (back_.dc && back_.size.cx == size.cx && back_.size.cy == size.cy) return back_.dc;
  dropBackBuffer();
  back_.dc = CreateCompatibleDC(target);
  back_.bitmap = CreateCompatibleBitmap(target, size.cx, size.cy);
  back_.old = SelectObject(back_.dc, back_.bitmap);
  back_.size = size;
  return back_.dc;
}

void OutputView::dropBackBuffer() {
  if (!back_.dc) return;
  SelectObject(back_.dc, back_.old);
  DeleteObject(back_.bitmap);
  DeleteDC(back_.dc);
  back_ = {};
}

void OutputView::paint() {
  PAINTSTRUCT ps;
  HDC target = BeginPaint(hwnd_, &ps);
  const RECT rc = client();
  HDC dc = backBuffer(target, rc);
  HGDIOBJ oldFont = SelectObject(dc, font_);
  const bool enabled = IsWindowEnabled(hwnd_);
  FillRect(dc, &rc, GetSysColorBrush(enabled ? COLOR_WINDOW : COLOR_BTNFACE));
  SetBkMode(dc, OPAQUE);
  const size_t last = std::min(rowCount(), top_ + pageLines() + 1);
  paintRows(dc, rc, last, enabled);
  if (doc_.showTimes()) paintTimes(dc, rc, last);
  BitBlt(target, 0, 0, rc.right, rc.bottom, dc, 0, 0, SRCCOPY);
  SelectObject(dc, oldFont);
  EndPaint(hwnd_, &ps);
}

// The grey column of times, left of the text; a line whose first byte
// has not arrived has none.
void OutputView::paintTimes(HDC dc, const RECT& rc, size_t last) {
  RECT column{0, 0, timesWidth() + margin() - r_.scale(kTimeGap) / 2, rc.bottom};
  FillRect(dc, &column, GetSysColorBrush(COLOR_BTNFACE));
  SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
  SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
  const form::LineTimes& times = doc_.times();
  for (size_t row = top_; row < last; ++row) {
    const size_t ln = lineOfRow(row);
    if (ln == form::ChangeMarks::kSkipped) continue;
    if (!times.has(ln)) break;
    const std::wstring t = widen(form::LineTimes::format(times.at(ln)));
    TextOutW(dc, margin(), static_cast<int>(row - top_) * lineHeight(), t.c_str(),
             static_cast<int>(t.size()));
  }
}

// Draws the part of one line that shows, the selected part highlighted
// and, while find is open, its matches marked.
void OutputView::paintLine(HDC dc, size_t ln, int y, int right, bool enabled) {
  const std::string_view s = text_.line(ln);
  const size_t start = text_.lineStart(ln);
  const size_t selFrom = text_.selStart(), selTo = text_.selEnd();
  const form::TextFinder& find = doc_.finder();
  auto [mark, markEnd] = doc_.marks() ? find.within(start, start + s.size())
                                      : std::pair<size_t, size_t>{0, 0};
  const form::ChangeMarks& changes = doc_.changes();
  const bool lineChanged = changes.mode() != form::ChangeMarks::Mode::None &&
                           changes.changed(ln);
  auto [changed, changedEnd] =
      lineChanged && changes.mode() == form::ChangeMarks::Mode::Chars
          ? changes.charsWithin(start, start + s.size())
          : std::pair<size_t, size_t>{0, 0};
  const ChangeColors colors = changeColors();
  enum Look { kPlain, kMarked, kSelected, kChangedLine, kChangedChars };
  std::wstring run;
  std::vector<INT> dx;
  int runX = 0;
  Look runLook = kPlain;
  auto flush = [&] {
    if (run.empty()) return;
    const bool runSelected = runLook == kSelected;
    SetTextColor(dc, runLook == kChangedLine    ? colors.lineText
                     : runLook == kChangedChars ? colors.charsText
                                                : GetSysColor(runSelected ? COLOR_HIGHLIGHTTEXT
                                                              : enabled   ? COLOR_WINDOWTEXT
                                                                          : COLOR_GRAYTEXT));
    SetBkColor(dc, runLook == kMarked         ? kMarkColor
                   : runLook == kChangedLine  ? colors.line
                   : runLook == kChangedChars ? colors.chars
                   : GetSysColor(runSelected ? COLOR_HIGHLIGHT
                                 : enabled   ? COLOR_WINDOW
                                             : COLOR_BTNFACE));
    int width = 0;
    for (INT d : dx) width += d;
    RECT box{runX, y, runX + width, y + lineHeight()};
    ExtTextOutW(dc, runX, y, ETO_OPAQUE | ETO_CLIPPED, &box, run.c_str(),
                static_cast<UINT>(run.size()), dx.data());
    run.clear();
    dx.clear();
  };
  const int origin = textLeft() - left_;
  int x = 0;
  for (size_t p = 0; p < s.size();) {
    char32_t c;
    const size_t n = form::decodeUtf8(s, p, c);
    int next;
    if (c == '\t') {
      const int tab = widths_.tabWidth();
      next = (x / tab + 1) * tab;
    } else {
      next = x + widths_.width(c);
    }
    if (origin + x >= right) break;
    if (origin + next > 0) {
      const size_t at = start + p;
      while (mark < markEnd && find[mark].end <= at) ++mark;
      while (changed < changedEnd && changes.charRange(changed).second <= at) ++changed;
      const Look look = at >= selFrom && at < selTo ? kSelected
                        : mark < markEnd && find[mark].begin <= at ? kMarked
                        : changed < changedEnd && changes.charRange(changed).first <= at
                            ? kChangedChars
                        : lineChanged ? kChangedLine
                                      : kPlain;
      if (look != runLook || run.empty()) {
        flush();
        runLook = look;
        runX = origin + x;
      }
      if (c == '\t') {
        run.push_back(L' ');
        dx.push_back(next - x);
      } else if (c >= 0x10000) {
        run.push_back(static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10)));
        run.push_back(static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
        dx.push_back(next - x);
        dx.push_back(0);
      } else {
        run.push_back(static_cast<wchar_t>(c));
        dx.push_back(next - x);
      }
    }
    x = next;
    p += n;
  }
  flush();
}

size_t OutputView::rowOfLine(size_t line) const {
  if (!filtered()) return line;
  const std::vector<size_t>& rows = doc_.changes().rows();
  for (size_t r = 0; r < rows.size(); ++r) {
    if (rows[r] == form::ChangeMarks::kSkipped || rows[r] < line) continue;
    return rows[r] == line || r == 0 ? r : r - 1;
  }
  return rows.size() - 1;
}

// Pale green behind changed lines, a stronger one behind the changed
// characters, red where lines went away; a high-contrast theme's own
// colours while one is on.
OutputView::ChangeColors OutputView::changeColors() {
  HIGHCONTRASTW hc{};
  hc.cbSize = sizeof hc;
  if (SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof hc, &hc, 0) &&
      (hc.dwFlags & HCF_HIGHCONTRASTON))
    return {GetSysColor(COLOR_INFOBK), GetSysColor(COLOR_INFOTEXT),
            GetSysColor(COLOR_HOTLIGHT), GetSysColor(COLOR_WINDOW),
            GetSysColor(COLOR_HOTLIGHT)};
  return {RGB(220, 244, 220), GetSysColor(COLOR_WINDOWTEXT), RGB(128, 208, 128),
          GetSysColor(COLOR_WINDOWTEXT), RGB(224, 0, 0)};
}

// The lines on view: a changed line's colour reaches the right edge, a
// thin red rule marks where lines went away, and a grey rule stands for
// lines left out.
void OutputView::paintRows(HDC dc, const RECT& rc, size_t last, bool enabled) {
  const form::ChangeMarks& changes = doc_.changes();
  const bool marking = changes.mode() != form::ChangeMarks::Mode::None && changes.any();
  const ChangeColors colors = changeColors();
  const int h = lineHeight();
  auto rule = [&](int x, int y, COLORREF color) {
    HBRUSH b = CreateSolidBrush(color);
    const int thick = std::max(1, r_.scale(2));
    RECT r{x, std::max(0, y - thick / 2), rc.right, std::max(0, y - thick / 2) + thick};
    FillRect(dc, &r, b);
    DeleteObject(b);
  };
  for (size_t row = top_; row < last; ++row) {
    const int y = static_cast<int>(row - top_) * h;
    const size_t ln = lineOfRow(row);
    if (ln == form::ChangeMarks::kSkipped) {
      SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
      SetBkColor(dc, GetSysColor(enabled ? COLOR_WINDOW : COLOR_BTNFACE));
      const wchar_t skipped[] = L"\u2026";
      TextOutW(dc, textLeft(), y, skipped, 1);
      const int gap = r_.scale(4);
      rule(textLeft() + widths_.width(skipped[0]) + gap, y + h / 2,
           GetSysColor(COLOR_GRAYTEXT));
      continue;
    }
    if (marking && changes.changed(ln)) {
      HBRUSH b = CreateSolidBrush(colors.line);
      RECT r{0, y, rc.right, y + h};
      FillRect(dc, &r, b);
      DeleteObject(b);
    }
    paintLine(dc, ln, y, rc.right, enabled);
  }
  if (!marking) return;
  for (size_t row = top_; row <= last && row <= rowCount(); ++row) {
    const size_t ln = row < rowCount() ? lineOfRow(row)
                      : filtered()     ? form::ChangeMarks::kSkipped
                                       : text_.lineCount();
    if (ln != form::ChangeMarks::kSkipped && changes.removedBefore(ln))
      rule(0, static_cast<int>(row - top_) * h, colors.removed);
  }
}

}  // namespace velquin::win32::outview
