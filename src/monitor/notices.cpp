#include "monitor/notices.h"

#include <algorithm>

namespace velquin::monitor {

namespace {
constexpr const char* kFront = "監視: ";
}

void Notices::add(const std::vector<OutageEvent>& events, int64_t now, const Outages& o) {
  for (const OutageEvent& e : events) {
    const size_t row = o.list()[e.outage].row;
    // A row that went down and came back within the while counts once,
    // as it stands at its end.
    const auto same = std::find_if(changes_.begin(), changes_.end(),
                                   [row](const Change& c) { return c.row == row; });
    if (same != changes_.end())
      same->event = e;
    else
      changes_.push_back({row, e});
    if (first_ < 0) first_ = now;
  }
}

int64_t Notices::dueMs(int64_t now) const {
  if (first_ < 0) return -1;
  return std::max<int64_t>(first_ + kGatherMs - now, 0);
}

std::string Notices::take(const Outages& o, int64_t now) {
  if (first_ < 0 || now - first_ < kGatherMs) return "";
  std::vector<std::string> down, up;
  const OutageRecord* back = nullptr;
  for (const Change& c : changes_) {
    const OutageRecord& r = o.list()[c.event.outage];
    if (c.event.kind == OutageEvent::Kind::Down) {
      down.push_back(r.host);
    } else {
      up.push_back(r.host);
      back = &r;
    }
  }
  clear();
  std::string text;
  if (!down.empty())
    text += kFront + std::to_string(down.size()) + " 台が応答なし (" + namesText(down) + ")";
  if (up.size() == 1) {
    text += std::string(text.empty() ? "" : "\r\n") + kFront + back->host +
            " の応答が戻りました (" + spanText(back->to - back->from) + "間応答なし)";
  } else if (!up.empty()) {
    text += std::string(text.empty() ? "" : "\r\n") + kFront + std::to_string(up.size()) +
            " 台の応答が戻りました (" + namesText(up) + ")";
  }
  return text;
}

void Notices::clear() {
  changes_.clear();
  first_ = -1;
}

std::string namesText(const std::vector<std::string>& names) {
  std::string out;
  for (size_t i = 0; i < names.size() && i < kNamesShown; ++i) out += (i ? ", " : "") + names[i];
  if (names.size() > kNamesShown)
    out += " ほか " + std::to_string(names.size() - kNamesShown) + " 台";
  return out;
}

}  // namespace velquin::monitor
