#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>

#include "core/WideString.h"

namespace verimo::html {

// A constant piece of the rows (a cell's closing and the next one's
// opening), copied whole in one go.
class TRowPiece {
 public:
  static constexpr size_t kCapacity = 64;
  // False, leaving the piece as it was, for more than kCapacity bytes.
  bool Assign(std::string_view bytes);
  std::string_view View() const { return {bytes_.data(), size_}; }

 private:
  friend class TByteRow;
  std::array<char, kCapacity> bytes_{};
  size_t size_ = 0;
};

// The bytes of one data row, in a buffer that keeps the largest size it
// reached: writing into it allocates nothing once rows stop growing.
class TByteRow {
 public:
  void Clear() { used_ = 0; }
  // Room for `count` more bytes from End(); what is written there counts
  // once Commit is given the position after it.
  char* Reserve(size_t count) {
    if (count > bytes_.size() - used_) Grow(used_ + count);
    return bytes_.data() + used_;
  }
  void Commit(const char* end) { used_ = static_cast<size_t>(end - bytes_.data()); }
  void Append(std::string_view piece);
  void Append(const TRowPiece& piece) {
    std::memcpy(Reserve(TRowPiece::kCapacity), piece.bytes_.data(), TRowPiece::kCapacity);
    used_ += piece.size_;
  }

  const char* Data() const { return bytes_.data(); }
  size_t Size() const { return used_; }
  std::string_view View() const { return {bytes_.data(), used_}; }

 private:
  void Grow(size_t size);

  std::string bytes_;
  size_t used_ = 0;
};

// Appends the cell rule of an all-ASCII text (AppendEscaped with tags
// interpreted) as bytes, which is how every page encoding handled here
// writes ASCII; false, with nothing appended, when the text holds any other
// character.
bool AppendEscapedAscii(WideStringView text, TByteRow& out);

// Stored bytes of a single-byte code page (ASCII bytes being the ASCII
// characters) straight into the bytes of the page: the cell rule applied to
// the ASCII bytes, every other byte transcoded, through one table built per
// run.
class TStoredTextEscaper {
 public:
  // What one byte (above 127) gives in the page: false when it needs the
  // code page's converter.
  using TTranscodeByte = std::function<bool(uint8_t byte, std::string& out)>;

  // `lostMarksLoss`: the page is in a code page, where a "?" for another
  // character marks one the code page cannot hold (such bytes need the
  // page's references, which only the steps write).
  void Build(const TTranscodeByte& transcode, bool lostMarksLoss);
  // Appends the page bytes of `stored`; false, with nothing appended, when
  // a byte has no entry.
  bool Append(std::string_view stored, TByteRow& out) const;

 private:
  // Per byte its page bytes and their count (see PackEntry); 0: a line
  // break to look at (CR) or no entry.
  std::array<uint64_t, 256> entries_{};
};

}  // namespace verimo::html
