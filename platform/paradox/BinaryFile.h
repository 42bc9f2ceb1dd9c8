#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "core/NonCopyable.h"

namespace verimo::paradox {

// A file opened for reading at given offsets; closed when destroyed.
class BinaryFile : private TNonCopyable {
 public:
  // Raises verimo::Exception naming the file when it cannot be opened.
  explicit BinaryFile(std::string path);
  ~BinaryFile();

  const std::string& Path() const { return path_; }
  int64_t Size() const { return size_; }

  // Fills `buffer` from `offset`; raises verimo::Exception ("... is truncated")
  // when the file ends first.
  void ReadAt(int64_t offset, std::span<uint8_t> buffer) const;
  // Reads what there is, up to the buffer's size; returns the bytes read.
  size_t ReadSomeAt(int64_t offset, std::span<uint8_t> buffer) const;

 private:
  std::string path_;
  int descriptor_ = -1;
  int64_t size_ = 0;
};

}  // namespace verimo::paradox
