#pragma once

#include "formats/text/TesselHTMLOptions.h"
#include "core/StringList.h"

namespace verimo::html {

// The lines of a page's style sheet: the body, the links, the caption row
// (with `captions`), the two row classes and, with `borderWrapper`, the
// wrapper table's colour.
TStringList StyleSheetLines(const THTMLOptions& page, const TTableOptions& table, bool captions, bool borderWrapper);

// Whether a background picture names an existing file (then it replaces the
// background colour of the table rows).
bool PictureExists(WideStringView fileName);

}  // namespace verimo::html
