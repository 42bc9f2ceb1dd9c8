#pragma once

#include <vector>

#include "core/WideString.h"

namespace verimo {

class TTesselXMLWriter;
struct TTesselXlsxOptions;

// Cell style indexes (attribute `s` of a cell).
inline constexpr int kXlsxHeaderStyle = 1;
inline constexpr int kXlsxCaptionStyle = 2;
inline constexpr int kXlsxDataStyle = 3;
inline constexpr int kXlsxFooterStyle = 4;
inline constexpr int kXlsxFirstStripStyle = 5;
// The first number format of the workbook's own (those below are built in).
inline constexpr int kXlsxFirstNumberFormat = 164;

// The number formats of the data cells of one workbook and their cell
// styles. Each table of the workbook gives its columns' codes in turn
// (SetColumnCodes); a code met first gets the next number format, and per
// data cell style (the data style, or each strip style) a code met first
// gets one cell style more, after the header, caption, data, footer and
// strip styles. The cell styles of a table never change with the tables
// after it.
class TXlsxNumberFormats {
 public:
  TXlsxNumberFormats() = default;
  // `stripCount`: the strip styles in use.
  explicit TXlsxNumberFormats(int stripCount) : stripCount_(stripCount) {}
  // The workbook of one table: SetColumnCodes(columnCodes) of the above.
  TXlsxNumberFormats(const std::vector<WideString>& columnCodes, int stripCount);

  // Makes `columnCodes` the codes of the columns of the data cells from now
  // on: the code of each column ("" for a text column; "General" needs no
  // cell style of its own).
  void SetColumnCodes(const std::vector<WideString>& columnCodes);

  // The style of a data cell of column `column` whose style would be
  // `style` (kXlsxDataStyle or a strip style) without a number format.
  int CellStyle(int style, int column) const {
    const size_t slot = stripCount_ == 0 ? 0 : static_cast<size_t>(style - kXlsxFirstStripStyle);
    if (slot >= styleOfColumn_.size()) return style;
    const std::vector<int>& styles = styleOfColumn_[slot];
    const int own = column >= 0 && column < static_cast<int>(styles.size()) ? styles[static_cast<size_t>(column)] : -1;
    return own < 0 ? style : own;
  }
  // The distinct codes, in the order of their number-format ids.
  const std::vector<WideString>& Codes() const { return codes_; }
  // The cell styles with a number format, in style order: the data cell
  // style each is made of and the index of its code in Codes().
  struct TCellFormat {
    int Style;
    int Code;
  };
  const std::vector<TCellFormat>& CellFormats() const { return cellFormats_; }
  int StripCount() const { return stripCount_; }

 private:
  int CellFormatStyle(int style, int code);

  std::vector<WideString> codes_;
  std::vector<TCellFormat> cellFormats_;
  // Per data cell style slot, each column's cell style (-1: the slot's own).
  std::vector<std::vector<int>> styleOfColumn_;
  int stripCount_ = 0;
};

// xl/styles.xml: the number formats, then fonts, fills, borders and cell
// formats of the header, caption, data and footer styles, of the strip
// styles, and of the data styles with each number format.
void WriteXlsxStyles(TTesselXMLWriter& xml, const TTesselXlsxOptions& options, const TXlsxNumberFormats& formats);

}  // namespace verimo
