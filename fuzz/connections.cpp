// The connections over readings of any tables, and the filter of any text:
// each reading's endpoints are rows (one per key), every row the table holds
// was listed at some reading, the event log stays within its limit, and the
// rows the filter keeps, sorted by any column, are each kept once.
#include <algorithm>
#include <set>
#include <string>

#include "connections/rows.h"
#include "support/memory_platform.h"

using namespace velquin;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  fuzz::MemoryPlatform os;
  connections::Table table(os, 64);
  connections::Changes changes;
  // The first bytes are the filter's text; then readings of endpoints, six
  // bytes each, a zero byte ending a reading.
  const size_t textSize = std::min<size_t>(data[0], size - 1);
  const std::string text(reinterpret_cast<const char*>(data + 1), textSize);
  size_t p = 1 + textSize;
  while (p < size) {
    os.endpoints.clear();
    while (p + 6 <= size && data[p] != 0) {
      connections::Endpoint e;
      e.transport = static_cast<connections::Transport>(data[p] & 3);
      e.state = connections::isUdp(e.transport) ? 0 : static_cast<uint8_t>(data[p + 1] % 13);
      e.local[0] = e.local[15] = data[p + 2];
      e.localPort = data[p + 3];
      e.remote[3] = data[p + 4];
      e.pid = data[p + 5] % 8;
      os.endpoints.push_back(e);
      p += 6;
    }
    ++p;
    if (!table.refresh(changes)) fuzz::fail("a reading failed");
    if (table.events().size() > table.events().limit()) fuzz::fail("the log passed its limit");
    if (table.liveCount() < changes.appeared.size()) fuzz::fail("more rows came than there are");
  }
  connections::Filter filter;
  filter.set(text, data[0] & 1, data[0] & 2, data[0] & 4);
  connections::RemoteNames names;
  std::vector<size_t> kept;
  for (size_t slot = 0; slot < table.slots(); ++slot)
    if (table.row(slot).live && filter.passes(table, names, table.row(slot))) kept.push_back(slot);
  connections::Sort sort;
  sort.set(data[0] % connections::kColumnCount, data[0] & 8);
  sort.order(table, names, kept);
  if (std::set<size_t>(kept.begin(), kept.end()).size() != kept.size())
    fuzz::fail("a row sorted twice");
  for (size_t i = 1; i < kept.size(); ++i)
    if (sort.before(table, names, kept[i], kept[i - 1])) fuzz::fail("rows out of order");
  const std::string csv = connections::csvText(table, names, kept);
  if (!fuzz::validUtf8(csv) || !fuzz::validUtf8(connections::eventsCsv(table)))
    fuzz::fail("a CSV that is no UTF-8");
  return 0;
}
