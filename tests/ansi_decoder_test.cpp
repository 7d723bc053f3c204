// Child output decoded from Shift-JIS read by read: a character split
// between reads is joined, and a lead byte without its trail byte is one
// stand-in character that never takes the byte after it.
#include "exec/ansi_decoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/scripted_platform.h"

namespace velquin::exec {
namespace {

std::string decodeAll(platform::Platform& os, const std::vector<std::string>& reads) {
  AnsiDecoder d(os);
  std::string out;
  for (const std::string& r : reads) d.decode(r, out);
  return out + d.finish();
}

// The bytes cut into three reads at every pair of offsets decode as once.
void expectEverySplitDecodesAs(platform::Platform& os, const std::string& bytes,
                               const std::string& once) {
  for (size_t a = 0; a <= bytes.size(); ++a)
    for (size_t b = a; b <= bytes.size(); ++b)
      ASSERT_EQ(decodeAll(os, {bytes.substr(0, a), bytes.substr(a, b - a),
                               bytes.substr(b)}),
                once)
          << a << " " << b;
}

TEST(AnsiDecoder, ALeadByteWithoutItsTrailByteKeepsTheByteAfterIt) {
  test::ScriptedPlatform os;
  EXPECT_EQ(decodeAll(os, {"x\x82\r\ny"}), "x・\r\ny");
  EXPECT_EQ(decodeAll(os, {"x\x82\ny"}), "x・\ny");
  EXPECT_EQ(decodeAll(os, {"\x82 \x82\x20"}), "・ ・ ");
  EXPECT_EQ(decodeAll(os, {"\x82\x7F!"}), "・\x7F!");  // below the trail range
  EXPECT_EQ(decodeAll(os, {"end\x82"}), "end・");
  // Both ends of ASCII are copied, a byte past it is the code page's.
  EXPECT_EQ(decodeAll(os, {"\x01\x7F\xB1\x80\x01"}), "\x01\x7Fｱ?\x01");
  // A zero byte is left out, after a lead byte too.
  EXPECT_EQ(decodeAll(os, {std::string("a\0b\x82\0\0c\x82", 8), std::string("\0", 1)}),
            "ab・c・");
}

TEST(AnsiDecoder, OutputSplitAtEveryOffsetDecodesAsOneRead) {
  test::ScriptedPlatform os;
  const std::string bytes =
      "IP \x83\x41\x83\x68\x83\x8C\x83\x58\r\n"  // IP アドレス
      "\x82\r\n"                                 // a broken character
      "\x82\xA0\x82\n\x82\x41\x82\x7F\x82\x80z\x82";
  const std::string once = decodeAll(os, {bytes});
  EXPECT_EQ(once.substr(0, 17), "IP アドレス\r\n");
  expectEverySplitDecodesAs(os, bytes, once);
  EXPECT_EQ(std::count(once.begin(), once.end(), '\n'), 3);
}

TEST(AnsiDecoder, InAUtf8CodePageSplitCharactersOfEveryLengthAreJoined) {
  test::ScriptedPlatform os;
  os.utf8Ansi = true;
  const std::string bytes =
      "\xC3\xA9t\xC3\xA9 \xE6\x8E\xA5\xE7\xB6\x9A \xF0\x9F\x98\x80\r\n"  // été 接続 😀
      "\xE6\x8E\r\n"      // a broken character before a line end
      "x\xF0\x9F\x98";     // cut off by the end of the output
  const std::string once = decodeAll(os, {std::string("\0", 1) + bytes});
  EXPECT_EQ(once, "été 接続 😀\r\n\uFFFD\r\nx\uFFFD");
  expectEverySplitDecodesAs(os, bytes, once);
}

}  // namespace
}  // namespace velquin::exec
