// The OpenDocument base, the spreadsheet and the text document: notations,
// paragraph text, typed cells, style names and borders, failed runs and
// settings. Whole files are read back by independent readers in
// PackageReadBackTest.
#include <gtest/gtest.h>

#include <numeric>

#include <regex>

#include "core/DateTime.h"
#include "core/Exception.h"
#include "engine/TesselIniFile.h"
#include "formats/package/PackageTestSupport.h"
#include "formats/package/odf/OdfStyles.h"
#include "formats/package/odf/OdfText.h"
#include "formats/package/odf/OdsCellValue.h"
#include "formats/package/odf/TesselODS.h"
#include "formats/package/odf/TesselODT.h"
#include "platform/data/MemDataSet.h"
#include "support/TestPaths.h"

namespace verimo {
namespace {

namespace fs = std::filesystem;

std::string OdfText(WideStringView text) {
  std::string out;
  AppendODFText(out, text);
  return out;
}

std::string CellValue(TTesselColType type, const Variant& value) {
  std::string out;
  AppendODSValueAttributes(out, type, value);
  return out;
}

// Every value of `attribute` in `xml`, in order.
std::vector<std::string> AttributeValues(const std::string& xml, const std::string& element,
                                         const std::string& attribute) {
  std::vector<std::string> values;
  const std::regex pattern("<" + element + " [^>]*" + attribute + "=\"([^\"]*)\"");
  for (auto it = std::sregex_iterator(xml.begin(), xml.end(), pattern); it != std::sregex_iterator(); ++it)
    values.push_back((*it)[1]);
  return values;
}

TEST(OdfNotationTest, ColoursBordersAndWidths) {
  EXPECT_EQ(ODFColor(0x0000FF), u"#FF0000");
  EXPECT_EQ(ODFColor(0x123456), u"#563412");
  EXPECT_EQ(ODFBorderText({bsODFSolid, 1, 255}), u"0.035cm solid #FF0000");
  EXPECT_EQ(ODFBorderWidth(0), u"0cm");
  EXPECT_EQ(ODFBorderWidth(10), u"0.352cm");
  EXPECT_EQ(ODFBorderWidth(100), u"3.52cm");
  EXPECT_EQ(ODFBorderText({bsODFNone, 5, 255}), u"none");
  EXPECT_EQ(ODFStripNumber(4, 3), 1);
  EXPECT_EQ(ODFStripNumber(3, 3), 3);
  // A strip type with no strip styles is no strip type.
  EXPECT_EQ(ODFStripCount(ssColumn, 0), 0);
}

TEST(OdfTextTest, SpacesTabsAndBreaksStayAsTheyAre) {
  EXPECT_EQ(OdfText(u"a b"), "a b");
  EXPECT_EQ(OdfText(u"a   b"), "a <text:s text:c=\"2\"/>b");
  EXPECT_EQ(OdfText(u"  lead"), "<text:s text:c=\"2\"/>lead");
  EXPECT_EQ(OdfText(u"trail "), "trail<text:s/>");
  EXPECT_EQ(OdfText(u" "), "<text:s/>");
  EXPECT_EQ(OdfText(u"a\tb"), "a<text:tab/>b");
  EXPECT_EQ(OdfText(u"a \tb"), "a<text:s/><text:tab/>b");
  EXPECT_EQ(OdfText(u"1\r\n2\r3\n4"), "1<text:line-break/>2<text:line-break/>3<text:line-break/>4");
  EXPECT_EQ(OdfText(u"x\n y"), "x<text:line-break/><text:s/>y");
  EXPECT_EQ(OdfText(u"a < b & \"c\""), "a &lt; b &amp; &quot;c&quot;");
  // Characters XML forbids go; they do not separate spaces.
  EXPECT_EQ(OdfText(u"a \x01 b\x1F"), "a <text:s/>b");
  EXPECT_EQ(OdfText(u"ş \U0001F600"), "\xC5\x9F \xF0\x9F\x98\x80");
}

TEST(OdsCellValueTest, CellsCarryTheirTypeAndRawValue) {
  EXPECT_EQ(CellValue(ectInteger, Variant::FromInt(-42)), "office:value-type=\"float\" office:value=\"-42\" ");
  EXPECT_EQ(CellValue(ectFloat, Variant::FromDouble(1234.5)), "office:value-type=\"float\" office:value=\"1234.5\" ");
  EXPECT_EQ(CellValue(ectFloat, Variant::FromDouble(0.1)), "office:value-type=\"float\" office:value=\"0.1\" ");
  EXPECT_EQ(CellValue(ectCurrency, Variant::FromCurrency({-123400})),
            "office:value-type=\"currency\" office:value=\"-12.34\" ");
  EXPECT_EQ(CellValue(ectCurrency, Variant::FromDouble(5)), "office:value-type=\"currency\" office:value=\"5\" ");
  const TDateTime date = EncodeDate(2024, 3, 12);
  EXPECT_EQ(CellValue(ectDate, Variant::FromDateTime(date)),
            "office:value-type=\"date\" office:date-value=\"2024-03-12\" ");
  EXPECT_EQ(CellValue(ectDateTime, Variant::FromDateTime(date + EncodeTime(10, 30, 5, 250))),
            "office:value-type=\"date\" office:date-value=\"2024-03-12T10:30:05.250\" ");
  EXPECT_EQ(CellValue(ectDate, Variant::FromDateTime(EncodeDate(1850, 1, 2))),
            "office:value-type=\"date\" office:date-value=\"1850-01-02\" ");
  EXPECT_EQ(CellValue(ectTime, Variant::FromDateTime(EncodeTime(23, 5, 0, 0))),
            "office:value-type=\"time\" office:time-value=\"PT23H05M00S\" ");
  EXPECT_EQ(CellValue(ectBoolean, Variant::FromBool(false)),
            "office:value-type=\"boolean\" office:boolean-value=\"false\" ");
  // What does not fit the column's type is text.
  EXPECT_EQ(CellValue(ectFloat, Variant::FromDouble(std::numeric_limits<double>::infinity())),
            "office:value-type=\"string\" ");
  EXPECT_EQ(CellValue(ectInteger, Variant::FromText(u"12")), "office:value-type=\"string\" ");
  EXPECT_EQ(CellValue(ectString, Variant::FromText(u"x")), "office:value-type=\"string\" ");
  EXPECT_EQ(CellValue(ectDate, Variant::FromDateTime(DayNumberToDateTime(-400))), "office:value-type=\"string\" ");
}

class OdfExportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = test::MakeTempDir("verimo-odf");
    fs::create_directories(dir_ / "tmp");
    data_.AddFieldDef(u"N", ftInteger);
    data_.AddFieldDef(u"Ad", ftString, 20);
    data_.AddFieldDef(u"Tutar", ftCurrency);
    data_.AddFieldDef(u"Gün", ftDate);
    for (int ods = 0; ods < 2; ++ods) {
      TTesselAdvancedText& exporter = ods ? static_cast<TTesselAdvancedText&>(ods_) : odt_;
      exporter.DataSet = &data_;
      exporter.ShellLauncher = nullptr;
      exporter.FileName = (dir_ / (ods ? "sheet.ods" : "doc.odt")).string();
    }
  }
  void TearDown() override { fs::remove_all(dir_); }

