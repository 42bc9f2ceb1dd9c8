#include "formats/text/TesselASCII.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "engine/TesselIniFile.h"
#include "engine/TesselStream.h"
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

using Grid = std::vector<std::vector<WideString>>;

// Pins the system code pages for one test and restores the locale's after it.
class CodePages {
 public:
  CodePages(int ansi, int oem) {
    SetSystemCodePage(TSystemCodePage::Ansi, ansi);
    SetSystemCodePage(TSystemCodePage::Oem, oem);
  }
  ~CodePages() {
    SetSystemCodePage(TSystemCodePage::Ansi, 0);
    SetSystemCodePage(TSystemCodePage::Oem, 0);
  }
};

std::string Export(TTesselASCII& exporter) {
  TMemoryStream stream;
  exporter.ExportToStream(stream);
  return std::string(stream.View());
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream content;
  content << in.rdbuf();
  return content.str();
}

// ---- cell rules ----

TEST(AsciiCellTest, TxtCellsAreCutOrPaddedByAlignmentThenSpaced) {
  EXPECT_EQ(ascii::FitCell(u"abcdef", 3, ecaRight, 1), u"abc ");
  EXPECT_EQ(ascii::FitCell(u"ab", 5, ecaCenter, 1), u" ab   ");
  EXPECT_EQ(ascii::FitCell(u"ab", 5, ecaRight, 0), u"   ab");
  EXPECT_EQ(ascii::FitCell(u"ab", 4, ecaLeft, 0), u"ab  ");
  EXPECT_EQ(ascii::FitCell(WideString(300, u'x'), 1000, ecaLeft, 0).size(), 255u);
  EXPECT_EQ(ascii::FitCell(u"", 300, ecaLeft, 2).size(), 257u);
  EXPECT_EQ(ascii::FitCell(u"abc", -4, ecaLeft, 1), u" ");
  // A settings file's spacing of 2,147,483,647 once asked for 4 GB a cell.
  EXPECT_EQ(ascii::FitCell(u"ab", 2, ecaLeft, 2147483647), u"ab" + WideString(255, u' '));
}

TEST(AsciiCellTest, CsvQuotingDoublesInnerQuotes) {
  EXPECT_EQ(ascii::QuoteCSV(u"a\"b", u'"'), u"\"a\"\"b\"");
  EXPECT_EQ(ascii::QuoteCSV(u"it's", u'\''), u"'it''s'");
  EXPECT_TRUE(ascii::NeedsCSVQuotes(u"1.234,56", u',', u'"'));
  EXPECT_TRUE(ascii::NeedsCSVQuotes(u"two\nlines", u';', u'"'));
  EXPECT_TRUE(ascii::NeedsCSVQuotes(u"cr\r", u';', u'"'));
  EXPECT_TRUE(ascii::NeedsCSVQuotes(u"a\"b", u';', u'"'));
  EXPECT_FALSE(ascii::NeedsCSVQuotes(u" spaced ", u';', u'"'));
}

TEST(AsciiCellTest, DifNumbersArePlainAndOnlyForFiniteNumbers) {
  WideString text;
  ASSERT_TRUE(ascii::DIFNumber(Variant::FromInt(-42), text));
  EXPECT_EQ(text, u"-42");
  ASSERT_TRUE(ascii::DIFNumber(Variant::FromDouble(1234.5), text));
  EXPECT_EQ(text, u"1234.5");
  ASSERT_TRUE(ascii::DIFNumber(Variant::FromDouble(0.1), text));
  EXPECT_EQ(text, u"0.1");
  ASSERT_TRUE(ascii::DIFNumber(Variant::FromDouble(1e20), text));
  EXPECT_EQ(text, u"100000000000000000000");
  ASSERT_TRUE(ascii::DIFNumber(Variant::FromCurrency({-12345678}), text));
  EXPECT_EQ(text, u"-1234.5678");
  ASSERT_TRUE(ascii::DIFNumber(Variant::FromCurrency({50000}), text));
  EXPECT_EQ(text, u"5");
  EXPECT_FALSE(ascii::DIFNumber(Variant::FromDouble(std::numeric_limits<double>::quiet_NaN()), text));
  EXPECT_FALSE(ascii::DIFNumber(Variant::FromDouble(std::numeric_limits<double>::infinity()), text));
  EXPECT_FALSE(ascii::DIFNumber(Variant::FromBool(true), text));
  EXPECT_FALSE(ascii::DIFNumber(Variant::FromText(u"12"), text));
  EXPECT_FALSE(ascii::DIFNumber(Variant::Null(), text));
  EXPECT_FALSE(ascii::DIFNumber(Variant(), text));
}

