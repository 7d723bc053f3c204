// How fast the command runner shows a child's output in the real window,
// how much processor time it takes while a child is silent, and how long
// the window goes without handling a message while output pours in.
//
// Everything goes through the real program: the main window with its
// native controls, the run action, the polling loop and the output view.
// The reference for speed is the same child read through the same kind of
// pipe and thrown away: the pipe's own limit. The 16 MB cases run five
// times each and report every run and the worst.
//   velquin_bench            every figure
//   velquin_bench streams    the streaming figures alone
//   velquin_bench batch      the batch alone
//   velquin_bench silence    the silent child alone
//   velquin_bench find       find in 50 MB alone
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <functional>
#include <thread>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "exec/runner.h"
#include "form/form.h"
#include "form/output_doc.h"
#include "program.h"
#include "win32/platform_win32.h"
#include "win32/renderer.h"
#include "win32/controls.h"
#include "win32/session.h"
#include "win32/text.h"
#include "bench_window.h"

namespace {

using namespace velquin;
using Clock = std::chrono::steady_clock;
using bench::GapMeter;
using bench::privateMiB;

constexpr size_t kMiB = 1024 * 1024;
constexpr int kSilentMs = 10000;

double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// The child program, beside this one, quoted for the command line.
std::string childCommand(const std::string& args) {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  const std::filesystem::path child =
      std::filesystem::path(self).parent_path() / L"velquin_bench_child.exe";
  std::string command = "\"";
  command += win32::narrow(child.wstring());
  command += "\" ";
  command += args;
  return command;
}

// Starts the child as the runner does (a hidden new console, standard
// output and error on one anonymous pipe of the runner's size) and reads
// its whole output as fast as the pipe gives it, throwing it away, until
// the child has ended and the pipe is empty: the pipe's own limit. Returns
// the bytes read.
size_t readAndDiscard(const std::string& command) {
  HANDLE r = nullptr, w = nullptr;
  SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
  if (!CreatePipe(&r, &w, &inheritable, static_cast<DWORD>(kMiB))) return 0;
  SetHandleInformation(r, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
  si.wShowWindow = SW_HIDE;
  si.hStdOutput = si.hStdError = w;
  std::wstring line = win32::widen(command);
  PROCESS_INFORMATION pi{};
  const bool started = CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE,
                                      CREATE_NEW_CONSOLE, nullptr, nullptr, &si, &pi);
  size_t total = 0;
  if (started) {
    std::vector<char> buffer(kMiB);
    for (;;) {
      const bool ended = WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0;
      DWORD waiting = 0;
      PeekNamedPipe(r, nullptr, 0, nullptr, &waiting, nullptr);
      if (waiting == 0) {
        if (ended) break;
        SwitchToThread();
        continue;
      }
      DWORD got = 0;
      if (!ReadFile(r, buffer.data(), std::min<DWORD>(waiting, static_cast<DWORD>(kMiB)),
                    &got, nullptr))
        break;
      total += got;
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
  }
  CloseHandle(w);
  CloseHandle(r);
  return total;
}

// Another thread that asks the output view for its text length, as a tool
// in another program would, and notes the longest wait for the answer.
class LengthProbe {
 public:
  explicit LengthProbe(HWND view) : view_(view), thread_([this] { work(); }) {}
  ~LengthProbe() { stop(); }
  LengthProbe(const LengthProbe&) = delete;
  LengthProbe& operator=(const LengthProbe&) = delete;
  double stop() {
    stop_ = true;
    // The probe may be waiting for the view's answer: the window's
    // messages are handled until it has finished, so it never waits out
    // its time-out for a thread that is only joining it.
    while (thread_.joinable() && !finished_) {
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
      Sleep(1);
    }
    if (thread_.joinable()) thread_.join();
    return longestMs_;
  }

 private:
  void work() {
    while (!stop_) {
      const Clock::time_point start = Clock::now();
      DWORD_PTR length = 0;
      SendMessageTimeoutW(view_, WM_GETTEXTLENGTH, 0, 0, SMTO_BLOCK, 10000, &length);
      longestMs_ = std::max(
          longestMs_, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
      Sleep(10);
    }
    finished_ = true;
  }
  HWND view_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> finished_{false};
  double longestMs_ = 0;
  std::thread thread_;
};

// Milliseconds that one message to the view takes, sent from another thread.
double timedFromThread(HWND view, UINT msg, size_t* answer) {
  double ms = 0;
  std::atomic<bool> done{false};
  std::thread t([&] {
    std::wstring buffer;
    WPARAM wp = 0;
    LPARAM lp = 0;
    if (msg == WM_GETTEXT) {
      buffer.resize(*answer + 1);
      wp = buffer.size();
      lp = reinterpret_cast<LPARAM>(buffer.data());
    }
    const Clock::time_point start = Clock::now();
    DWORD_PTR r = 0;
    SendMessageTimeoutW(view, msg, wp, lp, SMTO_BLOCK, 60000, &r);
    ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    *answer = r;
    done = true;
  });
  // The window's thread answers while it waits.
  while (!done) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
  }
  t.join();
  return ms;
}

double processorSeconds() {
  FILETIME created, exited, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  auto seconds = [](const FILETIME& t) {
    return ((static_cast<unsigned long long>(t.dwHighDateTime) << 32) |
            t.dwLowDateTime) / 1e7;
  };
  return seconds(kernel) + seconds(user);
}

// The program in its real window, in a scratch start folder.
class Bench {
 public:
  Bench() {
    folder_ = bench::scratchFolder("velquin-bench");
    session_ = std::make_unique<win32::Session>(os_);
    program_ = &session_->program();
    window_ = &session_->mainWindow();
    session_->show(SW_SHOWNORMAL);
    os_.pumpMessages(0);
  }
  ~Bench() {
    session_.reset();
    bench::leaveScratchFolder(folder_);
  }

  HWND hwnd() const { return window_->hwnd(); }

  // Runs the command as the run button does; returns when the run is over.
  void run(const std::string& command) {
    form::Form& f = program_->main().form();
    f["Edit1"].setText(command);
    window_->fromUser([&f] { f.execute("Act_btnDO"); });
  }
  // Characters that the output view's window holds, as another program
  // asks for them.
  size_t shownLength() {
    return static_cast<size_t>(GetWindowTextLengthW(view()));
  }
  HWND view() {
    return memo0();
  }
  form::Form& form() { return program_->main().form(); }
  win32::Renderer& window() { return *window_; }
  const std::filesystem::path& folder() const { return folder_; }

 private:
  // The output page gets its windows when first shown: shown first, as a
  // run would show it.
  HWND memo0() {
    app::TfrmMain& m = program_->main();
    if (!window_->native(m["Memo0"]))
      window_->fromUser([&m] { m["PageControl1"].setActivePage(m["TabSheet2"]); });
    return window_->native(m["Memo0"])->hwnd();
  }

 public:

 private:
  std::filesystem::path folder_;
  win32::Win32Platform os_;
  std::unique_ptr<win32::Session> session_;
  Program* program_ = nullptr;
  win32::Renderer* window_ = nullptr;
};

struct Streamed {
  double discardS = 0;
  double shownS = 0;
  // Processor time of this program (every thread) while it showed the
  // output: on a loaded machine, where the wall clock also counts the
  // others' work, the figure that follows this program's own.
  double shownCpuS = 0;
  double ratio = 0;  // shown / discarded
  double longestGapMs = 0;
  double longestLengthMs = 0;
  bool whole = false;
};

// The fast cases run this often, each time read and discarded, then shown;
// a target holds only if it holds in the worst of them.
constexpr int kRuns = 5;

struct Runs {
  std::vector<Streamed> runs;
  bool whole() const {
    return std::all_of(runs.begin(), runs.end(), [](const Streamed& s) { return s.whole; });
  }
  double worst(double Streamed::*figure) const {
    double w = 0;
    for (const Streamed& s : runs) w = std::max(w, s.*figure);
    return w;
  }
  // Each run's figure after a blank.
  std::string list(double Streamed::*figure, const char* format) const {
    std::string out;
    for (const Streamed& s : runs) {
      char buf[32];
      std::snprintf(buf, sizeof buf, format, s.*figure);
      out += ' ';
      out += buf;
    }
    return out;
  }
};

Streamed stream(Bench& bench, const std::string& args, size_t bytes) {
  Streamed s;
  const std::string command = childCommand(args);
  Clock::time_point start = Clock::now();
  const size_t discarded = readAndDiscard(command);
  s.discardS = secondsSince(start);

  {
    GapMeter gaps(bench.hwnd());
    LengthProbe probe(bench.view());
    start = Clock::now();
    const double cpu = processorSeconds();
    bench.run(command);
    s.shownS = secondsSince(start);
    s.shownCpuS = processorSeconds() - cpu;
    s.longestGapMs = gaps.longestMs();
    s.longestLengthMs = probe.stop();
  }
  // The view holds the command line, CR LF and every byte (plain ASCII).
  s.whole = discarded == bytes && bench.shownLength() == command.size() + 2 + bytes;
  s.ratio = s.shownS / s.discardS;
  return s;
}

Runs streamRuns(Bench& bench, const std::string& args, size_t bytes) {
  Runs r;
  for (int i = 0; i < kRuns; ++i) r.runs.push_back(stream(bench, args, bytes));
  return r;
}

// Runs a command file of echo lines as the batch does; returns the time of
// each line, in milliseconds. With no command interpreter in front, "echo"
// names no program: each line goes the whole way through the batch and the
// runner, whose start fails, and appends its command line to the kept
// results, so what is measured is the batch's own cost per line.
std::vector<double> batch(Bench& bench, int lines) {
  form::Form& f = bench.form();
  std::string file;
  for (int i = 1; i <= lines; ++i) file += "echo line " + std::to_string(i) + "\r\n";
  f["Memo3"].setText(file);
  const form::Action* run = f.findAction("Act_btnDO");
  std::function<void()> runner = run->execute;
  std::vector<double> times;
  Clock::time_point last = Clock::now();
  f.addAction({"Act_btnDO", run->category, run->caption, [&] {
                 runner();
                 const Clock::time_point now = Clock::now();
                 times.push_back(std::chrono::duration<double, std::milli>(now - last).count());
                 last = now;
               }});
  bench.window().fromUser([&f] { f.execute("Act_file_Do"); });
  f.addAction({"Act_btnDO", run->category, run->caption, runner});
  return times;
}

}  // namespace

void reportBatch(Bench& bench, int lines, bool& whole) {
  const std::vector<double> times = batch(bench, lines);
  whole = times.size() == static_cast<size_t>(lines);
  if (!whole) {
    std::printf("batch of %d echo lines: only %zu ran (BATCH INCOMPLETE)\n", lines,
                times.size());
    return;
  }
  double first = 0, last = 0;
  for (int i = 0; i < 1000; ++i) {
    first += times[i];
    last += times[lines - 1000 + i];
  }
  std::printf("batch of %d echo lines: %.2f ms per line in the first thousand, "
              "%.2f ms in the last: %.2f (target at most 1.5)\n",
              lines, first / 1000, last / 1000, last / first);
}

// Handles the window's messages while the condition holds (at most a
// minute).
void pumpWhile(const std::function<bool()>& holds) {
  const Clock::time_point until = Clock::now() + std::chrono::minutes(1);
  while (holds() && Clock::now() < until) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&m);
      DispatchMessageW(&m);
    }
  }
}

