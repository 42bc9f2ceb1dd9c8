#include "formats/rtf/TesselRTF.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <tuple>

#include "core/Exception.h"
#include "engine/TesselIniFile.h"
#include "platform/data/FieldType.h"
#include "platform/data/MemDataSet.h"
#include "platform/paradox/Table.h"
#include "support/Json.h"
#include "support/TestPaths.h"

namespace verimo {
namespace {

namespace fs = std::filesystem;
using test::AppendJsonString;

std::string ReadFile(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string JsonList(const std::vector<WideString>& texts) {
  std::string json = "[";
  for (size_t i = 0; i < texts.size(); ++i) {
    if (i) json += ',';
    AppendJsonString(json, texts[i]);
  }
  return json + "]";
}

// A line break of a value as a reader shows it: a new paragraph or line.
WideString AsRead(WideStringView text) {
  WideString out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
    out += text[i] == u'\r' ? u'\n' : text[i];
  }
  return out;
}

// What LibreOffice should show of one document.
struct TJob {
  fs::path file;
  std::vector<std::vector<WideString>> rows;
  bool compareRows = true;
  std::optional<std::vector<WideString>> before;
  std::optional<std::vector<WideString>> after;
  std::vector<std::string> styles;  // JSON objects

  void ExpectStyle(int row, int col, const std::string& expect) {
    styles.push_back("{\"row\":" + std::to_string(row) + ",\"col\":" + std::to_string(col) + ",\"expect\":" + expect + "}");
  }

  std::string Json() const {
    std::string json = "{\"file\":";
    AppendJsonString(json, Utf8ToWide(file.string()));
    if (compareRows) {
      json += ",\"rows\":[";
      for (size_t r = 0; r < rows.size(); ++r) json += (r ? "," : "") + JsonList(rows[r]);
      json += "]";
    }
    if (before) json += ",\"before\":" + JsonList(*before);
    if (after) json += ",\"after\":" + JsonList(*after);
    json += ",\"styles\":[";
    for (size_t i = 0; i < styles.size(); ++i) json += (i ? "," : "") + styles[i];
    return json + "]}";
  }
};

// Records the captions and the texts of every exported row, as a reader
// should see them.
void Record(TTesselRTF& exporter, TJob& job) {
  exporter.OnExportedRecord = [&job](TTessel& sender, int) {
    std::vector<WideString> row;
    for (int i = 0; i < sender.Row().Count(); ++i)
      row.push_back(AsRead(sender.Columns().IsNull(i) ? sender.Formats().NullString() : sender.Row()[i].Text));
    job.rows.push_back(std::move(row));
  };
  exporter.OnBeginExport = [&job](TTessel& sender) {
    if (!sender.AllowCaptions) return;
    std::vector<WideString> captions;
    for (int i = 0; i < sender.Columns().Count(); ++i) captions.push_back(sender.Columns()[i].Caption);
    job.rows.insert(job.rows.begin(), std::move(captions));
  };
}

void FillTable(TMemDataSet& data) {
  data.AddFieldDef(u"Id", ftInteger);
  data.AddFieldDef(u"Ad", ftString, 40);
  data.AddFieldDef(u"Tutar", ftFloat);
  data.AddFieldDef(u"Not", ftMemo);
  data.AppendRecord({Variant::FromInt(1), Variant::FromText(u"Şule Ağaoğlu"), Variant::FromDouble(1234.5),
                     Variant::FromText(u"çok satırlı\r\nnot 𝄞 müzik")});
  data.AppendRecord({Variant::FromInt(-2), Variant::FromText(u"C:\\Temp {x}"), Variant::FromDouble(-0.25),
                     Variant::FromText(u"İıĞğÜüŞşÖöÇç\nikinci")});
  data.AppendRecord({Variant::FromInt(3), Variant::Null(), Variant::FromDouble(1e6), Variant::FromText(u"😀 son")});
  data.AppendRecord({Variant::FromInt(4), Variant::FromText(u"dört"), Variant::Null(), Variant::Null()});
  data.Open();
}

class RtfExportTest : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = test::MakeTempDir("verimo-rtf"); }
  void TearDown() override {
    if (!std::getenv("VERIMO_KEEP_TEST_FILES")) fs::remove_all(dir_);
  }

  void Configure(TTesselRTF& exporter, TDataSet& data, const std::string& name) {
    exporter.DataSet = &data;
    exporter.FileName = (dir_ / name).string();
    exporter.ShellLauncher = nullptr;
    exporter.TextMeasurer = &measurer_;
    exporter.Formats().SetNullString(u"(yok)");
  }