TEST(AsciiCellTest, SylkTextsEscapeSemicolonsAndLineBreaks) {
  EXPECT_EQ(ascii::SYLKText(u"a;b"), u"a;;b");
  EXPECT_EQ(ascii::SYLKText(u"1\r\n2\n3\r4"), u"1\x1b :2\x1b :3\x1b :4");
  EXPECT_EQ(ascii::SYLKText(u"\"q\""), u"\"q\"");
}

TEST(SingleByteEncoderTest, EncodesExactlyAsTheConverterDoes) {
  const std::vector<WideString> texts = {
      u"plain ascii; \"q\"",   u"şğİıÇÖÜ çöü",        u"s\u0327 composed by NFC", u"\u212B angstrom sign",
      u"Ж unmappable ş",       u"\U0001F600 pair",     u"e\u0301\u0301 marks",     u"\x1b :\r\n",
      WideString(1, u'\0'),   u"\uFFFD\uFEFF edge",   u"€ ‰ „ in 1252 and 1254"};
  for (int codePage : {1254, 1252, 857, 437, 10081}) {
    TSingleByteEncoder encoder(codePage);
    std::string encoded;
    for (int round = 0; round < 2; ++round)
      for (const WideString& text : texts) {
        encoder.Encode(text, encoded);
        EXPECT_EQ(encoded, EncodeToCodePage(text, codePage)) << codePage << ": " << WideToUtf8(text);
      }
  }
}

// ---- layouts ----

class AsciiLayoutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    data_.AddFieldDef(u"Id", ftInteger);
    data_.AddFieldDef(u"Name", ftString, 10);
    data_.AddFieldDef(u"Amount", ftFloat);
    data_.AppendRecord({Variant::FromInt(1), Variant::FromText(u"ab"), Variant::FromDouble(2.5)});
    data_.AppendRecord({Variant::FromInt(22), Variant::FromText(u"a\"b"), Variant::Null()});
    data_.AppendRecord({Variant::FromInt(333), Variant::Null(), Variant::FromDouble(-1)});
    data_.Open();
    exporter_.DataSet = &data_;
    TTesselFormats& formats = exporter_.Formats();
    formats.SetIntegerFormat(u"0");
    formats.SetFloatFormat(u"0.00");
    formats.DecimalSeparator = u',';
    formats.SetNullString(u"-");
    exporter_.CSVComma = u';';
  }

  CodePages codePages_{1254, 857};
  TMemDataSet data_;
  TTesselASCII exporter_;
};

TEST_F(AsciiLayoutTest, TxtWritesTitleHeaderFittedColumnsAndFooter) {
  exporter_.SetExportType(etTXT);
  exporter_.SetOutputEncoding(oeUTF8);
  exporter_.Title = u"Başlık";
  exporter_.Header = {u"h"};
  exporter_.Footer = {u"f"};
  exporter_.ColumnsAlign = {u"Name=center"};
  // Measuring only widens: start from one character.
  exporter_.ColumnsWidth = {u"Id=1", u"Name=1", u"Amount=1"};
  exporter_.TXTSpacing = 1;
  std::string text = Export(exporter_);
  std::string expected = "\xEF\xBB\xBF" "Başlık\r\n" + std::string(80, '-') + "\r\n\r\nh\r\n" +
                         " Id Name Amount \r\n"
                         "  1  ab    2,50 \r\n"
                         " 22 a\"b       - \r\n"
                         "333  -    -1,00 \r\n"
                         "f\r\n";
  EXPECT_EQ(text, expected);
}

