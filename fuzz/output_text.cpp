// The output view's core: text appended in pieces of any kind (CR, LF and
// CR LF split between appends, long lines, ill-formed UTF-8) keeps an index
// equal to the lines split from scratch, and every position that selection,
// words, snapping and hit tests give back lies within the text, on a
// character boundary.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <string>
#include <vector>

#include "form/output_text.h"
#include "support/memory_platform.h"

using namespace velquin;

namespace {

// Advance widths from the character alone, zero included, as fonts have.
class Widths : public form::CharWidths {
 public:
  explicit Widths(int tab) : tab_(tab) {}
  int width(char32_t c) override { return static_cast<int>(c * 2654435761u >> 27) % 20; }
  int tabWidth() override { return tab_; }

 private:
  int tab_;
};

// Where characters start, walking the text from `from` (where one starts)
// to its end; the LF of a CR LF is no place to stop.
void walk(const std::string& text, std::vector<bool>& at, size_t from) {
  at.resize(text.size() + 1);
  std::fill(at.begin() + from, at.end(), false);
  for (size_t p = from; p < text.size();) {
    at[p] = true;
    char32_t c;
    p += form::decodeUtf8(text, p, c);
  }
  at[text.size()] = true;
  for (size_t p = std::max<size_t>(from, 1); p < text.size(); ++p)
    if (text[p] == '\n' && text[p - 1] == '\r') at[p] = false;
}

void checkIndex(const std::string& text, const form::OutputText& view) {
  std::vector<std::string> lines = fuzz::splitLines(text);
  // The line after a final break, empty, is a line of the view too.
  if (text.empty() || text.back() == '\r' || text.back() == '\n') lines.emplace_back();
  if (view.lineCount() != lines.size()) fuzz::fail("line count");
  for (size_t i = 0; i < lines.size(); ++i) {
    if (view.line(i) != lines[i]) fuzz::fail("line text");
    if (view.lineOf(view.lineStart(i)) != i) fuzz::fail("line of a line start");
  }
}

void checkPositions(const std::string& text, const std::vector<bool>& at,
                    form::OutputText& view, Widths& widths, size_t pos, int x,
                    bool extend) {
  auto boundary = [&](size_t p, const char* what) {
    if (p > text.size() || !at[p]) fuzz::fail(what);
  };
  const size_t s = view.snap(pos);
  boundary(s, "snap: off a boundary");
  if (pos <= text.size() && at[pos] && s != pos) fuzz::fail("snap moved a boundary");
  const size_t next = view.nextChar(pos), prev = view.prevChar(pos);
  boundary(next, "next character: off a boundary");
  boundary(prev, "previous character: off a boundary");
  if (s < text.size() && next <= s) fuzz::fail("next character does not advance");
  if (s > 0 && prev >= s) fuzz::fail("previous character does not go back");

  const auto [from, to] = view.wordAt(pos);
  boundary(from, "word start: off a boundary");
  boundary(to, "word end: off a boundary");
  const size_t line = view.lineOf(s);
  if (from > to || from < view.lineStart(line) || to > view.lineEnd(line))
    fuzz::fail("word outside its line");

  view.moveCaret(pos, extend);
  boundary(view.anchor(), "anchor: off a boundary");
  boundary(view.caret(), "caret: off a boundary");
  if (view.selectedText() != text.substr(view.selStart(), view.selEnd() - view.selStart()))
    fuzz::fail("selected text");

  const size_t hit = form::OutputText::hitTest(view.line(line), x, widths);
  if (hit > view.line(line).size()) fuzz::fail("hit test past the line");
  boundary(view.lineStart(line) + hit, "hit test: off a boundary");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  std::string text;
  form::OutputText view(text);
  Widths widths(in.ConsumeIntegralInRange(0, 40));
  if (in.ConsumeBool()) view.setWidths(&widths);
  // Where characters start, walked up to `walked` bytes of the text; an
  // append changes at most the last character before it, which starts
  // at a byte that is no continuation byte at least four bytes back.
  std::vector<bool> at;
  size_t walked = 0;
  walk(text, at, 0);
  while (in.remaining_bytes() > 0) {
    // Past some lines' worth, only the probes: each costs what the text holds.
    const int most = text.size() < 8192 ? 0 : 4;
    switch (in.ConsumeIntegralInRange(most, 5)) {
      case 0:
        text += in.ConsumeRandomLengthString(64);
        view.appended();
        break;
      case 1: {  // the pieces that break lines and characters
        static const char* const pieces[] = {"\r", "\n", "\r\n", "\xE3\x81",
                                             "\x82", "\xF0\x9F", "\t", "\xE3\x80\x80"};
        text += pieces[in.ConsumeIntegralInRange(0, 7)];
        view.appended();
        break;
      }
      case 2:  // a long line, of words short enough to probe often
        for (int n = in.ConsumeIntegralInRange(0, 40); n > 0; --n)
          text += "IPv4 アドレス. . . : 192.168.0.1\t";
        view.appended();
        break;
      case 3: {  // the text replaced; a shorter one may come without a word
        const size_t before = text.size();
        walked = 0;
        text = in.ConsumeRandomLengthString(32);
        if (text.size() < before && in.ConsumeBool()) view.appended();
        else view.reset();
        break;
      }
      case 4:
        view.select(in.ConsumeIntegral<size_t>() % (text.size() + 3),
                    in.ConsumeIntegral<size_t>() % (text.size() + 3));
        break;
      default:
        if (walked != text.size() || at.size() != text.size() + 1) {
          size_t from = walked > 4 ? walked - 4 : 0;
          while (from > 0 && (static_cast<unsigned char>(text[from]) & 0xC0) == 0x80) --from;
          walk(text, at, from);
          walked = text.size();
        }
        checkPositions(text, at, view, widths, in.ConsumeIntegral<size_t>() % (text.size() + 3),
                       in.ConsumeIntegralInRange(-10, 2000), in.ConsumeBool());
        break;
    }
  }
  checkIndex(text, view);
  return 0;
}
