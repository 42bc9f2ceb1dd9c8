#include "core/HexText.h"

namespace verimo {

std::string RgbHex(uint32_t color) {
  std::string hex;
  for (int shift = 0; shift <= 16; shift += 8) {
    hex += HexDigit(color >> (shift + 4));
    hex += HexDigit(color >> shift);
  }
  return hex;
}

WideString PercentEncode(std::string_view bytes, std::string_view alsoKept) {
  WideString out;
  for (const char ch : bytes) {
    const auto byte = static_cast<unsigned char>(ch);
    const bool kept = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') || (byte >= '0' && byte <= '9') ||
                      byte == '-' || byte == '.' || byte == '_' || byte == '~' ||
                      alsoKept.find(ch) != std::string_view::npos;
    if (kept) {
      out += static_cast<char16_t>(byte);
    } else {
      out += u'%';
      out += static_cast<char16_t>(HexDigit(byte >> 4));
      out += static_cast<char16_t>(HexDigit(byte));
    }
  }
  return out;
}

}  // namespace verimo
