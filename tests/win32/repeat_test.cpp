// Repeating a command in the real window: Ctrl+R opens the strip, a
// "cmd /c type" of a file that the test changes between runs shows its
// count and changes in the status bar, the changed runs are listed and one
// of them shown again, the record is saved in the code page, and Esc
// closes the strip.
#include <windows.h>
#include <commctrl.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>

#include "wine_app.h"
#include "form/output_doc.h"
#include "win32/text.h"

namespace velquin::test {
namespace {

namespace fs = std::filesystem;

class Repeat : public WineApp {
 protected:
  std::string bar() { return statusText(); }
  std::vector<std::string> items(const std::string& combo) {
    HWND h = byName(combo);
    std::vector<std::string> out;
    const LRESULT n = SendMessageW(h, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < n; ++i) {
      std::wstring w(static_cast<size_t>(SendMessageW(h, CB_GETLBTEXTLEN, i, 0)) + 1, L'\0');
      SendMessageW(h, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(w.data()));
      w.resize(w.size() - 1);
      out.push_back(win32::narrow(w));
    }
    return out;
  }
  void choose(const std::string& combo, int index) {
    HWND h = byName(combo);
    SendMessageW(h, CB_SETCURSEL, index, 0);
    SendMessageW(GetParent(h), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(h), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(h));
    pump(10);
  }
  void write(const std::string& path, const std::string& utf8) {
    std::ofstream(fs::path(win32::widen(path)), std::ios::binary)
        << win32::toCodePage(932, win32::widen(utf8), nullptr);
  }
  std::string read(const std::string& path) {
    std::ifstream in(fs::path(win32::widen(path)), std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    return win32::narrow(win32::fromCodePage(932, bytes));
  }
};

const std::string kFirst =
    "インターフェイス: 127.0.0.1 --- 0x1\r\n"
    "  インターネット アドレス  物理アドレス          種類\r\n"
    "  127.0.0.2             00-11-22-33-44-55     動的\r\n"
    "  127.0.0.3             00-11-22-33-44-66     動的\r\n"
    "  127.0.0.4             00-11-22-33-44-77     静的\r\n";
const std::string kSecond =
    "インターフェイス: 127.0.0.1 --- 0x1\r\n"
    "  インターネット アドレス  物理アドレス          種類\r\n"
    "  127.0.0.2             00-11-22-33-44-5a     動的\r\n"
    "  127.0.0.4             00-11-22-33-44-77     静的\r\n"
    "  127.0.0.9             00-11-22-33-44-99     動的\r\n";

TEST_F(Repeat, ATypedFileThatChangesShowsItsRunsAndChanges) {
  const std::string file = folder + "\\arp.txt";
  write(file, kFirst);
  const std::string line = "cmd /c type " + file;
  typeInto("Edit1", line);
  ASSERT_TRUE(putFocus(byName("Edit1")));
  keyPress('R', VK_CONTROL);
  pump();
  ASSERT_TRUE(visible("PanelRepeat"));
  EXPECT_EQ(focusNow(), byName("btnRepeat"));
  EXPECT_EQ(text("LblRepeatLine"), line);
  // Long enough for a command started under Wine to end within it.
  typeInto("Edit_RepeatSec", "3");

  auto barHas = [this](const std::string& a, const std::string& b) {
    const std::string s = bar();
    return s.find(a) != std::string::npos && s.find(b) != std::string::npos;
  };
  std::string third;
  UserHand hand(window->hwnd(), byName("btnRepeatClose"),
            {{[&] { return barHas("繰り返し 2 回目: ", "次は"); },
              [&] { write(file, kSecond); }},
             {[&] { return barHas("繰り返し 3 回目: ", "次は"); },
              [&] {
                third = bar();
                PostMessageW(byName("btnRepeat"), BM_CLICK, 0, 0);
              }}},
            30000);
  click("btnRepeat");
  pump();
  ASSERT_EQ(hand.taken(), 2u) << bar();
  EXPECT_TRUE(std::regex_match(
      third, std::regex("繰り返し 3 回目: 終了コード 0 \\([0-9.]+ 秒\\)、変化 3 行、次は [123] 秒後")))
      << third;
  EXPECT_TRUE(bar().ends_with("、変化 3 行")) << bar();
  EXPECT_EQ(text("btnRepeat"), "開始(&S)");
  EXPECT_EQ(text("Memo0"), line + "\r\n" + kSecond);
  const std::vector<std::string> runs = items("CB_RepeatRuns");
  ASSERT_EQ(runs.size(), 3u);
  EXPECT_EQ(runs[0], "最新");
  EXPECT_TRUE(std::regex_match(runs[1], std::regex("\\d\\d:\\d\\d:\\d\\d  3 回目  変化 3 行")))
      << runs[1];
  // The first two runs gave one text: listed under the first of them.
  EXPECT_TRUE(std::regex_match(runs[2], std::regex("\\d\\d:\\d\\d:\\d\\d  1 回目  ×2")))
      << runs[2];

  // The first runs again, as they were.
  choose("CB_RepeatRuns", 2);
  EXPECT_EQ(text("Memo0"), line + "\r\n" + kFirst);
  EXPECT_TRUE(bar().starts_with("繰り返し 1 回目: ")) << bar();
  choose("CB_RepeatRuns", 0);
  EXPECT_EQ(text("Memo0"), line + "\r\n" + kSecond);

  // With only the changed lines shown, the arrows go from the command line
  // to each changed line in turn (the 3rd and 5th lines of the output)
  // and back, never onto a line left out.
  click("CB_RepeatOnly");
  SetFocus(byName("Memo0"));
  keyPress(VK_HOME, VK_CONTROL);
  const form::OutputText& shown = main()["Memo0"].outputDoc()->text();
  const std::pair<WORD, size_t> steps[] = {{VK_DOWN, 3}, {VK_DOWN, 5}, {VK_DOWN, 5},
                                           {VK_UP, 3}, {VK_UP, 0}, {VK_UP, 0}};
  for (const auto& [key, at] : steps) {
    keyPress(key);
    pump(10);
    EXPECT_EQ(shown.lineOf(shown.caret()), at) << key;
  }
  click("CB_RepeatOnly");

  // The record, in the code page of the program's other files.
  const std::string record = folder + "\\Data\\record.txt";
  DialogHand save({DialogHand::chooseFile(record)});
  window->fromUser([this] { main().form().execute("Act_RepeatSave"); });
  save.finish();
  EXPECT_TRUE(std::regex_match(
      read(record),
      std::regex("==== \\d\\d:\\d\\d:\\d\\d  1 回目  ×2 \\(最後 \\d\\d:\\d\\d:\\d\\d  2 回目\\) ====\r\n" +
                 std::regex_replace(
                     line, std::regex(R"([\\.^$|()\[\]{}*+?])"), R"(\$&)") +
                 "\r\n(.|\r|\n)*==== \\d\\d:\\d\\d:\\d\\d  3 回目 ====\r\n(.|\r|\n)*")));

  // Esc in the strip closes it, and the bar speaks of the run alone.
  SetFocus(byName("btnRepeat"));
  keyPress(VK_ESCAPE);
  pump();
  EXPECT_FALSE(visible("PanelRepeat"));
  EXPECT_FALSE(bar().starts_with("繰り返し")) << bar();
  EXPECT_TRUE(os.messages.empty());
}

}  // namespace
}  // namespace velquin::test
