#include "formats/database/DBFFieldNames.h"

#include <unicode/uchar.h>
#include <unicode/unorm2.h>
#include <unicode/utf16.h>

namespace verimo {

namespace {

bool IsAsciiLetter(char16_t ch) { return ch >= u'A' && ch <= u'Z'; }
bool IsFieldNameChar(char16_t ch) { return IsAsciiLetter(ch) || (ch >= u'0' && ch <= u'9') || ch == u'_'; }

// The canonical decomposition of a text (Ü becomes U and a combining mark).
WideString Decomposed(WideStringView text) {
  UErrorCode status = U_ZERO_ERROR;
  const UNormalizer2* nfd = unorm2_getNFDInstance(&status);
  if (U_FAILURE(status)) return WideString(text);
  const auto* source = reinterpret_cast<const UChar*>(text.data());
  const auto length = static_cast<int32_t>(text.size());
  int32_t needed = unorm2_normalize(nfd, source, length, nullptr, 0, &status);
  if (status != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(status)) return WideString(text);
  WideString result(static_cast<size_t>(needed), u'\0');
  status = U_ZERO_ERROR;
  unorm2_normalize(nfd, source, length, reinterpret_cast<UChar*>(result.data()), needed, &status);
  return U_FAILURE(status) ? WideString(text) : result;
}

}  // namespace

namespace dbf {

WideString FieldNameOf(WideStringView caption) {
  WideString name;
  const WideString decomposed = Decomposed(caption);
  for (size_t i = 0; i < decomposed.size();) {
    UChar32 cp;
    U16_NEXT(decomposed.data(), i, decomposed.size(), cp);
    if (u_getCombiningClass(cp) != 0 || u_charType(cp) == U_NON_SPACING_MARK) continue;
    UChar32 upper = u_toupper(cp);
    name += upper < 0x80 && IsFieldNameChar(static_cast<char16_t>(upper)) ? static_cast<char16_t>(upper) : u'_';
  }
  if (name.empty()) return u"FIELD";
  if (!IsAsciiLetter(name[0])) name.insert(0, 1, u'F');
  return name;
}

}  // namespace dbf

bool TShortFieldNameGenerator::IsTaken(const WideString& name) const { return given_.count(UpperCase(name)) != 0; }

void TShortFieldNameGenerator::Take(const WideString& name) { given_.emplace(UpperCase(name), 0); }

WideString TShortFieldNameGenerator::GetShortName(WideStringView name) {
  const WideString cut(name.substr(0, kMaxLength));
  if (!IsTaken(cut)) {
    Take(cut);
    return cut;
  }
  int& counter = given_[UpperCase(cut)];
  for (;;) {
    const WideString suffix = u"~" + IntToWide(++counter);
    const size_t keep = suffix.size() < kMaxLength ? kMaxLength - suffix.size() : 0;
    WideString candidate = cut.substr(0, keep) + suffix;
    if (!IsTaken(candidate)) {
      Take(candidate);
      return candidate;
    }
  }
}

}  // namespace verimo
