#include "builders/nbtstat_page.h"

namespace velquin::builders {

using form::Kind;

NbtstatPage::NbtstatPage(app::TfrmMain& main) : main_(main) {
  form::Form& f = main_.form();
  f.add({.name = "TS_nbtstat", .kind = Kind::Page, .parent = "PageControl2",
         .text = "nbtstat"});
}

}  // namespace velquin::builders
