#pragma once

#include <cstdint>
#include <string>

#include "core/HexText.h"
#include "core/WideString.h"
#include "engine/TesselTypes.h"

namespace verimo {

class TTesselIniFile;

// Types shared by the Office Open XML packages (workbook and document).

enum TMSCellAlignment : uint8_t { caLeft, caRight, caCenter, caJustify };
enum TMSCellVerticalAligment : uint8_t { cvaTop, cvaMiddle, cvaBottom };
using TMSStripStyleType = TTesselStripType;
enum TMSHighlightColor : uint8_t {
  hcNone, hcYellow, hcGreen, hcCyan, hcMagenta, hcBlue, hcRed, hcDarkBlue,
  hcDarkCyan, hcDarkGreen, hcDarkMagenta, hcDarkRed, hcDarkYellow, hcDarkGray, hcLightGray, hcBlack
};

// A cell font: name, size in points, colour and styles.
struct TPackageFont {
  WideString Name = u"Calibri";
  int Size = 11;
  TColor Color = clBlack;
  bool Bold = false;
  bool Italic = false;
  bool Underline = false;
  bool StrikeOut = false;
  // Character-set number (1: the default).
  int Charset = 1;
  friend bool operator==(const TPackageFont&, const TPackageFont&) = default;
};

// RgbHex of a colour as wide text.
WideString ColorToHexWide(TColor color);

// The style entries of the option pages, in style order; their captions
// name the settings sections of the styles.
inline constexpr const char16_t* kPackageStyleCaptions[] = {u"ÜSTBİLGİ", u"BAŞLIKLAR", u"VERİ", u"SAYFA SONU"};

// Erases every section whose name starts with `prefix` (any case), so that
// a shorter list of styles leaves no stale sections.
void EraseSectionsStartingWith(TTesselIniFile& file, WideStringView prefix);

// The four base styles of a package's options by index: the header, the
// caption row, the data and the footer (any other index).
template <typename Style, typename Options>
Style& BaseStyleOf(Options& options, int index) {
  switch (index) {
    case 0: return options.HeaderStyle;
    case 1: return options.CaptionRowStyle;
    case 2: return options.DataStyle;
    default: return options.FooterStyle;
  }
}

}  // namespace verimo
