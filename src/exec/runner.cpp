#include "exec/runner.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "form/output_doc.h"
#include "exec/ansi_decoder.h"
#include "exec/child_process.h"

namespace velquin::exec {

namespace {

using std::chrono::milliseconds;

// Pacing of the polling loop. A pass that took output is followed at once;
// one that found none waits for a window message, briefly and, once the
// child has been quiet a while, for a tenth of its silence up to a bound,
// so a silent child costs next to no processor time and the window still
// answers at once. A child whose output arrives or that ends may end the
// wait early (the Windows one does); a wait that ended early is followed
// by a pass that does not wait, which handles what ended it (a click on
// the stop button) at once.
constexpr milliseconds kBriefQuiet{50};   // quiet this long: wait longer
constexpr int kBriefWaitMs = 1;
constexpr int kIdleWaitMs = 250;
// Text read is put into the view at the latest this long after it arrived.
// The view shows what pours in at its own pace and an append costs it only
// what it adds, so there is nothing to gain from waiting.
constexpr milliseconds kGather{0};
// An append costs the view what it adds, never what the view holds. One
// append takes at most this much, so that window messages are handled
// between appends however fast the child writes.
constexpr size_t kAppendMost = 1024 * 1024;
// Decoded text waiting for the view beyond which the pipe is left alone for
// a pass: a child that writes faster than the view shows waits on its full
// pipe instead of filling this program's memory.
constexpr size_t kBacklogAppends = 4;
// Most bytes taken in one pass while the child runs, so the window's
// messages are handled between reads even when output pours in.
constexpr size_t kReadPerPass = 1024 * 1024;

// Where an append of at most limit bytes of text ends: after the last line
// end that fits, else at the last whole UTF-8 character.
size_t appendCut(const std::string& text, size_t limit) {
  if (text.size() <= limit) return text.size();
  const size_t lineEnd = text.rfind('\n', limit - 1);
  if (lineEnd != std::string::npos) return lineEnd + 1;
  size_t cut = limit;
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  return cut > 0 ? cut : limit;
}

// How long a stop waits for the ended child to be gone, handling window
// messages meanwhile.
constexpr milliseconds kStopWait{1000};
constexpr int kStopPollMs = 10;

// How often the window's messages are handled while a child is being
// started, after a first moment without waiting.
constexpr milliseconds kStartSpin{2};
constexpr int kStartPollMs = 1;

constexpr const char* kEmptyCommand = "データを入力設定して下さい。";
// Some systems raise no break event in a console (older Wine among them).
constexpr const char* kBreakFailed = "Ctrl+Break をコマンドに送れませんでした。";

}  // namespace

// Starts children on a thread of its own, so that the window's thread keeps
// handling its messages while a start takes its time (a tenth of a second
// and more on a loaded machine). One thread from the first run on, and one
// start at a time in the order asked for: no child can inherit the pipe of
// another.
class Runner::Starter {
 public:
  Starter() : thread_([this] { work(); }) {}
  ~Starter() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      quit_ = true;
    }
    wake_.notify_one();
    thread_.join();
  }
  Starter(const Starter&) = delete;
  Starter& operator=(const Starter&) = delete;

  struct Request;

  // Asks for the command to be started; the start goes on while the caller
  // does other things. The request is shared with the starter thread:
  // however the caller's wait ends (a handler run by the pump may throw),
  // the thread writes into a request that still exists, and a child
  // started for a wait that is gone is ended with the request's last owner.
  std::shared_ptr<Request> request(const std::string& command) {
    auto request = std::make_shared<Request>(command);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      queue_.push_back(request);
    }
    wake_.notify_one();
    return request;
  }

  // Handles window messages until the child is there (or could not be
  // started).
  std::unique_ptr<ChildProcess> wait(Request& request, platform::Platform& platform,
                                     std::string& whyNot,
                                     const std::function<void()>& passed) {
    // Most starts (and every failed one) take a moment: at first the
    // messages are handled without waiting, then between short waits.
    const auto begun = std::chrono::steady_clock::now();
    while (!request.done) {
      if (platform.quitting()) {
        // A closing window handles no more messages; the start is waited for.
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      } else if (std::chrono::steady_clock::now() - begun < kStartSpin) {
        platform.pumpMessages(0);
        std::this_thread::yield();
      } else {
        platform.pumpMessages(kStartPollMs);
      }
      if (!platform.quitting()) passed();
    }
    if (request.failed) std::rethrow_exception(request.failed);
    whyNot = std::move(request.whyNot);
    return std::move(request.child);
  }

  struct Request {
    explicit Request(std::string c) : command(std::move(c)) {}
    const std::string command;
    std::unique_ptr<ChildProcess> child;
    std::string whyNot;
    std::exception_ptr failed;
    std::atomic<bool> done{false};
  };

 private:
  void work() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      wake_.wait(lock, [this] { return quit_ || !queue_.empty(); });
      if (quit_) return;
      std::shared_ptr<Request> r = std::move(queue_.front());
      queue_.pop_front();
      lock.unlock();
      try {
        r->child = startChild(r->command, &r->whyNot);
      } catch (...) {
        r->failed = std::current_exception();
      }
      r->done = true;
      r.reset();
      lock.lock();
    }
  }

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::shared_ptr<Request>> queue_;
  bool quit_ = false;
  std::thread thread_;  // last: starts once the rest is ready
};

