#pragma once
// What a drawing of values over time shows and how: series of points (a
// time and a value, or a lost point of some kind), the time range and the
// vertical scale, the point nearest the mouse, and the drawing's own menu.
// The drawing's native window reads it; a feature fills it.

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace velquin::form {

// The points, in the order of their times within each series.
class GraphSource {
 public:
  virtual ~GraphSource() = default;
  // Points that lie one after another in memory: a time and a value each.
  // A value of 0 and up is a value; below 0 a lost point, the number
  // telling its kind.
  struct Run {
    const long long* times = nullptr;
    const int32_t* values = nullptr;
    size_t count = 0;
  };
  virtual size_t seriesCount() const = 0;
  virtual size_t pointCount(size_t series) const = 0;
  // The points from i on that lie together (at least one, i being less
  // than the count).
  virtual Run run(size_t series, size_t i) const = 0;
  // The text that the mouse over the point shows.
  virtual std::string describe(size_t series, size_t i) const = 0;

  // A series kept for long may hold its older stretches summed up: each
  // summary covers length milliseconds from its time, all before the
  // series' first point, in the order of their times. A series of points
  // alone has none.
  struct Summary {
    long long from = 0;
    long long length = 0;
    int32_t sent = 0;
    int32_t received = 0;
    int32_t low = 0, high = 0;  // of the values received
    long long sum = 0;          // of the values received
    int32_t lost = 0;           // the kind of the first lost point, 0: none
    int32_t average() const {
      return received ? static_cast<int32_t>((sum + received / 2) / received) : 0;
    }
  };
  virtual size_t summaryCount(size_t /*series*/) const { return 0; }
  virtual Summary summary(size_t /*series*/, size_t /*i*/) const { return {}; }
  virtual std::string describeSummary(size_t /*series*/, size_t /*i*/) const { return {}; }

  long long timeAt(size_t series, size_t i) const { return run(series, i).times[0]; }
  int32_t valueAt(size_t series, size_t i) const { return run(series, i).values[0]; }
};

class GraphDoc {
 public:
  explicit GraphDoc(const GraphSource& source) : source_(source) {}
  GraphDoc(const GraphDoc&) = delete;
  GraphDoc& operator=(const GraphDoc&) = delete;

  const GraphSource& source() const { return source_; }

  // The time across: the last span milliseconds up to the newest point;
  // 0 shows every point.
  long long span() const { return span_; }
  void setSpan(long long ms);
  // The top of the vertical scale: fixed, or 0 for a round value above
  // nearly every value in view.
  int fixedTop() const { return fixedTop_; }
  void setFixedTop(int ms);
  int top() const { return fixedTop_ > 0 ? fixedTop_ : autoTop(); }
  int autoTop() const;

  struct Window {
    long long from = 0;
    long long to = 0;
    bool empty = true;
  };
  Window window() const;
  // The time across the drawing: span milliseconds from `from`, the newest
  // point at the right edge. Points of one moment (a file typed at once)
  // stand in the middle of ten seconds.
  struct Frame {
    long long from = 0;
    long long span = 1;
  };
  Frame frame() const;
  // The first point of the series at or after the time.
  size_t firstFrom(size_t series, long long time) const;
  // The first summary of the series that ends after the time.
  size_t firstSummaryFrom(size_t series, long long time) const;
  // The point or summary nearest the time (within the window; a summary is
  // as near as its nearer end, and holds the times it covers), ties going
  // to the one nearer the value; found false when there is none.
  struct Nearest {
    bool found = false;
    size_t series = 0;
    size_t index = 0;
    bool summary = false;  // index is a summary's
  };
  Nearest nearest(long long time, int value) const;

  // What one series puts in each of width columns across the time from
  // `from` to `from + span`, both ends included (the newest point of a
  // frame falls in the last column): the received values (the first,
  // lowest, highest and last, their sum and count), whether the line comes
  // in from the column before (no loss between), and the kind of the first
  // loss, 0 for none. A summary counts in the column of its time when it is
  // no longer than a column, else in each column that it covers (its loss
  // in the first of them); its first and last are its average, and a
  // column that holds one is summed. Where summaries wider than a column
  // are in view, the points are summed up by the same stretches of time.
  struct Column {
    bool any = false;
    bool joined = false;
    int32_t first = 0, low = 0, high = 0, last = 0;
    int32_t lost = 0;
    long long sum = 0;
    long long count = 0;
    bool summed = false;
    int32_t average() const { return count ? static_cast<int32_t>((sum + count / 2) / count) : 0; }
  };
  void columns(size_t series, long long from, long long span, int width,
               std::vector<Column>& out) const;
  // Calls f(times, values, count) for each run of the series' points at or
  // after the time.
  template <class F>
  void eachRun(size_t series, long long time, F f) const {
    const size_t n = source_.pointCount(series);
    for (size_t i = firstFrom(series, time); i < n;) {
      const GraphSource::Run r = source_.run(series, i);
      const size_t count = std::min(r.count, n - i);
      f(r.times, r.values, count);
      i += count;
    }
  }

  // The points changed, or how they are shown: the drawing follows.
  void changed() {
    if (onShow) onShow();
  }
  std::function<void()> onShow;
  // Set by the drawing's window while it exists: the picture as shown, to
  // the clipboard or into a PNG file; false when that failed.
  std::function<bool()> copyPicture;
  std::function<bool(const std::string& path)> savePicture;

  // The drawing's context menu: items with the same submenu caption go into
  // one submenu.
  struct MenuItem {
    std::string caption;
    std::string action;
    std::function<bool()> checked;
    bool separatorBefore = false;
    std::string submenu;
  };
  void addMenuItem(MenuItem item) { menu_.push_back(std::move(item)); }
  const std::vector<MenuItem>& menu() const { return menu_; }

 private:
  const GraphSource& source_;
  long long span_ = 0;
  int fixedTop_ = 0;
  std::vector<MenuItem> menu_;
};

}  // namespace velquin::form
