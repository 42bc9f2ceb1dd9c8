#include "formats/package/DeflatedPart.h"

#include <zlib.h>

#include <algorithm>
#include <system_error>
#include <utility>

#include "core/Exception.h"

namespace verimo {
namespace fs = std::filesystem;
namespace {

// How far deflate looks back: each block is primed with as much of the
// input before it.
constexpr size_t kDictionarySize = 32 * 1024;
static_assert(TDeflatedPart::kBlockSize >= kDictionarySize);
// Blocks handed over and not yet written (queued, being compressed or
// waiting for their turn): a worker that is done finds the next block
// ready, and a caller that is ahead waits. The worker mode holds about
// this many blocks and their outputs.
constexpr size_t kBlocksInFlight = 4;
constexpr unsigned kMaxWorkers = 2;
// Room beyond deflateBound (which counts a finished stream) for the empty
// stored block of a sync flush.
constexpr size_t kFlushMargin = 64;

Bytef* ZlibBytes(const std::string& bytes) { return reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data())); }

unsigned WorkerCount() { return std::clamp(std::thread::hardware_concurrency(), 1u, kMaxWorkers); }

}  // namespace

// One block of input and what deflate made of it.
struct TDeflatedPart::TBlock {
  uint64_t Index = 0;
  bool Last = false;
  // The end of the previous block's input.
  std::string Dictionary;
  std::string Input;
  // Grown without being filled first, so that only what deflate writes
  // takes memory.
  std::unique_ptr<Bytef[]> Output;
  size_t OutputCapacity = 0;
  size_t OutputSize = 0;
  uint32_t Crc = 0;
  bool LooksLikeText = false;

  TBlock() { Input.reserve(kBlockSize); }

  // Makes this the block after `previous` (which may be this block itself).
  void Follow(const TBlock& previous) {
    Index = previous.Index + 1;
    Last = false;
    Dictionary.assign(previous.Input, previous.Input.size() - kDictionarySize, kDictionarySize);
    Input.clear();
  }

  void ReserveOutput(size_t size) {
    if (size <= OutputCapacity) return;
    auto grown = std::make_unique_for_overwrite<Bytef[]>(size);
    std::copy_n(Output.get(), OutputSize, grown.get());
    Output = std::move(grown);
    OutputCapacity = size;
  }
};

// A raw deflate stream with the archive's parameters, reset for each block.
// Used by one thread at a time.
class TDeflatedPart::TDeflater {
 public:
  TDeflater(int level, const fs::path& file) : file_(file) {
    if (deflateInit2(&stream_, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
      throw Exception("The compressor for " + file.string() + " cannot be set up");
  }
  ~TDeflater() { deflateEnd(&stream_); }
  TDeflater(const TDeflater&) = delete;
  TDeflater& operator=(const TDeflater&) = delete;

  // Deflates the block's input (after its dictionary) into its output,
  // ending with a sync flush or, for the last block, the end of the stream;
  // takes the input's CRC-32 and zlib's guess whether it is text.
  void Compress(TBlock& block) {
    Check(deflateReset(&stream_));
    if (!block.Dictionary.empty())
      Check(deflateSetDictionary(&stream_, ZlibBytes(block.Dictionary), static_cast<uInt>(block.Dictionary.size())));
    const auto size = static_cast<uInt>(block.Input.size());
    block.Crc = static_cast<uint32_t>(crc32(crc32(0, Z_NULL, 0), ZlibBytes(block.Input), size));
    block.OutputSize = 0;
    block.ReserveOutput(deflateBound(&stream_, size) + kFlushMargin);
    stream_.next_in = ZlibBytes(block.Input);
    stream_.avail_in = size;
    const int flush = block.Last ? Z_FINISH : Z_SYNC_FLUSH;
    for (;;) {
      if (block.OutputSize == block.OutputCapacity) block.ReserveOutput(2 * block.OutputCapacity);
      stream_.next_out = block.Output.get() + block.OutputSize;
      stream_.avail_out = static_cast<uInt>(block.OutputCapacity - block.OutputSize);
      const int result = deflate(&stream_, flush);
      block.OutputSize = block.OutputCapacity - stream_.avail_out;
      if (result != Z_STREAM_END) Check(result);
      // A sync flush is complete when deflate leaves output room unused.
      if (block.Last ? result == Z_STREAM_END : stream_.avail_out != 0) break;
    }
    block.LooksLikeText = stream_.data_type == Z_TEXT;
  }

 private:
  void Check(int result) const {
    if (result != Z_OK)
      throw Exception("Compressing " + file_.string() + " failed (zlib error " + std::to_string(result) + ")");
  }

  const fs::path& file_;
  z_stream stream_{};
};

TDeflatedPart::TDeflatedPart(const fs::path& file, int level, TMode mode)
    : fileName_(file),
      file_(std::make_unique<TFileStream>(file, TFileStream::TMode::Create)),
      level_(level),
      mode_(mode),
      current_(std::make_unique<TBlock>()),
      callerDeflater_(std::make_unique<TDeflater>(level, fileName_)),
      completed_(kBlocksInFlight) {}

TDeflatedPart::~TDeflatedPart() {
  StopWorkers();
  file_.reset();
  std::error_code ec;
  fs::remove(fileName_, ec);
}

void TDeflatedPart::CheckWritable() const {
  if (finished_) throw Exception("The part " + File().string() + " is complete already");
}

void TDeflatedPart::Write(const void* data, size_t count) {
  CheckWritable();
  const auto* bytes = static_cast<const char*>(data);
  written_ += count;
  while (count > 0) {
    if (current_->Input.size() == kBlockSize) StartNextBlock();
    const size_t piece = std::min(count, kBlockSize - current_->Input.size());
    current_->Input.append(bytes, piece);
    bytes += piece;
    count -= piece;
  }
}

// A full block is handed over only once more input comes, so that the last
// block is never empty and a part of one block is the plain stream.
void TDeflatedPart::StartNextBlock() {
  if (mode_ == TMode::InCaller) {
    CompressInCaller(*current_);
    current_->Follow(*current_);
    return;
  }
  std::unique_ptr<TBlock> next = TakeSpareBlock();
  next->Follow(*current_);
  Submit(std::exchange(current_, std::move(next)));
}

std::unique_ptr<TDeflatedPart::TBlock> TDeflatedPart::TakeSpareBlock() {
  std::lock_guard lock(mutex_);
  if (spare_.empty()) return std::make_unique<TBlock>();
  std::unique_ptr<TBlock> block = std::move(spare_.back());
  spare_.pop_back();
  return block;
}

void TDeflatedPart::CompressInCaller(TBlock& block) {
  callerDeflater_->Compress(block);
  WriteOut(block);
}

// Appends the block's output to the file and its CRC-32 to the part's; by
// one thread at a time, in the order of the blocks.
void TDeflatedPart::WriteOut(const TBlock& block) {
  file_->Write(block.Output.get(), block.OutputSize);
  crc_ = static_cast<uint32_t>(crc32_combine(crc_, block.Crc, static_cast<z_off_t>(block.Input.size())));
  if (block.Index == 0) looksLikeText_ = block.LooksLikeText;
}

// Queues the block for the workers (starting them with the first one),
// waiting while too many blocks are under way.
void TDeflatedPart::Submit(std::unique_ptr<TBlock> block) {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return submitted_ - nextToWrite_ < kBlocksInFlight || failure_; });
  if (failure_) RaiseWorkerFailure();
  if (workers_.empty()) {
    try {
      for (unsigned i = WorkerCount(); i > 0; --i) workers_.emplace_back([this] { RunWorker(); });
    } catch (...) {
      failure_ = std::current_exception();
      RaiseWorkerFailure();
    }
  }
  queue_.push_back(std::move(block));
  ++submitted_;
  changed_.notify_all();
}

