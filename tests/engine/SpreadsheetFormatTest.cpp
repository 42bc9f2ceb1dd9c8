#include "engine/SpreadsheetFormat.h"

#include <gtest/gtest.h>

#include <limits>

#include "engine/TesselColumns.h"
#include "engine/TesselFormats.h"

namespace verimo {
namespace {

TEST(SpreadsheetFormatTest, PatternsBecomeCodesThatMeanTheSame) {
  TSpreadsheetPatternContext context;
  context.DateSeparator = u'.';
  context.TimeSeparator = u':';
  context.ShortDateFormat = u"dd/mm/yyyy";
  context.LongTimeFormat = u"hh:nn:ss";
  context.ShortTimeFormat = u"hh:nn";
  EXPECT_EQ(ExcelNumberFormat(u"General", context), u"General");
  EXPECT_EQ(ExcelNumberFormat(u"#,###,##0.00", context), u"#,###,##0.00");
  EXPECT_EQ(ExcelNumberFormat(u"#,##0.00 TL", context), u"#,##0.00\" TL\"");
  EXPECT_EQ(ExcelNumberFormat(u"0.0%", context), u"0.0\"%\"");
  EXPECT_EQ(ExcelNumberFormat(u"0.00E+00", context), u"0.00E+00");
  EXPECT_EQ(ExcelNumberFormat(u"dd/mm/yyyy", context), u"dd\".\"mm\".\"yyyy");
  EXPECT_EQ(ExcelNumberFormat(u"hh:nn:ss.zzz", context), u"hh\":\"mm\":\"ss.000");
  EXPECT_EQ(ExcelNumberFormat(u"h:nn ampm", context), u"h\":\"mm AM/PM");
  EXPECT_EQ(ExcelNumberFormat(u"c", context), u"dd\".\"mm\".\"yyyy hh\":\"mm\":\"ss");
  EXPECT_EQ(ExcelNumberFormat(u"ddddd t", context), u"dd\".\"mm\".\"yyyy hh\":\"mm");
  EXPECT_EQ(ExcelNumberFormat(u"dd 'de' mmmm yy", context), u"dd\" de \"mmmm yy");
  EXPECT_TRUE(IsNumberPattern(u"#,##0"));
  EXPECT_FALSE(IsNumberPattern(u"dd.mm.yyyy '0'"));
}

TEST(SpreadsheetFormatTest, TruthTextsShowForAnyValueButZero) {
  EXPECT_EQ(ExcelBooleanFormat(u"true", u"false"), u"\"true\";\"true\";\"false\"");
  // Texts with a quote or a section separator stay one literal each.
  EXPECT_EQ(ExcelBooleanFormat(u"E\"vet", u"a;b"), u"\"E\"\\\"\"vet\";\"E\"\\\"\"vet\";\"a;b\"");
  EXPECT_EQ(ExcelBooleanFormat(u"-", u" "), u"-;-; ");
}

// Each column type gets the code of the pattern its texts were made with.
TEST(SpreadsheetFormatTest, ColumnsShowTheirValuesAsTheirTextsDo) {
  TTesselFormats formats(TTesselFormatDefaults::FromSettings(TFormatSettings::FromLocale("tr_TR")));
  TSpreadsheetPatternContext context;
  context.DateSeparator = u'.';
  context.ShortDateFormat = u"dd/mm/yyyy";
  context.LongTimeFormat = u"hh:nn:ss";
  TTesselColumn column;
  column.ColType = ectCurrency;
  column.Format = formats.CurrencyFormat();
  EXPECT_EQ(ColumnNumberFormat(column, formats, context), u"\"\u20BA\"#,###,##0.00");
  column.Format.clear();
  EXPECT_EQ(ColumnNumberFormat(column, formats, context), u"General");
  // BCD values are written in the general notation whatever the pattern.
  column.ColType = ectFloat;
  column.FieldType = ftBCD;
  column.Format = formats.FloatFormat();
  EXPECT_EQ(ColumnNumberFormat(column, formats, context), u"General");
  column.FieldType = ftFloat;
  EXPECT_EQ(ColumnNumberFormat(column, formats, context), u"#,###,##0.00");
  column.Format.clear();
  column.ColType = ectDate;
  EXPECT_EQ(ColumnNumberFormat(column, formats, context), u"dd\".\"mm\".\"yyyy hh\":\"mm\":\"ss");
  column.Format = u"yyyy";
  EXPECT_EQ(ColumnNumberFormat(column, formats, context), u"yyyy");
  column.ColType = ectBoolean;
  formats.SetBooleanTrue(u"Evet");
  EXPECT_EQ(ColumnNumberFormat(column, formats, context), u"\"Evet\";\"Evet\";\"false\"");
  column.ColType = ectString;
  EXPECT_EQ(ColumnNumberFormat(column, formats, context), u"");
  // The source's own texts.
  formats.KeepOriginalFormat = true;
  column.ColType = ectTime;
  EXPECT_EQ(ColumnNumberFormat(column, formats, context), u"hh\":\"mm\":\"ss");
  column.ColType = ectFloat;
  EXPECT_EQ(ColumnNumberFormat(column, formats, context), u"General");
}

TEST(SpreadsheetFormatTest, DateSerialsSkipTheDayThatNeverWasAndStopAtTheCalendarsEnds) {
  EXPECT_EQ(ExcelDateSerial(1.99), std::nullopt);  // 31 December 1899
  EXPECT_EQ(ExcelDateSerial(-700000), std::nullopt);
  EXPECT_EQ(ExcelDateSerial(2), 1.0);      // 1 January 1900
  EXPECT_EQ(ExcelDateSerial(60.5), 59.5);  // 28 February 1900, noon
  EXPECT_EQ(ExcelDateSerial(61), 61.0);    // 1 March 1900
  EXPECT_EQ(ExcelDateSerial(2958465.75), 2958465.75);  // 31 December 9999
  EXPECT_EQ(ExcelDateSerial(2958466), std::nullopt);
  EXPECT_EQ(ExcelDateSerial(std::numeric_limits<double>::quiet_NaN()), std::nullopt);
}

}  // namespace
}  // namespace verimo
