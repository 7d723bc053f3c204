// The command line history as the user meets it: lines run with the run
// button, walked with Up and Down in the command line field, listed with
// F7, and found again at the next start, except the ones that may carry a
// password.
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>

#include "app/history.h"
#include "exec/runner.h"
#include "results/repeat_strip.h"
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
    os.setLocalTime("2024/05/01 09:30:" + std::to_string(10 + i));
    run("echo " + std::to_string(i));
  }
  const std::string shown = text("Memo0");
  typeLine("typed");
  os.listAnswers = {{2, false}};
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
  os.listAnswers = {{1, false}};
  EXPECT_EQ(key(form::Key::F7), "echo 20");
  EXPECT_EQ(key(form::Key::Down), "echo 20");
  EXPECT_EQ(key(form::Key::Up), "echo 21");
  os.listAnswers = {{0, false}};
  EXPECT_EQ(key(form::Key::F7), "echo 21");
}

// The time kept with each line reads as the clock stood: midnight exactly,
// a leap day, the turn of a year and of a century.
TEST(LocalTime, ReadsAsTheClockStood) {
  ScriptedPlatform os;
  for (const char* t : {"2024/05/01 00:00:00", "2024/02/29 23:59:59", "2023/12/31 23:59:59",
                        "2024/01/01 00:00:00", "2000/02/29 12:00:00", "1900/03/01 00:00:00"}) {
    os.setLocalTime(t);
    EXPECT_EQ(os.localTimeText(), t);
  }
}

TEST_F(History, F7DeletesAnEntryAndTheFileForgetsItAtOnce) {
  for (int i = 0; i < 4; ++i) {
    os.setLocalTime("2024/05/01 09:30:1" + std::to_string(i));
    run("echo " + std::to_string(i));
  }
  typeLine("typed");
  // Delete the second line, then the last one (the list comes back with
  // the line that took the deleted one's place lit), then Escape.
  os.listAnswers = {{1, true}, {2, true}};
  EXPECT_EQ(key(form::Key::F7), "typed");
  EXPECT_EQ(os.listsLit, (std::vector<int>{0, 1, 1}));
  ASSERT_EQ(os.listsShown.size(), 3u);
  EXPECT_EQ(os.listsShown[2], (std::vector<std::string>{
                                  "echo 3\t2024/05/01 09:30:13",
                                  "echo 1\t2024/05/01 09:30:11"}));
  EXPECT_EQ(lines(), (std::vector<std::string>{"echo 3", "echo 1"}));
  // Up after a deletion begins at the newest line.
  EXPECT_EQ(key(form::Key::Up), "echo 3");
  // Written at once: a crash now loses no deletion.
  const std::string file = readBytes(os.folder + "/Velquin.state");
  EXPECT_EQ(file.find("echo 2"), std::string::npos);
  EXPECT_EQ(file.find("echo 0"), std::string::npos);
  EXPECT_NE(file.find("echo 1"), std::string::npos);
  // Started from a CD-ROM, where nothing is written, the same.
  os.drive = platform::DriveType::CdRom;
  os.listAnswers = {{1, true}};
  key(form::Key::F7);
  EXPECT_EQ(key(form::Key::Up), "echo 3");
  os.drive = platform::DriveType::Fixed;
  run("echo 1");
  // The last one deleted: no list is shown for an empty history.
  os.listAnswers = {{0, true}, {0, true}};
  key(form::Key::F7);
  EXPECT_TRUE(lines().empty());
  EXPECT_EQ(os.listsShown.size(), 7u);
  key(form::Key::F7);
  EXPECT_EQ(os.listsShown.size(), 7u);
  restart();
  EXPECT_TRUE(lines().empty());
}

// Two windows of the program in one folder, each with its own lines.
class TwoWindows : public History {
 protected:
  TwoWindows() {
    other = std::make_unique<Program>(os);
    other->main().FormCreate();
    other->main().FormShow();
  }
  void runIn(Program& p, const std::string& line, const std::string& time) {
    os.setLocalTime(time);
    p.main().form().userSelectPage(p.main()["PageControl1"], 0);
    p.main().form().userType(p.main()["Edit1"], line);
    p.main().form().userClick(p.main()["btnDO"]);
  }
  std::vector<std::string> onDisk() {
    app::UserState s(os);
    s.load(os.folder);
    std::vector<std::string> out;
    for (const app::StateRow& r : s.list("history"))
      if (r.size() == 2) out.push_back(r[1]);
    return out;
  }
  std::unique_ptr<Program> other;
};

