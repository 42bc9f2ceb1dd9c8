#pragma once

#include "engine/TesselTypes.h"
#include "core/StringList.h"
#include "core/WideString.h"

namespace verimo {

class TTesselHTML;
class TTesselIniFile;

// The "HTML" section of a settings file: page, table and paging options.
// Loading keeps the current value of every missing key.
void SaveHTMLSection(TTesselIniFile& file, const TTesselHTML& html);
void LoadHTMLSection(const TTesselIniFile& file, TTesselHTML& html);

namespace html {

// The colour text of settings files: the colour's name ("clRed") where it
// has one, else "$" and eight hexadecimal digits.
WideString ColorToText(TColor color);
// The inverse; also takes decimal numbers. False for any other text.
bool TextToColor(WideStringView text, TColor& color);

// A list of lines as one settings value ("|" between lines) and back.
WideString JoinLines(const TStringList& lines);
TStringList SplitLines(WideStringView text);

}  // namespace html

}  // namespace verimo
