// Several tables in one workbook (TWorkbookTables) through the XLSX and ODS
// exporters: each sheet read back by openpyxl, odfpy and LibreOffice as the
// same table's own single-table export shows it (read_workbook.py); the
// events of each table, sheet names made valid and unique, stopped and
// failed runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/Exception.h"
#include "engine/SheetNames.h"
#include "formats/package/PackageTestSupport.h"
#include "formats/package/odf/TesselODS.h"
#include "formats/package/xlsx/TesselXlsx.h"
#include "platform/data/MemDataSet.h"
#include "platform/paradox/Table.h"
#include "support/Json.h"
#include "support/TestPaths.h"

namespace verimo {
namespace {

namespace fs = std::filesystem;

// One sheet of a workbook compared with sheet `singleSheet` of a single
// export.
struct SheetCheck {
  int sheet;
  fs::path single;
  int singleSheet = 0;
};

struct WorkbookJob {
  fs::path workbook;
  std::string format;
  std::vector<WideString> names;
  std::vector<SheetCheck> sheets;
};

std::string JobsToJson(const std::vector<WorkbookJob>& jobs) {
  std::string json = "[";
  for (const WorkbookJob& job : jobs) {
    if (json.size() > 1) json += ",\n";
    json += "{\"workbook\":";
    test::AppendJsonString(json, job.workbook.string());
    json += ",\"format\":\"" + job.format + "\",\"names\":[";
    for (size_t i = 0; i < job.names.size(); ++i) {
      if (i) json += ',';
      test::AppendJsonString(json, job.names[i]);
    }
    json += "],\"sheets\":[";
    for (size_t i = 0; i < job.sheets.size(); ++i) {
      if (i) json += ',';
      json += "{\"sheet\":" + std::to_string(job.sheets[i].sheet) + ",\"single\":";
      test::AppendJsonString(json, job.sheets[i].single.string());
      json += ",\"singleSheet\":" + std::to_string(job.sheets[i].singleSheet) + "}";
    }
    json += "]}";
  }
  return json + "]";
}

// Runs read_workbook.py over the jobs; its report, empty when every reader
// saw each sheet as in its single export.
std::string ReadWorkbooks(const std::vector<WorkbookJob>& jobs, const fs::path& dir) {
  const fs::path jobsFile = dir / "workbooks.json";
  std::ofstream(jobsFile, std::ios::binary) << JobsToJson(jobs);
  std::string output;
  const int status = test::RunCommand(
      "/usr/bin/python3 " + test::ShellQuote((test::SourceDir() / "tests/formats/package/read_workbook.py").string()) +
          " " + test::ShellQuote(jobsFile.string()) + " 2>&1",
      &output);
  if (status != 0 && output.empty()) output = "read_workbook.py failed with status " + std::to_string(status);
  return output;
}

std::unique_ptr<TTesselAdvancedText> MakeExporter(const std::string& format) {
  if (format == "xlsx") return std::make_unique<TTesselXlsx>();
  return std::make_unique<TTesselODS>();
}

TWorkbookTables& WorkbookOf(TTesselAdvancedText& exporter) { return dynamic_cast<TWorkbookTables&>(exporter); }

// What the events of a run reported, per table.
struct TableEvents {
  std::vector<int> begun;     // OnBeginTable's indexes
  std::vector<int> records;   // OnExportedRecord calls per CurrentTable
  std::vector<int> opened;    // CurrentTable at each OnBeginExport
};

void RecordEvents(TTesselAdvancedText& exporter, TableEvents& events) {
  TWorkbookTables& workbook = WorkbookOf(exporter);
  workbook.OnBeginTable = [&events, &workbook](TTessel& sender, int table) {
    EXPECT_EQ(sender.DataSet, workbook.Tables[static_cast<size_t>(table)].DataSet);
    EXPECT_EQ(workbook.CurrentTable(), table);
    events.begun.push_back(table);
    events.records.push_back(0);
  };
  exporter.OnBeginExport = [&events, &workbook](TTessel&) { events.opened.push_back(workbook.CurrentTable()); };
  exporter.OnExportedRecord = [&events, &workbook](TTessel&, int) {
    ASSERT_GE(workbook.CurrentTable(), 0);
    ++events.records.at(static_cast<size_t>(workbook.CurrentTable()));
  };
}

class WorkbookTablesTest : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = test::MakeTempDir("verimo-workbook"); }
  void TearDown() override {
    if (!std::getenv("VERIMO_KEEP_TEST_FILES")) fs::remove_all(dir_);
  }

