#include "engine/SheetNames.h"

namespace verimo {
namespace {

bool IsForbidden(char16_t ch) {
  return ch < 0x20 || ch == 0x7F || WideStringView(u"[]:*?/\\").find(ch) != WideStringView::npos;
}

bool IsHighSurrogate(char16_t ch) { return ch >= 0xD800 && ch <= 0xDBFF; }

// The first `length` units of `name`, one fewer when the last would be the
// first half of a surrogate pair.
WideString Cut(WideStringView name, size_t length) {
  if (name.size() <= length) return WideString(name);
  if (length > 0 && IsHighSurrogate(name[length - 1])) --length;
  return WideString(name.substr(0, length));
}

}  // namespace

WideString ValidSheetName(WideStringView name) {
  WideString valid = Cut(name, kMaxSheetNameLength);
  for (char16_t& ch : valid)
    if (IsForbidden(ch)) ch = u'_';
  if (!valid.empty() && valid.front() == u'\'') valid.front() = u'_';
  if (!valid.empty() && valid.back() == u'\'') valid.back() = u'_';
  return valid.empty() ? WideString(u"Sheet") : valid;
}

WideString TSheetNames::Add(WideStringView name) {
  const WideString valid = ValidSheetName(name);
  WideString unique = valid;
  for (long long number = 2; Contains(unique); ++number) {
    const WideString suffix = u" (" + IntToWide(number) + u")";
    unique = Cut(valid, kMaxSheetNameLength - suffix.size()) + suffix;
  }
  taken_.insert(UpperCase(unique));
  return unique;
}

bool TSheetNames::Contains(WideStringView name) const { return taken_.count(UpperCase(name)) != 0; }

}  // namespace verimo
