#include "formats/xls/TesselXLS.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <set>

#include "core/Exception.h"
#include "engine/TesselIniFile.h"
#include "platform/codepage/CodePage.h"
#include "platform/data/MemDataSet.h"
#include "platform/paradox/Table.h"
#include "support/Json.h"
#include "support/TestPaths.h"

namespace verimo {
namespace {

namespace fs = std::filesystem;
using test::AppendJsonString;

// ---- what a reader should see ----

struct TCell {
  TCell(std::string k = "e", WideString t = {}, double n = 0) : kind(std::move(k)), text(std::move(t)), number(n) {}
  std::string kind;  // s, n, d, b, e
  WideString text;
  double number = 0;
};

struct TSheet {
  TSheet(WideString n = {}, std::vector<std::vector<TCell>> r = {}) : name(std::move(n)), rows(std::move(r)) {}
  WideString name;
  std::vector<std::vector<TCell>> rows;
  // For big sheets: the row count and the numbers of the rows given.
  size_t nrows = 0;
  std::vector<size_t> sample;
};

struct TJob {
  fs::path file;
  std::vector<std::string> readers{"xlrd", "libreoffice"};
  std::vector<TSheet> sheets;
  std::vector<std::string> checks;  // JSON objects for "cells"
  std::vector<std::string> widths;  // JSON objects for "widths"
};

std::string Number(double value) {
  char text[40];
  std::snprintf(text, sizeof text, "%.17g", value);
  return text;
}

std::string JobsToJson(const std::vector<TJob>& jobs) {
  std::string json = "[";
  for (const TJob& job : jobs) {
    if (json.size() > 1) json += ",\n";
    json += "{\"file\":";
    AppendJsonString(json, Utf8ToWide(job.file.string()));
    json += ",\"readers\":[";
    for (size_t i = 0; i < job.readers.size(); ++i) json += (i ? ",\"" : "\"") + job.readers[i] + "\"";
    json += "],\"sheets\":[";
    for (size_t s = 0; s < job.sheets.size(); ++s) {
      json += s ? ",{\"name\":" : "{\"name\":";
      AppendJsonString(json, job.sheets[s].name);
      if (!job.sheets[s].sample.empty()) {
        json += ",\"nrows\":" + std::to_string(job.sheets[s].nrows) + ",\"sample\":[";
        for (size_t i = 0; i < job.sheets[s].sample.size(); ++i)
          json += (i ? "," : "") + std::to_string(job.sheets[s].sample[i]);
        json += "]";
      }
      json += ",\"rows\":[";
      for (size_t r = 0; r < job.sheets[s].rows.size(); ++r) {
        json += r ? ",[" : "[";
        for (size_t c = 0; c < job.sheets[s].rows[r].size(); ++c) {
          const TCell& cell = job.sheets[s].rows[r][c];
          json += c ? ",{\"t\":\"" : "{\"t\":\"";
          json += cell.kind + "\"";
          if (cell.kind == "s") {
            json += ",\"v\":";
            AppendJsonString(json, cell.text);
          } else if (cell.kind == "n") {
            json += ",\"v\":" + Number(cell.number);
          } else if (cell.kind == "d") {
            json += ",\"v\":" + Number(cell.number) + ",\"text\":";
            AppendJsonString(json, cell.text);
          } else if (cell.kind == "b") {
            json += cell.number != 0 ? ",\"v\":true" : ",\"v\":false";
          }
          json += '}';
        }
        json += ']';
      }
      json += "]}";
    }
    json += "],\"cells\":[";
    for (size_t i = 0; i < job.checks.size(); ++i) json += (i ? "," : "") + job.checks[i];
    json += "],\"widths\":[";
    for (size_t i = 0; i < job.widths.size(); ++i) json += (i ? "," : "") + job.widths[i];
    json += "]}";
  }
  return json + "]";
}

bool HaveLibreOffice() { return test::RunCommand("command -v soffice >/dev/null 2>&1") == 0; }

// Runs the checker; its report, empty when every reader agrees.
std::string ReadBack(std::vector<TJob> jobs, const fs::path& dir) {
  if (!HaveLibreOffice())
    for (TJob& job : jobs) std::erase(job.readers, "libreoffice");
  const fs::path jobsFile = dir / "jobs.json";
  std::ofstream(jobsFile, std::ios::binary) << JobsToJson(jobs);
  std::string output;
  const int status = test::RunCommand("/usr/bin/python3 " +
                                          test::ShellQuote((test::SourceDir() / "tests/formats/xls/read_xls.py").string()) +
                                          " " + test::ShellQuote(jobsFile.string()) + " 2>&1",
                                      &output);
  if (status != 0 && output.empty()) output = "read_xls.py failed with status " + std::to_string(status);
  return output;
}

// The cell a reader should see for an exported value.
TCell ExpectedCell(const TTesselColumn& column, const WideString& text, const Variant& value,
                   const TTesselFormats& formats) {
  if (text.empty()) return {"e"};
  if (text == formats.NullString()) return {"s", text};
  // A cell holds at most 32,767 UTF-16 units.
  const WideString cut = CutText(text, 32767);
  const bool numeric = value.IsNumeric() || value.GetKind() == Variant::Kind::DateTime;
  switch (column.ColType) {
    case ectBoolean: return {"b", u"", SameText(text, formats.BooleanTrue()) ? 1.0 : 0.0};
    case ectInteger:
    case ectBigint:
    case ectFloat:
    case ectCurrency:
      if (numeric) return {"n", u"", value.AsDouble()};
      return {"s", cut};
    case ectDate:
    case ectTime:
    case ectDateTime:
      if (numeric && value.AsDouble() >= 2) {
        const double v = value.AsDouble();
        return {"d", cut, v >= 61 ? v : v - 1};
      }
      return {"s", cut};
    default: return {"s", cut};
  }
}

// Records the captions and every exported row as a reader should see them.
struct TRecorder {
  std::vector<std::vector<TCell>> rows;

