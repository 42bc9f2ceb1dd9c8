#include "platform/storage/CompoundFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>

#include "core/Exception.h"

namespace verimo {

namespace {

constexpr uint32_t kFreeSector = 0xFFFFFFFF;
constexpr uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr uint32_t kFatSector = 0xFFFFFFFD;
constexpr uint32_t kDifatSector = 0xFFFFFFFC;
constexpr uint32_t kNoStream = 0xFFFFFFFF;
constexpr uint32_t kEntriesPerSector = TCompoundFileWriter::kSectorSize / 4;
constexpr uint32_t kHeaderDifatEntries = 109;
constexpr size_t kDirectoryEntrySize = 128;
// Body bytes gathered before they go to the file in one write.
constexpr size_t kBufferSize = 64 * 1024;

uint32_t SectorsFor(uint64_t bytes) {
  return static_cast<uint32_t>((bytes + TCompoundFileWriter::kSectorSize - 1) / TCompoundFileWriter::kSectorSize);
}

void Put16(std::string& out, size_t at, uint16_t value) {
  out[at] = static_cast<char>(value & 0xFF);
  out[at + 1] = static_cast<char>(value >> 8);
}

void Put32(std::string& out, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) out[at + static_cast<size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

void Append32(std::string& out, uint32_t value) {
  out.resize(out.size() + 4);
  Put32(out, out.size() - 4, value);
}

std::string SystemError(const std::string& what) { return what + ": " + std::strerror(errno); }

// One directory entry: the root storage or the stream.
void PutDirectoryEntry(std::string& sector, size_t at, WideStringView name, uint8_t type, uint32_t child,
                       uint32_t startSector, uint32_t size) {
  const size_t units = std::min<size_t>(name.size(), 31);
  for (size_t i = 0; i < units; ++i) Put16(sector, at + 2 * i, static_cast<uint16_t>(name[i]));
  Put16(sector, at + 64, static_cast<uint16_t>((units + 1) * 2));
  sector[at + 66] = static_cast<char>(type);
  sector[at + 67] = 1;  // black
  Put32(sector, at + 68, kNoStream);
  Put32(sector, at + 72, kNoStream);
  Put32(sector, at + 76, child);
  Put32(sector, at + 116, startSector);
  Put32(sector, at + 120, size);
}

}  // namespace

TCompoundFileLayout TCompoundFileLayout::For(uint64_t headSize, uint64_t bodySize) {
  TCompoundFileLayout layout;
  const uint64_t total = headSize + bodySize;
  if (total > TCompoundFileWriter::kMaxStreamSize) throw Exception("The stream is too large for a compound file");
  layout.bodySectors = SectorsFor(bodySize);
  layout.headSectors = SectorsFor(headSize);
  const uint64_t size = std::max<uint64_t>(total, TCompoundFileWriter::kMiniStreamCutoff);
  const uint32_t streamSectors = SectorsFor(size);
  layout.padSectors = streamSectors - std::min(streamSectors, layout.bodySectors + layout.headSectors);
  layout.streamSize = static_cast<uint32_t>(size);
  // The tables cover themselves: grow them until they do.
  for (;;) {
    const uint32_t sectors = streamSectors + 1 + layout.fatSectors + layout.difatSectors;
    const uint32_t fat = (sectors + kEntriesPerSector - 1) / kEntriesPerSector;
    const uint32_t difat = fat <= kHeaderDifatEntries
                               ? 0
                               : (fat - kHeaderDifatEntries + kEntriesPerSector - 2) / (kEntriesPerSector - 1);
    if (fat == layout.fatSectors && difat == layout.difatSectors) break;
    layout.fatSectors = fat;
    layout.difatSectors = difat;
  }
  return layout;
}

TCompoundFileWriter::TCompoundFileWriter(const std::filesystem::path& path, WideStringView streamName)
    : streamName_(streamName) {
  fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd_ < 0) throw Exception(SystemError("Cannot create " + path.string()));
  buffer_.reserve(kBufferSize);
  // The header sector is written last; keep its place.
  const std::string emptyHeader(kSectorSize, '\0');
  WriteAt(0, emptyHeader.data(), emptyHeader.size());
}

TCompoundFileWriter::~TCompoundFileWriter() { Close(); }

void TCompoundFileWriter::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

void TCompoundFileWriter::Write(const void* data, size_t size) {
  if (inHead_) throw Exception("The body of the compound-file stream is closed");
  Append(data, size);
  bodySize_ += size;
}

void TCompoundFileWriter::WriteHead(const void* data, size_t size) {
  if (!inHead_) {
    if (finished_ || fd_ < 0) throw Exception("The compound file is closed");
    FlushLastSector();
    headStart_ = (static_cast<uint64_t>(SectorsFor(bodySize_)) + 1) * kSectorSize;
    flushed_ = 0;
    inHead_ = true;
  }
  Append(data, size);
  headSize_ += size;
}

void TCompoundFileWriter::Append(const void* data, size_t size) {
  if (finished_ || fd_ < 0) throw Exception("The compound file is closed");
  const auto* bytes = static_cast<const unsigned char*>(data);
  while (size > 0) {
    const size_t room = kBufferSize - buffer_.size();
    const size_t part = std::min(room, size);
    buffer_.insert(buffer_.end(), bytes, bytes + part);
    bytes += part;
    size -= part;
    if (buffer_.size() == kBufferSize) FlushWholeSectors();
  }
}

void TCompoundFileWriter::Patch(uint64_t offset, const void* data, size_t size) {
  if (inHead_) throw Exception("The body of the compound-file stream is closed");
  if (offset + size > bodySize_) throw Exception("Patch beyond the end of the stream");
  const auto* bytes = static_cast<const unsigned char*>(data);
  if (offset < flushed_) {
    const size_t inFile = static_cast<size_t>(std::min<uint64_t>(size, flushed_ - offset));
    WriteAt(kSectorSize + offset, bytes, inFile);
    bytes += inFile;
    offset += inFile;
    size -= inFile;
  }
  if (size > 0) std::memcpy(buffer_.data() + (offset - flushed_), bytes, size);
}

void TCompoundFileWriter::FlushWholeSectors() {
  const size_t whole = buffer_.size() / kSectorSize * kSectorSize;
  if (whole == 0) return;
  WriteAt((inHead_ ? headStart_ : kSectorSize) + flushed_, buffer_.data(), whole);
  flushed_ += whole;
  buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(whole));
}

