#pragma once

#include <string>

#include "core/Variant.h"

namespace verimo {

// Appends a numeric value as the lexical form spreadsheet parts hold
// numbers in ("." as the decimal point, no grouping): an integer as it is,
// a currency value as its exact decimal (at most four decimals, trailing
// zeros dropped), a double as the shortest text that reads back as the
// same double. False, and nothing appended, for any other value and for a
// double that is not finite.
bool AppendSheetNumber(std::string& out, const Variant& value);
// A double as the shortest text that reads back as the same double.
void AppendShortestDouble(std::string& out, double value);

}  // namespace verimo