void TDeflatedPart::RunWorker() noexcept {
  std::unique_lock lock(mutex_, std::defer_lock);
  try {
    TDeflater deflater(level_, fileName_);
    lock.lock();
    for (;;) {
      changed_.wait(lock, [this] { return !queue_.empty() || stopping_ || failure_; });
      if (stopping_ || failure_) break;
      std::unique_ptr<TBlock> block = std::move(queue_.front());
      queue_.pop_front();
      lock.unlock();
      deflater.Compress(*block);
      lock.lock();
      completed_[block->Index % kBlocksInFlight] = std::move(block);
      if (!writing_) WriteCompletedBlocks(lock);
    }
  } catch (...) {
    if (!lock.owns_lock()) lock.lock();
    if (!failure_) failure_ = std::current_exception();
    writing_ = false;
  }
  changed_.notify_all();
}

// Writes the compressed blocks that are next in order, releasing the lock
// while writing; the other workers go on compressing meanwhile.
void TDeflatedPart::WriteCompletedBlocks(std::unique_lock<std::mutex>& lock) {
  writing_ = true;
  for (;;) {
    std::unique_ptr<TBlock>& slot = completed_[nextToWrite_ % kBlocksInFlight];
    if (!slot || stopping_ || failure_) break;
    std::unique_ptr<TBlock> block = std::move(slot);
    lock.unlock();
    WriteOut(*block);
    lock.lock();
    ++nextToWrite_;
    spare_.push_back(std::move(block));
    changed_.notify_all();
  }
  writing_ = false;
}

void TDeflatedPart::StopWorkers() noexcept {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  for (std::thread& worker : workers_) worker.join();
  workers_.clear();
}

void TDeflatedPart::RaiseWorkerFailure() {
  finished_ = true;
  std::rethrow_exception(failure_);
}

void TDeflatedPart::Finish() {
  CheckWritable();
  finished_ = true;
  current_->Last = true;
  // In the worker mode a part of one block has not started the workers.
  if (mode_ == TMode::InCaller || current_->Index == 0) {
    CompressInCaller(*current_);
  } else {
    Submit(std::move(current_));
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return nextToWrite_ == submitted_ || failure_; });
    lock.unlock();
    StopWorkers();
    if (failure_) std::rethrow_exception(failure_);
  }
  file_->Close();
  ReleaseBuffers();
}

// A finished part waits for the archive with its file only.
void TDeflatedPart::ReleaseBuffers() {
  current_.reset();
  callerDeflater_.reset();
  spare_.clear();
  completed_.clear();
  queue_.clear();
}

size_t TDeflatedPart::Read(void*, size_t) { throw Exception("The part " + File().string() + " cannot be read"); }

int64_t TDeflatedPart::Seek(int64_t offset, TSeekOrigin origin) {
  const bool atEnd = origin == TSeekOrigin::Begin ? offset == Size() : offset == 0;
  if (!atEnd) throw Exception("The part " + File().string() + " is written in order only");
  return Size();
}

void TDeflatedPart::SetSize(int64_t size) {
  if (size != Size()) throw Exception("The part " + File().string() + " is written in order only");
}

}  // namespace verimo