TEST_F(AsciiLayoutTest, TxtWithoutTitleStartsWithTheHeaderAndHonoursFixedWidths) {
  exporter_.SetExportType(etTXT);
  exporter_.SetOutputEncoding(oeAnsi);
  exporter_.AutoCalcColWidth = false;
  exporter_.ColumnsWidth = {u"Id=1", u"Name=2", u"Amount=3"};
  exporter_.TXTSpacing = 0;
  exporter_.Header = {u"ş"};
  EXPECT_EQ(Export(exporter_), "\xFE\r\nINaAmo\r\n1ab2,5\r\n2a\"  -\r\n3- -1,\r\n");
}

TEST_F(AsciiLayoutTest, CsvQuotesStringsAndCaptionsAndDoublesInnerQuotes) {
  exporter_.SetExportType(etCSV);
  exporter_.Captions = {u"Name=Ad \"x\""};
  EXPECT_EQ(Export(exporter_),
            "\"Id\";\"Ad \"\"x\"\"\";\"Amount\"\r\n"
            "1;\"ab\";2,50\r\n"
            "22;\"a\"\"b\";-\r\n"
            "333;\"-\";-1,00\r\n");
}

TEST_F(AsciiLayoutTest, CsvQuotesAnyValueThatHoldsTheSeparator) {
  exporter_.SetExportType(etCSV);
  exporter_.CSVComma = u',';
  exporter_.CSVQuoteStrings = false;
  exporter_.CSVQuoteCaptions = false;
  exporter_.AllowCaptions = false;
  EXPECT_EQ(Export(exporter_), "1,ab,\"2,50\"\r\n22,\"a\"\"b\",-\r\n333,-,\"-1,00\"\r\n");
}

TEST_F(AsciiLayoutTest, CsvWithoutQuoteCharacterQuotesNothing) {
  exporter_.SetExportType(etCSV);
  exporter_.CSVComma = u',';
  exporter_.CSVQuote = 0;
  exporter_.Header = {u"top"};
  exporter_.Footer = {u"bottom"};
  EXPECT_EQ(Export(exporter_), "top\r\nId,Name,Amount\r\n1,ab,2,50\r\n22,a\"b,-\r\n333,-,-1,00\r\nbottom\r\n");
}

TEST_F(AsciiLayoutTest, DifWritesCountedHeaderNumericTuplesForNumbersAndStringsElse) {
  exporter_.SetExportType(etDIF);
  exporter_.Title = u"T\"1";
  exporter_.Header = {u"not written"};
  exporter_.SkipRecCount = 1;
  std::string text = Export(exporter_);
  EXPECT_EQ(text,
            "TABLE\r\n0,1\r\n\"T\"\"1\"\r\nVECTORS\r\n0,3\r\n\"\"\r\nTUPLES\r\n0,2\r\n\"\"\r\nDATA\r\n0,0\r\n\"\"\r\n"
            "-1,0\r\nBOT\r\n1,0\r\n\"Id\"\r\n1,0\r\n\"Name\"\r\n1,0\r\n\"Amount\"\r\n"
            "-1,0\r\nBOT\r\n0,22\r\nV\r\n1,0\r\n\"a\"\"b\"\r\n1,0\r\n\"-\"\r\n"
            "-1,0\r\nBOT\r\n0,333\r\nV\r\n1,0\r\n\"-\"\r\n0,-1\r\nV\r\n"
            "-1,0\r\nEOD\r\n");
}

TEST_F(AsciiLayoutTest, DifCountingPassFollowsTheRecordLimitsAndRestoresThePosition) {
  exporter_.SetExportType(etDIF);
  exporter_.AllowCaptions = false;
  exporter_.ExportRecCount = 2;
  std::vector<int> fetched;
  exporter_.OnFetchedRecord = [&](TTessel&, int recNo) { fetched.push_back(recNo); };
  std::string text = Export(exporter_);
  EXPECT_NE(text.find("TUPLES\r\n0,2\r\n"), std::string::npos);
  EXPECT_NE(text.find("DATA\r\n0,0\r\n\"\"\r\n-1,0\r\nBOT\r\n0,1\r\n"), std::string::npos);
  EXPECT_EQ(fetched, (std::vector<int>{1, 2}));

  exporter_.ExportRecCount = 0;
  exporter_.CurrentRecordOnly = true;
  EXPECT_NE(Export(exporter_).find("TUPLES\r\n0,1\r\n"), std::string::npos);
}

