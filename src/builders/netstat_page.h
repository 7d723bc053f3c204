#pragma once
// The netstat page of the data selection page: one display out of seven,
// a refinement for the protocol statistics, and a list of protocol names.

#include <memory>

#include "app/main_window.h"

namespace velquin::builders {

class NetstatPage : public app::PageUnit {
 public:
  explicit NetstatPage(app::TfrmMain& main);
  ~NetstatPage() override;
  // The page comes forward: the user starts at RadioGroup3.
  void toolChosen() override;

  // A new display clears the refinement and shows only the fields it uses.
  void RadioGroup3Click();
  void RadioGroup3_2Click();
  // Writes the netstat command line into Edit1.
  void Act_btnNetstat_ClickExecute();

 private:
  app::TfrmMain& main_;
  struct Controls;
  std::unique_ptr<Controls> c_;
};

}  // namespace velquin::builders
