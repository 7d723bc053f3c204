#pragma once
// StatusBar1: how the last run is going or how it ended, the progress of a
// command file, the hint that a command lacked the administrator's rights
// with a restart as administrator, and, in a part of its own, "管理者" while
// the program runs elevated.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/main_window.h"
#include "exec/runner.h"

namespace velquin::app {

inline constexpr const char* kRestartElevated = "管理者として再起動(&A)";
inline constexpr const char* kElevatedPart = "管理者";
inline constexpr const char* kRightsHint =
    "管理者の権限が必要です。ここをクリックすると管理者として再起動します";
inline constexpr const char* kRestartCancelled =
    "管理者としての再起動は取り消されました";
inline constexpr const char* kRestartFailed = "管理者として再起動できませんでした: ";
// The start option of the elevated restart: the name of the channel on
// which the instance that started this one hands over the command line
// (never the command line itself, which may hold a password). The text is
// put into the command line field, never run.
inline constexpr const char* kHandOverOption = "/handover";
inline constexpr const char* kCarryFailed =
    "コマンドラインを引き継げませんでした";
// In the instance that restarts: while the new one may still take the
// command line, and when it did not take it (this window then stays, with
// the line in its field).
inline constexpr const char* kHandingOver =
    "管理者として起動したプログラムにコマンドラインを渡しています";
inline constexpr const char* kHandOverFailed =
    "管理者として起動したプログラムにコマンドラインを渡せませんでした";

// Seconds with one decimal: 1234 ms is "1.2".
std::string tenths(int64_t ms);
// What the status bar says of a run that has ended after ms milliseconds.
std::string endText(const exec::RunEnd& end, int64_t ms);
// True when the output holds one of the system's messages for missing
// rights, in Japanese or English.
bool lacksRights(std::string_view output);
// The channel named by the start option among the program's arguments (its
// own name first): nothing without the option, "" when the name is missing.
std::optional<std::string> handOverChannel(const std::vector<std::string>& args);

class RunStatus : public PageUnit, public exec::RunObserver {
 public:
  explicit RunStatus(TfrmMain& main);

  // The command file's progress: line k of n.
  void batchLine(size_t k, size_t n);
  void batchEnded();
  bool inBatch() const { return batchTotal_ > 0; }

  // Starts the program again elevated with Edit1's text; this one closes
  // once the elevated one has started and taken the text, answering the
  // user meanwhile.
  void restartElevated();
  // In the instance so started: the text handed over, or nothing when it
  // could not be (Edit1 then stays empty and the bar says so).
  void carriedOver(const std::optional<std::string>& text);

  // Texts that other features put in front of and behind what the bar says
  // of the run (a repetition's count, a host that stopped answering), one
  // pair per owner, in the order the owners first set them; two empty
  // texts take the owner's pair away. The bar follows at once.
  void setAround(const std::string& owner, std::string front, std::string back);

  void formShown() override;
  void runStarting(const std::string& command) override;
  void runPassing() override;
  void runOutput(std::string_view text) override;
  void runEnded(const exec::RunEnd& end) override;

 private:
  void show(const std::string& text);
  void showRunning();
  void StatusBar1Click();
  // Waits, answering the user, until the instance started elevated has
  // taken the text offered to it: true when it did.
  bool handedOver();

  TfrmMain& main_;
  form::Control& bar_;
  bool elevated_;
  std::vector<int64_t> starts_;  // start of each run in progress, innermost last
  int64_t shownSecond_ = -1;
  std::string lastEnd_;
  std::string seen_;  // the end of the output so far, for a message cut in two
  bool lacksRights_ = false;
  bool hintShown_ = false;
  bool handingOver_ = false;  // a restart waits for the new instance to read
  size_t batchLine_ = 0;
  size_t batchTotal_ = 0;
  std::string shown_;  // what the bar says of the run, without the texts around it
  struct Around {
    std::string owner, front, back;
  };
  std::vector<Around> around_;
};

}  // namespace velquin::app
