// The route page, driven as a user: pick an option and a command, change
// the route fields, confirm.
#include <array>
#include <ostream>

#include "support/app_fixture.h"

namespace velquin::test {
namespace {

constexpr int kNone = -1;                 // the start choice (item 0) left
constexpr const char* kPreset = nullptr;  // a field left as it is

constexpr const char* kFields[] = {"Edit5_1", "Edit5_2", "Edit5_3", "Edit5_4",
                                   "Edit5_5"};

struct RouteRow {
  int option;   // RadioGroup5_1
  int command;  // RadioGroup5_2
  // Destination, netmask, gateway, metric, interface, typed in that order.
  std::array<const char*, 5> fields;
  const char* line;  // Edit1 after the confirm button
};

void PrintTo(const RouteRow& row, std::ostream* os) {
  *os << '"' << row.line << '"';
}

class RouteLine : public AppTest,
                  public ::testing::WithParamInterface<RouteRow> {};

TEST_P(RouteLine, ConfirmWritesTheLine) {
  const RouteRow& row = GetParam();
  chooseTool(app::kRoute);
  if (row.option != kNone) pick("RadioGroup5_1", row.option);
  if (row.command != kNone) pick("RadioGroup5_2", row.command);
  for (size_t i = 0; i < row.fields.size(); ++i)
    if (row.fields[i]) type(kFields[i], row.fields[i]);
  type("Edit1", "ipconfig /all");  // whatever stood there is replaced
  click("btnRoute_Click");
  EXPECT_EQ(text("Edit1"), row.line);
}

constexpr std::array<const char*, 5> kPresets = {kPreset, kPreset, kPreset,
                                                 kPreset, kPreset};

INSTANTIATE_TEST_SUITE_P(RoutePage, RouteLine, ::testing::ValuesIn(std::vector<RouteRow>{
    // Both groups as they start, presets untouched: three blanks.
    {kNone, kNone, kPresets, "route" "   " "192.168.1.1 MASK 255.255.255.255 192.168.1.1"},
    {0, 0, {"", "", "", "", ""}, "route" "  "},
    {1, 0, {"", "", "", "", ""}, "route -f" "  "},
    {kNone, 2, {kPreset, kPreset, kPreset, "2", "3"},
     "route ADD" "  " "192.168.1.1 MASK 255.255.255.255 192.168.1.1 METRIC 2 IF 3"},
    {2, 2, kPresets, "route -p ADD" "  " "192.168.1.1 MASK 255.255.255.255 192.168.1.1"},
    {kNone, 1, kPresets, "route PRINT" "  " "192.168.1.1 MASK 255.255.255.255 192.168.1.1"},
    {1, 1, {"", "", "", "", ""}, "route -f PRINT" " "},
    // The presets must be emptied to leave them out.
    {kNone, 3, {"10.0.0.0", "", "", kPreset, kPreset}, "route DELETE" "  " "10.0.0.0"},
    {kNone, 3, {"10.0.0.0", kPreset, kPreset, kPreset, kPreset},
     "route DELETE" "  " "10.0.0.0 MASK 255.255.255.255 192.168.1.1"},
    // An emptied netmask leaves the destination and the gateway, no MASK.
    {kNone, kNone, {kPreset, "", kPreset, kPreset, kPreset},
     "route" "   " "192.168.1.1 192.168.1.1"},
    {kNone, 4, {"10.0.0.0", "255.0.0.0", "10.0.0.1", "5", ""},
     "route CHANGE" "  " "10.0.0.0 MASK 255.0.0.0 10.0.0.1 METRIC 5"},
    {kNone, 2, {"", "", "", "", "12"}, "route ADD" "  " "IF 12"},
    // Fields go in as typed: a field of blanks counts as filled.
    {kNone, 2, {kPreset, kPreset, kPreset, "  ", kPreset},
     "route ADD" "  " "192.168.1.1 MASK 255.255.255.255 192.168.1.1 METRIC" "   "},
}));

using RoutePage = AppTest;

TEST_F(RoutePage, ChoosingTheToolFocusesTheOptionsWithRealPresets) {
  chooseTool(app::kRoute);
  EXPECT_EQ(form().focused(), &main()["RadioGroup5_1"]);
  EXPECT_EQ(main()["RadioGroup5_1"].itemIndex(), 0);
  EXPECT_EQ(main()["RadioGroup5_2"].itemIndex(), 0);
  // Entering a field keeps its value: the presets are not hints.
  const char* presets[] = {"192.168.1.1", "255.255.255.255", "192.168.1.1",
                           "", ""};
  for (size_t i = 0; i < std::size(kFields); ++i) {
    enter(kFields[i]);
    EXPECT_EQ(text(kFields[i]), presets[i]) << kFields[i];
  }
  // The picks alone never touch the command line.
  type("Edit1", "route print");
  pick("RadioGroup5_1", 2);
  pick("RadioGroup5_2", 3);
  EXPECT_EQ(text("Edit1"), "route print");
}

TEST_F(RoutePage, EachLabelsAcceleratorFocusesItsField) {
  chooseTool(app::kRoute);
  const char* labels[] = {"Label3", "Label4", "Label5", "Label6", "Label7"};
  for (size_t i = 0; i < std::size(labels); ++i) {
    form().userAccelerator(main()[labels[i]]);
    EXPECT_EQ(form().focused(), &main()[kFields[i]]) << labels[i];
  }
}

TEST_F(RoutePage, TheNamedActionBuildsLikeTheButtonFromTheFieldsAsTheyStandNow) {
  chooseTool(app::kRoute);
  pick("RadioGroup5_2", 1);
  click("btnRoute_Click");
  EXPECT_EQ(text("Edit1"),
            "route PRINT" "  " "192.168.1.1 MASK 255.255.255.255 192.168.1.1");
  type("Edit5_1", "");
  type("Edit5_2", "");
  type("Edit5_3", "");
  form().execute("Act_btnRoute_Click");
  EXPECT_EQ(text("Edit1"), "route PRINT" " ");
}

}  // namespace
}  // namespace velquin::test
