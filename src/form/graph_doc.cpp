#include "form/graph_doc.h"

#include <algorithm>
#include <array>
#include <climits>
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

GraphDoc::Frame GraphDoc::frame() const {
  const Window w = window();
  if (span_ > 0) return {w.to - span_, span_};
  if (w.to > w.from) return {w.from, w.to - w.from};
  return {w.from - 5000, 10000};
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

// A single spike must not flatten the rest: of ten values or more, the
// highest two in a hundred (at least one) may stay above the scale, drawn
// cut off. Counted against each round value rather than sorted: a pass
// over the values, however many there are.
int GraphDoc::autoTop() const {
  // 10, 20, 50, 100 ... 5e9: every value lies at or under the last.
  static constexpr int kRound = 27;
  static const auto tops = [] {
    std::array<long long, kRound> r{};
    long long unit = 10;
    for (int k = 0; k < kRound; ++k) {
      r[k] = unit * (k % 3 == 0 ? 1 : k % 3 == 1 ? 2 : 5);
      if (k % 3 == 2) unit *= 10;
    }
    return r;
  }();
  std::array<long long, kRound> under{};  // values at or under tops[k], above the one before
  long long count = 0;
  const Window w = window();
  if (!w.empty) {
    for (size_t s = 0; s < source_.seriesCount(); ++s)
      eachRun(s, w.from, [&](const long long*, const int32_t* values, size_t n) {
        for (size_t i = 0; i < n; ++i) {
          const int32_t v = values[i];
          if (v < 0) continue;
          int k = 0;
          while (tops[k] < v) ++k;
          ++under[k];
          ++count;
        }
      });
  }
  const long long drop = count >= 10 ? (count * 2 + 99) / 100 : 0;
  long long atOrUnder = 0;
  for (int k = 0; k < kRound; ++k) {
    atOrUnder += under[k];
    if (count - atOrUnder <= drop) return static_cast<int>(std::min<long long>(tops[k], INT32_MAX));
  }
  return INT32_MAX;
}

void GraphDoc::columns(size_t series, long long from, long long span, int width,
                       std::vector<Column>& out) const {
  out.assign(static_cast<size_t>(std::max(width, 0)), Column{});
  if (width <= 0 || span <= 0) return;
  long long limit = 0;  // (column + 1) * span: times before it are in the column
  size_t c = 0;
  bool gap = true;      // nothing to join to yet
  bool started = false;
  eachRun(series, from, [&](const long long* times, const int32_t* values, size_t n) {
    for (size_t i = 0; i < n; ++i) {
      const long long at = (times[i] - from) * width;
      if (!started || at >= limit) {
        long long col = at / span;
        if (col >= width) {
          if (times[i] - from > span) return;
          col = width - 1;  // the end of the frame itself
        }
        c = static_cast<size_t>(col);
        limit = (col + 1) * span;
        started = true;
      }
      Column& k = out[c];
      const int32_t v = values[i];
      if (v < 0) {
        if (k.lost == 0) k.lost = v;
        gap = true;
        continue;
      }
      if (!k.any) {
        k = {true, !gap, v, v, v, v, k.lost};
      } else {
        k.low = std::min(k.low, v);
        k.high = std::max(k.high, v);
        k.last = v;
      }
      gap = false;
    }
  });
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
