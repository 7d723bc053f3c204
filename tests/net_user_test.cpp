// net user on the net page, driven as a user: tick its box, choose the
// operation, fill the two option pages, confirm.
#include <ostream>
#include <string>
#include <vector>

#include "support/app_fixture.h"

namespace velquin::test {
namespace {

constexpr const char* kNeedBoth = "ユーザー名とパスワードを入力して下さい。";
constexpr const char* kNeedName = "ユーザー名を入力して下さい。";

struct Step {
  enum Kind { Click, Type, Enter, Pick } kind;
  const char* name;
  const char* text = "";
  int index = 0;
};
Step Click(const char* name) { return {Step::Click, name}; }
Step Type(const char* name, const char* text) { return {Step::Type, name, text}; }
Step Enter(const char* name) { return {Step::Enter, name}; }
Step Pick(const char* name, int index) { return {Step::Pick, name, "", index}; }

using Steps = std::vector<Step>;
Steps operator+(Steps a, const Steps& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

class NetUser : public AppTest {
 protected:
  // The net page with net user ticked: its first option page in front.
  void start() {
    chooseTool(app::kNet);
    click("CB_net_03");
  }
  void perform(const Steps& steps) {
    for (const Step& s : steps) {
      switch (s.kind) {
        case Step::Click: click(s.name); break;
        case Step::Type: type(s.name, s.text); break;
        case Step::Enter: enter(s.name); break;
        case Step::Pick: pick(s.name, s.index); break;
      }
    }
  }
  bool showing(const char* name) { return main()[name].showing(); }
};

const Steps kAddBob = {Pick("RG_user", 1), Type("Edit_user1", "bob"),
                       Type("Edit_user2", "pw")};
const Steps kNext = {Click("btnNext")};
const Steps kHours = kAddBob + kNext + Steps{Click("CB_user11")};
const Steps kEveryOption = {
    Click("CB_user01"), Click("CB_user02"), Click("CB_user03"),
    Click("CB_user04"), Click("CB_user05"), Click("CB_user06"),
    Click("CB_user07"), Click("CB_user08"), Click("btnNext"),
    Click("CB_user09"), Click("CB_user10"), Click("CB_user11"),
    Click("CB_user12"), Click("CB_user13")};

struct UserRow {
  const char* what;
  Steps steps;        // after ticking CB_net_03
  const char* line;   // Edit1 after confirming, blanks as "_"
  const char* message = "";
};

void PrintTo(const UserRow& row, std::ostream* os) { *os << row.what; }

class NetUserLine : public NetUser,
                    public ::testing::WithParamInterface<UserRow> {};

TEST_P(NetUserLine, ConfirmWritesTheLineOrSaysWhatIsMissing) {
  const UserRow& row = GetParam();
  start();
  perform(row.steps);
  type("Edit1", "net view");  // stays when the builder stops
  click("btnNet");
  EXPECT_EQ(line(), row.line);
  if (*row.message)
    EXPECT_EQ(os.messages, std::vector<std::string>{row.message});
  else
    EXPECT_TRUE(os.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(NetUser, NetUserLine, ::testing::Values(
    UserRow{"no operation chosen", {Click("CB_user")}, "net_view"},
    UserRow{"list", {Pick("RG_user", 0)}, "net_user"},
    UserRow{"list on the domain",
            {Pick("RG_user", 0), Click("CB_user")}, "net_user_/domain"},
    UserRow{"another operation unticks the domain",
            {Pick("RG_user", 0), Click("CB_user"), Pick("RG_user", 2),
             Type("Edit_user1", "bob")},
            "net_user_bob_/delete"},
    UserRow{"delete on the domain, the password not read",
            kAddBob + Steps{Pick("RG_user", 2), Click("CB_user")},
            "net_user_bob_/delete_/domain"},
    UserRow{"delete, the name never entered",
            {Pick("RG_user", 2)}, "net_view", kNeedName},
    UserRow{"delete, the name entered and left empty",
            {Pick("RG_user", 2), Enter("Edit_user1")}, "net_view", kNeedName},
    UserRow{"add, the password never entered",
            {Pick("RG_user", 1), Type("Edit_user1", "bob")}, "net_view",
            kNeedBoth},
    UserRow{"add, the name entered and left empty",
            {Pick("RG_user", 1), Enter("Edit_user1"), Type("Edit_user2", "pw")},
            "net_view", kNeedBoth},
    UserRow{"add with every option typed, in the order of the line",
            kAddBob +
                Steps{Click("CB_user"), Pick("CMB_user01", 1),
                      Type("Edit_user0", "81"), Type("Edit_user3", "a b"),
                      Type("Edit_user4", "25/03/31"),
                      Type("Edit_user5", "Bob Smith"),
                      Type("Edit_user6", "\\\\srv\\home"),
                      Type("Edit_user7", "\\\\srv\\prof"),
                      Type("Edit_user8", "logon.bat"), Click("btnNext"),
                      Pick("CMB_user02", 1), Pick("CMB_user03", 1),
                      Pick("CMB_user04", 3), Type("Edit_user9", "8"),
                      Type("Edit_user10", "17"), Pick("CMB_user05", 1),
                      Pick("CMB_user06", 5), Type("Edit_user11", "hi there"),
                      Type("Edit_user12", "PC1,PC2"), Click("btnPre")} +
                kEveryOption,
            "net_user_bob_pw_/add_/active:No_/countrycode:81_"
            "/comment:\"a_b\"_/expires:25/03/31_/fullname:\"Bob_Smith\"_"
            "/homedir:\\\\srv\\home_/profilepath:\\\\srv\\prof_"
            "/scriptpath:logon.bat_/passwordchg:No_/passwordreq:No_"
            "/TIMES:8-17,Mon-Fri_/usercomment:hi_there_"
            "/workstations:PC1,PC2_/domain"},
    // Presets and placeholders go in as text; no mode chosen: no hours.
    UserRow{"add with every option, no field entered",
            kAddBob + kEveryOption,
            "net_user_bob_pw_/add_/active:Yes_/countrycode:392_/comment:\"\"_"
            "/expires:yy/mm/dd_/fullname:\"\"_/homedir:パス名_"
            "/profilepath:パス名_/scriptpath:パス名_/passwordchg:Yes_"
            "/passwordreq:Yes_/usercomment:_/workstations:コンピュータ名"},
    UserRow{"add, fields entered and left empty",
            kAddBob + Steps{Enter("Edit_user0"), Type("Edit_user4", ""),
                            Enter("Edit_user6"), Click("CB_user02"),
                            Click("CB_user04"), Click("CB_user06"),
                            Click("btnNext"), Enter("Edit_user12"),
                            Click("CB_user13")},
            "net_user_bob_pw_/add_/countrycode:_/expires:NEVER_/homedir:_"
            "/workstations:*"},
    UserRow{"add, unticked options count for nothing",
            kAddBob + Steps{Type("Edit_user3", "x"), Pick("CMB_user01", 1),
                            Click("CB_user05"), Click("btnNext"),
                            Pick("CMB_user04", 0), Type("Edit_user12", "PC1")},
            "net_user_bob_pw_/add_/fullname:\"\""},
    UserRow{"logon hours, no limit", kHours + Steps{Pick("CMB_user04", 0)},
            "net_user_bob_pw_/add_/TIMES:ALL"},
    UserRow{"logon hours, the end hour left at its placeholder",
            kHours + Steps{Pick("CMB_user04", 1), Type("Edit_user9", "8")},
            "net_user_bob_pw_/add_/TIMES:8"},
    UserRow{"logon hours, the end hour emptied, the start hour untested",
            kHours + Steps{Pick("CMB_user04", 1), Enter("Edit_user10")},
            "net_user_bob_pw_/add_/TIMES:hh"},
    UserRow{"logon hours, a day range",
            kHours + Steps{Pick("CMB_user04", 2), Pick("CMB_user05", 1),
                           Pick("CMB_user06", 5)},
            "net_user_bob_pw_/add_/TIMES:Mon-Fri"},
    UserRow{"logon hours, no last day",
            kHours + Steps{Pick("CMB_user04", 2), Pick("CMB_user05", 1),
                           Pick("CMB_user06", 5), Click("CB_user11_0")},
            "net_user_bob_pw_/add_/TIMES:Mon"},
    UserRow{"logon hours, hours and days",
            kHours + Steps{Pick("CMB_user04", 3), Type("Edit_user9", "8"),
                           Type("Edit_user10", "17"), Pick("CMB_user05", 1),
                           Pick("CMB_user06", 5)},
            "net_user_bob_pw_/add_/TIMES:8-17,Mon-Fri"},
    UserRow{"logon hours, hours and days untouched",
            kHours + Steps{Pick("CMB_user04", 3)},
            "net_user_bob_pw_/add_/TIMES:hh,Sun-Sun"},
    UserRow{"logon hours, no logon, on the domain",
            kAddBob + Steps{Click("CB_user")} + kNext +
                Steps{Click("CB_user11"), Pick("CMB_user04", 4)},
            "net_user_bob_pw_/add_/TIMES:_/domain"},
    UserRow{"logon hours, no mode chosen", kHours, "net_user_bob_pw_/add"},
    UserRow{"logon hours, a mode typed over",
            kHours + Steps{Pick("CMB_user04", 1),
                           Type("CMB_user04", "8-17")},
            "net_user_bob_pw_/add"}));

TEST_F(NetUser, OperationAndModeShowOnlyTheFieldsTheyUse) {
  start();
  EXPECT_TRUE(showing("TS_Select3"));
  EXPECT_EQ(text("CMB_user04"), "制限なし");
  EXPECT_EQ(main()["CMB_user04"].itemIndex(), -1);

  const char* account[] = {"Edit_user1", "Edit_user2"};
  const bool byOperation[][2] = {{false, false}, {true, true}, {true, false}};
  for (int op : {1, 0, 2, 1}) {
    pick("RG_user", op);
    for (int k = 0; k < 2; ++k)
      EXPECT_EQ(showing(account[k]), byOperation[op][k]) << op << account[k];
  }

  click("btnNext");
  const char* hours[] = {"Edit_user9", "Label26", "Edit_user10", "Label20"};
  const char* days[] = {"CMB_user05", "Label27", "CMB_user06", "CB_user11_0"};
  auto expectShown = [&](bool h, bool d, int mode) {
    for (const char* c : hours) EXPECT_EQ(showing(c), h) << mode << c;
    for (const char* c : days) EXPECT_EQ(showing(c), d) << mode << c;
  };
  expectShown(false, false, -1);
  const bool byMode[][2] = {
      {false, false}, {true, false}, {false, true}, {true, true}, {false, false}};
  for (int mode : {3, 0, 1, 2, 4, 3}) {
    pick("CMB_user04", mode);
    expectShown(byMode[mode][0], byMode[mode][1], mode);
  }
  // Text typed over the mode chooses none and leaves the ranges as they were.
  type("CMB_user04", "x");
  expectShown(true, true, -1);
}

TEST_F(NetUser, PlaceholdersAreEmptiedOnEveryEntryOtherFieldsKeepTheirText) {
  start();
  pick("RG_user", 1);
  struct Field { const char* name; const char* preset; bool emptied; };
  const Field page3[] = {
      {"Edit_user1", "ユーザー名", true}, {"Edit_user2", "パスワード", true},
      {"Edit_user0", "392", true},        {"Edit_user3", "", false},
      {"Edit_user4", "yy/mm/dd", false},  {"Edit_user5", "", false},
      {"Edit_user6", "パス名", true},     {"Edit_user7", "パス名", true},
      {"Edit_user8", "パス名", true}};
  const Field page4[] = {{"Edit_user9", "hh", true},
                         {"Edit_user10", "hh", true},
                         {"Edit_user11", "", false},
                         {"Edit_user12", "コンピュータ名", true}};
  auto check = [&](const Field& f) {
    EXPECT_EQ(text(f.name), f.preset);
    enter(f.name);
    EXPECT_EQ(text(f.name), f.emptied ? "" : f.preset) << f.name;
    type(f.name, "typed");
    enter("Edit1");
    enter(f.name);
    EXPECT_EQ(text(f.name), f.emptied ? "" : "typed") << f.name;
  };
  for (const Field& f : page3) check(f);
  click("btnNext");
  pick("CMB_user04", 3);
  for (const Field& f : page4) check(f);
}

TEST_F(NetUser, BothPagesKeepEverythingWhileOtherSubCommandsAreUsed) {
  start();
  pick("RG_user", 2);
  type("Edit_user1", "bob");
  click("CB_user");
  click("btnNext");
  EXPECT_TRUE(showing("TS_Select4"));
  click("CB_user12");
  type("Edit_user11", "note");

  // Another sub-command resets the net page; net user's pages stay.
  click("CB_net_02");
  EXPECT_TRUE(showing("TS_Select1"));
  chooseTool(app::kPing);
  chooseTool(app::kNet);
  click("CB_net_03");
  EXPECT_TRUE(showing("TS_Select3")) << "the first page, whichever was last";
  EXPECT_TRUE(main()["CB_user"].checked());
  click("btnNet");
  EXPECT_EQ(line(), "net_user_bob_/delete_/domain");

  click("btnNext");
  EXPECT_TRUE(main()["CB_user12"].checked());
  EXPECT_EQ(text("Edit_user11"), "note");
  click("btnPre");
  EXPECT_TRUE(showing("TS_Select3"));
}

}  // namespace
}  // namespace velquin::test
