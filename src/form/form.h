#pragma once
// The portable model of one window: its controls by name, its actions, the
// focus, the layout, and the form-state rules that every page relies on.

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "form/control.h"

namespace velquin::form {

// What the renderer learns from the model, and the one thing it answers:
// the current text of a memo that the user edited natively.
class View {
 public:
  virtual ~View() = default;
  virtual void changed(Control& control, Prop prop) = 0;
  virtual void appended(Control& memo, std::string_view text) = 0;
  virtual void focusMoved(Control* control) = 0;
  virtual void windowChanged() = 0;  // caption, outer bounds or shown
  virtual std::string readText(const Control& memo) = 0;
  // The window asks to be called back (Form::userTimer) once, ms
  // milliseconds from now; -1 withdraws the request.
  virtual void timerRequested(int ms) { (void)ms; }
  // The window, shown already, is to come to the front.
  virtual void broughtToFront() {}
};

// A command of the window's own menu (the system menu, Alt+Space), added
// before the window is created.
struct WindowCommand {
  std::string caption;
  Handler run;
};

struct Action {
  std::string name;
  std::string category;
  std::string caption;
  Handler execute;
};

// Declaration of one control: what a page unit writes to create it.
struct Decl {
  std::string name;
  Kind kind = Kind::Panel;
  std::string parent;  // "" = the form itself
  // A sibling declared earlier that this control comes before in the tab
  // order; "" = after every sibling declared so far.
  std::string before;
  std::string text;
  Rect bounds;
  Style style;
  std::vector<std::string> items;
  int itemIndex = -1;
  bool visible = true;
  bool enabled = true;
  bool checked = false;
  bool readOnly = false;
  std::string hint;
  Font font;
  // What the control does: the named action that its click runs, or its own
  // click handler, and its other events. Declared with the control so that
  // a page reads as one block per control.
  std::string action;
  Handler onClick;
  Handler onEnter;
  Handler onChange;
  Handler onResize;
  Handler onShow;
};

class Form {
 public:
  explicit Form(std::string name);
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;
  ~Form();

  const std::string& name() const { return name_; }

  Control& add(const Decl& decl);
  Control& operator[](std::string_view name) const;  // throws if unknown
  Control* find(std::string_view name) const;
  // Every control in declaration order (which is also the tab order).
  const std::vector<std::unique_ptr<Control>>& controls() const {
    return controls_;
  }
  std::vector<Control*> roots() const;

  void addAction(Action action);
  // Every name that a declaration refers to (a control's action, a label's
  // accelerator target) exists; throws naming the first that does not.
  // Run once the whole window is declared, so a misspelt name fails at
  // start-up instead of when the user first clicks.
  void checkNames() const;
  const Action* findAction(std::string_view name) const;
  // Runs the action's handler synchronously; unknown names throw.
  void execute(std::string_view name);

  // Window
  const std::string& caption() const { return caption_; }
  void setCaption(std::string caption);
  const Rect& windowBounds() const { return window_; }
  void setWindowBounds(Rect r);  // outer rectangle, screen pixels
  // Shown on the desktop; a window starts hidden.
  bool windowVisible() const { return windowVisible_; }
  void setWindowVisible(bool on);
  // Brings the window, shown already, to the front with the keyboard.
  void bringToFront() {
    ++frontings_;
    if (view_) view_->broughtToFront();
  }
  int frontings() const { return frontings_; }
  // A fixed frame with a close box only, as dialogs have; set before the
  // window is created.
  bool dialogFrame() const { return dialogFrame_; }
  void setDialogFrame(bool on) { dialogFrame_ = on; }
  // Client area in 96-DPI units; lays the controls out again and runs the
  // resize event of every showing control whose size changed.
  void setClientSize(int width, int height);
  void relayout();

  // Focus
  Control* focused() const { return focused_; }
  bool canFocus(const Control& c) const;
  // A handler moves the focus: the enter event runs as the focus arrives.
  bool setFocus(Control& c);

  // The check boxes that are one tab stop with this one (consecutive
  // siblings of the same tab group), in order; just this one when it is in
  // no group.
  std::vector<Control*> tabGroup(const Control& member) const;
  // The box of the group that the Tab key enters at: the ticked one, else
  // the first (visible and enabled).
  Control* tabStop(const Control& member) const;

  // The user's actions, as the renderer reports them.
  // The keyboard focus arrived at a window of this control: an arrival runs
  // the enter event; the control that has it already is not entered again
  // (the focus coming back from another window). A control that cannot
  // take the focus leaves the model with no focused control.
  void userFocus(Control& c);
  // A button pressed from the keyboard (its accelerator, Enter for the
  // default button): clicked where the focus stays.
  void userPress(Control& c);
  // A mouse click (button, check box, label, status bar): the focus moves
  // to the control first.
  void userClick(Control& c);
  // A key pressed while the control has the focus; true when it took it.
  bool userKey(Control& c, Key key);
  void userPickItem(Control& c, int index);  // radio group or combo box list
  void userType(Control& c, std::string text);
  void userSelectPage(Control& pageControl, int index);
  // Label accelerator: focus goes to the label's target.
  void userAccelerator(Control& label);

  // Keys that run an action while the focus is on the control scope or one
  // inside it, named as "Ctrl+F", "Shift+F3", "Enter", "Esc". The later of
  // two shortcuts for one key wins where both apply.
  void addShortcut(std::string key, std::string scope, std::string action);
  // A key pressed by the user: true when a shortcut took it.
  bool userShortcut(std::string_view key);
  // Commands of the window's system menu (Alt+Space).
  void addWindowCommand(WindowCommand command) {
    windowCommands_.push_back(std::move(command));
  }
  const std::vector<WindowCommand>& windowCommands() const {
    return windowCommands_;
  }
  void userWindowCommand(size_t index);

  // A call of onTimer once, ms milliseconds from now (the window's timer,
  // for work that goes on by itself); a later request replaces the one
  // before, -1 withdraws it.
  void requestTimer(int ms);
  int timerMs() const { return timerMs_; }  // the request pending, -1: none
  Handler onTimer;
  // The renderer: the time of the request came.
  void userTimer();

  void setView(View* view) { view_ = view; }
  View* view() const { return view_; }

 private:
  friend class Control;
  void layoutChildren(Control* parent, const Rect& client,
                      std::vector<Control*>& resized);
  void pageBecameActive(Control& page);
  void runResize(std::vector<Control*>& resized);
  Rect clientRectOf(const Control& c) const;

  std::string name_;
  std::vector<std::unique_ptr<Control>> controls_;
  std::map<std::string, Control*, std::less<>> byName_;
  std::map<std::string, Action, std::less<>> actions_;
  std::string caption_;
  Rect window_;
  bool windowVisible_ = false;
  bool dialogFrame_ = false;
  int clientW_ = 0;
  int clientH_ = 0;
  Control* focused_ = nullptr;
  View* view_ = nullptr;
  int timerMs_ = -1;
  int frontings_ = 0;
  struct Shortcut {
    std::string key, scope, action;
  };
  std::vector<Shortcut> shortcuts_;
  std::vector<WindowCommand> windowCommands_;
};

// Size of a page control's tab strip in 96-DPI units while any tab shows.
inline constexpr int kTabStripHeight = 20;
// Frame of a group box or radio group: caption line on top, border around.
inline constexpr int kGroupCaption = 14;
inline constexpr int kGroupBorder = 4;

}  // namespace velquin::form
