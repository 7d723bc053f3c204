#pragma once
// Everything the output view keeps beside its text, in one place that the
// program and the native view share: the line index and selection, find,
// and the time of each line. The memo that owns it tells it of every new
// text and every append, whether or not its window exists yet.

#include <functional>
#include <string>

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

  // Every match on screen is marked while find is open.
  bool marks() const { return marks_; }
  void setMarks(bool on);
  bool showTimes() const { return showTimes_; }
  void setShowTimes(bool on);
  // The program selected [begin, end): the view brings it into sight.
  void selectFound(size_t begin, size_t end);

  // The view: repaint, and with reveal bring the caret into sight.
  std::function<void(bool reveal)> onShow;
  // After the text was set or grew, once the parts above have followed.
  std::function<void()> onText;

 private:
  long long now() const { return clock_ ? clock_() : 0; }
  void show(bool reveal) {
    if (onShow) onShow(reveal);
  }

  OutputText text_;
  TextFinder finder_;
  LineTimes times_;
  std::function<long long()> clock_;
  bool marks_ = false;
  bool showTimes_ = false;
};

}  // namespace velquin::form
