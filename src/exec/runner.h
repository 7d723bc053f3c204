#pragma once
// The command runner: runs the command line of Edit1 as a hidden child
// process and streams what it prints into the output view Memo0, with the
// stop and Ctrl-C requests that reach the running command through the hidden
// flag fields Edit_flg and Edit_ctrl.
//
// Everything runs on the user-interface thread. While a command runs, the
// polling loop handles window messages at every pass, so any handler may run
// in the middle of a run: a stop, a Ctrl-C, a change of page, a batch, even a
// second run, which then runs to its end inside the first one's loop.

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "form/form.h"
#include "platform/platform.h"

namespace velquin::exec {

class ChildProcess;

// How one run ended.
struct RunEnd {
  enum class How {
    Exited,      // by itself, with exitCode
    Stopped,     // by the stop button
    NotStarted,  // the program could not be started: error says why
    Closed,      // the window closed while it ran
  };
  How how = How::Exited;
  uint32_t exitCode = 0;
  std::string error;
};

// Told of every run: its start, each pass of its loop (about every quarter
// second at the slowest, so at least once a second), the text it
// prints, and its end. Called on the user-interface thread.
class RunObserver {
 public:
  virtual ~RunObserver() = default;
  virtual void runStarting(const std::string& command) = 0;
  virtual void runPassing() {}
  virtual void runOutput(std::string_view text) { (void)text; }
  virtual void runEnded(const RunEnd& end) = 0;
};

class Runner {
 public:
  // Finds the shared controls by name and registers the three actions.
  Runner(form::Form& form, platform::Platform& platform);
  ~Runner();
  Runner(const Runner&) = delete;
  Runner& operator=(const Runner&) = delete;

  // Runs the text of Edit1 and returns once the command has ended, has been
  // stopped, or could not be started, or once the window closes for good.
  void Act_btnDOExecute();
  // Requests for the running command, acted on within its next pass. Made
  // while nothing runs they are dropped: a stop must never end a command
  // that the user starts later.
  void Act_BreakExecute();
  void Act_btnCTLExecute();
  // Ctrl+Break in the view and its menu item: the break event to the
  // running command's console.
  void Act_CtrlBreakExecute();

  // Number of runs in progress (more than one when a run was started inside
  // another).
  size_t activeRuns() const { return runs_.size(); }

  // Observers live as long as the runner.
  void addObserver(RunObserver& observer) { observers_.push_back(&observer); }

 private:
  using Clock = std::chrono::steady_clock;
  struct Run;
  class Starter;

  RunEnd::How poll(Run& run);
  void ended(const RunEnd& end);
  void stop(ChildProcess& child);
  size_t readWaiting(Run& run, size_t count);
  void take(Run& run, std::string_view bytes, Clock::time_point now);
  // Appends at most limit bytes of the run's decoded text to the view.
  void flush(Run& run, size_t limit);
  static constexpr size_t kWhole = static_cast<size_t>(-1);
  size_t appendLimit() const;
  int waitBeforeNextPass(const Run& run, Clock::time_point lastOutput,
                         Clock::time_point now) const;

  platform::Platform& platform_;
  form::Control& edit1_;
  form::Control& memo0_;
  form::Control& pageControl1_;
  form::Control& tabSheet2_;
  form::Control& stopFlag_;
  form::Control& ctrlCFlag_;
  bool breakWanted_ = false;
  std::vector<Run*> runs_;     // innermost last
  std::vector<char> buffer_;   // read buffer, reused within one pass
  std::unique_ptr<Starter> starter_;
  std::vector<RunObserver*> observers_;
};

}  // namespace velquin::exec
