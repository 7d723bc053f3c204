#include "form/text_find.h"

#include <algorithm>
#include <chrono>

#include "form/output_text.h"

namespace velquin::form {

namespace {

// Half-width katakana and signs U+FF61..U+FF9F as their full-width forms.
constexpr char16_t kHalfKana[] = {
    0x3002, 0x300C, 0x300D, 0x3001, 0x30FB, 0x30F2, 0x30A1, 0x30A3,  // FF61
    0x30A5, 0x30A7, 0x30A9, 0x30E3, 0x30E5, 0x30E7, 0x30C3, 0x30FC,  // FF69
    0x30A2, 0x30A4, 0x30A6, 0x30A8, 0x30AA, 0x30AB, 0x30AD, 0x30AF,  // FF71
    0x30B1, 0x30B3, 0x30B5, 0x30B7, 0x30B9, 0x30BB, 0x30BD, 0x30BF,  // FF79
    0x30C1, 0x30C4, 0x30C6, 0x30C8, 0x30CA, 0x30CB, 0x30CC, 0x30CD,  // FF81
    0x30CE, 0x30CF, 0x30D2, 0x30D5, 0x30D8, 0x30DB, 0x30DE, 0x30DF,  // FF89
    0x30E0, 0x30E1, 0x30E2, 0x30E4, 0x30E6, 0x30E8, 0x30E9, 0x30EA,  // FF91
    0x30EB, 0x30EC, 0x30ED, 0x30EF, 0x30F3, 0x309B, 0x309C,          // FF99
};
constexpr char32_t kVoicedMark = 0xFF9E, kSemiVoicedMark = 0xFF9F;

// The kana with its voiced (dakuten) or semi-voiced (handakuten) mark, or 0.
char32_t withMark(char32_t kana, char32_t mark) {
  const bool ha = kana >= 0x30CF && kana <= 0x30DB && (kana - 0x30CF) % 3 == 0;
  if (mark == kSemiVoicedMark) return ha ? kana + 2 : 0;
  if ((kana >= 0x30AB && kana <= 0x30C1 && (kana - 0x30AB) % 2 == 0) ||
      kana == 0x30C4 || kana == 0x30C6 || kana == 0x30C8 || ha)
    return kana + 1;
  return kana == 0x30A6 ? 0x30F4 : 0;  // ｳﾞ
}

char32_t lower(char32_t c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; }

}  // namespace

size_t foldAt(std::string_view s, size_t pos, bool matchCase, char32_t& c) {
  const auto b = static_cast<unsigned char>(s[pos]);
  if (b < 0x80) {
    c = matchCase ? b : lower(b);
    return 1;
  }
  size_t n = decodeUtf8(s, pos, c);
  if (c >= 0xFF01 && c <= 0xFF5E) {
    c = c - 0xFF01 + 0x21;
    if (!matchCase) c = lower(c);
  } else if (c == 0x3000) {
    c = ' ';
  } else if (c >= 0xFF61 && c <= 0xFF9F) {
    c = kHalfKana[c - 0xFF61];
    if (pos + n < s.size()) {
      char32_t mark;
      const size_t m = decodeUtf8(s, pos + n, mark);
      if (mark == kVoicedMark || mark == kSemiVoicedMark) {
        if (const char32_t joined = withMark(c, mark)) {
          c = joined;
          n += m;
        }
      }
    }
  }
  return n;
}

namespace {
using Clock = std::chrono::steady_clock;
// Matching in slices: a slice looks at the clock after each piece and ends
// after this long, so the window handles its messages in between.
constexpr size_t kPiece = 64 * 1024;
constexpr auto kSliceTime = std::chrono::milliseconds(8);
}  // namespace

void TextFinder::setQuery(std::string_view word, bool matchCase) {
  query_ = std::string(word);
  matchCase_ = matchCase;
  needle_.clear();
  for (size_t p = 0; p < word.size();) {
    char32_t c;
    p += foldAt(word, p, matchCase, c);
    needle_.push_back(c);
  }
  std::fill(std::begin(first_), std::end(first_), false);
  if (!needle_.empty()) {
    const char32_t f = needle_[0];
    // Every full-width ASCII form and every half-width kana begins with EF.
    first_[0xEF] = true;
    if (f < 0x80) {
      first_[f] = true;
      if (!matchCase && f >= 'a' && f <= 'z') first_[f - 32] = true;
      if (f == ' ') first_[0xE3] = true;  // the ideographic space
    } else {
      first_[f < 0x800 ? 0xC0 | (f >> 6) : f < 0x10000 ? 0xE0 | (f >> 12) : 0xF0 | (f >> 18)] = true;
    }
  }
  // A match takes at most six bytes a character (a half-width kana and its
  // mark), and its last character looks at the next one for a mark.
  span_ = needle_.size() * 6 + 3;
  active_ = !needle_.empty();
  reset();
}

void TextFinder::reset() {
  clearTable();
  scanned_ = 0;
  seen_ = 0;
  scan(true);
}

void TextFinder::appended() {
  if (text_.size() < seen_) {  // not an append after all
    reset();
    return;
  }
  // Starts near the old end may have run out of text, and a match that
  // ended there may take a mark that has just arrived: look again.
  const size_t from = seen_ > span_ ? seen_ - span_ : 0;
  if (from < scanned_) {
    while (count_ > 0 && beginOf(count_ - 1) >= from) popBack();
    scanned_ = count_ > 0 ? std::max(from, matchAt(beginOf(count_ - 1))) : from;
  }
  scan(true);
}

void TextFinder::more() { scan(true); }

void TextFinder::finish() { scan(false); }

void TextFinder::suspend() {
  active_ = false;
  clearTable();
  scanned_ = 0;
  seen_ = 0;
}

void TextFinder::resume() {
  if (active_ || needle_.empty()) return;
  active_ = true;
  reset();
}

void TextFinder::scan(bool sliced, size_t upTo) {
  if (!active_) return;
  const size_t size = text_.size();
  seen_ = size;
  const size_t stop = std::min(size, upTo);
  const unsigned char* t = reinterpret_cast<const unsigned char*>(text_.data());
  const Clock::time_point start = Clock::now();
  size_t p = scanned_;
  while (p < stop) {
    const size_t pieceEnd = std::min(stop, p + kPiece);
    for (; p < pieceEnd; ++p) {
      if (!first_[t[p]]) continue;
      if (const size_t end = matchAt(p)) {
        push(p);
        p = end - 1;
      }
    }
    if (sliced && Clock::now() - start >= kSliceTime) break;
  }
  scanned_ = std::max(scanned_, p);
}

size_t TextFinder::matchAt(size_t p) const {
  const std::string_view s = text_;
  // A mark that belongs to the kana before it starts nothing.
  if (p >= 3 && p + 2 < s.size() && s.compare(p, 2, "\xEF\xBE") == 0 &&
      (s[p + 2] == '\x9E' || s[p + 2] == '\x9F')) {
    char32_t kana, mark;
    decodeUtf8(s, p - 3, kana);
    decodeUtf8(s, p, mark);
    if (kana >= 0xFF61 && kana <= 0xFF9F && withMark(kHalfKana[kana - 0xFF61], mark))
      return 0;
  }
  size_t q = p;
  for (const char32_t want : needle_) {
    if (q >= s.size()) return 0;
    char32_t c;
    q += foldAt(s, q, matchCase_, c);
    if (c != want) return 0;
  }
  return q;
}

size_t TextFinder::beginOf(size_t i) const {
  const size_t segment = static_cast<size_t>(
      std::upper_bound(segments_.begin(), segments_.end(), i) - segments_.begin() - 1);
  return static_cast<size_t>((static_cast<uint64_t>(segment) << 32) |
                             blocks_[i / kBlock][i % kBlock]);
}

void TextFinder::push(size_t begin) {
  const auto segment = static_cast<size_t>(static_cast<uint64_t>(begin) >> 32);
  while (segments_.size() <= segment) segments_.push_back(count_);
  if (count_ / kBlock == blocks_.size()) blocks_.emplace_back();
  blocks_.back().push_back(static_cast<uint32_t>(begin));
  ++count_;
}

void TextFinder::popBack() {
  --count_;
  blocks_.back().pop_back();
  if (blocks_.back().empty()) blocks_.pop_back();
  while (segments_.size() > 1 && segments_.back() >= count_) segments_.pop_back();
}

void TextFinder::clearTable() {
  std::vector<std::vector<uint32_t>>().swap(blocks_);
  std::vector<size_t>(1, 0).swap(segments_);
  count_ = 0;
}

size_t TextFinder::capacityBytes() const {
  size_t bytes = blocks_.capacity() * sizeof(blocks_[0]) + segments_.capacity() * sizeof(size_t);
  for (const auto& b : blocks_) bytes += b.capacity() * sizeof(uint32_t);
  return bytes;
}

Match TextFinder::operator[](size_t i) const {
  const size_t begin = beginOf(i);
  return {begin, std::max(begin, matchAt(begin))};
}

// The first index in [0, count) for which the test fails, for a test that
// holds for a leading run of indexes.
template <typename Test>
size_t partitionIndex(size_t count, Test holds) {
  size_t lo = 0, hi = count;
  while (lo < hi) {
    const size_t mid = lo + (hi - lo) / 2;
    if (holds(mid)) lo = mid + 1;
    else hi = mid;
  }
  return lo;
}

size_t TextFinder::found(size_t pos) const {
  return partitionIndex(count_, [&](size_t i) { return beginOf(i) < pos; });
}

size_t TextFinder::foundFrom(size_t pos) const {
  const size_t i = found(pos);
  if (i < count_) return i;
  return pending() || count_ == 0 ? npos : 0;
}

size_t TextFinder::indexOf(size_t begin, size_t end) const {
  const size_t i = found(begin);
  if (i == count_ || beginOf(i) != begin || matchAt(begin) != end) return npos;
  return i;
}

size_t TextFinder::firstFrom(size_t pos) {
  resume();
  // Matched on until a match at or after pos shows, or to the end.
  while (pending() && (count_ == 0 || beginOf(count_ - 1) < pos))
    scan(false, scanned_ + 16 * kPiece);
  if (count_ == 0) return npos;
  const size_t i = found(pos);
  return i == count_ ? 0 : i;
}

size_t TextFinder::lastBefore(size_t pos) {
  resume();
  if (pending() && scanned_ < pos) scan(false, pos);
  size_t i = found(pos);
  if (i == 0) {  // round to the last match of all
    finish();
    i = count_;
  }
  return count_ == 0 ? npos : i - 1;
}

std::pair<size_t, size_t> TextFinder::within(size_t from, size_t to) const {
  const size_t a = partitionIndex(count_, [&](size_t i) { return (*this)[i].end <= from; });
  const size_t b = partitionIndex(count_, [&](size_t i) { return beginOf(i) < to; });
  return {a, std::max(a, b)};
}

}  // namespace velquin::form
