#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "formats/xls/BiffRecords.h"
#include "formats/xls/MsoDrawing.h"
#include "formats/xls/XlsItems.h"
#include "formats/xls/XlsWorkbook.h"

namespace verimo::xls {

// The records of a sheet's items, written by the sheet's tail (cells and
// merged ranges before WINDOW2, the rest after SELECTION).
void WritePresetCells(TxlsWorkbook& workbook, const TxlsCells& cells, const TxlsFont& dataFont,
                      WideStringView defaultDateTimeFormat);
void WriteMergedCells(TbiffSink& sink, const TxlsMergedCellList& ranges);
void WriteHyperlinkCells(TxlsWorkbook& workbook, const TxlsHyperlinks& links, const TxlsFont& dataFont);
void WriteHyperlinks(TbiffSink& sink, const TxlsHyperlinks& links);

// A cell range of a chart reference, 0-based; all zero for none.
struct TxlsAreaRef {
  uint16_t FirstRow = 0, LastRow = 0, FirstCol = 0, LastCol = 0;
};

struct TxlsNoteShape {
  const TxlsNote* Note = nullptr;
  uint16_t FontIndex = 0;
};

struct TxlsImageShape {
  const TxlsImage* Image = nullptr;
  int Blip = -1;  // 1-based in the picture store
  mso::TAnchor Anchor;
};

struct TxlsChartShape {
  const TxlsChart* Chart = nullptr;
  mso::TAnchor Anchor;
  uint16_t ExternSheet = 0;
  std::vector<TxlsAreaRef> Values;      // per series
  std::vector<TxlsAreaRef> Categories;  // per series
};

// A sheet's drawing: notes first, then images, then charts, numbered in
// that order from 1; shape ids are 1024 × drawing id + number.
struct TxlsSheetDrawing {
  std::vector<TxlsNoteShape> Notes;
  std::vector<TxlsImageShape> Images;
  std::vector<TxlsChartShape> Charts;
  size_t ShapeCount() const { return Notes.size() + Images.size() + Charts.size(); }
};

// The drawing records, objects and embedded charts, then the NOTE records.
void WriteDrawing(TbiffSink& sink, uint16_t drawingId, const TxlsSheetDrawing& drawing);
void WriteNoteRecords(TbiffSink& sink, const TxlsSheetDrawing& drawing);
// The chart substream after a chart's OBJ record.
void WriteChartStream(TbiffSink& sink, const TxlsChartShape& shape);

// One picture of the store: its BLIP type (5 JPEG, 6 PNG, 7 DIB), the
// bytes stored and the number of images that show it.
struct TxlsStoredPicture {
  uint8_t Type = 6;
  std::string Data;
  uint32_t References = 0;
};

// The MSODRAWINGGROUP data: the drawing group over the drawings written
// (shape count of each, without the group shape) and the picture store.
std::string BuildDrawingGroup(const std::vector<size_t>& drawingShapes, const std::vector<TxlsStoredPicture>& pictures);

}  // namespace verimo::xls