TEST_F(AsciiLayoutTest, DifStoppedWhileCountingEndsAfterTheTuplesItem) {
  exporter_.SetExportType(etDIF);
  exporter_.OnFetchedRecord = [](TTessel& sender, int) { sender.Abort(); };
  EXPECT_EQ(Export(exporter_), "TABLE\r\n0,1\r\n\"\"\r\nVECTORS\r\n0,3\r\n\"\"\r\nTUPLES\r\n");
}

TEST_F(AsciiLayoutTest, DifIsWrittenInTheOemCodePage) {
  exporter_.SetExportType(etDIF);
  exporter_.Title = u"ş";
  EXPECT_NE(Export(exporter_).find("TABLE\r\n0,1\r\n\"\x9F\"\r\n"), std::string::npos);
}

TEST_F(AsciiLayoutTest, SylkNumbersRowsAfterTheCaptionsAndEscapesTexts) {
  exporter_.SetExportType(etSYLK);
  exporter_.ExportedFields = {u"Name"};
  exporter_.Captions = {u"Name=a;b"};
  EXPECT_EQ(Export(exporter_),
            "ID;PVASCIIEXPORT\r\nC;X1;Y1;K\"a;;b\"\r\nC;X1;Y2;K\"ab\"\r\nC;X1;Y3;K\"a\"b\"\r\nC;X1;Y4;K\"-\"\r\nE\r\n");
  exporter_.AllowCaptions = false;
  EXPECT_EQ(Export(exporter_), "ID;PVASCIIEXPORT\r\nC;X1;Y1;K\"ab\"\r\nC;X1;Y2;K\"a\"b\"\r\nC;X1;Y3;K\"-\"\r\nE\r\n");
}

TEST_F(AsciiLayoutTest, OnlyTxtKeepsMeasuringColumnWidths) {
  exporter_.SetExportType(etCSV);
  EXPECT_TRUE(exporter_.AutoCalcColWidth);
  Export(exporter_);
  EXPECT_FALSE(exporter_.AutoCalcColWidth);
  exporter_.SetExportType(etTXT);
  EXPECT_TRUE(exporter_.AutoCalcColWidth);
}

// ---- settings ----

TEST(AsciiSettingsTest, EveryOptionLoadsBackEqualIncludingSeparatorCharacters) {
  fs::path dir = test::MakeTempDir("verimo-ascii-settings");
  for (char16_t comma : {u';', u' ', u'\t', char16_t(0), char16_t(0x00A0)}) {
    TTesselASCII saved(etCSV);
    saved.CSVComma = comma;
    saved.CSVQuote = comma == u';' ? 0 : u'\'';
    saved.CSVQuoteStrings = false;
    saved.CSVQuoteCaptions = false;
    saved.TXTSpacing = 4;
    saved.AutoCalcColWidth = true;
    saved.ColumnsAlign = {u"Id=R", u"Name=C"};
    saved.ColumnsWidth = {u"Id=5"};
    saved.Header = {u"  başlık  "};
    settings::SaveToFile(saved, dir / "ascii.ini");

    TTesselASCII loaded(etTXT);
    settings::LoadFromFile(loaded, dir / "ascii.ini");
    EXPECT_EQ(loaded.ExportType(), etCSV);
    EXPECT_EQ(loaded.CSVComma, comma);
    EXPECT_EQ(loaded.CSVQuote, saved.CSVQuote);
    EXPECT_FALSE(loaded.CSVQuoteStrings);
    EXPECT_FALSE(loaded.CSVQuoteCaptions);
    EXPECT_EQ(loaded.TXTSpacing, 4);
    EXPECT_TRUE(loaded.AutoCalcColWidth);
    EXPECT_EQ(loaded.ColumnsAlign, saved.ColumnsAlign);
    EXPECT_EQ(loaded.ColumnsWidth, saved.ColumnsWidth);
    EXPECT_EQ(loaded.Header, saved.Header);
  }
  TTesselIniFile ini(dir / "ascii.ini");
  EXPECT_EQ(ini.ReadString(u"ASCII", u"Comma", u""), u"#160");
  EXPECT_EQ(ini.ReadString(u"ASCII", u"Quote", u""), u"'");
  fs::remove_all(dir);
}