// The last sector of the current part, zero-filled.
void TCompoundFileWriter::FlushLastSector() {
  buffer_.resize((buffer_.size() + kSectorSize - 1) / kSectorSize * kSectorSize, 0);
  FlushWholeSectors();
}

void TCompoundFileWriter::WriteAt(uint64_t fileOffset, const void* data, size_t size) {
  const auto* bytes = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t written = ::pwrite(fd_, bytes, size, static_cast<off_t>(fileOffset));
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) throw Exception(SystemError("Error writing the compound file"));
    bytes += written;
    size -= static_cast<size_t>(written);
    fileOffset += static_cast<uint64_t>(written);
  }
}

void TCompoundFileWriter::WriteSectors(uint32_t firstSector, std::string_view bytes) {
  std::string whole(bytes);
  whole.resize(static_cast<size_t>(SectorsFor(whole.size())) * kSectorSize, '\0');
  WriteAt((static_cast<uint64_t>(firstSector) + 1) * kSectorSize, whole.data(), whole.size());
}

void TCompoundFileWriter::Finish(std::string_view head) {
  WriteHead(head.data(), head.size());
  Finish();
}

void TCompoundFileWriter::Finish() {
  if (finished_ || fd_ < 0) throw Exception("The compound file is closed");
  if (!inHead_) WriteHead(nullptr, 0);
  if (bodySize_ > 0 && headSize_ % kSectorSize != 0)
    throw Exception("The head of a compound-file stream must fill whole sectors");
  const TCompoundFileLayout layout = TCompoundFileLayout::For(headSize_, bodySize_);
  FlushLastSector();
  if (layout.padSectors > 0)
    WriteSectors(layout.FirstPadSector(), std::string(static_cast<size_t>(layout.padSectors) * kSectorSize, '\0'));

  // The stream's chain: head, body, padding.
  std::vector<uint32_t> fat(static_cast<size_t>(layout.fatSectors) * kEntriesPerSector, kFreeSector);
  std::vector<uint32_t> chain;
  for (uint32_t i = 0; i < layout.headSectors; ++i) chain.push_back(layout.FirstHeadSector() + i);
  for (uint32_t i = 0; i < layout.bodySectors; ++i) chain.push_back(i);
  for (uint32_t i = 0; i < layout.padSectors; ++i) chain.push_back(layout.FirstPadSector() + i);
  for (size_t i = 0; i < chain.size(); ++i) fat[chain[i]] = i + 1 < chain.size() ? chain[i + 1] : kEndOfChain;
  fat[layout.DirectorySector()] = kEndOfChain;
  for (uint32_t i = 0; i < layout.fatSectors; ++i) fat[layout.FirstFatSector() + i] = kFatSector;
  for (uint32_t i = 0; i < layout.difatSectors; ++i) fat[layout.FirstDifatSector() + i] = kDifatSector;

  std::string directory(kSectorSize, '\0');
  for (size_t entry = 0; entry < kSectorSize / kDirectoryEntrySize; ++entry)
    for (size_t field : {68, 72, 76}) Put32(directory, entry * kDirectoryEntrySize + field, kNoStream);
  PutDirectoryEntry(directory, 0, u"Root Entry", 5, 1, kEndOfChain, 0);
  PutDirectoryEntry(directory, kDirectoryEntrySize, streamName_, 2, kNoStream,
                    chain.empty() ? kEndOfChain : chain.front(), layout.streamSize);
  WriteSectors(layout.DirectorySector(), directory);

  std::string fatBytes;
  fatBytes.reserve(fat.size() * 4);
  for (uint32_t entry : fat) Append32(fatBytes, entry);
  WriteSectors(layout.FirstFatSector(), fatBytes);

  // FAT sectors beyond the header's 109 are listed in DIFAT sectors, each
  // ending with the number of the next one.
  if (layout.difatSectors > 0) {
    std::string difat;
    uint32_t fatIndex = kHeaderDifatEntries;
    for (uint32_t s = 0; s < layout.difatSectors; ++s) {
      for (uint32_t i = 0; i + 1 < kEntriesPerSector; ++i, ++fatIndex)
        Append32(difat, fatIndex < layout.fatSectors ? layout.FirstFatSector() + fatIndex : kFreeSector);
      Append32(difat, s + 1 < layout.difatSectors ? layout.FirstDifatSector() + s + 1 : kEndOfChain);
    }
    WriteSectors(layout.FirstDifatSector(), difat);
  }

  std::string header(kSectorSize, '\0');
  const unsigned char signature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
  std::memcpy(header.data(), signature, sizeof signature);
  Put16(header, 24, 0x003E);  // minor version
  Put16(header, 26, 0x0003);  // major version
  Put16(header, 28, 0xFFFE);  // little-endian
  Put16(header, 30, 9);       // 512-byte sectors
  Put16(header, 32, 6);       // 64-byte mini sectors
  Put32(header, 44, layout.fatSectors);
  Put32(header, 48, layout.DirectorySector());
  Put32(header, 56, kMiniStreamCutoff);
  Put32(header, 60, kEndOfChain);  // no mini FAT
  Put32(header, 68, layout.difatSectors > 0 ? layout.FirstDifatSector() : kEndOfChain);
  Put32(header, 72, layout.difatSectors);
  for (uint32_t i = 0; i < kHeaderDifatEntries; ++i)
    Put32(header, 76 + 4 * i, i < layout.fatSectors ? layout.FirstFatSector() + i : kFreeSector);
  WriteAt(0, header.data(), header.size());
  finished_ = true;
  if (::close(fd_) != 0) {
    fd_ = -1;
    throw Exception(SystemError("Error closing the compound file"));
  }
  fd_ = -1;
}

}  // namespace verimo
