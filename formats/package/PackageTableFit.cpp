#include "formats/package/PackageTableFit.h"

#include <memory>

#include "engine/Tessel.h"
#include "platform/fonts/TextMeasurer.h"

namespace verimo {

TTesselTableFit FitPackageTable(TTessel& exporter, TTextMeasurer* measurer, const TPackageFont& captionFont,
                                const TPackageFont& dataFont, double padding, TTesselPageOrientation chosen,
                                bool automatic, double portraitWidth, double landscapeWidth) {
  std::unique_ptr<TTextMeasurer> installed;
  if (measurer == nullptr) {
    installed = CreateSystemTextMeasurer();
    measurer = installed.get();
  }
  auto widthsOf = [measurer](const TPackageFont& font) {
    const TFontDescription description =
        TFontDescription::FromPoints(font.Name, font.Size, font.Bold, font.Italic);
    return TTesselCharWidths([measurer, description, points = font.Size](char32_t ch) {
      return CharPoints(*measurer, description, points, ch);
    });
  };
  TTesselCharWidths captionWidths = widthsOf(captionFont);
  TTesselCharWidths dataWidths = widthsOf(dataFont);
  const TTesselColumnPlan plan = PlanColumns(exporter, captionWidths, dataWidths, dataWidths.Of(U'0'), padding);
  return FitTable(plan, chosen, automatic, portraitWidth, landscapeWidth);
}

void ScalePackageFont(TPackageFont& font, double scale) { font.Size = ScaledFontSize(font.Size, scale); }

}  // namespace verimo
