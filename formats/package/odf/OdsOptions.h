#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/WideString.h"
#include "formats/package/odf/OdfStyles.h"

namespace verimo {

class TTesselIniFile;

struct TTesselODSOptions {
  TODSCellParagraphStyle HeaderStyle;
  TODSCellParagraphStyle FooterStyle;
  TODSCellParagraphStyle CaptionRowStyle;
  TODSCellParagraphStyle DataStyle;
  TODFStripStyleType StripStyle = ssNone;
  TODSStylesList StripStylesList;

  int StripCount() const { return ODFStripCount(StripStyle, StripStylesList.size()); }
  // The four base styles in the order of the option page (header, caption
  // row, data, footer).
  const TODSCellParagraphStyle& BaseStyle(int index) const;
  TODSCellParagraphStyle& BaseStyle(int index);
  friend bool operator==(const TTesselODSOptions&, const TTesselODSOptions&) = default;
};

// The style groups of the spreadsheet: font faces, and the cell styles
// ("DefaultCell", "Header", "Footer", "CaptionRow", "DataStyle",
// "StripStyle1" …) with, for content.xml, the table, row and column styles
// before them.
void AppendODSFontFaces(std::string& out, const TTesselODSOptions& options);
void AppendODSAutomaticStyles(std::string& out, const TTesselODSOptions& options);
void AppendODSCommonStyles(std::string& out, const TTesselODSOptions& options);
// An automatic cell style `name` of data cells that show their values with
// the data style `dataStyle`: the data style's cell style (strip < 0) or
// that of strip style `strip` (from 0), with the data style.
void AppendODSDataCellStyle(std::string& out, WideStringView name, const TTesselODSOptions& options, int strip,
                            std::string_view dataStyle);

// The settings sections: "ODS" ("SheetName", "StripType"), one
// "ODS_STYLE_" + caption per base style and "ODS_STRIP_STYLE_" + n per
// strip style. Reading keeps `sheetName` for a missing or empty key.
void SaveODSSettings(TTesselIniFile& file, const TTesselODSOptions& options, WideStringView sheetName);
void LoadODSSettings(const TTesselIniFile& file, TTesselODSOptions& options, WideString& sheetName);

}  // namespace verimo
