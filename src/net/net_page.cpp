#include "net/net_page.h"

namespace velquin::net {

using form::Kind;

NetPage::NetPage(app::TfrmMain& main) : main_(main) {
  form::Form& f = main_.form();
  f.add({.name = "TS_net", .kind = Kind::Page, .parent = "PageControl2",
         .text = "net"});
}

}  // namespace velquin::net
