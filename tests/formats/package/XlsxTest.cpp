#include "formats/package/xlsx/TesselXlsx.h"

#include <gtest/gtest.h>

#include <regex>

#include "core/DateTime.h"
#include "core/Exception.h"
#include "engine/TesselIniFile.h"
#include "formats/package/PackageTestSupport.h"
#include "formats/package/xlsx/XlsxSheets.h"
#include "formats/package/xlsx/XlsxStyles.h"
#include "formats/package/xlsx/XlsxWorksheet.h"
#include "platform/data/MemDataSet.h"
#include "platform/fonts/TextMeasurer.h"
#include "support/TestPaths.h"

namespace verimo {
namespace {

namespace fs = std::filesystem;

void FillNumbers(TMemDataSet& data, int rows) {
  data.AddFieldDef(u"N", ftInteger);
  data.AddFieldDef(u"Text", ftString, 20);
  data.AddFieldDef(u"More", ftString, 20);
  data.AddFieldDef(u"Last", ftString, 20);
  for (int i = 1; i <= rows; ++i)
    data.AppendRecord({Variant::FromInt(i), Variant::FromText(u"t" + IntToWide(i)), Variant::FromText(u"m"),
                       Variant::FromText(u"")});
  data.Open();
}

class XlsxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = test::MakeTempDir("verimo-xlsx");
    fs::create_directories(dir_ / "tmp");
    exporter_.DataSet = &data_;
    exporter_.ShellLauncher = nullptr;
    exporter_.FileName = (dir_ / "book.xlsx").string();
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Sheet(const std::string& part = "xl/worksheets/sheet1.xml") const {
    return test::ZipPart(exporter_.FileName, part);
  }
  // The style index of every cell of the sheet, in order.
  static std::vector<int> Styles(const std::string& sheet, const std::string& row) {
    std::vector<int> styles;
    const std::regex cell("<c r=\"[A-Z]+" + row + "\" s=\"([0-9]+)\"");
    for (auto it = std::sregex_iterator(sheet.begin(), sheet.end(), cell); it != std::sregex_iterator(); ++it)
      styles.push_back(std::stoi((*it)[1]));
    return styles;
  }

