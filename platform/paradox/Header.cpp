#include "platform/paradox/Header.h"

#include <algorithm>

#include "core/Exception.h"
#include "platform/codepage/CodePage.h"
#include "platform/paradox/FieldCodec.h"

namespace verimo::paradox {

namespace {

// Offsets in the fixed part of the header.
constexpr size_t kRecordSizeOffset = 0x00;
constexpr size_t kHeaderSizeOffset = 0x02;
constexpr size_t kFileTypeOffset = 0x04;
constexpr size_t kBlockSizeCodeOffset = 0x05;
constexpr size_t kRecordCountOffset = 0x06;
constexpr size_t kFileBlocksOffset = 0x0C;
constexpr size_t kFirstBlockOffset = 0x0E;
constexpr size_t kFieldCountOffset = 0x21;
constexpr size_t kKeyFieldCountOffset = 0x23;
constexpr size_t kEncryption1Offset = 0x25;
constexpr size_t kVersionOffset = 0x39;
constexpr size_t kAuxPasswordsOffset = 0x3D;
// Offsets of the part that 4.x and later data files add.
constexpr size_t kEncryption2Offset = 0x5C;
constexpr size_t kCodePageOffset = 0x6A;
constexpr size_t kExtendedHeaderEnd = 0x78;

// The value 4.x and later store in the old encryption field.
constexpr uint32_t kEncryptionMovedMarker = 0xFF00FF00;

constexpr int kIndexedTable = 0;
constexpr int kUnindexedTable = 2;
constexpr int kMaxFields = 255;
constexpr int kMaxBlockSizeCode = 32;

[[noreturn]] void Fail(const std::string& fileName, const std::string& problem) {
  throw Exception(fileName + ": " + problem);
}

std::string VersionText(int versionCode) {
  if (versionCode == 3) return "3.0";
  if (versionCode == 4) return "3.5";
  if (versionCode <= 9) return "4.x";
  if (versionCode <= 11) return "5.x";
  return "7.x";
}

bool HasExtendedHeader(int versionCode) { return versionCode >= 5; }

int TableNameLength(int versionCode) { return versionCode >= 12 ? 261 : 79; }

std::string FileTypeProblem(int fileType) {
  switch (fileType) {
    case 1: return "this is a primary index (.PX) file, not a table";
    case 3:
    case 4:
    case 5:
    case 6:
    case 7:
    case 8: return "this is a secondary index file, not a table";
    default: return "not a Paradox table (unknown file type " + std::to_string(fileType) + ")";
  }
}

// The in-record length a field of this type must have, or 0 when the
// header's size byte gives it.
int FixedLength(char typeCode) {
  switch (typeCode) {
    case 'D':
    case 'I':
    case 'T':
    case '+': return 4;
    case 'S': return 2;
    case '$':
    case 'N':
    case '@': return 8;
    case 'L': return 1;
    case '#': return kBcdLength;
    default: return 0;
  }
}

bool IsBlobCode(char typeCode) {
  return typeCode == 'M' || typeCode == 'B' || typeCode == 'F' || typeCode == 'O' ||
         typeCode == 'G';
}

// Checks the header's size byte of one field and returns the field's
// in-record length; empty problem text when the size is acceptable.
int FieldLength(char typeCode, int sizeByte, std::string& problem) {
  if (typeCode == '#') {
    if (sizeByte > kBcdDigits) problem = "BCD field with " + std::to_string(sizeByte) + " decimal places";
    return kBcdLength;
  }
  if (int fixed = FixedLength(typeCode)) {
    if (sizeByte != fixed)
      problem = std::string("field of type ") + typeCode + " with size " + std::to_string(sizeByte);
    return fixed;
  }
  int minimum = typeCode == 'M' ? kBlobDescriptorSize + 1 : IsBlobCode(typeCode) ? kBlobDescriptorSize : 1;
  if (sizeByte < minimum)
    problem = std::string("field of type ") + typeCode + " with size " + std::to_string(sizeByte);
  return sizeByte;
}

// A zero-terminated string at `offset`, or nothing when it runs past the end.
bool ReadCString(std::span<const uint8_t> bytes, size_t& offset, std::string& text) {
  auto begin = bytes.begin() + static_cast<std::ptrdiff_t>(std::min(offset, bytes.size()));
  auto end = std::find(begin, bytes.end(), uint8_t{0});
  if (end == bytes.end()) return false;
  text.assign(begin, end);
  offset += text.size() + 1;
  return true;
}

bool IsPrintableName(const std::string& text) {
  return !text.empty() && text.size() < 32 &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= 0x20 && c < 0x7F; });
}

