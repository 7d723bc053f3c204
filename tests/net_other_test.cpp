// The net page's sub-commands 12 to 22 (view, session, file, print, config,
// name, send, statistics, time, help, helpmsg), driven as a user.
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "support/app_fixture.h"

namespace velquin::test {
namespace {

// Steps, separated by "|": "15" chooses the box's category and clicks box
// 15, "again" clicks the same box once more, "op2" picks operation 2,
// "3=text" enters Edit_net3 and types (nothing, for "3="), "m=text" types
// the message into Memo4, "ok" confirms.
struct NetRow {
  const char* steps;
  const char* line;          // Edit1 afterwards, blanks as "_"
  const char* message = "";  // the message box shown, or ""
  // The option-area fields on view with their texts, or nullptr.
  const char* view = nullptr;
};
void PrintTo(const NetRow& row, std::ostream* os) { *os << row.steps; }

constexpr const char* kBefore = "ipconfig_/all";  // Edit1 left as it was

class NetOther : public AppTest, public ::testing::WithParamInterface<NetRow> {
 protected:
  void perform(const std::string& steps) {
    std::istringstream in(steps);
    std::string box;
    for (std::string s; std::getline(in, s, '|');) {
      if (s == "ok") {
        click("btnNet");
      } else if (s == "again") {
        click(box);
      } else if (s.rfind("op", 0) == 0) {
        pick("ComboBox1", std::stoi(s.substr(2)));
      } else if (s.size() > 1 && s[1] == '=') {
        type(s[0] == 'm' ? "Memo4" : "Edit_net" + s.substr(0, 1), s.substr(2));
      } else {
        pick("RadioGroup4", std::stoi(s) >= 16 ? 3 : 2);
        click(box = "CB_net_" + s);
      }
    }
  }
  // "Edit_net2=text | ..." for each field on view, then the unit label.
  std::string view() {
    std::string out;
    auto add = [&](const char* name, const std::string& t) {
      out += (out.empty() ? "" : " | ") + std::string(name) + "=" + t;
    };
    for (const char* f : {"Edit_net1", "Edit_net2", "Edit_net3", "Edit_net4",
                          "Memo4"})
      if ((*this)[f].visible()) add(f, text(f));
    if (!text("LBL_Net1").empty()) add("LBL_Net1", text("LBL_Net1"));
    return out;
  }
};

TEST_P(NetOther, BuildsTheLineOrSaysWhatIsMissing) {
  const NetRow& row = GetParam();
  chooseTool(app::kNet);
  type("Edit1", "ipconfig /all");
  perform(row.steps);
  EXPECT_EQ(line(), row.line);
  EXPECT_EQ(os.messages, *row.message ? std::vector<std::string>{row.message}
                                      : std::vector<std::string>{});
  if (row.view) {
    EXPECT_EQ(view(), row.view);
  }
}

constexpr const char* kNoComputer = "コンピュータ名を入力して下さい。";
INSTANTIATE_TEST_SUITE_P(View, NetOther, ::testing::Values(
    NetRow{"12|ok", "net_view", "", ""},
    NetRow{"12|op1|2=SERVER1|ok", "net_view_\\\\SERVER1"},
    NetRow{"12|op1|2=\\\\SERVER1|ok", "net_view_\\\\\\\\SERVER1"},
    NetRow{"12|op1|ok", kBefore, kNoComputer, "Edit_net2=コンピュータ名"},
    NetRow{"12|op1|2=SERVER1|op0|ok", "net_view", "", ""},
    // Unticked by a second click: the list stays, the builder is silent.
    NetRow{"12|again|op1|ok", kBefore, "", ""}));
INSTANTIATE_TEST_SUITE_P(Session, NetOther, ::testing::Values(
    NetRow{"13|ok", "net_session"},
    NetRow{"13|op1|2=SERVER1|ok", "net_session_\\\\SERVER1_/delete"},
    NetRow{"13|op1|2=|ok", kBefore, kNoComputer}));
INSTANTIATE_TEST_SUITE_P(File, NetOther, ::testing::Values(
    NetRow{"14|ok", "net_file"},
    NetRow{"14|op1|2=12|ok", "net_file_12_/close"},
    NetRow{"14|op1|ok", kBefore, "識別番号を入力して下さい。"}));

constexpr const char* kNoQueue =
    "コンピュータ名と共有プリンタ名を入力して下さい。";
constexpr const char* kNoJob = "共有プリンタ名とジョブ番号等を入力して下さい。";
INSTANTIATE_TEST_SUITE_P(Print, NetOther, ::testing::Values(
    NetRow{"15|ok", kBefore, kNoQueue,
           "Edit_net2=コンピュータ名 | Edit_net3=共有プリンタ名"},
    NetRow{"15|2=PRNSRV|3=LaserA|ok", "net_print_\\\\PRNSRV\\LaserA"},
    NetRow{"15|2=PRNSRV|ok", kBefore, kNoQueue},
    NetRow{"15|op1|2=PRNSRV|3=LaserA|4=7|ok",
           "net_print_\\\\PRNSRV\\LaserA_7_/hold"},
    NetRow{"15|op2|2=PRNSRV|3=LaserA|4=7|ok",
           "net_print_\\\\PRNSRV\\LaserA_7_/release"},
    NetRow{"15|op3|2=PRNSRV|3=LaserA|4=7|ok",
           "net_print_\\\\PRNSRV\\LaserA_7_/delete"},
    NetRow{"15|op1|3=LaserA|4=7|ok", kBefore, kNoJob},
    NetRow{"15|op2|2=PRNSRV|3=LaserA|ok", kBefore, kNoJob},
    NetRow{"15|op3|2=PRNSRV|3=LaserA|4=|ok", kBefore, kNoJob,
           "Edit_net2=PRNSRV | Edit_net3=LaserA | Edit_net4="},
    NetRow{"15|op1|2=PRNSRV|3=LaserA|4=7|op2", kBefore, "",
           "Edit_net2=コンピュータ名 | Edit_net3=共有プリンタ名 | "
           "Edit_net4=ジョブ番号"},
    NetRow{"15|op1|op0", kBefore, "",
           "Edit_net2=コンピュータ名 | Edit_net3=共有プリンタ名"},
    NetRow{"15|2=PRNSRV|3=Laser A|ok", "net_print_\\\\PRNSRV\\Laser_A"}));

INSTANTIATE_TEST_SUITE_P(Config, NetOther, ::testing::Values(
    NetRow{"16|ok", "net_config_server", "", ""},
    NetRow{"16|op1|ok", "net_config_workstation"},
    NetRow{"16|op3|ok", "net_config_server_/hidden:_yes", "", ""},
    NetRow{"16|op2|ok", "net_config_server_/autodisconnect:_", "",
           "Edit_net1= | LBL_Net1=分(切断無 -1)"},
    NetRow{"16|op2|1=-1|ok", "net_config_server_/autodisconnect:_-1"},
    NetRow{"16|op2|1=15|op3|op2|ok", "net_config_server_/autodisconnect:_15",
           "", "Edit_net1=15 | LBL_Net1=分(切断無 -1)"},
    NetRow{"16|op2|op0", kBefore, "", ""},
    NetRow{"16|op2|1=15|16|op2|ok", "net_config_server_/autodisconnect:_"}));
INSTANTIATE_TEST_SUITE_P(Name, NetOther, ::testing::Values(
    NetRow{"17|2=ALIAS1|op1|op0|ok", "net_name_ALIAS1_/add"},
    NetRow{"17|op1|2=ALIAS1|ok", "net_name_ALIAS1_/del"},
    NetRow{"17|op1|ok", kBefore, "エイリアス名を入力して下さい。"}));
INSTANTIATE_TEST_SUITE_P(Send, NetOther, ::testing::Values(
    NetRow{"18|2=PC2|m=Meeting at 3|ok", "net_send_PC2_Meeting_at_3"},
    NetRow{"18|m=Meeting at 3|ok", kBefore, "送信先を入力して下さい。"},
    NetRow{"18|2=PC2|ok", "net_send_PC2_"},
    NetRow{"18|2=PC2|m=Meeting\r\nat 3|ok", "net_send_PC2_Meeting\r\nat_3"},
    // The message is hidden by the reset, never emptied.
    NetRow{"18|m=Meeting|19", kBefore, "", ""},
    NetRow{"18|m=Meeting|17|18", kBefore, "", "Edit_net2=送信先 | Memo4=Meeting"}));
INSTANTIATE_TEST_SUITE_P(Statistics, NetOther, ::testing::Values(
    NetRow{"19|ok", "net_statistics_server", "", ""},
    NetRow{"19|op1|ok", "net_statistics_workstation"}));

INSTANTIATE_TEST_SUITE_P(Time, NetOther, ::testing::Values(
    NetRow{"20|ok", "net_time_\\\\コンピュータ名_/domain:ドメイン名", "",
           "Edit_net2=コンピュータ名 | Edit_net3=ドメイン名"},
    NetRow{"20|2=DC1|3=CORP|ok", "net_time_\\\\DC1_/domain:CORP"},
    NetRow{"20|op1|2=DC1|3=CORP|ok", "net_time_\\\\DC1_/rtsdomain:CORP_/set"},
    NetRow{"20|3=CORP|op2|2=DC1|ok", "net_time_\\\\DC1_/querysntp", "",
           "Edit_net2=DC1"},
    NetRow{"20|op2|op3|2=DC1|3=ntp1|ok", "net_time_\\\\DC1_/setsntp:\"ntp1\""},
    NetRow{"20|2=DC1|3=CORP|op3", kBefore, "",
           "Edit_net2=コンピュータ名 | Edit_net3=ドメイン名"}));
INSTANTIATE_TEST_SUITE_P(Help, NetOther, ::testing::Values(
    NetRow{"21|2=use|ok", "net_help_use"},
    NetRow{"21|2=use|op1|ok", "net_use_/?", "", "Edit_net2=use"},
    NetRow{"21|op1|2=|ok", "net__/?"},
    NetRow{"21|2=|ok", "net_help_"}));
INSTANTIATE_TEST_SUITE_P(Helpmsg, NetOther, ::testing::Values(
    NetRow{"22|2=2182|ok", "net_helpmsg_2182"},
    NetRow{"22|ok", "net_helpmsg_メッセージ番号"}));

// A command file holds one command a line: the rest of a message with line
// breaks would be run as commands of their own.
TEST_F(NetOther, TeachingALineWithALineBreakIsRefused) {
  chooseTool(app::kNet);
  perform("18|2=PC2|m=Meeting|ok");
  click("btnTeach");
  perform("m=Meeting\r\nformat c:|ok");
  click("btnTeach");
  EXPECT_EQ(os.messages, std::vector<std::string>{
                             "改行を含むコマンドラインはﾃｰﾁﾝｸﾞ出来ません。"});
  EXPECT_EQ(text("Memo3"), "net send PC2 Meeting");
}

}  // namespace
}  // namespace velquin::test
