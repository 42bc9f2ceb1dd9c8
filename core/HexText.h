#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/WideString.h"

namespace verimo {

// The upper-case hexadecimal digit of the low four bits of `value`.
constexpr char HexDigit(unsigned value) { return "0123456789ABCDEF"[value & 15]; }

// A colour value (red in the low byte, then green, then blue) as six
// upper-case hexadecimal digits in red, green, blue order ("FF8000").
std::string RgbHex(uint32_t color);

// Bytes as a URI component: unreserved ASCII characters (letters, digits,
// "-", ".", "_", "~") and those of `alsoKept` as they are, every other byte
// as "%" and two upper-case hexadecimal digits.
WideString PercentEncode(std::string_view bytes, std::string_view alsoKept = {});

}  // namespace verimo
