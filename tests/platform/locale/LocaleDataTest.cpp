#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/locale/Formatting.h"
#include "platform/locale/IcuPatterns.h"

namespace verimo {
namespace {

TEST(LocaleDataTest, TurkishSettings) {
  TFormatSettings s = TFormatSettings::FromLocale("tr_TR");
  EXPECT_EQ(s.DecimalSeparator, u',');
  EXPECT_EQ(s.ThousandSeparator, u'.');
  EXPECT_EQ(s.DateSeparator, u'.');
  EXPECT_EQ(s.TimeSeparator, u':');
  EXPECT_EQ(s.ListSeparator, u';');
  EXPECT_EQ(WideToUtf8(s.ShortTimeFormat), "hh:nn");
  EXPECT_EQ(WideToUtf8(s.LongMonthNames[0]), "Ocak");
  EXPECT_EQ(WideToUtf8(s.LongDayNames[0]), "Pazar");
  EXPECT_EQ(WideToUtf8(s.LongDayNames[3]), "Çarşamba");
  EXPECT_EQ(WideToUtf8(s.CurrencyString), "₺");
  EXPECT_EQ(s.CurrencyDecimals, 2);
}

TEST(LocaleDataTest, EnglishAndGermanSettings) {
  TFormatSettings en = TFormatSettings::FromLocale("en_US");
  EXPECT_EQ(en.DecimalSeparator, u'.');
  EXPECT_EQ(en.ThousandSeparator, u',');
  EXPECT_EQ(WideToUtf8(en.ShortDateFormat), "m/d/yyyy");
  EXPECT_EQ(WideToUtf8(en.ShortTimeFormat), "h:nn AMPM");
  EXPECT_EQ(WideToUtf8(en.TimeAMString), "AM");
  EXPECT_EQ(WideToUtf8(en.ShortMonthNames[8]), "Sep");
  EXPECT_EQ(en.CurrencyFormat, 0);

  TFormatSettings de = TFormatSettings::FromLocale("de_DE.UTF-8");
  EXPECT_EQ(de.DecimalSeparator, u',');
  EXPECT_EQ(WideToUtf8(de.ShortDateFormat), "dd.mm.yyyy");
  EXPECT_EQ(WideToUtf8(de.LongTimeFormat), "hh:nn:ss");
  EXPECT_EQ(WideToUtf8(de.CurrencyString), "€");
  EXPECT_EQ(de.CurrencyFormat, 3);
  EXPECT_EQ(de.NegCurrFormat, 8);
}

TEST(LocaleDataTest, EnvironmentChoosesTheUserLocale) {
  const char* saved = std::getenv("LC_ALL");
  std::string savedValue = saved ? saved : "";
  setenv("LC_ALL", "de_DE.UTF-8", 1);
  TFormatSettings s = TFormatSettings::FromLocale();
  if (saved) setenv("LC_ALL", savedValue.c_str(), 1); else unsetenv("LC_ALL");
  EXPECT_EQ(s.DecimalSeparator, u',');
  EXPECT_EQ(WideToUtf8(s.ShortDateFormat), "dd.mm.yyyy");
}

TEST(LocaleDataTest, IcuPatternConversion) {
  EXPECT_EQ(WideToUtf8(ConvertIcuDateTimePattern(u"dd.MM.y", false)), "dd.mm.yyyy");
  EXPECT_EQ(WideToUtf8(ConvertIcuDateTimePattern(u"M/d/yy", false)), "m/d/yy");
  EXPECT_EQ(WideToUtf8(ConvertIcuDateTimePattern(u"M/d/yy", true)), "m/d/yyyy");
  EXPECT_EQ(WideToUtf8(ConvertIcuDateTimePattern(u"HH:mm", true)), "hh:nn");
  EXPECT_EQ(WideToUtf8(ConvertIcuDateTimePattern(u"h:mm:ss\u202Fa", true)), "h:nn:ss AMPM");
  EXPECT_EQ(WideToUtf8(ConvertIcuDateTimePattern(u"HH:mm:ss zzzz", true)), "hh:nn:ss");
  EXPECT_EQ(WideToUtf8(ConvertIcuDateTimePattern(u"EEEE, d. MMMM y", true)), "dddd, d. mmmm yyyy");
  EXPECT_EQ(WideToUtf8(ConvertIcuDateTimePattern(u"d MMM y G", true)), "d mmm yyyy");
  EXPECT_EQ(WideToUtf8(ConvertIcuDateTimePattern(u"H 'h' mm 'o''clock'", true)), "h \"h\" nn \"o'clock\"");
  EXPECT_EQ(FirstSeparatorOf(u"d.MM.y", u'/'), u'.');
  EXPECT_EQ(FirstSeparatorOf(u"y", u'/'), u'/');
}

TEST(LocaleDataTest, GlobalSettingsScopeRestores) {
  const char16_t before = GlobalFormatSettings().DecimalSeparator;
  try {
    TGlobalFormatSettingsScope scope;
    GlobalFormatSettings().DecimalSeparator = before == u'#' ? u'$' : u'#';
    throw 1;
  } catch (int) {
  }
  EXPECT_EQ(GlobalFormatSettings().DecimalSeparator, before);
}

}  // namespace
}  // namespace verimo
