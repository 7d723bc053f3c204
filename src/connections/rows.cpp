#include "connections/rows.h"

#include <algorithm>
#include <cstdio>
#include <tuple>

#include "form/text_find.h"

namespace velquin::connections {

namespace {

std::u32string folded(std::string_view s) {
  std::u32string out;
  for (size_t p = 0; p < s.size();) {
    char32_t c;
    p += form::foldAt(s, p, false, c);
    out += c;
  }
  return out;
}

bool allDigits(const std::u32string& w) {
  return !w.empty() && w.size() <= 5 &&
         std::all_of(w.begin(), w.end(), [](char32_t c) { return c >= '0' && c <= '9'; });
}

std::string csvField(const std::string& s) {
  if (s.find_first_of(",\"\r\n") == std::string::npos) return s;
  std::string out = "\"";
  for (char c : s) out += c == '"' ? std::string("\"\"") : std::string(1, c);
  return out + "\"";
}

// The rows' cells joined, a header first.
std::string joined(const Table& t, const RemoteNames& names, const std::vector<size_t>& slots,
                   char separator, bool quoted) {
  auto field = [&](const std::string& s) { return quoted ? csvField(s) : s; };
  std::string text;
  for (int c = 0; c < kColumnCount; ++c)
    text += (c ? std::string(1, separator) : "") + field(kColumns[c]);
  text += "\r\n";
  for (size_t slot : slots) {
    if (slot >= t.slots() || !t.row(slot).live) continue;
    for (int c = 0; c < kColumnCount; ++c)
      text += (c ? std::string(1, separator) : "") + field(cellText(t, names, t.row(slot), c));
    text += "\r\n";
  }
  return text;
}

std::string lowerAscii(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return s;
}

// Protocol, local address and port, remote address and port: the order of
// rows that tie, and of the table before any click.
auto keyTie(const Row& r) {
  return std::tie(r.ep.transport, r.ep.local, r.ep.localPort, r.ep.remote, r.ep.remotePort);
}

// The system gives process 0, the idle process, as the owner of the
// connections it keeps after their program let go of them (TIME_WAIT);
// for any other endpoint it means that it did not say whose it is.
std::string processName(const Table& t, const Endpoint& e, uint32_t process) {
  if (e.pid == 0 && e.state != kTimeWait) return "PID 0";
  return t.process(process).name;
}

}  // namespace

bool hasRemote(const Row& r) {
  return !isUdp(r.ep.transport) && !isUnspecified(r.ep.remote, isV6(r.ep.transport));
}

std::string clockText(int64_t ms) {
  const int64_t s = ((ms / 1000) % 86400 + 86400) % 86400;
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", static_cast<int>(s / 3600),
                static_cast<int>(s / 60 % 60), static_cast<int>(s % 60));
  return text;
}

std::string cellText(const Table& t, const RemoteNames& names, const Row& r, int column) {
  const bool v6 = isV6(r.ep.transport);
  const bool udp = isUdp(r.ep.transport);
  switch (column) {
    case kProcessColumn: return processName(t, r.ep, r.process);
    case kPidColumn: return std::to_string(r.ep.pid);
    case kProtocolColumn: return transportName(r.ep.transport);
    case kLocalAddressColumn: return addressText(r.ep.local, v6);
    case kLocalPortColumn: return std::to_string(r.ep.localPort);
    case kRemoteAddressColumn: return udp ? "" : addressText(r.ep.remote, v6);
    case kRemotePortColumn: return udp ? "" : std::to_string(r.ep.remotePort);
    case kStateColumn: return stateName(r.ep.state);
    case kRemoteNameColumn: {
      if (!hasRemote(r)) return "";
      const auto it = names.find(addressText(r.ep.remote, v6));
      return it == names.end() ? "" : it->second;
    }
    case kChangedColumn: return clockText(r.changedAt);
    default: return "";
  }
}

void Sort::click(int column) {
  if (column == column_) {
    descending_ = !descending_;
  } else {
    column_ = column;
    descending_ = false;
  }
}

bool Sort::before(const Table& t, const RemoteNames& names, size_t a, size_t b) const {
  const Row& x = t.row(a);
  const Row& y = t.row(b);
  int c = 0;
  auto cmp = [](const auto& p, const auto& q) { return p < q ? -1 : q < p ? 1 : 0; };
  switch (column_) {
    case kPidColumn: c = cmp(x.ep.pid, y.ep.pid); break;
    case kProtocolColumn: c = cmp(x.ep.transport, y.ep.transport); break;
    case kLocalAddressColumn:
      c = cmp(std::tie(x.ep.transport, x.ep.local), std::tie(y.ep.transport, y.ep.local));
      break;
    case kLocalPortColumn: c = cmp(x.ep.localPort, y.ep.localPort); break;
    case kRemoteAddressColumn:
      c = cmp(std::tie(x.ep.transport, x.ep.remote), std::tie(y.ep.transport, y.ep.remote));
      break;
    case kRemotePortColumn: c = cmp(x.ep.remotePort, y.ep.remotePort); break;
    case kChangedColumn: c = cmp(x.changedAt, y.changedAt); break;
    case kProcessColumn:
    case kStateColumn:
    case kRemoteNameColumn:
      c = cmp(lowerAscii(cellText(t, names, x, column_)),
              lowerAscii(cellText(t, names, y, column_)));
      break;
    default: break;
  }
  if (c != 0) return descending_ ? c > 0 : c < 0;
  return keyTie(x) < keyTie(y);
}