// Find in 50 MB of a netstat table, a one-character word (a blank, a
// dozen matches a line) and a common word: the time to the whole count,
// the longest the window went without handling a message meanwhile, the
// table's bytes a match, and the private memory before, with the count and
// once the strip is closed.
void reportFind(Bench& bench) {
  form::Form& f = bench.form();
  form::OutputDoc& doc = *f["Memo0"].outputDoc();
  bench.view();  // the view's window: it drives the matching
  {
    std::string text;
    text.reserve(50 * kMiB + 256);
    for (unsigned n = 0; text.size() < 50 * kMiB; ++n) {
      char line[128];
      std::snprintf(line, sizeof line,
                    "  TCP    127.0.0.1:%-5u         127.0.0.1:%-5u        ESTABLISHED\r\n",
                    1024 + n % 60000, 49152 + n % 16000);
      text += line;
    }
    bench.window().fromUser([&] { f["Memo0"].setText(text); });
  }
  for (const char* word : {" ", "ESTABLISHED"}) {
    const double before = privateMiB();
    GapMeter gaps(bench.window().hwnd());
    bench.window().fromUser([&f] { f.execute("Act_Find"); });
    const Clock::time_point t0 = Clock::now();
    bench.window().fromUser([&f, word] { f.userType(f["EditFind"], word); });
    const double keyMs = secondsSince(t0) * 1000;
    pumpWhile([&doc] { return doc.finder().pending(); });
    const double countMs = secondsSince(t0) * 1000;
    const double gapMs = gaps.longestMs();
    const size_t matches = doc.finder().count();
    const double perMatch = static_cast<double>(doc.finder().capacityBytes()) /
                            static_cast<double>(matches ? matches : 1);
    const double counted = privateMiB();
    bench.window().fromUser([&f] { f.execute("Act_FindClose"); });
    const double closed = privateMiB();
    std::printf("find \"%s\" in 50 MB: %zu matches (\"%s\" in the strip) counted in %.0f ms, "
                "the keystroke %.0f ms, longest gap between handled messages %.0f ms "
                "(target under 50 ms); %.2f bytes a match (target at most 4); private "
                "memory %.1f MB before, %.1f MB counted, %.1f MB with the strip closed "
                "(table %zu bytes)\n",
                word, matches, f["LblFind"].text().c_str(), countMs, keyMs, gapMs, perMatch,
                before, counted, closed, doc.finder().capacityBytes());
  }
  bench.window().fromUser([&] { f["Memo0"].setText(""); });
}

