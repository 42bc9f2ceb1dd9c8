#include "formats/xls/XlsWorkbook.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

#include "core/Exception.h"

namespace verimo {

namespace {

constexpr char16_t kWriteError[] = u"Error writing output file";

// The write error with its cause (a full disk, a lost device), which the
// user needs to mend it.
Exception WriteError(const Exception& cause) { return Exception(WideString(kWriteError) + u": " + cause.Message()); }

constexpr char16_t kProductName[] = u"Verimo";
constexpr char16_t kProductVersion[] = u"4.1.0.4";
constexpr size_t kWriteAccessSize = 112;
constexpr size_t kMaxHeaderFooter = 255;
constexpr uint16_t kWindow2Options = 0x06B6;
constexpr uint16_t kWindow2SelectedAndShown = 0x0600;

void WriteBof(TbiffBuffer& buffer, TbiffSink& sink, uint16_t type) {
  buffer.Clear();
  buffer.Put16(0x0600).Put16(type).Put16(0x0DBB).Put16(0x07CC).Put32(0).Put32(0x0206);
  buffer.WriteRecord(sink, biff::kBof);
}

// What ends globals of `size` bytes: a FILLER record where needed, so that
// they end on a sector boundary (and fill at least the mini-stream cutoff)
// and the worksheets already in the file follow them, then EOF.
std::string GlobalsTail(uint64_t size) {
  constexpr size_t kSector = TCompoundFileWriter::kSectorSize;
  const uint64_t withEof = size + 4;
  size_t fill = static_cast<size_t>((kSector - withEof % kSector) % kSector);
  if (fill > 0 && fill < 4) fill += kSector;
  if (withEof + fill < TCompoundFileWriter::kMiniStreamCutoff)
    fill += static_cast<size_t>(TCompoundFileWriter::kMiniStreamCutoff - (withEof + fill));
  TbiffMemorySink tail;
  if (fill > 0) {
    WriteRecordHeader(tail, biff::kFiller, static_cast<uint16_t>(fill - 4));
    tail.Bytes().append(fill - 4, '\0');
  }
  WriteEmptyRecord(tail, biff::kEof);
  return std::move(tail.Bytes());
}

uint8_t Low(uint32_t value) { return static_cast<uint8_t>(value & 0xFF); }
uint8_t High(uint32_t value) { return static_cast<uint8_t>((value >> 8) & 0xFF); }

}  // namespace

// The worksheets' part of the stream, written through to the file.
class TxlsWorkbook::TBodySink : public TbiffSink {
 public:
  explicit TBodySink(TCompoundFileWriter& file) : file_(file) {}
  void WriteBytes(const void* data, size_t size) override {
    try {
      file_.Write(data, size);
    } catch (const Exception& error) {
      throw WriteError(error);
    }
  }
  uint64_t Position() const override { return file_.BodySize(); }
  void Patch(uint64_t at, const void* data, size_t size) {
    try {
      file_.Patch(at, data, size);
    } catch (const Exception& error) {
      throw WriteError(error);
    }
  }

 private:
  TCompoundFileWriter& file_;
};

// The globals' part of the stream, written after the worksheets and placed
// in front of them.
class TxlsWorkbook::THeadSink : public TbiffSink {
 public:
  explicit THeadSink(TCompoundFileWriter& file) : file_(file) {}
  void WriteBytes(const void* data, size_t size) override {
    try {
      file_.WriteHead(data, size);
    } catch (const Exception& error) {
      throw WriteError(error);
    }
  }
  uint64_t Position() const override { return file_.HeadSize(); }

