#include "monitor/table.h"

#include <algorithm>
#include <optional>

#include "monitor/hosts.h"

namespace velquin::monitor {

namespace {

// The loss in tenths of a percent, as the table shows it.
long long lossTenths(const Losses& h) {
  return h.sent > 0 ? (h.lost * 2000 + h.sent) / (2 * h.sent) : 0;
}

Losses lossesOf(const Row& r) {
  return {r.series.sent() - r.series.received(), r.series.sent()};
}

// The IPv4 address as a number, for sorting; -1 for anything else.
long long ipv4Key(const std::string& s) {
  if (!isIpv4(s)) return -1;
  long long key = 0;
  size_t at = 0;
  for (int part = 0; part < 4; ++part) {
    const size_t dot = s.find('.', at);
    key = key * 256 + std::stoll(s.substr(at, dot - at));
    at = dot + 1;
  }
  return key;
}

// A row's figure in a numeric column; none when it has none.
std::optional<double> figure(const Row& r, int column) {
  const RowHistory& s = r.series;
  if (r.port && column >= 5 && column <= 8) {
    // A port row's connect times, in milliseconds with their fraction.
    const ConnectTimes& c = r.connect;
    if (column == 5) return c.last >= 0 ? std::optional<double>(c.last / 1000.0) : std::nullopt;
    if (c.count == 0) return std::nullopt;
    return (column == 6 ? static_cast<double>(c.sum) / static_cast<double>(c.count)
                        : static_cast<double>(column == 7 ? c.min : c.max)) / 1000.0;
  }
  const bool any = s.received() > 0;
  switch (column) {
    case 0: return r.number;
    case 2:
      if (s.sent() == 0) return std::nullopt;
      return static_cast<double>(lossTenths(lossesOf(r)));
    case 3: return static_cast<double>(s.sent());
    case 4: return static_cast<double>(s.received());
    case 5:
      if (s.size() == 0 || s.value(s.size() - 1) < 0) return std::nullopt;
      return s.value(s.size() - 1);
    case 6: return any ? std::optional<double>(static_cast<double>(s.sum()) / s.received()) : std::nullopt;
    case 7: return any ? std::optional<double>(s.min()) : std::nullopt;
    case 8: return any ? std::optional<double>(s.max()) : std::nullopt;
    case 9:
      if (s.received() < 2) return std::nullopt;
      return static_cast<double>(s.jitterSum()) / static_cast<double>(s.received() - 1);
    default: return std::nullopt;
  }
}

}  // namespace

const char* stateText(State s) {
  switch (s) {
    case State::Normal: return "正常";
    case State::Limited: return "応答制限 (問題なし)";
    case State::NoAnswer: return "応答なし";
    case State::Loss: return "損失";
    case State::Unresolved: return "名前を解決できません";
    case State::Refused: return "拒否";
    default: return "-";
  }
}

std::vector<State> routeStates(const std::vector<Losses>& hops, bool hostReached) {
  std::vector<State> out(hops.size(), State::None);
  for (size_t i = 0; i < hops.size(); ++i) {
    if (hops[i].sent == 0) continue;
    const long long loss = lossTenths(hops[i]);
    if (loss == 0) {
      out[i] = State::Normal;
      continue;
    }
    // Every request lost, not only as the percentage rounds.
    if (hops[i].lost == hops[i].sent) {
      out[i] = State::NoAnswer;
      continue;
    }
    const bool last = i + 1 == hops.size();
    bool laterAsMuch = true;
    bool laterNone = true;
    for (size_t j = i + 1; j < hops.size(); ++j) {
      if (hops[j].sent == 0) continue;
      const long long later = lossTenths(hops[j]);
      laterAsMuch = laterAsMuch && later >= loss;
      laterNone = laterNone && later == 0;
    }
    // The last hop shown, when it is not the host, has no later hop to
    // tell its loss apart: it counts as loss.
    if ((last && hostReached) || laterAsMuch)
      out[i] = State::Loss;
    else if (laterNone)
      out[i] = State::Limited;
    else
      out[i] = State::Normal;
  }
  return out;
}

std::vector<State> rowStates(const Monitor& m) {
  std::vector<State> out;
  if (m.options().mode == Mode::Route && !(m.rowCount() == 1 && m.row(0).unresolved)) {
    std::vector<Losses> hops;
    for (size_t i = 0; i < m.rowCount(); ++i) hops.push_back(lossesOf(m.row(i)));
    return routeStates(hops, m.hostHop() > 0);
  }
  for (size_t i = 0; i < m.rowCount(); ++i) {
    const Row& r = m.row(i);
    // A port whose host sends resets is down all the same, but "拒否"
    // tells more than "応答なし": the host is there, its service is not.
    if (r.unresolved)
      out.push_back(State::Unresolved);
    else if (r.port && r.refused && r.series.sent() > 0)
      out.push_back(State::Refused);
    else if (m.outages().down(i))
      out.push_back(State::NoAnswer);
    else if (r.series.sent() == 0)
      out.push_back(State::None);
    else
      out.push_back(r.series.received() < r.series.sent() ? State::Loss : State::Normal);
  }
  return out;
}

std::vector<std::string> rowCells(const Row& r, State state, int outages) {
  const RowHistory& s = r.series;
  const bool any = s.received() > 0;
  const long long lost = s.sent() - s.received();
  const bool last = s.size() > 0 && s.value(s.size() - 1) >= 0;
  // Latest, average, least and most.
  std::string times[4] = {
      last ? std::to_string(s.value(s.size() - 1)) : "-",
      reading::ratioTenths(s.sum(), s.received()),
      any ? std::to_string(s.min()) : "-",
      any ? std::to_string(s.max()) : "-",
  };
  if (r.port) {
    const ConnectTimes& c = r.connect;
    const bool some = c.count > 0;
    times[0] = c.last >= 0 ? connectMsText(c.last) : "-";
    times[1] = some ? connectMsText((c.sum + c.count / 2) / c.count) : "-";
    times[2] = some ? connectMsText(c.min) : "-";
    times[3] = some ? connectMsText(c.max) : "-";
  }
  return {
      std::to_string(r.number),
      r.host,
      reading::ratioTenths(lost * 100, s.sent()),
      std::to_string(s.sent()),
      std::to_string(s.received()),
      times[0],
      times[1],
      times[2],
      times[3],
      reading::ratioTenths(s.jitterSum(), s.received() - 1),
      stateText(state),
      std::to_string(outages),
  };
}

void RowOrder::click(int column) {
  if (column < 0 || column >= kColumnCount) return;
  descending_ = column == column_ ? !descending_ : false;
  column_ = column;
}

std::vector<size_t> RowOrder::order(const Monitor& m) const {
  std::vector<size_t> out(m.rowCount());
  for (size_t i = 0; i < out.size(); ++i) out[i] = i;
  if (column_ < 0) return out;
  const std::vector<State> states = rowStates(m);
  // -1 before, 1 after, 0 tied; rows without a figure come after the rest.
  auto compare = [&](size_t a, size_t b) -> int {
    const Row& x = m.row(a);
    const Row& y = m.row(b);
    if (column_ == 1) {
      // Addresses by their value, then by port ("127.0.0.9:22" before
      // "127.0.0.9:443" before "127.0.0.10").
      const HostPort hx = splitPort(x.host), hy = splitPort(y.host);
      const long long kx = ipv4Key(hx.host), ky = ipv4Key(hy.host);
      if (kx >= 0 && ky >= 0 && kx != ky) return kx < ky ? -1 : 1;
      if (kx >= 0 && ky >= 0) return hx.port < hy.port ? -1 : hx.port > hy.port ? 1 : 0;
      if ((kx >= 0) != (ky >= 0)) return kx >= 0 ? -1 : 1;  // addresses before names
      return x.host < y.host ? -1 : x.host > y.host ? 1 : 0;
    }
    if (column_ == kOutagesColumn) {
      const int ox = m.outages().count(a), oy = m.outages().count(b);
      return ox < oy ? -1 : ox > oy ? 1 : 0;
    }
    if (column_ == kStateColumn) {
      const int sx = static_cast<int>(states[a]), sy = static_cast<int>(states[b]);
      return sx < sy ? -1 : sx > sy ? 1 : 0;
    }
    const std::optional<double> fx = figure(x, column_), fy = figure(y, column_);
    if (!fx || !fy) return fx ? -2 : fy ? 2 : 0;
    return *fx < *fy ? -1 : *fx > *fy ? 1 : 0;
  };
  std::stable_sort(out.begin(), out.end(), [&](size_t a, size_t b) {
    const int c = compare(a, b);
    if (c == 2 || c == -2) return c < 0;  // a missing figure: last either way
    return descending_ ? c > 0 : c < 0;
  });
  return out;
}

std::string csvField(const std::string& s) {
  if (s.find_first_of(",\"\r\n") == std::string::npos) return s;
  std::string out = "\"";
  for (char c : s) out += c == '"' ? std::string("\"\"") : std::string(1, c);
  return out + "\"";
}

std::string copyText(const Monitor& m, const std::vector<size_t>& rows) {
  const std::vector<State> states = rowStates(m);
  std::string text;
  for (int c = 0; c < kColumnCount; ++c) text += std::string(c ? "\t" : "") + kColumns[c];
  text += "\r\n";
  for (size_t i : rows) {
    if (i >= m.rowCount()) continue;
    const std::vector<std::string> cells = rowCells(m.row(i), states[i], m.outages().count(i));
    for (size_t c = 0; c < cells.size(); ++c) text += (c ? "\t" : "") + cells[c];
    text += "\r\n";
  }
  return text;
}

}  // namespace velquin::monitor
