#include "core/DateTime.h"

#include <algorithm>
#include <cmath>

#include "core/Exception.h"

namespace verimo {
namespace {

// Day number (1 = 0001-01-01) of 30 December 1899.
constexpr int64_t kOriginDayNumber = 693594;

int64_t DaysBeforeYear(int64_t year) {
  int64_t y = year - 1;
  return y * 365 + y / 4 - y / 100 + y / 400;
}

// Milliseconds since midnight of the time fraction, rounded to the nearest.
int64_t TimeMilliseconds(TDateTime value) {
  if (!std::isfinite(value)) return 0;
  double fraction = std::fabs(value - std::trunc(value));
  auto ms = static_cast<int64_t>(std::llround(fraction * kMillisecondsPerDay));
  return ms;
}

}  // namespace

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

bool IsValidDate(int year, int month, int day) {
  return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
         day <= DaysInMonth(year, month);
}

bool IsValidTime(int hour, int minute, int second, int millisecond) {
  return hour >= 0 && hour < 24 && minute >= 0 && minute < 60 && second >= 0 && second < 60 &&
         millisecond >= 0 && millisecond < 1000;
}

bool TryEncodeDate(int year, int month, int day, TDateTime& result) {
  if (!IsValidDate(year, month, day)) return false;
  int64_t days = DaysBeforeYear(year);
  for (int m = 1; m < month; ++m) days += DaysInMonth(year, m);
  days += day;
  result = static_cast<double>(days - kOriginDayNumber);
  return true;
}

bool TryEncodeTime(int hour, int minute, int second, int millisecond, TDateTime& result) {
  if (!IsValidTime(hour, minute, second, millisecond)) return false;
  int64_t ms = ((static_cast<int64_t>(hour) * 60 + minute) * 60 + second) * 1000 + millisecond;
  result = static_cast<double>(ms) / kMillisecondsPerDay;
  return true;
}

TDateTime EncodeDate(int year, int month, int day) {
  TDateTime result = 0;
  if (!TryEncodeDate(year, month, day, result)) throw Exception("Invalid argument to date encode");
  return result;
}

TDateTime EncodeTime(int hour, int minute, int second, int millisecond) {
  TDateTime result = 0;
  if (!TryEncodeTime(hour, minute, second, millisecond, result))
    throw Exception("Invalid argument to time encode");
  return result;
}

TDateTime CombineDateTime(TDateTime date, TDateTime time) {
  double day = std::trunc(date);
  double fraction = std::fabs(time - std::trunc(time));
  return day < 0 ? day - fraction : day + fraction;
}

int64_t DateTimeToDayNumber(TDateTime value) {
  // NaN and day numbers no 64-bit integer holds are no day of any
  // calendar: NaN reads as day 0, the others as the far ends.
  constexpr double kFarEnd = 1e15;
  if (std::isnan(value)) return 0;
  return static_cast<int64_t>(std::clamp(std::trunc(value), -kFarEnd, kFarEnd)) + kOriginDayNumber;
}

TDateTime DayNumberToDateTime(int64_t days) { return static_cast<double>(days - kOriginDayNumber); }

DateParts DecodeDayNumber(int64_t days) {
  DateParts parts;
  if (days < 1) return parts;  // before the calendar: all zero
  // Counted in years that begin on 1 March, so that the leap day ends the
  // year: a 400-year era has 146,097 days, and the months from March on
  // follow one rule of 153 days per 5 months. Within an era every quantity
  // fits 32 bits.
  const uint64_t shifted = static_cast<uint64_t>(days) + 305;  // days since 0000-03-01
  const uint64_t era = shifted / 146097;
  const auto dayOfEra = static_cast<uint32_t>(shifted - era * 146097);
  const uint32_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const uint32_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const uint32_t monthFromMarch = (5 * dayOfYear + 2) / 153;
  parts.day = static_cast<int>(dayOfYear - (153 * monthFromMarch + 2) / 5 + 1);
  parts.month = static_cast<int>(monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9);
  parts.year = static_cast<int>(era * 400 + yearOfEra + (parts.month <= 2 ? 1 : 0));
  return parts;
}

DateParts DecodeDate(TDateTime value) { return DecodeDayNumber(DateTimeToDayNumber(value)); }

TimeParts DecodeTime(TDateTime value) {
  int64_t ms = TimeMilliseconds(value);
  if (ms >= static_cast<int64_t>(kMillisecondsPerDay)) ms = static_cast<int64_t>(kMillisecondsPerDay) - 1;
  TimeParts parts;
  parts.millisecond = static_cast<int>(ms % 1000);
  ms /= 1000;
  parts.second = static_cast<int>(ms % 60);
  ms /= 60;
  parts.minute = static_cast<int>(ms % 60);
  parts.hour = static_cast<int>(ms / 60);
  return parts;
}

int DayOfWeek(TDateTime value) {
  int64_t days = DateTimeToDayNumber(value);  // 0001-01-01 was a Monday
  int64_t weekday = ((days % 7) + 7) % 7;     // 0 = Sunday, 1 = Monday ...
  return static_cast<int>(weekday) + 1;
}

TDateTime DateOf(TDateTime value) { return std::trunc(value); }

TDateTime TimeOf(TDateTime value) { return std::fabs(value - std::trunc(value)); }

}  // namespace verimo
