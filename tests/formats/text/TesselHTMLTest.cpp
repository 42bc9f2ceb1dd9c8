#include "core/HexText.h"
#include "formats/text/TesselHTML.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "engine/TesselIniFile.h"
#include "engine/TesselStream.h"
#include "core/Exception.h"
#include "formats/text/TesselHTMLSettings.h"
#include "formats/text/TesselHTMLStyle.h"
#include "formats/text/TesselHTMLText.h"
#include "platform/codepage/CodePage.h"
#include "platform/data/MemDataSet.h"
#include "support/TestPaths.h"

namespace verimo {
namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream content;
  content << in.rdbuf();
  return content.str();
}

// The text of UTF-16LE bytes after their byte-order mark.
std::string Utf16ToUtf8(const std::string& bytes) {
  WideString text;
  for (size_t i = 2; i + 1 < bytes.size(); i += 2)
    text += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8);
  return WideToUtf8(text);
}

size_t Count(const std::string& text, const std::string& what) {
  size_t count = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size())) ++count;
  return count;
}

// ---- text rules ----

TEST(HtmlTextTest, SpacesAlwaysBecomeEntitiesAndTagsOnlyWhenInterpreted) {
  EXPECT_EQ(html::Escape(u"a  b", true), u"a&#160;&#160;b");
  EXPECT_EQ(html::Escape(u"a  b", false), u"a&#160;&#160;b");
  EXPECT_EQ(html::Escape(u"<b>&\"x\"", true), u"&lt;b&gt;&amp;&quot;x&quot;");
  EXPECT_EQ(html::Escape(u"<b>&\"x\"", false), u"<b>&\"x\"");
  EXPECT_EQ(html::Escape(u"1\r\n2\n3\r4", true), u"1<br>2<br>3<br>4");
  EXPECT_EQ(html::Escape(u"1\r\n2", false), u"1\r\n2");
  EXPECT_EQ(html::Escape(u"&amp;", true), u"&amp;amp;");
  EXPECT_EQ(html::Escape(u"\U0001F600ş", true), u"\U0001F600ş");
  EXPECT_EQ(html::EscapeMarkup(u"a <b> & \"c\" d"), u"a &lt;b&gt; &amp; &quot;c&quot; d");
}

TEST(HtmlTextTest, LinksArePercentEncodedAndPagesNumberedWithTwoDigits) {
  EXPECT_EQ(PercentEncode("my out01.html", "/"), u"my%20out01.html");
  EXPECT_EQ(PercentEncode("Şube#1?&.html", "/"), u"%C5%9Eube%231%3F%26.html");
  EXPECT_EQ(PercentEncode("../a/b.css", "/"), u"../a/b.css");
  EXPECT_EQ(html::PageFileName("/d/out.html", 1), fs::path("/d/out01.html"));
  EXPECT_EQ(html::PageFileName("/d/out.html", 100), fs::path("/d/out100.html"));
  EXPECT_EQ(html::PageFileName("list.tar.htm", 12), fs::path("list.tar12.htm"));
  EXPECT_EQ(html::PageFileName("noext", 3), fs::path("noext03"));
  EXPECT_EQ(html::TwoDigits(7), u"07");
  EXPECT_EQ(html::TwoDigits(123), u"123");
}

