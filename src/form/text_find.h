#pragma once
// Find in the output view: every match of a word in a text that keeps
// growing at its end, found as the text arrives. Matching treats the two
// widths as one (full-width ASCII signs, letters and digits are their ASCII
// forms; half-width katakana are full-width katakana, a voiced or semi-voiced
// mark joined to its kana) and ignores the case of Latin letters unless asked
// not to. Positions are byte offsets into the text's UTF-8.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velquin::form {

// The character that starts at pos as find compares it, and how many bytes
// of s it takes (a half-width kana with its mark takes both).
size_t foldAt(std::string_view s, size_t pos, bool matchCase, char32_t& c);

struct Match {
  size_t begin = 0;
  size_t end = 0;
  bool operator==(const Match&) const = default;
};

// Matches are kept as their start offsets, four bytes each (in blocks of
// 64 KB, so that a growing table never holds much more than it needs); the
// end of a match is found again when asked for. Matching a large text goes a slice
// at a time (more()), so the window answers between slices.
class TextFinder {
 public:
  static constexpr size_t npos = static_cast<size_t>(-1);

  explicit TextFinder(const std::string& text) : text_(text) {}
  TextFinder(const TextFinder&) = delete;
  TextFinder& operator=(const TextFinder&) = delete;

  // A new word (or case rule): matching starts over from the text's start;
  // the first slice is matched at once.
  void setQuery(std::string_view word, bool matchCase);
  const std::string& query() const { return query_; }
  bool matchCase() const { return matchCase_; }

  void reset();     // the text was replaced
  void appended();  // the text grew; costs what was added

  // Part of the text not matched yet: more() matches the next slice,
  // finish() all of it.
  bool pending() const { return active_ && scanned_ < text_.size(); }
  // Where matching has come to: what starts before it is matched.
  size_t matchedTo() const { return scanned_; }
  void more();
  void finish();
  // Matching stops and its memory is given back; the word is kept, and
  // setQuery or the next look for a match starts it again.
  void suspend();
  bool active() const { return active_; }

  // The matches found so far; whole once nothing is pending.
  size_t count() const { return count_; }
  Match operator[](size_t i) const;
  // The match that begins exactly at begin and ends at end, or npos.
  size_t indexOf(size_t begin, size_t end) const;
  // The first match at or after pos among those found so far (round to the
  // first when matching is over); npos while it may still come.
  size_t foundFrom(size_t pos) const;
  // The first match that begins at or after pos, the last one that begins
  // before pos; each wraps around to the other end; npos when none. What
  // they need that is not matched yet is matched first.
  size_t firstFrom(size_t pos);
  size_t lastBefore(size_t pos);
  // The matches found that overlap [from, to): indexes [first, second).
  std::pair<size_t, size_t> within(size_t from, size_t to) const;

  // Memory the table of matches takes.
  size_t capacityBytes() const;

 private:
  static constexpr size_t kBlock = 16384;  // starts in one block of the table
  // Matches from where matching stopped, up to upTo or the text's end (one
  // slice of time when sliced).
  void scan(bool sliced, size_t upTo = static_cast<size_t>(-1));
  // After suspend(): matching starts again.
  void resume();
  // The index of the first match found that begins at or after pos.
  size_t found(size_t pos) const;
  // The end of the match at p, 0 for none.
  size_t matchAt(size_t p) const;
  size_t beginOf(size_t i) const;
  void push(size_t begin);
  void popBack();
  void clearTable();

  const std::string& text_;
  std::string query_;
  bool matchCase_ = false;
  bool active_ = false;
  std::vector<char32_t> needle_;  // the word as compared
  bool first_[256] = {};          // bytes that may start a match
  size_t span_ = 0;               // the most bytes a match can take
  size_t scanned_ = 0;            // the next place a match may start
  size_t seen_ = 0;               // text size at the last matching
  // Low 32 bits of each start, in blocks; segments_[k] is the index of the
  // first match at or past 4 GiB times k.
  std::vector<std::vector<uint32_t>> blocks_;
  std::vector<size_t> segments_{0};
  size_t count_ = 0;
};

}  // namespace velquin::form
