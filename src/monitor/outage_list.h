#pragma once
// The list of outages under the hosts' list: newest first, the time each
// began and ended, how long it lasted (still growing while it lasts) and
// the requests lost during it; copied and saved as the hosts' list is.

#include <iterator>
#include <string>
#include <vector>

#include "form/list_doc.h"
#include "monitor/outages.h"

namespace velquin::monitor {

inline constexpr const char* kOutageColumns[] = {"ホスト", "開始", "終了", "継続", "失われた応答"};
inline constexpr int kOutageColumnCount = static_cast<int>(std::size(kOutageColumns));

// "HH:MM:SS" of a local time, "YYYY/MM/DD HH:MM:SS" when it is not on the
// day of now.
std::string clockText(long long time, long long now);

class OutageTable : public form::ListSource {
 public:
  explicit OutageTable(const Outages& o) : outages_(o) {}
  // The time that the figures of an outage that lasts are counted to.
  void setNow(long long now) { now_ = now; }
  long long now() const { return now_; }

  // The outage shown at a place.
  const OutageRecord& at(size_t place) const {
    return outages_.list()[outages_.list().size() - 1 - place];
  }
  std::vector<std::string> cells(size_t place) const;

  // form::ListSource
  size_t rowCount() const override { return outages_.list().size(); }
  std::string cell(size_t place, int column) const override;
  int cellColor(size_t place, int column) const override;

 private:
  const Outages& outages_;
  long long now_ = 0;
};

// A header line, then a line per place given, cells separated by the
// separator (a CSV's fields quoted as needed), every line ending in CR LF.
std::string outageText(const OutageTable& t, const std::vector<size_t>& places, bool csv);

}  // namespace velquin::monitor
