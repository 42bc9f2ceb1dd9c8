#include "formats/pdf/PdfFont.h"

#include <cmath>
#include <numeric>

#include "platform/fonts/TextMeasurer.h"

namespace verimo {

namespace {

// User fonts are measured at a pixel size of 1000, so that one pixel is
// 1/1000 of the size: the widths of the font dictionary without rounding.
constexpr int kMeasureSize = 1000;

TFontDescription MeasuredFontOf(const TPDFUserFont& font) {
  TFontDescription measured;
  measured.Name = font.Name;
  measured.Height = -kMeasureSize;
  measured.Bold = font.Bold;
  measured.Italic = font.Italic;
  return measured;
}

}  // namespace

int RoundHalfEven(double value) { return static_cast<int>(std::nearbyint(value)); }

const char* PDFFontNameText(TPDFFontName name) {
  static constexpr const char* kNames[kPDFFontNameCount] = {
      "Helvetica", "Helvetica-Bold", "Helvetica-Oblique", "Helvetica-BoldOblique",
      "Courier", "Courier-Bold", "Courier-Oblique", "Courier-BoldOblique",
      "Times-Roman", "Times-Bold", "Times-Italic", "Times-BoldItalic",
      "Symbol", "ZapfDingbats"};
  return name < kPDFFontNameCount ? kNames[name] : kNames[0];
}

const char* PDFFontEncodingText(TPDFFontEncoding encoding) {
  switch (encoding) {
    case poStandardEncoding: return "StandardEncoding";
    case poMacRomanEncoding: return "MacRomanEncoding";
    case poPDFDocEncoding: return "PDFDocEncoding";
    default: return "WinAnsiEncoding";
  }
}

TPDFFontFamily FamilyOf(TPDFFontName name) {
  if (name <= poHelveticaBoldOblique) return TPDFFontFamily::Helvetica;
  if (name <= poCourierBoldOblique) return TPDFFontFamily::Courier;
  if (name <= poSymbol) return TPDFFontFamily::Times;
  return TPDFFontFamily::ZapfDingbats;
}

bool IsSymbolic(TPDFFontName name) { return name == poSymbol || name == poZapfDingbats; }

void TPDFFont::Assign(const TPDFFont& source) {
  FontEncoding = source.FontEncoding;
  UserFont = source.UserFont;
  BaseFont = source.BaseFont;
  FontSize = source.FontSize;
  FontColor = source.FontColor;
  UseUserFont = source.UseUserFont;
  userWidths_ = source.userWidths_;
  measuredCharacters_ = source.measuredCharacters_;
}

void TPDFFont::RefreshWidths(TTextMeasurer& measurer, const std::array<char16_t, 256>& characters) {
  const TFontDescription measured = MeasuredFontOf(UserFont);
  measuredCharacters_ = characters;
  for (size_t code = 0; code < 256; ++code) {
    const char16_t ch = characters[code];
    if (ch < 0x20) {
      userWidths_[code] = 0;
      continue;
    }
    const std::vector<int> widths = measurer.CharWidths(measured, WideStringView(&ch, 1));
    userWidths_[code] = widths.empty() ? 0 : widths.front();
  }
}

int TPDFFont::UserCharWidth(TTextMeasurer* measurer, char16_t ch) const {
  if (ch < 256 && measuredCharacters_[ch] == ch && userWidths_[ch] > 0) return userWidths_[ch];
  for (size_t code = 0x80; code < 256; ++code)
    if (measuredCharacters_[code] == ch && userWidths_[code] > 0) return userWidths_[code];
  if (measurer == nullptr) return 1000;
  const std::vector<int> widths = measurer->CharWidths(MeasuredFontOf(UserFont), WideStringView(&ch, 1));
  return widths.empty() || widths.front() == 0 ? 1000 : widths.front();
}

int TPDFFont::StandardTextWidth(WideStringView text, int size, TPDFFontName baseFont) {
  const TPDFFontFamily family = FamilyOf(baseFont);
  const std::array<int16_t, 256>& table = pdf::FamilyCodeWidths(family);
  double total = 0;
  for (char16_t unit : text) {
    if (unit == 0 || unit > 255) continue;
    const double term = size * table[unit] / 1000.0;
    total += family == TPDFFontFamily::Helvetica ? std::floor(term) : RoundHalfEven(term);
  }
  return RoundHalfEven(total);
}

int TPDFFont::StandardAverageWidth(int size, TPDFFontName baseFont, double n) {
  const std::array<int16_t, 256>& table = pdf::FamilyCodeWidths(FamilyOf(baseFont));
  const double sum = std::accumulate(table.begin(), table.end(), 0.0);
  return RoundHalfEven(size * n * sum / 256 / 1000);
}

int TPDFFont::UserAverageWidth(double n) const {
  const double sum = std::accumulate(userWidths_.begin(), userWidths_.end(), 0.0) * UserFont.Size / 1000.0;
  return RoundHalfEven(n * sum / 256);
}

int TPDFFont::AverageWidth(double n) const {
  return UseUserFont ? UserAverageWidth(n) : StandardAverageWidth(FontSize, BaseFont, n);
}

}  // namespace verimo
