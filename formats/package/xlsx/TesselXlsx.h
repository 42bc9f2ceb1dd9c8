#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/TesselText.h"
#include "formats/package/WorkbookTables.h"
#include "formats/package/xlsx/XlsxOptions.h"
#include "formats/package/xlsx/XlsxSheets.h"
#include "platform/fonts/TextMeasurer.h"

namespace verimo {

class TXlsxFileMaker;

// Exports the source as an Excel 2007 workbook: header lines, the caption
// row, the data rows and footer lines on one worksheet (continued on
// further sheets past the sheet's row limit), each cell with the cell
// style of its kind. Data cells of number, date-time and Boolean columns
// hold their values with the number format of the column's pattern, so
// the sheet computes with them and shows the exported texts; other cells
// are shared strings. Columns are as wide as their captions and values
// (the width pass of AutoCalcColWidth, on by default; else the fields'
// widths). The package is written into a private staging folder and
// zipped into FileName at the end of the run. With Tables set, one
// workbook holds each of the tables on sheets of its own (TWorkbookTables).
class TTesselXlsx : public TTesselAdvancedText, public TWorkbookTables {
 public:
  TTesselXlsx();
  ~TTesselXlsx() override;

  TTesselXlsxOptions XlsxOptions;
  const WideString& SheetName() const { return sheetName_; }
  // An empty name is ignored.
  void SetSheetName(WideStringView name);
  // Rows per worksheet; lowered only by tests of the continuation.
  int SheetRowLimit = kMaxSheetRows;
  // Measures captions and digits for the column widths; the system's fonts
  // when null. Not owned.
  TTextMeasurer* TextMeasurer = nullptr;

  void BeginExport() override;
  void WriteCaptionRow() override;
  void WriteDataRow() override;
  void EndExport() override;
  // Runs the export without an output stream (the package is written
  // through the staging folder) of DataSet, or of each of Tables when
  // there are any, then shows the result.
  void Execute() override;
  void SaveSettings(TTesselIniFile& settings) override;
  void LoadSettings(TTesselIniFile& settings) override;
  // A cell holds at most kMaxCellTextLength units of text.
  TTesselTextLimits TextLimits() const override;

  int RowCounter() const { return rowCounter_; }
  int DataRowCounter() const { return dataRowCounter_; }

 private:
  int DataCellStyle(int column) const;
  bool AddValueCell(int column, int style);
  std::vector<int> ColumnWidths();
  void ExportTables();

  WideString sheetName_ = u"sheet1";
  std::unique_ptr<TXlsxFileMaker> fileMaker_;
  // The name of the sheet of the table being exported.
  WideString tableSheetName_;
  // Whether the run exports Tables: the workbook then outlives each table.
  bool exportsTables_ = false;
  int rowCounter_ = 0;
  int dataRowCounter_ = 0;
  std::string valueText_;
  WideString cellText_;
  std::unique_ptr<TTextMeasurer> ownMeasurer_;
};

}  // namespace verimo