  // Exports `data` alone into `name`; the number of records it wrote.
  int ExportSingle(const std::string& format, TDataSet& data, const std::string& name,
                   const std::function<void(TTesselAdvancedText&)>& configure = nullptr) {
    std::unique_ptr<TTesselAdvancedText> exporter = MakeExporter(format);
    if (configure) configure(*exporter);
    int records = 0;
    exporter->OnExportedRecord = [&records](TTessel&, int) { ++records; };
    exporter->DataSet = &data;
    exporter->ShellLauncher = nullptr;
    exporter->FileName = (dir_ / name).string();
    exporter->Execute();
    return records;
  }

  fs::path dir_;
};

// Four fixture tables of different columns into one workbook of each
// format: two of them clash in their names (one only in case), one name
// holds characters no sheet name may hold.
TEST_F(WorkbookTablesTest, FixtureTablesEachReadBackAsTheirOwnExport) {
  VERIMO_REQUIRE_SHARED_DIR();
  const fs::path fixtures = *test::SharedDir() / "fixtures" / "paradox";
  struct Fixture {
    fs::path path;
    WideString name;
  };
  const std::vector<Fixture> fixtureTables = {{fixtures / "db" / "CUSTOMER.DB", u"CUSTOMER"},
                                              {fixtures / "db" / "ORDERS.DB", u"orders/2024: [all]"},
                                              {fixtures / "db" / "AREACODE.DB", u"AREACODE"},
                                              {fixtures / "areas" / "AREACODE.DB", u"areacode"}};
  std::vector<std::unique_ptr<TTable>> tables;
  TSheetNames sheetNames;
  std::vector<WideString> names;
  for (const Fixture& fixture : fixtureTables) {
    tables.push_back(std::make_unique<TTable>());
    tables.back()->SetDatabaseName(fixture.path.parent_path().string());
    tables.back()->SetTableName(fixture.path.filename().string());
    ASSERT_NO_THROW(tables.back()->Open()) << fixture.path;
    names.push_back(sheetNames.Add(fixture.name));
  }
  EXPECT_EQ(names, (std::vector<WideString>{u"CUSTOMER", u"orders_2024_ _all_", u"AREACODE", u"areacode (2)"}));

  std::vector<WorkbookJob> jobs;
  for (const std::string format : {"xlsx", "ods"}) {
    WorkbookJob job{dir_ / ("book-" + format + "." + format), format, names, {}};
    std::vector<int> singleRecords;
    for (size_t i = 0; i < tables.size(); ++i) {
      const std::string single = "single-" + std::to_string(i) + "-" + format + "." + format;
      // The single export names its sheet as the workbook does.
      singleRecords.push_back(ExportSingle(format, *tables[i], single, [&](TTesselAdvancedText& exporter) {
        if (auto* xlsx = dynamic_cast<TTesselXlsx*>(&exporter)) xlsx->SetSheetName(names[i]);
        if (auto* ods = dynamic_cast<TTesselODS*>(&exporter)) ods->SheetName = names[i];
      }));
      job.sheets.push_back({static_cast<int>(i), dir_ / single});
    }
    std::unique_ptr<TTesselAdvancedText> exporter = MakeExporter(format);
    TTable unrelated;
    exporter->DataSet = &unrelated;
    exporter->ShellLauncher = nullptr;
    exporter->FileName = job.workbook.string();
    TWorkbookTables& workbook = WorkbookOf(*exporter);
    for (size_t i = 0; i < tables.size(); ++i) workbook.Tables.push_back({names[i], tables[i].get()});
    TableEvents events;
    RecordEvents(*exporter, events);
    exporter->Execute();
    EXPECT_EQ(events.begun, (std::vector<int>{0, 1, 2, 3})) << format;
    EXPECT_EQ(events.opened, (std::vector<int>{0, 1, 2, 3})) << format;
    EXPECT_EQ(events.records, singleRecords) << format;
    EXPECT_GT(singleRecords[0], 0);
    EXPECT_EQ(workbook.CurrentTable(), -1);
    EXPECT_EQ(exporter->DataSet, &unrelated);
    jobs.push_back(job);
  }
  EXPECT_EQ(ReadWorkbooks(jobs, dir_), "");
  if (!test::HaveLibreOffice()) GTEST_SKIP() << "soffice not installed: LibreOffice was not asked";
}

