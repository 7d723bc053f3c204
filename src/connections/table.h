#pragma once
// The machine's connections over successive readings of the system's
// tables: one row per endpoint, found again at the next reading by its key
// (protocol, addresses and ports, never by its text), marked while it is
// new, changed or closed, and every appearance, change of state and close
// kept in a log of events.

#include <array>
#include <cstdint>
#include <deque>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/platform.h"

namespace velquin::connections {

using Endpoint = platform::Platform::Endpoint;
using Transport = platform::Platform::Transport;

// What a row shows of its latest change, for so many readings.
enum class Mark : uint8_t { None, Appeared, Changed, Closed };
inline constexpr int kMarkedReadings = 3;

// The TCP state as netstat prints it; "" for none (UDP).
const char* stateName(uint8_t state);
inline constexpr uint8_t kListening = 2;
inline constexpr uint8_t kTimeWait = 11;
const char* transportName(Transport t);
bool isUdp(Transport t);
bool isV6(Transport t);
// An address as netstat writes it: dotted IPv4, IPv6 with its longest run
// of zeros shortened.
std::string addressText(const std::array<uint8_t, 16>& a, bool v6);
bool isLoopback(const std::array<uint8_t, 16>& a, bool v6);
bool isUnspecified(const std::array<uint8_t, 16>& a, bool v6);

// A program the rows name: its file name and path as far as known.
struct Process {
  uint32_t pid = 0;
  uint64_t started = 0;
  std::string name;  // as shown: "chrome.exe", "System", "PID 1234"
  std::string path;  // "" when unknown
};

struct Row {
  Endpoint ep;
  uint32_t process = 0;   // index into the table's processes
  int64_t changedAt = 0;  // local time (ms) it appeared or last changed
  Mark mark = Mark::Appeared;
  uint8_t markLeft = 0;   // readings the mark still shows
  bool live = false;      // the slot holds a row
  uint64_t seen = 0;      // the reading that last listed it
};

enum class EventKind : uint8_t { Opened, StateChanged, Closed };
struct Event {
  int64_t at = 0;  // local time, ms
  Endpoint ep;     // the state after the event
  uint32_t process = 0;
  EventKind kind = EventKind::Opened;
  uint8_t from = 0;  // the state before a change
};

// The events of the session, oldest first; beyond the limit the oldest go
// and are counted.
class EventLog {
 public:
  explicit EventLog(size_t limit) : limit_(limit) {}
  void add(const Event& e);
  size_t size() const { return events_.size(); }
  const Event& operator[](size_t i) const { return events_[i]; }
  size_t dropped() const { return dropped_; }
  size_t limit() const { return limit_; }
  size_t bytes() const { return events_.size() * sizeof(Event); }

 private:
  std::deque<Event> events_;
  size_t limit_;
  size_t dropped_ = 0;
};

// What one reading changed, by slot.
struct Changes {
  std::vector<size_t> appeared;  // new rows, and rows that came again
  std::vector<size_t> changed;   // a new state
  std::vector<size_t> closed;    // gone from the system's table
  std::vector<size_t> removed;   // slots freed: closed rows whose mark ran out
  std::vector<size_t> faded;     // rows whose colour ran out and show plain again
  size_t events = 0;
  bool any() const { return !appeared.empty() || !changed.empty() || !closed.empty() ||
                            !removed.empty() || !faded.empty(); }
};

class Table {
 public:
  static constexpr size_t kEventLimit = 100'000;
  explicit Table(platform::Platform& os, size_t eventLimit = kEventLimit)
      : os_(os), events_(eventLimit) {}

  // Reads the system's tables and follows them: false, and the rows as
  // they were, when they could not be read.
  bool refresh(Changes& out);
  const std::string& error() const { return error_; }

  // Rows live at their slot until their close has shown; a slot freed is
  // used again.
  size_t slots() const { return rows_.size(); }
  const Row& row(size_t slot) const { return rows_[slot]; }
  size_t liveCount() const { return live_; }
  const Process& process(uint32_t i) const { return processes_[i]; }
  const Process& processOf(const Row& r) const { return processes_[r.process]; }
  const EventLog& events() const { return events_; }
  EventLog& events() { return events_; }
  size_t bytes() const;

 private:
  struct Key {
    std::array<uint8_t, 16> local, remote;
    uint16_t localPort, remotePort;
    Transport transport;
    bool operator==(const Key&) const = default;
  };
  struct KeyHash {
    size_t operator()(const Key& k) const;
  };
  static Key keyOf(const Endpoint& e);
  uint32_t processFor(uint32_t pid);
  void log(EventKind kind, const Row& r, uint8_t from, int64_t now, Changes& out);

  platform::Platform& os_;
  std::vector<Row> rows_;
  std::vector<size_t> free_;
  size_t live_ = 0;
  std::unordered_map<Key, size_t, KeyHash> index_;
  std::vector<Process> processes_;
  struct Known {
    uint32_t process = 0;
    uint64_t asked = 0;  // the reading that last asked the system
  };
  std::unordered_map<uint32_t, Known> byPid_;
  EventLog events_;
  uint64_t reading_ = 0;
  std::string error_;
  std::vector<Endpoint> read_;
};

}  // namespace velquin::connections
