#include "formats/database/DBFFields.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace verimo::dbf {

namespace {

void PutUInt16(std::string& bytes, size_t at, uint32_t value) {
  bytes[at] = static_cast<char>(value & 0xFF);
  bytes[at + 1] = static_cast<char>((value >> 8) & 0xFF);
}

void PutUInt32(std::string& bytes, size_t at, uint32_t value) {
  PutUInt16(bytes, at, value & 0xFFFF);
  PutUInt16(bytes, at + 2, value >> 16);
}

struct TLanguageDriver {
  int codePage;
  uint8_t id;
};

// The dBASE / Visual FoxPro language drivers, one per code page (the first
// driver where several name the same code page).
constexpr TLanguageDriver kLanguageDrivers[] = {
    {437, 0x01},   {850, 0x02},   {1252, 0x03},  {10000, 0x04}, {865, 0x08},   {852, 0x64},
    {866, 0x65},   {861, 0x67},   {737, 0x6A},   {857, 0x6B},   {863, 0x6C},   {860, 0x24},
    {950, 0x78},   {949, 0x79},   {936, 0x7A},   {932, 0x7B},   {874, 0x7C},   {1255, 0x7D},
    {1256, 0x7E},  {10007, 0x96}, {10029, 0x97}, {10006, 0x98}, {1250, 0xC8},  {1251, 0xC9},
    {1254, 0xCA},  {1253, 0xCB},  {1257, 0xCC},
};

// "-0.00" and the like: a sign before nothing but zeros.
void DropNegativeZero(std::string& digits) {
  if (digits.empty() || digits[0] != '-') return;
  if (digits.find_first_not_of("0.", 1) == std::string::npos) digits.erase(0, 1);
}

bool CurrencyText(int64_t scaled, int decimals, std::string& digits) {
  // Rounds the four stored places to `decimals`, half away from zero.
  const bool negative = scaled < 0;
  uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(scaled) : static_cast<uint64_t>(scaled);
  int places = 4;
  if (decimals < 4) {
    uint64_t divisor = 1;
    for (int i = decimals; i < 4; ++i) divisor *= 10;
    magnitude = (magnitude + divisor / 2) / divisor;
    places = decimals;
  }
  std::string text = std::to_string(magnitude);
  if (places > 0) {
    if (text.size() <= static_cast<size_t>(places)) text.insert(0, static_cast<size_t>(places) + 1 - text.size(), '0');
    text.insert(text.size() - static_cast<size_t>(places), 1, '.');
    text.append(static_cast<size_t>(std::max(0, decimals - places)), '0');
  }
  digits = (negative ? "-" : "") + text;
  DropNegativeZero(digits);
  return true;
}

}  // namespace

std::string HeaderBytes(uint8_t version, DateParts today, uint32_t recordCount, int fieldCount,
                        int recordLength, uint8_t languageDriver) {
  std::string header(kHeaderSize, '\0');
  header[0] = static_cast<char>(version);
  header[1] = static_cast<char>((today.year - 1900) & 0xFF);
  header[2] = static_cast<char>(today.month);
  header[3] = static_cast<char>(today.day);
  PutUInt32(header, 4, recordCount);
  PutUInt16(header, 8, static_cast<uint32_t>(kHeaderSize + kDescriptorSize * fieldCount + 1));
  PutUInt16(header, 10, static_cast<uint32_t>(recordLength));
  header[29] = static_cast<char>(languageDriver);
  return header;
}

std::string DescriptorBytes(const TDBFField& field) {
  std::string descriptor(kDescriptorSize, '\0');
  std::copy_n(field.Name.begin(), std::min<size_t>(field.Name.size(), 10), descriptor.begin());
  descriptor[11] = field.Type;
  PutUInt32(descriptor, 12, static_cast<uint32_t>(field.Displacement));
  descriptor[16] = static_cast<char>(field.Length);
  descriptor[17] = static_cast<char>(field.Decimals);
  return descriptor;
}

uint8_t LanguageDriverOf(int codePage) {
  for (const TLanguageDriver& driver : kLanguageDrivers)
    if (driver.codePage == codePage) return driver.id;
  return 0;
}

bool AppendNumber(std::string& record, std::string_view digits, int length) {
  const size_t width = static_cast<size_t>(std::max(length, 0));
  if (digits.size() > width) {
    record.append(width, '*');
    return false;
  }
  record.append(width - digits.size(), ' ');
  record.append(digits);
  return true;
}

void AppendCharacter(std::string& record, std::string_view encoded, int length, bool utf8) {
  const size_t width = static_cast<size_t>(std::max(length, 0));
  size_t take = std::min(encoded.size(), width);
  if (utf8 && take < encoded.size())
    while (take > 0 && (static_cast<unsigned char>(encoded[take]) & 0xC0) == 0x80) --take;
  record.append(encoded.substr(0, take));
  record.append(width - take, ' ');
}

void AppendDate(std::string& record, TDateTime value) {
  if (!std::isfinite(value)) {
    AppendBlanks(record, 8);
    return;
  }
  const DateParts date = DecodeDate(value);
  if (date.year < 1 || date.year > 9999) {
    AppendBlanks(record, 8);
    return;
  }
  char text[9];
  const int number = date.year * 10000 + date.month * 100 + date.day;
  for (int i = 7, rest = number; i >= 0; --i, rest /= 10) text[i] = static_cast<char>('0' + rest % 10);
  record.append(text, 8);
}

void AppendBlanks(std::string& record, int length) { record.append(static_cast<size_t>(std::max(length, 0)), ' '); }

bool NumberText(const Variant& value, int decimals, std::string& digits) {
  decimals = std::clamp(decimals, 0, 250);
  char buffer[400];
  switch (value.GetKind()) {
    case Variant::Kind::Integer: {
      digits = std::to_string(value.AsInt());
      if (decimals > 0) digits += "." + std::string(static_cast<size_t>(decimals), '0');
      return true;
    }
    case Variant::Kind::Currency:
      return CurrencyText(value.AsCurrency().scaled, decimals, digits);
    case Variant::Kind::Double: {
      const double number = value.AsDouble();
      if (!std::isfinite(number)) return false;
      auto result = std::to_chars(buffer, buffer + sizeof buffer, number, std::chars_format::fixed, decimals);
      if (result.ec != std::errc()) return false;
      digits.assign(buffer, result.ptr);
      DropNegativeZero(digits);
      return true;
    }
    default:
      return false;
  }
}

char LogicalOfText(WideStringView text) {
  WideString upper;
  upper.reserve(text.size());
  for (char16_t ch : text) upper += (ch >= u'a' && ch <= u'z') ? static_cast<char16_t>(ch - 32) : ch;
  if (upper.find(u"TRUE") != WideString::npos) return 'T';
  if (upper.find(u"FALSE") != WideString::npos) return 'F';
  return ' ';
}

uint32_t MemoBlockCount(size_t size) {
  return static_cast<uint32_t>((size + 2 + kMemoBlockSize - 1) / kMemoBlockSize);
}

std::string MemoBlocks(std::string_view value) {
  std::string blocks(value);
  blocks += "\x1A\x1A";
  blocks.resize(static_cast<size_t>(MemoBlockCount(value.size())) * kMemoBlockSize, '\0');
  return blocks;
}

}  // namespace verimo::dbf
