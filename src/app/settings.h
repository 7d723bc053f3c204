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

// value * by / per, rounded to the nearest integer.
long long scaleRounded(long long value, long long by, long long per);

// The window moved and sized so that the user can reach it: a size below the
// minimum is raised to it; the middle of the caption must lie on a monitor's
// work area, whose size then bounds the window's; a window whose caption
// lies on none is moved onto the nearest work area.
form::Rect reachable(const form::Rect& window, platform::Platform& os,
                     int minWidth, int minHeight);

class Settings : public PageUnit {
 public:
  explicit Settings(TfrmMain& main);

  void Act_ini_readExecute();
  void Act_ini_SetExecute();
  void Act_ini_writeExecute();

  // Lines 2 to 5 as read (top, left, width, height, in that order), each
  // applied to the window when it is not empty, then the window kept where
  // the user can reach it. The file holds them in the unit of a program
  // unaware of display scaling (screen pixels over the system DPI / 96), so
  // that it stays right when the scale changes; at 96 DPI, screen pixels.
  void applyStoredBounds();

 private:
  std::string path() const;

  TfrmMain& main_;
};

}  // namespace velquin::app
