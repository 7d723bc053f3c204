// The program's own state file: whatever bytes it holds, reading never
// fails any other way than by refusing the whole file, and what it accepts,
// written again, reads back as the same state, byte for byte on the second
// writing.
#include <string>

#include "app/user_state.h"
#include "support/memory_platform.h"

using namespace velquin;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  std::optional<app::StateData> read = app::decodeState(bytes);
  if (!read) return 0;
  if (!fuzz::validUtf8(bytes)) fuzz::fail("a file that is not UTF-8 was accepted");
  const std::string written = app::encodeState(*read);
  std::optional<app::StateData> again = app::decodeState(written);
  if (!again || !(*again == *read)) fuzz::fail("what was written does not read back the same");
  if (app::encodeState(*again) != written) fuzz::fail("writing twice gives two files");
  return 0;
}
