#pragma once
// The command line history: every line the user runs from the command line
// field, newest first, an exact repeat moved to the top, at most 200 kept.
// Up and Down in the field walk through it, F7 lists the latest lines with
// the time each was run. Kept across starts in the program's state file,
// except lines that can carry a password in clear (net user, cmdkey /pass,
// ...), which live for the session only.

#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "app/main_window.h"
#include "app/user_state.h"
#include "exec/runner.h"

namespace velquin::app {

class RunStatus;

// True when the line may run a command that takes a password on its
// command line: net (or net1) user, users or use; cmdkey with /pass;
// schtasks with /rp or /p; sc with password= (any case, with or without
// .exe, quotes or a folder), wherever the program stands: at the start,
// after cmd /c, after &, |, (, as runas's or start's command... In doubt
// it says yes: a line wrongly kept from the file costs a retype, one
// wrongly written leaks a password.
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
  // The user deletes the entry at index: the line is gone from every
  // window of the program as each next writes the file, up to the time it
  // had (the same line run later is a new one).
  void forget(size_t index);
  // Rows of the state file (time, line), newest first, and the deletions
  // ("deleted", time, a digest of the line); rows of another shape and
  // lines that may carry a password are left out.
  void load(const std::vector<StateRow>& rows);
  std::vector<StateRow> rowsToKeep() const;
  // The rows now on disk merged in: every line of both that no deletion of
  // either takes away (a line missing there is not a deletion: a window
  // that never had it wrote the file). Newest first by time, a repeat once,
  // kKept at most. The rows to write.
  std::vector<StateRow> merge(const std::vector<StateRow>& onDisk);

  // Walking through the history from the field: the line to show, or
  // nothing when there is no older (newer) one. current is what the field
  // holds: a line the user changed starts the walk again from the newest,
  // and going down past the newest gives back what was typed.
  std::optional<std::string> older(const std::string& current);
  std::optional<std::string> newer(const std::string& current);
  void endWalk() { pos_ = -1; }

 private:
  void takeDeletions(const std::vector<StateRow>& rows);
  bool deleted(const std::string& time, const std::string& line) const;

  std::vector<HistoryEntry> entries_;
  // Lines deleted in any window: the digest of each, with the newest time
  // up to which it is gone.
  std::map<std::string, std::string> deleted_;
  int pos_ = -1;  // entry shown in the field, -1 for the user's own text
  std::string typed_;
};

// The history on the main window: Edit1's Up, Down and F7, the runs of the
// run button (not the lines of a command file), the state file.
class HistoryUnit : public PageUnit, public exec::RunObserver, public SharedList {
 public:
  static constexpr size_t kListed = 20;

  HistoryUnit(TfrmMain& main, const RunStatus& status);
  const CommandHistory& history() const { return history_; }

  void formShown() override;
  void runStarting(const std::string& command) override;
  void runEnded(const exec::RunEnd&) override {}
  std::vector<StateRow> merge(const std::vector<StateRow>& onDisk) override {
    return history_.merge(onDisk);
  }

 private:
  bool edit1Key(form::Key key);
  // The F7 list: the line chosen, or nothing.
  std::optional<std::string> listed();
  // Written at once, so that a crash loses no line; soon: while a command
  // runs again and again, at most every few seconds and at its end.
  void save(bool soon);

  TfrmMain& main_;
  const RunStatus& status_;
  form::Control& edit1_;
  CommandHistory history_;
};

}  // namespace velquin::app
