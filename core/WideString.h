#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>

namespace verimo {

// Every text of the system is UTF-16 in memory, so lengths, padding and
// escaping count UTF-16 code units.
using WideString = std::u16string;
using WideStringView = std::u16string_view;

// UTF-8 <-> UTF-16. Invalid sequences become U+FFFD.
WideString Utf8ToWide(std::string_view utf8);
std::string WideToUtf8(WideStringView wide);

// Locale-independent case handling (Unicode simple case mapping).
WideString UpperCase(WideStringView text);
WideString LowerCase(WideStringView text);
// Case-insensitive comparison by Unicode case folding: <0, 0, >0.
int CompareText(WideStringView a, WideStringView b);
bool SameText(WideStringView a, WideStringView b);

// Removes leading and trailing characters up to and including space
// (control characters too), as the classic Trim does.
WideString Trim(WideStringView text);

// Decimal text of an integer, and the integer of a plain decimal text
// ("-12", "+7"; no separators). Returns false when the text is not one.
WideString IntToWide(long long value);
// IntToWide appended to `out`.
void AppendIntText(long long value, WideString& out);
bool TryWideToInt64(WideStringView text, long long& value);

// Bytes as hexadecimal text, two upper-case digits a byte ("0AFF"),
// appended to `out`: how binary values are written into text.
void AppendHexText(std::span<const uint8_t> bytes, WideString& out);

namespace wide_detail {
inline constexpr auto kDigitPairs = [] {
  std::array<char16_t, 200> pairs{};
  for (int i = 0; i < 100; ++i) {
    pairs[static_cast<size_t>(2 * i)] = static_cast<char16_t>(u'0' + i / 10);
    pairs[static_cast<size_t>(2 * i + 1)] = static_cast<char16_t>(u'0' + i % 10);
  }
  return pairs;
}();
}  // namespace wide_detail

// The two digits of 0 to 99 at `target`; returns the position after them.
inline char16_t* PutTwoDigits(char16_t* target, unsigned value) {
  target[0] = wide_detail::kDigitPairs[2 * value];
  target[1] = wide_detail::kDigitPairs[2 * value + 1];
  return target + 2;
}

// Exact equality, unit for unit, compared as bytes: for texts compared once
// per value, where the standard comparison's loop shows.
inline bool SameUnits(WideStringView a, WideStringView b) {
  return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(char16_t)) == 0);
}

}  // namespace verimo
