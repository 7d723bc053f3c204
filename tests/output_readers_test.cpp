// The readers of the output that features keep beside the view cost
// nothing while their feature is off: the ping graph reads the output only
// while its pane shows or its alert is on, and catches up when the user
// turns either on, as if it had read all along.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/app_fixture.h"

namespace velquin::test {
namespace {

constexpr long long kTen = 10LL * 3600 * 1000;  // 10:00:00.000

class OutputReaders : public AppTest {
 protected:
  OutputReaders() {
    os.clock = kTen;
    form().userSelectPage(form()["PageControl1"], 1);
  }
  void run(const std::string& command, const std::vector<std::string>& lines) {
    form()["Memo0"].setText(command + "\r\n");
    for (const std::string& l : lines) {
      os.clock += 1000;
      form()["Memo0"].append(l + "\r\n");
    }
  }
};

const std::string kLost = "要求がタイムアウトしました。";
std::string startLine(const std::string& to) {
  return to + " に ping を送信しています 32 バイトのデータ:";
}
std::string reply(const std::string& from) {
  return from + " からの応答: バイト数 =32 時間 =3ms TTL=64";
}

TEST_F(OutputReaders, TheGraphShownLateHasTheFiguresOfTheLastRunAlone) {
  auto ctrlG = [this] {
    enter("Memo0");
    ASSERT_TRUE(form().userShortcut("Ctrl+G"));
  };
  // Two runs while the pane is hidden; shown, it has the second alone.
  run("ping 10.0.0.1", {startLine("10.0.0.1"), reply("10.0.0.1"), kLost});
  run("ping 10.0.0.2", {startLine("10.0.0.2"), reply("10.0.0.2"), reply("10.0.0.2")});
  ctrlG();
  EXPECT_EQ(text("LblGraph"),
            "10.0.0.2  送信 2  受信 2  損失 0 (0.0%)  最小 3 ms  平均 3.0 ms  最大 3 ms  "
            "ジッター 0.0 ms");
  // Shown, it follows the output as it comes.
  form()["Memo0"].append(kLost + "\r\n");
  EXPECT_TRUE(text("LblGraph").starts_with("10.0.0.2  送信 3  受信 2  ")) << text("LblGraph");

  // Hidden again: the same command run again in the same millisecond, with
  // more output than the last, is still a run of its own.
  ctrlG();
  os.clock = kTen + 3000;  // when the last run began
  form()["Memo0"].setText("ping 10.0.0.2\r\n");
  for (const std::string& l : {startLine("10.0.0.2"), kLost, kLost, reply("10.0.0.2"), kLost})
    form()["Memo0"].append(l + "\r\n");
  ctrlG();
  EXPECT_TRUE(text("LblGraph").starts_with("10.0.0.2  送信 4  受信 1  ")) << text("LblGraph");
}

TEST_F(OutputReaders, TheAlertTurnedOnLateTellsOfTheOutageWithoutAFlash) {
  const std::string bar = text("StatusBar1");
  run("ping -t 10.0.0.1", {startLine("10.0.0.1"), reply("10.0.0.1"), kLost, kLost, kLost});
  // The target went down before the alert was on: the bar says so, nothing
  // flashes; the next outage does.
  form().execute("Act_GraphAlert");
  EXPECT_EQ(text("StatusBar1"), "10.0.0.1: 応答なし 10:00:03 から  " + bar);
  EXPECT_EQ(os.alerts, 0);
  run("ping -t 10.0.0.1", {startLine("10.0.0.1"), reply("10.0.0.1"), kLost, kLost, kLost});
  EXPECT_EQ(os.alerts, 1);
}

}  // namespace
}  // namespace velquin::test
