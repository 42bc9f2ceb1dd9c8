// Exported dBASE tables read back by independent readers: dbfread,
// python3-dbf and LibreOffice (read_back_dbf.py), compared with the values
// of the source records.
#include <gtest/gtest.h>

#include <charconv>
#include <fstream>
#include <iostream>
#include <sstream>

#include "core/Exception.h"
#include "formats/database/TesselDBF.h"
#include "platform/codepage/CodePage.h"
#include "platform/data/MemDataSet.h"
#include "platform/paradox/Table.h"
#include "support/Json.h"
#include "support/TestPaths.h"

namespace verimo {
namespace {

namespace fs = std::filesystem;
using test::AppendJsonString;

class SystemCodePages {
 public:
  SystemCodePages(int ansi, int oem) {
    SetSystemCodePage(TSystemCodePage::Ansi, ansi);
    SetSystemCodePage(TSystemCodePage::Oem, oem);
  }
  ~SystemCodePages() {
    SetSystemCodePage(TSystemCodePage::Ansi, 0);
    SetSystemCodePage(TSystemCodePage::Oem, 0);
  }
};

std::string JsonString(std::string_view utf8) {
  std::string json;
  AppendJsonString(json, utf8);
  return json;
}

struct FieldDeclaration {
  std::string name;
  char type = 'C';
  int length = 0;
  int decimals = 0;
};

// The fields as the table file declares them.
std::vector<FieldDeclaration> DeclaredFields(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::string header(32, '\0');
  in.read(header.data(), 32);
  const int headerLength = static_cast<unsigned char>(header[8]) | static_cast<unsigned char>(header[9]) << 8;
  std::vector<FieldDeclaration> fields;
  for (int i = 0; i < (headerLength - 33) / 32; ++i) {
    std::string descriptor(32, '\0');
    in.read(descriptor.data(), 32);
    fields.push_back({std::string(descriptor.c_str()), descriptor[11], static_cast<unsigned char>(descriptor[16]),
                      static_cast<unsigned char>(descriptor[17])});
  }
  return fields;
}

struct ReadBackJob {
  fs::path file;
  std::string encoding;  // what the language-driver byte must name
  std::vector<std::string> readers;
  std::vector<FieldDeclaration> fields;
  std::vector<std::vector<std::string>> expected;  // JSON values
};

std::string JobsToJson(const std::vector<ReadBackJob>& jobs) {
  std::string json = "[";
  for (const ReadBackJob& job : jobs) {
    if (json.size() > 1) json += ",\n";
    json += "{\"file\":" + JsonString(job.file.string()) + ",\"encoding\":" + JsonString(job.encoding) + ",\"readers\":[";
    for (size_t i = 0; i < job.readers.size(); ++i) json += (i ? "," : "") + JsonString(job.readers[i]);
    json += "],\"fields\":[";
    for (size_t i = 0; i < job.fields.size(); ++i)
      json += std::string(i ? "," : "") + "{\"name\":" + JsonString(job.fields[i].name) + ",\"type\":\"" +
              job.fields[i].type + "\",\"decimals\":" + std::to_string(job.fields[i].decimals) + "}";
    json += "],\"expected\":[";
    for (size_t r = 0; r < job.expected.size(); ++r) {
      json += r ? ",[" : "[";
      for (size_t c = 0; c < job.expected[r].size(); ++c) json += (c ? "," : "") + job.expected[r][c];
      json += ']';
    }
    json += "]}";
  }
  return json + "]";
}

bool HaveLibreOffice() { return test::RunCommand("command -v soffice >/dev/null 2>&1") == 0; }

// Runs the checker; returns its report (empty when every reader agrees).
std::string ReadBack(std::vector<ReadBackJob> jobs, const fs::path& dir) {
  if (!HaveLibreOffice())
    for (ReadBackJob& job : jobs) std::erase(job.readers, "libreoffice");
  fs::path jobsFile = dir / "jobs.json";
  std::ofstream(jobsFile, std::ios::binary) << JobsToJson(jobs);
  std::string output;
  int status = test::RunCommand("/usr/bin/python3 " +
                                    test::ShellQuote((test::SourceDir() / "tests/formats/database/read_back_dbf.py").string()) +
                                    " " + test::ShellQuote(jobsFile.string()) + " 2>&1",
                                &output);
  if (status != 0 && output.empty()) output = "read_back_dbf.py failed with status " + std::to_string(status);
  return output;
}

// What a reader should see of a text written in `codePage` into `length` bytes.
std::string TextAsRead(const WideString& text, int codePage, int length) {
  std::string bytes = EncodeToCodePage(text, codePage);
  if (length > 0 && bytes.size() > static_cast<size_t>(length)) bytes.resize(static_cast<size_t>(length));
  return WideToUtf8(DecodeFromCodePage(bytes, codePage));
}

// The expected JSON value of one source value in a field of the table.
std::string ExpectedValue(const Variant& value, bool isNull, const FieldDeclaration& field, int codePage) {
  if (isNull || value.IsEmptyOrNull()) return "null";
  switch (field.type) {
    case 'N': {
      char buffer[400];
      auto result = value.GetKind() == Variant::Kind::Integer
                        ? std::to_chars(buffer, buffer + sizeof buffer, value.AsInt())
                        : std::to_chars(buffer, buffer + sizeof buffer, value.AsDouble(), std::chars_format::fixed,
                                        field.decimals);
      std::string digits(buffer, result.ptr);
      if (digits.size() > static_cast<size_t>(field.length)) return "\"*\"";  // read as blank
      if (value.GetKind() != Variant::Kind::Integer)
        digits.assign(buffer, std::to_chars(buffer, buffer + sizeof buffer, value.AsDouble()).ptr);
      return JsonString(digits);
    }
    case 'D': {
      DateParts date = DecodeDate(value.AsDateTime());
      char text[16];
      std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.year, date.month, date.day);
      return JsonString(text);
    }
    case 'L': return value.AsBool() ? "true" : "false";
    case 'M': return value.AsText().empty() ? "null" : JsonString(TextAsRead(value.AsText(), codePage, 0));
    default: return JsonString(TextAsRead(value.GetKind() == Variant::Kind::Text ? value.AsText() : u"", codePage, field.length));
  }
}

// Exports the source into `file`, keeping every record's values as the
// readers should see them.
ReadBackJob ExportAndExpect(TTesselDBF& exporter, const fs::path& file, const std::string& encoding, int codePage) {
  std::vector<std::vector<std::pair<Variant, bool>>> records;
  exporter.OnBeforeExportRow = [&records](TTessel& sender, TTesselRow& row, bool&) {
    std::vector<std::pair<Variant, bool>> values;
    for (int i = 0; i < row.Count(); ++i) values.emplace_back(row[i].Value, sender.Columns().IsNull(i));
    records.push_back(std::move(values));
  };
  exporter.ShellLauncher = nullptr;
  exporter.FileName = file.string();
  exporter.Execute();
  ReadBackJob job{file, encoding, {"dbfread", "dbf", "libreoffice"}, DeclaredFields(file), {}};
  for (const auto& record : records) {
    std::vector<std::string> row;
    for (size_t i = 0; i < record.size(); ++i)
      row.push_back(ExpectedValue(record[i].first, record[i].second, job.fields[i], codePage));
    job.expected.push_back(std::move(row));
  }
  return job;
}

class DBFReadBackTest : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = test::MakeTempDir("verimo-dbf-read"); }
  // VERIMO_KEEP_TEST_FILES keeps the exported files for a look.
  void TearDown() override {
    if (!std::getenv("VERIMO_KEEP_TEST_FILES")) fs::remove_all(dir_);
  }
  fs::path dir_;
};

