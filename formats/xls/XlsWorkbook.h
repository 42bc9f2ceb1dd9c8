#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/NonCopyable.h"
#include "core/WideString.h"
#include "formats/xls/BiffRecords.h"
#include "formats/xls/XlsFormats.h"
#include "engine/SpreadsheetFormat.h"
#include "formats/xls/XlsSst.h"
#include "platform/storage/CompoundFile.h"

namespace verimo {

// One worksheet written into the workbook stream.
struct TxlsBoundSheet {
  int SheetIndex = 0;
  WideString Title;
  uint64_t BofPosition = 0;         // in the body of the stream
  size_t BoundSheetPosition = 0;    // in the globals block
  uint64_t DimensionsPosition = 0;  // in the body of the stream
  uint64_t ColInfoPosition = 0;     // the first COLINFO record
  std::vector<uint16_t> ColInfoColumns;
  int32_t FirstRow = -1;
  int32_t LastRow = -1;
  int32_t FirstCol = -1;
  int32_t LastCol = -1;
  // Widens the extents to include the cell.
  void Include(int row, int col);
};

class TxlsBoundSheetList : public std::vector<TxlsBoundSheet> {
 public:
  // Widens the extents of the first entry of that sheet to the cell.
  void UpdateExtent(int sheetIndex, int row, int col);
};

// What a worksheet's head holds besides its cells.
struct TxlsSheetHead {
  int DefColWidth = 8;
  double DefRowHeight = 12.75;
  WideString PageHeader;
  WideString PageFooter;
  // Column and width in 1/256 of a character, in any order.
  std::vector<std::pair<uint16_t, uint16_t>> ColumnWidths;
  // The data of a BITMAP record (background picture); none when empty.
  std::string Background;
};

// What the exporter adds to a sheet's tail: the cells written before WINDOW2
// and the records written after SELECTION.
struct TxlsSheetTail {
  std::function<void(TbiffSink&)> BeforeWindow;
  std::function<void(TbiffSink&)> AfterSelection;
};

enum class TxlsFormulaFunction : uint16_t { Sum = 4, Average = 5, Min = 6, Max = 7 };

// The workbook stream: the globals head, then the worksheets as they are
// written, straight into the compound file; at the end the rest of the
// globals (formats, sheet directory, shared strings) go in front of the
// worksheets and the sheet offsets are filled in. The shared strings wait
// in a temporary file beside the workbook once they outgrow a few MB.
class TxlsWorkbook : private TNonCopyable {
 public:
  static constexpr int kMaxRows = 65536;
  static constexpr int kMaxColumns = 256;

  TxlsWorkbook();
  ~TxlsWorkbook();

  // Creates the file ("Cannot create file %s" when it cannot).
  void OpenWorkbookFile(const std::filesystem::path& fileName);
  void BeginWorkbook();
  void BeginSheet(int sheetIndex, WideStringView title, const TxlsSheetHead& head);
  // Rewrites the widths of the current sheet's COLINFO records.
  void RewriteColumnWidths(const std::vector<std::pair<uint16_t, uint16_t>>& widths);
  // `selected`: the sheet shown when the workbook opens.
  void EndSheet(bool selected, const TxlsSheetTail& tail = {});
  // Cells written while frozen do not widen the sheet's extents.
  void FreezeExtents(bool frozen) { extentsFrozen_ = frozen; }
  // The globals get SUPBOOK and EXTERNSHEET over the sheets written (for
  // chart references) and the drawing group (MSODRAWINGGROUP data).
  void SetExternSheets(bool wanted) { externSheets_ = wanted; }
  void SetDrawingGroup(std::string data) { drawingGroup_ = std::move(data); }
  void WriteGlobals(const TSpreadsheetPatternContext& patterns);
  // Releases the file; a workbook not finished stays as written so far.
  void CloseWorkbookFile();

  // The sheet being written; none outside a sheet.
  TxlsBoundSheet* CurrentSheet() { return inSheet_ ? &boundSheets_.back() : nullptr; }
  bool IsOpen() const { return file_ != nullptr; }
  bool InSheet() const { return inSheet_; }

  // Cells of the current sheet; each widens the sheet's extents.
  void WriteBlank(int row, int col, uint16_t xf);
  void WriteNumber(int row, int col, uint16_t xf, double value);
  void WriteBoolean(int row, int col, uint16_t xf, bool value);
  void WriteText(int row, int col, uint16_t xf, WideStringView text);
  void WriteFormula(int row, int col, uint16_t xf, TxlsFormulaFunction function, int firstRow, int lastRow,
                    double cachedResult);

  TsstStrings& Sst() { return *sst_; }
  TxlsFormatTables& Formats() { return formats_; }
  TxlsBoundSheetList& BoundSheets() { return boundSheets_; }
  // Body bytes written so far (the worksheets).
  uint64_t BodySize() const;

 private:
  class TBodySink;
  class THeadSink;
  void WriteCell(uint16_t id, int row, int col, uint16_t xf, const uint8_t* extra, size_t extraSize);
  void WriteHeadRecords(TbiffSink& sink);
  void WriteHeaderFooter(TbiffSink& sink, uint16_t id, WideStringView text);
  void WriteBackground(TbiffSink& sink, const std::string& data);
  void WriteExternSheets(TbiffSink& sink);
  // The globals after the head and before the shared strings.
  std::string BuildGlobalsBlock(const TSpreadsheetPatternContext& patterns);

  std::unique_ptr<TCompoundFileWriter> file_;
  std::unique_ptr<TBodySink> body_;
  TbiffMemorySink head_;
  TbiffBuffer buffer_;
  std::unique_ptr<TsstStrings> sst_;
  TxlsFormatTables formats_;
  TxlsBoundSheetList boundSheets_;
  bool inSheet_ = false;
  bool extentsFrozen_ = false;
  bool externSheets_ = false;
  std::string drawingGroup_;
};

}  // namespace verimo
