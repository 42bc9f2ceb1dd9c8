#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/NonCopyable.h"

namespace verimo {

enum class TSeekOrigin { Begin, Current, End };

// A seekable byte stream. Writing past the end extends the stream (a gap is
// filled with zeros); writing inside it overwrites, so formats can patch
// earlier bytes and splice parts. Failures raise verimo::Exception.
class TStream : private TNonCopyable {
 public:
  virtual ~TStream() = default;
  TStream() = default;

  // Reads up to `count` bytes at the position; returns how many were read.
  virtual size_t Read(void* buffer, size_t count) = 0;
  virtual void Write(const void* data, size_t count) = 0;
  // Returns the new position; a negative resulting position raises.
  virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;
  virtual int64_t Size() = 0;
  // Truncates or extends (with zeros); the position is clamped to the size.
  virtual void SetSize(int64_t size) = 0;
  // Hands buffered bytes to the device.
  virtual void Flush() {}

  int64_t Position() { return Seek(0, TSeekOrigin::Current); }
  void SetPosition(int64_t position) { Seek(position, TSeekOrigin::Begin); }

  void Write(std::string_view bytes) { Write(bytes.data(), bytes.size()); }
  // Reads exactly `count` bytes or raises.
  void ReadBuffer(void* buffer, size_t count);
  // Copies `count` bytes (all remaining when negative) from the source's
  // position to this stream's position; returns the bytes copied.
  int64_t CopyFrom(TStream& source, int64_t count = -1);
};

// A file on disk with a write buffer: small writes are gathered and handed
// to the system in large blocks. Seeking, reading, Size and Flush see
// buffered bytes as written.
class TFileStream : public TStream {
 public:
  enum class TMode {
    Create,     // create or truncate, read and write
    OpenRead,   // existing file, read only
    OpenWrite,  // existing file, read and write, kept as it is
  };

  TFileStream(const std::filesystem::path& fileName, TMode mode);
  // Flushes; errors on this path are lost, so call Close to see them.
  ~TFileStream() override;

  size_t Read(void* buffer, size_t count) override;
  void Write(const void* data, size_t count) override;
  using TStream::Write;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t Size() override;
  void SetSize(int64_t size) override;
  void Flush() override;
  // Flushes and closes the file; further use raises.
  void Close();

  const std::filesystem::path& FileName() const { return fileName_; }

 private:
  void CheckOpen() const;
  void FlushWrites();
  void DropReadBuffer();
  size_t FillReadBuffer();
  [[noreturn]] void RaiseSystemError(const char* action) const;

  static constexpr size_t kBufferSize = 256 * 1024;

  std::filesystem::path fileName_;
  int fd_ = -1;
  int64_t position_ = 0;    // logical position
  int64_t fileSize_ = 0;    // size on disk
  int64_t writeStart_ = 0;  // file offset of the pending bytes
  size_t pending_ = 0;      // bytes in buffer_ not yet written
  int64_t readStart_ = 0;   // file offset of the read-ahead bytes
  size_t readPos_ = 0;
  size_t readEnd_ = 0;
  std::vector<uint8_t> buffer_;  // holds either pending writes or read-ahead
};

// A file in the system's temporary folder (TMPDIR honoured), readable by
// its owner only, for parts of a document written before their place in
// it is reached. Its name is removed at once, so the file goes with the
// stream, however the program ends.
std::unique_ptr<TFileStream> CreateTemporaryFileStream();

// Bytes in memory.
class TMemoryStream : public TStream {
 public:
  TMemoryStream() = default;

  size_t Read(void* buffer, size_t count) override;
  void Write(const void* data, size_t count) override;
  using TStream::Write;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t Size() override { return static_cast<int64_t>(data_.size()); }
  void SetSize(int64_t size) override;

  const std::vector<uint8_t>& Bytes() const { return data_; }
  std::string_view View() const {
    return {reinterpret_cast<const char*>(data_.data()), data_.size()};
  }
  void Clear();
  bool SaveToFile(const std::filesystem::path& fileName) const;

 private:
  std::vector<uint8_t> data_;
  size_t position_ = 0;
};

// Counts what is written and keeps nothing; reads give nothing.
class TNullStream : public TStream {
 public:
  size_t Read(void*, size_t) override { return 0; }
  void Write(const void*, size_t count) override;
  using TStream::Write;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t Size() override { return size_; }
  void SetSize(int64_t size) override;

 private:
  int64_t position_ = 0;
  int64_t size_ = 0;
};

}  // namespace verimo
