// Tables of every width and length in the document formats (PDF, LaTeX,
// RTF, DOC, DOCX, ODT), read back as a person sees them on paper: every
// caption and value on the pages, no word outside the page's text area.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <random>

#include "core/Exception.h"
#include "formats/package/docx/TesselDocx.h"
#include "formats/package/odf/TesselODT.h"
#include "formats/pdf/TesselPDF.h"
#include "formats/rtf/TesselRTF.h"
#include "formats/text/TesselLaTeX.h"
#include "platform/data/MemDataSet.h"
#include "platform/paradox/Table.h"
#include "support/Json.h"
#include "support/TestPaths.h"

namespace verimo {
namespace {

namespace fs = std::filesystem;
using test::AppendJsonString;

// A4 in points, and the text areas of the word processors' pages
// ([left, bottom, right, top]) as each format sets its margins.
constexpr double kShort = 11906 / 20.0;
constexpr double kLong = 16838 / 20.0;
using TArea = std::array<double, 4>;

TArea RtfArea(TTesselPageOrientation orientation) {
  const double width = orientation == poLandscape ? kLong : kShort;
  const double height = orientation == poLandscape ? kShort : kLong;
  return {90, 72, width - 90, height - 72};
}

TArea DocxArea(TTesselPageOrientation orientation) {
  if (orientation == poLandscape) return {1134 / 20.0, 850 / 20.0, kLong - 1134 / 20.0, kShort - 1701 / 20.0};
  return {1701 / 20.0, 1134 / 20.0, kShort - 850 / 20.0, kLong - 1134 / 20.0};
}

TArea OdtArea(TTesselPageOrientation orientation) {
  constexpr double kMargin = 2 * 72 / 2.54;
  const double width = orientation == poLandscape ? kLong : kShort;
  const double height = orientation == poLandscape ? kShort : kLong;
  return {kMargin, kMargin, width - kMargin, height - kMargin};
}

// What one export put on its pages: the captions and rows it wrote (as
// its run saw them), the column groups its pages show, the text area.
struct TPageJob {
  std::string file;
  int table = 0;
  std::vector<std::vector<int>> groups;
  std::optional<TArea> area;
  // The word processors' column edges on the page, in points, per group.
  std::vector<std::vector<double>> edges;
};

// Column edges from the table's left edge and the columns' widths.
std::vector<double> Edges(double left, const std::vector<double>& widths) {
  std::vector<double> edges{left};
  for (double width : widths) edges.push_back(edges.back() + width);
  return edges;
}

// VERIMO_PAGE_SWEEP_FORMATS=tex,pdf,... limits the documents read back to
// those types (by extension; the exports all run, as the PDF run records
// what the pages must show): LibreOffice takes most of a sweep's time.
bool ReadsBack(const std::string& file) {
  const char* formats = std::getenv("VERIMO_PAGE_SWEEP_FORMATS");
  if (formats == nullptr || *formats == 0) return true;
  const std::string extension = fs::path(file).extension().string();
  const std::string list = "," + std::string(formats) + ",";
  return extension.size() > 1 && list.find("," + extension.substr(1) + ",") != std::string::npos;
}

struct TTableTexts {
  std::vector<WideString> captions;
  std::vector<std::vector<WideString>> rows;
  std::vector<WideString> lines;
};

class PageFitReadBackTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (test::RunCommand("command -v soffice >/dev/null && command -v pdflatex >/dev/null && "
                         "command -v pdftotext >/dev/null && command -v qpdf >/dev/null") != 0)
      GTEST_SKIP() << "LibreOffice, pdflatex, poppler-utils or qpdf is missing";
    dir_ = test::MakeTempDir("verimo-pages");
  }
  void TearDown() override {
    if (!dir_.empty() && !std::getenv("VERIMO_KEEP_TEST_FILES")) fs::remove_all(dir_);
  }

