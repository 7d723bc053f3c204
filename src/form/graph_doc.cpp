#include "form/graph_doc.h"

#include <algorithm>
#include <cstdlib>

namespace velquin::form {

void GraphDoc::setSpan(long long ms) {
  if (span_ == ms) return;
  span_ = ms;
  changed();
}

void GraphDoc::setFixedTop(int ms) {
  if (fixedTop_ == ms) return;
  fixedTop_ = ms;
  changed();
}

GraphDoc::Window GraphDoc::window() const {
  Window w;
  for (size_t s = 0; s < source_.seriesCount(); ++s) {
    const size_t n = source_.pointCount(s);
    if (n == 0) continue;
    const long long first = source_.timeAt(s, 0), last = source_.timeAt(s, n - 1);
    if (w.empty) {
      w = {first, last, false};
    } else {
      w.from = std::min(w.from, first);
      w.to = std::max(w.to, last);
    }
  }
  if (!w.empty && span_ > 0) w.from = std::max(w.from, w.to - span_);
  return w;
}

size_t GraphDoc::firstFrom(size_t series, long long time) const {
  size_t lo = 0, hi = source_.pointCount(series);
  while (lo < hi) {
    const size_t mid = lo + (hi - lo) / 2;
    if (source_.timeAt(series, mid) < time) lo = mid + 1;
    else hi = mid;
  }
  return lo;
}

int roundUp(long long v) {
  long long unit = 10;
  for (;;) {
    for (long long step : {1, 2, 5})
      if (step * unit >= v) return static_cast<int>(std::min<long long>(step * unit, 2000000000));
    if (unit > 100000000) return 2000000000;
    unit *= 10;
  }
}

// A single spike must not flatten the rest: of ten values or more, the
// highest two in a hundred (at least one) stay above the scale, drawn cut
// off.
int GraphDoc::autoTop() const {
  const Window w = window();
  values_.clear();
  if (!w.empty) {
    for (size_t s = 0; s < source_.seriesCount(); ++s) {
      const size_t n = source_.pointCount(s);
      for (size_t i = firstFrom(s, w.from); i < n; ++i) {
        const int32_t v = source_.valueAt(s, i);
        if (v >= 0) values_.push_back(v);
      }
    }
  }
  if (values_.empty()) return roundUp(0);
  size_t keep = values_.size();
  if (keep >= 10) keep -= (keep * 2 + 99) / 100;
  auto at = values_.begin() + static_cast<std::ptrdiff_t>(keep - 1);
  std::nth_element(values_.begin(), at, values_.end());
  return roundUp(*at);
}

GraphDoc::Nearest GraphDoc::nearest(long long time, int value) const {
  Nearest best;
  const Window w = window();
  if (w.empty) return best;
  long long bestGap = 0;
  int bestOff = 0;
  for (size_t s = 0; s < source_.seriesCount(); ++s) {
    const size_t n = source_.pointCount(s);
    const size_t from = firstFrom(s, w.from);
    const size_t at = std::max(from, firstFrom(s, time));
    for (size_t i : {at, at - 1}) {
      if (i < from || i >= n) continue;  // at - 1 wraps when at is 0
      const long long gap = std::llabs(source_.timeAt(s, i) - time);
      const int32_t v = source_.valueAt(s, i);
      const int off = std::abs((v < 0 ? 0 : v) - value);
      if (!best.found || gap < bestGap || (gap == bestGap && off < bestOff)) {
        best = {true, s, i};
        bestGap = gap;
        bestOff = off;
      }
    }
  }
  return best;
}

}  // namespace velquin::form
