#pragma once

#include <cstdint>
#include <vector>

#include "core/WideString.h"
#include "formats/package/OfficeTypes.h"

namespace verimo {

class TTesselIniFile;

enum TXlsxBorderStyle : uint8_t {
  xbsThin, xbsDashed, xbsDashDot, xbsDashDotDot, xbsDotted, xbsHair, xbsDouble, xbsThick,
  xbsMedium, xbsMediumDashed, xbsMediumDashDot, xbsSlantDashDot, xbsMediumDashDotDot
};

// The border style's name in the styles part.
const char16_t* XlsxBorderStyleName(TXlsxBorderStyle style);

struct TXlsxBorder {
  TXlsxBorderStyle Style = xbsThin;
  TColor Color = clBlack;
  friend bool operator==(const TXlsxBorder&, const TXlsxBorder&) = default;
};

struct TXlsxCellStyle {
  TPackageFont Font;
  TColor BackgroundColor = clWhite;
  bool UseBackground = false;
  TMSCellAlignment Alignment = caLeft;
  TMSCellVerticalAligment VerticalAligment = cvaBottom;
  bool WrapText = false;
  bool UseBorder = false;
  TXlsxBorder Border;
  friend bool operator==(const TXlsxCellStyle&, const TXlsxCellStyle&) = default;
};

struct TXlsxStripStyle {
  TXlsxCellStyle Options;
  friend bool operator==(const TXlsxStripStyle&, const TXlsxStripStyle&) = default;
};
using TXlsxStripStyleList = std::vector<TXlsxStripStyle>;

struct TTesselXlsxOptions {
  TXlsxCellStyle HeaderStyle;
  TXlsxCellStyle CaptionRowStyle;
  TXlsxCellStyle DataStyle;
  TXlsxCellStyle FooterStyle;
  TMSStripStyleType StripStyleType = ssNone;
  TXlsxStripStyleList StripStylesList;

  // The number of strip styles in use: 0 without strips.
  int StripCount() const {
    return StripStyleType == ssNone ? 0 : static_cast<int>(StripStylesList.size());
  }
  // The four base styles in style order (header, caption row, data, footer).
  const TXlsxCellStyle& BaseStyle(int index) const;
  TXlsxCellStyle& BaseStyle(int index);
  friend bool operator==(const TTesselXlsxOptions&, const TTesselXlsxOptions&) = default;
};

// The settings sections: "XLSX" (sheet name, strip type), one
// "XLSX_OPTIONS_" + caption per base style and one "XLSX_STRIP_STYLE_" + n
// per strip style. Reading keeps `sheetName` for a missing or empty key.
void SaveXlsxSettings(TTesselIniFile& file, const TTesselXlsxOptions& options, WideStringView sheetName);
void LoadXlsxSettings(const TTesselIniFile& file, TTesselXlsxOptions& options, WideString& sheetName);

}  // namespace verimo
