#include "reading/line_diff.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <unordered_map>

#include <dtl/dtl.hpp>

#include "form/output_text.h"

namespace velquin::reading {

namespace {

// Numbers things in order of first sight and notes the sides that hold
// each: 1 the older, 2 the newer.
template <class T>
class Numbering {
 public:
  explicit Numbering(size_t expected) { ids_.reserve(expected); }
  uint32_t operator()(const T& thing, uint8_t side) {
    const auto [it, added] = ids_.try_emplace(thing, static_cast<uint32_t>(seen_.size()));
    if (added) seen_.push_back(0);
    seen_[it->second] |= side;
    return it->second;
  }
  bool both(uint32_t id) const { return seen_[id] == 3; }

 private:
  std::unordered_map<T, uint32_t> ids_;
  std::vector<uint8_t> seen_;
};

// The shortest edit script from a to b, as hunks.
//
// The common head and tail are set aside first: runs of one command share
// nearly all their lines. What is left is numbered (equal things alike),
// and a number that only one side holds can be in no common subsequence:
// the script is looked for among the numbers that both hold, which leaves
// the longest common subsequence as it was and makes a text that changed
// wholly cost no more than reading it (the script's cost grows with the
// square of what differs).
template <class T>
std::vector<Hunk> script(const std::vector<T>& a, const std::vector<T>& b) {
  size_t head = 0;
  const size_t shorter = std::min(a.size(), b.size());
  while (head < shorter && a[head] == b[head]) ++head;
  size_t tail = 0;
  while (tail < shorter - head && a[a.size() - 1 - tail] == b[b.size() - 1 - tail]) ++tail;
  const size_t na = a.size() - head - tail, nb = b.size() - head - tail;
  std::vector<Hunk> out;
  if (na == 0 && nb == 0) return out;
  // The pairs found common, closed by the end of both: whatever stands
  // between two pairs is removed from a or added to b.
  std::vector<std::pair<size_t, size_t>> common;
  if (na > 0 && nb > 0) {
    Numbering<T> number(na + nb);
    std::vector<uint32_t> ia(na), ib(nb);
    for (size_t k = 0; k < na; ++k) ia[k] = number(a[head + k], 1);
    for (size_t k = 0; k < nb; ++k) ib[k] = number(b[head + k], 2);
    std::vector<uint32_t> sa, sb;
    std::vector<size_t> atA, atB;  // where each number kept stands, after the head
    for (size_t k = 0; k < na; ++k)
      if (number.both(ia[k])) {
        sa.push_back(ia[k]);
        atA.push_back(k);
      }
    for (size_t k = 0; k < nb; ++k)
      if (number.both(ib[k])) {
        sb.push_back(ib[k]);
        atB.push_back(k);
      }
    if (!sa.empty()) {
      dtl::Diff<uint32_t, std::vector<uint32_t>> d(sa, sb);
      d.compose();
      size_t i = 0, j = 0;
      for (const auto& e : d.getSes().getSequence()) {
        if (e.second.type == dtl::SES_COMMON)
          common.emplace_back(atA[i++], atB[j++]);
        else if (e.second.type == dtl::SES_DELETE)
          ++i;
        else
          ++j;
      }
    }
  }
  common.emplace_back(na, nb);
  size_t i = 0, j = 0;
  for (const auto& [ci, cj] : common) {
    if (ci > i || cj > j) out.push_back({head + i, ci - i, head + j, cj - j});
    i = ci + 1;
    j = cj + 1;
  }
  return out;
}

}  // namespace

std::vector<std::string_view> splitLines(std::string_view text,
                                         bool withBreaks) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  for (size_t p = 0; p < text.size(); ++p) {
    const char c = text[p];
    if (c != '\r' && c != '\n') continue;
    const size_t end = p;
    if (c == '\r' && p + 1 < text.size() && text[p + 1] == '\n') ++p;
    lines.push_back(text.substr(start, (withBreaks ? p + 1 : end) - start));
    start = p + 1;
  }
  lines.push_back(text.substr(start));
  return lines;
}

std::vector<Hunk> diffLines(const std::vector<std::string_view>& a,
                            const std::vector<std::string_view>& b) {
  return script(a, b);
}

size_t changedLines(const std::vector<Hunk>& hunks) {
  size_t n = 0;
  for (const Hunk& h : hunks) n += std::max(h.oldCount, h.newCount);
  return n;
}

std::vector<std::pair<size_t, size_t>> diffChars(std::string_view a,
                                                 std::string_view b) {
  auto chars = [](std::string_view s, std::vector<char32_t>& cs, std::vector<size_t>* at) {
    for (size_t p = 0; p < s.size();) {
      char32_t c;
      const size_t n = form::decodeUtf8(s, p, c);
      cs.push_back(c);
      if (at) at->push_back(p);
      p += n;
    }
    if (at) at->push_back(s.size());
  };
  std::vector<char32_t> ca, cb;
  std::vector<size_t> at;
  chars(a, ca, nullptr);
  chars(b, cb, &at);
  const std::vector<Hunk> hunks = script(ca, cb);
  std::vector<std::pair<size_t, size_t>> out;
  for (const Hunk& h : hunks) {
    if (h.newCount == 0) continue;
    const size_t begin = at[h.newBegin], end = at[h.newBegin + h.newCount];
    if (!out.empty() && out.back().second == begin)
      out.back().second = end;
    else
      out.emplace_back(begin, end);
  }
  return out;
}

RunChanges compareRuns(std::string_view older, std::string_view newer, bool marks) {
  const std::vector<std::string_view> a = splitLines(older, false);
  const std::vector<std::string_view> b = splitLines(newer, false);
  const std::vector<Hunk> hunks = diffLines(a, b);
  RunChanges out;
  out.lines = b.size();
  out.count = changedLines(hunks);
  if (!marks) return out;
  for (const Hunk& h : hunks) {
    // Within a place that differs, the k-th newer line stands in for the
    // k-th older one there.
    for (size_t k = 0; k < h.newCount; ++k) {
      const size_t ln = h.newBegin + k;
      out.changed.push_back(ln);
      const size_t at = static_cast<size_t>(b[ln].data() - newer.data());
      if (k < h.oldCount && b[ln].size() <= kLongestCompared &&
          a[h.oldBegin + k].size() <= kLongestCompared) {
        for (auto [from, to] : diffChars(a[h.oldBegin + k], b[ln]))
          out.chars.emplace_back(at + from, at + to);
      } else if (!b[ln].empty()) {
        out.chars.emplace_back(at, at + b[ln].size());
      }
    }
    if (h.oldCount > h.newCount) out.removedBefore.push_back(h.newBegin + h.newCount);
  }
  return out;
}

}  // namespace velquin::reading
