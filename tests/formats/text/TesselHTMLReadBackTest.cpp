// Exported pages read back by independent readers: xmllint, LibreOffice's
// HTML import and Python's HTML parser (read_back_html.py).
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iostream>

#include "core/Exception.h"
#include "formats/text/TesselHTML.h"
#include "platform/data/MemDataSet.h"
#include "platform/paradox/Table.h"
#include "support/Json.h"
#include "support/TestPaths.h"

namespace verimo {
namespace {

namespace fs = std::filesystem;
using test::AppendJsonString;

using Grid = std::vector<std::vector<WideString>>;

std::string PathJson(const fs::path& path) {
  std::string json;
  AppendJsonString(json, Utf8ToWide(path.string()));
  return json;
}

std::string TableJob(const fs::path& file, const Grid& expected) {
  std::string json = "{\"kind\":\"table\",\"file\":" + PathJson(file) + ",\"expected\":[";
  for (size_t r = 0; r < expected.size(); ++r) {
    json += r ? ",[" : "[";
    for (size_t c = 0; c < expected[r].size(); ++c) {
      if (c) json += ',';
      AppendJsonString(json, expected[r][c]);
    }
    json += ']';
  }
  return json + "]}";
}

std::string SiteJob(const fs::path& index, const std::vector<THTMLPageOption>& pages, int bars) {
  std::string json = "{\"kind\":\"site\",\"index\":" + (index.empty() ? std::string("\"\"") : PathJson(index)) + ",\"pages\":[";
  for (size_t i = 0; i < pages.size(); ++i) json += (i ? "," : "") + PathJson(pages[i].FileName);
  return json + "],\"bars\":" + std::to_string(bars) + "}";
}

bool HaveLibreOffice() { return test::RunCommand("command -v soffice >/dev/null 2>&1") == 0; }

// Runs the checker on the jobs; returns its report (empty when all agree).
std::string ReadBack(const std::vector<std::string>& jobs, const fs::path& dir) {
  std::string json = "[";
  for (size_t i = 0; i < jobs.size(); ++i) json += (i ? ",\n" : "") + jobs[i];
  json += "]";
  const fs::path jobsFile = dir / "jobs.json";
  std::ofstream(jobsFile, std::ios::binary) << json;
  std::string output;
  const std::string environment = HaveLibreOffice() ? "" : "VERIMO_NO_LIBREOFFICE=1 ";
  const int status = test::RunCommand(
      environment + "/usr/bin/python3 " + test::ShellQuote((test::SourceDir() / "tests/formats/text/read_back_html.py").string()) +
          " " + test::ShellQuote(jobsFile.string()) + " 2>&1",
      &output);
  if (status != 0 && output.empty()) output = "read_back_html.py failed with status " + std::to_string(status);
  return output;
}

// The captions and the cell texts the exporter was handed, as a reader
// should see them.
struct RowRecorder {
  Grid rows;
  void Attach(TTessel& exporter) {
    exporter.OnBeginExport = [this](TTessel& sender) {
      rows.clear();
      std::vector<WideString> captions;
      for (const TTesselColumn& column : sender.Columns()) captions.push_back(column.Caption);
      rows.push_back(captions);
    };
    exporter.OnBeforeExportRow = [this](TTessel& sender, TTesselRow& row, bool&) {
      std::vector<WideString> cells;
      for (int i = 0; i < row.Count(); ++i)
        cells.push_back(sender.Columns().IsNull(i) ? sender.Formats().NullString() : row[i].Text);
      rows.push_back(cells);
    };
  }
};

class HtmlReadBackTest : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = test::MakeTempDir("verimo-html-read"); }
  void TearDown() override {
    if (!std::getenv("VERIMO_KEEP_TEST_FILES")) fs::remove_all(dir_);
  }
  void Finish(const std::vector<std::string>& jobs) {
    EXPECT_EQ(ReadBack(jobs, dir_), "");
    if (!HaveLibreOffice()) GTEST_SKIP() << "soffice not installed: only xmllint and Python were asked";
  }

  fs::path dir_;
};

void FillTrickyTable(TMemDataSet& data) {
  data.AddFieldDef(u"Id", ftInteger);
  data.AddFieldDef(u"Ad <Soyad>", ftString, 40);
  data.AddFieldDef(u"Tutar", ftFloat);
  data.AddFieldDef(u"Onay", ftBoolean);
  data.AddFieldDef(u"Not", ftMemo);
  data.AppendRecord({Variant::FromInt(1), Variant::FromText(u"Şule Ağaoğlu"), Variant::FromDouble(1234.5),
                     Variant::FromBool(true), Variant::FromText(u"çok satırlı\r\nnot & <b>kalın</b>")});
  data.AppendRecord({Variant::FromInt(-2), Variant::FromText(u"a\"b  iki boşluk"), Variant::FromDouble(-0.25),
                     Variant::FromBool(false), Variant::FromText(u"  baştaki ve sondaki  ")});
  data.AppendRecord({Variant::Null(), Variant::Null(), Variant::Null(), Variant::Null(),
                     Variant::FromText(u"İıĞğÜüŞşÖöÇç\nyeni satır \U0001F600 \U00020BB7")});
  data.AppendRecord({Variant::FromInt(4), Variant::FromText(u"&amp; &#160; literal"), Variant::FromDouble(0),
                     Variant::FromBool(true), Variant::FromText(u"=1+2")});
  data.Open();
}

