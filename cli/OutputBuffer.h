#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "core/NonCopyable.h"

namespace verimo::cli {

// Collects output and hands it to a stdio stream in large pieces; the
// destructor flushes what is left.
class OutputBuffer : private TNonCopyable {
 public:
  explicit OutputBuffer(std::FILE* stream, size_t capacity = 1 << 16);
  ~OutputBuffer();

  void Append(std::string_view text);
  void Append(char c);
  // Writes the collected text; raises verimo::Exception when the stream
  // cannot take it (a full disk, a closed pipe).
  void Flush();

 private:
  std::FILE* stream_;
  size_t capacity_;
  std::string buffer_;
};

}  // namespace verimo::cli