TEST_F(TwoWindows, ClosedInEitherOrderEveryLineOfBothIsKept) {
  for (bool thisFirst : {true, false}) {
    SCOPED_TRACE(thisFirst ? "this window closed first" : "the other first");
    std::filesystem::remove(os.folder + "/Velquin.state");
    restart(false);
    other = std::make_unique<Program>(os);
    other->main().FormCreate();
    other->main().FormShow();
    runIn(*program, "ipconfig /all", "2024/05/01 09:00:01");
    runIn(*other, "ping x", "2024/05/01 09:00:02");
    runIn(*program, "arp -a", "2024/05/01 09:00:03");
    runIn(*other, "ipconfig /all", "2024/05/01 09:00:04");  // a repeat
    runIn(*other, "net user bob pw", "2024/05/01 09:00:05");
    if (thisFirst) {
      main().FormClose();
      other->main().FormClose();
    } else {
      other->main().FormClose();
      main().FormClose();
    }
    EXPECT_EQ(onDisk(), (std::vector<std::string>{"ipconfig /all", "arp -a",
                                                  "ping x"}));
  }
}

TEST_F(TwoWindows, ADeletionStaysDeletedWhateverTheOtherWindowKnew) {
  runIn(*program, "echo old", "2024/05/01 09:00:01");
  runIn(*program, "echo kept", "2024/05/01 09:00:02");
  // Both windows start with both lines; this one deletes "echo old".
  restart();
  other = std::make_unique<Program>(os);
  other->main().FormCreate();
  other->main().FormShow();
  os.listAnswers = {{1, true}};
  key(form::Key::F7);
  runIn(*other, "echo new", "2024/05/01 09:00:03");
  other->main().FormClose();
  main().FormClose();
  EXPECT_EQ(onDisk(), (std::vector<std::string>{"echo new", "echo kept"}));
  // And the merged lines are this window's too.
  EXPECT_EQ(lines(), (std::vector<std::string>{"echo new", "echo kept"}));
}

// A line that a write of another window left out (a window that lost a
// race with this one, or an older version of the program) is not a line
// the user deleted: this window keeps it and writes it again. A deletion
// by the user reaches every window, even one that had the line at an older
// time, and a line run again after it is a new one.
TEST_F(TwoWindows, OnlyTheUsersDeletionTakesALineAwayFromTheOtherWindow) {
  runIn(*program, "echo mine", "2024/05/01 09:00:01");
  runIn(*program, "echo both", "2024/05/01 09:00:02");
  runIn(*other, "echo both", "2024/05/01 09:00:03");
  runIn(*other, "echo theirs", "2024/05/01 09:00:04");
  // Another writer that knew neither line of this window.
  writeBytes(os.folder + "/Velquin.state",
             "Velquin state 1\nhistory\t2024/05/01 09:00:04\techo theirs\n");
  runIn(*program, "echo later", "2024/05/01 09:00:05");
  EXPECT_EQ(onDisk(), (std::vector<std::string>{"echo later", "echo theirs",
                                                "echo both", "echo mine"}));
  // The other window deletes "echo both", which this one has at 09:00:02.
  os.listAnswers = {{1, true}};
  other->main().form().userSelectPage(other->main()["PageControl1"], 0);
  other->main().form().userFocus(other->main()["Edit1"]);
  other->main().form().userKey(other->main()["Edit1"], form::Key::F7);
  runIn(*program, "echo last", "2024/05/01 09:00:06");
  EXPECT_EQ(lines(), (std::vector<std::string>{"echo last", "echo later",
                                               "echo theirs", "echo mine"}));
  // Run again, it is back, in both.
  runIn(*program, "echo both", "2024/05/01 09:00:07");
  runIn(*other, "echo x", "2024/05/01 09:00:08");
  other->main().FormClose();
  main().FormClose();
  EXPECT_EQ(onDisk(), (std::vector<std::string>{"echo x", "echo both", "echo last",
                                                "echo later", "echo theirs",
                                                "echo mine"}));
}

// Two windows that write at the same moment: the one that comes while the
// other is between its read and its write waits for the lock, and neither
// loses a line, on disk or in its memory.
TEST_F(TwoWindows, AWriteInTheMiddleOfAnothersLosesNoLine) {
  runIn(*program, "echo a", "2024/05/01 09:00:01");
  os.beforeWrite = [&](const std::string&) {
    runIn(*other, "echo b", "2024/05/01 09:00:02");
  };
  runIn(*program, "echo c", "2024/05/01 09:00:03");
  EXPECT_FALSE(os.beforeWrite);
  runIn(*other, "echo d", "2024/05/01 09:00:04");
  runIn(*program, "echo e", "2024/05/01 09:00:05");
  const std::vector<std::string> all{"echo e", "echo d", "echo c", "echo b", "echo a"};
  EXPECT_EQ(onDisk(), all);
  EXPECT_EQ(lines(), all);
  other->main().FormClose();
  main().FormClose();
  EXPECT_EQ(onDisk(), all);
}

