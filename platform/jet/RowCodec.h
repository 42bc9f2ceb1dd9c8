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
// value into `cell`, reusing its buffer: Boolean, Integer (Byte/Integer/Long,
// range checked), Double, Currency, DateTime, Text (length checked by the
// caller) or Bytes.
void StoreValue(const Column& column, const Variant& value, StoredCell& cell);

// Encodes the rows of one table into buffers it keeps, so that a row costs
// no allocation once they have grown. The definition must outlive it.
class RowEncoder {
 public:
  explicit RowEncoder(const TableDefinition& definition);

  // The cells of the next row, by column number.
  std::vector<StoredCell>& Cells() { return cells_; }
  // Bytes of the row the cells make.
  size_t EncodedSize() const;
  // The row; valid until the next call.
  std::span<const uint8_t> Encode();

 private:
  const TableDefinition& definition_;
  std::vector<const Column*> variableColumns_;  // by variable index
  size_t fixedAreaSize_ = 0;
  size_t nullMaskSize_ = 0;
  std::vector<StoredCell> cells_;
  ByteVector row_;
};

// The values of a stored row; long values come back as the bytes of their
// reference. Raises verimo::Exception on a malformed row.
std::vector<Variant> DecodeRow(const TableDefinition& definition, std::span<const uint8_t> row);

}  // namespace verimo::jet
