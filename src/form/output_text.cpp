#include "form/output_text.h"

#include <algorithm>
#include <cstdint>

#include "form/byte_words.h"

namespace velquin::form {

namespace {

enum class CharKind { Blank, Word, Hiragana, Katakana, Kanji, Sign };

CharKind kindOf(char32_t c) {
  if (c == ' ' || c == '\t' || c == 0x3000) return CharKind::Blank;
  if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
      (c >= 'a' && c <= 'z') || c == '_' || (c >= 0xC0 && c < 0x250 && c != 0xD7 && c != 0xF7) ||
      (c >= 0xFF10 && c <= 0xFF19) || (c >= 0xFF21 && c <= 0xFF3A) ||
      (c >= 0xFF41 && c <= 0xFF5A))
    return CharKind::Word;
  if (c >= 0x3041 && c <= 0x309F) return CharKind::Hiragana;
  if ((c >= 0x30A0 && c <= 0x30FF) || (c >= 0x31F0 && c <= 0x31FF) ||
      (c >= 0xFF66 && c <= 0xFF9F))
    return CharKind::Katakana;
  if ((c >= 0x4E00 && c <= 0x9FFF) || (c >= 0x3400 && c <= 0x4DBF) ||
      (c >= 0xF900 && c <= 0xFAFF) || c == 0x3005 || c == 0x3006 ||
      c >= 0x20000)
    return CharKind::Kanji;
  return CharKind::Sign;
}

// Advance from x over one character.
int advance(char32_t c, int x, CharWidths& w) {
  if (c == '\t') {
    const int tab = std::max(1, w.tabWidth());
    return (x / tab + 1) * tab;
  }
  return x + w.width(c);
}

}  // namespace

size_t decodeUtf8(std::string_view s, size_t pos, char32_t& c) {
  const auto b = static_cast<unsigned char>(s[pos]);
  c = b;
  if (b < 0x80) return 1;
  size_t len = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 0;
  if (len == 0 || pos + len > s.size()) return 1;
  char32_t v = b & (0x7F >> len);
  for (size_t i = 1; i < len; ++i) {
    const auto t = static_cast<unsigned char>(s[pos + i]);
    if ((t & 0xC0) != 0x80) return 1;
    v = (v << 6) | (t & 0x3F);
  }
  c = v;
  return len;
}

OutputText::OutputText(const std::string& text) : text_(text) { reset(); }

void OutputText::reset() {
  anchor_ = caret_ = 0;
  rescan();
}

void OutputText::appended() {
  if (text_.size() < scanned_) {  // not an append after all
    reset();
    return;
  }
  scan();
  // What was added may complete the character or the CR LF that the
  // selection ended at, which is then no place to stop.
  anchor_ = snap(anchor_);
  caret_ = snap(caret_);
}

void OutputText::rescan() {
  std::vector<size_t>(1, 0).swap(starts_);  // the old index's memory goes too
  scanned_ = 0;
  wide_ = 0;
  x_ = 0;
  widest_ = 0;
  scan();
}

void OutputText::scan() {
  // One pass over what was added: line starts, UTF-16 length and, once
  // there are widths, the widest line. Most output is runs of printable
  // ASCII between line breaks: a run is found eight bytes at a time and
  // then measured in one go, with no look at each byte's kind.
  const char* t = text_.data();
  const size_t size = text_.size();
  size_t wide = wide_ + (size - scanned_);  // less what is not a unit
  int x = x_;
  int widest = widest_;
  for (size_t p = scanned_; p < size;) {
    const size_t run = p;
    while (p + 8 <= size && !anyOutsideAscii(eightBytes(t + p), 0x20)) p += 8;
    while (p < size && printableAscii(static_cast<unsigned char>(t[p]))) ++p;
    if (widths_) x += asciiWidth(t + run, p - run);
    if (p == size) break;
    const auto b = static_cast<unsigned char>(t[p]);
    if (b == '\n' || b == '\r') {
      // The LF of a CR LF (perhaps split between two appends) ends the line
      // that the CR ended.
      if (b == '\n' && p > 0 && t[p - 1] == '\r' && starts_.back() == p)
        starts_.back() = p + 1;
      else
        starts_.push_back(p + 1);
      widest = std::max(widest, x);
      x = 0;
      ++p;
      continue;
    }
    char32_t c;
    const size_t n = decodeUtf8(text_, p, c);
    // As Windows counts UTF-16: a unit per byte that starts a character,
    // two for one of four bytes.
    for (size_t i = p; i < p + n; ++i) {
      const auto u = static_cast<unsigned char>(t[i]);
      if ((u & 0xC0) == 0x80) --wide;
      if (u >= 0xF0) ++wide;
    }
    if (widths_) x = advance(c, x, *widths_);
    p += n;
  }
  wide_ = wide;
  if (widths_) {
    x_ = x;
    widest_ = std::max(widest, x);
  }
  scanned_ = size;
}

