#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/TesselStream.h"

namespace verimo {

class TTesselXMLWriter;

// The column letters of column n (from 1): A … Z, AA … ZZ, AAA … XFD.
std::string XlsxColumnName(int n);

// One worksheet part, streamed: the rows go into a body file as they are
// written; the head (which holds the used range) and the tail are put
// around it when the package is zipped.
class TXlsxWorksheet {
 public:
  explicit TXlsxWorksheet(const std::filesystem::path& bodyFile);
  ~TXlsxWorksheet();

  // Starts row `number` (from 1) that will hold `cellCount` cells.
  void BeginRow(int number, int cellCount);
  // A cell of the open row holding shared string `stringIndex`, or an empty
  // cell (style only) for a negative index.
  void AddCell(int column, int style, int64_t stringIndex);
  // A cell of the open row holding a number (`value`: its lexical form)
  // or a truth value ("1" or "0").
  void AddNumberCell(int column, int style, std::string_view value);
  void AddBooleanCell(int column, int style, bool value);
  void EndRow();
  int RowCount() const { return rowCount_; }
  // Whether the sheet is the one shown when the workbook opens.
  bool Selected = true;
  // Flushes and closes the body file.
  void Close();

  const std::filesystem::path& BodyFile() const { return bodyFile_; }
  // The head with the columns' widths (in digits of the default font,
  // from the first column; none when empty).
  std::string Head(const std::vector<int>& columnWidths) const;
  static std::string Tail();

 private:
  std::filesystem::path bodyFile_;
  std::unique_ptr<TFileStream> stream_;
  std::unique_ptr<TTesselXMLWriter> xml_;
  std::string line_;
  // The digits of the open row and the letters of the columns met so far.
  void BeginCell(int column, int style);

  std::string rowDigits_;
  std::vector<std::string> columnNames_;
  int row_ = 0;
  int rowCount_ = 0;
  int maxColumns_ = 0;
};

}  // namespace verimo
