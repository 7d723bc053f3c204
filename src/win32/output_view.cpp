#include "win32/output_view.h"

#include <windowsx.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "form/form.h"
#include "form/output_doc.h"
#include "form/output_text.h"
#include "win32/output_accessible.h"
#include "win32/renderer.h"
#include "win32/text.h"

namespace velquin::win32 {

namespace {

const wchar_t kClass[] = L"VelquinOutput";
constexpr UINT_PTR kDragTimer = 1;
constexpr UINT_PTR kShowTimer = 2;
// Find matches a large output a slice at a time, on a timer: timers come
// after input and painting, so the window answers in between.
constexpr UINT_PTR kFindTimer = 3;
// Output that pours in is shown at most this often: a repaint and the
// scroll bars cost the same however little was added.
constexpr DWORD kShowEveryMs = 30;
constexpr int kMargin = 2;  // 96-DPI pixels left of the text, as the edit has
enum Command : UINT { kCopy = 1, kSelectAll, kCopyTimes, kFind, kTimes, kFeature = 100 };
// Background of the matches that find marks.
constexpr COLORREF kMarkColor = RGB(255, 234, 128);
// Room between the column of times and the text, in 96-DPI pixels.
constexpr int kTimeGap = 8;

// Character widths of one font, measured once per character.
class GdiWidths final : public form::CharWidths {
 public:
  GdiWidths() : dc_(CreateCompatibleDC(nullptr)), bmp_(0x10000, -1) {}
  ~GdiWidths() override {
    if (old_) SelectObject(dc_, old_);
    DeleteDC(dc_);
  }
  GdiWidths(const GdiWidths&) = delete;
  GdiWidths& operator=(const GdiWidths&) = delete;

  void setFont(HFONT font) {
    HGDIOBJ prev = SelectObject(dc_, font);
    if (!old_) old_ = prev;
    std::fill(bmp_.begin(), bmp_.end(), -1);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc_, &tm);
    height_ = tm.tmHeight;
    // Tab stops every 8 average characters, as the edit control sets them
    // (32 dialog units of its font).
    SIZE s{};
    const wchar_t abc[] =
        L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    GetTextExtentPoint32W(dc_, abc, 52, &s);
    const int average = (s.cx / 26 + 1) / 2;
    tab_ = std::max(1, 8 * average);
  }
  int height() const { return height_; }

  int width(char32_t c) override {
    if (c < 0x10000) {
      int& w = bmp_[c];
      if (w < 0) {
        INT got = 0;
        const auto u = static_cast<UINT>(c);
        w = GetCharWidth32W(dc_, u, u, &got) ? got : 0;
      }
      return w;
    }
    wchar_t pair[2] = {static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10)),
                       static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF))};
    SIZE s{};
    GetTextExtentPoint32W(dc_, pair, 2, &s);
    return s.cx;
  }
  int tabWidth() override { return tab_; }

 private:
  HDC dc_;
  HGDIOBJ old_ = nullptr;
  std::vector<int> bmp_;
  int height_ = 16;
  int tab_ = 48;
};

// UTF-16 length of UTF-8 text.
size_t wideLength(std::string_view s) {
  size_t n = 0;
  for (unsigned char c : s) {
    if ((c & 0xC0) != 0x80) ++n;
    if (c >= 0xF0) ++n;  // a surrogate pair
  }
  return n;
}

class OutputView final : public NativeControl {
 public:
  explicit OutputView(const NativeParams& p)
      : NativeControl(p), doc_(*p.model.outputDoc()), text_(doc_.text()) {}
  ~OutputView() override {
    dropBackBuffer();
    if (fixedFont_) DeleteObject(fixedFont_);
    doc_.onShow = nullptr;
    doc_.onFindPending = nullptr;
    text_.setWidths(nullptr);
    if (hwnd_) {
      KillTimer(hwnd_, kDragTimer);
      KillTimer(hwnd_, kShowTimer);
      KillTimer(hwnd_, kFindTimer);
    }
  }

