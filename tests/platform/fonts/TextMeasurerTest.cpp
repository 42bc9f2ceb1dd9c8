#include "platform/fonts/TextMeasurer.h"

#include <gtest/gtest.h>

namespace verimo {
namespace {

TEST(TextMeasurerTest, ArialTenPointHasTheScreenMetrics) {
  auto measurer = CreateSystemTextMeasurer();
  const TFontDescription arial = TFontDescription::FromPoints(u"Arial", 10);
  EXPECT_EQ(arial.Height, -13);
  const TTextMetrics metrics = measurer->Metrics(arial);
  EXPECT_EQ(metrics.Ascent, 12);
  EXPECT_EQ(metrics.Descent, 3);
  EXPECT_EQ(metrics.Height, 15);
  EXPECT_EQ(metrics.InternalLeading, 2);
  EXPECT_EQ(metrics.ExternalLeading, 0);
  EXPECT_EQ(measurer->TextWidth(arial, u"0"), 7);
}

TEST(TextMeasurerTest, WidthsAreSumsOfCharacterAdvances) {
  auto measurer = CreateSystemTextMeasurer();
  const TFontDescription arial = TFontDescription::FromPoints(u"arial", 10);
  const WideString text = u"Şule Ağaoğlu 𝄞 WWii";
  const std::vector<int> widths = measurer->CharWidths(arial, text);
  EXPECT_EQ(widths.size(), text.size() - 1);  // the surrogate pair is one character
  int sum = 0;
  for (int w : widths) sum += w;
  EXPECT_EQ(measurer->TextWidth(arial, text), sum);
  EXPECT_GT(measurer->TextWidth(arial, u"WWWW"), measurer->TextWidth(arial, u"iiii"));
  // Bold is wider, a bigger size is wider, a monospaced font is even.
  EXPECT_GT(measurer->TextWidth(TFontDescription::FromPoints(u"Arial", 10, true), u"Hamburg"),
            measurer->TextWidth(arial, u"Hamburg"));
  EXPECT_GT(measurer->TextWidth(TFontDescription::FromPoints(u"Arial", 20), u"Hamburg"),
            measurer->TextWidth(arial, u"Hamburg"));
  const TFontDescription courier = TFontDescription::FromPoints(u"Courier New", 10);
  EXPECT_EQ(measurer->TextWidth(courier, u"iiii"), measurer->TextWidth(courier, u"WWWW"));
}

TEST(TextMeasurerTest, AliasesNameTheInstalledFamilies) {
  EXPECT_EQ(FontFamilyFor(u"ARIAL"), u"Liberation Sans");
  EXPECT_EQ(FontFamilyFor(u"Times New Roman"), u"Liberation Serif");
  EXPECT_EQ(FontFamilyFor(u"courier new"), u"Liberation Mono");
  EXPECT_EQ(FontFamilyFor(u"Calibri"), u"Carlito");
  EXPECT_EQ(FontFamilyFor(u"Tahoma"), u"DejaVu Sans");
  EXPECT_EQ(FontFamilyFor(u"Verdana"), u"Verdana");
}

TEST(TextMeasurerTest, FixedMeasurerCountsCharacters) {
  TFixedTextMeasurer fixed(6);
  EXPECT_EQ(fixed.TextWidth({}, u"abc𝄞"), 24);
  EXPECT_EQ(fixed.Metrics({}).Height, 15);
}

}  // namespace
}  // namespace verimo