void FillTrickyTable(TMemDataSet& data) {
  data.AddFieldDef(u"Müşteri Numarası", ftInteger);
  data.AddFieldDef(u"Müşteri Numarası 2", ftLargeint);
  data.AddFieldDef(u"Ad Soyad", ftString, 20);
  data.AddFieldDef(u"Tutar", ftFloat);
  data.AddFieldDef(u"Fiyat", ftCurrency);
  data.AddFieldDef(u"Gün", ftDate);
  data.AddFieldDef(u"Onay", ftBoolean);
  data.AddFieldDef(u"Not", ftMemo);
  auto date = [](int y, int m, int d) { return Variant::FromDateTime(EncodeDate(y, m, d)); };
  data.AppendRecord({Variant::FromInt(1234567), Variant::FromInt(9000000000000000000), Variant::FromText(u"Şule Ağaoğlu"),
                     Variant::FromDouble(1234.5), Variant::FromDouble(12.5), date(2024, 2, 29), Variant::FromBool(true),
                     Variant::FromText(u"çok; satırlı\r\nnot")});
  data.AppendRecord({Variant::FromInt(-2), Variant::FromInt(-1), Variant::FromText(u"a\"b İıĞğÜüŞşÖöÇç uzun metin"),
                     Variant::FromDouble(-0.25), Variant::FromDouble(0), date(1999, 12, 31), Variant::FromBool(false),
                     Variant::FromText(u"  boşluk  ")});
  data.AppendRecord({Variant::Null(), Variant::Null(), Variant::Null(), Variant::Null(), Variant::Null(), Variant::Null(),
                     Variant::Null(), Variant::Null()});
  data.AppendRecord({Variant::FromInt(0), Variant::FromInt(0), Variant::FromText(u" baştaki boşluk"),
                     Variant::FromDouble(9999999999.9999), Variant::FromDouble(-99999.99), date(1900, 1, 1),
                     Variant::FromBool(true), Variant::FromText(WideString(3000, u'ğ') + u"\"son\"")});
  data.Open();
}

