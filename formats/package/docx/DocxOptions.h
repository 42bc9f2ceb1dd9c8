#pragma once

#include <cstdint>
#include <vector>

#include "engine/TesselTypes.h"
#include "formats/package/OfficeTypes.h"

namespace verimo {

class TTesselIniFile;

enum TDocxBorderStyle : uint8_t {
  dbsSingle, dbsThick, dbsDouble, dbsHairline, dbsDot, dbsDashLargeGap, dbsDotDash, dbsDotDotDash, dbsTriple,
  dbsThinThickSmallGap, dbsThickThinSmallGap, dbsThinThickThinSmallGap, dbsThinThickMediumGap,
  dbsThickThinMediumGap, dbsThinThickThinMediumGap, dbsThinThickLargeGap, dbsThickThinLargeGap,
  dbsThinThickThinLargeGap, dbsWave, dbsDoubleWave, dbsDashSmallGap, dbsDashDotStroker, dbsEmboss3D, dbsEngrave3D
};

// The names in the document part.
const char16_t* DocxBorderStyleName(TDocxBorderStyle style);
// "yellow" … "black"; null for hcNone.
const char16_t* DocxHighlightName(TMSHighlightColor color);

struct TDocxBorder {
  TDocxBorderStyle Style = dbsSingle;
  TColor Color = clBlack;
  friend bool operator==(const TDocxBorder&, const TDocxBorder&) = default;
};

struct TDocxCellStyle {
  TPackageFont Font;
  bool UseBackground = false;
  TColor BackgroundColor = clWhite;
  bool UseHighlight = false;
  TMSHighlightColor HighlightColor = hcNone;
  TMSCellAlignment Alignment = caLeft;
  friend bool operator==(const TDocxCellStyle&, const TDocxCellStyle&) = default;
};

struct TDocxStripStyle {
  TDocxCellStyle Options;
  friend bool operator==(const TDocxStripStyle&, const TDocxStripStyle&) = default;
};
using TDocxStripStyleList = std::vector<TDocxStripStyle>;

struct TTesselDocxOptions {
  TDocxCellStyle HeaderStyle;
  TDocxCellStyle CaptionRowStyle;
  TDocxCellStyle DataStyle;
  TDocxCellStyle FooterStyle;
  TMSStripStyleType StripStyleType = ssNone;
  TDocxStripStyleList StripStylesList;
  bool UseBorder = false;
  TDocxBorder Border;
  TTesselPageOrientation PageOrientation = poPortrait;
  // A portrait page turns landscape for a table too wide for it; an
  // orientation the user chose stays (then this is off).
  bool AutoOrientation = true;

  int StripCount() const {
    return StripStyleType == ssNone ? 0 : static_cast<int>(StripStylesList.size());
  }
  // The four base styles in style order (header, caption row, data, footer).
  const TDocxCellStyle& BaseStyle(int index) const;
  TDocxCellStyle& BaseStyle(int index);
  friend bool operator==(const TTesselDocxOptions&, const TTesselDocxOptions&) = default;
};

// The settings sections: "DOCX" (strip type, border, page orientation), one "DOCX_OPTIONS_" +
// caption per base style and one "DOCX_STRIP_STYLE_" + n per strip style.
void SaveDocxSettings(TTesselIniFile& file, const TTesselDocxOptions& options);
void LoadDocxSettings(const TTesselIniFile& file, TTesselDocxOptions& options);

}  // namespace verimo
