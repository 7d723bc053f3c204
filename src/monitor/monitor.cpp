#include "monitor/monitor.h"

#include <algorithm>

#include "monitor/hosts.h"

namespace velquin::monitor {

using platform::Platform;

void Monitor::start(const std::vector<std::string>& hosts, const Options& options) {
  const size_t count = options.mode == Mode::Route ? std::min<size_t>(hosts.size(), 1) : hosts.size();
  std::vector<std::optional<std::string>> addresses;
  for (size_t i = 0; i < count; ++i) addresses.push_back(os_.resolveHost(splitPort(hosts[i]).host));
  start(hosts, addresses, options);
}

void Monitor::start(const std::vector<std::string>& hosts,
                    const std::vector<std::optional<std::string>>& addresses,
                    const Options& options) {
  stop();
  options_ = options;
  options_.intervalMs = std::max(options_.intervalMs, 1);
  rows_.clear();
  targets_.clear();
  hostHop_ = lastHop_ = 0;
  waiting_ = 0;
  outages_.reset(options_.thresholds);
  if (hosts.empty()) return;
  const size_t count = options_.mode == Mode::Route ? 1 : hosts.size();
  for (size_t i = 0; i < count; ++i) {
    auto row = std::make_unique<Row>();
    row->number = static_cast<int>(i + 1);
    row->host = hosts[i];
    row->series = RowHistory(hosts[i]);
    if (options_.mode == Mode::Hosts) row->port = splitPort(hosts[i]).port;
    const std::optional<std::string> address = i < addresses.size() ? addresses[i] : std::nullopt;
    row->resolving = !address;
    row->address = address.value_or("");
    row->unresolved = address && address->empty();
    if (row->resolving) ++waiting_;
    rows_.push_back(std::move(row));
  }
  for (size_t i = 0; i < count; ++i)
    if (!rows_[i]->resolving && !rows_[i]->unresolved) addTargets(i);
  spread(0);
  running_ = !targets_.empty() || waiting_ > 0;
}

void Monitor::resolved(size_t row, const std::string& address) {
  if (!running_ || row >= rows_.size() || !rows_[row]->resolving) return;
  Row& r = *rows_[row];
  r.resolving = false;
  r.address = address;
  r.unresolved = address.empty();
  --waiting_;
  const size_t first = targets_.size();
  if (!r.unresolved) addTargets(row);
  spread(first);
  running_ = !targets_.empty() || waiting_ > 0;
}

void Monitor::addTargets(size_t row) {
  if (options_.mode == Mode::Hosts) {
    targets_.push_back({row, kHostTtl, 0, false});
    return;
  }
  // A row per hop, shown once a hop at or beyond it answers.
  const std::string host = rows_[row]->address;
  rows_.clear();
  for (int ttl = 1; ttl <= kMaxHops; ++ttl) {
    auto hop = std::make_unique<Row>();
    hop->number = ttl;
    hop->host = "*";
    hop->address = host;
    targets_.push_back({rows_.size(), ttl, 0, false});
    rows_.push_back(std::move(hop));
  }
}

void Monitor::spread(size_t first) {
  const int64_t now = os_.steadyMs();
  const size_t n = targets_.size() - first;
  for (size_t i = first; i < targets_.size(); ++i)
    targets_[i].due = now + static_cast<int64_t>(options_.intervalMs) *
                                static_cast<int64_t>(i - first) / static_cast<int64_t>(n);
}

void Monitor::stop() {
  if (!running_ && pending_.empty() && pendingConnects_.empty()) return;
  os_.cancelEchoes();
  pending_.clear();
  os_.cancelConnects();  // what is out, and what was held for the next ones
  pendingConnects_.clear();
  for (Target& t : targets_) t.out = t.missed = false;
  running_ = false;
}

void Monitor::send(Target& t) {
  Row& row = *rows_[t.row];
  t.missed = false;
  const size_t target = static_cast<size_t>(&t - targets_.data());
  if (row.port) {
    const uint64_t id = os_.sendConnect(row.address, row.port, options_.timeoutMs);
    if (id == 0) {
      row.refused = false;
      row.connect.lost();
      record(row, t.row, os_.localTimeMs(), reading::kGeneralFailure);
      return;
    }
    pendingConnects_[id] = target;
    t.out = true;
    return;
  }
  const uint64_t id = os_.sendEcho(row.address, t.ttl, options_.timeoutMs);
  if (id == 0) {
    record(row, t.row, os_.localTimeMs(), reading::kGeneralFailure);
    return;
  }
  pending_[id] = target;
  t.out = true;
}

bool Monitor::take(const Platform::EchoAnswer& a, size_t target, long long time) {
  Target& t = targets_[target];
  t.out = false;
  if (t.dropped) return false;
  Row& row = *rows_[t.row];
  int32_t value = a.ms < 0 ? 0 : a.ms;
  switch (a.status) {
    case Platform::EchoStatus::Reply: break;
    case Platform::EchoStatus::TtlExpired:
      // On the route, a router's word is that hop's answer.
      if (options_.mode == Mode::Hosts) value = reading::kTtlExpired;
      break;
    case Platform::EchoStatus::Unreachable: value = reading::kUnreachable; break;
    case Platform::EchoStatus::TimedOut: value = reading::kTimedOut; break;
    case Platform::EchoStatus::Failed: value = reading::kGeneralFailure; break;
  }
  if (options_.mode == Mode::Route && !a.from.empty() &&
      a.status != Platform::EchoStatus::TimedOut && a.status != Platform::EchoStatus::Failed) {
    row.host = a.from;
    lastHop_ = std::max(lastHop_, t.ttl);
    if (a.status == Platform::EchoStatus::Reply && (hostHop_ == 0 || t.ttl < hostHop_)) {
      // The host itself answered: the hops beyond it are no hops.
      hostHop_ = t.ttl;
      for (Target& beyond : targets_)
        if (beyond.ttl > hostHop_) beyond.dropped = true;
    }
  }
  record(row, t.row, time, value);
  return true;
}

void Monitor::record(Row& row, size_t index, long long time, int32_t value) {
  row.series.add(time, value);
  if (options_.mode == Mode::Hosts) outages_.add(index, row.host, time, value >= 0);
  if (onResult) onResult(index, time, value);
}

bool Monitor::takeConnect(const Platform::ConnectAnswer& a, size_t target, long long time) {
  Target& t = targets_[target];
  t.out = false;
  Row& row = *rows_[t.row];
  const int32_t value = connectValue(a);
  row.refused = a.status == Platform::ConnectStatus::Refused;
  if (a.status == Platform::ConnectStatus::Accepted)
    row.connect.add(a.us);
  else
    row.connect.lost();
  record(row, t.row, time, value);
  return true;
}

bool Monitor::tick() {
  bool changed = false;
  if (!pendingConnects_.empty()) {
    const std::vector<Platform::ConnectAnswer> connects = os_.takeConnectAnswers();
    const long long time = connects.empty() ? 0 : os_.localTimeMs();
    for (const Platform::ConnectAnswer& a : connects) {
      const auto it = pendingConnects_.find(a.id);
      if (it == pendingConnects_.end()) continue;
      const size_t target = it->second;
      pendingConnects_.erase(it);
      changed |= takeConnect(a, target, time);
    }
  }
  const std::vector<Platform::EchoAnswer> answers = os_.takeEchoAnswers();
  if (!answers.empty()) {
    const long long time = os_.localTimeMs();
    for (const Platform::EchoAnswer& a : answers) {
      const auto it = pending_.find(a.id);
      if (it == pending_.end()) continue;
      const size_t target = it->second;
      pending_.erase(it);
      changed |= take(a, target, time);
    }
  }
  if (!running_) return changed;
  const int64_t now = os_.steadyMs();
  const int64_t interval = options_.intervalMs;
  for (Target& t : targets_) {
    if (t.dropped) continue;
    const bool due = t.due <= now;
    // A request more than an interval late (the program was held up) is
    // left out rather than sent with the others in one burst.
    const bool late = due && now - t.due >= interval;
    if (due) t.due += interval * ((now - t.due) / interval + 1);
    if (t.out) {
      // Its answer, or its time running out, counts for this interval.
      t.missed |= due;
      continue;
    }
    if (t.missed || (due && !late)) {
      send(t);
      changed = true;
    }
  }
  return changed;
}

int64_t Monitor::nextDueMs() const {
  if (!running_) return -1;
  const int64_t now = os_.steadyMs();
  int64_t next = -1;
  for (const Target& t : targets_)
    if (!t.dropped && (next < 0 || t.due < next)) next = t.due;
  return next < 0 ? -1 : std::max<int64_t>(next - now, 0);
}

size_t Monitor::rowCount() const {
  if (options_.mode == Mode::Route && !targets_.empty())
    return static_cast<size_t>(hostHop_ ? hostHop_ : lastHop_);
  return rows_.size();
}

}  // namespace velquin::monitor
