#include "builders/netstat_page.h"

namespace velquin::builders {

using form::Kind;

NetstatPage::NetstatPage(app::TfrmMain& main) : main_(main) {
  form::Form& f = main_.form();
  f.add({.name = "TS_netstat", .kind = Kind::Page, .parent = "PageControl2",
         .text = "netstat"});
}

}  // namespace velquin::builders
