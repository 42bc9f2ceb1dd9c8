#pragma once

#include <string>
#include <vector>

#include "core/WideString.h"
#include "engine/SheetNames.h"

namespace verimo {

// One worksheet of the workbook: the name the user sees and the file name
// of its part under xl/worksheets/ (without ".xml").
struct TXlsxSheetInfo {
  WideString Name;
  std::string PartName;
};
using TXlsxSheets = std::vector<TXlsxSheetInfo>;

// The rows of one worksheet.
inline constexpr int kMaxSheetRows = 1048576;
// A worksheet's columns (A to XFD) and the UTF-16 units of one cell's text.
inline constexpr int kMaxSheetColumns = 16384;
inline constexpr size_t kMaxCellTextLength = 32767;

// The sheet's part file name: the sheet name itself when it is made only of
// ASCII letters, digits, "_" and "-", else "sheet1".
std::string XlsxSheetPartName(WideStringView sheetName);
// The n-th sheet (from 1) of a run that continues on further sheets: the
// first keeps the name (cut to 31 characters), the others get " (n)" and
// "_n" appended.
TXlsxSheetInfo XlsxContinuationSheet(WideStringView sheetName, int number);

}  // namespace verimo
