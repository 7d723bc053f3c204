#pragma once
// The pathping page of the data selection page.

#include "app/main_window.h"

namespace velquin::builders {

class PathpingPage : public app::PageUnit {
 public:
  explicit PathpingPage(app::TfrmMain& main);

 private:
  app::TfrmMain& main_;
};

}  // namespace velquin::builders
