#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/WideString.h"

namespace verimo {

// The element a data style is written as, after the cells it serves.
enum TODSDataStyleKind : uint8_t { dskNumber, dskCurrency, dskDate, dskTime, dskBoolean };

// Appends the data style `name` that shows values as the number-format
// code `code` does (a code of the spreadsheet formats' translation:
// placeholders 0 # . , E+ E-, the date and time codes d m y h s AM/PM A/P
// and .0 after seconds, quoted or backslash-escaped literal text, up to
// three sections for positive, negative and zero values), or "General",
// which becomes a number style with as many digits as a value needs.
//
// A number code becomes a number:number-style (number:currency-style for
// dskCurrency) with its literal text, its number (integer digits,
// grouping, decimals) or scientific number; a date or time code a
// number:date-style (number:time-style for dskTime when it has no date
// part). A code of several sections becomes one style per section: the
// first ones named `name` + "P0", "P1", the last one `name`, which maps
// values >= 0 to P0 (two sections) or values > 0 to P0 and < 0 to P1
// (three sections). dskBoolean writes number:boolean-style elements, so
// that a truth value shows the texts of the code's sections.
void AppendODSDataStyle(std::string& out, std::string_view name, TODSDataStyleKind kind, WideStringView code);

}  // namespace verimo
