// The program's own state file beside the settings file, through whole
// starts and closes: what one start keeps, the next finds, whatever the
// text holds; a damaged file never stops a start.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/user_state.h"
#include "program.h"
#include "support/scripted_platform.h"

namespace velquin::test {
namespace {

class State : public ::testing::Test {
 protected:
  std::string file() { return os.folder + "/Velquin.state"; }
  app::UserState& start() {
    program = std::make_unique<Program>(os);
    program->main().FormCreate();
    program->main().FormShow();
    return program->main().state();
  }
  void close() { program->main().FormClose(); }

  ScriptedPlatform os;
  std::unique_ptr<Program> program;
};

TEST_F(State, WhatOneStartKeepsTheNextFindsExactly) {
  const std::string awkward = "a\\b\tc\r\nd\re\nf \\n 日本語\r";
  app::UserState& s = start();
  EXPECT_EQ(s.value("missing", "fallback"), "fallback");
  s.setFlag("times", true);
  s.setValue(awkward, awkward);
  s.setList("rows", {{"1", awkward}, {"2", ""}, {}});
  s.setList(awkward, {{awkward}});
  s.setList("gone", {{"x"}});
  s.setList("gone", {});
  close();
  // Not a CR in the file: an editor or a tool that takes one for a line
  // end splits no record.
  EXPECT_EQ(readBytes(file()).find('\r'), std::string::npos);
  // Velquin.ini keeps its five lines; the state is a file of its own.
  std::string ini = readBytes(os.folder + "/Velquin.ini");
  EXPECT_EQ(std::count(ini.begin(), ini.end(), '\n'), 5);

  app::UserState& again = start();
  EXPECT_TRUE(again.flag("times"));
  EXPECT_EQ(again.value(awkward), awkward);
  EXPECT_EQ(again.list("rows"),
            (std::vector<app::StateRow>{{"1", awkward}, {"2", ""}, {}}));
  EXPECT_EQ(again.list(awkward), (std::vector<app::StateRow>{{awkward}}));
  EXPECT_TRUE(again.list("gone").empty());
}

TEST_F(State, ADamagedFileGivesAnEmptyStateAndIsKeptAside) {
  const std::string good = "Velquin state 1\n=\tk\tv\n";
  struct Case {
    const char* what;
    std::string bytes;
    bool readable;
  };
  const Case cases[] = {
      {"as written", good, true},
      {"CR LF line ends from an editor", "Velquin state 1\r\n=\tk\tv\r\n", true},
      {"a byte order mark from an editor", "\xEF\xBB\xBF" + good, true},
      {"a byte order mark before a wrong first line", "\xEF\xBB\xBFVelquin state 2\n", false},
      {"another first line", "Velquin state 2\n=\tk\tv\n", false},
      {"empty file", "", false},
      {"bad escape", good + "h\t\\x\n", false},
      {"escape cut at the end", good + "h\tx\\", false},
      {"value without its value", good + "=\tk\n", false},
      {"value with a field too many", good + "=\tk\tv\tw\n", false},
      {"record without a name", good + "\tx\n", false},
      {"not UTF-8", good + "h\t\x82\xa0\n", false},
      {"a surrogate in UTF-8", good + "h\t\xed\xa0\x80\n", false},
      {"UTF-8 cut in a character", good + "h\t\xe6\x97", false},
      // Both ends of every length of UTF-8, and just past them.
      {"the first and last of every length",
       good + "h\t\xC2\x80\xDF\xBF\xE0\xA0\x80\xED\x9F\xBF\xEE\x80\x80"
              "\xEF\xBF\xBF\xF0\x90\x80\x80\xF4\x8F\xBF\xBF\n", true},
      {"two bytes for one", good + "h\t\xC1\xBF\n", false},
      {"three bytes for two", good + "h\t\xE0\x9F\xBF\n", false},
      {"four bytes for three", good + "h\t\xF0\x8F\xBF\xBF\n", false},
      {"the last surrogate", good + "h\t\xED\xBF\xBF\n", false},
      {"past U+10FFFF", good + "h\t\xF4\x90\x80\x80\n", false},
      {"a five-byte lead", good + "h\t\xF8\x88\x80\x80\x80\n", false},
      {"a lone continuation byte", good + "h\t\x80\n", false},
  };
  writeBytes(os.folder + "/Velquin.ini", "2.2.2\r\n149\r\n233\r\n612\r\n476\r\n");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    os.messages.clear();
    std::filesystem::remove(os.folder + "/Velquin.state.bad");
    writeBytes(file(), c.bytes);
    app::UserState& s = start();
    EXPECT_EQ(s.value("k"), c.readable ? "v" : "");
    EXPECT_EQ(std::filesystem::exists(os.folder + "/Velquin.state.bad"),
              !c.readable);
    EXPECT_TRUE(os.messages.empty());
    close();
    // The write read the file again as the start did: what it kept is
    // there, and nothing more was put aside.
    const std::optional<app::StateData> next = app::decodeState(readBytes(file()));
    ASSERT_TRUE(next.has_value());
    EXPECT_EQ(next->values.contains("k"), c.readable);
    EXPECT_EQ(std::filesystem::exists(os.folder + "/Velquin.state.bad"),
              !c.readable);
  }
}

TEST_F(State, AFileThatCannotBeReadIsNeverWrittenOverAndLosesNothing) {
  const std::string held = "Velquin state 1\n=\tk\tv\nhistory\t2024/05/01 09:00:00\tping a\n";
  writeBytes(file(), held);
  os.unreadable = {"Velquin.state"};
  app::UserState& s = start();  // locked at the start
  EXPECT_EQ(s.value("k"), "");
  s.setValue("mine", "1");
  EXPECT_FALSE(s.save().ok);
  close();
  EXPECT_EQ(readBytes(file()), held);
  EXPECT_FALSE(std::filesystem::exists(os.folder + "/Velquin.state.bad"));
  // Readable again at the next write: merged, nothing lost.
  os.unreadable.clear();
  EXPECT_TRUE(s.save().ok);
  EXPECT_EQ(s.value("k"), "v");
  EXPECT_EQ(s.value("mine"), "1");
  EXPECT_EQ(s.list("history"),
            (std::vector<app::StateRow>{{"2024/05/01 09:00:00", "ping a"}}));
}

TEST_F(State, EachWriteKeepsWhatAnotherWindowWroteMeanwhile) {
  app::UserState& first = start();
  app::UserState second(os);
  second.load(os.folder);
  first.setValue("a", "1");
  first.setList("mine", {{"x"}});
  ASSERT_TRUE(first.save().ok);
  second.setValue("b", "2");
  second.setValue("a", "2");  // the last window to write a value it set wins
  ASSERT_TRUE(second.save().ok);
  first.setList("mine", {});  // emptied here: gone from the file
  ASSERT_TRUE(first.save().ok);
  app::UserState read(os);
  read.load(os.folder);
  EXPECT_EQ(read.value("a"), "1");
  EXPECT_EQ(read.value("b"), "2");
  EXPECT_TRUE(read.list("mine").empty());
}

// Another instance between its read and its write holds the lock: this
// one writes nothing meanwhile, and everything at its next write.
TEST_F(State, WhileAnotherInstanceHoldsTheLockNothingIsWrittenAndNothingLost) {
  app::UserState& s = start();
  auto onDisk = [&](const char* name) {
    app::UserState read(os);
    read.load(os.folder);
    return read.value(name);
  };
  s.setValue("a", "1");
  bool heldWhileWriting = false;
  os.beforeWrite = [&](const std::string&) {
    heldWhileWriting = os.heldLocks.contains(os.folder);
  };
  ASSERT_TRUE(s.save().ok);
  EXPECT_TRUE(heldWhileWriting);
  EXPECT_TRUE(os.heldLocks.empty());  // let go after

  os.heldLocks.insert(os.folder);
  s.setValue("a", "2");
  EXPECT_FALSE(s.save().ok);
  EXPECT_EQ(onDisk("a"), "1");
  // It lets go while this one waits: written at once.
  os.whileLockWaits = [&] { os.heldLocks.erase(os.folder); };
  s.setValue("b", "3");
  EXPECT_TRUE(s.save().ok);
  EXPECT_FALSE(os.whileLockWaits);  // this one did wait
  EXPECT_EQ(onDisk("a"), "2");
  EXPECT_EQ(onDisk("b"), "3");
}

TEST_F(State, AStateNeverReadIsNeverWritten) {
  // Closed before its window was made, the program knows no folder to
  // write into.
  app::UserState s(os);
  s.setValue("times", "1");
  EXPECT_FALSE(s.save().ok);
}

TEST_F(State, NothingIsWrittenFromACdRom) {
  os.drive = platform::DriveType::CdRom;
  start().setFlag("times", true);
  close();
  EXPECT_FALSE(std::filesystem::exists(file()));
}

}  // namespace
}  // namespace velquin::test
