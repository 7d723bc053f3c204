#include "win32/control_kinds.h"

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "form/form.h"
#include "win32/renderer.h"
#include "win32/text.h"

namespace velquin::win32 {

using form::Kind;
using form::Prop;

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

std::unique_ptr<NativeControl> makeContainer(const NativeParams& p) {
  return std::make_unique<ContainerCtl>(p);
}
std::unique_ptr<NativeControl> makePage(const NativeParams& p) {
  return std::make_unique<PageCtl>(p);
}
std::unique_ptr<NativeControl> makePageControl(const NativeParams& p) {
  return std::make_unique<PageControlCtl>(p);
}
std::unique_ptr<NativeControl> makeCombo(const NativeParams& p) {
  return std::make_unique<ComboCtl>(p);
}
std::unique_ptr<NativeControl> makeStatusBar(const NativeParams& p) {
  return std::make_unique<StatusBarCtl>(p);
}

}  // namespace velquin::win32
