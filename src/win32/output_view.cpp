// The output view's window: made, following the text, routing its messages.
#include "win32/output_view.h"

#include <windowsx.h>

#include <algorithm>
#include <string>

#include "form/form.h"
#include "win32/output_view_window.h"
#include "win32/text.h"

namespace velquin::win32 {

namespace outview {

void GdiWidths::setFont(HFONT font) {
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

int GdiWidths::wideWidth(char32_t c) {
  wchar_t pair[2] = {static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10)),
                     static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF))};
  SIZE s{};
  GetTextExtentPoint32W(dc_, pair, 2, &s);
  return s.cx;
}

OutputView::~OutputView() {
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

void OutputView::create() {
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

void OutputView::apply(form::Prop prop) {
  if (prop == form::Prop::Text) {
    top_ = 0;
    left_ = 0;
    follow_ = true;
    changedText();
    return;
  }
  NativeControl::apply(prop);
}

int OutputView::timesWidth() {
  if (!doc_.showTimes()) return 0;
  int w = 0;
  for (char c : std::string_view("00:00:00.000")) w += widths_.width(static_cast<char32_t>(c));
  return w + r_.scale(kTimeGap);
}

void OutputView::setFont(HFONT font) {
  font_ = font;
  widths_.setFont(font);
  text_.setWidths(&widths_);
  if (follow_) top_ = maxTop();
  updateScroll();
  placeCaret();
  InvalidateRect(hwnd_, nullptr, FALSE);
}

void OutputView::changedText() {
  if (showPending_) return;  // the timer shows it
  const DWORD since = GetTickCount() - lastShown_;
  if (since >= kShowEveryMs) {
    showText();
    return;
  }
  showPending_ = true;
  SetTimer(hwnd_, kShowTimer, kShowEveryMs - since, nullptr);
}

void OutputView::showText() {
  lastShown_ = GetTickCount();
  shownLines_ = rowCount();
  if (follow_) top_ = maxTop();
  top_ = std::min(top_, maxTop());
  updateScroll();
  placeCaret();
  InvalidateRect(hwnd_, nullptr, FALSE);
}

void OutputView::userMoved() {
  follow_ = atEnd() && !text_.hasSelection();
  updateScroll();
  placeCaret();
  InvalidateRect(hwnd_, nullptr, FALSE);
}

void OutputView::setBaseFont(HFONT font) {
  if (font != baseFont_ && fixedFont_) {
    DeleteObject(fixedFont_);
    fixedFont_ = nullptr;
  }
  baseFont_ = font;
  setFont(fixedPitchChosen() ? fixedFont() : font);
}

HFONT OutputView::fixedFont() {
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

void OutputView::followChanges() {
  const bool fixed = fixedPitchChosen();
  if (fixed != (fixedFont_ && font_ == fixedFont_)) setFont(fixed ? fixedFont() : baseFont_);
  if (filtered() != filteredShown_) {
    filteredShown_ = filtered();
    top_ = rowOfLine(text_.lineOf(text_.caret()));
  }
  shownLines_ = std::min(shownLines_, rowCount());
  top_ = std::min(top_, maxTop());
}

void OutputView::size(LPARAM lp) {
  client_ = {0, 0, static_cast<LONG>(LOWORD(lp)), static_cast<LONG>(HIWORD(lp))};
  bars_[0].known = bars_[1].known = false;
  if (follow_) top_ = maxTop();
  top_ = std::min(top_, maxTop());
  updateScroll();
  InvalidateRect(hwnd_, nullptr, FALSE);
}

void OutputView::findTimer() {
  KillTimer(hwnd_, kFindTimer);
  const size_t from = doc_.finder().matchedTo();
  r_.fromUser([this] { doc_.findMore(); });
  // The marks a slice found are drawn only where they show.
  const size_t last = std::min(text_.lineCount(), top_ + pageLines() + 1);
  const size_t shownEnd =
      last < text_.lineCount() ? text_.lineStart(last) : text_.text().size();
  if (doc_.marks() && from < shownEnd && doc_.finder().matchedTo() > text_.lineStart(top_))
    InvalidateRect(hwnd_, nullptr, FALSE);
}

LRESULT OutputView::handle(UINT msg, WPARAM wp, LPARAM lp) {
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
      size(lp);
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
    case EM_GETSEL:
      return getSel(wp, lp);
    case EM_SETSEL:
      setSel(wp, lp);
      return 0;
    case WM_GETOBJECT:
      if (access_) return access_->answer(wp, lp);
      return DefWindowProcW(hwnd_, msg, wp, lp);
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_SETFOCUS:
      focusIn();
      return 0;  // the arrival is reported as for every control (make)
    case WM_KILLFOCUS:
      DestroyCaret();
      return 0;
    case WM_KEYDOWN:
      key(static_cast<UINT>(wp), GetKeyState(VK_SHIFT) < 0, GetKeyState(VK_CONTROL) < 0);
      return 0;
    case WM_CHAR:
      return 0;  // read-only
    case WM_LBUTTONDOWN:
      buttonDown(wp, lp);
      return 0;
    case WM_LBUTTONDBLCLK:
      doubleClick(lp);
      return 0;
    case WM_MOUSEMOVE:
      if (GetCapture() == hwnd_) drag(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
      return 0;
    case WM_TIMER:
      if (wp == kShowTimer) {
        KillTimer(hwnd_, kShowTimer);
        showPending_ = false;
        showText();
      }
      if (wp == kFindTimer) findTimer();
      if (wp == kDragTimer) dragTimer();
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
    case WM_MOUSEWHEEL:
      wheel(wp);
      return 0;
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

}  // namespace outview

const wchar_t* outputViewClass() { return outview::kClass; }

std::unique_ptr<NativeControl> makeOutputView(const NativeParams& p) {
  return std::make_unique<outview::OutputView>(p);
}

}  // namespace velquin::win32
