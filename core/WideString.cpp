#include "core/WideString.h"

#include <unicode/uchar.h>
#include <unicode/ustring.h>
#include <unicode/utf16.h>
#include <unicode/utf8.h>

#include <iterator>
#include <limits>

#include "core/HexText.h"

namespace verimo {

WideString Utf8ToWide(std::string_view utf8) {
  WideString out;
  out.reserve(utf8.size());
  const auto* bytes = reinterpret_cast<const uint8_t*>(utf8.data());
  int32_t length = static_cast<int32_t>(utf8.size());
  for (int32_t i = 0; i < length;) {
    UChar32 c;
    U8_NEXT_OR_FFFD(bytes, i, length, c);
    if (U_IS_BMP(c)) {
      out.push_back(static_cast<char16_t>(c));
    } else {
      out.push_back(static_cast<char16_t>(U16_LEAD(c)));
      out.push_back(static_cast<char16_t>(U16_TRAIL(c)));
    }
  }
  return out;
}

// Written straight into a buffer sized for the worst case (three bytes a
// unit); ASCII, the bulk of most texts, takes one comparison a unit. A lone
// surrogate becomes U+FFFD.
std::string WideToUtf8(WideStringView wide) {
  const size_t n = wide.size();
  std::string out(3 * n, '\0');
  char* target = out.data();
  for (size_t i = 0; i < n; ++i) {
    char32_t c = wide[i];
    if (c < 0x80) {
      *target++ = static_cast<char>(c);
      continue;
    }
    if (c < 0x800) {
      *target++ = static_cast<char>(0xC0 | (c >> 6));
      *target++ = static_cast<char>(0x80 | (c & 0x3F));
      continue;
    }
    if (c >= 0xD800 && c <= 0xDFFF) {
      if (c <= 0xDBFF && i + 1 < n && wide[i + 1] >= 0xDC00 && wide[i + 1] <= 0xDFFF) {
        c = 0x10000 + ((c - 0xD800) << 10) + (wide[++i] - 0xDC00);
        *target++ = static_cast<char>(0xF0 | (c >> 18));
        *target++ = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        *target++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        *target++ = static_cast<char>(0x80 | (c & 0x3F));
        continue;
      }
      c = 0xFFFD;
    }
    *target++ = static_cast<char>(0xE0 | (c >> 12));
    *target++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    *target++ = static_cast<char>(0x80 | (c & 0x3F));
  }
  out.resize(static_cast<size_t>(target - out.data()));
  // A long text that was mostly ASCII does not keep three times its room.
  if (out.size() > 4096 && out.capacity() > 2 * out.size()) out.shrink_to_fit();
  return out;
}

namespace {

template <typename Convert>
WideString MapCase(WideStringView text, Convert convert) {
  WideString out;
  out.reserve(text.size());
  int32_t length = static_cast<int32_t>(text.size());
  for (int32_t i = 0; i < length;) {
    UChar32 c;
    U16_NEXT(text.data(), i, length, c);
    UChar32 mapped = convert(c);
    if (U_IS_BMP(mapped)) {
      out.push_back(static_cast<char16_t>(mapped));
    } else {
      out.push_back(static_cast<char16_t>(U16_LEAD(mapped)));
      out.push_back(static_cast<char16_t>(U16_TRAIL(mapped)));
    }
  }
  return out;
}

}  // namespace

WideString UpperCase(WideStringView text) {
  return MapCase(text, [](UChar32 c) { return u_toupper(c); });
}

WideString LowerCase(WideStringView text) {
  return MapCase(text, [](UChar32 c) { return u_tolower(c); });
}

int CompareText(WideStringView a, WideStringView b) {
  UErrorCode status = U_ZERO_ERROR;
  int result = u_strCaseCompare(reinterpret_cast<const UChar*>(a.data()),
                                static_cast<int32_t>(a.size()),
                                reinterpret_cast<const UChar*>(b.data()),
                                static_cast<int32_t>(b.size()),
                                U_FOLD_CASE_DEFAULT | U_COMPARE_CODE_POINT_ORDER, &status);
  return U_SUCCESS(status) ? result : a.compare(b);
}

bool SameText(WideStringView a, WideStringView b) { return CompareText(a, b) == 0; }

WideString Trim(WideStringView text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && text[begin] <= u' ') ++begin;
  while (end > begin && text[end - 1] <= u' ') --end;
  return WideString(text.substr(begin, end - begin));
}

void AppendHexText(std::span<const uint8_t> bytes, WideString& out) {
  const size_t start = out.size();
  out.resize(start + 2 * bytes.size());
  char16_t* target = out.data() + start;
  for (const uint8_t byte : bytes) {
    *target++ = static_cast<char16_t>(HexDigit(byte >> 4));
    *target++ = static_cast<char16_t>(HexDigit(byte));
  }
}

WideString IntToWide(long long value) {
  WideString text;
  AppendIntText(value, text);
  return text;
}

void AppendIntText(long long value, WideString& out) {
  // Written backwards, two digits at a time.
  char16_t digits[20];
  char16_t* const end = digits + std::size(digits);
  char16_t* first = end;
  unsigned long long magnitude = value < 0 ? 0ULL - static_cast<unsigned long long>(value)
                                           : static_cast<unsigned long long>(value);
  while (magnitude >= 100) {
    first -= 2;
    PutTwoDigits(first, static_cast<unsigned>(magnitude % 100));
    magnitude /= 100;
  }
  if (magnitude >= 10) {
    first -= 2;
    PutTwoDigits(first, static_cast<unsigned>(magnitude));
  } else {
    *--first = static_cast<char16_t>(u'0' + magnitude);
  }
  if (value < 0) *--first = u'-';
  out.append(first, static_cast<size_t>(end - first));
}

bool TryWideToInt64(WideStringView text, long long& value) {
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) {
    negative = text[i] == u'-';
    ++i;
  }
  if (i == text.size()) return false;
  unsigned long long magnitude = 0;
  const unsigned long long limit =
      negative ? static_cast<unsigned long long>(std::numeric_limits<long long>::max()) + 1
               : static_cast<unsigned long long>(std::numeric_limits<long long>::max());
  for (; i < text.size(); ++i) {
    char16_t c = text[i];
    if (c < u'0' || c > u'9') return false;
    unsigned digit = static_cast<unsigned>(c - u'0');
    if (magnitude > (limit - digit) / 10) return false;
    magnitude = magnitude * 10 + digit;
  }
  value = negative ? static_cast<long long>(0 - magnitude) : static_cast<long long>(magnitude);
  return true;
}

}  // namespace verimo
