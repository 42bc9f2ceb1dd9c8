#include <gtest/gtest.h>

#include <charconv>
#include <limits>
#include <string>
#include <vector>

#include "core/DateTime.h"
#include "core/Exception.h"
#include "core/LossTally.h"
#include "core/StringList.h"
#include "core/Variant.h"
#include "core/WideString.h"

namespace verimo {
namespace {

TEST(DateTime, SerialNumbersMatchTheClassicCalendar) {
  EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
  EXPECT_EQ(EncodeDate(1900, 1, 1), 2.0);
  EXPECT_EQ(EncodeDate(2000, 3, 1), 36586.0);
  EXPECT_EQ(EncodeDate(9999, 12, 31), 2958465.0);
  EXPECT_EQ(EncodeDate(1, 1, 1), -693593.0);
  EXPECT_THROW(EncodeDate(2023, 2, 29), Exception);
  EXPECT_THROW(EncodeDate(0, 1, 1), Exception);
  EXPECT_NO_THROW(EncodeDate(2024, 2, 29));
}

TEST(DateTime, DecodeRoundTripsEveryDayOfTheCalendar) {
  for (double serial = EncodeDate(1, 1, 1); serial <= EncodeDate(9999, 12, 31); serial += 1) {
    const DateParts d = DecodeDate(serial);
    ASSERT_EQ(EncodeDate(d.year, d.month, d.day), serial) << serial;
    // The time of day does not move the date, on either side of the origin.
    const DateParts late = DecodeDate(CombineDateTime(serial, 0.99999));
    ASSERT_TRUE(late.year == d.year && late.month == d.month && late.day == d.day) << serial;
  }
  EXPECT_EQ(DecodeDate(EncodeDate(1, 1, 1) - 1).year, 0);
}

TEST(DateTime, TimeFractionCountsForwardBeforeTheOrigin) {
  TDateTime t = EncodeTime(6, 0, 0, 0);
  EXPECT_DOUBLE_EQ(t, 0.25);
  TDateTime before = CombineDateTime(-1, t);
  EXPECT_DOUBLE_EQ(before, -1.25);
  DateParts d = DecodeDate(before);
  TimeParts tp = DecodeTime(before);
  EXPECT_EQ(d.year, 1899);
  EXPECT_EQ(d.month, 12);
  EXPECT_EQ(d.day, 29);
  EXPECT_EQ(tp.hour, 6);
  TimeParts late = DecodeTime(EncodeTime(23, 59, 59, 999));
  EXPECT_EQ(late.hour, 23);
  EXPECT_EQ(late.minute, 59);
  EXPECT_EQ(late.second, 59);
  EXPECT_EQ(late.millisecond, 999);
  EXPECT_EQ(DayOfWeek(0), 7);  // 30 Dec 1899 was a Saturday
  EXPECT_EQ(DayOfWeek(EncodeDate(2026, 12, 8)), 3);
}

// NaN, infinities and day numbers past any 64-bit integer come from
// damaged tables and other sources; they once made the conversion undefined.
TEST(DateTime, NonFiniteAndHugeValuesDecodeOutsideTheCalendar) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(DateTimeToDayNumber(nan), 0);
  EXPECT_EQ(DateTimeToDayNumber(inf), DateTimeToDayNumber(1e15));
  EXPECT_EQ(DateTimeToDayNumber(-inf), DateTimeToDayNumber(-1e15));
  EXPECT_EQ(DateTimeToDayNumber(5.8e250), DateTimeToDayNumber(1e15));
  EXPECT_EQ(DecodeDate(nan).year, 0);
  EXPECT_EQ(DecodeDate(-inf).year, 0);
  const TimeParts time = DecodeTime(nan);
  EXPECT_EQ(time.hour + time.minute + time.second + time.millisecond, 0);
  EXPECT_EQ(DecodeTime(inf).hour, 0);
}

TEST(DateTime, ParadoxDayNumbersCountFromYearOne) {
  EXPECT_EQ(DateTimeToDayNumber(EncodeDate(1, 1, 1)), 1);
  EXPECT_EQ(DayNumberToDateTime(693594), 0.0);
}

TEST(WideString, Utf8RoundTripKeepsSurrogatePairsAndMarksBadBytes) {
  std::string utf8 = "Ğüşİ \xF0\x9F\x98\x80";
  WideString wide = Utf8ToWide(utf8);
  ASSERT_EQ(wide.size(), 7u);
  EXPECT_EQ(wide[5], 0xD83D);
  EXPECT_EQ(WideToUtf8(wide), utf8);
  EXPECT_EQ(Utf8ToWide("a\xFF" "b"), u"a\uFFFDb");
  EXPECT_EQ(WideToUtf8(u"\xD800x"), "\xEF\xBF\xBDx");  // lone surrogate
  // Every length of UTF-8, lone surrogates of both kinds and at the end.
  EXPECT_EQ(WideToUtf8(u"a\u00E7\u20AC\u4E2D\uFFFF\U0001F600"), "a\xC3\xA7\xE2\x82\xAC\xE4\xB8\xAD\xEF\xBF\xBF\xF0\x9F\x98\x80");
  EXPECT_EQ(WideToUtf8(u"\xDC00\xD83D"), "\xEF\xBF\xBD\xEF\xBF\xBD");
  EXPECT_EQ(WideToUtf8(WideString(5000, u'x') + u"\u00E7"), std::string(5000, 'x') + "\xC3\xA7");
}

TEST(WideString, CaseInsensitiveComparisonAndTrim) {
  EXPECT_TRUE(SameText(u"Amount", u"AMOUNT"));
  EXPECT_TRUE(SameText(u"straße", u"STRASSE") || !SameText(u"straße", u"STRASSE"));
  EXPECT_FALSE(SameText(u"Amount", u"Amounts"));
  EXPECT_LT(CompareText(u"a", u"B"), 0);
  EXPECT_EQ(UpperCase(u"çiğ"), u"ÇIĞ");
  EXPECT_EQ(Trim(u" \t x y \r\n"), u"x y");
}

TEST(WideString, IntegerTextHandlesTheWhole64BitRange) {
  long long v = 0;
  EXPECT_TRUE(TryWideToInt64(u"-9223372036854775808", v));
  EXPECT_EQ(v, INT64_MIN);
  EXPECT_TRUE(TryWideToInt64(u"+9223372036854775807", v));
  EXPECT_EQ(v, INT64_MAX);
  EXPECT_FALSE(TryWideToInt64(u"9223372036854775808", v));
  EXPECT_FALSE(TryWideToInt64(u"", v));
  EXPECT_FALSE(TryWideToInt64(u"-", v));
  EXPECT_FALSE(TryWideToInt64(u"1.5", v));
  EXPECT_EQ(IntToWide(INT64_MIN), u"-9223372036854775808");
}

TEST(WideString, IntegerTextAgreesWithTheStandardConversionAtEveryLength) {
  std::vector<long long> values = {0, INT64_MIN, INT64_MAX, INT64_MIN + 1};
  // Every power of ten and its neighbours, both signs: each digit count and
  // each odd/even split of the digit pairs.
  for (long long power = 1; power <= INT64_MAX / 10; power *= 10)
    for (const long long v : {power - 1, power, power + 1, 10 * power - 1})
      for (const long long signedValue : {v, -v}) values.push_back(signedValue);
  WideString appended = u"x";
  std::string expected = "x";
  for (const long long value : values) {
    char digits[24];
    const std::string text(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
    EXPECT_EQ(WideToUtf8(IntToWide(value)), text);
    AppendIntText(value, appended);
    expected += text;
  }
  EXPECT_EQ(WideToUtf8(appended), expected);
}

TEST(StringList, NameValueLookupIgnoresCase) {
  TStringList list{u"Amount=R", u"name=Customer name", u"NoValue", u"amount=C"};
  EXPECT_EQ(list.IndexOfName(u"AMOUNT"), 0);
  EXPECT_EQ(list.Value(u"Name"), u"Customer name");
  EXPECT_EQ(list.Value(u"NoValue"), u"");
  EXPECT_EQ(list.IndexOfName(u"NoValue"), -1);
  list.SetValue(u"NAME", u"X");
  EXPECT_EQ(list[1], u"NAME=X");
  list.SetValue(u"amount", u"");
  EXPECT_EQ(list.IndexOfName(u"amount"), 2);  // the second Amount line remains
  list.SetValue(u"New", u"1");
  EXPECT_EQ(list[list.Count() - 1], u"New=1");
}

TEST(StringList, TextJoinsWithCrLfAndSplitsAnyLineEnd) {
  TStringList list;
  list.SetText(u"a\r\nb\nc\rd");
  ASSERT_EQ(list.Count(), 4);
  EXPECT_EQ(list[3], u"d");
  EXPECT_EQ(list.Text(), u"a\r\nb\r\nc\r\nd\r\n");
  list.SetText(u"x\r\n\r\n");
  EXPECT_EQ(list.Count(), 2);
}

TEST(Variant, KindsAndConversions) {
  EXPECT_TRUE(Variant().IsEmpty());
  EXPECT_TRUE(Variant::Null().IsNull());
  EXPECT_EQ(Variant::FromInt(INT64_MAX).AsInt(), INT64_MAX);
  EXPECT_DOUBLE_EQ(Variant::FromCurrency(Currency::FromDouble(-1.23455)).AsDouble(), -1.2346);
  EXPECT_TRUE(Variant::FromCurrency({}).IsNumeric());
  EXPECT_FALSE(Variant::FromDateTime(1).IsNumeric());
  EXPECT_THROW(Variant::FromText(u"1").AsInt(), Exception);
  EXPECT_EQ(Variant::FromText(u"a"), Variant::FromText(u"a"));
  EXPECT_NE(Variant::FromDouble(1), Variant::FromDateTime(1));
}

TEST(LossTally, CountsOncePerFieldKindAndDetailInTheOrderFirstMet) {
  TLossTally tally;
  tally.Add(u"Ad", TLossKind::UnwritableCharacter, u"1252", 3);
  tally.Add(u"Tutar", TLossKind::NumberTooWide, u"N(10,2)");
  tally.Add(u"Ad", TLossKind::UnwritableCharacter, u"1252", 2);
  tally.Add(u"Ad", TLossKind::UnwritableCharacter, u"437", 0);
  tally.Add(u"Ad", TLossKind::ForbiddenCharacter, u"XML");
  ASSERT_EQ(tally.Losses().size(), 3u);
  EXPECT_EQ(tally.Losses()[0].count, 5);
  EXPECT_EQ(tally.Losses()[1].field, u"Tutar");
  EXPECT_EQ(tally.Losses()[2].kind, TLossKind::ForbiddenCharacter);
  TLossTally more;
  more.Add(u"Tutar", TLossKind::NumberTooWide, u"N(10,2)", 4);
  more.Add(u"Onay", TLossKind::BlankAsFalse, u"No");
  tally.AddAll(more);
  ASSERT_EQ(tally.Losses().size(), 4u);
  EXPECT_EQ(tally.Losses()[1].count, 5);
  tally.Clear();
  EXPECT_TRUE(tally.Empty());
  EXPECT_EQ(GroupedCount(1204, u','), u"1,204");
  EXPECT_EQ(GroupedCount(102943, u'.'), u"102.943");
  EXPECT_EQ(GroupedCount(1000000, u','), u"1,000,000");
  EXPECT_EQ(GroupedCount(999, u','), u"999");
}

}  // namespace
}  // namespace verimo