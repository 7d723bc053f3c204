#include "monitor/hosts.h"

#include <cstdint>
#include <unordered_set>

namespace velquin::monitor {

namespace {

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
    s.remove_suffix(1);
  return s;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isHex(char c) {
  return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// A decimal number of 1 to 3 digits up to max; -1 when it is none.
int smallNumber(std::string_view s, int max) {
  if (s.empty() || s.size() > 3) return -1;
  int n = 0;
  for (char c : s) {
    if (!isDigit(c)) return -1;
    n = n * 10 + (c - '0');
  }
  return n <= max ? n : -1;
}

// Four numbers 0-255 between dots, as one 32-bit address.
bool ipv4(std::string_view s, uint32_t& address) {
  address = 0;
  for (int part = 0; part < 4; ++part) {
    const size_t dot = part < 3 ? s.find('.') : s.size();
    if (dot == std::string_view::npos) return false;
    const int n = smallNumber(s.substr(0, dot), 255);
    if (n < 0) return false;
    address = address << 8 | static_cast<uint32_t>(n);
    s.remove_prefix(part < 3 ? dot + 1 : dot);
  }
  return true;
}

std::string ipv4Text(uint32_t a) {
  return std::to_string(a >> 24) + "." + std::to_string(a >> 16 & 255) + "." +
         std::to_string(a >> 8 & 255) + "." + std::to_string(a & 255);
}

std::string refusal(size_t lineNumber, std::string_view line) {
  return std::to_string(lineNumber) + " 行目の「" + std::string(line) +
         "」はホスト名、アドレス、範囲のどれでもありません。";
}

std::string badPort(size_t lineNumber, std::string_view line) {
  return std::to_string(lineNumber) + " 行目の「" + std::string(line) +
         "」のポートには 1 から 65535 までの数を書いてください。";
}

std::string noPortOnRoute(size_t lineNumber, std::string_view line) {
  return std::to_string(lineNumber) + " 行目の「" + std::string(line) +
         "」: 経路にはポートがありません。経路を監視するときはポートを付けずに書いてください。";
}

// A port: 1 to 5 digits, 1 to 65535; 0 when it is none.
int portNumber(std::string_view s) {
  if (s.empty() || s.size() > 5) return 0;
  int n = 0;
  for (char c : s) {
    if (!isDigit(c)) return 0;
    n = n * 10 + (c - '0');
  }
  return n <= 65535 ? n : 0;
}

std::string tooMany() {
  return "監視できるホストは " + std::to_string(kMaxHosts) + " までです。";
}

// The addresses of a range line, first and last; false when the line is no
// range. "a.b.c.d-e": d to e of the last number; "a.b.c.d/n": the block
// without its network and broadcast addresses (a block of one or two
// addresses has neither).
bool range(std::string_view s, uint32_t& first, uint32_t& last) {
  if (const size_t dash = s.find('-'); dash != std::string_view::npos) {
    uint32_t a;
    const int end = smallNumber(s.substr(dash + 1), 255);
    if (!ipv4(s.substr(0, dash), a) || end < static_cast<int>(a & 255)) return false;
    first = a;
    last = (a & ~255u) | static_cast<uint32_t>(end);
    return true;
  }
  if (const size_t slash = s.find('/'); slash != std::string_view::npos) {
    uint32_t a;
    const int bits = smallNumber(s.substr(slash + 1), 32);
    if (!ipv4(s.substr(0, slash), a) || bits < 0) return false;
    const uint32_t hostMask = bits == 0 ? ~0u : (bits == 32 ? 0u : ~0u >> bits);
    first = a & ~hostMask;
    last = first | hostMask;
    if (bits <= 30) {
      ++first;
      --last;
    }
    return true;
  }
  return false;
}

// An IPv6 address by its value: sixteen bytes and the zone, if any.
struct Ipv6 {
  uint8_t bytes[16] = {};
  std::string_view zone;
};

// Groups of up to four hex digits between colons, "::" once for a run of
// zero groups, an IPv4 address in the last two groups, and a zone after
// "%": "fe80::1%12" or "%eth0".
bool ipv6(std::string_view s, Ipv6& out) {
  out = {};
  if (const size_t zone = s.find('%'); zone != std::string_view::npos) {
    out.zone = s.substr(zone + 1);
    if (out.zone.empty()) return false;
    for (char c : out.zone)
      if (!isHex(c) && !(c >= 'g' && c <= 'z') && !(c >= 'G' && c <= 'Z') && c != '_')
        return false;
    s = s.substr(0, zone);
  }
  if (s.size() < 2) return false;
  uint16_t groups[8] = {};
  int count = 0;
  int gapAt = -1;  // the group before which "::" stands
  size_t i = 0;
  if (s.starts_with("::")) {
    gapAt = 0;
    i = 2;
  } else if (s[0] == ':') {
    return false;
  }
  while (i < s.size()) {
    size_t end = i;
    while (end < s.size() && s[end] != ':') ++end;
    const std::string_view g = s.substr(i, end - i);
    if (end == s.size() && g.find('.') != std::string_view::npos) {
      // An IPv4 address in the last two groups.
      uint32_t v4;
      if (count > 6 || !ipv4(g, v4)) return false;
      groups[count++] = static_cast<uint16_t>(v4 >> 16);
      groups[count++] = static_cast<uint16_t>(v4 & 0xFFFF);
      break;
    }
    if (g.empty() || g.size() > 4 || count == 8) return false;
    uint16_t v = 0;
    for (char c : g) {
      if (!isHex(c)) return false;
      v = static_cast<uint16_t>(v << 4 | (isDigit(c) ? c - '0' : (c | 0x20) - 'a' + 10));
    }
    groups[count++] = v;
    if (end == s.size()) break;
    // ":" between groups, "::" once for a gap; never at the end alone.
    if (end + 1 < s.size() && s[end + 1] == ':') {
      if (gapAt >= 0) return false;
      gapAt = count;
      i = end + 2;
    } else {
      i = end + 1;
      if (i == s.size()) return false;
    }
  }
  if (gapAt >= 0 ? count > 7 : count != 8) return false;
  // The groups after the gap go to the end; the gap's groups stay zero.
  const int after = gapAt >= 0 ? count - gapAt : 0;
  for (int k = 0; k < count; ++k) {
    const int place = gapAt >= 0 && k >= gapAt ? 8 - after + (k - gapAt) : k;
    out.bytes[2 * place] = static_cast<uint8_t>(groups[k] >> 8);
    out.bytes[2 * place + 1] = static_cast<uint8_t>(groups[k] & 0xFF);
  }
  return true;
}

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c | 0x20) : c; }

}  // namespace