  // Exports `data` as every document type: the PDF and LaTeX whole, the
  // word processors' documents of the first `wordRecords` records in slices
  // of `sliceRows` records (LibreOffice slows down more than linearly with
  // a table's rows).
  void ExportAll(TDataSet& data, const std::string& stem, const TStringList& fields, const TStringList& header,
                 const TStringList& footer, int records, int sliceRows, int wordRecords) {
    const int whole = static_cast<int>(tables_.size());
    TTableTexts& texts = tables_.emplace_back();
    texts.lines = header.Lines();
    texts.lines.insert(texts.lines.end(), footer.Lines().begin(), footer.Lines().end());
    {
      TTesselPDF pdf;
      Run(pdf, data, stem + ".pdf", fields, header, footer, 0, 0, &texts);
      jobs_.back().groups = pdf.TableLayout().Groups;
      const TPDFBox trim = pdf.RunPage().TrimBox();
      jobs_.back().area = TArea{double(trim.Left), double(trim.Bottom), double(trim.Right), double(trim.Top)};
    }
    {
      TTesselLaTeX latex;
      Run(latex, data, stem + "-latex.tex", fields, header, footer, 0, 0, nullptr);
      jobs_.back().table = whole;
      jobs_.back().groups = latex.ColumnGroups();
    }
    wordRecords = std::min(wordRecords, records);
    for (int first = 0, slice = 0; first == 0 || first < wordRecords; first += sliceRows, ++slice) {
      const std::string name = stem + "-" + std::to_string(slice);
      const int count = std::min(sliceRows, wordRecords - first);
      TTableTexts* sliceTexts = &texts;
      int table = whole;
      const bool partial = count < records;
      if (partial) {
        table = static_cast<int>(tables_.size());
        sliceTexts = &tables_.emplace_back();
        sliceTexts->lines = tables_[static_cast<size_t>(whole)].lines;
      }
      // The slice's texts are recorded once, by the RTF run.
      for (const char* extension : {".rtf", ".doc"}) {
        TTesselRTF rtf;
        const bool recording = partial && extension == std::string(".rtf");
        Run(rtf, data, name + extension, fields, header, footer, first, count, recording ? sliceTexts : nullptr);
        TPageJob& job = jobs_.back();
        job.table = table;
        job.area = RtfArea(rtf.RunOptions().PageOrientation);
        job.groups = rtf.ColumnGroups();
        for (size_t g = 0; g < job.groups.size(); ++g) {
          std::vector<double> widths;
          long long previous = 36;
          for (long long edge : rtf.ColumnEdges(g)) {
            widths.push_back((edge - previous) / 20.0);
            previous = edge;
          }
          job.edges.push_back(Edges(90 + 36 / 20.0, widths));
        }
      }
      TTesselDocx docx;
      Run(docx, data, name + ".docx", fields, header, footer, first, count, nullptr);
      TPageJob& docxJob = jobs_.back();
      docxJob.table = table;
      docxJob.area = DocxArea(docx.RunOptions().PageOrientation);
      docxJob.groups = docx.ColumnGroups();
      for (size_t g = 0; g < docxJob.groups.size(); ++g) {
        std::vector<double> widths;
        for (int width : docx.ColumnWidths(g)) widths.push_back(width / 20.0);
        docxJob.edges.push_back(Edges((*docxJob.area)[0], widths));
      }
      TTesselODT odt;
      Run(odt, data, name + ".odt", fields, header, footer, first, count, nullptr);
      TPageJob& odtJob = jobs_.back();
      odtJob.table = table;
      odtJob.area = OdtArea(odt.RunOrientation());
      odtJob.groups = odt.ColumnGroups();
      for (size_t g = 0; g < odtJob.groups.size(); ++g)
        odtJob.edges.push_back(Edges((*odtJob.area)[0], odt.ColumnWidths(g)));
    }
  }

