#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/NonCopyable.h"
#include "core/WideString.h"

namespace verimo {

// Record ids of the workbook stream.
namespace biff {
constexpr uint16_t kFormula = 0x0006;
constexpr uint16_t kEof = 0x000A;
constexpr uint16_t kCalcCount = 0x000C;
constexpr uint16_t kCalcMode = 0x000D;
constexpr uint16_t kPrecision = 0x000E;
constexpr uint16_t kRefMode = 0x000F;
constexpr uint16_t kDelta = 0x0010;
constexpr uint16_t kIteration = 0x0011;
constexpr uint16_t kProtect = 0x0012;
constexpr uint16_t kPassword = 0x0013;
constexpr uint16_t kHeader = 0x0014;
constexpr uint16_t kFooter = 0x0015;
constexpr uint16_t kWindowProtect = 0x0019;
constexpr uint16_t kSelection = 0x001D;
constexpr uint16_t kDateMode = 0x0022;
constexpr uint16_t kPrintHeaders = 0x002A;
constexpr uint16_t kPrintGridlines = 0x002B;
constexpr uint16_t kFont = 0x0031;
constexpr uint16_t kContinue = 0x003C;
constexpr uint16_t kWindow1 = 0x003D;
constexpr uint16_t kBackup = 0x0040;
constexpr uint16_t kCodePage = 0x0042;
constexpr uint16_t kDefColWidth = 0x0055;
constexpr uint16_t kWriteAccess = 0x005C;
constexpr uint16_t kSaveRecalc = 0x005F;
constexpr uint16_t kColInfo = 0x007D;
constexpr uint16_t kGuts = 0x0080;
constexpr uint16_t kWsBool = 0x0081;
constexpr uint16_t kGridSet = 0x0082;
constexpr uint16_t kHCenter = 0x0083;
constexpr uint16_t kVCenter = 0x0084;
constexpr uint16_t kBoundSheet = 0x0085;
constexpr uint16_t kCountry = 0x008C;
constexpr uint16_t kHideObj = 0x008D;
constexpr uint16_t kPalette = 0x0092;
constexpr uint16_t kFnGroupCount = 0x009C;
constexpr uint16_t kBookBool = 0x00DA;
constexpr uint16_t kXF = 0x00E0;
constexpr uint16_t kSst = 0x00FC;
constexpr uint16_t kLabelSst = 0x00FD;
constexpr uint16_t kDsf = 0x0161;
constexpr uint16_t kProt4Rev = 0x01AF;
constexpr uint16_t kRefreshAll = 0x01B7;
constexpr uint16_t kProt4RevPass = 0x01BC;
constexpr uint16_t kDimensions = 0x0200;
constexpr uint16_t kBlank = 0x0201;
constexpr uint16_t kNumber = 0x0203;
constexpr uint16_t kBoolErr = 0x0205;
constexpr uint16_t kDefaultRowHeight = 0x0225;
constexpr uint16_t kWindow2 = 0x023E;
constexpr uint16_t kStyle = 0x0293;
constexpr uint16_t kBof = 0x0809;
constexpr uint16_t kFormat = 0x041E;
constexpr uint16_t kNote = 0x001C;
constexpr uint16_t kExternSheet = 0x0017;
constexpr uint16_t kObj = 0x005D;
constexpr uint16_t kSetup = 0x00A1;
constexpr uint16_t kScl = 0x00A0;
constexpr uint16_t kPrintSize = 0x0033;
constexpr uint16_t kMergedCells = 0x00E5;
constexpr uint16_t kBitmap = 0x00E9;
constexpr uint16_t kMsoDrawingGroup = 0x00EB;
constexpr uint16_t kMsoDrawing = 0x00EC;
constexpr uint16_t kSupBook = 0x01AE;
constexpr uint16_t kTxo = 0x01B6;
constexpr uint16_t kHLink = 0x01B8;
constexpr uint16_t kHLinkTooltip = 0x0800;
// Record ids of a chart stream.
constexpr uint16_t kLineFormat = 0x1007;
constexpr uint16_t kAreaFormat = 0x100A;
constexpr uint16_t kSeriesText = 0x100D;
constexpr uint16_t kAxis = 0x101D;
constexpr uint16_t kTick = 0x101E;
constexpr uint16_t kText = 0x1025;
constexpr uint16_t kFrame = 0x1032;
constexpr uint16_t kBegin = 0x1033;
constexpr uint16_t kEnd = 0x1034;
constexpr uint16_t kPos = 0x104F;
constexpr uint16_t kAi = 0x1051;
// Fills the workbook globals up to a whole number of storage sectors, so
// that the worksheets written before them stay where they are in the file.
// No reader knows the id, so every reader passes over it.
constexpr uint16_t kFiller = 0x0035;

// The largest data of one record or CONTINUE piece that is written.
constexpr size_t kMaxRecordData = 8224;
// The piece size of buffered records split into CONTINUE records.
constexpr size_t kContinuePiece = 8220;
}  // namespace biff

// Where records go: the workbook stream or a block in memory.
class TbiffSink {
 public:
  virtual ~TbiffSink() = default;
  virtual void WriteBytes(const void* data, size_t size) = 0;
  virtual uint64_t Position() const = 0;
};

class TbiffMemorySink : public TbiffSink {
 public:
  void WriteBytes(const void* data, size_t size) override;
  uint64_t Position() const override { return bytes_.size(); }
  std::string& Bytes() { return bytes_; }
  const std::string& Bytes() const { return bytes_; }

