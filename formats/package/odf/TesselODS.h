#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/TesselText.h"
#include "formats/package/odf/OdsOptions.h"
#include "platform/fonts/TextMeasurer.h"

namespace verimo {

class TBaseODFFile;

// Exports the source as an OpenDocument spreadsheet: one sheet with an
// optional header cell, the caption row, one row per record and an
// optional footer cell, with the cell styles of the options. Data cells
// carry their value type and raw value (numbers, currency, dates, times,
// truth values) and the formatted text as their paragraph, and their cell
// styles the data style of the column's pattern, so the sheet computes
// with the values and shows them as exported. Columns are as wide as their
// captions and values (the width pass of AutoCalcColWidth, on by default;
// else the fields' widths).
class TTesselODS : public TTesselAdvancedText {
 public:
  TTesselODS();
  ~TTesselODS() override;

  TTesselODSOptions ODSOptions;
  // Resource string 34610 by default; an empty name fails the run.
  WideString SheetName;
  // Measures captions and digits for the column widths; the system's fonts
  // when null. Not owned.
  TTextMeasurer* TextMeasurer = nullptr;

  void BeginExport() override;
  void BeforeExport() override;
  void WriteCaptionRow() override;
  void WriteDataRow() override;
  void EndExport() override;
  void Execute() override;
  void SaveSettings(TTesselIniFile& settings) override;
  void LoadSettings(TTesselIniFile& settings) override;

  int RecordCount() const { return records_; }

 private:
  void PrepareDataStyles();
  void StartTable();
  void AppendSheetStyles(std::string& out);
  void FinishPackage();
  void WriteTextCellRow(std::string_view style, const TStringList& lines);
  void BeginRow();
  void EndRow();
  const std::string& DataCellStyle(int column) const;

  std::unique_ptr<TBaseODFFile> package_;
  // The data styles of the typed columns (kind and code, named "N" + their
  // number from 1), each column's (-1: none), and per data cell style (the
  // data style, or each strip style) each column's cell style name.
  std::vector<std::pair<int, WideString>> dataStyles_;
  std::vector<int> dataStyleOfColumn_;
  std::vector<std::vector<std::string>> cellStyles_;
  bool tableStarted_ = false;
  std::unique_ptr<TTextMeasurer> ownMeasurer_;
  std::string line_;
  int records_ = 0;
  int rows_ = 0;
};

}  // namespace verimo
