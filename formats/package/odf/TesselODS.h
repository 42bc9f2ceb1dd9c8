#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/TesselText.h"
#include "formats/package/odf/OdsOptions.h"

namespace verimo {

class TBaseODFFile;

// Exports the source as an OpenDocument spreadsheet: one sheet with an
// optional header cell, the caption row, one row per record and an
// optional footer cell, with the cell styles of the options. Data cells
// carry their value type and raw value (numbers, currency, dates, times,
// truth values) and the formatted text as their paragraph, so the sheet
// computes with the values and shows them as exported.
class TTesselODS : public TTesselAdvancedText {
 public:
  TTesselODS();
  ~TTesselODS() override;

  TTesselODSOptions ODSOptions;
  // Resource string 34610 by default; an empty name fails the run.
  WideString SheetName;

  void BeginExport() override;
  void WriteCaptionRow() override;
  void WriteDataRow() override;
  void EndExport() override;
  void Execute() override;
  void SaveSettings(TTesselIniFile& settings) override;
  void LoadSettings(TTesselIniFile& settings) override;

  int RecordCount() const { return records_; }

 private:
  void FinishPackage();
  void WriteTextCellRow(std::string_view style, const TStringList& lines);
  void BeginRow();
  void EndRow();
  const std::string& DataCellStyle(int column) const;

  std::unique_ptr<TBaseODFFile> package_;
  std::vector<std::string> stripNames_;
  std::string line_;
  int records_ = 0;
  int rows_ = 0;
};

}  // namespace verimo
