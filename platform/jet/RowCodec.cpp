#include "platform/jet/RowCodec.h"

#include <algorithm>
#include <limits>

#include "core/Exception.h"
#include "platform/jet/TextCodec.h"

namespace verimo::jet {
namespace {

size_t NullMaskSize(const TableDefinition& definition) { return (definition.columns.size() + 7) / 8; }

size_t VariableDataSize(const TableDefinition& definition, const std::vector<StoredCell>& cells) {
  size_t size = 0;
  for (const Column& column : definition.columns)
    if (!column.IsFixed() && !cells[column.number].isNull) size += cells[column.number].bytes.size();
  return size;
}

ByteVector IntegerBytes(int64_t value, int64_t low, int64_t high, size_t size) {
  if (value < low || value > high) throw Exception("Internal error: integer out of the column's range.");
  ByteVector bytes(size);
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(static_cast<uint64_t>(value) >> (8 * i));
  return bytes;
}

ByteVector EightBytes(uint64_t bits) {
  ByteVector bytes(8);
  PutU64(bytes.data(), bits);
  return bytes;
}

uint64_t DoubleBits(double value) {
  ByteVector bytes(8);
  PutDouble(bytes.data(), value);
  return GetU64(bytes.data());
}

[[noreturn]] void MalformedRow() { throw Exception("A stored row is not one this writer understands."); }

}  // namespace

StoredCell StoreValue(const Column& column, const Variant& value) {
  if (value.IsEmptyOrNull()) return StoredCell::Null();
  switch (column.type) {
    case ColumnType::Boolean: return StoredCell::Bit(value.AsBool());
    case ColumnType::Byte: return StoredCell::Data(IntegerBytes(value.AsInt(), 0, 255, 1));
    case ColumnType::Integer: return StoredCell::Data(IntegerBytes(value.AsInt(), -32768, 32767, 2));
    case ColumnType::Long:
      return StoredCell::Data(IntegerBytes(value.AsInt(), std::numeric_limits<int32_t>::min(),
                                           std::numeric_limits<int32_t>::max(), 4));
    case ColumnType::Currency: return StoredCell::Data(EightBytes(static_cast<uint64_t>(value.AsCurrency().scaled)));
    case ColumnType::Double: return StoredCell::Data(EightBytes(DoubleBits(value.AsDouble())));
    case ColumnType::DateTime: return StoredCell::Data(EightBytes(DoubleBits(value.AsDateTime())));
    case ColumnType::Text: return StoredCell::Data(EncodeText(value.AsText(), true));
    case ColumnType::Binary: return StoredCell::Data(value.AsBytes());
    case ColumnType::Memo:
    case ColumnType::Ole: break;
  }
  throw Exception("Internal error: long values are stored by the long-value writer.");
}

size_t EncodedRowSize(const TableDefinition& definition, const std::vector<StoredCell>& cells) {
  size_t size = 2 + definition.FixedAreaSize() + NullMaskSize(definition);
  const uint16_t varCount = definition.VariableColumnCount();
  if (varCount > 0) size += VariableDataSize(definition, cells) + 2 + 2 * varCount + 2;
  return size;
}

ByteVector EncodeRow(const TableDefinition& definition, const std::vector<StoredCell>& cells) {
  if (cells.size() != definition.columns.size()) throw Exception("Internal error: row has the wrong number of cells.");
  ByteVector row;
  row.reserve(EncodedRowSize(definition, cells));
  AppendU16(row, static_cast<uint16_t>(definition.columns.size()));
  row.resize(2 + definition.FixedAreaSize(), 0);
  std::vector<uint8_t> nullMask(NullMaskSize(definition), 0);
  auto markPresent = [&](uint16_t number) { nullMask[number / 8] |= static_cast<uint8_t>(1u << (number % 8)); };

  for (const Column& column : definition.columns) {
    const StoredCell& cell = cells[column.number];
    if (!column.IsFixed() || cell.isNull) continue;
    if (column.type == ColumnType::Boolean) {
      if (cell.flag) markPresent(column.number);
      continue;
    }
    if (cell.bytes.size() != FixedSize(column.type)) throw Exception("Internal error: fixed value of the wrong size.");
    std::copy(cell.bytes.begin(), cell.bytes.end(), row.begin() + 2 + column.fixedOffset);
    markPresent(column.number);
  }

  const uint16_t varCount = definition.VariableColumnCount();
  if (varCount > 0) {
    std::vector<uint16_t> offsets(varCount, 0);
    std::vector<const Column*> byIndex(varCount, nullptr);
    for (const Column& column : definition.columns)
      if (!column.IsFixed()) byIndex.at(column.varIndex) = &column;
    for (uint16_t index = 0; index < varCount; ++index) {
      offsets[index] = static_cast<uint16_t>(row.size());
      const StoredCell& cell = cells[byIndex[index]->number];
      if (cell.isNull) continue;
      AppendBytes(row, cell.bytes);
      markPresent(byIndex[index]->number);
    }
    AppendU16(row, static_cast<uint16_t>(row.size()));  // end of the variable data
    for (int index = varCount - 1; index >= 0; --index) AppendU16(row, offsets[static_cast<size_t>(index)]);
    AppendU16(row, varCount);
  }
  AppendBytes(row, nullMask);
  return row;
}

std::vector<Variant> DecodeRow(const TableDefinition& definition, std::span<const uint8_t> row) {
  const size_t columnCount = definition.columns.size();
  const size_t maskSize = NullMaskSize(definition);
  if (row.size() < 2 + maskSize || GetU16(row.data()) != columnCount) MalformedRow();
  const uint8_t* mask = row.data() + row.size() - maskSize;
  auto present = [&](uint16_t number) { return (mask[number / 8] >> (number % 8)) & 1; };
  const uint16_t varCount = definition.VariableColumnCount();
  const size_t fixedEnd = 2 + definition.FixedAreaSize();
  std::vector<uint16_t> starts;
  uint16_t dataEnd = 0;
  if (varCount > 0) {
    const size_t trailer = maskSize + 2 + 2 * varCount + 2;
    if (row.size() < fixedEnd + trailer) MalformedRow();
    const uint8_t* countAt = row.data() + row.size() - maskSize - 2;
    if (GetU16(countAt) != varCount) MalformedRow();
    for (uint16_t i = 0; i < varCount; ++i) starts.push_back(GetU16(countAt - 2 * (i + 1)));
    dataEnd = GetU16(countAt - 2 * (varCount + 1));
    if (dataEnd > row.size() - trailer) MalformedRow();
  } else if (row.size() < fixedEnd + maskSize) {
    MalformedRow();
  }

  std::vector<Variant> values(columnCount);
  for (const Column& column : definition.columns) {
    const bool isPresent = present(column.number);
    if (column.type == ColumnType::Boolean) {
      values[column.number] = Variant::FromBool(isPresent);
      continue;
    }
    if (!isPresent) {
      values[column.number] = Variant::Null();
      continue;
    }
    if (column.IsFixed()) {
      const uint8_t* p = row.data() + 2 + column.fixedOffset;
      switch (column.type) {
        case ColumnType::Byte: values[column.number] = Variant::FromInt(p[0]); break;
        case ColumnType::Integer: values[column.number] = Variant::FromInt(static_cast<int16_t>(GetU16(p))); break;
        case ColumnType::Long: values[column.number] = Variant::FromInt(static_cast<int32_t>(GetU32(p))); break;
        case ColumnType::Currency:
          values[column.number] = Variant::FromCurrency({static_cast<int64_t>(GetU64(p))});
          break;
        case ColumnType::Double: values[column.number] = Variant::FromDouble(GetDouble(p)); break;
        default: values[column.number] = Variant::FromDateTime(GetDouble(p)); break;
      }
      continue;
    }
    const uint16_t start = starts[column.varIndex];
    const uint16_t end = column.varIndex + 1u < varCount ? starts[column.varIndex + 1u] : dataEnd;
    if (start < fixedEnd || end < start || end > dataEnd) MalformedRow();
    std::span<const uint8_t> bytes = row.subspan(start, end - start);
    if (column.type == ColumnType::Text)
      values[column.number] = Variant::FromText(DecodeText(bytes));
    else
      values[column.number] = Variant::FromBytes(Bytes(bytes.begin(), bytes.end()));
  }
  return values;
}

}  // namespace verimo::jet