  void Attach(TTesselXLS& exporter) {
    exporter.OnBeforeExportRow = [this](TTessel& sender, TTesselRow& row, bool&) {
      std::vector<TCell> cells;
      for (int i = 0; i < row.Count(); ++i) {
        const bool isNull = sender.Columns().IsNull(i);
        const WideString text = isNull ? sender.Formats().NullString() : row[i].Text;
        cells.push_back(ExpectedCell(sender.Columns()[i], text, row[i].Value, sender.Formats()));
      }
      rows.push_back(std::move(cells));
    };
  }

  static std::vector<TCell> Captions(const TTesselColumns& columns) {
    std::vector<TCell> cells;
    for (const TTesselColumn& column : columns) cells.push_back({"s", column.Caption});
    return cells;
  }
};

void PinFormats(TTesselFormats& formats) {
  formats.DecimalSeparator = u',';
  formats.ThousandSeparator = u'.';
  formats.DateSeparator = u'.';
  formats.TimeSeparator = u':';
  formats.SetIntegerFormat(u"#,##0");
  formats.SetFloatFormat(u"#,##0.00");
  formats.SetCurrencyFormat(u"#,##0.00 TL");
  formats.SetDateFormat(u"dd/mm/yyyy");
  formats.SetTimeFormat(u"hh:nn:ss");
  formats.SetDateTimeFormat(u"dd/mm/yyyy hh:nn:ss");
}

Variant Date(int y, int m, int d) { return Variant::FromDateTime(EncodeDate(y, m, d)); }

void FillTrickyTable(TMemDataSet& data) {
  data.AddFieldDef(u"Id", ftInteger);
  data.AddFieldDef(u"Ad", ftString, 40);
  data.AddFieldDef(u"Tutar", ftFloat);
  data.AddFieldDef(u"Fiyat", ftCurrency);
  data.AddFieldDef(u"Gün", ftDate);
  data.AddFieldDef(u"Saat", ftTime);
  data.AddFieldDef(u"Onay", ftBoolean);
  data.AddFieldDef(u"Not", ftMemo);
  data.AppendRecord({Variant::FromInt(1), Variant::FromText(u"Şule Ağaoğlu"), Variant::FromDouble(1234.5),
                     Variant::FromDouble(12.5), Date(2024, 2, 29), Variant::FromDateTime(0.75), Variant::FromBool(true),
                     Variant::FromText(u"çok satırlı\r\nnot 𝄞 müzik")});
  data.AppendRecord({Variant::FromInt(-2), Variant::FromText(u"=1+2"), Variant::FromDouble(-0.25), Variant::FromDouble(0),
                     Date(1900, 1, 1), Variant::FromDateTime(0.5), Variant::FromBool(false), Variant::FromText(u"İıĞğÜüŞşÖöÇç")});
  data.AppendRecord({Variant::FromInt(3), Variant::Null(), Variant::FromDouble(1e15), Variant::FromDouble(99999.99),
                     Date(1900, 2, 28), Variant::Null(), Variant::Null(), Variant::FromText(u"\"tırnak\" ve 'tek'")});
  data.AppendRecord({Variant::Null(), Variant::FromText(u"x"), Variant::Null(), Variant::Null(), Date(1900, 3, 1),
                     Variant::FromDateTime(0.999), Variant::FromBool(true), Variant::Null()});
  data.AppendRecord({Variant::FromInt(5), Variant::FromText(u"ışık"), Variant::FromDouble(0.1), Variant::FromDouble(-7.75),
                     Date(1899, 12, 30), Variant::FromDateTime(0), Variant::FromBool(false), Variant::FromText(u"son")});
  data.Open();
}

class XlsExportTest : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = test::MakeTempDir("verimo-xls"); }
  // VERIMO_KEEP_TEST_FILES keeps the exported files for a look.
  void TearDown() override {
    if (!std::getenv("VERIMO_KEEP_TEST_FILES")) fs::remove_all(dir_);
  }

