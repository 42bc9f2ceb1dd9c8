#include "engine/TesselStream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/Exception.h"

namespace verimo {

namespace {

int64_t ResolveSeek(int64_t offset, TSeekOrigin origin, int64_t position, int64_t size) {
  int64_t base = 0;
  switch (origin) {
    case TSeekOrigin::Begin: base = 0; break;
    case TSeekOrigin::Current: base = position; break;
    case TSeekOrigin::End: base = size; break;
  }
  const int64_t target = base + offset;
  if (target < 0) throw Exception("Stream seek before the start (offset " + std::to_string(target) + ")");
  return target;
}

}  // namespace

void TStream::ReadBuffer(void* data, size_t count) {
  if (Read(data, count) != count) throw Exception("Stream read error: fewer bytes than expected");
}

int64_t TStream::CopyFrom(TStream& source, int64_t count) {
  std::vector<uint8_t> block(64 * 1024);
  int64_t copied = 0;
  while (count < 0 || copied < count) {
    size_t want = block.size();
    if (count >= 0) want = static_cast<size_t>(std::min<int64_t>(count - copied, static_cast<int64_t>(want)));
    const size_t got = source.Read(block.data(), want);
    if (got == 0) break;
    Write(block.data(), got);
    copied += static_cast<int64_t>(got);
  }
  if (count >= 0 && copied < count) throw Exception("Stream read error: fewer bytes than expected");
  return copied;
}

// --- TMemoryStream ---

void TMemoryStream::Write(const void* data, size_t count) {
  if (count == 0) return;
  if (position_ + count > data_.size()) data_.resize(position_ + count);
  std::memcpy(data_.data() + position_, data, count);
  position_ += count;
}

size_t TMemoryStream::Read(void* data, size_t count) {
  if (position_ >= data_.size()) return 0;
  const size_t n = std::min(count, data_.size() - position_);
  std::memcpy(data, data_.data() + position_, n);
  position_ += n;
  return n;
}

int64_t TMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
  position_ = static_cast<size_t>(ResolveSeek(offset, origin, static_cast<int64_t>(position_), Size()));
  return static_cast<int64_t>(position_);
}

void TMemoryStream::SetSize(int64_t size) {
  if (size < 0) throw Exception("Stream size cannot be negative");
  data_.resize(static_cast<size_t>(size));
  position_ = std::min(position_, data_.size());
}

bool TMemoryStream::SaveToFile(const std::filesystem::path& fileName) const {
  try {
    TFileStream file(fileName, TFileStream::TMode::Create);
    file.Write(data_.data(), data_.size());
    file.Close();
    return true;
  } catch (const Exception&) {
    return false;
  }
}

void TMemoryStream::Clear() {
  data_.clear();
  position_ = 0;
}

// --- TNullStream ---

void TNullStream::Write(const void*, size_t count) {
  position_ += static_cast<int64_t>(count);
  size_ = std::max(size_, position_);
}

void TNullStream::SetSize(int64_t size) {
  if (size < 0) throw Exception("Stream size cannot be negative");
  size_ = size;
  position_ = std::min(position_, size_);
}

int64_t TNullStream::Seek(int64_t offset, TSeekOrigin origin) {
  position_ = ResolveSeek(offset, origin, position_, size_);
  return position_;
}

// --- TFileStream ---

std::unique_ptr<TFileStream> CreateTemporaryFileStream() {
  const char* folder = std::getenv("TMPDIR");
  std::string pattern = std::string(folder != nullptr && *folder != '\0' ? folder : "/tmp") + "/verimo-XXXXXX";
  const int fd = ::mkstemp(pattern.data());
  if (fd < 0) throw Exception("Could not create a temporary file in " + pattern.substr(0, pattern.rfind('/')) +
                              ": " + std::strerror(errno));
  ::close(fd);
  struct Unlink {
    const std::string& path;
    ~Unlink() { ::unlink(path.c_str()); }
  } unlink{pattern};
  return std::make_unique<TFileStream>(pattern, TFileStream::TMode::OpenWrite);
}

TFileStream::TFileStream(const std::filesystem::path& path, TMode mode) : fileName_(path) {
  int flags = O_CLOEXEC;
  switch (mode) {
    case TMode::Create: flags |= O_RDWR | O_CREAT | O_TRUNC; break;
    case TMode::OpenRead: flags |= O_RDONLY; break;
    case TMode::OpenWrite: flags |= O_RDWR; break;
  }
  fd_ = ::open(path.c_str(), flags, 0666);
  if (fd_ < 0) RaiseSystemError(mode == TMode::Create ? "create" : "open");
  struct stat info {};
  if (::fstat(fd_, &info) != 0) {
    const int saved = errno;
    ::close(fd_);
    fd_ = -1;
    errno = saved;
    RaiseSystemError("open");
  }
  fileSize_ = info.st_size;
  buffer_.resize(kBufferSize);
}

