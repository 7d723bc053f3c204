#pragma once
// The command line history: every line the user runs from the command line
// field, newest first, an exact repeat moved to the top, at most 200 kept.
// Up and Down in the field walk through it, F7 lists the latest lines with
// the time each was run. Kept across starts in the program's state file,
// except lines that can carry a password in clear (net user, net use),
// which live for the session only.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/main_window.h"
#include "app/user_state.h"
#include "exec/runner.h"

namespace velquin::app {

class RunStatus;

// "net user ..." and "net use ...", in any case, with any blanks.
bool carriesPassword(std::string_view line);

struct HistoryEntry {
  std::string time;  // "YYYY/MM/DD hh:mm:ss"
  std::string line;
  bool operator==(const HistoryEntry&) const = default;
};

class CommandHistory {
 public:
  static constexpr size_t kKept = 200;

  const std::vector<HistoryEntry>& entries() const { return entries_; }
  void remember(std::string line, std::string time);
  // Rows of the state file (time, line), newest first; rows of another
  // shape and lines that may carry a password are left out.
  void load(const std::vector<StateRow>& rows);
  std::vector<StateRow> rowsToKeep() const;

  // Walking through the history from the field: the line to show, or
  // nothing when there is no older (newer) one. current is what the field
  // holds: a line the user changed starts the walk again from the newest,
  // and going down past the newest gives back what was typed.
  std::optional<std::string> older(const std::string& current);
  std::optional<std::string> newer(const std::string& current);
  void endWalk() { pos_ = -1; }

 private:
  std::vector<HistoryEntry> entries_;
  int pos_ = -1;  // entry shown in the field, -1 for the user's own text
  std::string typed_;
};

// The history on the main window: Edit1's Up, Down and F7, the runs of the
// run button (not the lines of a command file), the state file.
class HistoryUnit : public PageUnit, public exec::RunObserver {
 public:
  static constexpr size_t kListed = 20;

  HistoryUnit(TfrmMain& main, const RunStatus& status);
  const CommandHistory& history() const { return history_; }

  void formShown() override;
  void formClosing() override;
  void runStarting(const std::string& command) override;
  void runEnded(const exec::RunEnd&) override {}

 private:
  bool edit1Key(form::Key key);
  void store();

  TfrmMain& main_;
  const RunStatus& status_;
  form::Control& edit1_;
  CommandHistory history_;
};

}  // namespace velquin::app
