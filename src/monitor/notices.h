#pragma once
// Telling the user of rows that went down or came back: the changes of a
// short while are gathered into one notification, so that a switch that
// takes two hundred hosts with it makes one balloon, not two hundred.

#include <cstdint>
#include <string>
#include <vector>

#include "monitor/outages.h"

namespace velquin::monitor {

// How long changes are gathered after the first of them.
inline constexpr int64_t kGatherMs = 2000;
// The names a notification gives; the rest are counted.
inline constexpr size_t kNamesShown = 5;

class Notices {
 public:
  // The events of the outages, at that time (steady milliseconds).
  void add(const std::vector<OutageEvent>& events, int64_t now, const Outages& o);
  // Milliseconds until a notification is due (0: now; -1: none gathered).
  int64_t dueMs(int64_t now) const;
  // The notification due at that time, "" when none is: a line for the
  // rows that went down and one for those that came back. What is
  // gathered is forgotten then.
  std::string take(const Outages& o, int64_t now);
  void clear();

 private:
  struct Change {
    size_t row;
    OutageEvent event;
  };
  std::vector<Change> changes_;  // a row's latest change, in the order of its first
  int64_t first_ = -1;
};

// "a, b, c, d, e ほか 2 台": at most kNamesShown names.
std::string namesText(const std::vector<std::string>& names);

}  // namespace velquin::monitor
