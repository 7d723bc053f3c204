#pragma once
// What the output view shows of the changes between two runs of a command,
// drawn over the text without changing it: lines that are new or changed,
// the characters that changed within them, the places where lines went
// away; and the view's choices of showing only the changed lines and of a
// fixed-pitch font.

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace velquin::form {

class ChangeMarks {
 public:
  enum class Mode { None, Lines, Chars };

  // Marks for a text of lineCount lines; chars are byte ranges of the text,
  // in order. Cleared marks (a new text arriving) show nothing.
  void set(size_t lineCount, std::vector<size_t> changed,
           std::vector<size_t> removedBefore,
           std::vector<std::pair<size_t, size_t>> chars);
  void clear();
  bool any() const { return !flags_.empty(); }

  // What is drawn: the mode, and only the changed lines (with the first
  // line, the command line) while any marks are set.
  Mode mode() const { return mode_; }
  void setMode(Mode m) { mode_ = m; }
  bool onlyChanged() const { return onlyChanged_ && any() && mode_ != Mode::None; }
  void setOnlyChanged(bool on) { onlyChanged_ = on; }
  bool fixedPitch() const { return fixedPitch_; }
  void setFixedPitch(bool on) { fixedPitch_ = on; }

  bool changed(size_t line) const { return flag(line) & kChanged; }
  // Lines were removed just above this line (lineCount: below the last).
  bool removedBefore(size_t line) const { return flag(line) & kRemoved; }
  // The changed characters that overlap [begin, end).
  std::pair<size_t, size_t> charsWithin(size_t begin, size_t end) const;
  const std::pair<size_t, size_t>& charRange(size_t i) const { return chars_[i]; }

  // The lines that show while only the changed ones do: the first line,
  // every changed line, and between two of them that are not neighbours, a
  // row kSkipped for the lines left out.
  static constexpr size_t kSkipped = static_cast<size_t>(-1);
  const std::vector<size_t>& rows() const { return rows_; }

 private:
  static constexpr uint8_t kChanged = 1, kRemoved = 2;
  uint8_t flag(size_t line) const { return line < flags_.size() ? flags_[line] : 0; }

  std::vector<uint8_t> flags_;
  std::vector<std::pair<size_t, size_t>> chars_;
  std::vector<size_t> rows_;
  Mode mode_ = Mode::Lines;
  bool onlyChanged_ = false;
  bool fixedPitch_ = false;
};

}  // namespace velquin::form
