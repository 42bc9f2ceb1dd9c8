#include "formats/pdf/TesselPDF.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "core/Exception.h"
#include "engine/TesselIniFile.h"
#include "platform/codepage/CodePage.h"
#include "platform/data/MemDataSet.h"
#include "platform/fonts/FontFiles.h"
#include "platform/paradox/Table.h"
#include "support/TestPaths.h"

namespace verimo {
namespace {

namespace fs = std::filesystem;

class AnsiCodePage {
 public:
  explicit AnsiCodePage(int codePage) { SetSystemCodePage(TSystemCodePage::Ansi, codePage); }
  ~AnsiCodePage() { SetSystemCodePage(TSystemCodePage::Ansi, 0); }
};

bool HavePdfTools() {
  return test::RunCommand("command -v qpdf >/dev/null && command -v pdftotext >/dev/null && "
                          "command -v pdffonts >/dev/null") == 0;
}

#define REQUIRE_PDF_TOOLS() \
  if (!HavePdfTools()) GTEST_SKIP() << "qpdf or poppler-utils not installed; skipped"

std::string Run(const std::string& command) {
  std::string output;
  test::RunCommand(command, &output);
  return output;
}

int QpdfCheck(const fs::path& file) {
  return test::RunCommand("qpdf --check " + test::ShellQuote(file.string()) + " >/dev/null 2>&1");
}

std::string PdfText(const fs::path& file) {
  return Run("pdftotext -enc UTF-8 -layout " + test::ShellQuote(file.string()) + " - 2>&1");
}

std::string PdfFonts(const fs::path& file) { return Run("pdffonts " + test::ShellQuote(file.string()) + " 2>&1"); }

int PageCount(const fs::path& file) {
  const std::string info = Run("pdfinfo " + test::ShellQuote(file.string()) + " 2>/dev/null");
  std::smatch match;
  return std::regex_search(info, match, std::regex("Pages:\\s+(\\d+)")) ? std::stoi(match[1]) : 0;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    if (line.find_first_not_of(" \f") != std::string::npos) lines.push_back(line);
  return lines;
}

// Whether some line, from `from` on, holds all values in their order;
// `from` moves past it.
bool FindRow(const std::vector<std::string>& lines, size_t& from, const std::vector<std::string>& values) {
  for (size_t i = from; i < lines.size(); ++i) {
    size_t at = 0;
    bool all = true;
    for (const std::string& value : values) {
      at = lines[i].find(value, at);
      if (at == std::string::npos) {
        all = false;
        break;
      }
      at += value.size();
    }
    if (all) {
      from = i + 1;
      return true;
    }
  }
  return false;
}

class PdfExportTest : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = test::MakeTempDir("verimo-pdf"); }
  void TearDown() override { fs::remove_all(dir_); }

  fs::path Export(TTesselPDF& exporter, TDataSet& data, const std::string& name) {
    exporter.DataSet = &data;
    exporter.FileName = (dir_ / name).string();
    exporter.Execute();
    return dir_ / name;
  }

  fs::path dir_;
};

const std::vector<std::array<const char16_t*, 3>> kTurkishRows = {
    {u"Çağrı", u"İstanbul", u"Şişli"}, {u"Gülşen", u"İzmir", u"Karşıyaka"}, {u"Ömer", u"Muğla", u"Ortaca"},
    {u"Işıl", u"Çanakkale", u"Gökçeada"}};

void FillTurkish(TMemDataSet& data, int rows) {
  data.AddFieldDef(u"No", ftInteger);
  data.AddFieldDef(u"Ad", ftString, 20);
  data.AddFieldDef(u"Şehir", ftString, 20);
  data.AddFieldDef(u"İlçe", ftString, 20);
  for (int i = 0; i < rows; ++i) {
    const auto& row = kTurkishRows[static_cast<size_t>(i) % kTurkishRows.size()];
    data.AppendRecord({Variant::FromInt(i + 1), Variant::FromText(row[0]), Variant::FromText(row[1]),
                       Variant::FromText(row[2])});
  }
  data.Open();
}

