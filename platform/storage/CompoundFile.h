#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string_view>
#include <vector>

#include "core/NonCopyable.h"
#include "core/WideString.h"

namespace verimo {

// Writes a compound file (version 3, 512-byte sectors) holding one stream
// under the root storage. The stream is made of a head followed by a body;
// the body is written first, sector by sector straight into the file while
// it grows, then the head, stored in the sectors after the body and chained
// in front of it. Memory stays bounded by the write buffer. Bytes of the
// body already written can still be patched in place until the head
// starts. The output is deterministic: times and class ids are zero.
class TCompoundFileWriter : private TNonCopyable {
 public:
  static constexpr size_t kSectorSize = 512;
  // Streams below this size would belong in a mini stream; they are padded
  // with zero bytes to it instead.
  static constexpr uint32_t kMiniStreamCutoff = 4096;
  // The largest stream a version-3 file holds (its size field is 32-bit and
  // sector numbers stop below 0xFFFFFFFA).
  static constexpr uint64_t kMaxStreamSize = 0xFFFFFFFFull - kSectorSize;

  // Creates (or truncates) the file. Raises verimo::Exception when it cannot.
  TCompoundFileWriter(const std::filesystem::path& path, WideStringView streamName);
  ~TCompoundFileWriter();

  // Appends bytes to the body.
  void Write(const void* data, size_t size);
  // Overwrites body bytes written before, at `offset` from the body's start.
  void Patch(uint64_t offset, const void* data, size_t size);
  uint64_t BodySize() const { return bodySize_; }

  // Appends bytes to the head; the first call ends the body.
  void WriteHead(const void* data, size_t size);
  uint64_t HeadSize() const { return headSize_; }
  // Writes the allocation tables, the directory and the header. The head
  // comes before the body in the stream; its size must be a multiple of
  // kSectorSize when the body is not empty. Nothing can be written after.
  void Finish();
  // WriteHead(head), then Finish().
  void Finish(std::string_view head);
  // Closes the file without completing it (what is on disk stays).
  void Close();

 private:
  void Append(const void* data, size_t size);
  void FlushWholeSectors();
  void FlushLastSector();
  void WriteAt(uint64_t fileOffset, const void* data, size_t size);
  void WriteSectors(uint32_t firstSector, std::string_view bytes);

  int fd_ = -1;
  WideString streamName_;
  // Bytes not yet in the file: of the body, or of the head once it started.
  std::vector<unsigned char> buffer_;
  uint64_t flushed_ = 0;  // bytes of the current part already in the file
  uint64_t bodySize_ = 0;
  uint64_t headSize_ = 0;
  uint64_t headStart_ = 0;  // file offset of the head's first sector
  bool inHead_ = false;
  bool finished_ = false;
};

// The layout of the sectors after the body, worked out before anything is
// written: the head, zero sectors that pad a small stream, the directory,
// the allocation table and the sectors that list the table's sectors.
struct TCompoundFileLayout {
  uint32_t bodySectors = 0;
  uint32_t headSectors = 0;
  uint32_t padSectors = 0;
  uint32_t fatSectors = 0;
  uint32_t difatSectors = 0;
  uint32_t streamSize = 0;

  uint32_t FirstHeadSector() const { return bodySectors; }
  uint32_t FirstPadSector() const { return bodySectors + headSectors; }
  uint32_t DirectorySector() const { return FirstPadSector() + padSectors; }
  uint32_t FirstFatSector() const { return DirectorySector() + 1; }
  uint32_t FirstDifatSector() const { return FirstFatSector() + fatSectors; }
  uint32_t TotalSectors() const { return FirstDifatSector() + difatSectors; }

  static TCompoundFileLayout For(uint64_t headSize, uint64_t bodySize);
};

}  // namespace verimo