  void Configure(TTesselXLS& exporter, TDataSet& data, const std::string& name) {
    exporter.DataSet = &data;
    exporter.FileName = (dir_ / name).string();
    exporter.ShellLauncher = nullptr;
    exporter.TextMeasurer = &measurer_;
    PinFormats(exporter.Formats());
    exporter.Formats().SetBooleanTrue(u"Evet");
    exporter.Formats().SetBooleanFalse(u"Hayır");
    exporter.Formats().SetNullString(u"(yok)");
  }

  TFixedTextMeasurer measurer_{7};
  fs::path dir_;
};

TEST_F(XlsExportTest, ReadersSeeValuesTypesAndTextsAsExported) {
  TMemDataSet data;
  FillTrickyTable(data);
  TTesselXLS exporter;
  Configure(exporter, data, "tricky.xls");
  TRecorder recorder;
  recorder.Attach(exporter);
  exporter.Execute();
  ASSERT_EQ(recorder.rows.size(), 5u);
  TJob job;
  job.file = exporter.FileName;
  TSheet sheet{u"Sheet 1"};
  sheet.rows.push_back(TRecorder::Captions(exporter.Columns()));
  for (auto& row : recorder.rows) sheet.rows.push_back(row);
  job.sheets.push_back(sheet);
  // Captions are bold; number and date cells carry their formats.
  job.checks = {R"({"sheet":0,"row":0,"col":0,"bold":true,"font":"arial","height":200})",
                R"({"sheet":0,"row":1,"col":0,"bold":false,"format":"#,##0"})",
                R"({"sheet":0,"row":1,"col":3,"format":"#,##0.00\" TL\""})",
                R"({"sheet":0,"row":1,"col":4,"format":"dd\".\"mm\".\"yyyy"})"};
  EXPECT_EQ(ReadBack({job}, dir_), "");
}

TEST_F(XlsExportTest, DatesBeforeTheLeapYearSlotAndPureTimesFollowTheSerialRule) {
  TMemDataSet data;
  FillTrickyTable(data);
  TTesselXLS exporter;
  Configure(exporter, data, "dates.xls");
  TRecorder recorder;
  recorder.Attach(exporter);
  exporter.Execute();
  // 1 Jan 1900 is serial 1, 28 Feb 1900 serial 59, 1 Mar 1900 serial 61.
  EXPECT_EQ(recorder.rows[1][4].number, 1);
  EXPECT_EQ(recorder.rows[2][4].number, 59);
  EXPECT_EQ(recorder.rows[3][4].number, 61);
  // 30 Dec 1899 and times of day alone are their texts.
  EXPECT_EQ(recorder.rows[4][4].kind, "s");
  EXPECT_EQ(recorder.rows[0][5].kind, "s");
  EXPECT_EQ(recorder.rows[0][5].text, u"18:00:00");
  TJob job;
  job.file = exporter.FileName;
  job.readers = {"xlrd"};
  TSheet sheet{u"Sheet 1"};
  sheet.rows.push_back(TRecorder::Captions(exporter.Columns()));
  for (auto& row : recorder.rows) sheet.rows.push_back(row);
  job.sheets.push_back(sheet);
  EXPECT_EQ(ReadBack({job}, dir_), "");
}

