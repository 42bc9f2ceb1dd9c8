#include "formats/text/TesselLaTeX.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <deque>
#include <fstream>
#include <iostream>
#include <regex>
#include <sstream>

#include "engine/TesselIniFile.h"
#include "engine/TesselStream.h"
#include "core/DateTime.h"
#include "core/Exception.h"
#include "platform/codepage/CodePage.h"
#include "platform/data/MemDataSet.h"
#include "platform/paradox/Table.h"
#include "support/Json.h"
#include "support/TestPaths.h"

namespace verimo {
namespace {

namespace fs = std::filesystem;
using test::AppendJsonString;

// Pins the system ANSI code page for one test.
class AnsiCodePage {
 public:
  explicit AnsiCodePage(int codePage) { SetSystemCodePage(TSystemCodePage::Ansi, codePage); }
  ~AnsiCodePage() { SetSystemCodePage(TSystemCodePage::Ansi, 0); }
};

std::string Export(TTesselLaTeX& exporter) {
  TMemoryStream stream;
  exporter.ExportToStream(stream);
  return std::string(stream.View());
}

TEST(LaTeXTextTest, SpecialCharactersBecomeCommands) {
  EXPECT_EQ(latex::EscapeText(u"R&D 50% $5 #1 a_b {x} ~ ^", false),
            u"R\\&D 50\\% \\$5 \\#1 a\\_b \\{x\\} \\textasciitilde{} \\textasciicircum{}");
  EXPECT_EQ(latex::EscapeText(u"a<b>c \\end", false), u"a$<$b$>$c \\textbackslash{}end");
  EXPECT_EQ(latex::EscapeText(u"x|y \"q\"", false), u"x\\textbar{}y {\\ttfamily\\char34}q{\\ttfamily\\char34}");
  // Line breaks are spaces; controls vanish; ligature pairs are split.
  EXPECT_EQ(latex::EscapeText(u"1\r\n2\n3\r4\t5\x01", false), u"1 2 3 4 5");
  EXPECT_EQ(latex::EscapeText(u"a--b ``q'' !`", false), u"a-{}-b `{}`q'{}' !{}`");
  // What the fonts cannot set, and what latin5 leaves out.
  EXPECT_EQ(latex::EscapeText(u"Þorn \u03b1 \U0001F600 Şş", false), u"?orn ? ? Şş");
  EXPECT_EQ(latex::EscapeText(u"€ “x” …", true), u"\\texteuro{} ``x'' \\ldots{}");
  EXPECT_EQ(latex::EscapeText(u"€ “x”", false), u"€ “x”");
  EXPECT_EQ(latex::EscapeText(u"«a»", false), u"$\\ll$a$\\gg$");
  // Long texts go on over several source lines that TeX joins again.
  const WideString dashes = latex::EscapeText(WideString(1500, u'-'), false);
  EXPECT_NE(dashes.find(u"%\r\n"), WideString::npos);
  EXPECT_EQ(dashes.find(u"--"), WideString::npos);
}

TEST(LaTeXTextTest, InputEncodingsTeXHas) {
  EXPECT_EQ(latex::InputEncodingOf(1254), u"latin5");
  EXPECT_EQ(latex::InputEncodingOf(1250), u"cp1250");
  EXPECT_EQ(latex::InputEncodingOf(1252), u"cp1252");
  EXPECT_EQ(latex::InputEncodingOf(1257), u"cp1257");
  EXPECT_EQ(latex::InputEncodingOf(1251), u"");
  EXPECT_EQ(latex::InputEncodingOf(857), u"");
}

class LaTeXExportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    data_.AddFieldDef(u"Ad", ftString, 20);
    data_.AddFieldDef(u"No", ftInteger);
    data_.AddFieldDef(u"Gün", ftDate);
    data_.AppendRecord({Variant::FromText(u"Şule & Ali"), Variant::FromInt(5), Variant::FromDateTime(EncodeDate(2024, 1, 2))});
    data_.Open();
    exporter_.DataSet = &data_;
  }
  TMemDataSet data_;
  TTesselLaTeX exporter_;
};

