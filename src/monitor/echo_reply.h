#pragma once
// An echo reply as the system's ICMP functions leave it in the reply
// buffer, read from its bytes: the status, the round trip and the address
// that answered, IPv4 and IPv6 alike. The Win32 side checks at compile time
// that the offsets below are those of the system's own structures.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/platform.h"

namespace velquin::monitor {

// The IPv4 reply: the address (network order), the status, the round trip,
// each four bytes from the start.
inline constexpr size_t kEcho4Address = 0;
inline constexpr size_t kEcho4Status = 4;
inline constexpr size_t kEcho4Time = 8;
inline constexpr size_t kEcho4Read = 12;  // the bytes read of it
// The IPv6 reply: its address block is packed (port, flow, address, scope:
// 2 + 4 + 16 + 4 bytes), then the status and the round trip, aligned.
inline constexpr size_t kEcho6Address = 6;
inline constexpr size_t kEcho6Scope = 22;
inline constexpr size_t kEcho6Status = 28;
inline constexpr size_t kEcho6Time = 32;
inline constexpr size_t kEcho6Read = 36;

// The system's numbers of a request's outcome.
inline constexpr uint32_t kIpSuccess = 0;
inline constexpr uint32_t kIpDestNetUnreachable = 11002;
inline constexpr uint32_t kIpDestHostUnreachable = 11003;
inline constexpr uint32_t kIpDestProtUnreachable = 11004;
inline constexpr uint32_t kIpDestPortUnreachable = 11005;
inline constexpr uint32_t kIpReqTimedOut = 11010;
inline constexpr uint32_t kIpTtlExpiredTransit = 11013;
inline constexpr uint32_t kIpTtlExpiredReassem = 11014;
inline constexpr uint32_t kIpBadDestination = 11018;
inline constexpr uint32_t kIpDestScopeMismatch = 11045;

platform::Platform::EchoStatus echoStatus(uint32_t ipStatus);

struct EchoReply {
  platform::Platform::EchoStatus status = platform::Platform::EchoStatus::Failed;
  // The round trip of a reply or of a router's TTL-expired answer; 0 else.
  int32_t ms = 0;
  // The address that answered, in network order: the first four bytes for
  // IPv4; the IPv6 one with its scope (the interface of a link-local one).
  bool v6 = false;
  std::array<uint8_t, 16> address{};
  uint32_t scope = 0;
};

// The first reply of a buffer that the system filled. A buffer shorter than
// a reply reads as a failure.
EchoReply readEchoReply(std::span<const uint8_t> bytes, bool v6);

}  // namespace velquin::monitor
