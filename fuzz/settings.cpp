// The settings file read at start: whatever it holds, only whole decimal
// values are applied to the window (each refused one said once, and the
// ones after it left alone), and what the program writes back at close
// reads back as the same window.
#include <charconv>
#include <string>
#include <vector>

#include "app/settings.h"
#include "program.h"
#include "support/memory_platform.h"

using namespace velquin;

namespace {

// A line as a decimal int: digits with an optional sign, nothing else.
std::optional<int> whole(std::string s) {
  if (s.size() > 1 && s[0] == '+' && s[1] != '-') s.erase(0, 1);
  int v = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
  return v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static fuzz::MemoryPlatform os;
  static Program program(os);
  app::TfrmMain& main = program.main();
  const std::string text =
      os.ansiToUtf8(std::string_view(reinterpret_cast<const char*>(data), size));
  os.files = {{std::string(os.kFolder) + "\\" + app::kSettingsFile, text}};
  os.messages.clear();
  main.FormCreate();

  std::vector<std::string> lines = fuzz::splitLines(text);
  lines.resize(5);
  for (int i = 0; i < 5; ++i)
    if (main["LBS" + std::to_string(i + 1)].text() != lines[i])
      fuzz::fail("a line read otherwise than the file holds it");
  form::Rect b = app::kDesignBounds;
  int* field[] = {&b.top, &b.left, &b.width, &b.height};
  size_t refused = 0;
  for (int i = 0; i < 4 && !refused; ++i) {
    if (lines[i + 1].empty()) continue;
    if (std::optional<int> v = whole(lines[i + 1])) *field[i] = *v;
    else refused = 1;
  }
  if (os.messages.size() != refused) fuzz::fail("a message other than one per refused value");
  if (main.form().windowBounds() != app::reachable(b, os, 200, 150))
    fuzz::fail("the window is not where the whole values put it");

  main.FormClose();
  const form::Rect stored = main.form().windowBounds();
  os.messages.clear();
  main.FormCreate();
  if (!os.messages.empty() || main.form().windowBounds() != stored)
    fuzz::fail("the stored window reads back otherwise");
  // Nothing of this input outlives it, so that the fuzzer's leak check
  // looks at the program alone.
  os.messages.clear();
  os.written.clear();
  return 0;
}
