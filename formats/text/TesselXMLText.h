#pragma once

#include <string>
#include <vector>

#include "engine/TesselTypes.h"
#include "core/Variant.h"
#include "core/WideString.h"

namespace verimo::xml {

// Character data for element content and double-quoted attribute values,
// line breaks and tabs as character references.
WideString EscapeText(WideStringView text);

// The attribute names of the data-packet layout, one per column name: the
// characters "-", ".", digits, ASCII letters and "_" are kept, runs of other
// characters become one "_" between, before or after kept characters other
// than "_" and vanish elsewhere; a name that does not start with a letter or
// "_" gets a "_" in front; a name left with nothing becomes "FIELD_<n>";
// changed names that meet another column's name take a number, and no two
// final names are equal.
std::vector<WideString> DatapacketNames(const std::vector<WideString>& names);

// An XML name for an element of the Access-style layout or the schema:
// every character a name cannot hold becomes "_" (":" included), a name
// that does not start with a letter or "_" gets a "_" in front, and an
// empty one becomes "_".
WideString ElementName(WideStringView name);
// ElementName of each, then numbered ("Name1", "Name2", ...) where a name
// equals an earlier one or one of `reserved`.
std::vector<WideString> UniqueElementNames(const std::vector<WideString>& names,
                                           const std::vector<WideString>& reserved = {});

// The XML Schema lexical form of a typed column's raw value: integers as
// plain digits, floats and currency in plain notation with "." (the
// shortest text that reads back as the same number), dates and times as
// yyyy-mm-ddThh:nn:ss (with .zzz when there are milliseconds), Booleans as
// true / false. False for string-like columns and for values that have no
// such form (then the formatted text is written).
bool LexicalValue(const Variant& value, TTesselColType type, WideString& text);

// Whether values of this column type are written in their lexical form when
// the schema is written (every type but strings and unknown ones).
bool IsTypedColumn(TTesselColType type);

// The name of an output encoding for the XML declaration ("UTF-8",
// "UTF-16", "UTF-32", "windows-1254", "IBM857", "x-mac-turkish", ...).
WideString EncodingName(TTesselOutputEncoding encoding);
// Whether an encoding name given by the user names this output encoding
// (case-insensitive; a few common aliases count).
bool NamesEncoding(WideStringView name, TTesselOutputEncoding encoding);
// The Unicode output encoding an encoding name asks for: UTF-16 for
// "UTF-16", UTF-32 for "UTF-32", UTF-8 for everything else.
TTesselOutputEncoding OutputEncodingForName(WideStringView name);


}  // namespace verimo::xml
