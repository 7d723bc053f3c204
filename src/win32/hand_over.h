#pragma once
// A text handed from this instance of the program to the next one without
// a command line, which every process of the user can read: a named pipe
// with a random name of 128 bits, made before the name is given to anyone,
// served to the one process that was started with its name, then closed.
// Nothing reaches the disk. An elevated instance takes no window messages
// from this one, but it runs as the same user and can open the pipe.

#include <windows.h>

#include <optional>
#include <string>

namespace velquin::win32 {

class TextOffer {
 public:
  TextOffer() = default;
  ~TextOffer() { close(); }
  TextOffer(const TextOffer&) = delete;
  TextOffer& operator=(const TextOffer&) = delete;

  // Makes the channel holding the text: its name, or "" when it cannot be
  // made. An earlier offer is withdrawn.
  std::string open(const std::string& text);
  bool isOpen() const { return pipe_ != INVALID_HANDLE_VALUE; }
  // Hands the text to the process, which opens the channel by its name; a
  // process other than this one that opens it gets nothing. Waits until the
  // process has read the text, has ended, or ms have passed, then closes
  // the channel. True when the process read the whole text.
  bool serveTo(HANDLE process, DWORD ms);
  void close();

 private:
  HANDLE pipe_ = INVALID_HANDLE_VALUE;
  std::string message_;  // the text's length in four bytes, then the text
};

// The text offered on the channel of that name, or nothing when there is
// no such channel, it does not answer within ms, or what came is not whole.
std::optional<std::string> takeOffer(const std::string& name, DWORD ms);

}  // namespace velquin::win32
