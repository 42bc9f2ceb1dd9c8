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
#include "formats/package/BlockDeflate.h"

namespace verimo {

// One archive entry compressed ahead of the archive: the bytes written to it
// are deflated (raw deflate) into a file, with their CRC-32 and their
// count, so that the archive can take the compressed bytes as they are.
//
// The input is cut into blocks of a fixed size (1 MB; 4 MB after the first
// two where zlib deflates, so that fewer block ends cost it compression),
// whatever the sizes of the writes. Each block is deflated into a stream of its own, and the
// blocks' streams are joined into one deflate stream (TDeflateJoin). The
// part is to come out no larger than zlib at `level` would make it; zlib at
// that level is the measure and the fallback, libdeflate (several times
// faster) is taken where it keeps to the measure. A sample of the first
// two blocks decides (ChooseCompressor). With libdeflate each block is deflated on its own;
// with zlib each block has the last 32 KB of the block before it as its
// dictionary. A part of one block is the smallest stream either made of
// its bytes. The compressed bytes depend only on the input and the level,
// not on the mode nor on the number of threads.
//
// In the caller mode the blocks are compressed by the writing thread. In
// the worker mode the first two blocks are still compressed by the caller,
// the others on up to two worker threads while the caller goes on producing
// bytes, each written to the file in order by whichever worker completes
// the next one. At most a few blocks are under way at once (memory stays
// flat; a caller that is ahead waits). A failure of a worker (such as a
// write of the file) is raised by the next Write or by Finish. Destroying a
// part that is not finished stops the workers without waiting for the
// blocks still queued.
//
// The file is the part's own: it goes when the part goes.
//
// Only writing is supported: reading, seeking elsewhere than to the end and
// resizing raise.
class TDeflatedPart : public TStream {
 public:
  enum class TMode : uint8_t { InCaller, InWorker };

  // `level`: zlib's level (1 to 9) the part is measured against.
  TDeflatedPart(const std::filesystem::path& file, int level, TMode mode);
  ~TDeflatedPart() override;

  void Write(const void* data, size_t count) override;
  using TStream::Write;
  size_t Read(void* buffer, size_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t Size() override { return static_cast<int64_t>(written_); }
  void SetSize(int64_t size) override;

  // Compresses what is left, waits for the workers and closes the file;
  // raises the failure of any step. Nothing can be written afterwards.
  void Finish();

  // Puts `head` in front of the finished part's bytes, for a part whose
  // beginning is known only once the rest is written: deflated on its own
  // (zlib at the part's level) into blocks that end on a byte boundary
  // without a final block, which the part's stream continues; a part of one
  // block (whose input is kept for this) is deflated again whole, head
  // first, into its file. Once only.
  void PrependHead(std::string_view head);
  // The head's compressed bytes, to be stored before the file's.
  const std::string& DeflatedHead() const { return deflatedHead_; }

  const std::filesystem::path& File() const { return fileName_; }
  // Whether Finish succeeded: the file holds the whole stream.
  bool Complete() const { return complete_; }
  // Of the uncompressed bytes, the head's included; valid after Finish.
  uint32_t Crc() const { return crc_; }
  uint64_t UncompressedSize() const { return written_; }
  // Whether the bytes look like text (the entry's "text" attribute), judged
  // by the first block as zlib judges a stream; valid after Finish.
  bool LooksLikeText() const { return looksLikeText_; }
  // libdeflate's level the part was deflated at, or 0 for zlib; valid once
  // the first two blocks are compressed.
  int LibdeflateLevel() const { return libdeflateLevel_; }

  // The input bytes of one block (the last block may be shorter), and of
  // the blocks after the first two where zlib deflates.
  static constexpr size_t kBlockSize = 1 << 20;
  static constexpr size_t kZlibBlockSize = 4 << 20;

 private:
  struct TBlock;

  void StartNextBlock();
  std::unique_ptr<TBlock> TakeSpareBlock();
  void Submit(std::unique_ptr<TBlock> block);
  void ChooseCompressor(TBlockDeflater& deflater, TBlock& sample, size_t share);
  void WriteFirstBlocks();
  void Deflate(TBlockDeflater& deflater, TBlock& block) const;
  static void Checksum(TBlock& block);
  void Compress(TBlockDeflater& deflater, TBlock& block);
  void CompressInCaller(TBlock& block);
  void WriteOut(TBlock& block);
  void RunWorker() noexcept;
  void WriteCompletedBlocks(std::unique_lock<std::mutex>& lock);
  void StopWorkers() noexcept;
  [[noreturn]] void RaiseWorkerFailure();
  void CheckWritable() const;
  void ReleaseBuffers();
  void DeflateWithHead(std::string_view head);

  std::filesystem::path fileName_;
  std::unique_ptr<TFileStream> file_;
  int level_;
  TMode mode_;
  int libdeflateLevel_ = 0;
  size_t blockSize_ = kBlockSize;
  bool finished_ = false;
  bool complete_ = false;
  uint64_t written_ = 0;
  uint32_t crc_ = 0;
  bool looksLikeText_ = false;
  bool headed_ = false;
  std::string deflatedHead_;
  TDeflateJoin join_;
  // The first block while the second is filled, the block being filled by
  // the caller, and the caller's deflater.
  std::unique_ptr<TBlock> first_;
  std::unique_ptr<TBlock> current_;
  std::unique_ptr<TBlockDeflater> callerDeflater_;

  // The worker mode: blocks wait in `queue_` for a worker, compressed ones
  // in `completed_` (by their index) for their turn to be written; written
  // ones are kept in `spare_` for reuse.
  std::mutex mutex_;
  std::condition_variable changed_;
  uint64_t submitted_ = 0;
  uint64_t nextToWrite_ = 0;
  std::deque<std::unique_ptr<TBlock>> queue_;
  std::vector<std::unique_ptr<TBlock>> completed_;
  std::vector<std::unique_ptr<TBlock>> spare_;
  bool writing_ = false;
  bool stopping_ = false;
  std::exception_ptr failure_;
  std::vector<std::thread> workers_;
};

}  // namespace verimo
