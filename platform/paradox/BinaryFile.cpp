#include "platform/paradox/BinaryFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "core/Exception.h"

namespace verimo::paradox {

namespace {

std::string SystemError(int error) { return std::strerror(error); }

}  // namespace

BinaryFile::BinaryFile(std::string path) : path_(std::move(path)) {
  descriptor_ = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
  if (descriptor_ < 0) {
    int error = errno;
    if (error == ENOENT) throw Exception(path_ + ": file not found");
    throw Exception(path_ + ": cannot open the file (" + SystemError(error) + ")");
  }
  struct stat status {};
  if (::fstat(descriptor_, &status) != 0 || !S_ISREG(status.st_mode)) {
    ::close(descriptor_);
    descriptor_ = -1;
    throw Exception(path_ + ": not a regular file");
  }
  size_ = status.st_size;
}

BinaryFile::~BinaryFile() {
  if (descriptor_ >= 0) ::close(descriptor_);
}

size_t BinaryFile::ReadSomeAt(int64_t offset, std::span<uint8_t> buffer) const {
  size_t done = 0;
  while (done < buffer.size()) {
    ssize_t n = ::pread(descriptor_, buffer.data() + done, buffer.size() - done,
                        static_cast<off_t>(offset + static_cast<int64_t>(done)));
    if (n < 0) {
      if (errno == EINTR) continue;
      throw Exception(path_ + ": read error (" + SystemError(errno) + ")");
    }
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  return done;
}

void BinaryFile::ReadAt(int64_t offset, std::span<uint8_t> buffer) const {
  if (offset < 0 || ReadSomeAt(offset, buffer) != buffer.size())
    throw Exception(path_ + ": the file is truncated (it ends before offset " +
                    std::to_string(offset + static_cast<int64_t>(buffer.size())) + ")");
}

}  // namespace verimo::paradox
