#pragma once
// The net page of the data selection page: four categories of sub-command
// check boxes on the left, the options of the ticked sub-command on the
// right, one confirm button. At most one box is ticked at a time; the
// confirm button runs every sub-command's builder, and only the ticked one
// writes its line.
//
// Adding a sub-command: give it a row in the table of net_page.cpp (its
// box, caption and hint come from there) and bind its handlers from a
// family unit (net_*.cpp) with NetPage::bind().

#include <array>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/main_window.h"

namespace velquin::net {

inline constexpr int kSubCommands = 22;

// The controls of the frame that the sub-commands share, found once when
// the page is built. The option area (TS_Select1) serves every sub-command
// that has no option page of its own.
struct OptionArea {
  explicit OptionArea(app::TfrmMain& main);

  form::Control& Edit1;
  form::Control& PageControl4;
  form::Control& TS_Select1;
  form::Control& ComboBox1;
  form::Control& Edit_net1;
  form::Control& LBL_Net1;
  form::Control& Edit_net2;
  form::Control& Edit_net3;
  form::Control& Edit_net4;
  form::Control& Memo4;
  form::Control& Panel10;
  form::Control& CheckBox1;
  form::Control& Edit7;
  form::Control& CheckBox2;
  form::Control& Edit8;
  platform::Platform& os;

  // The usual start of a check-box handler: the operations listed anew,
  // the list enabled, item 0 chosen (no change event) and on view.
  void listOperations(std::initializer_list<const char*> operations);
  int operation() const { return ComboBox1.itemIndex(); }
  // A field's placeholder written and the field shown.
  static void prompt(form::Control& field, const char* placeholder);
  // A required field is filled in when it holds neither nothing nor its
  // own placeholder (exact, whole text).
  static bool filled(const form::Control& field, std::string_view placeholder);
  void message(const char* text) { os.showMessage(text); }
  void writeLine(std::string line) { Edit1.setText(std::move(line)); }
};

// The three handlers of one sub-command: its check box's click, a change
// of operation in ComboBox1, and its command builder. Each runs only
// through its action; an unbound one does nothing.
struct SubCommand {
  form::Handler check;
  form::Handler change;
  form::Handler build;
};

// A family of sub-commands that share option pages or helpers; it lives as
// long as the page.
class Family {
 public:
  virtual ~Family() = default;
};

class NetPage : public app::PageUnit {
 public:
  explicit NetPage(app::TfrmMain& main);
  ~NetPage() override;

  void formShown() override;

  // Category choice in RadioGroup4: the page reset, then the category's page.
  void Act_TS_SelectExecute();
  // The net page comes forward: first category page and option area in
  // front; boxes, choices and texts stay.
  void TS_netShow();
  // The reset that keeps one sub-command at a time; runs as the focus
  // arrives at any sub-command box.
  void Act_CB_ClearExecute();
  // Confirm: every sub-command's builder in numeric order.
  void Act_btnNet_ClickExecute();
  // The user chose another operation: the item-change actions run.
  void ComboBox1Change();
  // Entering a value field empties it, whatever it holds.
  void Edit_net2Enter();
  void Edit_net3Enter();
  void Edit_net4Enter();

  // Binds the handlers of sub-command `number` (1 to 22).
  void bind(int number, SubCommand handlers);
  OptionArea& area() { return *area_; }
  app::TfrmMain& main() { return main_; }
  // The check box of sub-command `number`.
  form::Control& box(int number) const;

 private:
  void declareFrame();
  void declareOptionArea();
  void declareSubCommands();

  app::TfrmMain& main_;
  std::unique_ptr<OptionArea> area_;
  std::array<SubCommand, kSubCommands + 1> handlers_;
  // Controls the handlers use, taken from their declarations.
  std::array<form::Control*, kSubCommands + 1> boxes_{};
  std::array<form::Control*, 4> categoryPages_{};
  form::Control* radioGroup4_ = nullptr;
  form::Control* pageControl3_ = nullptr;
  std::vector<std::unique_ptr<Family>> families_;
};

}  // namespace velquin::net
