#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "core/Variant.h"
#include "platform/paradox/BinaryFile.h"

namespace verimo::paradox {

// The 10 bytes after a BLOB field's leader: where the BLOB lies in the .MB
// file and how long it is.
struct BlobDescriptor {
  uint32_t blockOffset = 0;  // offset of the .MB block, a multiple of 256; 0: none
  uint8_t index = 0;         // 0xFF: a block of its own; otherwise the slot in a shared block
  uint32_t length = 0;       // 0: the field is blank
  uint16_t modification = 0;
};

// The descriptor at the end of a BLOB field of the record.
BlobDescriptor ReadBlobDescriptor(std::span<const uint8_t> field);

// A table's .MB file. Blocks of the file are multiples of 4 KB; a BLOB has
// a block of its own (type 2) or a slot in a block shared by up to 64 small
// BLOBs (type 3).
class BlobFile {
 public:
  // `key` decrypts the file of an encrypted table (0: not encrypted).
  BlobFile(std::string path, uint32_t key);

  const std::string& Path() const { return file_.Path(); }

  // The stored bytes of the BLOB that the descriptor names. Raises
  // verimo::Exception naming the file when the descriptor does not lead to
  // a BLOB of the length it gives.
  Bytes Read(const BlobDescriptor& descriptor) const;
  // Why Read would fail for the descriptor, without reading the BLOB itself;
  // nothing when it would succeed (read errors of the file aside).
  std::optional<std::string> Problem(const BlobDescriptor& descriptor) const;

 private:
  // Where the BLOB's bytes lie in the file.
  struct Extent {
    int64_t offset = 0;
    size_t length = 0;
  };
  void CheckInFile(int64_t offset, size_t length) const;
  Bytes ReadDecrypted(int64_t offset, size_t length) const;
  Extent Locate(const BlobDescriptor& descriptor) const;
  Extent LocateInOwnBlock(const BlobDescriptor& descriptor) const;
  Extent LocateInSharedBlock(const BlobDescriptor& descriptor) const;
  [[noreturn]] void Fail(const BlobDescriptor& descriptor, const std::string& problem) const;

  BinaryFile file_;
  uint32_t key_;
};

}  // namespace verimo::paradox