// The language-driver name after the field numbers; best effort, since
// encrypted tables keep undocumented data before it.
std::string ReadSortOrderName(std::span<const uint8_t> header, size_t offset, int fieldCount,
                              const TableHeader& table, int auxPasswords) {
  if (!HasExtendedHeader(table.info.fileVersionCode)) return {};
  if (table.encryptionKey != 0) offset += auxPasswords > 0 ? 256 : static_cast<size_t>(fieldCount);
  offset += static_cast<size_t>(fieldCount) * 2;
  std::string name;
  if (offset >= header.size() || !ReadCString(header, offset, name) || !IsPrintableName(name))
    return {};
  return name;
}

void ChooseCodePage(const TableHeader& table, TCodePageChoice codePages, ParadoxTableInfo& info) {
  info.headerCodePage = table.headerCodePage;
  const int sortOrderCodePage = CodePageOfSortOrder(table.sortOrderName);
  if (codePages.override != 0) {
    info.codePage = codePages.override;
    info.codePageSource = TCodePageSource::Override;
  } else if (table.headerCodePage != 0 && IsSupportedCodePage(table.headerCodePage)) {
    info.codePage = table.headerCodePage;
    info.codePageSource = TCodePageSource::Header;
  } else if (sortOrderCodePage != 0 && IsSupportedCodePage(sortOrderCodePage)) {
    info.codePage = sortOrderCodePage;
    info.codePageSource = TCodePageSource::LanguageDriver;
  } else {
    info.codePage = codePages.defaultCodePage;
    info.codePageSource = TCodePageSource::Default;
  }
}

WideString DecodeName(const std::string& bytes, int codePage) {
  try {
    return DecodeFromCodePage(bytes, codePage);
  } catch (const Exception&) {
    return WideString(bytes.begin(), bytes.end());
  }
}

void ReadFieldDescriptions(std::span<const uint8_t> header, size_t& offset, int fieldCount,
                           TableHeader& table, const std::string& fileName) {
  int recordOffset = 0;
  for (int i = 0; i < fieldCount; ++i, offset += 2) {
    uint8_t typeByte = header[offset];
    int sizeByte = header[offset + 1];
    char code = TypeCodeOfFieldByte(typeByte);
    if (code == 0)
      Fail(fileName, "field " + std::to_string(i + 1) + " has an unknown type (code " +
                         std::to_string(typeByte) + ")");
    std::string problem;
    int length = FieldLength(code, sizeByte, problem);
    if (!problem.empty()) Fail(fileName, "field " + std::to_string(i + 1) + ": " + problem);
    ParadoxFieldInfo field;
    field.typeCode = code;
    field.size = sizeByte;
    field.fieldType = FieldTypeOfCode(code);
    table.info.fields.push_back(field);
    table.layout.push_back({recordOffset, length});
    recordOffset += length;
  }
  if (recordOffset > table.info.recordSize)
    Fail(fileName, "the fields need " + std::to_string(recordOffset) +
                       " bytes but a record holds only " + std::to_string(table.info.recordSize));
}