TEST_F(XlsExportTest, HeaderFooterLinesFormatsWidthsAndAggregates) {
  TMemDataSet data;
  data.AddFieldDef(u"Bölge", ftString, 10);
  data.AddFieldDef(u"Tutar", ftFloat);
  data.AddFieldDef(u"Adet", ftInteger);
  const std::vector<std::pair<const char16_t*, double>> values = {
      {u"Doğu", 10}, {u"Doğu", 20.5}, {u"Batı", 1}, {u"Batı", 2}, {u"Batı", 3}, {u"Kuzey", -4}};
  for (size_t i = 0; i < values.size(); ++i)
    data.AppendRecord({Variant::FromText(values[i].first), Variant::FromDouble(values[i].second),
                       Variant::FromInt(static_cast<int64_t>(i + 1))});
  data.Open();
  TTesselXLS exporter;
  Configure(exporter, data, "layout.xls");
  exporter.Options.StartDataCol = 1;
  exporter.Header = {u"Rapor\tŞubat", u""};
  exporter.Options.HeaderRows = 3;
  exporter.Footer = {u"Son satır"};
  exporter.Options.AutoCalcColWidth = true;
  exporter.Options.SubAggControlColumn = u"Bölge";
  TxlsFieldFormat tutar;
  tutar.FieldName = u"tutar";
  tutar.Aggregate = aggSum;
  tutar.Font.Color = clrRed;
  tutar.Fill = {clrLightYellow, ptSolid, clrBlack};
  TxlsFieldFormat adet;
  adet.FieldName = u"Adet";
  adet.Aggregate = aggMax;
  exporter.Options.FieldFormats = {tutar, adet};
  exporter.Options.PageHeader = u"Çıktı başlığı";
  exporter.ColumnsWidth = {u"Bölge=1", u"Tutar=1"};
  exporter.Execute();

  TJob job;
  job.file = exporter.FileName;
  TSheet sheet{u"Sheet 1"};
  auto text = [](WideStringView t) { return TCell{"s", WideString(t)}; };
  auto number = [](double n) { return TCell{"n", u"", n}; };
  const TCell blank{"e"};
  sheet.rows = {{text(u"Rapor"), text(u"Şubat")},
                {},
                {},
                {blank, text(u"Bölge"), text(u"Tutar"), text(u"Adet")},
                {blank, text(u"Doğu"), number(10), number(1)},
                {blank, text(u"Doğu"), number(20.5), number(2)},
                {blank, blank, number(30.5), number(2)},
                {blank, text(u"Batı"), number(1), number(3)},
                {blank, text(u"Batı"), number(2), number(4)},
                {blank, text(u"Batı"), number(3), number(5)},
                {blank, blank, number(6), number(5)},
                {blank, text(u"Kuzey"), number(-4), number(6)},
                {blank, blank, number(-4), number(6)},
                {text(u"Son satır")}};
  job.sheets.push_back(sheet);
  job.checks = {R"({"sheet":0,"row":4,"col":2,"colour":10,"pattern":1,"fill":43})",
                R"({"sheet":0,"row":6,"col":2,"colour":8,"value":30.5})",
                R"({"sheet":0,"row":12,"col":3,"value":6})",
                R"({"sheet":0,"row":3,"col":1,"bold":true})"};
  // Fixed 7-pixel characters: a text of n characters needs n + 1 ("I" appended).
  job.widths = {R"({"sheet":0,"col":1,"width":1536})", R"({"sheet":0,"col":2,"width":1536})"};
  EXPECT_EQ(ReadBack({job}, dir_), "");
}

TEST_F(XlsExportTest, RowStripesAndTheDataEventStyleTheDataCells) {
  TMemDataSet data;
  data.AddFieldDef(u"Ad", ftString, 10);
  data.AddFieldDef(u"Oran", ftFloat);
  for (int i = 0; i < 4; ++i) data.AppendRecord({Variant::FromText(u"satır"), Variant::FromDouble(i + 0.5)});
  data.Open();
  TTesselXLS exporter;
  Configure(exporter, data, "stripes.xls");
  TxlsFormat yellow;
  yellow.Fill = {clrYellow, ptSolid, clrBlack};
  TxlsFormat blue;
  blue.Fill = {clrPaleBlue, ptSolid, clrBlack};
  exporter.Options.StripStyles = {yellow, blue};
  exporter.Options.StripType = ssRow;
  exporter.OnGetDataParams = [](TTesselXLS&, int, int col, int row, TxlsFormat& format, WideString& formatText) {
    if (col == 1) formatText = u"0.000";
    if (row == 4) format.Font.Style = xfsItalic;
  };
  exporter.Execute();
  TJob job;
  job.file = exporter.FileName;
  job.readers = {"xlrd"};
  job.sheets = {{u"Sheet 1",
                 {{{"s", u"Ad"}, {"s", u"Oran"}},
                  {{"s", u"satır"}, {"n", u"", 0.5}},
                  {{"s", u"satır"}, {"n", u"", 1.5}},
                  {{"s", u"satır"}, {"n", u"", 2.5}},
                  {{"s", u"satır"}, {"n", u"", 3.5}}}}};
  job.checks = {R"({"sheet":0,"row":1,"col":0,"pattern":1,"fill":13,"italic":false})",
                R"({"sheet":0,"row":2,"col":0,"pattern":1,"fill":44})",
                R"({"sheet":0,"row":3,"col":1,"pattern":1,"fill":13,"format":"0.000"})",
                R"({"sheet":0,"row":4,"col":0,"fill":44,"italic":true})"};
  EXPECT_EQ(ReadBack({job}, dir_), "");
}

