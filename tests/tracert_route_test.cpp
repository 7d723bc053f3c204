// The host that a tracert output traced, read from the sample outputs of
// Japanese and English Windows as the program decodes them, the last run
// of several, followed as the output grows, and nothing read from the
// outputs of other commands.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "form/line_times.h"
#include "form/output_text.h"
#include "reading/tracert_route.h"
#include "support/sample_text.h"

namespace velquin::test {
namespace {

std::string decoded(const std::string& folder, const std::string& name) {
  return decodedSample(folder, name);
}

TEST(TracertRoute, EverySampleGivesTheHostItsHeaderNames) {
  const struct {
    const char* file;
    const char* host;
    const char* address;
  } rows[] = {
      {"ja-name.txt", "www.example.jp", "203.0.113.7"},
      {"ja-d.txt", "203.0.113.7", "203.0.113.7"},
      {"en-name.txt", "www.example.com", "93.184.216.34"},
  };
  for (const auto& r : rows) {
    const reading::TracedHost h = reading::readTracedHost(decoded("tracert", r.file));
    EXPECT_TRUE(h.found) << r.file;
    EXPECT_EQ(h.host, r.host) << r.file;
    EXPECT_EQ(h.address, r.address) << r.file;
  }
}

TEST(TracertRoute, OtherOutputsAndBrokenHeadersGiveNoHost) {
  const char* texts[] = {
      // A header whose hops have not come yet.
      "\r\nTracing route to www.example.com [93.184.216.34]\r\nover a maximum of 30 hops:\r\n",
      // pathping: the same header, hop lines without probe times.
      "\r\nTracing route to www.example.com [93.184.216.34]\r\nover a maximum of 30 hops:\r\n"
      "  0  mypc [192.168.1.10]\r\n  1  192.168.1.1\r\n\r\nComputing statistics for 50 "
      "seconds...\r\n  1    0ms     0/ 100 =  0%     0/ 100 =  0%  192.168.1.1\r\n",
      // A hop line before any header.
      "  1    <1 ms    <1 ms    <1 ms  192.168.1.1\r\n",
      // Headers that name no host, or a broken one.
      "へのルートをトレースしています\r\n  1    <1 ms    <1 ms    <1 ms  192.168.1.1\r\n",
      "Tracing route to www.example.com [93.184.216.34\r\n  1  1 ms  1 ms  1 ms  a\r\n",
      "Tracing route to a b\r\n  1  1 ms  1 ms  1 ms  a\r\n",
      "Tracing route to  [1.2.3.4]\r\n  1  1 ms  1 ms  1 ms  a\r\n",
      // Hop lines that are not whole: two probes, no "ms", no place.
      "Tracing route to h\r\n  1  1 ms  1 ms  192.168.1.1\r\n",
      "Tracing route to h\r\n  1  1  1  1  192.168.1.1\r\n",
      "Tracing route to h\r\n  1  1 ms  1 ms  1 ms\r\n",
      "Tracing route to h\r\n  0  1 ms  1 ms  1 ms  a\r\n",
      "Tracing route to h\r\n  256  1 ms  1 ms  1 ms  a\r\n",
  };
  for (const char* t : texts) EXPECT_FALSE(reading::readTracedHost(t).found) << t;
  for (const char* f : {"ja-ipv4.txt", "en-ipv4.txt", "ja-name-ttl.txt", "wine.txt"})
    EXPECT_FALSE(reading::readTracedHost(decoded("ping", f)).found) << f;
}

TEST(TracertRoute, HeaderFormsAndTheLastRunCount) {
  const struct {
    const char* text;
    const char* host;
  } rows[] = {
      // One-line English header, LF endings, glued probe times.
      {"Tracing route to 2001:db8::1 over a maximum of 30 hops\n  1  <1ms  2ms  *  2001:db8::1\n",
       "2001:db8::1"},
      // A lone CR ends a line as LF does.
      {"Tracing route to www.exa\rmple\n  1  1 ms  1 ms  1 ms  a\n", "www.exa"},
      // A second run's header replaces the first one.
      {"Tracing route to a.example\r\nTracing route to b.example [10.0.0.2]\r\n"
       "  1     *        *        *     Request timed out.\r\n",
       "b.example"},
      // Two whole runs: the last one.
      {"Tracing route to a.example\r\n  1  1 ms  1 ms  1 ms  a\r\nTrace complete.\r\n"
       "Tracing route to b.example\r\n  1  1 ms  1 ms  1 ms  b\r\nTrace complete.\r\n",
       "b.example"},
      // A later run whose hops have not come yet, or a pathping after it:
      // the last run that has hops.
      {"Tracing route to a.example\r\n  1  1 ms  1 ms  1 ms  a\r\n"
       "Tracing route to b.example\r\nover a maximum of 30 hops:\r\n\r\n",
       "a.example"},
      {"Tracing route to a.example\r\n  1  1 ms  1 ms  1 ms  a\r\n"
       "Tracing route to c.example [10.0.0.3]\r\n  0  mypc [192.168.1.10]\r\n  1  192.168.1.1\r\n",
       "a.example"},
  };
  for (const auto& r : rows) {
    const reading::TracedHost h = reading::readTracedHost(r.text);
    EXPECT_TRUE(h.found) << r.text;
    EXPECT_EQ(h.host, r.host) << r.text;
  }
}

TEST(TracertRoute, FollowingTheOutputReadsOnlyTheLinesCompletedSinceTheLastLook) {
  std::string text;
  form::OutputText out(text);
  form::LineTimes times;
  times.reset(out, 1000);
  reading::TracertFollower follower;
  auto append = [&](std::string_view more) {
    text += more;
    out.appended();
    times.appended(out, 2000);
  };
  // Two runs arriving seven bytes at a time, every line ending of each
  // kind: at each look, the host of the whole lines so far.
  std::string runs = decoded("tracert", "en-name.txt") + decoded("tracert", "ja-name.txt");
  for (size_t at = 0; (at = runs.find("\r\n  3", at)) != std::string::npos; at += 3)
    runs.replace(at, 2, "\n");
  runs.replace(runs.rfind("\r\n"), 2, "\r");
  for (size_t at = 0; at < runs.size(); at += 7) {
    append(runs.substr(at, 7));
    const size_t whole = text.find_last_of("\r\n");
    const reading::TracedHost expected =
        reading::readTracedHost(whole == std::string::npos ? "" : text.substr(0, whole + 1));
    const reading::TracedHost& got = follower.follow(out, times);
    ASSERT_EQ(got.found, expected.found) << at;
    EXPECT_EQ(got.host, expected.host) << at;
  }
  EXPECT_EQ(follower.follow(out, times).host, "www.example.jp");
  EXPECT_EQ(follower.linesRead(), out.lineCount() - 1);
  // After ten thousand lines, a look after one more line reads that line.
  for (int i = 0; i < 10'000; ++i) append("Reply from 127.0.0.1: bytes=32 time<1ms TTL=128\r\n");
  follower.follow(out, times);
  const size_t before = follower.linesRead();
  append("Tracing route to b.example [10.0.0.2]\r\n  1  1 ms  1 ms  1 ms  b\r\n");
  EXPECT_EQ(follower.follow(out, times).host, "b.example");
  EXPECT_EQ(follower.linesRead(), before + 2);
  EXPECT_EQ(follower.follow(out, times).host, "b.example");
  EXPECT_EQ(follower.linesRead(), before + 2);
}

TEST(TracertRoute, ANewTextIsReadFromItsStart) {
  const std::string traced = decoded("tracert", "ja-d.txt");
  const std::string ping = decoded("ping", "ja-ipv4.txt");
  const struct {
    std::string first;
    std::string then;
    long long thenStarted;
    const char* host;  // "" when none
  } cases[] = {
      // Shorter, or as long and started later, or as long with other bytes.
      {traced, ping.substr(0, 20), 1000, ""},
      {ping, traced, 1000, "203.0.113.7"},
      {traced, std::string(traced.size(), 'x'), 1000, ""},
      {traced + traced, traced + traced, 5000, "203.0.113.7"},
      {traced, ping + ping + ping, 1000, ""},
      {ping + ping, traced + std::string(ping.size() * 2, 'x'), 1000, "203.0.113.7"},
  };
  for (const auto& c : cases) {
    std::string text = c.first;
    form::OutputText out(text);
    form::LineTimes times;
    times.reset(out, 1000);
    reading::TracertFollower follower;
    follower.follow(out, times);
    text = c.then;
    out.reset();
    times.reset(out, c.thenStarted);
    EXPECT_EQ(follower.follow(out, times).host, c.host) << c.then.substr(0, 40);
    EXPECT_EQ(follower.linesRead(), out.lineCount() - 1 + std::count(c.first.begin(), c.first.end(), '\n'));
  }
}

TEST(TracertRoute, HopLinesGiveTheirProbesAndPlace) {
  const reading::TracertHop a = reading::readTracertHop("  5    15 ms     *       15 ms  www.example.jp [203.0.113.7]\r");
  EXPECT_TRUE(a.found);
  EXPECT_EQ(a.hop, 5);
  EXPECT_EQ(a.probes[0], 15);
  EXPECT_EQ(a.probes[1], -1);
  EXPECT_EQ(a.probes[2], 15);
  EXPECT_EQ(a.where, "www.example.jp [203.0.113.7]");
  const reading::TracertHop b = reading::readTracertHop(" 12    <1 ms    <1 ms    <1 ms  192.168.1.1");
  EXPECT_EQ(b.hop, 12);
  EXPECT_EQ(b.probes[0], 0);
  EXPECT_EQ(b.probes[2], 0);
}

}  // namespace
}  // namespace velquin::test