  void create() override {
    registerClass(kClass, objectProc<OutputView>, IDC_IBEAM, CS_DBLCLKS);
    DWORD style = WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | stateStyle();
    hwnd_ = make(kClass, style, WS_EX_CLIENTEDGE, L"");
    GetClientRect(hwnd_, &client_);
    // make() sets the font before the window could measure with it.
    setBaseFont(r_.font(model_.font()));
    text_.setWidths(&widths_);
    access_ = std::make_unique<AccessibleHandle>(hwnd_, [this] {
      return widen(std::string(text_.line(text_.lineOf(text_.caret()))));
    });
    doc_.onFindPending = [this] { SetTimer(hwnd_, kFindTimer, USER_TIMER_MINIMUM, nullptr); };
    doc_.onShow = [this](bool reveal) {
      followChanges();
      if (reveal) {
        ensureVisible(text_.selStart());
        ensureVisible(text_.caret());
        userMoved();
        return;
      }
      updateScroll();
      placeCaret();
      InvalidateRect(hwnd_, nullptr, FALSE);
    };
    // Made at its full size, on a page shown after output arrived: the end
    // of the text is on view, as it would have been all along.
    if (follow_) top_ = maxTop();
    updateScroll();
  }

  void apply(form::Prop prop) override {
    if (prop == form::Prop::Text) {
      top_ = 0;
      left_ = 0;
      follow_ = true;
      changedText();
      return;
    }
    NativeControl::apply(prop);
  }

  void append(std::string_view) override { changedText(); }

  std::string readText() const override { return text_.text(); }

 private:
  friend LRESULT CALLBACK objectProc<OutputView>(HWND, UINT, WPARAM, LPARAM);

  // Geometry
  int lineHeight() const { return std::max(1, widths_.height()); }
  int margin() const { return r_.scale(kMargin); }
  // Width of the column of times while it shows.
  int timesWidth() {
    if (!doc_.showTimes()) return 0;
    int w = 0;
    for (char c : std::string_view("00:00:00.000")) w += widths_.width(static_cast<char32_t>(c));
    return w + r_.scale(kTimeGap);
  }
  // Where x = 0 of the text is, before scrolling.
  int textLeft() { return margin() + timesWidth(); }
  // The client area as the last WM_SIZE gave it: under Wine asking the
  // window for it costs three requests to the server, and the view asks
  // several times at every showing.
  RECT client() const { return client_; }
  size_t pageLines() const {
    const RECT rc = client();
    return std::max<size_t>(1, static_cast<size_t>(rc.bottom / lineHeight()));
  }
  size_t maxTop() const {
    const size_t n = rowCount(), page = pageLines();
    return n > page ? n - page : 0;
  }
  // The newest line shown is in sight (lines appended since wait to show).
  bool atEnd() const {
    const size_t page = pageLines();
    return top_ + page >= shownLines_;
  }

  void setFont(HFONT font) {
    font_ = font;
    widths_.setFont(font);
    text_.setWidths(&widths_);
    if (follow_) top_ = maxTop();
    updateScroll();
    placeCaret();
    InvalidateRect(hwnd_, nullptr, FALSE);
  }

  void changedText() {
    if (showPending_) return;  // the timer shows it
    const DWORD since = GetTickCount() - lastShown_;
    if (since >= kShowEveryMs) {
      showText();
      return;
    }
    showPending_ = true;
    SetTimer(hwnd_, kShowTimer, kShowEveryMs - since, nullptr);
  }
  void showText() {
    lastShown_ = GetTickCount();
    shownLines_ = rowCount();
    if (follow_) top_ = maxTop();
    top_ = std::min(top_, maxTop());
    updateScroll();
    placeCaret();
    InvalidateRect(hwnd_, nullptr, FALSE);
  }

  // After the user moved the view or the selection: following the end goes
  // on only while the end is in sight and nothing is selected.
  void userMoved() {
    follow_ = atEnd() && !text_.hasSelection();
    updateScroll();
    placeCaret();
    InvalidateRect(hwnd_, nullptr, FALSE);
  }

