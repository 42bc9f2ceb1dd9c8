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

// The number formats of the data cells: each typed column's code, and per
// data cell style (the data style, or each strip style) one cell style
// more per code, after the header, caption, data, footer and strip styles.
class TXlsxNumberFormats {
 public:
  TXlsxNumberFormats() = default;
  // `columnCodes`: the code of each column ("" for a text column; "General"
  // needs no cell style of its own); `stripCount`: the strip styles in use.
  TXlsxNumberFormats(const std::vector<WideString>& columnCodes, int stripCount);

  // The style of a data cell of column `column` whose style would be
  // `style` (kXlsxDataStyle or a strip style) without a number format.
  int CellStyle(int style, int column) const {
    const int code = column < static_cast<int>(codeOfColumn_.size()) ? codeOfColumn_[static_cast<size_t>(column)] : -1;
    if (code < 0) return style;
    const int slot = stripCount_ == 0 ? 0 : style - kXlsxFirstStripStyle;
    return kXlsxFirstStripStyle + stripCount_ + slot * static_cast<int>(codes_.size()) + code;
  }
  // The distinct codes, in the order of their number-format ids.
  const std::vector<WideString>& Codes() const { return codes_; }
  int StripCount() const { return stripCount_; }

 private:
  std::vector<WideString> codes_;
  std::vector<int> codeOfColumn_;  // index into codes_, -1 for none
  int stripCount_ = 0;
};

// xl/styles.xml: the number formats, then fonts, fills, borders and cell
// formats of the header, caption, data and footer styles, of the strip
// styles, and of the data styles with each number format.
void WriteXlsxStyles(TTesselXMLWriter& xml, const TTesselXlsxOptions& options, const TXlsxNumberFormats& formats);

}  // namespace verimo
