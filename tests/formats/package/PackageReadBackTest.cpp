// Exports through the package formats read back by independent readers:
// openpyxl, python-docx and odfpy, odflint, xmllint on every part, unzip,
// LibreOffice (the spreadsheets also shown as our own CSV export shows the
// rows, and computing with their values).
#include <gtest/gtest.h>

#include <iostream>
#include <memory>
#include <sstream>
#include <utility>

#include "core/DateTime.h"
#include "core/Exception.h"
#include "formats/package/PackageTestSupport.h"
#include "formats/package/docx/TesselDocx.h"
#include "formats/package/odf/TesselODS.h"
#include "formats/package/odf/TesselODT.h"
#include "formats/package/xlsx/TesselXlsx.h"
#include "formats/text/TesselASCII.h"
#include "platform/data/MemDataSet.h"
#include "platform/paradox/Table.h"
#include "support/TestPaths.h"

namespace verimo {
namespace {

namespace fs = std::filesystem;

void FillTrickyTable(TMemDataSet& data) {
  data.AddFieldDef(u"Id", ftInteger);
  data.AddFieldDef(u"Ad & \"Soyad\"", ftString, 40);
  data.AddFieldDef(u"Tutar", ftFloat);
  data.AddFieldDef(u"Not", ftMemo);
  data.AddFieldDef(u"Zaman", ftDateTime);
  data.AddFieldDef(u"Evet", ftBoolean);
  const Variant when = Variant::FromDateTime(EncodeDate(2024, 3, 12) + EncodeTime(10, 30, 5, 0));
  data.AppendRecord({Variant::FromInt(1), Variant::FromText(u"Şule Ağaoğlu"), Variant::FromDouble(1234.5),
                     Variant::FromText(u"çok satırlı\r\nnot\nve\rdaha"), when, Variant::FromBool(true)});
  data.AppendRecord({Variant::FromInt(2), Variant::FromText(u"  baştaki ve sondaki  "), Variant::FromDouble(-0.25),
                     Variant::FromText(u"a  <b> & \"c\" 'd'"), Variant::FromDateTime(EncodeDate(1850, 1, 2)),
                     Variant::FromBool(false)});
  data.AppendRecord({Variant::Null(), Variant::Null(), Variant::Null(), Variant::Null(), Variant::Null(),
                     Variant::Null()});
  data.AppendRecord({Variant::FromInt(4), Variant::FromText(u"İıĞğÜüŞşÖöÇç \U0001F600 \U00020BB7"),
                     Variant::FromDouble(0), Variant::FromText(u"kontrol\x01\x1F karakteri\tsekme"), Variant::Null(),
                     Variant::FromBool(true)});
  data.AppendRecord({Variant::FromInt(5), Variant::FromText(u" "), Variant::FromDouble(1e6), Variant::FromText(u""),
                     Variant::FromDateTime(EncodeDate(2000, 2, 29)), Variant::Null()});
  data.Open();
}

// The fixture tables (*.db) under the shared folder.
std::vector<fs::path> FixtureTables() {
  std::vector<fs::path> tables;
  for (const auto& entry : fs::recursive_directory_iterator(*test::SharedDir() / "fixtures" / "paradox")) {
    const std::string extension = entry.path().extension().string();
    if (extension == ".db" || extension == ".DB") tables.push_back(entry.path());
  }
  return tables;
}

class PackageReadBackTest : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = test::MakeTempDir("verimo-package-read"); }
  void TearDown() override {
    if (!std::getenv("VERIMO_KEEP_TEST_FILES")) fs::remove_all(dir_);
  }

  template <typename Exporter>
  void Export(Exporter& exporter, TDataSet& data, const std::string& name, const std::string& format,
              std::vector<test::PackageJob>& jobs) {
    test::TableRecorder recorder;
    recorder.Attach(exporter);
    exporter.DataSet = &data;
    exporter.ShellLauncher = nullptr;
    exporter.FileName = (dir_ / name).string();
    exporter.Execute();
    test::PackageJob job{exporter.FileName, format, true, recorder.Expected(exporter)};
    if (format == "xlsx") job.values = recorder.Values(exporter);
    if (format == "ods") {
      job.expected = recorder.SheetExpected(exporter);
      job.values = recorder.SheetValues(exporter);
    } else if (format == "odt") {
      job.expected = recorder.TableExpected(exporter);
      job.paragraphs = {std::vector<WideString>(exporter.Header.begin(), exporter.Header.end()),
                        std::vector<WideString>(exporter.Footer.begin(), exporter.Footer.end())};
    }
    // Writer lays out a table of many thousand rows for many minutes;
    // python-docx and odfpy still read such a document whole.
    if ((format == "docx" || format == "odt") && job.expected.size() > 3000) job.libreoffice = false;
    jobs.push_back(job);
  }

