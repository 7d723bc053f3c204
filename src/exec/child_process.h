#pragma once
// One started command: a child process whose standard output and standard
// error both go to one pipe that only this program reads, and whose standard
// input is the null device. Each system's backend implements it; the runner's
// polling loop only ever uses this interface.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace velquin::exec {

class ChildProcess {
 public:
  virtual ~ChildProcess() = default;
  ChildProcess() = default;
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Exit query: true while the started process itself still runs. Once it
  // has answered false, everything the process wrote is available.
  virtual bool running() = 0;
  // Bytes of output waiting to be read, without removing them; never
  // blocks.
  virtual size_t available() = 0;
  // Reads at most size bytes of those waiting; never blocks. Returns the
  // number read (0 when nothing was waiting or the pipe has failed).
  virtual size_t read(char* buffer, size_t size) = 0;
  // Ctrl-C to the child's own console (its process group on POSIX) and to
  // nothing else.
  virtual void interrupt() = 0;
  // Ctrl+Break the same way (SIGQUIT on POSIX): ping prints its figures and
  // goes on; most programs end as with Ctrl-C. False when the system could
  // not raise it.
  virtual bool sendBreak() = 0;
  // Ends the started process and every process it started in turn.
  virtual void terminate() = 0;
  // The code the process ended with, once running() has answered false.
  virtual uint32_t exitCode() = 0;

  // Destruction closes every handle. A child that has not been seen to end
  // by itself is ended first, with its whole tree, so nothing keeps running
  // unseen after its run is over; processes left behind by a child that
  // ended normally are left alone.
};

// Starts the command line as typed: the first word names the program, found
// by the system's usual rules; there is no command interpreter in front.
// Returns null when the program cannot be started (missing program, bad
// path, a command line the system refuses); nothing is left open then, and
// whyNot, when given, holds the system's own message for the failure.
std::unique_ptr<ChildProcess> startChild(const std::string& commandLine,
                                         std::string* whyNot = nullptr);

}  // namespace velquin::exec
