#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/SheetNames.h"
#include "engine/TesselText.h"
#include "formats/package/WorkbookTables.h"
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
// else the fields' widths). With Tables set, one document holds each of
// the tables as a sheet of its own (TWorkbookTables).
class TTesselODS : public TTesselAdvancedText, public TWorkbookTables {
 public:
  TTesselODS();
  ~TTesselODS() override;

  TTesselODSOptions ODSOptions;
  // Resource string 34610 by default; an empty name fails the run (of
  // DataSet; the sheets of Tables are named by the tables).
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
  void CreatePackage();
  void PrepareDataStyles();
  void StartTable();
  void AppendSheetStyles(std::string& out);
  void EndTable();
  void BuildPackage();
  void ExportTables();
  void WriteTextCellRow(std::string_view style, const TStringList& lines);
  void BeginRow();
  void EndRow();
  const std::string& DataCellStyle(int column) const;
  std::string ColumnStyleName(size_t column) const;
  std::string DataStyleName(size_t dataStyle) const;
  std::string TypedCellStyleName(size_t slot, size_t dataStyle) const;

  std::unique_ptr<TBaseODFFile> package_;
  // The data styles of the typed columns (kind and code, named "N" + their
  // number from 1), each column's (-1: none), and per data cell style (the
  // data style, or each strip style) each column's cell style name.
  std::vector<std::pair<int, WideString>> dataStyles_;
  std::vector<int> dataStyleOfColumn_;
  std::vector<std::vector<std::string>> cellStyles_;
  bool tableStarted_ = false;
  // A run of Tables: the content's head is written last, with the styles
  // of every table; each table numbers its styles on from the tables
  // before it.
  bool exportsTables_ = false;
  WideString tableSheetName_;
  TSheetNames sheetNames_;
  std::string tableStyles_;
  int tablesEnded_ = 0;
  struct TStyleNumbers {
    size_t Columns = 0;
    size_t DataStyles = 0;
    size_t CellStyles = 0;
  } stylesBefore_;
  std::unique_ptr<TTextMeasurer> ownMeasurer_;
  std::string line_;
  int records_ = 0;
  int rows_ = 0;
};

}  // namespace verimo