  void AddRows(int count) {
    for (int i = 1; i <= count; ++i)
      data_.AppendRecord({Variant::FromInt(i), Variant::FromText(u"ad " + IntToWide(i)),
                          Variant::FromDouble(i * 1.5), Variant::FromDateTime(EncodeDate(2024, 1, i))});
    data_.Open();
  }
  std::string Content(const TTesselText& exporter) const { return test::ZipPart(exporter.FileName, "content.xml"); }

  fs::path dir_;
  TMemDataSet data_;
  TTesselODS ods_;
  TTesselODT odt_;
};

TEST_F(OdfExportTest, PackageStartsWithTheStoredMimetypeAndListsItsParts) {
  AddRows(2);
  ods_.Execute();
  EXPECT_EQ(test::ZipEntries(ods_.FileName),
            (std::vector<std::string>{"mimetype", "META-INF/manifest.xml", "meta.xml", "styles.xml", "content.xml"}));
  std::string listing;
  test::RunCommand("unzip -v " + test::ShellQuote(ods_.FileName), &listing);
  EXPECT_TRUE(std::regex_search(listing, std::regex("\\n +46 +Stored +46 .* mimetype")));
  EXPECT_EQ(test::ZipPart(ods_.FileName, "mimetype"), "application/vnd.oasis.opendocument.spreadsheet");
  const std::string meta = test::ZipPart(ods_.FileName, "meta.xml");
  EXPECT_TRUE(std::regex_search(meta, std::regex("<meta:creation-date>\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d<")));
  const std::string manifest = test::ZipPart(ods_.FileName, "META-INF/manifest.xml");
  EXPECT_EQ(AttributeValues(manifest, "manifest:file-entry", "manifest:full-path"),
            (std::vector<std::string>{"/", "content.xml", "styles.xml", "meta.xml"}));
  odt_.Execute();
  EXPECT_EQ(test::ZipPart(odt_.FileName, "mimetype"), "application/vnd.oasis.opendocument.text");
}

