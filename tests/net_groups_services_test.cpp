// net group, net localgroup and the four service commands on the net page.
#include "support/net_steps.h"

namespace velquin::test {
namespace {

constexpr const char* kNeedGroup = "グループ名を入力して下さい。";
constexpr const char* kNeedBoth = "グループ名とユーザー名を入力して下さい。";
constexpr const char* kNeedService = "サービス名を入力して下さい。";

class NetGroupLine : public NetPageTest,
                     public ::testing::WithParamInterface<NetRow> {};

TEST_P(NetGroupLine, ConfirmWritesTheLineOrAsks) { run(GetParam()); }

INSTANTIATE_TEST_SUITE_P(NetGroups, NetGroupLine, ::testing::Values(
    NetRow{"group, as ticked", 4, -1, {}, "net_group", nullptr},
    NetRow{"group, domain", 4, 1, {}, "net_group_/domain", nullptr},
    NetRow{"localgroup, as ticked", 5, -1, {}, "net_localgroup", nullptr},
    NetRow{"localgroup, list picked", 5, 0, {}, "net_localgroup", nullptr},
    NetRow{"localgroup add", 5, 1, {{"Edit_net2", "Staff"}},
           "net_localgroup_Staff_/add", nullptr},
    NetRow{"localgroup delete, blanks kept", 5, 2, {{"Edit_net2", " Sales A"}},
           "net_localgroup__Sales_A_/delete", nullptr},
    NetRow{"localgroup add, field not entered", 5, 1, {}, nullptr, kNeedGroup},
    NetRow{"localgroup delete, field emptied", 5, 2, {{"Edit_net2", ""}},
           nullptr, kNeedGroup},
    NetRow{"user added", 5, 3, {{"Edit_net2", "Staff"}, {"Edit_net3", "bob"}},
           "net_localgroup_Staff_bob_/add", nullptr},
    NetRow{"user removed", 5, 4, {{"Edit_net2", "Staff"}, {"Edit_net3", "bob"}},
           "net_localgroup_Staff_bob_/delete", nullptr},
    NetRow{"user removed, user still the placeholder", 5, 4,
           {{"Edit_net2", "Staff"}}, nullptr, kNeedBoth},
    NetRow{"user added, group emptied", 5, 3,
           {{"Edit_net2", ""}, {"Edit_net3", "bob"}}, nullptr, kNeedBoth},
    // The placeholder inside a longer text is a name like any other.
    NetRow{"user added, names hold the placeholders", 5, 3,
           {{"Edit_net2", "グループ名1"}, {"Edit_net3", "ユーザー名 "}},
           "net_localgroup_グループ名1_ユーザー名__/add", nullptr}));

class NetServiceLine : public NetPageTest,
                       public ::testing::WithParamInterface<NetRow> {};

TEST_P(NetServiceLine, ConfirmWritesTheLineOrAsks) { run(GetParam()); }

INSTANTIATE_TEST_SUITE_P(NetServices, NetServiceLine, ::testing::Values(
    NetRow{"start, as ticked", 6, -1, {}, "net_start", nullptr},
    NetRow{"start a service", 6, 1, {{"Edit_net2", "Spooler"}},
           "net_start_Spooler", nullptr},
    NetRow{"start, field not entered", 6, 1, {}, nullptr, kNeedService},
    NetRow{"stop", 7, -1, {{"Edit_net2", "Spooler"}}, "net_stop_Spooler",
           nullptr},
    NetRow{"pause", 8, -1, {{"Edit_net2", "Spooler"}}, "net_pause_Spooler",
           nullptr},
    NetRow{"continue", 9, -1, {{"Edit_net2", "Spooler"}},
           "net_continue_Spooler", nullptr},
    NetRow{"stop, placeholder left", 7, -1, {}, nullptr, kNeedService},
    NetRow{"pause, field emptied", 8, -1, {{"Edit_net2", ""}}, nullptr,
           kNeedService},
    NetRow{"continue, placeholder left", 9, -1, {}, nullptr, kNeedService},
    // One blank is a name: the line ends in two blanks.
    NetRow{"stop, one blank", 7, -1, {{"Edit_net2", " "}}, "net_stop__",
           nullptr},
    NetRow{"start, two words unquoted", 6, 1,
           {{"Edit_net2", "Print Spooler"}}, "net_start_Print_Spooler",
           nullptr}));

// What the option area shows for each operation: the fields on view and
// the texts they hold.
struct Shown {
  const char* what;
  int box;
  int operation;  // -1: as ticked
  bool net2, net3, panel;
  const char* text2;
  const char* text3;
};
void PrintTo(const Shown& s, std::ostream* os) { *os << s.what; }

class NetOptionsShown : public NetPageTest,
                        public ::testing::WithParamInterface<Shown> {};

TEST_P(NetOptionsShown, TheOperationShowsItsFields) {
  const Shown& s = GetParam();
  tick(s.box, s.operation);
  EXPECT_TRUE((*this)["ComboBox1"].showing());
  EXPECT_TRUE((*this)["ComboBox1"].enabled());
  EXPECT_FALSE((*this)["Edit_net1"].visible());
  EXPECT_EQ((*this)["Edit_net2"].visible(), s.net2);
  EXPECT_EQ((*this)["Edit_net3"].visible(), s.net3);
  EXPECT_EQ((*this)["Panel10"].visible(), s.panel);
  EXPECT_EQ(text("Edit_net2"), s.text2);
  EXPECT_EQ(text("Edit_net3"), s.text3);
}

INSTANTIATE_TEST_SUITE_P(NetOptions, NetOptionsShown, ::testing::Values(
    Shown{"group", 4, -1, false, false, false, "", ""},
    // Ticking writes no placeholder; any change writes both, hidden or not.
    Shown{"localgroup ticked", 5, -1, false, false, false, "", ""},
    Shown{"localgroup list", 5, 0, false, false, false, "グループ名", "ユーザー名"},
    Shown{"localgroup add", 5, 1, true, false, false, "グループ名", "ユーザー名"},
    Shown{"localgroup delete", 5, 2, true, false, false, "グループ名", "ユーザー名"},
    Shown{"localgroup user add", 5, 3, true, true, false, "グループ名", "ユーザー名"},
    Shown{"localgroup user remove", 5, 4, true, true, false, "グループ名", "ユーザー名"},
    Shown{"start ticked", 6, -1, false, false, false, "", ""},
    Shown{"start list", 6, 0, false, false, false, "サービス名", ""},
    Shown{"start a service", 6, 1, true, false, false, "サービス名", ""},
    Shown{"stop", 7, -1, true, false, false, "サービス名", ""},
    Shown{"pause", 8, -1, true, false, false, "サービス名", ""},
    Shown{"continue", 9, -1, true, false, false, "サービス名", ""},
    Shown{"share ticked", 10, -1, false, false, false, "", ""},
    Shown{"share list", 10, 0, false, false, false, "共有名", "ドライブ+パス(C:\\Temp)"},
    Shown{"share set", 10, 1, true, true, true, "共有名", "ドライブ+パス(C:\\Temp)"},
    Shown{"share end", 10, 2, true, false, false, "共有名", "ドライブ+パス(C:\\Temp)"},
    Shown{"use ticked", 11, -1, false, false, false, "", ""},
    Shown{"use map", 11, 1, true, true, false, "デバイス名", "ＰＣ名+共有名(\\\\PC1\\Temp)"},
    Shown{"use remove", 11, 2, true, false, false, "デバイス名", "ＰＣ名+共有名(\\\\PC1\\Temp)"}));

// A change of operation puts the placeholders back over what was typed, so
// the builder asks again.
TEST_F(NetPageTest, ChangingTheOperationDiscardsTypedNames) {
  tick(5, 1);
  fill({{"Edit_net2", "Staff"}});
  pick("ComboBox1", 2);
  EXPECT_EQ(text("Edit_net2"), "グループ名");
  confirmAndCheck({"", 5, 2, {}, nullptr, kNeedGroup});

  os.messages.clear();
  tick(6, 1);
  fill({{"Edit_net2", "Spooler"}});
  pick("ComboBox1", 0);
  EXPECT_FALSE((*this)["Edit_net2"].visible());
  confirmAndCheck({"", 6, 0, {}, "net_start", nullptr});
}

}  // namespace
}  // namespace velquin::test
