// The monitor's list of hosts as the user types it: names, addresses and
// ranges become hosts in their order, each once; a line that is none of
// them, or too many hosts, refuses the list with a message naming it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "monitor/hosts.h"

namespace velquin::test {
namespace {

using monitor::readHosts;

std::string joined(const std::vector<std::string>& v) {
  std::string s;
  for (const std::string& h : v) s += (s.empty() ? "" : ",") + h;
  return s;
}

TEST(MonitorHosts, ListsGiveTheirHostsInOrder) {
  const struct {
    const char* text;
    const char* hosts;
  } rows[] = {
      {"www.example.jp\r\n192.168.1.1\r\n2001:db8::1\r\n", "www.example.jp,192.168.1.1,2001:db8::1"},
      {"  host-1 \t\n\n\r\nlocalhost.\nxn--wgv71a.jp\nサーバー.example", "host-1,localhost.,xn--wgv71a.jp,サーバー.example"},
      {"192.168.1.250-254", "192.168.1.250,192.168.1.251,192.168.1.252,192.168.1.253,192.168.1.254"},
      {"10.0.0.7-7", "10.0.0.7"},
      {"192.168.1.0/30", "192.168.1.1,192.168.1.2"},
      {"192.168.1.6/29", "192.168.1.1,192.168.1.2,192.168.1.3,192.168.1.4,192.168.1.5,192.168.1.6"},
      {"10.1.2.3/32\n10.1.2.4/31", "10.1.2.3,10.1.2.4,10.1.2.5"},
      {"127.0.0.1\n127.0.0.1-2\n127.000.000.001", "127.0.0.1,127.0.0.2"},
      {"::1\n::\nfe80::1%12\n::ffff:192.0.2.1\n1:2:3:4:5:6:7:8\n1::8\n1:2:3:4:5:6::7\n1:2:3:4:5:6:192.0.2.1\nfe80::1%WiFi_2",
       "::1,::,fe80::1%12,::ffff:192.0.2.1,1:2:3:4:5:6:7:8,1::8,1:2:3:4:5:6::7,"
       "1:2:3:4:5:6:192.0.2.1,fe80::1%WiFi_2"},
      {"", ""},
      {"\r\n \r\n", ""},
  };
  for (const auto& r : rows) {
    const monitor::HostList l = readHosts(r.text);
    EXPECT_EQ(l.error, "") << r.text;
    EXPECT_EQ(joined(l.hosts), r.hosts) << r.text;
  }
}

TEST(MonitorHosts, ALineOfNoFormIsNamedInTheRefusal) {
  const char* bad[] = {
      "192.168.1.256", "192.168.1", "192.168.1.1.1", "192.168.1.5-3", "192.168.1.1-256",
      "192.168.1.1-", "192.168.1.0/33", "192.168.1.0/", "192.168.1.0/24/1",
      "10.0.0.300", "1234", "-host", "host-", "a..b", "host name", "host;rm",
      "1:2:3:4:5:6:7:8:9", "1::2::3", ":1", "1:", "12345::1", "::1%", "::g",
      "1:2:3:4:5:6:7::8:9", "1:2:3:4:5:6:7::8", "1:2:3:4:5:6:7:192.0.2.1", "fe80::1%e-0",
      "a-b.c-" , "www.example.jp/24",
  };
  for (const char* b : bad) {
    const monitor::HostList l = readHosts(std::string("localhost\n\n") + b + "\nhost2");
    EXPECT_EQ(l.error, std::string("3 行目の「") + b + "」はホスト名、アドレス、範囲のどれでもありません。") << b;
    EXPECT_TRUE(l.hosts.empty()) << b;
  }
  const std::string longLabel(64, 'a');
  EXPECT_NE(readHosts(longLabel + ".jp").error, "");
  EXPECT_EQ(readHosts(longLabel.substr(1) + ".jp").error, "");
}

TEST(MonitorHosts, OneHostWrittenTwoWaysIsOneRowAsFirstWritten) {
  const struct {
    const char* text;
    const char* hosts;
  } rows[] = {
      // Names whatever the case of their letters.
      {"Host\nhost\nHOST", "Host"},
      {"www.Example.JP\nWWW.example.jp\nwww.example.jp.", "www.Example.JP,www.example.jp."},
      {"サーバー.Example\nサーバー.example", "サーバー.Example"},
      // IPv6 addresses by their value, however written.
      {"::1\n0::1\n0:0:0:0:0:0:0:1\n::0:1\n0000::0001", "::1"},
      {"FE80::1%12\nfe80:0::1%12\nfe80::1%13\nfe80::1", "FE80::1%12,fe80::1%13,fe80::1"},
      {"fe80::1%WiFi\nfe80::1%wifi", "fe80::1%WiFi"},
      {"::ffff:192.0.2.1\n::ffff:c000:201\n::FFFF:C000:0201", "::ffff:192.0.2.1"},
      {"1:0:0:0:0:0:0:8\n1::8\n1::0:8\n1:0::8", "1:0:0:0:0:0:0:8"},
      {"2001:db8::1\n2001:db8::1:0\n2001:db8:0:1::", "2001:db8::1,2001:db8::1:0,2001:db8:0:1::"},
      {"::\n0::0\n::1:0\n1::", "::,::1:0,1::"},
      // An IPv4 address, its range and its IPv6 form are three hosts: the
      // IPv6 form goes out as IPv6.
      {"127.0.0.1\n127.0.0.1-2\n::ffff:127.0.0.1", "127.0.0.1,127.0.0.2,::ffff:127.0.0.1"},
  };
  for (const auto& r : rows) {
    const monitor::HostList l = readHosts(r.text);
    EXPECT_EQ(l.error, "") << r.text;
    EXPECT_EQ(joined(l.hosts), r.hosts) << r.text;
  }
  // Hosts written twice count once toward the limit, whatever their form.
  std::string names = "10.0.0.0/22\n";
  for (int i = 0; i < 10; ++i) names += "H0\nh0\n::a\n0:0::A\n10.0.0." + std::to_string(i + 1) + "\n";
  EXPECT_EQ(readHosts(names).error, "");
  EXPECT_EQ(readHosts(names).hosts.size(), 1024u);
}

TEST(MonitorHosts, AtMostTheLimitOfHostsInAll) {
  const char* tooMany = "監視できるホストは 1024 までです。";
  EXPECT_EQ(readHosts("10.0.0.0/22").hosts.size(), 1022u);
  EXPECT_EQ(readHosts("10.0.0.0/22\n10.0.4.1\n10.0.4.2").hosts.size(), 1024u);
  EXPECT_EQ(readHosts("10.0.0.0/22\n10.0.4.1\n10.0.4.2\n10.0.4.3").error, tooMany);
  EXPECT_EQ(readHosts("10.0.0.0/21").error, tooMany);
  EXPECT_EQ(readHosts("0.0.0.0/0").error, tooMany);
  // Hosts written twice count once.
  EXPECT_EQ(readHosts("10.0.0.0/22\n10.0.0.1-254\n10.0.4.1\n10.0.4.2").error, "");
  std::string names;
  for (int i = 0; i < 1025; ++i) names += "h" + std::to_string(i) + "\n";
  EXPECT_EQ(readHosts(names).error, tooMany);
}

}  // namespace
}  // namespace velquin::test