  template <typename TExporter>
  void Run(TExporter& exporter, TDataSet& data, const std::string& name, const TStringList& fields,
           const TStringList& header, const TStringList& footer, int skip, int limit, TTableTexts* record) {
    exporter.DataSet = &data;
    exporter.ExportedFields = fields;
    exporter.Header = header;
    exporter.Footer = footer;
    exporter.SkipRecCount = skip;
    exporter.ExportRecCount = limit;
    exporter.ShellLauncher = nullptr;
    exporter.FileName = (dir_ / name).string();
    if (record != nullptr) {
      exporter.OnBeginExport = [record](TTessel& sender) {
        for (const TTesselColumn& column : sender.Columns()) record->captions.push_back(column.Caption);
      };
      exporter.OnBeforeExportRow = [record](TTessel& sender, TTesselRow& row, bool&) {
        std::vector<WideString>& values = record->rows.emplace_back();
        for (int i = 0; i < row.Count(); ++i)
          values.push_back(sender.Columns().IsNull(i) ? sender.Formats().NullString() : row[i].Text);
      };
    }
    TPageJob& job = jobs_.emplace_back();
    job.file = exporter.FileName;
    job.table = static_cast<int>(tables_.size()) - 1;
    try {
      exporter.Execute();
    } catch (const Exception& error) {
      ADD_FAILURE() << name << ": " << error.what();
    }
    if (job.groups.empty()) {
      std::vector<int> all;
      for (int i = 0; i < exporter.Columns().Count(); ++i) all.push_back(i);
      job.groups.push_back(all);
    }
  }

  // Writes the jobs and runs the reader; "" when every document is right.
  std::string ReadBack() {
    std::string json = "{\"outdir\":";
    AppendJsonString(json, Utf8ToWide((dir_ / "read").string()));
    json += ",\"tables\":[";
    for (size_t t = 0; t < tables_.size(); ++t) {
      const TTableTexts& texts = tables_[t];
      json += t ? ",\n{" : "{";
      json += "\"captions\":" + Strings(texts.captions) + ",\"lines\":" + Strings(texts.lines) + ",\"rows\":[";
      for (size_t r = 0; r < texts.rows.size(); ++r) json += (r ? "," : "") + Strings(texts.rows[r]);
      json += "]}";
    }
    json += "],\"jobs\":[";
    bool firstJob = true;
    for (const TPageJob& job : jobs_) {
      if (!ReadsBack(job.file)) continue;
      json += firstJob ? "{\"file\":" : ",\n{\"file\":";
      firstJob = false;
      AppendJsonString(json, Utf8ToWide(job.file));
      json += ",\"table\":" + std::to_string(job.table) + ",\"groups\":[";
      for (size_t g = 0; g < job.groups.size(); ++g) {
        json += g ? ",[" : "[";
        for (size_t k = 0; k < job.groups[g].size(); ++k) json += (k ? "," : "") + std::to_string(job.groups[g][k]);
        json += "]";
      }
      json += "]";
      if (!job.edges.empty()) {
        json += ",\"edges\":[";
        for (size_t g = 0; g < job.edges.size(); ++g) {
          json += g ? ",[" : "[";
          for (size_t c = 0; c < job.edges[g].size(); ++c) {
            char edge[32];
            std::snprintf(edge, sizeof edge, "%s%.2f", c ? "," : "", job.edges[g][c]);
            json += edge;
          }
          json += "]";
        }
        json += "]";
      }
      if (job.area) {
        char area[128];
        std::snprintf(area, sizeof area, ",\"area\":[%.2f,%.2f,%.2f,%.2f]", (*job.area)[0], (*job.area)[1],
                      (*job.area)[2], (*job.area)[3]);
        json += area;
      }
      json += "}";
    }
    json += "]}";
    const fs::path jobsFile = dir_ / "jobs.json";
    std::ofstream(jobsFile, std::ios::binary) << json;
    std::string output;
    const int status = test::RunCommand(
        "/usr/bin/python3 " + test::ShellQuote((test::SourceDir() / "tests/dialog/read_pages.py").string()) + " " +
            test::ShellQuote(jobsFile.string()) + " 2>&1",
        &output);
    if (status != 0 && output.empty()) output = "read_pages.py failed with status " + std::to_string(status);
    return output;
  }

