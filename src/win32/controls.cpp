#include "win32/controls.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <iterator>
#include <stdexcept>

#include "form/form.h"
#include "win32/graph_view.h"
#include "win32/output_view.h"
#include "win32/renderer.h"
#include "win32/text.h"

namespace velquin::win32 {

using form::Kind;
using form::Prop;

WindowTable::Entry* WindowTable::find(HWND h) {
  const auto it = map_.find(h);
  return it == map_.end() ? nullptr : &it->second;
}

void WindowTable::release(HWND h) {
  const auto it = map_.find(h);
  if (it == map_.end()) return;
  // A watched window keeps its entry until it is destroyed: the watcher
  // still needs the procedure it replaced.
  if (it->second.next) it->second.object = nullptr;
  else map_.erase(it);
}

void WindowTable::forget(const NativeControl* n) {
  for (auto it = map_.begin(); it != map_.end();) {
    if (it->second.watcher == n) it->second.watcher = nullptr;
    if (it->second.object == n) it->second.object = nullptr;
    it = (!it->second.object && !it->second.next) ? map_.erase(it) : std::next(it);
  }
}

namespace {

// Sees the focus arrive at a window and tells the model, after the window
// itself has taken it (an edit has placed its caret, a button drawn its
// frame): the enter event then acts on a control that really has it. A
// plain replacement of the window procedure: it sits under every message
// of every control, and the system's subclass helper costs a program of
// several hundred controls a noticeable part of its start.
LRESULT CALLBACK focusWatcher(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  Renderer* r = Renderer::of(h);
  WindowTable::Entry* e = r ? r->windows().find(h) : nullptr;
  if (!e || !e->next) return DefWindowProcW(h, msg, wp, lp);
  const WNDPROC next = e->next;
  NativeControl* const self = e->watcher;
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(next));
    r->windows().erase(h);
    return CallWindowProcW(next, h, msg, wp, lp);
  }
  if (!self) return CallWindowProcW(next, h, msg, wp, lp);
  const LRESULT result = self->watched(h, msg, wp, lp, next);
  if (msg == WM_SETFOCUS) focusArrived(*self);
  return result;
}
}  // namespace

void focusArrived(NativeControl& n) {
  // fromUser keeps what the handlers throw; this keeps what building the
  // call could throw (memory) from crossing the window procedure.
  try {
    Renderer& r = n.renderer();
    form::Form& f = n.model().form();
    // Not while the window is taken down: the model no longer watches.
    if (f.view() == &r) r.fromUser([&n, &f] { f.userFocus(n.model()); });
  } catch (...) {
  }
}

NativeControl* objectOf(HWND h) {
  Renderer* r = Renderer::of(h);
  WindowTable::Entry* e = r ? r->windows().find(h) : nullptr;
  return e ? e->object : nullptr;
}

NativeControl::NativeControl(const NativeParams& p)
    : r_(p.renderer), model_(p.model), parent_(p.parent) {}

NativeControl::~NativeControl() { r_.windows().forget(this); }

void NativeControl::bind(HWND h) { r_.windows().at(h).object = this; }

LRESULT NativeControl::watched(HWND h, UINT msg, WPARAM wp, LPARAM lp,
                               WNDPROC next) {
  return CallWindowProcW(next, h, msg, wp, lp);
}

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

void NativeControl::watchFocus(HWND h) {
  WindowTable::Entry& e = r_.windows().at(h);
  e.watcher = this;
  if (e.next) return;
  e.next = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(h, GWLP_WNDPROC));
  SetWindowLongPtrW(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(focusWatcher));
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