int OutputText::asciiWidth(const char* s, size_t n) const {
  // Four sums side by side: the additions do not wait for each other.
  const auto* u = reinterpret_cast<const unsigned char*>(s);
  int a = 0, b = 0, c = 0, d = 0;
  size_t i = 0;
  for (; i + 4 <= n; i += 4) {
    a += ascii_[u[i]];
    b += ascii_[u[i + 1]];
    c += ascii_[u[i + 2]];
    d += ascii_[u[i + 3]];
  }
  for (; i < n; ++i) a += ascii_[u[i]];
  return a + b + c + d;
}

size_t OutputText::lineEnd(size_t line) const {
  if (line + 1 >= starts_.size()) return text_.size();
  const size_t next = starts_[line + 1];
  if (next >= 2 && text_[next - 1] == '\n' && text_[next - 2] == '\r' &&
      next - 2 >= starts_[line])
    return next - 2;
  return next - 1;
}

std::string_view OutputText::line(size_t line) const {
  return std::string_view(text_).substr(starts_[line],
                                        lineEnd(line) - starts_[line]);
}

size_t OutputText::lineOf(size_t pos) const {
  auto it = std::upper_bound(starts_.begin(), starts_.end(), pos);
  return static_cast<size_t>(it - starts_.begin()) - 1;
}

size_t OutputText::snap(size_t pos) const {
  if (pos >= text_.size()) return text_.size();
  // A continuation byte is inside the character of the lead byte before it
  // only when that character is well formed up to it; otherwise it is a
  // character of its own, as decodeUtf8 counts it, and the caret can stop
  // there.
  if ((static_cast<unsigned char>(text_[pos]) & 0xC0) == 0x80) {
    for (size_t back = 1; back <= 3 && back <= pos; ++back) {
      if ((static_cast<unsigned char>(text_[pos - back]) & 0xC0) == 0x80) continue;
      char32_t c;
      if (decodeUtf8(text_, pos - back, c) > back) pos -= back;
      break;
    }
  }
  if (pos > 0 && text_[pos] == '\n' && text_[pos - 1] == '\r') --pos;
  return pos;
}

size_t OutputText::nextChar(size_t pos) const {
  pos = snap(pos);
  if (pos >= text_.size()) return text_.size();
  if (text_[pos] == '\r' && pos + 1 < text_.size() && text_[pos + 1] == '\n')
    return pos + 2;
  char32_t c;
  return pos + decodeUtf8(text_, pos, c);
}

size_t OutputText::prevChar(size_t pos) const {
  pos = snap(pos);
  if (pos == 0) return 0;
  return snap(pos - 1);
}

void OutputText::select(size_t anchor, size_t caret) {
  anchor_ = snap(anchor);
  caret_ = snap(caret);
}

void OutputText::moveCaret(size_t caret, bool extend) {
  caret_ = snap(caret);
  if (!extend) anchor_ = caret_;
}

std::string OutputText::selectedText() const {
  return text_.substr(selStart(), selEnd() - selStart());
}

std::pair<size_t, size_t> OutputText::wordAt(size_t pos) const {
  pos = snap(pos);
  const size_t ln = lineOf(pos);
  const size_t begin = starts_[ln], end = lineEnd(ln);
  if (begin == end) return {begin, begin};
  // At the end of a line, the word is the one before it.
  if (pos >= end) pos = prevChar(end);
  const std::string_view s = text_;
  char32_t c;
  decodeUtf8(s, pos, c);
  const CharKind kind = kindOf(c);
  size_t from = pos;
  while (from > begin) {
    const size_t p = prevChar(from);
    decodeUtf8(s, p, c);
    if (kindOf(c) != kind) break;
    from = p;
  }
  size_t to = pos;
  while (to < end) {
    decodeUtf8(s, to, c);
    if (kindOf(c) != kind) break;
    to = nextChar(to);
  }
  return {from, to};
}

void OutputText::setWidths(CharWidths* widths) {
  widths_ = widths;
  for (int c = 0x20; c < 0x80; ++c)
    ascii_[c] = widths_ ? widths_->width(static_cast<char32_t>(c)) : 0;
  // Measured afresh; the index comes out the same.
  rescan();
}

int OutputText::xOf(std::string_view line, size_t offset, CharWidths& w) {
  int x = 0;
  offset = std::min(offset, line.size());
  for (size_t p = 0; p < offset;) {
    char32_t c;
    p += decodeUtf8(line, p, c);
    x = advance(c, x, w);
  }
  return x;
}

size_t OutputText::hitTest(std::string_view line, int x, CharWidths& w) {
  int left = 0;
  for (size_t p = 0; p < line.size();) {
    char32_t c;
    const size_t n = decodeUtf8(line, p, c);
    const int right = advance(c, left, w);
    if (x < (left + right + 1) / 2) return p;
    left = right;
    p += n;
  }
  return line.size();
}

}  // namespace velquin::form
