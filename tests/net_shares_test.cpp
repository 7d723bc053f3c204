// net share and net use on the net page.
#include "support/net_steps.h"

namespace velquin::test {
namespace {

constexpr const char* kNeedShare = "共有名とドライブ+パスを入力して下さい。";
constexpr const char* kNeedShareName = "共有名を入力して下さい。";
constexpr const char* kNeedMapping = "デバイス名とＰＣ名+共有名を入力して下さい。";
constexpr const char* kNeedDevice = "デバイス名を入力して下さい。";

const NetStep kName{"Edit_net2", "DOCS"};
const NetStep kPath{"Edit_net3", "D:\\Shared"};
const NetStep kLimit{"CheckBox1", nullptr};
const NetStep kRemark{"CheckBox2", nullptr};

class NetShareLine : public NetPageTest,
                     public ::testing::WithParamInterface<NetRow> {};

TEST_P(NetShareLine, ConfirmWritesTheLineOrAsks) { run(GetParam()); }

INSTANTIATE_TEST_SUITE_P(NetShares, NetShareLine, ::testing::Values(
    NetRow{"share, as ticked", 10, -1, {}, "net_share", nullptr},
    NetRow{"share, no options", 10, 1, {kName, kPath},
           "net_share_DOCS=D:\\Shared", nullptr},
    NetRow{"share, five users and a remark", 10, 1,
           {kName, kPath, kLimit, {"Edit7", "5"}, kRemark,
            {"Edit8", "team files"}},
           "net_share_DOCS=D:\\Shared_/users:5_/remark:\"team_files\"", nullptr},
    NetRow{"share, unlimited, no remark", 10, 1,
           {kName, kPath, kLimit, {"Edit7", "-1"}, {"Edit8", "unused"}},
           "net_share_DOCS=D:\\Shared_/unlimited", nullptr},
    NetRow{"share, limit ticked but empty", 10, 1,
           {kName, kPath, kLimit, {"Edit7", ""}},
           "net_share_DOCS=D:\\Shared", nullptr},
    NetRow{"share, limit not ticked", 10, 1, {kName, kPath, {"Edit7", "5"}},
           "net_share_DOCS=D:\\Shared", nullptr},
    // Only "-1" exactly means no limit; any other text goes in as typed.
    NetRow{"share, limit -1 with a blank", 10, 1,
           {kName, kPath, kLimit, {"Edit7", "-1 "}},
           "net_share_DOCS=D:\\Shared_/users:-1_", nullptr},
    NetRow{"share, limit abc", 10, 1, {kName, kPath, kLimit, {"Edit7", "abc"}},
           "net_share_DOCS=D:\\Shared_/users:abc", nullptr},
    NetRow{"share, empty remark still quoted", 10, 1,
           {kName, kPath, kRemark, {"Edit8", ""}},
           "net_share_DOCS=D:\\Shared_/remark:\"\"", nullptr},
    NetRow{"share, limit before remark", 10, 1,
           {kName, kPath, kRemark, {"Edit8", "r"}, kLimit, {"Edit7", "-1"}},
           "net_share_DOCS=D:\\Shared_/unlimited_/remark:\"r\"", nullptr},
    NetRow{"share, path with blanks unquoted", 10, 1,
           {{"Edit_net2", "My Docs"}, {"Edit_net3", "C:\\My Docs"}},
           "net_share_My_Docs=C:\\My_Docs", nullptr},
    NetRow{"share, fields not entered", 10, 1, {}, nullptr, kNeedShare},
    NetRow{"share, path still the placeholder", 10, 1, {kName}, nullptr,
           kNeedShare},
    NetRow{"share, name emptied", 10, 1, {{"Edit_net2", ""}, kPath}, nullptr,
           kNeedShare},
    NetRow{"share ended", 10, 2, {kName}, "net_share_DOCS_/delete", nullptr},
    NetRow{"share ended, name holding the placeholder and more", 10, 2,
           {{"Edit_net2", "共有名 "}}, "net_share_共有名__/delete", nullptr},
    NetRow{"share ended, name not entered", 10, 2, {}, nullptr, kNeedShareName},
    NetRow{"use, as ticked", 11, -1, {}, "net_use", nullptr},
    NetRow{"use, drive mapped", 11, 1,
           {{"Edit_net2", "Z"}, {"Edit_net3", "\\\\PC1\\Temp"}},
           "net_use_Z:_\\\\PC1\\Temp", nullptr},
    // The colon is always added, also after one typed.
    NetRow{"use, device typed with its colon", 11, 1,
           {{"Edit_net2", "Z:"}, {"Edit_net3", "\\\\PC1\\Temp"}},
           "net_use_Z::_\\\\PC1\\Temp", nullptr},
    NetRow{"use, computer not entered", 11, 1, {{"Edit_net2", "Z"}}, nullptr,
           kNeedMapping},
    NetRow{"use, device emptied", 11, 1,
           {{"Edit_net2", ""}, {"Edit_net3", "\\\\PC1\\Temp"}}, nullptr,
           kNeedMapping},
    NetRow{"use, drive removed", 11, 2, {{"Edit_net2", "Z"}}, "net_use_Z:_/d",
           nullptr},
    NetRow{"use, removal without device", 11, 2, {}, nullptr, kNeedDevice}));

// The share options keep what the user set for the whole run: the page
// reset, another sub-command, another tool and the item-change handler
// leave them alone.
TEST_F(NetPageTest, ShareOptionsSurviveOtherSubCommandsAndTools) {
  tick(10, 1);
  fill({kLimit, {"Edit7", "7"}, kRemark, {"Edit8", "kept"}});
  tick(11, 1);
  EXPECT_FALSE((*this)["Panel10"].visible());
  chooseTool(app::kPing);
  // Back on the net page the first category is in front while the choice
  // still says the third: the user picks another and comes back.
  chooseTool(app::kNet);
  pick("RadioGroup4", 0);
  tick(10, 2);
  pick("ComboBox1", 1);
  EXPECT_TRUE((*this)["Panel10"].showing());
  EXPECT_TRUE((*this)["CheckBox1"].checked());
  EXPECT_TRUE((*this)["CheckBox2"].checked());
  EXPECT_EQ(text("Edit7"), "7");
  EXPECT_EQ(text("Edit8"), "kept");
  fill({kName, kPath});
  confirmAndCheck({"", 10, 1, {},
                   "net_share_DOCS=D:\\Shared_/users:7_/remark:\"kept\"",
                   nullptr});
}

TEST_F(NetPageTest, SwitchingOperationsPutsThePlaceholdersBack) {
  tick(11, 1);
  fill({{"Edit_net2", "Z"}, {"Edit_net3", "\\\\PC1\\Temp"}});
  pick("ComboBox1", 2);
  pick("ComboBox1", 1);
  EXPECT_EQ(text("Edit_net2"), "デバイス名");
  EXPECT_EQ(text("Edit_net3"), "ＰＣ名+共有名(\\\\PC1\\Temp)");
  confirmAndCheck({"", 11, 1, {}, nullptr, kNeedMapping});
}

// A second click on the focused box unticks it without a reset: the
// operations are listed again, but nothing is shown or built any more.
TEST_F(NetPageTest, TheBoxClickedAgainListsButBuildsNothing) {
  tick(10, 1);
  click("CB_net_10");
  click("CB_net_10");
  EXPECT_FALSE((*this)["CB_net_10"].checked());
  EXPECT_TRUE((*this)["ComboBox1"].showing());
  EXPECT_EQ((*this)["ComboBox1"].itemIndex(), 0);
  EXPECT_FALSE((*this)["Panel10"].visible());
  pick("ComboBox1", 1);
  EXPECT_FALSE((*this)["Edit_net2"].visible());
  EXPECT_FALSE((*this)["Panel10"].visible());
  confirmAndCheck({"", 10, 1, {}, nullptr, nullptr});
}

}  // namespace
}  // namespace velquin::test
