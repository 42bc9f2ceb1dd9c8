#pragma once

#include "core/WideString.h"

namespace verimo {

// What a pattern's separators and named parts stand for when it becomes a
// number-format code.
struct TxlsPatternContext {
  char16_t DateSeparator = u'/';
  char16_t TimeSeparator = u':';
  WideString ShortDateFormat = u"m/d/yyyy";
  WideString LongDateFormat = u"dddd, mmmm d, yyyy";
  WideString ShortTimeFormat = u"h:nn";
  WideString LongTimeFormat = u"h:nn:ss";
  // The context of the process-wide format settings.
  static TxlsPatternContext FromGlobalSettings(char16_t dateSeparator, char16_t timeSeparator);
};

// Whether a value pattern formats numbers (it has digit placeholders 0 or #
// outside quotes) rather than dates and times.
bool IsNumberPattern(WideStringView pattern);

// The number-format code a spreadsheet shows the pattern's meaning with.
// Number patterns keep their placeholders, sections and exponents, literal
// text is quoted. Date-time patterns: d…dddd, m…mmmm, yy, yyyy, h, hh, s, ss
// stay; n/nn become m/mm (minutes), z/zzz become 0/000 after a decimal
// point, am/pm, a/p and ampm become AM/PM or A/P; c, t, tt, ddddd and
// dddddd are expanded from the context; "/" and ":" become the separators;
// everything else is literal text.
WideString ExcelNumberFormat(WideStringView pattern, const TxlsPatternContext& context);

}  // namespace verimo
