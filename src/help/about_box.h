#pragma once
// TfrmAbout: the about box. A second top-level window with the product
// name, the version (which the settings file also records), two notice
// lines and the maker's links. It is created once, hidden, right after the
// main window, and lives until the program ends: closing it only hides it.

#include "form/form.h"
#include "platform/platform.h"

namespace velquin::help {

inline constexpr const char* kVersionCaption = "Version " VELQUIN_VERSION;

class TfrmAbout {
 public:
  explicit TfrmAbout(platform::Platform& platform);
  TfrmAbout(const TfrmAbout&) = delete;
  TfrmAbout& operator=(const TfrmAbout&) = delete;

  form::Form& form() { return form_; }

  // Its close button and its close box: hidden, not destroyed.
  void btnCloseClick();
  void Label10Click();
  void Label11Click();

 private:
  platform::Platform& platform_;
  form::Form form_;
};

}  // namespace velquin::help