// A command run again and again every half second does not write the whole
// file at each run: at most once every five seconds, and at the end, with
// the time of the last run.
TEST_F(History, ARepetitionWritesTheFileEveryFiveSecondsAndAtItsEnd) {
  os.setLocalTime("2024/05/01 09:00:00");
  os.clockStep = 1000;
  std::vector<int64_t> writes;
  std::function<void(const std::string&)> count = [&](const std::string& path) {
    if (path.ends_with("Velquin.state")) writes.push_back(os.clockMs);
    os.beforeWrite = count;
  };
  os.beforeWrite = count;
  // The clock moves between runs, not while one goes on.
  struct Runs : exec::RunObserver {
    int going = 0;
    void runStarting(const std::string&) override { ++going; }
    void runEnded(const exec::RunEnd&) override { --going; }
  } runs;
  program->runner().addObserver(runs);
  long ticks = 0;
  std::function<void()> tick = [&] {
    os.duringPump.push_back(tick);
    if (runs.going == 0) os.clockMs += 100;
    if (os.clockMs >= 12000 && text("btnRepeat") == results::kRepeatStop)
      click("btnRepeat");
    if (++ticks > 1000000) os.quit = true;  // never reached when all is well
  };
  typeLine("true");
  enter("Edit1");
  ASSERT_TRUE(form().userShortcut("Ctrl+R"));
  type("Edit_RepeatSec", "0.5");
  os.duringPump.push_back(tick);
  press("btnRepeat");
  os.duringPump.clear();
  os.beforeWrite = nullptr;
  ASSERT_FALSE(os.quit);
  ASSERT_GE(writes.size(), 3u);
  for (size_t i = 1; i + 1 < writes.size(); ++i)
    EXPECT_GE(writes[i] - writes[i - 1], 5000) << i;
  EXPECT_LE(writes.size(), 5u);
  // The last write came at the end, with the last run's time.
  EXPECT_GE(writes.back(), 12000);
  app::UserState disk(os);
  disk.load(os.folder);
  ASSERT_FALSE(disk.list("history").empty());
  EXPECT_EQ(disk.list("history")[0],
            (app::StateRow{program->history().history().entries()[0].time, "true"}));
}

// A deletion is the user's own: written at once, even while a repetition
// holds the other writes back.
TEST_F(History, F7DeletesAtOnceWhileARepetitionRuns) {
  os.setLocalTime("2024/05/01 09:00:00");
  run("echo old");
  typeLine("true");
  enter("Edit1");
  ASSERT_TRUE(form().userShortcut("Ctrl+R"));
  type("Edit_RepeatSec", "3600");
  bool deleted = false;
  std::string file;
  long ticks = 0;
  std::function<void()> tick = [&] {
    os.duringPump.push_back(tick);
    if (++ticks > 1000000) os.quit = true;  // never reached when all is well
    if (deleted || !text("StatusBar1").starts_with("繰り返し")) return;
    deleted = true;
    os.listAnswers = {{1, true}};  // "echo old", below the repeated line
    key(form::Key::F7);
    file = readBytes(os.folder + "/Velquin.state");
    form().userSelectPage((*this)["PageControl1"], 1);
    click("btnRepeat");
  };
  os.duringPump.push_back(tick);
  press("btnRepeat");
  os.duringPump.clear();
  ASSERT_FALSE(os.quit);
  ASSERT_TRUE(deleted);
  EXPECT_EQ(file.find("echo old"), std::string::npos);
  EXPECT_NE(file.find("true"), std::string::npos);
}

