#include "builders/ping_page.h"

namespace velquin::builders {

using form::Kind;

PingPage::PingPage(app::TfrmMain& main) : main_(main) {
  form::Form& f = main_.form();
  f.add({.name = "TS_ping", .kind = Kind::Page, .parent = "PageControl2",
         .text = "ping"});
}

}  // namespace velquin::builders
