#include <gtest/gtest.h>

#include <map>
#include <tuple>

#include "core/Exception.h"
#include "platform/locale/Formatting.h"

namespace verimo {
namespace {

class DateTimeFormatTest : public ::testing::Test {
 protected:
  std::string Format(const char16_t* pattern, TDateTime value, const TFormatSettings& settings) {
    return WideToUtf8(FormatDateTime(pattern, value, settings));
  }

  TFormatSettings tr = TFormatSettings::FromLocale("tr_TR");
  TFormatSettings en = TFormatSettings::FromLocale("en_US");
  TFormatSettings de = TFormatSettings::FromLocale("de_DE");
  // Tuesday, 5 March 2024, 14:07:09.045
  TDateTime afternoon = EncodeDate(2024, 3, 5) + EncodeTime(14, 7, 9, 45);
  TDateTime morning = EncodeDate(2024, 12, 25) + EncodeTime(0, 30, 0, 0);
};

// A pattern compiled once and used for many values, appending to a buffer
// that already holds text, writes what FormatDateTime writes.
TEST_F(DateTimeFormatTest, CompiledPatternsReusedGiveTheSameTexts) {
  const char16_t* patterns[] = {u"dd.mm.yyyy", u"c", u"", u"dddd d mmmm yy hh:nn:ss.zzz", u"h:mm am/pm",
                                u"ddddd 'saat' t", u"hh:mm a/p ampm", u"\"quoted\" m/d"};
  const TDateTime values[] = {afternoon, morning, EncodeDate(1899, 12, 30), EncodeDate(1, 1, 1), -1.25};
  for (const char16_t* pattern : patterns) {
    const TDateTimePattern compiled(pattern);
    for (int round = 0; round < 2; ++round)
      for (TDateTime value : values) {
        WideString out = u"[";
        compiled.Append(value, tr, out);
        EXPECT_EQ(out, u"[" + FormatDateTime(pattern, value, tr)) << WideToUtf8(pattern) << " " << value;
      }
  }
  WideString untouched = u"kept";
  EXPECT_THROW(TDateTimePattern(u"yyyy").Append(3e6, tr, untouched), Exception);
  EXPECT_EQ(untouched, u"kept");
}

TEST_F(DateTimeFormatTest, DayMonthYearTokens) {
  EXPECT_EQ(Format(u"d/m/yy", afternoon, en), "5/3/24");
  EXPECT_EQ(Format(u"dd/mm/yyyy", afternoon, tr), "05.03.2024");
  EXPECT_EQ(Format(u"yyyy-mm-dd", afternoon, de), "2024-03-05");
  EXPECT_EQ(Format(u"ddd dddd", afternoon, en), "Tue Tuesday");
  EXPECT_EQ(Format(u"dddd", afternoon, tr), "Salı");
  EXPECT_EQ(Format(u"dddd", afternoon, de), "Dienstag");
  EXPECT_EQ(Format(u"mmm mmmm", afternoon, en), "Mar March");
  EXPECT_EQ(Format(u"mmmm", afternoon, tr), "Mart");
  EXPECT_EQ(Format(u"mmmm", morning, de), "Dezember");
  EXPECT_EQ(Format(u"d mmmm yyyy", EncodeDate(2023, 8, 31), tr), "31 Ağustos 2023");
  EXPECT_EQ(Format(u"DD.MM.YYYY", afternoon, en), "05.03.2024");
}

TEST_F(DateTimeFormatTest, TimeTokensAndMinutesAfterHours) {
  EXPECT_EQ(Format(u"hh:nn:ss", afternoon, tr), "14:07:09");
  EXPECT_EQ(Format(u"h:mm", afternoon, en), "14:07");
  EXPECT_EQ(Format(u"hh:mm:ss.zzz", afternoon, en), "14:07:09.045");
  EXPECT_EQ(Format(u"s z", afternoon, en), "9 45");
  EXPECT_EQ(Format(u"mm", afternoon, en), "03");
  EXPECT_EQ(Format(u"h mm", morning, en), "0 30");
  EXPECT_EQ(Format(u"n:s", morning, en), "30:0");
}

TEST_F(DateTimeFormatTest, TwelveHourClock) {
  EXPECT_EQ(Format(u"h:nn am/pm", afternoon, en), "2:07 pm");
  EXPECT_EQ(Format(u"h:nn AM/PM", morning, en), "12:30 AM");
  EXPECT_EQ(Format(u"hh a/p", afternoon, en), "02 p");
  EXPECT_EQ(Format(u"h:nn ampm", afternoon, en), "2:07 PM");
  EXPECT_EQ(Format(u"h ampm", EncodeTime(12, 0, 0, 0), en), "12 PM");
  EXPECT_EQ(Format(u"h ampm", afternoon, tr), "2 " + WideToUtf8(tr.TimePMString));
  // Without a marker the clock runs to 23.
  EXPECT_EQ(Format(u"h", afternoon, en), "14");
}

TEST_F(DateTimeFormatTest, SeparatorsComeFromTheSettings) {
  TFormatSettings s = en;
  s.DateSeparator = u'-';
  s.TimeSeparator = u'.';
  EXPECT_EQ(Format(u"yyyy/mm/dd hh:nn", afternoon, s), "2024-03-05 14.07");
  // Quoted text is copied as it stands.
  EXPECT_EQ(Format(u"'d/m' \"at\" hh", afternoon, s), "d/m at 14");
  EXPECT_EQ(Format(u"yyyy 'unclosed", afternoon, s), "2024 unclosed");
}

TEST_F(DateTimeFormatTest, NamedPatterns) {
  EXPECT_EQ(Format(u"c", afternoon, tr), "5.03.2024 14:07:09");
  EXPECT_EQ(Format(u"c", EncodeDate(2024, 3, 5), de), "05.03.2024");
  EXPECT_EQ(Format(u"c", afternoon, en), "3/5/2024 2:07:09 PM");
  EXPECT_EQ(Format(u"ddddd", afternoon, de), "05.03.2024");
  EXPECT_EQ(Format(u"dddddd", afternoon, de), "Dienstag, 5. März 2024");
  EXPECT_EQ(Format(u"t", afternoon, de), "14:07");
  EXPECT_EQ(Format(u"tt", afternoon, en), "2:07:09 PM");
  EXPECT_EQ(Format(u"", afternoon, tr), "5.03.2024 14:07:09");
  EXPECT_EQ(WideToUtf8(DateTimeToStr(EncodeTime(10, 0, 0, 0), tr)), "30.12.1899 10:00:00");
}

TEST_F(DateTimeFormatTest, PatternsThatNameThemselvesEnd) {
  TFormatSettings s = en;
  s.ShortDateFormat = u"ddddd";
  EXPECT_NO_THROW(Format(u"c", afternoon, s));
}

// Named patterns of any length: short ones and ones longer than one token
// per character would fit on the stack.
TEST_F(DateTimeFormatTest, NamedPatternsOfAnyLength) {
  TFormatSettings s = en;
  s.ShortDateFormat = u"yyyy-mm-dd";
  s.LongTimeFormat = u"hh 'hours', nn 'minutes and' ss 'seconds past the hour'";
  EXPECT_EQ(Format(u"c", afternoon, s), "2024-03-05 14 hours, 07 minutes and 09 seconds past the hour");
  s.ShortDateFormat = u"d/m/yy d/m/yy d/m/yy d/m/yy d/m/yy d/m/yy";
  EXPECT_EQ(Format(u"ddddd", afternoon, s), "5/3/24 5/3/24 5/3/24 5/3/24 5/3/24 5/3/24");
}

// One pattern object follows the settings it is given, value by value.
TEST_F(DateTimeFormatTest, NamedPatternsFollowTheSettingsOfEachValue) {
  const TDateTimePattern pattern(u"c '|' ddddd");
  TFormatSettings iso = en;
  iso.ShortDateFormat = u"yyyy-mm-dd";
  iso.LongTimeFormat = u"hh.nn";
  TFormatSettings selfNaming = en;
  selfNaming.ShortDateFormat = u"d ddddd";
  const std::pair<const TFormatSettings*, std::string> cases[] = {
      {&iso, "2024-03-05 14.07 | 2024-03-05"},
      {&en, "3/5/2024 2:07:09 PM | 3/5/2024"},
      {&selfNaming, "5 5  2:07:09 PM | 5 5 "},
      {&iso, "2024-03-05 14.07 | 2024-03-05"},
  };
  for (const auto& [settings, expected] : cases) {
    WideString out;
    pattern.Append(afternoon, *settings, out);
    EXPECT_EQ(WideToUtf8(out), expected);
  }
}

// A date at midnight takes the short date alone; whether that short date is
// plain digits, names a pattern itself, or the value has a time part under
// one second, the text is the one the whole default pattern gives.
TEST_F(DateTimeFormatTest, DefaultTextOfDatesAtMidnight) {
  const TDateTimePattern pattern(u"c");
  const TDateTime midnight = EncodeDate(2024, 3, 5);
  TFormatSettings iso = en;
  iso.ShortDateFormat = u"yyyy-mm-dd";
  iso.LongTimeFormat = u"hh.nn";
  TFormatSettings named = en;
  named.ShortDateFormat = u"dddd d ddddd";
  const std::tuple<const TFormatSettings*, TDateTime, std::string> cases[] = {
      {&iso, midnight, "2024-03-05"},
      {&en, midnight, "3/5/2024"},
      {&named, midnight, "Tuesday 5 Tuesday 5 "},
      {&iso, afternoon, "2024-03-05 14.07"},
      {&en, midnight + 0.4 / kMillisecondsPerDay, "3/5/2024"},
      {&en, midnight + 999.0 / kMillisecondsPerDay, "3/5/2024"},
      {&iso, midnight + 1000.0 / kMillisecondsPerDay, "2024-03-05 00.00"},
      {&tr, -1.0, "29.12.1899"},
      {&iso, midnight, "2024-03-05"},
  };
  for (const auto& [settings, value, expected] : cases) {
    WideString out;
    pattern.Append(value, *settings, out);
    EXPECT_EQ(WideToUtf8(out), expected) << value;
  }
}

// Date-only patterns, and "c" at midnight, are written by a shorter path
// than the one that walks tokens of any kind; a pattern named through
// "ddddd" takes the long path, so both must give the same text. Every 31st
// date of the calendar meets each day of the month and each year, leap
// years and single digits included.
TEST_F(DateTimeFormatTest, DateOnlyPatternsWriteWhatTheGeneralWalkWrites) {
  const char16_t* patterns[] = {u"d/m/yy", u"dd.mm.yyyy", u"yyyy-mm-dd", u"d. 'of' m yyyy", u"m", u"yy'x'dd"};
  const TDateTimePattern named(u"ddddd");
  const TDateTimePattern defaultText(u"c");
  for (const char16_t* text : patterns) {
    const TDateTimePattern pattern(text);
    TFormatSettings settings = de;
    settings.ShortDateFormat = text;
    for (TDateTime value = EncodeDate(1, 1, 1); value <= EncodeDate(9999, 12, 31); value += 31) {
      WideString viaWalk = u"<";
      named.Append(value, settings, viaWalk);
      WideString direct = u"<";
      pattern.Append(value, settings, direct);
      ASSERT_EQ(direct, viaWalk) << WideToUtf8(text) << " " << value;
      WideString viaDefault = u"<";
      defaultText.Append(value, settings, viaDefault);
      ASSERT_EQ(viaDefault, viaWalk) << WideToUtf8(text) << " " << value;
    }
  }
}

TEST_F(DateTimeFormatTest, DatesBeforeTheOriginAndOutOfRange) {
  EXPECT_EQ(Format(u"yyyy-mm-dd hh:nn", -1.25, en), "1899-12-29 06:00");
  EXPECT_EQ(Format(u"yyyy-mm-dd", EncodeDate(1, 1, 1), en), "0001-01-01");
  EXPECT_EQ(Format(u"yyyy-mm-dd", EncodeDate(9999, 12, 31) + 0.999, en), "9999-12-31");
  EXPECT_THROW(Format(u"yyyy", 1e12, en), Exception);
  EXPECT_THROW(Format(u"yyyy", std::numeric_limits<double>::quiet_NaN(), en), Exception);
}

// As for numbers: dates of one length class have texts of one length; only
// date-only patterns are classified, and never dates outside the years 1
// to 9999.
TEST_F(DateTimeFormatTest, DatesOfOneLengthClassHaveTextsOfOneLength) {
  const char16_t* patterns[] = {u"dd.mm.yyyy", u"d/m/yy", u"m/d/yyyy", u"yyyy-mm-dd", u"d. 'of' m", u"yy", u"c",
                                u"dd.mm.yyyy hh:nn", u"dddd d"};
  for (const char16_t* text : patterns) {
    const TDateTimePattern pattern(text);
    std::map<int, size_t> lengths;
    for (TDateTime value = EncodeDate(1, 1, 1) - 3; value < EncodeDate(9999, 12, 31) + 3; value += 97.3) {
      const int lengthClass = pattern.LengthClassOf(value);
      if (lengthClass < 0) continue;
      ASSERT_LT(lengthClass, 64);
      WideString out;
      pattern.Append(value, de, out);
      const auto [known, added] = lengths.emplace(lengthClass, out.size());
      ASSERT_EQ(known->second, out.size()) << WideToUtf8(text) << " " << value;
    }
  }
  EXPECT_GE(TDateTimePattern(u"d/m/yyyy").LengthClassOf(afternoon), 0);
  EXPECT_EQ(TDateTimePattern(u"d/m/yyyy").LengthClassOf(3e6), -1);
  EXPECT_EQ(TDateTimePattern(u"dd.mm.yyyy hh:nn").LengthClassOf(afternoon), -1);
}

}  // namespace
}  // namespace verimo
