#include "app/window_bounds.h"

#include <sstream>
#include <vector>

#include "app/settings.h"

namespace velquin::app {

std::optional<form::Rect> storedBounds(const UserState& s, const std::string& key,
                                       platform::Platform& os) {
  std::vector<int> b;
  std::istringstream in(s.value(key, ""));
  for (int v; in >> v;) b.push_back(v);
  if (b.size() != 4 || b[2] < 200 || b[3] < 150) return std::nullopt;
  const int dpi = os.screenDpi();
  const form::Rect r{static_cast<int>(scaleRounded(b[0], dpi, 96)),
                     static_cast<int>(scaleRounded(b[1], dpi, 96)),
                     static_cast<int>(scaleRounded(b[2], dpi, 96)),
                     static_cast<int>(scaleRounded(b[3], dpi, 96))};
  if (!os.workArea(r.left + 8, r.top + 8).holds) return std::nullopt;
  return r;
}

void storeBounds(UserState& s, const std::string& key, const form::Rect& b,
                 platform::Platform& os) {
  const int dpi = os.screenDpi();
  auto stored = [&](int px) { return std::to_string(scaleRounded(px, 96, dpi)); };
  s.setValue(key, stored(b.left) + " " + stored(b.top) + " " + stored(b.width) + " " +
                      stored(b.height));
}

bool showOver(form::Form& f, const form::Rect& owner, bool& placed) {
  if (f.windowVisible()) {
    f.bringToFront();
    return false;
  }
  if (!placed) {
    form::Rect b = f.windowBounds();
    b.left = owner.left + (owner.width - b.width) / 2;
    b.top = owner.top + (owner.height - b.height) / 2;
    f.setWindowBounds(b);
    placed = true;
  }
  f.setWindowVisible(true);
  return true;
}

}  // namespace velquin::app
