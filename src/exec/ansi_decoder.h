#pragma once
// Child output, from the bytes of the ANSI code page to the program's
// UTF-8, read by read: a character cut off by the end of one read is joined
// with the rest of it from the next, so output split anywhere decodes as if
// it came in one read. A lead byte followed by a byte that cannot be its
// trail byte (a CR, an LF, any byte outside the trail range) is one
// stand-in character, and the byte after it is decoded on its own: a broken
// character never eats a line break. A zero byte is left out: no text of
// the program can hold one.

#include <string>
#include <string_view>

#include "platform/platform.h"

namespace velquin::exec {

class AnsiDecoder {
 public:
  explicit AnsiDecoder(platform::Platform& platform);

  // Appends the text of the whole characters so far to out; a cut-off one
  // waits.
  void decode(std::string_view bytes, std::string& out);
  // End of the output: a character still cut off shows as the stand-in.
  std::string finish();

 private:
  platform::Platform& platform_;
  platform::AnsiBytes bytes_;
  std::string tail_;
};

}  // namespace velquin::exec
