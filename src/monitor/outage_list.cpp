#include "monitor/outage_list.h"

#include "monitor/table.h"
#include "platform/platform.h"

namespace velquin::monitor {

namespace {

constexpr long long kDayMs = 86'400'000;

}  // namespace

std::string clockText(long long time, long long now) {
  const std::string text = platform::dateTimeText(time);
  if (time / kDayMs == now / kDayMs && time >= 0 && now >= 0) return text.substr(11);
  return text;
}

std::vector<std::string> OutageTable::cells(size_t place) const {
  const OutageRecord& r = at(place);
  const long long end = r.to >= 0 ? r.to : now_;
  return {r.host, clockText(r.from, now_), r.to >= 0 ? clockText(r.to, now_) : "",
          spanText(end - r.from), std::to_string(r.lost)};
}

std::string OutageTable::cell(size_t place, int column) const {
  if (place >= rowCount() || column < 0 || column >= kOutageColumnCount) return "";
  return cells(place)[static_cast<size_t>(column)];
}

int OutageTable::cellColor(size_t place, int column) const {
  (void)column;
  // An outage that lasts stands out.
  return place < rowCount() && at(place).to < 0 ? 0xC00000 : -1;
}

std::string outageText(const OutageTable& t, const std::vector<size_t>& places, bool csv) {
  const char* sep = csv ? "," : "\t";
  auto field = [csv](const std::string& s) { return csv ? csvField(s) : s; };
  std::string text = csv ? "\xEF\xBB\xBF" : "";
  for (int c = 0; c < kOutageColumnCount; ++c) text += (c ? sep : "") + field(kOutageColumns[c]);
  text += "\r\n";
  for (size_t place : places) {
    if (place >= t.rowCount()) continue;
    const std::vector<std::string> cells = t.cells(place);
    for (size_t c = 0; c < cells.size(); ++c) text += (c ? sep : "") + field(cells[c]);
    text += "\r\n";
  }
  return text;
}

}  // namespace velquin::monitor
