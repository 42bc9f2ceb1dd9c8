#pragma once

#include <stdexcept>
#include <string>

#include "core/WideString.h"

namespace verimo {

// The one exception type of the system: it carries the user-visible message.
class Exception : public std::runtime_error {
 public:
  explicit Exception(const WideString& message)
      : std::runtime_error(WideToUtf8(message)), message_(message) {}
  explicit Exception(const std::string& utf8Message)
      : std::runtime_error(utf8Message), message_(Utf8ToWide(utf8Message)) {}
  explicit Exception(const char* utf8Message) : Exception(std::string(utf8Message)) {}

  const WideString& Message() const noexcept { return message_; }

 private:
  WideString message_;
};

}  // namespace verimo
