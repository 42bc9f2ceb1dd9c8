#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <variant>

#include "core/WideString.h"
#include "resources/StringTable.h"

namespace verimo {

// An argument of FormatText: a text for %s, an integer for %d.
using TFormatArg = std::variant<WideString, int64_t>;

// Fills "%s", "%d" and "%%" placeholders in order, as the classic Format
// does for these three (also with an index "%0:s", a width "%5d", a left
// flag "%-5s" and a precision "%.3d"). A placeholder without a matching
// argument, or with an argument of the other kind, is written as the
// argument's own text or left as it stands; it never throws.
WideString FormatText(WideStringView pattern, std::initializer_list<TFormatArg> args);

// Asked first for every message; a non-empty answer replaces the string
// table's text.
using TTesselTextHandler = std::function<WideString(int ident)>;

// The loader of the export components' user-visible messages.
class TTesselLocale {
 public:
  // The one shared instance, created on first use.
  static TTesselLocale& Instance();

  TTesselTextHandler OnGetText;

  // The handler's answer when it gives one, else the string table's entry
  // (empty when the table has none).
  WideString LoadText(int ident) const;
  // LoadText filled with FormatText.
  WideString LoadMessage(int ident, std::initializer_list<TFormatArg> args) const;
};

}  // namespace verimo
