#include "formats/xls/XlsBook.h"

#include <algorithm>

#include "formats/xls/BiffRecords.h"
#include "formats/xls/XlsSheetItems.h"

namespace verimo {

namespace {

TFontDescription DescriptionOf(const TxlsFont& font) {
  return TFontDescription::FromPoints(font.Name, font.Size, font.Has(xfsBold), font.Has(xfsItalic));
}

}  // namespace

TxlsBook::TxlsBook(const std::filesystem::path& file, TTextMeasurer& measurer, const TxlsPictures& pictures,
                   const std::vector<const TxlsImages*>& images, const TSpreadsheetPatternContext& patterns)
    : measurer_(measurer), pictures_(pictures), patterns_(patterns) {
  pictureStore_.Prepare(pictures, images);
  workbook_.OpenWorkbookFile(file);
  try {
    workbook_.BeginWorkbook();
  } catch (...) {
    try {
      workbook_.CloseWorkbookFile();
    } catch (...) {
      // The failure to begin is the one to report.
    }
    throw;
  }
  zeroWidth_ = std::max(1, measurer_.TextWidth(DescriptionOf(TxlsFont()), u"0"));
}

WideString TxlsBook::TakeTitle(const WideString& title, int part) {
  const WideString base = SafeSheetTitle(title);
  WideString result = base;
  for (int n = part; n < 100000; ++n) {
    if (n > 1) {
      const WideString suffix = u" (" + IntToWide(n) + u")";
      result = SafeSheetTitle(CutText(base, 31 - suffix.size()) + suffix);
    }
    if (!usedTitles_.contains(UpperCase(result))) break;
  }
  usedTitles_.insert(UpperCase(result));
  return result;
}

int TxlsBook::TextPixels(uint16_t xf, WideStringView text) {
  if (xf >= measuredFonts_.size()) measuredFonts_.resize(xf + 1u);
  std::optional<TMeasuredFont>& measured = measuredFonts_[xf];
  if (!measured) {
    const TFontDescription font = DescriptionOf(workbook_.Formats().FontOf(xf));
    measured = TMeasuredFont{font, measurer_.TextWidth(font, u"I")};
  }
  return measurer_.TextWidth(measured->font, text) + measured->margin;
}

uint16_t TxlsBook::AddDrawing(size_t shapes, bool charts) {
  anyChart_ = anyChart_ || charts;
  drawingShapes_.push_back(shapes);
  return static_cast<uint16_t>(drawingShapes_.size());
}

void TxlsBook::WriteGlobals() {
  workbook_.SetExternSheets(anyChart_);
  if (!drawingShapes_.empty())
    workbook_.SetDrawingGroup(xls::BuildDrawingGroup(drawingShapes_, pictureStore_.Stored()));
  workbook_.WriteGlobals(patterns_);
}

}  // namespace verimo
