#include "builders/tracert_page.h"

namespace velquin::builders {

using form::Kind;

TracertPage::TracertPage(app::TfrmMain& main) : main_(main) {
  form::Form& f = main_.form();
  f.add({.name = "TS_tracert", .kind = Kind::Page, .parent = "PageControl2",
         .text = "tracert"});
}

}  // namespace velquin::builders
