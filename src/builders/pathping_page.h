#pragma once
// The pathping page of the data selection page: a target and ten options,
// seven of them with a value.

#include <memory>

#include "app/main_window.h"

namespace velquin::builders {

class PathpingPage : public app::PageUnit {
 public:
  explicit PathpingPage(app::TfrmMain& main);
  ~PathpingPage() override;

  // btnPPing: writes the command line into Edit1, or refuses without a
  // target.
  void btnPPingClick();

 private:
  app::TfrmMain& main_;
  struct Controls;
  std::unique_ptr<Controls> c_;
};

}  // namespace velquin::builders
