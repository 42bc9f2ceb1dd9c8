#pragma once

#include <vector>

#include "formats/package/OfficeTypes.h"
#include "platform/fonts/TextMeasurer.h"

namespace verimo {

class TTesselColumns;

// The most digits of its data font a column is made wide: a longer text
// runs into the next cell or is cut, as in a column sized by hand.
inline constexpr int kMaxSheetColumnDigits = 60;

// The width of each column of a spreadsheet, in pixels at 96 dpi, from the
// column model's widths in characters (the longest caption or value text
// the width pass met, else the field's own width): room for that many
// digits of the data font (the widest of `dataFonts`, the fonts data cells
// may have; at most kMaxSheetColumnDigits digits), or for the caption in
// `captionFont` when that is wider, and for one "I" beside them, as the
// workbook's automatic widths leave.
std::vector<int> SheetColumnPixels(TTextMeasurer& measurer, const TTesselColumns& columns, bool captions,
                                   const TPackageFont& captionFont, const std::vector<TPackageFont>& dataFonts);

// Pixels in whole characters of `font`'s digit "0", rounded up.
int PixelsToDigits(TTextMeasurer& measurer, const TPackageFont& font, int pixels);

}  // namespace verimo