TEST_F(LaTeXExportTest, Utf8DocumentAsWritten) {
  exporter_.Header = {u"Rapor #1"};
  exporter_.Footer = {u"Son 100%"};
  exporter_.Formats().SetDateFormat(u"dd.mm.yyyy");
  const std::string text = Export(exporter_);
  const size_t table = text.find("\\begin{longtable}{");
  ASSERT_NE(table, std::string::npos) << text;
  EXPECT_EQ(text.substr(0, table),
            "\\documentclass[a4paper]{article}\r\n\\usepackage[utf8]{inputenc}\r\n\\usepackage[english]{babel}\r\n"
            "\\usepackage{longtable}\r\n\\usepackage{array}\r\n\\begin{document}\r\n\r\nRapor \\#1\r\n\\par\\bigskip\r\n");
  // Each column a share of the line, without hyphenation; numbers to the right.
  const std::regex layout("\\\\begin\\{longtable\\}\\{\\|"
                          ">\\{\\\\raggedright[^}]*\\\\hyphenpenalty=10000[^}]*\\}p\\{\\\\dimexpr 0\\.\\d{4}\\\\linewidth[^}]*\\}\\|"
                          ">\\{\\\\raggedleft[^}]*\\}p\\{[^}]*\\}\\|"
                          ">\\{\\\\raggedright[^}]*\\}p\\{[^}]*\\}\\|\\}\r\n");
  EXPECT_TRUE(std::regex_search(text, layout)) << text;
  EXPECT_NE(text.find("\\hline\r\nAd & No & Gün\r\n\\\\\r\n\\hline\r\n\\endhead\r\n"
                      "Şule \\& Ali & 5 & 02.01.2024\r\n\\\\\r\n\\hline\r\n"
                      "\\end{longtable}\r\n\r\nSon 100\\%\r\n\\end{document}\r\n"),
            std::string::npos)
      << text;
}

TEST_F(LaTeXExportTest, CodePageOutputNamesTheInputEncodingOfItsBytes) {
  AnsiCodePage ansi(1254);
  exporter_.SetOutputEncoding(oeAnsi);
  exporter_.Options.SetCodePage(0);
  EXPECT_EQ(exporter_.Options.CodePage(), 1254);
  std::string text = Export(exporter_);
  EXPECT_NE(text.find("\\usepackage[latin5]{inputenc}"), std::string::npos);
  EXPECT_NE(text.find(EncodeToCodePage(u"Şule \\& Ali", 1254)), std::string::npos);

  // A code page without an input encoding is written as UTF-8.
  exporter_.Options.SetCodePage(1251);
  text = Export(exporter_);
  EXPECT_NE(text.find("\\usepackage[utf8]{inputenc}"), std::string::npos);
  EXPECT_NE(text.find(WideToUtf8(u"Şule")), std::string::npos);
}

// What the fonts cannot set and what the code page cannot hold are counted
// apart, each character once, captions with their fields.
TEST_F(LaTeXExportTest, CountsWhatItCannotWrite) {
  TMemDataSet data;
  data.AddFieldDef(u"Ад", ftString, 40);
  data.AppendRecord({Variant::FromText(u"Привет ő\x01 \U0001F600")});
  data.Open();
  exporter_.DataSet = &data;
  const std::string utf8 = Export(exporter_);
  EXPECT_NE(utf8.find("\\hline\r\n??\r\n"), std::string::npos) << utf8;
  EXPECT_NE(utf8.find(WideToUtf8(u"?????? ő ?\r\n")), std::string::npos) << utf8;
  std::vector<TLoss> losses = exporter_.Losses().Losses();
  ASSERT_EQ(losses.size(), 2u);
  EXPECT_EQ(losses[0].field, u"Ад");
  EXPECT_EQ(losses[0].kind, TLossKind::UnsettableCharacter);
  EXPECT_EQ(losses[0].detail, u"LaTeX");
  EXPECT_EQ(losses[0].count, 2 + 6 + 1);
  EXPECT_EQ(losses[1].kind, TLossKind::ForbiddenCharacter);
  EXPECT_EQ(losses[1].count, 1);

  // Latin-5 has no "ő"; the Cyrillic letters are "?" already.
  AnsiCodePage ansi(1254);
  exporter_.SetOutputEncoding(oeAnsi);
  exporter_.Options.SetCodePage(0);
  Export(exporter_);
  losses = exporter_.Losses().Losses();
  ASSERT_EQ(losses.size(), 3u);
  EXPECT_EQ(losses[0].count, 9);
  EXPECT_EQ(losses[2].kind, TLossKind::UnwritableCharacter);
  EXPECT_EQ(losses[2].detail, u"1254");
  EXPECT_EQ(losses[2].count, 1);
}

