#pragma once
// The time at which each line of the output view began to arrive: the local
// time of the append that brought its first byte. The first line, the
// command line, has the time the run started (the text was set). Kept as
// milliseconds after that start, four bytes a line.

#include <cstdint>
#include <string>
#include <vector>

namespace velquin::form {

class OutputText;

class LineTimes {
 public:
  // now: local time in milliseconds, as the platform's clock gives it.
  void reset(const OutputText& text, long long now);
  void appended(const OutputText& text, long long now);

  // A line whose first byte has not arrived yet (the empty last line after
  // a line break) has no time.
  bool has(size_t line) const { return line < offsets_.size(); }
  long long at(size_t line) const { return start_ + offsets_[line]; }
  size_t capacityBytes() const { return offsets_.capacity() * sizeof(uint32_t); }

  // "HH:MM:SS.mmm" of a local time in milliseconds.
  static std::string format(long long ms);

 private:
  long long start_ = 0;
  std::vector<uint32_t> offsets_;
};

// The lines that the selection [from, to) touches (the caret's line when
// nothing is selected), each as its time, a tab and its text, joined by
// CR LF.
std::string linesWithTimes(const OutputText& text, const LineTimes& times,
                           size_t from, size_t to);

}  // namespace velquin::form
