// Echo replies read from the bytes that the system leaves in the reply
// buffer: IPv4 and IPv6, a reply and a router's TTL-expired answer, each
// with its time and the address that answered, and what is not an answer.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

#include "monitor/echo_reply.h"

namespace velquin::test {
namespace {

using Status = platform::Platform::EchoStatus;
using Address = std::array<uint8_t, 16>;

void put(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// The buffer as the system writes it. Every byte that is not part of the
// reply's fields (the port, the flow, the padding, the data behind) holds
// a value of its own, so that a field read from the wrong place shows.
std::vector<uint8_t> reply4(const Address& from, uint32_t status, uint32_t ms) {
  std::vector<uint8_t> b(40, 0xA5);
  for (int i = 0; i < 4; ++i) b[i] = from[i];
  put(b, 4, status);
  put(b, 8, ms);
  return b;
}

std::vector<uint8_t> reply6(const Address& from, uint32_t scope, uint32_t status,
                            uint32_t ms) {
  std::vector<uint8_t> b(36 + 32, 0xA5);
  b[0] = 0x12, b[1] = 0x34;                 // port
  put(b, 2, 0x0BADF00D);                    // flow
  for (int i = 0; i < 16; ++i) b[6 + i] = from[i];
  put(b, 22, scope);
  b[26] = 0xEE, b[27] = 0xEE;               // padding before the status
  put(b, 28, status);
  put(b, 32, ms);
  return b;
}

std::vector<uint8_t> first(std::vector<uint8_t> b, size_t n) {
  b.resize(n);
  return b;
}

const Address kRouter4 = {192, 0, 2, 254};
const Address kHost4 = {127, 0, 0, 1};
const Address kRouter6 = {0xfe, 0x80, 0, 0, 0, 0, 0, 0, 0x02, 0x11, 0x22, 0xff, 0xfe, 0x33, 0x44, 0x55};
const Address kHost6 = {0x20, 0x01, 0x0d, 0xb8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x01};

// A reply and a TTL-expired answer keep their time and the address that
// answered; what is not an answer has no time.
TEST(EchoReply, EachOutcomeWithItsTimeAndAddress) {
  const Address none{};
  const struct {
    const char* what;
    std::vector<uint8_t> bytes;
    bool v6;
    Status status;
    int32_t ms;
    Address from;  // none: not looked at
    uint32_t scope = 0;
  } rows[] = {
      {"v4 reply", reply4(kHost4, 0, 17), false, Status::Reply, 17, kHost4},
      {"v4 ttl expired", reply4(kRouter4, 11013, 23), false, Status::TtlExpired, 23, kRouter4},
      {"v4 expired in reassembly", reply4(kRouter4, 11014, 9), false, Status::TtlExpired, 9,
       kRouter4},
      {"v6 reply", reply6(kHost6, 0, 0, 41), true, Status::Reply, 41, kHost6},
      {"v6 hop limit exceeded", reply6(kRouter6, 7, 11013, 5), true, Status::TtlExpired, 5,
       kRouter6, 7},
      {"v6 from a link-local host", reply6(kRouter6, 0x01020304, 0, 1), true, Status::Reply, 1,
       kRouter6, 0x01020304},
      {"v4 timed out", reply4(kRouter4, 11010, 4000), false, Status::TimedOut, 0, none},
      {"v6 timed out", reply6(kHost6, 0, 11010, 4000), true, Status::TimedOut, 0, none},
      {"v4 host unreachable", reply4(kRouter4, 11003, 3), false, Status::Unreachable, 0, none},
      {"v4 bad destination", reply4(kRouter4, 11018, 3), false, Status::Unreachable, 0, none},
      {"v6 port unreachable", reply6(kRouter6, 2, 11005, 3), true, Status::Unreachable, 0, none},
      {"v6 scope mismatch", reply6(kRouter6, 2, 11045, 3), true, Status::Unreachable, 0, none},
      {"v4 general failure", reply4(kRouter4, 11050, 3), false, Status::Failed, 0, none},
      {"v6 buffer too small", reply6(kHost6, 0, 11001, 3), true, Status::Failed, 0, none},
      {"v4 cut short", std::vector<uint8_t>(11, 0), false, Status::Failed, 0, none},
      {"v6 cut short", std::vector<uint8_t>(35, 0), true, Status::Failed, 0, none},
      // The shortest buffers that hold a reply are read.
      {"v4 shortest", first(reply4(kHost4, 0, 2), 12), false, Status::Reply, 2, kHost4},
      {"v6 shortest", first(reply6(kHost6, 0, 0, 2), 36), true, Status::Reply, 2, kHost6},
  };
  for (const auto& r : rows) {
    const monitor::EchoReply got = monitor::readEchoReply(r.bytes, r.v6);
    EXPECT_EQ(got.status, r.status) << r.what;
    EXPECT_EQ(got.ms, r.ms) << r.what;
    if (r.from == none) continue;
    EXPECT_EQ(got.v6, r.v6) << r.what;
    Address want{};
    std::copy_n(r.from.begin(), r.v6 ? 16 : 4, want.begin());
    EXPECT_EQ(got.address, want) << r.what;
    EXPECT_EQ(got.scope, r.scope) << r.what;
  }
}

}  // namespace
}  // namespace velquin::test
