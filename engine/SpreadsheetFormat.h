#pragma once

#include <optional>

#include "core/WideString.h"

namespace verimo {

class TTesselFormats;
struct TTesselColumn;

// What a pattern's separators and named parts stand for when it becomes a
// number-format code.
struct TSpreadsheetPatternContext {
  char16_t DateSeparator = u'/';
  char16_t TimeSeparator = u':';
  WideString ShortDateFormat = u"m/d/yyyy";
  WideString LongDateFormat = u"dddd, mmmm d, yyyy";
  WideString ShortTimeFormat = u"h:nn";
  WideString LongTimeFormat = u"h:nn:ss";
  // The context of the process-wide format settings.
  static TSpreadsheetPatternContext FromGlobalSettings(char16_t dateSeparator, char16_t timeSeparator);
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
WideString ExcelNumberFormat(WideStringView pattern, const TSpreadsheetPatternContext& context);

// The code that shows a truth value as one of two texts: the true text for
// any value but zero (three sections: positive, negative, zero).
WideString ExcelBooleanFormat(WideStringView trueText, WideStringView falseText);

// The code the cells of a typed column show their values with, so that a
// cell shows the column's text of the value it holds: the Boolean texts
// for Booleans; for numbers the column's pattern ("General" for none, as
// then the general notation is written, and for BCD fields, whose values
// are written that way); for dates and times the column's
// pattern (the default date-time text for none). With KeepOriginalFormat
// the values' own texts: "General", the short date, the long time or the
// default date-time text. Empty for text columns.
WideString ColumnNumberFormat(const TTesselColumn& column, const TTesselFormats& formats,
                              const TSpreadsheetPatternContext& context);

// The serial number of the 1900 date system a spreadsheet holds a
// date-time value (days since 30 December 1899) as: serial 60 is the
// 29 February 1900 that never was, so days before it are one less. None
// for a value before 1 January 1900 or after the last moment of
// 31 December 9999, which a spreadsheet cannot show as a date.
std::optional<double> ExcelDateSerial(double dateTime);

}  // namespace verimo
