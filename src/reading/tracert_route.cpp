#include "reading/tracert_route.h"

#include <algorithm>

#include "form/line_times.h"
#include "form/output_text.h"

namespace velquin::reading {

namespace {

bool blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view trim(std::string_view s) {
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

// The next word of s (up to a blank), taken off s.
std::string_view word(std::string_view& s) {
  s = trim(s);
  size_t n = 0;
  while (n < s.size() && !blank(s[n])) ++n;
  const std::string_view w = s.substr(0, n);
  s.remove_prefix(n);
  return w;
}

bool digits(std::string_view s) {
  if (s.empty() || s.size() > 6) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

int number(std::string_view s) {
  int n = 0;
  for (char c : s) n = n * 10 + (c - '0');
  return n;
}

// One probe: "*", "<1 ms", "12 ms", also without the blank ("12ms").
bool probe(std::string_view& s, int& ms) {
  std::string_view w = word(s);
  if (w == "*") {
    ms = -1;
    return true;
  }
  const bool under = w.starts_with("<");
  if (under) w.remove_prefix(1);
  const bool glued = w.ends_with("ms");
  if (glued) w.remove_suffix(2);
  if (!digits(w)) return false;
  if (!glued && word(s) != "ms") return false;
  ms = under ? 0 : number(w);
  return true;
}

// "name [address]" or "address": no blank inside either.
TracedHost host(std::string_view named) {
  TracedHost out;
  named = trim(named);
  if (named.empty()) return out;
  const size_t open = named.find(" [");
  if (open != std::string_view::npos) {
    if (!named.ends_with("]")) return out;
    out.host = trim(named.substr(0, open));
    out.address = named.substr(open + 2, named.size() - open - 3);
  } else {
    out.host = named;
    out.address = named;
  }
  for (const std::string& s : {out.host, out.address})
    if (s.empty() || s.find_first_of(" \t[]") != std::string::npos) return {};
  out.found = true;
  return out;
}

// A header line: "<host> へのルートをトレースしています" (what follows on the
// same line, such as the maximum of hops, does not matter), or "Tracing
// route to <host>" (maybe followed by " over a maximum of 30 hops").
TracedHost header(std::string_view line) {
  line = trim(line);
  static constexpr std::string_view ja = "へのルートをトレースしています";
  if (const size_t at = line.find(ja); at != std::string_view::npos)
    return host(line.substr(0, at));
  static constexpr std::string_view en = "Tracing route to ";
  if (line.starts_with(en)) {
    std::string_view rest = line.substr(en.size());
    if (const size_t over = rest.find(" over "); over != std::string_view::npos)
      rest = rest.substr(0, over);
    return host(rest);
  }
  return {};
}

}  // namespace

TracertHop readTracertHop(std::string_view line) {
  TracertHop out;
  std::string_view s = line;
  const std::string_view n = word(s);
  if (!digits(n) || number(n) < 1 || number(n) > 255) return {};
  for (int& ms : out.probes)
    if (!probe(s, ms)) return {};
  out.where = trim(s);
  if (out.where.empty()) return {};
  out.hop = number(n);
  out.found = true;
  return out;
}

void TracertReader::line(std::string_view line) {
  // A later header (another run) is the one that counts once its first hop
  // line came.
  if (TracedHost h = header(line); h.found)
    header_ = std::move(h);
  else if (header_.found && readTracertHop(line).found)
    last_ = header_;
}

TracedHost readTracedHost(std::string_view text) {
  TracertReader reader;
  while (!text.empty()) {
    // CR LF, a lone CR and a lone LF each end a line.
    const size_t end = text.find_first_of("\r\n");
    reader.line(text.substr(0, end));
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
  }
  return reader.last();
}

const TracedHost& TracertFollower::follow(const form::OutputText& text,
                                          const form::LineTimes& times) {
  const std::string& t = text.text();
  const long long started = times.has(0) ? times.at(0) : 0;
  // A new text, not a longer one: read from its start.
  if (t.size() < bytes_ || started != started_ ||
      t.compare(bytes_ - tail_.size(), tail_.size(), tail_) != 0) {
    reader_ = TracertReader();
    lines_ = 0;
    started_ = started;
  }
  // The line after the last break may still grow: it is read once whole.
  for (; lines_ + 1 < text.lineCount(); ++lines_, ++read_) reader_.line(text.line(lines_));
  bytes_ = t.size();
  const size_t keep = std::min<size_t>(bytes_, 32);
  tail_.assign(t, bytes_ - keep, keep);
  return reader_.last();
}

}  // namespace velquin::reading
