#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <set>
#include <vector>

#include "core/WideString.h"
#include "engine/SpreadsheetFormat.h"
#include "formats/xls/XlsItems.h"
#include "formats/xls/XlsPictureStore.h"
#include "formats/xls/XlsWorkbook.h"
#include "platform/fonts/TextMeasurer.h"

namespace verimo {

// The workbook of a run and what its sheets share: the workbook stream with
// its formats and strings, the picture store, the drawings written so far,
// the sheet titles used and the widths of texts measured.
class TxlsBook {
 public:
  // Stores the pictures (`images`: those of every sheet to be written),
  // then creates the workbook file and writes its head. The measurer and
  // the pictures must outlive the book; Close releases the file.
  TxlsBook(const std::filesystem::path& file, TTextMeasurer& measurer, const TxlsPictures& pictures,
           const std::vector<const TxlsImages*>& images, const TSpreadsheetPatternContext& patterns);

  TxlsWorkbook& Workbook() { return workbook_; }
  const TxlsPictures& Pictures() const { return pictures_; }
  const xls::TxlsPictureStore& PictureStore() const { return pictureStore_; }
  // Pixels of "0" in the default font: the unit of column widths.
  int ZeroWidth() const { return zeroWidth_; }

  // `title` made a valid sheet title the workbook has not used yet (part n
  // of a continued sheet gets " (n)"), now taken.
  WideString TakeTitle(const WideString& title, int part);
  // Whether the sheet written next is the first.
  bool FirstSheet() const { return !sheetWritten_; }
  void SheetWritten() { sheetWritten_ = true; }
  // The pixels `text` takes in the font of cell format `xf`, with the
  // width of an "I" a column leaves beside its widest text.
  int TextPixels(uint16_t xf, WideStringView text);
  // A sheet's drawing with `shapes` shapes, charts among them or not: its
  // 1-based drawing id.
  uint16_t AddDrawing(size_t shapes, bool charts);

  // Writes the globals with the drawing group and the extern sheets the
  // drawings need; the stream is complete.
  void WriteGlobals();
  void Close() { workbook_.CloseWorkbookFile(); }

 private:
  struct TMeasuredFont {
    TFontDescription font;
    int margin = 0;
  };

  TxlsWorkbook workbook_;
  TTextMeasurer& measurer_;
  const TxlsPictures& pictures_;
  TSpreadsheetPatternContext patterns_;
  xls::TxlsPictureStore pictureStore_;
  int zeroWidth_ = 7;
  bool sheetWritten_ = false;
  std::set<WideString> usedTitles_;
  // Per cell format met so far.
  std::vector<std::optional<TMeasuredFont>> measuredFonts_;
  std::vector<size_t> drawingShapes_;
  bool anyChart_ = false;
};

}  // namespace verimo
