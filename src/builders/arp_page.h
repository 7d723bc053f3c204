#pragma once
// The arp page of the data selection page.

#include "app/main_window.h"

namespace velquin::builders {

class ArpPage : public app::PageUnit {
 public:
  explicit ArpPage(app::TfrmMain& main);

 private:
  app::TfrmMain& main_;
};

}  // namespace velquin::builders
