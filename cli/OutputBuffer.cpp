#include "cli/OutputBuffer.h"

#include "core/Exception.h"

namespace verimo::cli {

OutputBuffer::OutputBuffer(std::FILE* stream, size_t capacity) : stream_(stream), capacity_(capacity) {
  buffer_.reserve(capacity_ + 256);
}

OutputBuffer::~OutputBuffer() {
  try {
    Flush();
  } catch (const Exception&) {
    // Nothing can be reported from a destructor; callers flush explicitly.
  }
}

void OutputBuffer::Append(std::string_view text) {
  buffer_.append(text);
  if (buffer_.size() >= capacity_) Flush();
}

void OutputBuffer::Append(char c) {
  buffer_.push_back(c);
  if (buffer_.size() >= capacity_) Flush();
}

void OutputBuffer::Flush() {
  if (buffer_.empty()) return;
  size_t size = buffer_.size();
  size_t written = std::fwrite(buffer_.data(), 1, size, stream_);
  buffer_.clear();
  if (written != size) throw Exception("cannot write the output");
  if (std::fflush(stream_) != 0) throw Exception("cannot write the output");
}

}  // namespace verimo::cli