TEST(HtmlTextTest, ColoursAreWrittenRedFirstAndNamedInSettings) {
  EXPECT_EQ(html::ColorCode(0x0000FF), u"#FF0000");
  EXPECT_EQ(html::ColorCode(0x993333), u"#333399");
  EXPECT_EQ(html::ColorCode(0xFF123456), u"#563412");
  EXPECT_EQ(html::ColorToText(0x0000FF), u"clRed");
  EXPECT_EQ(html::ColorToText(0x993333), u"$00993333");
  for (TColor color : {TColor{0}, TColor{0x0000FF}, TColor{0x993333}, TColor{0x1FFFFFFF}, TColor{0xFF000005}}) {
    TColor read = 1;
    ASSERT_TRUE(html::TextToColor(html::ColorToText(color), read));
    EXPECT_EQ(read, color);
  }
  TColor color = 7;
  EXPECT_TRUE(html::TextToColor(u"clwhite", color));
  EXPECT_EQ(color, clWhite);
  EXPECT_TRUE(html::TextToColor(u"255", color));
  EXPECT_EQ(color, 255u);
  EXPECT_FALSE(html::TextToColor(u"$12x", color));
  EXPECT_FALSE(html::TextToColor(u"red", color));
  EXPECT_EQ(color, 255u);
  EXPECT_EQ(html::SplitLines(html::JoinLines({u"a=1", u"", u"b"})), (TStringList{u"a=1", u"", u"b"}));
  EXPECT_TRUE(html::SplitLines(u"").IsEmpty());
}

TEST(HtmlTemplateTest, NewExporterCarriesTheClassicColoursAndTemplatesReplaceThem) {
  TTesselHTML exporter;
  EXPECT_EQ(exporter.HTMLTemplate(), htClassic);
  EXPECT_EQ(exporter.HTMLOptions.BackgroundColor, 0x993333u);
  EXPECT_EQ(exporter.TableOptions.OddRowBgColor, 0xCE6B00u);
  EXPECT_EQ(exporter.HTMLOptions.TextFont.Color, clWhite);
  exporter.SetHTMLTemplate(htMurky);
  EXPECT_EQ(exporter.HTMLOptions.LinkColor, 0x60E7FFu);
  EXPECT_EQ(exporter.TableOptions.TableFontColor, 0x60E7FFu);
  EXPECT_EQ(exporter.TableOptions.OddRowBgColor, 0x007836u);
  exporter.HTMLOptions.BackgroundColor = 1;
  exporter.SetHTMLTemplate(htCustom);
  EXPECT_EQ(exporter.HTMLOptions.BackgroundColor, 1u);
  exporter.SetHTMLTemplate(htCustom);  // the same value again changes nothing either
  EXPECT_EQ(exporter.HTMLOptions.BackgroundColor, 1u);
}

TEST(HtmlTemplateTest, TemplateFilesCarryTheColoursAndKeepWhatIsMissing) {
  fs::path dir = test::MakeTempDir("verimo-html-template");
  TTesselHTML saved;
  saved.SetHTMLTemplate(htOlive);
  saved.TableOptions.BorderColor = 0x123456;
  saved.HTMLOptions.TextFont.Name = u"Liberation Serif";
  saved.SaveTemplateToFile(dir / "olive.ini");
  TTesselHTML loaded;
  loaded.LoadTemplateFromFile(dir / "olive.ini");
  EXPECT_EQ(loaded.HTMLOptions.TextFont.Color, 0x5F605Fu);
  EXPECT_EQ(loaded.HTMLOptions.TextFont.Name, u"Liberation Serif");
  EXPECT_EQ(loaded.TableOptions.HeadersRowBgColor, 0x90C8CFu);
  EXPECT_EQ(loaded.TableOptions.TableBgColor, 0xFFFFFFu);
  EXPECT_EQ(loaded.TableOptions.BorderColor, 0x123456u);
  TTesselHTML partial;
  {
    TTesselIniFile ini(dir / "partial.ini");
    ini.WriteInteger(u"Table options", u"Odd_row-bgcolor", 42);
  }
  partial.LoadTemplateFromFile(dir / "partial.ini");
  EXPECT_EQ(partial.TableOptions.OddRowBgColor, 42u);
  EXPECT_EQ(partial.HTMLOptions.BackgroundColor, 0x993333u);
  fs::remove_all(dir);
}

