#include "builders/nslookup_page.h"

namespace velquin::builders {

using form::Kind;

NslookupPage::NslookupPage(app::TfrmMain& main) : main_(main) {
  form::Form& f = main_.form();
  f.add({.name = "TS_nslookup", .kind = Kind::Page, .parent = "PageControl2",
         .text = "nslookup"});
}

}  // namespace velquin::builders
