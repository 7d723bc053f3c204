#pragma once
// The monitor's probes and rows: echo requests to many hosts (or TCP
// connections to their ports), spread over the interval, or to every hop of the route to one host (requests whose
// TTL is 1, 2, ... up to the hop that is the host), each row's results kept
// in a history whose memory stays flat over days. The window calls
// tick() from a timer; the platform sends the requests and reports their
// answers.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "monitor/outages.h"
#include "monitor/tcp_probe.h"
#include "platform/platform.h"
#include "monitor/row_history.h"
#include "reading/ping_replies.h"

namespace velquin::monitor {

// The most hops of a route.
inline constexpr int kMaxHops = 30;
// The TTL of requests to hosts (the system's usual one).
inline constexpr int kHostTtl = 128;

enum class Mode { Hosts, Route };

struct Options {
  Mode mode = Mode::Hosts;
  int intervalMs = 1000;  // between two requests to one host
  int timeoutMs = 1000;
  Thresholds thresholds;  // hosts only: a hop's loss tells little alone
};

struct Row {
  int number = 0;          // "#": the place in the list, or the hop
  std::string host;        // as the list names it; a hop: its address, "*" for none
  std::string address;     // the numeric address probed ("" for a hop or a
                           // name that did not resolve)
  bool unresolved = false;  // the name did not resolve: never probed
  bool resolving = false;   // the name's address is still to come
  RowHistory series;
  // A port row ("host:443"): probed by TCP connections to the port; 0: by
  // echo requests.
  int port = 0;
  bool refused = false;   // its latest connection was refused
  ConnectTimes connect;   // its connect times, to the microsecond
};

class Monitor {
 public:
  explicit Monitor(platform::Platform& os) : os_(os) {}
  ~Monitor() { stop(); }
  Monitor(const Monitor&) = delete;
  Monitor& operator=(const Monitor&) = delete;

  // Resolves every name once and starts probing, the rows afresh; in
  // Route, only the first host counts. An empty list starts nothing.
  void start(const std::vector<std::string>& hosts, const Options& options);
  // The same with each host's numeric address known ("" for a name that
  // does not resolve) or still to come (none): such a row waits, not
  // probed, until resolved() gives its address.
  void start(const std::vector<std::string>& hosts,
             const std::vector<std::optional<std::string>>& addresses, const Options& options);
  // The address of the host of that row came ("": it does not resolve);
  // its requests begin, spread over the interval from now.
  void resolved(size_t row, const std::string& address);
  // Ends every request still out at once; the rows stay.
  void stop();
  bool running() const { return running_; }
  const Options& options() const { return options_; }

  // Takes the answers that came and sends the requests that are due; true
  // when a row changed.
  bool tick();
  // Milliseconds until the next request is due (0: now; -1: stopped).
  int64_t nextDueMs() const;

  // The rows shown: every host, or the hops up to the last that answered
  // (up to the host once it answered).
  size_t rowCount() const;
  const Row& row(size_t i) const { return *rows_[i]; }
  // Route: the hop at which the host itself answered (0: not yet).
  int hostHop() const { return hostHop_; }
  // Requests sent and not answered yet: at most one a host or hop.
  size_t outstanding() const { return pending_.size() + pendingConnects_.size(); }
  // Which hosts are down, and every outage of this start.
  const Outages& outages() const { return outages_; }
  Outages& outages() { return outages_; }
  // Told of every result as it is recorded (below 0: lost), as the log
  // writes them.
  std::function<void(size_t row, long long time, int32_t value)> onResult;

 private:
  // One host, or one hop of the route. At most one request of each is out
  // at a time: when the next is due while it is still out, its answer (or
  // its time running out) counts for that interval too, and the next
  // request goes as soon as it came.
  struct Target {
    size_t row = 0;
    int ttl = kHostTtl;
    int64_t due = 0;
    bool dropped = false;  // a hop beyond the host
    bool out = false;      // its request is still out
    bool missed = false;   // a request fell due while it was out
  };
  // The requests of the row whose address is known; in Route, the rows of
  // the hops to it take the host's place.
  void addTargets(size_t row);
  // The targets from the first given on: their requests spread evenly
  // over one interval from now.
  void spread(size_t first);
  void send(Target& t);
  bool take(const platform::Platform::EchoAnswer& a, size_t target, long long time);
  bool takeConnect(const platform::Platform::ConnectAnswer& a, size_t target, long long time);
  // Every result of a row goes through here.
  void record(Row& row, size_t index, long long time, int32_t value);

  platform::Platform& os_;
  Options options_;
  bool running_ = false;
  std::vector<std::unique_ptr<Row>> rows_;
  std::vector<Target> targets_;
  std::unordered_map<uint64_t, size_t> pending_;  // request id -> target
  std::unordered_map<uint64_t, size_t> pendingConnects_;  // connection id -> target
  int hostHop_ = 0;
  int lastHop_ = 0;  // the farthest hop that answered
  size_t waiting_ = 0;  // rows whose address is still to come
  Outages outages_;
};

}  // namespace velquin::monitor
