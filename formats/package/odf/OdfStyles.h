#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/WideString.h"
#include "formats/package/OfficeTypes.h"

namespace verimo {

class TTesselIniFile;

// Style classes shared by the OpenDocument spreadsheet and text exporters.

enum TODFTextAlignment : uint8_t { taODFLeft, taODFRight, taODFCenter, taODFJustify };
enum TODFTextVerticalAligment : uint8_t { taODFTop, taODFMiddle, taODFBottom };
enum TODFBorderStyle : uint8_t { bsODFNone, bsODFSolid };
using TODFStripStyleType = TTesselStripType;

struct TODFBorder {
  TODFBorderStyle BorderStyle = bsODFNone;
  int BorderWidth = 1;
  TColor BorderColor = clBlack;
  friend bool operator==(const TODFBorder&, const TODFBorder&) = default;
};

struct TODSParagraphStyle {
  TPackageFont Font{u"Arial", 10};
  TColor BackgroundColor = clWhite;
  bool AllowBackground = true;
  TODFTextAlignment Alignment = taODFLeft;
  friend bool operator==(const TODSParagraphStyle&, const TODSParagraphStyle&) = default;
};

struct TODTParagraphStyle : TODSParagraphStyle {
  TColor HighlightColor = clWhite;
  bool AllowHighlight = false;
  friend bool operator==(const TODTParagraphStyle&, const TODTParagraphStyle&) = default;
};

struct TODSCellParagraphStyle : TODSParagraphStyle {
  TODFTextVerticalAligment VerticalAligment = taODFBottom;
  TODFBorder Border;
  friend bool operator==(const TODSCellParagraphStyle&, const TODSCellParagraphStyle&) = default;
};

struct TODSStripCellParagraphStyle : TODSCellParagraphStyle {
  bool UseDataStyleBorder = true;
  friend bool operator==(const TODSStripCellParagraphStyle&, const TODSStripCellParagraphStyle&) = default;
};

struct TODTCellParagraphStyle : TODTParagraphStyle {
  TODFTextVerticalAligment VerticalAligment = taODFBottom;
  friend bool operator==(const TODTCellParagraphStyle&, const TODTCellParagraphStyle&) = default;
};

using TODSStylesList = std::vector<TODSStripCellParagraphStyle>;
using TODTStylesList = std::vector<TODTCellParagraphStyle>;

// "#" and the colour as RRGGBB.
WideString ODFColor(TColor color);
// The width × 0.0352 cut to five characters, then "cm" ("0cm" for 0).
WideString ODFBorderWidth(int width);
// "<width> solid <colour>" for a solid border, else "none".
WideString ODFBorderText(const TODFBorder& border);
// "start", "end", "center" or "justify".
const char16_t* ODFTextAlign(TODFTextAlignment alignment);
// "top", "middle" or "bottom".
const char16_t* ODFVerticalAlign(TODFTextVerticalAligment alignment);

// The number of strip styles in use: none when the strip type is none or
// the list is empty.
inline int ODFStripCount(TODFStripStyleType type, size_t listSize) {
  return type == ssNone ? 0 : static_cast<int>(listSize);
}
// The strip (from 1) of position `position` (from 1) among `count` strips.
inline int ODFStripNumber(int position, int count) {
  const int k = position % count;
  return k == 0 ? count : k;
}

// A style's settings section: "FontName", "FontSize", "FontColor",
// "FontBold", "FontItalic", "FontStrikeOut", "FontUnderline",
// "AllowBackground", "BackgroundColor", "HorAlignment", and the keys of
// the descendants' own properties. Loading takes the defaults of the
// style's class for missing keys.
void SaveODFStyle(TTesselIniFile& file, WideStringView section, const TODSParagraphStyle& style);
void LoadODFStyle(const TTesselIniFile& file, WideStringView section, TODSParagraphStyle& style);
void SaveODFStyle(TTesselIniFile& file, WideStringView section, const TODSCellParagraphStyle& style);
void LoadODFStyle(const TTesselIniFile& file, WideStringView section, TODSCellParagraphStyle& style);
void SaveODFStyle(TTesselIniFile& file, WideStringView section, const TODSStripCellParagraphStyle& style);
void LoadODFStyle(const TTesselIniFile& file, WideStringView section, TODSStripCellParagraphStyle& style);
void SaveODFStyle(TTesselIniFile& file, WideStringView section, const TODTParagraphStyle& style);
void LoadODFStyle(const TTesselIniFile& file, WideStringView section, TODTParagraphStyle& style);
void SaveODFStyle(TTesselIniFile& file, WideStringView section, const TODTCellParagraphStyle& style);
void LoadODFStyle(const TTesselIniFile& file, WideStringView section, TODTCellParagraphStyle& style);
// The border keys "BorderStyle", "BorderWidth", "BorderColor".
void SaveODFBorder(TTesselIniFile& file, WideStringView section, const TODFBorder& border);
void LoadODFBorder(const TTesselIniFile& file, WideStringView section, TODFBorder& border);

// Appends the style:text-properties element of `font` (name, size, colour
// and the font's styles).
void AppendODFTextProperties(std::string& out, const TPackageFont& font);
// Appends one style:font-face per font name not in `declared` yet, and
// adds it there.
void AppendODFFontFace(std::string& out, const WideString& fontName, std::vector<WideString>& declared);

}  // namespace verimo
