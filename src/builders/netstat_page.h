#pragma once
// The netstat page of the data selection page.

#include "app/main_window.h"

namespace velquin::builders {

class NetstatPage : public app::PageUnit {
 public:
  explicit NetstatPage(app::TfrmMain& main);

 private:
  app::TfrmMain& main_;
};

}  // namespace velquin::builders
