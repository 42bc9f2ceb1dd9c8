#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

#include "platform/jet/JetFormat.h"

namespace verimo::jet {

// An open file descriptor, closed when the owner goes away.
class FileHandle {
 public:
  FileHandle() = default;
  explicit FileHandle(int fd) : fd_(fd) {}
  FileHandle(FileHandle&& other) noexcept : fd_(other.Release()) {}
  FileHandle& operator=(FileHandle&& other) noexcept;
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  ~FileHandle();

  int Get() const { return fd_; }
  bool IsOpen() const { return fd_ >= 0; }
  int Release();

 private:
  int fd_ = -1;
};

// The pages of a database file: reads, writes and appends whole pages.
// Every failure raises verimo::Exception naming the file.
class PageFile {
 public:
  PageFile(FileHandle handle, std::filesystem::path path);

  const std::filesystem::path& Path() const { return path_; }
  uint32_t PageCount() const { return pageCount_; }

  void ReadPage(uint32_t pageNumber, Page& page) const;
  void WritePage(uint32_t pageNumber, const Page& page);
  // Writes `page` after the last page and returns its number.
  uint32_t AppendPage(const Page& page);
  // Appends a zeroed page to be written later.
  uint32_t ReservePage();
  // Raises when `extraPages` more pages would take the file past the
  // format's size limit.
  void RequireRoom(uint32_t extraPages) const;
  void Sync();
  // Set once a read or write of the file failed.
  bool Failed() const { return failed_; }

 private:
  [[noreturn]] void Fail(const std::string& action) const;

  FileHandle handle_;
  std::filesystem::path path_;
  uint32_t pageCount_ = 0;
  mutable bool failed_ = false;
};

// Copies all bytes of `source` into `destination` (both open descriptors).
void CopyFileContents(int source, int destination, const std::filesystem::path& sourcePath);

}  // namespace verimo::jet
