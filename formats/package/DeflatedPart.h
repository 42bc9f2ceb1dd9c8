#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "engine/TesselStream.h"

namespace verimo {

// One archive entry compressed ahead of the archive: the bytes written to it
// are deflated exactly as the archive writer deflates an entry (raw deflate,
// window bits -15, memory level 8, default strategy, at `level`) into a
// file, with their CRC-32 and their count, so that the archive can take the
// compressed bytes as they are. The compressed bytes do not depend on how
// the input is split into writes.
//
// In the worker mode the compression runs on a thread of its own while the
// caller goes on producing bytes: writes are gathered into chunks that are
// handed over through a short queue (memory stays flat; a caller that is
// ahead waits). A failure of the worker (such as a write of the file)
// is raised by the next Write or by Finish. Destroying a part that is not
// finished stops the worker without waiting for the bytes still queued.
//
// The file is the part's own: it goes when the part goes.
//
// Only writing is supported: reading, seeking elsewhere than to the end and
// resizing raise.
class TDeflatedPart : public TStream {
 public:
  enum class TMode : uint8_t { InCaller, InWorker };

  TDeflatedPart(const std::filesystem::path& file, int level, TMode mode);
  ~TDeflatedPart() override;

  void Write(const void* data, size_t count) override;
  using TStream::Write;
  size_t Read(void* buffer, size_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t Size() override { return static_cast<int64_t>(written_); }
  void SetSize(int64_t size) override;

  // Compresses what is left, waits for the worker and closes the file;
  // raises the failure of any step. Nothing can be written afterwards.
  void Finish();

  const std::filesystem::path& File() const;
  // Of the uncompressed bytes; valid after Finish.
  uint32_t Crc() const { return crc_; }
  uint64_t UncompressedSize() const { return written_; }
  // Whether zlib took the bytes for text (the entry's "text" attribute);
  // valid after Finish.
  bool LooksLikeText() const { return looksLikeText_; }

 private:
  class TCompressor;

  void HandOver();
  void RunWorker() noexcept;
  void StopWorker() noexcept;
  void RaiseWorkerFailure();

  std::unique_ptr<TCompressor> compressor_;
  TMode mode_;
  bool finished_ = false;
  uint64_t written_ = 0;
  uint32_t crc_ = 0;
  bool looksLikeText_ = false;

  // The worker mode: `chunk_` fills on the caller's side; full chunks wait
  // in `queue_`; compressed chunks come back through `spare_` for reuse.
  std::string chunk_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::string> queue_;
  std::vector<std::string> spare_;
  bool closing_ = false;
  bool stopping_ = false;
  bool workerDone_ = false;
  std::exception_ptr failure_;
  std::thread worker_;
};

}  // namespace verimo
