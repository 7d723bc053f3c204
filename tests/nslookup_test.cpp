// The nslookup page, driven as a user: pick a command kind (and for
// "set オプション" an option with its yes/No or value), fill the fields,
// press the confirm button.
#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "support/app_fixture.h"

namespace velquin::test {
namespace {

class NslookupPage : public AppTest {
 protected:
  NslookupPage() { chooseTool(app::kNslookup); }
  bool shows(std::string_view name) { return main()[name].showing(); }
  // nullptr leaves the field untouched; "" enters it and leaves it empty.
  void fill(const char* field, const char* typed) {
    if (typed) type(field, typed);
  }
  // The query name ends every set command, but its field is hidden while
  // "set オプション" is chosen: the user types it under a query kind.
  void setOption(const char* query, int option) {
    if (query) {
      pick("cmblookup1", 1);
      fill("Edit_lookup1", query);
    }
    pick("cmblookup1", 0);
    pick("cmblookup2", option);
  }
};

struct KindCase {
  int kind;
  const char* l1;
  const char* l2;
  const char* line;  // Edit1 after the confirm button, blanks as "_"
};
void PrintTo(const KindCase& c, std::ostream* os) { *os << c.line; }

class NslookupKind : public NslookupPage,
                     public ::testing::WithParamInterface<KindCase> {};

TEST_P(NslookupKind, ConfirmWritesTheCommandLine) {
  const KindCase& c = GetParam();
  pick("cmblookup1", c.kind);
  fill("Edit_lookup1", c.l1);
  fill("Edit_lookup2", c.l2);
  type("Edit1", "ipconfig /all");  // whatever stood there is replaced
  click("Button6");
  EXPECT_EQ(line(), c.line);
}

// A pick writes the placeholders, the server's with the long-vowel mark.
INSTANTIATE_TEST_SUITE_P(
    NslookupPage, NslookupKind,
    ::testing::Values(
        KindCase{1, nullptr, nullptr, "nslookup_問合せ名"},
        KindCase{1, "www.example.jp", nullptr, "nslookup_www.example.jp"},
        KindCase{2, "host1", "192.168.1.1", "nslookup_host1_192.168.1.1"},
        KindCase{2, nullptr, nullptr, "nslookup_問合せ名_サーバー名"},
        KindCase{3, "ns1", nullptr, "nslookup_server_ns1"},
        KindCase{4, "ns1", nullptr, "nslookup_lserver_ns1"},
        KindCase{5, "example.jp", nullptr, "nslookup_ls_example.jp"},
        KindCase{6, nullptr, nullptr, "nslookup_finger_ユーザ名"},
        KindCase{7, nullptr, nullptr, "nslookup_root"}));

struct SetCase {
  const char* query;  // nullptr: the query field was never used
  int option;
  int yesNo;          // chosen under an on/off option first; -1: untouched
  const char* value;  // typed into Edit11; nullptr: untouched
  const char* line;   // Edit1 after the confirm button, blanks as "_";
                      // nullptr: unchanged
};
void PrintTo(const SetCase& c, std::ostream* os) {
  *os << c.option << " " << (c.line ? c.line : "(nothing)");
}

class NslookupSet : public NslookupPage,
                    public ::testing::WithParamInterface<SetCase> {};

TEST_P(NslookupSet, ConfirmWritesTheCommandLine) {
  const SetCase& c = GetParam();
  type("Edit1", "previous");
  if (c.yesNo >= 0) {
    // The choice stays when an option that hides the box is picked.
    setOption(c.query, 1);
    pick("cmblookup3", c.yesNo);
  }
  setOption(c.yesNo >= 0 ? nullptr : c.query, c.option);
  fill("Edit11", c.value);
  click("Button6");
  EXPECT_EQ(line(), c.line ? c.line : "previous");
}

INSTANTIATE_TEST_SUITE_P(
    NslookupPage, NslookupSet,
    ::testing::Values(
        SetCase{"host1", 0, -1, nullptr, "nslookup_set_all"},
        SetCase{"host1", 1, -1, nullptr, "nslookup_set_debug_host1"},
        SetCase{"host1", 1, 1, nullptr, "nslookup_set_nodebug_host1"},
        SetCase{"host1", 2, 1, nullptr, "nslookup_set_nod2_host1"},
        SetCase{"host1", 3, 0, nullptr, "nslookup_set_defname_host1"},
        SetCase{"host1", 4, 1, nullptr, "nslookup_set_norecurse_host1"},
        SetCase{"host1", 5, -1, nullptr, "nslookup_set_search_host1"},
        SetCase{"host1", 6, 1, nullptr, "nslookup_set_novc_host1"},
        SetCase{"example.jp", 7, -1, nullptr, "nslookup_set_domain=example.jp"},
        SetCase{"example.jp", 7, 1, nullptr, nullptr},
        SetCase{"ns1", 8, -1, nullptr, "nslookup_set_root=ns1"},
        SetCase{"ns1", 8, 1, nullptr, nullptr},
        SetCase{"host1", 9, -1, nullptr, "nslookup_set_retry=64_host1"},
        SetCase{"host1", 10, -1, nullptr, "nslookup_set_timeout=5_host1"},
        SetCase{"host1", 11, -1, "MX", "nslookup_set_type=MX_host1"},
        SetCase{"host1", 12, -1, nullptr, "nslookup_set_class=IN_host1"},
        SetCase{"host1", 13, 0, nullptr, "nslookup_set_msxfr_host1"},
        SetCase{"host1", 13, 1, nullptr, "nslookup_set_nomsxfr_host1"},
        SetCase{"host1", 14, -1, nullptr, "nslookup_set_ixfrver=_host1"},
        SetCase{"host1", 14, -1, "2024", "nslookup_set_ixfrver=2024_host1"},
        SetCase{"", 1, 1, nullptr, "nslookup_set_nodebug_"},
        SetCase{nullptr, 1, -1, nullptr, "nslookup_set_debug_問合せ名"}));

TEST_F(NslookupPage, ConfirmRightAfterStartShowsAllSettings) {
  EXPECT_EQ(form().focused(), &main()["RadioGroup1"]);
  EXPECT_EQ(text("cmblookup1"), "set オプション");
  EXPECT_EQ(text("Edit_lookup2"), "サーバ名");  // the form's own spelling
  for (const char* hidden : {"Edit_lookup1", "Edit_lookup2", "cmblookup2",
                             "cmblookup3", "Edit11"})
    EXPECT_FALSE(shows(hidden)) << hidden;
  EXPECT_TRUE(shows("Label31"));
  click("Button6");
  EXPECT_EQ(line(), "nslookup_set_all");
}

TEST_F(NslookupPage, KindShowsItsFieldsAndConfirmHidesThemAgain) {
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
  EXPECT_TRUE(shows("cmblookup2") && !shows("Edit_lookup1"));

  pick("cmblookup1", 3);
  click("Button6");
  EXPECT_EQ(line(), "nslookup_server_問合せ名");
  EXPECT_FALSE(shows("Edit_lookup1"));
}

TEST_F(NslookupPage, OptionShowsItsChoiceOrValueWithItsNote) {
  struct Shown {
    int option;
    bool yesNo, value, note;
    const char* noteText;
    const char* valueText;
  };
  // In this order option 11 finds the value that option 10 left.
  const char* types = "A,CNAME,MX,NS,PTR,SOA";
  const Shown picks[] = {{1, true, false, false, "", ""},
                         {9, false, true, true, "回", "64"},
                         {10, false, true, true, "秒", "5"},
                         {11, false, true, true, types, "5"},
                         {12, false, true, false, types, "IN"},
                         {14, false, true, true, "シリアルナンバー", ""},
                         {7, false, false, false, "シリアルナンバー", ""}};
  pick("cmblookup1", 0);
  for (const Shown& s : picks) {
    SCOPED_TRACE(s.option);
    pick("cmblookup2", s.option);
    EXPECT_EQ(shows("cmblookup3"), s.yesNo);
    EXPECT_EQ(shows("Edit11"), s.value);
    EXPECT_EQ(shows("Label31"), s.note);
    EXPECT_EQ(text("Label31"), s.noteText);
    EXPECT_EQ(text("Edit11"), s.valueText);
  }
}

// The query fields, the option list, the yes/No box and the value field
// share places and take turns: in every state the user can reach, what
// shows stays inside the page and apart.
TEST_F(NslookupPage, WhatShowsTogetherStaysApartInsideThePage) {
  const form::Control& page = main()["TS_nslookup"];
  auto expectTidy = [&page](const std::string& state) {
    std::vector<const form::Control*> shown;
    for (const form::Control* c : page.children())
      if (c->showing()) shown.push_back(c);
    for (size_t i = 0; i < shown.size(); ++i) {
      const form::Rect& a = shown[i]->bounds();
      EXPECT_TRUE(a.left >= 0 && a.top >= 0 &&
                  a.left + a.width <= page.bounds().width &&
                  a.top + a.height <= page.bounds().height)
          << state << ": " << shown[i]->name();
      for (size_t j = i + 1; j < shown.size(); ++j) {
        const form::Rect& b = shown[j]->bounds();
        EXPECT_FALSE(a.left < b.left + b.width && b.left < a.left + a.width &&
                     a.top < b.top + b.height && b.top < a.top + a.height)
            << state << ": " << shown[i]->name() << " / " << shown[j]->name();
      }
    }
  };
  for (int option = 0; option < 15; ++option) {
    pick("cmblookup1", 0);
    pick("cmblookup2", option);
    for (int kind = 7; kind >= 0; --kind) {
      pick("cmblookup1", kind);
      expectTidy("option " + std::to_string(option) + ", kind " +
                 std::to_string(kind));
    }
  }
}

TEST_F(NslookupPage, FreeTextInAComboChoosesNothingAndConfirmWritesNothing) {
  setOption("host1", 9);
  pick("cmblookup1", 2);  // the value and its note stay shown
  EXPECT_TRUE(shows("Edit11") && shows("Label31"));
  type("cmblookup1", "nslookup -type=mx");
  EXPECT_EQ(main()["cmblookup1"].itemIndex(), -1);
  EXPECT_FALSE(shows("Edit_lookup1") || shows("Edit_lookup2") ||
               shows("cmblookup2"));
  type("Edit1", "previous");
  click("Button6");
  EXPECT_EQ(line(), "previous");

  // A typed option, and a typed yes/No for an option that reads it.
  setOption(nullptr, 0);
  type("cmblookup2", "set all");
  click("Button6");
  EXPECT_EQ(line(), "previous");
  setOption(nullptr, 5);
  type("cmblookup3", "yes ");
  click("Button6");
  EXPECT_EQ(line(), "previous");
  // A value option does not read the yes/No box; the query name is the
  // placeholder that the pick of kind 2 wrote over host1.
  setOption(nullptr, 10);
  click("Button6");
  EXPECT_EQ(line(), "nslookup_set_timeout=5_問合せ名");
}

}  // namespace
}  // namespace velquin::test