// What a silent child costs the program, and how late its output shows
// after a silence: the child notes the performance counter as it writes,
// the program as the line reaches the view.
// The silence itself is measured from a second after the start to a
// second before the end, by timers that the run's own message loop serves:
// starting a child and ending its run cost what they cost once.
struct SilenceProbe {
  static inline double cpu[2] = {0, 0};
  static inline Clock::time_point when[2];
  static void CALLBACK first(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    cpu[0] = processorSeconds();
    when[0] = Clock::now();
  }
  static void CALLBACK last(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    cpu[1] = processorSeconds();
    when[1] = Clock::now();
  }
};

void reportSilence(Bench& bench) {
  const std::string silent = childCommand("silent " + std::to_string(kSilentMs + 2000));
  const double cpuBefore = processorSeconds();
  const Clock::time_point start = Clock::now();
  SetTimer(nullptr, 0, 1000, SilenceProbe::first);
  SetTimer(nullptr, 0, 1000 + kSilentMs, SilenceProbe::last);
  bench.run(silent);
  const double wall = secondsSince(start);
  const double cpu = processorSeconds() - cpuBefore;
  const double silenceS =
      std::chrono::duration<double>(SilenceProbe::when[1] - SilenceProbe::when[0]).count();
  const double silenceCpu = SilenceProbe::cpu[1] - SilenceProbe::cpu[0];
  std::printf("silent child: over %.1f s of its silence the program used %.4f s of "
              "processor, %.3f%% of one core (target at most 0.2%%); the whole run of "
              "%.1f s with its start and end %.3f s, %.2f%%\n",
              silenceS, silenceCpu, 100.0 * silenceCpu / silenceS, wall, cpu,
              100.0 * cpu / wall);

  form::OutputDoc& doc = *bench.form()["Memo0"].outputDoc();
  LARGE_INTEGER frequency, arrived{};
  QueryPerformanceFrequency(&frequency);
  const int listener = doc.listen([&] {
    if (!arrived.QuadPart && doc.text().text().find("at ") != std::string::npos)
      QueryPerformanceCounter(&arrived);
  });
  bench.run(childCommand("late 3000"));
  doc.unlisten(listener);
  const std::string& text = doc.text().text();
  const size_t at = text.find("at ");
  if (at == std::string::npos || !arrived.QuadPart) {
    std::printf("output after 3 s of silence: NOT SHOWN\n");
    return;
  }
  const long long written = std::stoll(text.substr(at + 3));
  std::printf("output after 3 s of silence: in the view %.1f ms after the child wrote it\n",
              1000.0 * static_cast<double>(arrived.QuadPart - written) /
                  static_cast<double>(frequency.QuadPart));
}

