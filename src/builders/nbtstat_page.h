#pragma once
// The nbtstat page of the data selection page: an optional remote machine,
// given by name or by address, and one of seven options.

#include <memory>

#include "app/main_window.h"

namespace velquin::builders {

class NbtstatPage : public app::PageUnit {
 public:
  explicit NbtstatPage(app::TfrmMain& main);
  ~NbtstatPage() override;
  // The page comes forward: the user starts at Edit4.
  void toolChosen() override;

  // Picking an option withdraws the line built before it.
  void Act_RB42_EnterExecute();
  // Writes the nbtstat command line into Edit1.
  void Act_btnNB_SetExecute();

 private:
  app::TfrmMain& main_;
  struct Controls;
  std::unique_ptr<Controls> c_;
};

}  // namespace velquin::builders
