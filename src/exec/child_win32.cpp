// Child processes on Windows: a hidden new console, standard output and
// error on one pipe that only this program reads, standard input
// the null device, and a job object that holds the child and everything it
// starts, so that a stop ends the whole tree.

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "exec/child_process.h"

namespace velquin::exec {

namespace {

// The pipe holds this much of the child's output while the window's thread
// is busy showing what came before, so a child that writes fast goes on
// writing instead of waiting for each read (the output of a fast child
// was shown several times slower than the pipe could carry it).
constexpr DWORD kPipeSize = 1024 * 1024;
// Longest command line that CreateProcessW accepts, in UTF-16 units with
// its terminating zero.
constexpr size_t kMaxCommandLine = 32767;
// Output read from the pipe and not yet taken by the window's thread, at
// most: beyond it the pipe is left to fill and the child waits.
constexpr size_t kHeldMost = 1024 * 1024;
// While the pipe is empty the reader waits in the system until bytes
// arrive, the child ends or the run is stopped: a silent child costs
// nothing. A system whose pipes cannot be waited on so (a read of no bytes
// that ends at once) gets looked at again after a tenth of the time the
// child has been quiet, between these bounds.
constexpr DWORD kLeastWaitMs = 1;
constexpr DWORD kMostWaitMs = 40;
// While output flows, how often the reader looks whether the child has
// ended.
constexpr std::chrono::milliseconds kLookForEnd{20};

class Handle {
 public:
  explicit Handle(HANDLE h = nullptr)
      : h_(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
  ~Handle() { reset(); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  Handle(Handle&& other) noexcept : h_(std::exchange(other.h_, nullptr)) {}
  HANDLE get() const { return h_; }
  explicit operator bool() const { return h_ != nullptr; }
  void reset() {
    if (h_) CloseHandle(h_);
    h_ = nullptr;
  }

 private:
  HANDLE h_;
};

std::wstring widen(const std::string& s) {
  if (s.empty()) return {};
  const int n = MultiByteToWideChar(CP_UTF8, 0, s.data(),
                                    static_cast<int>(s.size()), nullptr, 0);
  if (n <= 0) return {};
  std::wstring w(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()),
                      w.data(), n);
  return w;
}

// The system's own wording for an error code, in UTF-8.
std::string systemText(DWORD code) {
  wchar_t* text = nullptr;
  const DWORD n = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
          FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring w = n && text ? std::wstring(text, n) : std::wstring();
  if (text) LocalFree(text);
  while (!w.empty() && (w.back() == L'\r' || w.back() == L'\n' || w.back() == L' '))
    w.pop_back();
  if (w.empty()) w = L"0x" + [code] {
    wchar_t hex[16];
    wsprintfW(hex, L"%08X", code);
    return std::wstring(hex);
  }();
  const int m = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()),
                                    nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(m > 0 ? m : 0), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()),
                      out.data(), m, nullptr, nullptr);
  return out;
}

// This program has no console of its own; it attaches to a child's console
// only to raise Ctrl-C there, and is itself among the processes that receive
// it. This handler keeps it alive through that.
BOOL WINAPI ignoreInterrupt(DWORD event) {
  return event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT;
}

void prepareConsoleHandling() {
  static const bool done = [] {
    SetConsoleCtrlHandler(ignoreInterrupt, TRUE);
    // Children inherit whether Ctrl-C is ignored: make sure they take it,
    // whatever this program was started with. The handler above still
    // guards this process.
    SetConsoleCtrlHandler(nullptr, FALSE);
    return true;
  }();
  (void)done;
}

