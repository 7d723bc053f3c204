#pragma once
// The connections as the window's table shows them: each row's cells, the
// order of a sort by a column, the filter of words and kinds, and the texts
// that copy and the CSV files take.

#include <iterator>
#include <string>
#include <unordered_map>
#include <vector>

#include "connections/table.h"

namespace velquin::connections {

enum Column {
  kProcessColumn, kPidColumn, kProtocolColumn, kLocalAddressColumn, kLocalPortColumn,
  kRemoteAddressColumn, kRemotePortColumn, kStateColumn, kRemoteNameColumn, kChangedColumn,
};
inline constexpr const char* kColumns[] = {
    "プロセス",           "PID",            "プロトコル", "ローカル アドレス", "ローカル ポート",
    "リモート アドレス", "リモート ポート", "状態",       "リモート名",         "変化"};
inline constexpr int kColumnCount = static_cast<int>(std::size(kColumns));
inline constexpr const char* kEventColumns[] = {"時刻",       "出来事", "プロセス",
                                                "プロトコル", "ローカル", "リモート"};
inline constexpr int kEventColumnCount = static_cast<int>(std::size(kEventColumns));

// The names of remote addresses, by the address's text, as far as found
// ("" for an address that has none).
using RemoteNames = std::unordered_map<std::string, std::string>;

// Whether the row has a remote address worth a name: TCP, not unspecified.
bool hasRemote(const Row& r);
std::string cellText(const Table& t, const RemoteNames& names, const Row& r, int column);
// "HH:MM:SS" of a local time in ms.
std::string clockText(int64_t ms);

// A click on a header sorts by its column, a second click on it the other
// way; numbers and addresses go by their value, texts by their letters
// (case folded). Rows that tie go by protocol, addresses and ports.
class Sort {
 public:
  void click(int column);
  void set(int column, bool descending) {
    column_ = column;
    descending_ = descending;
  }
  int column() const { return column_; }  // -1: by protocol and addresses
  bool descending() const { return descending_; }
  // The slots in order; the names are read once a slot.
  void order(const Table& t, const RemoteNames& names, std::vector<size_t>& slots) const;
  // Whether row a goes before row b.
  bool before(const Table& t, const RemoteNames& names, size_t a, size_t b) const;

 private:
  int column_ = -1;
  bool descending_ = false;
};

// The rows a user asked to see: those where any cell holds any word typed
// (blank-separated, case and the two widths folded as find does; a word of
// digits is a port, matched exactly), of the kinds ticked.
class Filter {
 public:
  void set(const std::string& text, bool listening, bool udp, bool loopback);
  bool passes(const Table& t, const RemoteNames& names, const Row& r) const;
  bool hasWords() const { return !words_.empty() || !ports_.empty(); }

 private:
  std::vector<std::u32string> words_;
  std::vector<unsigned> ports_;
  bool listening_ = true;
  bool udp_ = true;
  bool loopback_ = true;
};

// The rows given, a header line first, cells tab-separated, lines ending
// in CR LF (what Ctrl+C copies).
std::string copyText(const Table& t, const RemoteNames& names, const std::vector<size_t>& slots);
// The same as CSV after UTF-8's byte order mark, fields with a comma, a
// quote or a line break quoted.
std::string csvText(const Table& t, const RemoteNames& names, const std::vector<size_t>& slots);

// An event's cells, as the pane shows them; the CSV of all events, oldest
// first, with the date.
std::string eventText(const Event& e);
std::string endpointText(const std::array<uint8_t, 16>& a, uint16_t port, bool v6);
std::string eventCell(const Table& t, const Event& e, int column);
std::string eventsCsv(const Table& t);

}  // namespace velquin::connections