// Portrait and landscape on several page sizes, with header and footer
// lines, over several pages: valid files whose text reads back row by row.
TEST_F(PdfExportTest, TurkishTableReadsBackRowByRowOnEveryPageSetUp) {
  REQUIRE_PDF_TOOLS();
  AnsiCodePage turkish(1254);
  TMemDataSet data;
  FillTurkish(data, 150);
  struct TSetUp {
    TTesselPageFormat format;
    TTesselPageOrientation orientation;
  };
  for (const TSetUp setUp : {TSetUp{pfA4, poPortrait}, TSetUp{pfLetter, poLandscape}, TSetUp{pfA5, poLandscape},
                             TSetUp{pfLegal, poPortrait}}) {
    TTesselPDF exporter;
    exporter.Options.PageOptions.SetFormat(setUp.format);
    exporter.Options.PageOptions.SetOrientation(setUp.orientation);
    exporter.Header.Add(u"Müşteri listesi — İl ve ilçe");
    exporter.Header.Add(u"İkinci satır");
    exporter.Footer.Add(u"Son: ğüşıöç");
    const fs::path file = Export(exporter, data, "t" + std::to_string(setUp.format) + ".pdf");
    SCOPED_TRACE(file.string());
    EXPECT_EQ(QpdfCheck(file), 0);
    EXPECT_GT(PageCount(file), 1);
    const std::vector<std::string> lines = Lines(PdfText(file));
    size_t from = 0;
    ASSERT_TRUE(FindRow(lines, from, {"Müşteri listesi — İl ve ilçe"}));
    ASSERT_TRUE(FindRow(lines, from, {"No", "Ad", "Şehir", "İlçe"}));
    for (int i = 0; i < 150; ++i) {
      const auto& row = kTurkishRows[static_cast<size_t>(i) % kTurkishRows.size()];
      ASSERT_TRUE(FindRow(lines, from, {std::to_string(i + 1), WideToUtf8(row[0]), WideToUtf8(row[1]),
                                        WideToUtf8(row[2])}))
          << "row " << i + 1;
    }
    EXPECT_TRUE(FindRow(lines, from, {"Son: ğüşıöç"}));
    // The Turkish letters come from the WinAnsi base with differences.
    EXPECT_NE(PdfFonts(file).find("Helvetica                            Type 1            Custom"),
              std::string::npos);
  }
}

TEST_F(PdfExportTest, WesternTablesKeepWinAnsiEncoding) {
  REQUIRE_PDF_TOOLS();
  AnsiCodePage western(1252);
  TMemDataSet data;
  data.AddFieldDef(u"Name", ftString, 20);
  data.AppendRecord({Variant::FromText(u"Façade (naïve) \\ café")});
  data.Open();
  TTesselPDF exporter;
  const fs::path file = Export(exporter, data, "w.pdf");
  EXPECT_EQ(QpdfCheck(file), 0);
  EXPECT_NE(PdfText(file).find("Façade (naïve) \\ café"), std::string::npos);
  const std::string fonts = PdfFonts(file);
  EXPECT_NE(fonts.find("WinAnsi"), std::string::npos);
  EXPECT_EQ(fonts.find("CID TrueType"), std::string::npos);
}

// Text the code page cannot hold is drawn with an embedded subset and
// extracts as it was.
TEST_F(PdfExportTest, OtherScriptsAreEmbeddedAsTrueTypeSubsets) {
  REQUIRE_PDF_TOOLS();
  AnsiCodePage turkish(1254);
  TFontFileFinder finder;
  const bool haveCjk = finder.TrueTypeFontFor(u"DejaVu Sans", false, false, U'\u4E2D').has_value();
  TMemDataSet data;
  data.AddFieldDef(u"Dil", ftString, 20);
  data.AddFieldDef(u"Metin", ftString, 40);
  std::vector<std::pair<std::u16string, std::u16string>> rows = {
      {u"Yunanca", u"Καλημέρα κόσμε"}, {u"Rusça", u"Съешь же ещё этих булок"}, {u"Karışık", u"Ağaç → Δέντρο ≠ Дерево"}};
  if (haveCjk) rows.push_back({u"Çince", u"你好，世界"});
  for (const auto& [language, text] : rows) data.AppendRecord({Variant::FromText(language), Variant::FromText(text)});
  data.Open();
  TTesselPDF exporter;
  const fs::path file = Export(exporter, data, "u.pdf");
  EXPECT_EQ(QpdfCheck(file), 0);
  const std::vector<std::string> lines = Lines(PdfText(file));
  size_t from = 0;
  for (const auto& [language, text] : rows)
    EXPECT_TRUE(FindRow(lines, from, {WideToUtf8(language), WideToUtf8(text)})) << WideToUtf8(text);
  const std::string fonts = PdfFonts(file);
  EXPECT_TRUE(std::regex_search(fonts, std::regex("[A-Z]{6}\\+DejaVuSans +CID TrueType +Identity-H +yes yes yes")))
      << fonts;
  if (!haveCjk) GTEST_SKIP() << "no TrueType CJK font installed (fonts-droid-fallback); the CJK row was left out";
  EXPECT_TRUE(std::regex_search(fonts, std::regex("[A-Z]{6}\\+\\w+ +CID TrueType +Identity-H +yes yes yes[^\\n]*\\n"
                                                  "[^\\n]*[A-Z]{6}\\+\\w+ +CID TrueType")))
      << fonts;
}

