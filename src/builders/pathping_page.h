#pragma once
// The pathping page of the data selection page: a target and ten options,
// seven of them with a value.

#include "app/main_window.h"

namespace velquin::builders {

class PathpingPage : public app::PageUnit {
 public:
  explicit PathpingPage(app::TfrmMain& main);

  // btnPPing: writes the command line into Edit1, or refuses without a
  // target.
  void btnPPingClick();

 private:
  app::TfrmMain& main_;
};

}  // namespace velquin::builders
