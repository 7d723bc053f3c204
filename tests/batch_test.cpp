// Running command files on the auto run page, driven as a user: load a file
// with the open dialog, press the run button, teach, save the command file.
#include <filesystem>
#include <functional>

#include "support/app_fixture.h"

namespace velquin::test {
namespace {

const std::string kSep = "\r\n" + std::string(48, '-') + "\r\n";
const std::string kNoCommand = "データを入力設定して下さい。";

class Batch : public AppTest {
 protected:
  Batch() { std::filesystem::create_directory(posix("Data")); }

  // Replaces the runner by a stand-in that keeps its contract: an empty
  // command line is refused with the runner's message; otherwise the
  // results page shows the command line and its "output", and the command
  // is recorded. duringRun acts as the user while the command runs.
  void useScriptedRunner() {
    form().addAction({"Act_btnDO", "選択&表示", "&G 実　行", [this] {
      const std::string cmd = text("Edit1");
      if (cmd.empty()) {
        os.showMessage(kNoCommand);
        return;
      }
      main()["PageControl1"].setActivePage(main()["TabSheet2"]);
      main()["Memo0"].setText(cmd + "\r\n" + output(cmd));
      ran.push_back(cmd);
      if (duringRun) {
        auto act = std::move(duringRun);
        duringRun = nullptr;
        act();
      }
    }});
  }
  static std::string output(const std::string& cmd) {
    return "out of " + cmd + "\r\n";
  }
  // What a command adds to the kept results under the scripted runner.
  static std::string kept(const std::string& cmd) {
    return kSep + cmd + "\r\n" + output(cmd);
  }

  std::string posix(const std::string& name) { return os.folder + "/" + name; }
  std::string dataPath(const std::string& name) {
    return os.folder + "\\Data\\" + name;
  }
  void showBatchPage() { form().userSelectPage(main()["PageControl1"], 3); }

  // Writes a command file into Data and loads it with the open dialog.
  void load(const std::string& bytes) {
    writeBytes(posix("Data/cmds.txt"), bytes);
    showBatchPage();
    os.dialogAnswers.push_back(dataPath("cmds.txt"));
    click("Button3");
  }
  void runBatch() {
    showBatchPage();
    click("Button4");
  }
  // Saves the command file, answering the save dialog with path ("" cancels).
  void saveCommandFile(const std::string& path) {
    os.dialogAnswers.push_back(path);
    click("btnSaveT");
  }

