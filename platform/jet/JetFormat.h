#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <span>
#include <string_view>
#include <vector>

// Constants and little-endian helpers of the Jet 4 (Access 2000) file format.
namespace verimo::jet {

using ByteVector = std::vector<uint8_t>;

constexpr uint32_t kPageSize = 4096;
using Page = std::array<uint8_t, kPageSize>;

// The file format caps a Jet 4 database at 2 GB.
constexpr uint32_t kMaxPageCount = 0x80000000u / kPageSize;

// The database header (page 0): the engine's name and version, and
// offsets in the page.
constexpr std::string_view kEngineName = "Standard Jet DB";
constexpr uint8_t kJet4Version = 0x01;
constexpr uint32_t kHeaderVersionOffset = 0x14;
constexpr uint32_t kHeaderMaskStart = 0x18;
constexpr uint32_t kHeaderCodePageOffset = 0x3c;
constexpr uint32_t kHeaderEncryptionKeyOffset = 0x3e;
constexpr uint32_t kHeaderPasswordOffset = 0x42;
constexpr uint32_t kHeaderSortOrderOffset = 0x6e;
constexpr uint32_t kHeaderCreationDateOffset = 0x72;
constexpr uint32_t kHeaderCommitTableOffset = 0xe00;

// Page types (first byte of every page).
constexpr uint8_t kPageTypeHeader = 0x00;
constexpr uint8_t kPageTypeData = 0x01;
constexpr uint8_t kPageTypeTableDefinition = 0x02;
constexpr uint8_t kPageTypeUsageBitmap = 0x05;

// Data pages: header, row-offset table, rows stored from the page end down.
constexpr uint32_t kDataPageOwnerOffset = 4;
constexpr uint32_t kDataPageRowCountOffset = 12;
constexpr uint32_t kDataPageFirstRowSlot = 14;
constexpr uint32_t kDataPageInitialFreeSpace = kPageSize - kDataPageFirstRowSlot;
constexpr uint32_t kMaxRowsPerDataPage = 255;
constexpr uint32_t kMaxRowSize = 4060;
constexpr uint16_t kRowOffsetMask = 0x1fff;
constexpr uint16_t kRowDeletedFlag = 0x4000;
constexpr uint16_t kRowOverflowFlag = 0x8000;
// The "owner" of a long-value page is this tag instead of a table page.
constexpr uint32_t kLongValuePageTag = 0x4c41564c;  // "LVAL"

// Long values (memo, OLE): a 12-byte reference, the value inline or in
// rows of LVAL pages.
constexpr uint32_t kLongValueReferenceSize = 12;
constexpr uint32_t kMaxInlineLongValueSize = 64;
constexpr uint32_t kMaxLongValueRowSize = 4076;
constexpr uint32_t kLongValueChunkSize = kMaxLongValueRowSize - 4;
constexpr uint32_t kLongValueInlineFlag = 0x80000000u;
constexpr uint32_t kLongValueSingleRowFlag = 0x40000000u;
// Readers take the length from the low three bytes.
constexpr uint32_t kMaxLongValueLength = 0x00ffffffu;

// Usage maps are 69-byte rows: a type byte, then a start page and a 64-byte
// bitmap (inline) or 17 pointers to bitmap pages (reference).
constexpr uint32_t kUsageMapRowSize = 69;
constexpr uint8_t kUsageMapInline = 0x00;
constexpr uint8_t kUsageMapReference = 0x01;
constexpr uint32_t kInlineMapPageSpan = 64 * 8;
constexpr uint32_t kReferenceMapSlots = (kUsageMapRowSize - 1) / 4;
constexpr uint32_t kBitmapPageSpan = (kPageSize - 4) * 8;

// Table definitions.
constexpr uint32_t kTdefHeaderSize = 63;
constexpr uint32_t kTdefContinuationHeaderSize = 8;
// Offsets in the first page of a table definition.
constexpr uint32_t kTdefLengthOffset = 8;
constexpr uint32_t kTdefRowCountOffset = 16;
constexpr uint32_t kTdefTableTypeOffset = 40;
constexpr uint32_t kTdefMaxColumnsOffset = 41;
constexpr uint32_t kTdefVarColumnsOffset = 43;
constexpr uint32_t kTdefColumnsOffset = 45;
constexpr uint32_t kTdefLogicalIndexesOffset = 47;
constexpr uint32_t kTdefRealIndexesOffset = 51;
constexpr uint32_t kTdefOwnedMapOffset = 55;
constexpr uint32_t kTdefFreeMapOffset = 59;
constexpr uint16_t kTdefEnd = 0xffff;
constexpr uint32_t kColumnDescriptorSize = 25;
constexpr uint32_t kMagicTableNumber = 0x0659;
constexpr uint8_t kTableTypeUser = 0x4e;
constexpr uint8_t kTableTypeSystem = 0x53;
constexpr uint32_t kMaxColumnsPerTable = 255;

constexpr uint16_t kGeneralSortOrder = 0x0409;

// The system catalog: the pages it starts on and the ids of the objects
// every database has.
constexpr uint32_t kGlobalMapPage = 1;
constexpr uint32_t kObjectsPage = 2;
constexpr uint32_t kGlobalMapOwner = 1;
constexpr int32_t kRootId = 0x0f000000;
constexpr int32_t kTablesContainerId = 0x0f000001;
constexpr int32_t kDatabasesContainerId = 0x0f000002;
constexpr int32_t kRelationshipsContainerId = 0x0f000003;
constexpr int32_t kDatabaseObjectId = 0x10000000;

inline uint16_t GetU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t GetU24(const uint8_t* p) { return p[0] | (p[1] << 8) | (static_cast<uint32_t>(p[2]) << 16); }
inline uint32_t GetU32(const uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline uint64_t GetU64(const uint8_t* p) {
  return GetU32(p) | (static_cast<uint64_t>(GetU32(p + 4)) << 32);
}
inline double GetDouble(const uint8_t* p) {
  const uint64_t bits = GetU64(p);
  double value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

inline void PutU16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
inline void PutU24(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
  p[2] = static_cast<uint8_t>(v >> 16);
}
inline void PutU32(uint8_t* p, uint32_t v) {
  PutU16(p, static_cast<uint16_t>(v));
  PutU16(p + 2, static_cast<uint16_t>(v >> 16));
}
inline void PutU64(uint8_t* p, uint64_t v) {
  PutU32(p, static_cast<uint32_t>(v));
  PutU32(p + 4, static_cast<uint32_t>(v >> 32));
}
inline void PutDouble(uint8_t* p, double v) {
  uint64_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  PutU64(p, bits);
}

// Appending little-endian values to a growing byte buffer.
inline void AppendU8(ByteVector& out, uint8_t v) { out.push_back(v); }
inline void AppendU16(ByteVector& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
inline void AppendU32(ByteVector& out, uint32_t v) {
  AppendU16(out, static_cast<uint16_t>(v));
  AppendU16(out, static_cast<uint16_t>(v >> 16));
}
inline void AppendBytes(ByteVector& out, std::span<const uint8_t> bytes) {
  out.insert(out.end(), bytes.begin(), bytes.end());
}

// A row on a page: page number in the upper three bytes, row number below.
struct RowPointer {
  uint32_t page = 0;
  uint8_t row = 0;

  uint32_t Encode() const { return (page << 8) | row; }
  static RowPointer Decode(uint32_t value) { return {value >> 8, static_cast<uint8_t>(value & 0xff)}; }
  friend bool operator==(RowPointer, RowPointer) = default;
};

}  // namespace verimo::jet