int wmain(int argc, wchar_t** argv) {
  Bench bench;
  std::printf("Velquin runner benchmark (real window, real runner)\n");
  bool batchWhole = false;
  if (argc > 1 && std::wstring(argv[1]) == L"find") {  // find in 50 MB alone
    reportFind(bench);
    return 0;
  }
  if (argc > 1 && std::wstring(argv[1]) == L"silence") {  // the silent child alone
    reportSilence(bench);
    return 0;
  }
  if (argc > 1 && std::wstring(argv[1]) == L"batch") {  // the batch alone
    reportBatch(bench, 10000, batchWhole);
    return batchWhole ? 0 : 1;
  }
  // The streaming figures alone, for a quick look.
  const bool streamsOnly = argc > 1 && std::wstring(argv[1]) == L"streams";
  const double idleMiB = privateMiB();
  const Streamed one = stream(bench, "lines " + std::to_string(kMiB), kMiB);
  std::printf("1 MB:  shown in %.2f s, read and discarded in %.2f s%s\n",
              one.shownS, one.discardS, one.whole ? "" : "  (OUTPUT INCOMPLETE)");
  const Runs sixteen =
      streamRuns(bench, "lines " + std::to_string(16 * kMiB), 16 * kMiB);
  std::printf("16 MB, %d runs: shown in%s s, read and discarded in%s s%s\n", kRuns,
              sixteen.list(&Streamed::shownS, "%.2f").c_str(),
              sixteen.list(&Streamed::discardS, "%.2f").c_str(),
              sixteen.whole() ? "" : "  (OUTPUT INCOMPLETE)");
  std::printf("16 MB shown / discarded:%s, worst %.1f (target at most 2)\n",
              sixteen.list(&Streamed::ratio, "%.1f").c_str(),
              sixteen.worst(&Streamed::ratio));
  std::printf("16 MB shown, processor time of the program:%s s\n",
              sixteen.list(&Streamed::shownCpuS, "%.3f").c_str());
  std::printf("16 MB shown / 1 MB shown: %.1f at worst (target at most 20)\n",
              sixteen.worst(&Streamed::shownS) / one.shownS);
  std::printf("longest gap between handled messages while 16 MB streams: "
              "%.0f ms (target at most 30 ms)\n",
              sixteen.worst(&Streamed::longestGapMs));
  std::printf("longest wait of WM_GETTEXTLENGTH from another thread while 16 MB "
              "streams: %.0f ms (target at most 30 ms)\n",
              sixteen.worst(&Streamed::longestLengthMs));

  // The same lines from a file, written in 64 KB blocks: no time spent on
  // making them, so the pipe is at its fastest.
  const std::filesystem::path file = bench.folder() / "lines.txt";
  {
    std::ofstream out(file, std::ios::binary);
    for (unsigned long n = 1; static_cast<size_t>(out.tellp()) < 16 * kMiB; ++n) {
      char buf[96];
      std::snprintf(buf, sizeof buf,
                    "%08lu the quick brown fox jumps over the lazy dog 0123456789 "
                    "abcdefghijklm\r\n", n);
      out << buf;
    }
  }
  const size_t fileBytes = static_cast<size_t>(std::filesystem::file_size(file));
  const std::string fileArgs = "file \"" + win32::narrow(file.wstring()) + "\"";
  const Runs fromFile = streamRuns(bench, fileArgs, fileBytes);
  std::printf("16 MB file in 64 KB blocks, %d runs: shown in%s s, read and discarded "
              "in%s s:%s, worst %.1f (target at most 2)%s\n",
              kRuns, fromFile.list(&Streamed::shownS, "%.2f").c_str(),
              fromFile.list(&Streamed::discardS, "%.2f").c_str(),
              fromFile.list(&Streamed::ratio, "%.1f").c_str(),
              fromFile.worst(&Streamed::ratio),
              fromFile.whole() ? "" : "  (OUTPUT INCOMPLETE)");
  std::printf("longest gap between handled messages meanwhile: %.0f ms (target at most 30 ms)\n",
              fromFile.worst(&Streamed::longestGapMs));
  std::printf("16 MB file shown, processor time of the program:%s s\n",
              fromFile.list(&Streamed::shownCpuS, "%.3f").c_str());
  if (streamsOnly) return sixteen.whole() && fromFile.whole() ? 0 : 1;
  size_t length = 0;
  const double lengthMs = timedFromThread(bench.view(), WM_GETTEXTLENGTH, &length);
  const double textMs = timedFromThread(bench.view(), WM_GETTEXT, &length);
  std::printf("view holding 16 MB, from another thread: WM_GETTEXTLENGTH %.1f ms, "
              "WM_GETTEXT %.0f ms (%zu characters)\n",
              lengthMs, textMs, length);
  // Find over the 16 MB: the keystroke answers at once, the count comes a
  // slice at a time.
  {
    form::Form& f = bench.form();
    form::OutputDoc& doc = *f["Memo0"].outputDoc();
    bench.window().fromUser([&f] { f.execute("Act_Find"); });
    const Clock::time_point t0 = Clock::now();
    bench.window().fromUser([&f] { f.userType(f["EditFind"], "LAZY"); });
    const double keyMs = secondsSince(t0) * 1000;
    pumpWhile([&doc] { return doc.finder().pending(); });
    std::printf("find a word in 16 MB: the keystroke %.0f ms, %zu matches counted in %.0f ms\n",
                keyMs, doc.finder().count(), secondsSince(t0) * 1000);
    std::printf("times of lines: %.1f bytes per line (target at most 8)\n",
                static_cast<double>(doc.times().capacityBytes()) /
                    static_cast<double>(doc.text().lineCount()));
    doc.setShowTimes(true);
    const Streamed found = stream(bench, fileArgs, fileBytes);
    std::printf("16 MB file again, times shown and every line a match: shown in %.2f s "
                "(%zu matches), longest gap between handled messages %.0f ms\n",
                found.shownS, doc.finder().count(), found.longestGapMs);
    doc.setShowTimes(false);
    bench.window().fromUser([&f] { f.execute("Act_FindClose"); });
  }
  const char* counter = "";
  const double heldMiB = privateMiB(&counter);
  std::printf("private memory (%s): %.1f MB idle, %.1f MB holding 16 MB of output: "
              "%.2f bytes per byte of output (target at most 3)\n",
              counter, idleMiB, heldMiB, (heldMiB - idleMiB) * kMiB / fileBytes);

  reportFind(bench);
  reportSilence(bench);
  reportBatch(bench, 10000, batchWhole);
  return one.whole && sixteen.whole() && fromFile.whole() && batchWhole ? 0 : 1;
}
