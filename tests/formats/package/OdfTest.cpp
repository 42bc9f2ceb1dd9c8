// The OpenDocument base, the spreadsheet and the text document: notations,
// paragraph text, typed cells, style names and borders, failed runs and
// settings. Whole files are read back by independent readers in
// PackageReadBackTest.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <regex>

#include "core/DateTime.h"
#include "core/Exception.h"
#include "engine/TesselIniFile.h"
#include "formats/package/PackageTestSupport.h"
#include "formats/package/odf/OdfStyles.h"
#include "formats/package/odf/OdfText.h"
#include "formats/package/odf/OdsCellValue.h"
#include "formats/package/odf/OdsDataStyles.h"
#include "formats/package/odf/TesselODS.h"
#include "formats/package/odf/TesselODT.h"
#include "platform/data/MemDataSet.h"
#include "platform/fonts/TextMeasurer.h"
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

// Every cell style named is declared, and so is every data style a cell
// style names.
void ExpectDeclared(const std::string& content, const std::vector<std::string>& cellStyles) {
  const std::vector<std::string> declared = AttributeValues(content, "style:style", "style:name");
  for (const std::string& name : cellStyles)
    EXPECT_NE(std::find(declared.begin(), declared.end(), name), declared.end()) << name;
  std::vector<std::string> dataStyles;
  for (const char* kind : {"number:number-style", "number:currency-style", "number:date-style"}) {
    const std::vector<std::string> names = AttributeValues(content, kind, "style:name");
    dataStyles.insert(dataStyles.end(), names.begin(), names.end());
  }
  for (const std::string& name : AttributeValues(content, "style:style", "style:data-style-name"))
    EXPECT_NE(std::find(dataStyles.begin(), dataStyles.end(), name), dataStyles.end()) << name;
}

std::string DataStyle(TODSDataStyleKind kind, WideStringView code) {
  std::string out;
  AppendODSDataStyle(out, "N1", kind, code);
  return out;
}

TEST(OdsDataStyleTest, SectionsBecomeStylesTheLastOneMapsTo) {
  EXPECT_EQ(DataStyle(dskBoolean, u"\"Evet\";\"Evet\";\"Hay\u0131r\""),
            "<number:boolean-style style:name=\"N1P0\" style:volatile=\"true\"><number:text>Evet</number:text>"
            "</number:boolean-style>"
            "<number:boolean-style style:name=\"N1P1\" style:volatile=\"true\"><number:text>Evet</number:text>"
            "</number:boolean-style>"
            "<number:boolean-style style:name=\"N1\"><number:text>Hay\xC4\xB1r</number:text>"
            "<style:map style:condition=\"value()&gt;0\" style:apply-style-name=\"N1P0\"/>"
            "<style:map style:condition=\"value()&lt;0\" style:apply-style-name=\"N1P1\"/></number:boolean-style>");
  EXPECT_EQ(DataStyle(dskNumber, u"#,##0.00;(#,##0.00)"),
            "<number:number-style style:name=\"N1P0\" style:volatile=\"true\"><number:number "
            "number:decimal-places=\"2\" number:min-integer-digits=\"1\" number:grouping=\"true\"/>"
            "</number:number-style>"
            "<number:number-style style:name=\"N1\"><number:text>(</number:text><number:number "
            "number:decimal-places=\"2\" number:min-integer-digits=\"1\" number:grouping=\"true\"/>"
            "<number:text>)</number:text><style:map style:condition=\"value()&gt;=0\" style:apply-style-name=\"N1P0\"/>"
            "</number:number-style>");
}

TEST(OdsDataStyleTest, NumbersKeepTheirDigitsAndText) {
  EXPECT_EQ(DataStyle(dskCurrency, u"$#,###,##0.00"),
            "<number:currency-style style:name=\"N1\"><number:text>$</number:text><number:number "
            "number:decimal-places=\"2\" number:min-integer-digits=\"1\" number:grouping=\"true\"/>"
            "</number:currency-style>");
  // Optional decimals are shown always; a quoted literal with a quote in it.
  EXPECT_EQ(DataStyle(dskNumber, u"0.0#\" \"\\\"\"x\""),
            "<number:number-style style:name=\"N1\"><number:number number:decimal-places=\"2\" "
            "number:min-integer-digits=\"1\"/><number:text> &quot;x</number:text></number:number-style>");
  // No scientific number in a currency style.
  EXPECT_EQ(DataStyle(dskCurrency, u"0.00E+00"),
            "<number:number-style style:name=\"N1\"><number:scientific-number number:decimal-places=\"2\" "
            "number:min-integer-digits=\"1\" number:min-exponent-digits=\"2\"/></number:number-style>");
}

