// The status bar: how each run goes and ends, a command file's progress,
// and the hint and restart when a command lacked the administrator's
// rights. Real child processes, the platform's clock moved by the test.
#include <functional>
#include <set>

#include "app/run_status.h"
#include "support/app_fixture.h"

namespace velquin::test {
namespace {

class Status : public AppTest {
 protected:
  // Runs the line; at its first pass the clock has moved by ms.
  std::string run(const std::string& line, int64_t ms = 1234) {
    os.duringPump.push_back([this, ms] { os.clockMs += ms; });
    form().userSelectPage((*this)["PageControl1"], 0);
    type("Edit1", line);
    click("btnDO");
    return bar();
  }
  std::string bar() { return text("StatusBar1"); }
  std::vector<std::string> barWhileRunning;
};

TEST(StatusText, EndOfARunReadsAsTheUserExpects) {
  using How = exec::RunEnd::How;
  const struct { exec::RunEnd end; int64_t ms; const char* text; } cases[] = {
      {{How::Exited, 0, ""}, 1234, "終了コード 0 (1.2 秒)"},
      {{How::Exited, 3, ""}, 50, "終了コード 3 (0.1 秒)"},
      {{How::Exited, 0x7FFFFFFF, ""}, 0, "終了コード 2147483647 (0.0 秒)"},
      {{How::Exited, 0x80000000u, ""}, 10, "終了コード 0x80000000 (0.0 秒)"},
      {{How::Exited, 0xC000013Au, ""}, 61999, "終了コード 0xC000013A (62.0 秒)"},
      {{How::Stopped, 0, ""}, 2049, "停止しました (2.0 秒)"},
      {{How::NotStarted, 0, "指定されたファイルが見つかりません。"}, 5,
       "起動できませんでした: 指定されたファイルが見つかりません。"},
  };
  for (const auto& c : cases) EXPECT_EQ(app::endText(c.end, c.ms), c.text);
}

TEST(StatusText, AMessageForMissingRightsIsFoundAnywhereInTheOutput) {
  for (const char* message : {"アクセスが拒否されました", "Access is denied",
                              "要求された操作には管理者特権が必要です",
                              "The requested operation requires elevation"}) {
    const std::string m = message;
    for (size_t before = 0; before < 20; ++before) {
      const std::string lead(before, 'A'), tail(before % 9, 'T');
      EXPECT_TRUE(app::lacksRights(lead + m + tail)) << m << " " << before;
      // One byte short of the message is not the message.
      EXPECT_FALSE(app::lacksRights(lead + m.substr(0, m.size() - 1) + "x" + tail))
          << m << " " << before;
    }
  }
}

TEST_F(Status, ARunShowsItsSecondsThenHowItEnded) {
  std::vector<std::string> seen;
  os.duringPump = {[&] { seen.push_back(bar()); os.clockMs += 1100; },
                   [&] { seen.push_back(bar()); os.clockMs += 1000; },
                   [&] { seen.push_back(bar()); }};
  form().userSelectPage((*this)["PageControl1"], 0);
  type("Edit1", "sh -c \"sleep 0.3; exit 3\"");
  click("btnDO");
  ASSERT_GE(seen.size(), 3u);
  EXPECT_EQ(seen[0], "実行中 (0 秒)");
  EXPECT_EQ(seen[1], "実行中 (1 秒)");
  EXPECT_EQ(seen[2], "実行中 (2 秒)");
  EXPECT_EQ(bar(), "終了コード 3 (2.1 秒)");

  EXPECT_EQ(run("true"), "終了コード 0 (1.2 秒)");
  EXPECT_EQ(run("no-such-program-here"),
            "起動できませんでした: No such file or directory");
  // The view keeps the command line alone, as before.
  EXPECT_EQ(text("Memo0"), "no-such-program-here\r\n");

  os.duringPump = {[&] { os.clockMs += 2500; click("btnBreak"); }};
  form().userSelectPage((*this)["PageControl1"], 0);
  type("Edit1", "sleep 20");
  click("btnDO");
  EXPECT_EQ(bar(), "停止しました (2.5 秒)");
}

TEST_F(Status, ACommandFileShowsItsLineInProgress) {
  // What the bar says at every pass while the file runs.
  std::set<std::string> seen;
  std::function<void()> look = [&] {
    seen.insert(bar());
    os.duringPump.push_back(look);
  };
  os.duringPump.push_back(look);
  form().userSelectPage((*this)["PageControl1"], 3);
  type("Memo3", "sh -c \"sleep 0.2\"\r\n// note\r\nsh -c \"sleep 0.2; exit 4\"");
  click("Button4");
  os.duringPump.clear();
  EXPECT_EQ(seen, (std::set<std::string>{"自動実行 1 / 3 行目  実行中 (0 秒)",
                                         "自動実行 3 / 3 行目  実行中 (0 秒)"}));
  // Once the file is done, how its last line ended.
  EXPECT_EQ(bar(), "終了コード 4 (0.0 秒)");
  // An empty file: its one line, empty, is refused with the runner's
  // message while the bar counts it as the first of one.
  std::string during;
  os.onMessage = [&](const std::string&) { during = bar(); };
  form().userSelectPage((*this)["PageControl1"], 3);
  (*this)["Memo3"].setText("");
  click("Button4");
  EXPECT_EQ(during, "自動実行 1 / 1 行目  終了コード 4 (0.0 秒)");
}

// Features beside the run put their texts around what the bar says of it;
// each owner's pair stays until taken away, and follows the run's own text.
TEST_F(Status, TextsAroundTheRunFollowItAndGoAwayByOwner) {
  run("sh -c \"exit 2\"");
  program->status().setAround("a", "A: ", "");
  program->status().setAround("b", "", "、b");
  EXPECT_EQ(bar(), "A: 終了コード 2 (1.2 秒)、b");
  program->status().setAround("a", "A2: ", "、a");
  EXPECT_EQ(bar(), "A2: 終了コード 2 (1.2 秒)、a、b");
  run("sh -c \"exit 3\"");
  EXPECT_EQ(bar(), "A2: 終了コード 3 (1.2 秒)、a、b");
  program->status().setAround("a", "", "");
  EXPECT_EQ(bar(), "終了コード 3 (1.2 秒)、b");
  program->status().setAround("b", "", "");
  EXPECT_EQ(bar(), "終了コード 3 (1.2 秒)");
}

TEST_F(Status, MissingRightsOfferARestartThatCarriesTheCommandLine) {
  const std::string line = R"(sh -c "echo 'System error 5. Access is denied.'")";
  EXPECT_EQ(run(line), "終了コード 0 (1.2 秒)  " + std::string(app::kRightsHint));
  // The message cut in two by the pipe is still seen.
  app::RunStatus& s = program->status();
  s.runStarting("net stop x");
  s.runOutput("エラー: アクセスが拒");
  s.runOutput("否されました。\r\n");
  s.runEnded({exec::RunEnd::How::Exited, 2, ""});
  EXPECT_NE(bar().find(app::kRightsHint), std::string::npos);
  // So is one cut anywhere in long output.
  const std::string filler(100, '.');
  const std::string longOutput = filler + "Access is denied." + filler;
  for (size_t cut = 95; cut < 122; ++cut) {
    s.runStarting("net stop x");
    s.runOutput(longOutput.substr(0, cut));
    s.runOutput(longOutput.substr(cut));
    s.runEnded({exec::RunEnd::How::Exited, 2, ""});
    EXPECT_NE(bar().find(app::kRightsHint), std::string::npos) << cut;
  }

  // Refused: everything stays, the bar says so; the system menu offers the
  // restart too.
  form().userSelectPage((*this)["PageControl1"], 0);
  type("Edit1", R"(net "a b\" c\)");
  click("StatusBar1");
  ASSERT_EQ(os.elevatedStarts.size(), 1u);
  EXPECT_EQ(os.elevatedStarts[0], os.folder + "|/handover channel1");
  EXPECT_TRUE(os.offers.empty());  // withdrawn with the start
  EXPECT_EQ(bar(), app::kRestartCancelled);
  EXPECT_EQ(os.closeRequests, 0);
  click("StatusBar1");  // the hint is gone: a click does nothing
  EXPECT_EQ(os.elevatedStarts.size(), 1u);

  // Started: this one closes by its close box.
  const auto& commands = form().windowCommands();
  const auto restart = std::find_if(commands.begin(), commands.end(), [](const auto& c) {
    return c.caption == app::kRestartElevated;
  });
  ASSERT_NE(restart, commands.end());
  os.elevatedAnswer = platform::Platform::ElevatedStart::Started;
  form().userWindowCommand(static_cast<size_t>(restart - commands.begin()));
  EXPECT_EQ(os.closeRequests, 1);
  // Output without such a message leaves no hint.
  EXPECT_EQ(run("echo fine"), "終了コード 0 (1.2 秒)");
}

// The hint belongs to the run it follows: the next run starts without it,
// and a restart that fails says why.
TEST_F(Status, TheHintGoesWithTheNextRunAndAFailedRestartSaysWhy) {
  app::RunStatus& s = program->status();
  auto denied = [&] {
    s.runStarting("net stop x");
    s.runOutput("Access is de");
    s.runOutput("nied.");
    s.runEnded({exec::RunEnd::How::Exited, 2, ""});
  };
  denied();
  ASSERT_NE(bar().find(app::kRightsHint), std::string::npos);
  s.runStarting("echo");
  click("StatusBar1");  // the hint went with the run before
  s.runOutput("fine");
  s.runEnded({exec::RunEnd::How::Exited, 0, ""});
  EXPECT_EQ(bar(), "終了コード 0 (0.0 秒)");
  EXPECT_TRUE(os.elevatedStarts.empty());

  denied();
  form().userSelectPage((*this)["PageControl1"], 0);
  type("Edit1", "");
  os.elevatedAnswer = platform::Platform::ElevatedStart::Failed;
  click("StatusBar1");
  ASSERT_EQ(os.elevatedStarts.size(), 1u);
  EXPECT_EQ(os.elevatedStarts[0], os.folder + "|");  // nothing to carry
  EXPECT_EQ(bar(), std::string(app::kRestartFailed) + "scripted failure");
  EXPECT_EQ(os.closeRequests, 0);
  click("StatusBar1");
  EXPECT_EQ(os.elevatedStarts.size(), 1u);
}

TEST(ElevatedStatus, AnElevatedProgramSaysSoAndOffersNoRestart) {
  ScriptedPlatform os;
  os.isElevated = true;
  Program program(os);
  program.main().FormCreate();
  program.main().FormShow();
  form::Form& f = program.main().form();
  EXPECT_EQ(f["StatusBar1"].items(), std::vector<std::string>{"管理者"});
  for (const auto& c : f.windowCommands()) EXPECT_NE(c.caption, app::kRestartElevated);
  app::RunStatus& s = program.status();
  s.runStarting("net stop x");
  s.runOutput("Access is denied.");
  s.runEnded({exec::RunEnd::How::Exited, 2, ""});
  EXPECT_EQ(f["StatusBar1"].text(), "終了コード 2 (0.0 秒)");
}

// The elevated restart of a refused "net user": the new instance's command
// line holds only the channel's name, never a byte of the text; the new
// instance finds the text exactly in Edit1, or, when the channel is gone,
// an empty Edit1 and a word in the bar. Nothing runs by itself.
TEST_F(Status, TheRestartCarriesTheCommandLineOutsideTheArguments) {
  const std::string longest(100000, 'x');
  const std::string texts[] = {
      "net user bob Secr3t /add",
      R"(net user "bob b" "pa ss\" /add)",
      R"(cmd /c echo %USERNAME% C:\)",
      "net user bob\r\nSecr3t",
      "net user 山田 パスワード /add",
      longest,
  };
  os.elevatedAnswer = platform::Platform::ElevatedStart::Started;
  for (const std::string& text : texts) {
    SCOPED_TRACE(text.substr(0, 40));
    os.elevatedStarts.clear();
    form().userSelectPage((*this)["PageControl1"], 0);
    type("Edit1", text);
    program->status().restartElevated();
    ASSERT_EQ(os.elevatedStarts.size(), 1u);
    const std::string args = os.elevatedStarts[0].substr(os.folder.size() + 1);
    EXPECT_EQ(args.find("Secr3t"), std::string::npos);
    EXPECT_EQ(args.find(text.substr(0, 8)), std::string::npos);
    const std::optional<std::string> channel =
        app::handOverChannel({"Velquin.exe", "/handover", args.substr(10)});
    ASSERT_TRUE(channel.has_value());
    EXPECT_EQ(args, "/handover " + *channel);

    // The new instance, as WinMain starts it.
    Program next(os);
    next.main().FormCreate();
    next.main().FormShow();
    next.status().carriedOver(os.takeOffer(*channel));
    EXPECT_EQ(next.main()["Edit1"].text(), text);
    EXPECT_EQ(next.main()["Memo0"].text(), "");
    EXPECT_EQ(next.main()["StatusBar1"].text(), "");
    // Served once: a second reader gets nothing.
    EXPECT_FALSE(os.takeOffer(*channel).has_value());
  }

  // No channel could be made, or the old instance is gone: nothing comes.
  os.offerFails = true;
  type("Edit1", "net user bob Secr3t /add");
  program->status().restartElevated();
  EXPECT_EQ(os.elevatedStarts.back(), os.folder + "|/handover -");
  for (const char* channel : {"-", "channel1", ""}) {
    Program next(os);
    next.main().FormCreate();
    next.main().FormShow();
    next.status().carriedOver(os.takeOffer(channel));
    EXPECT_EQ(next.main()["Edit1"].text(), "");
    EXPECT_EQ(next.main()["StatusBar1"].text(), app::kCarryFailed);
  }
  // An empty command line needs no channel.
  type("Edit1", "");
  program->status().restartElevated();
  EXPECT_EQ(os.elevatedStarts.back(), os.folder + "|");
}

// The restart waits for the new instance to take the command line while
// the window goes on answering the user; only once it took the line does
// this window close. One that never reads it leaves this window open, the
// line in its field and a word in the bar.
TEST_F(Status, TheWindowStaysAndAnswersUntilTheNewInstanceHasTheLine) {
  os.elevatedAnswer = platform::Platform::ElevatedStart::Started;
  const std::string line = "net user bob Secr3t /add";
  struct Case {
    const char* what;
    std::optional<bool> outcome;  // at the third pass of the message loop
    bool quit;                    // the user closed the window before that
    int closes;
    std::string barAfter;
  };
  const Case cases[] = {
      {"taken", true, false, 1, app::kHandingOver},
      {"never read", false, false, 0, app::kHandOverFailed},
      {"closed while waiting", std::nullopt, true, 0, app::kHandOverFailed},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    os.closeRequests = 0;
    os.elevatedStarts.clear();
    os.offerOutcome = std::nullopt;
    form().userSelectPage((*this)["PageControl1"], 0);
    type("Edit1", line);
    std::vector<std::string> barWhile;
    os.duringPump = {
        [&] {
          barWhile.push_back(bar());
          // The user asks again meanwhile: no second start.
          program->status().restartElevated();
        },
        [&] {
          // And goes on typing: the window answers.
          type("Edit1", line + " /y");
          if (c.quit) os.quit = true;
        },
        [&] { os.offerOutcome = c.outcome; },
    };
    program->status().restartElevated();
    os.quit = false;
    EXPECT_EQ(barWhile, std::vector<std::string>{app::kHandingOver});
    EXPECT_EQ(os.elevatedStarts.size(), 1u);
    EXPECT_EQ(os.closeRequests, c.closes);
    EXPECT_EQ(bar(), c.barAfter);
    EXPECT_EQ(text("Edit1"), line + " /y");
  }
  // No channel could be made: nothing to wait for, and the window stays.
  os.offerFails = true;
  os.duringPump.clear();
  type("Edit1", line);
  program->status().restartElevated();
  EXPECT_EQ(os.closeRequests, 0);
  EXPECT_EQ(bar(), app::kHandOverFailed);
  EXPECT_EQ(text("Edit1"), line);
}

TEST(StartOption, TheChannelIsTheWordAfterTheOption) {
  const struct {
    std::vector<std::string> args;
    std::optional<std::string> channel;
  } cases[] = {
      {{"Velquin.exe"}, std::nullopt},
      {{"Velquin.exe", "/handover", "0af3"}, "0af3"},
      {{"Velquin.exe", "x", "/handover", "0af3", "y"}, "0af3"},
      {{"Velquin.exe", "/handover"}, ""},
      {{"/handover", "0af3"}, std::nullopt},  // the program's own name
  };
  for (const auto& c : cases) EXPECT_EQ(app::handOverChannel(c.args), c.channel);
}

}  // namespace
}  // namespace velquin::test
