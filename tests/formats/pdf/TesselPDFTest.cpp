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

// The text of a document in content order, without whitespace: a value a
// cell wraps over several lines reads as one again.
std::string PlainText(const fs::path& file) {
  std::string text = Run("pdftotext -enc UTF-8 -raw " + test::ShellQuote(file.string()) + " - 2>&1");
  std::erase_if(text, [](char ch) { return ch == ' ' || ch == '\n' || ch == '\r' || ch == '\f' || ch == '\t'; });
  return text;
}

std::string WithoutSpaces(WideStringView text) {
  std::string utf8 = WideToUtf8(text);
  std::erase_if(utf8, [](char ch) { return ch == ' ' || ch == '\n' || ch == '\r' || ch == '\t'; });
  return utf8;
}

// The words of each page with their boxes (from the top of the page).
struct TWordBox {
  int page = 0;
  double left = 0, right = 0;
  std::string text;
};

std::vector<TWordBox> WordBoxes(const fs::path& file) {
  const std::string boxes = Run("pdftotext -enc UTF-8 -bbox " + test::ShellQuote(file.string()) + " - 2>&1");
  std::vector<TWordBox> words;
  int page = 0;
  const std::regex item("<page |<word xMin=\"([-\\d.]+)\" yMin=\"[-\\d.]+\" xMax=\"([-\\d.]+)\"[^>]*>([^<]*)</word>");
  for (auto it = std::sregex_iterator(boxes.begin(), boxes.end(), item); it != std::sregex_iterator(); ++it) {
    if ((*it)[0].str() == "<page ") {
      ++page;
      continue;
    }
    words.push_back({page, std::stod((*it)[1]), std::stod((*it)[2]), (*it)[3]});
  }
  return words;
}

std::string PageText(const fs::path& file, int page) {
  return Run("pdftotext -enc UTF-8 -layout -f " + std::to_string(page) + " -l " + std::to_string(page) + " " +
             test::ShellQuote(file.string()) + " - 2>&1");
}

const char16_t kLongText[] =
    u"Uzun bir açıklama: müşterinin adresi, telefonu ve siparişlerinin hepsi bu hücrede duruyor; "
    u"satır sütunun genişliğini aşınca hücrenin içinde alt satıra geçmeli, sayfanın kenarından taşmamalı. "
    u"BirSözcükBuKadarUzunOlursaSütunaSığmazVeHarflerinArasındanBölünür.";

// A long value wraps inside its column; nothing lies past the trim box.
TEST_F(PdfExportTest, LongTextsWrapInsideTheirCells) {
  REQUIRE_PDF_TOOLS();
  AnsiCodePage turkish(1254);
  TMemDataSet data;
  data.AddFieldDef(u"No", ftInteger);
  data.AddFieldDef(u"Ad", ftString, 100);
  data.AddFieldDef(u"Açıklama", ftMemo);
  data.AddFieldDef(u"Şehir", ftString, 20);
  for (int i = 0; i < 30; ++i)
    data.AppendRecord({Variant::FromInt(i + 1), Variant::FromText(u"Ayşe (kızlık) \\ Yılmaz"),
                       Variant::FromText(kLongText), Variant::FromText(u"İzmir")});
  data.Open();
  TTesselPDF exporter;
  exporter.ExportedFields = {u"No", u"Ad", u"Açıklama", u"Şehir"};  // memos join when named
  exporter.ColumnsAlign.Add(u"Şehir=Right");
  const fs::path file = Export(exporter, data, "wrap.pdf");
  ASSERT_EQ(QpdfCheck(file), 0);
  const TPDFTableLayout& layout = exporter.TableLayout();
  ASSERT_EQ(layout.Groups.size(), 1u);
  EXPECT_EQ(exporter.RunPage().Orientation(), poPortrait);  // the memo is held to a third of the page
  const std::vector<int>& x = layout.Bounds[0];
  EXPECT_LE(x.back(), exporter.RunPage().TrimBox().Right);
  // The memo takes the room the others leave: the table fills the page.
  EXPECT_GE(x.back(), exporter.RunPage().TrimBox().Right - 2);
  const std::string text = PlainText(file);
  size_t from = 0;
  for (int i = 0; i < 30; ++i)
    for (const std::u16string& value : {IntToWide(i + 1), std::u16string(u"Ayşe(kızlık)\\Yılmaz"),
                                         std::u16string(kLongText), std::u16string(u"İzmir")}) {
      const size_t at = text.find(WithoutSpaces(value), from);
      ASSERT_NE(at, std::string::npos) << "row " << i + 1 << ": " << WideToUtf8(value);
      from = at;
    }
  for (const TWordBox& word : WordBoxes(file)) {
    EXPECT_GE(word.left, x.front()) << word.text;
    EXPECT_LE(word.right, x.back()) << word.text;
  }
}

