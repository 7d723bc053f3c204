// The host that a tracert output traced, read from the sample outputs of
// Japanese and English Windows as the program decodes them, and nothing
// read from the outputs of other commands.
#include <gtest/gtest.h>

#include <string>

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
  };
  for (const auto& r : rows) {
    const reading::TracedHost h = reading::readTracedHost(r.text);
    EXPECT_TRUE(h.found) << r.text;
    EXPECT_EQ(h.host, r.host) << r.text;
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