namespace {

// Panels, pages and group boxes: a window of our own class that hands the
// notifications of its children on to them.
class ContainerCtl : public NativeControl {
 public:
  using NativeControl::NativeControl;
  void create() override {
    DWORD style = WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    if (model_.kind() != Kind::Page && model_.visible()) style |= WS_VISIBLE;
    if (!model_.enabled()) style |= WS_DISABLED;
    hwnd_ = make(Renderer::containerClass(), style, WS_EX_CONTROLPARENT, L"");
  }
  void apply(Prop prop) override {
    if (prop == Prop::Text) {
      InvalidateRect(hwnd_, nullptr, TRUE);
      return;
    }
    if (prop == Prop::Visible && model_.kind() == Kind::Page) {
      pageVisibility();
      return;
    }
    NativeControl::apply(prop);
  }
  // A page shows only while it is the active page of its page control.
  void pageVisibility() {
    const form::Control* pc = model_.parent();
    show(model_.visible() && pc && pc->activePage() == &model_);
  }
};

class EditCtl : public NativeControl {
 public:
  using NativeControl::NativeControl;
  void create() override {
    DWORD style = WS_TABSTOP | ES_AUTOHSCROLL | stateStyle();
    if (model_.readOnly()) style |= ES_READONLY;
    hwnd_ = make(L"EDIT", style, WS_EX_CLIENTEDGE, widen(model_.text()));
    // A command line has no length limit.
    SendMessageW(hwnd_, EM_SETLIMITTEXT, 0, 0);
    addHint();
  }
  void command(HWND, UINT code) override {
    if (code == EN_CHANGE && !r_.quiet()) {
      std::string t = readText();
      r_.fromUser([this, &t] { model_.userSetText(std::move(t)); });
    }
  }
  bool key(UINT vk) override {
    form::Key k = form::Key::Up;
    if (vk == VK_DOWN) k = form::Key::Down;
    else if (vk == VK_F7) k = form::Key::F7;
    else if (vk != VK_UP) return false;
    bool taken = false;
    r_.fromUser([&] { taken = model_.form().userKey(model_, k); });
    return taken;
  }
  void apply(Prop prop) override {
    NativeControl::apply(prop);
    // A line put into the field while the user is in it (a line of the
    // history) is continued at its end.
    if (prop == Prop::Text && GetFocus() == hwnd_) {
      const LPARAM end = GetWindowTextLengthW(hwnd_);
      SendMessageW(hwnd_, EM_SETSEL, end, end);
    }
  }
};

class MemoCtl : public NativeControl {
 public:
  using NativeControl::NativeControl;
  void create() override {
    const form::Style& s = model_.style();
    DWORD style = WS_TABSTOP | ES_MULTILINE | ES_AUTOVSCROLL | ES_NOHIDESEL;
    if (s.wantReturn) style |= ES_WANTRETURN;
    if (!s.wordWrap) style |= ES_AUTOHSCROLL;
    if (s.scrollBars == form::ScrollBars::Both ||
        s.scrollBars == form::ScrollBars::Vertical)
      style |= WS_VSCROLL;
    if (s.scrollBars == form::ScrollBars::Both ||
        s.scrollBars == form::ScrollBars::Horizontal)
      style |= WS_HSCROLL;
    style |= stateStyle();
    if (model_.readOnly()) style |= ES_READONLY;
    hwnd_ = make(L"EDIT", style, WS_EX_CLIENTEDGE, L"");
    // The output of a command may be of any size.
    SendMessageW(hwnd_, EM_SETLIMITTEXT, 0, 0);
    // A memo out of sight (the help page's other usage texts) takes its
    // text when anything next reaches its window, its showing first of
    // all: laying out a long text is most of what making the memo costs.
    if (model_.visible()) setNativeText(model_.text());
    else textPending_ = !model_.text().empty();
  }
  // A multi-line edit reports no change for WM_SETTEXT; text set so by
  // another program (automation, accessibility tools) is read back when a
  // handler asks, as a program's own text: unmodified.
  LRESULT watched(HWND h, UINT msg, WPARAM wp, LPARAM lp, WNDPROC next) override {
    // Nothing thrown here may cross the window procedure; the message is
    // handled by the edit control whatever happens before.
    try {
      // Not for a window on its way out: nobody will see the text.
      if (msg != WM_DESTROY) {
        takePending();
        takeUnseen();
      }
    } catch (const std::exception& e) {
      r_.reportError(e.what());
    } catch (...) {
      r_.reportError("unexpected error");
    }
    const LRESULT result = CallWindowProcW(next, h, msg, wp, lp);
    if (msg == WM_SETTEXT && result && !r_.quiet()) {
      model_.markTextStale();
      model_.setModified(false);
    }
    return result;
  }
  void apply(Prop prop) override {
    if (prop == Prop::Text) {
      // The model's text is the truth here; no comparison of a large text.
      Renderer::Quiet q(r_);
      unseen_.clear();
      textPending_ = false;
      SetWindowTextW(hwnd_, widen(model_.text()).c_str());
      return;
    }
    NativeControl::apply(prop);
  }
  // An append costs the native edit more the more it holds. A memo out of
  // sight (the kept results while a batch runs) gathers what is appended
  // and takes it in one piece when anything next reaches its window.
  void append(std::string_view text) override {
    if (textPending_) return;  // the model's text holds it
    if (!IsWindowVisible(hwnd_)) {
      unseen_.append(text);
      return;
    }
    takeUnseen();
    appendNow(text);
  }
  void takePending() {
    if (!textPending_) return;
    textPending_ = false;
    unseen_.clear();
    Renderer::Quiet q(r_);
    SetWindowTextW(hwnd_, widen(model_.text()).c_str());
  }
  void takeUnseen() {
    if (unseen_.empty()) return;
    const std::string text = std::move(unseen_);
    unseen_.clear();
    appendNow(text);
  }
  void appendNow(std::string_view text) {
    Renderer::Quiet q(r_);
    std::wstring w = widen(text);
    int len = GetWindowTextLengthW(hwnd_);
    SendMessageW(hwnd_, EM_SETSEL, len, len);
    SendMessageW(hwnd_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(w.c_str()));
  }
  void command(HWND, UINT code) override {
    if (code == EN_CHANGE && !r_.quiet()) {
      // A large text is read back only when a handler asks for it.
      model_.markTextStale();
    }
  }