void Sort::order(const Table& t, const RemoteNames& names, std::vector<size_t>& slots) const {
  const bool texts = column_ == kProcessColumn || column_ == kStateColumn ||
                     column_ == kRemoteNameColumn;
  if (!texts) {
    std::sort(slots.begin(), slots.end(),
              [&](size_t a, size_t b) { return before(t, names, a, b); });
    return;
  }
  // A text is made once a row, not once a comparison.
  std::vector<std::pair<std::string, size_t>> keyed;
  keyed.reserve(slots.size());
  for (size_t s : slots) keyed.emplace_back(lowerAscii(cellText(t, names, t.row(s), column_)), s);
  std::sort(keyed.begin(), keyed.end(), [&](const auto& a, const auto& b) {
    if (a.first != b.first) return descending_ ? a.first > b.first : a.first < b.first;
    return keyTie(t.row(a.second)) < keyTie(t.row(b.second));
  });
  for (size_t i = 0; i < slots.size(); ++i) slots[i] = keyed[i].second;
}

void Filter::set(const std::string& text, bool listening, bool udp, bool loopback) {
  words_.clear();
  ports_.clear();
  listening_ = listening;
  udp_ = udp;
  loopback_ = loopback;
  const std::u32string all = folded(text);
  size_t p = 0;
  while (p < all.size()) {
    while (p < all.size() && (all[p] == ' ' || all[p] == '\t')) ++p;
    size_t q = p;
    while (q < all.size() && all[q] != ' ' && all[q] != '\t') ++q;
    if (q > p) {
      std::u32string w = all.substr(p, q - p);
      if (allDigits(w)) {
        unsigned v = 0;
        for (char32_t c : w) v = v * 10 + static_cast<unsigned>(c - '0');
        ports_.push_back(v);
      } else {
        words_.push_back(std::move(w));
      }
    }
    p = q;
  }
}

bool Filter::passes(const Table& t, const RemoteNames& names, const Row& r) const {
  if (!listening_ && r.ep.state == kListening) return false;
  if (!udp_ && isUdp(r.ep.transport)) return false;
  if (!loopback_ && isLoopback(r.ep.local, isV6(r.ep.transport))) return false;
  if (!hasWords()) return true;
  for (unsigned port : ports_)
    if (r.ep.localPort == port || (!isUdp(r.ep.transport) && r.ep.remotePort == port))
      return true;
  if (words_.empty()) return false;
  for (int c = 0; c < kColumnCount; ++c) {
    if (c == kLocalPortColumn || c == kRemotePortColumn) continue;
    const std::u32string cell = folded(cellText(t, names, r, c));
    for (const std::u32string& w : words_)
      if (cell.find(w) != std::u32string::npos) return true;
  }
  return false;
}

std::string copyText(const Table& t, const RemoteNames& names, const std::vector<size_t>& slots) {
  return joined(t, names, slots, '\t', false);
}

std::string csvText(const Table& t, const RemoteNames& names, const std::vector<size_t>& slots) {
  return "\xEF\xBB\xBF" + joined(t, names, slots, ',', true);
}

std::string eventText(const Event& e) {
  switch (e.kind) {
    case EventKind::Opened: return "開始";
    case EventKind::Closed: return "終了";
    case EventKind::StateChanged:
      return std::string("状態 ") + stateName(e.from) + " → " + stateName(e.ep.state);
  }
  return "";
}

std::string endpointText(const std::array<uint8_t, 16>& a, uint16_t port, bool v6) {
  const std::string address = addressText(a, v6);
  return (v6 ? "[" + address + "]" : address) + ":" + std::to_string(port);
}

std::string eventCell(const Table& t, const Event& e, int column) {
  const bool v6 = isV6(e.ep.transport);
  switch (column) {
    case 0: return clockText(e.at);
    case 1: return eventText(e);
    case 2: return processName(t, e.ep, e.process);
    case 3: return transportName(e.ep.transport);
    case 4: return endpointText(e.ep.local, e.ep.localPort, v6);
    case 5: return isUdp(e.ep.transport) ? "" : endpointText(e.ep.remote, e.ep.remotePort, v6);
    default: return "";
  }
}

std::string eventsCsv(const Table& t) {
  std::string text = "\xEF\xBB\xBF";
  for (int c = 0; c < kEventColumnCount; ++c)
    text += (c ? "," : "") + csvField(kEventColumns[c]);
  text += "\r\n";
  const EventLog& log = t.events();
  for (size_t i = 0; i < log.size(); ++i) {
    const Event& e = log[i];
    text += csvField(platform::dateTimeText(e.at));
    for (int c = 1; c < kEventColumnCount; ++c) text += "," + csvField(eventCell(t, e, c));
    text += "\r\n";
  }
  return text;
}

}  // namespace velquin::connections
