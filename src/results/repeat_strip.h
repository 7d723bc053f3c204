#pragma once
// Running one command line again and again: the repeat strip above the
// output view (hidden until the user asks for it), the cadence of the runs,
// what the status bar says of them, the changes against the run before
// marked in the view, the runs kept as differences and chosen from a list,
// the record of them saved to one file, and the view's fixed-pitch font.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "app/main_window.h"
#include "app/run_status.h"
#include "exec/runner.h"
#include "reading/run_store.h"

namespace velquin::form {
class OutputDoc;
}

namespace velquin::results {

inline constexpr const char* kRepeatStart = "開始(&S)";
inline constexpr const char* kRepeatStop = "停止(&S)";
inline constexpr const char* kRepeatNewest = "最新";
inline constexpr const char* kBadInterval =
    "繰り返しの間隔は 0.5 から 86400 までの秒数で入力してください。";

// The interval in milliseconds from what the user typed (seconds, decimals
// allowed, full-width digits too), or -1 when it is no number in range.
int64_t parseInterval(const std::string& text);
// Milliseconds as the field shows them: "2", "0.5", "1.25".
std::string intervalText(int64_t ms);

class RepeatStrip : public app::PageUnit, public exec::RunObserver {
 public:
  RepeatStrip(app::TfrmMain& main, app::RunStatus& status);
  ~RepeatStrip() override;

  void formShown() override;
  void formClosing() override;
  void runStarting(const std::string& command) override;
  void runEnded(const exec::RunEnd& end) override;

  // Ctrl+R, the view's menu: opens the strip with the focus on its button.
  void Act_RepeatExecute();
  // "開始" starts with Edit1's line (or goes on after a past run was
  // shown); "停止" lets the run in progress end and starts no other.
  void btnRepeatClick();
  // "×": stops, hides the strip and takes the marks from the view.
  void btnRepeatCloseClick();
  // Enter in the interval field: the value is taken or refused at once.
  void Act_RepeatIntervalExecute();
  void CB_RepeatModeChange();
  void CB_RepeatOnlyClick();
  void CB_RepeatRunsChange();
  // The record of every kept run, into one text file.
  void Act_RepeatSaveExecute();
  void Act_FixedPitchExecute();

  bool repeating() const { return active_; }

 private:
  void repeat();
  bool runOnce();
  bool waitUntil(int64_t& scheduled);
  void kept(const std::string& startTime);
  // The comparison of two runs and the keeping of the newer, done off the
  // window's thread when they are long.
  struct Job;
  static void begin(const std::shared_ptr<Job>& job, size_t lines);
  // Handles the window's messages until the job is done; false when the
  // window closes first or the slot no longer holds the job. A failure of
  // the work is left in the job.
  bool await(const std::shared_ptr<Job>& job, const std::shared_ptr<Job>& slot);
  void showChanges(Job& job);
  std::string changesText() const;
  void showKept(size_t index);
  void listRuns();
  bool takeInterval(bool tell);
  void finish();
  void around(const std::string& back);
  void showButton();
  void stopRequested();

  app::TfrmMain& main_;
  app::RunStatus& status_;
  form::OutputDoc& doc_;
  struct Controls;
  std::unique_ptr<Controls> c_;
  reading::RunStore store_;

  std::string command_;       // the line repeated
  int64_t intervalMs_ = 2000;
  bool active_ = false;       // a repetition goes on
  bool paused_ = false;       // a kept run is shown: no new run starts
  size_t number_ = 0;         // runs so far
  // The lines that the latest run changed, once it was compared with the
  // one before (none for the first run and a run that did not end).
  std::optional<size_t> lastChanged_;
  bool inRun_ = false;        // a run goes on, or its keeping
  bool ownStatus_ = false;     // the status bar shows the repetition's texts
  // A kept run chosen while a run was going, counted with the runs dropped
  // before it (so that a drop meanwhile does not move it); -1 for none.
  int64_t pendingShow_ = -1;
  size_t newestLines_ = 0;    // lines of the newest kept run
  // The work under way: keeping the latest run, marking a run shown again.
  std::shared_ptr<Job> keepJob_;
  std::shared_ptr<Job> viewJob_;
  // Changes whenever the view comes to show another text, so that marks
  // found for the text before are never drawn over it.
  uint64_t viewSerial_ = 0;
  // The run that the repetition started, among those that may nest.
  bool ourStart_ = false;
  int depth_ = 0;
  int ourDepth_ = 0;
  bool started_ = false;
  exec::RunEnd end_;
  std::string userLine_;       // Edit1 as the user left it
  bool restoreLine_ = false;
};

}  // namespace velquin::results