TEST(HtmlStyleTest, StyleSheetLeavesOutWhatTheBrowserDecides) {
  THTMLOptions page;
  TTableOptions table;
  TStringList lines = html::StyleSheetLines(page, table, true, false);
  EXPECT_EQ(lines[0], u"  BODY { background: #333399; color: #FFFFFF;");
  EXPECT_EQ(lines[1], u"         font-family: Arial;");
  EXPECT_EQ(lines.IndexOf(u"  .TrOdd  {"), lines.Count() - 5);
  EXPECT_EQ(lines.IndexOf(u"  .TrBC { background-color: #FFFFFF }"), -1);
  page.DefaultOptions.FontName = true;
  page.DefaultOptions.FontSize = false;
  page.TextFont.SetSize(12);
  lines = html::StyleSheetLines(page, table, false, true);
  EXPECT_EQ(lines[1], u"         font-size: 12pt;");
  EXPECT_EQ(lines.IndexOf(u"  .ThRows { "), -1);
  EXPECT_EQ(lines[lines.Count() - 1], u"  .TrBC { background-color: #FFFFFF }");
}

// ---- page layout ----

class HtmlLayoutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    data_.AddFieldDef(u"Id", ftInteger);
    data_.AddFieldDef(u"Ad", ftString, 20);
    data_.AddFieldDef(u"Onay", ftBoolean);
    data_.AppendRecord({Variant::FromInt(1), Variant::FromText(u"a  <b>"), Variant::FromBool(true)});
    data_.AppendRecord({Variant::FromInt(2), Variant::FromText(u""), Variant::FromBool(false)});
    data_.AppendRecord({Variant::FromInt(3), Variant::FromText(u"Şule & \"Ali\""), Variant::Null()});
    data_.AppendRecord({Variant::FromInt(4), Variant::FromText(u"d"), Variant::FromBool(true)});
    data_.AppendRecord({Variant::FromInt(5), Variant::FromText(u"e"), Variant::FromBool(false)});
    data_.Open();
    exporter_.DataSet = &data_;
    exporter_.ShellLauncher = nullptr;
    exporter_.Formats().SetBooleanTrue(u"Evet");
    exporter_.Formats().SetBooleanFalse(u"Hayır");
    exporter_.Formats().SetNullString(u"");
  }
  std::string Export() {
    TMemoryStream stream;
    exporter_.ExportToStream(stream);
    return std::string(stream.View());
  }

  TMemDataSet data_;
  TTesselHTML exporter_;
};

TEST_F(HtmlLayoutTest, RowsAlternateFromTrOddAndEmptyValuesAreNonBreakingSpaces) {
  std::string page = Export();
  EXPECT_EQ(page.rfind("<HTML>\r\n<HEAD>\r\n<META http-equiv=\"content-type\" content=\"text/html; charset=UTF-8\">\r\n", 0), 0u);
  EXPECT_NE(page.find("<Table Border=\"1\" Cellpadding=\"4\" Cellspacing=\"1\">\r\n  <tr>\r\n"
                      "    <td class=\"ThRows\">Id</td>\r\n"),
            std::string::npos);
  EXPECT_NE(page.find("  <tr>\r\n    <td class=\"TrOdd\" align=Right>1</td>\r\n"
                      "    <td class=\"TrOdd\" align=Left>a&#160;&#160;&lt;b&gt;</td>\r\n"),
            std::string::npos);
  EXPECT_NE(page.find("    <td class=\"TrRows\" align=Left>&nbsp;</td>\r\n"), std::string::npos);
  EXPECT_NE(page.find("Şule&#160;&amp;&#160;&quot;Ali&quot;"), std::string::npos);
  EXPECT_EQ(page.substr(page.size() - 28), "</Table>\r\n</BODY>\r\n</HTML>\r\n");
}