  fs::path dir_;
};

TEST_F(PackageReadBackTest, TrickyTextsSurviveEveryReader) {
  TMemDataSet data;
  FillTrickyTable(data);
  std::vector<test::PackageJob> jobs;
  auto configure = [](TTessel& exporter) {
    exporter.Header = {u"Rapor: \"Müşteriler\" & <diğerleri>", u"  iki boşluk"};
    exporter.Footer = {u"Son"};
    exporter.Captions = {u"Not=Not alanı"};
    exporter.Formats().SetNullString(u"(yok)");
    exporter.ExportedFields = {u"Id", u"Ad & \"Soyad\"", u"Tutar", u"Not", u"Zaman", u"Evet"};
  };
  TTesselXlsx xlsx;
  configure(xlsx);
  xlsx.SetSheetName(u"Müşteri & Şirket");
  Export(xlsx, data, "tricky.xlsx", "xlsx", jobs);
  TTesselDocx docx;
  configure(docx);
  Export(docx, data, "tricky.docx", "docx", jobs);
  TTesselODS ods;
  configure(ods);
  ods.SheetName = u"Müşteri & Şirket";
  Export(ods, data, "tricky.ods", "ods", jobs);
  TTesselODT odt;
  configure(odt);
  odt.TableName = u"Tablo \"1\" & <2>";
  Export(odt, data, "tricky.odt", "odt", jobs);
  EXPECT_EQ(jobs[0].expected.size(), 9u);
  EXPECT_EQ(test::ReadPackages(jobs, dir_), "");
  if (!test::HaveLibreOffice()) GTEST_SKIP() << "soffice not installed: LibreOffice was not asked";
}

// Every fixture table under two locales: the spreadsheets hold typed values
// and show the texts of our CSV export of the same table; the documents
// (under one locale) hold the texts.
TEST_F(PackageReadBackTest, FixtureTablesReadBackWhole) {
  VERIMO_REQUIRE_SHARED_DIR();
  std::vector<test::PackageJob> jobs;
  std::vector<std::string> skipped;
  int index = 0;
  TGlobalFormatSettingsScope machineSettings;
  for (const std::string locale : {"en_US", "tr_TR"}) {
    GlobalFormatSettings() = TFormatSettings::FromLocale(locale);
    for (const fs::path& path : FixtureTables()) {
      TTable table;
      table.SetDatabaseName(path.parent_path().string());
      table.SetTableName(path.filename().string());
      try {
        table.Open();
      } catch (const Exception& error) {
        if (locale == "en_US") skipped.push_back(path.filename().string() + ": " + error.what());
        continue;
      }
      const std::string stem = std::to_string(index++) + "-" + path.stem().string();
      try {
        // The texts our CSV export writes (before its code page).
        TTesselASCII csv(etCSV);
        test::TableRecorder recorder;
        recorder.Attach(csv);
        csv.DataSet = &table;
        csv.ShellLauncher = nullptr;
        csv.FileName = (dir_ / (stem + ".csv")).string();
        csv.Execute();
        for (const char* format : {"xlsx", "ods"}) {
          std::unique_ptr<TTesselAdvancedText> sheet;
          if (format == std::string("xlsx")) sheet = std::make_unique<TTesselXlsx>();
          else sheet = std::make_unique<TTesselODS>();
          Export(*sheet, table, stem + "." + format, format, jobs);
          jobs.back().shown = recorder.Expected(csv);
          jobs.back().locale = locale;
        }
        if (locale != "en_US") continue;
        TTesselDocx docx;
        Export(docx, table, stem + ".docx", "docx", jobs);
        TTesselODT odt;
        Export(odt, table, stem + ".odt", "odt", jobs);
      } catch (const Exception& error) {
        ADD_FAILURE() << stem << ": " << error.what();
      }
    }
  }
  ASSERT_FALSE(jobs.empty());
  EXPECT_EQ(test::ReadPackages(jobs, dir_), "");
  for (const std::string& reason : skipped) std::cout << "not exported: " << reason << "\n";
}

