#include "platform/jet/TableDefinition.h"

#include <algorithm>

#include "core/Exception.h"

namespace verimo::jet {
namespace {

[[noreturn]] void Malformed(const char* what) {
  throw Exception(std::string("The table definition is not one this writer understands (") + what + ").");
}

bool IsKnownType(uint8_t type) {
  switch (static_cast<ColumnType>(type)) {
    case ColumnType::Boolean:
    case ColumnType::Byte:
    case ColumnType::Integer:
    case ColumnType::Long:
    case ColumnType::Currency:
    case ColumnType::Double:
    case ColumnType::DateTime:
    case ColumnType::Binary:
    case ColumnType::Text:
    case ColumnType::Ole:
    case ColumnType::Memo:
      return true;
  }
  return false;
}

bool IsTextual(ColumnType type) { return type == ColumnType::Text || type == ColumnType::Memo; }

void AppendName(ByteVector& out, const WideString& name) {
  AppendU16(out, static_cast<uint16_t>(name.size() * 2));
  for (char16_t ch : name) AppendU16(out, ch);
}

void AppendColumnDescriptor(ByteVector& out, const Column& column) {
  AppendU8(out, static_cast<uint8_t>(column.type));
  AppendU32(out, kMagicTableNumber);
  AppendU16(out, column.number);
  AppendU16(out, column.IsFixed() ? 0 : column.varIndex);
  AppendU16(out, column.number);
  if (IsTextual(column.type)) {
    AppendU16(out, kGeneralSortOrder);
    AppendU8(out, 0);
    AppendU8(out, 0);  // sort order version: General (legacy)
  } else {
    AppendU32(out, 0);
  }
  AppendU8(out, column.flags);
  AppendU8(out, column.extFlags);
  AppendU32(out, 0);
  AppendU16(out, column.IsFixed() ? column.fixedOffset : 0);
  AppendU16(out, column.IsLongValue() ? 0 : column.length);
}

// Reads the stream with bounds checks.
class StreamReader {
 public:
  explicit StreamReader(std::span<const uint8_t> data) : data_(data) {}
  void Seek(size_t position) {
    if (position > data_.size()) Malformed("it ends early");
    position_ = position;
  }
  size_t Position() const { return position_; }
  const uint8_t* Take(size_t size) {
    if (position_ + size > data_.size()) Malformed("it ends early");
    const uint8_t* p = data_.data() + position_;
    position_ += size;
    return p;
  }
  uint16_t U16() { return GetU16(Take(2)); }
  uint32_t U32() { return GetU32(Take(4)); }

