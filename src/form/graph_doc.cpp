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
    const size_t k = source_.summaryCount(s);
    if (n == 0 && k == 0) continue;
    const long long first = k ? source_.summary(s, 0).from : source_.timeAt(s, 0);
    long long last = 0;
    if (n) {
      last = source_.timeAt(s, n - 1);
    } else {
      const GraphSource::Summary m = source_.summary(s, k - 1);
      last = m.from + m.length;
    }
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

size_t GraphDoc::firstSummaryFrom(size_t series, long long time) const {
  size_t lo = 0, hi = source_.summaryCount(series);
  while (lo < hi) {
    const size_t mid = lo + (hi - lo) / 2;
    const GraphSource::Summary m = source_.summary(series, mid);
    if (m.from + m.length <= time) lo = mid + 1;
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
  auto note = [&](int32_t v, long long times) {
    int k = 0;
    while (tops[k] < v) ++k;
    under[k] += times;
    count += times;
  };
  const Window w = window();
  if (!w.empty) {
    for (size_t s = 0; s < source_.seriesCount(); ++s) {
      // A summary's values: its highest once, its average for the rest.
      const size_t summaries = source_.summaryCount(s);
      for (size_t i = firstSummaryFrom(s, w.from); i < summaries; ++i) {
        const GraphSource::Summary m = source_.summary(s, i);
        if (m.received == 0) continue;
        note(m.high, 1);
        note(m.average(), m.received - 1);
      }
      eachRun(s, w.from, [&](const long long*, const int32_t* values, size_t n) {
        for (size_t i = 0; i < n; ++i)
          if (values[i] >= 0) note(values[i], 1);
      });
    }
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
  auto columnOf = [&](long long t) {
    return std::clamp<long long>(t < from ? 0 : (t - from) * width / span, 0, width - 1);
  };
  auto addSummary = [&](const GraphSource::Summary& m) {
    const long long first = columnOf(m.from);
    const long long last = m.length * width > span ? columnOf(m.from + m.length - 1) : first;
    const int32_t average = m.average();
    for (long long c = first; c <= last; ++c) {
      Column& k = out[static_cast<size_t>(c)];
      k.summed = true;
      // Its losses are marked once, as a lost point would be.
      if (k.lost == 0 && c == first) k.lost = m.lost;
      if (m.received == 0) continue;
      if (!k.any) {
        k.any = true;
        k.first = average;
        k.low = m.low;
        k.high = m.high;
      } else {
        k.low = std::min(k.low, m.low);
        k.high = std::max(k.high, m.high);
      }
      k.last = average;
      k.sum += m.sum;
      k.count += m.received;
    }
  };
  const size_t summaries = source_.summaryCount(series);
  long long length = 0;  // of the summaries in view
  for (size_t i = firstSummaryFrom(series, from); i < summaries; ++i) {
    const GraphSource::Summary m = source_.summary(series, i);
    if (m.from > from + span) break;
    addSummary(m);
    length = m.length;
  }
  // Where the summaries in view are wider than a column, the points are
  // summed up the same way, by the same stretches of the clock: the two
  // parts look the same where they meet (no summary in view leaves the
  // length 0, and the span is never 0 here).
  if (length * width > span) {
    GraphSource::Summary open;
    bool any = false;
    eachRun(series, from, [&](const long long* times, const int32_t* values, size_t n) {
      for (size_t i = 0; i < n && times[i] - from <= span; ++i) {
        const long long start = (times[i] >= 0 ? times[i] : times[i] - length + 1) / length * length;
        if (any && start != open.from) addSummary(open);
        if (!any || start != open.from) open = {start, length};
        any = true;
        const int32_t v = values[i];
        ++open.sent;
        if (v < 0) {
          if (open.lost == 0) open.lost = v;
          continue;
        }
        open.low = open.received ? std::min(open.low, v) : v;
        open.high = open.received ? std::max(open.high, v) : v;
        ++open.received;
        open.sum += v;
      }
    });
    if (any) addSummary(open);
    return;
  }
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
        k.any = true;
        k.joined = !gap;
        k.first = k.low = k.high = v;
      } else {
        k.low = std::min(k.low, v);
        k.high = std::max(k.high, v);
      }
      k.last = v;
      k.sum += v;
      ++k.count;
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
        best = {true, s, i, false};
        bestGap = gap;
        bestOff = off;
      }
    }
    const size_t summaries = source_.summaryCount(s);
    const size_t first = firstSummaryFrom(s, w.from);
    const size_t near = std::max(first, firstSummaryFrom(s, time));
    for (size_t i : {near, near - 1}) {
      if (i < first || i >= summaries) continue;  // near - 1 wraps when near is 0
      const GraphSource::Summary m = source_.summary(s, i);
      const long long end = m.from + m.length - 1;
      const long long gap = time < m.from ? m.from - time : time > end ? time - end : 0;
      const int off = std::abs(m.average() - value);
      if (!best.found || gap < bestGap || (gap == bestGap && off < bestOff)) {
        best = {true, s, i, true};
        bestGap = gap;
        bestOff = off;
      }
    }
  }
  return best;
}

}  // namespace velquin::form
