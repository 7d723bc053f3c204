#include "reading/line_diff.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <unordered_map>

#include <dtl/dtl.hpp>

#include "form/output_text.h"

namespace velquin::reading {

namespace {

// Runs of insertions and deletions between common elements, from a
// sequence of ids that was trimmed of its common head and tail.
template <class Id>
void hunksOf(const std::vector<Id>& a, const std::vector<Id>& b, size_t head,
             std::vector<Hunk>& out) {
  dtl::Diff<Id, std::vector<Id>> d(a, b);
  d.compose();
  size_t i = 0, j = 0;
  Hunk h;
  bool open = false;
  auto close = [&] {
    if (open) out.push_back(h);
    open = false;
  };
  for (const auto& e : d.getSes().getSequence()) {
    const dtl::edit_t type = e.second.type;
    if (type == dtl::SES_COMMON) {
      close();
      ++i;
      ++j;
      continue;
    }
    if (!open) {
      h = {head + i, 0, head + j, 0};
      open = true;
    }
    if (type == dtl::SES_DELETE) {
      ++h.oldCount;
      ++i;
    } else {
      ++h.newCount;
      ++j;
    }
  }
  close();
}

// The common head and tail are left out before the edit script is looked
// for: runs of one command share nearly all their lines.
template <class Id, class T, class IdOf>
std::vector<Hunk> diffTrimmed(const std::vector<T>& a, const std::vector<T>& b,
                              IdOf&& idOf) {
  size_t head = 0;
  const size_t shorter = std::min(a.size(), b.size());
  while (head < shorter && a[head] == b[head]) ++head;
  size_t tail = 0;
  while (tail < shorter - head &&
         a[a.size() - 1 - tail] == b[b.size() - 1 - tail])
    ++tail;
  std::vector<Hunk> out;
  const size_t na = a.size() - head - tail, nb = b.size() - head - tail;
  if (na == 0 && nb == 0) return out;
  if (na == 0 || nb == 0) {
    out.push_back({head, na, head, nb});
    return out;
  }
  std::vector<Id> ia, ib;
  ia.reserve(na);
  ib.reserve(nb);
  for (size_t k = head; k < head + na; ++k) ia.push_back(idOf(a[k]));
  for (size_t k = head; k < head + nb; ++k) ib.push_back(idOf(b[k]));
  hunksOf(ia, ib, head, out);
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
  // Each distinct line gets a number; the edit script compares numbers.
  std::unordered_map<std::string_view, uint32_t> ids;
  ids.reserve(a.size() + b.size());
  auto idOf = [&ids](const std::string_view& line) {
    return ids.try_emplace(line, static_cast<uint32_t>(ids.size())).first->second;
  };
  return diffTrimmed<uint32_t>(a, b, idOf);
}

size_t changedLines(const std::vector<Hunk>& hunks) {
  size_t n = 0;
  for (const Hunk& h : hunks) n += std::max(h.oldCount, h.newCount);
  return n;
}

std::vector<std::pair<size_t, size_t>> diffChars(std::string_view a,
                                                 std::string_view b) {
  auto chars = [](std::string_view s, std::vector<char32_t>& cs,
                  std::vector<size_t>* at) {
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
  const std::vector<Hunk> hunks = diffTrimmed<char32_t>(
      ca, cb, [](const char32_t& c) { return c; });
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

}  // namespace velquin::reading
