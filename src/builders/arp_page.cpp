#include "builders/arp_page.h"

namespace velquin::builders {

using form::Kind;

ArpPage::ArpPage(app::TfrmMain& main) : main_(main) {
  form::Form& f = main_.form();
  f.add({.name = "TS_arp", .kind = Kind::Page, .parent = "PageControl2",
         .text = "arp"});
}

}  // namespace velquin::builders