struct Runner::Run {
  explicit Run(platform::Platform& platform) : decoder(platform) {}
  std::unique_ptr<ChildProcess> child;
  AnsiDecoder decoder;
  std::string pending;  // decoded text not yet in the view
  Clock::time_point pendingSince;
};

Runner::Runner(form::Form& form, platform::Platform& platform)
    : platform_(platform),
      edit1_(form["Edit1"]),
      memo0_(form["Memo0"]),
      pageControl1_(form["PageControl1"]),
      tabSheet2_(form["TabSheet2"]),
      stopFlag_(form["Edit_flg"]),
      ctrlCFlag_(form["Edit_ctrl"]) {
  form.addAction({"Act_btnDO", "選択&表示", "&G 実　行",
                  [this] { Act_btnDOExecute(); }});
  form.addAction({"Act_Break", "選択&表示", "強制終了",
                  [this] { Act_BreakExecute(); }});
  form.addAction({"Act_btnCTL", "選択&表示", "Ctrl-C",
                  [this] { Act_btnCTLExecute(); }});
  form.addAction({"Act_CtrlBreak", "選択&表示", "Ctrl+Break を送る(&B)",
                  [this] { Act_CtrlBreakExecute(); }});
  form.addShortcut("Ctrl+Break", "TabSheet2", "Act_CtrlBreak");
  memo0_.outputDoc()->addMenuItem({.caption = "Ctrl+Break を送る(&B)",
                                   .action = "Act_CtrlBreak",
                                   .enabled = [this] { return !runs_.empty(); },
                                   .separatorBefore = true});
}

Runner::~Runner() = default;

void Runner::Act_BreakExecute() {
  if (!runs_.empty()) stopFlag_.setText("1");
}

void Runner::Act_btnCTLExecute() {
  if (!runs_.empty()) ctrlCFlag_.setText("1");
}

void Runner::Act_CtrlBreakExecute() {
  if (!runs_.empty()) breakWanted_ = true;
}

void Runner::Act_btnDOExecute() {
  // The window is closing for good: nothing new is started.
  if (platform_.quitting()) return;
  const std::string command = edit1_.text();
  if (command.empty()) {
    platform_.showMessage(kEmptyCommand);
    return;
  }
  // A run started inside another one empties the view; what the outer run
  // has read so far goes there first, as if it had been shown at once.
  for (Run* outer : runs_) flush(*outer, kWhole);

  // The child starts on the starter's thread while the view is made ready
  // and the observers are told. The thread comes with the first run, not
  // with the window.
  if (!starter_) starter_ = std::make_unique<Starter>();
  const std::shared_ptr<Starter::Request> start = starter_->request(command);

  pageControl1_.setActivePage(tabSheet2_);
  memo0_.setText(command + "\r\n");

  Run run(platform_);
  // Keeps the list of runs right however the run ends, and drops the
  // requests that came too late for the last run to see them. A stop asked
  // for while the child is being started ends it at the first pass.
  struct Active {
    Runner& r;
    explicit Active(Runner& runner, Run& run) : r(runner) {
      r.runs_.push_back(&run);
    }
    ~Active() {
      r.runs_.pop_back();
      if (r.runs_.empty()) {
        r.stopFlag_.setText("0");
        r.ctrlCFlag_.setText("0");
        r.breakWanted_ = false;
      }
    }
  } active(*this, run);

  for (RunObserver* o : observers_) o->runStarting(command);
  RunEnd end;
  run.child = starter_->wait(*start, platform_, end.error, [this] {
    for (RunObserver* o : observers_) o->runPassing();
  });
  if (!run.child) {
    // The view keeps only the command line; the observers say why.
    end.how = RunEnd::How::NotStarted;
    ended(end);
    return;
  }
  if (platform_.quitting()) {  // the window closed meanwhile: ended at once
    end.how = RunEnd::How::Closed;
    ended(end);
    return;
  }

  end.how = poll(run);
  // A character cut off by the very end of the output shows as the stand-in
  // rather than being dropped.
  const std::string tail = run.decoder.finish();
  if (!tail.empty())
    for (RunObserver* o : observers_) o->runOutput(tail);
  run.pending += tail;
  flush(run, kWhole);
  if (end.how == RunEnd::How::Exited) end.exitCode = run.child->exitCode();
  run.child.reset();  // closes every handle of the run
  ended(end);
}