TEST_F(XlsExportTest, StoppedRunLeavesAWorkbookWithTheRowsWrittenSoFar) {
  TMemDataSet data;
  data.AddFieldDef(u"N", ftInteger);
  for (int i = 0; i < 50; ++i) data.AppendRecord({Variant::FromInt(i)});
  data.Open();
  TTesselXLS exporter;
  Configure(exporter, data, "stopped.xls");
  int seen = 0;
  exporter.OnExportedRecord = [&seen](TTessel& sender, int) {
    if (++seen == 10) sender.Abort();
  };
  exporter.OnStopExport = [](TTessel&, bool& canContinue) { canContinue = false; };
  exporter.Execute();
  EXPECT_TRUE(exporter.Aborted());
  TJob job;
  job.file = exporter.FileName;
  job.readers = {"xlrd"};
  TSheet sheet{u"Sheet 1"};
  sheet.rows.push_back({{"s", u"N"}});
  for (int i = 0; i < 10; ++i) sheet.rows.push_back({{"n", u"", static_cast<double>(i)}});
  job.sheets.push_back(sheet);
  EXPECT_EQ(ReadBack({job}, dir_), "");
}

TEST_F(XlsExportTest, SheetsCollectionWritesEachSourceUnderItsTitle) {
  TMemDataSet first;
  first.AddFieldDef(u"A", ftString, 5);
  first.AppendRecord({Variant::FromText(u"bir")});
  first.Open();
  TMemDataSet second;
  second.AddFieldDef(u"B", ftInteger);
  second.AppendRecord({Variant::FromInt(2)});
  second.Open();
  TTesselXLS exporter;
  Configure(exporter, first, "sheets.xls");
  for (auto* data : {&first, &second}) {
    auto sheet = std::make_unique<TxlsSheet>(static_cast<int>(exporter.Sheets.size()) + 1);
    sheet->LoadFromExporter(exporter);
    sheet->DataSet = data;
    sheet->Title = data == &first ? u"İlk: [liste]" : u"İlk: [liste]";
    exporter.Sheets.push_back(std::move(sheet));
  }
  exporter.Execute();
  TJob job;
  job.file = exporter.FileName;
  job.readers = {"xlrd"};
  job.sheets = {{u"İlk_ _liste_", {{{"s", u"A"}}, {{"s", u"bir"}}}},
                {u"İlk_ _liste_ (2)", {{{"s", u"B"}}, {{"n", u"", 2}}}}};
  EXPECT_EQ(ReadBack({job}, dir_), "");
  EXPECT_EQ(exporter.DataSet, &first);  // the exporter's own source is back
}

TEST_F(XlsExportTest, LongTextsAreCutAtTheCellLimit) {
  TMemDataSet data;
  data.AddFieldDef(u"Not", ftMemo);
  const WideString text = WideString(32766, u'ğ') + u"𝄞" + u"son";
  data.AppendRecord({Variant::FromText(text)});
  data.Open();
  TTesselXLS exporter;
  Configure(exporter, data, "long.xls");
  exporter.ExportedFields = {u"Not"};
  exporter.Execute();
  TJob job;
  job.file = exporter.FileName;
  job.readers = {"xlrd"};
  job.sheets = {{u"Sheet 1", {{{"s", u"Not"}}, {{"s", WideString(32766, u'ğ')}}}}};
  EXPECT_EQ(ReadBack({job}, dir_), "");
  // The cut is counted for its field, and fails a run that may lose nothing.
  ASSERT_EQ(exporter.Losses().Losses().size(), 1u);
  const TLoss& loss = exporter.Losses().Losses()[0];
  EXPECT_EQ(loss.field, u"Not");
  EXPECT_EQ(loss.kind, TLossKind::CellTextCut);
  EXPECT_EQ(loss.detail, u"32767");
  EXPECT_EQ(loss.count, 1);
  exporter.FailOnLoss = true;
  EXPECT_THROW(exporter.Execute(), Exception);
}

