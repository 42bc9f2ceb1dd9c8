#include "engine/TesselFormats.h"

#include <gtest/gtest.h>

#include <limits>

#include "core/Exception.h"

namespace verimo {
namespace {

// Every test runs with en_US as the process-wide settings and gets the
// machine's own settings back afterwards.
class TesselFormatsTest : public ::testing::Test {
 protected:
  TesselFormatsTest() { GlobalFormatSettings() = TFormatSettings::FromLocale("en_US"); }

  static TTesselFormatDefaults DefaultsOf(const char* locale) {
    return TTesselFormatDefaults::FromSettings(TFormatSettings::FromLocale(locale));
  }

  static void ExpectSystemSeparators(char16_t decimal, char16_t thousand, char16_t date, char16_t time) {
    const TFormatSettings& s = GlobalFormatSettings();
    EXPECT_EQ(s.DecimalSeparator, decimal);
    EXPECT_EQ(s.ThousandSeparator, thousand);
    EXPECT_EQ(s.DateSeparator, date);
    EXPECT_EQ(s.TimeSeparator, time);
  }

  TGlobalFormatSettingsScope machineSettings_;
};

TEST_F(TesselFormatsTest, DefaultsComeFromTheLocale) {
  TTesselFormats tr(DefaultsOf("tr_TR"));
  EXPECT_EQ(tr.DecimalSeparator, u',');
  EXPECT_EQ(tr.ThousandSeparator, u'.');
  EXPECT_EQ(tr.DateSeparator, u'.');
  EXPECT_EQ(tr.TimeSeparator, u':');
  EXPECT_EQ(WideToUtf8(tr.IntegerFormat()), "#,###,##0");
  EXPECT_EQ(WideToUtf8(tr.FloatFormat()), "#,###,##0.00");
  EXPECT_EQ(WideToUtf8(tr.DateFormat()), "d.mm.yyyy");
  EXPECT_EQ(WideToUtf8(tr.TimeFormat()), "hh:nn");
  EXPECT_EQ(WideToUtf8(tr.DateTimeFormat()), "d.mm.yyyy hh:nn");
  EXPECT_EQ(WideToUtf8(tr.CurrencyFormat()), "₺#,###,##0.00");
  EXPECT_EQ(WideToUtf8(tr.BooleanTrue()), "true");
  EXPECT_EQ(WideToUtf8(tr.BooleanFalse()), "false");
  EXPECT_TRUE(tr.NullString().empty());
  EXPECT_FALSE(tr.KeepOriginalFormat);

  TTesselFormats de(DefaultsOf("de_DE"));
  EXPECT_EQ(WideToUtf8(de.CurrencyFormat()), "#,###,##0.00 €");
  EXPECT_EQ(WideToUtf8(de.DateTimeFormat()), "dd.mm.yyyy hh:nn");
  TTesselFormats en(DefaultsOf("en_US"));
  EXPECT_EQ(WideToUtf8(en.TimeFormat()), "h:nn AMPM");
}

TEST_F(TesselFormatsTest, DefaultConstructionFollowsTheProcessSettings) {
  GlobalFormatSettings() = TFormatSettings::FromLocale("de_DE");
  TTesselFormats f;
  EXPECT_EQ(f.DecimalSeparator, u',');
  EXPECT_EQ(WideToUtf8(f.DateFormat()), "dd.mm.yyyy");
  f.SetDateFormat(u"");
  EXPECT_EQ(WideToUtf8(f.DateFormat()), "dd.mm.yyyy");
}

TEST_F(TesselFormatsTest, CurrencyPatternByPlacementCode) {
  TFormatSettings s = TFormatSettings::FromLocale("en_US");
  s.CurrencyString = u"TL";
  const char* expected[4] = {"TL#,###,##0.00", "#,###,##0.00TL", "TL #,###,##0.00", "#,###,##0.00 TL"};
  for (uint8_t code = 0; code < 4; ++code) {
    s.CurrencyFormat = code;
    EXPECT_EQ(WideToUtf8(TTesselFormatDefaults::FromSettings(s).CurrencyFormat), expected[code]);
  }
}

TEST_F(TesselFormatsTest, SettersFillEmptyValues) {
  TTesselFormats f(DefaultsOf("de_DE"));
  f.SetBooleanTrue(u"");
  EXPECT_EQ(WideToUtf8(f.BooleanTrue()), "true");
  f.SetBooleanFalse(u"");
  EXPECT_EQ(WideToUtf8(f.BooleanFalse()), "false");
  f.SetIntegerFormat(u"");
  EXPECT_EQ(WideToUtf8(f.IntegerFormat()), "#,###,##0");
  f.SetFloatFormat(u"");
  EXPECT_TRUE(f.FloatFormat().empty());
  f.SetDateFormat(u"");
  EXPECT_EQ(WideToUtf8(f.DateFormat()), "dd.mm.yyyy");
  f.SetTimeFormat(u"hh");
  f.SetTimeFormat(u"");
  EXPECT_EQ(WideToUtf8(f.TimeFormat()), "hh:nn");
  f.SetDateTimeFormat(u"");
  EXPECT_EQ(WideToUtf8(f.DateTimeFormat()), "dd.mm.yyyy hh:nn");
  f.SetCurrencyFormat(u"");
  EXPECT_EQ(WideToUtf8(f.CurrencyFormat()), "#,###,##0.00 €");
  f.SetNullString(u"   ");
  EXPECT_TRUE(f.NullString().empty());
  f.SetNullString(u"  (boş) ");
  EXPECT_EQ(WideToUtf8(f.NullString()), "(boş)");
  f.SetBooleanTrue(u"Evet");
  EXPECT_EQ(WideToUtf8(f.FormatBoolean(true)), "Evet");
  EXPECT_EQ(WideToUtf8(f.FormatBoolean(false)), "false");
}

TEST_F(TesselFormatsTest, AssignGoesThroughTheSetters) {
  TTesselFormats source(DefaultsOf("en_US"));
  source.SetFloatFormat(u"");
  source.SetNullString(u"NULL");
  source.DecimalSeparator = u'#';
  source.KeepOriginalFormat = true;
  TTesselFormats target(DefaultsOf("tr_TR"));
  target.Assign(source);
  EXPECT_TRUE(target.FloatFormat().empty());
  EXPECT_EQ(WideToUtf8(target.NullString()), "NULL");
  EXPECT_EQ(target.DecimalSeparator, u'#');
  EXPECT_TRUE(target.KeepOriginalFormat);
  // Patterns equal to the source's defaults are copied as they stand.
  EXPECT_EQ(WideToUtf8(target.DateFormat()), "m/d/yyyy");
  target.ResetFormats();
  EXPECT_EQ(WideToUtf8(target.DateFormat()), "d.mm.yyyy");
  EXPECT_EQ(target.DecimalSeparator, u',');
  EXPECT_EQ(WideToUtf8(target.FloatFormat()), "#,###,##0.00");
}

TEST_F(TesselFormatsTest, ConversionsUseTheirOwnSeparatorsAndRestoreTheSystemOnes) {
  TTesselFormats f(DefaultsOf("en_US"));
  f.DecimalSeparator = u',';
  f.ThousandSeparator = u'.';
  f.DateSeparator = u'-';
  f.TimeSeparator = u'.';
  EXPECT_EQ(WideToUtf8(f.FormatFloatValue(u"#,###,##0.00", 1234567.891)), "1.234.567,89");
  ExpectSystemSeparators(u'.', u',', u'/', u':');
  EXPECT_EQ(WideToUtf8(f.FormatInteger(u"#,###,##0", 0)), "0");
  EXPECT_EQ(WideToUtf8(f.FormatInteger(u"#,###,##0", INT64_MAX)), "9.223.372.036.854.775.807");
  TDateTime moment = EncodeDate(2024, 3, 5) + EncodeTime(14, 7, 0, 0);
  EXPECT_EQ(WideToUtf8(f.FormatDateTimeValue(u"dd/mm/yyyy hh:nn", moment)), "05-03-2024 14.07");
  ExpectSystemSeparators(u'.', u',', u'/', u':');
}

TEST_F(TesselFormatsTest, FailingConversionStillRestores) {
  TTesselFormats f(DefaultsOf("en_US"));
  f.DecimalSeparator = u'!';
  f.DateSeparator = u'!';
  EXPECT_THROW(f.FormatDateTimeValue(u"dd/mm/yyyy", 1e12), Exception);
  ExpectSystemSeparators(u'.', u',', u'/', u':');
  {
    TSeparatorScope scope(f);
    ExpectSystemSeparators(u'!', u',', u'!', u':');
  }
  ExpectSystemSeparators(u'.', u',', u'/', u':');
}

TEST_F(TesselFormatsTest, RestoreSeparatorsUsesTheCopyTakenAtCreation) {
  GlobalFormatSettings().DecimalSeparator = u';';
  TTesselFormats f(DefaultsOf("de_DE"));
  GlobalFormatSettings().DecimalSeparator = u'.';
  f.ApplySeparators();
  EXPECT_EQ(GlobalFormatSettings().DecimalSeparator, u',');
  f.RestoreSeparators();
  EXPECT_EQ(GlobalFormatSettings().DecimalSeparator, u';');
  GlobalFormatSettings().DecimalSeparator = u'.';
  f.StoreSeparators();
  f.ApplySeparators();
  f.RestoreSeparators();
  EXPECT_EQ(GlobalFormatSettings().DecimalSeparator, u'.');
}

TEST_F(TesselFormatsTest, ConversionsKeepSeparatorsSwitchedForAWholeRun) {
  TTesselFormats f(DefaultsOf("de_DE"));
  TGlobalFormatSettingsScope run;
  GlobalFormatSettings().DecimalSeparator = u'.';
  EXPECT_EQ(WideToUtf8(f.FormatFloatValue(u"0.0", 1.5)), "1,5");
  EXPECT_EQ(GlobalFormatSettings().DecimalSeparator, u'.');
  EXPECT_EQ(WideToUtf8(VariantToText(Variant::FromDouble(2.5))), "2.5");
}

TEST_F(TesselFormatsTest, EmptyPatternsUseTheDefaultTexts) {
  TTesselFormats f(DefaultsOf("de_DE"));
  EXPECT_EQ(WideToUtf8(f.FormatFloatValue(u"", 1234567.891)), "1234567,891");
  EXPECT_EQ(WideToUtf8(f.FormatFloatValue(u"", 1.0 / 3)), "0,333333333333333");
  EXPECT_EQ(WideToUtf8(f.FormatInteger(u"", -12345)), "-12345");
  TDateTime moment = EncodeDate(2024, 3, 5) + EncodeTime(14, 7, 9, 0);
  // The date and time patterns of the system settings (en_US here) with the
  // object's separators.
  EXPECT_EQ(WideToUtf8(f.FormatDateTimeValue(u"", moment)), "3.5.2024 2:07:09 PM");
}

TEST_F(TesselFormatsTest, CurrencyWithAndWithoutPattern) {
  GlobalFormatSettings() = TFormatSettings::FromLocale("de_DE");
  TTesselFormats f(DefaultsOf("de_DE"));
  EXPECT_EQ(WideToUtf8(f.FormatCurrencyValue(u"", -1234.565)), "-1.234,57 €");
  EXPECT_EQ(WideToUtf8(f.FormatCurrencyValue(f.CurrencyFormat(), 1234.5)), "1.234,50 €");
  f.DecimalSeparator = u'.';
  f.ThousandSeparator = u',';
  EXPECT_EQ(WideToUtf8(f.FormatCurrencyValue(u"", 1234.5)), "1,234.50 €");
}

TEST_F(TesselFormatsTest, OnlyChangedPropertiesAreStored) {
  GlobalFormatSettings() = TFormatSettings::FromLocale("tr_TR");
  TTesselFormats f(DefaultsOf("tr_TR"));
  for (const char* name : {"DecimalSeparator", "ThousandSeparator", "DateSeparator", "TimeSeparator",
                           "IntegerFormat", "FloatFormat", "DateFormat", "TimeFormat", "DateTimeFormat",
                           "CurrencyFormat", "BooleanTrue", "BooleanFalse", "NullString"})
    EXPECT_FALSE(f.IsStored(name)) << name;
  f.DecimalSeparator = u'.';
  f.SetFloatFormat(u"");
  f.SetBooleanTrue(u"True");  // case-sensitive comparison
  f.SetNullString(u"-");
  EXPECT_TRUE(f.IsStored("DecimalSeparator"));
  EXPECT_TRUE(f.IsStored("FloatFormat"));
  EXPECT_TRUE(f.IsStored("BooleanTrue"));
  EXPECT_TRUE(f.IsStored("NullString"));
  EXPECT_FALSE(f.IsStored("NoSuchProperty"));
}

TEST_F(TesselFormatsTest, ValuesAsTextWithoutPattern) {
  GlobalFormatSettings() = TFormatSettings::FromLocale("tr_TR");
  EXPECT_EQ(WideToUtf8(VariantToText(Variant::FromDateTime(EncodeDate(2024, 3, 5)))), "5.03.2024");
  EXPECT_EQ(WideToUtf8(VariantToText(Variant::FromDateTime(EncodeDate(2024, 3, 5) + 0.5))), "5.03.2024 12:00:00");
  EXPECT_EQ(WideToUtf8(VariantToText(Variant::FromDateTime(EncodeTime(9, 5, 0, 0)))), "09:05:00");
  EXPECT_EQ(WideToUtf8(VariantToText(Variant::FromDouble(12.5))), "12,5");
  EXPECT_EQ(WideToUtf8(VariantToText(Variant::FromInt(INT64_MIN))), "-9223372036854775808");
  EXPECT_EQ(WideToUtf8(VariantToText(Variant::FromCurrency(Currency{-12345}))), "-1,2345");
  EXPECT_EQ(WideToUtf8(VariantToText(Variant::FromCurrency(Currency{INT64_MIN}))), "-922337203685477,5808");
  EXPECT_EQ(WideToUtf8(VariantToText(Variant::FromCurrency(Currency{70000}))), "7");
  EXPECT_EQ(WideToUtf8(VariantToText(Variant::FromBool(true))), "True");
  EXPECT_EQ(WideToUtf8(VariantToText(Variant::FromText(u"şğü"))), "şğü");
  EXPECT_TRUE(VariantToText(Variant::Null()).empty());
  EXPECT_TRUE(VariantToText(Variant()).empty());
}

}  // namespace
}  // namespace verimo