 private:
  std::string unseen_;        // appended while out of sight
  bool textPending_ = false;  // the model's whole text, not yet taken
};

class ButtonCtl : public NativeControl {
 public:
  using NativeControl::NativeControl;
  void create() override {
    hwnd_ = make(L"BUTTON", WS_TABSTOP | BS_NOTIFY | buttonStyle() | stateStyle(),
                 0, widen(model_.text()));
    addHint();
  }
  void command(HWND, UINT code) override {
    if (code == BN_CLICKED)
      r_.fromUser([this] { model_.form().userClick(model_); });
  }

 protected:
  virtual DWORD buttonStyle() const {
    return model_.style().isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
  }
};

// Not an automatic check box: the model toggles, the window follows.
class CheckBoxCtl : public ButtonCtl {
 public:
  using ButtonCtl::ButtonCtl;
  void create() override {
    ButtonCtl::create();
    showCheck();
    tabStops();
  }
  void apply(Prop prop) override {
    if (prop == Prop::Checked) {
      showCheck();
      tabStops();
      return;
    }
    ButtonCtl::apply(prop);
    if (prop == Prop::Visible || prop == Prop::Enabled) tabStops();
  }
  // A group of boxes is one stop in the tab order: only the box that Tab
  // enters at keeps its tab stop.
  void tabStops() {
    if (!model_.style().tabGroup) return;
    form::Form& f = model_.form();
    const form::Control* stop = f.tabStop(model_);
    for (form::Control* c : f.tabGroup(model_)) {
      NativeControl* n = r_.native(*c);
      if (!n) continue;  // not created yet: it takes its stop when it is
      LONG_PTR style = GetWindowLongPtrW(n->hwnd(), GWL_STYLE);
      LONG_PTR want = c == stop ? style | WS_TABSTOP : style & ~WS_TABSTOP;
      if (want != style) SetWindowLongPtrW(n->hwnd(), GWL_STYLE, want);
    }
  }
  // Arrows move within the group, Tab and Shift+Tab leave it from its ends.
  bool key(UINT vk) override {
    if (!model_.style().tabGroup) return false;
    form::Form& f = model_.form();
    const std::vector<form::Control*> group = f.tabGroup(model_);
    const int n = static_cast<int>(group.size());
    int at = 0;
    while (at < n && group[at] != &model_) ++at;
    if (vk == VK_TAB) {
      if (GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0) return false;
      const bool back = GetKeyState(VK_SHIFT) < 0;
      NativeControl* edge = r_.native(*(back ? group.front() : group.back()));
      if (!edge) return false;
      HWND next = GetNextDlgTabItem(r_.hwnd(), edge->hwnd(), back);
      if (!next) return true;
      // Tab selects the whole text of a field it arrives at, as everywhere.
      if (SendMessageW(next, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL)
        SendMessageW(next, EM_SETSEL, 0, -1);
      SetFocus(next);
      return true;
    }
    int step = 0;
    if (vk == VK_UP || vk == VK_LEFT) step = -1;
    if (vk == VK_DOWN || vk == VK_RIGHT) step = 1;
    if (step == 0 || at == n) return false;
    for (int k = 1; k < n; ++k) {
      form::Control* c = group[(at + step * k + n * k) % n];
      if (!f.canFocus(*c)) continue;
      if (NativeControl* o = r_.native(*c)) SetFocus(o->hwnd());
      return true;
    }
    return true;
  }

 protected:
  DWORD buttonStyle() const override { return BS_CHECKBOX; }

 private:
  void showCheck() {
    SendMessageW(hwnd_, BM_SETCHECK,
                 model_.checked() ? BST_CHECKED : BST_UNCHECKED, 0);
  }
};

class LabelCtl : public NativeControl {
 public:
  using NativeControl::NativeControl;
  void create() override {
    hwnd_ = make(L"STATIC", SS_LEFT | SS_NOTIFY | stateStyle(), 0,
                 widen(model_.text()));
    addHint();
  }
  void apply(Prop prop) override {
    NativeControl::apply(prop);
    if (prop == Prop::Text) place();
  }
  RECT nativeRect() const override {
    RECT rc = NativeControl::nativeRect();
    if (!model_.style().autoSize) return rc;
    // A label is as wide as its caption (the accelerator mark not drawn).
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, r_.font(model_.font()));
    std::wstring t = widen(model_.text());
    RECT text{0, 0, 0, 0};
    DrawTextW(dc, t.c_str(), static_cast<int>(t.size()), &text,
              DT_CALCRECT | DT_SINGLELINE);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    rc.right = rc.left + text.right + 2;
    if (text.bottom > rc.bottom - rc.top) rc.bottom = rc.top + text.bottom;
    return rc;
  }
  void command(HWND, UINT code) override {
    if (code == STN_CLICKED)
      r_.fromUser([this] { model_.form().userClick(model_); });
  }
};

// A framed group of option buttons, one native radio button per item.
class RadioGroupCtl : public NativeControl {
 public:
  using NativeControl::NativeControl;
  void create() override {
    hwnd_ = make(Renderer::containerClass(), WS_CLIPSIBLINGS | stateStyle(),
                 WS_EX_CONTROLPARENT, L"");
    const auto& items = model_.items();
    for (size_t i = 0; i < items.size(); ++i) {
      DWORD style = WS_VISIBLE | BS_RADIOBUTTON | BS_NOTIFY |
                    (i == 0 ? WS_GROUP | WS_TABSTOP : 0);
      const RECT at = itemRect(static_cast<int>(i));
      HWND b = make(L"BUTTON", style, 0, widen(items[i]), hwnd_,
                    static_cast<int>(i) + 1, &at);
      r_.setName(b, model_.name() + "#" + std::to_string(i));
      buttons_.push_back(b);
    }
    checks();
    // A group disabled before its window existed shows every item disabled.
    if (!model_.enabled()) apply(Prop::Enabled);
  }
  void checks() {
    for (size_t i = 0; i < buttons_.size(); ++i)
      SendMessageW(buttons_[i], BM_SETCHECK,
                   static_cast<int>(i) == model_.itemIndex() ? BST_CHECKED
                                                             : BST_UNCHECKED,
                   0);
    // An unchecked radio button loses its tab stop; a group with no choice
    // yet must still be reachable with Tab, through its first item.
    if (model_.itemIndex() < 0 && !buttons_.empty()) {
      LONG_PTR style = GetWindowLongPtrW(buttons_.front(), GWL_STYLE);
      SetWindowLongPtrW(buttons_.front(), GWL_STYLE, style | WS_TABSTOP);
    }
  }
  bool key(UINT vk) override {
    if (vk != VK_UP && vk != VK_DOWN && vk != VK_LEFT && vk != VK_RIGHT)
      return false;
    const int n = static_cast<int>(buttons_.size());
    HWND focus = GetFocus();
    int at = -1;
    for (int i = 0; i < n; ++i)
      if (buttons_[i] == focus) at = i;
    if (at < 0 || n == 0) return false;
    const int step = (vk == VK_UP || vk == VK_LEFT) ? -1 : 1;
    const int next = (at + step + n) % n;
    SetFocus(buttons_[next]);
    r_.fromUser([this, next] { model_.form().userPickItem(model_, next); });
    checks();
    return true;
  }
  // Items fill the columns top to bottom, left to right, in rows of equal
  // height below the caption.
  RECT itemRect(int i) const {
    const form::Rect& b = model_.bounds();
    int cols = model_.style().columns > 0 ? model_.style().columns : 1;
    int n = static_cast<int>(model_.items().size());
    int perCol = (n + cols - 1) / cols;
    int left = r_.scale(form::kGroupBorder + 4);
    int top = r_.scale(form::kGroupCaption);
    int width = r_.scale(b.width) - 2 * left;
    int height = r_.scale(b.height) - top - r_.scale(form::kGroupBorder);
    int colW = width / cols;
    int rowH = perCol ? height / perCol : height;
    int itemH = r_.scale(17) < rowH ? r_.scale(17) : rowH;
    int c = perCol ? i / perCol : 0, row = perCol ? i % perCol : 0;
    const int x = left + c * colW, y = top + row * rowH + (rowH - itemH) / 2;
    return {x, y, x + colW - 2, y + itemH};
  }
  void layoutItems() {
    for (size_t i = 0; i < buttons_.size(); ++i) {
      const RECT rc = itemRect(static_cast<int>(i));
      SetWindowPos(buttons_[i], nullptr, rc.left, rc.top, rc.right - rc.left,
                   rc.bottom - rc.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
  }
  void apply(Prop prop) override {
    switch (prop) {
      case Prop::ItemIndex:
        checks();
        break;
      case Prop::Text:
        InvalidateRect(hwnd_, nullptr, TRUE);
        break;
      case Prop::Enabled:
        EnableWindow(hwnd_, model_.enabled());
        for (HWND b : buttons_) EnableWindow(b, model_.enabled());
        break;
      default:
        NativeControl::apply(prop);
    }
  }
  void applyFont() override {
    NativeControl::applyFont();
    for (HWND b : buttons_)
      SendMessageW(b, WM_SETFONT,
                   reinterpret_cast<WPARAM>(r_.font(model_.font())), TRUE);
  }
  void place() override {
    NativeControl::place();
    layoutItems();
  }
  bool owns(HWND h) const override {
    if (h == hwnd_) return true;
    for (HWND b : buttons_)
      if (b == h) return true;
    return false;
  }
  HWND focusTarget() const override {
    int i = model_.itemIndex();
    if (i >= 0 && i < static_cast<int>(buttons_.size())) return buttons_[i];
    return buttons_.empty() ? hwnd_ : buttons_.front();
  }
  void command(HWND from, UINT code) override {
    int index = -1;
    for (size_t i = 0; i < buttons_.size(); ++i)
      if (buttons_[i] == from) index = static_cast<int>(i);
    if (index < 0) return;
    if (code == BN_CLICKED) {
      r_.fromUser([this, index] { model_.form().userPickItem(model_, index); });
      checks();  // a refused pick leaves the old choice on screen
    }
  }

 private:
  std::vector<HWND> buttons_;
};

class ComboCtl : public NativeControl {
 public:
  using NativeControl::NativeControl;
  void create() override {
    DWORD style = WS_TABSTOP | WS_VSCROLL | CBS_AUTOHSCROLL |
                  (model_.style().comboStyle == form::ComboStyle::DropDownList
                       ? CBS_DROPDOWNLIST
                       : CBS_DROPDOWN) |
                  stateStyle();
    hwnd_ = make(L"COMBOBOX", style, 0, L"");
    // A combo box with a field passes the focus on to it; a click into the
    // field gives it the focus directly.
    if (HWND field = FindWindowExW(hwnd_, nullptr, L"Edit", nullptr))
      watchFocus(field);
    fill();
    addHint();
  }
  // The list as the model holds it, filled anew (handlers refill it).
  void fill() {
    Renderer::Quiet q(r_);
    SendMessageW(hwnd_, CB_RESETCONTENT, 0, 0);
    for (const auto& item : model_.items())
      SendMessageW(hwnd_, CB_ADDSTRING, 0,
                   reinterpret_cast<LPARAM>(widen(item).c_str()));
    select();
  }
  void select() {
    Renderer::Quiet q(r_);
    SendMessageW(hwnd_, CB_SETCURSEL, model_.itemIndex(), 0);
    if (model_.itemIndex() < 0) setNativeText(model_.text());
  }
  RECT nativeRect() const override {
    // The height of a combo box's window includes its drop-down list.
    RECT rc = NativeControl::nativeRect();
    rc.bottom += r_.scale(160);
    return rc;
  }
  void apply(Prop prop) override {
    switch (prop) {
      case Prop::ItemIndex:
        select();
        break;
      case Prop::Items:
        fill();
        break;
      case Prop::Text:
        if (model_.itemIndex() >= 0) select();
        else setNativeText(model_.text());
        break;
      default:
        NativeControl::apply(prop);
    }
  }
  bool owns(HWND h) const override {
    return h == hwnd_ || GetParent(h) == hwnd_;
  }
  void command(HWND, UINT code) override {
    if (r_.quiet()) return;
    if (code == CBN_SELCHANGE) {
      int i = static_cast<int>(SendMessageW(hwnd_, CB_GETCURSEL, 0, 0));
      r_.fromUser([this, i] { model_.form().userPickItem(model_, i); });
    } else if (code == CBN_EDITCHANGE) {
      std::string t = readText();
      r_.fromUser([this, &t] { model_.userSetText(std::move(t)); });
    }
  }
};

class PageControlCtl : public NativeControl {
 public:
  using NativeControl::NativeControl;
  void create() override {
    hwnd_ = make(WC_TABCONTROLW,
                 WS_TABSTOP | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | stateStyle(),
                 WS_EX_CONTROLPARENT, L"");
    tabs();
  }
  // Tab items exist only for the pages whose tab is visible. The strip is
  // brought to that list item by item: rebuilding it whole at every change
  // would redraw and re-measure every tab each time a page's tab comes or
  // goes (the start hides a dozen of them one by one).
  void tabs() {
    Renderer::Quiet q(r_);
    const auto pages = model_.pages();
    std::vector<int> want;
    for (size_t i = 0; i < pages.size(); ++i)
      if (pages[i]->tabVisible()) want.push_back(static_cast<int>(i));
    for (size_t t = tabPage_.size(); t-- > 0;)
      if (std::find(want.begin(), want.end(), tabPage_[t]) == want.end()) {
        TabCtrl_DeleteItem(hwnd_, static_cast<int>(t));
        tabPage_.erase(tabPage_.begin() + static_cast<std::ptrdiff_t>(t));
        tabText_.erase(tabText_.begin() + static_cast<std::ptrdiff_t>(t));
      }
    // What is left is in page order, as is the wanted list: insert what is
    // missing at its place, and set captions that changed.
    for (size_t t = 0; t < want.size(); ++t) {
      std::wstring text = widen(pages[want[t]]->text());
      TCITEMW item{};
      item.mask = TCIF_TEXT;
      item.pszText = text.data();
      if (t < tabPage_.size() && tabPage_[t] == want[t]) {
        if (tabText_[t] == text) continue;
        SendMessageW(hwnd_, TCM_SETITEMW, t, reinterpret_cast<LPARAM>(&item));
        tabText_[t] = std::move(text);
        continue;
      }
      SendMessageW(hwnd_, TCM_INSERTITEMW, t, reinterpret_cast<LPARAM>(&item));
      tabPage_.insert(tabPage_.begin() + static_cast<std::ptrdiff_t>(t), want[t]);
      tabText_.insert(tabText_.begin() + static_cast<std::ptrdiff_t>(t), std::move(text));
    }
    // A strip without tabs is no stop for the Tab key: the keyboard goes
    // straight on to the page's controls.
    LONG_PTR style = GetWindowLongPtrW(hwnd_, GWL_STYLE);
    LONG_PTR wantStyle = tabPage_.empty() ? style & ~WS_TABSTOP : style | WS_TABSTOP;
    if (wantStyle != style) SetWindowLongPtrW(hwnd_, GWL_STYLE, wantStyle);
    current();
  }
  void current() {
    Renderer::Quiet q(r_);
    int sel = -1;
    for (size_t t = 0; t < tabPage_.size(); ++t)
      if (tabPage_[t] == model_.activePageIndex()) sel = static_cast<int>(t);
    if (TabCtrl_GetCurSel(hwnd_) != sel) TabCtrl_SetCurSel(hwnd_, sel);
    for (form::Control* page : model_.pages())
      if (NativeControl* n = r_.native(*page)) n->apply(Prop::Visible);
  }
  void apply(Prop prop) override {
    if (prop == Prop::ActivePage) {
      current();
      return;
    }
    if (prop == Prop::TabVisible) {  // a page's tab, told by the renderer
      tabs();
      return;
    }
    NativeControl::apply(prop);
  }
  void pageTabChanged() { tabs(); }
  LRESULT notify(const NMHDR& n) override {
    if (n.code == TCN_SELCHANGE && !r_.quiet()) {
      int t = TabCtrl_GetCurSel(hwnd_);
      if (t >= 0 && t < static_cast<int>(tabPage_.size())) {
        int page = tabPage_[t];
        r_.fromUser([this, page] { model_.form().userSelectPage(model_, page); });
      }
      current();
    }
    return 0;
  }
  void command(HWND, UINT) override {}

 private:
  std::vector<int> tabPage_;             // the page of each tab item
  std::vector<std::wstring> tabText_;    // and its caption
};

class PageCtl : public ContainerCtl {
 public:
  using ContainerCtl::ContainerCtl;
  void apply(Prop prop) override {
    if (prop == Prop::TabVisible || prop == Prop::Text) {
      if (auto* pc = dynamic_cast<PageControlCtl*>(r_.native(*model_.parent())))
        pc->pageTabChanged();
      return;
    }
    ContainerCtl::apply(prop);
  }
};

class StatusBarCtl : public NativeControl {
 public:
  using NativeControl::NativeControl;
  void create() override {
    hwnd_ = make(STATUSCLASSNAMEW,
                 CCS_NORESIZE | CCS_NOPARENTALIGN | SBARS_SIZEGRIP | stateStyle(),
                 0, L"");
    parts();
  }
  // The text in the first part; the items, when there are any, in parts of
  // their own at the right end (such as the rights the program runs with).
  void parts() {
    const auto& items = model_.items();
    RECT rc{};
    GetClientRect(hwnd_, &rc);
    const int each = r_.scale(72);
    int right = rc.right - r_.scale(16) - each * static_cast<int>(items.size());
    std::vector<int> edges{items.empty() ? -1 : std::max(right, 0)};
    for (size_t i = 0; i < items.size(); ++i) {
      right += each;
      edges.push_back(i + 1 == items.size() ? -1 : right);
    }
    SendMessageW(hwnd_, SB_SETPARTS, edges.size(),
                 reinterpret_cast<LPARAM>(edges.data()));
    for (size_t i = 0; i < items.size(); ++i)
      SendMessageW(hwnd_, SB_SETTEXTW, i + 1,
                   reinterpret_cast<LPARAM>(widen(items[i]).c_str()));
    SendMessageW(hwnd_, SB_SETTEXTW, 0,
                 reinterpret_cast<LPARAM>(widen(model_.text()).c_str()));
  }
  void apply(Prop prop) override {
    if (prop == Prop::Text || prop == Prop::Items) return parts();
    NativeControl::apply(prop);
    if (prop == Prop::Bounds) parts();
  }
  // A click anywhere on the bar is the bar's click.
  LRESULT notify(const NMHDR& n) override {
    if (n.code == NM_CLICK)
      r_.fromUser([this] { model_.form().userClick(model_); });
    return 0;
  }
};

}  // namespace

std::unique_ptr<NativeControl> makeNative(const NativeParams& p) {
  switch (p.model.kind()) {
    case Kind::Edit: return std::make_unique<EditCtl>(p);
    case Kind::Memo:
      if (p.model.style().outputView) return makeOutputView(p);
      return std::make_unique<MemoCtl>(p);
    case Kind::Button: return std::make_unique<ButtonCtl>(p);
    case Kind::CheckBox: return std::make_unique<CheckBoxCtl>(p);
    case Kind::Label: return std::make_unique<LabelCtl>(p);
    case Kind::RadioGroup: return std::make_unique<RadioGroupCtl>(p);
    case Kind::ComboBox: return std::make_unique<ComboCtl>(p);
    case Kind::PageControl: return std::make_unique<PageControlCtl>(p);
    case Kind::Page: return std::make_unique<PageCtl>(p);
    case Kind::StatusBar: return std::make_unique<StatusBarCtl>(p);
    case Kind::Graph: return makeGraphView(p);
    case Kind::Splitter: return makeSplitter(p);
    case Kind::Panel:
    case Kind::GroupBox:
      return std::make_unique<ContainerCtl>(p);
  }
  return nullptr;
}

}  // namespace velquin::win32
