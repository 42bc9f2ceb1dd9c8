#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <vector>

#include "core/NonCopyable.h"

namespace verimo {

// Bytes appended in order and read back in order: held in memory up to a
// limit, beyond it in a temporary file in a given folder. The file has no
// name (or loses it as soon as it is made), so it goes away with the
// object, and with the process however that ends. Every failure raises
// verimo::Exception naming the folder.
class TSpillBuffer : private TNonCopyable {
 public:
  TSpillBuffer(std::filesystem::path folder, size_t memoryLimit);
  ~TSpillBuffer();

  void Append(const void* data, size_t size);
  uint64_t Size() const { return fileSize_ + memory_.size(); }
  bool Spilled() const { return fd_ >= 0; }
  // Hands the bytes from `offset` on to `consume`, in pieces, in order.
  void ReadFrom(uint64_t offset, const std::function<void(const void*, size_t)>& consume) const;

 private:
  void OpenFile();
  void MoveMemoryToFile();
  [[noreturn]] void Fail(const char* action) const;

  std::filesystem::path folder_;
  size_t memoryLimit_;
  std::vector<unsigned char> memory_;  // the bytes after those in the file
  int fd_ = -1;
  uint64_t fileSize_ = 0;
};

}  // namespace verimo
