#include "platform/paradox/BlobFile.h"

#include <algorithm>

#include "core/Exception.h"
#include "platform/paradox/Encryption.h"
#include "platform/paradox/Header.h"

namespace verimo::paradox {

namespace {

constexpr int kMbBlockUnit = 4096;
constexpr uint8_t kOwnBlockType = 2;
constexpr uint8_t kSharedBlockType = 3;
constexpr uint8_t kOwnBlockIndex = 0xFF;
constexpr int kOwnBlockHeaderSize = 9;
constexpr int kSharedBlockHeaderSize = 12;
constexpr int kSlotSize = 5;
constexpr int kSlotCount = 64;
constexpr int kSlotUnit = 16;

std::string BlockTypeName(uint8_t type) {
  switch (type) {
    case 0: return "the file header";
    case 4: return "a free block";
    default: return "a block of unknown type " + std::to_string(type);
  }
}

}  // namespace

BlobDescriptor ReadBlobDescriptor(std::span<const uint8_t> field) {
  BlobDescriptor descriptor;
  if (field.size() < static_cast<size_t>(kBlobDescriptorSize)) return descriptor;
  auto tail = field.last(static_cast<size_t>(kBlobDescriptorSize));
  uint32_t location = ReadUInt32LE(tail, 0);
  descriptor.blockOffset = location & 0xFFFFFF00u;
  descriptor.index = static_cast<uint8_t>(location & 0xFF);
  descriptor.length = ReadUInt32LE(tail, 4);
  descriptor.modification = ReadUInt16LE(tail, 8);
  return descriptor;
}

BlobFile::BlobFile(std::string path, uint32_t key) : file_(std::move(path)), key_(key) {}

void BlobFile::Fail(const BlobDescriptor& descriptor, const std::string& problem) const {
  throw Exception(file_.Path() + ": the BLOB at offset " + std::to_string(descriptor.blockOffset) +
                  " " + problem);
}

void BlobFile::CheckInFile(int64_t offset, size_t length) const {
  if (offset < 0 || offset + static_cast<int64_t>(length) > file_.Size())
    throw Exception(file_.Path() + ": the file is truncated (it ends before offset " +
                    std::to_string(offset + static_cast<int64_t>(length)) + ")");
}

Bytes BlobFile::ReadDecrypted(int64_t offset, size_t length) const {
  CheckInFile(offset, length);
  if (key_ == 0) {
    Bytes bytes(length);
    file_.ReadAt(offset, bytes);
    return bytes;
  }
  // Encryption works on 256-byte chunks aligned to the start of the file.
  int64_t chunk = static_cast<int64_t>(kEncryptionChunkSize);
  int64_t first = offset / chunk * chunk;
  int64_t last = std::min(file_.Size(), (offset + static_cast<int64_t>(length) + chunk - 1) / chunk * chunk);
  Bytes region(static_cast<size_t>(last - first));
  file_.ReadAt(first, region);
  DecryptBlobChunks(region, key_);
  auto begin = region.begin() + (offset - first);
  return Bytes(begin, begin + static_cast<std::ptrdiff_t>(length));
}

Bytes BlobFile::Read(const BlobDescriptor& descriptor) const {
  if (descriptor.length == 0) return {};
  Extent extent = Locate(descriptor);
  return ReadDecrypted(extent.offset, extent.length);
}

std::optional<std::string> BlobFile::Problem(const BlobDescriptor& descriptor) const {
  if (descriptor.length == 0) return std::nullopt;
  try {
    Extent extent = Locate(descriptor);
    CheckInFile(extent.offset, extent.length);
    return std::nullopt;
  } catch (const Exception& error) {
    return std::string(error.what());
  }
}

BlobFile::Extent BlobFile::Locate(const BlobDescriptor& descriptor) const {
  if (descriptor.blockOffset == 0) Fail(descriptor, "is not stored in the file (offset 0)");
  if (descriptor.blockOffset >= file_.Size()) Fail(descriptor, "lies beyond the end of the file");
  Bytes type = ReadDecrypted(descriptor.blockOffset, 1);
  if (type[0] == kOwnBlockType) return LocateInOwnBlock(descriptor);
  if (type[0] == kSharedBlockType) return LocateInSharedBlock(descriptor);
  Fail(descriptor, "points to " + BlockTypeName(type[0]));
}

BlobFile::Extent BlobFile::LocateInOwnBlock(const BlobDescriptor& descriptor) const {
  if (descriptor.index != kOwnBlockIndex)
    Fail(descriptor, "points to a single-BLOB block with slot " + std::to_string(descriptor.index));
  Bytes header = ReadDecrypted(descriptor.blockOffset, kOwnBlockHeaderSize);
  int64_t blockSize = static_cast<int64_t>(ReadUInt16LE(header, 1)) * kMbBlockUnit;
  uint32_t storedLength = ReadUInt32LE(header, 3);
  if (storedLength != descriptor.length)
    Fail(descriptor, "holds " + std::to_string(storedLength) + " bytes, the record expects " +
                         std::to_string(descriptor.length));
  if (kOwnBlockHeaderSize + static_cast<int64_t>(storedLength) > blockSize)
    Fail(descriptor, "is longer than its block");
  return {descriptor.blockOffset + kOwnBlockHeaderSize, storedLength};
}

BlobFile::Extent BlobFile::LocateInSharedBlock(const BlobDescriptor& descriptor) const {
  if (descriptor.index >= kSlotCount)
    Fail(descriptor, "names slot " + std::to_string(descriptor.index) + " of a shared block");
  Bytes slot = ReadDecrypted(descriptor.blockOffset + kSharedBlockHeaderSize + descriptor.index * kSlotSize,
                             kSlotSize);
  int start = slot[0] * kSlotUnit;
  int units = slot[1];
  int lastUnitBytes = slot[4];
  if (start == 0 || units == 0 || lastUnitBytes == 0 || lastUnitBytes > kSlotUnit)
    Fail(descriptor, "slot " + std::to_string(descriptor.index) + " is deleted or damaged");
  uint32_t storedLength = static_cast<uint32_t>((units - 1) * kSlotUnit + lastUnitBytes);
  if (storedLength != descriptor.length)
    Fail(descriptor, "slot " + std::to_string(descriptor.index) + " holds " + std::to_string(storedLength) +
                         " bytes, the record expects " + std::to_string(descriptor.length));
  if (start + static_cast<int64_t>(storedLength) > kMbBlockUnit)
    Fail(descriptor, "slot " + std::to_string(descriptor.index) + " runs past the end of its block");
  return {descriptor.blockOffset + start, storedLength};
}

}  // namespace verimo::paradox