 private:
  TCompoundFileWriter& file_;
};

void TxlsBoundSheet::Include(int row, int col) {
  if (FirstRow < 0 || row < FirstRow) FirstRow = row;
  if (LastRow < 0 || row > LastRow) LastRow = row;
  if (FirstCol < 0 || col < FirstCol) FirstCol = col;
  if (LastCol < 0 || col > LastCol) LastCol = col;
}

void TxlsBoundSheetList::UpdateExtent(int sheetIndex, int row, int col) {
  for (TxlsBoundSheet& sheet : *this) {
    if (sheet.SheetIndex != sheetIndex) continue;
    sheet.Include(row, col);
    return;
  }
}

TxlsWorkbook::TxlsWorkbook() : sst_(std::make_unique<TsstStrings>()) {}
TxlsWorkbook::~TxlsWorkbook() = default;

uint64_t TxlsWorkbook::BodySize() const { return file_ ? file_->BodySize() : 0; }

void TxlsWorkbook::OpenWorkbookFile(const std::filesystem::path& fileName) {
  try {
    file_ = std::make_unique<TCompoundFileWriter>(fileName, u"Workbook");
  } catch (const Exception& error) {
    throw Exception(u"Cannot create file " + Utf8ToWide(fileName.string()) + u": " + error.Message());
  }
  body_ = std::make_unique<TBodySink>(*file_);
  sst_ = std::make_unique<TsstStrings>(fileName.parent_path());
}

void TxlsWorkbook::CloseWorkbookFile() {
  body_.reset();
  sst_ = std::make_unique<TsstStrings>();
  if (file_) file_->Close();
  file_.reset();
  inSheet_ = false;
}

void TxlsWorkbook::BeginWorkbook() { WriteHeadRecords(head_); }

void TxlsWorkbook::WriteHeadRecords(TbiffSink& sink) {
  WriteBof(buffer_, sink, 0x0005);
  buffer_.Clear();
  const WideString product = WideString(kProductName) + u" " + kProductVersion;
  buffer_.Put16(static_cast<uint16_t>(product.size())).Put8(0);
  for (char16_t ch : product) buffer_.Put8(static_cast<uint8_t>(ch));
  while (buffer_.Length() < kWriteAccessSize) buffer_.Put8(0x20);
  buffer_.WriteRecord(sink, biff::kWriteAccess);
  WriteWordRecord(sink, biff::kCodePage, 0x04E4);
  WriteWordRecord(sink, biff::kDsf, 0);
  WriteWordRecord(sink, biff::kFnGroupCount, 14);
  for (uint16_t id : {biff::kWindowProtect, biff::kProtect, biff::kPassword, biff::kProt4Rev, biff::kProt4RevPass})
    WriteWordRecord(sink, id, 0);
  buffer_.Clear();
  buffer_.Put16(120).Put16(120).Put16(23820).Put16(15720).Put16(0x0038).Put16(0).Put16(0).Put16(1).Put16(600);
  buffer_.WriteRecord(sink, biff::kWindow1);
  WriteWordRecord(sink, biff::kBackup, 0);
  WriteWordRecord(sink, biff::kHideObj, 0);
  WriteWordRecord(sink, biff::kDateMode, 0);
  WriteWordRecord(sink, biff::kPrecision, 1);
  WriteWordRecord(sink, biff::kRefreshAll, 0);
  WriteWordRecord(sink, biff::kBookBool, 0);
}

void TxlsWorkbook::WriteHeaderFooter(TbiffSink& sink, uint16_t id, WideStringView text) {
  const WideString cut = CutText(text, kMaxHeaderFooter);
  buffer_.Clear();
  if (!cut.empty()) buffer_.Put16(static_cast<uint16_t>(cut.size())).Put8(1).PutUtf16(cut);
  buffer_.WriteRecord(sink, id);
}

void TxlsWorkbook::BeginSheet(int sheetIndex, WideStringView title, const TxlsSheetHead& head) {
  TbiffSink& sink = *body_;
  TxlsBoundSheet sheet;
  sheet.SheetIndex = sheetIndex;
  sheet.Title = SafeSheetTitle(title);
  sheet.BofPosition = sink.Position();
  WriteBof(buffer_, sink, 0x0010);
  WriteWordRecord(sink, biff::kCalcMode, 1);
  WriteWordRecord(sink, biff::kCalcCount, 100);
  WriteWordRecord(sink, biff::kRefMode, 1);
  WriteWordRecord(sink, biff::kIteration, 0);
  buffer_.Clear();
  buffer_.PutDouble(0.001);
  buffer_.WriteRecord(sink, biff::kDelta);
  WriteWordRecord(sink, biff::kSaveRecalc, 1);
  WriteWordRecord(sink, biff::kPrintHeaders, 0);
  WriteWordRecord(sink, biff::kPrintGridlines, 0);
  WriteWordRecord(sink, biff::kGridSet, 1);
  buffer_.Clear();
  buffer_.PutZeros(8);
  buffer_.WriteRecord(sink, biff::kGuts);
  WriteWordRecord(sink, biff::kDefColWidth, static_cast<uint16_t>(std::clamp(head.DefColWidth, 0, 255)));
  buffer_.Clear();
  buffer_.Put16(0).Put16(static_cast<uint16_t>(std::clamp(head.DefRowHeight * 20, 0.0, 8191.0)));
  buffer_.WriteRecord(sink, biff::kDefaultRowHeight);
  WriteWordRecord(sink, biff::kWsBool, 0x04C1);
  WriteHeaderFooter(sink, biff::kHeader, head.PageHeader);
  WriteHeaderFooter(sink, biff::kFooter, head.PageFooter);
  WriteWordRecord(sink, biff::kHCenter, 0);
  WriteWordRecord(sink, biff::kVCenter, 0);
  std::vector<std::pair<uint16_t, uint16_t>> widths = head.ColumnWidths;
  std::sort(widths.begin(), widths.end());
  sheet.ColInfoPosition = sink.Position();
  for (const auto& [column, width] : widths) {
    buffer_.Clear();
    buffer_.Put16(column).Put16(column).Put16(width).Put16(TxlsFormatTables::kDefaultXF).Put16(0).Put8(0);
    buffer_.WriteRecord(sink, biff::kColInfo);
    sheet.ColInfoColumns.push_back(column);
  }
  if (!head.Background.empty()) WriteBackground(sink, head.Background);
  sheet.DimensionsPosition = sink.Position();
  buffer_.Clear();
  buffer_.PutZeros(14);
  buffer_.WriteRecord(sink, biff::kDimensions);
  boundSheets_.push_back(std::move(sheet));
  inSheet_ = true;
}

void TxlsWorkbook::RewriteColumnWidths(const std::vector<std::pair<uint16_t, uint16_t>>& widths) {
  if (!inSheet_) return;
  const TxlsBoundSheet& sheet = boundSheets_.back();
  constexpr size_t kColInfoSize = 4 + 11;
  for (const auto& [column, width] : widths) {
    auto found = std::find(sheet.ColInfoColumns.begin(), sheet.ColInfoColumns.end(), column);
    if (found == sheet.ColInfoColumns.end()) continue;
    const uint64_t at = sheet.ColInfoPosition + static_cast<uint64_t>(found - sheet.ColInfoColumns.begin()) * kColInfoSize + 8;
    const uint8_t bytes[2] = {Low(width), High(width)};
    body_->Patch(at, bytes, sizeof bytes);
  }
}

// The first piece holds 8200 bytes of the data, every CONTINUE at most 8212.
void TxlsWorkbook::WriteBackground(TbiffSink& sink, const std::string& data) {
  constexpr size_t kFirst = 8200;
  constexpr size_t kNext = 8212;
  size_t piece = std::min(data.size(), kFirst);
  WriteRecordHeader(sink, biff::kBitmap, static_cast<uint16_t>(piece));
  sink.WriteBytes(data.data(), piece);
  for (size_t at = piece; at < data.size(); at += piece) {
    piece = std::min(data.size() - at, kNext);
    WriteRecordHeader(sink, biff::kContinue, static_cast<uint16_t>(piece));
    sink.WriteBytes(data.data() + at, piece);
  }
}

void TxlsWorkbook::EndSheet(bool selected, const TxlsSheetTail& tail) {
  if (!inSheet_) return;
  TbiffSink& sink = *body_;
  if (tail.BeforeWindow) tail.BeforeWindow(sink);
  buffer_.Clear();
  const uint16_t options = selected ? kWindow2Options : static_cast<uint16_t>(kWindow2Options & ~kWindow2SelectedAndShown);
  buffer_.Put16(options).Put16(0).Put16(0).PutZeros(12);
  buffer_.WriteRecord(sink, biff::kWindow2);
  buffer_.Clear();
  buffer_.Put8(3).Put16(0).Put16(0).Put16(0).Put16(1).PutZeros(7);
  buffer_.WriteRecord(sink, biff::kSelection);
  if (tail.AfterSelection) tail.AfterSelection(sink);
  WriteEmptyRecord(sink, biff::kEof);
  inSheet_ = false;
}

void TxlsWorkbook::WriteCell(uint16_t id, int row, int col, uint16_t xf, const uint8_t* extra, size_t extraSize) {
  if (!inSheet_) throw Exception("A cell was written outside a sheet");
  if (row < 0 || row >= kMaxRows || col < 0 || col >= kMaxColumns)
    throw Exception("A cell lies outside the sheet (row " + std::to_string(row + 1) + ", column " +
                    std::to_string(col + 1) + ")");
  uint8_t record[4 + 6 + 32];
  const size_t length = 6 + extraSize;
  record[0] = Low(id);
  record[1] = High(id);
  record[2] = Low(static_cast<uint32_t>(length));
  record[3] = High(static_cast<uint32_t>(length));
  record[4] = Low(static_cast<uint32_t>(row));
  record[5] = High(static_cast<uint32_t>(row));
  record[6] = Low(static_cast<uint32_t>(col));
  record[7] = High(static_cast<uint32_t>(col));
  record[8] = Low(xf);
  record[9] = High(xf);
  if (extraSize > 0) std::memcpy(record + 10, extra, extraSize);
  body_->WriteBytes(record, 4 + length);
  // The sheet being written: a continued sheet shares its index with the
  // sheets before it.
  if (!extentsFrozen_) boundSheets_.back().Include(row, col);
}

void TxlsWorkbook::WriteBlank(int row, int col, uint16_t xf) { WriteCell(biff::kBlank, row, col, xf, nullptr, 0); }

void TxlsWorkbook::WriteNumber(int row, int col, uint16_t xf, double value) {
  const uint64_t bits = std::bit_cast<uint64_t>(value);
  uint8_t data[8];
  for (int i = 0; i < 8; ++i) data[i] = static_cast<uint8_t>((bits >> (8 * i)) & 0xFF);
  WriteCell(biff::kNumber, row, col, xf, data, sizeof data);
}

void TxlsWorkbook::WriteBoolean(int row, int col, uint16_t xf, bool value) {
  const uint8_t data[2] = {static_cast<uint8_t>(value ? 1 : 0), 0};
  WriteCell(biff::kBoolErr, row, col, xf, data, sizeof data);
}

void TxlsWorkbook::WriteText(int row, int col, uint16_t xf, WideStringView text) {
  const uint32_t index = sst_->AddString(text);
  const uint8_t data[4] = {Low(index), High(index), Low(index >> 16), High(index >> 16)};
  WriteCell(biff::kLabelSst, row, col, xf, data, sizeof data);
}

void TxlsWorkbook::WriteFormula(int row, int col, uint16_t xf, TxlsFormulaFunction function, int firstRow,
                                int lastRow, double cachedResult) {
  uint8_t data[29] = {};
  const uint64_t bits = std::bit_cast<uint64_t>(std::isfinite(cachedResult) ? cachedResult : 0.0);
  for (int i = 0; i < 8; ++i) data[i] = static_cast<uint8_t>((bits >> (8 * i)) & 0xFF);
  data[8] = 0x02;  // calculate on load
  data[14] = 13;   // formula length
  uint8_t* token = data + 16;
  token[0] = 0x25;  // tArea
  token[1] = Low(static_cast<uint32_t>(firstRow));
  token[2] = High(static_cast<uint32_t>(firstRow));
  token[3] = Low(static_cast<uint32_t>(lastRow));
  token[4] = High(static_cast<uint32_t>(lastRow));
  token[5] = Low(static_cast<uint32_t>(col));
  token[6] = 0xC0;
  token[7] = Low(static_cast<uint32_t>(col));
  token[8] = 0xC0;
  token[9] = 0x42;  // tFuncVar
  token[10] = 1;
  token[11] = Low(static_cast<uint16_t>(function));
  token[12] = High(static_cast<uint16_t>(function));
  WriteCell(biff::kFormula, row, col, xf, data, sizeof data);
}

std::string TxlsWorkbook::BuildGlobalsBlock(const TSpreadsheetPatternContext& patterns) {
  TbiffMemorySink block;
  formats_.WriteRecords(block, [&patterns](const WideString& pattern) { return ExcelNumberFormat(pattern, patterns); });
  for (TxlsBoundSheet& sheet : boundSheets_) {
    sheet.BoundSheetPosition = block.Bytes().size();
    buffer_.Clear();
    buffer_.Put32(0).Put8(0).Put8(0).Put8(static_cast<uint8_t>(sheet.Title.size())).Put8(1).PutUtf16(sheet.Title);
    buffer_.WriteRecord(block, biff::kBoundSheet);
  }
  buffer_.Clear();
  buffer_.Put16(1).Put16(1);
  buffer_.WriteRecord(block, biff::kCountry);
  if (externSheets_) WriteExternSheets(block);
  if (!drawingGroup_.empty()) {
    TbiffRecord group(biff::kMsoDrawingGroup, std::vector<uint8_t>(drawingGroup_.begin(), drawingGroup_.end()));
    group.SaveToStream(block);
  }
  return std::move(block.Bytes());
}

// One reference per worksheet written, in writing order.
void TxlsWorkbook::WriteExternSheets(TbiffSink& sink) {
  const size_t count = std::min<size_t>(boundSheets_.size(), 1300);
  buffer_.Clear();
  buffer_.Put16(static_cast<uint16_t>(count)).Put16(0x0401);
  buffer_.WriteRecord(sink, biff::kSupBook);
  buffer_.Clear();
  buffer_.Put16(static_cast<uint16_t>(count));
  for (size_t i = 0; i < count; ++i) buffer_.Put16(0).Put16(static_cast<uint16_t>(i)).Put16(static_cast<uint16_t>(i));
  buffer_.WriteRecord(sink, biff::kExternSheet);
}

void TxlsWorkbook::WriteGlobals(const TSpreadsheetPatternContext& patterns) {
  if (inSheet_) EndSheet(boundSheets_.size() == 1);
  for (const TxlsBoundSheet& sheet : boundSheets_) {
    if (sheet.FirstRow < 0 || sheet.LastRow < 0 || sheet.FirstCol < 0 || sheet.LastCol < 0) continue;
    buffer_.Clear();
    buffer_.Put32(static_cast<uint32_t>(sheet.FirstRow)).Put32(static_cast<uint32_t>(sheet.LastRow + 1));
    buffer_.Put16(static_cast<uint16_t>(sheet.FirstCol)).Put16(static_cast<uint16_t>(sheet.LastCol + 1));
    body_->Patch(sheet.DimensionsPosition + 4, buffer_.Data(), 12);
  }
  std::string globals = head_.Bytes() + BuildGlobalsBlock(patterns);
  const uint64_t sstSize = sst_->RecordBytes();
  const std::string tail = GlobalsTail(globals.size() + sstSize);
  const uint64_t globalsSize = globals.size() + sstSize + tail.size();
  const size_t headSize = head_.Bytes().size();
  for (const TxlsBoundSheet& sheet : boundSheets_) {
    const uint64_t offset = globalsSize + sheet.BofPosition;
    if (offset > 0xFFFFFFFFull)
      throw Exception(WideString(kWriteError) + u": the workbook passes the 4 GB a workbook can address");
    const size_t at = headSize + sheet.BoundSheetPosition + 4;
    for (int i = 0; i < 4; ++i) globals[at + static_cast<size_t>(i)] = static_cast<char>((offset >> (8 * i)) & 0xFF);
  }
  THeadSink sink(*file_);
  sink.WriteBytes(globals.data(), globals.size());
  sst_->SaveToStream(sink);
  sink.WriteBytes(tail.data(), tail.size());
  try {
    file_->Finish();
  } catch (const Exception& error) {
    throw WriteError(error);
  }
}

}  // namespace verimo
