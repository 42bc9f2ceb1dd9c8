#include "formats/package/DeflatedPart.h"

#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>
#include <system_error>
#include <utility>

#include "core/Exception.h"

namespace verimo {
namespace fs = std::filesystem;
namespace {

// Blocks handed over and not yet written (queued, being compressed or
// waiting for their turn): a worker that is done finds the next block
// ready, and a caller that is ahead waits. The worker mode holds about
// this many blocks and their outputs.
constexpr size_t kBlocksInFlight = 4;
constexpr unsigned kMaxWorkers = 2;
// zlib's window: a block deflated by zlib has this much of the input before
// it as its dictionary.
constexpr size_t kDictionarySize = 32 * 1024;
static_assert(TDeflatedPart::kBlockSize >= kDictionarySize);
// libdeflate's levels a part may take, cheapest first, and how small (in
// percent of zlib's) its stream of the sample block must be for a level to
// be taken. The sample is the second block, measured against zlib's stream
// of it with the first block's end as dictionary (what zlib's one stream
// makes of a block in the middle of the part), with a margin for blocks
// that compress otherwise. A part of less than two full blocks is measured
// by its first block alone, where zlib's later blocks would gain from their
// dictionary and libdeflate's would not (up to 2% on our parts).
constexpr int kLibdeflateLevels[] = {6, 7, 8};
constexpr size_t kShareOfDictionaryStream = 99;
constexpr size_t kShareOfFirstBlock = 98;

unsigned WorkerCount() { return std::clamp(std::thread::hardware_concurrency(), 1u, kMaxWorkers); }

// zlib's rule for the "text" attribute of an entry: none of the bytes 0-6,
// 14-25 and 28-31, and at least one tab, line feed, carriage return or byte
// from 32 up.
bool IsTextLike(std::string_view bytes) {
  constexpr uint32_t kBinaryControls = 0xF3FFC07Fu;
  bool text = false;
  for (const char ch : bytes) {
    const auto byte = static_cast<uint8_t>(ch);
    if (byte >= 32 || byte == '\t' || byte == '\n' || byte == '\r') {
      text = true;
    } else if (((kBinaryControls >> byte) & 1) != 0) {
      return false;
    }
  }
  return text;
}

// `bytes` deflated by zlib at `level` into blocks that end on a byte
// boundary, none of them final: a flush ends them with an empty stored block.
std::string DeflateFlushed(std::string_view bytes, int level) {
  z_stream stream{};
  if (deflateInit2(&stream, level, Z_DEFLATED, -MAX_WBITS, kZlibMemoryLevel, Z_DEFAULT_STRATEGY) != Z_OK)
    throw Exception("zlib cannot start a deflate stream");
  std::string out(deflateBound(&stream, static_cast<uLong>(bytes.size())) + 16, '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
  stream.avail_in = static_cast<uInt>(bytes.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  const int result = deflate(&stream, Z_SYNC_FLUSH);
  const bool complete = result == Z_OK && stream.avail_in == 0 && stream.avail_out > 0;
  out.resize(out.size() - stream.avail_out);
  deflateEnd(&stream);
  if (!complete) throw Exception("zlib cannot deflate a part's head");
  return out;
}

}  // namespace

// One block of input and what deflate made of it.
struct TDeflatedPart::TBlock {
  uint64_t Index = 0;
  bool Last = false;
  // The end of the previous block's input, for zlib.
  std::string Dictionary;
  std::string Input;
  TDeflatedBlock Output;
  uint32_t Crc = 0;
  bool LooksLikeText = false;

  explicit TBlock(size_t size) { Input.reserve(size); }

  // Makes this the block after `previous` (which may be this block itself).
  void Follow(const TBlock& previous, bool withDictionary) {
    Index = previous.Index + 1;
    Last = false;
    if (withDictionary) Dictionary.assign(previous.Input, previous.Input.size() - kDictionarySize, kDictionarySize);
    Input.clear();
  }
};

TDeflatedPart::TDeflatedPart(const fs::path& file, int level, TMode mode)
    : fileName_(file),
      file_(std::make_unique<TFileStream>(file, TFileStream::TMode::Create)),
      level_(level),
      mode_(mode),
      join_(*file_),
      current_(std::make_unique<TBlock>(kBlockSize)),
      callerDeflater_(std::make_unique<TBlockDeflater>()),
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
    if (current_->Input.size() == blockSize_) StartNextBlock();
    const size_t piece = std::min(count, blockSize_ - current_->Input.size());
    current_->Input.append(bytes, piece);
    bytes += piece;
    count -= piece;
  }
}

// A full block is handed over only once more input comes, so that the last
// block is never empty and a part of one block is deflated as a whole. The
// first two blocks are compressed by the caller in either mode: they
// choose the compressor before any worker starts.
void TDeflatedPart::StartNextBlock() {
  if (current_->Index == 0) {
    first_ = std::exchange(current_, std::make_unique<TBlock>(kBlockSize));
    current_->Follow(*first_, true);
    return;
  }
  if (current_->Index == 1) {
    WriteFirstBlocks();
    current_->Follow(*current_, libdeflateLevel_ == 0);
    return;
  }
  if (mode_ == TMode::InCaller) {
    CompressInCaller(*current_);
    current_->Follow(*current_, libdeflateLevel_ == 0);
    return;
  }
  std::unique_ptr<TBlock> next = TakeSpareBlock();
  next->Follow(*current_, libdeflateLevel_ == 0);
  Submit(std::exchange(current_, std::move(next)));
}

std::unique_ptr<TDeflatedPart::TBlock> TDeflatedPart::TakeSpareBlock() {
  std::lock_guard lock(mutex_);
  if (spare_.empty()) return std::make_unique<TBlock>(blockSize_);
  std::unique_ptr<TBlock> block = std::move(spare_.back());
  spare_.pop_back();
  return block;
}

// zlib's stream of the sample block is the measure; libdeflate's lowest
// level whose stream is at most `share` percent of it takes over (see
// kLibdeflateLevels), or with no share the level whose stream is smallest,
// if smaller. The sample keeps the chosen compressor's stream.
void TDeflatedPart::ChooseCompressor(TBlockDeflater& deflater, TBlock& sample, size_t share) {
  deflater.DeflateZlib(level_, sample.Dictionary, sample.Input, sample.Output);
  TDeflatedBlock candidate;
  for (const int level : kLibdeflateLevels) {
    deflater.DeflateLibdeflate(level, sample.Input, candidate);
    const bool smaller = share == 0 ? candidate.Size < sample.Output.Size
                                    : candidate.Size * 100 <= sample.Output.Size * share;
    if (!smaller) continue;
    std::swap(sample.Output, candidate);
    libdeflateLevel_ = level;
    if (share != 0) return;
  }
}

// The part's first block, and its second one when there is one: the
// compressor is chosen by a sample of them, then both are compressed and
// written by the caller. The sample is the second block when it is full,
// the first one otherwise; a part of one block is its own sample.
void TDeflatedPart::WriteFirstBlocks() {
  TBlockDeflater& deflater = *callerDeflater_;
  if (!first_) {
    ChooseCompressor(deflater, *current_, 0);
    Checksum(*current_);
    WriteOut(*current_);
    submitted_ = nextToWrite_ = 1;
    return;
  }
  const bool secondIsSample = current_->Input.size() == kBlockSize;
  TBlock& sample = secondIsSample ? *current_ : *first_;
  TBlock& other = secondIsSample ? *first_ : *current_;
  ChooseCompressor(deflater, sample, secondIsSample ? kShareOfDictionaryStream : kShareOfFirstBlock);
  Deflate(deflater, other);
  Checksum(*first_);
  Checksum(*current_);
  WriteOut(*first_);
  WriteOut(*current_);
  submitted_ = nextToWrite_ = 2;
  first_.reset();
  if (libdeflateLevel_ == 0) blockSize_ = kZlibBlockSize;
}

void TDeflatedPart::Deflate(TBlockDeflater& deflater, TBlock& block) const {
  if (libdeflateLevel_ > 0) {
    deflater.DeflateLibdeflate(libdeflateLevel_, block.Input, block.Output);
  } else {
    deflater.DeflateZlib(level_, block.Dictionary, block.Input, block.Output);
  }
}

// The block's CRC-32 (and, for the first block, whether it looks like text).
void TDeflatedPart::Checksum(TBlock& block) {
  block.Crc = libdeflate_crc32(0, block.Input.data(), block.Input.size());
  if (block.Index == 0) block.LooksLikeText = IsTextLike(block.Input);
}

// Deflates a block after the first two, on any thread.
void TDeflatedPart::Compress(TBlockDeflater& deflater, TBlock& block) {
  Deflate(deflater, block);
  Checksum(block);
}

void TDeflatedPart::CompressInCaller(TBlock& block) {
  Compress(*callerDeflater_, block);
  WriteOut(block);
  ++submitted_;
  ++nextToWrite_;
}

// Joins the block's stream onto the file and its CRC-32 onto the part's; by
// one thread at a time, in the order of the blocks.
void TDeflatedPart::WriteOut(TBlock& block) {
  join_.Append(block.Output, block.Last);
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
    TBlockDeflater deflater;
    lock.lock();
    for (;;) {
      changed_.wait(lock, [this] { return !queue_.empty() || stopping_ || failure_; });
      if (stopping_ || failure_) break;
      std::unique_ptr<TBlock> block = std::move(queue_.front());
      queue_.pop_front();
      lock.unlock();
      Compress(deflater, *block);
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
  // In the worker mode a part of up to two blocks has not started the workers.
  if (current_->Index <= 1) {
    WriteFirstBlocks();
  } else if (mode_ == TMode::InCaller) {
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
  complete_ = true;
}

// A finished part waits for the archive with its file only, and a part of
// one block with that block's input too, for a head (DeflateWithHead).
void TDeflatedPart::ReleaseBuffers() {
  first_.reset();
  if (current_ && current_->Index == 0) {
    current_->Input.shrink_to_fit();
  } else {
    current_.reset();
  }
  callerDeflater_.reset();
  spare_.clear();
  completed_.clear();
  queue_.clear();
}

void TDeflatedPart::PrependHead(std::string_view head) {
  if (!complete_ || headed_) throw Exception("The part " + File().string() + " cannot take a head now");
  headed_ = true;
  if (head.empty()) return;
  if (current_) {
    DeflateWithHead(head);
  } else {
    deflatedHead_ = DeflateFlushed(head, level_);
  }
  const uint32_t headCrc = libdeflate_crc32(0, head.data(), head.size());
  crc_ = static_cast<uint32_t>(crc32_combine(headCrc, crc_, static_cast<z_off_t>(written_)));
  written_ += head.size();
}

// A part of one block is deflated again with its head in front, as one
// stream: apart, the head's own deflate blocks cost a small part much of
// what the compressor saved.
void TDeflatedPart::DeflateWithHead(std::string_view head) {
  std::unique_ptr<TBlock> whole = std::move(current_);
  whole->Input.insert(0, head);
  whole->Last = true;
  TBlockDeflater deflater;
  ChooseCompressor(deflater, *whole, 0);
  looksLikeText_ = IsTextLike(whole->Input);
  complete_ = false;
  file_ = std::make_unique<TFileStream>(fileName_, TFileStream::TMode::Create);
  TDeflateJoin(*file_).Append(whole->Output, true);
  file_->Close();
  complete_ = true;
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