TEST_F(PdfExportTest, WideTextIsClippedAtItsCell) {
  REQUIRE_PDF_TOOLS();
  AnsiCodePage western(1252);
  TMemDataSet data;
  data.AddFieldDef(u"A", ftString, 4);
  data.AddFieldDef(u"B", ftString, 10);
  data.AppendRecord({Variant::FromText(u"a much longer text than four"), Variant::FromText(u"next")});
  data.Open();
  TTesselPDF exporter;
  exporter.ColumnsAlign.Add(u"A=Right");
  const fs::path file = Export(exporter, data, "c.pdf");
  EXPECT_EQ(QpdfCheck(file), 0);
  std::ifstream in(file, std::ios::binary);
  const std::string pdf((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::vector<int>& x = exporter.ColumnBounds();
  ASSERT_EQ(x.size(), 3u);
  // The long value is clipped to its cell, and starts at its left edge.
  EXPECT_NE(pdf.find("q " + std::to_string(x[0]) + ".5 "), std::string::npos);
  EXPECT_NE(pdf.find(" re W n\rBT\r/DataFont 10 Tf\r" + std::to_string(x[0] + exporter.Options.DataFont.AverageWidth(1.5))),
            std::string::npos);
  EXPECT_NE(PdfText(file).find("next"), std::string::npos);
}

TEST_F(PdfExportTest, SettingsSurviveTheFile) {
  TPDFOptions options;
  options.PageOptions.SetFormat(pfA3);
  options.PageOptions.SetOrientation(poLandscape);
  options.ColSpacing = 2.5;
  options.RowSpacing = 1.5;
  options.GridLineWidth = 2;
  options.DataFont.BaseFont = poTimesBold;
  options.DataFont.FontColor = 0x0000FF;
  options.CaptionFont.UseUserFont = true;
  options.CaptionFont.UserFont.Name = u"DejaVu Sans";
  options.CaptionFont.UserFont.Size = 12;
  options.CaptionFont.UserFont.Italic = true;
  options.FooterFont.FontEncoding = poMacRomanEncoding;
  const fs::path file = dir_ / "settings.ini";
  {
    TTesselIniFile ini(file.string());
    pdf::SaveOptions(ini, options);
  }
  TTesselIniFile ini(file.string());
  TPDFOptions loaded;
  pdf::LoadOptions(ini, loaded);
  EXPECT_EQ(loaded.PageOptions, options.PageOptions);
  EXPECT_EQ(loaded.ColSpacing, 2.5);
  EXPECT_EQ(loaded.RowSpacing, 1.5);
  EXPECT_EQ(loaded.GridLineWidth, 2);
  EXPECT_EQ(loaded.DataFont.BaseFont, poTimesBold);
  EXPECT_EQ(loaded.DataFont.FontColor, 0x0000FFu);
  EXPECT_TRUE(loaded.CaptionFont.UseUserFont);
  EXPECT_EQ(loaded.CaptionFont.UserFont, options.CaptionFont.UserFont);
  EXPECT_EQ(loaded.FooterFont.FontEncoding, poMacRomanEncoding);
  EXPECT_EQ(loaded.DataFont.ResourceName, u"DataFont");
}

TEST_F(PdfExportTest, UserFontWidthsMatchTheGlyphs) {
  REQUIRE_PDF_TOOLS();
  AnsiCodePage turkish(1254);
  TMemDataSet data;
  FillTurkish(data, 3);
  TTesselPDF exporter;
  for (TPDFFont* font : {&exporter.Options.DataFont, &exporter.Options.CaptionFont}) {
    font->UseUserFont = true;
    font->UserFont.Name = u"Arial";
    font->UserFont.Size = 11;
  }
  const fs::path file = Export(exporter, data, "user.pdf");
  EXPECT_EQ(QpdfCheck(file), 0);
  std::ifstream in(file, std::ios::binary);
  const std::string pdf((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::smatch widths;
  ASSERT_TRUE(std::regex_search(pdf, widths, std::regex("/Widths \\[((?:\\d+ ){256})\\]")));
  std::istringstream numbers(widths[1]);
  std::vector<int> table(256);
  for (int& width : table) numbers >> width;
  // Liberation Sans (as Arial) has Helvetica's widths: "A", "a", "Ğ", "ı".
  EXPECT_EQ(table['A'], 667);
  EXPECT_EQ(table['a'], 556);
  EXPECT_EQ(table[208], 778);
  EXPECT_EQ(table[253], 278);
  const std::vector<std::string> lines = Lines(PdfText(file));
  size_t from = 0;
  EXPECT_TRUE(FindRow(lines, from, {"1", "Çağrı", "İstanbul", "Şişli"}));
  EXPECT_NE(PdfFonts(file).find("TrueType"), std::string::npos);
}

// Every fixture table: a valid file whose rows read back as drawn.
TEST_F(PdfExportTest, EveryFixtureTableIsAValidDocument) {
  VERIMO_REQUIRE_SHARED_DIR();
  REQUIRE_PDF_TOOLS();
#ifdef VERIMO_SANITIZED_TREE
  GTEST_SKIP() << "the sanitizer tree leaves the sweep over every fixture table to the release tree";
#endif
  const fs::path root = *test::SharedDir() / "fixtures" / "paradox";
  int exported = 0;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    std::string extension = entry.path().extension().string();
    for (char& ch : extension) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    if (extension != ".db") continue;
    TTable table;
    table.SetDatabaseName(entry.path().parent_path().string());
    table.SetTableName(entry.path().filename().string());
    try {
      table.Open();
    } catch (const Exception&) {
      continue;  // password-protected tables
    }
    TTesselPDF exporter;
    std::vector<std::vector<std::string>> drawn;
    exporter.OnGetCellParams = [&](TTessel&, int, int column, const WideString& value, TTesselColAlign&,
                                   TTesselFont&, TColor&) {
      if (column == 0) drawn.emplace_back();
      // Columns past the page's right edge are not on the page.
      const std::vector<int>& bounds = exporter.ColumnBounds();
      if (bounds[static_cast<size_t>(column) + 1] >= exporter.Options.PageOptions.WidthPoints()) {
        drawn.back().emplace_back();
        return;
      }
      std::string text = WideToUtf8(Trim(value).substr(0, 6));
      while (!text.empty() && text.back() == ' ') text.pop_back();
      const bool plain = std::all_of(value.begin(), value.end(), [](char16_t ch) {
        return ch >= 0x20 && ch != u'\\' && ch != 0xFFFD && ch < 0x2000;
      });
      drawn.back().push_back(plain ? text : std::string());
    };
    const std::string name = entry.path().parent_path().filename().string() + "_" + entry.path().stem().string();
    const fs::path file = Export(exporter, table, name + ".pdf");
    SCOPED_TRACE(name);
    ASSERT_EQ(QpdfCheck(file), 0);
    ++exported;
    const std::vector<std::string> lines = Lines(PdfText(file));
    size_t from = 0;
    for (size_t row = 0; row < std::min<size_t>(drawn.size(), 50); ++row) {
      std::vector<std::string> values;
      for (const std::string& value : drawn[row])
        if (!value.empty() && value.find_first_not_of(' ') != std::string::npos) values.push_back(value);
      if (values.size() > 3) values.resize(3);
      if (values.empty()) continue;
      std::string shown;
      for (const std::string& value : values) shown += "[" + value + "]";
      EXPECT_TRUE(FindRow(lines, from, values)) << "row " << row + 1 << ": " << shown;
    }
  }
  EXPECT_GT(exported, 40);
}

}  // namespace
}  // namespace verimo
