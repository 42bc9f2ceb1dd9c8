#pragma once

#include <set>

#include "core/WideString.h"

namespace verimo {

// The longest sheet name spreadsheet readers accept, in UTF-16 units.
inline constexpr size_t kMaxSheetNameLength = 31;

// `name` as a workbook's sheet can be named: each of []:*?/\ and each
// control character replaced by "_", so is an apostrophe at either end
// (readers refuse those); cut to kMaxSheetNameLength units, never inside a
// surrogate pair; "Sheet" when nothing is left.
WideString ValidSheetName(WideStringView name);

// Hands out the sheet names of one workbook: valid (ValidSheetName) and
// each unlike the names handed out before it, regardless of case, as
// readers compare them. A name met before gets " (2)", " (3)", ... (cut
// before the number to stay within the length).
class TSheetNames {
 public:
  WideString Add(WideStringView name);
  // Whether `name` (as it is) was handed out, regardless of case.
  bool Contains(WideStringView name) const;

 private:
  std::set<WideString> taken_;  // upper-cased
};

}  // namespace verimo
