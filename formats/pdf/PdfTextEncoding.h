#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

#include "core/WideString.h"
#include "formats/pdf/PdfStandardFonts.h"

namespace verimo {

// How the bytes of the 8-bit code page that text is written in map to the
// glyphs of the fonts: each byte stands for the code page's character, and
// a font's /Differences array makes its base encoding agree.
class TPDFTextEncoding {
 public:
  // A single-byte code page; for any other only ASCII is written as bytes.
  explicit TPDFTextEncoding(int codePage);

  int CodePage() const { return codePage_; }
  // The byte the character is written as, or -1 when the code page does
  // not hold it or the text fonts have no glyph for it.
  int ByteOf(char16_t ch) const { return bytes_[ch]; }
  // The byte of the character in the code page, glyph or not (-1: none).
  int CodePageByteOf(char16_t ch) const;
  // The character each byte stands for (0: none).
  const std::array<char16_t, 256>& Characters() const { return characters_; }
  // The bytes whose character differs from the base encoding's, with the
  // glyph names they need, in byte order.
  std::vector<std::pair<int, std::string_view>> Differences(TPDFBaseEncoding base) const;

 private:
  int codePage_;
  std::array<char16_t, 256> characters_{};
  std::vector<int16_t> bytes_;
  std::vector<int16_t> codePageBytes_;
};

}  // namespace verimo
