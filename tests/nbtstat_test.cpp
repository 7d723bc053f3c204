// The nbtstat page, driven as a user: type a machine, pick how it is given
// and an option, confirm.
#include <ostream>

#include "support/app_fixture.h"

namespace velquin::test {
namespace {

constexpr int kNone = -1;  // the user picks nothing there

struct NbtstatRow {
  const char* machine;  // typed into Edit4
  int addressForm;      // RadioGroup4_1 (item 1, by address, at start)
  int option;           // RadioGroup4_2
  const char* line;     // Edit1 after the confirm button
};

void PrintTo(const NbtstatRow& row, std::ostream* os) {
  *os << '"' << row.line << '"';
}

class NbtstatLine : public AppTest,
                    public ::testing::WithParamInterface<NbtstatRow> {};

TEST_P(NbtstatLine, ConfirmWritesTheLine) {
  const NbtstatRow& row = GetParam();
  chooseTool(app::kNbtstat);
  type("Edit4", row.machine);
  if (row.addressForm != kNone) pick("RadioGroup4_1", row.addressForm);
  if (row.option != kNone) pick("RadioGroup4_2", row.option);
  type("Edit1", "ipconfig /all");  // whatever stood there is replaced
  click("btnNB_Set");
  EXPECT_EQ(text("Edit1"), row.line);
}

INSTANTIATE_TEST_SUITE_P(NbtstatPage, NbtstatLine, ::testing::ValuesIn(std::vector<NbtstatRow>{
    // No machine: the start keeps its blank and the address form is ignored.
    {"", kNone, kNone, "nbtstat "},
    {"", kNone, 1, "nbtstat " " -n"},  // two blanks
    {"", 0, 3, "nbtstat " " -R"},
    // A machine, by address (the start state) or by name.
    {"10.0.0.5", kNone, kNone, "nbtstat -A 10.0.0.5"},
    {"10.0.0.5", kNone, 2, "nbtstat -A 10.0.0.5 -r"},
    {"SERVER1", 0, 0, "nbtstat -a SERVER1 -c"},
    {"SERVER1", 0, 1, "nbtstat -a SERVER1 -n"},
    // Switches that differ only in case.
    {"10.0.0.5", 1, 3, "nbtstat -A 10.0.0.5 -R"},
    {"10.0.0.5", 1, 4, "nbtstat -A 10.0.0.5 -s"},
    {"10.0.0.5", 1, 5, "nbtstat -A 10.0.0.5 -S"},
    {"10.0.0.5", 1, 6, "nbtstat -A 10.0.0.5 -RR"},
    // The machine goes in as typed, blanks included.
    {" PC 1 ", 0, 0, "nbtstat -a " " PC 1 " " -c"},
}));

using NbtstatPage = AppTest;

TEST_F(NbtstatPage, ChoosingTheToolFocusesTheMachineFieldWithAddressFormChosen) {
  chooseTool(app::kNbtstat);
  EXPECT_EQ(form().focused(), &main()["Edit4"]);
  EXPECT_EQ(text("Edit4"), "");
  EXPECT_EQ(main()["RadioGroup4_1"].itemIndex(), 1);
  EXPECT_EQ(main()["RadioGroup4_2"].itemIndex(), -1);
}

TEST_F(NbtstatPage, PickingAnOptionWithdrawsTheLineUntilConfirmed) {
  chooseTool(app::kNbtstat);
  type("Edit4", "10.0.0.5");
  pick("RadioGroup4_2", 2);
  EXPECT_EQ(text("Edit1"), "");
  click("btnNB_Set");
  EXPECT_EQ(text("Edit1"), "nbtstat -A 10.0.0.5 -r");

  pick("RadioGroup4_2", 3);
  EXPECT_EQ(text("Edit1"), "");
  // The address form has no handler of its own: the line stays.
  click("btnNB_Set");
  pick("RadioGroup4_1", 0);
  EXPECT_EQ(text("Edit1"), "nbtstat -A 10.0.0.5 -R");
  // The machine field keeps its text when entered again.
  enter("RadioGroup4_2");
  enter("Edit4");
  EXPECT_EQ(text("Edit4"), "10.0.0.5");

  // Both are named actions as well.
  type("Edit1", "nbtstat -c");
  form().execute("Act_RB42_Enter");
  EXPECT_EQ(text("Edit1"), "");
  form().execute("Act_btnNB_Set");
  EXPECT_EQ(text("Edit1"), "nbtstat -a 10.0.0.5 -R");
}

}  // namespace
}  // namespace velquin::test
