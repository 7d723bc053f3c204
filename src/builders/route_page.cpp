#include "builders/route_page.h"

namespace velquin::builders {

using form::Kind;

RoutePage::RoutePage(app::TfrmMain& main) : main_(main) {
  form::Form& f = main_.form();
  f.add({.name = "TS_route", .kind = Kind::Page, .parent = "PageControl2",
         .text = "route"});
}

}  // namespace velquin::builders
