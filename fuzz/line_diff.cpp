// The comparison of repeated runs and the store of kept runs: the input is
// a few run texts cut apart by NUL bytes. Every kept run is rebuilt byte for
// byte from the differences, identical neighbours are counted rather than
// kept, and the store never holds more than its bytes; the hunks of each
// pair of runs turn the older lines into the newer ones and keep as many
// lines as the longest common subsequence has; the characters of a line left
// unmarked are a subsequence of the older line's, in order; the marks of a
// run fall on its own lines and bytes.
#include <string>
#include <vector>

#include "form/change_marks.h"
#include "form/output_text.h"
#include "reading/line_diff.h"
#include "reading/run_store.h"
#include "support/memory_platform.h"

using namespace velquin;

namespace {

void checkHunks(const std::vector<std::string_view>& a,
                const std::vector<std::string_view>& b) {
  const std::vector<reading::Hunk> hunks = reading::diffLines(a, b);
  std::vector<std::string_view> rebuilt;
  size_t i = 0;
  for (const reading::Hunk& h : hunks) {
    if (h.oldBegin < i || h.oldBegin + h.oldCount > a.size() ||
        h.newBegin + h.newCount > b.size() || (h.oldCount == 0 && h.newCount == 0))
      fuzz::fail("a hunk out of order or out of range");
    rebuilt.insert(rebuilt.end(), a.begin() + i, a.begin() + h.oldBegin);
    if (rebuilt.size() != h.newBegin) fuzz::fail("a hunk's place in the newer lines is wrong");
    rebuilt.insert(rebuilt.end(), b.begin() + h.newBegin, b.begin() + h.newBegin + h.newCount);
    i = h.oldBegin + h.oldCount;
  }
  rebuilt.insert(rebuilt.end(), a.begin() + i, a.end());
  if (rebuilt != b) fuzz::fail("the hunks do not turn the older lines into the newer");
  if (reading::changedLines(hunks) > a.size() + b.size())
    fuzz::fail("more lines changed than there are");
  // The lines left alone are as many as the longest common subsequence has.
  if (a.size() * b.size() > 40000) return;
  std::vector<size_t> row(b.size() + 1), next(b.size() + 1);
  for (size_t i = a.size(); i-- > 0;) {
    for (size_t j = b.size(); j-- > 0;)
      next[j] = a[i] == b[j] ? row[j + 1] + 1 : std::max(row[j], next[j + 1]);
    row.swap(next);
  }
  size_t removed = 0;
  for (const reading::Hunk& h : hunks) removed += h.oldCount;
  if (a.size() - removed != row[0]) fuzz::fail("the common lines are not the most there are");
}

void checkMarks(const std::string& older, const std::string& newer) {
  const reading::RunChanges c = reading::compareRuns(older, newer);
  const auto lines = reading::splitLines(newer, false);
  if (c.lines != lines.size()) fuzz::fail("the marks count the lines otherwise");
  if (c.changed.size() > c.count) fuzz::fail("more lines marked than changed");
  for (size_t k = 0; k < c.changed.size(); ++k)
    if (c.changed[k] >= c.lines || (k > 0 && c.changed[k] <= c.changed[k - 1]))
      fuzz::fail("a changed line out of order or out of range");
  for (size_t ln : c.removedBefore)
    if (ln > c.lines) fuzz::fail("a removal marked past the end");
  // Every marked byte is inside a changed line.
  size_t k = 0;
  for (const auto& [from, to] : c.chars) {
    if (to <= from || to > newer.size()) fuzz::fail("marked bytes out of range");
    while (k < c.changed.size() &&
           static_cast<size_t>(lines[c.changed[k]].data() - newer.data()) +
                   lines[c.changed[k]].size() < to)
      ++k;
    if (k == c.changed.size() ||
        static_cast<size_t>(lines[c.changed[k]].data() - newer.data()) > from)
      fuzz::fail("marked bytes outside a changed line");
  }
  if (reading::compareRuns(older, newer, false).count != c.count)
    fuzz::fail("the count differs without the marks");
}

// The characters of s and where each starts.
std::vector<std::pair<char32_t, size_t>> chars(std::string_view s) {
  std::vector<std::pair<char32_t, size_t>> out;
  for (size_t p = 0; p < s.size();) {
    char32_t c;
    const size_t n = form::decodeUtf8(s, p, c);
    out.emplace_back(c, p);
    p += n;
  }
  return out;
}

void checkChars(std::string_view a, std::string_view b) {
  const auto ranges = reading::diffChars(a, b);
  size_t at = 0;
  for (const auto& [from, to] : ranges) {
    if (from < at || (at > 0 && from == at) || to <= from || to > b.size())
      fuzz::fail("changed characters out of order, touching or out of range");
    at = to;
  }
  // The characters of b left unmarked are common to both, in order.
  std::vector<char32_t> kept;
  size_t r = 0;
  for (const auto& [c, pos] : chars(b)) {
    while (r < ranges.size() && ranges[r].second <= pos) ++r;
    if (r < ranges.size() && ranges[r].first <= pos) continue;
    kept.push_back(c);
  }
  size_t j = 0;
  for (const auto& ca : chars(a))
    if (j < kept.size() && kept[j] == ca.first) ++j;
  if (j != kept.size()) fuzz::fail("an unmarked character is not in the older line");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> runs;
  for (size_t at = 0; at <= input.size() && runs.size() < 6;) {
    size_t end = input.find('\0', at);
    if (end == std::string::npos) end = input.size();
    runs.push_back(input.substr(at, end - at));
    at = end + 1;
  }
  // Room for about two runs of the input's size beside the newest.
  const size_t bytes = 2048 + 3 * input.size();
  reading::RunStore store(3, bytes);
  std::vector<std::string> kept;
  for (size_t i = 0; i < runs.size(); ++i) {
    // Every other run prepared as off the window's thread, against the
    // store as it is then.
    const bool added =
        i % 2 ? store.add(reading::RunStore::prepare(runs[i], store.basis()),
                          {"00:00:00", i + 1, 0, 1, i == 0})
              : store.add(runs[i], {"00:00:00", i + 1, 0, 1, i == 0});
    if (added != (kept.empty() || kept.back() != runs[i]))
      fuzz::fail("a run was kept or counted wrongly");
    if (added) kept.push_back(runs[i]);
    if (store.size() > 1 && store.bytes() > bytes) fuzz::fail("the store holds too much");
  }
  const size_t first = kept.size() - store.size();
  if (store.size() > 3 || store.dropped() != first) fuzz::fail("the limit was not kept");
  for (size_t i = 0; i < store.size(); ++i)
    if (store.text(i) != kept[first + i]) fuzz::fail("a kept run came back changed");

  for (size_t i = 1; i < runs.size(); ++i) {
    for (bool breaks : {false, true})
      checkHunks(reading::splitLines(runs[i - 1], breaks), reading::splitLines(runs[i], breaks));
    const auto a = reading::splitLines(runs[i - 1], false);
    const auto b = reading::splitLines(runs[i], false);
    for (size_t k = 0; k < std::min<size_t>({a.size(), b.size(), 8}); ++k) checkChars(a[k], b[k]);
    checkMarks(runs[i - 1], runs[i]);
    std::string joined;
    for (std::string_view l : reading::splitLines(runs[i], true)) joined += l;
    if (joined != runs[i]) fuzz::fail("the lines with their breaks are not the text");
    std::string text = runs[i];
    form::OutputText view(text);
    if (view.lineCount() != b.size()) fuzz::fail("lines counted otherwise than the view does");
  }
  return 0;
}