TEST(CommandHistory, AMergeKeepsTheNewestTwoHundredARepeatOnceAtItsNewest) {
  app::CommandHistory h;
  h.load({{"2024/05/01 09:00:00", "ping a"}});
  h.remember("ping b", "2024/05/01 09:00:02");
  std::vector<app::StateRow> disk{{"2024/05/01 09:00:03", "ping a"},
                                  {"2024/05/01 09:00:00", "ping a"}};
  for (int i = 0; i < 250; ++i) {  // older and older
    char time[32];
    std::snprintf(time, sizeof time, "2024/04/30 %02d:%02d:%02d", 20 - i / 3600,
                  59 - i / 60 % 60, 59 - i % 60);
    disk.push_back({time, "old " + std::to_string(i)});
  }
  const std::vector<app::StateRow> rows = h.merge(disk);
  ASSERT_EQ(rows.size(), 200u);
  EXPECT_EQ(rows[0], (app::StateRow{"2024/05/01 09:00:03", "ping a"}));
  EXPECT_EQ(rows[1], (app::StateRow{"2024/05/01 09:00:02", "ping b"}));
  EXPECT_EQ(rows[2][1], "old 0");
  EXPECT_EQ(rows[199][1], "old 197");
}

TEST(CommandHistory, KeepsTheNewestTwoHundred) {
  app::CommandHistory h;
  for (int i = 0; i < 205; ++i) h.remember("ping " + std::to_string(i), "t");
  ASSERT_EQ(h.entries().size(), 200u);
  EXPECT_EQ(h.entries().front().line, "ping 204");
  EXPECT_EQ(h.entries().back().line, "ping 5");
}

// Every command that takes a password on its command line, wherever the
// line runs it, stays off the disk; its neighbours are written. None of
// these programs is run for real: they do not exist where the tests run.
TEST_F(History, APasswordLineStaysOffTheDiskWhereverItsProgramStandsItsNeighboursAreKept) {
  const struct { const char* line; bool kept; } cases[] = {
      // net and net1 with user, users or use, any case, folder or quotes.
      {"net user bob Secr3t01 /add", false},
      {"NET  Users bob Secr3t02 /add", false},
      {"\tnet1\tuse x: \\\\s\\p Secr3t03", false},
      {R"("C:\Windows\System32\NET.EXE" user bob Secr3t04)", false},
      {R"(C:\Windows\System32\net users bob Secr3t05)", false},
      {"cmd /c ipconfig & net users bob Secr3t06 /add", false},
      {"ipconfig|net user bob Secr3t07", false},
      {"ipconfig||net1 use x: Secr3t08", false},
      {"(net use x: \\\\s\\p Secr3t09)", false},
      {"n^et us^ers bob Secr3t10", false},
      {R"(runas /user:adm "net user bob Secr3t11")", false},
      {"@net user bob Secr3t12", false},
      {R"(cmd /c "start net1 users bob Secr3t13")", false},
      {"tracert net user", false},  // in doubt, off the disk
      // cmdkey with /pass, schtasks with /rp or /p, sc with password=.
      {"cmdkey /add:srv /user:bob /pass:Secr3t14", false},
      {R"("cmdkey.exe" /generic:srv /user:bob /PASS)", false},
      {"cmd /c cmdkey /add:srv /user:bob /pass:Secr3t15", false},
      {"schtasks /create /tn t /tr x.exe /ru bob /rp Secr3t16", false},
      {"ipconfig && C:\\Windows\\System32\\SCHTASKS.exe /query /s srv /u bob /P Secr3t17", false},
      {"sc.exe config svc obj= .\\bob password= Secr3t18", false},
      {R"(cmd /c "C:\Windows\System32\sc \\srv config svc PASSWORD=Secr3t19")", false},
      // Neighbours, written.
      {"net view", true},
      {"net start", true},
      {"net usage", true},
      {"netuse x:", true},
      {"pathping netuser", true},
      {"nbtstat -a user.example", true},
      {"cmdkey /list", true},
      {"cmdkey /delete:srv", true},
      {"schtasks /query /fo list /v", true},
      {"schtasks /create /tn t /tr x.exe /sc daily /st 09:00", true},
      {"sc.exe query svc", true},
      {"sc.exe config svc start= auto", true},
      {"nbtstat /p /rp password", true},
  };
  for (const auto& c : cases) run(c.line);
  // Every line is there for this session.
  EXPECT_EQ(lines().size(), std::size(cases));
  restart();
  const std::string file = readBytes(os.folder + "/Velquin.state");
  EXPECT_EQ(file.find("Secr3t"), std::string::npos);
  std::vector<std::string> kept;
  for (const auto& c : cases) {
    EXPECT_EQ(file.find(c.line) != std::string::npos, c.kept) << c.line;
    if (c.kept) kept.insert(kept.begin(), c.line);
  }
  EXPECT_EQ(lines(), kept);
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
  // Up after a start begins at the newest line.
  EXPECT_EQ(key(form::Key::Up), "echo 日本語");
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
