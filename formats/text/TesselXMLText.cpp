#include "formats/text/TesselXMLText.h"

#include <charconv>
#include <cmath>
#include <set>

#include <unicode/uchar.h>
#include <unicode/utf16.h>

#include "core/DateTime.h"
#include "core/XmlEscape.h"
#include "platform/codepage/CodePage.h"

namespace verimo::xml {

namespace {

bool IsAsciiLetter(char32_t ch) { return (ch >= u'a' && ch <= u'z') || (ch >= u'A' && ch <= u'Z'); }
bool IsAsciiDigit(char32_t ch) { return ch >= u'0' && ch <= u'9'; }

// Letters and marks outside ASCII that every XML 1.0 reader takes in
// names: Unicode 2.0 characters of the basic plane (the oldest name tables
// stop there), without the few symbols the letter classes leave out.
bool IsOldUnicode(char32_t ch) {
  UVersionInfo age;
  u_charAge(static_cast<UChar32>(ch), age);
  return age[0] != 0 && (age[0] < 2 || (age[0] == 2 && age[1] == 0));
}

bool IsNameStartChar(char32_t ch) {
  if (ch < 0x80) return IsAsciiLetter(ch) || ch == u'_';
  return ch <= 0xFFFF && ch != 0xD7 && ch != 0xF7 && u_isalpha(static_cast<UChar32>(ch)) && IsOldUnicode(ch);
}

bool IsNameChar(char32_t ch) {
  if (ch < 0x80) return IsAsciiLetter(ch) || IsAsciiDigit(ch) || ch == u'_' || ch == u'-' || ch == u'.';
  if (IsNameStartChar(ch)) return true;
  if (ch > 0xFFFF || !IsOldUnicode(ch)) return false;
  const int8_t type = u_charType(static_cast<UChar32>(ch));
  return type == U_NON_SPACING_MARK || type == U_COMBINING_SPACING_MARK || type == U_ENCLOSING_MARK ||
         type == U_DECIMAL_DIGIT_NUMBER || ch == 0xB7;
}

// The characters the data-packet names keep.
bool IsDatapacketNameChar(char16_t ch) {
  return IsAsciiLetter(ch) || IsAsciiDigit(ch) || ch == u'-' || ch == u'.' || ch == u'_';
}

bool StartsName(const WideString& name) { return !name.empty() && (IsAsciiLetter(name[0]) || name[0] == u'_'); }

// Step one of the data-packet names: drops invalid characters, joining
// the valid parts around a run with "_" where a reader would expect one.
WideString CollapseInvalidRuns(WideStringView name, bool& changed) {
  WideString result;
  size_t i = 0;
  while (i < name.size()) {
    if (IsDatapacketNameChar(name[i])) {
      result += name[i++];
      continue;
    }
    changed = true;
    const size_t runStart = i;
    while (i < name.size() && !IsDatapacketNameChar(name[i])) ++i;
    const bool hasBefore = runStart > 0;
    const bool hasAfter = i < name.size();
    const char16_t before = hasBefore ? name[runStart - 1] : u'\0';
    const char16_t after = hasAfter ? name[i] : u'\0';
    bool join = false;
    if (hasBefore && hasAfter)
      join = before != u'_' && after != u'_';
    else if (!hasBefore && hasAfter)
      join = after != u'_';
    else if (hasBefore && !hasAfter)
      join = before != u'_';
    if (join) result += u'_';
  }
  if (result.empty()) result = u"_";
  return result;
}

template <typename Taken>
WideString Numbered(const WideString& stem, Taken taken) {
  for (long long counter = 1;; ++counter) {
    WideString candidate = stem + IntToWide(counter);
    if (!taken(candidate)) return candidate;
  }
}

WideString Ascii(std::string_view text) { return WideString(text.begin(), text.end()); }

WideString TwoDigits(int value) {
  WideString text = IntToWide(value);
  return text.size() < 2 ? u"0" + text : text;
}

WideString DateTimeLexical(TDateTime value) {
  if (!std::isfinite(value)) return {};
  const DateParts date = DecodeDate(value);
  const TimeParts time = DecodeTime(value);
  if (date.year < 1 || date.year > 9999) return {};
  WideString year = IntToWide(date.year);
  year.insert(0, 4 - year.size(), u'0');
  WideString text = year + u"-" + TwoDigits(date.month) + u"-" + TwoDigits(date.day) + u"T" + TwoDigits(time.hour) +
                    u":" + TwoDigits(time.minute) + u":" + TwoDigits(time.second);
  if (time.millisecond != 0) {
    WideString ms = IntToWide(time.millisecond);
    ms.insert(0, 3 - ms.size(), u'0');
    text += u"." + ms;
  }
  return text;
}

WideString PlainDouble(double number) {
  char buffer[400];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, number, std::chars_format::fixed);
  if (result.ec != std::errc()) return {};
  return Ascii(std::string_view(buffer, static_cast<size_t>(result.ptr - buffer)));
}

bool NumberLexical(const Variant& value, WideString& text) {
  switch (value.GetKind()) {
    case Variant::Kind::Integer: text = IntToWide(value.AsInt()); return true;
    case Variant::Kind::Currency: text = Ascii(value.AsCurrency().ToPlainText()); return true;
    case Variant::Kind::Double:
      if (!std::isfinite(value.AsDouble())) return false;
      text = PlainDouble(value.AsDouble());
      return !text.empty();
    default: return false;
  }
}

// The declared names of the code pages an XML reader knows by another name
// than "windows-<n>".
WideString CodePageName(int codePage) {
  switch (codePage) {
    case 65001: return u"UTF-8";
    case 10000: return u"macintosh";
    case 10081: return u"x-mac-turkish";
    case 932: return u"Shift_JIS";
    case 936: return u"GBK";
    case 949: return u"EUC-KR";
    case 950: return u"Big5";
    case 20866: return u"KOI8-R";
    default: break;
  }
  if (codePage >= 28591 && codePage <= 28605) return u"ISO-8859-" + IntToWide(codePage - 28590);
  if (codePage < 1000) return u"IBM" + IntToWide(codePage);
  return u"windows-" + IntToWide(codePage);
}

int CodePageOf(TTesselOutputEncoding encoding) {
  switch (encoding) {
    case oeAnsi: return SystemCodePage(TSystemCodePage::Ansi);
    case oeOem: return SystemCodePage(TSystemCodePage::Oem);
    case oeMac: return SystemCodePage(TSystemCodePage::Mac);
    default: return 0;
  }
}

}  // namespace

