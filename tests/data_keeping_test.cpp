// Keeping results on the data saving page and saving them, driven as a
// user: run a command, go to the page, press its buttons, answer dialogs.
#include <filesystem>

#include "support/app_fixture.h"
#include "support/locked_folder.h"

namespace velquin::test {
namespace {

const std::string kSep = "\r\n" + std::string(48, '-') + "\r\n";

class DataKeeping : public AppTest {
 protected:
  // Types a command line on the first page and runs it with the runner,
  // as a real child process.
  void run(const std::string& cmd) {
    form().userSelectPage(main()["PageControl1"], 0);
    type("Edit1", cmd);
    click("btnDO");
  }
  void showDataPage() { form().userSelectPage(main()["PageControl1"], 2); }

  // Which of the page's four buttons can be pressed, in their order.
  std::string buttons() {
    std::string s;
    for (const char* b : {"btnNreInp", "btnAddInp", "btnClear", "btnSave"})
      s += main()[b].enabled() ? '1' : '0';
    return s;
  }

  // The user saves Memo1 through the save dialog under the given name.
  void saveAs(const std::string& path) {
    os.dialogAnswers.push_back(path);
    click("btnSave");
  }
  std::string winPath(const std::string& name) {
    return os.folder + "\\" + name;
  }
  std::string posix(const std::string& name) { return os.folder + "/" + name; }
};

TEST_F(DataKeeping, KeepAnewThenAppendTwiceSeparatesTheOutputs) {
  run("echo first");
  const std::string first = text("Memo0");
  EXPECT_EQ(first, "echo first\r\nfirst\n");
  showDataPage();
  click("btnNreInp");
  EXPECT_EQ(text("Memo1"), first);

  run("echo second");
  const std::string second = text("Memo0");
  showDataPage();
  click("btnAddInp");
  run("echo third");
  const std::string third = text("Memo0");
  showDataPage();
  click("btnAddInp");

  EXPECT_EQ(text("Memo1"), first + kSep + second + kSep + third);
  EXPECT_EQ(kSep.size(), 52u);
}

TEST_F(DataKeeping, OnlyKeepingAnewIsOfferedWhileNothingIsKept) {
  showDataPage();
  EXPECT_EQ(buttons(), "1000");
  EXPECT_EQ(text("Edit_Chk"), "0");
  EXPECT_FALSE(main()["Edit_Chk"].visible());

  // Keeping anew from an empty output view keeps nothing.
  click("btnNreInp");
  EXPECT_EQ(text("Memo1"), "");
  EXPECT_EQ(buttons(), "1000");

  run("echo result");
  showDataPage();
  click("btnNreInp");
  EXPECT_EQ(buttons(), "0111");
  EXPECT_EQ(text("Edit_Chk"), "1");

  click("btnClear");
  EXPECT_EQ(text("Memo1"), "");
  EXPECT_EQ(buttons(), "1000");
  EXPECT_EQ(text("Edit_Chk"), "0");

  // Typing by hand is followed only when the page is resized or shown.
  type("Memo1", "notes");
  EXPECT_EQ(buttons(), "1000");
  form().setClientSize(700, 500);
  EXPECT_EQ(buttons(), "0111");
  type("Memo1", "");
  EXPECT_EQ(buttons(), "0111");
  form().userSelectPage(main()["PageControl1"], 1);
  showDataPage();
  EXPECT_EQ(buttons(), "1000");
}

TEST_F(DataKeeping, WriteButtonCopiesThenAsksWhetherToAppendOrReplace) {
  run("printf \"one\\ntwo\\n\"");
  EXPECT_EQ(text("Memo0"), "printf \"one\\ntwo\\n\"\r\none\ntwo\n");
  showDataPage();
  click("btnSave2");
  EXPECT_TRUE(os.questions.empty());
  // A copy of the lines: every line ends in CR LF, the last one too.
  const std::string kept = "printf \"one\\ntwo\\n\"\r\none\r\ntwo\r\n";
  EXPECT_EQ(text("Memo1"), kept);
  // The page's buttons are left for its next showing to bring up to date.
  EXPECT_EQ(buttons(), "1000");

  run("echo second");
  os.yesNoAnswers = {true};
  click("btnSave2");
  EXPECT_EQ(os.questions,
            (std::vector<std::string>{"書込|追加書込を行いますか？"}));
  EXPECT_EQ(text("Memo1"), kept + kSep + "echo second\r\nsecond\n");

  run("echo third");
  os.yesNoAnswers = {false};
  click("btnSave2");
  EXPECT_EQ(os.questions.size(), 2u);
  EXPECT_EQ(text("Memo1"), "echo third\r\nthird\r\n");
}

TEST_F(DataKeeping, SavedFileHoldsTheLinesInTheCodePageWithCrLf) {
  run("echo result");
  showDataPage();
  click("btnNreInp");
  // Hand-edited lines with a lone LF, a lone CR and no final line end.
  type("Memo1", "取得データ\n２行目\rｱｲｳ ①\r\nend");
  saveAs(winPath("kept.txt"));

  const std::string bytes = readBytes(posix("kept.txt"));
  EXPECT_EQ(bytes, toCp932("取得データ\r\n２行目\r\nｱｲｳ ①\r\nend\r\n"));
  EXPECT_NE(bytes.substr(0, 3), "\xEF\xBB\xBF");
  EXPECT_EQ(form().caption(), winPath("kept.txt"));
  EXPECT_FALSE(main()["Memo1"].modified());
  EXPECT_TRUE(os.messages.empty());

  ASSERT_EQ(os.dialogsShown.size(), 1u);
  const platform::FileDialog& d = os.dialogsShown[0];
  EXPECT_EQ(d.title, "");
  EXPECT_EQ(d.filter, "テキスト|*.txt|カンマ区切り|*.csv|すべてのファイル|*.*");
  EXPECT_EQ(d.filterIndex, 1);
  EXPECT_EQ(d.fileName, "");
  EXPECT_TRUE(d.askBeforeReplace);

  // The same text as comma-separated values: the same bytes. The dialog
  // proposes the name chosen last.
  saveAs(winPath("kept.csv"));
  EXPECT_EQ(readBytes(posix("kept.csv")), bytes);
  EXPECT_EQ(os.dialogsShown[1].fileName, winPath("kept.txt"));
  EXPECT_EQ(form().caption(), winPath("kept.csv"));
}

TEST_F(DataKeeping, CancellingTheSaveOnlyBringsTheButtonsUpToDate) {
  run("echo result");
  showDataPage();
  click("btnNreInp");
  type("Memo1", "");
  EXPECT_EQ(buttons(), "0111");
  os.dialogAnswers.push_back("");
  click("btnSave");
  EXPECT_EQ(os.dialogsShown.size(), 1u);
  EXPECT_EQ(form().caption(), "Velquin ");
  EXPECT_EQ(buttons(), "1000");
  // Nothing beside the settings file of the start and the program's state
  // file, which the run wrote for its command line history.
  for (const auto& e : std::filesystem::directory_iterator(os.folder))
    EXPECT_TRUE(e.path().filename() == "Velquin.ini" ||
                e.path().filename() == "Velquin.state")
        << e.path();
}

TEST_F(DataKeeping, ASaveThatCannotWriteLeavesTheOldFileAndTheKeptText) {
  std::filesystem::create_directory(posix("locked"));
  const std::string old = toCp932("前の結果\r\n");
  writeBytes(posix("locked/old.txt"), old);
  LockedFolder lock(posix("locked"));
  if (lock.writable()) GTEST_SKIP() << "cannot make a folder unwritable here";

  run("echo result");
  showDataPage();
  click("btnNreInp");
  type("Memo1", "new results");
  const std::string path = os.folder + "\\locked\\old.txt";
  saveAs(path);

  EXPECT_EQ(readBytes(posix("locked/old.txt")), old);
  ASSERT_EQ(os.messages.size(), 1u);
  EXPECT_NE(os.messages[0].find(path), std::string::npos) << os.messages[0];
  EXPECT_EQ(text("Memo1"), "new results");
  EXPECT_TRUE(main()["Memo1"].modified());
  // The caption already names the file that could not be written.
  EXPECT_EQ(form().caption(), path);
  EXPECT_EQ(buttons(), "0111");
}

TEST_F(DataKeeping, TextTheCodePageCannotHoldIsToldAfterTheSave) {
  run("echo result");
  showDataPage();
  click("btnNreInp");
  type("Memo1", "한국 ok");
  saveAs(winPath("lossy.txt"));

  // The file is written, with a stand-in for what the code page lacks.
  const std::string saved = fromCp932(readBytes(posix("lossy.txt")));
  EXPECT_TRUE(saved.ends_with(" ok\r\n")) << saved;
  EXPECT_NE(saved, "한국 ok\r\n");
  EXPECT_EQ(os.messages,
            (std::vector<std::string>{
                "システムの文字コードで表せない文字があったため、"
                "その文字を別の文字に置き換えて保存しました。\r\n" +
                winPath("lossy.txt")}));
  // What the file lacks is still only in the memo.
  EXPECT_TRUE(main()["Memo1"].modified());
  EXPECT_EQ(text("Memo1"), "한국 ok");
}

}  // namespace
}  // namespace velquin::test
