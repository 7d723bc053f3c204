#pragma once
// The ipconfig page of the data selection page.

#include "app/main_window.h"

namespace velquin::builders {

class IpconfigPage : public app::PageUnit {
 public:
  explicit IpconfigPage(app::TfrmMain& main);

 private:
  app::TfrmMain& main_;
};

}  // namespace velquin::builders
