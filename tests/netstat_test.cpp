// The netstat page, driven as a user: pick a display, maybe a refinement,
// maybe type protocol names, confirm.
#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "support/app_fixture.h"

namespace velquin::test {
namespace {

constexpr int kNone = -1;                 // the user picks nothing there
constexpr const char* kPreset = nullptr;  // the protocol field left as it is

class NetstatPage : public AppTest {};

struct NetstatRow {
  int display;            // RadioGroup3
  int refinement;         // RadioGroup3_2, picked after the display
  const char* protocols;  // typed into Edit5 after the picks
  const char* line;       // Edit1 after the confirm button, blanks as "_"
};

void PrintTo(const NetstatRow& row, std::ostream* os) {
  *os << '"' << row.line << '"';
}

class NetstatLine : public NetstatPage,
                    public ::testing::WithParamInterface<NetstatRow> {};

TEST_P(NetstatLine, ConfirmWritesTheLine) {
  const NetstatRow& row = GetParam();
  chooseTool(app::kNetstat);
  if (row.display != kNone) pick("RadioGroup3", row.display);
  if (row.refinement != kNone) pick("RadioGroup3_2", row.refinement);
  if (row.protocols) type("Edit5", row.protocols);
  type("Edit1", "ipconfig /all");  // whatever stood there is replaced
  click("btnNetstat");
  EXPECT_EQ(line(), row.line);
}

INSTANTIATE_TEST_SUITE_P(NetstatPage, NetstatLine, ::testing::Values(
    NetstatRow{kNone, kNone, kPreset, "netstat"},
    NetstatRow{0, kNone, kPreset, "netstat_-n"},
    NetstatRow{1, kNone, kPreset, "netstat_-a"},
    NetstatRow{2, kNone, kPreset, "netstat_-e"},
    NetstatRow{3, kNone, kPreset, "netstat_-s"},
    NetstatRow{3, 0, kPreset, "netstat_-s_-a"},
    NetstatRow{3, 1, kPreset, "netstat_-s_-p_TCP_UDP"},
    // An emptied protocol field leaves the blank after -p.
    NetstatRow{3, 1, "", "netstat_-s_-p_"},
    // Protocol names go in as typed.
    NetstatRow{3, 1, " icmp ", "netstat_-s_-p__icmp_"},
    NetstatRow{4, kNone, kPreset, "netstat_-p_TCP_UDP"},
    NetstatRow{4, kNone, "udp", "netstat_-p_udp"},
    NetstatRow{5, kNone, kPreset, "netstat_-r"},
    NetstatRow{6, kNone, kPreset, "netstat_-o"}));

TEST_F(NetstatPage, ChoosingTheToolFocusesTheDisplaysWithNothingChosen) {
  chooseTool(app::kNetstat);
  EXPECT_EQ(form().focused(), &main()["RadioGroup3"]);
  EXPECT_EQ(main()["RadioGroup3"].itemIndex(), -1);
  EXPECT_FALSE(main()["RadioGroup3_2"].visible());
  EXPECT_EQ(main()["RadioGroup3_2"].itemIndex(), -1);
  EXPECT_FALSE(main()["Edit5"].visible());
  EXPECT_EQ(text("Edit5"), "TCP UDP");
  // The named action builds the same line as the button.
  pick("RadioGroup3", 2);
  form().execute("Act_btnNetstat_Click");
  EXPECT_EQ(line(), "netstat_-e");
}

TEST_F(NetstatPage, ProtocolFieldFollowsTheDisplaysThatUseItAndKeepsItsText) {
  chooseTool(app::kNetstat);
  pick("RadioGroup3", 4);
  EXPECT_TRUE(main()["Edit5"].showing());
  EXPECT_FALSE(main()["RadioGroup3_2"].visible());
  type("Edit5", "udp");

  pick("RadioGroup3", 3);
  EXPECT_FALSE(main()["Edit5"].visible());
  EXPECT_TRUE(main()["RadioGroup3_2"].showing());
  pick("RadioGroup3_2", 1);
  EXPECT_TRUE(main()["Edit5"].showing());
  EXPECT_EQ(text("Edit5"), "udp");
  pick("RadioGroup3_2", 0);
  EXPECT_FALSE(main()["Edit5"].visible());

  pick("RadioGroup3", 4);
  EXPECT_TRUE(main()["Edit5"].showing());
  EXPECT_FALSE(main()["RadioGroup3_2"].visible());
  EXPECT_EQ(text("Edit5"), "udp");
  // Other pages and a new visit leave the protocol names alone.
  chooseTool(app::kPing);
  chooseTool(app::kNetstat);
  EXPECT_EQ(text("Edit5"), "udp");
}

TEST_F(NetstatPage, ANewDisplayClearsTheRefinement) {
  chooseTool(app::kNetstat);
  type("Edit1", "netstat -a 5");
  pick("RadioGroup3", 3);
  pick("RadioGroup3_2", 1);
  pick("RadioGroup3", 1);
  pick("RadioGroup3", 3);
  EXPECT_EQ(line(), "netstat_-a_5");  // only the button writes the line
  EXPECT_EQ(main()["RadioGroup3_2"].itemIndex(), -1);
  EXPECT_FALSE(main()["Edit5"].visible());
  click("btnNetstat");
  EXPECT_EQ(line(), "netstat_-s");

  // Picking the display that is already chosen changes nothing.
  pick("RadioGroup3_2", 0);
  pick("RadioGroup3", 3);
  click("btnNetstat");
  EXPECT_EQ(line(), "netstat_-s_-a");
}

// The netstat, nbtstat, route and tracert pages, each at the window's
// design size: every control inside its parent, no two siblings overlapping
// (hidden ones included, since the page shows them in some state).
class ToolPageLayout : public AppTest,
                       public ::testing::WithParamInterface<int> {};

bool overlap(const form::Rect& a, const form::Rect& b) {
  return a.left < b.left + b.width && b.left < a.left + a.width &&
         a.top < b.top + b.height && b.top < a.top + a.height;
}

void expectInside(const form::Control& parent) {
  // A group box's frame is no place for its controls.
  const int frame =
      parent.kind() == form::Kind::GroupBox ? form::kGroupBorder : 0;
  const auto& kids = parent.children();
  for (size_t i = 0; i < kids.size(); ++i) {
    const form::Rect& r = kids[i]->bounds();
    EXPECT_GE(r.left, 0) << kids[i]->name();
    EXPECT_GE(r.top, 0) << kids[i]->name();
    EXPECT_LE(r.left + r.width, parent.bounds().width - frame)
        << kids[i]->name();
    EXPECT_LE(r.top + r.height, parent.bounds().height - frame)
        << kids[i]->name();
    for (size_t j = i + 1; j < kids.size(); ++j)
      EXPECT_FALSE(overlap(r, kids[j]->bounds()))
          << kids[i]->name() << " / " << kids[j]->name();
    expectInside(*kids[i]);
  }
}

TEST_P(ToolPageLayout, ControlsFitThePageWithoutOverlapping) {
  chooseTool(GetParam());
  const form::Control& page = *main()["PageControl2"].activePage();
  EXPECT_EQ(page.bounds().width, 588);
  EXPECT_EQ(page.bounds().height, 284);
  // Hidden controls are laid out where they will appear.
  for (const auto& c : form().controls()) c->setVisible(true);
  expectInside(page);
}

INSTANTIATE_TEST_SUITE_P(Pages, ToolPageLayout,
                         ::testing::Values(app::kNetstat, app::kNbtstat,
                                           app::kRoute, app::kTracert));

}  // namespace
}  // namespace velquin::test
