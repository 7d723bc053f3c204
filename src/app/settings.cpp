#include "app/settings.h"

#include <algorithm>
#include <climits>

namespace velquin::app {

using form::Kind;

namespace {

constexpr const char* kStored[] = {"LBS1", "LBS2", "LBS3", "LBS4", "LBS5"};
constexpr const char* kCurrent[] = {"LB_1", "LB_2", "LB_3", "LB_4", "LB_5"};

// Smallest window that still shows its caption and some of its page, in
// 96-DPI units.
constexpr int kMinWidth = 200;
constexpr int kMinHeight = 150;

}  // namespace

std::optional<int> decimalInteger(const std::string& text) {
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-'))
    negative = text[i++] == '-';
  if (i == text.size()) return std::nullopt;
  long long value = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    value = value * 10 + (text[i] - '0');
    if (value > static_cast<long long>(INT_MAX) + 1) return std::nullopt;
  }
  if (negative) value = -value;
  if (value < INT_MIN || value > INT_MAX) return std::nullopt;
  return static_cast<int>(value);
}

long long scaleRounded(long long value, long long by, long long per) {
  // To the nearest integer, halves away from zero, alike on both sides of
  // zero so that a bound stored left of the primary monitor keeps its place.
  const long long twice = 2 * value * by;
  return twice >= 0 ? (twice + per) / (2 * per) : -((per - twice) / (2 * per));
}

form::Rect reachable(const form::Rect& window, platform::Platform& os,
                     int minWidth, int minHeight) {
  // 64-bit throughout: stored values may be anywhere in the int range.
  auto clamp = [](long long v, long long lo, long long hi) {
    return std::max(lo, std::min(v, hi));
  };
  // A maximised window's outer rectangle reaches a frame's width past the
  // work area on every side; that much is left as it was stored.
  const long long slack = minHeight / 10;
  auto fit = [&](long long size, long long room) {
    return size > room + 2 * slack ? room : size;
  };
  long long l = window.left, t = window.top;
  long long w = std::max(window.width, minWidth);
  long long h = std::max(window.height, minHeight);
  // The user takes the window by its caption: the middle of its top edge,
  // below the frame, must lie on some monitor's work area. Sizes are cut to
  // that monitor's work area (or, while none holds it, to the nearest one's,
  // which may bring the middle onto it); a window whose caption still lies
  // on no work area goes onto the nearest one.
  auto caption = [&] {
    return os.workArea(static_cast<int>(clamp(l + w / 2, INT_MIN, INT_MAX)),
                       static_cast<int>(clamp(t + slack, INT_MIN, INT_MAX)));
  };
  platform::WorkArea at = caption();
  w = fit(w, at.rect.width);
  h = fit(h, at.rect.height);
  at = caption();
  if (!at.holds) {
    const platform::ScreenRect& a = at.rect;
    w = fit(w, a.width);
    h = fit(h, a.height);
    l = clamp(l, a.left, static_cast<long long>(a.left) + a.width - w);
    t = clamp(t, a.top, static_cast<long long>(a.top) + a.height - h);
  }
  return {static_cast<int>(l), static_cast<int>(t), static_cast<int>(w),
          static_cast<int>(h)};
}

Settings::Settings(TfrmMain& main) : main_(main) {
  form::Form& f = main_.form();
  for (int i = 0; i < 5; ++i) {
    f.add({.name = kCurrent[i], .kind = Kind::Label, .parent = "Panel5",
           .bounds = {330 + 20 * i, 4, 16, 14}, .visible = false});
    f.add({.name = kStored[i], .kind = Kind::Label, .parent = "Panel5",
           .bounds = {430 + 20 * i, 4, 16, 14}, .visible = false});
  }
  f.addAction({"Act_ini_read", "ini_file", "", [this] { Act_ini_readExecute(); }});
  f.addAction({"Act_ini_Set", "ini_file", "", [this] { Act_ini_SetExecute(); }});
  f.addAction({"Act_ini_write", "ini_file", "", [this] { Act_ini_writeExecute(); }});
}

std::string Settings::path() const {
  return main_.startFolder() + "\\" + kSettingsFile;
}

void Settings::Act_ini_readExecute() {
  std::string text;
  std::string values[5];
  if (!main_.platform().readTextFile(path(), text).ok) {
    main_.platform().showMessage(kNoSettingsFile);
  } else {
    // Lines end in CR LF as written here, or in LF or CR alone when the
    // file was edited elsewhere.
    size_t at = 0;
    for (int line = 0; line < 5 && at < text.size(); ++line) {
      size_t end = text.find_first_of("\r\n", at);
      if (end == std::string::npos) end = text.size();
      values[line] = text.substr(at, end - at);
      at = end;
      if (at < text.size() && text[at] == '\r') ++at;
      if (at < text.size() && text[at] == '\n') ++at;
    }
  }
  for (int i = 0; i < 5; ++i) main_[kStored[i]].setText(values[i]);
}

void Settings::Act_ini_SetExecute() {
  // The version is the about box's "Version 2.2.2" from its 9th character.
  std::string version;
  if (form::Form* about = main_.window("frmAbout")) {
    const std::string& label = (*about)["LabelV1"].text();
    if (label.size() > 8) version = label.substr(8, 5);
  }
  // The bounds in the file's unit: screen pixels over the system scale.
  const form::Rect& b = main_.form().windowBounds();
  const int dpi = main_.platform().screenDpi();
  auto stored = [&](int pixels) {
    return std::to_string(scaleRounded(pixels, 96, dpi));
  };
  main_["LB_1"].setText(version);
  main_["LB_2"].setText(stored(b.top));
  main_["LB_3"].setText(stored(b.left));
  main_["LB_4"].setText(stored(b.width));
  main_["LB_5"].setText(stored(b.height));
}

void Settings::Act_ini_writeExecute() {
  for (int i = 0; i < 5; ++i) main_[kStored[i]].setText(main_[kCurrent[i]].text());
  // Nothing is written beside a program started from a CD-ROM.
  if (main_.platform().driveType(main_.startFolder().substr(0, 3)) ==
      platform::DriveType::CdRom)
    return;
  std::string text;
  for (const char* name : kStored) text += main_[name].text() + "\r\n";
  // Written through a temporary file that then replaces the old one, so a
  // failure leaves the old file whole; it is not reported.
  main_.platform().writeTextFile(path(), text, nullptr);
}

void Settings::applyStoredBounds() {
  form::Form& f = main_.form();
  form::Rect b = f.windowBounds();
  const int dpi = main_.platform().screenDpi();
  int* field[] = {&b.top, &b.left, &b.width, &b.height};
  for (int i = 0; i < 4; ++i) {
    const std::string& text = main_[kStored[i + 1]].text();
    if (text.empty()) continue;
    std::optional<int> value = decimalInteger(text);
    if (!value) {
      // The remaining values are not applied.
      main_.platform().showMessage("'" + text + "' は整数ではありません");
      break;
    }
    // From the file's unit back to screen pixels; what no screen can hold
    // stays far out and is brought back below.
    *field[i] = static_cast<int>(std::clamp<long long>(
        scaleRounded(*value, dpi, 96), INT_MIN, INT_MAX));
  }
  b = reachable(b, main_.platform(), kMinWidth * dpi / 96,
                kMinHeight * dpi / 96);
  f.setWindowBounds(b);
}

}  // namespace velquin::app
