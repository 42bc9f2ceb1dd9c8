#include "platform/locale/IcuPatterns.h"

#include <algorithm>

namespace verimo {
namespace {

bool IsPatternLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }

WideString Repeat(char16_t c, size_t count) { return WideString(count, c); }

// The classic text of one ICU field, or empty for fields it cannot show.
WideString ConvertField(char16_t letter, size_t run, bool fullYears) {
  switch (letter) {
    case u'y':
    case u'Y':
    case u'u':
    case u'U':
    case u'r':
      return run == 2 && !fullYears ? u"yy" : u"yyyy";
    case u'M':
    case u'L':
      return Repeat(u'm', std::min<size_t>(run, 4));
    case u'd':
      return Repeat(u'd', std::min<size_t>(run, 2));
    case u'E':
      return run >= 4 ? u"dddd" : u"ddd";
    case u'c':
    case u'e':
      if (run >= 4) return u"dddd";
      if (run == 3) return u"ddd";
      return {};
    case u'h':
    case u'H':
    case u'k':
    case u'K':
      return Repeat(u'h', std::min<size_t>(run, 2));
    case u'm':
      return Repeat(u'n', std::min<size_t>(run, 2));
    case u's':
      return Repeat(u's', std::min<size_t>(run, 2));
    case u'S':
      return u"zzz";
    case u'a':
    case u'b':
    case u'B':
      return u"AMPM";
    default:
      return {};  // era, zone, week, quarter, day of year, ...
  }
}

bool IsSeparatorOnly(char16_t c) { return c == u' ' || c == u',' || c == u'\u00A0' || c == u'\u202F'; }

// Removes blanks and commas left dangling by dropped fields.
WideString TidySeparators(WideString text) {
  size_t start = 0;
  while (start < text.size() && IsSeparatorOnly(text[start])) ++start;
  size_t end = text.size();
  while (end > start && IsSeparatorOnly(text[end - 1])) --end;
  return text.substr(start, end - start);
}

}  // namespace

WideString ConvertIcuDateTimePattern(WideStringView icu, bool fullYears) {
  WideString out;
  size_t pos = 0;
  bool dropped = false;
  while (pos < icu.size()) {
    char16_t c = icu[pos];
    if (c == u'\'') {
      if (pos + 1 < icu.size() && icu[pos + 1] == u'\'') {
        out += u"\"'\"";
        pos += 2;
        continue;
      }
      // Quoted literal; '' inside stands for one quote.
      WideString literal;
      ++pos;
      while (pos < icu.size()) {
        if (icu[pos] == u'\'') {
          if (pos + 1 < icu.size() && icu[pos + 1] == u'\'') {
            literal += u'\'';
            pos += 2;
            continue;
          }
          ++pos;
          break;
        }
        literal += icu[pos++];
      }
      if (!literal.empty()) out += u'"' + literal + u'"';
      continue;
    }
    if (IsPatternLetter(c)) {
      size_t run = 1;
      while (pos + run < icu.size() && icu[pos + run] == c) ++run;
      WideString field = ConvertField(c, run, fullYears);
      if (field.empty()) {
        // Drop the blanks that only led up to the dropped field.
        while (!out.empty() && IsSeparatorOnly(out.back())) out.pop_back();
        dropped = true;
      } else {
        out += field;
        dropped = false;
      }
      pos += run;
      continue;
    }
    if (c == u'"') {
      out += u"'\"'";
    } else if (!(dropped && IsSeparatorOnly(c))) {
      out += c == u'\u00A0' || c == u'\u202F' ? u' ' : c;
      dropped = false;
    }
    ++pos;
  }
  return TidySeparators(out);
}

char16_t FirstSeparatorOf(WideStringView icu, char16_t fallback) {
  bool quoted = false;
  for (char16_t c : icu) {
    if (c == u'\'') {
      quoted = !quoted;
      continue;
    }
    if (quoted || IsPatternLetter(c) || c == u' ' || c == u'\u00A0' || c == u'\u202F') continue;
    return c;
  }
  return fallback;
}

}  // namespace verimo
