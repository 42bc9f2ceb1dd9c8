#pragma once

#include <cstdint>

namespace verimo {

// Days since 30 December 1899; the fraction is the time of day. For dates
// before the origin the integral part is negative and the fraction still
// counts forward from midnight (-1.25 is 29 December 1899, 06:00).
using TDateTime = double;

constexpr double kMillisecondsPerDay = 86400000.0;

struct DateParts {
  int year = 0;
  int month = 0;
  int day = 0;
};

struct TimeParts {
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
};

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);
bool IsValidDate(int year, int month, int day);
bool IsValidTime(int hour, int minute, int second, int millisecond);

// The day number of a date (0 = 30 Dec 1899); false for an invalid date.
// Years 1..9999 as the classic calendar functions accept.
bool TryEncodeDate(int year, int month, int day, TDateTime& result);
bool TryEncodeTime(int hour, int minute, int second, int millisecond, TDateTime& result);
// As above, throwing verimo::Exception on invalid parts.
TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int minute, int second, int millisecond);

// Combines a day number and a time fraction the way the classic functions
// do: for negative days the time counts forward from that day's midnight.
TDateTime CombineDateTime(TDateTime date, TDateTime time);

DateParts DecodeDate(TDateTime value);
TimeParts DecodeTime(TDateTime value);
// 1 = Sunday ... 7 = Saturday.
int DayOfWeek(TDateTime value);

// Days since 1 January of year 1 (that day is 1), as Paradox stores dates.
// NaN gives 0 and values beyond 10^15 days the nearest of +-10^15, all
// outside the calendar.
int64_t DateTimeToDayNumber(TDateTime value);
// The date of a day number (1 = 1 January of year 1); all zero before it.
DateParts DecodeDayNumber(int64_t days);
TDateTime DayNumberToDateTime(int64_t days);

// Date part only / time part only.
TDateTime DateOf(TDateTime value);
TDateTime TimeOf(TDateTime value);

}  // namespace verimo
