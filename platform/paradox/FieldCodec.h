#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "core/Variant.h"

namespace verimo::paradox {

// Values of the fields stored in the record itself. Numbers are stored
// big-endian with the sign bit flipped, so that a blank (null) field is all
// zero bytes.

bool IsBlank(std::span<const uint8_t> bytes);

std::optional<int16_t> DecodeShort(std::span<const uint8_t> bytes);
std::optional<int32_t> DecodeLong(std::span<const uint8_t> bytes);
std::optional<double> DecodeDouble(std::span<const uint8_t> bytes);
std::optional<bool> DecodeLogical(std::span<const uint8_t> bytes);

// Dates count days from 1 January of year 1 (that day is 1). Days outside
// years 1 to 9999 (users can type year 0) decode as nothing, like a blank:
// no date-time can show them.
std::optional<TDateTime> DecodeDate(std::span<const uint8_t> bytes);
// Times count milliseconds since midnight (stored 0 is midnight, not blank).
std::optional<TDateTime> DecodeTime(std::span<const uint8_t> bytes);
// Timestamps count milliseconds since the start of day 0 of the date count;
// days outside years 1 to 9999 decode as nothing.
std::optional<TDateTime> DecodeTimestamp(std::span<const uint8_t> bytes);

// The day number a date ('D') or timestamp ('@') field holds when it lies
// outside years 1 to 9999; nothing for blank, in-range and other fields.
std::optional<int64_t> OutOfRangeDayNumber(char typeCode, std::span<const uint8_t> bytes);

// A BCD field is 17 bytes: the sign and the scale (up to kBcdDigits decimal
// places), then kBcdDigits digit nibbles.
constexpr size_t kBcdLength = 17;
constexpr int kBcdDigits = 32;

// The exact decimal text of a BCD field ("-12.50"); digits after
// the first nibble that is not a decimal digit count as zeros. Blank is
// nothing: all zero bytes, or a negative sign whose first digit nibble is
// not a digit once complemented (a blank field keeps its scale byte with
// the sign bit clear and zero digit bytes).
std::optional<std::string> DecodeBcdText(std::span<const uint8_t> bytes);
std::optional<double> DecodeBcd(std::span<const uint8_t> bytes);

// The bytes of an alpha field up to its first NUL; empty for a blank field.
std::string AlphaBytes(std::span<const uint8_t> bytes);

// A fixed-size field's value: null when blank, otherwise the kind that
// TField::Value documents for the type code. Alpha fields are decoded with
// `codePage`. Not for BLOB fields.
Variant DecodeFixedField(char typeCode, std::span<const uint8_t> bytes, int codePage);

}  // namespace verimo::paradox
