// The ping page, driven as a user: type an address, open the detail
// settings, enter value fields and tick options, confirm.
#include <algorithm>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "support/app_fixture.h"

namespace velquin::test {
namespace {

constexpr const char* kNoAddress = "相手アドレスを入力して下さい。";

class PingPage : public AppTest {};

struct PingRow {
  const char* address;                // typed into Edit3 ("" = left empty)
  std::vector<const char*> ticks;     // check boxes clicked, in this order
  // Value fields entered (which empties them), then typed into.
  std::vector<std::pair<const char*, const char*>> values;
  const char* line;                   // Edit1 after confirming, blanks as "_"
};

void PrintTo(const PingRow& row, std::ostream* os) {
  *os << '"' << row.line << '"';
}

class PingLine : public PingPage,
                 public ::testing::WithParamInterface<PingRow> {};

TEST_P(PingLine, ConfirmWritesTheLine) {
  const PingRow& row = GetParam();
  chooseTool(app::kPing);
  type("Edit3", row.address);
  click("btnPing_S");
  for (const auto& [field, value] : row.values) {
    enter(field);
    type(field, value);
  }
  for (const char* box : row.ticks) click(box);
  type("Edit1", "ipconfig /all");  // whatever stood there is replaced
  click("btnPingC");
  EXPECT_EQ(line(), row.line);
  EXPECT_TRUE(os.messages.empty());
}

const std::vector<const char*> kAllBoxes = {
    "CB_ping1", "CB_ping2", "CB_ping3", "CB_ping4", "CB_ping5",
    "CB_ping6", "CB_ping7", "CB_ping8", "CB_ping9", "CB_ping10"};

INSTANTIATE_TEST_SUITE_P(PingPage, PingLine, ::testing::Values(
    PingRow{"10.0.0.1", {}, {}, "Ping_10.0.0.1"},
    // Every option with its preset: a switch without a value leaves two
    // blanks before whatever follows it.
    PingRow{"10.0.0.1", kAllBoxes, {},
            "Ping_-a__-n_4_-l_32_-f__-i_128_-v_64_-r_9_-s_4_-w_1500_-t__10.0.0.1"},
    // Each switch takes the value of its own field.
    PingRow{"h", kAllBoxes,
            {{"Edit3_n", "1"}, {"Edit3_l", "2"}, {"Edit3_i", "3"},
             {"Edit3_v", "5"}, {"Edit3_r", "6"}, {"Edit3_s", "7"},
             {"Edit3_w", "8"}},
            "Ping_-a__-n_1_-l_2_-f__-i_3_-v_5_-r_6_-s_7_-w_8_-t__h"},
    // The line follows the order of the options, not the order of ticking.
    PingRow{"host1", {"CB_ping9", "CB_ping2"}, {}, "Ping_-n_4_-w_1500_host1"},
    PingRow{"host1", {"CB_ping1"}, {}, "Ping_-a__host1"},
    PingRow{"host1", {"CB_ping10", "CB_ping4"}, {}, "Ping_-f__-t__host1"},
    // A value field entered and left empty: the switch stands alone.
    PingRow{"host1", {"CB_ping2"}, {{"Edit3_n", ""}}, "Ping_-n__host1"},
    // Fields of unticked options count for nothing, emptied or typed in.
    PingRow{"host1", {"CB_ping10"}, {{"Edit3_w", ""}, {"Edit3_n", "10"}},
            "Ping_-t__host1"},
    // Values out of the console command's range pass through unchanged.
    PingRow{"host1", {"CB_ping5", "CB_ping7"},
            {{"Edit3_i", "999"}, {"Edit3_r", "12"}}, "Ping_-i_999_-r_12_host1"},
    // Values and address go in as typed: no trimming, no check, no quotes.
    PingRow{"host1", {"CB_ping3", "CB_ping9"},
            {{"Edit3_l", " 64 "}, {"Edit3_w", "abc"}},
            "Ping_-l__64__-w_abc_host1"},
    PingRow{" ホスト 1", {"CB_ping6", "CB_ping8"}, {},
            "Ping_-v_64_-s_4__ホスト_1"}));

TEST_F(PingPage, StartsWithTheAddressFocusedAndTheDetailsClosed) {
  chooseTool(app::kPing);
  EXPECT_EQ(form().focused(), &main()["Edit3"]);
  EXPECT_EQ(text("Edit3"), "");
  EXPECT_FALSE(main()["PanelPING"].visible());
  for (const char* box : kAllBoxes) EXPECT_FALSE(main()[box].checked()) << box;

  form().userAccelerator(main()["Label1"]);
  EXPECT_EQ(form().focused(), &main()["Edit3"]);

  // Ticking a box changes nothing on screen: every value field stays
  // enabled, ticked or not.
  click("btnPing_S");
  EXPECT_TRUE(main()["PanelPING"].showing());
  click("CB_ping2");
  for (const char* field : {"Edit3_n", "Edit3_l", "Edit3_i", "Edit3_v",
                            "Edit3_r", "Edit3_s", "Edit3_w"})
    EXPECT_TRUE(main()[field].enabled()) << field;
}

TEST_F(PingPage, EachValueFieldShowsItsPresetAndIsEmptiedWheneverEntered) {
  const std::pair<const char*, const char*> presets[] = {
      {"Edit3_n", "4"},   {"Edit3_l", "32"}, {"Edit3_i", "128"},
      {"Edit3_v", "64"},  {"Edit3_r", "9"},  {"Edit3_s", "4"},
      {"Edit3_w", "1500"}};
  chooseTool(app::kPing);
  click("btnPing_S");
  for (const auto& [field, preset] : presets) {
    // Still the preset: entering the fields before it left it alone.
    EXPECT_EQ(text(field), preset);
    enter(field);
    EXPECT_EQ(text(field), "") << field;
    enter("Edit3");
    EXPECT_EQ(text(field), "") << field << ": the preset does not come back";
    type(field, "7");
    enter("Edit3");
    enter(field);
    EXPECT_EQ(text(field), "") << field << ": emptied on every entry";
  }
}

TEST_F(PingPage, EmptyAddressIsPointedOutButTheLineIsWrittenAllTheSame) {
  chooseTool(app::kPing);
  click("btnPingC");
  EXPECT_EQ(os.messages, std::vector<std::string>{kNoAddress});
  EXPECT_EQ(line(), "Ping_");

  click("btnPing_S");
  click("CB_ping10");
  click("btnPingC");
  EXPECT_EQ(os.messages,
            (std::vector<std::string>{kNoAddress, kNoAddress}));
  EXPECT_EQ(line(), "Ping_-t__");

  // A blank is an address as far as the page is concerned.
  type("Edit3", " ");
  click("btnPingC");
  EXPECT_EQ(os.messages.size(), 2u);
  EXPECT_EQ(line(), "Ping_-t___");
}

TEST_F(PingPage, ClosedDetailsKeepTheirOptionsAndTheyStillCount) {
  chooseTool(app::kPing);
  type("Edit3", "host1");
  click("btnPing_S");
  click("CB_ping4");
  type("Edit3_i", "64");
  click("CB_ping5");
  click("btnPing_S");
  EXPECT_FALSE(main()["PanelPING"].visible());
  EXPECT_TRUE(main()["CB_ping4"].checked());
  EXPECT_EQ(text("Edit3_i"), "64");
  click("btnPingC");
  EXPECT_EQ(line(), "Ping_-f__-i_64_host1");

  // The named action toggles the panel the same way the button does.
  form().execute("Act_btnPingS_Click");
  EXPECT_TRUE(main()["PanelPING"].showing());
}

TEST_F(PingPage, ResizeAndVisitsElsewhereEmptyOnlyTheCommandLine) {
  chooseTool(app::kPing);
  type("Edit3", "host1");
  click("btnPing_S");
  type("Edit3_n", "2");
  click("CB_ping2");
  click("btnPingC");
  EXPECT_EQ(line(), "Ping_-n_2_host1");

  form().setClientSize(700, 520);  // the user enlarges the window
  EXPECT_EQ(line(), "");
  click("btnPingC");
  EXPECT_EQ(line(), "Ping_-n_2_host1");

  chooseTool(app::kIpconfig);
  form().userSelectPage(main()["PageControl1"], 1);  // the results page
  form().userSelectPage(main()["PageControl1"], 0);
  chooseTool(app::kPing);
  EXPECT_EQ(line(), "");
  EXPECT_TRUE(main()["PanelPING"].showing());
  EXPECT_EQ(text("Edit3"), "host1");
  click("btnPingC");
  EXPECT_EQ(line(), "Ping_-n_2_host1");
}

TEST_F(PingPage, OpenDetailsFitBesideTheAddressOnThePage) {
  chooseTool(app::kPing);
  click("btnPing_S");
  const form::Rect page = main()["TS_ping"].bounds();
  const form::Rect panel = main()["PanelPING"].bounds();
  EXPECT_EQ(panel.left + panel.width, page.width);
  for (const form::Control* c : main()["TS_ping"].children()) {
    const form::Rect& b = c->bounds();
    EXPECT_GE(b.left, 0) << c->name();
    EXPECT_LE(b.top + b.height, page.height) << c->name();
    if (c->name() != "PanelPING")
      EXPECT_LE(b.left + b.width, panel.left) << c->name();
  }
  for (const form::Control* c : main()["PanelPING"].children()) {
    const form::Rect& b = c->bounds();
    EXPECT_LE(b.left + b.width, panel.width) << c->name();
    EXPECT_LE(b.top + b.height, panel.height) << c->name();
  }
}

}  // namespace
}  // namespace velquin::test