WideString EscapeText(WideStringView text) {
  WideString out;
  out.reserve(text.size() + 8);
  AppendXmlEscaped(text, TXmlBreaks::References, out);
  return out;
}

std::vector<WideString> DatapacketNames(const std::vector<WideString>& names) {
  const size_t count = names.size();
  std::vector<WideString> sanitised(count);
  std::vector<bool> changed(count, false);
  for (size_t i = 0; i < count; ++i) {
    bool flag = names[i].empty();
    sanitised[i] = names[i].empty() ? WideString(u"_") : CollapseInvalidRuns(names[i], flag);
    if (!StartsName(sanitised[i])) {
      sanitised[i].insert(0, 1, u'_');
      flag = true;
    }
    changed[i] = flag;
  }
  std::vector<WideString> finals;
  std::set<WideString> assigned;
  for (size_t i = 0; i < count; ++i) {
    // Another column's final name, or the name another column starts from.
    auto taken = [&](const WideString& candidate) {
      if (assigned.count(candidate) != 0) return true;
      for (size_t j = 0; j < count; ++j)
        if (j != i && sanitised[j] == candidate) return true;
      return false;
    };
    WideString name = sanitised[i];
    if (changed[i] && name == u"_")
      name = Numbered(u"FIELD_", taken);
    else if (changed[i] ? taken(name) : assigned.count(name) != 0)
      name = Numbered(name, taken);
    assigned.insert(name);
    finals.push_back(std::move(name));
  }
  return finals;
}