  std::vector<std::string> ran;
  std::function<void()> duringRun;
};

TEST_F(Batch, OpenDialogStartsInDataAndLoadingTakesAnyLineEnd) {
  load(toCp932("ipconfig /all\r\n>>結果.txt\r// メモ\narp -a"));
  EXPECT_EQ(text("Memo3"), "ipconfig /all\r\n>>結果.txt\r\n// メモ\r\narp -a");
  ASSERT_EQ(os.dialogsShown.size(), 1u);
  const platform::FileDialog& d = os.dialogsShown[0];
  EXPECT_EQ(d.title, "設定ﾌｧｲﾙ");
  EXPECT_EQ(d.filter, "Textﾌｧｲﾙ|*.txt|CSVﾌｧｲﾙ|*.csv|すべてのﾌｧｲﾙ|*.*");
  EXPECT_EQ(d.filterIndex, 1);
  EXPECT_EQ(d.initialFolder, os.folder + "\\Data");

  // The next time it opens in Data again, not where the last file was.
  os.dialogAnswers.push_back("");
  click("Button3");
  ASSERT_EQ(os.dialogsShown.size(), 2u);
  EXPECT_EQ(os.dialogsShown[1].initialFolder, os.folder + "\\Data");
  EXPECT_EQ(os.dialogsShown[1].fileName, "");
  // Cancel changes nothing.
  EXPECT_EQ(text("Memo3"), "ipconfig /all\r\n>>結果.txt\r\n// メモ\r\narp -a");
}

TEST_F(Batch, AFileThatCannotBeReadIsToldAndTheMemoKept) {
  showBatchPage();
  type("Memo3", "ping host1");
  os.dialogAnswers.push_back(dataPath("missing.txt"));
  click("Button3");
  EXPECT_EQ(os.messages.size(), 1u);
  EXPECT_EQ(text("Memo3"), "ping host1");
}

TEST_F(Batch, KeptResultsGoIntoTheFirstSaveAndTheLastOutputStaysKept) {
  useScriptedRunner();
  writeBytes(posix("Data/a.txt"), "old contents, replaced without asking");
  showBatchPage();
  type("Memo3", "ping host1\r\n>>a.txt\r\nnetstat -e\r\n");
  main()["Memo1"].setText("kept before");
  runBatch();
  EXPECT_EQ(readBytes(posix("Data/a.txt")),
            toCp932("kept before" + kept("ping host1")));
  EXPECT_EQ(text("Memo1"), kept("netstat -e"));
  EXPECT_TRUE(os.questions.empty());
}

TEST_F(Batch, AnEmptyCommandFileHandsTheRunnerOneEmptyLine) {
  useScriptedRunner();
  runBatch();
  EXPECT_TRUE(ran.empty());
  EXPECT_EQ(os.messages, (std::vector<std::string>{kNoCommand}));
  EXPECT_EQ(text("Memo1"), "");
}

TEST_F(Batch, ASaveLineThatCannotWriteEndsTheBatch) {
  useScriptedRunner();
  showBatchPage();
  // No name after ">>", then no Data folder at all.
  for (const char* save : {">>", ">>a.txt"}) {
    ran.clear();
    os.messages.clear();
    type("Memo3", "ping host1\r\n" + std::string(save) + "\r\narp -a");
    main()["Memo1"].setText("");
    runBatch();
    EXPECT_EQ(ran, (std::vector<std::string>{"ping host1"})) << save;
    ASSERT_EQ(os.messages.size(), 1u) << save;
    EXPECT_NE(os.messages[0].find(dataPath(save + 2)), std::string::npos);
    EXPECT_EQ(text("Memo1"), kept("ping host1")) << save;
    std::filesystem::remove_all(posix("Data"));
    showBatchPage();
  }
}

TEST_F(Batch, TheLineCountIsFixedButEachLineIsReadWhenItsTurnComes) {
  useScriptedRunner();
  showBatchPage();
  type("Memo3", "ping host1\r\nping host2");
  // While the first command runs the user rewrites the command file.
  duringRun = [this] {
    main()["Memo3"].userSetText("ping host1\r\narp -a\r\nnetstat\r\nroute print");
  };
  runBatch();
  EXPECT_EQ(ran, (std::vector<std::string>{"ping host1", "arp -a"}));
}

TEST_F(Batch, LinesRemovedDuringTheRunReadAsEmpty) {
  useScriptedRunner();
  showBatchPage();
  type("Memo3", "ping host1\r\nping host2\r\nping host3");
  duringRun = [this] { main()["Memo3"].userSetText("ping host1"); };
  runBatch();
  EXPECT_EQ(ran, (std::vector<std::string>{"ping host1"}));
  EXPECT_EQ(os.messages, (std::vector<std::string>{kNoCommand}));
}

TEST_F(Batch, TeachingTwiceWithoutALineBreakJoinsTheCommands) {
  type("Edit1", "ping host1");
  click("btnTeach");
  type("Edit1", "arp -a");
  click("btnTeach");
  EXPECT_EQ(text("Memo3"), "ping host1arp -a");

  // With the line ended by the user, the next command gets its own line.
  showBatchPage();
  type("Memo3", "ping host1\r\n");
  click("btnTeach");
  EXPECT_EQ(text("Memo3"), "ping host1\r\narp -a");
}

TEST_F(Batch, SavingTheCommandFileSharesTheSaveDialogWithTheDataPage) {
  showBatchPage();
  type("Memo3", "ipconfig /all\n>>結果.txt\r\n// メモ");
  const std::string path = os.folder + "\\cmds.csv";
  saveCommandFile(path);
  EXPECT_EQ(readBytes(posix("cmds.csv")),
            toCp932("ipconfig /all\r\n>>結果.txt\r\n// メモ\r\n"));
  EXPECT_EQ(form().caption(), path);
  EXPECT_FALSE(main()["Memo3"].modified());
  ASSERT_EQ(os.dialogsShown.size(), 1u);
  EXPECT_EQ(os.dialogsShown[0].filter,
            "テキスト|*.txt|カンマ区切り|*.csv|すべてのファイル|*.*");
  EXPECT_TRUE(os.dialogsShown[0].askBeforeReplace);

  // Saving kept results next proposes the command file's name.
  main()["Memo1"].setText("kept");
  form().userSelectPage(main()["PageControl1"], 2);
  os.dialogAnswers.push_back("");
  click("btnSave");
  EXPECT_EQ(os.dialogsShown.back().fileName, path);

  // Cancel: nothing written, the caption stays.
  showBatchPage();
  type("Memo3", "changed");
  saveCommandFile("");
  EXPECT_EQ(form().caption(), path);
  EXPECT_TRUE(main()["Memo3"].modified());
}

TEST_F(Batch, SavingTheCommandFileWhereItCannotBeWrittenIsTold) {
  showBatchPage();
  type("Memo3", "ping host1");
  const std::string path = os.folder + "\\nofolder\\cmds.txt";
  saveCommandFile(path);
  ASSERT_EQ(os.messages.size(), 1u);
  EXPECT_NE(os.messages[0].find(path), std::string::npos);
  EXPECT_TRUE(main()["Memo3"].modified());
  EXPECT_EQ(text("Memo3"), "ping host1");
}

TEST_F(Batch, SaveLinesThatLoseCharactersAreToldOnceAtTheEnd) {
  useScriptedRunner();
  showBatchPage();
  type("Memo3", "echo 한\r\n>>a.txt\r\necho 국\r\n>>b.txt\r\necho ok\r\n>>c.txt");
  runBatch();
  // The batch is not held up: every line ran, and then one message.
  EXPECT_EQ(ran.size(), 3u);
  EXPECT_TRUE(std::filesystem::exists(posix("Data/c.txt")));
  EXPECT_EQ(os.messages,
            (std::vector<std::string>{
                "システムの文字コードで表せない文字があったため、"
                "その文字を別の文字に置き換えて保存しました。\r\n" +
                dataPath("a.txt") + "\r\n" + dataPath("b.txt")}));
}

// The scenarios below run real child processes through the command runner.

TEST_F(Batch, WithTheRunnerEachSaveLineWritesItsOutputsInTheCodePage) {
  // The second command prints "日本" in code page 932 bytes.
  load("echo first one\r\n>>a.txt\r\n// note\r\n"
       "printf \"\\x93\\xfa\\x96\\x7b\\n\"\r\n>>b.txt\r\n");
  runBatch();
  EXPECT_EQ(readBytes(posix("Data/a.txt")),
            kSep + "echo first one\r\nfirst one\r\n");
  EXPECT_EQ(readBytes(posix("Data/b.txt")),
            kSep + "printf \"\\x93\\xfa\\x96\\x7b\\n\"\r\n" + toCp932("日本") +
                "\r\n");
  EXPECT_EQ(toCp932("日本"), "\x93\xfa\x96\x7b");
  EXPECT_EQ(text("Memo1"), "");
  EXPECT_TRUE(os.messages.empty());
  // Replacing needs no answer, and save lines leave the caption alone.
  EXPECT_TRUE(os.questions.empty());
  EXPECT_EQ(form().caption(), "Velquin ");
  // The results page shows the last command while the batch runs.
  EXPECT_EQ(main()["PageControl1"].activePage()->name(), "TabSheet2");
}

TEST_F(Batch, WithTheRunnerAnEmptyLineStopsTheBatch) {
  showBatchPage();
  type("Memo3", "echo one\r\n\r\necho two\r\n>>a.txt");
  runBatch();
  EXPECT_EQ(os.messages, (std::vector<std::string>{kNoCommand}));
  EXPECT_EQ(text("Memo1"), kSep + "echo one\r\none\n");
  EXPECT_EQ(text("Memo0"), "echo one\r\none\n");
  EXPECT_FALSE(std::filesystem::exists(posix("Data/a.txt")));
}

TEST_F(Batch, WithTheRunnerOnlyLinesBeginningWithTwoSlashesAreSkipped) {
  showBatchPage();
  // With a leading blank a comment is a command, which no program answers
  // to: only its command line is kept, and the batch goes on. So is a line
  // whose first two characters are not both '>', or not both '/'.
  type("Memo3", " // comment\r\n// comment\r\n//\r\n> >y\r\n/ x\r\necho after");
  runBatch();
  EXPECT_EQ(text("Memo1"), kSep + " // comment\r\n" + kSep + "> >y\r\n" +
                               kSep + "/ x\r\n" + kSep + "echo after\r\nafter\n");
  EXPECT_TRUE(os.messages.empty());
}

TEST_F(Batch, WithTheRunnerStopEndsTheCurrentCommandOnly) {
  showBatchPage();
  type("Memo3", "sleep 30\r\necho after");
  os.duringPump.push_back([this] { click("btnBreak"); });
  runBatch();
  EXPECT_EQ(text("Memo1"), kSep + "sleep 30\r\n" + kSep + "echo after\r\nafter\n");
  EXPECT_EQ(text("Edit_flg"), "0");
}

TEST_F(Batch, WithTheRunnerClosingTheWindowEndsTheCommandAndTheBatch) {
  showBatchPage();
  type("Memo3", "sleep 30\r\necho after\r\n>>a.txt");
  os.duringPump.push_back([this] { os.quit = true; });
  runBatch();
  EXPECT_EQ(text("Memo0"), "sleep 30\r\n");
  EXPECT_EQ(text("Edit1"), "sleep 30");
  EXPECT_FALSE(std::filesystem::exists(posix("Data/a.txt")));
}

}  // namespace
}  // namespace velquin::test
