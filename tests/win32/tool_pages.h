#pragma once
// The tool pages in the real window as a user works them: a tool picked,
// clicks, typing, picks from a list and Alt keys on the native controls,
// and a command run to its end. Also what the system's own console
// programs print, to hold the output view against.

#include <string>
#include <vector>

#include "wine_app.h"

namespace velquin::test {

// What a console program prints into a pipe, decoded from the Japanese
// code page on our own: the reference for the output view.
std::string systemOutput(const std::string& command);
// Hiragana, katakana (full and half width) and ideographs in a text.
int japaneseCharacters(const std::string& utf8);
std::vector<std::string> linesOf(const std::string& text);

// One user step on the real window.
struct Step {
  enum Kind { Click, Type, Enter, Choose, Alt } kind;
  const char* name;
  const char* text = "";
  int index = 0;
};
inline Step Click(const char* name) { return {Step::Click, name}; }
inline Step Type(const char* name, const char* text) { return {Step::Type, name, text}; }
inline Step Enter(const char* name) { return {Step::Enter, name}; }
inline Step Choose(const char* combo, int index) {
  return {Step::Choose, combo, "", index};
}
inline Step Alt(const char* letter) { return {Step::Alt, "", letter}; }

class ToolPages : public WineApp {
 protected:
  void chooseTool(int tool) { click("RadioGroup1#" + std::to_string(tool)); }
  bool ticked(const std::string& name) {
    return SendMessageW(byName(name), BM_GETCHECK, 0, 0) == BST_CHECKED;
  }
  // Focus arriving in a field, by a click or by Tab.
  void enterField(const std::string& name);
  // An item picked from a combo box's list: the combo box shows it and
  // tells its parent, as it does for the user's pick.
  void choose(const std::string& combo, int index);
  // Keys typed into the edit part of a combo box, one character at a time.
  void typeKeys(const std::string& combo, const std::string& text);
  // Alt and a letter, as the focused window receives them.
  void altKey(char letter);
  void perform(const std::vector<Step>& steps);
  // The command line field's native text, every blank shown as "_".
  std::string line();
  // Presses the run button and returns once the command has ended; a
  // command still running after limitMs is stopped and the test fails.
  ::testing::AssertionResult runToEnd(UINT limitMs = 20000);
};

}  // namespace velquin::test
