// net group, net localgroup, the four service commands, net share and net
// use on the net page, driven as a user: category, box, operation, fields,
// confirm.
#include <ostream>
#include <string>
#include <vector>

#include "support/app_fixture.h"

namespace velquin::test {
namespace {

using Steps = std::vector<std::string>;

Steps operator+(Steps a, const Steps& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

struct NetCase {
  const char* what;
  Steps steps;          // then btnNet is clicked
  const char* line;     // Edit1 afterwards, blanks as "_"; nullptr: unchanged
  const char* message;  // the one message shown, or nullptr for none
};

void PrintTo(const NetCase& c, std::ostream* os) { *os << c.what; }

class NetOptions : public AppTest,
                   public ::testing::WithParamInterface<NetCase> {
 protected:
  NetOptions() {
    chooseTool(app::kNet);
    type("Edit1", "ipconfig");
  }
};

constexpr const char* kNeedGroup = "グループ名を入力して下さい。";
constexpr const char* kNeedBoth = "グループ名とユーザー名を入力して下さい。";
constexpr const char* kNeedService = "サービス名を入力して下さい。";
constexpr const char* kNeedShare = "共有名とドライブ+パスを入力して下さい。";
constexpr const char* kNeedShareName = "共有名を入力して下さい。";
constexpr const char* kNeedMapping = "デバイス名とＰＣ名+共有名を入力して下さい。";
constexpr const char* kNeedDevice = "デバイス名を入力して下さい。";

const Steps kGroup = {"click CB_net_04"};
const Steps kLocal = {"click CB_net_05"};
const Steps kStart = {"pick RadioGroup4 1", "click CB_net_06"};
const Steps kStop = {"pick RadioGroup4 1", "click CB_net_07"};
const Steps kPause = {"pick RadioGroup4 1", "click CB_net_08"};
const Steps kContinue = {"pick RadioGroup4 1", "click CB_net_09"};
const Steps kShare = {"pick RadioGroup4 2", "click CB_net_10"};
const Steps kUse = {"pick RadioGroup4 2", "click CB_net_11"};
const Steps kStaffBob = {"enter Edit_net2", "type Edit_net2 Staff",
                         "enter Edit_net3", "type Edit_net3 bob"};
const Steps kSpooler = {"enter Edit_net2", "type Edit_net2 Spooler"};

TEST_P(NetOptions, ConfirmWritesTheLineOrAsks) {
  const NetCase& c = GetParam();
  steps(c.steps);
  click("btnNet");
  EXPECT_EQ(line(), c.line ? c.line : "ipconfig");
  if (c.message)
    EXPECT_EQ(os.messages, std::vector<std::string>{c.message});
  else
    EXPECT_EQ(os.messages, std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(NetGroups, NetOptions, ::testing::Values(
    NetCase{"group, as ticked", kGroup, "net_group", nullptr},
    NetCase{"group, domain", kGroup + Steps{"pick ComboBox1 1"},
            "net_group_/domain", nullptr},
    NetCase{"localgroup, as ticked", kLocal, "net_localgroup", nullptr},
    NetCase{"localgroup add", kLocal + Steps{"pick ComboBox1 1",
            "enter Edit_net2", "type Edit_net2 Staff"},
            "net_localgroup_Staff_/add", nullptr},
    NetCase{"localgroup delete, blanks kept", kLocal + Steps{"pick ComboBox1 2",
            "enter Edit_net2", "type Edit_net2  Sales A"},
            "net_localgroup__Sales_A_/delete", nullptr},
    NetCase{"localgroup add, field not entered",
            kLocal + Steps{"pick ComboBox1 1"}, nullptr, kNeedGroup},
    NetCase{"localgroup delete, field emptied",
            kLocal + Steps{"pick ComboBox1 2", "enter Edit_net2"}, nullptr,
            kNeedGroup},
    NetCase{"user added", kLocal + Steps{"pick ComboBox1 3"} + kStaffBob,
            "net_localgroup_Staff_bob_/add", nullptr},
    NetCase{"user removed", kLocal + Steps{"pick ComboBox1 4"} + kStaffBob,
            "net_localgroup_Staff_bob_/delete", nullptr},
    NetCase{"user removed, user still the placeholder",
            kLocal + Steps{"pick ComboBox1 4", "enter Edit_net2",
                           "type Edit_net2 Staff"},
            nullptr, kNeedBoth},
    NetCase{"user added, group emptied",
            kLocal + Steps{"pick ComboBox1 3", "enter Edit_net2",
                           "enter Edit_net3", "type Edit_net3 bob"},
            nullptr, kNeedBoth},
    // A text that only holds the placeholder is a name like any other.
    NetCase{"user added, names holding the placeholders",
            kLocal + Steps{"pick ComboBox1 3", "enter Edit_net2",
                           "type Edit_net2 グループ名1", "enter Edit_net3",
                           "type Edit_net3 ユーザー名 "},
            "net_localgroup_グループ名1_ユーザー名__/add", nullptr},
    // A change of operation puts the placeholder back over the name.
    NetCase{"group typed, then the operation changed",
            kLocal + Steps{"pick ComboBox1 1", "enter Edit_net2",
                           "type Edit_net2 Staff", "pick ComboBox1 2"},
            nullptr, kNeedGroup}));

INSTANTIATE_TEST_SUITE_P(NetServices, NetOptions, ::testing::Values(
    NetCase{"start, as ticked", kStart, "net_start", nullptr},
    NetCase{"start a service", kStart + Steps{"pick ComboBox1 1"} + kSpooler,
            "net_start_Spooler", nullptr},
    NetCase{"start, field not entered", kStart + Steps{"pick ComboBox1 1"},
            nullptr, kNeedService},
    NetCase{"start, back to the list",
            kStart + Steps{"pick ComboBox1 1"} + kSpooler +
                Steps{"pick ComboBox1 0"},
            "net_start", nullptr},
    NetCase{"stop", kStop + kSpooler, "net_stop_Spooler", nullptr},
    NetCase{"pause", kPause + kSpooler, "net_pause_Spooler", nullptr},
    NetCase{"continue", kContinue + kSpooler, "net_continue_Spooler", nullptr},
    NetCase{"stop, placeholder left", kStop, nullptr, kNeedService},
    NetCase{"pause, field emptied", kPause + Steps{"enter Edit_net2"}, nullptr,
            kNeedService},
    NetCase{"continue, placeholder left", kContinue, nullptr, kNeedService},
    // One blank is a name: the line ends in two blanks.
    NetCase{"stop, one blank", kStop + Steps{"enter Edit_net2",
            "type Edit_net2  "}, "net_stop__", nullptr},
    NetCase{"start, two words unquoted", kStart + Steps{"pick ComboBox1 1",
            "enter Edit_net2", "type Edit_net2 Print Spooler"},
            "net_start_Print_Spooler", nullptr}));

// The share: DOCS on D:\Shared, then the share options.
const Steps kDocs = kShare + Steps{"pick ComboBox1 1", "enter Edit_net2",
                                   "type Edit_net2 DOCS", "enter Edit_net3",
                                   "type Edit_net3 D:\\Shared"};
const Steps kMapZ = kUse + Steps{"pick ComboBox1 1", "enter Edit_net2",
                                 "type Edit_net2 Z", "enter Edit_net3",
                                 "type Edit_net3 \\\\PC1\\Temp"};

INSTANTIATE_TEST_SUITE_P(NetShares, NetOptions, ::testing::Values(
    NetCase{"share, as ticked", kShare, "net_share", nullptr},
    NetCase{"share, no options", kDocs, "net_share_DOCS=D:\\Shared", nullptr},
    NetCase{"share, five users and a remark",
            kDocs + Steps{"click CheckBox1", "type Edit7 5", "click CheckBox2",
                          "type Edit8 team files"},
            "net_share_DOCS=D:\\Shared_/users:5_/remark:\"team_files\"",
            nullptr},
    NetCase{"share, unlimited, remark not ticked",
            kDocs + Steps{"click CheckBox1", "type Edit7 -1", "type Edit8 x"},
            "net_share_DOCS=D:\\Shared_/unlimited", nullptr},
    NetCase{"share, limit ticked but empty", kDocs + Steps{"click CheckBox1"},
            "net_share_DOCS=D:\\Shared", nullptr},
    NetCase{"share, limit not ticked", kDocs + Steps{"type Edit7 5"},
            "net_share_DOCS=D:\\Shared", nullptr},
    // Only "-1" exactly means no limit; any other text goes in as typed.
    NetCase{"share, limit -1 and a blank",
            kDocs + Steps{"click CheckBox1", "type Edit7 -1 "},
            "net_share_DOCS=D:\\Shared_/users:-1_", nullptr},
    NetCase{"share, limit abc",
            kDocs + Steps{"click CheckBox1", "type Edit7 abc"},
            "net_share_DOCS=D:\\Shared_/users:abc", nullptr},
    NetCase{"share, empty remark still quoted",
            kDocs + Steps{"click CheckBox2"},
            "net_share_DOCS=D:\\Shared_/remark:\"\"", nullptr},
    NetCase{"share, the limit before the remark",
            kDocs + Steps{"click CheckBox2", "type Edit8 r", "click CheckBox1",
                          "type Edit7 -1"},
            "net_share_DOCS=D:\\Shared_/unlimited_/remark:\"r\"", nullptr},
    NetCase{"share, blanks unquoted",
            kShare + Steps{"pick ComboBox1 1", "enter Edit_net2",
                           "type Edit_net2 My Docs", "enter Edit_net3",
                           "type Edit_net3 C:\\My Docs"},
            "net_share_My_Docs=C:\\My_Docs", nullptr},
    NetCase{"share, fields not entered", kShare + Steps{"pick ComboBox1 1"},
            nullptr, kNeedShare},
    NetCase{"share, path still the placeholder",
            kShare + Steps{"pick ComboBox1 1", "enter Edit_net2",
                           "type Edit_net2 DOCS"},
            nullptr, kNeedShare},
    NetCase{"share, name emptied", kDocs + Steps{"enter Edit_net2"}, nullptr,
            kNeedShare},
    NetCase{"share ended", kShare + Steps{"pick ComboBox1 2", "enter Edit_net2",
                                          "type Edit_net2 DOCS"},
            "net_share_DOCS_/delete", nullptr},
    NetCase{"share ended, the placeholder and a blank",
            kShare + Steps{"pick ComboBox1 2", "enter Edit_net2",
                           "type Edit_net2 共有名 "},
            "net_share_共有名__/delete", nullptr},
    NetCase{"share ended, name not entered",
            kShare + Steps{"pick ComboBox1 2"}, nullptr, kNeedShareName},
    // A second click on the focused box unticks it without a reset: the
    // operations stay listed, but nothing is shown or built.
    NetCase{"share, box clicked again",
            kShare + Steps{"click CB_net_10", "pick ComboBox1 1"}, nullptr,
            nullptr}));

INSTANTIATE_TEST_SUITE_P(NetUse, NetOptions, ::testing::Values(
    NetCase{"use, as ticked", kUse, "net_use", nullptr},
    NetCase{"use, drive mapped", kMapZ, "net_use_Z:_\\\\PC1\\Temp", nullptr},
    // The colon is always added, also after one typed.
    NetCase{"use, device typed with its colon",
            kMapZ + Steps{"enter Edit_net2", "type Edit_net2 Z:"},
            "net_use_Z::_\\\\PC1\\Temp", nullptr},
    NetCase{"use, computer not entered",
            kUse + Steps{"pick ComboBox1 1", "enter Edit_net2",
                         "type Edit_net2 Z"},
            nullptr, kNeedMapping},
    NetCase{"use, device emptied", kMapZ + Steps{"enter Edit_net2"}, nullptr,
            kNeedMapping},
    NetCase{"use, drive removed", kUse + Steps{"pick ComboBox1 2",
            "enter Edit_net2", "type Edit_net2 Z"}, "net_use_Z:_/d", nullptr},
    NetCase{"use, removal without a device",
            kUse + Steps{"pick ComboBox1 2"}, nullptr, kNeedDevice},
    NetCase{"use, mapping typed, switched away and back",
            kMapZ + Steps{"pick ComboBox1 2", "pick ComboBox1 1"}, nullptr,
            kNeedMapping}));

// The share options keep what the user set for the whole run: the page
// reset, another sub-command, another tool and the operation changes leave
// them alone.
TEST_F(NetOptions, ShareOptionsOutliveOtherSubCommandsAndTools) {
  steps(kDocs + Steps{"click CheckBox1", "type Edit7 7", "click CheckBox2",
                      "type Edit8 kept"} + kUse + Steps{"tool 0", "tool 6"});
  EXPECT_FALSE((*this)["Panel10"].visible());
  // Back on the net page the first category is in front while the choice
  // still says the third: the user picks another and comes back.
  steps(Steps{"pick RadioGroup4 0"} + kDocs);
  EXPECT_TRUE((*this)["Panel10"].showing());
  EXPECT_TRUE((*this)["CheckBox1"].checked());
  EXPECT_TRUE((*this)["CheckBox2"].checked());
  EXPECT_EQ(text("Edit7"), "7");
  EXPECT_EQ(text("Edit8"), "kept");
  click("btnNet");
  EXPECT_EQ(line(), "net_share_DOCS=D:\\Shared_/users:7_/remark:\"kept\"");
}

// What the option area shows for an operation: the fields on view and the
// texts they hold.
struct Shown {
  const char* what;
  Steps steps;
  bool net2, net3, panel;
  const char* text2;
  const char* text3;
};
void PrintTo(const Shown& s, std::ostream* os) { *os << s.what; }

class NetFields : public AppTest,
                  public ::testing::WithParamInterface<Shown> {};

TEST_P(NetFields, TheOperationShowsItsFields) {
  const Shown& s = GetParam();
  steps(Steps{"tool 6"} + s.steps);
  EXPECT_TRUE((*this)["ComboBox1"].showing());
  EXPECT_TRUE((*this)["ComboBox1"].enabled());
  EXPECT_FALSE((*this)["Edit_net1"].visible());
  EXPECT_EQ((*this)["Edit_net2"].visible(), s.net2);
  EXPECT_EQ((*this)["Edit_net3"].visible(), s.net3);
  EXPECT_EQ((*this)["Panel10"].visible(), s.panel);
  EXPECT_EQ(text("Edit_net2"), s.text2);
  EXPECT_EQ(text("Edit_net3"), s.text3);
}

constexpr const char* kPath = "ドライブ+パス(C:\\Temp)";
constexpr const char* kRemote = "ＰＣ名+共有名(\\\\PC1\\Temp)";

INSTANTIATE_TEST_SUITE_P(NetOptionArea, NetFields, ::testing::Values(
    Shown{"group", kGroup, false, false, false, "", ""},
    // Ticking writes no placeholder; any change writes both, hidden or not.
    Shown{"localgroup ticked", kLocal, false, false, false, "", ""},
    Shown{"localgroup list", kLocal + Steps{"pick ComboBox1 0"},
          false, false, false, "グループ名", "ユーザー名"},
    Shown{"localgroup add", kLocal + Steps{"pick ComboBox1 1"},
          true, false, false, "グループ名", "ユーザー名"},
    Shown{"localgroup delete", kLocal + Steps{"pick ComboBox1 2"},
          true, false, false, "グループ名", "ユーザー名"},
    Shown{"localgroup user add", kLocal + Steps{"pick ComboBox1 3"},
          true, true, false, "グループ名", "ユーザー名"},
    Shown{"localgroup user removed", kLocal + Steps{"pick ComboBox1 4"},
          true, true, false, "グループ名", "ユーザー名"},
    Shown{"start ticked", kStart, false, false, false, "", ""},
    Shown{"start list", kStart + Steps{"pick ComboBox1 0"},
          false, false, false, "サービス名", ""},
    Shown{"start a service", kStart + Steps{"pick ComboBox1 1"},
          true, false, false, "サービス名", ""},
    Shown{"stop", kStop, true, false, false, "サービス名", ""},
    Shown{"pause", kPause, true, false, false, "サービス名", ""},
    Shown{"continue", kContinue, true, false, false, "サービス名", ""},
    Shown{"share ticked", kShare, false, false, false, "", ""},
    Shown{"share list", kShare + Steps{"pick ComboBox1 0"},
          false, false, false, "共有名", kPath},
    Shown{"share set", kShare + Steps{"pick ComboBox1 1"},
          true, true, true, "共有名", kPath},
    Shown{"share ended", kShare + Steps{"pick ComboBox1 2"},
          true, false, false, "共有名", kPath},
    Shown{"use ticked", kUse, false, false, false, "", ""},
    Shown{"use mapping", kUse + Steps{"pick ComboBox1 1"},
          true, true, false, "デバイス名", kRemote},
    Shown{"use removal", kUse + Steps{"pick ComboBox1 2"},
          true, false, false, "デバイス名", kRemote}));

}  // namespace
}  // namespace velquin::test
