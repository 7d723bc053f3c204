#pragma once
// The tracert page of the data selection page: a target and four options,
// three of them with a value.

#include <memory>

#include "app/main_window.h"

namespace velquin::builders {

class TracertPage : public app::PageUnit {
 public:
  explicit TracertPage(app::TfrmMain& main);
  ~TracertPage() override;
  // The page comes forward: the user starts at Edit6.
  void toolChosen() override;

  // Writes the tracert command line into Edit1.
  void Act_btnTrace_ClickExecute();

 private:
  app::TfrmMain& main_;
  struct Controls;
  std::unique_ptr<Controls> c_;
};

}  // namespace velquin::builders
