// Find in the output view and the time of each line: matching with the two
// widths as one, matches of output that keeps arriving, the find strip as
// the user drives it, and the times and their copy.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "form/output_doc.h"
#include "results/output_find.h"
#include "support/app_fixture.h"

namespace velquin::test {
namespace {

using Words = std::vector<std::string>;

Words found(const std::string& text, const std::string& word, bool matchCase) {
  form::TextFinder f(text);
  f.setQuery(word, matchCase);
  Words out;
  for (size_t i = 0; i < f.count(); ++i)
    out.push_back(text.substr(f[i].begin, f[i].end - f[i].begin));
  return out;
}

TEST(TextFind, WidthsCaseAndVoicedMarks) {
  struct Case {
    std::string text, word;
    bool matchCase;
    Words want;
  };
  const Case cases[] = {
      {"IPv4 ＩＰｖ４ ipv4 IPV4", "ipv4", false, {"IPv4", "ＩＰｖ４", "ipv4", "IPV4"}},
      {"IPv4 ＩＰｖ４ ipv4 IPV4", "IPv4", true, {"IPv4", "ＩＰｖ４"}},
      {"IPv4 ＩＰｖ４ ipv4", "ＩＰＶ４", false, {"IPv4", "ＩＰｖ４", "ipv4"}},
      {"要求がタイムアウトしました。ﾀｲﾑｱｳﾄ", "ﾀｲﾑｱｳﾄ", false, {"タイムアウト", "ﾀｲﾑｱｳﾄ"}},
      {"ガ ｶﾞ カ ｶ", "ｶﾞ", false, {"ガ", "ｶﾞ"}},
      {"ガ ｶﾞ カ ｶ", "カ", false, {"カ", "ｶ"}},
      {"パ ﾊﾟ バ ﾊﾞ ハ", "パ", false, {"パ", "ﾊﾟ"}},
      {"ヴ ｳﾞ ウ", "ヴ", false, {"ヴ", "ｳﾞ"}},
      {"ｶﾞ ﾞ", "゛", false, {"ﾞ"}},  // a mark joined to its kana is not one
      {"ﾊﾟ ﾟ", "゜", false, {"ﾟ"}},
      {"ｱﾟ ﾟ", "゜", false, {"ﾟ", "ﾟ"}},  // ｱ takes no mark: both are marks alone
      {"ｶﾀ ｳﾄ", "ﾀ", false, {"ﾀ"}},  // no mark: a kana of its own
      {"ｶﾀ ｳﾄ", "ト", false, {"ﾄ"}},
      {"a　b a b", "a b", false, {"a　b", "a b"}},
      {"aaaa", "aa", false, {"aa", "aa"}},
      {"abc", "", false, {}},
      {"abc", "abcd", false, {}},
      // Both ends of every range that folds, and of every kana that takes
      // a mark.
      {"A Z a z", "a", false, {"A", "a"}},
      {"A Z a z", "Z", false, {"Z", "z"}},
      {"！ ～ ! ~", "!", false, {"！", "!"}},
      {"！ ～ ! ~", "～", false, {"～", "~"}},
      {"｡ ﾟ 。 ゜", "。", false, {"｡", "。"}},
      {"｡ ﾟ 。 ゜", "ﾟ", false, {"ﾟ", "゜"}},
      {"ﾁﾞ ﾂﾞﾃﾞﾄﾞ ヂヅデド", "ヂ", false, {"ﾁﾞ", "ヂ"}},
      {"ﾁﾞ ﾂﾞﾃﾞﾄﾞ ヂヅデド", "ヅデド", false, {"ﾂﾞﾃﾞﾄﾞ", "ヅデド"}},
      {"ﾎﾟ ﾎﾞ ﾎ ポボホ", "ﾎﾟ", false, {"ﾎﾟ", "ポ"}},
      {"ﾎﾟ ﾎﾞ ﾎ ポボホ", "ボ", false, {"ﾎﾞ", "ボ"}},
      {"ﾏﾟ ｱﾞ ﾃﾟ", "マ", false, {"ﾏ"}},  // no mark to take: two characters
      {"ﾏﾟ ｱﾞ ﾃﾟ", "ア", false, {"ｱ"}},
      {"ﾏﾟ ｱﾞ ﾃﾟ", "テ", false, {"ﾃ"}},
      // The first character of every length of UTF-8, at both ends.
      {"x\u0080 \u07FF \u0800 \uFFFD \U00010000 \U0010FFFF", "\u0080", false, {"\u0080"}},
      {"x\u0080 \u07FF \u0800 \uFFFD \U00010000 \U0010FFFF", "\u07FF", false, {"\u07FF"}},
      {"x\u0080 \u07FF \u0800 \uFFFD \U00010000 \U0010FFFF", "\u0800", false, {"\u0800"}},
      {"x\u0080 \u07FF \u0800 \uFFFD \U00010000 \U0010FFFF", "\uFFFD", false, {"\uFFFD"}},
      {"x\u0080 \u07FF \u0800 \uFFFD \U00010000 \U0010FFFF", "\U00010000", false, {"\U00010000"}},
      {"x\u0080 \u07FF \u0800 \uFFFD \U00010000 \U0010FFFF", "\U0010FFFF", false, {"\U0010FFFF"}},
      {"a\u3000b", " ", false, {"\u3000"}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(found(c.text, c.word, c.matchCase), c.want) << c.text << " / " << c.word;
}

TEST(TextFind, OutputArrivingInPiecesMatchesAsOneText) {
  const std::string whole =
      "Reply from ::1 time<1ms\r\nﾀｲﾑｱｳﾄ ｶﾞ\r\nreply ＲＥＰＬＹ rep ｶﾞｷﾞｸﾞｹﾞｺﾞｺ";
  for (const std::string word : {"reply", "ガ", "ﾀｲﾑｱｳﾄ", "1 time", "ガギグゲゴ"}) {
    const Words once = found(whole, word, false);
    for (size_t cut = 0; cut <= whole.size(); ++cut) {
      std::string text = whole.substr(0, cut);
      form::TextFinder f(text);
      f.setQuery(word, false);
      text += whole.substr(cut);
      f.appended();
      Words got;
      for (size_t i = 0; i < f.count(); ++i)
        got.push_back(text.substr(f[i].begin, f[i].end - f[i].begin));
      EXPECT_EQ(got, once) << word << " cut at " << cut;
    }
  }
  // A kana at the very end may still take its mark.
  std::string text = "ｶ";
  form::TextFinder ka(text), ga(text);
  ka.setQuery("カ", false);
  ga.setQuery("ガ", false);
  EXPECT_EQ(ka.count() * 10 + ga.count(), 10u);
  text += "ﾞ";
  ka.appended();
  ga.appended();
  EXPECT_EQ(ka.count() * 10 + ga.count(), 1u);
  // A text that grew shorter was not an append: it is searched afresh.
  text = "reply reply reply";
  form::TextFinder replies(text);
  replies.setQuery("reply", false);
  text = "a reply";
  replies.appended();
  ASSERT_EQ(replies.count(), 1u);
  EXPECT_EQ(replies[0].begin, 2u);
}

// The matches that a part of the text shows (a line of the view): those
// that overlap it, not those that end where it begins or begin where it ends.
TEST(TextFind, TheMatchesOverlappingAPart) {
  const std::string text = "ab-ab-ab";  // matches [0,2) [3,5) [6,8)
  form::TextFinder f(text);
  f.setQuery("ab", false);
  const struct { size_t from, to, first, last; } cases[] = {
      {2, 3, 1, 1}, {1, 7, 0, 3}, {2, 4, 1, 2}, {4, 6, 1, 2},
      {5, 6, 2, 2}, {0, 8, 0, 3}, {8, 8, 3, 3}, {0, 1, 0, 1},
  };
  for (const auto& c : cases)
    EXPECT_EQ(f.within(c.from, c.to), (std::pair<size_t, size_t>{c.first, c.last}))
        << c.from << "-" << c.to;
  // The match exactly there, and none that only overlaps.
  EXPECT_EQ(f.indexOf(3, 5), 1u);
  EXPECT_EQ(f.indexOf(3, 4), form::TextFinder::npos);
  EXPECT_EQ(f.indexOf(4, 5), form::TextFinder::npos);
  EXPECT_EQ(f.indexOf(9, 11), form::TextFinder::npos);
}

class OutputFindTest : public AppTest {
 protected:
  form::OutputDoc& doc() { return *(*this)["Memo0"].outputDoc(); }
  std::string selected() { return doc().text().selectedText(); }
  size_t selStart() { return doc().text().selStart(); }
  bool key(const std::string& k) { return form().userShortcut(k); }
  std::string focus() {
    return form().focused() ? form().focused()->name() : "";
  }
  void showResults(const std::string& text) {
    (*this)["PageControl1"].setActivePageIndex(1);
    (*this)["Memo0"].setText(text);
    enter("Memo0");
  }
};

TEST_F(OutputFindTest, StripFindsAsYouTypeStepsRoundAndCloses) {
  showResults(
      "ping ::1\r\nReply from ::1: time<1ms\r\nＲｅｐｌｙ from ::1\r\n"
      "Request timed out.\r\nreply from ::1\r\n");
  EXPECT_FALSE((*this)["PanelFind"].visible());
  key("F3");  // nothing to repeat yet: opens the strip
  ASSERT_TRUE((*this)["PanelFind"].visible());
  key("Esc");

  ASSERT_TRUE(key("Ctrl+F"));
  EXPECT_TRUE((*this)["PanelFind"].showing());
  EXPECT_EQ(focus(), "EditFind");
  EXPECT_TRUE(doc().marks());
  type("EditFind", "rep");
  EXPECT_EQ(selected(), "Rep");
  EXPECT_EQ(text("LblFind"), "1 / 3");
  type("EditFind", "reply");
  EXPECT_EQ(selected(), "Reply");  // the match grows in place
  EXPECT_EQ(text("LblFind"), "1 / 3");
  struct Step {
    std::string key, sel, count;
  };
  const Step steps[] = {
      {"Enter", "Ｒｅｐｌｙ", "2 / 3"}, {"F3", "reply", "3 / 3"},
      {"Enter", "Reply", "1 / 3"},     {"Shift+Enter", "reply", "3 / 3"},
      {"Shift+F3", "Ｒｅｐｌｙ", "2 / 3"},
  };
  for (const Step& s : steps) {
    EXPECT_TRUE(key(s.key)) << s.key;
    EXPECT_EQ(selected(), s.sel) << s.key;
    EXPECT_EQ(text("LblFind"), s.count) << s.key;
  }
  click("btnFindNext");
  EXPECT_EQ(text("LblFind"), "3 / 3");
  click("btnFindPrev");
  EXPECT_EQ(text("LblFind"), "2 / 3");
  click("CB_FindCase");
  EXPECT_EQ(selected(), "reply");
  EXPECT_EQ(text("LblFind"), "1 / 1");
  type("EditFind", "Reply");
  EXPECT_EQ(selected(), "Reply");
  EXPECT_EQ(text("LblFind"), "1 / 2");
  type("EditFind", "Replyx");
  EXPECT_EQ(text("LblFind"), results::kNotFound);

  click("CB_FindCase");
  type("EditFind", "time");
  EXPECT_EQ(selected(), "time");

  EXPECT_TRUE(key("Esc"));
  EXPECT_FALSE((*this)["PanelFind"].visible());
  EXPECT_FALSE(doc().marks());
  EXPECT_EQ(focus(), "Memo0");
  // F3 in the view repeats the last search with the strip hidden.
  const size_t first = selStart();
  EXPECT_TRUE(key("F3"));
  EXPECT_FALSE((*this)["PanelFind"].visible());
  EXPECT_EQ(selected(), "time");
  EXPECT_GT(selStart(), first);
  // Ctrl+F elsewhere is not the view's.
  enter("btnDO");
  EXPECT_FALSE(key("Ctrl+F"));
}

// The strip's controls stand in one row in their tab order, each centred
// in the strip's height, none over the next.
TEST_F(OutputFindTest, TheStripsControlsStandInARowCentredInIt) {
  showResults("ping ::1\r\n");
  key("Ctrl+F");
  const form::Control& strip = (*this)["PanelFind"];
  int right = 0;
  for (const form::Control* c : strip.children()) {
    const form::Rect& b = c->bounds();
    EXPECT_EQ(2 * b.top + b.height, strip.bounds().height) << c->name();
    EXPECT_GE(b.left, right + 2) << c->name();
    right = b.left + b.width;
  }
  EXPECT_LE(right, strip.bounds().width) << "the strip is wide enough for all";
}

TEST_F(OutputFindTest, FieldStartsWithTheSelectionOnOneLine) {
  showResults("ping ::1\r\nReply from ::1\r\n");
  doc().text().select(10, 15);  // "Reply"
  key("Ctrl+F");
  EXPECT_EQ(text("EditFind"), "Reply");
  EXPECT_EQ(selected(), "Reply");
  key("Esc");
  doc().text().select(0, 15);  // two lines: the field keeps its word
  key("Ctrl+F");
  EXPECT_EQ(text("EditFind"), "Reply");
  key("Esc");
  // A caret alone keeps the word too, and F3 finds from the caret on,
  // the match that starts there included.
  doc().text().select(10, 10);
  key("Ctrl+F");
  EXPECT_EQ(text("EditFind"), "Reply");
  key("Esc");
  doc().text().select(10, 10);
  key("F3");
  EXPECT_EQ(selStart(), 10u);
  EXPECT_EQ(selected(), "Reply");
}

TEST_F(OutputFindTest, CountGrowsAsOutputArrives) {
  showResults("ping -t ::1\r\n");
  key("Ctrl+F");
  type("EditFind", "ﾀｲﾑｱｳﾄ");
  EXPECT_EQ(text("LblFind"), results::kNotFound);
  form::Control& memo = (*this)["Memo0"];
  memo.append("要求がタイム");
  memo.append("アウトしました。\r\n");
  EXPECT_EQ(text("LblFind"), "0 / 1");
  key("Enter");
  EXPECT_EQ(text("LblFind"), "1 / 1");
  memo.append("要求がﾀｲﾑｱｳﾄしました。\r\n");
  EXPECT_EQ(text("LblFind"), "1 / 2");
  // A new run starts counting anew.
  memo.setText("ping ::1\r\n");
  EXPECT_EQ(text("LblFind"), results::kNotFound);
}

TEST_F(OutputFindTest, ALargeOutputIsMatchedInSlicesWithBoundedMemory) {
  // Sixteen megabytes of a netstat table, then one line at the end.
  const std::string line =
      "  TCP    127.0.0.1:49664        0.0.0.0:0              LISTENING\r\n";
  std::string big;
  big.reserve(16 << 20);
  while (big.size() < (16 << 20)) big += line;
  const size_t lines = big.size() / line.size();
  const size_t blanks = lines * static_cast<size_t>(std::count(line.begin(), line.end(), ' '));
  showResults(big + "END\r\n");
  form::TextFinder& find = doc().finder();

  // A one-character word: the keystroke matches a slice; the rest comes a
  // slice at a time, as the view is asked for, the count marked as a
  // floor until it is whole.
  int asked = 0;
  doc().onFindPending = [&] { ++asked; };
  key("Ctrl+F");
  type("EditFind", " ");
  EXPECT_TRUE(find.pending());
  EXPECT_GT(asked, 0);
  EXPECT_EQ(selected(), " ");
  EXPECT_EQ(text("LblFind"), "1 / " + std::to_string(find.count()) + "+");
  while (find.pending()) doc().findMore();
  EXPECT_EQ(find.count(), blanks);
  EXPECT_EQ(text("LblFind"), "1 / " + std::to_string(blanks));
  EXPECT_LE(find.capacityBytes(), 4 * blanks + 70 * 1024) << "four bytes a match";

  // A word found only at the end: nothing yet, then Enter goes there.
  type("EditFind", "END");
  EXPECT_EQ(text("LblFind"), "0 / 0+");
  key("Enter");
  EXPECT_EQ(selected(), "END");
  EXPECT_EQ(text("LblFind"), "1 / 1");
  // Backwards from the top, it goes round to the last match of all, which
  // takes matching the whole output at once.
  doc().text().select(0, 0);  // the caret at the top, as a click puts it
  type("EditFind", "EN");
  type("EditFind", "END");
  ASSERT_TRUE(find.pending());
  key("Shift+Enter");
  EXPECT_EQ(selected(), "END");
  EXPECT_EQ(text("LblFind"), "1 / 1");

  // Closing the strip gives the table back and stops matching; F3 starts
  // it again.
  type("EditFind", " ");
  key("Esc");
  EXPECT_LE(find.capacityBytes(), 64u);
  (*this)["Memo0"].append(line);
  EXPECT_EQ(find.count(), 0u);
  key("F3");
  EXPECT_EQ(selected(), " ");
  EXPECT_GT(find.count(), 0u);

  // A cleared view keeps none of the old tables' memory.
  (*this)["Memo0"].setText("ping ::1\r\n");
  EXPECT_LE(doc().text().capacityBytes(), 64u);
  EXPECT_LE(doc().times().capacityBytes(), 64u);
  EXPECT_LE(find.capacityBytes(), 64u);
}

TEST_F(OutputFindTest, EveryLineHasTheTimeItsFirstByteArrived) {
  const long long day = 86400000LL * 150000;  // a day's midnight
  auto at = [&](long long ms) { os.clock = day + ms; };
  form::Control& memo = (*this)["Memo0"];
  at(13 * 3600000LL + 5 * 60000 + 9 * 1000 + 7);  // 13:05:09.007
  memo.setText("ping ::1");
  memo.append("\r\n");
  at(13 * 3600000LL + 5 * 60000 + 10 * 1000);
  memo.append("a\r\nb");
  at(13 * 3600000LL + 5 * 60000 + 11 * 1000);
  memo.append("c\r");
  at(13 * 3600000LL + 5 * 60000 + 12 * 1000 + 340);
  memo.append("\nd\r\n");
  const form::LineTimes& t = doc().times();
  std::vector<std::string> got;
  for (size_t ln = 0; ln < doc().text().lineCount(); ++ln)
    got.push_back(t.has(ln) ? form::LineTimes::format(t.at(ln)) : "-");
  EXPECT_EQ(got, (std::vector<std::string>{"13:05:09.007", "13:05:10.000",
                                           "13:05:10.000", "13:05:12.340", "-"}));

  // Copy with times: every line that the selection touches.
  const std::string& s = memo.text();  // "ping ::1\r\na\r\nbc\r\nd\r\n"
  auto copy = [&](size_t from, size_t to) {
    return form::linesWithTimes(doc().text(), t, from, to);
  };
  EXPECT_EQ(copy(s.find('a'), s.find('c')), "13:05:10.000\ta\r\n13:05:10.000\tbc");
  EXPECT_EQ(copy(s.find('a'), s.find('b')), "13:05:10.000\ta");  // ends where bc begins
  EXPECT_EQ(copy(s.find('d'), s.find('d')), "13:05:12.340\td");
  EXPECT_EQ(copy(0, s.size()),
            "13:05:09.007\tping ::1\r\n13:05:10.000\ta\r\n13:05:10.000\tbc\r\n"
            "13:05:12.340\td");
}

// The clock set back during a run, or a run of more than 49 days: each line
// keeps the nearest time that can be held.
TEST_F(OutputFindTest, LineTimesOfAClockSetBackOrAVeryLongRun) {
  const long long start = 86400000LL * 150000 + 3600000;  // 01:00:00.000
  form::Control& memo = (*this)["Memo0"];
  os.clock = start;
  memo.setText("ping -t ::1\r\n");
  const struct { long long clock; const char* time; } table[] = {
      {start - 5000, "01:00:00.000"},
      {start + 1, "01:00:00.001"},
      {start + 0xFFFFFFFFLL, "18:02:47.295"},  // 4294967.295 s on
      {start + 0xFFFFFFFFLL + 7, "18:02:47.295"},
  };
  for (const auto& step : table) {
    os.clock = step.clock;
    memo.append("Reply\r\n");
    const size_t ln = doc().text().lineCount() - 2;
    EXPECT_EQ(form::LineTimes::format(doc().times().at(ln)), step.time) << step.clock;
  }
  // Times before the epoch read as the time of day they are.
  EXPECT_EQ(form::LineTimes::format(-1), "23:59:59.999");
  EXPECT_EQ(form::LineTimes::format(86400000LL * 2 - 1), "23:59:59.999");
}

TEST_F(OutputFindTest, ShowingTheTimesIsKeptAcrossStarts) {
  EXPECT_FALSE(doc().showTimes());
  doc().setShowTimes(true);
  main().FormClose();
  program.reset();
  program = std::make_unique<Program>(os);
  main().FormCreate();
  main().FormShow();
  EXPECT_TRUE(doc().showTimes());
  const std::string ini = readBytes(os.folder + "/Velquin.ini");
  EXPECT_EQ(std::count(ini.begin(), ini.end(), '\n'), 5);
}


// Features beside find read the output as it arrives and add items to the
// view's menu: every listener is told, one taken away is not, and the menu
// shows each item as its functions say at the moment it is opened.
TEST(OutputDoc, ListenersAndFeatureMenuItems) {
  std::string text;
  form::OutputDoc doc(text);
  int first = 0, second = 0;
  const int a = doc.listen([&] { ++first; });
  doc.listen([&] { ++second; });
  text = "x\r\n";
  doc.reset();
  doc.unlisten(a);
  text += "y";
  doc.appended();
  EXPECT_EQ(first, 1);
  EXPECT_EQ(second, 2);

  bool shown = false, ticked = false, usable = false;
  doc.addMenuItem({"A(&A)", "Act_A", [&] { return shown; }, nullptr, nullptr, true});
  doc.addMenuItem({"B(&B)", "Act_B", nullptr, [&] { return ticked; },
                   [&] { return usable; }});
  auto menu = doc.menu();
  ASSERT_EQ(menu.size(), 1u);
  EXPECT_EQ(menu[0].action, "Act_B");
  EXPECT_FALSE(menu[0].checked);
  EXPECT_FALSE(menu[0].enabled);
  EXPECT_FALSE(menu[0].separatorBefore);
  // Marks and times repaint the view once per change; a match found is
  // also brought into sight.
  std::vector<bool> shows;
  doc.onShow = [&](bool reveal) { shows.push_back(reveal); };
  doc.setMarks(true);
  doc.setMarks(true);
  doc.setShowTimes(true);
  doc.setShowTimes(true);
  doc.setShowTimes(false);
  doc.setMarks(false);
  doc.selectFound(0, 1);
  EXPECT_EQ(shows, (std::vector<bool>{false, false, false, false, true}));
  EXPECT_EQ(doc.text().selectedText(), "x");

  shown = ticked = usable = true;
  menu = doc.menu();
  ASSERT_EQ(menu.size(), 2u);
  EXPECT_EQ(menu[0].caption, "A(&A)");
  EXPECT_TRUE(menu[0].separatorBefore);
  EXPECT_FALSE(menu[0].checked);
  EXPECT_TRUE(menu[0].enabled);
  EXPECT_TRUE(menu[1].checked);
  EXPECT_TRUE(menu[1].enabled);
}

}  // namespace
}  // namespace velquin::test
