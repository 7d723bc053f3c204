#pragma once
// What `tracert` prints, read out of its output: the host it traces as the
// header names it, and each hop line. Japanese and English Windows wordings
// alike; the header may stand on one line or two.

#include <string>
#include <string_view>

namespace velquin::reading {

// One hop line: "  4    12 ms    11 ms    12 ms  router.example.net [198.51.100.1]".
struct TracertHop {
  bool found = false;
  int hop = 0;
  // The three probes: milliseconds ("<1 ms" as 0), -1 for "*".
  int probes[3] = {-1, -1, -1};
  // What follows the probes: an address, "name [address]", or the text of
  // a hop that did not answer.
  std::string where;
};
TracertHop readTracertHop(std::string_view line);

// The traced host: the name when the header has one, else the address;
// found false when the text is not the output of tracert (a header and at
// least one hop line after it).
struct TracedHost {
  bool found = false;
  std::string host;
  std::string address;  // the address in brackets after a name; else host
};
TracedHost readTracedHost(std::string_view text);

}  // namespace velquin::reading