TEST(AsciiSettingsTest, LoadingTxtSwitchesWidthMeasuringOnBeforeTheSavedFlagIsRead) {
  fs::path dir = test::MakeTempDir("verimo-ascii-settings");
  {
    TTesselIniFile ini(dir / "a.ini");
    ini.WriteInteger(u"ASCII", u"ExportType", etTXT);
    ini.WriteString(u"ASCII", u"Comma", u"");
    ini.WriteString(u"ASCII", u"Quote", u"xy");
  }
  TTesselASCII loaded(etCSV);
  loaded.AutoCalcColWidth = false;
  settings::LoadFromFile(loaded, dir / "a.ini");
  EXPECT_EQ(loaded.ExportType(), etTXT);
  EXPECT_TRUE(loaded.AutoCalcColWidth);
  EXPECT_EQ(loaded.CSVComma, 0);
  EXPECT_EQ(loaded.CSVQuote, 0);
  fs::remove_all(dir);
}

// ---- independent readers ----

struct ReadBackJob {
  fs::path file;
  std::string format;    // csv, dif, slk
  std::string encoding;  // Python codec name
  char16_t delimiter = u';';
  char16_t quote = u'"';
  std::vector<std::string> readers;
  Grid expected;
};

std::string JobsToJson(const std::vector<ReadBackJob>& jobs) {
  std::string json = "[";
  for (const ReadBackJob& job : jobs) {
    if (json.size() > 1) json += ",\n";
    json += "{\"file\":";
    AppendJsonString(json, Utf8ToWide(job.file.string()));
    json += ",\"format\":\"" + job.format + "\",\"encoding\":\"" + job.encoding + "\",\"delimiter\":";
    AppendJsonString(json, WideString(1, job.delimiter));
    json += ",\"quote\":";
    AppendJsonString(json, job.quote ? WideString(1, job.quote) : WideString());
    json += ",\"readers\":[";
    for (size_t i = 0; i < job.readers.size(); ++i) json += (i ? ",\"" : "\"") + job.readers[i] + "\"";
    json += "],\"expected\":[";
    for (size_t r = 0; r < job.expected.size(); ++r) {
      json += r ? ",[" : "[";
      for (size_t c = 0; c < job.expected[r].size(); ++c) {
        if (c) json += ',';
        AppendJsonString(json, job.expected[r][c]);
      }
      json += ']';
    }
    json += "]}";
  }
  return json + "]";
}

// Runs the read-back checker; returns its report (empty when all agree).
std::string ReadBack(const std::vector<ReadBackJob>& jobs, const fs::path& dir) {
  fs::path jobsFile = dir / "jobs.json";
  std::ofstream(jobsFile, std::ios::binary) << JobsToJson(jobs);
  std::string output;
  int status = test::RunCommand("/usr/bin/python3 '" + (test::SourceDir() / "tests/formats/text/read_back.py").string() +
                                    "' '" + jobsFile.string() + "' 2>&1",
                                &output);
  if (status != 0 && output.empty()) output = "read_back.py failed with status " + std::to_string(status);
  return output;
}

bool HaveLibreOffice() { return test::RunCommand("command -v soffice >/dev/null 2>&1") == 0; }

// What the exporter put into each cell, as a reader should see it: the
// written text, and for DIF number cells the raw value.
struct RowRecorder {
  Grid captions;
  Grid texts;
  Grid difTexts;

