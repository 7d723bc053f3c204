#pragma once
// The help page: the usage text of the tool chosen in its selector, and the
// buttons that open the program's own help and link pages in the browser.

#include <array>

#include "app/main_window.h"
#include "help/usage_texts.h"

namespace velquin::help {

class HelpPage : public app::PageUnit {
 public:
  explicit HelpPage(app::TfrmMain& main);

  // Shows the usage text of the item chosen in RadioGroupH.
  void Act_RBH_ClickExecute();
  // Open Net_Help\help.html and Net_Help\link.html beneath the start folder.
  void Act_btnH1Execute();
  void Act_btnH2Execute();

 private:
  void openHelpFile(const char* name);

  app::TfrmMain& main_;
  // The usage memos and their selector, taken from their declarations.
  std::array<form::Control*, kUsageCount> memos_{};
  form::Control* selector_ = nullptr;
};

}  // namespace velquin::help
