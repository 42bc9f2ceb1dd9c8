#include "platform/data/StringGrid.h"

#include <algorithm>

namespace verimo {

namespace {

const WideString kNoText;

}  // namespace

TStringGrid::TStringGrid(int colCount, int rowCount)
    : colCount_(std::max(colCount, 0)), rowCount_(std::max(rowCount, 0)) {
  cells_.resize(static_cast<size_t>(colCount_) * static_cast<size_t>(rowCount_));
  colWidths_.assign(static_cast<size_t>(colCount_), -1);
}

void TStringGrid::SetColCount(int count) {
  count = std::max(count, 0);
  std::vector<WideString> cells(static_cast<size_t>(count) * static_cast<size_t>(rowCount_));
  const int kept = std::min(count, colCount_);
  for (int row = 0; row < rowCount_; ++row)
    for (int col = 0; col < kept; ++col)
      cells[static_cast<size_t>(row) * static_cast<size_t>(count) + static_cast<size_t>(col)] =
          std::move(cells_[static_cast<size_t>(row) * static_cast<size_t>(colCount_) + static_cast<size_t>(col)]);
  cells_ = std::move(cells);
  colCount_ = count;
  colWidths_.resize(static_cast<size_t>(count), -1);
}

void TStringGrid::SetRowCount(int count) {
  rowCount_ = std::max(count, 0);
  cells_.resize(static_cast<size_t>(colCount_) * static_cast<size_t>(rowCount_));
}

const WideString& TStringGrid::Cell(int col, int row) const {
  if (col < 0 || col >= colCount_ || row < 0 || row >= rowCount_) return kNoText;
  return cells_[static_cast<size_t>(row) * static_cast<size_t>(colCount_) + static_cast<size_t>(col)];
}

void TStringGrid::SetCell(int col, int row, WideString text) {
  if (col < 0 || col >= colCount_ || row < 0 || row >= rowCount_) return;
  cells_[static_cast<size_t>(row) * static_cast<size_t>(colCount_) + static_cast<size_t>(col)] = std::move(text);
}

int TStringGrid::ColWidth(int col) const {
  if (col < 0 || col >= colCount_) return DefaultColWidth;
  const int width = colWidths_[static_cast<size_t>(col)];
  return width < 0 ? DefaultColWidth : width;
}

void TStringGrid::SetColWidth(int col, int width) {
  if (col >= 0 && col < colCount_) colWidths_[static_cast<size_t>(col)] = width;
}

int TStringGrid::ColWidthInChars(int col) const {
  return CanvasTextWidthX > 0 ? ColWidth(col) / CanvasTextWidthX : 0;
}

}  // namespace verimo