TEST_F(OdfExportTest, SpreadsheetRowsAreTypedAndStripsFollowColumnsOrRows) {
  AddRows(3);
  ods_.Header = {u"Başlık"};
  ods_.ODSOptions.StripStyle = ssColumn;
  ods_.ODSOptions.StripStylesList.resize(3);
  ods_.Execute();
  std::string content = Content(ods_);
  EXPECT_NE(content.find("<table:table table:name=\"Sayfa1\" table:style-name=\"DefaultTableStyle\" >"),
            std::string::npos);
  EXPECT_NE(content.find("office:value-type=\"float\" office:value=\"2\" ><text:p>2</text:p>"), std::string::npos);
  EXPECT_NE(content.find("office:value-type=\"currency\" office:value=\"4.5\" >"), std::string::npos);
  EXPECT_NE(content.find("office:date-value=\"2024-01-03\" >"), std::string::npos);
  std::vector<std::string> styles = AttributeValues(content, "table:table-cell", "table:style-name");
  // Header, four captions, then per row the fourth column wraps to the first strip.
  ASSERT_EQ(styles.size(), 1u + 4 + 12);
  EXPECT_EQ(styles[0], "Header");
  EXPECT_EQ(std::vector<std::string>(styles.begin() + 5, styles.begin() + 9),
            (std::vector<std::string>{"StripStyle1", "StripStyle2", "StripStyle3", "StripStyle1"}));

  ods_.ODSOptions.StripStyle = ssRow;
  ods_.ODSOptions.StripStylesList.resize(2);
  ods_.Execute();
  styles = AttributeValues(Content(ods_), "table:table-cell", "table:style-name");
  EXPECT_EQ(styles[5], "StripStyle1");
  EXPECT_EQ(styles[9], "StripStyle2");
  EXPECT_EQ(styles[13], "StripStyle1");

  // A strip type without strip styles is the data style.
  ods_.ODSOptions.StripStylesList.clear();
  ods_.Execute();
  styles = AttributeValues(Content(ods_), "table:table-cell", "table:style-name");
  EXPECT_EQ(styles[5], "DataStyle");
  EXPECT_EQ(Content(ods_).find("StripStyle"), std::string::npos);
}

TEST_F(OdfExportTest, CellStylesCarryFontBorderAndBackground) {
  AddRows(1);
  TODSCellParagraphStyle& data = ods_.ODSOptions.DataStyle;
  data.Font = {u"Times & Co", 12, 0x0000FF, true, true, true, true, 1};
  data.Border = {bsODFSolid, 10, 0x00FF00};
  data.Alignment = taODFRight;
  data.VerticalAligment = taODFMiddle;
  ods_.ODSOptions.CaptionRowStyle.Font.Name = u"Times & Co";
  ods_.Execute();
  const std::string styles = test::ZipPart(ods_.FileName, "styles.xml");
  EXPECT_NE(styles.find("<style:text-properties style:font-name=\"Times &amp; Co\" fo:font-size=\"12pt\" "
                        "fo:color=\"#FF0000\" fo:font-style=\"italic\" fo:font-weight=\"bold\" "
                        "style:text-underline-style=\"solid\" style:text-underline-width=\"auto\" "
                        "style:text-underline-color=\"font-color\" style:text-line-through-style=\"solid\" />"
                        "<style:paragraph-properties fo:text-align=\"end\" />"),
            std::string::npos);
  EXPECT_NE(styles.find("fo:border=\"0.352cm solid #00FF00\" style:vertical-align=\"middle\" "
                        "fo:background-color=\"#FFFFFF\" />"),
            std::string::npos);
  // The font used twice is declared once in each list.
  for (const std::string& part : {styles, Content(ods_)}) {
    const std::vector<std::string> faces = AttributeValues(part, "style:font-face", "style:name");
    EXPECT_EQ(std::count(faces.begin(), faces.end(), "Times &amp; Co"), 1);
  }
}

