#include "win32/control_kinds.h"

#include <string>

#include "form/form.h"
#include "win32/renderer.h"
#include "win32/text.h"

namespace velquin::win32 {

using form::Kind;
using form::Prop;

namespace {

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

}  // namespace

std::unique_ptr<NativeControl> makeEdit(const NativeParams& p) {
  return std::make_unique<EditCtl>(p);
}
std::unique_ptr<NativeControl> makeMemo(const NativeParams& p) {
  return std::make_unique<MemoCtl>(p);
}

}  // namespace velquin::win32
