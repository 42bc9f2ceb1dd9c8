#include "formats/pdf/PdfStandardFonts.h"

#include <algorithm>

namespace verimo {

namespace {

struct TStandardGlyph {
  char16_t character;
  const char* name;
};

#include "formats/pdf/PdfFontMetrics.inc"

constexpr size_t kGlyphCount = std::size(kStandardGlyphs);
static_assert(std::size(kHelveticaGlyphWidths) == kGlyphCount && std::size(kTimesGlyphWidths) == kGlyphCount &&
              std::size(kCourierGlyphWidths) == kGlyphCount);

// The index of the character in kStandardGlyphs (sorted by character).
std::optional<size_t> GlyphIndex(char16_t ch) {
  const auto* end = std::end(kStandardGlyphs);
  const auto* found = std::lower_bound(std::begin(kStandardGlyphs), end, ch,
                                       [](const TStandardGlyph& glyph, char16_t c) { return glyph.character < c; });
  if (found == end || found->character != ch) return std::nullopt;
  return static_cast<size_t>(found - std::begin(kStandardGlyphs));
}

}  // namespace

namespace pdf {

const std::array<int16_t, 256>& FamilyCodeWidths(TPDFFontFamily family) {
  switch (family) {
    case TPDFFontFamily::Courier: return kCourierCodeWidths;
    case TPDFFontFamily::Times: return kTimesCodeWidths;
    case TPDFFontFamily::ZapfDingbats: return kZapfDingbatsCodeWidths;
    default: return kHelveticaCodeWidths;
  }
}

bool HasStandardGlyph(char16_t ch) { return GlyphIndex(ch).has_value(); }

std::string_view StandardGlyphName(char16_t ch) {
  const std::optional<size_t> index = GlyphIndex(ch);
  return index ? std::string_view(kStandardGlyphs[*index].name) : std::string_view();
}

std::optional<int> StandardGlyphWidth(TPDFFontFamily family, char16_t ch) {
  if (family == TPDFFontFamily::ZapfDingbats) {
    if (ch > 255) return std::nullopt;
    return kZapfDingbatsCodeWidths[ch];
  }
  const std::optional<size_t> index = GlyphIndex(ch);
  if (!index) return std::nullopt;
  switch (family) {
    case TPDFFontFamily::Courier: return kCourierGlyphWidths[*index];
    case TPDFFontFamily::Times: return kTimesGlyphWidths[*index];
    default: return kHelveticaGlyphWidths[*index];
  }
}

const std::array<char16_t, 256>& BaseEncodingCharacters(TPDFBaseEncoding encoding) {
  switch (encoding) {
    case TPDFBaseEncoding::MacRoman: return kMacRomanCharacters;
    case TPDFBaseEncoding::Standard: return kStandardCharacters;
    default: return kWinAnsiCharacters;
  }
}

}  // namespace pdf

}  // namespace verimo
