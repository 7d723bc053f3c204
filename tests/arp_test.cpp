// The arp page, driven as a user: pick an operation, fill its fields,
// press the confirm button.
#include <algorithm>
#include <ostream>
#include <string>

#include "support/app_fixture.h"

namespace velquin::test {
namespace {

class ArpPage : public AppTest {
 protected:
  ArpPage() { chooseTool(app::kArp); }
  // nullptr leaves the field untouched; "" enters it and leaves it empty.
  void fill(const char* field, const char* typed) {
    if (typed) type(field, typed);
  }
};

struct ArpCase {
  int item;
  const char* arp1;
  const char* arp2;
  const char* line;  // Edit1 after the confirm button, blanks as "_"
};
void PrintTo(const ArpCase& c, std::ostream* os) { *os << c.line; }

class ArpLine : public ArpPage,
                public ::testing::WithParamInterface<ArpCase> {};

TEST_P(ArpLine, ConfirmWritesTheCommandLine) {
  const ArpCase& c = GetParam();
  pick("RadioGroup5", c.item);
  fill("Edit_arp1", c.arp1);
  fill("Edit_arp2", c.arp2);
  type("Edit1", "ipconfig /all");  // whatever stood there is replaced
  click("Button5");
  EXPECT_EQ(line(), c.line);
  EXPECT_TRUE(os.messages.empty());
}

// A field never entered still holds its placeholder, which goes into the
// line; typed text goes in as it stands.
INSTANTIATE_TEST_SUITE_P(
    ArpPage, ArpLine,
    ::testing::Values(
        ArpCase{0, nullptr, nullptr, "arp_-a"},
        ArpCase{1, nullptr, nullptr, "arp_-a_IPアドレス"},
        ArpCase{1, "192.168.1.20", nullptr, "arp_-a_192.168.1.20"},
        ArpCase{2, nullptr, nullptr, "arp_-n_ｲﾝﾀｰﾌｪｲｽ番号"},
        ArpCase{2, "0x10003", nullptr, "arp_-n_0x10003"},
        ArpCase{3, nullptr, nullptr, "arp_-s_IPアドレス_Macアドレス"},
        ArpCase{3, "192.168.1.20", "00-11-22-33-44-55",
                "arp_-s_192.168.1.20_00-11-22-33-44-55"},
        ArpCase{3, "192.168.1.20", "", "arp_-s_192.168.1.20_"},
        ArpCase{3, " 10.0.0.1", "aa bb", "arp_-s__10.0.0.1_aa_bb"},
        ArpCase{4, "192.168.1.20", nullptr, "arp_-d_192.168.1.20"},
        ArpCase{4, "", nullptr, "arp_-d_"}));

TEST_F(ArpPage, StartsWithBothFieldsAndNoOperationSoConfirmWritesNothing) {
  EXPECT_EQ(form().focused(), &main()["RadioGroup1"]);
  EXPECT_TRUE(main()["Edit_arp1"].showing() && main()["Edit_arp2"].showing());
  EXPECT_FALSE(main()["Label28"].showing());
  EXPECT_EQ(text("Edit_arp1"), "IPアドレス");
  EXPECT_EQ(text("Edit_arp2"), "Macアドレス");
  type("Edit1", "arp -g");
  click("Button5");
  EXPECT_EQ(line(), "arp_-g");
}

TEST_F(ArpPage, EachPickShowsItsFieldsAndLeavesTheCommandLineAlone) {
  type("Edit1", "arp -g");
  struct Shown {
    int item;
    bool arp1, arp2, format;
  };
  const Shown picks[] = {{3, true, true, true},
                         {0, false, false, false},
                         {2, true, false, false},
                         {4, true, false, false},
                         {1, true, false, false}};
  for (const Shown& s : picks) {
    pick("RadioGroup5", s.item);
    EXPECT_EQ(main()["Edit_arp1"].showing(), s.arp1) << s.item;
    EXPECT_EQ(main()["Edit_arp2"].showing(), s.arp2) << s.item;
    EXPECT_EQ(main()["Label28"].showing(), s.format) << s.item;
  }
  EXPECT_EQ(line(), "arp_-g");
}

TEST_F(ArpPage, APickReplacesTypedTextAndEveryEntryEmptiesTheField) {
  pick("RadioGroup5", 3);
  type("Edit_arp1", "192.168.1.20");
  type("Edit_arp2", "00-11-22-33-44-55");
  pick("RadioGroup5", 1);
  EXPECT_EQ(text("Edit_arp1"), "IPアドレス");
  pick("RadioGroup5", 3);
  EXPECT_EQ(text("Edit_arp2"), "Macアドレス");

  // Emptied every time the focus arrives, whatever the field holds.
  type("Edit_arp1", "10.0.0.1");
  enter("Edit_arp2");
  enter("Edit_arp1");
  EXPECT_EQ(text("Edit_arp1"), "");
  EXPECT_EQ(text("Edit_arp2"), "");
}

}  // namespace
}  // namespace velquin::test
