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

// Characters are compared within changed lines up to this many bytes;
// a longer line is marked as a whole.
inline constexpr size_t kLongestCompared = 4000;

// What the output view marks of a run against the one before it.
struct RunChanges {
  size_t lines = 0;  // of the newer text
  size_t count = 0;  // lines added, changed or removed, as changedLines
  // The newer lines that are new or changed, in order.
  std::vector<size_t> changed;
  // The newer lines above which lines went away (lines: below the last).
  std::vector<size_t> removedBefore;
  // The changed characters, as byte ranges of the newer text in order: in a
  // changed line, those it does not share with the older line that the
  // diff paired it with; a line that took no older line's place, or one too
  // long to compare, wholly.
  std::vector<std::pair<size_t, size_t>> chars;
};

// The changes of newer against older; without marks, the counts alone.
RunChanges compareRuns(std::string_view older, std::string_view newer,
                       bool marks = true);

}  // namespace velquin::reading
