#pragma once
// The arp page of the data selection page: one of five operations on the
// address resolution table, with the one or two fields each needs.

#include <memory>

#include "app/main_window.h"

namespace velquin::builders {

class ArpPage : public app::PageUnit {
 public:
  explicit ArpPage(app::TfrmMain& main);
  ~ArpPage() override;

  // A pick in RadioGroup5: shows the operation's fields with placeholders.
  void ActRG_selectExecute();
  // Focus entering Edit_arp1 / Edit_arp2: empties the field.
  void Act_Edit_clear1Execute();
  void Act_Edit_clear2Execute();
  // Button5: writes the command line into Edit1.
  void Act_btn_arpSetExecute();

 private:
  app::TfrmMain& main_;
  struct Controls;
  std::unique_ptr<Controls> c_;
};

}  // namespace velquin::builders
