// The nslookup page, driven as a user: pick a command kind (and for
// "set オプション" an option and its yes/No or value), fill the fields,
// press the confirm button.
#include <functional>
#include <ostream>

#include "support/app_fixture.h"

namespace velquin::test {
namespace {

class Nslookup : public AppTest {
 public:
  using AppTest::click;
  using AppTest::enter;
  using AppTest::pick;
  using AppTest::type;

  // The query name ends every set command although its field is hidden
  // while "set オプション" is chosen: type it under a query kind first.
  void setOption(const std::string& query, int option) {
    pick("cmblookup1", 1);
    type("Edit_lookup1", query);
    pick("cmblookup1", 0);
    pick("cmblookup2", option);
  }

 protected:
  Nslookup() { chooseTool(app::kNslookup); }

  bool shows(std::string_view name) { return main()[name].showing(); }
};

struct LookupCase {
  const char* name;
  std::function<void(Nslookup&)> steps;
  const char* line;  // Edit1 after the confirm button
};
void PrintTo(const LookupCase& c, std::ostream* os) { *os << c.name; }

class NslookupLine : public Nslookup,
                     public ::testing::WithParamInterface<LookupCase> {};

TEST_P(NslookupLine, ConfirmWritesTheCommandLine) {
  GetParam().steps(*this);
  click("Button6");
  EXPECT_EQ(text("Edit1"), GetParam().line);
}

// Command kinds 1 to 7.
INSTANTIATE_TEST_SUITE_P(
    Kinds, NslookupLine,
    ::testing::Values(
        LookupCase{"QueryUntouched", [](Nslookup& u) { u.pick("cmblookup1", 1); },
                   "nslookup 問合せ名"},
        LookupCase{"Query",
                   [](Nslookup& u) {
                     u.pick("cmblookup1", 1);
                     u.type("Edit_lookup1", "www.example.jp");
                   },
                   "nslookup www.example.jp"},
        LookupCase{"QueryWithServer",
                   [](Nslookup& u) {
                     u.pick("cmblookup1", 2);
                     u.type("Edit_lookup1", "host1");
                     u.type("Edit_lookup2", "192.168.1.1");
                   },
                   "nslookup host1 192.168.1.1"},
        // The pick writes the server placeholder with the long-vowel mark.
        LookupCase{"QueryWithServerUntouched",
                   [](Nslookup& u) { u.pick("cmblookup1", 2); },
                   "nslookup 問合せ名 サーバー名"},
        LookupCase{"Server",
                   [](Nslookup& u) {
                     u.pick("cmblookup1", 3);
                     u.type("Edit_lookup1", "ns1");
                   },
                   "nslookup server ns1"},
        LookupCase{"Lserver",
                   [](Nslookup& u) {
                     u.pick("cmblookup1", 4);
                     u.type("Edit_lookup1", "ns1");
                   },
                   "nslookup lserver ns1"},
        LookupCase{"List",
                   [](Nslookup& u) {
                     u.pick("cmblookup1", 5);
                     u.type("Edit_lookup1", "example.jp");
                   },
                   "nslookup ls example.jp"},
        LookupCase{"FingerUntouched",
                   [](Nslookup& u) { u.pick("cmblookup1", 6); },
                   "nslookup finger ユーザ名"},
        LookupCase{"Root", [](Nslookup& u) { u.pick("cmblookup1", 7); },
                   "nslookup root"}),
    [](const auto& info) { return std::string(info.param.name); });

// The set options, with host1 as the query name.
INSTANTIATE_TEST_SUITE_P(
    SetOptions, NslookupLine,
    ::testing::Values(
        LookupCase{"All", [](Nslookup& u) { u.setOption("host1", 0); },
                   "nslookup set all"},
        LookupCase{"DebugYes", [](Nslookup& u) { u.setOption("host1", 1); },
                   "nslookup set debug host1"},
        LookupCase{"DebugNo",
                   [](Nslookup& u) {
                     u.setOption("host1", 1);
                     u.pick("cmblookup3", 1);
                   },
                   "nslookup set nodebug host1"},
        LookupCase{"D2No",
                   [](Nslookup& u) {
                     u.setOption("host1", 2);
                     u.pick("cmblookup3", 1);
                   },
                   "nslookup set nod2 host1"},
        LookupCase{"DefnameYes", [](Nslookup& u) { u.setOption("host1", 3); },
                   "nslookup set defname host1"},
        LookupCase{"RecurseNo",
                   [](Nslookup& u) {
                     u.setOption("host1", 4);
                     u.pick("cmblookup3", 1);
                   },
                   "nslookup set norecurse host1"},
        LookupCase{"SearchYes", [](Nslookup& u) { u.setOption("host1", 5); },
                   "nslookup set search host1"},
        LookupCase{"VcNo",
                   [](Nslookup& u) {
                     u.setOption("host1", 6);
                     u.pick("cmblookup3", 1);
                   },
                   "nslookup set novc host1"},
        LookupCase{"Domain", [](Nslookup& u) { u.setOption("example.jp", 7); },
                   "nslookup set domain=example.jp"},
        LookupCase{"RootServer", [](Nslookup& u) { u.setOption("ns1", 8); },
                   "nslookup set root=ns1"},
        LookupCase{"RetryPreset", [](Nslookup& u) { u.setOption("host1", 9); },
                   "nslookup set retry=64 host1"},
        LookupCase{"TimeoutPreset",
                   [](Nslookup& u) { u.setOption("host1", 10); },
                   "nslookup set timeout=5 host1"},
        LookupCase{"TypeTyped",
                   [](Nslookup& u) {
                     u.setOption("host1", 11);
                     u.type("Edit11", "MX");
                   },
                   "nslookup set type=MX host1"},
        LookupCase{"ClassPreset", [](Nslookup& u) { u.setOption("host1", 12); },
                   "nslookup set class=IN host1"},
        // The yes/No box is hidden for this option but still decides.
        LookupCase{"MsxfrNo",
                   [](Nslookup& u) {
                     u.setOption("host1", 1);
                     u.pick("cmblookup3", 1);
                     u.pick("cmblookup2", 13);
                   },
                   "nslookup set nomsxfr host1"},
        LookupCase{"IxfrverEmpty",
                   [](Nslookup& u) { u.setOption("host1", 14); },
                   "nslookup set ixfrver= host1"},
        LookupCase{"IxfrverTyped",
                   [](Nslookup& u) {
                     u.setOption("host1", 14);
                     u.type("Edit11", "2024");
                   },
                   "nslookup set ixfrver=2024 host1"},
        LookupCase{"NodebugWithQueryEmptied",
                   [](Nslookup& u) {
                     u.pick("cmblookup1", 1);
                     u.enter("Edit_lookup1");
                     u.pick("cmblookup1", 0);
                     u.pick("cmblookup2", 1);
                     u.pick("cmblookup3", 1);
                   },
                   "nslookup set nodebug "},
        // A page never used: the query field still holds its own preset.
        LookupCase{"DebugOnAFreshPage",
                   [](Nslookup& u) {
                     u.pick("cmblookup1", 0);
                     u.pick("cmblookup2", 1);
                   },
                   "nslookup set debug 問合せ名"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Nslookup, ConfirmRightAfterStartShowsAllSettings) {
  EXPECT_EQ(form().focused(), &main()["RadioGroup1"]);
  EXPECT_EQ(text("cmblookup1"), "set オプション");
  EXPECT_EQ(text("Edit_lookup2"), "サーバ名");  // the form's own spelling
  for (const char* hidden : {"Edit_lookup1", "Edit_lookup2", "cmblookup2",
                             "cmblookup3", "Edit11"})
    EXPECT_FALSE(shows(hidden)) << hidden;
  EXPECT_TRUE(shows("Label31"));
  EXPECT_EQ(text("Label31"), "");
  click("Button6");
  EXPECT_EQ(text("Edit1"), "nslookup set all");
}

TEST_F(Nslookup, KindShowsItsFieldsAndConfirmHidesThemAgain) {
  pick("cmblookup1", 2);
  EXPECT_TRUE(shows("Edit_lookup1") && shows("Edit_lookup2"));
  EXPECT_FALSE(shows("cmblookup2"));
  type("Edit_lookup1", "host1");
  pick("cmblookup1", 6);  // a new pick rewrites the placeholder
  EXPECT_EQ(text("Edit_lookup1"), "ユーザ名");
  EXPECT_FALSE(shows("Edit_lookup2"));
  pick("cmblookup1", 7);
  EXPECT_FALSE(shows("Edit_lookup1"));
  pick("cmblookup1", 0);
  EXPECT_TRUE(shows("cmblookup2"));
  EXPECT_FALSE(shows("Edit_lookup1"));

  pick("cmblookup1", 3);
  click("Button6");
  EXPECT_EQ(text("Edit1"), "nslookup server 問合せ名");
  EXPECT_FALSE(shows("Edit_lookup1"));
  EXPECT_EQ(main()["cmblookup1"].itemIndex(), 3);
}

TEST_F(Nslookup, OptionShowsItsChoiceOrValueWithItsNote) {
  pick("cmblookup1", 0);
  struct Shown {
    int option;
    bool yesNo, value, note;
    const char* noteText;
    const char* valueText;
  };
  // In this order option 11 finds the value that option 10 left.
  for (const Shown& s :
       {Shown{1, true, false, false, "", ""},
        Shown{9, false, true, true, "回", "64"},
        Shown{10, false, true, true, "秒", "5"},
        Shown{11, false, true, true, "A,CNAME,MX,NS,PTR,SOA", "5"},
        Shown{12, false, true, false, "A,CNAME,MX,NS,PTR,SOA", "IN"},
        Shown{14, false, true, true, "シリアルナンバー", ""},
        Shown{7, false, false, false, "シリアルナンバー", ""}}) {
    SCOPED_TRACE(s.option);
    pick("cmblookup2", s.option);
    EXPECT_EQ(shows("cmblookup3"), s.yesNo);
    EXPECT_EQ(shows("Edit11"), s.value);
    EXPECT_EQ(shows("Label31"), s.note);
    EXPECT_EQ(text("Label31"), s.noteText);
    EXPECT_EQ(text("Edit11"), s.valueText);
  }
}

TEST_F(Nslookup, DomainAndRootWithNoLeftFromAnEarlierOptionWriteNothing) {
  type("Edit1", "previous");
  for (int option : {7, 8}) {
    setOption("host1", 1);
    pick("cmblookup3", 1);
    pick("cmblookup2", option);
    EXPECT_FALSE(shows("cmblookup3"));
    click("Button6");
    EXPECT_EQ(text("Edit1"), "previous") << option;
  }
}

TEST_F(Nslookup, FreeTextInAComboChoosesNothingAndConfirmWritesNothing) {
  // The yes/No and value controls stay as the last option left them.
  setOption("host1", 9);
  pick("cmblookup1", 2);
  EXPECT_TRUE(shows("Edit11") && shows("Label31"));
  type("cmblookup1", "nslookup -type=mx");
  EXPECT_EQ(main()["cmblookup1"].itemIndex(), -1);
  EXPECT_FALSE(shows("Edit_lookup1") || shows("Edit_lookup2") ||
               shows("cmblookup2"));
  type("Edit1", "previous");
  click("Button6");
  EXPECT_EQ(text("Edit1"), "previous");

  // The same for an option typed by hand, and for a hand-typed yes/No on an
  // option that reads it; a value option does not read it.
  setOption("host1", 0);
  type("cmblookup2", "set all");
  click("Button6");
  EXPECT_EQ(text("Edit1"), "previous");
  pick("cmblookup1", 0);
  pick("cmblookup2", 5);
  type("cmblookup3", "yes ");
  click("Button6");
  EXPECT_EQ(text("Edit1"), "previous");
  pick("cmblookup1", 0);
  pick("cmblookup2", 10);
  click("Button6");
  EXPECT_EQ(text("Edit1"), "nslookup set timeout=5 host1");
}

}  // namespace
}  // namespace velquin::test
