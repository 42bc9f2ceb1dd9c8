#pragma once

#include <filesystem>
#include <memory>
#include <string_view>
#include <vector>

#include "core/WideString.h"
#include "formats/package/StagingFolder.h"
#include "formats/package/xlsx/XlsxOptions.h"
#include "formats/package/xlsx/XlsxSheets.h"
#include "formats/package/xlsx/XlsxStyles.h"

namespace verimo {

class TXlsxSharedStrings;
class TXlsxWorksheet;

// Writes the parts of one workbook into a private staging folder and zips
// them into the output file. Texts are shared strings; data cells may hold
// numbers and truth values. A run with more rows than a sheet holds
// continues on further sheets, each starting with the caption row again.
// Lives for one run; the staging folder goes with it.
class TXlsxFileMaker {
 public:
  TXlsxFileMaker(std::filesystem::path outputFileName, const TTesselXlsxOptions& options, WideString sheetName);
  ~TXlsxFileMaker();
  TXlsxFileMaker(const TXlsxFileMaker&) = delete;
  TXlsxFileMaker& operator=(const TXlsxFileMaker&) = delete;

  // Rows per sheet (a smaller number for tests of the continuation).
  int SheetRowLimit = kMaxSheetRows;
  // The number formats of the data cells (set before Begin) and the
  // columns' widths in digits of the default font (set before Finish).
  TXlsxNumberFormats NumberFormats;
  std::vector<int> ColumnWidths;

  // Creates the package folders, writes the styles and opens the first sheet.
  void Begin();
  // A row with one cell in column A.
  void WriteSingleCellRow(WideStringView text, int style);
  // The caption row; remembered to start every further sheet.
  void WriteCaptionRow(const std::vector<WideString>& captions);
  // A data row: cells are added one by one between Begin and End.
  void BeginDataRow(int cellCount);
  void AddDataCell(int column, WideStringView text, int style);
  // `value`: the number's lexical form.
  void AddNumberDataCell(int column, std::string_view value, int style);
  void AddBooleanDataCell(int column, bool value, int style);
  void EndDataRow();
  // Closes the sheet, writes the parts that list the sheets and zips the
  // package into the output file.
  void Finish();

  const TXlsxSheets& Sheets() const { return sheets_; }

 private:
  void StartSheet();
  void BeginRow(int cellCount);
  void AddCell(int column, WideStringView text, int style);
  void CloseSheet();

  std::filesystem::path outputFileName_;
  const TTesselXlsxOptions& options_;
  WideString sheetName_;
  TStagingFolder staging_;
  std::filesystem::path package_;
  std::filesystem::path work_;
  TXlsxSheets sheets_;
  std::vector<std::unique_ptr<TXlsxWorksheet>> worksheets_;
  std::unique_ptr<TXlsxSharedStrings> strings_;
  std::vector<WideString> captions_;
  bool hasCaptions_ = false;
};

}  // namespace verimo
