// The date-time pattern language.
#include <cmath>

#include "core/Exception.h"
#include "platform/locale/Formatting.h"

namespace verimo {
namespace {

// Patterns that name other patterns ("c", "ddddd", "t") are expanded at
// most this deep, so a settings pattern that names itself cannot loop.
constexpr int kMaxNesting = 2;

// The range of TDateTime values with a calendar date (years 1 to 9999).
constexpr double kMinDateTime = -693593.0;
constexpr double kMaxDateTime = 2958466.0;

char16_t Upper(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c; }
bool IsAsciiLetter(char16_t c) { return Upper(c) >= u'A' && Upper(c) <= u'Z'; }

bool StartsWithNoCase(WideStringView text, size_t pos, std::u16string_view word) {
  if (pos + word.size() > text.size()) return false;
  for (size_t i = 0; i < word.size(); ++i)
    if (Upper(text[pos + i]) != Upper(word[i])) return false;
  return true;
}

size_t CountRun(WideStringView text, size_t pos) {
  size_t end = pos + 1;
  while (end < text.size() && Upper(text[end]) == Upper(text[pos])) ++end;
  return end - pos;
}

WideString Padded(int value, size_t width) {
  WideString digits = IntToWide(value);
  if (digits.size() < width) digits.insert(0, width - digits.size(), u'0');
  return digits;
}

// Whether an am/pm marker follows `pos` (outside quotes): then hours are
// written on the twelve-hour clock.
bool UsesTwelveHourClock(WideStringView pattern, size_t pos) {
  while (pos < pattern.size()) {
    char16_t c = pattern[pos];
    if (c == u'\'' || c == u'"') {
      size_t close = pattern.find(c, pos + 1);
      if (close == WideStringView::npos) return false;
      pos = close + 1;
      continue;
    }
    if (StartsWithNoCase(pattern, pos, u"am/pm") || StartsWithNoCase(pattern, pos, u"a/p") ||
        StartsWithNoCase(pattern, pos, u"ampm"))
      return true;
    ++pos;
  }
  return false;
}

class DateTimeWriter {
 public:
  DateTimeWriter(TDateTime value, const TFormatSettings& settings)
      : value_(value), settings_(settings), date_(DecodeDate(value)), time_(DecodeTime(value)) {}

  void Append(WideStringView pattern, int depth) {
    char16_t lastToken = 0;
    bool twelveHour = false;
    bool twelveHourKnown = false;
    size_t pos = 0;
    while (pos < pattern.size()) {
      char16_t c = pattern[pos];
      char16_t token = Upper(c);
      if (IsAsciiLetter(c)) {
        if (token == u'M' && lastToken == u'H') token = u'N';
        lastToken = token;
      }
      switch (token) {
        case u'Y': {
          size_t run = CountRun(pattern, pos);
          out_ += run <= 2 ? Padded(date_.year % 100, 2) : Padded(date_.year, 4);
          pos += run;
          continue;
        }
        case u'M': {
          size_t run = CountRun(pattern, pos);
          if (run <= 2)
            out_ += Padded(date_.month, run);
          else if (run == 3)
            out_ += settings_.ShortMonthNames[static_cast<size_t>(date_.month - 1)];
          else
            out_ += settings_.LongMonthNames[static_cast<size_t>(date_.month - 1)];
          pos += run;
          continue;
        }
        case u'D': {
          size_t run = CountRun(pattern, pos);
          AppendDay(run, depth);
          pos += run;
          continue;
        }
        case u'H': {
          size_t run = CountRun(pattern, pos);
          if (!twelveHourKnown) {
            twelveHour = UsesTwelveHourClock(pattern, pos + run);
            twelveHourKnown = true;
          }
          int hour = time_.hour;
          if (twelveHour) {
            hour %= 12;
            if (hour == 0) hour = 12;
          }
          out_ += Padded(hour, run >= 2 ? 2 : 1);
          pos += run;
          continue;
        }
        case u'N': {
          size_t run = CountRun(pattern, pos);
          out_ += Padded(time_.minute, run >= 2 ? 2 : 1);
          pos += run;
          continue;
        }
        case u'S': {
          size_t run = CountRun(pattern, pos);
          out_ += Padded(time_.second, run >= 2 ? 2 : 1);
          pos += run;
          continue;
        }
        case u'Z': {
          size_t run = CountRun(pattern, pos);
          out_ += Padded(time_.millisecond, run >= 3 ? 3 : run);
          pos += run;
          continue;
        }
        case u'T': {
          size_t run = CountRun(pattern, pos);
          AppendNested(run == 1 ? settings_.ShortTimeFormat : settings_.LongTimeFormat, depth);
          pos += run;
          continue;
        }
        case u'C': {
          pos += CountRun(pattern, pos);
          AppendDefault(depth);
          continue;
        }
        case u'A':
          pos += AppendAmPm(pattern, pos);
          continue;
        case u'/':
          out_ += settings_.DateSeparator;
          break;
        case u':':
          out_ += settings_.TimeSeparator;
          break;
        case u'\'':
        case u'"': {
          size_t close = pattern.find(c, pos + 1);
          size_t end = close == WideStringView::npos ? pattern.size() : close;
          out_.append(pattern.substr(pos + 1, end - pos - 1));
          pos = end == pattern.size() ? end : end + 1;
          continue;
        }
        default:
          out_ += c;
          break;
      }
      ++pos;
    }
  }