// Sixty wide columns fit no page: the rows of a page go on over one page
// per column group, each with the captions and the first column again.
TEST_F(PdfExportTest, TableTooWideForAPageGoesOnInColumnGroups) {
  REQUIRE_PDF_TOOLS();
  AnsiCodePage western(1252);
  TMemDataSet data;
  data.AddFieldDef(u"Key", ftInteger);
  for (int c = 1; c < 60; ++c) data.AddFieldDef(u"Column" + IntToWide(c), ftString, 60);
  for (int r = 0; r < 120; ++r) {
    std::vector<Variant> values{Variant::FromInt(r + 1)};
    for (int c = 1; c < 60; ++c)
      values.push_back(Variant::FromText(u"r" + IntToWide(r + 1) + u"c" + IntToWide(c) + u" some words here"));
    data.AppendRecord(values);
  }
  data.Open();
  TTesselPDF exporter;
  const fs::path file = Export(exporter, data, "groups.pdf");
  ASSERT_EQ(QpdfCheck(file), 0);
  const TPDFTableLayout& layout = exporter.TableLayout();
  EXPECT_EQ(exporter.RunPage().Orientation(), poLandscape);
  const size_t groups = layout.Groups.size();
  ASSERT_GT(groups, 2u);
  std::vector<bool> seen(60, false);
  for (const std::vector<int>& group : layout.Groups) {
    EXPECT_EQ(group.front(), 0);
    for (size_t k = 1; k < group.size(); ++k) {
      EXPECT_FALSE(seen[static_cast<size_t>(group[k])]);
      seen[static_cast<size_t>(group[k])] = true;
    }
  }
  EXPECT_EQ(std::count(seen.begin(), seen.end(), true), 59);
  // Every page of a group holds the same rows; the pages come group by
  // group for each run of rows.
  const int pages = PageCount(file);
  ASSERT_EQ(pages % static_cast<int>(groups), 0) << pages;
  for (int page = 1; page <= pages; ++page) {
    const std::vector<int>& group = layout.Groups[static_cast<size_t>(page - 1) % groups];
    const std::string shown = PageText(file, page);
    EXPECT_NE(shown.find("Key"), std::string::npos) << "page " << page;
    EXPECT_NE(shown.find("Column" + std::to_string(group[1])), std::string::npos) << "page " << page;
    if (page <= static_cast<int>(groups)) {
      EXPECT_NE(shown.find("r1c" + std::to_string(group.back())), std::string::npos) << "page " << page;
    }
  }
  const std::string text = PlainText(file);
  for (int r = 0; r < 120; ++r)
    for (int c = 1; c < 60; ++c) {
      const std::string value = "r" + std::to_string(r + 1) + "c" + std::to_string(c) + "somewordshere";
      ASSERT_NE(text.find(value), std::string::npos) << value;
    }
}

// A table too wide for portrait turns landscape unless an orientation was
// chosen; a memo taller than a page goes on over the next pages.
TEST_F(PdfExportTest, OrientationFollowsTheTableUnlessChosen) {
  REQUIRE_PDF_TOOLS();
  AnsiCodePage western(1252);
  TMemDataSet data;
  for (int c = 0; c < 8; ++c) data.AddFieldDef(u"Field" + IntToWide(c), ftString, 40);
  data.AddFieldDef(u"Memo", ftMemo);
  WideString tall;
  int words = 0;
  for (; tall.size() < 20000; ++words) tall += u"word" + IntToWide(words) + u" ";
  std::vector<Variant> values;
  for (int c = 0; c < 8; ++c) values.push_back(Variant::FromText(u"value of field " + IntToWide(c)));
  values.push_back(Variant::FromText(tall));
  data.AppendRecord(values);
  data.Open();
  TStringList fields;
  for (int i = 0; i < data.FieldCount(); ++i) fields.Add(data.Field(i).FieldName());
  TTesselPDF automatic;
  automatic.ExportedFields = fields;
  const fs::path file = Export(automatic, data, "auto.pdf");
  EXPECT_EQ(automatic.RunPage().Orientation(), poLandscape);
  std::ifstream in(file, std::ios::binary);
  const std::string pdf((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(pdf.find("/MediaBox [0 0 841 594]"), std::string::npos);
  EXPECT_GT(PageCount(file), 2);
  // Every page repeats the captions above the memo's next lines.
  const std::string text = PlainText(file);
  size_t from = 0;
  for (int i = 0; i < words; ++i) {
    const std::string word = "word" + std::to_string(i);
    from = text.find(word, from);
    ASSERT_NE(from, std::string::npos) << word;
  }

  TTesselPDF portrait;
  portrait.ExportedFields = fields;
  portrait.Options.PageOptions.AutoOrientation = false;
  Export(portrait, data, "portrait.pdf");
  EXPECT_EQ(portrait.RunPage().Orientation(), poPortrait);
  TTesselPDF narrow;
  TMemDataSet small;
  small.AddFieldDef(u"A", ftString, 10);
  small.AppendRecord({Variant::FromText(u"a")});
  small.Open();
  Export(narrow, small, "narrow.pdf");
  EXPECT_EQ(narrow.RunPage().Orientation(), poPortrait);
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
  options.PageOptions.AutoOrientation = false;
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

// Every fixture table: a valid file that shows the values of its first
// rows (every row and column is read back by the page sweep).
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
    std::vector<std::string> values;
    exporter.OnBeforeExportRow = [&](TTessel& sender, TTesselRow& row, bool&) {
      if (sender.RecordCounter() >= 50) return;
      for (int i = 0; i < row.Count(); ++i) {
        const WideString& text = sender.Columns().IsNull(i) ? sender.Formats().NullString() : row[i].Text;
        const bool plain = std::all_of(text.begin(), text.end(), [](char16_t ch) {
          return (ch >= 0x20 || ch == u'\r' || ch == u'\n' || ch == u'\t') && ch != 0xFFFD && ch < 0x2000;
        });
        if (plain) values.push_back(WithoutSpaces(text.substr(0, 200)));
      }
    };
    const std::string name = entry.path().parent_path().filename().string() + "_" + entry.path().stem().string();
    const fs::path file = Export(exporter, table, name + ".pdf");
    SCOPED_TRACE(name);
    ASSERT_EQ(QpdfCheck(file), 0);
    ++exported;
    const std::string text = PlainText(file);
    for (const std::string& value : values) EXPECT_NE(text.find(value), std::string::npos) << value;
  }
  EXPECT_GT(exported, 40);
}

}  // namespace
}  // namespace verimo
