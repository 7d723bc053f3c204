#pragma once
// The nbtstat page of the data selection page.

#include "app/main_window.h"

namespace velquin::builders {

class NbtstatPage : public app::PageUnit {
 public:
  explicit NbtstatPage(app::TfrmMain& main);

 private:
  app::TfrmMain& main_;
};

}  // namespace velquin::builders
