#pragma once

#include <vector>

#include "core/WideString.h"

namespace verimo {

// A grid of texts without a window: cells, column and row counts, fixed
// rows and columns, the current row and column pixel widths.
class TStringGrid {
 public:
  explicit TStringGrid(int colCount = 5, int rowCount = 5);

  int ColCount() const { return colCount_; }
  int RowCount() const { return rowCount_; }
  // Counts below 0 count as 0; cells outside the new size are dropped.
  void SetColCount(int count);
  void SetRowCount(int count);

  int FixedRows = 1;
  int FixedCols = 1;
  // The current row.
  int Row = 1;
  int DefaultColWidth = 64;
  // Width in pixels of the text "X" on the grid's canvas.
  int CanvasTextWidthX = 7;

  // Empty outside the grid.
  const WideString& Cell(int col, int row) const;
  // Ignored outside the grid.
  void SetCell(int col, int row, WideString text);

  int ColWidth(int col) const;
  void SetColWidth(int col, int width);
  // Pixel width divided by the width of "X" (0 when that width is not positive).
  int ColWidthInChars(int col) const;

 private:
  int colCount_;
  int rowCount_;
  std::vector<WideString> cells_;  // row-major
  std::vector<int> colWidths_;     // -1 = DefaultColWidth
};

}  // namespace verimo