  void Attach(TTesselASCII& exporter) {
    exporter.OnBeforeExportRow = [this](TTessel& sender, TTesselRow& row, bool&) {
      std::vector<WideString> text, dif;
      for (int i = 0; i < row.Count(); ++i) {
        bool isNull = sender.Columns().IsNull(i);
        WideString cell = isNull ? sender.Formats().NullString() : row[i].Text;
        WideString number;
        bool numeric = !isNull && sender.Columns()[i].IsNumber && ascii::DIFNumber(row[i].Value, number);
        text.push_back(cell);
        dif.push_back(numeric ? number : cell);
      }
      texts.push_back(text);
      difTexts.push_back(dif);
    };
    exporter.OnBeginExport = [this](TTessel& sender) {
      captions.clear();
      texts.clear();
      difTexts.clear();
      std::vector<WideString> names;
      for (const TTesselColumn& column : sender.Columns()) names.push_back(column.Caption);
      captions.push_back(names);
    };
  }
  Grid WithCaptions(const Grid& rows) const {
    Grid all = captions;
    all.insert(all.end(), rows.begin(), rows.end());
    return all;
  }
};

void FillTrickyTable(TMemDataSet& data) {
  data.AddFieldDef(u"Id", ftInteger);
  data.AddFieldDef(u"Ad", ftString, 40);
  data.AddFieldDef(u"Tutar", ftFloat);
  data.AddFieldDef(u"Fiyat", ftCurrency);
  data.AddFieldDef(u"Gün", ftDate);
  data.AddFieldDef(u"Onay", ftBoolean);
  data.AddFieldDef(u"Not", ftMemo);
  auto date = [](int y, int m, int d) { return Variant::FromDateTime(EncodeDate(y, m, d)); };
  data.AppendRecord({Variant::FromInt(1), Variant::FromText(u"Şule Ağaoğlu"), Variant::FromDouble(1234.5),
                     Variant::FromDouble(12.5), date(2024, 2, 29), Variant::FromBool(true),
                     Variant::FromText(u"çok; satırlı\r\nnot")});
  data.AppendRecord({Variant::FromInt(-2), Variant::FromText(u"a\"b"), Variant::FromDouble(-0.25),
                     Variant::FromDouble(0), date(1999, 12, 31), Variant::FromBool(false),
                     Variant::FromText(u"  boşluk  ")});
  data.AppendRecord({Variant::FromInt(3), Variant::FromText(u"x;y,z"), Variant::FromDouble(0),
                     Variant::FromDouble(99999.99), Variant::Null(), Variant::Null(),
                     Variant::FromText(u"\"tırnak\"")});
  data.AppendRecord({Variant::Null(), Variant::Null(), Variant::Null(), Variant::Null(), date(1900, 1, 1),
                     Variant::FromBool(true), Variant::FromText(u"İıĞğÜüŞşÖöÇç\nyeni satır")});
  data.AppendRecord({Variant::FromInt(5), Variant::FromText(u"=1+2"), Variant::FromDouble(1e6),
                     Variant::FromDouble(-7.75), date(2000, 1, 1), Variant::FromBool(false),
                     Variant::FromText(u"'tek' ve \"çift\", virgül")});
  data.Open();
}

class AsciiReadBackTest : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = test::MakeTempDir("verimo-ascii-read"); }
  // VERIMO_KEEP_TEST_FILES keeps the exported files for a look.
  void TearDown() override {
    if (!std::getenv("VERIMO_KEEP_TEST_FILES")) fs::remove_all(dir_);
  }

  void Configure(TTesselASCII& exporter, TTesselASCIIType type, const std::string& name) {
    exporter.SetExportType(type);
    exporter.DataSet = &data_;
    exporter.ExportedFields = {u"Id", u"Ad", u"Tutar", u"Fiyat", u"Gün", u"Onay", u"Not"};
    exporter.Captions = {u"Ad=Ad; \"Soyad\"", u"Not=Not\r\nalanı"};
    TTesselFormats& formats = exporter.Formats();
    formats.DecimalSeparator = u',';
    formats.ThousandSeparator = u'.';
    formats.SetIntegerFormat(u"#,##0");
    formats.SetFloatFormat(u"#,##0.00");
    formats.SetCurrencyFormat(u"#,##0.00 TL");
    formats.SetDateFormat(u"dd.mm.yyyy");
    formats.SetBooleanTrue(u"Evet");
    formats.SetBooleanFalse(u"Hayır");
    formats.SetNullString(u"(yok)");
    exporter.FileName = (dir_ / name).string();
    exporter.ShellLauncher = nullptr;
  }

  TMemDataSet data_;
  fs::path dir_;
};

