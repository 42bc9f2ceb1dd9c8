#pragma once

#include <span>
#include <vector>

#include "core/Variant.h"
#include "platform/jet/TableDefinition.h"

namespace verimo::jet {

// What a row stores for one column: nothing (null), the Boolean bit, the
// fixed-size value bytes, or the variable bytes (for long values the
// reference, possibly with the value inline).
struct StoredCell {
  bool isNull = true;
  bool flag = false;
  ByteVector bytes;

  static StoredCell Null() { return {}; }
  static StoredCell Bit(bool value) { return {false, value, {}}; }
  static StoredCell Data(ByteVector bytes) { return {false, false, std::move(bytes)}; }
};

// Encodes a value of the matching kind for a column that is not a long
// value: Boolean, Integer (Byte/Integer/Long, range checked), Double,
// Currency, DateTime, Text (length checked by the caller) or Bytes.
StoredCell StoreValue(const Column& column, const Variant& value);

// Bytes of the row for `cells` (one per column, by column number).
size_t EncodedRowSize(const TableDefinition& definition, const std::vector<StoredCell>& cells);
ByteVector EncodeRow(const TableDefinition& definition, const std::vector<StoredCell>& cells);

// The values of a stored row; long values come back as the bytes of their
// reference. Raises verimo::Exception on a malformed row.
std::vector<Variant> DecodeRow(const TableDefinition& definition, std::span<const uint8_t> row);

}  // namespace verimo::jet
