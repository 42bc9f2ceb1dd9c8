#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/DateTime.h"
#include "core/Variant.h"
#include "core/WideString.h"

namespace verimo::dbf {

constexpr int kHeaderSize = 32;
constexpr int kDescriptorSize = 32;
constexpr int kMaxCharacterLength = 254;
constexpr int kMemoFieldLength = 10;
constexpr int kMemoBlockSize = 512;
constexpr uint8_t kVersionPlain = 0x03;
constexpr uint8_t kVersionWithMemo = 0x83;
constexpr char kHeaderEnd = 0x0D;
constexpr char kFileEnd = 0x1A;

// One field descriptor of the table file.
struct TDBFField {
  std::string Name;  // at most ten bytes, upper case
  char Type = 'C';   // C, N, D, L or M
  int Length = 1;
  int Decimals = 0;
  int Displacement = 0;  // from the first byte after the deletion flag
};

// The 32-byte table header: version, date of the last update (year counted
// from 1900), record count, header and record lengths, language driver.
std::string HeaderBytes(uint8_t version, DateParts today, uint32_t recordCount, int fieldCount,
                        int recordLength, uint8_t languageDriver);
// The 32-byte descriptor of one field.
std::string DescriptorBytes(const TDBFField& field);

// The language-driver byte that names a code page, 0 where none does.
uint8_t LanguageDriverOf(int codePage);

// Field contents, appended to a record. Each writes exactly `length` bytes.
// A number right-aligned in spaces; "*"s across the field, and false, when
// it does not fit.
bool AppendNumber(std::string& record, std::string_view digits, int length);
// Text already encoded, left-aligned in spaces. A longer text is cut to the
// field; for UTF-8 bytes (`utf8`) at the last character boundary that fits.
void AppendCharacter(std::string& record, std::string_view encoded, int length, bool utf8);
// "yyyymmdd" of a date-time; eight spaces for years outside 1..9999.
void AppendDate(std::string& record, TDateTime value);
void AppendBlanks(std::string& record, int length);

// The plain "." notation of a number: integers as digits, doubles and
// currencies with `decimals` places (rounded half away from zero); false for
// values that are no finite number.
bool NumberText(const Variant& value, int decimals, std::string& digits);
// "T" for a text holding TRUE, "F" for one holding FALSE (case-insensitive),
// else a space.
char LogicalOfText(WideStringView text);

// The memo file's bytes for one value: the value, 1A 1A, zeros up to the
// next block boundary.
std::string MemoBlocks(std::string_view value);
// Blocks a value of `size` bytes occupies.
uint32_t MemoBlockCount(size_t size);

}  // namespace verimo::dbf