  std::string Export(TTesselRTF& exporter) {
    exporter.Execute();
    return ReadFile(exporter.FileName);
  }

  TFixedTextMeasurer measurer_{7};
  fs::path dir_;
};

TEST_F(RtfExportTest, DefaultDocumentStartsWithOnePrologueAndListsBlackAndWhite) {
  TMemDataSet data;
  FillTable(data);
  TTesselRTF exporter;
  Configure(exporter, data, "plain.rtf");
  const std::string text = Export(exporter);
  EXPECT_TRUE(text.starts_with("{\\rtf1\\ansi\\deff0\\deftab720\r\n{\\fonttbl{\\f0\\fnil Arial;}{\\f1\\fnil Arial;}}\r\n"
                               "{\\colortbl\\red0\\green0\\blue0;\\red255\\green255\\blue255;}\r\n\\f0\\fs20\r\n"
                               "\\paperw11906\r\n\\paperh16838\r\n\\margl1800\\margr1800\\margt1440\\margb1440\r\n"
                               "\\par\r\n\\trowd\\trql\\trgaph0\\trleft36\r\n"))
      << text.substr(0, 300);
  // The edges the run planned, after the table's left edge at 36 twips.
  ASSERT_EQ(static_cast<int>(exporter.ColumnEdges().size()), exporter.Columns().Count());
  long long previous = 36;
  for (long long edge : exporter.ColumnEdges()) {
    EXPECT_GT(edge, previous);
    EXPECT_NE(text.find("\\cellx" + std::to_string(edge) + "\r\n"), std::string::npos) << edge;
    previous = edge;
  }
  EXPECT_NE(text.find("\\pard\\intbl\\li30\\ri30\\cbpat1\\highlight1\\qr{\\f0\\fs20\\cf0 \\u49?}\\cell"), std::string::npos);
  EXPECT_NE(text.find("\\u67?\\u58?\\\\\\u84?\\u101?\\u109?\\u112?"), std::string::npos);
  EXPECT_TRUE(text.ends_with("\\row\r\n\\pard\r\n}"));
  EXPECT_TRUE(std::all_of(text.begin(), text.end(), [](char ch) { return ch > 0 && ch < 0x7F; })) << "not plain ASCII";
}

// Columns as wide as their texts, measured in the installed fonts: a
// table too wide for portrait turns landscape (unless an orientation was
// chosen) and narrows its fonts within a floor; the table never passes
// the text area.
TEST_F(RtfExportTest, WideTablesTurnLandscapeAndNarrowTheirFonts) {
  TMemDataSet data;
  for (int c = 0; c < 24; ++c) data.AddFieldDef(u"Sütun" + IntToWide(c), ftString, 40);
  for (int r = 0; r < 3; ++r) {
    std::vector<Variant> values;
    for (int c = 0; c < 24; ++c) values.push_back(Variant::FromText(u"değer" + IntToWide(c) + u" ve açıklaması"));
    data.AppendRecord(values);
  }
  data.Open();
  auto exportWith = [&](TTesselPageOrientation orientation, bool automatic, const std::string& name) {
    TTesselRTF exporter;
    Configure(exporter, data, name);
    exporter.TextMeasurer = nullptr;
    exporter.Options.PageOrientation = orientation;
    exporter.Options.AutoOrientation = automatic;
    const std::string text = Export(exporter);
    return std::make_tuple(exporter.RunOptions(), exporter.ColumnEdges(), text);
  };
  const auto [automatic, edges, text] = exportWith(poPortrait, true, "auto.rtf");
  EXPECT_EQ(automatic.PageOrientation, poLandscape);
  EXPECT_NE(text.find("\\landscape\r\n\\paperw16838\r\n\\paperh11906\r\n"), std::string::npos);
  EXPECT_EQ(automatic.DataStyle.Font.Size(), 7);
  EXPECT_EQ(automatic.CaptionStyle.Font.Size(), 7);
  EXPECT_NE(text.find("\\f0\\fs14"), std::string::npos);
  EXPECT_LE(edges.back(), 16838 - 2 * 1800);
  const auto [portrait, portraitEdges, portraitText] = exportWith(poPortrait, false, "portrait.rtf");
  EXPECT_EQ(portrait.PageOrientation, poPortrait);
  EXPECT_LE(portraitEdges.back(), 11906 - 2 * 1800);
  EXPECT_EQ(std::get<0>(exportWith(poLandscape, true, "landscape.rtf")).PageOrientation, poLandscape);
  // A narrow table keeps its page and fonts.
  TMemDataSet narrow;
  FillTable(narrow);
  TTesselRTF plain;
  Configure(plain, narrow, "narrow.rtf");
  plain.TextMeasurer = nullptr;
  Export(plain);
  EXPECT_EQ(plain.RunOptions().PageOrientation, poPortrait);
  EXPECT_EQ(plain.RunOptions().DataStyle.Font.Size(), 10);
}

