// The pathping page, driven as a user: type the target, tick options, edit
// their values, press the confirm button.
#include <algorithm>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "support/app_fixture.h"

namespace velquin::test {
namespace {

class PathpingPage : public AppTest {
 protected:
  PathpingPage() { chooseTool(app::kPathping); }
  void tick(int box) { click("CB_pping" + std::to_string(box)); }
};

struct PathpingCase {
  const char* target;
  std::vector<int> ticked;                          // CB_ppingN
  std::vector<std::pair<int, const char*>> values;  // Edit_ppingN, typed
  const char* line;  // Edit1 after the confirm button, blanks as "_"
};
void PrintTo(const PathpingCase& c, std::ostream* os) { *os << c.line; }

class PathpingLine : public PathpingPage,
                     public ::testing::WithParamInterface<PathpingCase> {};

TEST_P(PathpingLine, ConfirmWritesTheCommandLine) {
  const PathpingCase& c = GetParam();
  type("Edit_pping0", c.target);
  for (int box : c.ticked) tick(box);
  for (const auto& [field, typed] : c.values)
    type("Edit_pping" + std::to_string(field), typed);
  type("Edit1", "ipconfig /all");  // whatever stood there is replaced
  click("btnPPing");
  EXPECT_EQ(line(), c.line);
  EXPECT_TRUE(os.messages.empty());
}

const std::vector<int> kAll = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};

INSTANTIATE_TEST_SUITE_P(
    PathpingPage, PathpingLine,
    ::testing::Values(
        PathpingCase{"host1", {}, {}, "pathping_host1"},
        // Two blanks after -g and after -i, where the empty fields stand.
        PathpingCase{"host1", kAll, {},
                     "pathping_-n_-h_30_-g__-p_250_-q_100_-w_3000_-i__-4_-R_-T_"
                     "host1"},
        PathpingCase{"host1", kAll,
                     {{1, "999"}, {2, "10.0.0.1 10.0.0.2"}, {3, "50"},
                      {4, "5"}, {5, "1"}, {6, "192.168.1.2"}, {7, "6"}},
                     "pathping_-n_-h_999_-g_10.0.0.1_10.0.0.2_-p_50_-q_5_-w_1_"
                     "-i_192.168.1.2_-6_-R_-T_host1"},
        PathpingCase{"host1", {5, 6}, {{4, ""}}, "pathping_-q__-w_3000_host1"},
        PathpingCase{"host1", {8}, {{7, "6"}}, "pathping_-6_host1"},
        PathpingCase{"host1", {9, 10}, {}, "pathping_-R_-T_host1"},
        // A value typed without its box, and a box ticked twice, add nothing.
        PathpingCase{"host1", {1, 1}, {{1, "12"}}, "pathping_host1"},
        // Blanks only are not empty: three of them, after the separator.
        PathpingCase{"   ", {}, {}, "pathping____"}));

TEST_F(PathpingPage, StartsUntickedWithPresetsThatEnteringDoesNotClear) {
  EXPECT_EQ(form().focused(), &main()["RadioGroup1"]);
  for (int i = 1; i <= 10; ++i)
    EXPECT_FALSE(main()["CB_pping" + std::to_string(i)].checked()) << i;
  const char* presets[] = {"30", "", "250", "100", "3000", "", "4"};
  for (int i = 1; i <= 7; ++i) {
    const std::string field = "Edit_pping" + std::to_string(i);
    enter(field);
    EXPECT_EQ(text(field), presets[i - 1]) << field;
  }
}

TEST_F(PathpingPage, EmptyTargetIsRefusedAndTheCommandLineKept) {
  type("Edit1", "pathping host0");
  for (int box : kAll) tick(box);
  click("btnPPing");
  EXPECT_EQ(os.messages,
            (std::vector<std::string>{"相手先のアドレス等を入力して下さい。"}));
  EXPECT_EQ(line(), "pathping_host0");

  // Typed, then removed again: still refused.
  type("Edit_pping0", "host1");
  type("Edit_pping0", "");
  click("btnPPing");
  EXPECT_EQ(os.messages.size(), 2u);
  EXPECT_EQ(line(), "pathping_host0");
}

}  // namespace
}  // namespace velquin::test
