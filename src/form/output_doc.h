#pragma once
// Everything the output view keeps beside its text, in one place that the
// program and the native view share: the line index and selection, find,
// and the time of each line. The memo that owns it tells it of every new
// text and every append, whether or not its window exists yet.

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "form/change_marks.h"
#include "form/line_times.h"
#include "form/output_text.h"
#include "form/text_find.h"

namespace velquin::form {

class OutputDoc {
 public:
  explicit OutputDoc(const std::string& text) : text_(text), finder_(text) {}
  OutputDoc(const OutputDoc&) = delete;
  OutputDoc& operator=(const OutputDoc&) = delete;

  OutputText& text() { return text_; }
  const OutputText& text() const { return text_; }
  TextFinder& finder() { return finder_; }
  const LineTimes& times() const { return times_; }

  // Local time in milliseconds; without a clock every line has time 0.
  void setClock(std::function<long long()> clock) { clock_ = std::move(clock); }

  void reset();
  void appended();
  // How many times the text has been set (each reset): a reader that left
  // the output alone for a while knows by it whether to begin afresh.
  size_t textsSet() const { return textsSet_; }

  // Find: a new word, matched a slice at a time. While matching is left,
  // onFindPending asks the view to call findMore() soon; onFindProgress is
  // told after each slice (the count grew). The view repaints what a slice
  // matched only when it is on screen.
  void find(std::string_view word, bool matchCase);
  void findMore();
  std::function<void()> onFindPending;
  std::function<void()> onFindProgress;

  // Every match on screen is marked while find is open.
  bool marks() const { return marks_; }
  void setMarks(bool on);
  bool showTimes() const { return showTimes_; }
  void setShowTimes(bool on);
  // The changes against an earlier run, drawn over the text; a new text
  // clears them. After a change of them, changesShown() redraws the view.
  ChangeMarks& changes() { return changes_; }
  const ChangeMarks& changes() const { return changes_; }
  void changesShown() { show(false); }
  // The program selected [begin, end): the view brings it into sight.
  void selectFound(size_t begin, size_t end);

  // The view: repaint, and with reveal bring the caret into sight.
  std::function<void(bool reveal)> onShow;
  // Told after the text was set or grew, once the parts above have followed
  // (find, the readers of output). The number returned takes it away again.
  int listen(std::function<void()> listener);
  void unlisten(int id);

  // An item that a feature adds to the view's context menu, below the
  // view's own items: its caption, the model action it runs, and when it is
  // on the menu, ticked or greyed (no function: always shown, not ticked,
  // enabled).
  struct MenuItem {
    std::string caption;
    std::string action;
    std::function<bool()> shown;
    std::function<bool()> checked;
    std::function<bool()> enabled;
    bool separatorBefore = false;
  };
  void addMenuItem(MenuItem item) { menu_.push_back(std::move(item)); }
  // What the menu holds of them now, as the user would see it.
  struct MenuEntry {
    std::string caption;
    std::string action;
    bool checked;
    bool enabled;
    bool separatorBefore;
  };
  std::vector<MenuEntry> menu() const;

 private:
  long long now() const { return clock_ ? clock_() : 0; }
  void told();
  void kick() {
    if (finder_.pending() && onFindPending) onFindPending();
  }
  void show(bool reveal) {
    if (onShow) onShow(reveal);
  }

  OutputText text_;
  TextFinder finder_;
  LineTimes times_;
  ChangeMarks changes_;
  std::function<long long()> clock_;
  std::vector<std::pair<int, std::function<void()>>> listeners_;
  int nextListener_ = 0;
  std::vector<MenuItem> menu_;
  bool marks_ = false;
  bool showTimes_ = false;
  size_t textsSet_ = 0;
};

}  // namespace velquin::form
