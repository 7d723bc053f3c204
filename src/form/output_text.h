#pragma once
// What the output view needs to show any part of a large text at once: an
// index of line starts, kept up to date as text is appended at the end, the
// width of the widest line, the selection, words, and the layout of one line
// in pixels. The text itself is the model's (Memo0's) and is never copied;
// positions are byte offsets into its UTF-8.

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velquin::form {

// Advance widths in pixels, as the view's font draws the characters.
class CharWidths {
 public:
  virtual ~CharWidths() = default;
  virtual int width(char32_t c) = 0;
  // Distance between two tab stops.
  virtual int tabWidth() = 0;
};

// The character that starts at pos and its length in bytes; a byte that
// does not start a well-formed character counts as one character.
size_t decodeUtf8(std::string_view s, size_t pos, char32_t& c);

class OutputText {
 public:
  explicit OutputText(const std::string& text);
  OutputText(const OutputText&) = delete;
  OutputText& operator=(const OutputText&) = delete;

  const std::string& text() const { return text_; }

  // The text was replaced: index rebuilt, selection cleared.
  void reset();
  // The text grew at its end; costs what was added, never what was there.
  void appended();

  // Lines: CR LF, a lone CR and a lone LF each end one; the line after the
  // last break (possibly empty) counts too, as the edit control shows it.
  size_t lineCount() const { return starts_.size(); }
  // Memory the index of line starts takes.
  size_t capacityBytes() const { return starts_.capacity() * sizeof(size_t); }
  size_t lineStart(size_t line) const { return starts_[line]; }
  size_t lineEnd(size_t line) const;  // where its line break begins
  std::string_view line(size_t line) const;
  size_t lineOf(size_t pos) const;

  // Selection from the anchor (where it began) to the caret.
  size_t anchor() const { return anchor_; }
  size_t caret() const { return caret_; }
  size_t selStart() const { return std::min(anchor_, caret_); }
  size_t selEnd() const { return std::max(anchor_, caret_); }
  bool hasSelection() const { return anchor_ != caret_; }
  void select(size_t anchor, size_t caret);
  // Moves the caret; extend keeps the anchor (Shift held).
  void moveCaret(size_t caret, bool extend);
  void selectAll() { select(0, text_.size()); }
  // The selected text exactly as held, line breaks included.
  std::string selectedText() const;

  // A position made valid: within the text, on a character boundary and
  // never between the CR and the LF of one line break.
  size_t snap(size_t pos) const;
  size_t nextChar(size_t pos) const;
  size_t prevChar(size_t pos) const;
  // The word around pos: the run of characters of one kind (letters and
  // digits, kanji, hiragana, katakana, blanks, other signs) within its line.
  std::pair<size_t, size_t> wordAt(size_t pos) const;

  // Widths: set (or changed, as for a new font or DPI) measures every line
  // once; appends measure only what they add.
  void setWidths(CharWidths* widths);
  int widest() const { return widest_; }

  // Length in UTF-16 units, as Windows counts the text.
  size_t wideLength() const { return wide_; }

  // Layout of one line of text (no line break in it), tabs included.
  static int xOf(std::string_view line, size_t offset, CharWidths& w);
  // The character boundary nearest to x.
  static size_t hitTest(std::string_view line, int x, CharWidths& w);

 private:
  // Index, length and widths from nothing, and of what was added.
  void rescan();
  void scan();
  static bool printableAscii(unsigned char b) { return b >= 0x20 && b < 0x80; }
  // Width of a run of printable ASCII.
  int asciiWidth(const char* s, size_t n) const;

  const std::string& text_;
  std::vector<size_t> starts_{0};
  size_t scanned_ = 0;  // bytes of text_ in the index, length and widths
  size_t wide_ = 0;
  size_t anchor_ = 0;
  size_t caret_ = 0;
  CharWidths* widths_ = nullptr;
  int x_ = 0;  // x at scanned_ within its line
  int widest_ = 0;
  int ascii_[128] = {};  // widths of the printable ASCII characters
};

}  // namespace velquin::form
