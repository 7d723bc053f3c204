#include "monitor/outages.h"

#include <algorithm>

namespace velquin::monitor {

void Outages::reset(Thresholds t) {
  thresholds_.down = std::clamp(t.down, kThresholdMin, kThresholdMax);
  thresholds_.up = std::clamp(t.up, kThresholdMin, kThresholdMax);
  rows_.clear();
  list_.clear();
  events_.clear();
  downCount_ = 0;
}

void Outages::add(size_t row, const std::string& host, long long time, bool answered) {
  if (row >= rows_.size()) rows_.resize(row + 1);
  Watch& w = rows_[row];
  if (!answered) {
    if (w.lostInRow++ == 0) w.firstLost = time;
    w.repliesInRow = 0;
    w.lastLost = time;
    if (w.down) {
      ++list_[w.outage].lost;
      return;
    }
    if (w.lostInRow < thresholds_.down) return;
    w.down = true;
    ++w.outages;
    ++downCount_;
    w.outage = list_.size();
    list_.push_back({row, host, w.firstLost, -1, w.lostInRow});
    events_.push_back({OutageEvent::Kind::Down, w.outage});
    return;
  }
  if (w.repliesInRow++ == 0) w.firstReply = time;
  w.lostInRow = 0;
  if (!w.down || w.repliesInRow < thresholds_.up) return;
  w.down = false;
  --downCount_;
  list_[w.outage].to = w.firstReply;
  events_.push_back({OutageEvent::Kind::Up, w.outage});
}

std::vector<OutageEvent> Outages::takeEvents() {
  std::vector<OutageEvent> out;
  out.swap(events_);
  return out;
}

bool Outages::lostSince(long long time) const {
  return std::any_of(rows_.begin(), rows_.end(),
                     [time](const Watch& w) { return w.lastLost >= 0 && w.lastLost > time; });
}

std::string spanText(long long ms) {
  const long long s = std::max(ms, 0LL) / 1000;
  const long long h = s / 3600, m = s / 60 % 60;
  std::string out;
  if (h > 0) out += std::to_string(h) + " 時間 ";
  if (h > 0 || m > 0) out += std::to_string(m) + " 分 ";
  return out + std::to_string(s % 60) + " 秒";
}

}  // namespace velquin::monitor