  fs::path dir_;
  TMemDataSet data_;
  TTesselXlsx exporter_;
};

TEST(XlsxNamesTest, ColumnLettersFollowBase26BeyondZ) {
  EXPECT_EQ(XlsxColumnName(1), "A");
  EXPECT_EQ(XlsxColumnName(26), "Z");
  EXPECT_EQ(XlsxColumnName(27), "AA");
  EXPECT_EQ(XlsxColumnName(52), "AZ");
  EXPECT_EQ(XlsxColumnName(702), "ZZ");
  EXPECT_EQ(XlsxColumnName(703), "AAA");
  EXPECT_EQ(XlsxColumnName(16384), "XFD");
}

TEST(XlsxNamesTest, PartNameIsTheSheetNameOnlyWhenItIsSafe) {
  EXPECT_EQ(XlsxSheetPartName(u"Data"), "Data");
  EXPECT_EQ(XlsxSheetPartName(u"my_sheet-2"), "my_sheet-2");
  EXPECT_EQ(XlsxSheetPartName(u"../../evil"), "sheet1");
  EXPECT_EQ(XlsxSheetPartName(u"a/b"), "sheet1");
  EXPECT_EQ(XlsxSheetPartName(u"Müşteri Listesi"), "sheet1");
  const TXlsxSheetInfo first = XlsxContinuationSheet(u"A very long sheet name of forty chars..", 1);
  EXPECT_EQ(first.Name, u"A very long sheet name of forty");
  const TXlsxSheetInfo third = XlsxContinuationSheet(u"A very long sheet name of forty chars..", 3);
  EXPECT_EQ(third.Name, u"A very long sheet name of f (3)");
  EXPECT_EQ(third.PartName, "sheet1_3");
  EXPECT_EQ(XlsxContinuationSheet(u"Data", 2).PartName, "Data_2");
}

TEST(XlsxNumberFormatsTest, LaterTablesKeepTheCellStylesOfEarlierOnes) {
  TXlsxNumberFormats formats(2);  // cell formats from style 7
  const int strip1 = kXlsxFirstStripStyle;
  const int strip2 = kXlsxFirstStripStyle + 1;
  formats.SetColumnCodes({u"", u"0.00", u"dd.mm.yyyy", u"0.00"});
  EXPECT_EQ(formats.CellStyle(strip1, 0), strip1);
  EXPECT_EQ(formats.CellStyle(strip1, 1), 7);
  EXPECT_EQ(formats.CellStyle(strip1, 2), 8);
  EXPECT_EQ(formats.CellStyle(strip1, 3), 7);
  EXPECT_EQ(formats.CellStyle(strip2, 1), 9);
  EXPECT_EQ(formats.CellStyle(strip2, 2), 10);
  EXPECT_EQ(formats.CellStyle(strip2, 4), strip2);
  // The next table shares "0.00" and brings "#,##0": its cell styles
  // follow, those above stay.
  formats.SetColumnCodes({u"#,##0", u"0.00", u"General"});
  EXPECT_EQ(formats.CellStyle(strip1, 0), 11);
  EXPECT_EQ(formats.CellStyle(strip1, 1), 7);
  EXPECT_EQ(formats.CellStyle(strip1, 2), strip1);
  EXPECT_EQ(formats.CellStyle(strip2, 0), 12);
  EXPECT_EQ(formats.CellStyle(strip2, 1), 9);
  EXPECT_EQ(formats.Codes(), (std::vector<WideString>{u"0.00", u"dd.mm.yyyy", u"#,##0"}));
  std::vector<std::pair<int, int>> cellFormats;
  for (const auto& format : formats.CellFormats()) cellFormats.emplace_back(format.Style, format.Code);
  EXPECT_EQ(cellFormats, (std::vector<std::pair<int, int>>{
                             {strip1, 0}, {strip1, 1}, {strip2, 0}, {strip2, 1}, {strip1, 2}, {strip2, 2}}));
  // Without strips every typed column has the data style's cell format.
  const TXlsxNumberFormats plain({u"", u"0.00"}, 0);
  EXPECT_EQ(plain.CellStyle(kXlsxDataStyle, 0), kXlsxDataStyle);
  EXPECT_EQ(plain.CellStyle(kXlsxDataStyle, 1), kXlsxFirstStripStyle);
}

TEST_F(XlsxTest, SheetNameIsEscapedAndUnsafeNamesGetASafePart) {
  FillNumbers(data_, 1);
  // "/" is no character of a sheet name: readers refuse the workbook.
  exporter_.SetSheetName(u"R&D <\"1\"> / ..");
  exporter_.SetSheetName(u"");  // ignored
  exporter_.Execute();
  EXPECT_EQ(test::ZipEntries(exporter_.FileName).size(), 9u);
  EXPECT_NE(test::ZipPart(exporter_.FileName, "xl/workbook.xml").find("name=\"R&amp;D &lt;&quot;1&quot;&gt; _ ..\""),
            std::string::npos);
  EXPECT_NE(Sheet().find("<sheetData>"), std::string::npos);
  exporter_.SetSheetName(u"Data");
  exporter_.Execute();
  EXPECT_NE(Sheet("xl/worksheets/Data.xml").find("<dimension ref=\"A1:D2\" />"), std::string::npos);
}

TEST_F(XlsxTest, RowsCarryTheirStylesAndStripsFollowRowsOrColumns) {
  FillNumbers(data_, 4);
  exporter_.Header = {u"head"};
  exporter_.Footer = {u"foot"};
  exporter_.XlsxOptions.StripStyleType = ssRow;
  exporter_.XlsxOptions.StripStylesList.resize(3);
  exporter_.Execute();
  std::string sheet = Sheet();
  EXPECT_EQ(Styles(sheet, "1"), std::vector<int>{1});
  EXPECT_EQ(Styles(sheet, "2"), (std::vector<int>{2, 2, 2, 2}));
  // The number column's cells have the strip's style with its number
  // format, after the strip styles.
  EXPECT_EQ(Styles(sheet, "3"), (std::vector<int>{8, 5, 5, 5}));
  EXPECT_EQ(Styles(sheet, "4"), (std::vector<int>{9, 6, 6, 6}));
  EXPECT_EQ(Styles(sheet, "6"), (std::vector<int>{8, 5, 5, 5}));
  EXPECT_EQ(Styles(sheet, "7"), std::vector<int>{4});
  EXPECT_NE(sheet.find("<row r=\"3\" spans=\"1:4\" >"), std::string::npos);
  // An empty value is an empty cell with its style, no string.
  EXPECT_NE(sheet.find("<c r=\"D3\" s=\"5\" />"), std::string::npos);

  exporter_.XlsxOptions.StripStyleType = ssColumn;
  exporter_.Execute();
  sheet = Sheet();
  EXPECT_EQ(Styles(sheet, "3"), (std::vector<int>{8, 6, 7, 5}));
  const std::string styles = test::ZipPart(exporter_.FileName, "xl/styles.xml");
  EXPECT_NE(styles.find("<cellXfs count=\"11\" >"), std::string::npos);
  EXPECT_NE(styles.find("<fonts count=\"8\" >"), std::string::npos);
  EXPECT_NE(styles.find("<fills count=\"9\" >"), std::string::npos);
}

// Numbers, dates, times and truth values are held as values with the
// number format of their column's pattern; a date a serial number cannot
// hold, a null and a text a handler changed stay texts.
TEST_F(XlsxTest, TypedColumnsHoldTheirValuesWithTheirPatterns) {
  data_.AddFieldDef(u"Id", ftInteger);
  data_.AddFieldDef(u"Amount", ftCurrency);
  data_.AddFieldDef(u"Day", ftDate);
  data_.AddFieldDef(u"At", ftTime);
  data_.AddFieldDef(u"Yes", ftBoolean);
  data_.AddFieldDef(u"Name", ftString, 10);
  data_.AppendRecord({Variant::FromInt(1), Variant::FromDouble(1234.5), Variant::FromDateTime(EncodeDate(1900, 2, 28)),
                      Variant::FromDateTime(EncodeTime(12, 0, 0, 0)), Variant::FromBool(true), Variant::FromText(u"a")});
  data_.AppendRecord({Variant::FromInt(2), Variant::FromDouble(-0.25), Variant::FromDateTime(EncodeDate(1850, 1, 2)),
                      Variant::FromDateTime(EncodeTime(0, 30, 0, 0)), Variant::FromBool(false), Variant::FromText(u"a")});
  data_.AppendRecord({Variant::Null(), Variant::Null(), Variant::FromDateTime(EncodeDate(2024, 3, 1)), Variant::Null(),
                      Variant::Null(), Variant::FromText(u"b")});
  data_.Open();
  exporter_.Formats().SetCurrencyFormat(u"#,##0.00 TL");
  exporter_.Formats().SetDateFormat(u"dd/mm/yyyy");
  exporter_.Formats().SetTimeFormat(u"hh:nn");
  exporter_.Formats().DateSeparator = u'.';
  exporter_.Formats().DecimalSeparator = u',';
  exporter_.Formats().SetBooleanTrue(u"Evet");
  exporter_.Formats().SetNullString(u"-");
  exporter_.OnGetExportText = [](TTessel& sender, int column, WideString& text) {
    if (column == 1 && sender.RecordCounter() == 1) text = u"about " + text;
  };
  exporter_.Execute();
  const std::string sheet = Sheet();
  for (const char* cell : {"<c r=\"A2\" s=\"5\" ><v>1</v></c>", "<c r=\"B2\" s=\"6\" ><v>1234.5</v></c>",
                           "<c r=\"C2\" s=\"7\" ><v>59</v></c>", "<c r=\"D2\" s=\"8\" ><v>0.5</v></c>",
                           "<c r=\"E2\" s=\"9\" t=\"b\" ><v>1</v></c>", "<c r=\"F2\" s=\"3\" t=\"s\" ><v>6</v></c>",
                           "<c r=\"B3\" s=\"6\" t=\"s\" >", "<c r=\"C3\" s=\"7\" t=\"s\" >",
                           "<c r=\"D3\" s=\"8\" ><v>0.020833333333333332</v></c>",
                           "<c r=\"E3\" s=\"9\" t=\"b\" ><v>0</v></c>", "<c r=\"F3\" s=\"3\" t=\"s\" ><v>6</v></c>",
                           "<c r=\"A4\" s=\"5\" t=\"s\" >", "<c r=\"C4\" s=\"7\" ><v>45352</v></c>"})
    EXPECT_NE(sheet.find(cell), std::string::npos) << cell;
  const std::string styles = test::ZipPart(exporter_.FileName, "xl/styles.xml");
  EXPECT_NE(styles.find("<numFmts count=\"5\" ><numFmt numFmtId=\"164\" formatCode=\"#,###,##0\" />"
                        "<numFmt numFmtId=\"165\" formatCode=\"#,##0.00&quot; TL&quot;\" />"
                        "<numFmt numFmtId=\"166\" formatCode=\"dd&quot;.&quot;mm&quot;.&quot;yyyy\" />"
                        "<numFmt numFmtId=\"167\" formatCode=\"hh&quot;:&quot;mm\" />"
                        "<numFmt numFmtId=\"168\" formatCode=\"&quot;Evet&quot;;&quot;Evet&quot;;&quot;false&quot;\" />"
                        "</numFmts>"),
            std::string::npos)
      << styles;
  EXPECT_NE(styles.find("<xf numFmtId=\"165\" fontId=\"3\" fillId=\"4\" borderId=\"3\" xfId=\"0\" "
                        "applyNumberFormat=\"1\" applyBorder=\"1\" />"),
            std::string::npos);
  // The six captions, then "a" (twice), "about -0,25 TL", "02.01.1850", "-"
  // (four times), "b": equal texts are stored once.
  const std::string strings = test::ZipPart(exporter_.FileName, "xl/sharedStrings.xml");
  EXPECT_NE(strings.find("count=\"15\" uniqueCount=\"11\""), std::string::npos) << strings;
  EXPECT_NE(strings.find(">about -0,25 TL</t></si>"), std::string::npos) << strings;
}

// openpyxl reads serials as the 1900 date system defines them (LibreOffice
// reads those before March 1900 one day early, so it is not asked).
TEST_F(XlsxTest, SerialsBeforeTheDayThatNeverWasAreOneLess) {
  data_.AddFieldDef(u"When", ftDateTime);
  for (const TDateTime when : {EncodeDate(1900, 1, 1), EncodeDate(1900, 2, 28) + EncodeTime(18, 0, 0, 0),
                               EncodeDate(1900, 3, 1), EncodeDate(1899, 12, 31) + EncodeTime(12, 0, 0, 0)})
    data_.AppendRecord({Variant::FromDateTime(when)});
  data_.Open();
  test::TableRecorder recorder;
  recorder.Attach(exporter_);
  exporter_.Execute();
  test::PackageJob job{exporter_.FileName, "xlsx", false, recorder.Expected(exporter_)};
  job.values = recorder.Values(exporter_);
  EXPECT_EQ(test::ReadPackages({job}, dir_), "");
  for (const char* cell : {"<v>1</v>", "<v>59.75</v>", "<v>61</v>"}) EXPECT_NE(Sheet().find(cell), std::string::npos);
}

TEST_F(XlsxTest, ColumnsAreAsWideAsTheirCaptionsAndValues) {
  FillNumbers(data_, 12);
  TFixedTextMeasurer measurer(7);
  exporter_.TextMeasurer = &measurer;
  exporter_.Execute();
  // Digits of the default font, one "I" beside the widest text: "N" and
  // "12", "Text" and "t12", "More", "Last".
  EXPECT_NE(Sheet().find("<sheetFormatPr defaultRowHeight=\"15\" /><cols>"
                         "<col min=\"1\" max=\"1\" width=\"3\" customWidth=\"1\" />"
                         "<col min=\"2\" max=\"2\" width=\"5\" customWidth=\"1\" />"
                         "<col min=\"3\" max=\"3\" width=\"5\" customWidth=\"1\" />"
                         "<col min=\"4\" max=\"4\" width=\"5\" customWidth=\"1\" /></cols><sheetData>"),
            std::string::npos)
      << Sheet();
  // Without the width pass the fields' own widths.
  exporter_.AutoCalcColWidth = false;
  exporter_.Execute();
  EXPECT_NE(Sheet().find("<col min=\"2\" max=\"2\" width=\"21\" customWidth=\"1\" />"), std::string::npos);
}

TEST_F(XlsxTest, StylesPartFollowsTheCellStyles) {
  FillNumbers(data_, 1);
  TXlsxCellStyle& caption = exporter_.XlsxOptions.CaptionRowStyle;
  caption.Font.Bold = true;
  caption.Font.Color = 0x0000FF;  // red
  caption.UseBackground = true;
  caption.BackgroundColor = 0xFF0000;  // blue
  caption.Alignment = caCenter;
  caption.VerticalAligment = cvaTop;
  caption.UseBorder = true;
  caption.Border.Style = xbsDashDot;
  exporter_.Execute();
  const std::string styles = test::ZipPart(exporter_.FileName, "xl/styles.xml");
  EXPECT_NE(styles.find("<font><b/>\r\n<sz val=\"11\" /><color rgb=\"FFFF0000\" />"), std::string::npos) << styles;
  EXPECT_NE(styles.find("<fgColor rgb=\"FF0000FF\" />"), std::string::npos);
  EXPECT_NE(styles.find("<left style=\"dashDot\" ><color indexed=\"64\" /></left>"), std::string::npos);
  EXPECT_NE(styles.find("applyAlignment=\"1\" ><alignment horizontal=\"center\" vertical=\"top\" /></xf>"),
            std::string::npos);
  // Without UseBackground a style has no fill of its own.
  EXPECT_EQ(styles.find("<fgColor rgb=\"FFFFFFFF\" />"), std::string::npos);
}

TEST_F(XlsxTest, RowsBeyondTheSheetLimitContinueOnNewSheetsWithTheCaptions) {
  FillNumbers(data_, 7);
  exporter_.SheetRowLimit = 3;
  exporter_.Header = {u"head"};
  exporter_.SetSheetName(u"Data");
  test::TableRecorder recorder;
  recorder.Attach(exporter_);
  exporter_.Execute();
  const std::string workbook = test::ZipPart(exporter_.FileName, "xl/workbook.xml");
  EXPECT_NE(workbook.find("name=\"Data (4)\""), std::string::npos) << workbook;
  EXPECT_EQ(workbook.find("Data (5)"), std::string::npos);
  // head, caption, 1 | caption, 2, 3 | caption, 4, 5 | caption, 6, 7
  test::Grid expected;
  const test::Grid all = recorder.Expected(exporter_);
  const std::vector<WideString>& captions = all[1];
  expected = {all[0], captions, all[2]};
  for (size_t i = 3; i < all.size(); i += 2) {
    expected.push_back(captions);
    expected.push_back(all[i]);
    expected.push_back(all[i + 1]);
  }
  EXPECT_EQ(test::ReadPackages({{exporter_.FileName, "xlsx", false, expected, 4}}, dir_), "");
  EXPECT_NE(Sheet("xl/worksheets/Data_4.xml").find("<sheetView workbookViewId=\"0\" >"), std::string::npos);
}

// A sheet is 16,384 columns wide: a table that wide reads back whole, one
// column more is refused before a file is made. A text longer than a cell
// holds (32,767 units) is cut, never inside a surrogate pair.
TEST_F(XlsxTest, ColumnAndCellLimitsHoldOrRefuse) {
  for (int i = 0; i < kMaxSheetColumns; ++i) data_.AddFieldDef(u"C" + IntToWide(i), ftString, 10);
  std::vector<Variant> values(kMaxSheetColumns, Variant::FromText(u"v"));
  values[0] = Variant::FromText(WideString(32766, u'a') + u"\U0001D11E" + u"tail");
  values[1] = Variant::FromText(WideString(32767, u'b') + u"c");
  data_.AppendRecord(values);
  data_.Open();
  exporter_.Execute();
  test::Grid expected(2);
  for (int i = 0; i < kMaxSheetColumns; ++i) {
    expected[0].push_back(u"C" + IntToWide(i));
    expected[1].push_back(u"v");
  }
  expected[1][0] = WideString(32766, u'a');
  expected[1][1] = WideString(32767, u'b');
  EXPECT_EQ(test::ReadPackages({{exporter_.FileName, "xlsx", false, expected, 1}}, dir_), "");
  // Each cut is counted for its field; a text of the limit's length is whole.
  ASSERT_EQ(exporter_.Losses().Losses().size(), 2u);
  EXPECT_EQ(exporter_.Losses().Losses()[0].field, u"C0");
  EXPECT_EQ(exporter_.Losses().Losses()[0].kind, TLossKind::CellTextCut);
  EXPECT_EQ(exporter_.Losses().Losses()[1].field, u"C1");
  EXPECT_EQ(exporter_.Losses().Losses()[1].detail, u"32767");

  TMemDataSet wider;
  for (int i = 0; i <= kMaxSheetColumns; ++i) wider.AddFieldDef(u"C" + IntToWide(i), ftInteger);
  wider.AppendRecord(std::vector<Variant>(kMaxSheetColumns + 1, Variant::FromInt(1)));
  wider.Open();
  TTesselXlsx tooWide;
  tooWide.DataSet = &wider;
  tooWide.ShellLauncher = nullptr;
  tooWide.FileName = (dir_ / "wide.xlsx").string();
  try {
    tooWide.Execute();
    ADD_FAILURE() << "16,385 columns were exported";
  } catch (const Exception& error) {
    EXPECT_NE(std::string(error.what()).find("at most 16384 columns"), std::string::npos) << error.what();
  }
  EXPECT_FALSE(fs::exists(tooWide.FileName));
}

TEST_F(XlsxTest, FailedAndStoppedRunsLeaveNoStagingFolder) {
  test::TemporaryDirectoryOverride tmp(dir_ / "tmp");
  FillNumbers(data_, 10);
  exporter_.OnBeforeExportRow = [](TTessel& sender, TTesselRow&, bool&) {
    if (sender.RecordCounter() == 3) throw Exception("reader failed");
  };
  EXPECT_THROW(exporter_.Execute(), Exception);
  EXPECT_FALSE(fs::exists(exporter_.FileName));
  EXPECT_TRUE(test::FolderEntries(dir_ / "tmp").empty());
  EXPECT_EQ(test::FolderEntries(dir_), (std::vector<std::string>{"tmp"}));

  exporter_.OnBeforeExportRow = nullptr;
  exporter_.OnExportedRecord = [](TTessel& sender, int recNo) {
    if (recNo == 2) sender.Abort();
  };
  exporter_.OnStopExport = [](TTessel&, bool& canContinue) { canContinue = false; };
  exporter_.Execute();
  EXPECT_TRUE(exporter_.Aborted());
  EXPECT_EQ(exporter_.DataRowCounter(), 3);
  EXPECT_TRUE(test::FolderEntries(dir_ / "tmp").empty());
  EXPECT_EQ(test::RunCommand("unzip -tq " + test::ShellQuote(exporter_.FileName) + " >/dev/null"), 0);
}

TEST_F(XlsxTest, OptionsSurviveASettingsFile) {
  exporter_.SetSheetName(u"Müşteriler");
  exporter_.XlsxOptions.StripStyleType = ssColumn;
  exporter_.XlsxOptions.StripStylesList.resize(2);
  exporter_.XlsxOptions.StripStylesList[1].Options.Font = {u"Arial", 14, 0x123456, true, true, true, false, 1};
  exporter_.XlsxOptions.FooterStyle.UseBorder = true;
  exporter_.XlsxOptions.FooterStyle.Border = {xbsMediumDashDotDot, 0xABCDEF};
  exporter_.XlsxOptions.FooterStyle.Alignment = caJustify;
  exporter_.XlsxOptions.FooterStyle.VerticalAligment = cvaMiddle;
  exporter_.XlsxOptions.FooterStyle.UseBackground = true;
  exporter_.XlsxOptions.FooterStyle.BackgroundColor = 0x00FF00;
  settings::SaveToFile(exporter_, dir_ / "x.cfg");
  TTesselXlsx loaded;
  settings::LoadFromFile(loaded, dir_ / "x.cfg");
  EXPECT_EQ(loaded.SheetName(), u"Müşteriler");
  EXPECT_EQ(loaded.XlsxOptions, exporter_.XlsxOptions);

  // A shorter strip list saved later leaves no stale strip section.
  exporter_.XlsxOptions.StripStylesList.resize(1);
  settings::SaveToFile(exporter_, dir_ / "x.cfg");
  settings::LoadFromFile(loaded, dir_ / "x.cfg");
  EXPECT_EQ(loaded.XlsxOptions.StripStylesList.size(), 1u);
}

}  // namespace
}  // namespace verimo
