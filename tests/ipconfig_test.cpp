// The ipconfig page, driven as a user: pick an operation, maybe type an
// adapter name, confirm.
#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "support/app_fixture.h"

namespace velquin::test {
namespace {

class IpconfigPage : public AppTest {
 protected:

  // The adapter field, its label and the confirm button come and go
  // together.
  ::testing::AssertionResult adapterControlsShown(bool shown) {
    for (const char* name : {"Label2", "Edit2", "btnIP_C"})
      if (form()[name].showing() != shown)
        return ::testing::AssertionFailure()
               << name << (shown ? " is hidden" : " is shown");
    return ::testing::AssertionSuccess();
  }
};

// Operations that write their line the moment they are picked.
struct PickRow {
  int item;          // picked in RadioGroup2
  const char* line;  // Edit1 right after the pick, blanks shown as "_"
};

void PrintTo(const PickRow& row, std::ostream* os) {
  *os << row.item << " -> \"" << row.line << '"';
}

class IpconfigPick : public IpconfigPage,
                     public ::testing::WithParamInterface<PickRow> {};

TEST_P(IpconfigPick, PickWritesTheLineAtOnceAndHidesTheAdapterControls) {
  const PickRow& row = GetParam();
  chooseTool(app::kIpconfig);
  // Come from release with a typed adapter name and a hand-edited line:
  // the pick throws both away.
  pick("RadioGroup2", 1);
  type("Edit2", "LAN 1");
  type("Edit1", "ipconfig /release LAN 1 /x");
  pick("RadioGroup2", row.item);
  EXPECT_EQ(line(), row.line);
  EXPECT_EQ(text("Edit2"), "");
  EXPECT_TRUE(adapterControlsShown(false));
  // The hidden button cannot be pressed; the action does nothing either.
  form().execute("Act_btnIPC_Click");
  EXPECT_EQ(line(), row.line);
}

INSTANTIATE_TEST_SUITE_P(IpconfigPage, IpconfigPick, ::testing::Values(
    PickRow{0, "ipconfig_/all"},
    PickRow{3, "ipconfig_/flushdns"},
    PickRow{4, "ipconfig_/registerdns"},
    PickRow{5, "ipconfig_/displaydns"},
    PickRow{6, "ipconfig_/showclassid"},
    PickRow{7, "ipconfig_/setclassid"}));

// Release and renew: the stored prefix and the adapter name as typed.
struct AdapterRow {
  int item;
  const char* adapter;  // typed into Edit2; nullptr: left untouched
  const char* line;     // Edit1 after the confirm button, blanks as "_"
};

void PrintTo(const AdapterRow& row, std::ostream* os) {
  *os << row.item << " -> \"" << row.line << '"';
}

class IpconfigAdapter : public IpconfigPage,
                        public ::testing::WithParamInterface<AdapterRow> {};

TEST_P(IpconfigAdapter, ConfirmAppendsTheAdapterToThePrefix) {
  const AdapterRow& row = GetParam();
  chooseTool(app::kIpconfig);
  // Come from the other adapter operation: its typed name is discarded and
  // the line waits for the confirm button.
  pick("RadioGroup2", row.item == 1 ? 2 : 1);
  type("Edit2", "old");
  type("Edit1", "ipconfig /all");
  pick("RadioGroup2", row.item);
  EXPECT_EQ(line(), "");
  EXPECT_EQ(text("Edit2"), "");
  EXPECT_TRUE(adapterControlsShown(true));
  if (row.adapter) type("Edit2", row.adapter);
  click("btnIP_C");
  EXPECT_EQ(line(), row.line);
  EXPECT_TRUE(os.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(IpconfigPage, IpconfigAdapter, ::testing::Values(
    // The prefix keeps its trailing blank when no adapter is named.
    AdapterRow{1, nullptr, "ipconfig_/release_"},
    AdapterRow{1, "LAN 1", "ipconfig_/release_LAN_1"},
    AdapterRow{2, "eth0", "ipconfig_/renew_eth0"},
    AdapterRow{2, nullptr, "ipconfig_/renew_"},
    // Taken as typed: blanks on either side stay, nothing is quoted.
    AdapterRow{1, " ローカル エリア接続 ",
               "ipconfig_/release__ローカル_エリア接続_"},
    AdapterRow{2, "\"Wi-Fi\"", "ipconfig_/renew_\"Wi-Fi\""}));

TEST_F(IpconfigPage, StartsWithNothingChosenAndConfirmChangesNothing) {
  chooseTool(app::kIpconfig);
  EXPECT_EQ(form().focused(), &main()["RadioGroup2"]);
  EXPECT_EQ(main()["RadioGroup2"].itemIndex(), -1);
  EXPECT_EQ(main()["RadioGroup2"].items().size(), 8u);
  EXPECT_TRUE(adapterControlsShown(true));
  EXPECT_FALSE(main()["Edit2_1"].visible());

  type("Edit2", "LAN 1");
  type("Edit1", "ipconfig /all");
  click("btnIP_C");
  EXPECT_EQ(line(), "ipconfig_/all");

  // The label's accelerator leads to the adapter field.
  form().userAccelerator(main()["Label2"]);
  EXPECT_EQ(form().focused(), &main()["Edit2"]);
}

TEST_F(IpconfigPage, ResizeShowsTheAdapterControlsAgainButKeepsTheChoice) {
  chooseTool(app::kIpconfig);
  pick("RadioGroup2", 1);  // leaves the release prefix stored
  pick("RadioGroup2", 3);
  EXPECT_EQ(line(), "ipconfig_/flushdns");
  EXPECT_TRUE(adapterControlsShown(false));

  form().setClientSize(700, 520);  // the user enlarges the window
  EXPECT_TRUE(adapterControlsShown(true));
  EXPECT_EQ(main()["RadioGroup2"].itemIndex(), 3);
  EXPECT_EQ(line(), "");
  EXPECT_EQ(text("Edit2_1"), "ipconfig /release ");

  // Flushdns takes no adapter: the button now on view builds nothing, even
  // with a name typed and the old prefix still stored.
  type("Edit2", "LAN 1");
  click("btnIP_C");
  EXPECT_EQ(line(), "");

  // A resize while release is chosen empties the adapter name too.
  pick("RadioGroup2", 1);
  type("Edit2", "LAN 1");
  form().setClientSize(640, 480);
  EXPECT_EQ(text("Edit2"), "");
  click("btnIP_C");
  EXPECT_EQ(line(), "ipconfig_/release_");
}

TEST_F(IpconfigPage, ThePageKeepsItsStateWhileTheUserVisitsOtherPages) {
  chooseTool(app::kIpconfig);
  pick("RadioGroup2", 2);
  type("Edit2", "LAN 1");
  chooseTool(app::kPing);
  form().userSelectPage(main()["PageControl1"], 1);  // the results page
  form().userSelectPage(main()["PageControl1"], 0);
  chooseTool(app::kIpconfig);
  EXPECT_EQ(main()["RadioGroup2"].itemIndex(), 2);
  EXPECT_EQ(text("Edit2"), "LAN 1");
  click("btnIP_C");
  EXPECT_EQ(line(), "ipconfig_/renew_LAN_1");
}

TEST_F(IpconfigPage, EveryControlLiesInsideThePage) {
  chooseTool(app::kIpconfig);
  const form::Rect page = main()["TS_ipconfig"].bounds();
  for (const form::Control* c : main()["TS_ipconfig"].children()) {
    const form::Rect& b = c->bounds();
    EXPECT_GE(b.left, 0) << c->name();
    EXPECT_GE(b.top, 0) << c->name();
    EXPECT_LE(b.left + b.width, page.width) << c->name();
    EXPECT_LE(b.top + b.height, page.height) << c->name();
  }
  // A radio group spreads its rows over its height below the caption.
  const form::Control& group = main()["RadioGroup2"];
  const int rows = static_cast<int>(group.items().size());
  EXPECT_GE((group.bounds().height - form::kGroupCaption - form::kGroupBorder) /
                rows,
            18);
}

}  // namespace
}  // namespace velquin::test
