#pragma once
// One small class per kind of control. Each owns its native window(s),
// applies model properties to them and turns the notifications that its
// parent hands over into the model's user entry points.

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "form/control.h"
#include "win32/window_table.h"

namespace velquin::win32 {

class Renderer;
class NativeControl;

// What a control is created from.
struct NativeParams {
  Renderer& renderer;
  form::Control& model;
  HWND parent;
};

class NativeControl {
 public:
  explicit NativeControl(const NativeParams& p);
  virtual ~NativeControl();
  NativeControl(const NativeControl&) = delete;
  NativeControl& operator=(const NativeControl&) = delete;

  virtual void create() = 0;
  // A property of the model changed; the default handles the common ones.
  virtual void apply(form::Prop prop);
  virtual void append(std::string_view) {}
  virtual std::string readText() const;
  // WM_COMMAND / WM_NOTIFY sent by this control's window (or its parts).
  virtual void command(HWND from, UINT code);
  virtual LRESULT notify(const NMHDR&) { return 0; }
  // A navigation key pressed while this control has the focus; true when
  // the control took it.
  virtual bool key(UINT) { return false; }
  // The window that this control's children are created in.
  virtual HWND container() const { return hwnd_; }
  // Where the native focus goes when the model moves the focus here.
  virtual HWND focusTarget() const { return hwnd_; }
  virtual bool owns(HWND h) const { return h == hwnd_; }
  virtual void place();
  // Where the window belongs in its parent, in pixels, from the model.
  virtual RECT nativeRect() const;
  virtual void applyFont();
  // Every message of a window that watchFocus watches passes here; the
  // default hands it on unchanged to the window's own procedure.
  virtual LRESULT watched(HWND h, UINT msg, WPARAM wp, LPARAM lp, WNDPROC next);

  HWND hwnd() const { return hwnd_; }
  // This object stands for the window from now on (objectOf).
  void bind(HWND h);
  form::Control& model() const { return model_; }
  Renderer& renderer() const { return r_; }

 protected:
  // Creates a window of this control; the window reports the keyboard
  // focus arriving at it (watchFocus).
  // It is made at nativeRect(), or at `at` when given.
  HWND make(const wchar_t* cls, DWORD style, DWORD exStyle,
            const std::wstring& text, HWND parent = nullptr, int id = 0,
            const RECT* at = nullptr);
  // Every window that can hold the focus tells the model when it gets it,
  // so the model's focused control is always the real one.
  void watchFocus(HWND h);
  void applyVisible();
  void show(bool on);
  // WS_VISIBLE and WS_DISABLED as the model's state asks at creation.
  DWORD stateStyle() const;
  void setNativeText(const std::string& utf8);
  void addHint();
  // The size of a caption on one line in the control's font, the
  // accelerator mark not drawn.
  SIZE captionSize(const std::wstring& text) const;
  // A box widened to show its whole caption (mark: the room of a check
  // box's or radio button's mark before the text) as far as limit, the
  // right edge it must not pass; never narrower than it is.
  RECT fitCaption(RECT rc, const std::wstring& text, int mark, int limit) const;
  // The right edge that the control's box may reach in its parent: the
  // parent's edge, or the nearest control to its right that shares any of
  // its height (shown or not: it may show later).
  int roomRight(const RECT& rc) const;

  Renderer& r_;
  form::Control& model_;
  HWND parent_;
  HWND hwnd_ = nullptr;

  template <class Self>
  friend LRESULT CALLBACK objectProc(HWND, UINT, WPARAM, LPARAM);
};

// The window procedure of a window class of the program's own: messages go
// to the object that stands for the window (none before make() has bound
// it) through its handle(msg, wp, lp), and no exception leaves it.
template <class Self>
LRESULT CALLBACK objectProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = dynamic_cast<Self*>(objectOf(h));
  if (!self) return DefWindowProcW(h, msg, wp, lp);
  // make() hands the window its font before it returns the handle.
  if (!self->hwnd_) self->hwnd_ = h;
  try {
    return self->handle(msg, wp, lp);
  } catch (...) {
    return DefWindowProcW(h, msg, wp, lp);
  }
}

// Registers a window class of the program's own, once per process.
void registerClass(const wchar_t* name, WNDPROC proc, const wchar_t* cursor, UINT style = 0);

std::unique_ptr<NativeControl> makeNative(const NativeParams& p);

// The keyboard focus arrived at one of the control's windows: the model
// hears of it as the user's doing.
void focusArrived(NativeControl& n);

}  // namespace velquin::win32
