#include "formats/xls/XlsFormats.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "engine/TesselIniFile.h"
#include "support/TestPaths.h"

namespace verimo {
namespace {

uint16_t Word(const std::vector<uint8_t>& data, size_t at) { return static_cast<uint16_t>(data[at] | (data[at + 1] << 8)); }
uint32_t Dword(const std::vector<uint8_t>& data, size_t at) {
  return static_cast<uint32_t>(Word(data, at) | (Word(data, at + 2) << 16));
}

TEST(XlsFormatTablesTest, IndexesStartAfterTheDefaultsAndEqualFormatsShareRecords) {
  TxlsFormatTables tables;
  const TxlsFont dataFont;
  EXPECT_EQ(tables.GetXFIndex(u"General", nullptr, dataFont), 15);
  EXPECT_EQ(tables.GetXFIndex(u"", nullptr, dataFont), 15);
  TxlsFormat bold;
  bold.Font.Style = xfsBold;
  EXPECT_EQ(tables.GetXFIndex(u"0.00", &bold, dataFont), 16);
  EXPECT_EQ(tables.FontCount(), 1u);
  EXPECT_EQ(tables.NumberFormatCount(), 1u);
  // The same again, and one differing only in its fill pattern.
  EXPECT_EQ(tables.GetXFIndex(u"0.00", &bold, dataFont), 16);
  TxlsFormat patterned = bold;
  patterned.Fill.Pattern = ptSolid;
  EXPECT_EQ(tables.GetXFIndex(u"0.00", &patterned, dataFont), 17);
  EXPECT_EQ(tables.FontCount(), 1u);
  EXPECT_EQ(tables.NumberFormatCount(), 1u);
  // A font equal to the data font adds no font.
  TxlsFormat plain;
  EXPECT_EQ(tables.GetXFIndex(u"#,##0", &plain, dataFont), 18);
  EXPECT_EQ(tables.FontCount(), 1u);
  EXPECT_EQ(tables.FontOf(18), TxlsFont());
  EXPECT_EQ(tables.FontOf(16).Style, xfsBold);
  EXPECT_EQ(tables.FormatTextOf(18), u"#,##0");
  EXPECT_EQ(tables.FormatTextOf(15), u"General");
}

TEST(XlsFormatTablesTest, DefaultFormatIsTheUntouchedCellWithWhiteForeground) {
  TxlsFormat format;
  EXPECT_FALSE(IsDefaultFormat(format));  // foreground black by default
  format.Fill.Foreground = clrWhite;
  EXPECT_TRUE(IsDefaultFormat(format));
  format.Rotation = 45;
  format.Indent = 3;
  EXPECT_TRUE(IsDefaultFormat(format));
  format.Font.Name = u"Arial";
  EXPECT_FALSE(IsDefaultFormat(format));
}

TEST(XlsRecordEncodingTest, FontRecordHoldsHeightStyleColourAndName) {
  TxlsFont font;
  font.Size = 12;
  font.Style = xfsBold | xfsItalic | xfsStrikeOut;
  font.Color = clrRed;
  font.Underline = fulDoubleAccounting;
  font.Name = u"Tahoma";
  const std::vector<uint8_t> data = EncodeFontRecord(font);
  ASSERT_EQ(data.size(), 16u + 12u);
  EXPECT_EQ(Word(data, 0), 240);
  EXPECT_EQ(Word(data, 2), 0x000B);
  EXPECT_EQ(Word(data, 4), 10);
  EXPECT_EQ(Word(data, 6), 700);
  EXPECT_EQ(data[10], 0x22);
  EXPECT_EQ(data[14], 6);
  EXPECT_EQ(data[15], 1);
  EXPECT_EQ(Word(data, 16), u'T');
}

TEST(XlsRecordEncodingTest, XFRecordHoldsFillBordersAlignmentAndIndentOnlyWhenLeft) {
  TxlsXFormat xf;
  xf.Font = 0;
  xf.NumberFormat = 0;
  xf.Fill = {clrYellow, ptSolid, clrBlue};
  xf.Borders.Left = {bstThin, clrRed};
  xf.Borders.Bottom = {bstDouble, clrGreen};
  xf.Alignment = {halCenter, valTop};
  xf.Wrap = true;
  xf.Indent = 3;
  std::vector<uint8_t> data = EncodeXFRecord(xf, 5, 50);
  ASSERT_EQ(data.size(), 20u);
  EXPECT_EQ(Word(data, 0), 5);
  EXPECT_EQ(Word(data, 2), 50);
  EXPECT_EQ(Word(data, 4), 0x0001);
  EXPECT_EQ(data[6], 0x02 | 0x08 | 0x00);
  EXPECT_EQ(data[9] & 0x78, 0x78);  // font, alignment, border and pattern attributes
  EXPECT_EQ(data[8] & 0x0F, 0);     // no indent unless left-aligned
  EXPECT_EQ(Word(data, 10), bstThin | (bstDouble << 12));
  EXPECT_EQ(Word(data, 12) & 0x7F, PaletteIndex(clrRed));
  EXPECT_EQ(Dword(data, 14) >> 26, ptSolid);
  EXPECT_EQ((Dword(data, 14) >> 7) & 0x7F, PaletteIndex(clrGreen));
  EXPECT_EQ(Word(data, 18) & 0x7F, PaletteIndex(clrYellow));
  EXPECT_EQ((Word(data, 18) >> 7) & 0x7F, PaletteIndex(clrBlue));
  xf.Alignment.Horizontal = halLeft;
  data = EncodeXFRecord(xf, 5, 50);
  EXPECT_EQ(data[8] & 0x0F, 3);
}

TEST(XlsColorTest, PaletteAndColourTextsRoundTrip) {
  EXPECT_EQ(PaletteIndex(clrBlack), 8);
  EXPECT_EQ(PaletteIndex(clrColor16), 39);
  EXPECT_EQ(ColorValue(clrRed), 0x0000FFu);
  EXPECT_EQ(ColorFromValue(ColorValue(clrSkyBlue)), clrSkyBlue);
  EXPECT_EQ(ColorFromValue(0x123456), clrBlack);
  EXPECT_EQ(ColorToText(ColorValue(clrRed)), u"clRed");
  EXPECT_EQ(ColorToText(ColorValue(clrSkyBlue)), u"$00FFCC00");
  TColor color = 0;
  ASSERT_TRUE(TextToColor(u"$00FFCC00", color));
  EXPECT_EQ(color, ColorValue(clrSkyBlue));
  EXPECT_FALSE(TextToColor(u"kırmızı", color));
}

TEST(XlsFormatSettingsTest, FormatSurvivesTheSettingsFileAndUnknownColoursLoadBlack) {
  const auto dir = test::MakeTempDir("verimo-xls-format-ini");
  const auto path = dir / "f.cfg";
  TxlsFieldFormat saved;
  saved.FieldName = u"Tutar";
  saved.Font.Name = u"Tahoma";
  saved.Font.Size = 14;
  saved.Font.Style = xfsBold | xfsItalic;
  saved.Font.Color = clrDarkRed;
  saved.Font.Underline = fulSingle;
  saved.Alignment = {halRight, valCenter};
  saved.Borders.Top = {bstMedium, clrTeal};
  saved.Fill = {clrLightYellow, ptSolid, clrGray25Percent};
  saved.Aggregate = aggAvg;
  {
    TTesselIniFile file(path);
    file.Version = 400;
    saved.SaveToIni(file, u"XLS_FIELD_TUTAR");
    file.WriteString(u"XLS_OPTION_DATA", u"FontColor", u"$00123456");
  }
  TTesselIniFile file(path);
  TxlsFieldFormat loaded;
  loaded.LoadFromIni(file, u"XLS_FIELD_TUTAR");
  EXPECT_EQ(loaded.Font, saved.Font);
  EXPECT_EQ(loaded.Alignment, saved.Alignment);
  EXPECT_EQ(loaded.Borders.Top, saved.Borders.Top);
  EXPECT_EQ(loaded.Fill, saved.Fill);
  EXPECT_EQ(loaded.Aggregate, aggAvg);
  TxlsFormat data;
  data.Font.Color = clrRed;
  data.LoadFromIni(file, u"XLS_OPTION_DATA");
  EXPECT_EQ(data.Font.Color, clrBlack);
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace verimo