TEST_F(HtmlLayoutTest, CheckBoxesOnlyForTheBooleanTextsAndTagsLeftAloneWhenAsked) {
  exporter_.BoolAsCheckBox = true;
  exporter_.InterpretTags = false;
  data_.AppendRecord({Variant::FromInt(6), Variant::FromText(u"x"), Variant::FromBool(true)});
  std::string page = Export();
  EXPECT_NE(page.find("<Form>\r\n  <tr>"), std::string::npos);
  EXPECT_NE(page.find("align=Center><Input type=\"checkbox\" checked=\"\"/></td>"), std::string::npos);
  EXPECT_NE(page.find("align=Center><Input type=\"checkbox\"/></td>"), std::string::npos);
  EXPECT_NE(page.find("align=Left>a&#160;&#160;<b></td>"), std::string::npos);
  EXPECT_NE(page.find("</Form>\r\n</Table>"), std::string::npos);
  // A Boolean text that is neither Boolean text stays as it is.
  exporter_.OnGetExportText = [](TTessel&, int colNo, WideString& text) {
    if (colNo == 2) text = u"belki";
  };
  page = Export();
  EXPECT_NE(page.find("align=Center>belki</td>"), std::string::npos);
  EXPECT_EQ(page.find("checkbox"), std::string::npos);
}

TEST_F(HtmlLayoutTest, EmptySourceGivesHeadHeaderCaptionRowAndFooter) {
  TMemDataSet empty;
  empty.AddFieldDef(u"Id", ftInteger);
  empty.Open();
  exporter_.DataSet = &empty;
  exporter_.Title = u"A & <B>";
  exporter_.Header = {u"Üst <bilgi>"};
  exporter_.Footer = {u"Alt"};
  std::string page = Export();
  EXPECT_NE(page.find(" <Title>A &amp; &lt;B&gt;</Title>\r\n"), std::string::npos);
  // The table holds the caption row, as every other type has it.
  EXPECT_NE(page.find("<BODY>\r\nÜst&#160;&lt;bilgi&gt;<br>\r\n<Table Border=\"1\" Cellpadding=\"4\" Cellspacing=\"1\">\r\n"
                      "  <tr>\r\n    <td class=\"ThRows\">Id</td>\r\n  </tr>\r\n</Table>\r\nAlt<br>\r\n</BODY>\r\n</HTML>\r\n"),
            std::string::npos)
      << page;
  // Without captions there is nothing to put in a table.
  exporter_.AllowCaptions = false;
  EXPECT_EQ(Export().find("<Table"), std::string::npos);
}

TEST_F(HtmlLayoutTest, RejectedFirstRowStillOpensThePageAndTheTableOnce) {
  exporter_.OnBeforeExportRow = [](TTessel& sender, TTesselRow&, bool& accept) { accept = sender.RecordCounter() != 0; };
  exporter_.TableOptions.BorderColor = 0x808080;
  std::string page = Export();
  EXPECT_EQ(Count(page, "<HTML>"), 1u);
  EXPECT_EQ(Count(page, "<Table"), 2u);
  EXPECT_EQ(Count(page, "</Table>"), 2u);
  EXPECT_EQ(Count(page, "</td></tr>\r\n</Table>"), 1u);
  EXPECT_EQ(page.find(">1</td>"), std::string::npos);
  // The first written row is the odd one.
  EXPECT_NE(page.find("<td class=\"TrOdd\" align=Right>2</td>"), std::string::npos);
  // Every row rejected: a page whose table has the captions only.
  exporter_.OnBeforeExportRow = [](TTessel&, TTesselRow&, bool& accept) { accept = false; };
  page = Export();
  EXPECT_EQ(Count(page, "<HTML>"), 1u);
  EXPECT_EQ(Count(page, "</HTML>"), 1u);
  EXPECT_EQ(Count(page, "class=\"ThRows\""), 3u);
  EXPECT_EQ(page.find("TrOdd\" align"), std::string::npos);
}