TEST_F(XlsExportTest, TooManyColumnsAndMissingFileNameFailBeforeAnythingIsWritten) {
  TMemDataSet data;
  for (int i = 0; i < 10; ++i) data.AddFieldDef(u"F" + IntToWide(i), ftInteger);
  data.AppendRecord(std::vector<Variant>(10, Variant::FromInt(1)));
  data.Open();
  TTesselXLS exporter;
  Configure(exporter, data, "wide.xls");
  exporter.Options.StartDataCol = 250;
  EXPECT_THROW(exporter.Execute(), Exception);
  EXPECT_FALSE(fs::exists(exporter.FileName));
  exporter.Options.StartDataCol = 246;
  exporter.Execute();
  EXPECT_TRUE(fs::exists(exporter.FileName));
  exporter.FileName.clear();
  try {
    exporter.Execute();
    ADD_FAILURE() << "no error";
  } catch (const Exception& error) {
    EXPECT_EQ(error.Message(), u"Result file name not present");
  }
}

// ---- the limits of a sheet ----

// One integer column of `records` rows, numbered from 1.
void FillNumbers(TMemDataSet& data, int fields, int records) {
  for (int i = 0; i < fields; ++i) data.AddFieldDef(u"F" + IntToWide(i), ftInteger);
  for (int r = 1; r <= records; ++r) data.AppendRecord(std::vector<Variant>(static_cast<size_t>(fields), Variant::FromInt(r)));
  data.Open();
}

// A sheet of `rows` rows read back at its first, second and last row.
TSheet NumberSheet(WideString name, size_t rows, int firstNumber) {
  TSheet sheet{std::move(name)};
  sheet.nrows = rows;
  sheet.sample = {0, 1, rows - 1};
  sheet.rows = {{{"s", u"F0"}}, {{"n", u"", double(firstNumber)}}, {{"n", u"", double(firstNumber) + rows - 2}}};
  return sheet;
}

// A stop asked of the workbook reaches the sheet being written: its rows so
// far stay, the sheets after it are left out, and the next run starts
// afresh. What each sheet loses adds up in the workbook's losses.
TEST_F(XlsExportTest, AStopReachesTheSheetBeingWrittenAndTheNextRunStartsAfresh) {
  TMemDataSet numbers;
  FillNumbers(numbers, 1, 20);
  TMemDataSet notes;
  notes.AddFieldDef(u"Not", ftMemo);
  notes.AppendRecord({Variant::FromText(WideString(32766, u'ğ') + u"𝄞")});
  notes.Open();
  TTesselXLS exporter;
  Configure(exporter, numbers, "stop.xls");
  int stopAt = 5;
  int seen = 0;
  exporter.OnExportedRecord = [&](TTessel&, int) {
    if (++seen == stopAt) exporter.Abort();
  };
  exporter.OnStopExport = [](TTessel&, bool& canContinue) { canContinue = false; };
  for (auto* data : {&numbers, &notes}) {
    auto sheet = std::make_unique<TxlsSheet>();
    sheet->LoadFromExporter(exporter);
    sheet->DataSet = data;
    sheet->Title = data == &numbers ? u"Sayılar" : u"Notlar";
    if (data == &notes) sheet->ExportedFields = {u"Not"};
    exporter.Sheets.push_back(std::move(sheet));
  }
  exporter.Execute();
  EXPECT_TRUE(exporter.Aborted());
  TJob stopped;
  stopped.file = exporter.FileName;
  stopped.readers = {"xlrd"};
  TSheet part{u"Sayılar", {{{"s", u"F0"}}}};
  for (int i = 1; i <= 5; ++i) part.rows.push_back({{"n", u"", static_cast<double>(i)}});
  stopped.sheets = {part};
  EXPECT_EQ(ReadBack({stopped}, dir_), "");

  stopAt = 0;
  seen = 0;
  exporter.Execute();
  EXPECT_FALSE(exporter.Aborted());
  TJob whole;
  whole.file = exporter.FileName;
  whole.readers = {"xlrd"};
  whole.sheets = {NumberSheet(u"Sayılar", 21, 1), {u"Notlar", {{{"s", u"Not"}}, {{"s", WideString(32766, u'ğ')}}}}};
  EXPECT_EQ(ReadBack({whole}, dir_), "");
  ASSERT_EQ(exporter.Losses().Losses().size(), 1u);
  EXPECT_EQ(exporter.Losses().Losses()[0].field, u"Not");
}

