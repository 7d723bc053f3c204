#include "form/typed_number.h"

namespace velquin::form {

namespace {

constexpr int64_t kMostWhole = 1'000'000'000'000;

// Full-width digits and point read as their ASCII forms.
std::string halfWidth(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == 0xEF && i + 2 < text.size()) {
      const auto b = static_cast<unsigned char>(text[i + 1]);
      const auto d = static_cast<unsigned char>(text[i + 2]);
      if (b == 0xBC && d >= 0x90 && d <= 0x99) {  // ０ to ９
        out += static_cast<char>('0' + d - 0x90);
        i += 2;
        continue;
      }
      if (b == 0xBC && d == 0x8E) {  // ．
        out += '.';
        i += 2;
        continue;
      }
    }
    out += static_cast<char>(c);
  }
  return out;
}

}  // namespace

std::optional<int64_t> thousandths(const std::string& typed) {
  std::string t = halfWidth(typed);
  const size_t a = t.find_first_not_of(" \t"), b = t.find_last_not_of(" \t");
  if (a == std::string::npos) return std::nullopt;
  t = t.substr(a, b - a + 1);
  int64_t whole = 0, fraction = 0, scale = 1000;
  size_t i = 0;
  for (; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i) {
    whole = whole * 10 + (t[i] - '0');
    if (whole > kMostWhole) return std::nullopt;
  }
  const bool digits = i > 0;
  bool decimals = false;
  if (i < t.size() && t[i] == '.') {
    for (++i; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i) {
      decimals = true;
      if (scale > 1) fraction += (t[i] - '0') * (scale /= 10);
    }
  }
  if (i != t.size() || (!digits && !decimals)) return std::nullopt;
  return whole * 1000 + fraction;
}

}  // namespace velquin::form