 private:
  std::string bytes_;
};

// The scratch buffer records are composed in. Every write is bounds-checked:
// a record that would outgrow the buffer raises verimo::Exception.
class TbiffBuffer {
 public:
  TbiffBuffer() : data_(biff::kMaxRecordData) {}

  void Clear() { length_ = 0; }
  size_t Length() const { return length_; }
  const uint8_t* Data() const { return data_.data(); }

  TbiffBuffer& Put8(uint8_t value);
  TbiffBuffer& Put16(uint16_t value);
  TbiffBuffer& Put32(uint32_t value);
  TbiffBuffer& PutDouble(double value);
  TbiffBuffer& PutZeros(size_t count);
  TbiffBuffer& PutBytes(const void* data, size_t size);
  // UTF-16LE code units.
  TbiffBuffer& PutUtf16(WideStringView text);
  // Overwrites a 16-bit value written before.
  void Set16(size_t at, uint16_t value);

  // Header (id, length) and the buffer's bytes.
  void WriteRecord(TbiffSink& sink, uint16_t id) const;

 private:
  uint8_t* Reserve(size_t size);

  std::vector<uint8_t> data_;
  size_t length_ = 0;
};

// Writes a record header.
void WriteRecordHeader(TbiffSink& sink, uint16_t id, uint16_t length);
// A record with no data, or a 16-bit value.
void WriteEmptyRecord(TbiffSink& sink, uint16_t id);
void WriteWordRecord(TbiffSink& sink, uint16_t id, uint16_t value);

// A record that owns its data and may be longer than one record holds: it is
// then written as the record and CONTINUE records of at most 8220 bytes each.
class TbiffRecord : private TNonCopyable {
 public:
  TbiffRecord(uint16_t id, std::vector<uint8_t> data) : id_(id), data_(std::move(data)) {}
  virtual ~TbiffRecord() = default;

  uint16_t Id() const { return id_; }
  virtual size_t GetDataSize() const { return data_.size(); }
  // The bytes written, chained records included (CONTINUE headers not).
  size_t GetTotalSize() const;
  void SaveToStream(TbiffSink& sink) const;
  void ClearData();
  std::vector<uint8_t>& Data() { return data_; }
  const std::vector<uint8_t>& Data() const { return data_; }
  // A record written directly after this one and freed with it.
  void Chain(std::unique_ptr<TbiffRecord> next) { chained_ = std::move(next); }

 private:
  uint16_t id_;
  std::vector<uint8_t> data_;
  std::unique_ptr<TbiffRecord> chained_;
};

// Little-endian helpers over a record's owned data.
void Store16(std::vector<uint8_t>& data, size_t at, uint16_t value);
void Store32(std::vector<uint8_t>& data, size_t at, uint32_t value);

// The workbook's sheet titles: at most 31 characters, none of []:*?/\ (each
// replaced by "_"), never empty.
WideString SafeSheetTitle(WideStringView title);
// A text cut to at most `units` UTF-16 code units, never inside a
// surrogate pair.
WideString CutText(WideStringView text, size_t units);

}  // namespace verimo