WideString ElementName(WideStringView name) {
  WideString result;
  result.reserve(name.size() + 1);
  for (size_t i = 0; i < name.size();) {
    char32_t ch = name[i];
    size_t length = 1;
    if (U16_IS_LEAD(name[i]) && i + 1 < name.size() && U16_IS_TRAIL(name[i + 1])) {
      ch = U16_GET_SUPPLEMENTARY(name[i], name[i + 1]);
      length = 2;
    }
    if (IsNameChar(ch))
      result.append(name.substr(i, length));
    else
      result += u'_';
    i += length;
  }
  if (result.empty()) return u"_";
  if (!IsNameStartChar(result[0])) result.insert(0, 1, u'_');
  return result;
}

std::vector<WideString> UniqueElementNames(const std::vector<WideString>& names,
                                           const std::vector<WideString>& reserved) {
  std::set<WideString> assigned(reserved.begin(), reserved.end());
  std::vector<WideString> finals;
  finals.reserve(names.size());
  auto taken = [&](const WideString& candidate) { return assigned.count(candidate) != 0; };
  for (const WideString& original : names) {
    WideString name = ElementName(original);
    if (taken(name)) name = Numbered(name, taken);
    assigned.insert(name);
    finals.push_back(std::move(name));
  }
  return finals;
}

bool IsTypedColumn(TTesselColType type) { return type != ectString && type != ectUnknown; }

bool LexicalValue(const Variant& value, TTesselColType type, WideString& text) {
  switch (type) {
    case ectInteger:
    case ectBigint:
      if (value.GetKind() != Variant::Kind::Integer) return NumberLexical(value, text) && text.find(u'.') == WideString::npos;
      text = IntToWide(value.AsInt());
      return true;
    case ectFloat:
    case ectCurrency: return NumberLexical(value, text);
    case ectDate:
    case ectTime:
    case ectDateTime:
      if (value.GetKind() != Variant::Kind::DateTime && value.GetKind() != Variant::Kind::Double) return false;
      text = DateTimeLexical(value.AsDateTime());
      return !text.empty();
    case ectBoolean:
      if (value.GetKind() != Variant::Kind::Boolean) return false;
      text = value.AsBool() ? u"true" : u"false";
      return true;
    default: return false;
  }
}

WideString EncodingName(TTesselOutputEncoding encoding) {
  switch (encoding) {
    case oeUTF8: return u"UTF-8";
    case oeUTF16: return u"UTF-16";
    case oeUTF32: return u"UTF-32";
    case oeAnsi:
    case oeOem:
    case oeMac: return CodePageName(CodePageOf(encoding));
  }
  return u"UTF-8";
}

bool NamesEncoding(WideStringView name, TTesselOutputEncoding encoding) {
  const WideString trimmed = Trim(name);
  if (trimmed.empty()) return false;
  if (SameText(trimmed, EncodingName(encoding))) return true;
  const int codePage = CodePageOf(encoding);
  if (codePage == 0) return false;
  if (codePage == 65001) return SameText(trimmed, u"UTF-8");
  const WideString number = IntToWide(codePage);
  return SameText(trimmed, u"cp" + number) || SameText(trimmed, u"windows-" + number) ||
         (codePage < 1000 && SameText(trimmed, u"IBM" + number)) ||
         (codePage >= 28591 && codePage <= 28605 && SameText(trimmed, u"ISO_8859-" + IntToWide(codePage - 28590)));
}

TTesselOutputEncoding OutputEncodingForName(WideStringView name) {
  const WideString trimmed = Trim(name);
  if (SameText(trimmed, u"UTF-16")) return oeUTF16;
  if (SameText(trimmed, u"UTF-32")) return oeUTF32;
  return oeUTF8;
}

}  // namespace verimo::xml