void ReadFieldNames(std::span<const uint8_t> header, size_t& offset, TableHeader& table,
                    const std::string& fileName) {
  for (ParadoxFieldInfo& field : table.info.fields) {
    std::string name;
    if (!ReadCString(header, offset, name))
      Fail(fileName, "the field names run past the end of the header");
    field.name = DecodeName(name, table.info.codePage);
  }
}

}  // namespace

uint16_t ReadUInt16LE(std::span<const uint8_t> bytes, size_t offset) {
  return static_cast<uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

uint32_t ReadUInt32LE(std::span<const uint8_t> bytes, size_t offset) {
  return static_cast<uint32_t>(bytes[offset]) | (static_cast<uint32_t>(bytes[offset + 1]) << 8) |
         (static_cast<uint32_t>(bytes[offset + 2]) << 16) |
         (static_cast<uint32_t>(bytes[offset + 3]) << 24);
}

char TypeCodeOfFieldByte(uint8_t fieldByte) {
  switch (fieldByte) {
    case 0x01: return 'A';
    case 0x02: return 'D';
    case 0x03: return 'S';
    case 0x04: return 'I';
    case 0x05: return '$';
    case 0x06: return 'N';
    case 0x09: return 'L';
    case 0x0C: return 'M';
    case 0x0D: return 'B';
    case 0x0E: return 'F';
    case 0x0F: return 'O';
    case 0x10: return 'G';
    case 0x14: return 'T';
    case 0x15: return '@';
    case 0x16: return '+';
    case 0x17: return '#';
    case 0x18: return 'Y';
    default: return 0;
  }
}

TFieldType FieldTypeOfCode(char typeCode) {
  switch (typeCode) {
    case 'A': return ftString;
    case 'D': return ftDate;
    case 'S': return ftSmallint;
    case 'I': return ftInteger;
    case '$': return ftCurrency;
    case 'N': return ftFloat;
    case 'L': return ftBoolean;
    case 'M': return ftMemo;
    case 'B': return ftBlob;
    case 'F': return ftFmtMemo;
    case 'O': return ftParadoxOle;
    case 'G': return ftGraphic;
    case 'T': return ftTime;
    case '@': return ftDateTime;
    case '+': return ftAutoInc;
    case '#': return ftBCD;
    case 'Y': return ftBytes;
    default: return ftUnknown;
  }
}

int DeclaredFieldSize(const ParadoxFieldInfo& field) {
  char code = field.typeCode;
  if (code == 'A' || code == 'Y' || code == '#') return field.size;
  if (IsBlobCode(code)) return field.size - kBlobDescriptorSize;
  return 0;
}

int CodePageOfSortOrder(const std::string& sortOrderName) {
  struct Entry {
    const char* name;
    int codePage;
  };
  static constexpr Entry kEntries[] = {
      {"ascii", 437},     {"intl", 437},      {"swedfin", 437},   {"nordan", 865},
      {"nordan40", 865},  {"turk", 857},      {"cyrr", 866},      {"czech", 852},
      {"hun", 852},       {"polish", 852},    {"slovene", 852},   {"ANSII850", 1252},
      {"ANSIINTL", 1252}, {"DBWINUS0", 1252}, {"DBWINWE0", 1252}, {"DBWINES0", 1252},
      {"BLROM800", 1051},
  };
  for (const Entry& entry : kEntries)
    if (sortOrderName == entry.name) return entry.codePage;
  return 0;
}

TableHeader ParseTableHeader(std::span<const uint8_t> header, int64_t fileSize,
                             const std::string& fileName, TCodePageChoice codePages) {
  if (fileSize < static_cast<int64_t>(kCommonHeaderSize) || header.size() < kCommonHeaderSize)
    Fail(fileName, "not a Paradox table (the file is too short: " + std::to_string(fileSize) + " bytes)");

  TableHeader table;
  ParadoxTableInfo& info = table.info;
  info.fileVersionCode = header[kVersionOffset];
  if (info.fileVersionCode < 3 || info.fileVersionCode > 15)
    Fail(fileName, "not a Paradox table (unknown file version " + std::to_string(info.fileVersionCode) + ")");
  info.versionText = VersionText(info.fileVersionCode);

  table.fileType = header[kFileTypeOffset];
  if (table.fileType != kIndexedTable && table.fileType != kUnindexedTable)
    Fail(fileName, FileTypeProblem(table.fileType));

  int blockSizeCode = header[kBlockSizeCodeOffset];
  if (blockSizeCode < 1 || blockSizeCode > kMaxBlockSizeCode)
    Fail(fileName, "not a Paradox table (unknown block size code " + std::to_string(blockSizeCode) + ")");
  info.blockSize = blockSizeCode * 1024;

  info.recordSize = ReadUInt16LE(header, kRecordSizeOffset);
  if (info.recordSize < 1 || info.recordSize > info.blockSize - kBlockHeaderSize)
    Fail(fileName, "record size " + std::to_string(info.recordSize) + " does not fit a block of " +
                       std::to_string(info.blockSize) + " bytes");

  table.headerSize = ReadUInt16LE(header, kHeaderSizeOffset);
  bool extended = HasExtendedHeader(info.fileVersionCode);
  size_t fieldInfoOffset = extended ? kExtendedHeaderEnd : kCommonHeaderSize;
  if (table.headerSize < static_cast<int>(fieldInfoOffset))
    Fail(fileName, "header size " + std::to_string(table.headerSize) + " is too small");
  if (table.headerSize > fileSize || static_cast<size_t>(table.headerSize) > header.size())
    Fail(fileName, "the file is truncated: it ends inside its header");
  header = header.first(static_cast<size_t>(table.headerSize));

  info.recordCount = ReadUInt32LE(header, kRecordCountOffset);
  table.fileBlocks = ReadUInt16LE(header, kFileBlocksOffset);
  table.firstBlock = ReadUInt16LE(header, kFirstBlockOffset);

  uint32_t key = ReadUInt32LE(header, kEncryption1Offset);
  if (extended && key == kEncryptionMovedMarker) key = ReadUInt32LE(header, kEncryption2Offset);
  if (key == kEncryptionMovedMarker) key = 0;
  table.encryptionKey = key;
  info.encrypted = key != 0;

  int fieldCount = static_cast<int16_t>(ReadUInt16LE(header, kFieldCountOffset));
  if (fieldCount < 1 || fieldCount > kMaxFields)
    Fail(fileName, "the header gives " + std::to_string(fieldCount) + " fields");
  // A key count beyond the fields is a damaged byte the records do not
  // depend on: such a table is read as one without a key.
  int keyFieldCount = header[kKeyFieldCountOffset];
  info.keyFieldCount = keyFieldCount <= fieldCount ? keyFieldCount : 0;
  size_t offset = fieldInfoOffset;
  size_t namesOffset = offset + static_cast<size_t>(fieldCount) * 6 + 4 +
                       static_cast<size_t>(TableNameLength(info.fileVersionCode));
  if (namesOffset >= header.size()) Fail(fileName, "the field descriptions run past the end of the header");

  table.headerCodePage = extended ? ReadUInt16LE(header, kCodePageOffset) : 0;
  ReadFieldDescriptions(header, offset, fieldCount, table, fileName);

  // The field names come after the table name, whose length the version
  // fixes; the sort order name follows the names.
  offset = namesOffset;
  size_t sortOrderProbe = offset;
  {
    std::string skipped;
    for (int i = 0; i < fieldCount; ++i)
      if (!ReadCString(header, sortOrderProbe, skipped))
        Fail(fileName, "the field names run past the end of the header");
  }
  table.sortOrderName = ReadSortOrderName(header, sortOrderProbe, fieldCount, table,
                                          header[kAuxPasswordsOffset]);
  ChooseCodePage(table, codePages, info);
  ReadFieldNames(header, offset, table, fileName);
  return table;
}

}  // namespace verimo::paradox
