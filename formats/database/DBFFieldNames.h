#pragma once

#include <map>
#include <string>

#include "core/WideString.h"

namespace verimo {

// Hands out field names of at most ten characters, each different from all
// it gave before (case-insensitive): a name already given gets "~" and a
// counter at its end instead of its last characters.
class TShortFieldNameGenerator {
 public:
  static constexpr size_t kMaxLength = 10;

  WideString GetShortName(WideStringView name);

 private:
  bool IsTaken(const WideString& name) const;
  void Take(const WideString& name);

  // Upper-cased names given out, with the counter of the next "~" suffix.
  std::map<WideString, int> given_;
};

namespace dbf {

// A caption as a dBASE field name: upper case, accents dropped (Ü gives U,
// İ gives I), every character other than A-Z, 0-9 and "_" replaced by "_";
// a name that does not start with a letter gets an "F" in front, an empty
// one is "FIELD". Not yet shortened.
WideString FieldNameOf(WideStringView caption);

}  // namespace dbf

}  // namespace verimo