TEST_F(LaTeXExportTest, DocumentFlavours) {
  exporter_.Options.DocumentParams.clear();
  exporter_.Preambula = {u"\\usepackage{array}"};
  std::string text = Export(exporter_);
  EXPECT_TRUE(text.starts_with("\\documentclass{article}\r\n"));
  EXPECT_NE(text.find("\\usepackage{array}\r\n\r\n\\begin{document}"), std::string::npos);
  exporter_.Options.LaTeXVersion = LaTeX209;
  exporter_.Options.DocumentStyle = dsBook;
  text = Export(exporter_);
  // The packages come as options of the style.
  EXPECT_TRUE(text.starts_with("\\documentstyle[longtable,array]{book}\r\n\\begin{document}\r\n"));
  EXPECT_EQ(text.find("\\usepackage"), std::string::npos);
  // 2.09 would read LaTeX 2e's paper options as style files it lacks.
  exporter_.Options.DocumentParams = u"a4paper, 11pt,landscape";
  EXPECT_TRUE(Export(exporter_).starts_with("\\documentstyle[11pt,longtable,array]{book}\r\n"));
}

TEST_F(LaTeXExportTest, StoppedExportEndsTheDocumentOnce) {
  exporter_.OnExportedRecord = [](TTessel& sender, int) { sender.Abort(); };
  const std::string text = Export(exporter_);
  EXPECT_TRUE(text.ends_with("\\end{longtable}\r\n\r\n\\end{document}\r\n"));
  EXPECT_EQ(text.find("\\end{document}"), text.rfind("\\end{document}"));
}

// The data rows of a one-table document, each as the lines of its source.
std::vector<std::string> DataRows(const std::string& text) {
  const size_t head = text.find("\\endhead\r\n");
  const size_t end = text.find("\\end{longtable}");
  std::vector<std::string> rows;
  if (head == std::string::npos || end == std::string::npos) return rows;
  size_t at = head + std::strlen("\\endhead\r\n");
  while (at < end) {
    const size_t rowEnd = text.find("\r\n\\\\\r\n", at);
    if (rowEnd == std::string::npos || rowEnd > end) break;
    rows.push_back(text.substr(at, rowEnd - at));
    at = rowEnd + std::strlen("\r\n\\\\\r\n");
    if (text.compare(at, 7, "\\hline\r") == 0) at += std::strlen("\\hline\r\n");
  }
  return rows;
}