TEST_F(OdfExportTest, TextTableBordersUseLayerAndEnderVariants) {
  data_.Open();
  odt_.Header = {u"Önce"};
  odt_.Footer = {u"Sonra", u"En son"};
  odt_.Execute();
  std::string content = Content(odt_);
  // Only the caption row: it is the last row.
  EXPECT_EQ(AttributeValues(content, "table:table-cell", "table:style-name"),
            (std::vector<std::string>{"LayerCaptionCellRow", "LayerCaptionCellRow", "LayerCaptionCellRow",
                                      "LayerEnderCaptionCellRow"}));
  EXPECT_NE(content.find("<table:table-header-rows><table:table-row>"), std::string::npos);
  const size_t header = content.find(">Önce</text:p>");
  const size_t table = content.find("<table:table ");
  const size_t footer = content.find(">Sonra</text:p>");
  EXPECT_TRUE(header < table && table < footer && footer < content.find(">En son</text:p>"));

  AddRows(2);
  odt_.Execute();
  content = Content(odt_);
  std::vector<std::string> cells = AttributeValues(content, "table:table-cell", "table:style-name");
  ASSERT_EQ(cells.size(), 12u);
  EXPECT_EQ(cells[0], "CaptionCellRow");
  EXPECT_EQ(cells[3], "EnderCaptionCellRow");
  EXPECT_EQ(cells[4], "DataCellStyle");
  EXPECT_EQ(cells[7], "EnderDataCellStyle");
  EXPECT_EQ(cells[8], "LayerDataCellStyle");
  EXPECT_EQ(cells[11], "LayerEnderDataCellStyle");
  // Every named cell style is declared.
  const std::vector<std::string> declared = AttributeValues(content, "style:style", "style:name");
  for (const std::string& name : cells) EXPECT_NE(std::find(declared.begin(), declared.end(), name), declared.end());
  EXPECT_NE(content.find("fo:border-bottom=\"0.035cm solid #000000\" fo:border-right=\"0.035cm solid #000000\""),
            std::string::npos);

  odt_.ODTOptions.Border.BorderStyle = bsODFNone;
  odt_.ODTOptions.StripStyle = ssRow;
  odt_.ODTOptions.StripStylesList.resize(2);
  odt_.Execute();
  content = Content(odt_);
  cells = AttributeValues(content, "table:table-cell", "table:style-name");
  EXPECT_EQ(cells[4], "StripCellStyle1");
  EXPECT_EQ(cells[11], "StripCellStyle2");
  EXPECT_EQ(AttributeValues(content, "text:p", "text:style-name")[5 + 4], "StripStyle2");
  EXPECT_EQ(content.find("Layer"), std::string::npos);
  EXPECT_NE(content.find("fo:border-top=\"none\" fo:border-left=\"none\" fo:border-bottom=\"none\" "
                         "fo:border-right=\"none\""),
            std::string::npos);
}

// The text table's columns are as wide as their texts, the table within
// the page's text area; a table too wide for portrait turns the page
// landscape and narrows its fonts.
TEST_F(OdfExportTest, TextTableColumnsFollowTheirTextsAndFitThePage) {
  AddRows(3);
  odt_.Execute();
  std::string content = Content(odt_);
  std::string styles = test::ZipPart(odt_.FileName, "styles.xml");
  EXPECT_NE(styles.find("style:print-orientation=\"portrait\""), std::string::npos);
  EXPECT_NE(styles.find("<style:master-page style:name=\"Standard\" style:page-layout-name=\"PageLayout\" />"),
            std::string::npos);
  EXPECT_EQ(AttributeValues(content, "table:table-column", "table:style-name"),
            (std::vector<std::string>{"ColumnStyle1", "ColumnStyle2", "ColumnStyle3", "ColumnStyle4"}));
  const std::vector<std::string> declared = AttributeValues(content, "style:style", "style:name");
  for (const char* name : {"TableStyle", "ColumnStyle1", "ColumnStyle4"})
    EXPECT_NE(std::find(declared.begin(), declared.end(), name), declared.end()) << name;
  EXPECT_EQ(odt_.RunOrientation(), poPortrait);
  const std::vector<double>& widths = odt_.ColumnWidths();
  ASSERT_EQ(widths.size(), 4u);
  EXPECT_LT(std::accumulate(widths.begin(), widths.end(), 0.0), 200.0);  // short texts, a narrow table

  TMemDataSet wide;
  for (int c = 0; c < 30; ++c) wide.AddFieldDef(u"Sütun" + IntToWide(c), ftString, 40);
  std::vector<Variant> values;
  for (int c = 0; c < 30; ++c) values.push_back(Variant::FromText(u"değer" + IntToWide(c) + u" ve açıklaması"));
  wide.AppendRecord(values);
  wide.Open();
  odt_.DataSet = &wide;
  odt_.Execute();
  content = Content(odt_);
  styles = test::ZipPart(odt_.FileName, "styles.xml");
  EXPECT_EQ(odt_.RunOrientation(), poLandscape);
  EXPECT_NE(styles.find("fo:page-width=\"29.7cm\" fo:page-height=\"21cm\" style:print-orientation=\"landscape\""),
            std::string::npos);
  EXPECT_LE(std::accumulate(odt_.ColumnWidths().begin(), odt_.ColumnWidths().end(), 0.0), (29.7 - 4) * 72 / 2.54 + 0.01);
  EXPECT_EQ(odt_.RunOptions().DataStyle.Font.Size, 7);
  EXPECT_NE(content.find("fo:font-size=\"7pt\""), std::string::npos);
}

