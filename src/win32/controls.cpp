#include "win32/controls.h"

#include <commctrl.h>

#include <algorithm>
#include <stdexcept>

#include "form/form.h"
#include "win32/control_kinds.h"
#include "win32/graph_view.h"
#include "win32/list_view.h"
#include "win32/output_view.h"
#include "win32/renderer.h"
#include "win32/text.h"

namespace velquin::win32 {

using form::Kind;
using form::Prop;

NativeControl::NativeControl(const NativeParams& p)
    : r_(p.renderer), model_(p.model), parent_(p.parent) {}

NativeControl::~NativeControl() { r_.windows().forget(this); }

void NativeControl::bind(HWND h) { r_.windows().at(h).object = this; }

HWND NativeControl::make(const wchar_t* cls, DWORD style, DWORD exStyle,
                         const std::wstring& text, HWND parent, int id,
                         const RECT* at) {
  // Made where it belongs: placing it afterwards would cost a second round
  // of moving and sizing for every control of a page.
  const RECT rc = at ? *at : nativeRect();
  HWND h = CreateWindowExW(exStyle, cls, text.c_str(), style | WS_CHILD, rc.left,
                           rc.top, rc.right - rc.left, rc.bottom - rc.top,
                           parent ? parent : parent_,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           GetModuleHandleW(nullptr), this);
  // A control missing on screen would leave the model acting on nothing.
  if (!h)
    throw std::runtime_error("control " + model_.name() + " cannot be created: " +
                             systemMessage(GetLastError()));
  bind(h);
  SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(r_.font(model_.font())),
               FALSE);
  // Labels and the status bar never take the focus; panels, pages and
  // group boxes are windows of the program's own class, which reports the
  // focus itself. The watcher sits under every message of a window, so it
  // goes only where it is needed.
  if (lstrcmpW(cls, Renderer::containerClass()) != 0 &&
      model_.kind() != form::Kind::Label && model_.kind() != form::Kind::StatusBar)
    watchFocus(h);
  return h;
}

DWORD NativeControl::stateStyle() const {
  DWORD style = 0;
  if (model_.visible()) style |= WS_VISIBLE;
  if (!model_.enabled()) style |= WS_DISABLED;
  return style;
}

void NativeControl::apply(Prop prop) {
  switch (prop) {
    case Prop::Text:
      setNativeText(model_.text());
      break;
    case Prop::Visible:
      applyVisible();
      break;
    case Prop::Enabled:
      // A button that disables itself when pressed would leave the keyboard
      // focus nowhere; it goes on to the next control instead.
      if (!model_.enabled() && GetFocus() == hwnd_) {
        HWND root = GetAncestor(hwnd_, GA_ROOT);
        HWND next = GetNextDlgTabItem(root, hwnd_, FALSE);
        if (next && next != hwnd_) SetFocus(next);
      }
      EnableWindow(hwnd_, model_.enabled());
      break;
    case Prop::Bounds:
      place();
      break;
    default:
      break;
  }
}

void NativeControl::applyVisible() { show(model_.visible()); }

void NativeControl::show(bool on) {
  // Showing or hiding a window in the state it is in already still costs
  // the system a pass over the window and its neighbours.
  const bool shown = (GetWindowLongPtrW(hwnd_, GWL_STYLE) & WS_VISIBLE) != 0;
  if (shown != on) ShowWindow(hwnd_, on ? SW_SHOWNA : SW_HIDE);
}

void NativeControl::applyFont() {
  SendMessageW(hwnd_, WM_SETFONT,
               reinterpret_cast<WPARAM>(r_.font(model_.font())), TRUE);
}

void NativeControl::setNativeText(const std::string& utf8) {
  std::wstring want = widen(utf8);
  // Setting an unchanged text would fire a change that echoes back.
  if (windowText(hwnd_) == want) return;
  Renderer::Quiet q(r_);
  SetWindowTextW(hwnd_, want.c_str());
}

std::string NativeControl::readText() const {
  return narrow(windowText(hwnd_));
}

void NativeControl::command(HWND, UINT) {}

RECT NativeControl::nativeRect() const {
  const form::Rect& b = model_.bounds();
  const int left = r_.scale(b.left), top = r_.scale(b.top);
  return {left, top, left + r_.scale(b.width), top + r_.scale(b.height)};
}

void NativeControl::place() {
  const RECT rc = nativeRect();
  SetWindowPos(hwnd_, nullptr, rc.left, rc.top, rc.right - rc.left,
               rc.bottom - rc.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void NativeControl::addHint() {
  if (model_.hint().empty() || !r_.tooltip()) return;
  TTTOOLINFOW ti{};
  ti.cbSize = sizeof ti;
  // The renderer relays the mouse to the tooltip from its message loop: the
  // tooltip's own subclassing would put a property lookup under every
  // message of the control.
  ti.uFlags = TTF_IDISHWND;
  ti.hwnd = GetParent(hwnd_);
  ti.uId = reinterpret_cast<UINT_PTR>(hwnd_);
  std::wstring text = widen(model_.hint());
  ti.lpszText = text.data();
  SendMessageW(r_.tooltip(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
}

SIZE NativeControl::captionSize(const std::wstring& text) const {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, r_.font(model_.font()));
  RECT box{0, 0, 0, 0};
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box,
            DT_CALCRECT | DT_SINGLELINE);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return {box.right, box.bottom};
}

RECT NativeControl::fitCaption(RECT rc, const std::wstring& text, int mark,
                               int limit) const {
  const int want = rc.left + mark + captionSize(text).cx + 2;
  if (want > rc.right) rc.right = std::max<LONG>(rc.right, std::min(want, limit));
  return rc;
}

int NativeControl::roomRight(const RECT& rc) const {
  const form::Control* parent = model_.parent();
  if (!parent) return rc.right;
  // Inside a frame, the frame's line is no room.
  const bool framed = parent->kind() == Kind::GroupBox || parent->kind() == Kind::RadioGroup;
  int limit = r_.scale(parent->bounds().width) - (framed ? r_.scale(form::kGroupBorder) : 0);
  for (const form::Control* c : parent->children()) {
    if (c == &model_ || c->kind() == Kind::Page) continue;
    const form::Rect& b = c->bounds();
    const int left = r_.scale(b.left), top = r_.scale(b.top);
    const int bottom = top + r_.scale(b.height);
    if (left >= rc.right && top < rc.bottom && bottom > rc.top) limit = std::min(limit, left);
  }
  return std::max<int>(limit, rc.right);
}

std::unique_ptr<NativeControl> makeNative(const NativeParams& p) {
  switch (p.model.kind()) {
    case Kind::Edit: return makeEdit(p);
    case Kind::Memo:
      if (p.model.style().outputView) return makeOutputView(p);
      return makeMemo(p);
    case Kind::Button: return makeButton(p);
    case Kind::CheckBox: return makeCheckBox(p);
    case Kind::Label: return makeLabel(p);
    case Kind::RadioGroup: return makeRadioGroup(p);
    case Kind::ComboBox: return makeCombo(p);
    case Kind::PageControl: return makePageControl(p);
    case Kind::Page: return makePage(p);
    case Kind::StatusBar: return makeStatusBar(p);
    case Kind::Graph: return makeGraphView(p);
    case Kind::Splitter: return makeSplitter(p);
    case Kind::List: return makeListView(p);
    case Kind::Panel:
    case Kind::GroupBox:
      return makeContainer(p);
  }
  return nullptr;
}

}  // namespace velquin::win32
