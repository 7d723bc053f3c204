#pragma once
// The Win32 renderer of one model window: a native window per model
// control, laid out from the model (scaled for the monitor's DPI), native
// notifications routed into the model's user entry points, and the model's
// changes applied to the native controls.

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "form/form.h"
#include "win32/controls.h"

namespace velquin::win32 {

class Renderer : public form::View {
 public:
  // The window's class is "T" and the model's name ("frmMain" makes a
  // TfrmMain), registered by the renderer; the model's name is the window's
  // Name property.
  explicit Renderer(form::Form& form);
  ~Renderer() override;
  Renderer(const Renderer&) = delete;
  Renderer& operator=(const Renderer&) = delete;

  // Creates the top-level window and the controls on view, hidden; the
  // controls of a page get their windows when the page is first shown. A
  // window or control that cannot be created throws: the screen never lacks
  // a part of the model that it shows.
  void create(HWND owner);
  // The same, once the model first asks for the window to be shown: for a
  // window that most runs never open.
  void createWhenShown(HWND owner);
  HWND hwnd() const { return hwnd_; }
  form::Form& model() { return form_; }

  // Keyboard handling before dispatch: accelerators ("&G" is Alt+G), Enter
  // for the default button, Tab and arrows between controls. True when the
  // message was taken.
  bool preTranslate(MSG& msg);

  // Runs a model entry point for the user: counts the depth of handlers on
  // the stack and keeps exceptions from crossing the window procedure.
  void fromUser(const std::function<void()>& act);
  int handlerDepth() const { return depth_; }

  // Window events that the owner of the renderer answers.
  std::function<void()> onClose;     // close box, Alt+F4, WM_CLOSE
  std::function<void()> onActivate;

  // form::View
  void changed(form::Control& control, form::Prop prop) override;
  void appended(form::Control& memo, std::string_view text) override;
  void focusMoved(form::Control* control) override;
  void windowChanged() override;
  std::string readText(const form::Control& memo) override;
  void timerRequested(int ms) override;
  void broughtToFront() override;

  // For the controls
  int scale(int v) const { return MulDiv(v, dpi_, 96); }
  int unscale(int v) const { return MulDiv(v, 96, dpi_); }
  HFONT font(const form::Font& f);
  HWND tooltip() const { return tooltip_; }
  bool quiet() const { return quiet_ > 0; }
  struct Quiet {
    explicit Quiet(Renderer& r) : r_(r) { ++r_.quiet_; }
    ~Quiet() { --r_.quiet_; }
    Renderer& r_;
  };
  NativeControl* native(const form::Control& c) const;
  WindowTable& windows() { return windows_; }
  // The renderer of the top-level window that holds a window, or null.
  static Renderer* of(HWND h);
  void setName(HWND h, const std::string& name);
  void reportError(const std::string& what);

  static LRESULT CALLBACK containerProc(HWND, UINT, WPARAM, LPARAM);
  static LRESULT CALLBACK mainProc(HWND, UINT, WPARAM, LPARAM);
  static const wchar_t* containerClass();

 private:
  LRESULT handleMain(UINT msg, WPARAM wp, LPARAM lp);
  void applyDpi(int dpi);
  // Whether every page that holds the control is its page control's active
  // page: the control is on view, or would be if the window were shown.
  static bool onView(const form::Control& c);
  // Creates the windows of the controls on view that have none yet.
  void realize();
  void placeAll();
  void syncWindowBounds();
  bool accelerator(wchar_t ch);
  bool shortcut(UINT vk);
  // The model's window commands at the end of the system menu; their ids
  // step by 16, as the system keeps the low four bits for itself.
  void addWindowCommands();
  static constexpr WPARAM kFirstWindowCommand = 0x0100;
  bool pressDefault();

  form::Form& form_;
  HWND hwnd_ = nullptr;
  HWND owner_ = nullptr;
  bool deferred_ = false;  // created when first shown
  HWND tooltip_ = nullptr;
  int dpi_ = 96;
  int depth_ = 0;
  int quiet_ = 0;
  WindowTable windows_;  // outlives the controls, which leave it as they go
  std::vector<std::unique_ptr<NativeControl>> natives_;
  std::map<const form::Control*, NativeControl*> byModel_;
  std::map<std::tuple<bool, int>, HFONT> fonts_;
  std::vector<ATOM> atoms_;
};

}  // namespace velquin::win32
