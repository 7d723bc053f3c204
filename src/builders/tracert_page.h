#pragma once
// The tracert page of the data selection page.

#include "app/main_window.h"

namespace velquin::builders {

class TracertPage : public app::PageUnit {
 public:
  explicit TracertPage(app::TfrmMain& main);

 private:
  app::TfrmMain& main_;
};

}  // namespace velquin::builders
