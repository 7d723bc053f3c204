#pragma once
// The net page of the data selection page.

#include "app/main_window.h"

namespace velquin::net {

class NetPage : public app::PageUnit {
 public:
  explicit NetPage(app::TfrmMain& main);

 private:
  app::TfrmMain& main_;
};

}  // namespace velquin::net
