// Child processes on POSIX systems: a pipe for standard output and error,
// the null device for standard input, and a process group of the child's own
// so that Ctrl-C and a stop reach it and everything it started.

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "exec/child_process.h"

extern char** environ;

namespace velquin::exec {

namespace {

constexpr int kPipeSize = 64 * 1024;

class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  int release() { return std::exchange(fd_, -1); }

 private:
  int fd_;
};

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// Splits a command line the way Windows programs split their own, so that a
// line typed for Windows means the same here. Blanks and tabs separate
// arguments; double quotes group; in arguments after the program name, 2n
// backslashes before a quote give n backslashes and the quote groups, 2n+1
// give n backslashes and a literal quote, and two quotes inside a quoted part
// give one literal quote. The program name takes quotes only.
std::vector<std::string> splitCommandLine(const std::string& line) {
  std::vector<std::string> args;
  size_t i = 0;
  const size_t n = line.size();
  while (i < n && isBlank(line[i])) ++i;
  if (i == n) return args;

  std::string arg;
  bool quoted = false;
  for (; i < n && (quoted || !isBlank(line[i])); ++i) {
    if (line[i] == '"')
      quoted = !quoted;
    else
      arg += line[i];
  }
  args.push_back(arg);

  for (;;) {
    while (i < n && isBlank(line[i])) ++i;
    if (i == n) break;
    arg.clear();
    quoted = false;
    while (i < n && (quoted || !isBlank(line[i]))) {
      const char c = line[i];
      if (c == '\\') {
        size_t j = i;
        while (j < n && line[j] == '\\') ++j;
        const size_t count = j - i;
        if (j < n && line[j] == '"') {
          arg.append(count / 2, '\\');
          if (count % 2) {
            arg += '"';
            ++j;
          }
        } else {
          arg.append(count, '\\');
        }
        i = j;
      } else if (c == '"') {
        if (quoted && i + 1 < n && line[i + 1] == '"') {
          arg += '"';
          i += 2;
        } else {
          quoted = !quoted;
          ++i;
        }
      } else {
        arg += c;
        ++i;
      }
    }
    args.push_back(arg);
  }
  return args;
}

class PosixChild final : public ChildProcess {
 public:
  PosixChild(pid_t pid, int readEnd) : pid_(pid), out_(readEnd) {}

  ~PosixChild() override {
    if (!exited_ && !terminated_) terminate();
    // Reaping last keeps the child's number, and with it its process group,
    // reserved for as long as this object may still signal the group.
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
  }

  bool running() override {
    if (exited_) return false;
    // Looks without reaping: see the destructor.
    siginfo_t info{};
    const int r = ::waitid(P_PID, pid_, &info, WEXITED | WNOHANG | WNOWAIT);
    if (r == 0 && info.si_pid == pid_) exited_ = true;
    if (r < 0 && errno != EINTR) exited_ = true;
    return !exited_;
  }

  size_t available() override {
    int n = 0;
    if (::ioctl(out_.get(), FIONREAD, &n) != 0 || n < 0) return 0;
    return static_cast<size_t>(n);
  }

  size_t read(char* buffer, size_t size) override {
    for (;;) {
      const ssize_t r = ::read(out_.get(), buffer, size);
      if (r > 0) return static_cast<size_t>(r);
      if (r < 0 && errno == EINTR) continue;
      return 0;  // nothing waiting (the read end never blocks), or the end
    }
  }

  void interrupt() override { ::kill(-pid_, SIGINT); }
  bool sendBreak() override { return ::kill(-pid_, SIGQUIT) == 0; }

  void terminate() override {
    terminated_ = true;
    ::kill(-pid_, SIGKILL);
  }

  // As a shell gives it: the status, or 128 and the signal that ended it.
  uint32_t exitCode() override {
    siginfo_t info{};
    if (::waitid(P_PID, pid_, &info, WEXITED | WNOHANG | WNOWAIT) != 0 ||
        info.si_pid != pid_)
      return 0;
    if (info.si_code == CLD_EXITED) return static_cast<uint32_t>(info.si_status);
    return 128u + static_cast<uint32_t>(info.si_status);
  }

 private:
  pid_t pid_;
  Fd out_;
  bool exited_ = false;
  bool terminated_ = false;
};

}  // namespace

std::unique_ptr<ChildProcess> startChild(const std::string& commandLine,
                                         std::string* whyNot) {
  auto fail = [whyNot](int code) -> std::unique_ptr<ChildProcess> {
    if (whyNot) *whyNot = std::strerror(code);
    return nullptr;
  };
  std::vector<std::string> args = splitCommandLine(commandLine);
  if (args.empty() || args[0].empty()) return fail(ENOENT);

  // Every descriptor is opened close-on-exec; the child receives exactly its
  // three standard ones below.
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC) != 0) return fail(errno);
  Fd readEnd(ends[0]);
  Fd writeEnd(ends[1]);
  if (::fcntl(readEnd.get(), F_SETFL, O_NONBLOCK) != 0) return fail(errno);
#ifdef F_SETPIPE_SZ
  ::fcntl(readEnd.get(), F_SETPIPE_SZ, kPipeSize);  // a hint; the default works
#endif
  Fd nullInput(::open("/dev/null", O_RDONLY | O_CLOEXEC));
  if (nullInput.get() < 0) return fail(errno);

  posix_spawn_file_actions_t actions;
  if (posix_spawn_file_actions_init(&actions) != 0) return fail(errno);
  posix_spawnattr_t attr;
  if (posix_spawnattr_init(&attr) != 0) {
    posix_spawn_file_actions_destroy(&actions);
    return fail(ENOMEM);
  }
  posix_spawn_file_actions_adddup2(&actions, nullInput.get(), 0);
  posix_spawn_file_actions_adddup2(&actions, writeEnd.get(), 1);
  posix_spawn_file_actions_adddup2(&actions, writeEnd.get(), 2);
#if defined(__GLIBC__) && (__GLIBC__ > 2 || __GLIBC_MINOR__ >= 34)
  // Also what another part of the process may have opened without
  // close-on-exec.
  posix_spawn_file_actions_addclosefrom_np(&actions, 3);
#endif

  // A group of its own, and the signals that a stop and Ctrl-C use at their
  // defaults whatever this process does with them.
  sigset_t defaults;
  sigemptyset(&defaults);
  for (int s : {SIGINT, SIGQUIT, SIGTERM, SIGHUP, SIGPIPE}) sigaddset(&defaults, s);
  sigset_t noMask;
  sigemptyset(&noMask);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF |
                                      POSIX_SPAWN_SETSIGMASK);
  posix_spawnattr_setpgroup(&attr, 0);
  posix_spawnattr_setsigdefault(&attr, &defaults);
  posix_spawnattr_setsigmask(&attr, &noMask);

  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);

  pid_t pid = 0;
  // A program that cannot be executed is reported here, its short-lived
  // child already reaped.
  const int rc = posix_spawnp(&pid, argv[0], &actions, &attr, argv.data(),
                              environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attr);
  if (rc != 0) return fail(rc);
  return std::make_unique<PosixChild>(pid, readEnd.release());
}

}  // namespace velquin::exec
