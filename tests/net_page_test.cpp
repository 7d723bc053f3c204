// The net page's frame and its account sub-commands, driven as a user:
// choose a category, tick a sub-command box, fill its options, confirm.
#include <ostream>
#include <string>
#include <vector>

#include "support/app_fixture.h"

namespace velquin::test {
namespace {

class NetPage : public AppTest {
 protected:
  NetPage() {
    chooseTool(app::kNet);
    type("Edit1", "ipconfig");  // what a builder that acts replaces
  }
  bool shown(const char* name) { return (*this)[name].showing(); }
  std::string front(const char* pageControl) {
    return (*this)[pageControl].activePage()->name();
  }
};

struct NetRow {
  std::vector<std::string> steps;  // then btnNet is clicked
  const char* line;                // Edit1 afterwards, blanks as "_"
};

void PrintTo(const NetRow& row, std::ostream* os) { *os << '"' << row.line << '"'; }

class NetLine : public NetPage, public ::testing::WithParamInterface<NetRow> {};

TEST_P(NetLine, ConfirmWritesTheLineOfTheTickedBox) {
  steps(GetParam().steps);
  click("btnNet");
  EXPECT_EQ(line(), GetParam().line);
  EXPECT_TRUE(os.messages.empty());
}

const std::vector<std::string> kAllPolicies = {
    "click CB_Net_ac1", "click CB_Net_ac2", "click CB_Net_ac3",
    "click CB_Net_ac4", "click CB_Net_ac5"};

std::vector<std::string> operator+(std::vector<std::string> a,
                                   const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

INSTANTIATE_TEST_SUITE_P(NetPage, NetLine, ::testing::Values(
    // Nothing ticked: the line stays.
    NetRow{{}, "ipconfig"},
    // net accounts: each piece is followed by its blank, the domain last.
    NetRow{{"click CB_net_01"}, "net_accounts_"},
    NetRow{{"click CB_net_01", "pick ComboBox2 1"}, "net_accounts_/domain"},
    NetRow{std::vector<std::string>{"click CB_net_01", "pick ComboBox2 1"} +
               kAllPolicies,
           "net_accounts_/forcelogoff:No_/minpwlen:6_/maxpwage:90_/minpwage:0_"
           "/uniquepw:24_/domain"},
    NetRow{{"click CB_net_01", "click CB_Net_ac2", "enter Edit_ac2",
            "type Edit_ac2 8"},
           "net_accounts_/minpwlen:8_"},
    // An entered field is empty, each of the five: the switch keeps its
    // colon and blank.
    NetRow{std::vector<std::string>{"click CB_net_01"} + kAllPolicies +
               std::vector<std::string>{"enter Edit_ac1", "enter Edit_ac2",
                                        "enter Edit_ac3", "enter Edit_ac4",
                                        "enter Edit_ac5"},
           "net_accounts_/forcelogoff:_/minpwlen:_/maxpwage:_/minpwage:_"
           "/uniquepw:_"},
    // Clicking the box again (from elsewhere) brings all five presets back
    // and keeps the ticks.
    NetRow{std::vector<std::string>{"click CB_net_01"} + kAllPolicies +
               std::vector<std::string>{
                   "enter Edit_ac1", "type Edit_ac1 7", "enter Edit_ac2",
                   "type Edit_ac2 7", "enter Edit_ac3", "type Edit_ac3 7",
                   "enter Edit_ac4", "type Edit_ac4 7", "enter Edit_ac5",
                   "type Edit_ac5 7", "click CB_net_01"},
           "net_accounts_/forcelogoff:No_/minpwlen:6_/maxpwage:90_/minpwage:0_"
           "/uniquepw:24_"},
    // net computer: the name as typed, no backslashes; the placeholder
    // goes in when the field was never entered.
    NetRow{{"click CB_net_02"}, "net_computer_コンピュータ名_/add"},
    NetRow{{"click CB_net_02", "enter Edit_net2", "type Edit_net2 PC1"},
           "net_computer_PC1_/add"},
    NetRow{{"click CB_net_02", "pick ComboBox1 1", "enter Edit_net2",
            "type Edit_net2 PC1"},
           "net_computer_PC1_/del"},
    NetRow{{"click CB_net_02", "enter Edit_net2"}, "net_computer__/add"},
    // The focused, ticked box clicked again unticks without a reset: the
    // operations stay on view, nothing is built.
    NetRow{{"click CB_net_02", "click CB_net_02"}, "ipconfig"},
    // A ticked box clicked after typing elsewhere is reset, ticked again and
    // set up afresh: operation 0, placeholder back.
    NetRow{{"click CB_net_02", "pick ComboBox1 1", "enter Edit_net2",
            "type Edit_net2 PC1", "click CB_net_02"},
           "net_computer_コンピュータ名_/add"},
    // A category choice unticks every box.
    NetRow{{"click CB_net_02", "pick RadioGroup4 1"}, "ipconfig"},
    // Leaving for another tool and coming back keeps the ticked box and
    // the texts.
    NetRow{{"pick RadioGroup4 2", "pick RadioGroup4 0", "click CB_net_02",
            "enter Edit_net2", "type Edit_net2 PC9", "tool 0",
            "tool 6"},
           "net_computer_PC9_/add"}));

TEST_F(NetPage, TheResetUnticksHidesAndEmptiesTheOptionArea) {
  const std::vector<const char*> shownBefore = {
      "ComboBox1", "Edit_net1", "Edit_net2", "Edit_net3", "Edit_net4", "Memo4",
      "Panel10"};
  const std::vector<const char*> filledBefore = {
      "Edit_net1", "Edit_net2", "Edit_net3", "Edit_net4", "LBL_Net1"};
  steps({"click CB_net_01", "click CB_net_02", "enter Edit_net2",
         "type Edit_net2 PC1"});
  // Everything the reset undoes is set first, as sub-commands leave it:
  // every box ticked, every part of the option area on view and filled.
  auto box = [](int n) {
    return (n < 10 ? "CB_net_0" : "CB_net_") + std::to_string(n);
  };
  for (int n = 1; n <= 22; ++n) (*this)[box(n)].setChecked(true);
  for (const char* c : shownBefore) (*this)[c].setVisible(true);
  for (const char* c : filledBefore) (*this)[c].setText("x");
  (*this)["Memo4"].setText("hello");
  (*this)["PageControl4"].setActivePage((*this)["TS_Select3"]);
  steps({"pick RadioGroup4 3"});
  for (int n = 1; n <= 22; ++n) EXPECT_FALSE((*this)[box(n)].checked()) << box(n);
  for (const char* c : shownBefore) EXPECT_FALSE((*this)[c].visible()) << c;
  for (const char* c : filledBefore) EXPECT_EQ(text(c), "") << c;
  EXPECT_EQ((*this)["ComboBox1"].itemIndex(), -1);
  EXPECT_EQ(front("PageControl3"), "TS_Net4");
  EXPECT_EQ(front("PageControl4"), "TS_Select1");
  // The account page and the message keep what they hold.
  EXPECT_EQ(text("Edit_ac1"), "No");
  EXPECT_EQ(text("Memo4"), "hello");
}

TEST_F(NetPage, BoxesBringTheirOptionsForward) {
  click("CB_net_01");
  EXPECT_EQ(front("PageControl4"), "TS_Select2");
  EXPECT_FALSE(shown("ComboBox1"));
  // Another box: the account page goes, the operation list comes.
  click("CB_net_02");
  EXPECT_FALSE((*this)["CB_net_01"].checked());
  EXPECT_EQ(front("PageControl4"), "TS_Select1");
  EXPECT_TRUE(shown("ComboBox1"));
  EXPECT_EQ(text("ComboBox1"), "登録");
  EXPECT_EQ(text("Edit_net2"), "コンピュータ名");
  // Entering a value field empties it every time.
  steps({"enter Edit_net2", "type Edit_net2 PC1", "enter ComboBox1",
         "enter Edit_net2"});
  EXPECT_EQ(text("Edit_net2"), "");
}

// Where the focus stays, and what arriving at a box then does.
TEST_F(NetPage, TheFocusIsWhereTheUserLeftIt) {
  const std::vector<std::string> start = {"pick RadioGroup4 1", "click CB_net_06",
                                          "pick ComboBox1 1", "enter Edit_net2"};
  struct Case {
    std::vector<std::string> steps;
    const char* focused;
    const char* ticked;
    const char* options;  // the front option page
    const char* line;
    std::vector<std::string> messages;
  } const table[] = {
      // The tab strip took the focus: the box is reset, ticked, set up afresh.
      {{"click CB_net_03", "enter PageControl1", "click CB_net_03"},
       "CB_net_03", "CB_net_03", "TS_Select3", "ipconfig", {}},
      // Alt+S builds where the user types; clicking back in keeps the name.
      {start + std::vector<std::string>{"type Edit_net2 W32Time",
                                        "press btnNet", "enter Edit_net2"},
       "Edit_net2", "CB_net_06", "TS_Select1", "net_start_W32Time", {}},
      {start + std::vector<std::string>{"press btnNet"}, "Edit_net2",
       "CB_net_06", "TS_Select1", "ipconfig", {"サービス名を入力して下さい。"}},
  };
  for (const Case& c : table) {
    type("Edit1", "ipconfig");
    os.messages.clear();
    steps(c.steps);
    EXPECT_EQ(form().focused()->name(), c.focused) << c.line;
    EXPECT_TRUE((*this)[c.ticked].checked()) << c.line;
    EXPECT_EQ(front("PageControl4"), c.options) << c.line;
    EXPECT_EQ(line(), c.line);
    EXPECT_EQ(os.messages, c.messages) << c.line;
  }
}

TEST_F(NetPage, ComingBackShowsTheFirstPagesAndKeepsTheChoices) {
  steps({"pick RadioGroup4 1", "tool 0", "tool 6"});
  EXPECT_EQ((*this)["RadioGroup4"].itemIndex(), 1);
  EXPECT_EQ(front("PageControl3"), "TS_Net1");
  EXPECT_EQ(front("PageControl4"), "TS_Select1");
}

}  // namespace
}  // namespace velquin::test
