#include "formats/xls/XlsSheetObjects.h"

#include <algorithm>
#include <cmath>

#include "formats/xls/XlsSheetItems.h"

namespace verimo::xls {

namespace {

int ColumnPixels(int col, const TxlsCellGrid& grid) {
  const int index = col - grid.StartDataCol;
  const int characters = index >= 0 && index < static_cast<int>(grid.Widths.size())
                             ? grid.Widths[static_cast<size_t>(index)]
                             : grid.DefColWidth;
  return (characters + 1) * grid.ZeroWidth + 1;
}

void WriteDrawingObjects(TbiffSink& sink, TxlsBook& book, const TxlsSheetObjects& objects, bool first, bool last) {
  const TxlsSheetItems& items = objects.Items;
  if (first) WriteHyperlinks(sink, items.Hyperlinks);
  TxlsSheetDrawing drawing;
  if (first) {
    for (const TxlsNote& note : items.Notes)
      if (note.IsValid()) drawing.Notes.push_back({&note, book.Workbook().Formats().FontIndex(note.Format.Font)});
    const TxlsPictureStore& store = book.PictureStore();
    for (const TxlsImage& image : items.Images) {
      const int position = book.Pictures().PositionOf(image.PictureName);
      if (position < 0 || store.BlipOf(position) < 0) continue;
      drawing.Images.push_back({&image, store.BlipOf(position), ImageAnchor(image, store.SizeOf(position), objects.Grid)});
    }
  }
  const uint16_t externSheet = static_cast<uint16_t>(book.Workbook().BoundSheets().size() - 1);
  for (const TxlsChart& chart : items.Charts) {
    const bool custom = chart.Position.PositionType == cptCustom;
    if (custom ? first : last)
      drawing.Charts.push_back(ChartShape(chart, objects.Columns, *book.Workbook().CurrentSheet(), externSheet));
  }
  if (drawing.ShapeCount() == 0) return;
  const uint16_t drawingId = book.AddDrawing(drawing.ShapeCount(), !drawing.Charts.empty());
  WriteDrawing(sink, drawingId, drawing);
  WriteNoteRecords(sink, drawing);
}

}  // namespace

mso::TAnchor ImageAnchor(const TxlsImage& image, const TPictureInfo& size, const TxlsCellGrid& grid) {
  mso::TAnchor anchor;
  anchor.Flags = 2;
  anchor.FirstCol = Clamp16(image.Col, TxlsWorkbook::kMaxColumns - 1);
  anchor.FirstRow = Clamp16(image.Row, TxlsWorkbook::kMaxRows - 1);
  const double zoom = std::max(1, image.Zoom) / 100.0;
  long long rest = std::llround(zoom * size.Width);
  for (int col = anchor.FirstCol;; ++col) {
    const int width = ColumnPixels(col, grid);
    rest -= width;
    if (rest < 0 || col == TxlsWorkbook::kMaxColumns - 1) {
      anchor.LastCol = static_cast<uint16_t>(col);
      anchor.LastColOffset = Clamp16(std::llround((rest + width) * 1024.0 / width), 1023);
      break;
    }
  }
  const int rowHeight = std::max(1, static_cast<int>(grid.DefRowHeight * 20));
  rest = std::llround(zoom * size.Height) * 15;
  for (int row = anchor.FirstRow;; ++row) {
    rest -= rowHeight;
    if (rest < 0 || row == TxlsWorkbook::kMaxRows - 1) {
      anchor.LastRow = static_cast<uint16_t>(row);
      anchor.LastRowOffset = Clamp16(std::llround((rest + rowHeight) * 256.0 / rowHeight), 255);
      break;
    }
  }
  return anchor;
}

TxlsSheetTail SheetTail(TxlsBook& book, const TxlsSheetObjects& objects, bool first, bool last) {
  TxlsSheetTail tail;
  if (first) {
    tail.BeforeWindow = [&book, objects](TbiffSink& sink) {
      WritePresetCells(book.Workbook(), objects.Items.Cells, objects.DataFont, objects.DateTimeFormat);
      WriteMergedCells(sink, objects.Items.MergedCells);
      WriteHyperlinkCells(book.Workbook(), objects.Items.Hyperlinks, objects.DataFont);
    };
  }
  tail.AfterSelection = [&book, objects, first, last](TbiffSink& sink) {
    WriteDrawingObjects(sink, book, objects, first, last);
  };
  return tail;
}

}  // namespace verimo::xls
