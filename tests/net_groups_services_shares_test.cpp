// net group, net localgroup, the four service commands, net share and net
// use on the net page, driven as a user: category, box, operation, fields,
// confirm.
#include <ostream>
#include <string>
#include <vector>

#include "support/app_fixture.h"

namespace velquin::test {
namespace {

struct NetCase {
  // Steps separated by "; ": "Name=text" enters the field and types the
  // text (blanks kept); any other step is one of AppTest::steps.
  std::string steps;
  // The option area before confirming: the texts of Edit_net2 and
  // Edit_net3, in [] when shown and in () when hidden, and "panel" when
  // the share options are on view.
  const char* view;
  const char* line;     // Edit1 after confirm, blanks as "_"; nullptr: kept
  const char* message;  // the one message shown, or nullptr
};

void PrintTo(const NetCase& c, std::ostream* os) { *os << c.steps; }

class NetOptions : public AppTest,
                   public ::testing::WithParamInterface<NetCase> {
 protected:
  NetOptions() {
    chooseTool(app::kNet);
    type("Edit1", "ipconfig");
  }
  void perform(const std::string& list) {
    for (size_t at = 0; at <= list.size();) {
      size_t end = list.find("; ", at);
      if (end == std::string::npos) end = list.size();
      const std::string step = list.substr(at, end - at);
      const size_t eq = step.find('=');
      if (eq != std::string::npos && step.find(' ') > eq) {
        enter(step.substr(0, eq));
        type(step.substr(0, eq), step.substr(eq + 1));
      } else {
        steps({step});
      }
      at = end + 2;
    }
  }
  std::string view() {
    std::string v;
    for (const char* name : {"Edit_net2", "Edit_net3"}) {
      const bool on = (*this)[name].visible();
      v += (v.empty() ? "" : " ") + std::string(on ? "[" : "(") + text(name) +
           (on ? "]" : ")");
    }
    return (*this)["Panel10"].visible() ? v + " panel" : v;
  }
};

TEST_P(NetOptions, ShowsTheFieldsAndConfirmWritesTheLineOrAsks) {
  const NetCase& c = GetParam();
  perform(c.steps);
  EXPECT_TRUE((*this)["ComboBox1"].showing());
  EXPECT_FALSE((*this)["Edit_net1"].visible());
  EXPECT_EQ(view(), c.view);
  click("btnNet");
  EXPECT_EQ(line(), c.line ? c.line : "ipconfig");
  EXPECT_EQ(os.messages, c.message ? std::vector<std::string>{c.message}
                                   : std::vector<std::string>{});
}

const std::string kLocal = "click CB_net_05; pick ComboBox1 ";

INSTANTIATE_TEST_SUITE_P(NetGroups, NetOptions, ::testing::Values(
    NetCase{"click CB_net_04", "() ()", "net_group", nullptr},
    NetCase{"click CB_net_04; pick ComboBox1 1", "() ()", "net_group_/domain",
            nullptr},
    // Ticking writes no placeholder; every change writes both, hidden too.
    NetCase{"click CB_net_05", "() ()", "net_localgroup", nullptr},
    NetCase{kLocal + "0", "(グループ名) (ユーザー名)", "net_localgroup", nullptr},
    NetCase{kLocal + "1", "[グループ名] (ユーザー名)", nullptr,
            "グループ名を入力して下さい。"},
    NetCase{kLocal + "2; Edit_net2= Sales A", "[ Sales A] (ユーザー名)",
            "net_localgroup__Sales_A_/delete", nullptr},
    NetCase{kLocal + "1; Edit_net2=Staff; pick ComboBox1 2",
            "[グループ名] (ユーザー名)", nullptr, "グループ名を入力して下さい。"},
    NetCase{kLocal + "3; Edit_net2=Staff; Edit_net3=bob", "[Staff] [bob]",
            "net_localgroup_Staff_bob_/add", nullptr},
    NetCase{kLocal + "4; Edit_net2=Staff; Edit_net3=bob", "[Staff] [bob]",
            "net_localgroup_Staff_bob_/delete", nullptr},
    NetCase{kLocal + "4; Edit_net2=Staff", "[Staff] [ユーザー名]", nullptr,
            "グループ名とユーザー名を入力して下さい。"}));

const std::string kStart = "pick RadioGroup4 1; click CB_net_06";
const std::string kStop = "pick RadioGroup4 1; click CB_net_07";
constexpr const char* kNeedService = "サービス名を入力して下さい。";

INSTANTIATE_TEST_SUITE_P(NetServices, NetOptions, ::testing::Values(
    NetCase{kStart, "() ()", "net_start", nullptr},
    NetCase{kStart + "; pick ComboBox1 1", "[サービス名] ()", nullptr,
            kNeedService},
    NetCase{kStart + "; pick ComboBox1 1; Edit_net2=Spooler", "[Spooler] ()",
            "net_start_Spooler", nullptr},
    NetCase{kStart + "; pick ComboBox1 1; Edit_net2=x; pick ComboBox1 0",
            "(サービス名) ()", "net_start", nullptr},
    NetCase{kStop, "[サービス名] ()", nullptr, kNeedService},
    NetCase{kStop + "; Edit_net2=Spooler", "[Spooler] ()", "net_stop_Spooler",
            nullptr},
    // One blank is a name: the line ends in two blanks.
    NetCase{kStop + "; Edit_net2= ", "[ ] ()", "net_stop__", nullptr},
    NetCase{"pick RadioGroup4 1; click CB_net_08; Edit_net2=Spooler",
            "[Spooler] ()", "net_pause_Spooler", nullptr},
    NetCase{"pick RadioGroup4 1; click CB_net_08; enter Edit_net2", "[] ()",
            nullptr, kNeedService},
    NetCase{"pick RadioGroup4 1; click CB_net_09; Edit_net2=Spooler",
            "[Spooler] ()", "net_continue_Spooler", nullptr}));

const std::string kShare = "pick RadioGroup4 2; click CB_net_10";
const std::string kDocs =
    kShare + "; pick ComboBox1 1; Edit_net2=DOCS; Edit_net3=D:\\Shared";
constexpr const char* kDocsView = "[DOCS] [D:\\Shared] panel";
constexpr const char* kNeedShare = "共有名とドライブ+パスを入力して下さい。";

INSTANTIATE_TEST_SUITE_P(NetShares, NetOptions, ::testing::Values(
    NetCase{kShare, "() ()", "net_share", nullptr},
    NetCase{kShare + "; pick ComboBox1 1",
            "[共有名] [ドライブ+パス(C:\\Temp)] panel", nullptr, kNeedShare},
    NetCase{kDocs, kDocsView, "net_share_DOCS=D:\\Shared", nullptr},
    NetCase{kDocs + "; click CheckBox1; Edit7=5; click CheckBox2; "
                    "Edit8=team files",
            kDocsView, "net_share_DOCS=D:\\Shared_/users:5_/remark:\"team_files\"",
            nullptr},
    NetCase{kDocs + "; click CheckBox1; Edit7=-1; Edit8=x", kDocsView,
            "net_share_DOCS=D:\\Shared_/unlimited", nullptr},
    // Only "-1" exactly means no limit; other texts go in as typed, an
    // empty one not at all; an unticked box's text is ignored.
    NetCase{kDocs + "; click CheckBox1; Edit7=-1 ", kDocsView,
            "net_share_DOCS=D:\\Shared_/users:-1_", nullptr},
    NetCase{kDocs + "; click CheckBox1", kDocsView, "net_share_DOCS=D:\\Shared",
            nullptr},
    NetCase{kDocs + "; Edit7=5", kDocsView, "net_share_DOCS=D:\\Shared", nullptr},
    // The remark is quoted even when empty.
    NetCase{kDocs + "; click CheckBox2", kDocsView,
            "net_share_DOCS=D:\\Shared_/remark:\"\"", nullptr},
    NetCase{kShare + "; pick ComboBox1 1; Edit_net2=DOCS",
            "[DOCS] [ドライブ+パス(C:\\Temp)] panel", nullptr, kNeedShare},
    // A text that merely holds the placeholder is a name.
    NetCase{kShare + "; pick ComboBox1 2; Edit_net2=共有名 ",
            "[共有名 ] (ドライブ+パス(C:\\Temp))", "net_share_共有名__/delete",
            nullptr},
    NetCase{kShare + "; pick ComboBox1 2", "[共有名] (ドライブ+パス(C:\\Temp))",
            nullptr, "共有名を入力して下さい。"},
    // The focused box clicked again unticks without a reset: the list
    // stays, a change shows nothing and confirm builds nothing.
    NetCase{kShare + "; click CB_net_10; pick ComboBox1 1", "() ()", nullptr,
            nullptr}));

const std::string kUse = "pick RadioGroup4 2; click CB_net_11";
const std::string kMapZ =
    kUse + "; pick ComboBox1 1; Edit_net2=Z; Edit_net3=\\\\PC1\\Temp";
constexpr const char* kNeedMapping = "デバイス名とＰＣ名+共有名を入力して下さい。";

INSTANTIATE_TEST_SUITE_P(NetUse, NetOptions, ::testing::Values(
    NetCase{kUse, "() ()", "net_use", nullptr},
    // Ticked straight after the share options were shown: the reset of
    // the arrival takes them away.
    NetCase{kShare + "; pick ComboBox1 1; click CB_net_11", "() ()", "net_use",
            nullptr},
    NetCase{kMapZ, "[Z] [\\\\PC1\\Temp]", "net_use_Z:_\\\\PC1\\Temp", nullptr},
    // The colon is always added, also after one typed.
    NetCase{kMapZ + "; Edit_net2=Z:", "[Z:] [\\\\PC1\\Temp]",
            "net_use_Z::_\\\\PC1\\Temp", nullptr},
    NetCase{kUse + "; pick ComboBox1 1; enter Edit_net3; Edit_net2=Z", "[Z] []",
            nullptr, kNeedMapping},
    NetCase{kMapZ + "; pick ComboBox1 2; pick ComboBox1 1",
            "[デバイス名] [ＰＣ名+共有名(\\\\PC1\\Temp)]", nullptr, kNeedMapping},
    NetCase{kUse + "; pick ComboBox1 2; Edit_net2=Z",
            "[Z] (ＰＣ名+共有名(\\\\PC1\\Temp))", "net_use_Z:_/d", nullptr},
    NetCase{kUse + "; pick ComboBox1 2", "[デバイス名] (ＰＣ名+共有名(\\\\PC1\\Temp))",
            nullptr, "デバイス名を入力して下さい。"}));

// The share options keep what the user set for the whole run: the page
// reset, another sub-command and another tool leave them alone.
TEST_F(NetOptions, ShareOptionsOutliveOtherSubCommandsAndTools) {
  perform(kDocs + "; click CheckBox1; Edit7=7; click CheckBox2; Edit8=kept; " +
          kUse + "; tool 0; tool 6");
  // Back on the net page the first category is in front while the choice
  // still says the third: the user picks another and comes back.
  perform("pick RadioGroup4 0; " + kDocs + "; click btnNet");
  EXPECT_EQ(line(), "net_share_DOCS=D:\\Shared_/users:7_/remark:\"kept\"");
}

}  // namespace
}  // namespace velquin::test
