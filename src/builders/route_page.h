#pragma once
// The route page of the data selection page: a global option, a route
// command and the five fields of a route.

#include <memory>

#include "app/main_window.h"

namespace velquin::builders {

class RoutePage : public app::PageUnit {
 public:
  explicit RoutePage(app::TfrmMain& main);
  ~RoutePage() override;
  // The page comes forward: the user starts at RadioGroup5_1.
  void toolChosen() override;

  // Writes the route command line into Edit1.
  void Act_btnRoute_ClickExecute();

 private:
  app::TfrmMain& main_;
  struct Controls;
  std::unique_ptr<Controls> c_;
};

}  // namespace velquin::builders