 private:
  std::span<const uint8_t> data_;
  size_t position_ = 0;
};

}  // namespace

bool IsFixedLength(ColumnType type) {
  return type != ColumnType::Text && type != ColumnType::Binary && !IsLongValue(type);
}

bool IsLongValue(ColumnType type) { return type == ColumnType::Memo || type == ColumnType::Ole; }

uint16_t FixedSize(ColumnType type) {
  switch (type) {
    case ColumnType::Boolean: return 0;
    case ColumnType::Byte: return 1;
    case ColumnType::Integer: return 2;
    case ColumnType::Long: return 4;
    case ColumnType::Currency:
    case ColumnType::Double:
    case ColumnType::DateTime: return 8;
    default: return 0;
  }
}

uint16_t TableDefinition::VariableColumnCount() const {
  return static_cast<uint16_t>(std::count_if(columns.begin(), columns.end(), [](const Column& c) { return !c.IsFixed(); }));
}

uint16_t TableDefinition::FixedAreaSize() const {
  uint16_t size = 0;
  for (const Column& column : columns)
    if (column.IsFixed()) size = std::max<uint16_t>(size, column.fixedOffset + FixedSize(column.type));
  return size;
}

std::vector<const Column*> TableDefinition::LongValueColumns() const {
  std::vector<const Column*> result;
  for (const Column& column : columns)
    if (column.IsLongValue()) result.push_back(&column);
  return result;
}

TableDefinition LayoutTable(const std::vector<ColumnSpec>& specs, bool isSystem) {
  if (specs.empty() || specs.size() > kMaxColumnsPerTable)
    throw Exception("A table needs between 1 and 255 columns.");
  TableDefinition definition;
  definition.isSystem = isSystem;
  uint16_t fixedOffset = 0;
  uint16_t varIndex = 0;
  for (size_t i = 0; i < specs.size(); ++i) {
    const ColumnSpec& columnSpec = specs[i];
    Column column;
    column.name = columnSpec.name;
    column.type = columnSpec.type;
    column.number = static_cast<uint16_t>(i);
    column.length = column.IsFixed() ? FixedSize(columnSpec.type) : (column.IsLongValue() ? 0 : columnSpec.length);
    column.flags = static_cast<uint8_t>(kColumnUpdatableFlag | columnSpec.extraFlags | (column.IsFixed() ? kColumnFixedFlag : 0));
    column.extFlags = IsTextual(columnSpec.type) ? kColumnCompressedUnicodeFlag : 0;
    if (column.IsFixed()) {
      column.fixedOffset = fixedOffset;
      fixedOffset = static_cast<uint16_t>(fixedOffset + FixedSize(columnSpec.type));
    } else {
      column.varIndex = varIndex++;
    }
    definition.columns.push_back(std::move(column));
  }
  for (const Column& column : definition.columns) definition.descriptorOrder.push_back(column.number);
  if (isSystem)
    std::sort(definition.descriptorOrder.begin(), definition.descriptorOrder.end(), [&](uint16_t a, uint16_t b) {
      return definition.columns[a].name < definition.columns[b].name;
    });
  for (const Column* column : definition.LongValueColumns())
    definition.longValueMaps.push_back({column->number, {}, {}});
  return definition;
}

ByteVector EncodeTableDefinition(const TableDefinition& definition) {
  ByteVector out(kTdefHeaderSize, 0);
  out[0] = kPageTypeTableDefinition;
  out[1] = 0x01;
  PutU32(out.data() + 12, kMagicTableNumber);
  PutU32(out.data() + kTdefRowCountOffset, definition.rowCount);
  out[24] = 0x01;
  out[kTdefTableTypeOffset] = definition.isSystem ? kTableTypeSystem : kTableTypeUser;
  const auto columnCount = static_cast<uint16_t>(definition.columns.size());
  PutU16(out.data() + kTdefMaxColumnsOffset, columnCount);
  PutU16(out.data() + kTdefVarColumnsOffset, definition.VariableColumnCount());
  PutU16(out.data() + kTdefColumnsOffset, columnCount);
  PutU32(out.data() + kTdefOwnedMapOffset, definition.ownedMap.Encode());
  PutU32(out.data() + kTdefFreeMapOffset, definition.freeMap.Encode());
  for (uint16_t number : definition.descriptorOrder) AppendColumnDescriptor(out, definition.columns.at(number));
  for (uint16_t number : definition.descriptorOrder) AppendName(out, definition.columns.at(number).name);
  for (const LongValueMaps& maps : definition.longValueMaps) {
    AppendU16(out, maps.columnNumber);
    AppendU32(out, maps.owned.Encode());
    AppendU32(out, maps.free.Encode());
  }
  AppendU16(out, kTdefEnd);
  PutU32(out.data() + kTdefLengthOffset, static_cast<uint32_t>(out.size()));
  return out;
}

TableDefinition DecodeTableDefinition(std::span<const uint8_t> stream) {
  StreamReader in(stream);
  const uint8_t* header = in.Take(kTdefHeaderSize);
  if (header[0] != kPageTypeTableDefinition) Malformed("wrong page type");
  TableDefinition definition;
  const uint8_t tableType = header[kTdefTableTypeOffset];
  if (tableType != kTableTypeUser && tableType != kTableTypeSystem) Malformed("unknown table type");
  definition.isSystem = tableType == kTableTypeSystem;
  definition.rowCount = GetU32(header + kTdefRowCountOffset);
  const uint16_t columnCount = GetU16(header + kTdefColumnsOffset);
  if (columnCount == 0 || columnCount > kMaxColumnsPerTable || GetU16(header + kTdefMaxColumnsOffset) != columnCount)
    Malformed("column count");
  if (GetU32(header + kTdefLogicalIndexesOffset) != 0 || GetU32(header + kTdefRealIndexesOffset) != 0)
    Malformed("it has indexes");
  definition.ownedMap = RowPointer::Decode(GetU32(header + kTdefOwnedMapOffset));
  definition.freeMap = RowPointer::Decode(GetU32(header + kTdefFreeMapOffset));

  definition.columns.resize(columnCount);
  std::vector<bool> seen(columnCount, false);
  for (uint16_t i = 0; i < columnCount; ++i) {
    const uint8_t* d = in.Take(kColumnDescriptorSize);
    if (!IsKnownType(d[0])) Malformed("unknown column type");
    const uint16_t number = GetU16(d + 5);
    if (number >= columnCount || seen[number] || GetU16(d + 9) != number) Malformed("column numbers");
    seen[number] = true;
    Column& column = definition.columns[number];
    column.type = static_cast<ColumnType>(d[0]);
    column.number = number;
    column.varIndex = GetU16(d + 7);
    column.flags = d[15];
    column.extFlags = d[16];
    column.fixedOffset = GetU16(d + 21);
    column.length = GetU16(d + 23);
    definition.descriptorOrder.push_back(number);
  }
  for (uint16_t number : definition.descriptorOrder) {
    const uint16_t nameBytes = in.U16();
    if (nameBytes % 2 != 0 || nameBytes > 128) Malformed("column name");
    const uint8_t* p = in.Take(nameBytes);
    for (uint16_t i = 0; i < nameBytes; i += 2) definition.columns[number].name.push_back(static_cast<char16_t>(GetU16(p + i)));
  }
  for (;;) {
    const uint16_t number = in.U16();
    if (number == kTdefEnd) break;
    LongValueMaps maps;
    maps.columnNumber = number;
    maps.owned = RowPointer::Decode(in.U32());
    maps.free = RowPointer::Decode(in.U32());
    definition.longValueMaps.push_back(maps);
  }
  if (GetU32(header + kTdefLengthOffset) != in.Position()) Malformed("length");
  return definition;
}

uint32_t TableDefinitionPageCount(size_t size) {
  if (size <= kPageSize) return 1;
  const size_t perPage = kPageSize - kTdefContinuationHeaderSize;
  return static_cast<uint32_t>(1 + (size - kPageSize + perPage - 1) / perPage);
}

std::vector<Page> SplitTableDefinition(const ByteVector& stream, const std::vector<uint32_t>& pageNumbers) {
  if (pageNumbers.size() != TableDefinitionPageCount(stream.size()))
    throw Exception("Internal error: wrong number of table definition pages.");
  std::vector<Page> pages(pageNumbers.size());
  size_t position = 0;
  for (size_t i = 0; i < pages.size(); ++i) {
    Page& page = pages[i];
    page.fill(0);
    const size_t start = i == 0 ? 0 : kTdefContinuationHeaderSize;
    const size_t size = std::min(kPageSize - start, stream.size() - position);
    std::copy_n(stream.begin() + static_cast<ptrdiff_t>(position), size, page.begin() + static_cast<ptrdiff_t>(start));
    position += size;
    page[0] = kPageTypeTableDefinition;
    page[1] = 0x01;
    const size_t unused = kPageSize - start - size;
    PutU16(page.data() + 2, static_cast<uint16_t>(unused >= 8 ? unused - 8 : 0));
    PutU32(page.data() + 4, i + 1 < pages.size() ? pageNumbers[i + 1] : 0);
  }
  return pages;
}

}  // namespace verimo::jet
