#pragma once
// The ping page of the data selection page: a target address and up to ten
// options on a panel of detail settings that opens on request.

#include <string_view>

#include <memory>

#include "app/main_window.h"

namespace velquin::builders {

class PingPage : public app::PageUnit {
 public:
  explicit PingPage(app::TfrmMain& main);
  ~PingPage() override;
  // The page comes forward: the user starts at Edit3.
  void toolChosen() override;

  // The page gets its size: the command line is emptied, nothing else.
  void TS_pingResize();
  // Detail settings button: opens the option panel, or closes it again.
  void Act_btnPingS_ClickExecute();
  // Each value field is emptied every time it receives the focus, so the
  // user types over the console's default shown there.
  void Act_Ed3n_EnterExecute();
  void Act_Ed3l_EnterExecute();
  void Act_Ed3i_EnterExecute();
  void Act_Ed3v_EnterExecute();
  void Act_Ed3r_EnterExecute();
  void Act_Ed3s_EnterExecute();
  void Act_Ed3w_EnterExecute();
  // Confirm button: builds the ping command line into Edit1.
  void Act_btnPingC_ClickExecute();

 private:
  void declareOptions();
  form::Handler enterAction(const char* action, void (PingPage::*handler)());

  app::TfrmMain& main_;
  struct Controls;
  std::unique_ptr<Controls> c_;
};

}  // namespace velquin::builders
