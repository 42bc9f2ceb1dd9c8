#include "platform/jet/PageFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "core/Exception.h"

namespace verimo::jet {
namespace {

std::string ErrnoText() { return std::strerror(errno); }

void WriteAll(int fd, const uint8_t* data, size_t size, off_t offset) {
  while (size > 0) {
    const ssize_t written = ::pwrite(fd, data, size, offset);
    if (written < 0) {
      if (errno == EINTR) continue;
      throw Exception(ErrnoText());
    }
    data += written;
    size -= static_cast<size_t>(written);
    offset += written;
  }
}

}  // namespace

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = other.Release();
  }
  return *this;
}

FileHandle::~FileHandle() {
  if (fd_ >= 0) ::close(fd_);
}

int FileHandle::Release() {
  const int fd = fd_;
  fd_ = -1;
  return fd;
}

PageFile::PageFile(FileHandle handle, std::filesystem::path path)
    : handle_(std::move(handle)), path_(std::move(path)) {
  struct stat info {};
  if (::fstat(handle_.Get(), &info) != 0) Fail("read the size of");
  pageCount_ = static_cast<uint32_t>(static_cast<uint64_t>(info.st_size) / kPageSize);
}

void PageFile::Fail(const std::string& action) const {
  failed_ = true;
  throw Exception("Cannot " + action + " the database file '" + path_.string() + "': " + ErrnoText());
}

void PageFile::ReadPage(uint32_t pageNumber, Page& page) const {
  if (pageNumber >= pageCount_)
    throw Exception("The database file '" + path_.string() + "' is truncated or damaged (page " +
                    std::to_string(pageNumber) + " is missing).");
  size_t done = 0;
  const off_t offset = static_cast<off_t>(pageNumber) * kPageSize;
  while (done < kPageSize) {
    const ssize_t got = ::pread(handle_.Get(), page.data() + done, kPageSize - done, offset + static_cast<off_t>(done));
    if (got < 0) {
      if (errno == EINTR) continue;
      Fail("read");
    }
    if (got == 0)
      throw Exception("The database file '" + path_.string() + "' is truncated or damaged.");
    done += static_cast<size_t>(got);
  }
}

void PageFile::WritePage(uint32_t pageNumber, const Page& page) {
  if (pageNumber > pageCount_) throw Exception("Internal error: page written beyond the end of the file.");
  try {
    WriteAll(handle_.Get(), page.data(), kPageSize, static_cast<off_t>(pageNumber) * kPageSize);
  } catch (const Exception&) {
    Fail("write");
  }
  if (pageNumber == pageCount_) ++pageCount_;
}

uint32_t PageFile::AppendPage(const Page& page) {
  RequireRoom(1);
  const uint32_t pageNumber = pageCount_;
  WritePage(pageNumber, page);
  return pageNumber;
}

uint32_t PageFile::ReservePage() {
  static const Page kZeroPage{};
  return AppendPage(kZeroPage);
}

void PageFile::RequireRoom(uint32_t extraPages) const {
  if (static_cast<uint64_t>(pageCount_) + extraPages > kMaxPageCount)
    throw Exception("The database '" + path_.string() + "' would grow beyond the 2 GB limit of the Access format.");
}

void PageFile::Sync() {
  if (::fsync(handle_.Get()) != 0) Fail("save");
}

void CopyFileContents(int source, int destination, const std::filesystem::path& sourcePath) {
  std::vector<uint8_t> buffer(1 << 20);
  off_t offset = 0;
  for (;;) {
    const ssize_t got = ::pread(source, buffer.data(), buffer.size(), offset);
    if (got < 0) {
      if (errno == EINTR) continue;
      throw Exception("Cannot read the database file '" + sourcePath.string() + "': " + ErrnoText());
    }
    if (got == 0) return;
    try {
      WriteAll(destination, buffer.data(), static_cast<size_t>(got), offset);
    } catch (const Exception& error) {
      throw Exception("Cannot copy the database file '" + sourcePath.string() + "': " + error.what());
    }
    offset += got;
  }
}

}  // namespace verimo::jet
