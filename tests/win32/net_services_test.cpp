// The net page's group, service and share commands in the real window:
// each builder's line from native clicks and keys, and service commands
// run through the system's own net program.
#include <ostream>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "tool_pages.h"

namespace velquin::test {
namespace {

class NetServices : public ToolPages {
 protected:
  NetServices() { chooseTool(app::kNet); }
  // Confirms and runs the line; the output view holds the line and what
  // the system's net prints for it, Japanese included.
  void confirmAndRun(const std::string& command) {
    click("btnNet");
    ASSERT_EQ(text("Edit1"), command);
    const std::string printed = systemOutput(command);
    ASSERT_GT(japaneseCharacters(printed), 5) << printed;
    ASSERT_TRUE(runToEnd());
    EXPECT_EQ(text("Memo0"), command + "\r\n" + printed);
  }
};

TEST_F(NetServices, NetStartShowsTheSystemsListOfRunningServices) {
  click("RadioGroup4#1");
  click("CB_net_06");
  EXPECT_TRUE(visible("ComboBox1"));
  EXPECT_FALSE(visible("Edit_net2"));
  confirmAndRun("net start");
}

TEST_F(NetServices, NetStopOfAMissingServiceShowsTheSystemsMessage) {
  click("RadioGroup4#1");
  click("CB_net_07");
  EXPECT_EQ(text("Edit_net2"), "サービス名");
  enterField("Edit_net2");
  EXPECT_EQ(text("Edit_net2"), "");
  typeInto("Edit_net2", "NoSuchService");
  confirmAndRun("net stop NoSuchService");
}

struct NetFlow {
  const char* what;
  std::vector<Step> steps;
  const char* line;  // Edit1 afterwards, blanks shown as "_"
};

void PrintTo(const NetFlow& f, std::ostream* os) { *os << f.what; }

class NetServicesFlow : public NetServices,
                        public ::testing::WithParamInterface<NetFlow> {};

TEST_P(NetServicesFlow, WritesItsLineIntoTheCommandLineField) {
  perform(GetParam().steps);
  EXPECT_EQ(line(), GetParam().line);
  EXPECT_EQ(main()["Edit1"].text(), text("Edit1"));
  EXPECT_TRUE(os.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(NetServices, NetServicesFlow, ::testing::Values(
    NetFlow{"net group on the domain",
            {Click("CB_net_04"), Choose("ComboBox1", 1), Click("btnNet")},
            "net_group_/domain"},
    NetFlow{"net localgroup, a user added, Alt+S",
            {Click("CB_net_05"), Choose("ComboBox1", 3),
             Type("Edit_net2", "Staff"), Type("Edit_net3", "bob"), Alt("s")},
            "net_localgroup_Staff_bob_/add"},
    NetFlow{"net pause",
            {Click("RadioGroup4#1"), Click("CB_net_08"),
             Type("Edit_net2", "Spooler"), Click("btnNet")},
            "net_pause_Spooler"},
    NetFlow{"net continue, Alt+S",
            {Click("RadioGroup4#1"), Click("CB_net_09"),
             Type("Edit_net2", "Spooler"), Alt("s")},
            "net_continue_Spooler"},
    NetFlow{"net share with a user limit and a remark",
            {Click("RadioGroup4#2"), Click("CB_net_10"), Choose("ComboBox1", 1),
             Type("Edit_net2", "DOCS"), Type("Edit_net3", "D:\\Shared"),
             Click("CheckBox1"), Type("Edit7", "-1"), Click("CheckBox2"),
             Type("Edit8", "team files"), Click("btnNet")},
            "net_share_DOCS=D:\\Shared_/unlimited_/remark:\"team_files\""},
    NetFlow{"net use, a drive mapped, Alt+S",
            {Click("RadioGroup4#2"), Click("CB_net_11"), Choose("ComboBox1", 1),
             Type("Edit_net2", "Z"), Type("Edit_net3", "\\\\PC1\\Temp"),
             Alt("s")},
            "net_use_Z:_\\\\PC1\\Temp"}));

}  // namespace
}  // namespace velquin::test