TEST_F(HtmlReadBackTest, TrickyAndFixtureTablesReadBackInUtf8AndUtf16) {
  std::vector<std::string> jobs;
  TMemDataSet tricky;
  FillTrickyTable(tricky);
  for (TTesselOutputEncoding encoding : {oeUTF8, oeUTF16}) {
    TTesselHTML exporter;
    RowRecorder rows;
    rows.Attach(exporter);
    exporter.DataSet = &tricky;
    exporter.ShellLauncher = nullptr;
    exporter.SetOutputEncoding(encoding);
    exporter.TableOptions.BorderColor = 0x336699;
    exporter.Formats().SetNullString(u"(yok)");
    exporter.FileName = (dir_ / (encoding == oeUTF8 ? "tricky8.html" : "tricky16.html")).string();
    exporter.Execute();
    jobs.push_back(TableJob(exporter.FileName, rows.rows));
  }

  std::vector<std::string> skipped;
  int index = 0;
  if (test::SharedDir()) {
    for (const auto& entry : fs::recursive_directory_iterator(*test::SharedDir() / "fixtures" / "paradox")) {
      const std::string extension = entry.path().extension().string();
      if (extension != ".db" && extension != ".DB") continue;
      TTable table;
      table.SetDatabaseName(entry.path().parent_path().string());
      table.SetTableName(entry.path().filename().string());
      try {
        table.Open();
      } catch (const Exception& error) {
        skipped.push_back(entry.path().filename().string() + ": " + error.what());
        continue;
      }
      // Byte fields come out as one character per byte, control bytes
      // included, which no page shows.
      TStringList textFields;
      for (int i = 0; i < table.FieldCount(); ++i)
        if (!IsBinaryType(table.Field(i).DataType())) textFields.Add(table.Field(i).FieldName());
      if (textFields.IsEmpty()) continue;
      const std::string stem = std::to_string(index++) + "-" + entry.path().stem().string();
      for (TTesselOutputEncoding encoding : {oeUTF8, oeUTF16}) {
        TTesselHTML exporter;
        RowRecorder rows;
        rows.Attach(exporter);
        exporter.DataSet = &table;
        exporter.ExportedFields = textFields;
        exporter.ShellLauncher = nullptr;
        exporter.SetOutputEncoding(encoding);
        exporter.FileName = (dir_ / (stem + (encoding == oeUTF8 ? "-8.html" : "-16.html"))).string();
        try {
          exporter.Execute();
        } catch (const Exception& error) {
          ADD_FAILURE() << exporter.FileName << ": " << error.what();
          continue;
        }
        if (rows.rows.size() > 1) jobs.push_back(TableJob(exporter.FileName, rows.rows));
      }
    }
  } else {
    std::cout << "shared fixtures folder not found beside the checkout: only the built-in table is read back\n";
  }
  Finish(jobs);
  for (const std::string& reason : skipped) std::cout << "not exported: " << reason << "\n";
}

TEST_F(HtmlReadBackTest, PagedExportLinksResolveLinkByLink) {
  TMemDataSet data;
  data.AddFieldDef(u"Id", ftInteger);
  data.AddFieldDef(u"Ad", ftString, 20);
  for (int i = 0; i < 23; ++i) data.AppendRecord({Variant::FromInt(i), Variant::FromText(u"Kayıt " + IntToWide(i))});
  data.Open();
  std::vector<std::string> jobs;
  struct Case {
    const char* name;
    TTesselOutputEncoding encoding;
    bool index, top, bottom;
    TUsingCSS css;
  };
  for (const Case& c : {Case{"dizin sayfası.html", oeUTF8, true, true, true, usExternal},
                        Case{"alt.htm", oeUTF16, false, false, true, usExternal},
                        Case{"ust.html", oeUTF8, true, true, false, usInternal}}) {
    TTesselHTML exporter;
    exporter.DataSet = &data;
    exporter.ShellLauncher = nullptr;
    exporter.SetOutputEncoding(c.encoding);
    exporter.SetMaxRecords(5);
    exporter.GenerateIndex = c.index;
    exporter.Navigation.OnTop = c.top;
    exporter.Navigation.OnBottom = c.bottom;
    exporter.UsingCSS = c.css;
    exporter.FileName = (dir_ / c.name).string();
    exporter.Execute();
    ASSERT_EQ(exporter.Pages().size(), 5u) << c.name;
    EXPECT_EQ(exporter.WrittenCSSFile().empty(), c.css == usInternal) << c.name;
    jobs.push_back(SiteJob(c.index ? fs::path(exporter.FileName) : fs::path(), exporter.Pages(), c.top + c.bottom));
  }
  EXPECT_EQ(ReadBack(jobs, dir_), "");
}

}  // namespace
}  // namespace verimo