  static std::string Strings(const std::vector<WideString>& texts) {
    std::string json = "[";
    for (size_t i = 0; i < texts.size(); ++i) {
      if (i) json += ",";
      AppendJsonString(json, texts[i]);
    }
    return json + "]";
  }

  fs::path dir_;
  std::vector<TTableTexts> tables_;
  std::vector<TPageJob> jobs_;
};

// ---- generated tables ----

const char16_t* const kWords[] = {u"İstanbul", u"çağrı", u"ödeme", u"Şükrü", u"ağaç", u"müşteri",
                                  u"R&D", u"50%", u"a_b", u"{x}", u"#1", u"$5", u"fiyat", u"Gül",
                                  u"ve", u"bir", u"ılık", u"yağmur", u"Kadıköy", u"sözleşme"};

// A text of about `length` characters: words, now and then a word far
// longer than any column and a line break.
WideString LongText(std::mt19937& random, int length) {
  WideString text;
  while (static_cast<int>(text.size()) < length) {
    if (!text.empty()) text += random() % 29 == 0 ? u"\r\n" : u" ";
    if (random() % 53 == 0) {
      for (int i = 0; i < 45; ++i) text += static_cast<char16_t>(u'a' + random() % 26);
      continue;
    }
    text += kWords[random() % std::size(kWords)];
  }
  return text;
}

// `columns` columns: an Id, then names, memos of long texts, dates,
// amounts and medium texts in turn.
void FillGenerated(TMemDataSet& data, int columns, int rows) {
  std::mt19937 random(static_cast<unsigned>(columns) * 7919u);
  data.AddFieldDef(u"Id", ftInteger);
  for (int k = 1; k < columns; ++k) {
    const WideString name = u"Alan" + IntToWide(k);
    switch (columns == 2 ? 2 : k % 5) {
      case 1: data.AddFieldDef(name + u"_Ad", ftString, 40); break;
      case 2: data.AddFieldDef(name + u"_Not", ftMemo); break;
      case 3: data.AddFieldDef(name + u"_Tarih", ftDate); break;
      case 4: data.AddFieldDef(name + u"_Tutar", ftCurrency); break;
      default: data.AddFieldDef(name + u"_Açıklama", ftString, 120); break;
    }
  }
  for (int r = 0; r < rows; ++r) {
    std::vector<Variant> values{Variant::FromInt(r + 1)};
    for (int k = 1; k < columns; ++k) {
      if (random() % 17 == 0) {
        values.push_back(Variant::Null());
        continue;
      }
      switch (columns == 2 ? 2 : k % 5) {
        case 1: values.push_back(Variant::FromText(LongText(random, 8 + static_cast<int>(random() % 30)))); break;
        case 2: values.push_back(Variant::FromText(LongText(random, 60 + static_cast<int>(random() % 540)))); break;
        case 3: values.push_back(Variant::FromDateTime(36000 + static_cast<double>(random() % 20000))); break;
        case 4:
          values.push_back(Variant::FromCurrency(Currency::FromDouble((static_cast<double>(random() % 20000000) -
                                                                       5000000) / 100.0)));
          break;
        default: values.push_back(Variant::FromText(LongText(random, 20 + static_cast<int>(random() % 100)))); break;
      }
    }
    data.AppendRecord(values);
  }
  data.Open();
}

int EnvCount(const char* name, int fallback) {
  const char* value = std::getenv(name);
  return value != nullptr && std::atoi(value) > 0 ? std::atoi(value) : fallback;
}