void FillRows(TMemDataSet& data, const WideString& prefix, int rows) {
  data.AddFieldDef(u"N", ftInteger);
  data.AddFieldDef(u"Text", ftString, 20);
  data.AddFieldDef(u"Amount", ftFloat);
  for (int i = 1; i <= rows; ++i)
    data.AppendRecord(
        {Variant::FromInt(i), Variant::FromText(prefix + IntToWide(i)), Variant::FromDouble(i * 1.25)});
  data.Open();
}

// Names the caller did not make unique: the exporters do. The XLSX tables
// go past a sheet's rows, so their continuation sheets take part in the
// names, and two names that are no safe part names share none.
TEST_F(WorkbookTablesTest, ClashingNamesAndContinuedTablesGetSheetsOfTheirOwn) {
  TMemDataSet data;
  FillRows(data, u"d", 5);
  TMemDataSet city;
  FillRows(city, u"şehir ", 1);
  TMemDataSet country;
  FillRows(country, u"ülke ", 3);
  const auto limitRows = [](TTesselAdvancedText& exporter) {
    if (auto* xlsx = dynamic_cast<TTesselXlsx*>(&exporter)) xlsx->SheetRowLimit = 3;
    exporter.Header = {u"Header line"};
  };
  std::vector<WorkbookJob> jobs;
  for (const std::string format : {"xlsx", "ods"}) {
    const fs::path dataSingle = dir_ / ("data-" + format + "." + format);
    const fs::path citySingle = dir_ / ("city-" + format + "." + format);
    const fs::path countrySingle = dir_ / ("country-" + format + "." + format);
    ExportSingle(format, data, dataSingle.filename().string(), limitRows);
    ExportSingle(format, city, citySingle.filename().string(), limitRows);
    ExportSingle(format, country, countrySingle.filename().string(), limitRows);

    std::unique_ptr<TTesselAdvancedText> exporter = MakeExporter(format);
    limitRows(*exporter);
    exporter->ShellLauncher = nullptr;
    exporter->FileName = (dir_ / ("names-" + format + "." + format)).string();
    WorkbookOf(*exporter).Tables = {
        {u"Data", &data}, {u"Data (2)", &city}, {u"Ülke/Şube", &country}, {u"ÜLKE_ŞUBE", &city}};
    exporter->Execute();
    if (format == "xlsx") {
      // Header or captions, then records: "Data" takes three sheets, the
      // country table two.
      jobs.push_back({exporter->FileName,
                      format,
                      {u"Data", u"Data (2)", u"Data (3)", u"Data (2) (2)", u"Ülke_Şube", u"Ülke_Şube (2)",
                       u"ÜLKE_ŞUBE (3)"},
                      {{0, dataSingle, 0},
                       {1, dataSingle, 1},
                       {2, dataSingle, 2},
                       {3, citySingle, 0},
                       {4, countrySingle, 0},
                       {5, countrySingle, 1},
                       {6, citySingle, 0}}});
      std::vector<std::string> parts;
      for (const std::string& entry : test::ZipEntries(exporter->FileName))
        if (entry.rfind("xl/worksheets/", 0) == 0) parts.push_back(entry);
      std::sort(parts.begin(), parts.end());
      EXPECT_EQ(std::adjacent_find(parts.begin(), parts.end()), parts.end());
      EXPECT_EQ(parts.size(), 7u);
      // Every sheet of a continued table has the table's column widths.
      for (const std::string& part : parts)
        EXPECT_NE(test::ZipPart(exporter->FileName, part).find("<cols><col min=\"1\" max=\"1\""), std::string::npos)
            << part;
    } else {
      jobs.push_back({exporter->FileName,
                      format,
                      {u"Data", u"Data (2)", u"Ülke_Şube", u"ÜLKE_ŞUBE (2)"},
                      {{0, dataSingle}, {1, citySingle}, {2, countrySingle}, {3, citySingle}}});
    }
  }
  EXPECT_EQ(ReadWorkbooks(jobs, dir_), "");
}