TEST_F(RtfExportTest, StripStylesCycleOverRowsOrColumnsAndFallBackWhenEmpty) {
  TMemDataSet data;
  FillTable(data);
  TTesselRTF exporter;
  Configure(exporter, data, "strips.rtf");
  exporter.ExportedFields = {u"Id", u"Ad", u"Tutar", u"Not"};
  exporter.AllowCaptions = false;
  exporter.Options.StripType = ssRow;
  for (TColor color : {0x0000FFu, 0x00FF00u, 0xFF0000u}) {
    TrtfStyle style;
    style.Font.Color = color;
    exporter.Options.StripStyles.push_back(style);
  }
  std::vector<int> rowOfStyle;
  exporter.OnGetDataStyle = [&](TTesselRTF&, int row, int col, TrtfStyle& style) {
    if (col == 0) rowOfStyle.push_back(row * 10 + (style.Font.Color == 0x0000FF ? 0 : style.Font.Color == 0x00FF00 ? 1 : 2));
  };
  exporter.SkipRecCount = 1;
  const std::string rows = Export(exporter);
  EXPECT_EQ(rowOfStyle, (std::vector<int>{10, 21, 32}));  // counted from the first exported record
  EXPECT_EQ(rows.find("\\b "), std::string::npos) << "no caption row";

  exporter.OnGetDataStyle = nullptr;
  exporter.SkipRecCount = 0;
  exporter.Options.StripType = ssColumn;
  const std::string columns = Export(exporter);
  const size_t row = columns.find("\\pard\\intbl");
  const std::string first = columns.substr(row, columns.find("\\row", row) - row);
  // Columns 0..3 take strip styles 0, 1, 2, 0: text colours 2, 3, 4, 2 after black and white.
  EXPECT_NE(first.find("\\cf2 "), std::string::npos);
  EXPECT_LT(first.find("\\cf3 "), first.find("\\cf4 "));
  EXPECT_NE(first.rfind("\\cf2 "), first.find("\\cf2 "));

  exporter.Options.StripStyles.clear();
  EXPECT_EQ(Export(exporter).find("\\cf2"), std::string::npos);
}

TEST_F(RtfExportTest, CaptionAlignsOverrideTheCaptionStyle) {
  TMemDataSet data;
  FillTable(data);
  TTesselRTF exporter;
  Configure(exporter, data, "captions.rtf");
  exporter.Options.CaptionAligns.Add(u"Id=right");
  exporter.Options.CaptionAligns.Add(u"Ad=");
  exporter.Options.CaptionAligns.Add(u"Tutar=left");
  const std::string text = Export(exporter);
  const size_t start = text.find("\\pard\\intbl");
  const std::string captions = text.substr(start, text.find("\\row", start) - start);
  EXPECT_NE(captions.find("\\qr{\\highlight1\\f0\\fs20\\cf0\\b \\u73?\\u100?}"), std::string::npos) << captions;
  EXPECT_NE(captions.find("\\qc{\\highlight1\\f0\\fs20\\cf0\\b \\u65?\\u100?}"), std::string::npos) << captions;
  EXPECT_NE(captions.find("\\ql{\\highlight1\\f0\\fs20\\cf0\\b \\u84?"), std::string::npos) << captions;
}

