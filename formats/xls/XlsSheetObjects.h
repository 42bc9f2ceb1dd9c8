#pragma once

#include <vector>

#include "core/WideString.h"
#include "formats/xls/MsoDrawing.h"
#include "formats/xls/XlsBook.h"
#include "formats/xls/XlsChartGeometry.h"
#include "formats/xls/XlsItems.h"
#include "formats/xls/XlsWorkbook.h"
#include "platform/images/Picture.h"

namespace verimo::xls {

// The sizes of a sheet's columns and rows, for anchoring pictures.
struct TxlsCellGrid {
  int StartDataCol = 0;
  // Characters per data column; the other columns have DefColWidth.
  const std::vector<int>& Widths;
  int DefColWidth = 8;
  double DefRowHeight = 12.75;
  int ZeroWidth = 7;  // pixels per character
};

// From the image's cell to where its picture, scaled, ends: the cell where
// the rest of the size becomes negative and the share of it covered.
mso::TAnchor ImageAnchor(const TxlsImage& image, const TPictureInfo& size, const TxlsCellGrid& grid);

// What a sheet part's tail places besides the rows: the sheet's items,
// the font and date-time pattern of its preset cells, and where its
// columns and data lie.
struct TxlsSheetObjects {
  const TxlsSheetItems& Items;
  const TxlsFont& DataFont;
  const WideString& DateTimeFormat;
  TxlsCellGrid Grid;
  const TxlsDataColumns& Columns;
};

// The tail of a sheet part. Items placed at fixed cells go on the first
// part of a sheet; charts placed after the data go on the last one, where
// the data ends.
TxlsSheetTail SheetTail(TxlsBook& book, const TxlsSheetObjects& objects, bool first, bool last);

}  // namespace verimo::xls