// The words of a text, as many as there are, in order.
std::vector<std::string> WordsOf(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> words;
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

// A text of many short lines (each narrow, together many pages) goes on in
// the rows below, cut between words, nothing left out; the rows that begin
// with "[" or "*" keep them from the "\\" before.
TEST(LaTeXRowsTest, TextTallerThanAPageGoesOnInTheRowsBelow) {
  TMemDataSet data;
  data.AddFieldDef(u"Not", ftMemo);
  data.AddFieldDef(u"No", ftInteger);
  for (const char16_t* mark : {u"[", u"*"}) {
    WideString memo;
    for (int i = 1; i <= 400; ++i) memo += (i > 1 ? u"\r\n" : u"") + (mark + IntToWide(i)) + (*mark == u'[' ? u"]" : u"");
    data.AppendRecord({Variant::FromText(memo), Variant::FromInt(7)});
  }
  data.Open();
  TTesselLaTeX exporter;
  exporter.DataSet = &data;
  exporter.ExportedFields = {u"Not", u"No"};  // memos are exported when named
  const std::vector<std::string> rows = DataRows(Export(exporter));
  ASSERT_GT(rows.size(), 4u);
  std::string brackets, stars;
  for (const std::string& row : rows) {
    const bool bracket = row.starts_with("{}[");
    EXPECT_TRUE(bracket || row.starts_with("{}*")) << row.substr(0, 40);
    (bracket ? brackets : stars) += row.substr(2, row.find(" & ") - 2) + " ";
  }
  std::vector<std::string> expected;
  for (int i = 1; i <= 400; ++i) expected.push_back("[" + std::to_string(i) + "]");
  EXPECT_EQ(WordsOf(brackets), expected);
  for (std::string& word : expected) word = "*" + word.substr(1, word.size() - 2);
  EXPECT_EQ(WordsOf(stars), expected);
  // The number stands in the first row of its record only.
  EXPECT_NE(rows[0].find(" & 7"), std::string::npos);
  EXPECT_EQ(rows[1].find(" & 7"), std::string::npos);
}

// The rows are held to what a page holds: a shorter page, a larger font
// or a taller caption row give more of them.
TEST(LaTeXRowsTest, RowsHoldWhatThePageHolds) {
  TMemDataSet data;
  data.AddFieldDef(u"Not", ftMemo);
  WideString memo;
  // One paragraph: its column takes the line, with any caption.
  for (int i = 1; i <= 1000; ++i) memo += u"sözleşme " + IntToWide(i) + u" ödendi; ";
  data.AppendRecord({Variant::FromText(memo)});
  data.Open();
  const auto rowsWith = [&data](const WideString& params, const WideString& caption) {
    TTesselLaTeX exporter;
    exporter.DataSet = &data;
    exporter.ExportedFields = {u"Not"};
    exporter.Options.DocumentParams = params;
    exporter.OnBeginExport = [caption](TTessel& sender) {
      if (!caption.empty()) sender.Columns()[0].Caption = caption;
    };
    return DataRows(Export(exporter)).size();
  };
  const size_t a4 = rowsWith(u"a4paper", u"");
  EXPECT_GT(a4, 1u);
  EXPECT_GT(rowsWith(u"a5paper,landscape", u""), a4);
  EXPECT_GT(rowsWith(u"a4paper,12pt", u""), a4);
  WideString tallCaption;
  for (int i = 0; i < 60; ++i) tallCaption += u"Uzun başlık ";
  EXPECT_GT(rowsWith(u"a4paper", tallCaption), a4);
}

TEST_F(LaTeXExportTest, SettingsKeepTheOptions) {
  const fs::path dir = test::MakeTempDir("verimo-latex-settings");
  exporter_.Options.SetCodePage(1250);
  exporter_.Options.Languages = u"turkish";
  exporter_.Options.DocumentStyle = dsBook;
  exporter_.Preambula = {u"\\usepackage{array}"};
  exporter_.SetOutputEncoding(oeAnsi);
  settings::SaveToFile(exporter_, dir / "latex.cfg");
  TTesselLaTeX loaded;
  settings::LoadFromFile(loaded, dir / "latex.cfg");
  EXPECT_EQ(loaded.Options.CodePage(), 1250);
  EXPECT_EQ(loaded.Options.Languages, u"turkish");
  EXPECT_EQ(loaded.Options.DocumentStyle, dsBook);
  EXPECT_EQ(loaded.Preambula.Count(), 1);
  EXPECT_EQ(loaded.OutputEncoding(), oeAnsi);
  fs::remove_all(dir);
}

// ---- compiled through pdflatex ----

struct LaTeXJob {
  std::string file;
  std::string encoding;  // Python codec name
  std::vector<WideString> expected;
};

std::string CompileAndRead(const std::deque<LaTeXJob>& jobs, const fs::path& dir) {
  std::string json = "[";
  for (const LaTeXJob& job : jobs) {
    if (json.size() > 1) json += ",\n";
    json += "{\"file\":";
    AppendJsonString(json, Utf8ToWide(job.file));
    json += ",\"encoding\":\"" + job.encoding + "\",\"expected\":[";
    for (size_t i = 0; i < job.expected.size(); ++i) {
      if (i) json += ",";
      AppendJsonString(json, job.expected[i]);
    }
    json += "]}";
  }
  json += "]";
  const fs::path jobsFile = dir / "jobs.json";
  std::ofstream(jobsFile, std::ios::binary) << json;
  std::string output;
  const int status = test::RunCommand(
      "/usr/bin/python3 " + test::ShellQuote((test::SourceDir() / "tests/formats/text/latex_read_back.py").string()) +
          " " + test::ShellQuote(jobsFile.string()) + " 2>&1",
      &output);
  if (status != 0 && output.empty()) output = "latex_read_back.py failed with status " + std::to_string(status);
  return output;
}

bool HavePdfLaTeX() { return test::RunCommand("command -v pdflatex >/dev/null && command -v pdftotext >/dev/null") == 0; }

class LaTeXCompileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!HavePdfLaTeX()) GTEST_SKIP() << "pdflatex or pdftotext not installed";
    dir_ = test::MakeTempDir("verimo-latex");
  }
  void TearDown() override {
    if (!dir_.empty() && !std::getenv("VERIMO_KEEP_TEST_FILES")) fs::remove_all(dir_);
  }

  // Exports in UTF-8 and in code page 1254, and records what the PDF must
  // show.
  void ExportBoth(TDataSet& data, const std::string& stem, const TStringList& fields, int recordLimit) {
    for (bool utf8 : {true, false}) {
      TTesselLaTeX exporter;
      exporter.DataSet = &data;
      exporter.ExportedFields = fields;
      exporter.ExportRecCount = recordLimit;
      exporter.ShellLauncher = nullptr;
      if (!utf8) {
        exporter.SetOutputEncoding(oeAnsi);
        exporter.Options.SetCodePage(1254);
      }
      exporter.Preambula = {u"\\usepackage{array}"};
      if (!documentParams_.empty()) exporter.Options.DocumentParams = documentParams_;
      exporter.Header = {u"Başlık: R&D 50% ~ ^ _ # {x}"};
      exporter.Footer = {u"Son satır \\ $"};
      exporter.FileName = (dir_ / (stem + (utf8 ? "-utf8.tex" : "-cp1254.tex"))).string();
      LaTeXJob& job = jobs_.emplace_back();
      job.file = exporter.FileName;
      job.encoding = utf8 ? "utf-8" : "cp1254";
      job.expected = {exporter.Header[0], exporter.Footer[0]};
      exporter.OnBeginExport = [&job](TTessel& sender) {
        for (const TTesselColumn& column : sender.Columns()) job.expected.push_back(column.Caption);
      };
      exporter.OnBeforeExportRow = [&job](TTessel& sender, TTesselRow& row, bool&) {
        for (int i = 0; i < row.Count(); ++i)
          job.expected.push_back(sender.Columns().IsNull(i) ? sender.Formats().NullString() : row[i].Text);
      };
      try {
        exporter.Execute();
      } catch (const Exception& error) {
        ADD_FAILURE() << exporter.FileName << ": " << error.what();
      }
    }
  }

  fs::path dir_;
  std::deque<LaTeXJob> jobs_;
  WideString documentParams_;
};