TEST_F(RtfExportTest, OptionsSurviveTheSettingsFile) {
  TTesselRTF exporter;
  exporter.Options.PageOrientation = poLandscape;
  exporter.Options.AutoOrientation = false;
  exporter.Options.StripType = ssColumn;
  exporter.Options.CaptionStyle.Font.Name = u"Times New Roman";
  exporter.Options.CaptionStyle.Font.SetSize(14);
  exporter.Options.FooterStyle.Alignment = talFill;
  exporter.Options.FooterStyle.AllowHighlight = false;
  exporter.Options.DataStyle.BackgroundColor = 0x00C0FFEE;
  TrtfStyle strip;
  strip.Font.Italic = true;
  exporter.Options.StripStyles = {strip, TrtfStyle()};
  const fs::path file = dir_ / "rtf.cfg";
  settings::SaveToFile(exporter, file);
  const std::string text = ReadFile(file);
  for (const char* section : {"[RTF]", "[RTF_STYLE_SAYFA SONU]", "[RTF_STRIP_STYLE_0]", "[RTF_STRIP_STYLE_1]"})
    EXPECT_NE(text.find(section), std::string::npos) << section;
  TTesselRTF loaded;
  loaded.Options.StripStyles.resize(5);
  settings::LoadFromFile(loaded, file);
  EXPECT_TRUE(loaded.Options == exporter.Options);
}

// ---- read back through LibreOffice ----

class RtfReadBackTest : public RtfExportTest {
 protected:
  // Every record of the table, in documents of kSliceRows records each: the
  // reader's table import slows down more than linearly with the rows of a
  // table, so one document per table takes it minutes on the largest ones.
  // STEM names the documents STEM-0.EXT, STEM-1.EXT, ... False when the
  // table does not open.
  // Every record of the table, in documents of kSliceRows records (the
  // first `maxSlices` of them only, when given).
  bool ExportFixture(const fs::path& table, const std::string& stem, const std::string& extension,
                     std::string& skipped, int64_t maxSlices = -1) {
    TTable source;
    source.SetDatabaseName(table.parent_path().string());
    source.SetTableName(table.filename().string());
    try {
      source.Open();
    } catch (const Exception& error) {
      skipped += table.filename().string() + ": " + error.what() + "\n";
      return false;
    }
    const int64_t records = source.RecordCount();
    int64_t exported = 0;
    int64_t slice = 0;
    for (int64_t first = 0; (first == 0 || first < records) && slice != maxSlices; first += kSliceRows, ++slice) {
      TTesselRTF exporter;
      Configure(exporter, source, stem + "-" + std::to_string(slice) + extension);
      exporter.TextMeasurer = nullptr;
      for (int i = 0; i < source.FieldCount(); ++i)
        if (!IsBinaryType(source.Field(i).DataType())) exporter.ExportedFields.Add(source.Field(i).FieldName());
      if (exporter.ExportedFields.IsEmpty()) return true;
      exporter.SkipRecCount = static_cast<int>(first);
      exporter.ExportRecCount = kSliceRows;
      TJob job;
      job.file = exporter.FileName;
      Record(exporter, job);
      exporter.Execute();
      exported += static_cast<int64_t>(job.rows.size()) - (exporter.AllowCaptions ? 1 : 0);
      jobs_.push_back(std::move(job));
    }
    if (maxSlices < 0 || slice < maxSlices) {
      EXPECT_EQ(exported, records) << table;
    }
    return true;
  }

  static constexpr int kSliceRows = 500;

