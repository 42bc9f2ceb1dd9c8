// Reading integers, floats and date-times with a locale's separators and
// short date pattern.
#include <charconv>
#include <chrono>
#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "platform/locale/Formatting.h"

namespace verimo {
namespace {

bool IsBlank(char16_t c) { return c <= u' ' || c == u'\u00A0'; }
bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
char16_t Upper(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c; }

WideStringView TrimBlanks(WideStringView text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// A left-to-right reader over a text.
class Scanner {
 public:
  explicit Scanner(WideStringView text) : text_(text) {}

  bool AtEnd() const { return pos_ >= text_.size(); }
  size_t Position() const { return pos_; }
  void Reset(size_t pos) { pos_ = pos; }
  void SkipBlanks() {
    while (!AtEnd() && IsBlank(text_[pos_])) ++pos_;
  }
  bool Accept(char16_t c) {
    if (AtEnd() || text_[pos_] != c) return false;
    ++pos_;
    return true;
  }
  // Case-insensitive; empty words never match.
  bool AcceptWord(WideStringView word) {
    if (word.empty() || pos_ + word.size() > text_.size()) return false;
    if (!SameText(text_.substr(pos_, word.size()), word)) return false;
    pos_ += word.size();
    return true;
  }
  // Up to nine decimal digits; `digits` receives their count.
  std::optional<int> Number(int* digits = nullptr) {
    size_t start = pos_;
    int value = 0;
    while (!AtEnd() && IsDigit(text_[pos_]) && pos_ - start < 9) {
      value = value * 10 + (text_[pos_] - u'0');
      ++pos_;
    }
    if (pos_ == start || (!AtEnd() && IsDigit(text_[pos_]))) {
      pos_ = start;
      return std::nullopt;
    }
    if (digits) *digits = static_cast<int>(pos_ - start);
    return value;
  }

 private:
  WideStringView text_;
  size_t pos_ = 0;
};

enum class DateOrder { DMY, MDY, YMD };

DateOrder OrderOf(WideStringView shortDateFormat) {
  for (char16_t c : shortDateFormat) {
    switch (Upper(c)) {
      case u'D': return DateOrder::DMY;
      case u'M': return DateOrder::MDY;
      case u'Y': return DateOrder::YMD;
      default: break;
    }
  }
  return DateOrder::MDY;
}

int CurrentYear() {
  auto today = std::chrono::floor<std::chrono::days>(std::chrono::system_clock::now());
  return static_cast<int>(std::chrono::year_month_day(today).year());
}

// Two-digit years fall within the fifty years either side of this year.
int ExpandTwoDigitYear(int year) {
  int base = CurrentYear() - 50;
  int result = year + base / 100 * 100;
  if (result < base) result += 100;
  return result;
}

std::optional<TDateTime> ScanDate(Scanner& in, const TFormatSettings& settings) {
  size_t start = in.Position();
  int digits[3] = {0, 0, 0};
  int parts[3] = {0, 0, 0};
  int count = 0;
  while (count < 3) {
    std::optional<int> number = in.Number(&digits[count]);
    if (!number) break;
    parts[count++] = *number;
    if (count < 3 && !in.Accept(settings.DateSeparator)) break;
  }
  if (count < 2) {
    in.Reset(start);
    return std::nullopt;
  }
  // "a.b." in patterns that end with the separator.
  if (count == 3) in.Accept(settings.DateSeparator);
  int year = 0, month = 0, day = 0;
  int yearDigits = 4;
  const DateOrder order = OrderOf(settings.ShortDateFormat);
  if (count == 2) {
    year = CurrentYear();
    if (order == DateOrder::DMY) {
      day = parts[0];
      month = parts[1];
    } else {
      month = parts[0];
      day = parts[1];
    }
  } else {
    switch (order) {
      case DateOrder::DMY: day = parts[0]; month = parts[1]; year = parts[2]; yearDigits = digits[2]; break;
      case DateOrder::MDY: month = parts[0]; day = parts[1]; year = parts[2]; yearDigits = digits[2]; break;
      case DateOrder::YMD: year = parts[0]; month = parts[1]; day = parts[2]; yearDigits = digits[0]; break;
    }
    if (yearDigits <= 2) year = ExpandTwoDigitYear(year);
  }
  TDateTime date = 0;
  if (!TryEncodeDate(year, month, day, date)) {
    in.Reset(start);
    return std::nullopt;
  }
  return date;
}

// 1 for AM, 2 for PM, 0 when there is no marker.
int ScanAmPm(Scanner& in, const TFormatSettings& settings) {
  size_t start = in.Position();
  in.SkipBlanks();
  if (in.AcceptWord(settings.TimeAMString) || in.AcceptWord(u"AM")) return 1;
  if (in.AcceptWord(settings.TimePMString) || in.AcceptWord(u"PM")) return 2;
  in.Reset(start);
  return 0;
}

std::optional<TDateTime> ScanTime(Scanner& in, const TFormatSettings& settings) {
  size_t start = in.Position();
  int marker = ScanAmPm(in, settings);
  if (marker) in.SkipBlanks();
  int values[4] = {0, 0, 0, 0};
  std::optional<int> hour = in.Number();
  if (!hour) {
    in.Reset(start);
    return std::nullopt;
  }
  values[0] = *hour;
  int count = 1;
  while (count < 3 && in.Accept(settings.TimeSeparator)) {
    std::optional<int> number = in.Number();
    if (!number) {
      in.Reset(start);
      return std::nullopt;
    }
    values[count++] = *number;
  }
  if (count == 3 && in.Accept(settings.DecimalSeparator)) {
    int digits = 0;
    std::optional<int> fraction = in.Number(&digits);
    if (!fraction || digits > 3) {
      in.Reset(start);
      return std::nullopt;
    }
    values[3] = *fraction * (digits == 1 ? 100 : digits == 2 ? 10 : 1);
  }
  if (count == 1 && !marker) {
    // A bare number is not a time.
    size_t afterNumber = in.Position();
    if (!ScanAmPm(in, settings)) {
      in.Reset(start);
      return std::nullopt;
    }
    in.Reset(afterNumber);
  }
  if (!marker) marker = ScanAmPm(in, settings);
  if (marker) {
    if (values[0] < 1 || values[0] > 12) {
      in.Reset(start);
      return std::nullopt;
    }
    values[0] = values[0] % 12 + (marker == 2 ? 12 : 0);
  }
  TDateTime time = 0;
  if (!TryEncodeTime(values[0], values[1], values[2], values[3], time)) {
    in.Reset(start);
    return std::nullopt;
  }
  return time;
}

}  // namespace

bool TryStrToInt64(WideStringView text, int64_t& value, const TFormatSettings&) {
  text = TrimBlanks(text);
  long long result = 0;
  if (!TryWideToInt64(text, result)) return false;
  value = result;
  return true;
}

bool TryStrToFloat(WideStringView text, double& value, const TFormatSettings& settings) {
  text = TrimBlanks(text);
  std::string ascii;
  ascii.reserve(text.size());
  size_t pos = 0;
  if (pos < text.size() && (text[pos] == u'+' || text[pos] == u'-')) {
    if (text[pos] == u'-') ascii += '-';
    ++pos;
  }
  bool mantissaDigits = false;
  bool point = false;
  for (; pos < text.size(); ++pos) {
    char16_t c = text[pos];
    if (IsDigit(c)) {
      ascii += static_cast<char>(c);
      mantissaDigits = true;
    } else if (c == settings.DecimalSeparator && !point) {
      ascii += '.';
      point = true;
    } else {
      break;
    }
  }
  if (!mantissaDigits) return false;
  if (pos < text.size() && (text[pos] == u'E' || text[pos] == u'e')) {
    ascii += 'e';
    ++pos;
    if (pos < text.size() && (text[pos] == u'+' || text[pos] == u'-')) {
      if (text[pos] == u'-') ascii += '-';
      ++pos;
    }
    bool exponentDigits = false;
    for (; pos < text.size() && IsDigit(text[pos]); ++pos) {
      ascii += static_cast<char>(text[pos]);
      exponentDigits = true;
    }
    if (!exponentDigits) return false;
  }
  if (pos != text.size()) return false;
  double result = 0;
  auto [end, error] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), result);
  if (error != std::errc() || end != ascii.data() + ascii.size() || !std::isfinite(result))
    return false;
  value = result;
  return true;
}

bool TryStrToDateTime(WideStringView text, TDateTime& value, const TFormatSettings& settings) {
  text = TrimBlanks(text);
  if (text.empty()) return false;
  Scanner in(text);
  std::optional<TDateTime> date = ScanDate(in, settings);
  std::optional<TDateTime> time;
  if (date) {
    in.SkipBlanks();
    if (!in.AtEnd()) {
      time = ScanTime(in, settings);
      if (!time) return false;
    }
  } else {
    time = ScanTime(in, settings);
    if (!time) return false;
  }
  in.SkipBlanks();
  if (!in.AtEnd()) return false;
  value = CombineDateTime(date.value_or(0.0), time.value_or(0.0));
  return true;
}

}  // namespace verimo
