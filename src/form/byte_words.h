#pragma once
// Looking at text eight bytes at a time: the output's path goes through
// every byte a command prints, and most of it is plain ASCII that needs no
// closer look.

#include <cstdint>
#include <cstring>

namespace velquin::form {

inline constexpr uint64_t kEveryByte = 0x0101010101010101u;
inline constexpr uint64_t kEveryHighBit = 0x8080808080808080u;

// The eight bytes at p (the caller sees that there are eight).
inline uint64_t eightBytes(const char* p) {
  uint64_t v;
  std::memcpy(&v, p, 8);
  return v;
}

// Whether a byte of v lies below `low` (at most 0x80) or above 0x7F.
inline bool anyOutsideAscii(uint64_t v, unsigned char low) {
  return (((v - kEveryByte * low) | v) & kEveryHighBit) != 0;
}

// Whether a byte of v is b.
inline bool anyByteIs(uint64_t v, unsigned char b) {
  const uint64_t x = v ^ (kEveryByte * b);  // a zero byte where v holds b
  return ((x - kEveryByte) & ~x & kEveryHighBit) != 0;
}

}  // namespace velquin::form
