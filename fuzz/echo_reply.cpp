// An echo reply read from any bytes: a buffer too short for a reply is a
// failure, a time is given only with a reply or a router's TTL-expired
// answer and never below zero, and the bytes behind the reply change
// nothing.
#include <vector>

#include "monitor/echo_reply.h"
#include "support/memory_platform.h"

using namespace velquin;
using Status = platform::Platform::EchoStatus;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  for (bool v6 : {false, true}) {
    const std::span<const uint8_t> bytes(data, size);
    const monitor::EchoReply r = monitor::readEchoReply(bytes, v6);
    const size_t need = v6 ? monitor::kEcho6Read : monitor::kEcho4Read;
    if (size < need && r.status != Status::Failed) fuzz::fail("a short buffer read as an answer");
    if (r.ms < 0) fuzz::fail("a time below zero");
    if (r.ms != 0 && r.status != Status::Reply && r.status != Status::TtlExpired)
      fuzz::fail("a time without an answer");
    if (!v6 && r.scope != 0) fuzz::fail("an IPv4 reply with a scope");
    if (size > need) {
      const monitor::EchoReply head = monitor::readEchoReply(bytes.first(need), v6);
      if (head.status != r.status || head.ms != r.ms || head.address != r.address ||
          head.scope != r.scope)
        fuzz::fail("the bytes behind the reply changed it");
    }
  }
  return 0;
}
