// The net page's sub-commands 12 to 22 (view, session, file, print, config,
// name, send, statistics, time, help, helpmsg), driven as a user: choose the
// category, tick the box, pick an operation, fill the fields, confirm.
#include <ostream>
#include <string>
#include <vector>

#include "support/app_fixture.h"

namespace velquin::test {
namespace {

struct Step {
  enum Kind { Tick, Click, Pick, Enter, Type } kind;
  const char* name = "";
  const char* text = "";
  int index = 0;
};
// The category page of sub-command `number` chosen, then its box clicked.
Step Tick(int number) { return {Step::Tick, "", "", number}; }
Step Click(const char* name) { return {Step::Click, name}; }
Step Op(int index) { return {Step::Pick, "ComboBox1", "", index}; }
Step Enter(const char* field) { return {Step::Enter, field}; }
Step Type(const char* field, const char* text) {
  return {Step::Type, field, text};
}
const Step kConfirm = Click("btnNet");

struct NetRow {
  const char* what;
  std::vector<Step> steps;
  const char* line;     // Edit1 afterwards, blanks as "_"; kBefore: unchanged
  const char* message;  // the message box shown, or ""
  // The option-area fields on view afterwards with their texts, or nullptr
  // when the row does not look at them.
  const char* view = nullptr;
};

constexpr const char* kBefore = "ipconfig_/all";

void PrintTo(const NetRow& row, std::ostream* os) { *os << row.what; }

class NetOther : public AppTest, public ::testing::WithParamInterface<NetRow> {
 protected:
  void perform(const Step& s) {
    switch (s.kind) {
      case Step::Tick:
        pick("RadioGroup4", s.index >= 16 ? 3 : 2);
        click("CB_net_" + std::to_string(s.index));
        break;
      case Step::Click: click(s.name); break;
      case Step::Pick: pick(s.name, s.index); break;
      case Step::Enter: enter(s.name); break;
      case Step::Type: type(s.name, s.text); break;
    }
  }
  // "Edit_net2=text | ..." for each value field on view, and the unit label
  // when it says something.
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
  for (const Step& s : row.steps) perform(s);
  EXPECT_EQ(line(), row.line);
  if (*row.message)
    EXPECT_EQ(os.messages, std::vector<std::string>{row.message});
  else
    EXPECT_TRUE(os.messages.empty()) << os.messages.front();
  if (row.view) EXPECT_EQ(view(), row.view);
}

INSTANTIATE_TEST_SUITE_P(View, NetOther, ::testing::Values(
    NetRow{"listing at once, no field", {Tick(12), kConfirm}, "net_view", "",
           ""},
    NetRow{"shares of a computer", {Tick(12), Op(1),
           Type("Edit_net2", "SERVER1"), kConfirm}, "net_view_\\\\SERVER1",
           ""},
    NetRow{"typed backslashes come on top of the builder's",
           {Tick(12), Op(1), Type("Edit_net2", "\\\\SERVER1"), kConfirm},
           "net_view_\\\\\\\\SERVER1", ""},
    NetRow{"the placeholder is no name", {Tick(12), Op(1), kConfirm},
           kBefore, "コンピュータ名を入力して下さい。",
           "Edit_net2=コンピュータ名"},
    NetRow{"back to the listing: the name is dropped and hidden",
           {Tick(12), Op(1), Type("Edit_net2", "SERVER1"), Op(0), kConfirm},
           "net_view", "", ""},
    NetRow{"the box clicked again unticks it: operations on view, no line",
           {Tick(12), Click("CB_net_12"), Op(1), kConfirm}, kBefore, "",
           ""}));

INSTANTIATE_TEST_SUITE_P(Session, NetOther, ::testing::Values(
    NetRow{"listing", {Tick(13), kConfirm}, "net_session", ""},
    NetRow{"end a session", {Tick(13), Op(1), Type("Edit_net2", "SERVER1"),
           kConfirm}, "net_session_\\\\SERVER1_/delete", ""},
    NetRow{"name emptied", {Tick(13), Op(1), Enter("Edit_net2"), kConfirm},
           kBefore, "コンピュータ名を入力して下さい。"}));

INSTANTIATE_TEST_SUITE_P(File, NetOther, ::testing::Values(
    NetRow{"listing", {Tick(14), kConfirm}, "net_file", ""},
    NetRow{"close a file", {Tick(14), Op(1), Type("Edit_net2", "12"),
           kConfirm}, "net_file_12_/close", ""},
    NetRow{"number not typed", {Tick(14), Op(1), kConfirm}, kBefore,
           "識別番号を入力して下さい。", "Edit_net2=識別番号"}));

constexpr const char* kNoQueue =
    "コンピュータ名と共有プリンタ名を入力して下さい。";
constexpr const char* kNoJob = "共有プリンタ名とジョブ番号等を入力して下さい。";

INSTANTIATE_TEST_SUITE_P(Print, NetOther, ::testing::Values(
    NetRow{"ticked and confirmed at once", {Tick(15), kConfirm}, kBefore,
           kNoQueue, "Edit_net2=コンピュータ名 | Edit_net3=共有プリンタ名"},
    NetRow{"the queue", {Tick(15), Type("Edit_net2", "PRNSRV"),
           Type("Edit_net3", "LaserA"), kConfirm},
           "net_print_\\\\PRNSRV\\LaserA", ""},
    NetRow{"printer missing", {Tick(15), Type("Edit_net2", "PRNSRV"),
           kConfirm}, kBefore, kNoQueue},
    NetRow{"hold", {Tick(15), Op(1), Type("Edit_net2", "PRNSRV"),
           Type("Edit_net3", "LaserA"), Type("Edit_net4", "7"), kConfirm},
           "net_print_\\\\PRNSRV\\LaserA_7_/hold", ""},
    NetRow{"release", {Tick(15), Op(2), Type("Edit_net2", "PRNSRV"),
           Type("Edit_net3", "LaserA"), Type("Edit_net4", "7"), kConfirm},
           "net_print_\\\\PRNSRV\\LaserA_7_/release", ""},
    NetRow{"delete", {Tick(15), Op(3), Type("Edit_net2", "PRNSRV"),
           Type("Edit_net3", "LaserA"), Type("Edit_net4", "7"), kConfirm},
           "net_print_\\\\PRNSRV\\LaserA_7_/delete", ""},
    NetRow{"a job operation without the computer has the job's message",
           {Tick(15), Op(1), Type("Edit_net3", "LaserA"),
            Type("Edit_net4", "7"), kConfirm}, kBefore, kNoJob},
    NetRow{"job left as its placeholder", {Tick(15), Op(2),
           Type("Edit_net2", "PRNSRV"), Type("Edit_net3", "LaserA"),
           kConfirm}, kBefore, kNoJob},
    NetRow{"job entered and left empty; the printer typed before stays",
           {Tick(15), Op(3), Type("Edit_net2", "PRNSRV"),
            Type("Edit_net3", "LaserA"), Enter("Edit_net4"), kConfirm},
           kBefore, kNoJob,
           "Edit_net2=PRNSRV | Edit_net3=LaserA | Edit_net4="},
    NetRow{"another operation puts every placeholder back",
           {Tick(15), Op(1), Type("Edit_net2", "PRNSRV"),
            Type("Edit_net3", "LaserA"), Type("Edit_net4", "7"), Op(2)},
           kBefore, "",
           "Edit_net2=コンピュータ名 | Edit_net3=共有プリンタ名 | "
           "Edit_net4=ジョブ番号"},
    NetRow{"back to the queue hides the job field", {Tick(15), Op(1), Op(0)},
           kBefore, "", "Edit_net2=コンピュータ名 | Edit_net3=共有プリンタ名"},
    NetRow{"a printer name with a blank goes in unquoted",
           {Tick(15), Type("Edit_net2", "PRNSRV"),
            Type("Edit_net3", "Laser A"), kConfirm},
           "net_print_\\\\PRNSRV\\Laser_A", ""}));

INSTANTIATE_TEST_SUITE_P(Config, NetOther, ::testing::Values(
    NetRow{"server at once", {Tick(16), kConfirm}, "net_config_server", "",
           ""},
    NetRow{"workstation", {Tick(16), Op(1), kConfirm},
           "net_config_workstation", ""},
    NetRow{"hidden", {Tick(16), Op(3), kConfirm},
           "net_config_server_/hidden:_yes", "", ""},
    NetRow{"idle time left empty keeps the blank after the colon",
           {Tick(16), Op(2), kConfirm}, "net_config_server_/autodisconnect:_",
           "", "Edit_net1= | LBL_Net1=分(切断無 -1)"},
    NetRow{"idle time", {Tick(16), Op(2), Type("Edit_net1", "15"), kConfirm},
           "net_config_server_/autodisconnect:_15", ""},
    NetRow{"never disconnect", {Tick(16), Op(2), Type("Edit_net1", "-1"),
           kConfirm}, "net_config_server_/autodisconnect:_-1", ""},
    NetRow{"the minutes survive a visit to another operation",
           {Tick(16), Op(2), Type("Edit_net1", "15"), Op(3), Op(2), kConfirm},
           "net_config_server_/autodisconnect:_15", "",
           "Edit_net1=15 | LBL_Net1=分(切断無 -1)"},
    NetRow{"another operation hides the minutes and their unit",
           {Tick(16), Op(2), Op(0)}, kBefore, "", ""},
    NetRow{"ticking again empties the minutes",
           {Tick(16), Op(2), Type("Edit_net1", "15"), Tick(16), Op(2),
            kConfirm}, "net_config_server_/autodisconnect:_", ""}));

INSTANTIATE_TEST_SUITE_P(Name, NetOther, ::testing::Values(
    NetRow{"add", {Tick(17), Type("Edit_net2", "ALIAS1"), kConfirm},
           "net_name_ALIAS1_/add", "", "Edit_net2=ALIAS1"},
    NetRow{"delete", {Tick(17), Op(1), Type("Edit_net2", "ALIAS1"),
           kConfirm}, "net_name_ALIAS1_/del", ""},
    NetRow{"the alias stays across operations",
           {Tick(17), Type("Edit_net2", "ALIAS1"), Op(1), Op(0), kConfirm},
           "net_name_ALIAS1_/add", ""},
    NetRow{"alias missing", {Tick(17), Op(1), kConfirm}, kBefore,
           "エイリアス名を入力して下さい。"}));

INSTANTIATE_TEST_SUITE_P(Send, NetOther, ::testing::Values(
    NetRow{"a message", {Tick(18), Type("Edit_net2", "PC2"),
           Type("Memo4", "Meeting at 3"), kConfirm},
           "net_send_PC2_Meeting_at_3", ""},
    NetRow{"recipient left as its placeholder", {Tick(18),
           Type("Memo4", "Meeting at 3"), kConfirm}, kBefore,
           "送信先を入力して下さい。"},
    NetRow{"an empty message ends the line in a blank",
           {Tick(18), Type("Edit_net2", "PC2"), kConfirm}, "net_send_PC2_",
           ""},
    NetRow{"the lines of a message keep their line breaks",
           {Tick(18), Type("Edit_net2", "PC2"), Type("Memo4", "Meeting\r\nat 3"),
            kConfirm}, "net_send_PC2_Meeting\r\nat_3", ""},
    NetRow{"another sub-command hides the message; it comes back whole",
           {Tick(18), Type("Memo4", "Meeting"), Tick(17), Tick(18)}, kBefore,
           "", "Edit_net2=送信先 | Memo4=Meeting"},
    NetRow{"hidden by the reset", {Tick(18), Type("Memo4", "Meeting"),
           Tick(19)}, kBefore, "", ""}));

INSTANTIATE_TEST_SUITE_P(Statistics, NetOther, ::testing::Values(
    NetRow{"server", {Tick(19), kConfirm}, "net_statistics_server", "", ""},
    NetRow{"workstation", {Tick(19), Op(1), kConfirm},
           "net_statistics_workstation", ""}));

INSTANTIATE_TEST_SUITE_P(Time, NetOther, ::testing::Values(
    NetRow{"untouched: the placeholders go into the line",
           {Tick(20), kConfirm},
           "net_time_\\\\コンピュータ名_/domain:ドメイン名", "",
           "Edit_net2=コンピュータ名 | Edit_net3=ドメイン名"},
    NetRow{"domain", {Tick(20), Type("Edit_net2", "DC1"),
           Type("Edit_net3", "CORP"), kConfirm},
           "net_time_\\\\DC1_/domain:CORP", ""},
    NetRow{"time server of the domain", {Tick(20), Op(1),
           Type("Edit_net2", "DC1"), Type("Edit_net3", "CORP"), kConfirm},
           "net_time_\\\\DC1_/rtsdomain:CORP_/set", ""},
    NetRow{"show the NTP server: one field", {Tick(20),
           Type("Edit_net3", "CORP"), Op(2), Type("Edit_net2", "DC1"),
           kConfirm}, "net_time_\\\\DC1_/querysntp", "", "Edit_net2=DC1"},
    NetRow{"set the NTP server: quoted", {Tick(20), Op(2), Op(3),
           Type("Edit_net2", "DC1"), Type("Edit_net3", "ntp1"), kConfirm},
           "net_time_\\\\DC1_/setsntp:\"ntp1\"", ""},
    NetRow{"every change asks for the computer and the domain afresh",
           {Tick(20), Type("Edit_net2", "DC1"), Type("Edit_net3", "CORP"),
            Op(3)}, kBefore, "",
           "Edit_net2=コンピュータ名 | Edit_net3=ドメイン名"}));

INSTANTIATE_TEST_SUITE_P(Help, NetOther, ::testing::Values(
    NetRow{"usage", {Tick(21), Type("Edit_net2", "use"), kConfirm},
           "net_help_use", ""},
    NetRow{"options; the typed name stays across operations",
           {Tick(21), Type("Edit_net2", "use"), Op(1), kConfirm},
           "net_use_/?", "", "Edit_net2=use"},
    NetRow{"options with the name emptied", {Tick(21), Op(1),
           Enter("Edit_net2"), kConfirm}, "net__/?", ""},
    NetRow{"usage with the name emptied", {Tick(21), Enter("Edit_net2"),
           kConfirm}, "net_help_", ""}));

INSTANTIATE_TEST_SUITE_P(Helpmsg, NetOther, ::testing::Values(
    NetRow{"a message number", {Tick(22), Type("Edit_net2", "2182"),
           kConfirm}, "net_helpmsg_2182", ""},
    NetRow{"the placeholder goes in", {Tick(22), kConfirm},
           "net_helpmsg_メッセージ番号", "", "Edit_net2=メッセージ番号"}));

// A command file holds one command a line: the rest of a several-line
// message would be run as commands of its own.
TEST_F(NetOther, TeachingALineWithALineBreakIsRefused) {
  chooseTool(app::kNet);
  pick("RadioGroup4", 3);
  click("CB_net_18");
  type("Edit_net2", "PC2");
  type("Memo4", "Meeting");
  click("btnNet");
  click("btnTeach");
  EXPECT_EQ(text("Memo3"), "net send PC2 Meeting");

  type("Memo4", "Meeting\r\nformat c:");
  click("btnNet");
  click("btnTeach");
  EXPECT_EQ(os.messages, std::vector<std::string>{
                             "改行を含むコマンドラインはﾃｰﾁﾝｸﾞ出来ません。"});
  EXPECT_EQ(text("Memo3"), "net send PC2 Meeting");
}

}  // namespace
}  // namespace velquin::test
