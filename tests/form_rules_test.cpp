// The form-state rules that every page relies on, on a small model window.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "form/form.h"

namespace velquin::form {
namespace {

class FormRules : public ::testing::Test {
 protected:
  FormRules() : f("frmTest") {
    f.add({.name = "Pages", .kind = Kind::PageControl,
           .style = {.align = Align::Client}});
    f.add({.name = "Page0", .kind = Kind::Page, .parent = "Pages", .text = "A"});
    f.add({.name = "Page1", .kind = Kind::Page, .parent = "Pages", .text = "B"});
    f.add({.name = "Group", .kind = Kind::RadioGroup, .parent = "Page0",
           .bounds = {0, 0, 200, 60}, .items = {"a", "b", "c"}});
    f.add({.name = "Box", .kind = Kind::CheckBox, .parent = "Page0",
           .bounds = {0, 70, 100, 17}});
    f.add({.name = "Field", .kind = Kind::Edit, .parent = "Page0",
           .text = "4", .bounds = {0, 90, 100, 20}});
    f.add({.name = "Button", .kind = Kind::Button, .parent = "Page0",
           .bounds = {0, 120, 75, 23}});
    f.add({.name = "Combo", .kind = Kind::ComboBox, .parent = "Page0",
           .bounds = {0, 150, 100, 20}, .items = {"x", "y"}, .itemIndex = 0});
    f.add({.name = "Other", .kind = Kind::Edit, .parent = "Page1",
           .bounds = {0, 0, 100, 20}});
    for (const char* n : {"Group", "Box", "Field", "Button", "Combo", "Pages"}) {
      std::string name = n;
      f[n].onClick = [this, name] { log.push_back(name + ".click"); };
      f[n].onEnter = [this, name] { log.push_back(name + ".enter"); };
      f[n].onChange = [this, name] { log.push_back(name + ".change"); };
    }
    f["Box"].onClick = [this] {
      log.push_back(std::string("Box.click:") + (f["Box"].checked() ? "1" : "0"));
    };
    f.setClientSize(400, 300);
  }
  Form f;
  std::vector<std::string> log;
};

TEST_F(FormRules, RadioGroupClickRunsOnlyWhenAValidChoiceChanges) {
  Control& g = f["Group"];
  g.setItemIndex(1);
  g.setItemIndex(1);    // same index: nothing
  g.setItemIndex(-1);   // clears without a click
  EXPECT_EQ(g.itemIndex(), -1);
  g.setItemIndex(7);    // past the end: the last item
  EXPECT_EQ(g.itemIndex(), 2);
  g.setItemIndex(99);   // still the last: no second click
  EXPECT_EQ(log, (std::vector<std::string>{"Group.click", "Group.click"}));
}

TEST_F(FormRules, UserPickFocusesThenClicksAndRepeatedPickDoesNothing) {
  f.userPickItem(f["Group"], 0);
  f.userPickItem(f["Group"], 0);
  f.userPickItem(f["Group"], 2);
  EXPECT_EQ(log, (std::vector<std::string>{"Group.enter", "Group.click",
                                           "Group.click"}));
}

TEST_F(FormRules, ClickOnUnfocusedCheckBoxEntersThenTogglesThenClicks) {
  f.userClick(f["Box"]);
  f.userClick(f["Box"]);
  EXPECT_EQ(log, (std::vector<std::string>{"Box.enter", "Box.click:1",
                                           "Box.click:0"}));
}

TEST_F(FormRules, EnterRunsEveryTimeTheFocusArrives) {
  f.userFocus(f["Field"]);
  f.userFocus(f["Field"]);  // already there: no second enter
  f.userFocus(f["Button"]);
  EXPECT_TRUE(f.setFocus(f["Field"]));  // a handler moving the focus
  EXPECT_EQ(log, (std::vector<std::string>{"Field.enter", "Button.enter",
                                           "Field.enter"}));
}

// The renderer reports where the keyboard focus really goes; the enter
// event runs exactly when it arrives somewhere new.
TEST_F(FormRules, EnterRunsExactlyWhenTheFocusReallyArrives) {
  f.add({.name = "View", .kind = Kind::Memo, .parent = "Page0",
         .style = {.outputView = true}, .readOnly = true});
  f.add({.name = "Panel", .kind = Kind::Panel, .parent = "Page0"});
  f["View"].onEnter = [this] { log.push_back("View.enter"); };
  auto focus = [&](const char* n) { return [&, n] { f.userFocus(f[n]); }; };
  struct Step {
    const char* what;
    std::function<void()> act;
    std::vector<std::string> runs;
    std::string focused;  // "none": no control of the model
  } const table[] = {
      {"click the box", [&] { f.userClick(f["Box"]); },
       {"Box.enter", "Box.click:1"}, "Box"},
      {"click the tab in front", focus("Pages"), {"Pages.enter"}, "Pages"},
      {"click the box again", [&] { f.userClick(f["Box"]); },
       {"Box.enter", "Box.click:0"}, "Box"},
      {"click the output view", focus("View"), {"View.enter"}, "View"},
      {"click the field", focus("Field"), {"Field.enter"}, "Field"},
      {"back from a message box", focus("Field"), {}, "Field"},
      {"accelerator or Enter", [&] { f.userPress(f["Button"]); },
       {"Button.click"}, "Field"},
      {"focus falls to a panel", focus("Panel"), {}, "none"},
      {"back into the field", focus("Field"), {"Field.enter"}, "Field"},
      {"click the button", [&] { f.userClick(f["Button"]); },
       {"Button.enter", "Button.click"}, "Button"},
      {"the focused button is disabled", [&] { f["Button"].setEnabled(false); },
       {}, "none"},
  };
  for (const Step& step : table) {
    log.clear();
    step.act();
    EXPECT_EQ(log, step.runs) << step.what;
    EXPECT_EQ(f.focused() ? f.focused()->name() : "none", step.focused)
        << step.what;
  }
}

// Boxes of one tab group are one stop in the tab order: the run of
// consecutive group boxes around a box, entered at the ticked one, else at
// the first that can take the focus.
TEST_F(FormRules, ATabGroupIsTheRunOfGroupBoxesEnteredAtTheTickedOne) {
  auto box = [&](const char* name, bool group, Kind kind = Kind::CheckBox) {
    f.add({.name = name, .kind = kind, .parent = "Page1",
           .style = {.tabGroup = group}});
  };
  box("A1", true);
  box("A2", true);
  box("A3", true);
  box("Lone", false);
  box("B1", true);
  box("B2", true);
  box("NotABox", true, Kind::Button);
  box("C1", true);
  f.add({.name = "Top", .kind = Kind::CheckBox, .style = {.tabGroup = true}});
  f["Pages"].setActivePageIndex(1);
  auto names = [&](const char* member) {
    std::string out;
    for (const Control* c : f.tabGroup(f[member])) out += c->name() + " ";
    return out;
  };
  const struct { const char* member, *group; } groups[] = {
      {"A1", "A1 A2 A3 "}, {"A2", "A1 A2 A3 "}, {"A3", "A1 A2 A3 "},
      {"Lone", "Lone "},   {"B1", "B1 B2 "},    {"B2", "B1 B2 "},
      {"C1", "C1 "},       {"NotABox", "NotABox "}, {"Top", "Top "},
  };
  for (const auto& g : groups) EXPECT_EQ(names(g.member), g.group) << g.member;

  auto stop = [&](const char* member) {
    const Control* c = f.tabStop(f[member]);
    return c ? c->name() : "none";
  };
  struct Step {
    const char* what;
    std::function<void()> act;
    const char* stopA, *stopB;
  } const table[] = {
      {"nothing ticked", [] {}, "A1", "B1"},
      {"tick the last box", [&] { f.userClick(f["A3"]); }, "A3", "B1"},
      {"tick the middle one too", [&] { f.userClick(f["A2"]); }, "A2", "B1"},
      {"the middle one hidden", [&] { f["A2"].setVisible(false); }, "A3", "B1"},
      {"the last one disabled", [&] { f["A3"].setEnabled(false); }, "A1", "B1"},
      {"the first one disabled too", [&] { f["A1"].setEnabled(false); },
       "none", "B1"},
      {"tick the second of the other", [&] { f.userClick(f["B2"]); }, "none", "B2"},
      {"the page goes behind", [&] { f["Pages"].setActivePageIndex(0); },
       "none", "B2"},
  };
  for (const Step& s : table) {
    s.act();
    EXPECT_EQ(stop("A2"), s.stopA) << s.what;
    EXPECT_EQ(stop("B1"), s.stopB) << s.what;
  }
}

// A control declared before an earlier sibling comes before it in the tab
// order, among the parent's children and in the window's order alike.
TEST_F(FormRules, AControlDeclaredBeforeASiblingComesBeforeItInTheTabOrder) {
  f.add({.name = "Late", .kind = Kind::Button, .parent = "Page0",
         .before = "Field"});
  f.add({.name = "Later", .kind = Kind::Button, .parent = "Page0",
         .before = "Field"});
  f.add({.name = "First", .kind = Kind::Panel, .before = "Pages"});
  std::string kids, all;
  for (const Control* c : f["Page0"].children()) kids += c->name() + " ";
  for (const auto& c : f.controls()) all += c->name() + " ";
  EXPECT_EQ(kids, "Group Box Late Later Field Button Combo ");
  EXPECT_EQ(all, "First Pages Page0 Page1 Group Box Late Later Field Button "
                 "Combo Other ");
  EXPECT_THROW(f.add({.name = "Stray", .kind = Kind::Button, .parent = "Page1",
                      .before = "Field"}),
               std::logic_error);
  EXPECT_EQ(f.find("Stray"), nullptr);
}

// Keys that run an action where the focus is inside their scope; the later
// of two for one key wins, and a scope out of sight takes no key.
TEST_F(FormRules, AShortcutRunsWhereTheFocusIsInsideItsScope) {
  std::vector<std::string> runs;
  for (const char* a : {"Act_Page", "Act_Field", "Act_Other"})
    f.addAction({a, "test", "", [&runs, a] { runs.push_back(a); }});
  f.addShortcut("F3", "Page0", "Act_Page");
  f.addShortcut("F3", "Field", "Act_Field");
  f.addShortcut("Esc", "Page1", "Act_Other");
  EXPECT_NO_THROW(f.checkNames());
  struct Step {
    const char* what;
    const char* focus;  // "" leaves it where it is
    const char* key;
    bool taken;
    const char* ran;
  } const table[] = {
      {"no focus yet", "", "F3", false, ""},
      {"in the field: its own", "Field", "F3", true, "Act_Field"},
      {"elsewhere on the page", "Button", "F3", true, "Act_Page"},
      {"another key", "Button", "Esc", false, ""},
      {"the field again", "Field", "Esc", false, ""},
  };
  for (const Step& s : table) {
    runs.clear();
    if (*s.focus) f.userFocus(f[s.focus]);
    EXPECT_EQ(f.userShortcut(s.key), s.taken) << s.what;
    EXPECT_EQ(runs, s.taken ? std::vector<std::string>{s.ran}
                            : std::vector<std::string>{})
        << s.what;
  }
  // The field's page hidden behind a page that has no focus: nothing runs.
  f["Page0"].setVisible(false);
  runs.clear();
  EXPECT_FALSE(f.userShortcut("F3"));
  EXPECT_TRUE(runs.empty());
  // A shortcut naming an unknown scope or action fails at the check.
  f.addShortcut("F4", "Feild", "Act_Field");
  EXPECT_THROW(f.checkNames(), std::logic_error);
  Form g("frmOther");
  g.add({.name = "Field", .kind = Kind::Edit});
  g.addShortcut("F4", "Field", "Act_Feild");
  EXPECT_THROW(g.checkNames(), std::logic_error);
}

TEST_F(FormRules, WindowCommandsRunByTheirPlaceInTheMenu) {
  std::string ran;
  f.addWindowCommand({"A", [&] { ran += "A"; }});
  f.addWindowCommand({"B", [&] { ran += "B"; }});
  f.userWindowCommand(1);
  f.userWindowCommand(0);
  f.userWindowCommand(2);  // past the end: nothing
  EXPECT_EQ(ran, "BA");
}

TEST_F(FormRules, HiddenOrDisabledControlsTakeNoFocusAndNoClicks) {
  f["Button"].setVisible(false);
  f.userClick(f["Button"]);
  EXPECT_FALSE(f.setFocus(f["Button"]));
  f["Box"].setEnabled(false);
  f.userClick(f["Box"]);
  EXPECT_FALSE(f["Box"].checked());
  // A control on a page that is not in front is not showing either.
  EXPECT_FALSE(f.setFocus(f["Other"]));
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(f.focused(), nullptr);
}

TEST_F(FormRules, ComboAndPageChangeEventsRunOnlyForTheUser) {
  f["Combo"].setItemIndex(1);
  EXPECT_EQ(f["Combo"].text(), "y");
  f["Pages"].setActivePageIndex(1);
  EXPECT_TRUE(log.empty());
  f.userSelectPage(f["Pages"], 0);
  f.userSelectPage(f["Pages"], 0);  // already in front
  f.userPickItem(f["Combo"], 0);
  EXPECT_EQ(log, (std::vector<std::string>{"Pages.change", "Combo.enter",
                                           "Combo.change"}));
  EXPECT_EQ(f["Combo"].text(), "x");
}

TEST_F(FormRules, FreeTextTypedIntoAComboLeavesNoItemChosen) {
  f.userType(f["Combo"], "free");
  EXPECT_EQ(f["Combo"].itemIndex(), -1);
  EXPECT_EQ(f["Combo"].text(), "free");
}

TEST_F(FormRules, AListFilledByAHandlerRunsNoChangeEvent) {
  Control& c = f["Combo"];
  c.clearItems();
  EXPECT_EQ(c.itemIndex(), -1);
  EXPECT_EQ(c.text(), "");
  c.addItem("p");
  c.addItem("q");
  c.setItemIndex(0);
  EXPECT_EQ(c.text(), "p");
  f.userPickItem(c, 1);
  EXPECT_EQ(c.text(), "q");
  EXPECT_EQ(log, (std::vector<std::string>{"Combo.enter", "Combo.change"}));
}

TEST_F(FormRules, AMisspeltNameFailsWhenTheWindowIsChecked) {
  f.addAction({"Act_Test", "test", "", [] {}});
  f["Button"].action = "Act_Test";
  EXPECT_NO_THROW(f.checkNames());
  f["Button"].action = "Act_Tset";
  EXPECT_THROW(f.checkNames(), std::logic_error);
  f["Button"].action = "Act_Test";
  f.add({.name = "Caption", .kind = Kind::Label, .parent = "Page0",
         .style = {.focusControl = "Feild"}});
  EXPECT_THROW(f.checkNames(), std::logic_error);
}

TEST_F(FormRules, ActionsRunTheirHandlerSynchronously) {
  int runs = 0;
  f.addAction({"Act_Test", "test", "", [&] { ++runs; }});
  f["Button"].action = "Act_Test";
  f.userClick(f["Button"]);
  f.execute("Act_Test");
  EXPECT_EQ(runs, 2);
  EXPECT_THROW(f.execute("Act_Missing"), std::out_of_range);
}

TEST_F(FormRules, PageResizeAndShowRunWhenAPageComesForwardWithANewSize) {
  std::vector<std::string> events;
  f["Page1"].onResize = [&] { events.push_back("resize"); };
  f["Page1"].onShow = [&] { events.push_back("show"); };
  f["Pages"].setActivePageIndex(1);  // first time in front: sized, shown
  f["Pages"].setActivePageIndex(0);
  f["Pages"].setActivePageIndex(1);  // same size again: shown only
  f.setClientSize(500, 300);         // the window grows while it is in front
  EXPECT_EQ(events, (std::vector<std::string>{"resize", "show", "show",
                                              "resize"}));
}

TEST_F(FormRules, HidingEveryTabGivesThePagesTheWholeControl) {
  int before = f["Page0"].bounds().height;
  f["Page0"].setTabVisible(false);
  f["Page1"].setTabVisible(false);
  EXPECT_EQ(f["Page0"].bounds().height, before + kTabStripHeight);
}

TEST_F(FormRules, DockedControlsShareTheParentInDeclarationOrder) {
  Form g("frmDock");
  g.add({.name = "Bottom1", .kind = Kind::Panel, .bounds = {0, 0, 0, 19},
         .style = {.align = Align::Bottom}});
  g.add({.name = "Fill", .kind = Kind::Panel, .style = {.align = Align::Client}});
  g.add({.name = "Bottom2", .kind = Kind::Panel, .bounds = {0, 0, 0, 25},
         .style = {.align = Align::Bottom}});
  g.add({.name = "Anchored", .kind = Kind::Edit, .parent = "Fill",
         .bounds = {4, 4, 0, 20}, .style = {.rightMargin = 4}});
  g.setClientSize(300, 200);
  EXPECT_EQ(g["Bottom1"].bounds(), (Rect{0, 181, 300, 19}));
  EXPECT_EQ(g["Bottom2"].bounds(), (Rect{0, 156, 300, 25}));
  EXPECT_EQ(g["Fill"].bounds(), (Rect{0, 0, 300, 156}));
  EXPECT_EQ(g["Anchored"].bounds(), (Rect{4, 4, 292, 20}));
}

TEST_F(FormRules, MemoLinesAndAppends) {
  Form g("frmMemo");
  Control& m = g.add({.name = "Memo", .kind = Kind::Memo});
  m.setText("a\r\nb\r\n");
  m.append("c");
  EXPECT_EQ(m.text(), "a\r\nb\r\nc");
  EXPECT_EQ(m.lines(), (std::vector<std::string>{"a", "b", "c"}));
  m.setText("x\ry\nz\r\n");  // every kind of line end counts once
  EXPECT_EQ(m.lines(), (std::vector<std::string>{"x", "y", "z"}));
  m.setLines({"1", "", "2"});
  EXPECT_EQ(m.text(), "1\r\n\r\n2\r\n");
}

}  // namespace
}  // namespace velquin::form
