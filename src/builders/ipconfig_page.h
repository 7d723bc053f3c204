#pragma once
// The ipconfig page of the data selection page: one of eight ipconfig
// operations picked from a radio group, plus an adapter name for the two
// operations that take one (release and renew).

#include <memory>

#include "app/main_window.h"

namespace velquin::builders {

class IpconfigPage : public app::PageUnit {
 public:
  explicit IpconfigPage(app::TfrmMain& main);
  ~IpconfigPage() override;
  // The page comes forward: the user starts at RadioGroup2.
  void toolChosen() override;

  // The page gets its size (first showing, window resized): the adapter
  // controls come back and the command line and adapter name are emptied.
  void TS_ipconfigResize();
  // An operation was picked: writes its command line at once, or, for
  // release and renew, stores the command's prefix and asks for an adapter.
  void Act_RB2_ClickExecute();
  // Confirm button: the prefix of release or renew plus the adapter name.
  void Act_btnIPC_ClickExecute();

 private:
  void showAdapterControls(bool on);

  app::TfrmMain& main_;
  struct Controls;
  std::unique_ptr<Controls> c_;
};

}  // namespace velquin::builders
