#pragma once
// A number as the user types it into a field: digits with a decimal point,
// full-width digits and point too (as a Japanese input method types them),
// blanks around it allowed.

#include <cstdint>
#include <optional>
#include <string>

namespace velquin::form {

// The number in thousandths ("1" 1000, "0.5" 500, "１．２５" 1250, ".5"
// 500, "5." 5000); digits past the third decimal are dropped. Nothing for
// anything else, or for more than a trillion.
std::optional<int64_t> thousandths(const std::string& typed);

}  // namespace velquin::form
