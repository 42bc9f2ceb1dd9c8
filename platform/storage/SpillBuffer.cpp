#include "platform/storage/SpillBuffer.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>

#include "core/Exception.h"

namespace verimo {

namespace {

constexpr size_t kReadPiece = 256 * 1024;

}  // namespace

TSpillBuffer::TSpillBuffer(std::filesystem::path folder, size_t memoryLimit)
    : folder_(folder.empty() ? std::filesystem::path(".") : std::move(folder)), memoryLimit_(memoryLimit) {}

TSpillBuffer::~TSpillBuffer() {
  if (fd_ >= 0) ::close(fd_);
}

void TSpillBuffer::Fail(const char* action) const {
  throw Exception(std::string("Cannot ") + action + " a temporary file in '" + folder_.string() +
                  "': " + std::strerror(errno));
}

void TSpillBuffer::Append(const void* data, size_t size) {
  if (memory_.size() + size > memoryLimit_ && !memory_.empty()) MoveMemoryToFile();
  if (memory_.capacity() == 0) memory_.reserve(memoryLimit_);
  const auto* bytes = static_cast<const unsigned char*>(data);
  memory_.insert(memory_.end(), bytes, bytes + size);
}

// Where the file system can, the file is made without a name; otherwise it
// is made under a unique name that is removed at once.
void TSpillBuffer::OpenFile() {
  fd_ = ::open(folder_.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  if (fd_ >= 0) return;
  std::string pattern = (folder_ / ".verimo-spill-XXXXXX").string();
  fd_ = ::mkostemp(pattern.data(), O_CLOEXEC);
  if (fd_ < 0) Fail("create");
  ::unlink(pattern.c_str());
}

void TSpillBuffer::MoveMemoryToFile() {
  if (fd_ < 0) OpenFile();
  const unsigned char* bytes = memory_.data();
  size_t size = memory_.size();
  while (size > 0) {
    const ssize_t written = ::pwrite(fd_, bytes, size, static_cast<off_t>(fileSize_));
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) Fail("write");
    bytes += written;
    size -= static_cast<size_t>(written);
    fileSize_ += static_cast<uint64_t>(written);
  }
  memory_.clear();
}

void TSpillBuffer::ReadFrom(uint64_t offset, const std::function<void(const void*, size_t)>& consume) const {
  if (offset < fileSize_) {
    std::vector<unsigned char> piece(static_cast<size_t>(std::min<uint64_t>(kReadPiece, fileSize_ - offset)));
    while (offset < fileSize_) {
      const size_t want = static_cast<size_t>(std::min<uint64_t>(piece.size(), fileSize_ - offset));
      const ssize_t got = ::pread(fd_, piece.data(), want, static_cast<off_t>(offset));
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) Fail("read");
      if (got == 0) {
        errno = EIO;
        Fail("read");
      }
      consume(piece.data(), static_cast<size_t>(got));
      offset += static_cast<uint64_t>(got);
    }
  }
  const size_t inMemory = static_cast<size_t>(offset - fileSize_);
  if (inMemory < memory_.size()) consume(memory_.data() + inMemory, memory_.size() - inMemory);
}

}  // namespace verimo