  void updateScroll() {
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
  void setBar(int bar, const SCROLLINFO& si) {
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

  void scrollTo(size_t top, int left) {
    top_ = std::min(top, maxTop());
    left_ = std::max(0, left);
    userMoved();
  }

  // Positions
  size_t posAt(int x, int y) {
    long long row = static_cast<long long>(top_) + (y < 0 ? -1 : y / lineHeight());
    row = std::clamp<long long>(row, 0, static_cast<long long>(rowCount()) - 1);
    const size_t ln = lineAtRow(static_cast<size_t>(row));
    return text_.lineStart(ln) +
           form::OutputText::hitTest(text_.line(ln), x + left_ - textLeft(), widths_);
  }
  POINT pointOf(size_t pos) {
    const size_t ln = text_.lineOf(pos);
    const int x = form::OutputText::xOf(text_.line(ln), pos - text_.lineStart(ln),
                                        widths_);
    return {x - left_ + textLeft(),
            static_cast<int>((static_cast<long long>(rowOfLine(ln)) -
                              static_cast<long long>(top_)) *
                             lineHeight())};
  }

  void ensureVisible(size_t pos) {
    const size_t ln = text_.lineOf(pos), row = rowOfLine(ln);
    if (row < top_) top_ = row;
    else if (row >= top_ + pageLines()) top_ = row + 1 - pageLines();
    const int x = form::OutputText::xOf(text_.line(ln), pos - text_.lineStart(ln),
                                        widths_);
    const RECT rc = client();
    const int width = std::max<int>(1, rc.right - 2 * margin() - timesWidth());
    if (x < left_) left_ = std::max(0, x - width / 4);
    else if (x > left_ + width) left_ = x - width + width / 4;
  }

  void placeCaret() {
    // Assistive technology reads the caret's line: tell it of a new one.
    const size_t line = text_.lineOf(text_.caret());
    if (line != caretLine_) {
      caretLine_ = line;
      if (access_) access_->valueChanged();
    }
    if (GetFocus() != hwnd_) return;
    const POINT p = pointOf(text_.caret());
    SetCaretPos(p.x, p.y);
  }

  // Copy
  void copy() {
    if (text_.hasSelection()) toClipboard(text_.selectedText());
  }
  // The lines that the selection touches with the time of each.
  void copyWithTimes() {
    toClipboard(form::linesWithTimes(text_, doc_.times(), text_.selStart(),
                                     text_.selEnd()));
  }
  void toClipboard(const std::string& utf8) { textToClipboard(hwnd_, utf8); }

  // UTF-16 offsets in the whole text, as the edit control counts, and back.
  size_t wideOffset(size_t bytes) const {
    return wideLength(std::string_view(text_.text()).substr(0, bytes));
  }
  size_t byteOffset(size_t wide) const {
    const std::string& t = text_.text();
    size_t p = 0;
    for (size_t n = 0; p < t.size() && n < wide;) {
      char32_t c;
      p += form::decodeUtf8(t, p, c);
      n += c >= 0x10000 ? 2 : 1;
    }
    return p;
  }
  static DWORD clampWord(size_t v) { return static_cast<DWORD>(std::min<size_t>(v, MAXDWORD)); }

  // A command of the menu put the focus in a text field: its text is
  // selected, so that typing replaces it.
  static void selectFocusedField() {
    HWND focus = GetFocus();
    wchar_t cls[16] = L"";
    if (focus) GetClassNameW(focus, cls, 16);
    if (lstrcmpiW(cls, L"Edit") == 0) SendMessageW(focus, EM_SETSEL, 0, -1);
  }

  void selectAll() {
    text_.selectAll();
    userMoved();
  }

  // The whole text for another program, as much as fits.
  LRESULT getText(size_t capacity, wchar_t* out) {
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

  // The picture is drawn off screen first, into a bitmap of the client's
  // size kept from one painting to the next (made afresh it cost each
  // painting the memory of a whole picture).
  HDC backBuffer(HDC target, const RECT& rc) {
    const SIZE size{std::max<LONG>(1, rc.right), std::max<LONG>(1, rc.bottom)};
    if (back_.dc && back_.size.cx == size.cx && back_.size.cy == size.cy) return back_.dc;
    dropBackBuffer();
    back_.dc = CreateCompatibleDC(target);
    back_.bitmap = CreateCompatibleBitmap(target, size.cx, size.cy);
    back_.old = SelectObject(back_.dc, back_.bitmap);
    back_.size = size;
    return back_.dc;
  }
  void dropBackBuffer() {
    if (!back_.dc) return;
    SelectObject(back_.dc, back_.old);
    DeleteObject(back_.bitmap);
    DeleteDC(back_.dc);
    back_ = {};
  }

  void paint() {
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
  void paintTimes(HDC dc, const RECT& rc, size_t last) {
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
  void paintLine(HDC dc, size_t ln, int y, int right, bool enabled) {
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

  // --- The changes against the run before, drawn over the text: rows
  // while only the changed lines show, their colours, and the font of
  // fixed pitch that the user may choose for the view.
  bool filtered() const { return doc_.changes().onlyChanged(); }
  size_t rowCount() const {
    return filtered() ? doc_.changes().rows().size() : text_.lineCount();
  }
  // The line that a row shows, or kSkipped for the mark of lines left out.
  size_t lineOfRow(size_t row) const {
    return filtered() ? doc_.changes().rows()[row] : row;
  }
  // The line a click on a row reaches: the mark of lines left out stands
  // for the line shown above it.
  size_t lineAtRow(size_t row) const {
    const size_t ln = lineOfRow(row);
    return ln != form::ChangeMarks::kSkipped ? ln : lineOfRow(row - 1);
  }
  // The row of a line; a line left out is at the mark that stands for it.
  size_t rowOfLine(size_t line) const {
    if (!filtered()) return line;
    const std::vector<size_t>& rows = doc_.changes().rows();
    for (size_t r = 0; r < rows.size(); ++r) {
      if (rows[r] == form::ChangeMarks::kSkipped || rows[r] < line) continue;
      return rows[r] == line || r == 0 ? r : r - 1;
    }
    return rows.size() - 1;
  }

  struct ChangeColors {
    COLORREF line, lineText, chars, charsText, removed;
  };
  // Pale green behind changed lines, a stronger one behind the changed
  // characters, red where lines went away; a high-contrast theme's own
  // colours while one is on.
  static ChangeColors changeColors() {
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
  void paintRows(HDC dc, const RECT& rc, size_t last, bool enabled) {
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

  // The font the renderer gives (again after a change of DPI), or the
  // fixed-pitch one of the same height while the user chose it.
  void setBaseFont(HFONT font) {
    if (font != baseFont_ && fixedFont_) {
      DeleteObject(fixedFont_);
      fixedFont_ = nullptr;
    }
    baseFont_ = font;
    setFont(fixedPitchChosen() ? fixedFont() : font);
  }
  bool fixedPitchChosen() const { return doc_.changes().fixedPitch(); }
  HFONT fixedFont() {
    if (!fixedFont_) {
      LOGFONTW lf{};
      GetObjectW(baseFont_ ? baseFont_ : GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf);
      lf.lfWidth = 0;
      lf.lfCharSet = SHIFTJIS_CHARSET;
      lf.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
      lstrcpynW(lf.lfFaceName, L"ＭＳ ゴシック", LF_FACESIZE);
      fixedFont_ = CreateFontIndirectW(&lf);
    }
    return fixedFont_;
  }
  // Before the view shows what changed: the font that was chosen, and the
  // first row kept within the rows there are now.
  void followChanges() {
    const bool fixed = fixedPitchChosen();
    if (fixed != (fixedFont_ && font_ == fixedFont_)) setFont(fixed ? fixedFont() : baseFont_);
    if (filtered() != filteredShown_) {
      filteredShown_ = filtered();
      top_ = rowOfLine(text_.lineOf(text_.caret()));
    }
    shownLines_ = std::min(shownLines_, rowCount());
    top_ = std::min(top_, maxTop());
  }

  void key(UINT vk, bool shift, bool ctrl) {
    const size_t caret = text_.caret();
    size_t to = caret;
    const size_t ln = text_.lineOf(caret);
    // Up and down go by the rows shown: while only the changed lines show,
    // past the lines left out, never onto them.
    auto vertical = [&](long long rows) {
      const long long last = static_cast<long long>(rowCount()) - 1;
      long long row = std::clamp<long long>(
          static_cast<long long>(rowOfLine(ln)) + rows, 0, last);
      const long long step = rows < 0 ? -1 : 1;
      if (lineOfRow(static_cast<size_t>(row)) == form::ChangeMarks::kSkipped &&
          row + step >= 0 && row + step <= last)
        row += step;
      const size_t t = lineAtRow(static_cast<size_t>(row));
      return text_.lineStart(t) +
             form::OutputText::hitTest(text_.line(t), goalX_, widths_);
    };
    const bool keepGoal = vk == VK_UP || vk == VK_DOWN || vk == VK_PRIOR || vk == VK_NEXT;
    if (!keepGoal)
      goalX_ = -1;
    if (keepGoal && goalX_ < 0)
      goalX_ = form::OutputText::xOf(text_.line(ln), caret - text_.lineStart(ln),
                                     widths_);
    const long long page = static_cast<long long>(pageLines());
    switch (vk) {
      case VK_LEFT:
        to = !shift && text_.hasSelection() ? text_.selStart() : text_.prevChar(caret);
        break;
      case VK_RIGHT:
        to = !shift && text_.hasSelection() ? text_.selEnd() : text_.nextChar(caret);
        break;
      case VK_UP: to = vertical(-1); break;
      case VK_DOWN: to = vertical(1); break;
      case VK_PRIOR:
        to = vertical(-page);
        top_ = top_ > pageLines() ? top_ - pageLines() : 0;
        break;
      case VK_NEXT:
        to = vertical(page);
        top_ = std::min(top_ + pageLines(), maxTop());
        break;
      case VK_HOME: to = ctrl ? 0 : text_.lineStart(ln); break;
      case VK_END: to = ctrl ? text_.text().size() : text_.lineEnd(ln); break;
      case 'A':
        if (ctrl) selectAll();
        return;
      case 'C':
      case VK_INSERT:
        if (ctrl) copy();
        return;
      default:
        return;
    }
    text_.moveCaret(to, shift);
    ensureVisible(text_.caret());
    userMoved();
  }

  void scrollBar(int bar, int code) {
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

  void contextMenu(int x, int y) {
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

  void drag(int x, int y) {
    const RECT rc = client();
    if (y < 0 && top_ > 0) --top_;
    if (y >= rc.bottom && top_ < maxTop()) ++top_;
    text_.moveCaret(posAt(x, y), true);
    ensureVisible(text_.caret());
    userMoved();
  }

  LRESULT handle(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
      case WM_PAINT:
        paint();
        return 0;
      case WM_ERASEBKGND:
        return 1;
      case WM_SETFONT:
        setBaseFont(reinterpret_cast<HFONT>(wp));
        return 0;
      case WM_GETFONT:
        return reinterpret_cast<LRESULT>(font_);
      case WM_SIZE:
        client_ = {0, 0, static_cast<LONG>(LOWORD(lp)), static_cast<LONG>(HIWORD(lp))};
        bars_[0].known = bars_[1].known = false;
        if (follow_) top_ = maxTop();
        top_ = std::min(top_, maxTop());
        updateScroll();
        InvalidateRect(hwnd_, nullptr, FALSE);
        return 0;
      case WM_ENABLE:
        bars_[0].known = bars_[1].known = false;
        InvalidateRect(hwnd_, nullptr, FALSE);
        return 0;
      case WM_GETTEXTLENGTH:
        return static_cast<LRESULT>(text_.wideLength());
      case WM_GETTEXT:
        return getText(static_cast<size_t>(wp), reinterpret_cast<wchar_t*>(lp));
      case WM_SETTEXT: {
        std::string t = lp ? narrow(reinterpret_cast<const wchar_t*>(lp)) : std::string();
        r_.fromUser([this, &t] { model_.setText(std::move(t)); });
        return TRUE;
      }
      case EM_GETSEL: {
        const DWORD from = clampWord(wideOffset(text_.selStart()));
        const DWORD to = clampWord(wideOffset(text_.selEnd()));
        if (wp) *reinterpret_cast<DWORD*>(wp) = from;
        if (lp) *reinterpret_cast<DWORD*>(lp) = to;
        return MAKELRESULT(std::min<DWORD>(from, 0xFFFF), std::min<DWORD>(to, 0xFFFF));
      }
      case EM_SETSEL: {
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
        return 0;
      }
      case WM_GETOBJECT:
        if (access_) return access_->answer(wp, lp);
        return DefWindowProcW(hwnd_, msg, wp, lp);
      case WM_GETDLGCODE:
        return DLGC_WANTARROWS | DLGC_WANTCHARS;
      case WM_SETFOCUS:
        CreateCaret(hwnd_, nullptr, std::max(1, r_.scale(1)), lineHeight());
        placeCaret();
        ShowCaret(hwnd_);
        if (access_) access_->focused();
        return 0;  // the arrival is reported as for every control (make)
      case WM_KILLFOCUS:
        DestroyCaret();
        return 0;
      case WM_KEYDOWN:
        key(static_cast<UINT>(wp), GetKeyState(VK_SHIFT) < 0, GetKeyState(VK_CONTROL) < 0);
        return 0;
      case WM_CHAR:
        return 0;  // read-only
      case WM_LBUTTONDOWN: {
        if (GetFocus() != hwnd_) SetFocus(hwnd_);
        const size_t pos = posAt(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
        text_.moveCaret(pos, (wp & MK_SHIFT) != 0);
        goalX_ = -1;
        SetCapture(hwnd_);
        SetTimer(hwnd_, kDragTimer, 50, nullptr);
        userMoved();
        return 0;
      }
      case WM_LBUTTONDBLCLK: {
        if (GetFocus() != hwnd_) SetFocus(hwnd_);
        const auto [from, to] = text_.wordAt(posAt(GET_X_LPARAM(lp), GET_Y_LPARAM(lp)));
        text_.select(from, to);
        userMoved();
        return 0;
      }
      case WM_MOUSEMOVE:
        if (GetCapture() == hwnd_) drag(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
        return 0;
      case WM_TIMER:
        if (wp == kShowTimer) {
          KillTimer(hwnd_, kShowTimer);
          showPending_ = false;
          showText();
        }
        if (wp == kFindTimer) {
          KillTimer(hwnd_, kFindTimer);
          const size_t from = doc_.finder().matchedTo();
          r_.fromUser([this] { doc_.findMore(); });
          // The marks a slice found are drawn only where they show.
          const size_t last = std::min(text_.lineCount(), top_ + pageLines() + 1);
          const size_t shownEnd =
              last < text_.lineCount() ? text_.lineStart(last) : text_.text().size();
          if (doc_.marks() && from < shownEnd &&
              doc_.finder().matchedTo() > text_.lineStart(top_))
            InvalidateRect(hwnd_, nullptr, FALSE);
        }
        if (wp == kDragTimer && GetCapture() == hwnd_) {
          POINT p;
          GetCursorPos(&p);
          ScreenToClient(hwnd_, &p);
          const RECT rc = client();
          if (p.y < 0 || p.y >= rc.bottom) drag(p.x, p.y);
        }
        return 0;
      case WM_LBUTTONUP:
      case WM_CAPTURECHANGED:
        KillTimer(hwnd_, kDragTimer);
        if (msg == WM_LBUTTONUP && GetCapture() == hwnd_) ReleaseCapture();
        return 0;
      case WM_RBUTTONDOWN:
        if (GetFocus() != hwnd_) SetFocus(hwnd_);
        return 0;
      case WM_CONTEXTMENU:
        contextMenu(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
        return 0;
      case WM_MOUSEWHEEL: {
        wheel_ += GET_WHEEL_DELTA_WPARAM(wp);
        UINT perNotch = 3;
        SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &perNotch, 0);
        const long long lines = static_cast<long long>(wheel_ / WHEEL_DELTA) *
                                (perNotch == WHEEL_PAGESCROLL ? static_cast<long long>(pageLines())
                                                              : perNotch);
        wheel_ %= WHEEL_DELTA;
        const long long top = std::max<long long>(0, static_cast<long long>(top_) - lines);
        scrollTo(static_cast<size_t>(top), left_);
        return 0;
      }
      case WM_VSCROLL:
        scrollBar(SB_VERT, LOWORD(wp));
        return 0;
      case WM_HSCROLL:
        scrollBar(SB_HORZ, LOWORD(wp));
        return 0;
      default:
        return DefWindowProcW(hwnd_, msg, wp, lp);
    }
  }

  form::OutputDoc& doc_;
  form::OutputText& text_;
  GdiWidths widths_;
  HFONT font_ = nullptr;
  HFONT baseFont_ = nullptr;   // the renderer's
  HFONT fixedFont_ = nullptr;  // of fixed pitch, made when first chosen
  bool filteredShown_ = false;
  size_t top_ = 0;  // first line on view
  int left_ = 0;    // pixels scrolled to the right
  int goalX_ = -1;  // x kept by up and down
  int wheel_ = 0;
  bool follow_ = true;
  bool showPending_ = false;
  DWORD lastShown_ = 0;
  RECT client_{};
  struct {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ old = nullptr;
    SIZE size{};
  } back_;
  // What each scroll bar shows, as last drawn; unknown after a change of
  // size, when it is drawn again anyway.
  struct Bar {
    SCROLLBARINFO shown{};
    bool known = false;
  } bars_[2];
  size_t shownLines_ = 1;
  size_t caretLine_ = 0;
  std::unique_ptr<AccessibleHandle> access_;
};

}  // namespace

const wchar_t* outputViewClass() { return kClass; }

std::unique_ptr<NativeControl> makeOutputView(const NativeParams& p) {
  return std::make_unique<OutputView>(p);
}

}  // namespace velquin::win32
