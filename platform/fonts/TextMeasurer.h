#pragma once

#include <memory>
#include <vector>

#include "core/WideString.h"

namespace verimo {

// A font as text measurement asks for it.
struct TFontDescription {
  WideString Name = u"Arial";
  // Logical height: a negative value is the character height in pixels at
  // 96 dpi, a positive one the cell height (character height + internal
  // leading).
  int Height = -13;
  bool Bold = false;
  bool Italic = false;

  // The logical height of a size in points at 96 dpi (10 points: -13).
  static int HeightFromPoints(double points);
  static TFontDescription FromPoints(WideStringView name, double points, bool bold = false, bool italic = false);
  friend bool operator==(const TFontDescription&, const TFontDescription&) = default;
};

// Text metrics of a font in pixels, as a screen device context reports them.
struct TTextMetrics {
  int Ascent = 0;
  int Descent = 0;
  int Height = 0;  // Ascent + Descent
  int InternalLeading = 0;
  int ExternalLeading = 0;
  int AveCharWidth = 0;
  int MaxCharWidth = 0;
  friend bool operator==(const TTextMetrics&, const TTextMetrics&) = default;
};

// Measures texts in named fonts at 96 dpi. Widths are whole pixels: the sum
// of each character's advance, without kerning.
class TTextMeasurer {
 public:
  virtual ~TTextMeasurer() = default;
  // The advance of every character (code point) of the text, in order; a
  // surrogate pair counts as one character.
  virtual std::vector<int> CharWidths(const TFontDescription& font, WideStringView text) = 0;
  virtual TTextMetrics Metrics(const TFontDescription& font) = 0;
  // The sum of the character widths.
  virtual int TextWidth(const TFontDescription& font, WideStringView text);
};

// The advance in points of one character set in `font` at `points` points
// (measured at a large size, so not rounded to whole pixels). A character
// the font lacks counts as wide as the font is high, as a stand-in from
// another font tends to be.
double CharPoints(TTextMeasurer& measurer, const TFontDescription& font, double points, char32_t codePoint);

// Every character has the same width, and the metrics are fixed: for tests
// that must not depend on installed fonts.
class TFixedTextMeasurer : public TTextMeasurer {
 public:
  explicit TFixedTextMeasurer(int charWidth = 7, TTextMetrics metrics = {12, 3, 15, 2, 0, 7, 14})
      : charWidth_(charWidth), metrics_(metrics) {}
  std::vector<int> CharWidths(const TFontDescription& font, WideStringView text) override;
  TTextMetrics Metrics(const TFontDescription& font) override;
  int TextWidth(const TFontDescription& font, WideStringView text) override;

 private:
  int charWidth_;
  TTextMetrics metrics_;
};

// The installed fonts through fontconfig and FreeType. Font names go
// through the alias table first (FontFamilyFor).
std::unique_ptr<TTextMeasurer> CreateSystemTextMeasurer();

// The family a font name is looked up as: Arial → Liberation Sans,
// Times New Roman → Liberation Serif, Courier New → Liberation Mono,
// Calibri → Carlito, Tahoma → DejaVu Sans (names compared without case);
// any other name stays as it is.
WideString FontFamilyFor(WideStringView name);

}  // namespace verimo
