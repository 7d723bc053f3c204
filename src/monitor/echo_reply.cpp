#include "monitor/echo_reply.h"

#include <algorithm>

namespace velquin::monitor {

namespace {

using Status = platform::Platform::EchoStatus;

// The system writes its numbers in the machine's order, little-endian on
// every processor Windows runs on.
uint32_t word(std::span<const uint8_t> b, size_t at) {
  return static_cast<uint32_t>(b[at]) | static_cast<uint32_t>(b[at + 1]) << 8 |
         static_cast<uint32_t>(b[at + 2]) << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

}  // namespace

Status echoStatus(uint32_t ipStatus) {
  switch (ipStatus) {
    case kIpSuccess: return Status::Reply;
    case kIpTtlExpiredTransit:
    case kIpTtlExpiredReassem: return Status::TtlExpired;
    // (IPv6's own names of these are the same numbers.)
    case kIpDestNetUnreachable:
    case kIpDestHostUnreachable:
    case kIpDestProtUnreachable:
    case kIpDestPortUnreachable:
    case kIpDestScopeMismatch:
    case kIpBadDestination: return Status::Unreachable;
    case kIpReqTimedOut: return Status::TimedOut;
    default: return Status::Failed;
  }
}

EchoReply readEchoReply(std::span<const uint8_t> bytes, bool v6) {
  EchoReply r;
  r.v6 = v6;
  if (bytes.size() < (v6 ? kEcho6Read : kEcho4Read)) return r;
  uint32_t ms;
  if (v6) {
    std::copy_n(bytes.begin() + kEcho6Address, 16, r.address.begin());
    r.scope = word(bytes, kEcho6Scope);
    r.status = echoStatus(word(bytes, kEcho6Status));
    ms = word(bytes, kEcho6Time);
  } else {
    std::copy_n(bytes.begin() + kEcho4Address, 4, r.address.begin());
    r.status = echoStatus(word(bytes, kEcho4Status));
    ms = word(bytes, kEcho4Time);
  }
  // A router that ends the request on the way measured its time as well:
  // tracert shows it for the hop.
  if (r.status == Status::Reply || r.status == Status::TtlExpired)
    r.ms = static_cast<int32_t>(std::min<uint32_t>(ms, INT32_MAX));
  return r;
}

}  // namespace velquin::monitor
