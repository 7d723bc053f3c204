#pragma once
// The nslookup page of the data selection page.

#include "app/main_window.h"

namespace velquin::builders {

class NslookupPage : public app::PageUnit {
 public:
  explicit NslookupPage(app::TfrmMain& main);

 private:
  app::TfrmMain& main_;
};

}  // namespace velquin::builders
