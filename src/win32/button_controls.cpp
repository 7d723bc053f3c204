#include "win32/control_kinds.h"

#include <string>
#include <vector>

#include "form/form.h"
#include "win32/renderer.h"
#include "win32/text.h"

namespace velquin::win32 {

using form::Kind;
using form::Prop;

namespace {

// The room of a check box's or radio button's mark and the gap after it.
int markWidth(const Renderer& r) { return r.scale(13 + 5); }

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
    if (prop == Prop::Text) place();
  }
  // Wide enough for its whole caption at this DPI and font, where there is
  // room for it.
  RECT nativeRect() const override {
    const RECT rc = ButtonCtl::nativeRect();
    return fitCaption(rc, widen(model_.text()), markWidth(r_), roomRight(rc));
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
    const std::wstring t = widen(model_.text());
    const SIZE text = captionSize(t);
    if (!model_.style().autoSize) {
      // A box of one line shows its whole caption where there is room; a
      // taller one wraps its text.
      if (rc.bottom - rc.top >= 2 * text.cy) return rc;
      return fitCaption(rc, t, 0, roomRight(rc));
    }
    // A label is as wide as its caption (the accelerator mark not drawn).
    rc.right = rc.left + text.cx + 2;
    if (text.cy > rc.bottom - rc.top) rc.bottom = rc.top + text.cy;
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
    // A caption wider than its column takes the room up to the next item
    // to its right, or to the frame when there is none.
    const bool last = (c + 1) * perCol >= n;
    const int limit = last ? r_.scale(b.width) - r_.scale(form::kGroupBorder) : x + colW - 2;
    return fitCaption({x, y, x + colW - 2, y + itemH}, widen(model_.items()[i]),
                      markWidth(r_), limit);
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

}  // namespace

std::unique_ptr<NativeControl> makeButton(const NativeParams& p) {
  return std::make_unique<ButtonCtl>(p);
}
std::unique_ptr<NativeControl> makeCheckBox(const NativeParams& p) {
  return std::make_unique<CheckBoxCtl>(p);
}
std::unique_ptr<NativeControl> makeLabel(const NativeParams& p) {
  return std::make_unique<LabelCtl>(p);
}
std::unique_ptr<NativeControl> makeRadioGroup(const NativeParams& p) {
  return std::make_unique<RadioGroupCtl>(p);
}

}  // namespace velquin::win32
