#pragma once

#include <cstddef>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "core/WideString.h"

namespace verimo {

// Printable units of the basic plane: from the space up to the first
// surrogate. Most texts are made of them alone, so scans look for the first
// unit outside this range eight units at a time.
inline bool IsPrintableBmpUnit(char16_t unit) { return unit >= 0x20 && unit < 0xD800; }

#ifdef __SSE2__
// All ones in each 16-bit lane whose unit is printable (see above).
inline __m128i PrintableBmpLanes(__m128i units) {
  // (unit - 0x20) below 0xD7E0 as unsigned 16-bit numbers.
  const __m128i space = _mm_set1_epi16(0x20);
  const __m128i sign = _mm_set1_epi16(static_cast<short>(0x8000));
  const __m128i limit = _mm_set1_epi16(static_cast<short>((0xD800 - 0x20) ^ 0x8000));
  return _mm_cmplt_epi16(_mm_xor_si128(_mm_sub_epi16(units, space), sign), limit);
}
#endif

// The first unit at or after `from` that is not printable, else the size.
inline size_t SkipPrintableBmpUnits(WideStringView text, size_t from) {
  size_t at = from;
#ifdef __SSE2__
  for (; at + 8 <= text.size(); at += 8) {
    const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + at));
    if (_mm_movemask_epi8(PrintableBmpLanes(units)) != 0xFFFF) break;
  }
#endif
  while (at < text.size() && IsPrintableBmpUnit(text[at])) ++at;
  return at;
}

}  // namespace verimo
