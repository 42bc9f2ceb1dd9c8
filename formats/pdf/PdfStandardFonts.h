#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "core/WideString.h"

namespace verimo {

// The four width families of the standard fonts.
enum class TPDFFontFamily : uint8_t { Helvetica, Courier, Times, ZapfDingbats };

// The base encodings a font dictionary can name.
enum class TPDFBaseEncoding : uint8_t { WinAnsi, MacRoman, Standard };

namespace pdf {

// The family table of 256 widths in 1/1000 of the font size, indexed by
// character code: ASCII widths, the StandardEncoding glyphs' widths at
// 128–255 and the family's filler elsewhere.
const std::array<int16_t, 256>& FamilyCodeWidths(TPDFFontFamily family);

// Whether the standard text fonts have a glyph for the character.
bool HasStandardGlyph(char16_t ch);
// The glyph name of a character of the standard text fonts' Latin set;
// empty when they have none.
std::string_view StandardGlyphName(char16_t ch);
// The advance of the glyph the character is drawn with, in 1/1000 of the
// font size; nothing when the fonts have no glyph for it.
std::optional<int> StandardGlyphWidth(TPDFFontFamily family, char16_t ch);

// The character each byte of a base encoding stands for (0: none).
const std::array<char16_t, 256>& BaseEncodingCharacters(TPDFBaseEncoding encoding);

}  // namespace pdf

}  // namespace verimo
