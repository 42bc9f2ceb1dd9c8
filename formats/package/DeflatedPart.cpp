#include "formats/package/DeflatedPart.h"

#include <zlib.h>

#include <algorithm>
#include <system_error>
#include <utility>

#include "core/Exception.h"

namespace verimo {
namespace fs = std::filesystem;
namespace {

// Bytes the caller gathers before it hands them to the worker, and how many
// such chunks may wait: the memory the worker mode holds is about their
// product.
constexpr size_t kChunkSize = 1 << 20;
constexpr size_t kQueueDepth = 4;
constexpr size_t kOutputSize = 256 * 1024;
// zlib takes at most this many bytes in one call.
constexpr size_t kMaxPiece = 1u << 30;

}  // namespace

// The zlib stream, the running CRC-32 and the file the compressed bytes go
// to. Used by one thread at a time.
class TDeflatedPart::TCompressor {
 public:
  TCompressor(const fs::path& file, int level) : file_(file, TFileStream::TMode::Create), output_(kOutputSize) {
    if (deflateInit2(&stream_, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
      throw Exception("The compressor for " + file.string() + " cannot be set up");
  }
  ~TCompressor() { deflateEnd(&stream_); }
  TCompressor(const TCompressor&) = delete;
  TCompressor& operator=(const TCompressor&) = delete;

  void Feed(const char* data, size_t count) {
    while (count > 0) {
      const size_t piece = std::min(count, kMaxPiece);
      crc_ = crc32(crc_, reinterpret_cast<const Bytef*>(data), static_cast<uInt>(piece));
      stream_.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data));
      stream_.avail_in = static_cast<uInt>(piece);
      Deflate(Z_NO_FLUSH);
      data += piece;
      count -= piece;
    }
  }

  void Finish() {
    stream_.next_in = nullptr;
    stream_.avail_in = 0;
    Deflate(Z_FINISH);
    file_.Close();
  }

  uint32_t Crc() const { return static_cast<uint32_t>(crc_); }
  // zlib's guess from the first block, as the zip writer records it.
  bool LooksLikeText() const { return stream_.data_type == Z_TEXT; }
  const fs::path& File() const { return file_.FileName(); }

 private:
  // Runs deflate until it has taken all input (Z_NO_FLUSH) or has written
  // the end of the stream (Z_FINISH), writing out every full output buffer.
  void Deflate(int flush) {
    for (;;) {
      stream_.next_out = output_.data();
      stream_.avail_out = static_cast<uInt>(output_.size());
      const int result = deflate(&stream_, flush);
      if (result == Z_STREAM_ERROR) throw Exception("Compressing " + File().string() + " failed");
      file_.Write(output_.data(), output_.size() - stream_.avail_out);
      if (flush == Z_FINISH ? result == Z_STREAM_END : stream_.avail_out != 0) return;
    }
  }

  TFileStream file_;
  z_stream stream_{};
  uLong crc_ = crc32(0, Z_NULL, 0);
  std::vector<Bytef> output_;
};

TDeflatedPart::TDeflatedPart(const fs::path& file, int level, TMode mode)
    : compressor_(std::make_unique<TCompressor>(file, level)), mode_(mode) {
  if (mode_ == TMode::InWorker) {
    chunk_.reserve(kChunkSize);
    worker_ = std::thread([this] { RunWorker(); });
  }
}

TDeflatedPart::~TDeflatedPart() {
  StopWorker();
  const fs::path file = File();
  compressor_.reset();
  std::error_code ec;
  fs::remove(file, ec);
}

const fs::path& TDeflatedPart::File() const { return compressor_->File(); }

void TDeflatedPart::Write(const void* data, size_t count) {
  if (finished_) throw Exception("The part " + File().string() + " is complete already");
  const auto* bytes = static_cast<const char*>(data);
  written_ += count;
  if (mode_ == TMode::InCaller) {
    compressor_->Feed(bytes, count);
    return;
  }
  while (count > 0) {
    const size_t piece = std::min(count, kChunkSize - chunk_.size());
    chunk_.append(bytes, piece);
    bytes += piece;
    count -= piece;
    if (chunk_.size() == kChunkSize) HandOver();
  }
}

// Queues the filled chunk (waiting while the queue is full) and takes a
// spare one to fill next.
void TDeflatedPart::HandOver() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return queue_.size() < kQueueDepth || failure_; });
  if (failure_) RaiseWorkerFailure();
  queue_.push_back(std::move(chunk_));
  if (spare_.empty()) {
    chunk_ = std::string();
    chunk_.reserve(kChunkSize);
  } else {
    chunk_ = std::move(spare_.back());
    spare_.pop_back();
  }
  changed_.notify_all();
}

void TDeflatedPart::RunWorker() noexcept {
  std::unique_lock lock(mutex_);
  try {
    for (;;) {
      changed_.wait(lock, [this] { return !queue_.empty() || closing_ || stopping_; });
      if (stopping_) break;
      if (queue_.empty()) {
        lock.unlock();
        compressor_->Finish();
        lock.lock();
        break;
      }
      std::string chunk = std::move(queue_.front());
      queue_.pop_front();
      changed_.notify_all();
      lock.unlock();
      compressor_->Feed(chunk.data(), chunk.size());
      chunk.clear();
      lock.lock();
      spare_.push_back(std::move(chunk));
    }
  } catch (...) {
    if (!lock.owns_lock()) lock.lock();
    failure_ = std::current_exception();
  }
  workerDone_ = true;
  changed_.notify_all();
}

void TDeflatedPart::StopWorker() noexcept {
  if (!worker_.joinable()) return;
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  worker_.join();
}

void TDeflatedPart::RaiseWorkerFailure() {
  const std::exception_ptr failure = failure_;
  finished_ = true;
  std::rethrow_exception(failure);
}

void TDeflatedPart::Finish() {
  if (finished_) throw Exception("The part " + File().string() + " is complete already");
  if (mode_ == TMode::InCaller) {
    finished_ = true;
    compressor_->Finish();
  } else {
    if (!chunk_.empty()) HandOver();
    std::unique_lock lock(mutex_);
    closing_ = true;
    changed_.notify_all();
    changed_.wait(lock, [this] { return workerDone_; });
    lock.unlock();
    worker_.join();
    finished_ = true;
    if (failure_) std::rethrow_exception(failure_);
  }
  crc_ = compressor_->Crc();
  looksLikeText_ = compressor_->LooksLikeText();
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
