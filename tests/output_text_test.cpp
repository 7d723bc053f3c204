// The output view's text core: the line index kept by appends, selection,
// words and copy, and the layout of a line, with a font whose characters
// are 10 pixels wide (20 for wide ones).
#include "form/output_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velquin::form {
namespace {

class FixedWidths : public CharWidths {
 public:
  int width(char32_t c) override { return c < 0x1100 ? 10 : 20; }
  int tabWidth() override { return 80; }
};

std::vector<std::string> linesOf(const OutputText& t) {
  std::vector<std::string> out;
  for (size_t i = 0; i < t.lineCount(); ++i) out.emplace_back(t.line(i));
  return out;
}

using Lines = std::vector<std::string>;

TEST(OutputText, CrLfLoneCrAndLoneLfEachEndOneLine) {
  std::string s = "a\r\nb\rc\nd\r\r\ne\r\n";
  OutputText t(s);
  EXPECT_EQ(linesOf(t), (Lines{"a", "b", "c", "d", "", "e", ""}));
  EXPECT_EQ(t.lineOf(0), 0u);
  EXPECT_EQ(t.lineOf(2), 0u);  // inside the CR LF
  EXPECT_EQ(t.lineOf(3), 1u);
  EXPECT_EQ(t.lineEnd(0), 1u);
}

TEST(OutputText, AppendsSplitAnywhereIndexAndMeasureAsOneText) {
  const std::string whole = "line 1\r\nzwei\rdrei\n\r\n接続\t😀\r\n\r\nend";
  FixedWidths w;
  std::string once = whole;
  OutputText expected(once);
  expected.setWidths(&w);
  EXPECT_EQ(expected.widest(), 100);  // 接続, a tab to 80, then 😀
  EXPECT_EQ(expected.wideLength(), whole.size() - 2 * 2 - 2);  // UTF-16 units
  for (size_t cut = 0; cut <= whole.size(); ++cut) {
    for (size_t cut2 = cut; cut2 <= whole.size(); cut2 += 3) {
      std::string s = whole.substr(0, cut);
      OutputText t(s);
      t.setWidths(&w);
      s += whole.substr(cut, cut2 - cut);
      t.appended();
      s += whole.substr(cut2);
      t.appended();
      ASSERT_EQ(linesOf(t), linesOf(expected)) << cut << " " << cut2;
      ASSERT_EQ(t.wideLength(), expected.wideLength()) << cut << " " << cut2;
      // The output is appended in whole characters.
      auto inside = [&](size_t at) { return (whole[at] & 0xC0) == 0x80; };
      if (!inside(cut) && !inside(cut2)) {
        ASSERT_EQ(t.widest(), expected.widest()) << cut << " " << cut2;
      }
    }
  }
}

// A font in which every character has a width of its own: the widest line
// measured as the text arrives is the one that laying each line out gives.
class ProportionalWidths : public CharWidths {
 public:
  int width(char32_t c) override { return static_cast<int>(c % 13) + 3; }
  int tabWidth() override { return 64; }
};

TEST(OutputText, TheWidestLineIsMeasuredWithEachCharactersOwnWidth) {
  ProportionalWidths w;
  const std::string lines[] = {
      " !\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_`",
      "abcdefghijklmnopqrstuvwxyz{|}~ ~}|{zyxwvutsrqponmlkjihgfedcba",
      "iiiiiiiiWWWWWWWW\tx接続の状態MMMMmmmm",
      "~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~",
  };
  for (const std::string& widest : lines) {
    const std::string whole = "short\r\n" + widest + "\r\nend";
    const int want = OutputText::xOf(widest, widest.size(), w);
    for (size_t cut = 0; cut <= whole.size(); cut += 5) {
      if ((whole[cut] & 0xC0) == 0x80) continue;  // appends bring whole characters
      std::string s = whole.substr(0, cut);
      OutputText t(s);
      t.setWidths(&w);
      s += whole.substr(cut);
      t.appended();
      ASSERT_EQ(t.widest(), want) << widest << " cut at " << cut;
    }
  }
}

TEST(OutputText, ReplacedTextIsIndexedAfreshAndTheSelectionCleared) {
  std::string s = "one\r\ntwo";
  OutputText t(s);
  t.selectAll();
  s = "x";
  t.reset();
  EXPECT_EQ(linesOf(t), (Lines{"x"}));
  EXPECT_FALSE(t.hasSelection());
}

TEST(OutputText, VeryLongLinesAreOneLineMeasuredAsTheyGrow) {
  FixedWidths w;
  std::string s;
  OutputText t(s);
  t.setWidths(&w);
  for (int i = 0; i < 100; ++i) {
    s += std::string(10000, 'x');
    t.appended();
  }
  EXPECT_EQ(t.lineCount(), 1u);
  EXPECT_EQ(t.widest(), 10 * 1000000);
  EXPECT_EQ(OutputText::hitTest(t.line(0), 10 * 777777 + 4, w), 777777u);
  EXPECT_EQ(OutputText::hitTest(t.line(0), 10 * 777777 + 6, w), 777778u);
  s += "\r\nshort";
  t.appended();
  EXPECT_EQ(t.lineCount(), 2u);
  EXPECT_EQ(t.widest(), 10 * 1000000);
}

TEST(OutputText, TabsStopEveryEightColumnsAndWideCharactersCountDouble) {
  FixedWidths w;
  EXPECT_EQ(OutputText::xOf("ab\tc", 3, w), 80);
  EXPECT_EQ(OutputText::xOf("abcdefgh\tc", 9, w), 160);
  EXPECT_EQ(OutputText::xOf("\t\t", 2, w), 160);
  EXPECT_EQ(OutputText::xOf("あいx", 6, w), 40);
  EXPECT_EQ(OutputText::hitTest("あいx", 29, w), 3u);  // nearer the middle
  EXPECT_EQ(OutputText::hitTest("あいx", 31, w), 6u);
  // The widest line is not the last one, in one measure and in one append.
  std::string s = "12345678901\r\nab\tc";
  OutputText t(s);
  t.setWidths(&w);
  EXPECT_EQ(t.widest(), 110);
  s += "123456789012\r\nab";
  t.appended();
  EXPECT_EQ(t.widest(), 210);
}

TEST(OutputText, SelectionAcrossLinesCopiesTheTextAsHeld) {
  std::string s = "first line\r\nsecond\nthird line";
  OutputText t(s);
  t.select(6, s.find("third") + 5);
  EXPECT_EQ(t.selectedText(), "line\r\nsecond\nthird");
  // Shift+click before the anchor selects backwards from it.
  t.moveCaret(2, true);
  EXPECT_EQ(t.selectedText(), "rst ");
  EXPECT_EQ(t.anchor(), 6u);
  t.selectAll();
  EXPECT_EQ(t.selectedText(), s);
  t.moveCaret(3, false);
  EXPECT_FALSE(t.hasSelection());
  EXPECT_EQ(t.selectedText(), "");
}

TEST(OutputText, PositionsNeverSplitACharacterOrALineBreak) {
  std::string s = "aあ\r\nb";
  OutputText t(s);
  EXPECT_EQ(t.snap(2), 1u);  // inside あ
  EXPECT_EQ(t.snap(5), 4u);  // between CR and LF
  EXPECT_EQ(t.snap(99), s.size());
  EXPECT_EQ(t.nextChar(1), 4u);
  EXPECT_EQ(t.nextChar(4), 6u);  // CR LF is one step
  EXPECT_EQ(t.prevChar(6), 4u);
  EXPECT_EQ(t.prevChar(4), 1u);
  t.select(2, 5);
  EXPECT_EQ(t.selectedText(), "あ");
  // Inside a character of every length, at the start of the text and
  // after a letter: back to where the character begins.
  for (const std::string c : {"é", "あ", "😀"}) {
    for (const std::string& lead : {std::string(), std::string("a")}) {
      std::string u = lead + c + "z";
      OutputText v(u);
      for (size_t in = 1; in < c.size(); ++in)
        EXPECT_EQ(v.snap(lead.size() + in), lead.size()) << c << " " << in;
      EXPECT_EQ(v.snap(lead.size() + c.size()), lead.size() + c.size()) << c;
    }
  }
}

TEST(OutputText, TheCaretStepsOverIllFormedBytesOneAtATime) {
  // A cut-off あ (E3 81), a stray continuation byte after a whole あ, and a
  // lone one: each byte that starts no whole character is one character.
  for (const std::string& s : {std::string("\xE3\x81z"),
                              std::string("\xE3\x81\x82\x83z"),
                              std::string("\x80\x80z")}) {
    OutputText t(s);
    std::vector<size_t> steps;
    for (size_t p = 0; p < s.size(); p = t.nextChar(p)) {
      t.moveCaret(t.nextChar(p), false);
      ASSERT_GT(t.caret(), p) << "stuck at " << p;
      steps.push_back(t.caret());
    }
    for (size_t p : steps) EXPECT_EQ(t.snap(p), p);
    EXPECT_EQ(t.prevChar(s.size() - 1), steps[steps.size() - 3]);
  }
}

TEST(OutputText, ASelectionThatAnAppendSplitsEndsBeforeTheWholeCharacter) {
  // Selected up to the end while a line break or a character was half
  // there; the rest of it arrives. The end is the caret (dragged down to
  // it) or the anchor (dragged up from it).
  const struct {
    std::string before, added, selected;
  } cases[] = {
      {"ab\r", "\n", "ab"},
      {"ab\xE3\x81", "\x82", "ab"},
      {"ab\xF0\x9F", "\x98\x80", "ab"},
  };
  for (const auto& c : cases) {
    for (const bool fromEnd : {false, true}) {
      std::string s = c.before;
      OutputText t(s);
      if (fromEnd) t.select(s.size(), 0);
      else t.selectAll();
      s += c.added;
      t.appended();
      EXPECT_EQ(t.selectedText(), c.selected) << fromEnd;
      EXPECT_EQ(fromEnd ? t.anchor() : t.caret(), c.selected.size()) << fromEnd;
    }
  }
}

TEST(OutputText, DoubleClickSelectsAWordOfOneKindOfCharacter) {
  std::string s = "イーサネット アダプター ローカル接続:\r\n"
                  "   IPv4 アドレス. . . : 192.168.0.1です\r\n";
  OutputText t(s);
  auto word = [&](const std::string& at, size_t skip = 0) {
    const auto [from, to] = t.wordAt(s.find(at) + skip);
    return s.substr(from, to - from);
  };
  EXPECT_EQ(word("サネ"), "イーサネット");
  EXPECT_EQ(word("接続"), "接続");
  EXPECT_EQ(word("カル"), "ローカル");
  EXPECT_EQ(word("Pv4"), "IPv4");
  EXPECT_EQ(word("168"), "168");
  EXPECT_EQ(word("です"), "です");
  EXPECT_EQ(word("   IPv4", 1), "   ");
  // At the end of a line, the word before the break; never the break.
  const size_t end = s.find("\r\n");
  const auto [from, to] = t.wordAt(end);
  EXPECT_EQ(s.substr(from, to - from), ":");
  std::string empty = "\r\n";
  OutputText e(empty);
  EXPECT_EQ(e.wordAt(0), (std::pair<size_t, size_t>{0, 0}));
}

}  // namespace
}  // namespace velquin::form
