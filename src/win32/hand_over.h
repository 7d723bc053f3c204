#pragma once
// A text handed from this instance of the program to the next one without
// a command line, which every process of the user can read: a named pipe
// with a random name of 128 bits, made before the name is given to anyone,
// served to the one process that was started with its name, then closed.
// The name given holds this process's id too, so that the reader knows the
// pipe is served by the instance that started it and by no one that made a
// pipe of that name once this one's was gone. Nothing reaches the disk. An
// elevated instance takes no window messages from this one, but it runs as
// the same user and can open the pipe.

#include <windows.h>

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <thread>

namespace velquin::win32 {

class TextOffer {
 public:
  TextOffer() = default;
  ~TextOffer() { close(); }
  TextOffer(TextOffer&& other) noexcept { *this = std::move(other); }
  TextOffer& operator=(TextOffer&& other) noexcept;

  // Makes the channel holding the text: its name (the pipe's and this
  // process's id), or "" when it cannot be made. An earlier offer is
  // withdrawn.
  std::string open(const std::string& text);
  bool isOpen() const { return pipe_ != INVALID_HANDLE_VALUE; }
  // Hands the text to the process, which opens the channel by its name; a
  // process other than this one that opens it gets nothing. Waits until the
  // process has read the text, has ended, ms have passed, or stop (if any)
  // is set, then closes the channel. True when the process read the whole
  // text.
  bool serveTo(HANDLE process, DWORD ms, HANDLE stop = nullptr);
  void close();

 private:
  HANDLE pipe_ = INVALID_HANDLE_VALUE;
  std::string message_;  // the text's length in four bytes, then the text
};

// An offer served on a thread of its own, so that the window that made it
// goes on answering while the new instance starts and reads.
class BackgroundServe {
 public:
  BackgroundServe() = default;
  // One still serving is called off and ends at once.
  ~BackgroundServe() { stop(); }
  BackgroundServe(const BackgroundServe&) = delete;
  BackgroundServe& operator=(const BackgroundServe&) = delete;

  // Takes the offer and the process handle, which is closed at the end.
  void start(TextOffer offer, HANDLE process, DWORD ms);
  // Nothing while it serves; then whether the process read the whole text.
  std::optional<bool> result() const;
  void stop();

 private:
  HANDLE stop_ = nullptr;
  std::thread thread_;
  // 0 serving, 1 read, 2 not read.
  std::shared_ptr<std::atomic<int>> state_;
};

// The text offered on the channel of that name, or nothing when there is
// no such channel, another process than the one the name gives serves it,
// it does not answer within ms, or what came is not whole.
std::optional<std::string> takeOffer(const std::string& name, DWORD ms);

}  // namespace velquin::win32
