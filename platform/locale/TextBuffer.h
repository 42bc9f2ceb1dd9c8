#pragma once

#include <algorithm>
#include <array>

#include "core/NonCopyable.h"
#include "core/WideString.h"

namespace verimo::locale_detail {

// Collects a text in a small array and appends it to the string in large
// pieces: dates, times and numbers are many pieces of one or two characters.
class TextBuffer : private TNonCopyable {
 public:
  explicit TextBuffer(WideString& out) : out_(out) {}

  void operator+=(char16_t c) {
    if (used_ == kCapacity) Flush();
    items_[used_++] = c;
  }
  void operator+=(WideStringView text) {
    if (text.size() > kCapacity - used_) {
      Flush();
      if (text.size() > kCapacity) {
        out_.append(text);
        return;
      }
    }
    std::copy(text.begin(), text.end(), items_.data() + used_);
    used_ += text.size();
  }
  // The text so far into the string.
  void Flush() {
    out_.append(items_.data(), used_);
    used_ = 0;
  }

 private:
  static constexpr size_t kCapacity = 64;
  WideString& out_;
  std::array<char16_t, kCapacity> items_;
  size_t used_ = 0;
};

}  // namespace verimo::locale_detail
