#pragma once
// The route page of the data selection page.

#include "app/main_window.h"

namespace velquin::builders {

class RoutePage : public app::PageUnit {
 public:
  explicit RoutePage(app::TfrmMain& main);

 private:
  app::TfrmMain& main_;
};

}  // namespace velquin::builders
