#pragma once

#include <string>

#include "core/Variant.h"
#include "engine/TesselTypes.h"

namespace verimo {

// Appends the typed-value attributes of a spreadsheet cell, each followed
// by a space: office:value-type and the raw value in its ODF lexical form
// (office:value="1234.5", office:date-value="2024-03-12T10:30:00",
// office:time-value="PT10H30M00S", office:boolean-value="true"), so that
// readers compute with numbers, dates and truth values. A value that does
// not fit the column's type (or a text, a non-finite number, a date outside
// the years 1 to 9999) gives office:value-type="string".
void AppendODSValueAttributes(std::string& out, TTesselColType type, const Variant& value);

}  // namespace verimo
