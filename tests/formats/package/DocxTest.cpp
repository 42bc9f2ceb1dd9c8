#include "formats/package/docx/TesselDocx.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <numeric>
#include <random>
#include <regex>

#include "core/Exception.h"
#include "engine/TesselIniFile.h"
#include "formats/package/PackageTestSupport.h"
#include "platform/data/MemDataSet.h"
#include "support/FileSizeLimit.h"
#include "support/TestPaths.h"

namespace verimo {
namespace {

namespace fs = std::filesystem;

class DocxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = test::MakeTempDir("verimo-docx");
    fs::create_directories(dir_ / "tmp");
    data_.AddFieldDef(u"Ad", ftString, 20);
    data_.AddFieldDef(u"Not", ftMemo);
    exporter_.DataSet = &data_;
    exporter_.ExportedFields = {u"Ad", u"Not"};
    exporter_.ShellLauncher = nullptr;
    exporter_.FileName = (dir_ / "doc.docx").string();
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Document() const { return test::ZipPart(exporter_.FileName, "word/document.xml"); }

  fs::path dir_;
  TMemDataSet data_;
  TTesselDocx exporter_;
};

TEST_F(DocxTest, PackageHoldsTheNineParts) {
  data_.AppendRecord({Variant::FromText(u"a"), Variant::FromText(u"b")});
  data_.Open();
  exporter_.Execute();
  // The document, compressed while it was written, keeps its place among the staged parts.
  EXPECT_EQ(test::ZipEntries(exporter_.FileName),
            (std::vector<std::string>{"docProps/app.xml", "docProps/core.xml", "word/document.xml",
                                      "word/fontTable.xml", "word/settings.xml", "word/webSettings.xml",
                                      "word/_rels/document.xml.rels", "[Content_Types].xml", "_rels/.rels"}));
  EXPECT_EQ(test::RunCommand("unzip -tq " + test::ShellQuote(exporter_.FileName) + " >/dev/null"), 0);
  const std::string document = Document();
  // Two columns as wide as their texts, laid out at those widths.
  EXPECT_TRUE(std::regex_search(document, std::regex("<w:tblGrid><w:gridCol w:w=\"\\d+\" /><w:gridCol w:w=\"\\d+\" />"
                                                     "</w:tblGrid>")));
  EXPECT_NE(document.find("<w:tblLayout w:type=\"fixed\" />"), std::string::npos);
  // A plain Calibri 11 run carries only its language.
  EXPECT_NE(document.find("<w:rPr><w:lang w:val=\"en-US\" /></w:rPr><w:t>a</w:t>"), std::string::npos);
  EXPECT_NE(document.find("<w:pgSz w:w=\"11906\" w:h=\"16838\" />"), std::string::npos);
}

TEST_F(DocxTest, RunPropertiesFollowTheSchemaOrder) {
  data_.AppendRecord({Variant::FromText(u"x"), Variant::FromText(u"y")});
  data_.Open();
  TDocxCellStyle& style = exporter_.DocxOptions.DataStyle;
  style.Font = {u"Arial & Co", 12, 0x0000FF, true, true, true, true, 1};
  style.UseHighlight = true;
  style.HighlightColor = hcDarkYellow;
  style.UseBackground = true;
  style.BackgroundColor = 0x00FF00;
  style.Alignment = caJustify;
  exporter_.DocxOptions.UseBorder = true;
  exporter_.DocxOptions.Border = {dbsDotDash, 0x112233};
  exporter_.DocxOptions.PageOrientation = poLandscape;
  exporter_.Execute();
  const std::string document = Document();
  EXPECT_NE(document.find("<w:rPr><w:rFonts w:ascii=\"Arial &amp; Co\" w:hAnsi=\"Arial &amp; Co\" "
                          "w:cs=\"Arial &amp; Co\" /><w:b/><w:i/><w:strike/><w:color w:val=\"FF0000\" />"
                          "<w:sz w:val=\"24\" /><w:szCs w:val=\"24\" /><w:highlight w:val=\"darkYellow\" />"
                          "<w:u w:val=\"single\" /><w:lang w:val=\"en-US\" /></w:rPr>"),
            std::string::npos)
      << document;
  EXPECT_NE(document.find("<w:top w:val=\"dotDash\" w:sz=\"4\" w:space=\"0\" w:color=\"332211\" />"),
            std::string::npos);
  EXPECT_NE(document.find("<w:shd w:val=\"clear\" w:color=\"auto\" w:fill=\"00FF00\" />"), std::string::npos);
  EXPECT_NE(document.find("<w:jc w:val=\"both\" />"), std::string::npos);
  EXPECT_NE(document.find("w:orient=\"landscape\""), std::string::npos);
}

TEST_F(DocxTest, HeaderLinesAreSingleCellRowsWithoutBorderAndAnEmptyTableStillHasARow) {
  data_.Open();
  exporter_.AllowCaptions = false;
  exporter_.Execute();
  std::string document = Document();
  EXPECT_NE(document.find("<w:tr "), std::string::npos) << "a table without rows is refused by readers";
  EXPECT_EQ(test::ReadPackages({{exporter_.FileName, "docx", false, {}}}, dir_), "");

  exporter_.Header = {u"başlık"};
  exporter_.DocxOptions.UseBorder = true;
  exporter_.Execute();
  document = Document();
  const size_t header = document.find("başlık");
  ASSERT_NE(header, std::string::npos);
  const size_t rowStart = document.rfind("<w:tr ", header);
  EXPECT_EQ(document.substr(rowStart, header - rowStart).find("tcBorders"), std::string::npos);
  EXPECT_EQ(document.find("<w:tc>", document.find("<w:tc>", rowStart) + 1), std::string::npos)
      << "one cell only, and no filler row after it";
}

// The widths of the grid's columns.
std::vector<int> GridWidths(const std::string& document) {
  std::vector<int> widths;
  const std::regex column("<w:gridCol w:w=\"(\\d+)\" />");
  for (auto it = std::sregex_iterator(document.begin(), document.end(), column); it != std::sregex_iterator(); ++it)
    widths.push_back(std::stoi((*it)[1]));
  return widths;
}

// A table too wide for portrait turns landscape (unless an orientation
// was chosen) and narrows its fonts; it stays within the text area, and
// header lines span it.
TEST_F(DocxTest, WideTablesTurnLandscapeNarrowTheirFontsAndStayOnThePage) {
  TMemDataSet wide;
  TStringList fields;
  for (int c = 0; c < 24; ++c) {
    wide.AddFieldDef(u"Sütun" + IntToWide(c), ftString, 40);
    fields.Add(u"Sütun" + IntToWide(c));
  }
  std::vector<Variant> values;
  for (int c = 0; c < 24; ++c) values.push_back(Variant::FromText(u"değer" + IntToWide(c) + u" ve açıklaması"));
  wide.AppendRecord(values);
  wide.Open();
  exporter_.DataSet = &wide;
  exporter_.ExportedFields = fields;
  exporter_.Header = {u"Başlık satırı"};
  exporter_.Execute();
  std::string document = Document();
  EXPECT_EQ(exporter_.RunOptions().PageOrientation, poLandscape);
  EXPECT_NE(document.find("<w:pgSz w:w=\"16838\" w:h=\"11906\" w:orient=\"landscape\" />"), std::string::npos);
  EXPECT_EQ(exporter_.RunOptions().DataStyle.Font.Size, 7);
  EXPECT_NE(document.find("<w:sz w:val=\"14\" />"), std::string::npos);
  std::vector<int> widths = GridWidths(document);
  ASSERT_EQ(widths.size(), 24u);
  EXPECT_LE(std::accumulate(widths.begin(), widths.end(), 0), 16838 - 2 * 1134);
  EXPECT_NE(document.find("<w:gridSpan w:val=\"24\" />"), std::string::npos);

  exporter_.DocxOptions.AutoOrientation = false;
  exporter_.Execute();
  document = Document();
  EXPECT_EQ(exporter_.RunOptions().PageOrientation, poPortrait);
  widths = GridWidths(document);
  EXPECT_LE(std::accumulate(widths.begin(), widths.end(), 0), 11906 - 850 - 1701);
  // The options themselves stay as they were.
  EXPECT_EQ(exporter_.DocxOptions.DataStyle.Font.Size, 11);
}

TEST_F(DocxTest, FailedRunLeavesNeitherTargetNorStagingFolder) {
  test::TemporaryDirectoryOverride tmp(dir_ / "tmp");
  for (int i = 0; i < 5; ++i) data_.AppendRecord({Variant::FromText(u"a"), Variant::FromText(u"b")});
  data_.Open();
  exporter_.OnBeforeExportRow = [](TTessel& sender, TTesselRow&, bool&) {
    if (sender.RecordCounter() == 2) throw Exception("reader failed");
  };
  EXPECT_THROW(exporter_.Execute(), Exception);
  EXPECT_FALSE(fs::exists(exporter_.FileName));
  EXPECT_TRUE(test::FolderEntries(dir_ / "tmp").empty());
}

TEST_F(DocxTest, StagingWriteThatFailsOnTheCompressingThreadsFailsTheRun) {
  test::TemporaryDirectoryOverride tmp(dir_ / "tmp");
  std::mt19937 random(5);
  for (int i = 0; i < 5000; ++i) {
    WideString text(200, u'a');
    for (char16_t& ch : text) ch = static_cast<char16_t>(u'a' + random() % 26);
    data_.AppendRecord({Variant::FromText(u"satır"), Variant::FromText(text)});
  }
  data_.Open();
  try {
    test::FileSizeLimit limit(64 * 1024);
    exporter_.Execute();
    FAIL() << "a staging file past the size limit reported success";
  } catch (const Exception& error) {
    EXPECT_NE(std::string(error.what()).find(std::strerror(EFBIG)), std::string::npos) << error.what();
  }
  EXPECT_FALSE(fs::exists(exporter_.FileName));
  EXPECT_TRUE(test::FolderEntries(dir_ / "tmp").empty());

  // Without the limit the same rows make a whole document.
  exporter_.Execute();
  EXPECT_EQ(test::RunCommand("unzip -tq " + test::ShellQuote(exporter_.FileName) + " >/dev/null"), 0);
  const std::string document = Document();
  size_t rows = 0;
  for (size_t at = document.find("<w:tr "); at != std::string::npos; at = document.find("<w:tr ", at + 1)) ++rows;
  EXPECT_EQ(rows, 5001u) << "the caption row and every record";
}

TEST_F(DocxTest, OptionsSurviveASettingsFile) {
  exporter_.DocxOptions.StripStyleType = ssRow;
  exporter_.DocxOptions.StripStylesList.resize(2);
  exporter_.DocxOptions.StripStylesList[0].Options.Font = {u"Times New Roman", 9, 0x00AA00, false, true, false, true, 1};
  exporter_.DocxOptions.StripStylesList[0].Options.UseHighlight = true;
  exporter_.DocxOptions.StripStylesList[0].Options.HighlightColor = hcLightGray;
  exporter_.DocxOptions.HeaderStyle.Alignment = caRight;
  exporter_.DocxOptions.HeaderStyle.UseBackground = true;
  exporter_.DocxOptions.HeaderStyle.BackgroundColor = 0x808080;
  exporter_.DocxOptions.UseBorder = true;
  exporter_.DocxOptions.Border = {dbsEngrave3D, 0x010203};
  exporter_.DocxOptions.PageOrientation = poLandscape;
  exporter_.DocxOptions.AutoOrientation = false;
  settings::SaveToFile(exporter_, dir_ / "d.cfg");
  TTesselDocx loaded;
  settings::LoadFromFile(loaded, dir_ / "d.cfg");
  EXPECT_EQ(loaded.DocxOptions, exporter_.DocxOptions);
}

}  // namespace
}  // namespace verimo
