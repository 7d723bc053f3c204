// The nbtstat page, driven as a user: type a machine, pick how it is given
// and an option, confirm.
#include <algorithm>
#include <ostream>
#include <string>

#include "support/app_fixture.h"

namespace velquin::test {
namespace {

constexpr int kNone = -1;  // the user picks nothing there

class NbtstatPage : public AppTest {};

struct NbtstatRow {
  const char* machine;  // typed into Edit4
  int addressForm;      // RadioGroup4_1 (item 1, by address, at start)
  int option;           // RadioGroup4_2
  const char* line;     // Edit1 after the confirm button, blanks as "_"
};

void PrintTo(const NbtstatRow& row, std::ostream* os) {
  *os << '"' << row.line << '"';
}

class NbtstatLine : public NbtstatPage,
                    public ::testing::WithParamInterface<NbtstatRow> {};

TEST_P(NbtstatLine, ConfirmWritesTheLine) {
  const NbtstatRow& row = GetParam();
  chooseTool(app::kNbtstat);
  type("Edit4", row.machine);
  if (row.addressForm != kNone) pick("RadioGroup4_1", row.addressForm);
  if (row.option != kNone) pick("RadioGroup4_2", row.option);
  type("Edit1", "ipconfig /all");  // whatever stood there is replaced
  click("btnNB_Set");
  EXPECT_EQ(line(), row.line);
}

INSTANTIATE_TEST_SUITE_P(NbtstatPage, NbtstatLine, ::testing::Values(
    // No machine: the start keeps its blank and the address form is ignored.
    NbtstatRow{"", kNone, kNone, "nbtstat_"},
    NbtstatRow{"", kNone, 1, "nbtstat__-n"},
    NbtstatRow{"", 0, 3, "nbtstat__-R"},
    // A machine, by address (the start state) or by name.
    NbtstatRow{"10.0.0.5", kNone, kNone, "nbtstat_-A_10.0.0.5"},
    NbtstatRow{"10.0.0.5", kNone, 2, "nbtstat_-A_10.0.0.5_-r"},
    NbtstatRow{"SERVER1", 0, 0, "nbtstat_-a_SERVER1_-c"},
    // Switches that differ only in case.
    NbtstatRow{"10.0.0.5", 1, 3, "nbtstat_-A_10.0.0.5_-R"},
    NbtstatRow{"10.0.0.5", 1, 4, "nbtstat_-A_10.0.0.5_-s"},
    NbtstatRow{"10.0.0.5", 1, 5, "nbtstat_-A_10.0.0.5_-S"},
    NbtstatRow{"10.0.0.5", 1, 6, "nbtstat_-A_10.0.0.5_-RR"},
    // The machine goes in as typed, blanks included.
    NbtstatRow{" PC 1 ", 0, 0, "nbtstat_-a__PC_1__-c"}));

TEST_F(NbtstatPage, ChoosingTheToolFocusesTheMachineFieldWithAnAddressForm) {
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
  EXPECT_EQ(line(), "");
  click("btnNB_Set");
  EXPECT_EQ(line(), "nbtstat_-A_10.0.0.5_-r");

  pick("RadioGroup4_2", 3);
  EXPECT_EQ(line(), "");
  // The address form has no handler of its own: the line stays.
  click("btnNB_Set");
  pick("RadioGroup4_1", 0);
  EXPECT_EQ(line(), "nbtstat_-A_10.0.0.5_-R");
  // The machine field keeps its text when entered again.
  enter("RadioGroup4_2");
  enter("Edit4");
  EXPECT_EQ(text("Edit4"), "10.0.0.5");

  // Both are named actions as well.
  type("Edit1", "nbtstat -c");
  form().execute("Act_RB42_Enter");
  EXPECT_EQ(line(), "");
  form().execute("Act_btnNB_Set");
  EXPECT_EQ(line(), "nbtstat_-a_10.0.0.5_-R");
}

}  // namespace
}  // namespace velquin::test