// 65,536 rows fill a sheet: the captions and 65,535 records. One record
// more continues on a second sheet, again under the captions.
TEST_F(XlsExportTest, A65536RowSheetIsFullAndTheNextRecordStartsTheNextSheet) {
  TMemDataSet full;
  FillNumbers(full, 1, 65535);
  TTesselXLS atLimit;
  Configure(atLimit, full, "full.xls");
  atLimit.Execute();
  TMemDataSet over;
  FillNumbers(over, 1, 65536);
  TTesselXLS pastLimit;
  Configure(pastLimit, over, "over.xls");
  pastLimit.Execute();

  TJob one;
  one.file = atLimit.FileName;
  one.readers = {"xlrd"};
  one.sheets = {NumberSheet(u"Sheet 1", 65536, 1)};
  TJob two;
  two.file = pastLimit.FileName;
  two.readers = {"xlrd"};
  TSheet second{u"Sheet 1 (2)", {{{"s", u"F0"}}, {{"n", u"", 65536}}}};
  two.sheets = {NumberSheet(u"Sheet 1", 65536, 1), second};
  EXPECT_EQ(ReadBack({one, two}, dir_), "");
}

// 256 columns fill a sheet's width; a 257th refuses the export before a
// file is made.
TEST_F(XlsExportTest, A256ColumnTableFitsAnd257ColumnsAreRefused) {
  TMemDataSet wide;
  FillNumbers(wide, 256, 2);
  TTesselXLS atLimit;
  Configure(atLimit, wide, "wide.xls");
  atLimit.Execute();
  TJob job;
  job.file = atLimit.FileName;
  job.readers = {"xlrd"};
  TSheet sheet{u"Sheet 1"};
  sheet.rows.resize(3);
  for (int c = 0; c < 256; ++c) {
    sheet.rows[0].push_back({"s", u"F" + IntToWide(c)});
    sheet.rows[1].push_back({"n", u"", 1});
    sheet.rows[2].push_back({"n", u"", 2});
  }
  job.sheets = {sheet};
  EXPECT_EQ(ReadBack({job}, dir_), "");

  TMemDataSet wider;
  FillNumbers(wider, 257, 2);
  TTesselXLS pastLimit;
  Configure(pastLimit, wider, "wider.xls");
  try {
    pastLimit.Execute();
    ADD_FAILURE() << "257 columns were exported";
  } catch (const Exception& error) {
    EXPECT_NE(error.Message().find(u"256"), WideString::npos) << error.what();
  }
  EXPECT_FALSE(fs::exists(pastLimit.FileName));
}

TEST_F(XlsExportTest, SettingsRoundTrip) {
  TTesselXLS saved;
  saved.Options.PageHeader = u"Başlık &D";
  saved.Options.SheetTitle = u"Müşteriler";
  saved.Options.CaptionsFormat.Font.Color = clrDarkBlue;
  saved.Options.StripType = ssRow;
  saved.Options.AutoCalcColWidth = true;
  TxlsFieldFormat field;
  field.FieldName = u"Tutar";
  field.Aggregate = aggAvg;
  saved.Options.FieldFormats = {field};
  TxlsFormat strip;
  strip.Fill = {clrPaleBlue, ptSolid, clrBlack};
  saved.Options.StripStyles = {strip, TxlsFormat()};
  const fs::path file = dir_ / "xls.cfg";
  settings::SaveToFile(saved, file);
  TTesselXLS loaded;
  settings::LoadFromFile(loaded, file);
  EXPECT_EQ(loaded.Options.PageHeader, saved.Options.PageHeader);
  EXPECT_EQ(loaded.Options.SheetTitle, saved.Options.SheetTitle);
  EXPECT_EQ(loaded.Options.CaptionsFormat.Font.Color, clrDarkBlue);
  EXPECT_TRUE(loaded.Options.CaptionsFormat.Font.Has(xfsBold));
  EXPECT_EQ(loaded.Options.StripType, ssRow);
  EXPECT_TRUE(loaded.Options.AutoCalcColWidth);
  ASSERT_EQ(loaded.Options.FieldFormats.size(), 1u);
  EXPECT_TRUE(SameText(loaded.Options.FieldFormats[0].FieldName, u"Tutar"));
  EXPECT_EQ(loaded.Options.FieldFormats[0].Aggregate, aggAvg);
  ASSERT_EQ(loaded.Options.StripStyles.size(), 2u);
  EXPECT_EQ(loaded.Options.StripStyles[0].Fill.Background, clrPaleBlue);
}

// ---- real tables ----