TEST_F(OdfExportTest, FailedRunsLeaveNeitherTargetNorStagingFolder) {
  test::TemporaryDirectoryOverride tmp(dir_ / "tmp");
  AddRows(5);
  for (TTesselAdvancedText* exporter : {static_cast<TTesselAdvancedText*>(&ods_), static_cast<TTesselAdvancedText*>(&odt_)}) {
    exporter->OnBeforeExportRow = [](TTessel& sender, TTesselRow&, bool&) {
      if (sender.RecordCounter() == 3) throw Exception("reader failed");
    };
    EXPECT_THROW(exporter->Execute(), Exception);
    EXPECT_FALSE(fs::exists(exporter->FileName));
    EXPECT_TRUE(test::FolderEntries(dir_ / "tmp").empty());
  }
  ods_.SheetName.clear();
  EXPECT_THROW(ods_.Execute(), Exception);
  odt_.TableName.clear();
  EXPECT_THROW(odt_.Execute(), Exception);
}

TEST_F(OdfExportTest, OptionsSurviveASettingsFile) {
  ods_.SheetName = u"Müşteriler";
  ods_.ODSOptions.StripStyle = ssRow;
  ods_.ODSOptions.StripStylesList.resize(2);
  ods_.ODSOptions.StripStylesList[1].Font = {u"Liberation Serif", 14, 0x123456, true, false, true, true, 1};
  ods_.ODSOptions.StripStylesList[1].UseDataStyleBorder = false;
  ods_.ODSOptions.StripStylesList[1].Border = {bsODFSolid, 3, 0xABCDEF};
  ods_.ODSOptions.FooterStyle.Alignment = taODFJustify;
  ods_.ODSOptions.FooterStyle.VerticalAligment = taODFTop;
  ods_.ODSOptions.FooterStyle.AllowBackground = false;
  settings::SaveToFile(ods_, dir_ / "s.cfg");
  TTesselODS odsLoaded;
  settings::LoadFromFile(odsLoaded, dir_ / "s.cfg");
  EXPECT_EQ(odsLoaded.SheetName, u"Müşteriler");
  EXPECT_EQ(odsLoaded.ODSOptions, ods_.ODSOptions);

  odt_.TableName = u"Tablo & Ş";
  odt_.ODTOptions.Border = {bsODFNone, 4, 0x0000FF};
  odt_.ODTOptions.StripStyle = ssColumn;
  odt_.ODTOptions.StripStylesList.resize(1);
  odt_.ODTOptions.StripStylesList[0].AllowHighlight = true;
  odt_.ODTOptions.StripStylesList[0].HighlightColor = 0x00FFFF;
  odt_.ODTOptions.HeaderStyle.Font.Italic = true;
  odt_.ODTOptions.DataStyle.VerticalAligment = taODFMiddle;
  settings::SaveToFile(odt_, dir_ / "t.cfg");
  TTesselODT odtLoaded;
  settings::LoadFromFile(odtLoaded, dir_ / "t.cfg");
  EXPECT_EQ(odtLoaded.TableName, u"Tablo & Ş");
  EXPECT_EQ(odtLoaded.ODTOptions, odt_.ODTOptions);
}

}  // namespace
}  // namespace verimo
