// The command line history as the user meets it: lines run with the run
// button, walked with Up and Down in the command line field, listed with
// F7, and found again at the next start, except the ones that may carry a
// password.
#include <filesystem>

#include "app/history.h"
#include "support/app_fixture.h"

namespace velquin::test {
namespace {

class History : public AppTest {
 protected:
  // Types into the command line field, on its page.
  void typeLine(const std::string& line) {
    form().userSelectPage((*this)["PageControl1"], 0);
    type("Edit1", line);
  }
  void run(const std::string& line) {
    typeLine(line);
    click("btnDO");
  }
  // Up, Down or F7 in the command line field: what it then holds.
  std::string key(form::Key k) {
    form().userSelectPage((*this)["PageControl1"], 0);
    enter("Edit1");
    EXPECT_TRUE(form().userKey((*this)["Edit1"], k));
    return text("Edit1");
  }
  std::vector<std::string> lines() {
    std::vector<std::string> out;
    for (const auto& e : program->history().history().entries()) out.push_back(e.line);
    return out;
  }
  // Closes the program (unless it died) and starts it again.
  void restart(bool close = true) {
    if (close) main().FormClose();
    program = std::make_unique<Program>(os);
    main().FormCreate();
    main().FormShow();
  }
};

TEST_F(History, NewestFirstARepeatMovesUpAndUpDownGiveTheTypedTextBack) {
  run("echo a");
  run("echo b");
  run("echo a");
  run("echo  a");  // another line: the blanks count
  EXPECT_EQ(lines(), (std::vector<std::string>{"echo  a", "echo a", "echo b"}));

  typeLine("ping hal");
  const struct { form::Key key; const char* field; } walk[] = {
      {form::Key::Up, "echo  a"},    {form::Key::Up, "echo a"},
      {form::Key::Up, "echo b"},     {form::Key::Up, "echo b"},  // the oldest
      {form::Key::Down, "echo a"},   {form::Key::Down, "echo  a"},
      {form::Key::Down, "ping hal"}, {form::Key::Down, "ping hal"},
  };
  for (const auto& step : walk) EXPECT_EQ(key(step.key), step.field);

  // A line changed on the way starts the walk again from the newest, and
  // the changed line is what Down gives back.
  key(form::Key::Up);
  key(form::Key::Up);
  typeLine("echo a -n");
  EXPECT_EQ(key(form::Key::Up), "echo  a");
  EXPECT_EQ(key(form::Key::Down), "echo a -n");
}

TEST_F(History, F7ListsTheLatestTwentyWithTheirTimesAndAChoiceIsNotRun) {
  for (int i = 0; i < 22; ++i) {
    os.localTime = "2024/05/01 09:30:" + std::to_string(10 + i);
    run("echo " + std::to_string(i));
  }
  const std::string shown = text("Memo0");
  typeLine("typed");
  os.listAnswers = {2};
  EXPECT_EQ(key(form::Key::F7), "echo 19");
  ASSERT_EQ(os.listsShown.size(), 1u);
  ASSERT_EQ(os.listsShown[0].size(), 20u);
  EXPECT_EQ(os.listsShown[0].front(), "echo 21\t2024/05/01 09:30:31");
  EXPECT_EQ(os.listsShown[0].back(), "echo 2\t2024/05/01 09:30:12");
  EXPECT_EQ(text("Memo0"), shown);  // nothing ran
  // Escape leaves the field as it was.
  EXPECT_EQ(key(form::Key::F7), "echo 19");
  // A choice ends a walk: Up starts again from the newest line.
  typeLine("typed");
  EXPECT_EQ(key(form::Key::Up), "echo 21");
  EXPECT_EQ(key(form::Key::Up), "echo 20");
  os.listAnswers = {1};
  EXPECT_EQ(key(form::Key::F7), "echo 20");
  EXPECT_EQ(key(form::Key::Down), "echo 20");
  EXPECT_EQ(key(form::Key::Up), "echo 21");
  os.listAnswers = {0};
  EXPECT_EQ(key(form::Key::F7), "echo 21");
}

TEST(CommandHistory, KeepsTheNewestTwoHundred) {
  app::CommandHistory h;
  for (int i = 0; i < 205; ++i) h.remember("ping " + std::to_string(i), "t");
  ASSERT_EQ(h.entries().size(), 200u);
  EXPECT_EQ(h.entries().front().line, "ping 204");
  EXPECT_EQ(h.entries().back().line, "ping 5");
}

TEST(CommandHistory, NetUserAndNetUseLinesAreKnownInAnyCaseAndBlanks) {
  const struct { const char* line; bool password; } cases[] = {
      {"net user bob pw /add", true},  {"NET  User", true},
      {"\tnet\tuse x: \\\\s\\p pw", true}, {"Net.exe USE", true},
      {"net users", false},            {"net view", false},
      {"netuse", false},               {"ping net user", false},
      {"net", false},                  {"net ", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(app::carriesPassword(c.line), c.password) << c.line;
}

TEST_F(History, KeptAcrossStartsExactlyButNeverAPasswordLine) {
  run("printf 'x\r\ny'\r\nz");
  run("NET  User bob s3cret /add");
  run("net\tuse x: \\\\srv\\p pw2");
  run("echo 日本語");
  // The password lines are there for this session.
  EXPECT_EQ(lines().size(), 4u);
  restart();
  const std::string file = readBytes(os.folder + "/Velquin.state");
  EXPECT_EQ(file.find("s3cret"), std::string::npos);
  EXPECT_EQ(file.find("pw2"), std::string::npos);
  EXPECT_EQ(lines(), (std::vector<std::string>{"echo 日本語", "printf 'x\r\ny'\r\nz"}));
  // The file is written at each run, so a crash loses nothing.
  run("echo c");
  EXPECT_NE(readBytes(os.folder + "/Velquin.state").find("echo c"),
            std::string::npos);
}

// A file edited by hand or by another version: rows that are not a time and
// a line are passed over, a line is kept once, a password line never, and
// no more than the newest two hundred.
TEST_F(History, RowsOfTheFileThatAreNotALineOfHistoryArePassedOver) {
  std::string file = "Velquin state 1\n"
                     "history\tt1\techo a\n"
                     "history\tt2\techo b\textra\n"
                     "history\tt3\n"
                     "history\tt4\t\n"
                     "history\tt5\tNET USE * /user:me pw\n"
                     "history\tt6\techo a\n"
                     "history\tt7\techo c\n";
  for (int i = 0; i < 210; ++i) file += "history\tt\techo " + std::to_string(i) + "\n";
  writeBytes(os.folder + "/Velquin.state", file);
  restart(false);
  const std::vector<std::string> got = lines();
  ASSERT_EQ(got.size(), 200u);
  EXPECT_EQ(std::vector<std::string>(got.begin(), got.begin() + 3),
            (std::vector<std::string>{"echo a", "echo c", "echo 0"}));
  EXPECT_EQ(got.back(), "echo 197");
  EXPECT_EQ(program->history().history().entries()[1].time, "t7");
}

TEST_F(History, ADamagedFileGivesAnEmptyHistoryQuietlyAndIsKeptAside) {
  run("echo a");
  writeBytes(os.folder + "/Velquin.state", "garbage\x01\xff\r\n");
  restart(false);
  EXPECT_TRUE(lines().empty());
  EXPECT_TRUE(os.messages.empty());
  EXPECT_TRUE(std::filesystem::exists(os.folder + "/Velquin.state.bad"));
  run("echo b");
  restart();
  EXPECT_EQ(lines(), (std::vector<std::string>{"echo b"}));
}

TEST_F(History, NothingIsWrittenBesideAProgramOnACdRom) {
  os.drive = platform::DriveType::CdRom;
  std::filesystem::remove(os.folder + "/Velquin.state");
  run("echo a");
  EXPECT_EQ(lines(), (std::vector<std::string>{"echo a"}));
  EXPECT_FALSE(std::filesystem::exists(os.folder + "/Velquin.state"));
}

TEST_F(History, TheLinesOfACommandFileAreNotRemembered) {
  run("echo mine");
  form().userSelectPage((*this)["PageControl1"], 3);
  type("Memo3", "echo one\r\necho two");
  click("Button4");
  EXPECT_EQ(lines(), (std::vector<std::string>{"echo mine"}));
}

}  // namespace
}  // namespace velquin::test