// The pipe is read by a thread of the child's own, so that the window's
// thread neither waits for the pipe nor spends its time on it: it takes
// what has been read, and is woken when output arrives. The thread only
// ever reads what the pipe holds, so no read is ever left pending: the end
// of the output is never at the mercy of cancelling one.
class Win32Child final : public ChildProcess {
 public:
  Win32Child(Handle process, DWORD pid, Handle job, Handle readEnd,
             Handle writeEnd)
      : process_(std::move(process)),
        pid_(pid),
        job_(std::move(job)),
        out_(std::move(readEnd)),
        keepOpen_(std::move(writeEnd)),
        quitEvent_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
        readEvent_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    if (!quitEvent_ || !readEvent_) throw std::system_error(static_cast<int>(GetLastError()),
                                             std::system_category());
    // All the memory the reader needs, taken here: it never fails there.
    chunk_ = std::make_unique_for_overwrite<char[]>(kHeldMost);
    held_.reserve(kHeldMost);
    reader_ = std::thread([this] { readOutput(); });
  }

  ~Win32Child() override {
    if (!exited_ && !terminated_) terminate();
    quit();
    reader_.join();
    if (job_ && !terminated_) {
      // The child ended by itself: what it left running stays, as when the
      // same command is started from a console. Closing a job that still
      // ends its processes on close would end them.
      JOBOBJECT_EXTENDED_LIMIT_INFORMATION none{};
      SetInformationJobObject(job_.get(), JobObjectExtendedLimitInformation,
                              &none, sizeof none);
    }
  }

  bool running() override {
    // A stopped child is over once its process is gone; what it wrote
    // after the stop is not read.
    if (terminated_) return WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT;
    std::lock_guard<std::mutex> lock(mutex_);
    if (finished_) exited_ = true;
    return !finished_;
  }

  size_t available() override {
    std::lock_guard<std::mutex> lock(mutex_);
    // Finding nothing, the taker is about to wait: the next output wakes it.
    const size_t n = held_.size() - taken_;
    taker_ = n == 0 && !finished_ ? GetCurrentThreadId() : 0;
    return n;
  }

  size_t read(char* buffer, size_t size) override {
    std::lock_guard<std::mutex> lock(mutex_);
    const size_t n = std::min(size, held_.size() - taken_);
    if (n == 0) return 0;
    std::memcpy(buffer, held_.data() + taken_, n);
    taken_ += n;
    if (taken_ == held_.size()) {
      held_.clear();
      taken_ = 0;
    }
    room_.notify_one();
    return n;
  }

  void interrupt() override { raise(CTRL_C_EVENT); }
  bool sendBreak() override { return raise(CTRL_BREAK_EVENT); }

  void terminate() override {
    terminated_ = true;
    quit();
    if (job_) TerminateJobObject(job_.get(), 0);
    // Also when the job could not take the child. The runner waits for the
    // end, handling window messages meanwhile.
    TerminateProcess(process_.get(), 0);
  }

  uint32_t exitCode() override {
    DWORD code = 0;
    GetExitCodeProcess(process_.get(), &code);
    return code;
  }

 private:
  using Clock = std::chrono::steady_clock;

  // Raise the event in the child's own console, as if typed there: attach
  // to it, raise the event for every process of that console, detach.
  // Nothing is sent to the window in front or to any other console.
  bool raise(DWORD event) {
    prepareConsoleHandling();
    const bool hadConsole = FreeConsole() != 0;
    bool raised = false;
    if (AttachConsole(pid_)) {
      raised = GenerateConsoleCtrlEvent(event, 0) != FALSE;
      FreeConsole();
    }
    if (hadConsole) AttachConsole(ATTACH_PARENT_PROCESS);
    return raised;
  }

  // Bytes in the pipe; 0 when it has failed.
  DWORD inPipe() {
    DWORD n = 0;
    if (!PeekNamedPipe(out_.get(), nullptr, 0, nullptr, &n, nullptr)) return 0;
    return n;
  }

  void quit() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      quit_ = true;
    }
    room_.notify_one();
    SetEvent(quitEvent_.get());
  }

  // The reader's thread: takes what the pipe holds until the child has
  // ended and everything it wrote has been taken.
  void readOutput() {
    Clock::time_point lastOutput = Clock::now();
    Clock::time_point lastLook{};  // at the child's end
    bool ended = false;
    DWORD left = 0;  // once the child has ended: its bytes still in the pipe
    for (;;) {
      DWORD want = ended ? left : inPipe();
      // The end is looked at when the pipe is empty, and now and then while
      // output flows (what the child started may go on writing). It is seen
      // before the pipe is looked at again, so everything the child wrote
      // is counted in; what others write later is not read.
      if (!ended && (want == 0 || Clock::now() - lastLook >= kLookForEnd)) {
        lastLook = Clock::now();
        if (WaitForSingleObject(process_.get(), 0) != WAIT_TIMEOUT) {
          ended = true;
          left = want = inPipe();
        }
      }
      if (want == 0) {
        if (ended) break;
        if (!waitForBytes(lastOutput)) return;
        continue;
      }
      {
        // A window that shows output slower than the child writes it leaves
        // the pipe full, and the child waits.
        std::unique_lock<std::mutex> lock(mutex_);
        room_.wait(lock, [this] { return quit_ || held_.size() - taken_ < kHeldMost; });
        if (quit_) return;
        want = static_cast<DWORD>(
            std::min<size_t>(want, kHeldMost - (held_.size() - taken_)));
      }
      DWORD got = 0;
      if (!readNow(chunk_.get(), want, got) || got == 0) {
        if (ended) break;  // the pipe failed: nothing more can come
        WaitForSingleObject(quitEvent_.get(), kLeastWaitMs);
        continue;
      }
      if (ended) left -= std::min(left, got);
      lastOutput = Clock::now();
      DWORD waiting;
      {
        std::lock_guard<std::mutex> lock(mutex_);
        held_.erase(held_.begin(), held_.begin() + static_cast<std::ptrdiff_t>(taken_));
        taken_ = 0;
        held_.insert(held_.end(), chunk_.get(), chunk_.get() + got);
        waiting = std::exchange(taker_, 0);
      }
      wake(waiting);
    }
    DWORD waiting;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      finished_ = true;
      waiting = std::exchange(taker_, 0);
    }
    wake(waiting);
  }

  bool quitting() {
    std::lock_guard<std::mutex> lock(mutex_);
    return quit_;
  }

  // Reads bytes that the pipe holds (the read ends at once).
  bool readNow(char* into, DWORD size, DWORD& got) {
    OVERLAPPED ov{};
    ov.hEvent = readEvent_.get();
    ResetEvent(ov.hEvent);
    if (ReadFile(out_.get(), into, size, nullptr, &ov) ||
        GetLastError() == ERROR_IO_PENDING)
      return GetOverlappedResult(out_.get(), &ov, &got, TRUE) != FALSE;
    return false;
  }

  // The pipe is empty: waits until bytes arrive, the child ends or the run
  // is stopped. A read of no bytes ends when bytes arrive and takes none,
  // so cancelling it at the child's end loses nothing. False when the run
  // is stopped.
  bool waitForBytes(Clock::time_point lastOutput) {
    OVERLAPPED ov{};
    ov.hEvent = readEvent_.get();
    ResetEvent(ov.hEvent);
    char none;
    const bool pending =
        !ReadFile(out_.get(), &none, 0, nullptr, &ov) && GetLastError() == ERROR_IO_PENDING;
    if (pending) {
      const HANDLE wake[] = {readEvent_.get(), process_.get(), quitEvent_.get()};
      const DWORD woken = WaitForMultipleObjects(3, wake, FALSE, INFINITE);
      if (woken != WAIT_OBJECT_0) CancelIoEx(out_.get(), &ov);
      DWORD n = 0;
      GetOverlappedResult(out_.get(), &ov, &n, TRUE);
    } else if (inPipe() == 0) {
      // The read ended at once with nothing there (or failed): look again
      // after a while.
      const HANDLE wake[] = {process_.get(), quitEvent_.get()};
      const auto quiet = std::chrono::duration_cast<std::chrono::milliseconds>(
          Clock::now() - lastOutput);
      WaitForMultipleObjects(
          2, wake, FALSE,
          std::clamp(static_cast<DWORD>(quiet.count() / 10), kLeastWaitMs, kMostWaitMs));
    }
    return !quitting();
  }

  // The window's thread that found nothing waits for its next pass: a
  // message ends the wait at once.
  static void wake(DWORD thread) {
    if (thread) PostThreadMessageW(thread, WM_NULL, 0, 0);
  }

  Handle process_;
  DWORD pid_;
  Handle job_;
  Handle out_;
  // This program's copy of the write end stays open for the whole run, so
  // the pipe never breaks under the reader: output still waiting when the
  // child ends is peeked and read like any other. Reading ends on the
  // child's exit, not on the end of the pipe.
  Handle keepOpen_;
  Handle quitEvent_;
  Handle readEvent_;  // the reader's reads of the pipe end on it
  bool exited_ = false;
  bool terminated_ = false;

  std::unique_ptr<char[]> chunk_;  // the reader's own, read into outside the lock
  std::mutex mutex_;
  std::condition_variable room_;
  std::vector<char> held_;  // read from the pipe; held_[taken_..] not yet taken
  size_t taken_ = 0;
  DWORD taker_ = 0;  // the thread waiting for output, to be woken
  bool finished_ = false;  // the child has ended and all it wrote is held
  bool quit_ = false;
  std::thread reader_;
};

