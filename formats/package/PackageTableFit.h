#pragma once

#include "engine/TesselPageFit.h"
#include "formats/package/OfficeTypes.h"

namespace verimo {

class TTessel;
class TTextMeasurer;

// How a document package's table fits its page (see FitTable): the
// captions measured in `captionFont`, the values in `dataFont` (with
// `measurer`, or the installed fonts when it is null), `padding` points
// added to every cell; `portraitWidth` and `landscapeWidth` are the text
// widths of the two pages in points.
TTesselTableFit FitPackageTable(TTessel& exporter, TTextMeasurer* measurer, const TPackageFont& captionFont,
                                const TPackageFont& dataFont, double padding, TTesselPageOrientation chosen,
                                bool automatic, double portraitWidth, double landscapeWidth);

// The font at the fit's scale.
void ScalePackageFont(TPackageFont& font, double scale);

}  // namespace verimo