TEST_F(HtmlLayoutTest, CellEventStylesOnlyWhatDiffersFromTheRow) {
  exporter_.OnGetCellParams = [](TTessel&, int recNo, int colNo, const WideString&, TTesselColAlign& align,
                                 TTesselFont& font, TColor& background) {
    if (colNo == 0 && recNo == 0) background = 0xCE6B00;  // the odd rows' own colour
    if (colNo == 1 && recNo == 1) {
      font.Bold = true;
      font.Color = 0x0000FF;
      align = ecaRight;
    }
    if (colNo == 0 && recNo == 2) background = 0x00FF00;
  };
  std::string page = Export();
  EXPECT_NE(page.find("<td class=\"TrOdd\" align=Right>1</td>"), std::string::npos);
  EXPECT_NE(page.find("<td class=\"TrRows\" align=Right style=\"color: #FF0000; font-weight: bold\">&nbsp;</td>"),
            std::string::npos);
  EXPECT_NE(page.find("<td class=\"TrOdd\" align=Right style=\"background-color: #00FF00\">3</td>"), std::string::npos);
}

TEST_F(HtmlLayoutTest, Utf16PagesStartWithAByteOrderMarkAndNameTheirCharset) {
  exporter_.SetOutputEncoding(oeUTF16);
  std::string bytes = Export();
  ASSERT_GE(bytes.size(), 2u);
  EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
  std::string text = Utf16ToUtf8(bytes);
  EXPECT_NE(text.find("charset=UTF-16\">"), std::string::npos);
  EXPECT_NE(text.find("Şule"), std::string::npos);
  exporter_.SetOutputEncoding(oeAnsi);
  EXPECT_EQ(Export().find("charset"), std::string::npos);
}

TEST(HtmlTextTest, CodePagePagesKeepWhatTheCodePageCannotHoldAsReferences) {
  SetSystemCodePage(TSystemCodePage::Ansi, 1252);
  std::string bytes;
  html::EncodePageText(u"Şule? ü \U0001F600", oeAnsi, bytes);
  EXPECT_EQ(bytes, "&#350;ule? \xFC &#128512;");
  bytes.clear();
  html::EncodePageText(u"plain? ü", oeAnsi, bytes);
  EXPECT_EQ(bytes, "plain? \xFC");
  SetSystemCodePage(TSystemCodePage::Ansi, 1254);
  bytes.clear();
  html::EncodePageText(u"Şule", oeAnsi, bytes);
  EXPECT_EQ(bytes, "\xDEule");
  SetSystemCodePage(TSystemCodePage::Ansi, 0);
}

// ---- page files ----

