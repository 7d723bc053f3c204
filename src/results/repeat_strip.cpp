#include "results/repeat_strip.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <system_error>
#include <thread>
#include <vector>

#include "app/history.h"
#include "form/output_doc.h"
#include "form/typed_number.h"
#include "reading/line_diff.h"
#include "results/data_page.h"

namespace velquin::results {

using form::Align;
using form::Kind;

namespace {

constexpr const char* kOwner = "repeat";
constexpr const char* kIntervalValue = "repeat.interval";
constexpr const char* kModeValue = "repeat.mode";
constexpr const char* kOnlyValue = "repeat.only";
constexpr const char* kNotifyValue = "repeat.notify";
constexpr const char* kFixedValue = "output.fixedPitch";
constexpr int64_t kShortest = 500;
constexpr int64_t kLongest = 86400 * 1000LL;
// Runs longer than this many lines are compared off the window's thread,
// which meanwhile looks for the result this often.
constexpr size_t kLinesOnThread = 20000;
constexpr int kLookMs = 10;

// "HH:MM:SS" of "YYYY/MM/DD hh:mm:ss".
std::string clockTime(const std::string& local) {
  return local.size() >= 19 ? local.substr(11, 8) : local;
}

// When a kept text first appeared, what it changed then, and how many runs
// in a row gave it.
std::string runCaption(const reading::KeptRun& r) {
  std::string s = r.time + "  " + std::to_string(r.number) + " 回目";
  if (!r.first) s += "  変化 " + std::to_string(r.changed) + " 行";
  if (r.same > 1) s += "  ×" + std::to_string(r.same);
  return s;
}

// The record's heading of a kept run: its first run, and for a text that
// runs repeated, how many and the latest of them.
std::string recordHeading(const reading::KeptRun& r) {
  std::string s = "==== " + r.time + "  " + std::to_string(r.number) + " 回目";
  if (r.same > 1)
    s += "  ×" + std::to_string(r.same) + " (最後 " + r.lastTime + "  " +
         std::to_string(r.lastNumber) + " 回目)";
  return s + " ====\r\n";
}

// Lines of a text about as the view counts them, to tell a long run.
size_t aboutLines(std::string_view text) {
  return std::max(std::count(text.begin(), text.end(), '\n'),
                  std::count(text.begin(), text.end(), '\r')) + 1;
}

}  // namespace

int64_t parseInterval(const std::string& typed) {
  const std::optional<int64_t> ms = form::thousandths(typed);
  return ms && *ms >= kShortest && *ms <= kLongest ? *ms : -1;
}

std::string intervalText(int64_t ms) {
  std::string s = std::to_string(ms / 1000);
  int64_t f = ms % 1000;
  if (f == 0) return s;
  std::string d = std::to_string(1000 + f).substr(1);
  while (d.back() == '0') d.pop_back();
  return s + "." + d;
}

// The work reads and writes the job alone until it sets done; the window's
// thread then takes the results, if it still wants them. Nothing of the
// model or the window is touched off its thread.
struct RepeatStrip::Job {
  reading::RunStore::Basis basis;  // the run before (its text in newest)
  std::string text;                // the run
  bool marks = false;              // the marks wanted, or the count alone
  bool keep = false;               // prepared to be kept as well
  bool threaded = false;           // done on a thread of its own
  reading::RunChanges changes;
  reading::RunStore::Prepared prepared;
  std::exception_ptr failed;
  std::atomic<bool> done{false};