bool isIpv4(std::string_view s) {
  uint32_t a;
  return ipv4(s, a);
}

bool isIpv6(std::string_view s) {
  Ipv6 a;
  return ipv6(s, a);
}

bool isHostName(std::string_view s) {
  if (s.ends_with(".")) s.remove_suffix(1);  // a fully qualified name
  if (s.empty() || s.size() > 253) return false;
  bool letter = false;  // in the last label so far
  size_t label = 0;
  char before = '.';
  for (char c : s) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '.') {
      if (label == 0 || before == '-') return false;
      label = 0;
      letter = false;
    } else if (isDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' ||
               u >= 0x80 || c == '-') {
      if (c == '-' && label == 0) return false;
      if (++label > 63) return false;
      if (!isDigit(c) && c != '-') letter = true;
    } else {
      return false;
    }
    before = c;
  }
  // A last label of numbers alone ("10.0.0.300", "10.0.0.5-3") is an
  // address or a range written wrong.
  return before != '-' && letter;
}

std::string hostKey(std::string_view written) {
  const HostPort hp = splitPort(written);
  const std::string_view host = hp.host;
  const std::string port = hp.port ? "#" + std::to_string(hp.port) : "";
  uint32_t v4;
  if (ipv4(host, v4)) {
    std::string key = "4";
    for (int shift = 24; shift >= 0; shift -= 8) key += static_cast<char>(v4 >> shift & 255);
    return key + port;
  }
  Ipv6 v6;
  if (ipv6(host, v6)) {
    std::string key = "6" + std::string(reinterpret_cast<const char*>(v6.bytes), 16);
    // A zone names an interface: by its number, or its name in any case.
    if (!v6.zone.empty()) key += '%';
    for (char c : v6.zone) key += lower(c);
    return key + port;
  }
  std::string key = "n";
  for (char c : host) key += lower(c);
  return key + port;
}

