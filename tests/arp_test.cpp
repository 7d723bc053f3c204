// The arp page, driven as a user: pick an operation, fill its fields,
// press the confirm button.
#include <functional>
#include <ostream>

#include "support/app_fixture.h"

namespace velquin::test {
namespace {

class Arp : public AppTest {
 public:
  using AppTest::click;
  using AppTest::enter;
  using AppTest::pick;
  using AppTest::type;

 protected:
  Arp() { chooseTool(app::kArp); }
};

struct ArpCase {
  const char* name;
  std::function<void(Arp&)> steps;
  const char* line;  // Edit1 after the confirm button
};
void PrintTo(const ArpCase& c, std::ostream* os) { *os << c.name; }

class ArpLine : public Arp, public ::testing::WithParamInterface<ArpCase> {};

TEST_P(ArpLine, ConfirmWritesTheCommandLine) {
  GetParam().steps(*this);
  click("Button5");
  EXPECT_EQ(text("Edit1"), GetParam().line);
  EXPECT_TRUE(os.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Items, ArpLine,
    ::testing::Values(
        ArpCase{"AllEntries", [](Arp& u) { u.pick("RadioGroup5", 0); },
                "arp -a"},
        ArpCase{"OneAddressUntouched", [](Arp& u) { u.pick("RadioGroup5", 1); },
                "arp -a IPアドレス"},
        ArpCase{"OneAddress",
                [](Arp& u) {
                  u.pick("RadioGroup5", 1);
                  u.type("Edit_arp1", "192.168.1.20");
                },
                "arp -a 192.168.1.20"},
        ArpCase{"InterfaceUntouched", [](Arp& u) { u.pick("RadioGroup5", 2); },
                "arp -n ｲﾝﾀｰﾌｪｲｽ番号"},
        ArpCase{"Interface",
                [](Arp& u) {
                  u.pick("RadioGroup5", 2);
                  u.type("Edit_arp1", "0x10003");
                },
                "arp -n 0x10003"},
        ArpCase{"AddUntouched", [](Arp& u) { u.pick("RadioGroup5", 3); },
                "arp -s IPアドレス Macアドレス"},
        ArpCase{"Add",
                [](Arp& u) {
                  u.pick("RadioGroup5", 3);
                  u.type("Edit_arp1", "192.168.1.20");
                  u.type("Edit_arp2", "00-11-22-33-44-55");
                },
                "arp -s 192.168.1.20 00-11-22-33-44-55"},
        ArpCase{"AddWithMacEnteredAndLeftEmpty",
                [](Arp& u) {
                  u.pick("RadioGroup5", 3);
                  u.type("Edit_arp1", "192.168.1.20");
                  u.enter("Edit_arp2");
                },
                "arp -s 192.168.1.20 "},
        ArpCase{"Delete",
                [](Arp& u) {
                  u.pick("RadioGroup5", 4);
                  u.type("Edit_arp1", "192.168.1.20");
                },
                "arp -d 192.168.1.20"},
        ArpCase{"DeleteWithAddressEnteredAndLeftEmpty",
                [](Arp& u) {
                  u.pick("RadioGroup5", 4);
                  u.enter("Edit_arp1");
                },
                "arp -d "},
        // Text goes in as typed: blanks inside stay, nothing is checked.
        ArpCase{"TypedTextUnchanged",
                [](Arp& u) {
                  u.pick("RadioGroup5", 3);
                  u.type("Edit_arp1", " 10.0.0.1");
                  u.type("Edit_arp2", "aa bb");
                },
                "arp -s  10.0.0.1 aa bb"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Arp, StartsWithBothFieldsAndNoOperationSoConfirmWritesNothing) {
  EXPECT_EQ(form().focused(), &main()["RadioGroup1"]);
  EXPECT_EQ(main()["RadioGroup5"].itemIndex(), -1);
  EXPECT_TRUE(main()["Edit_arp1"].showing());
  EXPECT_TRUE(main()["Edit_arp2"].showing());
  EXPECT_FALSE(main()["Label28"].showing());
  EXPECT_EQ(text("Edit_arp1"), "IPアドレス");
  EXPECT_EQ(text("Edit_arp2"), "Macアドレス");

  type("Edit1", "arp -g");
  click("Button5");
  EXPECT_EQ(text("Edit1"), "arp -g");
}

TEST_F(Arp, EachPickShowsItsFieldsAndLeavesTheCommandLineAlone) {
  type("Edit1", "arp -g");
  struct Shown {
    int item;
    bool arp1, arp2, format;
    const char* placeholder;
  };
  for (const Shown& s : {Shown{3, true, true, true, "IPアドレス"},
                         Shown{0, false, false, false, nullptr},
                         Shown{2, true, false, false, "ｲﾝﾀｰﾌｪｲｽ番号"},
                         Shown{4, true, false, false, "IPアドレス"},
                         Shown{1, true, false, false, "IPアドレス"}}) {
    SCOPED_TRACE(s.item);
    pick("RadioGroup5", s.item);
    EXPECT_EQ(main()["Edit_arp1"].showing(), s.arp1);
    EXPECT_EQ(main()["Edit_arp2"].showing(), s.arp2);
    EXPECT_EQ(main()["Label28"].showing(), s.format);
    if (s.placeholder) {
      EXPECT_EQ(text("Edit_arp1"), s.placeholder);
    }
  }
  EXPECT_EQ(text("Edit_arp2"), "Macアドレス");
  EXPECT_EQ(text("Edit1"), "arp -g");
}

TEST_F(Arp, APickReplacesTypedTextAndEveryEntryEmptiesTheField) {
  pick("RadioGroup5", 3);
  type("Edit_arp1", "192.168.1.20");
  type("Edit_arp2", "00-11-22-33-44-55");
  pick("RadioGroup5", 1);
  EXPECT_EQ(text("Edit_arp1"), "IPアドレス");
  pick("RadioGroup5", 3);
  EXPECT_EQ(text("Edit_arp2"), "Macアドレス");

  // The field is emptied every time the focus arrives, whatever it holds.
  type("Edit_arp1", "10.0.0.1");
  enter("Edit_arp2");
  enter("Edit_arp1");
  EXPECT_EQ(text("Edit_arp1"), "");
  EXPECT_EQ(text("Edit_arp2"), "");
}

}  // namespace
}  // namespace velquin::test
