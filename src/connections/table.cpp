#include "connections/table.h"

#include <cstdio>
#include <iterator>

namespace velquin::connections {

namespace {

constexpr const char* kStates[] = {"",           "CLOSED",     "LISTENING", "SYN_SENT",
                                   "SYN_RECEIVED", "ESTABLISHED", "FIN_WAIT_1", "FIN_WAIT_2",
                                   "CLOSE_WAIT", "CLOSING",    "LAST_ACK",  "TIME_WAIT",
                                   "DELETE_TCB"};

// The name a row shows for a process whose file is known by its path.
std::string fileName(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

const char* stateName(uint8_t state) {
  return state < std::size(kStates) ? kStates[state] : "";
}

const char* transportName(Transport t) {
  switch (t) {
    case Transport::Tcp: return "TCP";
    case Transport::Tcp6: return "TCPv6";
    case Transport::Udp: return "UDP";
    case Transport::Udp6: return "UDPv6";
  }
  return "";
}

bool isUdp(Transport t) { return t == Transport::Udp || t == Transport::Udp6; }
bool isV6(Transport t) { return t == Transport::Tcp6 || t == Transport::Udp6; }

std::string addressText(const std::array<uint8_t, 16>& a, bool v6) {
  char text[48];
  if (!v6) {
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", a[0], a[1], a[2], a[3]);
    return text;
  }
  uint16_t g[8];
  for (int i = 0; i < 8; ++i) g[i] = static_cast<uint16_t>(a[2 * i] << 8 | a[2 * i + 1]);
  // The longest run of two or more zero groups, the first of equals.
  int best = -1, bestLen = 1;
  for (int i = 0; i < 8;) {
    if (g[i] != 0) {
      ++i;
      continue;
    }
    int j = i;
    while (j < 8 && g[j] == 0) ++j;
    if (j - i > bestLen) {
      best = i;
      bestLen = j - i;
    }
    i = j;
  }
  std::string out;
  for (int i = 0; i < 8; ++i) {
    if (i == best) {
      out += "::";
      i += bestLen - 1;
      continue;
    }
    if (!out.empty() && out.back() != ':') out += ':';
    std::snprintf(text, sizeof text, "%x", g[i]);
    out += text;
  }
  return out;
}

bool isLoopback(const std::array<uint8_t, 16>& a, bool v6) {
  if (!v6) return a[0] == 127;
  for (int i = 0; i < 15; ++i)
    if (a[i] != 0) return false;
  return a[15] == 1;
}

bool isUnspecified(const std::array<uint8_t, 16>& a, bool v6) {
  for (int i = 0; i < (v6 ? 16 : 4); ++i)
    if (a[i] != 0) return false;
  return true;
}

void EventLog::add(const Event& e) {
  if (limit_ == 0) return;
  if (events_.size() >= limit_) {
    events_.pop_front();
    ++dropped_;
  }
  events_.push_back(e);
}

size_t Table::KeyHash::operator()(const Key& k) const {
  // FNV-1a over the bytes that tell endpoints apart.
  uint64_t h = 1469598103934665603ull;
  auto mix = [&h](uint8_t b) { h = (h ^ b) * 1099511628211ull; };
  for (uint8_t b : k.local) mix(b);
  for (uint8_t b : k.remote) mix(b);
  mix(static_cast<uint8_t>(k.localPort));
  mix(static_cast<uint8_t>(k.localPort >> 8));
  mix(static_cast<uint8_t>(k.remotePort));
  mix(static_cast<uint8_t>(k.remotePort >> 8));
  mix(static_cast<uint8_t>(k.transport));
  return static_cast<size_t>(h);
}

Table::Key Table::keyOf(const Endpoint& e) {
  return {e.local, e.remote, e.localPort, e.remotePort, e.transport};
}

// A process is asked for its start once a reading: an id that a new
// process took is a program of its own, named afresh.
uint32_t Table::processFor(uint32_t pid) {
  auto [it, added] = byPid_.try_emplace(pid);
  Known& k = it->second;
  if (!added && k.asked == reading_) return k.process;
  const bool fixed = pid == 0 || pid == 4;
  const uint64_t started = fixed ? 0 : os_.processStarted(pid);
  k.asked = reading_;
  if (!added && processes_[k.process].started == started) return k.process;
  Process p{pid, started, "", ""};
  if (pid == 0) {
    p.name = "System Idle";
  } else if (pid == 4) {
    p.name = "System";
  } else {
    p.path = os_.processImage(pid);
    p.name = p.path.empty() ? "PID " + std::to_string(pid) : fileName(p.path);
  }
  k.process = static_cast<uint32_t>(processes_.size());
  processes_.push_back(std::move(p));
  return k.process;
}

void Table::log(EventKind kind, const Row& r, uint8_t from, int64_t now, Changes& out) {
  events_.add({now, r.ep, r.process, kind, from});
  ++out.events;
}

bool Table::refresh(Changes& out) {
  out = {};
  read_.clear();
  if (!os_.readEndpoints(read_, error_)) return false;
  error_.clear();
  ++reading_;
  const int64_t now = os_.localTimeMs();
  // The marks of earlier readings age first, so that what this reading
  // marks shows for the full count.
  for (size_t slot = 0; slot < rows_.size(); ++slot) {
    Row& r = rows_[slot];
    if (!r.live || r.markLeft == 0) continue;
    if (--r.markLeft == 0 && r.mark != Mark::Closed) {
      r.mark = Mark::None;
      out.faded.push_back(slot);
    }
  }
  for (const Endpoint& e : read_) {
    const uint32_t process = processFor(e.pid);
    auto [it, added] = index_.try_emplace(keyOf(e), 0);
    if (added) {
      size_t slot;
      if (!free_.empty()) {
        slot = free_.back();
        free_.pop_back();
      } else {
        slot = rows_.size();
        rows_.emplace_back();
      }
      it->second = slot;
      rows_[slot] = {e, process, now, Mark::Appeared, kMarkedReadings, true, reading_};
      ++live_;
      out.appeared.push_back(slot);
      log(EventKind::Opened, rows_[slot], 0, now, out);
      continue;
    }
    Row& r = rows_[it->second];
    if (r.seen == reading_) continue;  // listed twice in one reading
    r.seen = reading_;
    if (r.mark == Mark::Closed || r.ep.pid != e.pid || r.process != process) {
      // Closed before and here again, or held now by another process: the
      // old one ended, a new one began.
      if (r.mark != Mark::Closed) log(EventKind::Closed, r, 0, now, out);
      r = {e, process, now, Mark::Appeared, kMarkedReadings, true, reading_};
      out.appeared.push_back(it->second);
      log(EventKind::Opened, r, 0, now, out);
      continue;
    }
    if (r.ep.state != e.state) {
      const uint8_t from = r.ep.state;
      r.ep.state = e.state;
      r.changedAt = now;
      r.mark = Mark::Changed;
      r.markLeft = kMarkedReadings;
      out.changed.push_back(it->second);
      log(EventKind::StateChanged, r, from, now, out);
    }
  }
  for (size_t slot = 0; slot < rows_.size(); ++slot) {
    Row& r = rows_[slot];
    if (!r.live || r.seen == reading_) continue;
    if (r.mark != Mark::Closed) {
      r.mark = Mark::Closed;
      r.markLeft = kMarkedReadings;
      r.changedAt = now;
      out.closed.push_back(slot);
      log(EventKind::Closed, r, 0, now, out);
    } else if (r.markLeft == 0) {
      index_.erase(keyOf(r.ep));
      r.live = false;
      --live_;
      free_.push_back(slot);
      out.removed.push_back(slot);
    }
  }
  return true;
}

size_t Table::bytes() const {
  size_t n = rows_.capacity() * sizeof(Row) + free_.capacity() * sizeof(size_t) +
             index_.size() * (sizeof(Key) + sizeof(size_t) + 2 * sizeof(void*)) +
             index_.bucket_count() * sizeof(void*) + read_.capacity() * sizeof(Endpoint);
  for (const Process& p : processes_) n += sizeof p + p.name.capacity() + p.path.capacity();
  return n;
}

}  // namespace velquin::connections
