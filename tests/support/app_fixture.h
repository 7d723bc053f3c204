#pragma once
// The whole program with a scripted platform, started as WinMain starts it,
// and the user's hands: pick, tick, type, enter a field, click.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "program.h"
#include "support/scripted_platform.h"

namespace velquin::test {

class AppTest : public ::testing::Test {
 protected:
  AppTest() {
    // A program that has run here before: its settings file is in place.
    writeBytes(os.folder + "/Velquin.ini",
               "2.2.2\r\n149\r\n233\r\n612\r\n476\r\n");
    program = std::make_unique<Program>(os);
    main().FormCreate();
    // The design window's client area in 96-DPI units.
    main().form().setClientSize(596, 438);
    main().FormShow();
  }

  app::TfrmMain& main() { return program->main(); }
  form::Form& form() { return main().form(); }
  form::Control& operator[](std::string_view name) { return form()[name]; }

  std::string text(std::string_view name) { return form()[name].text(); }
  // Focus arriving at a control by the user (mouse or Tab).
  void enter(std::string_view name) { form().userFocus(form()[name]); }
  void click(std::string_view name) { form().userClick(form()[name]); }
  // A button pressed from the keyboard: its accelerator, or Enter.
  void press(std::string_view name) { form().userPress(form()[name]); }
  void pick(std::string_view name, int index) {
    form().userPickItem(form()[name], index);
  }
  void type(std::string_view name, const std::string& t) {
    form().userType(form()[name], t);
  }
  // The command line field with every blank shown as "_", so that the
  // expected lines in the tests can be read blank by blank.
  std::string line() {
    std::string s = text("Edit1");
    std::replace(s.begin(), s.end(), ' ', '_');
    return s;
  }
  // Picks a tool in the selector, as the user does on the first page.
  void chooseTool(int tool) { pick("RadioGroup1", tool); }

  // User steps written as they read: "click CB_net_02", "pick ComboBox1 1",
  // "enter Edit_net2", "press btnNet" (by its accelerator),
  // "type Edit_net2 PC 1" (the rest of the step is the
  // text, blanks included; "type Edit_net2 " types nothing), "tool 6".
  void steps(const std::vector<std::string>& list) {
    for (const std::string& s : list) {
      const size_t a = s.find(' ');
      const std::string verb = s.substr(0, a);
      const size_t b = s.find(' ', a + 1);
      const std::string name = s.substr(a + 1, b == std::string::npos ? b : b - a - 1);
      const std::string rest = b == std::string::npos ? "" : s.substr(b + 1);
      if (verb == "click") click(name);
      else if (verb == "enter") enter(name);
      else if (verb == "press") press(name);
      else if (verb == "type") type(name, rest);
      else if (verb == "pick") pick(name, std::stoi(rest));
      else if (verb == "tool") chooseTool(std::stoi(name));
      else ADD_FAILURE() << "unknown step: " << s;
    }
  }

  ScriptedPlatform os;
  std::unique_ptr<Program> program;
};

}  // namespace velquin::test