TEST_F(AsciiReadBackTest, PythonAndLibreOfficeReadWhatWasExported) {
  CodePages codePages(1254, 857);
  FillTrickyTable(data_);
  std::vector<ReadBackJob> jobs;

  for (char16_t comma : {u';', u','}) {
    TTesselASCII csv;
    RowRecorder rows;
    rows.Attach(csv);
    Configure(csv, etCSV, comma == u';' ? "semicolon.csv" : "comma.csv");
    csv.CSVComma = comma;
    csv.CSVQuoteStrings = comma == u';';
    csv.CSVQuoteCaptions = comma == u';';
    csv.Execute();
    ASSERT_EQ(rows.texts.size(), 5u);
    jobs.push_back({csv.FileName, "csv", "cp1254", comma, u'"', {"python", "libreoffice"}, rows.WithCaptions(rows.texts)});
  }
  {
    TTesselASCII dif;
    RowRecorder rows;
    rows.Attach(dif);
    Configure(dif, etDIF, "table.dif");
    dif.Execute();
    jobs.push_back({dif.FileName, "dif", "cp857", u';', u'"', {"libreoffice"}, rows.WithCaptions(rows.difTexts)});
  }
  // LibreOffice reads SYLK as UTF-8, so the Turkish letters are checked in a
  // UTF-8 system code page; the ANSI bytes are checked below.
  {
    CodePages utf8(65001, 857);
    TTesselASCII slk;
    RowRecorder rows;
    rows.Attach(slk);
    Configure(slk, etSYLK, "table.slk");
    slk.Execute();
    jobs.push_back({slk.FileName, "slk", "utf-8", u';', u'"', {"libreoffice"}, rows.WithCaptions(rows.texts)});
  }
  if (!HaveLibreOffice())
    for (ReadBackJob& job : jobs) std::erase(job.readers, "libreoffice");
  std::erase_if(jobs, [](const ReadBackJob& job) { return job.readers.empty(); });
  EXPECT_EQ(ReadBack(jobs, dir_), "");
  if (!HaveLibreOffice()) GTEST_SKIP() << "soffice not installed: only Python's csv module was asked";
}

TEST_F(AsciiReadBackTest, SylkInTheAnsiCodePageHoldsTheTurkishLetters) {
  CodePages codePages(1254, 857);
  FillTrickyTable(data_);
  TTesselASCII slk;
  Configure(slk, etSYLK, "ansi.slk");
  slk.Execute();
  std::string bytes = ReadFile(slk.FileName);
  EXPECT_NE(bytes.find("C;X2;Y2;K\"" + EncodeToCodePage(u"Şule Ağaoğlu", 1254) + "\""), std::string::npos);
  EXPECT_NE(bytes.find("C;X7;Y2;K\"" + EncodeToCodePage(u"çok;; satırlı\x1b :not", 1254) + "\""), std::string::npos);
}