// Exports a Paradox table and returns the job that checks it; false when
// the table cannot be opened.
bool ExportTable(const fs::path& table, const fs::path& target, TJob& job, std::string& skipped,
                 size_t sampleEvery = 1) {
  TTable source;
  source.SetDatabaseName(table.parent_path().string());
  source.SetTableName(table.filename().string());
  try {
    source.Open();
  } catch (const Exception& error) {
    skipped += table.filename().string() + ": " + error.what() + "\n";
    return false;
  }
  TTesselXLS exporter;
  exporter.DataSet = &source;
  for (int i = 0; i < source.FieldCount(); ++i)
    if (!IsBinaryType(source.Field(i).DataType())) exporter.ExportedFields.Add(source.Field(i).FieldName());
  if (exporter.ExportedFields.IsEmpty()) return false;
  exporter.FileName = target.string();
  exporter.ShellLauncher = nullptr;
  PinFormats(exporter.Formats());
  TRecorder recorder;
  recorder.Attach(exporter);
  exporter.Execute();
  job.file = target;
  std::vector<TCell> captions = TRecorder::Captions(exporter.Columns());
  // A full sheet continues on the next one, with the captions again.
  const size_t perSheet = 65535;
  for (size_t start = 0, part = 1; start < recorder.rows.size() || part == 1; start += perSheet, ++part) {
    TSheet sheet{part == 1 ? WideString(u"Sheet 1") : u"Sheet 1 (" + IntToWide(static_cast<long long>(part)) + u")"};
    const size_t end = std::min(recorder.rows.size(), start + perSheet);
    sheet.rows.push_back(captions);
    if (sampleEvery > 1) {
      sheet.nrows = 1 + end - start;
      sheet.sample.push_back(0);
    }
    for (size_t r = start; r < end; ++r) {
      // Every n-th row and the last of each sheet.
      if (sampleEvery > 1 && (r - start) % sampleEvery != 0 && r + 1 != end) continue;
      if (sampleEvery > 1) sheet.sample.push_back(1 + r - start);
      sheet.rows.push_back(recorder.rows[r]);
    }
    job.sheets.push_back(std::move(sheet));
    if (recorder.rows.empty()) break;
  }
  return true;
}

TEST_F(XlsExportTest, FixtureTablesReadBackWhole) {
  VERIMO_REQUIRE_SHARED_DIR();
  std::vector<TJob> jobs;
  std::string skipped;
  int index = 0;
  for (const auto& entry : fs::recursive_directory_iterator(*test::SharedDir() / "fixtures" / "paradox")) {
    const std::string extension = entry.path().extension().string();
    if (extension != ".db" && extension != ".DB") continue;
    TJob job;
    const fs::path target = dir_ / (std::to_string(index++) + "-" + entry.path().stem().string() + ".xls");
    if (ExportTable(entry.path(), target, job, skipped)) jobs.push_back(std::move(job));
  }
  EXPECT_GT(jobs.size(), 20u);
  EXPECT_EQ(ReadBack(jobs, dir_), "");
  if (!skipped.empty()) std::printf("tables that did not open:\n%s", skipped.c_str());
}

// 200,000 rows from the table generator fill three sheets and start a
// fourth, each with the captions; every 97th row is compared.
TEST_F(XlsExportTest, BigTableContinuesOnNewSheetsWithItsCaptions) {
  const fs::path generator = test::BinaryDir() / "tools" / "verimo-mkparadox";
  if (!fs::exists(generator)) GTEST_SKIP() << "verimo-mkparadox is not built: " << generator;
  const fs::path big = dir_ / "BIG.DB";
  ASSERT_EQ(test::RunCommand(test::ShellQuote(generator.string()) +
                             " --quiet --rows 200000 --codepage 1254 --notes alpha --seed 11 " +
                             test::ShellQuote(big.string())),
            0);
  const auto names = [this] {
    std::set<std::string> found;
    for (const auto& entry : fs::directory_iterator(dir_)) found.insert(entry.path().filename().string());
    return found;
  };
  std::set<std::string> expected = names();
  TJob job;
  std::string skipped;
  ASSERT_TRUE(ExportTable(big, dir_ / "big.xls", job, skipped, 97)) << skipped;
  // Its shared strings outgrow the memory they may take and the index that
  // finds repeats; nothing of them stays beside the workbook.
  expected.insert("big.xls");
  EXPECT_EQ(names(), expected);
  ASSERT_EQ(job.sheets.size(), 4u);
  EXPECT_EQ(job.sheets[3].name, u"Sheet 1 (4)");
  EXPECT_EQ(job.sheets[3].nrows, 1u + 200000u - 3u * 65535u);
  EXPECT_EQ(ReadBack({job}, dir_), "");
}

}  // namespace
}  // namespace verimo
