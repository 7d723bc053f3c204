// The tracert page, driven as a user: type the target, tick options,
// change their values, confirm.
#include <algorithm>
#include <array>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "support/app_fixture.h"

namespace velquin::test {
namespace {

constexpr const char* kPreset = nullptr;  // a value field left as it is

class TracertPage : public AppTest {};

struct TracertRow {
  const char* target;               // typed into Edit6
  std::vector<const char*> ticked;  // check boxes clicked, in this order
  // Values typed into Edit6_2 (TTL), Edit6_3 (host list), Edit6_4 (time-out).
  std::array<const char*, 3> values;
  const char* line;  // Edit1 after the confirm button, blanks as "_"
};

void PrintTo(const TracertRow& row, std::ostream* os) {
  *os << '"' << row.line << '"';
}

class TracertLine : public TracertPage,
                    public ::testing::WithParamInterface<TracertRow> {};

TEST_P(TracertLine, ConfirmWritesTheLine) {
  const TracertRow& row = GetParam();
  chooseTool(app::kTracert);
  type("Edit6", row.target);
  for (const char* box : row.ticked) click(box);
  const char* fields[] = {"Edit6_2", "Edit6_3", "Edit6_4"};
  for (size_t i = 0; i < row.values.size(); ++i)
    if (row.values[i]) type(fields[i], row.values[i]);
  type("Edit1", "ipconfig /all");  // whatever stood there is replaced
  click("btnTrace");
  EXPECT_EQ(line(), row.line);
}

constexpr std::array<const char*, 3> kPresets = {kPreset, kPreset, kPreset};

INSTANTIATE_TEST_SUITE_P(TracertPage, TracertLine, ::testing::Values(
    TracertRow{"", {}, kPresets, "tracert_"},
    TracertRow{"host1", {"CB_Trace1", "CB_Trace2", "CB_Trace3", "CB_Trace4"},
               {kPreset, "10.0.0.1 10.0.0.2", kPreset},
               "tracert_-d_-h_30_-j_10.0.0.1_10.0.0.2_-w_4000_host1"},
    // Ticked in another order, appended in the page's order.
    TracertRow{"host1", {"CB_Trace4", "CB_Trace1"}, kPresets,
               "tracert_-d_-w_4000_host1"},
    TracertRow{"host1", {"CB_Trace2"}, {"999", kPreset, kPreset},
               "tracert_-h_999_host1"},
    // An empty value still brings its switch and its blank.
    TracertRow{"host1", {"CB_Trace3", "CB_Trace4"}, kPresets,
               "tracert_-j__-w_4000_host1"},
    TracertRow{"host1", {"CB_Trace2"}, {"", kPreset, kPreset},
               "tracert_-h__host1"},
    // Values of unticked options count for nothing, emptied or not.
    TracertRow{"host1", {}, {"", "10.0.0.1", ""}, "tracert_host1"},
    // A box ticked and unticked again.
    TracertRow{"host1", {"CB_Trace1", "CB_Trace1"}, kPresets, "tracert_host1"},
    // An empty target leaves the blank of the last piece at the end.
    TracertRow{"", {"CB_Trace4"}, kPresets, "tracert_-w_4000_"},
    // Texts go in as typed.
    TracertRow{" host 1", {"CB_Trace2"}, {" 5", kPreset, kPreset},
               "tracert_-h__5__host_1"}));

TEST_F(TracertPage, ChoosingTheToolFocusesTheTargetWithNothingTicked) {
  chooseTool(app::kTracert);
  EXPECT_EQ(form().focused(), &main()["Edit6"]);
  for (const char* box : {"CB_Trace1", "CB_Trace2", "CB_Trace3", "CB_Trace4"})
    EXPECT_FALSE(main()[box].checked()) << box;
  // The label's accelerator leads to the target as well.
  enter("Edit6_2");
  form().userAccelerator(main()["Label8"]);
  EXPECT_EQ(form().focused(), &main()["Edit6"]);
}

TEST_F(TracertPage, ValueFieldsKeepTheirTextAndStayUsableWithTheirBoxUnticked) {
  chooseTool(app::kTracert);
  const std::pair<const char*, const char*> fields[] = {
      {"Edit6_2", "30"}, {"Edit6_3", ""}, {"Edit6_4", "4000"}};
  for (const auto& [field, preset] : fields) {
    enter(field);
    EXPECT_EQ(text(field), preset) << field;
    EXPECT_TRUE(main()[field].enabled()) << field;
  }
  type("Edit6_4", "1000");
  // Another page and back: everything as the user left it.
  chooseTool(app::kRoute);
  chooseTool(app::kTracert);
  type("Edit6", "host1");
  click("CB_Trace4");
  form().execute("Act_btnTrace_Click");
  EXPECT_EQ(line(), "tracert_-w_1000_host1");
}

}  // namespace
}  // namespace velquin::test
