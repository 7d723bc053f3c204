#include "builders/pathping_page.h"

namespace velquin::builders {

using form::Kind;

PathpingPage::PathpingPage(app::TfrmMain& main) : main_(main) {
  form::Form& f = main_.form();
  f.add({.name = "TS_pathping", .kind = Kind::Page, .parent = "PageControl2",
         .text = "pathping"});
}

}  // namespace velquin::builders
