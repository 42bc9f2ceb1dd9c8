#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>


namespace verimo {

class TDeflatedPart;

// The column letters of column n (from 1): A … Z, AA … ZZ, AAA … XFD.
std::string XlsxColumnName(int n);

// One worksheet part, streamed: the rows are compressed as they are written
// (TDeflatedPart, its blocks on worker threads), the tail after them; the
// head, which holds the used range and the columns' widths, is put in front
// once the rows are known.
class TXlsxWorksheet {
 public:
  // `deflatedFile`: where the compressed part is kept until it is zipped.
  explicit TXlsxWorksheet(const std::filesystem::path& deflatedFile);
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
  // Writes the tail and finishes the compressed part.
  void Close();
  // Puts the head in front of the closed part, with the columns' widths
  // (in digits of the default font, from the first column; none when
  // empty), and returns the part.
  TDeflatedPart& CompleteWithHead(const std::vector<int>& columnWidths);

 private:
  std::string Head(const std::vector<int>& columnWidths) const;

  std::unique_ptr<TDeflatedPart> part_;
  // The rows not yet handed to the part, handed over in pieces of about
  // kRowsFlushSize bytes.
  static constexpr size_t kRowsFlushSize = 64 * 1024;
  std::string line_;
  bool closed_ = false;
  // The digits of the open row and the letters of the columns met so far.
  void BeginCell(int column, int style);

  std::string rowDigits_;
  std::vector<std::string> columnNames_;
  int row_ = 0;
  int rowCount_ = 0;
  int maxColumns_ = 0;
};

}  // namespace verimo