TEST_F(LaTeXCompileTest, TrickyValuesCompileAndShow) {
  TMemDataSet data;
  data.AddFieldDef(u"Ad_Soyad", ftString, 40);
  data.AddFieldDef(u"Tutar %", ftFloat);
  data.AddFieldDef(u"Not", ftMemo);
  data.AppendRecord({Variant::FromText(u"R&D 50%"), Variant::FromDouble(1.5), Variant::FromText(u"a<b>c \\d {e} ~f ^g")});
  data.AppendRecord({Variant::FromText(u"Şule Ağaoğlu İıĞğÜüÖöÇç"), Variant::FromDouble(-2),
                     Variant::FromText(u"iki\r\nsatır $x$ #1 a_b \"q\" a|b --")});
  data.AppendRecord({Variant::Null(), Variant::Null(), Variant::FromText(u"€ “tırnak” … ‘x’ «y»")});
  data.Open();
  ExportBoth(data, "tricky", {}, 0);
  EXPECT_EQ(CompileAndRead(jobs_, dir_), "");
}

// Texts of many pages in a narrow and a wide column, rows beginning with
// "[" and "*" after the "\\" of the row before, on the shortest page of
// the classes and in their largest font: every word on the pages.
TEST_F(LaTeXCompileTest, TextsTallerThanAPageShowWhole) {
  TMemDataSet data;
  data.AddFieldDef(u"Liste", ftMemo);
  data.AddFieldDef(u"No", ftInteger);
  data.AddFieldDef(u"Açıklama", ftMemo);
  WideString brackets, stars, lines, prose;
  for (int i = 1; i <= 300; ++i) {
    brackets += u"[" + IntToWide(i) + u"]\r\n";
    stars += u"*" + IntToWide(i) + u" ";
    lines += u"satır " + IntToWide(i) + u"\r\n";
    prose += u"Kadıköy'de bir sözleşme " + IntToWide(i) + u", ödeme ve fiyat (çağrı " + IntToWide(i * 7) + u"). ";
  }
  data.AppendRecord({Variant::FromText(brackets), Variant::FromInt(1), Variant::FromText(prose)});
  data.AppendRecord({Variant::FromText(stars), Variant::FromInt(2), Variant::FromText(lines)});
  data.AppendRecord({Variant::FromText(lines), Variant::FromInt(3), Variant::FromText(u"kısa")});
  data.Open();
  const TStringList fields{u"Liste", u"No", u"Açıklama"};  // memos are exported when named
  ExportBoth(data, "tall-a4", fields, 0);
  documentParams_ = u"a5paper,landscape,12pt";
  ExportBoth(data, "tall-a5", fields, 0);
  EXPECT_EQ(CompileAndRead(jobs_, dir_), "");
}

