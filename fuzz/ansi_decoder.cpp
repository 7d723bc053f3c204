// Child output decoded read by read, in Shift-JIS and in UTF-8: however the
// output is cut into reads, the text is the text of one read, every CR and
// LF of the bytes is in it, and it is well-formed UTF-8.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "exec/ansi_decoder.h"
#include "support/memory_platform.h"

using namespace velquin;

namespace {

std::string decode(platform::Platform& os, std::string_view bytes, bool cut) {
  exec::AnsiDecoder d(os);
  std::string out;
  for (size_t at = 0; at < bytes.size();) {
    // The next read's length comes from the byte it starts with; a zero is
    // an empty read, then one byte.
    size_t len = cut ? static_cast<uint8_t>(bytes[at]) % 16 : bytes.size();
    if (len == 0) {
      d.decode({}, out);
      len = 1;
    }
    d.decode(bytes.substr(at, len), out);
    at += len;
  }
  return out + d.finish();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static fuzz::MemoryPlatform shiftJis(false), utf8(true);
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  for (platform::Platform* os : {static_cast<platform::Platform*>(&shiftJis),
                                 static_cast<platform::Platform*>(&utf8)}) {
    const std::string once = decode(*os, bytes, false);
    if (decode(*os, bytes, true) != once)
      fuzz::fail("decoded in reads differs from decoded at once");
    for (char c : {'\r', '\n'})
      if (std::count(once.begin(), once.end(), c) !=
          std::count(bytes.begin(), bytes.end(), c))
        fuzz::fail("a CR or LF was lost or added");
    if (!fuzz::validUtf8(once)) fuzz::fail("decoded text is not UTF-8");
  }
  return 0;
}