TEST(OdsDataStyleTest, DatesAndTimesTellMonthsFromMinutes) {
  EXPECT_EQ(DataStyle(dskTime, u"hh\":\"mm\":\"ss.000 AM/PM"),
            "<number:time-style style:name=\"N1\"><number:hours number:style=\"long\"/><number:text>:</number:text>"
            "<number:minutes number:style=\"long\"/><number:text>:</number:text><number:seconds "
            "number:style=\"long\" number:decimal-places=\"3\"/><number:text> </number:text><number:am-pm/>"
            "</number:time-style>");
  EXPECT_EQ(DataStyle(dskDate, u"dddd d mmmm yy h:mm"),
            "<number:date-style style:name=\"N1\"><number:day-of-week number:style=\"long\"/><number:text> "
            "</number:text><number:day/><number:text> </number:text><number:month number:style=\"long\" "
            "number:textual=\"true\"/><number:text> </number:text><number:year/><number:text> </number:text>"
            "<number:hours/><number:text>:</number:text><number:minutes number:style=\"long\"/></number:date-style>");
  // Minutes before seconds; a time column's pattern with a date is a date style.
  EXPECT_EQ(DataStyle(dskTime, u"m:ss"),
            "<number:time-style style:name=\"N1\"><number:minutes/><number:text>:</number:text><number:seconds "
            "number:style=\"long\"/></number:time-style>");
  EXPECT_EQ(DataStyle(dskTime, u"mmm yyyy"),
            "<number:date-style style:name=\"N1\"><number:month number:textual=\"true\"/><number:text> "
            "</number:text><number:year number:style=\"long\"/></number:date-style>");
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
  // Typed columns' cells show their values with the data style of their
  // column (N1 for the numbers, N2 for the money, N3 for the dates): one
  // cell style per strip style and data style.
  EXPECT_EQ(std::vector<std::string>(styles.begin() + 5, styles.begin() + 9),
            (std::vector<std::string>{"ce1", "StripStyle2", "ce8", "ce3"}));
  ExpectDeclared(content, styles);

  ods_.ODSOptions.StripStyle = ssRow;
  ods_.ODSOptions.StripStylesList.resize(2);
  ods_.Execute();
  content = Content(ods_);
  styles = AttributeValues(content, "table:table-cell", "table:style-name");
  EXPECT_EQ(styles[5], "ce1");
  EXPECT_EQ(styles[9], "ce4");
  EXPECT_EQ(styles[13], "ce1");
  ExpectDeclared(content, styles);

  // A strip type without strip styles is the data style.
  ods_.ODSOptions.StripStylesList.clear();
  ods_.Execute();
  content = Content(ods_);
  styles = AttributeValues(content, "table:table-cell", "table:style-name");
  EXPECT_EQ(std::vector<std::string>(styles.begin() + 5, styles.begin() + 9),
            (std::vector<std::string>{"ce1", "DataStyle", "ce2", "ce3"}));
  EXPECT_EQ(content.find("StripStyle"), std::string::npos);
  ExpectDeclared(content, styles);
}

// A value whose text a handler changed is that text; unchanged texts of
// the same run keep their values.
TEST_F(OdfExportTest, TextsAHandlerChangedAreWrittenAsTexts) {
  AddRows(2);
  ods_.OnGetExportText = [](TTessel& sender, int column, WideString& text) {
    if (column == 2 && sender.RecordCounter() == 1) text = u"?";
  };
  ods_.Execute();
  const std::string content = Content(ods_);
  EXPECT_NE(content.find("office:value-type=\"currency\" office:value=\"1.5\" >"), std::string::npos);
  EXPECT_NE(content.find("office:value-type=\"string\" ><text:p>?</text:p>"), std::string::npos);
  EXPECT_EQ(content.find("office:value=\"3\""), std::string::npos);
  EXPECT_NE(content.find("office:value-type=\"float\" office:value=\"2\" >"), std::string::npos);
}

// The data styles follow the columns' patterns, the columns are as wide as
// their captions and values (or, without the width pass, their fields).
TEST_F(OdfExportTest, TypedColumnsShowTheirPatternsAndColumnsFitTheirTexts) {
  AddRows(3);
  TFixedTextMeasurer measurer(7);
  ods_.TextMeasurer = &measurer;
  ods_.Formats().SetCurrencyFormat(u"#,##0.00 TL");
  ods_.Formats().SetDateFormat(u"dd/mm/yyyy");
  ods_.Formats().DateSeparator = u'.';
  ods_.Execute();
  const std::string content = Content(ods_);
  EXPECT_NE(content.find("<number:number-style style:name=\"N1\"><number:number number:decimal-places=\"0\" "
                         "number:min-integer-digits=\"1\" number:grouping=\"true\"/></number:number-style>"),
            std::string::npos);
  EXPECT_NE(content.find("<number:currency-style style:name=\"N2\"><number:number number:decimal-places=\"2\" "
                         "number:min-integer-digits=\"1\" number:grouping=\"true\"/><number:text> TL</number:text>"
                         "</number:currency-style>"),
            std::string::npos);
  EXPECT_NE(content.find("<number:date-style style:name=\"N3\"><number:day number:style=\"long\"/><number:text>."
                         "</number:text><number:month number:style=\"long\"/><number:text>.</number:text>"
                         "<number:year number:style=\"long\"/></number:date-style>"),
            std::string::npos);
  EXPECT_NE(content.find("style:name=\"ce2\" style:family=\"table-cell\" style:parent-style-name=\"Default\" "
                         "style:data-style-name=\"N2\" >"),
            std::string::npos);
  // Digits of 7 pixels and one "I" beside: "1" (caption "N"), "ad 1",
  // "1,50 TL" (caption "Tutar"), "01.01.2024".
  const std::vector<std::string> widths = AttributeValues(content, "style:table-column-properties", "style:column-width");
  EXPECT_EQ(widths, (std::vector<std::string>{"0.370cm", "0.926cm", "1.482cm", "2.037cm"}));
  EXPECT_EQ(AttributeValues(content, "table:table-column", "table:style-name"),
            (std::vector<std::string>{"co1", "co2", "co3", "co4"}));
  ods_.AutoCalcColWidth = false;
  ods_.Execute();
  EXPECT_EQ(AttributeValues(Content(ods_), "style:table-column-properties", "style:column-width")[1], "3.889cm");
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