  // Short date, then the long time unless the time is exactly midnight.
  void AppendDefault(int depth) {
    AppendNested(settings_.ShortDateFormat, depth);
    if (time_.hour != 0 || time_.minute != 0 || time_.second != 0) {
      out_ += u' ';
      AppendNested(settings_.LongTimeFormat, depth);
    }
  }

  WideString Take() { return std::move(out_); }

 private:
  void AppendNested(WideStringView pattern, int depth) {
    if (depth < kMaxNesting) Append(pattern, depth + 1);
  }

  void AppendDay(size_t run, int depth) {
    const size_t weekday = static_cast<size_t>(DayOfWeek(value_) - 1);
    switch (run) {
      case 1:
      case 2: out_ += Padded(date_.day, run); break;
      case 3: out_ += settings_.ShortDayNames[weekday]; break;
      case 4: out_ += settings_.LongDayNames[weekday]; break;
      case 5: AppendNested(settings_.ShortDateFormat, depth); break;
      default: AppendNested(settings_.LongDateFormat, depth); break;
    }
  }

  // Returns the count of pattern characters used.
  size_t AppendAmPm(WideStringView pattern, size_t pos) {
    const bool afternoon = time_.hour >= 12;
    if (StartsWithNoCase(pattern, pos, u"am/pm")) {
      out_.append(pattern.substr(afternoon ? pos + 3 : pos, 2));
      return 5;
    }
    if (StartsWithNoCase(pattern, pos, u"a/p")) {
      out_ += pattern[afternoon ? pos + 2 : pos];
      return 3;
    }
    if (StartsWithNoCase(pattern, pos, u"ampm")) {
      out_ += afternoon ? settings_.TimePMString : settings_.TimeAMString;
      return 4;
    }
    out_ += pattern[pos];
    return 1;
  }

  TDateTime value_;
  const TFormatSettings& settings_;
  DateParts date_;
  TimeParts time_;
  WideString out_;
};

void CheckDateTimeRange(TDateTime value) {
  if (!(value >= kMinDateTime && value < kMaxDateTime))
    throw Exception("Invalid date-time value: outside the years 1 to 9999");
}

}  // namespace

WideString FormatDateTime(WideStringView pattern, TDateTime value, const TFormatSettings& settings) {
  CheckDateTimeRange(value);
  DateTimeWriter writer(value, settings);
  if (pattern.empty())
    writer.AppendDefault(0);
  else
    writer.Append(pattern, 0);
  return writer.Take();
}

WideString DateTimeToStr(TDateTime value, const TFormatSettings& settings) {
  return FormatDateTime(u"c", value, settings);
}

}  // namespace verimo
