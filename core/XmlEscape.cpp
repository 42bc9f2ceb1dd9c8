#include "core/XmlEscape.h"

#include <algorithm>

#include <cstring>
#include <string_view>

#include "core/UnitScan.h"

namespace verimo {

namespace {

// ASCII characters written as they are: everything from the space up but
// the four of markup.
bool IsPlainAscii(char16_t ch) {
  return ch >= 0x40 || (ch >= 0x20 && ch != u'&' && ch != u'<' && ch != u'>' && ch != u'"');
}

// What an ASCII character that is not plain becomes (empty: dropped).
std::string_view AsciiReplacement(char16_t ch, TXmlBreaks breaks) {
  const bool references = breaks == TXmlBreaks::References;
  switch (ch) {
    case u'&': return "&amp;";
    case u'<': return "&lt;";
    case u'>': return "&gt;";
    case u'"': return "&quot;";
    case u'\r': return "&#13;";
    case u'\n': return references ? "&#10;" : "\n";
    case u'\t': return references ? "&#9;" : "\t";
    default: return {};  // the other C0 controls
  }
}

#ifdef __SSE2__
// Eight plain ASCII units (see IsPlainAscii) written as their eight bytes;
// false, with nothing meaningful written, when any of them is not one.
inline bool StorePlainAscii8(const char16_t* units, char* target) {
  const __m128i text = _mm_loadu_si128(reinterpret_cast<const __m128i*>(units));
  // Outside the space to DEL: (unit - 0x20) at 0x60 or above, unsigned.
  const __m128i sign = _mm_set1_epi16(static_cast<short>(0x8000));
  const __m128i outside = _mm_cmpgt_epi16(_mm_xor_si128(_mm_sub_epi16(text, _mm_set1_epi16(0x20)), sign),
                                          _mm_set1_epi16(static_cast<short>(0x5F ^ 0x8000)));
  const __m128i markup = _mm_or_si128(
      _mm_or_si128(_mm_cmpeq_epi16(text, _mm_set1_epi16(u'&')), _mm_cmpeq_epi16(text, _mm_set1_epi16(u'<'))),
      _mm_or_si128(_mm_cmpeq_epi16(text, _mm_set1_epi16(u'>')), _mm_cmpeq_epi16(text, _mm_set1_epi16(u'"'))));
  if (_mm_movemask_epi8(_mm_or_si128(outside, markup)) != 0) return false;
  _mm_storel_epi64(reinterpret_cast<__m128i*>(target), _mm_packus_epi16(text, text));
  return true;
}
#endif

bool IsLead(char16_t ch) { return ch >= 0xD800 && ch <= 0xDBFF; }
bool IsTrail(char16_t ch) { return ch >= 0xDC00 && ch <= 0xDFFF; }
bool IsNonCharacter(char16_t ch) { return ch == 0xFFFE || ch == 0xFFFF; }

}  // namespace

// Units written as they are: plain ASCII, and every other unit that is no
// surrogate and no non-character.
bool IsPlainUnit(char16_t ch) {
  return ch < 0x80 ? IsPlainAscii(ch) : !(ch >= 0xD800 && ch <= 0xDFFF) && !IsNonCharacter(ch);
}

// The end of the run of plain units from `from`: eight at a time while
// all are from the space up to the surrogates and none is one of markup.
size_t PlainRunEnd(WideStringView text, size_t from) {
  size_t at = from;
#ifdef __SSE2__
  for (; at + 8 <= text.size(); at += 8) {
    const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + at));
    const __m128i inRange = PrintableBmpLanes(units);
    const __m128i markup = _mm_or_si128(
        _mm_or_si128(_mm_cmpeq_epi16(units, _mm_set1_epi16(u'&')), _mm_cmpeq_epi16(units, _mm_set1_epi16(u'<'))),
        _mm_or_si128(_mm_cmpeq_epi16(units, _mm_set1_epi16(u'>')), _mm_cmpeq_epi16(units, _mm_set1_epi16(u'"'))));
    if (_mm_movemask_epi8(_mm_andnot_si128(markup, inRange)) != 0xFFFF) break;
  }
#endif
  while (at < text.size() && IsPlainUnit(text[at])) ++at;
  return at;
}

// Runs of plain units are appended whole.
void AppendXmlEscaped(WideStringView text, TXmlBreaks breaks, WideString& out) {
  const size_t n = text.size();
  size_t i = 0;
  while (i < n) {
    const size_t run = PlainRunEnd(text, i);
    out.append(text.data() + i, run - i);
    i = run;
    if (i == n) break;
    const char16_t ch = text[i];
    if (ch < 0x80) {
      const std::string_view replacement = AsciiReplacement(ch, breaks);
      out.append(replacement.begin(), replacement.end());
    } else if (IsLead(ch) && i + 1 < n && IsTrail(text[i + 1])) {
      out += ch;
      out += text[++i];
    }
    // Lone surrogates and non-characters are dropped.
    ++i;
  }
}

// No capacity check per character: the room is there beforehand (six
// bytes a unit, eight more for the stores of eight bytes).
char* WriteXmlEscaped(WideStringView text, TXmlBreaks breaks, char* p) {
  const size_t n = text.size();
  for (size_t i = 0; i < n; ++i) {
#ifdef __SSE2__
    // Plain ASCII, the most of most texts, eight units at a time.
    while (i + 8 <= n && StorePlainAscii8(text.data() + i, p)) {
      p += 8;
      i += 8;
    }
    if (i == n) break;
#endif
    const char16_t ch = text[i];
    if (ch < 0x80) {
      if (IsPlainAscii(ch)) {
        *p++ = static_cast<char>(ch);
      } else {
        const std::string_view replacement = AsciiReplacement(ch, breaks);
        p = std::copy(replacement.begin(), replacement.end(), p);
      }
      continue;
    }
    if (ch < 0x800) {
      *p++ = static_cast<char>(0xC0 | (ch >> 6));
      *p++ = static_cast<char>(0x80 | (ch & 0x3F));
      continue;
    }
    if (IsLead(ch)) {
      if (i + 1 < n && IsTrail(text[i + 1])) {
        const char32_t code = 0x10000 + ((static_cast<char32_t>(ch) - 0xD800) << 10) + (text[i + 1] - 0xDC00);
        *p++ = static_cast<char>(0xF0 | (code >> 18));
        *p++ = static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        *p++ = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        *p++ = static_cast<char>(0x80 | (code & 0x3F));
        ++i;
      }
      continue;
    }
    if (IsTrail(ch) || IsNonCharacter(ch)) continue;
    *p++ = static_cast<char>(0xE0 | (ch >> 12));
    *p++ = static_cast<char>(0x80 | ((ch >> 6) & 0x3F));
    *p++ = static_cast<char>(0x80 | (ch & 0x3F));
  }
  return p;
}

// In chunks, so that a long text does not make `out` grow by six times its
// length at once.
void AppendXmlEscaped(WideStringView text, TXmlBreaks breaks, std::string& out) {
  constexpr size_t kChunk = 4096;
  const size_t n = text.size();
  for (size_t i = 0; i < n;) {
    // A chunk does not end between the halves of a surrogate pair.
    size_t chunkEnd = std::min(n, i + kChunk);
    while (chunkEnd < n && IsLead(text[chunkEnd - 1])) ++chunkEnd;
    const size_t start = out.size();
    out.resize(start + XmlEscapedBound(chunkEnd - i));
    char* end = WriteXmlEscaped(text.substr(i, chunkEnd - i), breaks, out.data() + start);
    out.resize(static_cast<size_t>(end - out.data()));
    i = chunkEnd;
  }
}

}  // namespace verimo
