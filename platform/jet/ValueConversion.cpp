#include "platform/jet/ValueConversion.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <optional>

#include "core/Exception.h"

namespace verimo {
namespace {

bool IsBlank(char16_t ch) { return ch == u' ' || ch == u'\t' || ch == 0x00a0 || ch == 0x202f; }
bool IsDigit(char16_t ch) { return ch >= u'0' && ch <= u'9'; }

WideStringView TrimBlanks(WideStringView text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

bool StartsWithText(WideStringView text, WideStringView prefix) {
  return !prefix.empty() && text.size() >= prefix.size() && SameText(text.substr(0, prefix.size()), prefix);
}
bool EndsWithText(WideStringView text, WideStringView suffix) {
  return !suffix.empty() && text.size() >= suffix.size() && SameText(text.substr(text.size() - suffix.size()), suffix);
}

bool SameSeparator(char16_t a, char16_t b) { return a == b || (IsBlank(a) && IsBlank(b)); }

// Reads an unsigned decimal of 1..maxDigits digits at `pos`.
bool ReadNumber(WideStringView text, size_t& pos, size_t maxDigits, int& value) {
  const size_t start = pos;
  value = 0;
  while (pos < text.size() && IsDigit(text[pos]) && pos - start < maxDigits) value = value * 10 + (text[pos++] - u'0');
  return pos > start && (pos >= text.size() || !IsDigit(text[pos]));
}

int ExpandYear(int year, size_t digits) {
  if (digits > 2) return year;
  return year < 50 ? 2000 + year : 1900 + year;
}

// The order of day, month and year in a short date pattern ("dmy", "mdy", "ymd").
std::string FieldOrder(WideStringView pattern) {
  std::string order;
  for (char16_t ch : pattern) {
    const char lower = static_cast<char>(ch < 0x80 ? std::tolower(static_cast<int>(ch)) : 0);
    if ((lower == 'd' || lower == 'm' || lower == 'y') && order.find(lower) == std::string::npos) order.push_back(lower);
  }
  return order.size() == 3 ? order : "mdy";
}

struct PlainDecimal {
  bool negative = false;
  std::string digits;
  long long exponent = 0;
};

std::optional<PlainDecimal> ParsePlain(const std::string& text) {
  PlainDecimal result;
  size_t pos = 0;
  if (pos < text.size() && text[pos] == '-') {
    result.negative = true;
    ++pos;
  }
  long long fractionDigits = 0;
  bool inFraction = false;
  for (; pos < text.size(); ++pos) {
    const char ch = text[pos];
    if (ch >= '0' && ch <= '9') {
      result.digits.push_back(ch);
      if (inFraction) ++fractionDigits;
    } else if (ch == '.' && !inFraction) {
      inFraction = true;
    } else {
      break;
    }
  }
  if (result.digits.empty()) return std::nullopt;
  if (pos < text.size()) {
    if (text[pos] != 'e' && text[pos] != 'E') return std::nullopt;
    ++pos;
    bool negativeExponent = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) negativeExponent = text[pos++] == '-';
    if (pos >= text.size()) return std::nullopt;
    long long exponent = 0;
    for (; pos < text.size(); ++pos) {
      if (text[pos] < '0' || text[pos] > '9' || exponent > 100000) return std::nullopt;
      exponent = exponent * 10 + (text[pos] - '0');
    }
    result.exponent = negativeExponent ? -exponent : exponent;
  }
  result.exponent -= fractionDigits;
  const size_t firstNonZero = result.digits.find_first_not_of('0');
  result.digits = firstNonZero == std::string::npos ? "0" : result.digits.substr(firstNonZero);
  return result;
}

// value * 10^scale rounded half to even, when it has at most 36 digits.
std::optional<__int128> ScaledInteger(const PlainDecimal& number, int scale) {
  const long long shift = number.exponent + scale;
  std::string integerPart, fractionPart;
  if (shift >= 0) {
    if (number.digits != "0" && static_cast<long long>(number.digits.size()) + shift > 36) return std::nullopt;
    integerPart = number.digits == "0" ? "0" : number.digits + std::string(static_cast<size_t>(shift), '0');
  } else {
    const long long cut = static_cast<long long>(number.digits.size()) + shift;
    if (cut > 36) return std::nullopt;
    integerPart = cut > 0 ? number.digits.substr(0, static_cast<size_t>(cut)) : "0";
    fractionPart = cut > 0 ? number.digits.substr(static_cast<size_t>(cut))
                           : std::string(static_cast<size_t>(-cut), '0') + number.digits;
  }
  __int128 value = 0;
  for (char ch : integerPart) value = value * 10 + (ch - '0');
  if (!fractionPart.empty()) {
    const char first = fractionPart[0];
    const bool restNonZero = fractionPart.find_first_not_of('0', 1) != std::string::npos;
    if (first > '5' || (first == '5' && (restNonZero || (value % 2) != 0))) ++value;
  }
  return number.negative ? -value : value;
}

std::string ShortValue(WideStringView text) {
  return WideToUtf8(text.size() > 100 ? WideString(text.substr(0, 100)) + u"..." : WideString(text));
}

const char* TypeName(jet::ColumnType type) {
  using T = jet::ColumnType;
  switch (type) {
    case T::Boolean: return "Yes/No";
    case T::Byte: return "Byte";
    case T::Integer: return "Integer";
    case T::Long: return "Long";
    case T::Currency: return "Currency";
    case T::Double: return "Double";
    case T::DateTime: return "Date/Time";
    case T::Binary: return "Binary";
    case T::Text: return "Text";
    case T::Ole: return "OLE Object";
    case T::Memo: return "Memo";
  }
  return "unknown";
}

[[noreturn]] void CannotStore(const jet::Column& column, const std::string& shownValue, const std::string& reason) {
  throw Exception("Cannot store '" + shownValue + "' in column [" + WideToUtf8(column.name) + "] (" +
                  TypeName(column.type) + "): " + reason + ".");
}

std::string PlainFromInt(int64_t value) { return std::to_string(value); }

std::string PlainFromDouble(double value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

// A typed or text value as a plain number, or nothing.
std::optional<std::string> NumberOf(const Variant& value, const TJetTextParser& parser) {
  switch (value.GetKind()) {
    case Variant::Kind::Text: return parser.NormalizeNumber(value.AsText());
    case Variant::Kind::Integer: return PlainFromInt(value.AsInt());
    case Variant::Kind::Double:
    case Variant::Kind::DateTime:
      if (!std::isfinite(value.AsDouble())) return std::nullopt;
      return PlainFromDouble(value.AsDouble());
    case Variant::Kind::Currency: return value.AsCurrency().ToPlainText(true);
    case Variant::Kind::Boolean: return std::string(value.AsBool() ? "-1" : "0");
    default: return std::nullopt;
  }
}

std::string Shown(const Variant& value) {
  if (value.GetKind() == Variant::Kind::Text) return ShortValue(value.AsText());
  if (auto number = NumberOf(value, TJetSettingsTextParser())) return *number;
  return "(value)";
}

Variant ConvertNumber(const jet::Column& column, const Variant& value, const TJetTextParser& parser) {
  const auto number = NumberOf(value, parser);
  if (!number) CannotStore(column, Shown(value), "it is not a number");
  using T = jet::ColumnType;
  switch (column.type) {
    case T::Double: {
      double result = 0;
      if (!jet::PlainNumberToDouble(*number, result)) CannotStore(column, Shown(value), "it is out of the range of a Double");
      return Variant::FromDouble(result);
    }
    case T::Currency: {
      Currency result;
      if (!jet::PlainNumberToCurrency(*number, result))
        CannotStore(column, Shown(value), "it is out of the range of a Currency value");
      return Variant::FromCurrency(result);
    }
    default: {
      int32_t result = 0;
      if (!jet::PlainNumberToInt32(*number, result))
        CannotStore(column, Shown(value), "it is out of the range of a Long (-2147483648 to 2147483647)");
      const int64_t low = column.type == T::Byte ? 0 : column.type == T::Integer ? -32768 : std::numeric_limits<int32_t>::min();
      const int64_t high = column.type == T::Byte ? 255 : column.type == T::Integer ? 32767 : std::numeric_limits<int32_t>::max();
      if (result < low || result > high) CannotStore(column, Shown(value), "it is out of the column's range");
      return Variant::FromInt(result);
    }
  }
}

}  // namespace

std::optional<std::string> TJetSettingsTextParser::NormalizeNumber(WideStringView text) const {
  WideStringView rest = TrimBlanks(text);
  bool negative = false;
  int signs = 0;
  if (rest.size() >= 2 && rest.front() == u'(' && rest.back() == u')') {
    negative = true;
    ++signs;
    rest = TrimBlanks(rest.substr(1, rest.size() - 2));
  }
  auto takeLeadingSign = [&] {
    if (!rest.empty() && (rest.front() == u'-' || rest.front() == u'+')) {
      negative = negative || rest.front() == u'-';
      ++signs;
      rest = TrimBlanks(rest.substr(1));
    }
  };
  takeLeadingSign();
  if (StartsWithText(rest, settings_.CurrencyString)) {
    rest = TrimBlanks(rest.substr(settings_.CurrencyString.size()));
    takeLeadingSign();
  }
  if (EndsWithText(rest, settings_.CurrencyString))
    rest = TrimBlanks(rest.substr(0, rest.size() - settings_.CurrencyString.size()));
  if (!rest.empty() && rest.back() == u'-') {
    negative = true;
    ++signs;
    rest = TrimBlanks(rest.substr(0, rest.size() - 1));
  }
  if (signs > 1 || rest.empty()) return std::nullopt;

  std::string plain = negative ? "-" : "";
  bool seenDecimal = false, seenDigit = false, grouped = false;
  size_t groupDigits = 0;  // digits since the last thousand separator
  size_t pos = 0;
  for (; pos < rest.size(); ++pos) {
    const char16_t ch = rest[pos];
    if (IsDigit(ch)) {
      plain.push_back(static_cast<char>(ch));
      seenDigit = true;
      ++groupDigits;
    } else if (ch == settings_.DecimalSeparator && !seenDecimal) {
      if (grouped && groupDigits != 3) return std::nullopt;
      plain.push_back('.');
      seenDecimal = true;
    } else if (SameSeparator(ch, settings_.ThousandSeparator) && !seenDecimal && seenDigit) {
      // Thousand groups have three digits: "1.234", never "1.2".
      if ((grouped && groupDigits != 3) || (!grouped && groupDigits > 3)) return std::nullopt;
      grouped = true;
      groupDigits = 0;
    } else {
      break;
    }
  }
  if (!seenDigit || (grouped && !seenDecimal && groupDigits != 3)) return std::nullopt;
  if (pos < rest.size()) {
    if (rest[pos] != u'e' && rest[pos] != u'E') return std::nullopt;
    plain.push_back('e');
    ++pos;
    if (pos < rest.size() && (rest[pos] == u'+' || rest[pos] == u'-')) plain.push_back(static_cast<char>(rest[pos++]));
    if (pos >= rest.size()) return std::nullopt;
    for (; pos < rest.size(); ++pos) {
      if (!IsDigit(rest[pos])) return std::nullopt;
      plain.push_back(static_cast<char>(rest[pos]));
    }
  }
  return plain;
}

bool TJetSettingsTextParser::TryParseDate(WideStringView text, TDateTime& value) const {
  int parts[3] = {0, 0, 0};
  size_t digits[3] = {0, 0, 0};
  size_t pos = 0;
  const bool iso = text.size() >= 8 && IsDigit(text[0]) && text.find(u'-') == 4;
  const char16_t separator = iso ? u'-' : settings_.DateSeparator;
  for (int i = 0; i < 3; ++i) {
    const size_t start = pos;
    if (!ReadNumber(text, pos, 4, parts[i])) return false;
    digits[i] = pos - start;
    if (i < 2) {
      if (pos >= text.size() || !SameSeparator(text[pos], separator)) return false;
      ++pos;
    }
  }
  if (pos != text.size()) return false;
  int year = 0, month = 0, day = 0;
  const std::string order = iso ? "ymd" : FieldOrder(settings_.ShortDateFormat);
  for (int i = 0; i < 3; ++i) {
    if (order[static_cast<size_t>(i)] == 'y') year = ExpandYear(parts[i], digits[i]);
    if (order[static_cast<size_t>(i)] == 'm') month = parts[i];
    if (order[static_cast<size_t>(i)] == 'd') day = parts[i];
  }
  return year >= 100 && TryEncodeDate(year, month, day, value);
}

bool TJetSettingsTextParser::TryParseTime(WideStringView text, TDateTime& value) const {
  bool pm = false, am = false;
  for (const WideString& suffix : {settings_.TimePMString, WideString(u"PM")})
    if (!pm && EndsWithText(text, suffix)) {
      pm = true;
      text = TrimBlanks(text.substr(0, text.size() - suffix.size()));
    }
  for (const WideString& suffix : {settings_.TimeAMString, WideString(u"AM")})
    if (!pm && !am && EndsWithText(text, suffix)) {
      am = true;
      text = TrimBlanks(text.substr(0, text.size() - suffix.size()));
    }
  int hour = 0, minute = 0, second = 0, millisecond = 0;
  size_t pos = 0;
  if (!ReadNumber(text, pos, 2, hour)) return false;
  if (pos >= text.size() || text[pos] != settings_.TimeSeparator) return false;
  ++pos;
  if (!ReadNumber(text, pos, 2, minute)) return false;
  if (pos < text.size() && text[pos] == settings_.TimeSeparator) {
    ++pos;
    if (!ReadNumber(text, pos, 2, second)) return false;
    if (pos < text.size() && (text[pos] == u'.' || text[pos] == settings_.DecimalSeparator)) {
      ++pos;
      const size_t start = pos;
      if (!ReadNumber(text, pos, 3, millisecond)) return false;
      for (size_t d = pos - start; d < 3; ++d) millisecond *= 10;
    }
  }
  if (pos != text.size()) return false;
  if (am || pm) {
    if (hour < 1 || hour > 12) return false;
    hour = hour % 12 + (pm ? 12 : 0);
  }
  return TryEncodeTime(hour, minute, second, millisecond, value);
}

bool TJetSettingsTextParser::TryParseDateTime(WideStringView text, TDateTime& value) const {
  text = TrimBlanks(text);
  size_t split = 0;
  while (split < text.size() && !IsBlank(text[split]) && text[split] != u'T') ++split;
  TDateTime date = 0, time = 0;
  if (TryParseDate(text.substr(0, split), date)) {
    const WideStringView rest = split < text.size() ? TrimBlanks(text.substr(split + 1)) : WideStringView();
    if (rest.empty()) {
      value = date;
      return true;
    }
    if (!TryParseTime(rest, time)) return false;
    value = CombineDateTime(date, time);
    return true;
  }
  if (!TryParseTime(text, time)) return false;
  value = time;
  return true;
}

bool TJetSettingsTextParser::TryParseBoolean(WideStringView text, bool& value) const {
  text = TrimBlanks(text);
  for (WideStringView word : {WideStringView(settings_.TrueText), WideStringView(u"True"), WideStringView(u"Yes"),
                              WideStringView(u"On")})
    if (!word.empty() && SameText(text, word)) return value = true, true;
  for (WideStringView word : {WideStringView(settings_.FalseText), WideStringView(u"False"), WideStringView(u"No"),
                              WideStringView(u"Off")})
    if (!word.empty() && SameText(text, word)) return value = false, true;
  const auto number = NormalizeNumber(text);
  if (!number) return false;
  const auto parsed = ParsePlain(*number);
  if (!parsed) return false;
  value = parsed->digits != "0";
  return true;
}

namespace jet {

bool PlainNumberToInt32(const std::string& number, int32_t& value) {
  const auto parsed = ParsePlain(number);
  if (!parsed) return false;
  const auto scaled = ScaledInteger(*parsed, 0);
  if (!scaled || *scaled < std::numeric_limits<int32_t>::min() || *scaled > std::numeric_limits<int32_t>::max())
    return false;
  value = static_cast<int32_t>(*scaled);
  return true;
}

bool PlainNumberToCurrency(const std::string& number, Currency& value) {
  const auto parsed = ParsePlain(number);
  if (!parsed) return false;
  const auto scaled = ScaledInteger(*parsed, 4);
  if (!scaled || *scaled < std::numeric_limits<int64_t>::min() || *scaled > std::numeric_limits<int64_t>::max())
    return false;
  value.scaled = static_cast<int64_t>(*scaled);
  return true;
}

bool PlainNumberToDouble(const std::string& number, double& value) {
  const char* begin = number.data();
  const char* end = begin + number.size();
  const auto result = std::from_chars(begin, end, value);
  return result.ec == std::errc() && result.ptr == end && std::isfinite(value);
}

namespace {

void CheckText(const Column& column, const Variant& value) {
  if (value.GetKind() != Variant::Kind::Text) CannotStore(column, Shown(value), "the column takes text");
  if (column.type == ColumnType::Text && value.AsText().size() > column.length / 2u)
    CannotStore(column, ShortValue(value.AsText()),
                "the text has " + std::to_string(value.AsText().size()) + " characters, the column holds at most " +
                    std::to_string(column.length / 2));
}

// The integer range of an integer column.
bool InIntegerRange(ColumnType type, int64_t value) {
  switch (type) {
    case ColumnType::Byte: return value >= 0 && value <= 255;
    case ColumnType::Integer: return value >= -32768 && value <= 32767;
    default: return value >= std::numeric_limits<int32_t>::min() && value <= std::numeric_limits<int32_t>::max();
  }
}

// A double whose shortest decimal form has at most four decimals, as the
// exact currency value that form gives; nothing for any other double.
// Below 1e9 two such decimals lie far farther apart than the doubles that
// round to them, so a scaled value that divides back to the same double is
// the one its shortest form names.
std::optional<Currency> ExactCurrency(double value) {
  if (!(std::fabs(value) < 1e9)) return std::nullopt;
  const double scaled = std::nearbyint(value * 10000.0);
  if (scaled / 10000.0 != value) return std::nullopt;
  return Currency{static_cast<int64_t>(scaled)};
}

}  // namespace

void ConvertForColumn(const Column& column, const Variant& value, const TJetTextParser& parser, Variant& out) {
  const Variant::Kind kind = value.GetKind();
  if (value.IsEmptyOrNull()) return out.SetNull();
  switch (column.type) {
    case ColumnType::Text:
    case ColumnType::Memo:
      CheckText(column, value);
      return out.AssignText(value.AsText());
    case ColumnType::Byte:
    case ColumnType::Integer:
    case ColumnType::Long:
      if (kind == Variant::Kind::Integer && InIntegerRange(column.type, value.AsInt())) return out.SetInt(value.AsInt());
      break;
    case ColumnType::Currency:
      if (kind == Variant::Kind::Currency) return out.SetCurrency(value.AsCurrency());
      if (kind == Variant::Kind::Double)
        if (const auto exact = ExactCurrency(value.AsDouble())) return out.SetCurrency(*exact);
      break;
    case ColumnType::Double:
      if (kind == Variant::Kind::Double && std::isfinite(value.AsDouble())) return out.SetDouble(value.AsDouble());
      break;
    case ColumnType::DateTime:
      if (kind == Variant::Kind::DateTime) return out.SetDateTime(value.AsDateTime());
      break;
    case ColumnType::Boolean:
      if (kind == Variant::Kind::Boolean) return out.SetBool(value.AsBool());
      break;
    default:
      break;
  }
  out = ConvertForColumn(column, value, parser);
}

Variant ConvertForColumn(const Column& column, const Variant& value, const TJetTextParser& parser) {
  if (value.IsEmptyOrNull()) return Variant::Null();
  const bool isText = value.GetKind() == Variant::Kind::Text;
  switch (column.type) {
    case ColumnType::Text:
    case ColumnType::Memo: {
      CheckText(column, value);
      return value;
    }
    case ColumnType::Boolean: {
      if (value.GetKind() == Variant::Kind::Boolean) return value;
      bool result = false;
      if (isText ? !parser.TryParseBoolean(value.AsText(), result) : !NumberOf(value, parser))
        CannotStore(column, Shown(value), "it is not a Yes/No value");
      if (!isText) result = *NumberOf(value, parser) != "0";
      return Variant::FromBool(result);
    }
    case ColumnType::DateTime: {
      if (value.GetKind() == Variant::Kind::DateTime) return value;
      TDateTime result = 0;
      if (!isText || !parser.TryParseDateTime(value.AsText(), result))
        CannotStore(column, Shown(value), "it is not a date and time (years 100 to 9999)");
      return Variant::FromDateTime(result);
    }
    case ColumnType::Byte:
    case ColumnType::Integer:
    case ColumnType::Long:
    case ColumnType::Double:
    case ColumnType::Currency:
      return ConvertNumber(column, value, parser);
    case ColumnType::Binary:
    case ColumnType::Ole:
      break;
  }
  CannotStore(column, Shown(value), "this column type cannot be written");
}

}  // namespace jet
}  // namespace verimo