  void ExportStyled() {
    TMemDataSet data;
    FillTable(data);
    TTesselRTF exporter;
    Configure(exporter, data, "styled.rtf");
    exporter.Header = {u"Müşteri listesi", u"İkinci satır 😀"};
    exporter.Footer = {u"Son: \\ {bitti}"};
    exporter.Options.CaptionStyle.Font.Name = u"Times New Roman";
    exporter.Options.CaptionStyle.Font.Color = 0x0000FF;
    exporter.Options.CaptionStyle.BackgroundColor = 0x00FFFF;  // yellow
    exporter.Options.CaptionStyle.AllowHighlight = false;
    exporter.Options.DataStyle.Font.Name = u"Courier New";
    exporter.Options.DataStyle.AllowHighlight = false;
    exporter.Options.StripType = ssRow;
    TrtfStyle odd = exporter.Options.DataStyle;
    odd.Font.Italic = true;
    odd.Font.Color = 0x008000;
    odd.BackgroundColor = 0xFFE0C0;
    odd.AllowHighlight = false;
    exporter.Options.StripStyles = {exporter.Options.DataStyle, odd};
    exporter.ColumnsAlign.Add(u"Ad=Center");
    // A font met only in the last row: inserted into the written table.
    exporter.OnGetDataStyle = [](TTesselRTF& sender, int row, int col, TrtfStyle& style) {
      if (row == 3 && col == 1) style.Font.Name = u"Liberation Sans Narrow";
      if (row == 0 && col == 2) style.BackgroundColor = 0xFF000005;  // the window colour: white
      (void)sender;
    };
    TJob job;
    job.file = exporter.FileName;
    Record(exporter, job);
    exporter.Execute();
    job.before = std::vector<WideString>{u"Müşteri listesi", u"İkinci satır 😀"};
    job.after = std::vector<WideString>{u"Son: \\ {bitti}"};
    job.ExpectStyle(0, 0, R"({"font-name":"Times New Roman","font-weight":"bold","color":"#ff0000","text-align":"center","background":"#ffff00"})");
    job.ExpectStyle(1, 0, R"({"font-name":"Courier New","color":"#000000","text-align":"right"})");
    job.ExpectStyle(1, 1, R"({"text-align":"center"})");
    job.ExpectStyle(2, 0, R"({"font-style":"italic","color":"#008000","background":"#c0e0ff"})");
    job.ExpectStyle(1, 2, R"({"background":"#ffffff"})");
    job.ExpectStyle(4, 1, R"({"font-name":"Liberation Sans Narrow"})");
    jobs_.push_back(std::move(job));
  }

  // The user stops after the third record and answers No or Yes.
  void ExportStopped(bool yes) {
    TMemDataSet data;
    FillTable(data);
    TTesselRTF exporter;
    Configure(exporter, data, yes ? "stop-yes.rtf" : "stop-no.rtf");
    exporter.Footer = {u"Altbilgi"};
    TJob job;
    job.file = exporter.FileName;
    Record(exporter, job);
    TTessel::TExportedRecordEvent record = exporter.OnExportedRecord;
    exporter.OnExportedRecord = [&](TTessel& sender, int recNo) {
      record(sender, recNo);
      if (recNo == 2) sender.Abort();
    };
    exporter.OnStopExport = [yes](TTessel&, bool& canContinue) { canContinue = !yes; };
    exporter.Execute();
    EXPECT_EQ(job.rows.size(), yes ? 4u : 5u);
    job.after = std::vector<WideString>{u"Altbilgi"};
    jobs_.push_back(std::move(job));
  }

  std::vector<TJob> jobs_;
};

TEST_F(RtfReadBackTest, EveryDocumentReadsBackThroughLibreOffice) {
  if (test::RunCommand("command -v soffice >/dev/null 2>&1") != 0) GTEST_SKIP() << "LibreOffice is not installed";
  ExportStyled();
  ExportStopped(false);
  ExportStopped(true);
  std::string skipped;
  if (test::SharedDir()) {
    int index = 0;
    for (const auto& entry : fs::recursive_directory_iterator(*test::SharedDir() / "fixtures" / "paradox")) {
      const std::string extension = entry.path().extension().string();
      if (extension != ".db" && extension != ".DB") continue;
      const std::string stem = std::to_string(index++) + "-" + entry.path().stem().string();
      // The encrypted tables are read too: given no password, the table
      // opens them with the key their header holds. The Word type writes
      // the same document under another name: its first slice is read
      // back, and has the bytes of the RTF one.
      if (!ExportFixture(entry.path(), stem, ".rtf", skipped)) continue;
      ExportFixture(entry.path(), stem + "-word", ".doc", skipped, 1);
      EXPECT_TRUE(ReadFile(dir_ / (stem + "-0.rtf")) == ReadFile(dir_ / (stem + "-word-0.doc"))) << entry.path();
    }
    EXPECT_GT(jobs_.size(), 40u);
  } else {
    std::printf("shared fixtures folder not found beside the checkout; only the generated documents are read\n");
  }
  std::string json = "{\"outdir\":";
  AppendJsonString(json, Utf8ToWide((dir_ / "converted").string()));
  json += ",\"jobs\":[";
  for (size_t i = 0; i < jobs_.size(); ++i) json += (i ? ",\n" : "") + jobs_[i].Json();
  json += "]}";
  const fs::path jobsFile = dir_ / "jobs.json";
  std::ofstream(jobsFile, std::ios::binary) << json;
  std::string output;
  const int status = test::RunCommand(
      "/usr/bin/python3 " + test::ShellQuote((test::SourceDir() / "tests/formats/rtf/read_rtf.py").string()) + " " +
          test::ShellQuote(jobsFile.string()) + " 2>&1",
      &output);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(output, "");
  if (!skipped.empty()) std::printf("tables not read back:\n%s", skipped.c_str());
}

}  // namespace
}  // namespace verimo