// Every zipped export of every fixture table: its entries together no
// larger than the same entries deflated by zlib at its best compression, as
// bench/zip-level9.py measures them.
TEST_F(PackageReadBackTest, FixtureArchivesAreNoLargerThanZlibsBestCompression) {
  VERIMO_REQUIRE_SHARED_DIR();
  std::string archives;
  size_t count = 0;
  for (const fs::path& path : FixtureTables()) {
    TTable table;
    table.SetDatabaseName(path.parent_path().string());
    table.SetTableName(path.filename().string());
    try {
      table.Open();
    } catch (const Exception&) {
      continue;  // listed by FixtureTablesReadBackWhole
    }
    TTesselXlsx xlsx;
    TTesselDocx docx;
    TTesselODS ods;
    TTesselODT odt;
    const std::pair<TTesselText*, const char*> exports[] = {{&xlsx, "xlsx"}, {&docx, "docx"}, {&ods, "ods"}, {&odt, "odt"}};
    for (const auto& [exporter, extension] : exports) {
      const fs::path file = dir_ / (std::to_string(count++) + "-" + path.stem().string() + "." + extension);
      exporter->DataSet = &table;
      exporter->ShellLauncher = nullptr;
      exporter->FileName = file.string();
      exporter->Execute();
      archives += " " + test::ShellQuote(file.string());
    }
  }
  ASSERT_GT(count, 0u);
  std::string output;
  const std::string measure = (test::SourceDir() / "bench/zip-level9.py").string();
  ASSERT_EQ(test::RunCommand("/usr/bin/python3 " + test::ShellQuote(measure) + archives + " 2>&1", &output), 0)
      << output;
  // One line per archive: "NAME archive=N entries=N zlib9=N".
  std::istringstream lines(output);
  size_t measured = 0;
  const auto value = [](const std::string& field) { return std::stoull(field.substr(field.find('=') + 1)); };
  for (std::string name, archive, entries, level9; lines >> name >> archive >> entries >> level9; ++measured)
    EXPECT_LE(value(entries), value(level9)) << name;
  EXPECT_EQ(measured, count) << output;
}

// A sum written under the money column of an exported sheet computes the
// total of the source's values.
TEST_F(PackageReadBackTest, SumsUnderAMoneyColumnComputeTheSourcesTotal) {
  VERIMO_REQUIRE_SHARED_DIR();
  if (!test::HaveLibreOffice()) GTEST_SKIP() << "soffice not installed";
  TTable table;
  table.SetDatabaseName((*test::SharedDir() / "fixtures" / "paradox" / "db").string());
  table.SetTableName("ORDERS.DB");
  table.Open();
  const int column = table.FieldByName(u"Total Invoice").Index();
  double total = 0;
  int records = 0;
  for (table.First(); !table.Eof(); table.Next(), ++records) total += table.FieldValue(column).AsDouble();
  ASSERT_GT(records, 100);

  TTesselXlsx xlsx;
  TTesselODS ods;
  for (TTesselAdvancedText* exporter : {static_cast<TTesselAdvancedText*>(&xlsx), static_cast<TTesselAdvancedText*>(&ods)}) {
    exporter->DataSet = &table;
    exporter->ShellLauncher = nullptr;
    exporter->ExportedFields = {u"Order No", u"Total Invoice"};
  }
  xlsx.FileName = (dir_ / "sum.xlsx").string();
  xlsx.Execute();
  ods.FileName = (dir_ / "sum.ods").string();
  ods.Execute();
  std::string output;
  const int status = test::RunCommand(
      "/usr/bin/python3 " + test::ShellQuote((test::SourceDir() / "tests/formats/package/sum_column.py").string()) +
          " " + test::ShellQuote(dir_.string()) + " " + std::to_string(records + 1) + " 2>&1",
      &output);
  ASSERT_EQ(status, 0) << output;
  std::istringstream sums(output);
  for (const char* file : {"sum.xlsx", "sum.ods"}) {
    double sum = 0;
    ASSERT_TRUE(sums >> sum) << output;
    EXPECT_NEAR(sum, total, 0.005) << file;
  }
}

}  // namespace
}  // namespace verimo