TFileStream::~TFileStream() {
  try {
    Close();
  } catch (...) {
    // A destructor cannot report; Close() is there for callers who care.
  }
}

void TFileStream::Close() {
  if (fd_ < 0) return;
  try {
    FlushWrites();
  } catch (...) {
    ::close(fd_);
    fd_ = -1;
    throw;
  }
  const int result = ::close(fd_);
  fd_ = -1;
  if (result != 0) RaiseSystemError("close");
}

void TFileStream::RaiseSystemError(const char* action) const {
  throw Exception("Cannot " + std::string(action) + " file \"" + fileName_.string() + "\": " +
                  std::strerror(errno));
}

void TFileStream::CheckOpen() const {
  if (fd_ < 0) throw Exception("File \"" + fileName_.string() + "\" is closed");
}

void TFileStream::DropReadBuffer() {
  readPos_ = readEnd_ = 0;
}

void TFileStream::FlushWrites() {
  if (pending_ == 0) return;
  CheckOpen();
  size_t done = 0;
  while (done < pending_) {
    const ssize_t n = ::pwrite(fd_, buffer_.data() + done, pending_ - done,
                               static_cast<off_t>(writeStart_ + static_cast<int64_t>(done)));
    if (n < 0) {
      if (errno == EINTR) continue;
      RaiseSystemError("write");
    }
    done += static_cast<size_t>(n);
  }
  fileSize_ = std::max(fileSize_, writeStart_ + static_cast<int64_t>(pending_));
  pending_ = 0;
}

void TFileStream::Flush() { FlushWrites(); }

void TFileStream::Write(const void* data, size_t count) {
  if (count == 0) return;
  CheckOpen();
  DropReadBuffer();
  // Continue the pending block only when this write follows it directly.
  if (pending_ > 0 && writeStart_ + static_cast<int64_t>(pending_) != position_) FlushWrites();
  if (pending_ == 0) writeStart_ = position_;
  const auto* bytes = static_cast<const uint8_t*>(data);
  while (count > 0) {
    if (pending_ == buffer_.size()) {
      FlushWrites();
      writeStart_ = position_;
    }
    const size_t n = std::min(count, buffer_.size() - pending_);
    std::memcpy(buffer_.data() + pending_, bytes, n);
    pending_ += n;
    bytes += n;
    count -= n;
    position_ += static_cast<int64_t>(n);
  }
}

size_t TFileStream::FillReadBuffer() {
  readStart_ = position_;
  readPos_ = 0;
  readEnd_ = 0;
  for (;;) {
    const ssize_t n = ::pread(fd_, buffer_.data(), buffer_.size(), static_cast<off_t>(position_));
    if (n < 0) {
      if (errno == EINTR) continue;
      RaiseSystemError("read");
    }
    readEnd_ = static_cast<size_t>(n);
    return readEnd_;
  }
}

size_t TFileStream::Read(void* data, size_t count) {
  CheckOpen();
  FlushWrites();
  auto* out = static_cast<uint8_t*>(data);
  size_t total = 0;
  while (count > 0) {
    if (readPos_ >= readEnd_ || readStart_ + static_cast<int64_t>(readPos_) != position_) {
      if (FillReadBuffer() == 0) break;
    }
    const size_t n = std::min(count, readEnd_ - readPos_);
    std::memcpy(out, buffer_.data() + readPos_, n);
    readPos_ += n;
    out += n;
    count -= n;
    total += n;
    position_ += static_cast<int64_t>(n);
  }
  return total;
}

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin) {
  position_ = ResolveSeek(offset, origin, position_, Size());
  return position_;
}

int64_t TFileStream::Size() {
  return pending_ > 0 ? std::max(fileSize_, writeStart_ + static_cast<int64_t>(pending_)) : fileSize_;
}

void TFileStream::SetSize(int64_t size) {
  CheckOpen();
  if (size < 0) throw Exception("Stream size cannot be negative");
  FlushWrites();
  DropReadBuffer();
  if (::ftruncate(fd_, static_cast<off_t>(size)) != 0) RaiseSystemError("resize");
  fileSize_ = size;
  position_ = std::min(position_, size);
}

}  // namespace verimo
