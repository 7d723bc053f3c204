// The comparison of two runs: lines matched as their longest common
// subsequence, the count of changed lines, the characters that changed
// within a line, and the lines of a text as the output view counts them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "reading/line_diff.h"

namespace velquin::reading {
namespace {

using Lines = std::vector<std::string_view>;
using Ranges = std::vector<std::pair<size_t, size_t>>;

TEST(LineDiff, HunksAndChangedLines) {
  struct Case {
    const char* what;
    Lines a, b;
    std::vector<Hunk> want;
    size_t changed;
  };
  const Case cases[] = {
      {"identical", {"a", "b", "c"}, {"a", "b", "c"}, {}, 0},
      {"both empty", {}, {}, {}, 0},
      {"from nothing", {}, {"a", "b"}, {{0, 0, 0, 2}}, 2},
      {"to nothing", {"a", "b"}, {}, {{0, 2, 0, 0}}, 2},
      {"one inserted at the top marks that line alone",
       {"x1", "x2", "x3", "x4"}, {"new", "x1", "x2", "x3", "x4"}, {{0, 0, 0, 1}}, 1},
      {"one inserted in the middle", {"a", "b", "c", "d"}, {"a", "b", "n", "c", "d"},
       {{2, 0, 2, 1}}, 1},
      {"one removed", {"a", "b", "c", "d"}, {"a", "c", "d"}, {{1, 1, 1, 0}}, 1},
      {"one changed", {"a", "b", "c"}, {"a", "B", "c"}, {{1, 1, 1, 1}}, 1},
      {"two changed where one was", {"a", "b", "c"}, {"a", "B1", "B2", "c"},
       {{1, 1, 1, 2}}, 2},
      {"one line kept between two inserted", {"a", "k", "c"}, {"a", "n1", "k", "n2", "c"},
       {{1, 0, 1, 1}, {2, 0, 3, 1}}, 2},
      {"moved: removed above, added below", {"m", "a", "b", "c"}, {"a", "b", "c", "m"},
       {{0, 1, 0, 0}, {4, 0, 3, 1}}, 2},
      {"all changed", {"a", "b", "c"}, {"x", "y"}, {{0, 3, 0, 2}}, 3},
      {"repeated lines", {"a", "a", "b", "a"}, {"a", "b", "a", "a"},
       {{1, 1, 1, 0}, {3, 0, 2, 1}}, 2},
      {"Japanese text", {"アクティブ接続", "  TCP  0.0.0.0:135  待ち受け中"},
       {"アクティブ接続", "  TCP  0.0.0.0:135  確立"}, {{1, 1, 1, 1}}, 1},
      // Lines that one side alone holds, around and between common ones.
      {"wholly changed", {"a1", "a2", "a3"}, {"b1", "b2"}, {{0, 3, 0, 2}}, 3},
      {"lines of one side between common ones", {"u1", "c", "u2", "d"},
       {"c", "v1", "d", "v2"}, {{0, 1, 0, 0}, {2, 1, 1, 1}, {4, 0, 3, 1}}, 3},
      {"a common line among changed ones", {"x1", "k", "x2"}, {"y1", "k", "y2"},
       {{0, 1, 0, 1}, {2, 1, 2, 1}}, 2},
  };
  for (const Case& c : cases) {
    const std::vector<Hunk> got = diffLines(c.a, c.b);
    EXPECT_EQ(got, c.want) << c.what;
    EXPECT_EQ(changedLines(got), c.changed) << c.what;
  }
}

TEST(LineDiff, EveryScriptTurnsTheOlderIntoTheNewer) {
  // Applied to the older lines, the hunks give the newer ones exactly.
  const Lines texts[] = {
      {"a", "b", "c", "d", "e"}, {"b", "c", "x", "e", "a"}, {"e"},
      {}, {"a", "a", "a"}, {"x", "a", "y", "b", "z", "c"}};
  for (const Lines& a : texts) {
    for (const Lines& b : texts) {
      Lines rebuilt;
      size_t i = 0;
      for (const Hunk& h : diffLines(a, b)) {
        ASSERT_GE(h.oldBegin, i);
        ASSERT_TRUE(h.oldCount > 0 || h.newCount > 0);
        rebuilt.insert(rebuilt.end(), a.begin() + i, a.begin() + h.oldBegin);
        EXPECT_EQ(h.newBegin, rebuilt.size());
        rebuilt.insert(rebuilt.end(), b.begin() + h.newBegin,
                       b.begin() + h.newBegin + h.newCount);
        i = h.oldBegin + h.oldCount;
      }
      rebuilt.insert(rebuilt.end(), a.begin() + i, a.end());
      EXPECT_EQ(rebuilt, b);
    }
  }
}

TEST(LineDiff, LinesEndAsTheViewEndsThem) {
  struct Case {
    std::string text;
    std::vector<std::string> without, with;
  };
  const Case cases[] = {
      {"", {""}, {""}},
      {"a\r\nb", {"a", "b"}, {"a\r\n", "b"}},
      {"a\r\n", {"a", ""}, {"a\r\n", ""}},
      {"a\nb\rc\r\n\r\nd", {"a", "b", "c", "", "d"}, {"a\n", "b\r", "c\r\n", "\r\n", "d"}},
      {"a\r\r\n", {"a", "", ""}, {"a\r", "\r\n", ""}},
      {"接続\r\n確立", {"接続", "確立"}, {"接続\r\n", "確立"}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> without, with;
    for (std::string_view l : splitLines(c.text, false)) without.emplace_back(l);
    for (std::string_view l : splitLines(c.text, true)) with.emplace_back(l);
    EXPECT_EQ(without, c.without) << c.text;
    EXPECT_EQ(with, c.with) << c.text;
  }
  // The same lines ended by CR LF or by LF alone are the same lines.
  EXPECT_TRUE(diffLines(splitLines("a\r\nb\r\n", false), splitLines("a\nb\n", false)).empty());
  EXPECT_EQ(diffLines(splitLines("a\r\nb\r\n", true), splitLines("a\nb\n", true)).size(), 1u);
}

TEST(LineDiff, ChangedCharacters) {
  struct Case {
    std::string a, b;
    Ranges want;
  };
  const Case cases[] = {
      {"abc", "abc", {}},
      {"", "abc", {{0, 3}}},
      {"abc", "", {}},
      {"00-11-22-33-44-55", "00-11-22-33-44-66", {{15, 17}}},
      {"192.168.0.1  established", "192.168.0.12 established", {{11, 12}}},
      {"x1y2z", "xAyBz", {{1, 2}, {3, 4}}},
      // Characters, not bytes: one kanji differs in its last byte only.
      {"待ち受け中", "待ち受け仲", {{12, 15}}},
      {"状態 確立", "状態 待機", {{7, 13}}},
      // A byte that starts no character counts as one.
      {"a\xff" "b", "a\xfe" "b", {{1, 2}}},
  };
  for (const Case& c : cases) EXPECT_EQ(diffChars(c.a, c.b), c.want) << c.b;
}

TEST(LineDiff, RunsMarkEachChangedLineAgainstTheLineItReplaced) {
  // Line 0 is the command; byte ranges are those of the newer text.
  struct Case {
    const char* what;
    std::string older, newer;
    std::vector<size_t> changed, removedBefore;
    std::vector<std::string> chars;  // the marked bytes, in order
    size_t count;
  };
  const std::string longer(kLongestCompared + 1, 'x');
  const Case cases[] = {
      {"a line removed above the changed one",
       "cmd\r\ngone\r\nkeep\r\naddr 10.0.0.1\r\nend",
       "cmd\r\nkeep\r\naddr 10.0.0.12\r\nend", {2}, {1}, {"2"}, 2},
      {"a line inserted above the changed one",
       "cmd\r\nkeep\r\nport 80\r\nend", "cmd\r\nnew\r\nkeep\r\nport 8080\r\nend",
       {1, 3}, {}, {"new", "80"}, 2},
      {"two lines where one was: the second is new as a whole",
       "cmd\nstate 待機\nend", "cmd\nstate 確立\nstate 待機2\nend", {1, 2}, {},
       {"確立", "state 待機2"}, 2},
      {"lines removed at the end", "cmd\na\nb\nc", "cmd\na", {}, {2}, {}, 2},
      {"a line too long to compare is marked whole", "cmd\n" + longer + "\nend",
       "cmd\n" + longer + "y\nend", {1}, {}, {longer + "y"}, 1},
      {"an empty line added marks no character", "cmd\na", "cmd\n\na", {1}, {}, {}, 1},
  };
  for (const Case& c : cases) {
    const RunChanges got = compareRuns(c.older, c.newer);
    EXPECT_EQ(got.lines, splitLines(c.newer, false).size()) << c.what;
    EXPECT_EQ(got.changed, c.changed) << c.what;
    EXPECT_EQ(got.removedBefore, c.removedBefore) << c.what;
    std::vector<std::string> marked;
    for (auto [from, to] : got.chars) marked.push_back(c.newer.substr(from, to - from));
    EXPECT_EQ(marked, c.chars) << c.what;
    EXPECT_EQ(got.count, c.count) << c.what;
    // The count alone, without the marks.
    const RunChanges count = compareRuns(c.older, c.newer, false);
    EXPECT_EQ(count.count, c.count) << c.what;
    EXPECT_TRUE(count.changed.empty() && count.chars.empty()) << c.what;
  }
}

}  // namespace
}  // namespace velquin::reading
