#pragma once
// The comparison of two runs of one command: which lines of the newer text
// are new or changed and where lines went away, found as the longest common
// subsequence of lines (so one inserted line marks that line alone), and
// within a changed line, which characters changed.

#include <cstddef>
#include <string_view>
#include <utility>
#include <vector>

namespace velquin::reading {

// The lines of a text as the output view counts them: CR LF, a lone CR and
// a lone LF each end one, and the text after the last break is a line too
// (possibly empty). With breaks, each line keeps its own line break, so the
// lines joined give the text back byte for byte.
std::vector<std::string_view> splitLines(std::string_view text, bool withBreaks);

// One place where the texts differ: lines [oldBegin, oldBegin + oldCount) of
// the older text stand where the newer has [newBegin, newBegin + newCount).
struct Hunk {
  size_t oldBegin = 0;
  size_t oldCount = 0;
  size_t newBegin = 0;
  size_t newCount = 0;
  bool operator==(const Hunk&) const = default;
};

// The shortest edit script from a to b, as hunks in order.
std::vector<Hunk> diffLines(const std::vector<std::string_view>& a,
                            const std::vector<std::string_view>& b);

// Lines added, changed or removed: a hunk of d old lines and a new ones
// changes the smaller number and adds or removes the rest.
size_t changedLines(const std::vector<Hunk>& hunks);

// The characters of b that a does not have, as byte ranges [begin, end)
// within b, in order and never touching; a character is one of UTF-8 (a
// byte that starts none counts as one).
std::vector<std::pair<size_t, size_t>> diffChars(std::string_view a,
                                                 std::string_view b);

}  // namespace velquin::reading