TEST_F(DBFReadBackTest, ReadersSeeTheValuesInTheCodePageTheLanguageDriverNames) {
  TMemDataSet data;
  FillTrickyTable(data);
  // Memo fields join the export only when named.
  TStringList everyField;
  for (int i = 0; i < data.FieldCount(); ++i) everyField.Add(data.Field(i).FieldName());
  std::vector<ReadBackJob> jobs;
  {
    SystemCodePages pages(1254, 857);
    TTesselDBF ansi;
    ansi.DataSet = &data;
    ansi.ExportedFields = everyField;
    ansi.Formats().DecimalSeparator = u',';
    ansi.Formats().ThousandSeparator = u'.';
    ansi.Formats().SetIntegerFormat(u"#,##0");
    jobs.push_back(ExportAndExpect(ansi, dir_ / "ansi.dbf", "cp1254", 1254));

    TTesselDBF oem;
    oem.DataSet = &data;
    oem.ExportedFields = everyField;
    oem.SetOutputEncoding(oeOem);
    jobs.push_back(ExportAndExpect(oem, dir_ / "oem.dbf", "cp857", 857));
  }
  {
    SystemCodePages pages(1250, 852);
    TTesselDBF central;
    central.DataSet = &data;
    central.ExportedFields = everyField;
    jobs.push_back(ExportAndExpect(central, dir_ / "central.dbf", "cp1250", 1250));
  }
  EXPECT_EQ(jobs[0].fields[0].name, "MUSTERI_NU");
  EXPECT_EQ(jobs[0].fields[1].name, "MUSTERI_~1");
  EXPECT_TRUE(fs::exists(dir_ / "ansi.dbt"));
  EXPECT_EQ(ReadBack(jobs, dir_), "");
}

TEST_F(DBFReadBackTest, NumbersTooLongForTheirFieldReadAsBlank) {
  SystemCodePages pages(1252, 850);
  TMemDataSet data;
  data.AddFieldDef(u"Tutar", ftFloat);
  data.AddFieldDef(u"Adet", ftInteger);
  data.AppendRecord({Variant::FromDouble(123456.5), Variant::FromInt(123456789012)});
  data.AppendRecord({Variant::FromDouble(12.5), Variant::FromInt(12)});
  data.Open();
  TTesselDBF exporter;
  exporter.DataSet = &data;
  exporter.ColumnsPrecision = {u"Tutar=6,2"};
  ReadBackJob job = ExportAndExpect(exporter, dir_ / "overflow.dbf", "cp1252", 1252);
  EXPECT_EQ(job.expected[0], (std::vector<std::string>{"\"*\"", "\"*\""}));
  job.readers = {"dbfread", "dbf"};  // LibreOffice shows the mark as 0
  EXPECT_EQ(ReadBack({job}, dir_), "");
}

