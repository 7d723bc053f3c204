#pragma once
// The settings file Velquin.ini in the start folder: the version that wrote
// it and the main window's top, left, width and height, one per line. The
// values travel through two rows of hidden labels on the help page: LBS1 to
// LBS5 as read from the file (and as written to it), LB_1 to LB_5 as taken
// from the running program.

#include <optional>
#include <string>

#include "app/main_window.h"

namespace velquin::app {

inline constexpr const char* kSettingsFile = "Velquin.ini";
inline constexpr const char* kNoSettingsFile = "ファイルが有りません。";

// A decimal integer that fits an int: an optional sign and digits only.
std::optional<int> decimalInteger(const std::string& text);

// The window moved and sized so that the user can reach it on the work
// area: a size outside [minimum, work area] is brought inside it, and a
// window whose top edge no longer lies on the work area is moved onto it.
form::Rect reachable(const form::Rect& window,
                     const platform::ScreenRect& work, int minWidth,
                     int minHeight);

class Settings : public PageUnit {
 public:
  explicit Settings(TfrmMain& main);

  void Act_ini_readExecute();
  void Act_ini_SetExecute();
  void Act_ini_writeExecute();

  // Lines 2 to 5 as read (top, left, width, height, in that order), each
  // applied to the window when it is not empty, then the window kept where
  // the user can reach it.
  void applyStoredBounds();

 private:
  std::string path() const;

  TfrmMain& main_;
};

}  // namespace velquin::app
