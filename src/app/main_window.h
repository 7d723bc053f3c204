#pragma once
// TfrmMain: the main window. It owns the window model, the controls that
// every page shares (the command line field, the output view, the flag
// fields, the bottom panel and the page controls) and the page units.

#include <memory>
#include <utility>
#include <string>
#include <string_view>
#include <vector>

#include "app/user_state.h"
#include "form/form.h"
#include "platform/platform.h"

namespace velquin::app {

// A unit that declares its own controls on the main window and binds its
// handlers; it lives as long as the main window.
class PageUnit {
 public:
  virtual ~PageUnit() = default;
  // The window is shown for the first time: pages hide the tabs of their
  // own page controls here.
  virtual void formShown() {}
  // The window is closing: units put what they keep across starts into the
  // program's state file, which is written next.
  virtual void formClosing() {}
  // The tool selector brought this unit's page to the front: the unit puts
  // the focus where the user starts.
  virtual void toolChosen() {}
};

inline constexpr const char* kProductName = "Velquin";
inline constexpr const char* kMainCaption = "Velquin ";

// Design placement of the main window: left and top in screen pixels, the
// outer width and height in 96-DPI units (scaled for the screen).
inline constexpr form::Rect kDesignBounds{233, 149, 612, 476};

// Index of each tool in the selector, and its page in PageControl2 (+1).
enum Tool {
  kIpconfig, kPing, kNetstat, kNbtstat, kRoute, kTracert, kNet, kArp,
  kNslookup, kPathping, kToolCount
};

class Settings;

class TfrmMain {
 public:
  explicit TfrmMain(platform::Platform& platform);
  ~TfrmMain();
  TfrmMain(const TfrmMain&) = delete;
  TfrmMain& operator=(const TfrmMain&) = delete;

  form::Form& form() { return form_; }
  form::Control& operator[](std::string_view name) const { return form_[name]; }
  platform::Platform& platform() { return platform_; }
  const std::string& startFolder() const { return startFolder_; }
  // What the program keeps across starts beside the settings file; read
  // when the window is created, written when it closes.
  UserState& state() { return state_; }

  // The program's other top-level windows (the about box), by name.
  void addWindow(form::Form& window) { windows_.push_back(&window); }
  form::Form* window(std::string_view name) const;
  // The design placement scaled for the screen's dots per inch.
  form::Rect designBounds();

  // Takes ownership of a page unit (built after the shell's own controls).
  template <class Unit, class... Args>
  Unit& addUnit(Args&&... args) {
    auto u = std::make_unique<Unit>(*this, std::forward<Args>(args)...);
    Unit& ref = *u;
    units_.push_back(std::move(u));
    return ref;
  }
  // A tool's page unit, told when the selector brings its page forward.
  template <class Unit>
  Unit& addTool(Tool tool) {
    Unit& unit = addUnit<Unit>();
    tools_[tool] = &unit;
    return unit;
  }

  // Window events
  void FormCreate();
  void FormShow();
  void FormClose();
  void FormActivate();

  // Shell handlers
  void btnCloseClick();
  void Act_ReNewExecute();
  void Act_RefleshExecute();
  void btnRefleshClick();
  void PageControl1Change();
  // "Version": shows the about box centred over the main window.
  void Act_btnH3Execute();

  // Tool selector
  void Act_RB_ClickExecute();

  // Maker's pages, opened from the link labels of the first page.
  void Label10Click();
  void Label11Click();

 private:
  void declareShell();
  void declareSelector();
  void declareTopPage();

  platform::Platform& platform_;
  form::Form form_;
  std::string startFolder_;
  UserState state_;
  std::vector<std::unique_ptr<PageUnit>> units_;
  struct Controls;
  std::unique_ptr<Controls> c_;
  PageUnit* tools_[kToolCount] = {};
  std::vector<form::Form*> windows_;
  Settings* settings_ = nullptr;
};

inline constexpr const char* kMakerName = "Velquin Project";
inline constexpr const char* kMakerSite = "https://velquin.example.jp/";
inline constexpr const char* kMakerHome = "https://www.velquin.example.jp/";

}  // namespace velquin::app