// Limits the handles that a child inherits to the ones named, so that no
// other inheritable handle of this program reaches it.
class InheritList {
 public:
  InheritList(HANDLE a, HANDLE b) : handles_{a, b} {
    SIZE_T size = 0;
    InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
    if (size == 0) return;
    storage_.resize(size);
    auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(storage_.data());
    if (!InitializeProcThreadAttributeList(list, 1, 0, &size)) return;
    if (!UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST,
                                   handles_, sizeof handles_, nullptr,
                                   nullptr)) {
      DeleteProcThreadAttributeList(list);
      return;
    }
    list_ = list;
  }
  ~InheritList() {
    if (list_) DeleteProcThreadAttributeList(list_);
  }
  InheritList(const InheritList&) = delete;
  InheritList& operator=(const InheritList&) = delete;
  LPPROC_THREAD_ATTRIBUTE_LIST get() const { return list_; }

 private:
  HANDLE handles_[2];
  std::vector<char> storage_;
  LPPROC_THREAD_ATTRIBUTE_LIST list_ = nullptr;
};

}  // namespace

std::unique_ptr<ChildProcess> startChild(const std::string& commandLine,
                                         std::string* whyNot) {
  // Evaluated before any handle of the attempt is closed.
  auto fail = [whyNot](DWORD code) -> std::unique_ptr<ChildProcess> {
    if (whyNot) *whyNot = systemText(code);
    return nullptr;
  };
  // The command line goes to the system as typed, in UTF-16; CreateProcessW
  // may write into it, so it is a private copy.
  std::wstring command = widen(commandLine);
  if (command.empty()) return fail(ERROR_BAD_PATHNAME);
  if (command.size() >= kMaxCommandLine) return fail(ERROR_FILENAME_EXCED_RANGE);

  prepareConsoleHandling();

  // Only the write end is inheritable: the child must not hold the read end,
  // or it could swallow its own output. A pipe of one instance under a name
  // of its own, connected at once: its read end can be
  // waited on (an anonymous pipe's cannot), the child's end is as an
  // anonymous pipe's.
  static std::atomic<unsigned> made{0};
  LARGE_INTEGER now{};
  QueryPerformanceCounter(&now);
  wchar_t name[96];
  wsprintfW(name, L"\\\\.\\pipe\\velquin-output-%lu-%lu-%08lx%08lx",
            GetCurrentProcessId(), static_cast<unsigned long>(++made),
            static_cast<unsigned long>(now.HighPart), static_cast<unsigned long>(now.LowPart));
  Handle readEnd(CreateNamedPipeW(
      name, PIPE_ACCESS_INBOUND | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
      PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1, 0,
      kPipeSize, 0, nullptr));
  if (!readEnd) return fail(GetLastError());
  Handle writeEnd(CreateFileW(name, GENERIC_WRITE | FILE_READ_ATTRIBUTES, 0, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!writeEnd) return fail(GetLastError());
  if (!SetHandleInformation(writeEnd.get(), HANDLE_FLAG_INHERIT,
                            HANDLE_FLAG_INHERIT))
    return fail(GetLastError());

  // Standard input is the null device: a child that reads input sees its
  // end at once instead of waiting for input that never comes.
  SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
  Handle nullInput(CreateFileW(L"NUL", GENERIC_READ,
                               FILE_SHARE_READ | FILE_SHARE_WRITE,
                               &inheritable, OPEN_EXISTING, 0, nullptr));
  if (!nullInput) return fail(GetLastError());

  InheritList inherit(writeEnd.get(), nullInput.get());

  STARTUPINFOEXW si{};
  si.StartupInfo.cb = sizeof si;
  si.StartupInfo.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
  si.StartupInfo.wShowWindow = SW_HIDE;
  si.StartupInfo.hStdInput = nullInput.get();
  si.StartupInfo.hStdOutput = writeEnd.get();
  si.StartupInfo.hStdError = writeEnd.get();
  si.lpAttributeList = inherit.get();
  DWORD flags = CREATE_NEW_CONSOLE | CREATE_SUSPENDED;
  // Without the list (a system that lacks it) the two handles above are
  // still the only inheritable ones this program holds.
  if (si.lpAttributeList) flags |= EXTENDED_STARTUPINFO_PRESENT;

  // The job ends every process in it when its last handle closes, so a stop
  // or a crash of this program leaves nothing of the command running.
  Handle job(CreateJobObjectW(nullptr, nullptr));
  if (job) {
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (!SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation,
                                 &limits, sizeof limits))
      job.reset();
  }

  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, flags,
                      nullptr, nullptr, &si.StartupInfo, &pi))
    return fail(GetLastError());
  Handle process(pi.hProcess);
  Handle thread(pi.hThread);

  // Created suspended, so that it cannot start anything before it is in
  // the job. A job that cannot take it still leaves the child itself to end.
  if (job && !AssignProcessToJobObject(job.get(), process.get())) job.reset();
  if (ResumeThread(thread.get()) == static_cast<DWORD>(-1)) {
    const DWORD code = GetLastError();
    TerminateProcess(process.get(), 0);
    return fail(code);
  }
  // The write end must not reach a child started later.
  SetHandleInformation(writeEnd.get(), HANDLE_FLAG_INHERIT, 0);
  return std::make_unique<Win32Child>(std::move(process), pi.dwProcessId,
                                      std::move(job), std::move(readEnd),
                                      std::move(writeEnd));
}

}  // namespace velquin::exec