// The whole sweep (VERIMO_PAGE_SWEEP=1) takes LibreOffice well over an
// hour on two cores; without it the generated tables are shorter and the
// fixture tables are left out, so that the test suite stays quick.
bool WholeSweep() { return std::getenv("VERIMO_PAGE_SWEEP") != nullptr; }

int SweepRows() { return EnvCount("VERIMO_PAGE_SWEEP_ROWS", WholeSweep() ? 2000 : 300); }

// The records of a generated table the word processors' documents hold:
// about 2,000 cells (at least eight rows), as LibreOffice takes minutes
// for a few thousand cells of long texts (a 10-column table of 2,000 rows
// as RTF takes it more than five); VERIMO_PAGE_SWEEP_WORD_ROWS asks for more.
int WordRows(int columns, int rows) {
  return std::min(rows, EnvCount("VERIMO_PAGE_SWEEP_WORD_ROWS", std::max(4, (WholeSweep() ? 2000 : 400) / columns)));
}

// VERIMO_PAGE_SWEEP_ONLY=text limits the fixture sweep to the tables whose
// path holds the text (one table's findings in minutes, not an hour).
bool SweepTakes(const fs::path& table) {
  const char* only = std::getenv("VERIMO_PAGE_SWEEP_ONLY");
  return only == nullptr || table.string().find(only) != std::string::npos;
}

TEST_F(PageFitReadBackTest, GeneratedTablesOfEveryWidthShowEveryValue) {
  const int rows = SweepRows();
  for (int columns : {2, 10, 25, 60, 255}) {
    TMemDataSet data;
    FillGenerated(data, columns, rows);
    std::mt19937 random(1);
    const TStringList header{u"Sütun sayısı " + IntToWide(columns) + u": " + LongText(random, 300)};
    TStringList fields;  // memos join when named
    for (int i = 0; i < data.FieldCount(); ++i) fields.Add(data.Field(i).FieldName());
    ExportAll(data, "gen" + std::to_string(columns), fields, header, {u"Son satır — bitti"}, rows, 500,
              WordRows(columns, rows));
  }
  EXPECT_EQ(ReadBack(), "");
}

TEST_F(PageFitReadBackTest, FixtureTablesShowEveryValue) {
  VERIMO_REQUIRE_SHARED_DIR();
  if (!WholeSweep()) GTEST_SKIP() << "the fixture tables' page sweep runs with VERIMO_PAGE_SWEEP=1 (hours of LibreOffice)";
  std::vector<std::unique_ptr<TTable>> open;
  int index = 0;
  for (const auto& entry : fs::recursive_directory_iterator(*test::SharedDir() / "fixtures" / "paradox")) {
    std::string extension = entry.path().extension().string();
    for (char& ch : extension) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    if (extension != ".db" || !SweepTakes(entry.path())) continue;
    auto table = std::make_unique<TTable>();
    table->SetDatabaseName(entry.path().parent_path().string());
    table->SetTableName(entry.path().filename().string());
    // The encrypted fixtures were made with the password "123".
    if (entry.path().parent_path().filename() == "encrypt") table->SetPassword(u"123");
    try {
      table->Open();
    } catch (const Exception&) {
      continue;  // a table this reader cannot open is no export's concern
    }
    TStringList fields;
    for (int i = 0; i < table->FieldCount(); ++i)
      if (!IsBinaryType(table->Field(i).DataType())) fields.Add(table->Field(i).FieldName());
    if (fields.IsEmpty()) continue;
    const int records = static_cast<int>(table->RecordCount());
    ExportAll(*table, std::to_string(index++) + "-" + entry.path().stem().string(), fields, {}, {}, records, 2000, records);
    open.push_back(std::move(table));
  }
  if (std::getenv("VERIMO_PAGE_SWEEP_ONLY") == nullptr) {
    EXPECT_GT(index, 40);
  }
  EXPECT_EQ(ReadBack(), "");
}

}  // namespace
}  // namespace verimo
