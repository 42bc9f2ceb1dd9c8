#include "formats/package/SheetColumnWidths.h"

#include <algorithm>

#include "engine/TesselColumns.h"

namespace verimo {
namespace {

TFontDescription MeasuredFont(const TPackageFont& font) {
  return TFontDescription::FromPoints(font.Name, font.Size, font.Bold, font.Italic);
}

int DigitWidth(TTextMeasurer& measurer, const TFontDescription& font) {
  return std::max(1, measurer.TextWidth(font, u"0"));
}

}  // namespace

std::vector<int> SheetColumnPixels(TTextMeasurer& measurer, const TTesselColumns& columns, bool captions,
                                   const TPackageFont& captionFont, const std::vector<TPackageFont>& dataFonts) {
  TFontDescription dataFont = MeasuredFont(dataFonts.front());
  for (const TPackageFont& font : dataFonts)
    if (DigitWidth(measurer, MeasuredFont(font)) > DigitWidth(measurer, dataFont)) dataFont = MeasuredFont(font);
  const int digit = DigitWidth(measurer, dataFont);
  const int margin = measurer.TextWidth(dataFont, u"I");
  const int widest = kMaxSheetColumnDigits * digit;
  std::vector<int> pixels;
  for (const TTesselColumn& column : columns) {
    int width = std::clamp(column.Width, 0, kMaxSheetColumnDigits) * digit;
    if (captions) width = std::max(width, std::min(measurer.TextWidth(MeasuredFont(captionFont), column.Caption), widest));
    pixels.push_back(width + margin);
  }
  return pixels;
}

int PixelsToDigits(TTextMeasurer& measurer, const TPackageFont& font, int pixels) {
  const int digit = DigitWidth(measurer, MeasuredFont(font));
  return (pixels + digit - 1) / digit;
}

}  // namespace verimo
