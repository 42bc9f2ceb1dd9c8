#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/paradox/Table.h"

namespace verimo::paradox {

// Bytes of the fixed part of the header that every version has.
constexpr size_t kCommonHeaderSize = 0x58;
// Bytes of the block header before the first record of a data block.
constexpr int kBlockHeaderSize = 6;
// Bytes of the BLOB descriptor after a BLOB field's leader.
constexpr int kBlobDescriptorSize = 10;

// Where a field lies in the record.
struct FieldLayout {
  int offset = 0;
  int length = 0;
};

// Everything the reader needs from a .DB header.
struct TableHeader {
  ParadoxTableInfo info;
  std::vector<FieldLayout> layout;  // one per field of info.fields
  int headerSize = 0;
  int fileType = 0;
  int firstBlock = 0;
  int fileBlocks = 0;
  uint32_t encryptionKey = 0;  // 0 when not encrypted
  std::string sortOrderName;   // "ascii", "DBWINWE0", ...; empty when unknown
  int headerCodePage = 0;      // as stored; 0 when the header has none
};

// The code pages the texts may be read in besides the header's.
struct TCodePageChoice {
  int override = 0;         // wins over the header's; 0 for none
  int defaultCodePage = 0;  // when the header names none that can be decoded
};

// Reads and checks the header at the start of a .DB file. `headerBytes`
// holds at least the header (or the whole file when it is shorter). Raises
// verimo::Exception naming `fileName` and the problem.
TableHeader ParseTableHeader(std::span<const uint8_t> headerBytes, int64_t fileSize,
                             const std::string& fileName, TCodePageChoice codePages);

// The size the platform's field reports: characters of an alpha field,
// bytes of a bytes field, decimal places of a BCD field, the leader of a
// BLOB field; 0 for the other types.
int DeclaredFieldSize(const ParadoxFieldInfo& field);

// The code page a language-driver (sort order) name implies, or 0.
int CodePageOfSortOrder(const std::string& sortOrderName);

// The platform field type of a Paradox field type code; ftUnknown for an
// unknown code.
TFieldType FieldTypeOfCode(char typeCode);

// The raw header byte of a field type ('A' for 0x01, ...), or 0.
char TypeCodeOfFieldByte(uint8_t fieldByte);

uint16_t ReadUInt16LE(std::span<const uint8_t> bytes, size_t offset);
uint32_t ReadUInt32LE(std::span<const uint8_t> bytes, size_t offset);

}  // namespace verimo::paradox
