#pragma once
// The runs of a repeated command that the user can go back to: each run
// whose text differs from the one kept before it, at most a number of them
// and a number of bytes, the oldest dropped first. Only the newest is held
// whole; every older one is held as the edit that turns the run after it
// back into it, so a thousand runs of a long output that changes a little
// cost little more than one.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace velquin::reading {

// What the list of kept runs shows of one: the run where its text first
// appeared, and how many runs in a row gave that text.
struct KeptRun {
  std::string time;    // "HH:MM:SS" of its start
  size_t number = 0;   // the how-manieth run of the repetition
  size_t changed = 0;  // lines added, changed or removed against the one before
  size_t same = 1;     // runs with this very text in a row, this one counted
  bool first = false;  // nothing was kept before it
  // The latest of the runs that gave this text (the same run while same is 1).
  std::string lastTime;
  size_t lastNumber = 0;
};

class RunStore {
 public:
  static constexpr size_t kRuns = 1000;
  static constexpr size_t kBytes = size_t{64} << 20;

  explicit RunStore(size_t runs = kRuns, size_t bytes = kBytes)
      : runLimit_(runs), byteLimit_(bytes) {}

  // A piece of an older text: bytes of its own, then a range copied from
  // the text after it.
  struct Piece {
    std::string own;
    size_t from = 0;
    size_t length = 0;
  };
  // What keeping a text needs of the store, so that the work of keeping it
  // can be done off the window's thread: the newest text is shared, never
  // changed, not copied.
  struct Basis {
    std::shared_ptr<const std::string> newest;
    bool empty = true;
    uint64_t version = 0;
  };
  // A text ready to be kept: whether it repeats the newest kept, and the
  // edit that turns it back into that one.
  struct Prepared {
    std::string text;
    bool repeat = false;
    std::vector<Piece> back;
    uint64_t against = 0;
  };
  Basis basis() const { return {newest_, runs_.empty(), version_}; }
  static Prepared prepare(std::string text, const Basis& basis) {
    return prepare(std::move(text), basis.newest ? *basis.newest : std::string_view(),
                   basis.empty, basis.version);
  }

  // Keeps the run, unless its text equals the newest kept one's, which then
  // counts it instead (keeping the time and number of its first run); true
  // when kept. A text prepared against another state of the store is
  // prepared again here.
  bool add(Prepared text, const KeptRun& run);
  bool add(std::string text, const KeptRun& run) {
    return add(prepare(std::move(text), newest(), runs_.empty(), version_), run);
  }
  void clear();

  size_t size() const { return runs_.size(); }
  // Index 0 is the oldest kept.
  const KeptRun& run(size_t i) const { return runs_[i].run; }
  // The text of a kept run, rebuilt byte for byte.
  std::string text(size_t i) const;
  // The text of the run before run i (i > 0), from run i's text.
  std::string textBefore(size_t i, std::string_view text) const {
    return apply(runs_[i - 1].back, text);
  }
  // Every kept run's text, newest first, each rebuilt from the one after it.
  void eachNewestFirst(
      const std::function<void(size_t index, const std::string& text)>& fn) const;
  std::string_view newest() const { return newest_ ? *newest_ : std::string_view(); }
  // Runs dropped because a limit was reached.
  size_t dropped() const { return dropped_; }
  // Memory that the kept runs hold, in bytes.
  size_t bytes() const { return held_ + (newest_ ? newest_->capacity() : 0); }

 private:
  struct Kept {
    KeptRun run;
    std::vector<Piece> back;  // from the next newer text to this one
    size_t bytes = 0;         // what the entry holds
  };
  static Prepared prepare(std::string text, std::string_view newest, bool empty,
                          uint64_t version);
  static size_t bytesOf(const Kept& k);
  static std::vector<Piece> edit(std::string_view newer, std::string_view older);
  static std::string apply(const std::vector<Piece>& back, std::string_view newer);

  size_t runLimit_;
  size_t byteLimit_;
  std::shared_ptr<const std::string> newest_;
  std::deque<Kept> runs_;
  size_t held_ = sizeof(RunStore);  // all but the newest text
  size_t dropped_ = 0;
  uint64_t version_ = 0;  // changes with every text kept and every clear
};

}  // namespace velquin::reading
