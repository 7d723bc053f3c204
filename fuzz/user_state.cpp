// The program's own state file: whatever bytes it holds, reading never
// fails any other way than by refusing the whole file, and what it accepts,
// written again, reads back as the same state, byte for byte on the second
// writing. The history found in it, merged with a window's own, keeps at
// most 200 lines, each once, newest first, none that may carry a password.
#include <set>
#include <string>

#include "app/history.h"
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

  const auto& rows = read->lists["history"];
  app::CommandHistory mine;
  // This window read the file's first half and ran two lines since.
  mine.load(std::vector<app::StateRow>(rows.begin(), rows.begin() + rows.size() / 2));
  mine.remember("ping 127.0.0.1", "2024/05/01 09:30:00");
  mine.remember("net user bob pw", "2024/05/01 09:30:01");
  // And deleted the newest line it read, if there is one.
  if (mine.entries().size() > 2) mine.forget(2);
  const std::vector<app::StateRow> merged = mine.merge(rows);
  std::set<std::string> lines;
  size_t kept = 0, deletions = 0;
  for (size_t i = 0; i < merged.size(); ++i) {
    if (merged[i].size() == 3 && merged[i][0] == "deleted") {
      ++deletions;
      continue;
    }
    if (merged[i].size() != 2 || deletions > 0) fuzz::fail("a history row of another shape or place");
    ++kept;
    if (!lines.insert(merged[i][1]).second) fuzz::fail("a line kept twice");
    if (app::carriesPassword(merged[i][1])) fuzz::fail("a password line written");
    if (i > 0 && merged[i - 1][0] < merged[i][0]) fuzz::fail("not newest first");
  }
  if (kept > app::CommandHistory::kKept || deletions > app::CommandHistory::kKept)
    fuzz::fail("more than 200 lines or deletions kept");
  // Another window may have deleted a line (the file names it only by its
  // digest) after this one ran it: then it may rightly be gone.
  bool deletedLater = false;
  for (const app::StateRow& r : rows)
    deletedLater |= r.size() == 3 && r[0] == "deleted" && r[1] >= "2024/05/01 09:30:00";
  if (kept < app::CommandHistory::kKept && !deletedLater && !lines.contains("ping 127.0.0.1"))
    fuzz::fail("this window's line lost");
  // What was written reads back as the same history.
  app::CommandHistory next;
  next.load(merged);
  std::vector<app::HistoryEntry> shared = mine.entries();
  std::erase_if(shared, [](const app::HistoryEntry& e) { return app::carriesPassword(e.line); });
  if (next.entries() != shared) fuzz::fail("the rows written read back otherwise");
  return 0;
}
