#pragma once

#include <iconv.h>

#include <string>

namespace verimo::tools {

// Converts UTF-8 text to a DOS/Windows code page ("CP1254", ...) with iconv;
// characters the code page lacks become '?'.
class CodePageEncoder {
 public:
  // Throws std::runtime_error when iconv does not know the code page.
  explicit CodePageEncoder(int codePage);
  ~CodePageEncoder();
  CodePageEncoder(const CodePageEncoder&) = delete;
  CodePageEncoder& operator=(const CodePageEncoder&) = delete;

  std::string Encode(const std::string& utf8);
  // Characters replaced by '?' so far.
  long ReplacedCount() const { return replaced_; }

 private:
  iconv_t converter_;
  long replaced_ = 0;
};

}  // namespace verimo::tools
