#pragma once
// What `tracert` prints, read out of its output: the host it traces as the
// header names it, and each hop line. Japanese and English Windows wordings
// alike; the header may stand on one line or two.

#include <string>
#include <string_view>

namespace velquin::form {
class LineTimes;
class OutputText;
}  // namespace velquin::form

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
// The host of the last tracert of the text that has a hop line after its
// header (a later header whose hops have not come yet does not count).
TracedHost readTracedHost(std::string_view text);

// The same read a line at a time.
class TracertReader {
 public:
  void line(std::string_view line);
  const TracedHost& last() const { return last_; }

 private:
  TracedHost header_;  // the latest header read
  TracedHost last_;    // the latest header with a hop line after it
};

// The same of the output view's text as it grows: each look reads only the
// lines that were completed since the last look (all of a new text).
class TracertFollower {
 public:
  const TracedHost& follow(const form::OutputText& text, const form::LineTimes& times);
  // Lines read in all, for the tests of what a look costs.
  size_t linesRead() const { return read_; }

 private:
  TracertReader reader_;
  size_t lines_ = 0;        // whole lines read
  size_t bytes_ = 0;        // bytes of text at the last look
  long long started_ = -1;  // the time of its first line
  std::string tail_;        // its last bytes: a new text rarely has them there
  size_t read_ = 0;
};

}  // namespace velquin::reading
