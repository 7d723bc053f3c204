// The pathping page, driven as a user: type the target, tick options, edit
// their values, press the confirm button.
#include <functional>
#include <ostream>

#include "support/app_fixture.h"

namespace velquin::test {
namespace {

class Pathping : public AppTest {
 public:
  using AppTest::click;
  using AppTest::enter;
  using AppTest::type;

  void tickAll() {
    for (int i = 1; i <= 10; ++i) click("CB_pping" + std::to_string(i));
  }

 protected:
  Pathping() { chooseTool(app::kPathping); }
};

struct PathpingCase {
  const char* name;
  std::function<void(Pathping&)> steps;
  const char* line;  // Edit1 after the confirm button
};
void PrintTo(const PathpingCase& c, std::ostream* os) { *os << c.name; }

class PathpingLine : public Pathping,
                     public ::testing::WithParamInterface<PathpingCase> {};

TEST_P(PathpingLine, ConfirmWritesTheCommandLine) {
  GetParam().steps(*this);
  click("btnPPing");
  EXPECT_EQ(text("Edit1"), GetParam().line);
  EXPECT_TRUE(os.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Options, PathpingLine,
    ::testing::Values(
        PathpingCase{"TargetOnly",
                     [](Pathping& u) { u.type("Edit_pping0", "host1"); },
                     "pathping host1"},
        // Two blanks after -g and after -i, where the empty fields stand.
        PathpingCase{"EveryBoxWithPresets",
                     [](Pathping& u) {
                       u.type("Edit_pping0", "host1");
                       u.tickAll();
                     },
                     "pathping -n -h 30 -g  -p 250 -q 100 -w 3000 -i  -4 -R -T "
                     "host1"},
        PathpingCase{"EveryBoxWithValues",
                     [](Pathping& u) {
                       u.type("Edit_pping0", "host1");
                       u.tickAll();
                       u.type("Edit_pping1", "999");
                       u.type("Edit_pping2", "10.0.0.1 10.0.0.2");
                       u.type("Edit_pping3", "50");
                       u.type("Edit_pping4", "5");
                       u.type("Edit_pping5", "1");
                       u.type("Edit_pping6", "192.168.1.2");
                       u.type("Edit_pping7", "6");
                     },
                     "pathping -n -h 999 -g 10.0.0.1 10.0.0.2 -p 50 -q 5 -w 1 "
                     "-i 192.168.1.2 -6 -R -T host1"},
        PathpingCase{"EmptiedValueLeavesTheSwitchAndItsBlank",
                     [](Pathping& u) {
                       u.type("Edit_pping0", "host1");
                       u.click("CB_pping5");
                       u.click("CB_pping6");
                       u.type("Edit_pping4", "");
                     },
                     "pathping -q  -w 3000 host1"},
        PathpingCase{"IpVersionSix",
                     [](Pathping& u) {
                       u.type("Edit_pping0", "host1");
                       u.click("CB_pping8");
                       u.type("Edit_pping7", "6");
                     },
                     "pathping -6 host1"},
        PathpingCase{"RsvpAndPriorityOnly",
                     [](Pathping& u) {
                       u.type("Edit_pping0", "host1");
                       u.click("CB_pping9");
                       u.click("CB_pping10");
                     },
                     "pathping -R -T host1"},
        // A typed value without its box, and a box ticked twice, add nothing.
        PathpingCase{"UntickedValuesAddNothing",
                     [](Pathping& u) {
                       u.type("Edit_pping0", "host1");
                       u.type("Edit_pping1", "12");
                       u.click("CB_pping1");
                       u.click("CB_pping1");
                     },
                     "pathping host1"},
        // Blanks only are not empty: the target goes in as typed.
        PathpingCase{"BlankTarget",
                     [](Pathping& u) { u.type("Edit_pping0", "   "); },
                     "pathping    "}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Pathping, StartsUntickedWithThePresetValues) {
  EXPECT_EQ(form().focused(), &main()["RadioGroup1"]);
  for (int i = 1; i <= 10; ++i)
    EXPECT_FALSE(main()["CB_pping" + std::to_string(i)].checked()) << i;
  // No field is emptied by the focus arriving.
  const char* presets[] = {"30", "", "250", "100", "3000", "", "4"};
  for (int i = 1; i <= 7; ++i) {
    const std::string field = "Edit_pping" + std::to_string(i);
    enter(field);
    EXPECT_EQ(text(field), presets[i - 1]) << field;
  }
}

TEST_F(Pathping, EmptyTargetIsRefusedAndTheCommandLineKept) {
  type("Edit1", "pathping host0");
  tickAll();
  click("btnPPing");
  EXPECT_EQ(os.messages,
            (std::vector<std::string>{"相手先のアドレス等を入力して下さい。"}));
  EXPECT_EQ(text("Edit1"), "pathping host0");

  // Typed, then removed again: still refused.
  type("Edit_pping0", "host1");
  type("Edit_pping0", "");
  click("btnPPing");
  EXPECT_EQ(os.messages.size(), 2u);
  EXPECT_EQ(text("Edit1"), "pathping host0");
}

}  // namespace
}  // namespace velquin::test
