#include "monitor/monitor_log.h"

#include <algorithm>

#include "monitor/table.h"
#include "reading/ping_replies.h"

namespace velquin::monitor {

namespace {

constexpr const char* kBom = "\xEF\xBB\xBF";
constexpr const char* kSettingsFile = "設定.txt";
constexpr const char* kEventsFile = "障害.csv";
constexpr const char* kMinutesFile = "毎分.csv";
constexpr long long kMinuteMs = 60'000;

std::string line(const std::vector<std::string>& fields) {
  std::string out;
  for (size_t i = 0; i < fields.size(); ++i) out += (i ? "," : "") + csvField(fields[i]);
  return out + "\r\n";
}

// The hosts' list one a line, whatever its line ends were.
std::string crlf(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    if (text[i] == '\r' || text[i] == '\n')
      out += "\r\n";
    else
      out += text[i];
  }
  if (!out.empty() && out.back() != '\n') out += "\r\n";
  return out;
}

}  // namespace

std::string logFolderName(long long time) {
  std::string digits;
  for (char c : platform::dateTimeText(time))
    if (c >= '0' && c <= '9') digits += c;
  return digits.substr(0, 8) + "-" + digits.substr(8);
}

bool MonitorLog::begin(const std::string& root, long long start, const LogSettings& s,
                       const std::vector<std::string>& hosts) {
  end();
  active_ = true;
  // The only name of the log's making: digits and a hyphen, never a host's.
  folder_ = root + "\\" + logFolderName(start);
  hosts_ = hosts;
  rows_.assign(hosts.size(), Minute{});
  minute_ = start / kMinuteMs;
  missing_ = 0;
  error_.clear();
  settings_ = std::string(kBom) + "ホスト:\r\n" + crlf(s.hosts) + "方式: " + s.mode +
              "\r\n間隔 (秒): " + s.interval + "\r\nタイムアウト (ms): " + s.timeout +
              "\r\n応答なしとみなす連続失敗: " + std::to_string(s.thresholds.down) +
              "\r\n復旧とみなす連続応答: " + std::to_string(s.thresholds.up) + "\r\n";
  events_ = std::string(kBom) + line({"時刻", "ホスト", "出来事", "継続", "失われた応答"});
  minutes_ = std::string(kBom) +
             line({"分", "ホスト", "送信", "受信", "損失%", "最小", "平均", "最大", "ジッター"});
  const platform::IoResult made = os_.makeFolders(folder_);
  if (!made.ok) {
    // What waits is written once the folder can be made.
    error_ = made.message;
    return false;
  }
  const bool settings = write(kSettingsFile, "", settings_);
  const bool events = write(kEventsFile, "", events_);
  return write(kMinutesFile, "", minutes_) && settings && events;
}

bool MonitorLog::write(const std::string& file, std::string lines, std::string& waiting) {
  waiting += lines;
  if (waiting.empty()) return true;
  if (!error_.empty()) {
    // The folder may have gone with its drive: made again first.
    const platform::IoResult made = os_.makeFolders(folder_);
    if (!made.ok) {
      error_ = made.message;
      return false;
    }
  }
  const platform::IoResult r = os_.appendFile(folder_ + "\\" + file, waiting);
  if (!r.ok) {
    error_ = r.message;
    return false;
  }
  waiting.clear();
  error_.clear();
  return true;
}

void MonitorLog::result(size_t row, long long time, int32_t value) {
  if (!active_ || row >= rows_.size()) return;
  tick(time);
  Minute& m = rows_[row];
  ++m.sent;
  if (value < 0) return;
  if (m.received++ == 0) {
    m.min = m.max = value;
  } else {
    m.min = std::min(m.min, value);
    m.max = std::max(m.max, value);
  }
  if (m.last >= 0) m.jitterSum += value > m.last ? value - m.last : m.last - value;
  m.last = value;
  m.sum += value;
}

void MonitorLog::event(const OutageRecord& r, OutageEvent::Kind kind) {
  if (!active_) return;
  const bool down = kind == OutageEvent::Kind::Down;
  const std::string fields = line({platform::dateTimeText(down ? r.from : r.to), r.host,
                                   down ? "応答なし" : "復旧", down ? "" : spanText(r.to - r.from),
                                   std::to_string(r.lost)});
  write(kEventsFile, fields, events_);
}

void MonitorLog::tick(long long now) {
  if (!active_) return;
  while (minute_ < now / kMinuteMs) endMinute();
}

void MonitorLog::endMinute() {
  const std::string when = platform::dateTimeText(minute_ * kMinuteMs).substr(0, 16);
  std::string lines;
  for (size_t i = 0; i < rows_.size(); ++i) {
    const Minute& m = rows_[i];
    const bool any = m.received > 0;
    lines += line({when, hosts_[i], std::to_string(m.sent), std::to_string(m.received),
                   reading::ratioTenths((m.sent - m.received) * 100, m.sent),
                   any ? std::to_string(m.min) : "-", reading::ratioTenths(m.sum, m.received),
                   any ? std::to_string(m.max) : "-",
                   reading::ratioTenths(m.jitterSum, m.received - 1)});
  }
  rows_.assign(rows_.size(), Minute{});
  ++minute_;
  // The settings and events that wait go first, each to its file. A
  // minute that cannot be written is lost, not kept: only a count of them
  // is, for the line that tells of the gap.
  write(kSettingsFile, "", settings_);
  write(kEventsFile, "", events_);
  if (missing_ > 0)
    lines = line({when, "(記録できなかった分: " + std::to_string(missing_) + ")"}) + lines;
  const std::string before = minutes_;
  if (write(kMinutesFile, lines, minutes_)) {
    missing_ = 0;
  } else {
    minutes_ = before;
    ++missing_;
  }
}

void MonitorLog::end() {
  if (!active_) return;
  endMinute();
  active_ = false;
}

}  // namespace velquin::monitor
