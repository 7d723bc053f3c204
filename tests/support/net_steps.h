#pragma once
// The net page driven as a user: a category picked, a sub-command box
// ticked, an operation picked, fields filled in, confirm pressed.

#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "support/app_fixture.h"

namespace velquin::test {

// A field entered (which empties it) and typed into, or, with no text, a
// check box clicked.
using NetStep = std::pair<const char*, const char*>;

struct NetRow {
  const char* what;
  int box;                     // sub-command number, 1 to 22
  int operation;               // picked in ComboBox1; -1: item 0 as ticked
  std::vector<NetStep> steps;  // after the pick, in order
  const char* line;     // Edit1 after confirm, blanks as "_"; nullptr: unchanged
  const char* message;  // the message shown, or nullptr for none
};

inline void PrintTo(const NetRow& row, std::ostream* os) { *os << row.what; }

class NetPageTest : public AppTest {
 protected:
  static std::string boxName(int n) {
    return std::string("CB_net_") + char('0' + n / 10) + char('0' + n % 10);
  }
  // The category page that holds sub-command n's box.
  static int categoryOf(int n) { return n <= 5 ? 0 : n <= 9 ? 1 : n <= 15 ? 2 : 3; }

  void tick(int n, int operation = -1) {
    chooseTool(app::kNet);
    pick("RadioGroup4", categoryOf(n));
    click(boxName(n));
    if (operation >= 0) pick("ComboBox1", operation);
  }
  void fill(const std::vector<NetStep>& steps) {
    for (const auto& [control, value] : steps) {
      if (!value) {
        click(control);
        continue;
      }
      enter(control);
      type(control, value);
    }
  }
  void run(const NetRow& row) {
    tick(row.box, row.operation);
    fill(row.steps);
    confirmAndCheck(row);
  }
  // Confirms with a previous line in Edit1 and checks the result.
  void confirmAndCheck(const NetRow& row) {
    type("Edit1", "ipconfig /all");
    click("btnNet");
    EXPECT_EQ(line(), row.line ? row.line : "ipconfig_/all");
    if (row.message)
      EXPECT_EQ(os.messages, std::vector<std::string>{row.message});
    else
      EXPECT_TRUE(os.messages.empty()) << os.messages.front();
  }
};

}  // namespace velquin::test