class HtmlPagesTest : public HtmlLayoutTest {
 protected:
  void SetUp() override {
    HtmlLayoutTest::SetUp();
    dir_ = test::MakeTempDir("verimo-html-pages");
    exporter_.FileName = (dir_ / "liste.html").string();
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::vector<std::string> Files() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  fs::path dir_;
};

TEST_F(HtmlPagesTest, FiveRowsOnPagesOfTwoGiveThreeNumberedFilesAndAnEmptyTarget) {
  exporter_.SetMaxRecords(2);
  exporter_.Execute();
  EXPECT_EQ(Files(), (std::vector<std::string>{"liste.html", "liste01.html", "liste02.html", "liste03.html"}));
  EXPECT_EQ(fs::file_size(dir_ / "liste.html"), 0u);
  for (const char* name : {"liste01.html", "liste02.html", "liste03.html"}) {
    std::string page = ReadFile(dir_ / name);
    EXPECT_EQ(Count(page, "<HTML>"), 1u) << name;
    EXPECT_EQ(Count(page, "ThRows\">Id<"), 1u) << name;
    // Every page starts its rows with the odd class; the bars sit inside the body.
    const size_t odd = page.find("class=\"TrOdd\""), even = page.find("class=\"TrRows\"");
    EXPECT_LT(odd, even == std::string::npos ? page.size() : even) << name;
    EXPECT_EQ(Count(page, "<Table Border=\"0\""), 2u) << name;
    EXPECT_LT(page.find("<BODY>"), page.find("<Table Border=\"0\""));
  }
  std::string last = ReadFile(dir_ / "liste03.html");
  EXPECT_NE(last.find("<td><a href=\"liste02.html\">Prior</a></td>"), std::string::npos);
  EXPECT_NE(last.find("<td><a href=\"liste01.html\">Next</a></td>"), std::string::npos);
  EXPECT_NE(last.find("<td><b>03</b></td>"), std::string::npos);
  EXPECT_EQ(last.find("Index"), std::string::npos);
  EXPECT_EQ(exporter_.GetShowedFileName(), (dir_ / "liste01.html").string());
}

TEST_F(HtmlPagesTest, PagesSplitAfterWrittenRowsAndOnePageHasNoBar) {
  exporter_.SetMaxRecords(2);
  // Rows 2 and 3 rejected: three written rows make two pages.
  exporter_.OnBeforeExportRow = [](TTessel& sender, TTesselRow&, bool& accept) {
    accept = sender.RecordCounter() != 1 && sender.RecordCounter() != 2;
  };
  exporter_.Execute();
  EXPECT_EQ(Files(), (std::vector<std::string>{"liste.html", "liste01.html", "liste02.html"}));
  EXPECT_NE(ReadFile(dir_ / "liste01.html").find(">4</td>"), std::string::npos);
  exporter_.SetMaxRecords(10);
  exporter_.Execute();
  EXPECT_EQ(ReadFile(dir_ / "liste01.html").find("<Table Border=\"0\""), std::string::npos);
}

TEST_F(HtmlPagesTest, IndexAndBarsInUtf16PagesAreWrittenInThePagesEncoding) {
  exporter_.FileName = (dir_ / "Şube listesi.html").string();
  exporter_.SetOutputEncoding(oeUTF16);
  exporter_.SetMaxRecords(2);
  exporter_.GenerateIndex = true;
  exporter_.Navigation.IndexLinkTemplate = u"Sayfa ";
  exporter_.Navigation.NextLinkTitle = u"Sonraki >";
  exporter_.UsingCSS = usExternal;
  exporter_.Execute();
  EXPECT_EQ(Files(), (std::vector<std::string>{"Şube listesi.html", "Şube listesi01.css", "Şube listesi01.html",
                                               "Şube listesi02.html", "Şube listesi03.html"}));
  std::string index = Utf16ToUtf8(ReadFile(dir_ / "Şube listesi.html"));
  EXPECT_NE(index.find("<LI>\r\n<a href=\"%C5%9Eube%20listesi02.html\">Sayfa 02</a>\r\n"), std::string::npos);
  EXPECT_NE(index.find("href=\"%C5%9Eube%20listesi01.css\">"), std::string::npos);
  std::string bytes = ReadFile(dir_ / "Şube listesi02.html");
  EXPECT_EQ(bytes.size() % 2, 0u);
  std::string page = Utf16ToUtf8(bytes);
  EXPECT_NE(page.find("<BODY>\r\n<Table Border=\"0\" Cellpadding=\"4\" Cellspacing=\"1\">\r\n  <tr>\r\n"
                      "    <td><a href=\"%C5%9Eube%20listesi.html\">Index</a></td>\r\n"),
            std::string::npos);
  EXPECT_NE(page.find("Sonraki &gt;</a>"), std::string::npos);
  EXPECT_NE(page.find("</Table>\r\n<br>\r\n<Table Border=\"0\""), std::string::npos);
  EXPECT_EQ(page.substr(page.size() - 37), "  </tr>\r\n</Table>\r\n</BODY>\r\n</HTML>\r\n");
  std::string css = ReadFile(dir_ / "Şube listesi01.css");
  EXPECT_EQ(css.substr(0, 2), "\xFF\xFE");
  EXPECT_NE(Utf16ToUtf8(css).find(".TrOdd"), std::string::npos);
  EXPECT_EQ(exporter_.GetShowedFileName(), exporter_.FileName);
}

TEST_F(HtmlPagesTest, AnExistingStyleSheetIsKeptUnlessOverwritten) {
  exporter_.UsingCSS = usExternal;
  exporter_.CSSFileName = "stil.css";
  std::ofstream(dir_ / "stil.css") << "mine";
  exporter_.OverwriteCSSFile = false;
  exporter_.Execute();
  EXPECT_EQ(ReadFile(dir_ / "stil.css"), "mine");
  EXPECT_NE(ReadFile(dir_ / "liste.html").find("<link rel=\"stylesheet\" type=\"text/css\" href=\"stil.css\">"),
            std::string::npos);
  exporter_.OverwriteCSSFile = true;
  exporter_.Execute();
  EXPECT_NE(ReadFile(dir_ / "stil.css").find("BODY"), std::string::npos);
}

TEST_F(HtmlPagesTest, APageThatCannotBeCreatedFailsTheRun) {
  exporter_.SetMaxRecords(2);
  fs::create_directory(dir_ / "liste02.html");
  EXPECT_THROW(exporter_.Execute(), Exception);
}

// ---- settings ----

TEST(HtmlSettingsTest, EveryOptionLoadsBackEqual) {
  fs::path dir = test::MakeTempDir("verimo-html-settings");
  TTesselHTML saved;
  saved.Title = u"Başlık";
  saved.UsingCSS = usExternal;
  saved.CSSFileName = "a b.css";
  saved.OverwriteCSSFile = false;
  saved.SetMaxRecords(25);
  saved.GenerateIndex = true;
  saved.Navigation = {u"Sayfa ", false, true, u"Dizin", u"İlk", u"Önceki", u"Sonraki", u"Son"};
  saved.HTMLOptions.TextFont.Name = u"DejaVu Sans";
  saved.HTMLOptions.TextFont.SetSize(14);
  saved.HTMLOptions.TextFont.Color = 0x010203;
  saved.HTMLOptions.BackgroundFileName = u"arka.png";
  saved.HTMLOptions.AdvancedAttributes = {u"a=1", u"b=2"};
  saved.HTMLOptions.DefaultOptions = {true, false};
  saved.HTMLOptions.LinkColor = 0x0000FF;
  saved.TableOptions = {3, 5, 7, {u"x"}, 1, 2, 3, 4, 5, 6, u"tablo.png"};
  saved.BoolAsCheckBox = true;
  saved.ColumnsAlign = {u"Id=Right"};
  settings::SaveToFile(saved, dir / "s.ini");
  TTesselHTML loaded;
  settings::LoadFromFile(loaded, dir / "s.ini");
  EXPECT_EQ(loaded.Title, saved.Title);
  EXPECT_EQ(loaded.UsingCSS, usExternal);
  EXPECT_EQ(loaded.CSSFileName, saved.CSSFileName);
  EXPECT_FALSE(loaded.OverwriteCSSFile);
  EXPECT_EQ(loaded.MaxRecords(), 25);
  EXPECT_TRUE(loaded.GenerateIndex);
  EXPECT_EQ(loaded.Navigation, saved.Navigation);
  EXPECT_EQ(loaded.HTMLOptions.TextFont.Name, u"DejaVu Sans");
  EXPECT_EQ(loaded.HTMLOptions.TextFont.Size(), 14);
  EXPECT_EQ(loaded.HTMLOptions.TextFont.Color, 0x010203u);
  EXPECT_EQ(loaded.HTMLOptions.BackgroundFileName, u"arka.png");
  EXPECT_EQ(loaded.HTMLOptions.AdvancedAttributes, saved.HTMLOptions.AdvancedAttributes);
  EXPECT_EQ(loaded.HTMLOptions.DefaultOptions, saved.HTMLOptions.DefaultOptions);
  EXPECT_EQ(loaded.HTMLOptions.LinkColor, 0x0000FFu);
  EXPECT_EQ(loaded.TableOptions, saved.TableOptions);
  EXPECT_TRUE(loaded.BoolAsCheckBox);
  EXPECT_EQ(loaded.ColumnsAlign, saved.ColumnsAlign);
  TTesselIniFile ini(dir / "s.ini");
  EXPECT_EQ(ini.ReadString(u"HTML", u"LinkColor", u""), u"clRed");
  fs::remove_all(dir);
}

}  // namespace
}  // namespace verimo
