#pragma once

#include "core/WideString.h"

namespace verimo {

// An ICU date-time pattern ("d.MM.y", "h:mm a", "EEEE, MMMM d, y") in the
// classic pattern language ("d.mm.yyyy", "h:nn AMPM", "dddd, mmmm d, yyyy").
// Fields the classic language lacks (eras, time zones, weeks, quarters) are
// left out together with the blanks and commas that only separated them.
// With `fullYears`, two-digit years become four-digit ones.
WideString ConvertIcuDateTimePattern(WideStringView icuPattern, bool fullYears);

// The separator the classic "/" or ":" stands for: the first character of an
// ICU pattern that is neither a field letter nor quoted, or `fallback`.
char16_t FirstSeparatorOf(WideStringView icuPattern, char16_t fallback);

}  // namespace verimo
