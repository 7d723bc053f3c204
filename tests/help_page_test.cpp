// The help page, driven as a user: the usage text follows its selector and
// the tool chosen on the first page; its buttons open the Net_Help pages.
#include <functional>

#include "support/app_fixture.h"

namespace velquin::test {
namespace {

class HelpPage : public AppTest {
 protected:
  static constexpr int kHelpTab = 4;
  // The one usage memo on view, "" for none, "several" for more than one.
  std::string onView() {
    std::string shown;
    for (int k = 0; k < 6; ++k) {
      form::Control& memo = (*this)["MemoH" + std::to_string(k)];
      if (!memo.visible()) continue;
      if (!shown.empty()) return "several";
      shown = memo.name();
    }
    return shown;
  }
  void toHelpPage() { form().userSelectPage((*this)["PageControl1"], kHelpTab); }
  void toToolPage(int tool) {
    form().userSelectPage((*this)["PageControl1"], 0);
    chooseTool(tool);
  }
};

TEST_F(HelpPage, TheUsageTextFollowsTheSelectorAndTheChosenTool) {
  auto item = [this](int k) { return [this, k] { pick("RadioGroupH", k); }; };
  // From the ipconfig text, the user picks a tool and comes back by the tab.
  auto tool = [this](int t) {
    return [this, t] { pick("RadioGroupH", 0); toToolPage(t); toHelpPage(); };
  };
  const struct {
    const char* what;
    std::function<void()> act;
    const char* shown;
  } steps[] = {
      // No tool chosen: the page change sets index -1, which keeps the text.
      {"start", [this] { toHelpPage(); }, "MemoH0"},
      {"ping", item(1), "MemoH1"},     {"netstat", item(2), "MemoH2"},
      {"nbtstat", item(3), "MemoH3"},  {"route", item(4), "MemoH4"},
      {"tracert", item(5), "MemoH5"},  {"ipconfig", item(0), "MemoH0"},
      {"route tool", tool(app::kRoute), "MemoH4"},
      {"ping tool", tool(app::kPing), "MemoH1"},
      {"reset, then a page change",
       [this] { click("btnReflesh"); toHelpPage(); }, "MemoH1"},
      {"net tool", tool(app::kNet), "MemoH5"},
      {"arp tool", tool(app::kArp), "MemoH5"},
      {"nslookup tool", tool(app::kNslookup), "MemoH5"},
      {"pathping tool", tool(app::kPathping), "MemoH5"},
  };
  for (const auto& s : steps) {
    s.act();
    EXPECT_EQ(onView(), s.shown) << s.what;
    // The text on view fills the page below the button panel.
    const form::Rect page = (*this)["TabSheet5"].bounds();
    EXPECT_EQ((*this)[s.shown].bounds(),
              (form::Rect{0, 37 + 22, page.width, page.height - 59}))
        << s.what;
  }
}

TEST_F(HelpPage, TextTypedIntoAUsageMemoStaysWhileOthersShow) {
  toHelpPage();
  pick("RadioGroupH", 3);
  type("MemoH3", "自分のメモ");
  pick("RadioGroupH", 5);
  pick("RadioGroupH", 3);
  EXPECT_EQ(text("MemoH3"), "自分のメモ");
}

TEST_F(HelpPage, EachUsageTextOpensWithItsToolsUsageLine) {
  struct Row {
    size_t lines;
    std::string first;
  };
  const Row rows[] = {
      {33, "   ipconfig [/? | /all | /release [adapter] | /renew [adapter] "},
      {19, "Usage: ping [-t] [-a] [-n count] [-l size] [-f] [-i TTL] [-v TOS]"},
      {24, "netstat \t\u3000ネットワーク統計情報の表示 \t(標準)"},
      {19, "NBTSTAT [ [-a RemoteName] [-A IP address] [-c] [-n] [-r] [-R] "
           "[-RR] [-s] [-S] [interval] ]"},
      {97, "ROUTE [-f] [-p] [command [destination] [MASK netmask] [gateway] "
           "[METRIC metric] [IF interface]"},
      {9, "C:\\>tracert"},
  };
  for (int k = 0; k < 6; ++k) {
    const std::vector<std::string> lines = main()["MemoH" + std::to_string(k)].lines();
    ASSERT_FALSE(lines.empty()) << k;
    EXPECT_EQ(lines.size(), rows[k].lines) << k;
    EXPECT_EQ(lines[0], rows[k].first) << k;
  }
  // The netstat text's headings stand on lines of their own.
  const std::vector<std::string> netstat = main()["MemoH2"].lines();
  for (const char* heading : {"構文", "オプション", "利用環境", "説明", "使用例"})
    EXPECT_EQ(std::count(netstat.begin(), netstat.end(),
                         std::string("\u3000") + heading), 1)
        << heading;
}

TEST_F(HelpPage, TheButtonsOpenTheHelpAndLinkPagesOfTheStartFolder) {
  toHelpPage();
  const std::string start = os.folder;
  // A later change of the current folder (a file dialog) does not move them.
  os.folder = start + "/elsewhere";
  click("btnHelp1");
  click("btnHelp2");
  os.folder = start;
  EXPECT_EQ(os.opened, (std::vector<std::string>{
                           start + "\\Net_Help\\help.html",
                           start + "\\Net_Help\\link.html"}));
  EXPECT_TRUE(os.messages.empty());
}

}  // namespace
}  // namespace velquin::test
