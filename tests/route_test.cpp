// The route page, driven as a user: pick an option and a command, change
// the route fields, confirm.
#include <algorithm>
#include <array>
#include <ostream>
#include <string>

#include "support/app_fixture.h"

namespace velquin::test {
namespace {

constexpr int kNone = -1;                 // the start choice (item 0) left
constexpr const char* kPreset = nullptr;  // a field left as it is

constexpr const char* kFields[] = {"Edit5_1", "Edit5_2", "Edit5_3", "Edit5_4",
                                   "Edit5_5"};

class RoutePage : public AppTest {};

struct RouteRow {
  int option;   // RadioGroup5_1
  int command;  // RadioGroup5_2
  // Destination, netmask, gateway, metric, interface, typed in that order.
  std::array<const char*, 5> fields;
  const char* line;  // Edit1 after the confirm button, blanks as "_"
};

void PrintTo(const RouteRow& row, std::ostream* os) {
  *os << '"' << row.line << '"';
}

class RouteLine : public RoutePage,
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
  EXPECT_EQ(line(), row.line);
}

constexpr std::array<const char*, 5> kPresets = {kPreset, kPreset, kPreset,
                                                 kPreset, kPreset};
constexpr std::array<const char*, 5> kEmptied = {"", "", "", "", ""};

INSTANTIATE_TEST_SUITE_P(RoutePage, RouteLine, ::testing::Values(
    // Both groups as they start, presets untouched: three blanks.
    RouteRow{kNone, kNone, kPresets,
             "route___192.168.1.1_MASK_255.255.255.255_192.168.1.1"},
    RouteRow{0, 0, kEmptied, "route__"},
    RouteRow{1, 0, kEmptied, "route_-f__"},
    RouteRow{kNone, 2, {kPreset, kPreset, kPreset, "2", "3"},
             "route_ADD__192.168.1.1_MASK_255.255.255.255_192.168.1.1"
             "_METRIC_2_IF_3"},
    RouteRow{2, 2, kPresets,
             "route_-p_ADD__192.168.1.1_MASK_255.255.255.255_192.168.1.1"},
    // PRINT carries the presets all the same; they must be emptied to
    // leave them out, as for DELETE.
    RouteRow{kNone, 1, kPresets,
             "route_PRINT__192.168.1.1_MASK_255.255.255.255_192.168.1.1"},
    RouteRow{kNone, 3, {"10.0.0.0", "", "", kPreset, kPreset},
             "route_DELETE__10.0.0.0"},
    // An emptied netmask leaves the destination and the gateway, no MASK.
    RouteRow{kNone, kNone, {kPreset, "", kPreset, kPreset, kPreset},
             "route___192.168.1.1_192.168.1.1"},
    RouteRow{kNone, 4, {"10.0.0.0", "255.0.0.0", "10.0.0.1", "5", ""},
             "route_CHANGE__10.0.0.0_MASK_255.0.0.0_10.0.0.1_METRIC_5"},
    RouteRow{kNone, 2, {"", "", "", "", "12"}, "route_ADD__IF_12"},
    // Fields go in as typed: a field of blanks counts as filled.
    RouteRow{kNone, 2, {kPreset, kPreset, kPreset, "  ", kPreset},
             "route_ADD__192.168.1.1_MASK_255.255.255.255_192.168.1.1"
             "_METRIC___"}));

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
  EXPECT_EQ(line(), "route_print");
  // The named action builds like the button.
  form().execute("Act_btnRoute_Click");
  EXPECT_EQ(line(),
            "route_-p_DELETE__192.168.1.1_MASK_255.255.255.255_192.168.1.1");
}

TEST_F(RoutePage, EachLabelsAcceleratorFocusesItsField) {
  chooseTool(app::kRoute);
  const char* labels[] = {"Label3", "Label4", "Label5", "Label6", "Label7"};
  for (size_t i = 0; i < std::size(labels); ++i) {
    form().userAccelerator(main()[labels[i]]);
    EXPECT_EQ(form().focused(), &main()[kFields[i]]) << labels[i];
  }
}

}  // namespace
}  // namespace velquin::test
