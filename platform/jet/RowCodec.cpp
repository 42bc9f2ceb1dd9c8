#include "platform/jet/RowCodec.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "core/Exception.h"
#include "platform/jet/TextCodec.h"

namespace verimo::jet {
namespace {

size_t NullMaskSize(const TableDefinition& definition) { return (definition.columns.size() + 7) / 8; }

void PutInteger(StoredCell& cell, int64_t value, int64_t low, int64_t high, size_t size) {
  if (value < low || value > high) throw Exception("Internal error: integer out of the column's range.");
  cell.bytes.resize(size);
  for (size_t i = 0; i < size; ++i) cell.bytes[i] = static_cast<uint8_t>(static_cast<uint64_t>(value) >> (8 * i));
}

void PutEightBytes(StoredCell& cell, uint64_t bits) {
  cell.bytes.resize(8);
  PutU64(cell.bytes.data(), bits);
}

void PutDoubleBits(StoredCell& cell, double value) {
  cell.bytes.resize(8);
  PutDouble(cell.bytes.data(), value);
}

[[noreturn]] void MalformedRow() { throw Exception("A stored row is not one this writer understands."); }

}  // namespace

void StoreValue(const Column& column, const Variant& value, StoredCell& cell) {
  cell.flag = false;
  cell.isNull = value.IsEmptyOrNull();
  cell.bytes.clear();
  if (cell.isNull) return;
  switch (column.type) {
    case ColumnType::Boolean: cell.flag = value.AsBool(); return;
    case ColumnType::Byte: return PutInteger(cell, value.AsInt(), 0, 255, 1);
    case ColumnType::Integer: return PutInteger(cell, value.AsInt(), -32768, 32767, 2);
    case ColumnType::Long:
      return PutInteger(cell, value.AsInt(), std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max(), 4);
    case ColumnType::Currency: return PutEightBytes(cell, static_cast<uint64_t>(value.AsCurrency().scaled));
    case ColumnType::Double: return PutDoubleBits(cell, value.AsDouble());
    case ColumnType::DateTime: return PutDoubleBits(cell, value.AsDateTime());
    case ColumnType::Text: return AppendText(value.AsText(), true, cell.bytes);
    case ColumnType::Binary: cell.bytes.assign(value.AsBytes().begin(), value.AsBytes().end()); return;
    case ColumnType::Memo:
    case ColumnType::Ole: break;
  }
  throw Exception("Internal error: long values are stored by the long-value writer.");
}

RowEncoder::RowEncoder(const TableDefinition& definition)
    : definition_(definition),
      variableColumns_(definition.VariableColumnCount(), nullptr),
      fixedAreaSize_(definition.FixedAreaSize()),
      nullMaskSize_(NullMaskSize(definition)),
      cells_(definition.columns.size()) {
  for (const Column& column : definition.columns)
    if (!column.IsFixed()) variableColumns_.at(column.varIndex) = &column;
}

size_t RowEncoder::EncodedSize() const {
  size_t size = 2 + fixedAreaSize_ + nullMaskSize_;
  if (variableColumns_.empty()) return size;
  for (const Column* column : variableColumns_)
    if (!cells_[column->number].isNull) size += cells_[column->number].bytes.size();
  return size + 2 + 2 * variableColumns_.size() + 2;
}

std::span<const uint8_t> RowEncoder::Encode() {
  const size_t size = EncodedSize();
  row_.assign(size, 0);
  uint8_t* const row = row_.data();
  uint8_t* const nullMask = row + size - nullMaskSize_;
  auto markPresent = [&](uint16_t number) { nullMask[number / 8] |= static_cast<uint8_t>(1u << (number % 8)); };
  PutU16(row, static_cast<uint16_t>(definition_.columns.size()));

  for (const Column& column : definition_.columns) {
    const StoredCell& cell = cells_[column.number];
    if (!column.IsFixed() || cell.isNull) continue;
    if (column.type == ColumnType::Boolean) {
      if (cell.flag) markPresent(column.number);
      continue;
    }
    if (cell.bytes.size() != FixedSize(column.type)) throw Exception("Internal error: fixed value of the wrong size.");
    std::memcpy(row + 2 + column.fixedOffset, cell.bytes.data(), cell.bytes.size());
    markPresent(column.number);
  }

  const size_t varCount = variableColumns_.size();
  if (varCount > 0) {
    // The data, then its end, the start of each value from the last to the
    // first, and the count.
    size_t at = 2 + fixedAreaSize_;
    uint8_t* trailer = nullMask - 2;
    PutU16(trailer, static_cast<uint16_t>(varCount));
    for (const Column* column : variableColumns_) {
      trailer -= 2;
      PutU16(trailer, static_cast<uint16_t>(at));
      const StoredCell& cell = cells_[column->number];
      if (cell.isNull) continue;
      if (!cell.bytes.empty()) std::memcpy(row + at, cell.bytes.data(), cell.bytes.size());
      at += cell.bytes.size();
      markPresent(column->number);
    }
    PutU16(trailer - 2, static_cast<uint16_t>(at));
  }
  return row_;
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