// The header's 16-bit length holds 2,046 field descriptors and a record
// at most 65,535 bytes; a character field at most 254. At each limit the
// readers see the whole table; one past it the export is refused with the
// limit in the message, or the length is cut to 254.
TEST_F(DBFReadBackTest, FieldCountRecordLengthAndCharacterLengthLimits) {
  SystemCodePages pages(1252, 850);
  auto table = [](TMemDataSet& data, int fields, TFieldType type, int size, const Variant& value) {
    for (int i = 0; i < fields; ++i) data.AddFieldDef(u"F" + IntToWide(i), type, size);
    data.AppendRecord(std::vector<Variant>(static_cast<size_t>(fields), value));
    data.AppendRecord(std::vector<Variant>(static_cast<size_t>(fields), Variant::Null()));
    data.Open();
  };
  auto refusal = [this](TDataSet& data, const std::string& name) -> std::string {
    TTesselDBF exporter;
    exporter.DataSet = &data;
    exporter.ShellLauncher = nullptr;
    exporter.FileName = (dir_ / name).string();
    try {
      exporter.Execute();
    } catch (const Exception& error) {
      return error.what();
    }
    return "exported";
  };
  std::vector<ReadBackJob> jobs;

  TMemDataSet mostFields;
  table(mostFields, 2046, ftSmallint, 0, Variant::FromInt(-7));
  TTesselDBF fields;
  fields.DataSet = &mostFields;
  jobs.push_back(ExportAndExpect(fields, dir_ / "fields.dbf", "cp1252", 1252));
  EXPECT_EQ(jobs.back().fields.size(), 2046u);
  TMemDataSet tooManyFields;
  table(tooManyFields, 2047, ftSmallint, 0, Variant::FromInt(-7));
  EXPECT_NE(refusal(tooManyFields, "toomany.dbf").find("at most 2046 fields"), std::string::npos);

  // 1 deletion flag + 258 * 254 = 65,533 bytes; 259 fields need 65,787.
  TMemDataSet longest;
  table(longest, 258, ftString, 254, Variant::FromText(WideString(254, u'x')));
  TTesselDBF record;
  record.DataSet = &longest;
  jobs.push_back(ExportAndExpect(record, dir_ / "record.dbf", "cp1252", 1252));
  TMemDataSet tooLong;
  table(tooLong, 259, ftString, 254, Variant::FromText(u"x"));
  EXPECT_NE(refusal(tooLong, "toolong.dbf").find("at most 65535 bytes"), std::string::npos);

  TMemDataSet wideText;
  table(wideText, 2, ftString, 255, Variant::FromText(WideString(254, u'a') + u"b"));
  TTesselDBF cut;
  cut.DataSet = &wideText;
  jobs.push_back(ExportAndExpect(cut, dir_ / "cut.dbf", "cp1252", 1252));
  EXPECT_EQ(jobs.back().fields[0].length, 254);

  for (ReadBackJob& job : jobs) job.readers = {"dbfread", "dbf"};  // LibreOffice opens 1,024 columns at most
  EXPECT_EQ(ReadBack(jobs, dir_), "");
}

TEST_F(DBFReadBackTest, FixtureTablesReadBackWhole) {
  VERIMO_REQUIRE_SHARED_DIR();
  SystemCodePages pages(1254, 857);
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
    // Binary values have no text a reader could be compared on.
    TStringList fields;
    for (int i = 0; i < table.FieldCount(); ++i)
      if (!IsBinaryType(table.Field(i).DataType())) fields.Add(table.Field(i).FieldName());
    if (fields.IsEmpty()) continue;
    TTesselDBF exporter;
    exporter.DataSet = &table;
    exporter.ExportedFields = fields;
    exporter.DefaultFloatSize = 24;
    fs::path file = dir_ / (std::to_string(index++) + "-" + entry.path().stem().string() + ".dbf");
    try {
      jobs.push_back(ExportAndExpect(exporter, file, "cp1254", 1254));
    } catch (const Exception& error) {
      ADD_FAILURE() << file << ": " << error.what();
    }
  }
  ASSERT_GT(jobs.size(), 20u);
  EXPECT_EQ(ReadBack(jobs, dir_), "");
  for (const std::string& reason : skipped) std::cout << "not exported: " << reason << "\n";
}

}  // namespace
}  // namespace verimo
