#include "help/help_page.h"

#include <string>

#include "help/usage_texts.h"

namespace velquin::help {

using form::Align;
using form::Kind;

namespace {

std::string memoName(int item) { return "MemoH" + std::to_string(item); }

// The route text is the one whose memo leaves Enter to the window's
// default button.
constexpr int kNoEnterItem = 4;

}  // namespace

HelpPage::HelpPage(app::TfrmMain& main) : main_(main) {
  form::Form& f = main_.form();
  // Left end of Panel5, before the version and reset buttons, on screen
  // and in the tab order.
  f.add({.name = "btnHelp1", .kind = Kind::Button, .parent = "Panel5",
         .before = "btnHelp3", .text = "Help", .bounds = {4, 0, 60, 22},
         .action = "Act_btnH1"});
  f.add({.name = "btnHelp2", .kind = Kind::Button, .parent = "Panel5",
         .before = "btnHelp3", .text = "Link", .bounds = {68, 0, 60, 22},
         .action = "Act_btnH2"});
  f.addAction({"Act_btnH1", "Help", "", [this] { Act_btnH1Execute(); }});
  f.addAction({"Act_btnH2", "Help", "", [this] { Act_btnH2Execute(); }});

  // The usage texts share the area below Panel5; one shows at a time, and
  // the shown one fills it. The user may edit them; nothing is kept.
  for (int k = 0; k < kUsageCount; ++k)
    memos_[k] = &f.add({.name = memoName(k), .kind = Kind::Memo, .parent = "TabSheet5",
           .text = usageText(k),
           .style = {.align = Align::Client,
                     .scrollBars = form::ScrollBars::Both,
                     .wantReturn = k != kNoEnterItem},
           .visible = k == 0});

  selector_ = &f["RadioGroupH"];
  selector_->action = "Act_RBH_Click";
  f.addAction({"Act_RBH_Click", "Help", "", [this] { Act_RBH_ClickExecute(); }});
}

void HelpPage::Act_RBH_ClickExecute() {
  const int item = selector_->itemIndex();
  // Hide the others first, so that the chosen text takes the whole area.
  for (int k = 0; k < kUsageCount; ++k)
    if (k != item) memos_[k]->setVisible(false);
  for (int k = 0; k < kUsageCount; ++k)
    if (k == item) memos_[k]->setVisible(true);
}

void HelpPage::Act_btnH1Execute() { openHelpFile("help.html"); }

void HelpPage::Act_btnH2Execute() { openHelpFile("link.html"); }

void HelpPage::openHelpFile(const char* name) {
  // The outcome is not examined: a missing file or folder shows nothing.
  main_.platform().shellOpen(main_.startFolder() + "\\Net_Help\\" + name);
}

}  // namespace velquin::help