void Runner::ended(const RunEnd& end) {
  for (RunObserver* o : observers_) o->runEnded(end);
}

RunEnd::How Runner::poll(Run& run) {
  ChildProcess& child = *run.child;
  Clock::time_point lastOutput = Clock::now();
  bool ended = false;
  bool woken = false;  // the last wait ended before its time
  for (;;) {
    bool took = false;
    if (!ended) {
      // The exit is queried before the pipe is read, so the pass that sees
      // the child ended still reads every byte it wrote; nothing is read
      // after that pass.
      ended = !child.running();
      size_t waiting = child.available();
      if (!ended) {
        waiting = std::min(waiting, kReadPerPass);
        if (run.pending.size() >= kBacklogAppends * appendLimit()) waiting = 0;
      }
      took = waiting > 0 && readWaiting(run, waiting) > 0;
      if (took) lastOutput = Clock::now();
    }
    const Clock::time_point now = Clock::now();
    if (!run.pending.empty() && (ended || now - run.pendingSince >= kGather))
      flush(run, appendLimit());

    if (stopFlag_.text() == "1") {
      stopFlag_.setText("0");
      stop(child);
      return RunEnd::How::Stopped;
    }
    if (ctrlCFlag_.text() == "1") {
      child.interrupt();
      ctrlCFlag_.setText("0");
    }
    if (breakWanted_) {
      breakWanted_ = false;
      if (!child.sendBreak()) platform_.showMessage(kBreakFailed);
    }

    // Once the child has ended, the passes left only put what was read into
    // the view, a share at a time.
    const int wait = ended || took || woken ? 0 : waitBeforeNextPass(run, lastOutput, now);
    platform_.pumpMessages(wait);
    woken = wait > 0 && Clock::now() - now < milliseconds(wait);
    if (platform_.quitting()) {
      child.terminate();
      return RunEnd::How::Closed;
    }
    for (RunObserver* o : observers_) o->runPassing();
    if (ended && run.pending.empty()) return RunEnd::How::Exited;
  }
}

size_t Runner::readWaiting(Run& run, size_t count) {
  if (buffer_.size() < count) buffer_.resize(count);
  size_t got = 0;
  while (got < count) {
    const size_t n = run.child->read(buffer_.data() + got, count - got);
    if (n == 0) break;
    got += n;
  }
  if (got > 0)
    take(run, std::string_view(buffer_.data(), got), Clock::now());
  return got;
}

void Runner::stop(ChildProcess& child) {
  child.terminate();
  // The ended tree may take a while to be gone; the window keeps answering
  // meanwhile, and a window that closes stops the wait.
  const Clock::time_point until = Clock::now() + kStopWait;
  while (child.running() && Clock::now() < until && !platform_.quitting())
    platform_.pumpMessages(kStopPollMs);
}

void Runner::take(Run& run, std::string_view bytes, Clock::time_point now) {
  // Only whole characters are decoded; the bytes of one cut off by the end of
  // this read wait for the next read.
  const size_t before = run.pending.size();
  run.decoder.decode(bytes, run.pending);
  if (run.pending.size() == before) return;
  for (RunObserver* o : observers_)
    o->runOutput(std::string_view(run.pending).substr(before));
  if (before == 0) run.pendingSince = now;
}

void Runner::flush(Run& run, size_t limit) {
  if (run.pending.empty()) return;
  const size_t cut = appendCut(run.pending, limit);
  memo0_.append(std::string_view(run.pending).substr(0, cut));
  // What is left is due at once: pendingSince stays.
  run.pending.erase(0, cut);
}

size_t Runner::appendLimit() const { return kAppendMost; }

int Runner::waitBeforeNextPass(const Run& run, Clock::time_point lastOutput,
                               Clock::time_point now) const {
  const auto quiet = std::chrono::duration_cast<milliseconds>(now - lastOutput);
  int wait = quiet < kBriefQuiet
                 ? kBriefWaitMs
                 : std::clamp(static_cast<int>(quiet.count() / 10), kBriefWaitMs, kIdleWaitMs);
  if (!run.pending.empty()) {
    // Wake in time to show the gathered text.
    const auto left = std::chrono::duration_cast<milliseconds>(
        run.pendingSince + kGather - now);
    wait = std::clamp(static_cast<int>(left.count()), 0, wait);
  }
  return wait;
}

}  // namespace velquin::exec
