#include "platform/paradox/FieldCodec.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>

#include "platform/codepage/CodePage.h"

namespace verimo::paradox {

namespace {

// Day numbers of 1 January of year 1 and of 31 December 9999.
constexpr int64_t kFirstDayNumber = 1;
constexpr int64_t kLastDayNumber = 3652059;

bool InDateRange(int64_t dayNumber) { return dayNumber >= kFirstDayNumber && dayNumber <= kLastDayNumber; }

uint64_t BigEndian(std::span<const uint8_t> bytes) {
  uint64_t value = 0;
  for (uint8_t byte : bytes) value = (value << 8) | byte;
  return value;
}

// The stored integer with its sign bit restored.
uint64_t Unflipped(std::span<const uint8_t> bytes) {
  uint64_t signBit = uint64_t{1} << (bytes.size() * 8 - 1);
  return BigEndian(bytes) ^ signBit;
}

std::optional<int64_t> StoredInteger(std::span<const uint8_t> bytes, size_t expectedSize) {
  if (bytes.size() != expectedSize || IsBlank(bytes)) return std::nullopt;
  uint64_t raw = Unflipped(bytes);
  // Sign-extend from the field's width.
  unsigned shift = static_cast<unsigned>(64 - expectedSize * 8);
  return static_cast<int64_t>(raw << shift) >> shift;
}

int Nibble(std::span<const uint8_t> bytes, int index) {
  uint8_t byte = bytes[static_cast<size_t>(index / 2)];
  return index % 2 == 0 ? byte >> 4 : byte & 0x0F;
}

}  // namespace

bool IsBlank(std::span<const uint8_t> bytes) {
  return std::all_of(bytes.begin(), bytes.end(), [](uint8_t b) { return b == 0; });
}

std::optional<int16_t> DecodeShort(std::span<const uint8_t> bytes) {
  auto value = StoredInteger(bytes, 2);
  if (!value) return std::nullopt;
  return static_cast<int16_t>(*value);
}

std::optional<int32_t> DecodeLong(std::span<const uint8_t> bytes) {
  auto value = StoredInteger(bytes, 4);
  if (!value) return std::nullopt;
  return static_cast<int32_t>(*value);
}

std::optional<double> DecodeDouble(std::span<const uint8_t> bytes) {
  if (bytes.size() != 8 || IsBlank(bytes)) return std::nullopt;
  uint64_t raw = BigEndian(bytes);
  // Positive numbers have the sign bit set; negative ones are stored with
  // every bit inverted.
  raw = (raw & (uint64_t{1} << 63)) ? raw & ~(uint64_t{1} << 63) : ~raw;
  return std::bit_cast<double>(raw);
}

std::optional<bool> DecodeLogical(std::span<const uint8_t> bytes) {
  if (bytes.size() != 1 || bytes[0] == 0) return std::nullopt;
  return (bytes[0] ^ 0x80) != 0;
}

std::optional<TDateTime> DecodeDate(std::span<const uint8_t> bytes) {
  auto days = DecodeLong(bytes);
  if (!days || !InDateRange(*days)) return std::nullopt;
  return DayNumberToDateTime(*days);
}

std::optional<TDateTime> DecodeTime(std::span<const uint8_t> bytes) {
  auto milliseconds = DecodeLong(bytes);
  if (!milliseconds) return std::nullopt;
  return static_cast<double>(*milliseconds) / kMillisecondsPerDay;
}

namespace {

// The day of a stored timestamp; nothing when blank or not a number.
std::optional<double> TimestampDay(std::span<const uint8_t> bytes, double* milliseconds = nullptr) {
  auto stored = DecodeDouble(bytes);
  if (!stored || !std::isfinite(*stored)) return std::nullopt;
  if (milliseconds) *milliseconds = *stored;
  return std::floor(*stored / kMillisecondsPerDay);
}

}  // namespace

std::optional<TDateTime> DecodeTimestamp(std::span<const uint8_t> bytes) {
  double milliseconds = 0;
  auto days = TimestampDay(bytes, &milliseconds);
  if (!days || !InDateRange(static_cast<int64_t>(std::clamp(*days, -1e15, 1e15)))) return std::nullopt;
  double time = (milliseconds - *days * kMillisecondsPerDay) / kMillisecondsPerDay;
  return CombineDateTime(DayNumberToDateTime(static_cast<int64_t>(*days)), time);
}

std::optional<int64_t> OutOfRangeDayNumber(char typeCode, std::span<const uint8_t> bytes) {
  std::optional<int64_t> days;
  if (typeCode == 'D') {
    if (auto stored = DecodeLong(bytes)) days = *stored;
  } else if (typeCode == '@') {
    if (auto day = TimestampDay(bytes)) days = static_cast<int64_t>(std::clamp(*day, -1e15, 1e15));
  }
  if (!days || InDateRange(*days)) return std::nullopt;
  return days;
}

std::optional<std::string> DecodeBcdText(std::span<const uint8_t> bytes) {
  if (bytes.size() != kBcdLength || bytes[0] == 0) return std::nullopt;
  bool negative = (bytes[0] & 0x80) == 0;
  int decimals = std::min(bytes[0] & 0x3F, kBcdDigits);
  int flip = negative ? 0x0F : 0x00;
  if (negative && (Nibble(bytes, 2) ^ flip) > 9) return std::nullopt;
  // Nibbles 2..33 hold 32 digits, the last `decimals` of them after the point.
  int integralDigits = kBcdDigits - decimals;
  std::string text;
  bool valid = true;
  bool zero = true;
  for (int i = 0; i < kBcdDigits; ++i) {
    int digit = Nibble(bytes, i + 2) ^ flip;
    if (digit > 9) valid = false;
    if (!valid) digit = 0;
    if (digit != 0) zero = false;
    if (i == integralDigits) {
      if (text.empty()) text.push_back('0');
      text.push_back('.');
    }
    // Leading zeros of the integral part are dropped.
    if (i < integralDigits && text.empty() && digit == 0) continue;
    text.push_back(static_cast<char>('0' + digit));
  }
  if (text.empty()) text.push_back('0');
  if (negative && !zero) text.insert(text.begin(), '-');
  return text;
}

std::optional<double> DecodeBcd(std::span<const uint8_t> bytes) {
  auto text = DecodeBcdText(bytes);
  if (!text) return std::nullopt;
  double value = 0;
  std::from_chars(text->data(), text->data() + text->size(), value);
  return value;
}

std::string AlphaBytes(std::span<const uint8_t> bytes) {
  auto end = std::find(bytes.begin(), bytes.end(), uint8_t{0});
  return std::string(bytes.begin(), end);
}

namespace {

template <typename T, typename Make>
Variant OrNull(const std::optional<T>& value, Make make) {
  return value ? make(*value) : Variant::Null();
}

}  // namespace

Variant DecodeFixedField(char typeCode, std::span<const uint8_t> bytes, int codePage) {
  switch (typeCode) {
    case 'A': {
      std::string text = AlphaBytes(bytes);
      if (text.empty()) return Variant::Null();
      return Variant::FromText(DecodeFromCodePage(text, codePage));
    }
    case 'S': return OrNull(DecodeShort(bytes), [](int16_t v) { return Variant::FromInt(v); });
    case 'I':
    case '+': return OrNull(DecodeLong(bytes), [](int32_t v) { return Variant::FromInt(v); });
    case '$':
    case 'N': return OrNull(DecodeDouble(bytes), Variant::FromDouble);
    case '#': return OrNull(DecodeBcd(bytes), Variant::FromDouble);
    case 'L': return OrNull(DecodeLogical(bytes), Variant::FromBool);
    case 'D': return OrNull(DecodeDate(bytes), Variant::FromDateTime);
    case 'T': return OrNull(DecodeTime(bytes), Variant::FromDateTime);
    case '@': return OrNull(DecodeTimestamp(bytes), Variant::FromDateTime);
    case 'Y':
      if (IsBlank(bytes)) return Variant::Null();
      return Variant::FromBytes(Bytes(bytes.begin(), bytes.end()));
    default: return Variant::Null();
  }
}

}  // namespace verimo::paradox
