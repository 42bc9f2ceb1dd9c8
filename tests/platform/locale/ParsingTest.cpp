#include <gtest/gtest.h>

#include <chrono>

#include "platform/locale/Formatting.h"

namespace verimo {
namespace {

class ParsingTest : public ::testing::Test {
 protected:
  TFormatSettings tr = TFormatSettings::FromLocale("tr_TR");
  TFormatSettings en = TFormatSettings::FromLocale("en_US");
  TFormatSettings de = TFormatSettings::FromLocale("de_DE");
};

TEST_F(ParsingTest, Integers) {
  int64_t v = 0;
  EXPECT_TRUE(TryStrToInt64(u" 12 ", v, tr));
  EXPECT_EQ(v, 12);
  EXPECT_TRUE(TryStrToInt64(u"-9223372036854775808", v, en));
  EXPECT_EQ(v, INT64_MIN);
  EXPECT_FALSE(TryStrToInt64(u"9223372036854775808", v, en));
  EXPECT_FALSE(TryStrToInt64(u"1.000", v, tr));
  EXPECT_FALSE(TryStrToInt64(u"12,5", v, tr));
  EXPECT_FALSE(TryStrToInt64(u"", v, tr));
  EXPECT_FALSE(TryStrToInt64(u"abc", v, tr));
}

TEST_F(ParsingTest, FloatsUseTheDecimalSeparator) {
  double v = 0;
  EXPECT_TRUE(TryStrToFloat(u"12,5", v, tr));
  EXPECT_EQ(v, 12.5);
  EXPECT_FALSE(TryStrToFloat(u"12.5", v, tr));
  EXPECT_TRUE(TryStrToFloat(u"12.5", v, en));
  EXPECT_EQ(v, 12.5);
  EXPECT_TRUE(TryStrToFloat(u"-1,5E3", v, de));
  EXPECT_EQ(v, -1500);
  EXPECT_TRUE(TryStrToFloat(u" ,25 ", v, de));
  EXPECT_EQ(v, 0.25);
  EXPECT_TRUE(TryStrToFloat(u"0.1", v, en));
  EXPECT_EQ(v, 0.1);
  EXPECT_FALSE(TryStrToFloat(u"1.234,5", v, de));
  EXPECT_FALSE(TryStrToFloat(u"1e", v, en));
  EXPECT_FALSE(TryStrToFloat(u"1e999", v, en));
  EXPECT_FALSE(TryStrToFloat(u"inf", v, en));
  EXPECT_FALSE(TryStrToFloat(u",", v, de));
}

TEST_F(ParsingTest, DatesFollowTheShortDateOrder) {
  TDateTime v = 0;
  EXPECT_TRUE(TryStrToDateTime(u"05.03.2024", v, tr));
  EXPECT_EQ(v, EncodeDate(2024, 3, 5));
  EXPECT_TRUE(TryStrToDateTime(u"3/5/2024", v, en));
  EXPECT_EQ(v, EncodeDate(2024, 3, 5));
  TFormatSettings iso = en;
  iso.ShortDateFormat = u"yyyy/mm/dd";
  iso.DateSeparator = u'-';
  EXPECT_TRUE(TryStrToDateTime(u"2024-03-05", v, iso));
  EXPECT_EQ(v, EncodeDate(2024, 3, 5));
  EXPECT_FALSE(TryStrToDateTime(u"31.02.2024", v, tr));
  EXPECT_FALSE(TryStrToDateTime(u"05/03/2024", v, tr));
  EXPECT_FALSE(TryStrToDateTime(u"05.03.2024x", v, tr));
}

TEST_F(ParsingTest, ShortYearsAndMissingYears) {
  const int thisYear = static_cast<int>(
      std::chrono::year_month_day(std::chrono::floor<std::chrono::days>(std::chrono::system_clock::now())).year());
  TDateTime v = 0;
  ASSERT_TRUE(TryStrToDateTime(u"05.03", v, de));
  EXPECT_EQ(DecodeDate(v).year, thisYear);
  // Two-digit years land within fifty years of this one.
  ASSERT_TRUE(TryStrToDateTime(u"05.03.24", v, de));
  int year = DecodeDate(v).year;
  EXPECT_EQ(year % 100, 24);
  EXPECT_LE(std::abs(year - thisYear), 50);
}

TEST_F(ParsingTest, TimesAndDateTimes) {
  TDateTime v = 0;
  ASSERT_TRUE(TryStrToDateTime(u"14:07", v, tr));
  EXPECT_EQ(v, EncodeTime(14, 7, 0, 0));
  ASSERT_TRUE(TryStrToDateTime(u"2:07:09 PM", v, en));
  EXPECT_EQ(v, EncodeTime(14, 7, 9, 0));
  ASSERT_TRUE(TryStrToDateTime(u"12:30 am", v, en));
  EXPECT_EQ(v, EncodeTime(0, 30, 0, 0));
  ASSERT_TRUE(TryStrToDateTime(u"05.03.2024 14:07:09,045", v, de));
  EXPECT_EQ(v, EncodeDate(2024, 3, 5) + EncodeTime(14, 7, 9, 45));
  ASSERT_TRUE(TryStrToDateTime(u"5.03.2024 00:00", v, tr));
  EXPECT_EQ(v, EncodeDate(2024, 3, 5));
  EXPECT_FALSE(TryStrToDateTime(u"25:00", v, tr));
  EXPECT_FALSE(TryStrToDateTime(u"13:00 PM", v, en));
  EXPECT_FALSE(TryStrToDateTime(u"12", v, en));
  EXPECT_FALSE(TryStrToDateTime(u"", v, en));
  EXPECT_FALSE(TryStrToDateTime(u"true", v, en));
}

TEST_F(ParsingTest, FormattedValuesReadBack) {
  for (const TFormatSettings* s : {&tr, &en, &de}) {
    TDateTime value = EncodeDate(1999, 12, 31) + EncodeTime(23, 59, 58, 0);
    TDateTime back = 0;
    ASSERT_TRUE(TryStrToDateTime(DateTimeToStr(value, *s), back, *s)) << WideToUtf8(DateTimeToStr(value, *s));
    EXPECT_NEAR(back, value, 1e-9);
    double number = 0;
    ASSERT_TRUE(TryStrToFloat(FloatToStr(-1234.5678, *s), number, *s));
    EXPECT_EQ(number, -1234.5678);
  }
}

}  // namespace
}  // namespace verimo
