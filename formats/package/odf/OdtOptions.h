#pragma once

#include <string>
#include <vector>

#include "core/WideString.h"
#include "formats/package/odf/OdfStyles.h"

namespace verimo {

class TTesselIniFile;

struct TTesselODTOptions {
  TODTParagraphStyle HeaderStyle;
  TODTParagraphStyle FooterStyle;
  TODTCellParagraphStyle CaptionRowStyle;
  TODTCellParagraphStyle DataStyle;
  TODFStripStyleType StripStyle = ssNone;
  TODTStylesList StripStylesList;
  TODFBorder Border{bsODFSolid, 1, clBlack};

  int StripCount() const { return ODFStripCount(StripStyle, StripStylesList.size()); }
  // The four base styles in the order of the option page (header, caption
  // row, data, footer).
  const TODTParagraphStyle& BaseStyle(int index) const;
  TODTParagraphStyle& BaseStyle(int index);
  friend bool operator==(const TTesselODTOptions&, const TTesselODTOptions&) = default;
};

// The cell-style name prefixes of the shared-edge borders: cells of the
// last row draw their bottom edge ("Layer"), cells of the last column their
// right edge ("Ender"). With no border there are no prefixes.
const char* ODTCellStylePrefix(const TODFBorder& border, bool lastRow, bool lastColumn);

// The style groups of the text document: font faces, and the cell styles
// ("CaptionCellRow", "DataCellStyle", "StripCellStyle1" … with their
// border variants) and paragraph styles ("Header", "Footer", "CaptionRow",
// "DataStyle", "StripStyle1" …), the same in both parts.
void AppendODTFontFaces(std::string& out, const TTesselODTOptions& options);
void AppendODTStyles(std::string& out, const TTesselODTOptions& options);

// The settings sections: "ODT" ("TableName", "StripType", "BorderStyle",
// "BorderColor", "BorderWidth"), one "ODT_STYLE_" + caption per base style
// and "ODT_STRIP_STYLE_" + n per strip style. Reading keeps `tableName`
// for a missing or empty key.
void SaveODTSettings(TTesselIniFile& file, const TTesselODTOptions& options, WideStringView tableName);
void LoadODTSettings(const TTesselIniFile& file, TTesselODTOptions& options, WideString& tableName);

}  // namespace verimo