// The page measured for the rows is the one pdflatex sets.
TEST_F(LaTeXCompileTest, PagesAreTheClassesOwn) {
  struct TCase {
    TLaTeXVersion version;
    TLaTeXDocStyle style;
    const char16_t* params;
  };
  for (const TCase& page :
       {TCase{LaTeX2e, dsArticle, u"a4paper"}, {LaTeX2e, dsArticle, u""}, {LaTeX2e, dsBook, u"a5paper,landscape"},
        {LaTeX2e, dsArticle, u"11pt, b5paper"}, {LaTeX2e, dsBook, u"12pt,executivepaper"},
        {LaTeX2e, dsArticle, u"legalpaper,landscape,12pt"}, {LaTeX2e, dsArticle, u"letterpaper,a4paper,11pt"},
        {LaTeX209, dsArticle, u""}, {LaTeX209, dsBook, u""}, {LaTeX209, dsArticle, u"11pt"},
        {LaTeX209, dsBook, u"12pt,twoside"}}) {
    TLaTeXOptions options;
    options.LaTeXVersion = page.version;
    options.DocumentStyle = page.style;
    options.DocumentParams = page.params;
    const std::string params = WideToUtf8(page.params);
    const std::string style = page.style == dsBook ? "book" : "article";
    const std::string what = (page.version == LaTeX209 ? "2.09 " : "2e ") + style + " [" + params + "]";
    std::ofstream(dir_ / "page.tex", std::ios::binary)
        << (page.version == LaTeX209 ? "\\documentstyle[" : "\\documentclass[") << params << "]{" << style
        << "}\\begin{document}\\typeout{PAGE \\the\\textwidth\\space\\the\\textheight\\space\\the\\baselineskip}"
        << "\\end{document}\n";
    std::string output;
    test::RunCommand("cd " + test::ShellQuote(dir_.string()) +
                         " && pdflatex -interaction=nonstopmode page.tex 2>&1",
                     &output);
    const size_t at = output.find("\nPAGE ");
    ASSERT_NE(at, std::string::npos) << what << "\n" << output;
    std::string dimensions = output.substr(at + 6, output.find('\n', at + 6) - at - 6);
    for (size_t unit; (unit = dimensions.find("pt")) != std::string::npos;) dimensions.replace(unit, 2, " ");
    double width = 0, height = 0, line = 0;
    std::istringstream(dimensions) >> width >> height >> line;
    const TLaTeXPage measured = latex::PageOf(options);
    EXPECT_NEAR(measured.TextWidth, width, 0.01) << what;
    EXPECT_NEAR(measured.TextHeight, height, 0.01) << what;
    EXPECT_NEAR(measured.LineHeight, line, 0.01) << what;
  }
}

TEST_F(LaTeXCompileTest, FixtureTablesCompileAndShowTheirValues) {
  VERIMO_REQUIRE_SHARED_DIR();
  std::vector<std::unique_ptr<TTable>> tables;
  int index = 0;
  for (const auto& entry : fs::recursive_directory_iterator(*test::SharedDir() / "fixtures" / "paradox")) {
    const std::string extension = entry.path().extension().string();
    if (extension != ".db" && extension != ".DB") continue;
    auto table = std::make_unique<TTable>();
    table->SetDatabaseName(entry.path().parent_path().string());
    table->SetTableName(entry.path().filename().string());
    // The encrypted fixtures were made with the password "123".
    if (entry.path().parent_path().filename() == "encrypt") table->SetPassword(u"123");
    try {
      table->Open();
    } catch (const Exception& error) {
      std::cout << "not exported: " << entry.path().filename().string() << ": " << error.what() << "\n";
      continue;
    }
    TStringList fields;
    for (int i = 0; i < table->FieldCount(); ++i)
      if (!IsBinaryType(table->Field(i).DataType())) fields.Add(table->Field(i).FieldName());
    if (fields.IsEmpty()) continue;
    // A hundred records show that every kind of value compiles; the page
    // sweep reads every record of every table back.
    ExportBoth(*table, std::to_string(index++) + "-" + entry.path().stem().string(), fields, 100);
    tables.push_back(std::move(table));
  }
  ASSERT_FALSE(jobs_.empty());
  EXPECT_EQ(CompileAndRead(jobs_, dir_), "");
}

}  // namespace
}  // namespace verimo