TEST_F(AsciiReadBackTest, FixtureTablesReadBackWhole) {
  VERIMO_REQUIRE_SHARED_DIR();
  CodePages codePages(65001, 65001);
  std::vector<ReadBackJob> jobs;
  std::vector<std::string> skipped;
  int index = 0;
  for (const auto& entry : fs::recursive_directory_iterator(*test::SharedDir() / "fixtures" / "paradox")) {
    std::string extension = entry.path().extension().string();
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
    std::string stem = std::to_string(index++) + "-" + entry.path().stem().string();
    // Byte fields come out as one character per byte, NULs included, which
    // no text reader keeps.
    TStringList textFields;
    for (int i = 0; i < table.FieldCount(); ++i)
      if (!IsBinaryType(table.Field(i).DataType())) textFields.Add(table.Field(i).FieldName());
    if (textFields.IsEmpty()) continue;
    for (TTesselASCIIType type : {etCSV, etDIF, etSYLK}) {
      TTesselASCII exporter(type);
      RowRecorder rows;
      rows.Attach(exporter);
      exporter.DataSet = &table;
      exporter.ExportedFields = textFields;
      exporter.CSVComma = u';';
      exporter.ShellLauncher = nullptr;
      const char* suffix = type == etCSV ? ".csv" : type == etDIF ? ".dif" : ".slk";
      exporter.FileName = (dir_ / (stem + suffix)).string();
      try {
        exporter.Execute();
      } catch (const Exception& error) {
        ADD_FAILURE() << exporter.FileName << ": " << error.what();
        continue;
      }
      if (rows.texts.empty()) continue;  // LibreOffice drops empty sheets
      if (type == etCSV)
        jobs.push_back({exporter.FileName, "csv", "utf-8", u';', u'"', {"python", "libreoffice"}, rows.WithCaptions(rows.texts)});
      else if (type == etDIF)
        jobs.push_back({exporter.FileName, "dif", "utf-8", u';', u'"', {"libreoffice"}, rows.WithCaptions(rows.difTexts)});
      else
        jobs.push_back({exporter.FileName, "slk", "utf-8", u';', u'"', {"libreoffice"}, rows.WithCaptions(rows.texts)});
    }
  }
  ASSERT_FALSE(jobs.empty());
  if (!HaveLibreOffice())
    for (ReadBackJob& job : jobs) std::erase(job.readers, "libreoffice");
  std::erase_if(jobs, [](const ReadBackJob& job) { return job.readers.empty(); });
  EXPECT_EQ(ReadBack(jobs, dir_), "");
  for (const std::string& reason : skipped) std::cout << "not exported: " << reason << "\n";
}

TLoss LossOf(const TTessel& exporter, WideStringView field) {
  for (const TLoss& loss : exporter.Losses().Losses())
    if (loss.field == field) return loss;
  return {};
}

// What a run cannot write as it is, counted per field and kind, once per
// run; under FailOnLoss the run fails after its last record.
TEST(AsciiLossTest, CharactersTheCodePageLacksAreCountedPerField) {
  CodePages pages(1252, 437);
  TMemDataSet data;
  data.AddFieldDef(u"Ad", ftString, 20);
  data.AddFieldDef(u"Şehir", ftString, 20);
  data.AddFieldDef(u"No", ftInteger);
  data.Open();
  data.AppendRecord({Variant::FromText(u"Жанна"), Variant::FromText(u"İzmir"), Variant::FromInt(1)});
  data.AppendRecord({Variant::FromText(u"Ali"), Variant::Null(), Variant::FromInt(2)});
  data.AppendRecord({Variant::FromText(u"Пётр"), Variant::FromText(u"Köln"), Variant::FromInt(3)});
  TTesselASCII exporter(etCSV);
  exporter.DataSet = &data;
  const std::string csv = Export(exporter);
  ASSERT_EQ(exporter.Losses().Losses().size(), 2u) << csv;
  const TLoss names = LossOf(exporter, u"Ad");
  EXPECT_EQ(names.kind, TLossKind::UnwritableCharacter);
  EXPECT_EQ(names.detail, u"1252");
  EXPECT_EQ(names.count, 9);
  EXPECT_EQ(LossOf(exporter, u"Şehir").count, 2) << "the caption's Ş and İzmir's İ; ö is in 1252";
  EXPECT_EQ(std::count(csv.begin(), csv.end(), '?'), 9 + 2);

  // DIF's OEM code page, 437, lacks "İ" as well; a second run starts afresh.
  exporter.SetExportType(etDIF);
  Export(exporter);
  ASSERT_EQ(exporter.Losses().Losses().size(), 2u);
  EXPECT_EQ(LossOf(exporter, u"Ad").detail, u"437");
  EXPECT_EQ(LossOf(exporter, u"Ad").count, 9);

  // TXT in UTF-8 loses nothing.
  exporter.SetExportType(etTXT);
  Export(exporter);
  EXPECT_TRUE(exporter.Losses().Empty());

  exporter.SetExportType(etCSV);
  exporter.FailOnLoss = true;
  EXPECT_THROW(Export(exporter), Exception);
  EXPECT_EQ(exporter.Losses().Losses().size(), 2u) << "every record counted before the run fails";
}

}  // namespace
}  // namespace verimo