HostPort splitPort(std::string_view host) {
  if (host.starts_with('[')) {
    const size_t close = host.find("]:");
    if (close != std::string_view::npos)
      return {std::string(host.substr(1, close - 1)), portNumber(host.substr(close + 2))};
  } else if (!isIpv6(host)) {
    const size_t colon = host.rfind(':');
    if (colon != std::string_view::npos)
      return {std::string(host.substr(0, colon)), portNumber(host.substr(colon + 1))};
  }
  return {std::string(host), 0};
}

HostList readHosts(std::string_view text, bool portsAllowed) {
  HostList out;
  std::unordered_set<std::string> seen;
  auto add = [&](std::string host) {
    if (seen.insert(hostKey(host)).second) out.hosts.push_back(std::move(host));
    return out.hosts.size() <= kMaxHosts;
  };
  size_t lineNumber = 0;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    const std::string_view line = trim(text.substr(0, end));
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    ++lineNumber;
    if (line.empty()) continue;
    // The host and, after a colon, a port; an IPv6 address has colons of
    // its own, and takes a port only in brackets.
    std::string_view host = line;
    std::string_view portText;
    bool bracketed = false;
    if (line.starts_with('[')) {
      const size_t close = line.find(']');
      if (close == std::string_view::npos || line.substr(close).size() < 2 || line[close + 1] != ':')
        return {{}, refusal(lineNumber, line)};
      host = line.substr(1, close - 1);
      portText = line.substr(close + 2);
      bracketed = true;
      if (!isIpv6(host)) return {{}, refusal(lineNumber, line)};
    } else if (!isIpv6(line)) {
      // One colon: a port; more (and no IPv6 address) is no form at all.
      const size_t colon = line.find(':');
      if (colon != std::string_view::npos && line.find(':', colon + 1) == std::string_view::npos) {
        host = line.substr(0, colon);
        portText = line.substr(colon + 1);
        uint32_t a, b;
        if (!ipv4(host, a) && !range(host, a, b) && !isHostName(host))
          return {{}, refusal(lineNumber, line)};
      }
    }
    const bool hasPort = host.size() != line.size();
    int port = 0;
    if (hasPort) {
      port = portNumber(portText);
      if (port == 0) return {{}, badPort(lineNumber, line)};
      if (!portsAllowed) return {{}, noPortOnRoute(lineNumber, line)};
    }
    const std::string suffix = hasPort ? ":" + std::to_string(port) : "";
    uint32_t one, first, last;
    bool fits = true;
    if (ipv4(host, one)) {
      fits = add(ipv4Text(one) + suffix);
    } else if (range(host, first, last)) {
      if (last < first || last - first >= kMaxHosts) return {{}, tooMany()};
      for (uint64_t a = first; a <= last && fits; ++a)
        fits = add(ipv4Text(static_cast<uint32_t>(a)) + suffix);
    } else if (bracketed) {
      fits = add("[" + std::string(host) + "]" + suffix);
    } else if (isIpv6(host) || isHostName(host)) {
      fits = add(std::string(host) + suffix);
    } else {
      return {{}, refusal(lineNumber, line)};
    }
    if (!fits) return {{}, tooMany()};
  }
  return out;
}

}  // namespace velquin::monitor
