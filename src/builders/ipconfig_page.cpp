#include "builders/ipconfig_page.h"

namespace velquin::builders {

using form::Kind;

IpconfigPage::IpconfigPage(app::TfrmMain& main) : main_(main) {
  form::Form& f = main_.form();
  f.add({.name = "TS_ipconfig", .kind = Kind::Page, .parent = "PageControl2",
         .text = "ipconfig"});
}

}  // namespace velquin::builders
