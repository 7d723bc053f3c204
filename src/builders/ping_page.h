#pragma once
// The ping page of the data selection page.

#include "app/main_window.h"

namespace velquin::builders {

class PingPage : public app::PageUnit {
 public:
  explicit PingPage(app::TfrmMain& main);

 private:
  app::TfrmMain& main_;
};

}  // namespace velquin::builders
