#pragma once
// The runs of a repeated command that the user can go back to: each run
// whose text differs from the one kept before it, at most a limit of them,
// the oldest dropped first. Only the newest is held whole; every older one
// is held as the edit that turns the run after it back into it, so a
// thousand runs of a long output that changes a little cost little more
// than one.

#include <cstddef>
#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace velquin::reading {

// What the list of kept runs shows of one.
struct KeptRun {
  std::string time;    // "HH:MM:SS" of its start
  size_t number = 0;   // the how-manieth run of the repetition
  size_t changed = 0;  // lines added, changed or removed against the one before
  size_t same = 1;     // runs with this very text in a row (the newest counted)
  bool first = false;  // nothing was kept before it
};

class RunStore {
 public:
  explicit RunStore(size_t limit = 1000) : limit_(limit) {}

  // Keeps the run unless its text equals the newest kept one's, which then
  // counts it instead (taking its time and number); true when kept.
  bool add(std::string text, const KeptRun& run);
  void clear();

  size_t size() const { return runs_.size(); }
  // Index 0 is the oldest kept.
  const KeptRun& run(size_t i) const { return runs_[i].run; }
  // The text of a kept run, rebuilt byte for byte.
  std::string text(size_t i) const;
  // Every kept run's text, newest first, each rebuilt from the one after it.
  void eachNewestFirst(
      const std::function<void(size_t index, const std::string& text)>& fn) const;
  const std::string& newest() const { return newest_; }
  // Runs dropped because the limit was reached.
  size_t dropped() const { return dropped_; }
  // Memory that the kept runs hold, in bytes.
  size_t bytes() const;

 private:
  // A piece of an older text: bytes of its own, then a range copied from
  // the text after it.
  struct Piece {
    std::string own;
    size_t from = 0;
    size_t length = 0;
  };
  struct Kept {
    KeptRun run;
    std::vector<Piece> back;  // from the next newer text to this one
  };
  static std::vector<Piece> edit(std::string_view newer, std::string_view older);
  static std::string apply(const std::vector<Piece>& back, std::string_view newer);

  size_t limit_;
  std::string newest_;
  std::deque<Kept> runs_;
  size_t dropped_ = 0;
};

}  // namespace velquin::reading
