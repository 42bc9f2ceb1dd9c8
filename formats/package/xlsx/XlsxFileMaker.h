#pragma once

#include <filesystem>
#include <memory>
#include <string_view>
#include <vector>

#include "core/NonCopyable.h"
#include "core/WideString.h"
#include "formats/package/StagingFolder.h"
#include "formats/package/xlsx/XlsxOptions.h"
#include "formats/package/xlsx/XlsxSheets.h"
#include "formats/package/xlsx/XlsxStyles.h"

namespace verimo {

class TXlsxSharedStrings;
class TXlsxWorksheet;

// Writes the parts of one workbook into a private staging folder and zips
// them into the output file. The workbook holds one table or several, one
// after the other, each on sheets of its own. Texts are shared strings;
// data cells may hold numbers and truth values. A table with more rows
// than a sheet holds continues on further sheets, each starting with the
// table's caption row again. Lives for one run; the staging folder goes
// with it.
class TXlsxFileMaker : private TNonCopyable {
 public:
  TXlsxFileMaker(std::filesystem::path outputFileName, const TTesselXlsxOptions& options);
  ~TXlsxFileMaker();

  // Rows per sheet (a smaller number for tests of the continuation).
  int SheetRowLimit = kMaxSheetRows;
  // The number formats of the data cells: CellStyle gives the style of a
  // data cell of the table being written.
  TXlsxNumberFormats NumberFormats;

  // Creates the package folders.
  void Begin();
  // Opens the first sheet of a table named `sheetName` (made a valid name
  // unlike those of the sheets before it) whose columns show their values
  // with `columnCodes` (see TXlsxNumberFormats::SetColumnCodes).
  void BeginTable(WideStringView sheetName, const std::vector<WideString>& columnCodes);
  // A row with one cell in column A.
  void WriteSingleCellRow(WideStringView text, int style);
  // The caption row; remembered to start every further sheet of the table.
  void WriteCaptionRow(const std::vector<WideString>& captions);
  // A data row: cells are added one by one between Begin and End.
  void BeginDataRow(int cellCount);
  void AddDataCell(int column, WideStringView text, int style);
  // `value`: the number's lexical form.
  void AddNumberDataCell(int column, std::string_view value, int style);
  void AddBooleanDataCell(int column, bool value, int style);
  void EndDataRow();
  // Closes the table's last sheet; `columnWidths`: its columns' widths in
  // digits of the default font, for each of its sheets.
  void EndTable(const std::vector<int>& columnWidths);
  // Whether a table is begun and not yet ended.
  bool TableOpen() const { return tableOpen_; }
  // Leaves the open table out of the workbook: its sheets go.
  void DropTable();
  // Writes the styles and the parts that list the sheets and zips the
  // package into the output file.
  void Finish();

  const TXlsxSheets& Sheets() const { return sheets_; }

 private:
  void StartSheet();
  std::string UniquePartName(std::string wanted) const;
  void BeginRow(int cellCount);
  void AddCell(int column, WideStringView text, int style);
  void CloseSheet();

  std::filesystem::path outputFileName_;
  const TTesselXlsxOptions& options_;
  TStagingFolder staging_;
  std::filesystem::path package_;
  std::filesystem::path work_;
  TXlsxSheets sheets_;
  TSheetNames sheetNames_;
  std::vector<std::unique_ptr<TXlsxWorksheet>> worksheets_;
  // Each sheet's column widths, set when its table ends.
  std::vector<std::vector<int>> columnWidths_;
  std::unique_ptr<TXlsxSharedStrings> strings_;
  // The table being written: its name, its first sheet and its captions.
  WideString tableName_;
  size_t tableFirstSheet_ = 0;
  std::vector<WideString> captions_;
  bool hasCaptions_ = false;
  bool tableOpen_ = false;
};

}  // namespace verimo
