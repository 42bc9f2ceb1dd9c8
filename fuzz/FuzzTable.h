#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/StringList.h"
#include "core/Variant.h"
#include "platform/data/DataSet.h"
#include "platform/data/MemDataSet.h"

namespace verimo::fuzz {

// The exporter fuzzer's input: bytes that describe a table, which
// BuildFuzzTable turns into an in-memory dataset, and the export to run on
// it. Reading past the end gives zeros, so every input is a table.
//
//   u8  export type: an index into the built types, modulo their count
//   u8  options (kOption... bits)
//   u8  fields - 1 (at most 255 fields)
//   per field: u8 type (index into FuzzFieldTypes(), modulo), u8 size, text name
//   text header line, text footer line (used with kOptionHeaderFooter)
//   records while bytes remain: per field u8 tag (tag % 4 == 0: null;
//     tag % 4 == 1: a special value picked by tag / 4; else a literal)
//     followed by the literal: integers 8 bytes (cut to the field's
//     range), floats and dates 8 bytes of IEEE bits, Booleans 1 byte, texts
//     and bytes as below
//
// A text or byte string: u8 head; (head & 0x3F) units follow (UTF-16 code
// units as 2 bytes little endian, any value: lone surrogates and U+0000
// included; bytes as 1 byte). With head & 0x80 a u16 count of further units
// follows first. With head & 0x40 a u16 repeat count follows last: the
// units are repeated that many times times 16, up to kMaxTextUnits.
constexpr uint8_t kOptionNoCaptions = 0x01;
constexpr uint8_t kOptionHeaderFooter = 0x02;
constexpr uint8_t kOptionNotEmpty = 0x04;      // ExportEmpty off
constexpr uint8_t kOptionSkipOne = 0x08;       // SkipRecCount 1
constexpr uint8_t kOptionLimitTwo = 0x10;      // ExportRecCount 2
constexpr uint8_t kOptionDefaultFields = 0x20; // no field list: the exporter's own choice

constexpr size_t kMaxTextUnits = size_t{1} << 20;
constexpr size_t kMaxTotalUnits = size_t{4} << 20;
constexpr int kMaxRecords = 1000;
constexpr int kMaxCells = 20000;

// The field types a source may give, in the order the type byte indexes.
const std::vector<TFieldType>& FuzzFieldTypes();

struct TFuzzTable {
  uint8_t exportType = 0;
  uint8_t options = 0;
  std::unique_ptr<TMemDataSet> dataSet;
  TStringList header;
  TStringList footer;
};

// The table the bytes describe (open) and the choices around it.
TFuzzTable BuildFuzzTable(const uint8_t* data, size_t size);

// Writes the input that describes a table: the encoder of seeds.
class TFuzzTableWriter {
 public:
  TFuzzTableWriter(uint8_t exportType, uint8_t options);
  // Fields: a type outside FuzzFieldTypes() is written as a string field.
  void AddField(const WideString& name, TFieldType type, int size);
  // No header or footer lines; call once, after the fields.
  void EndFields();
  // A record's value of field `index`, in field order; null for blanks.
  void AddValue(int index, const Variant& value);

  const std::string& Bytes() const { return bytes_; }

 private:
  void Byte(uint8_t value) { bytes_.push_back(static_cast<char>(value)); }
  void Word64(uint64_t value);
  void Text(const WideString& text);
  void ByteString(const verimo::Bytes& bytes);

  std::vector<TFieldType> types_;
  std::string bytes_;
};

}  // namespace verimo::fuzz