// A table stopped ends the run with the tables written so far (one
// stopped before its records left out); a table that fails leaves no
// workbook, and the caller's source is restored either way.
TEST_F(WorkbookTablesTest, StoppedRunsKeepTheTablesSoFarAndFailedRunsNothing) {
  TMemDataSet first;
  FillRows(first, u"a", 4);
  TMemDataSet second;
  FillRows(second, u"b", 6);
  TMemDataSet third;
  FillRows(third, u"c", 2);
  std::vector<WorkbookJob> jobs;
  for (const std::string format : {"xlsx", "ods"}) {
    const fs::path firstSingle = dir_ / ("first-" + format + "." + format);
    ExportSingle(format, first, firstSingle.filename().string());
    // The second table as far as the stop gets it.
    const fs::path secondSingle = dir_ / ("second-" + format + "." + format);
    const auto stopAtThird = [](TTesselAdvancedText& exporter) {
      exporter.OnStopExport = [](TTessel&, bool& canContinue) { canContinue = false; };
    };
    {
      std::unique_ptr<TTesselAdvancedText> single = MakeExporter(format);
      stopAtThird(*single);
      single->OnExportedRecord = [](TTessel& sender, int recNo) {
        if (recNo == 2) sender.Abort();
      };
      single->DataSet = &second;
      single->ShellLauncher = nullptr;
      single->FileName = secondSingle.string();
      single->Execute();
    }

    std::unique_ptr<TTesselAdvancedText> exporter = MakeExporter(format);
    stopAtThird(*exporter);
    exporter->ShellLauncher = nullptr;
    exporter->FileName = (dir_ / ("stopped-" + format + "." + format)).string();
    TWorkbookTables& workbook = WorkbookOf(*exporter);
    workbook.Tables = {{u"first", &first}, {u"second", &second}, {u"third", &third}};
    std::vector<int> begun;
    workbook.OnBeginTable = [&begun](TTessel&, int table) { begun.push_back(table); };
    exporter->OnExportedRecord = [&workbook](TTessel& sender, int recNo) {
      if (workbook.CurrentTable() == 1 && recNo == 2) sender.Abort();
    };
    exporter->Execute();
    EXPECT_TRUE(exporter->Aborted());
    EXPECT_EQ(begun, (std::vector<int>{0, 1})) << format;
    jobs.push_back({exporter->FileName, format, {u"first", u"second"}, {{0, firstSingle}, {1, secondSingle}}});

    // Stopped before its records, a table is left out; at the first table,
    // so is the workbook.
    exporter->OnExportedRecord = nullptr;
    for (const int stoppedTable : {1, 0}) {
      exporter->OnBeginExport = [&workbook, stoppedTable](TTessel& sender) {
        if (workbook.CurrentTable() == stoppedTable) sender.Abort();
      };
      exporter->FileName = (dir_ / ("early-" + std::to_string(stoppedTable) + "-" + format + "." + format)).string();
      exporter->Execute();
      EXPECT_TRUE(exporter->Aborted());
      EXPECT_EQ(fs::exists(exporter->FileName), stoppedTable > 0) << exporter->FileName;
    }
    jobs.push_back({dir_ / ("early-1-" + format + "." + format), format, {u"first"}, {{0, firstSingle}}});
    exporter->OnBeginExport = nullptr;

    // The third table has no source: the run fails, the target is not made.
    const fs::path failed = dir_ / ("failed-" + format + "." + format);
    exporter->OnExportedRecord = nullptr;
    exporter->FileName = failed.string();
    exporter->DataSet = &first;
    workbook.Tables[2].DataSet = nullptr;
    EXPECT_THROW(exporter->Execute(), Exception);
    EXPECT_FALSE(fs::exists(failed));
    EXPECT_EQ(exporter->DataSet, &first);
    EXPECT_EQ(workbook.CurrentTable(), -1);
    // The exporter exports its own DataSet alone again once Tables is empty.
    workbook.Tables.clear();
    exporter->Execute();
    auto* ods = dynamic_cast<TTesselODS*>(exporter.get());
    jobs.push_back({failed, format, {ods ? ods->SheetName : WideString(u"sheet1")}, {{0, firstSingle}}});
  }
  EXPECT_EQ(ReadWorkbooks(jobs, dir_), "");
}

}  // namespace
}  // namespace verimo
