#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "core/WideString.h"
#include "platform/jet/JetFormat.h"

namespace verimo::jet {

enum class ColumnType : uint8_t {
  Boolean = 0x01,
  Byte = 0x02,
  Integer = 0x03,  // 16 bits
  Long = 0x04,
  Currency = 0x05,
  Double = 0x07,
  DateTime = 0x08,
  Binary = 0x09,
  Text = 0x0a,
  Ole = 0x0b,
  Memo = 0x0c,
};

// Column flag bits of a table definition.
constexpr uint8_t kColumnFixedFlag = 0x01;
constexpr uint8_t kColumnUpdatableFlag = 0x02;
constexpr uint8_t kColumnSystemFlag = 0x10;
constexpr uint8_t kColumnSecurityIdFlag = 0x20;
constexpr uint8_t kColumnCompressedUnicodeFlag = 0x01;  // extended flags

bool IsFixedLength(ColumnType type);
bool IsLongValue(ColumnType type);
// Bytes a fixed-length value occupies in a row (0 for Boolean, which lives
// in the null mask).
uint16_t FixedSize(ColumnType type);

// What a caller asks for; `length` is in bytes for Text and Binary.
struct ColumnSpec {
  WideString name;
  ColumnType type = ColumnType::Long;
  uint16_t length = 0;
  uint8_t extraFlags = 0;
};

struct Column {
  WideString name;
  ColumnType type = ColumnType::Long;
  uint16_t length = 0;
  uint16_t number = 0;
  uint16_t varIndex = 0;
  uint16_t fixedOffset = 0;
  uint8_t flags = 0;
  uint8_t extFlags = 0;

  bool IsFixed() const { return IsFixedLength(type); }
  bool IsLongValue() const { return jet::IsLongValue(type); }
  friend bool operator==(const Column&, const Column&) = default;
};

// Where the usage maps of one long-value column live.
struct LongValueMaps {
  uint16_t columnNumber = 0;
  RowPointer owned;
  RowPointer free;
  friend bool operator==(const LongValueMaps&, const LongValueMaps&) = default;
};

struct TableDefinition {
  bool isSystem = false;
  std::vector<Column> columns;           // by column number
  std::vector<uint16_t> descriptorOrder;  // column numbers in stored order
  uint32_t rowCount = 0;
  RowPointer ownedMap;
  RowPointer freeMap;
  std::vector<LongValueMaps> longValueMaps;  // by column number

  uint16_t VariableColumnCount() const;
  uint16_t FixedAreaSize() const;
  std::vector<const Column*> LongValueColumns() const;
  friend bool operator==(const TableDefinition&, const TableDefinition&) = default;
};

// Numbers the columns in the given order and lays out their row storage;
// system tables store their descriptors sorted by name, as Access does.
TableDefinition LayoutTable(const std::vector<ColumnSpec>& specs, bool isSystem);

// The table definition as one logical byte stream (the first page's header
// included) and back. Decoding raises verimo::Exception on anything this
// writer would not have produced (indexes, unknown types, bad lengths).
ByteVector EncodeTableDefinition(const TableDefinition& definition);
TableDefinition DecodeTableDefinition(std::span<const uint8_t> stream);

// Pages a definition stream of `size` bytes needs, and the pages
// themselves, linked in the order of `pageNumbers`.
uint32_t TableDefinitionPageCount(size_t size);
std::vector<Page> SplitTableDefinition(const ByteVector& stream, const std::vector<uint32_t>& pageNumbers);

}  // namespace verimo::jet