  void work() {
    try {
      if (!basis.empty) changes = reading::compareRuns(*basis.newest, text, marks);
      if (keep) prepared = reading::RunStore::prepare(std::move(text), basis);
    } catch (...) {
      failed = std::current_exception();
    }
    basis.newest.reset();
    done.store(true, std::memory_order_release);
  }
};

struct RepeatStrip::Controls {
  form::Control& PanelRepeat;
  form::Control& Edit_RepeatSec;
  form::Control& btnRepeat;
  form::Control& CB_RepeatMode;
  form::Control& CB_RepeatOnly;
  form::Control& CB_RepeatRuns;
  form::Control& CB_RepeatNotify;
  form::Control& LblRepeatLine;
  form::Control& Edit1;
  form::Control& Memo0;
};

RepeatStrip::RepeatStrip(app::TfrmMain& main, app::RunStatus& status)
    : main_(main), status_(status), doc_(*main["Memo0"].outputDoc()) {
  form::Form& f = main_.form();
  f.add({.name = "PanelRepeat", .kind = Kind::Panel, .parent = "TabSheet2",
         .bounds = {0, 0, 0, 50}, .style = {.align = Align::Top},
         .visible = false});
  f.add({.name = "LblRepeatSec", .kind = Kind::Label, .parent = "PanelRepeat",
         .text = "間隔(&I)", .bounds = {4, 6, 44, 14},
         .style = {.focusControl = "Edit_RepeatSec"}});
  f.add({.name = "Edit_RepeatSec", .kind = Kind::Edit, .parent = "PanelRepeat",
         .text = "2", .bounds = {50, 3, 48, 20},
         .hint = "次の実行までの秒数 (0.5 から 86400)"});
  f.add({.name = "LblRepeatUnit", .kind = Kind::Label, .parent = "PanelRepeat",
         .text = "秒", .bounds = {101, 6, 14, 14}});
  f.add({.name = "btnRepeat", .kind = Kind::Button, .parent = "PanelRepeat",
         .text = kRepeatStart, .bounds = {118, 2, 72, 22},
         .onClick = [this] { btnRepeatClick(); }});
  f.add({.name = "CB_RepeatMode", .kind = Kind::ComboBox, .parent = "PanelRepeat",
         .bounds = {196, 3, 104, 20},
         .style = {.comboStyle = form::ComboStyle::DropDownList},
         .items = {"強調しない", "変わった行", "変わった文字"}, .itemIndex = 1,
         .onChange = [this] { CB_RepeatModeChange(); }});
  f.add({.name = "CB_RepeatRuns", .kind = Kind::ComboBox, .parent = "PanelRepeat",
         .bounds = {306, 3, 256, 20},
         .style = {.comboStyle = form::ComboStyle::DropDownList},
         .items = {kRepeatNewest}, .itemIndex = 0,
         .hint = "残した実行結果 (変わった回だけ、新しい順)",
         .onChange = [this] { CB_RepeatRunsChange(); }});
  f.add({.name = "btnRepeatClose", .kind = Kind::Button, .parent = "PanelRepeat",
         .text = "×", .bounds = {566, 2, 22, 22},
         .hint = "繰り返しを止めて閉じます",
         .onClick = [this] { btnRepeatCloseClick(); }});
  f.add({.name = "CB_RepeatOnly", .kind = Kind::CheckBox, .parent = "PanelRepeat",
         .text = "変わった行だけ表示(&O)", .bounds = {4, 28, 168, 18},
         .onClick = [this] { CB_RepeatOnlyClick(); }});
  f.add({.name = "CB_RepeatNotify", .kind = Kind::CheckBox, .parent = "PanelRepeat",
         .text = "変わったら知らせる(&N)", .bounds = {176, 28, 160, 18}});
  f.add({.name = "LblRepeatLine", .kind = Kind::Label, .parent = "PanelRepeat",
         .bounds = {340, 30, 248, 14}, .style = {.autoSize = false}});

  f.addAction({"Act_Repeat", "繰り返し", "繰り返し実行(&R)...",
               [this] { Act_RepeatExecute(); }});
  f.addAction({"Act_RepeatInterval", "繰り返し", "",
               [this] { Act_RepeatIntervalExecute(); }});
  f.addAction({"Act_RepeatSave", "繰り返し", "記録を保存(&V)...",
               [this] { Act_RepeatSaveExecute(); }});
  f.addAction({"Act_RepeatClose", "繰り返し", "",
               [this] { btnRepeatCloseClick(); }});
  f.addAction({"Act_FixedPitch", "繰り返し", "等幅フォント(&M)",
               [this] { Act_FixedPitchExecute(); }});
  // Anywhere in the main window.
  for (const form::Control* root : f.roots())
    f.addShortcut("Ctrl+R", root->name(), "Act_Repeat");
  f.addShortcut("Enter", "Edit_RepeatSec", "Act_RepeatInterval");
  f.addShortcut("Esc", "PanelRepeat", "Act_RepeatClose");

  doc_.addMenuItem({.caption = "繰り返し実行(&R)...", .action = "Act_Repeat",
                    .separatorBefore = true});
  doc_.addMenuItem({.caption = "記録を保存(&V)...", .action = "Act_RepeatSave",
                    .shown = [this] { return store_.size() > 0; }});
  doc_.addMenuItem({.caption = "等幅フォント(&M)", .action = "Act_FixedPitch",
                    .checked = [this] { return doc_.changes().fixedPitch(); }});

  c_.reset(new Controls{f["PanelRepeat"], f["Edit_RepeatSec"], f["btnRepeat"],
                        f["CB_RepeatMode"], f["CB_RepeatOnly"], f["CB_RepeatRuns"],
                        f["CB_RepeatNotify"], f["LblRepeatLine"], f["Edit1"],
                        f["Memo0"]});
}

RepeatStrip::~RepeatStrip() = default;

void RepeatStrip::formShown() {
  app::UserState& s = main_.state();
  const int64_t ms = parseInterval(s.value(kIntervalValue, "2"));
  if (ms > 0) intervalMs_ = ms;
  c_->Edit_RepeatSec.setText(intervalText(intervalMs_));
  const std::string mode = s.value(kModeValue, "1");
  c_->CB_RepeatMode.setItemIndex(mode == "0" ? 0 : mode == "2" ? 2 : 1);
  c_->CB_RepeatOnly.setChecked(s.flag(kOnlyValue, false));
  c_->CB_RepeatNotify.setChecked(s.flag(kNotifyValue, false));
  form::ChangeMarks& marks = doc_.changes();
  marks.setMode(static_cast<form::ChangeMarks::Mode>(c_->CB_RepeatMode.itemIndex()));
  marks.setOnlyChanged(c_->CB_RepeatOnly.checked());
  marks.setFixedPitch(s.flag(kFixedValue, false));
  doc_.changesShown();
  // The page's stop button also ends a repetition that waits for its next
  // run, when there is no command for the runner to stop.
  form::Form& f = main_.form();
  if (const form::Action* stop = f.findAction("Act_Break")) {
    form::Action wrapped = *stop;
    wrapped.execute = [this, inner = stop->execute] {
      stopRequested();
      if (inner) inner();
    };
    f.addAction(std::move(wrapped));
  }
}

void RepeatStrip::formClosing() {
  active_ = false;
  app::UserState& s = main_.state();
  s.setValue(kIntervalValue, intervalText(intervalMs_));
  s.setValue(kModeValue, std::to_string(c_->CB_RepeatMode.itemIndex()));
  s.setFlag(kOnlyValue, c_->CB_RepeatOnly.checked());
  s.setFlag(kNotifyValue, c_->CB_RepeatNotify.checked());
  s.setFlag(kFixedValue, doc_.changes().fixedPitch());
}

void RepeatStrip::Act_RepeatExecute() {
  c_->PanelRepeat.setVisible(true);
  main_["PageControl1"].setActivePage(main_["TabSheet2"]);
  if (!active_) c_->LblRepeatLine.setText(c_->Edit1.text());
  main_.form().setFocus(c_->btnRepeat);
}

void RepeatStrip::btnRepeatClick() {
  if (!active_) {
    repeat();
    return;
  }
  if (paused_) {
    showKept(store_.size() - 1);
    paused_ = false;
    showButton();
    return;
  }
  active_ = false;
  showButton();
}

void RepeatStrip::btnRepeatCloseClick() {
  active_ = false;
  paused_ = false;
  showButton();
  c_->PanelRepeat.setVisible(false);
  ++viewSerial_;
  doc_.changes().clear();
  doc_.changesShown();
  status_.setAround(kOwner, "", "");
  ownStatus_ = false;
  main_.form().setFocus(c_->Memo0);
}

void RepeatStrip::stopRequested() {
  if (!active_) return;
  active_ = false;
  showButton();
}

void RepeatStrip::Act_RepeatIntervalExecute() { takeInterval(true); }

bool RepeatStrip::takeInterval(bool tell) {
  const int64_t ms = parseInterval(c_->Edit_RepeatSec.text());
  if (ms < 0) {
    if (tell) main_.platform().showMessage(kBadInterval);
    c_->Edit_RepeatSec.setText(intervalText(intervalMs_));
    return false;
  }
  intervalMs_ = ms;
  return true;
}

void RepeatStrip::CB_RepeatModeChange() {
  doc_.changes().setMode(
      static_cast<form::ChangeMarks::Mode>(std::max(0, c_->CB_RepeatMode.itemIndex())));
  doc_.changesShown();
}

void RepeatStrip::CB_RepeatOnlyClick() {
  doc_.changes().setOnlyChanged(c_->CB_RepeatOnly.checked());
  doc_.changesShown();
}

void RepeatStrip::Act_FixedPitchExecute() {
  doc_.changes().setFixedPitch(!doc_.changes().fixedPitch());
  doc_.changesShown();
}

void RepeatStrip::showButton() {
  c_->btnRepeat.setText(active_ && !paused_ ? kRepeatStop : kRepeatStart);
}

void RepeatStrip::around(const std::string& back) {
  ownStatus_ = true;
  status_.setAround(kOwner, "繰り返し " + std::to_string(number_) + " 回目: ", back);
}

void RepeatStrip::repeat() {
  if (!takeInterval(true)) return;
  platform::Platform& os = main_.platform();
  command_ = c_->Edit1.text();
  c_->LblRepeatLine.setText(command_);
  // What a repetition before this one still had under way is dropped.
  keepJob_.reset();
  viewJob_.reset();
  ++viewSerial_;
  store_.clear();
  newestLines_ = 0;
  number_ = 0;
  active_ = true;
  paused_ = false;
  pendingShow_ = -1;
  showButton();
  listRuns();
  // Each run starts an interval after the one before was due, so that the
  // time the program takes to wake up adds up over no number of runs; a
  // run that overran its interval is followed at once.
  int64_t scheduled = os.steadyMs();
  // The history's time of the line goes to the state file every few
  // seconds while the runs go on, and at their end.
  main_.state().holdWrites(true);
  while (runOnce()) {
    scheduled += intervalMs_;
    if (!waitUntil(scheduled)) break;
  }
  finish();
  main_.state().holdWrites(false);
}

bool RepeatStrip::runOnce() {
  platform::Platform& os = main_.platform();
  if (!active_ || os.quitting()) return false;
  ++number_;
  lastChanged_.reset();
  const std::string startTime = clockTime(os.localTimeText());
  around("");
  userLine_ = c_->Edit1.text();
  restoreLine_ = userLine_ != command_;
  if (restoreLine_) c_->Edit1.setText(command_);
  started_ = false;
  end_ = {.how = exec::RunEnd::How::NotStarted};
  ourStart_ = true;
  inRun_ = true;
  main_.form().execute("Act_btnDO");
  inRun_ = false;
  ourStart_ = false;
  if (restoreLine_ && !started_) c_->Edit1.setText(userLine_);
  // Refused (an empty line), not started, stopped, or the window closed.
  if (!started_ || end_.how != exec::RunEnd::How::Exited) return false;
  kept(startTime);
  if (pendingShow_ >= 0) {
    const size_t chosen = static_cast<size_t>(pendingShow_);
    pendingShow_ = -1;
    if (chosen >= store_.dropped()) showKept(chosen - store_.dropped());
  }
  return active_;
}

bool RepeatStrip::waitUntil(int64_t& scheduled) {
  platform::Platform& os = main_.platform();
  const std::string changes = changesText();
  // A run that took longer than the interval is followed at once, and the
  // next one is counted from there.
  if (!paused_ && os.steadyMs() >= scheduled) {
    scheduled = os.steadyMs();
    return active_ && !os.quitting();
  }
  int64_t shown = -1;
  for (;;) {
    if (!active_ || os.quitting()) return false;
    const int64_t now = os.steadyMs();
    if (paused_) {
      scheduled = now;  // going on starts a run at once
      if (shown != 0) around(changes + "、一時停止中");
      shown = 0;
      os.pumpMessages(250);
      continue;
    }
    if (now >= scheduled) return true;
    const int64_t left = scheduled - now;
    const int64_t seconds = (left + 999) / 1000;
    if (seconds != shown) {
      around(changes + "、次は " + std::to_string(seconds) + " 秒後");
      shown = seconds;
    }
    // Woken when the seconds shown change, or for the run.
    os.pumpMessages(static_cast<int>(left - (seconds - 1) * 1000));
  }
}

std::string RepeatStrip::changesText() const {
  return lastChanged_ ? "、変化 " + std::to_string(*lastChanged_) + " 行" : "";
}

void RepeatStrip::begin(const std::shared_ptr<Job>& job, size_t lines) {
  if (lines > kLinesOnThread) {
    try {
      // The thread holds the job: one left behind ends on its own.
      std::thread([job] { job->work(); }).detach();
      job->threaded = true;
      return;
    } catch (const std::system_error&) {
      // No thread to be had: the work is done here.
    }
  }
  job->work();
}

bool RepeatStrip::await(const std::shared_ptr<Job>& job,
                        const std::shared_ptr<Job>& slot) {
  platform::Platform& os = main_.platform();
  if (job->threaded) {
    // The messages that came meanwhile first, then between looks at the work.
    int wait = 0;
    do {
      if (os.quitting() || slot != job) return false;
      os.pumpMessages(wait);
      wait = kLookMs;
    } while (!job->done.load(std::memory_order_acquire));
  }
  return !os.quitting() && slot == job;
}

void RepeatStrip::kept(const std::string& startTime) {
  const bool first = store_.size() == 0;
  const size_t lines = doc_.text().lineCount();
  auto job = std::make_shared<Job>();
  job->basis = store_.basis();
  job->text = c_->Memo0.text();
  // A strip closed while the run went on shows nothing of it.
  job->marks = c_->PanelRepeat.visible();
  job->keep = true;
  const uint64_t view = viewSerial_;
  keepJob_ = job;
  begin(job, std::max(lines, newestLines_));
  // A kept run chosen meanwhile shows once this one is kept.
  inRun_ = true;
  const bool done = await(job, keepJob_);
  inRun_ = false;
  if (!done) return;
  keepJob_.reset();
  if (job->failed) std::rethrow_exception(job->failed);
  const size_t changed = job->changes.count;
  if (!first) lastChanged_ = changed;
  newestLines_ = lines;
  store_.add(std::move(job->prepared), {startTime, number_, changed, 1, first});
  // The view may show another text by now (another command's, a kept run).
  if (job->marks && view == viewSerial_ && c_->PanelRepeat.visible()) {
    if (!first) showChanges(*job);
    around(changesText());
  }
  if (changed > 0 && c_->CB_RepeatNotify.checked()) main_.platform().alertUser();
  listRuns();
}

void RepeatStrip::showChanges(Job& job) {
  reading::RunChanges& c = job.changes;
  doc_.changes().set(c.lines, std::move(c.changed), std::move(c.removedBefore),
                     std::move(c.chars));
  doc_.changesShown();
}

// Index 0 is the oldest kept run: shown, and marked against the one before.
void RepeatStrip::showKept(size_t index) {
  if (index >= store_.size()) return;
  std::string text = store_.text(index);
  std::string older = index > 0 ? store_.textBefore(index, text) : "";
  c_->Memo0.setText(text);
  const uint64_t view = ++viewSerial_;
  const reading::KeptRun& r = store_.run(index);
  status_.setAround(kOwner, "繰り返し " + std::to_string(r.number) + " 回目: ",
                    r.first ? "" : "、変化 " + std::to_string(r.changed) + " 行");
  if (index == 0) return;
  auto job = std::make_shared<Job>();
  job->basis = {std::make_shared<const std::string>(std::move(older)), false, 0};
  job->text = std::move(text);
  job->marks = true;
  viewJob_ = job;
  begin(job, std::max(aboutLines(*job->basis.newest), doc_.text().lineCount()));
  if (!await(job, viewJob_)) return;
  viewJob_.reset();
  if (job->failed) std::rethrow_exception(job->failed);
  if (view == viewSerial_) showChanges(*job);
}

void RepeatStrip::listRuns() {
  // Filled in one go: a thousand kept runs cost the window one filling.
  std::vector<std::string> items{kRepeatNewest};
  items.reserve(store_.size() + 2);
  for (size_t i = store_.size(); i-- > 0;) items.push_back(runCaption(store_.run(i)));
  if (store_.dropped() > 0)
    items.push_back("(古い " + std::to_string(store_.dropped()) + " 回は破棄しました)");
  c_->CB_RepeatRuns.setItems(std::move(items));
  c_->CB_RepeatRuns.setItemIndex(0);
}

void RepeatStrip::CB_RepeatRunsChange() {
  const int pick = c_->CB_RepeatRuns.itemIndex();
  const size_t n = store_.size();
  if (pick <= 0) {
    // The newest again, and a paused repetition goes on.
    const bool shown = paused_ || !active_;
    paused_ = false;
    if (shown && n > 0) showKept(n - 1);
    showButton();
    return;
  }
  if (static_cast<size_t>(pick) > n) return;  // the note of dropped runs
  const size_t index = n - static_cast<size_t>(pick);
  if (active_) paused_ = true;
  showButton();
  if (inRun_)
    pendingShow_ = static_cast<int64_t>(index + store_.dropped());
  else
    showKept(index);
}

void RepeatStrip::finish() {
  active_ = false;
  paused_ = false;
  showButton();
  // The bar keeps what the last run changed, without a next run; a run
  // stopped midway changed nothing that was counted.
  if (number_ > 0 && ownStatus_) around(changesText());
}

void RepeatStrip::runStarting(const std::string&) {
  ++depth_;
  ++viewSerial_;
  if (ourStart_) {
    ourStart_ = false;
    ourDepth_ = depth_;
    started_ = true;
    // The runner has taken the repeated line: Edit1 shows the user's own.
    if (restoreLine_) c_->Edit1.setText(userLine_);
    return;
  }
  // Another command (the user's own, a command file) ends the repetition
  // and the status bar speaks of that command alone.
  if (active_) {
    active_ = false;
    paused_ = false;
    showButton();
  }
  doc_.changes().clear();
  status_.setAround(kOwner, "", "");
  ownStatus_ = false;
}

void RepeatStrip::runEnded(const exec::RunEnd& end) {
  if (depth_ == ourDepth_) {
    end_ = end;
    ourDepth_ = 0;
  }
  --depth_;
}

void RepeatStrip::Act_RepeatSaveExecute() {
  platform::Platform& os = main_.platform();
  if (store_.size() == 0) return;
  platform::FileDialog dialog;
  dialog.title = "記録を保存";
  dialog.filter = "Textﾌｧｲﾙ|*.txt|すべてのﾌｧｲﾙ|*.*";
  dialog.initialFolder = main_.startFolder() + "\\Data";
  dialog.askBeforeReplace = true;
  if (!os.saveDialog(dialog)) return;
  // Rebuilt from the newest back, written oldest first.
  std::vector<std::string> blocks(store_.size());
  store_.eachNewestFirst([&](size_t i, const std::string& run) {
    std::string& b = blocks[i];
    b = recordHeading(store_.run(i));
    // A command that may carry a password is left out of the file, all of
    // it, however many lines it spans; the output under it is kept. The
    // run's text starts with the command and a line break.
    if (app::carriesPassword(command_)) {
      if (!run.starts_with(command_ + "\r\n")) return;
      b.append(run, command_.size() + 2);
    } else {
      b += run;
    }
    if (!b.ends_with("\r\n")) b += "\r\n";
  });
  std::string text;
  for (std::string& b : blocks) {
    text += b;
    std::string().swap(b);
  }
  bool lossy = false;
  const platform::IoResult r = os.writeTextFile(dialog.fileName, text, &lossy);
  if (!r.ok) {
    os.showMessage(r.message);
    return;
  }
  if (lossy) os.showMessage(std::string(kLossyNote) + "\r\n" + dialog.fileName);
}

}  // namespace velquin::results
