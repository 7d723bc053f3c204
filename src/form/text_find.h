#pragma once
// Find in the output view: every match of a word in a text that keeps
// growing at its end, found as the text arrives. Matching treats the two
// widths as one (full-width ASCII signs, letters and digits are their ASCII
// forms; half-width katakana are full-width katakana, a voiced or semi-voiced
// mark joined to its kana) and ignores the case of Latin letters unless asked
// not to. Positions are byte offsets into the text's UTF-8.

#include <cstddef>
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

class TextFinder {
 public:
  static constexpr size_t npos = static_cast<size_t>(-1);

  explicit TextFinder(const std::string& text) : text_(text) {}
  TextFinder(const TextFinder&) = delete;
  TextFinder& operator=(const TextFinder&) = delete;

  // A new word (or case rule): every match of the whole text, at once.
  void setQuery(std::string_view word, bool matchCase);
  const std::string& query() const { return query_; }
  bool matchCase() const { return matchCase_; }

  void reset();     // the text was replaced
  void appended();  // the text grew; costs what was added

  size_t count() const { return matches_.size(); }
  const Match& operator[](size_t i) const { return matches_[i]; }
  // The match that begins exactly at begin and ends at end, or npos.
  size_t indexOf(size_t begin, size_t end) const;
  // The first match that begins at or after pos, the last one that begins
  // before pos; each wraps around to the other end; npos when none.
  size_t firstFrom(size_t pos) const;
  size_t lastBefore(size_t pos) const;
  // The matches that overlap [from, to): indexes [first, second).
  std::pair<size_t, size_t> within(size_t from, size_t to) const;

 private:
  // From where matches may start, to the text's end.
  void scan(size_t from);
  // The end of the match at p, 0 for none.
  size_t matchAt(size_t p) const;

  const std::string& text_;
  std::string query_;
  bool matchCase_ = false;
  std::vector<char32_t> needle_;  // the word as compared
  bool first_[256] = {};          // bytes that may start a match
  size_t span_ = 0;               // the most bytes a match can take
  size_t scanned_ = 0;            // text size at the last scan
  std::vector<Match> matches_;
};

}  // namespace velquin::form
