#include "core/HexText.h"
#include "formats/text/TesselXML.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <deque>
#include <iostream>
#include <memory>
#include <optional>
#include <fstream>
#include <sstream>

#include "engine/TesselIniFile.h"
#include "engine/TesselStream.h"
#include "core/DateTime.h"
#include "core/Exception.h"
#include "formats/text/TesselXMLText.h"
#include "platform/codepage/CodePage.h"
#include "platform/data/MemDataSet.h"
#include "platform/paradox/Table.h"
#include "support/Json.h"
#include "support/TestPaths.h"

namespace verimo {
namespace {

namespace fs = std::filesystem;
using test::AppendJsonString;

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream content;
  content << in.rdbuf();
  return content.str();
}

// ---- names, text and values ----

TEST(XmlNamesTest, DatapacketNamesKeepTheirRulesAndBecomeValidAndUnique) {
  using Names = std::vector<WideString>;
  EXPECT_EQ(xml::DatapacketNames({u"Ünvan", u"First Name", u"ÇĞŞ"}), (Names{u"_nvan", u"First_Name", u"FIELD_1"}));
  EXPECT_EQ(xml::DatapacketNames({u"A B", u"A_B"}), (Names{u"A_B1", u"A_B"}));
  EXPECT_EQ(xml::DatapacketNames({u"A_B", u"A B"}), (Names{u"A_B", u"A_B1"}));
  // Names that would not be names, clash or are empty.
  EXPECT_EQ(xml::DatapacketNames({u"1st", u"-x", u"a:b", u"", u"ğü"}),
            (Names{u"_1st", u"_-x", u"a_b", u"FIELD_1", u"FIELD_2"}));
  EXPECT_EQ(xml::DatapacketNames({u"ID", u"ID", u"ID1"}), (Names{u"ID", u"ID2", u"ID1"}));
}

TEST(XmlNamesTest, ElementNamesKeepLettersOfAnyScriptAndReplaceTheRest) {
  EXPECT_EQ(xml::ElementName(u"First Name"), u"First_Name");
  EXPECT_EQ(xml::ElementName(u"Ünvan"), u"Ünvan");
  EXPECT_EQ(xml::ElementName(u"Şehir/İlçe"), u"Şehir_İlçe");
  EXPECT_EQ(xml::ElementName(u"2nd"), u"_2nd");
  EXPECT_EQ(xml::ElementName(u"a:b"), u"a_b");
  EXPECT_EQ(xml::ElementName(u""), u"_");
  EXPECT_EQ(xml::ElementName(u"-"), u"_-");
  EXPECT_EQ(xml::UniqueElementNames({u"a b", u"a_b", u"a-b"}), (std::vector<WideString>{u"a_b", u"a_b1", u"a-b"}));
  EXPECT_EQ(xml::UniqueElementNames({u"dataroot"}, {u"dataroot"}), (std::vector<WideString>{u"dataroot1"}));
}

TEST(XmlTextTest, EscapesMarkupKeepsSpacesAndDropsWhatXmlCannotHold) {
  EXPECT_EQ(xml::EscapeText(u"R&D <50%> \"q\" it's"), u"R&amp;D &lt;50%&gt; &quot;q&quot; it's");
  EXPECT_EQ(xml::EscapeText(u"a b\u00a0c"), u"a b\u00a0c");
  EXPECT_EQ(xml::EscapeText(u"1\r\n2\t3"), u"1&#13;&#10;2&#9;3");
  EXPECT_EQ(xml::EscapeText(u"x\x01\x1fy\uFFFEz\uFFFF"), u"xyz");
  EXPECT_EQ(xml::EscapeText(WideString(u"a") + char16_t(0xD800) + u"b" + char16_t(0xDC00)), u"ab");
  EXPECT_EQ(xml::EscapeText(u"\U0001F600"), u"\U0001F600");
}

TEST(XmlTextTest, TypedValuesTakeTheirSchemaForm) {
  WideString text;
  ASSERT_TRUE(xml::LexicalValue(Variant::FromInt(-1234567), ectInteger, text));
  EXPECT_EQ(text, u"-1234567");
  ASSERT_TRUE(xml::LexicalValue(Variant::FromDouble(0.1), ectFloat, text));
  EXPECT_EQ(text, u"0.1");
  ASSERT_TRUE(xml::LexicalValue(Variant::FromDouble(-1e20), ectFloat, text));
  EXPECT_EQ(text, u"-100000000000000000000");
  ASSERT_TRUE(xml::LexicalValue(Variant::FromCurrency(Currency{-12345678}), ectCurrency, text));
  EXPECT_EQ(text, u"-1234.5678");
  EXPECT_FALSE(xml::LexicalValue(Variant::FromDouble(NAN), ectFloat, text));
  ASSERT_TRUE(xml::LexicalValue(Variant::FromDateTime(EncodeDate(2024, 2, 29)), ectDate, text));
  EXPECT_EQ(text, u"2024-02-29T00:00:00");
  ASSERT_TRUE(xml::LexicalValue(Variant::FromDateTime(EncodeTime(13, 5, 9, 70)), ectTime, text));
  EXPECT_EQ(text, u"1899-12-30T13:05:09.070");
  ASSERT_TRUE(xml::LexicalValue(Variant::FromBool(false), ectBoolean, text));
  EXPECT_EQ(text, u"false");
  EXPECT_FALSE(xml::LexicalValue(Variant::FromText(u"1"), ectString, text));
}

TEST(XmlTextTest, EncodingNamesAndSchemaReferences) {
  SetSystemCodePage(TSystemCodePage::Ansi, 1254);
  SetSystemCodePage(TSystemCodePage::Oem, 857);
  EXPECT_EQ(xml::EncodingName(oeAnsi), u"windows-1254");
  EXPECT_EQ(xml::EncodingName(oeOem), u"IBM857");
  EXPECT_TRUE(xml::NamesEncoding(u"CP1254", oeAnsi));
  EXPECT_TRUE(xml::NamesEncoding(u"utf-16", oeUTF16));
  EXPECT_FALSE(xml::NamesEncoding(u"UTF-8", oeUTF16));
  EXPECT_FALSE(xml::NamesEncoding(u"ISO-8859-9", oeUTF8));
  SetSystemCodePage(TSystemCodePage::Ansi, 0);
  SetSystemCodePage(TSystemCodePage::Oem, 0);
  EXPECT_EQ(xml::OutputEncodingForName(u" utf-16 "), oeUTF16);
  EXPECT_EQ(xml::OutputEncodingForName(u"ISO-8859-9"), oeUTF8);
  EXPECT_EQ(PercentEncode("Müşteri listesi%.xsd"), u"M%C3%BC%C5%9Fteri%20listesi%25.xsd");
}

// ---- documents ----

bool SameLossCounts(const TLossTally& a, const TLossTally& b) {
  const std::vector<TLoss>& x = a.Losses();
  const std::vector<TLoss>& y = b.Losses();
  return std::equal(x.begin(), x.end(), y.begin(), y.end(), [](const TLoss& l, const TLoss& r) {
    return l.field == r.field && l.kind == r.kind && l.detail == r.detail && l.count == r.count;
  });
}

void FillTrickyTable(TMemDataSet& data) {
  data.AddFieldDef(u"Id", ftInteger);
  data.AddFieldDef(u"First Name", ftString, 40);
  data.AddFieldDef(u"Tutar", ftFloat);
  data.AddFieldDef(u"Fiyat", ftCurrency);
  data.AddFieldDef(u"Gün", ftDate);
  data.AddFieldDef(u"Saat", ftDateTime);
  data.AddFieldDef(u"Onay", ftBoolean);
  data.AddFieldDef(u"Not", ftMemo);
  data.AddFieldDef(u"1:x", ftString, 10);
  auto date = [](int y, int m, int d) { return Variant::FromDateTime(EncodeDate(y, m, d)); };
  auto stamp = [](int y, int m, int d, int h, int n, int s, int z) {
    return Variant::FromDateTime(CombineDateTime(EncodeDate(y, m, d), EncodeTime(h, n, s, z)));
  };
  data.AppendRecord({Variant::FromInt(1), Variant::FromText(u"Şule Ağaoğlu"), Variant::FromDouble(1234.5),
                     Variant::FromDouble(12.5), date(2024, 2, 29), stamp(2024, 2, 29, 23, 59, 59, 999),
                     Variant::FromBool(true), Variant::FromText(u"R&D <50%>\r\nikinci satır"), Variant::FromText(u"a")});
  data.AppendRecord({Variant::FromInt(-2), Variant::FromText(u"a\"b 'c'"), Variant::FromDouble(-0.1),
                     Variant::FromDouble(0), date(1899, 12, 30), stamp(1850, 6, 1, 6, 30, 0, 0), Variant::FromBool(false),
                     Variant::FromText(u"  iki  boşluk\ttab\x01"), Variant::FromText(u"")});
  data.AppendRecord({Variant::Null(), Variant::Null(), Variant::Null(), Variant::Null(), Variant::Null(), Variant::Null(),
                     Variant::Null(), Variant::Null(), Variant::Null()});
  data.AppendRecord({Variant::FromInt(2147483647), Variant::FromText(u"İıĞğÜüŞşÖöÇç"), Variant::FromDouble(1e15 / 3),
                     Variant::FromDouble(-922337203685.4775), date(1, 1, 1), stamp(9999, 12, 31, 0, 0, 0, 1),
                     Variant::FromBool(true), Variant::FromText(u"\U0001F600 \u00a0nbsp\rcr"), Variant::FromText(u"<>")});
  data.Open();
}

// What a reader should find in one cell: nothing for a null of a typed
// document, else the value with the kind the comparison takes.
std::string ExpectedCell(TTessel& sender, int index, bool typed) {
  const TTesselColumn& column = sender.Columns()[index];
  const TTesselCol& cell = sender.Row()[index];
  const bool isNull = sender.Columns().IsNull(index);
  if (typed && isNull) return "null";
  auto textCell = [&](WideStringView text) {
    std::string json = "{\"kind\":\"text\",\"value\":";
    AppendJsonString(json, text);
    return json + "}";
  };
  if (!typed || isNull) return textCell(isNull ? sender.Formats().NullString() : cell.Text);
  const Variant& value = cell.Value;
  char number[64];
  switch (column.ColType) {
    case ectInteger:
    case ectBigint:
      if (value.GetKind() == Variant::Kind::Integer)
        return "{\"kind\":\"int\",\"value\":" + std::to_string(value.AsInt()) + "}";
      break;
    case ectFloat:
    case ectCurrency:
      if (value.IsNumeric() && std::isfinite(value.AsDouble())) {
        std::snprintf(number, sizeof number, "%.17g", value.AsDouble());
        return std::string("{\"kind\":\"float\",\"value\":") + number + "}";
      }
      break;
    case ectDate:
    case ectTime:
    case ectDateTime:
      if (value.GetKind() == Variant::Kind::DateTime) {
        std::snprintf(number, sizeof number, "%.17g", value.AsDouble());
        return std::string("{\"kind\":\"date\",\"value\":") + number + "}";
      }
      break;
    case ectBoolean:
      if (value.GetKind() == Variant::Kind::Boolean)
        return std::string("{\"kind\":\"bool\",\"value\":") + (value.AsBool() ? "true" : "false") + "}";
      break;
    default:
      break;
  }
  return textCell(cell.Text);
}

struct XmlJob {
  TTesselXML* exporter = nullptr;
  std::string records;  // JSON rows
  int rowCount = 0;
};

// Records what each exported row should read back as.
void Attach(TTesselXML& exporter, XmlJob& job) {
  job.exporter = &exporter;
  exporter.OnBeforeExportRow = [&job](TTessel& sender, TTesselRow& row, bool&) {
    const bool typed = static_cast<TTesselXML&>(sender).ExportXSDSchema;
    std::string json = job.rowCount++ ? ",[" : "[";
    for (int i = 0; i < row.Count(); ++i) json += (i ? "," : "") + ExpectedCell(sender, i, typed);
    job.records += json + "]";
  };
}

std::string JobJson(const XmlJob& job) {
  const TTesselXML& exporter = *job.exporter;
  std::string json = "{\"file\":";
  AppendJsonString(json, Utf8ToWide(exporter.FileName));
  json += ",\"layout\":\"" + std::string(exporter.DocumentType == xtAccess ? "access" : "datapacket") + "\"";
  json += ",\"encoding\":\"" + std::string(exporter.OutputEncoding() == oeUTF16 ? "utf-16" : "utf-8") + "\"";
  json += ",\"captions\":" + std::string(exporter.AllowCaptions ? "true" : "false");
  json += ",\"schema\":";
  if (exporter.ExportXSDSchema)
    AppendJsonString(json, Utf8ToWide(exporter.SchemaFileName()));
  else
    json += "null";
  json += ",\"record\":";
  AppendJsonString(json, exporter.RecordName());
  json += ",\"names\":[";
  for (size_t i = 0; i < exporter.FieldNames().size(); ++i) {
    if (i) json += ",";
    AppendJsonString(json, exporter.FieldNames()[i]);
  }
  return json + "],\"expected\":[" + job.records + "]}";
}

// Runs the independent readers over the documents; returns their report
// (empty when everything agrees).
std::string ReadBack(const std::vector<XmlJob>& jobs, const fs::path& dir) {
  std::string json = "[";
  for (size_t i = 0; i < jobs.size(); ++i) json += (i ? ",\n" : "") + JobJson(jobs[i]);
  json += "]";
  const fs::path jobsFile = dir / "jobs.json";
  std::ofstream(jobsFile, std::ios::binary) << json;
  std::string output;
  const int status = test::RunCommand(
      "/usr/bin/python3 " + test::ShellQuote((test::SourceDir() / "tests/formats/text/xml_read_back.py").string()) + " " +
          test::ShellQuote(jobsFile.string()) + " 2>&1",
      &output);
  if (status != 0 && output.empty()) output = "xml_read_back.py failed with status " + std::to_string(status);
  return output;
}

class XmlExportTest : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = test::MakeTempDir("verimo-xml"); }
  void TearDown() override {
    if (!std::getenv("VERIMO_KEEP_TEST_FILES")) fs::remove_all(dir_);
  }

  // One exporter per layout, encoding and schema choice, over `data`.
  void ExportEveryVariant(TDataSet& data, const std::string& stem, const TStringList& fields) {
    for (TTesselXMLType layout : {xtDatapacket2, xtAccess})
      for (TTesselOutputEncoding encoding : {oeUTF8, oeUTF16})
        for (bool schema : {true, false}) {
          auto exporter = std::make_unique<TTesselXML>();
          exporter->DataSet = &data;
          exporter->ExportedFields = fields;
          exporter->DocumentType = layout;
          exporter->SetOutputEncoding(encoding);
          exporter->ExportXSDSchema = schema;
          exporter->ShellLauncher = nullptr;
          exporter->FileName = (dir_ / (stem + (layout == xtAccess ? "-access" : "-packet") +
                                        (encoding == oeUTF16 ? "-utf16" : "-utf8") + (schema ? "-typed" : "") + ".xml"))
                                   .string();
          jobs_.emplace_back();
          Attach(*exporter, jobs_.back());
          try {
            exporter->Execute();
          } catch (const Exception& error) {
            ADD_FAILURE() << exporter->FileName << ": " << error.what();
          }
          exporters_.push_back(std::move(exporter));
        }
  }

  fs::path dir_;
  std::vector<std::unique_ptr<TTesselXML>> exporters_;
  std::deque<XmlJob> jobs_;
};

TEST_F(XmlExportTest, DatapacketDocumentAsWritten) {
  TMemDataSet data;
  data.AddFieldDef(u"ID", ftInteger);
  data.AddFieldDef(u"First Name", ftString, 20);
  data.AppendRecord({Variant::FromInt(1), Variant::FromText(u"a b&c")});
  data.Open();
  TTesselXML exporter;
  exporter.DataSet = &data;
  TMemoryStream stream;
  exporter.ExportToStream(stream);
  EXPECT_EQ(stream.View(),
            "<?xml version=\"1.0\" standalone=\"yes\"?>\r\n<DATAPACKET Version=\"2.0\">\r\n<METADATA>\r\n<FIELDS>\r\n"
            "<FIELD FieldName=\"ID\" DisplayLabel=\"ID\" FieldType=\"Integer\" FieldClass=\"TField\"/>\r\n"
            "<FIELD FieldName=\"First_Name\" DisplayLabel=\"First_Name\" FieldType=\"String\" FieldClass=\"TField\"/>\r\n"
            "</FIELDS>\r\n</METADATA>\r\n<ROWDATA>\r\n<ROW ID=\"1\" First_Name=\"a b&amp;c\"/>\r\n</ROWDATA>\r\n"
            "</DATAPACKET>\r\n");

  exporter.AllowCaptions = false;
  exporter.Options.StandAlone = false;
  exporter.Options.Encoding = u"ISO-8859-9";
  TMemoryStream bare;
  exporter.ExportToStream(bare);
  EXPECT_TRUE(bare.View().starts_with(
      "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\r\n<DATAPACKET Version=\"2.0\">\r\n<ROWDATA>\r\n"));
}

TEST_F(XmlExportTest, AccessDocumentTakesItsNamesFromTheFinalFileName) {
  TMemDataSet data;
  data.AddFieldDef(u"No", ftInteger);
  data.AddFieldDef(u"Ad Soyad", ftString, 20);
  data.AppendRecord({Variant::FromInt(7), Variant::Null()});
  data.Open();
  TTesselXML exporter;
  exporter.DataSet = &data;
  exporter.DocumentType = xtAccess;
  exporter.ExportXSDSchema = true;
  exporter.ShellLauncher = nullptr;
  exporter.FileName = (dir_ / ".2024 liste.xml.part").string();
  exporter.TargetFileName = (dir_ / "2024 liste.xml").string();
  exporter.Execute();
  const std::string document = ReadFile(exporter.FileName);
  EXPECT_NE(document.find("xsi:noNamespaceSchemaLocation=\"2024%20liste.xsd\">"), std::string::npos) << document;
  EXPECT_NE(document.find("\r\n<_2024_liste><No>7</No></_2024_liste>\r\n</dataroot>\r\n"), std::string::npos) << document;
  EXPECT_EQ(exporter.SchemaFileName(), (dir_ / ".2024 liste.xml.xsd").string());
  EXPECT_EQ(exporter.FinalSchemaFileName(), (dir_ / "2024 liste.xsd").string());
  const std::string schema = ReadFile(exporter.SchemaFileName());
  EXPECT_NE(schema.find("<xsd:element ref=\"_2024_liste\" minOccurs=\"0\" maxOccurs=\"unbounded\"/>"), std::string::npos);
  EXPECT_NE(schema.find("<xsd:element name=\"Ad_Soyad\" minOccurs=\"0\" od:jetType=\"text\""), std::string::npos);
}

TEST_F(XmlExportTest, SchemaMayNotTakeTheDocumentsName) {
  TMemDataSet data;
  data.AddFieldDef(u"No", ftInteger);
  data.Open();
  TTesselXML exporter;
  exporter.DataSet = &data;
  exporter.ExportXSDSchema = true;
  exporter.FileName = (dir_ / "table.xsd").string();
  EXPECT_THROW(exporter.Execute(), Exception);
  EXPECT_FALSE(fs::exists(dir_ / "table.xsd"));
}

TEST_F(XmlExportTest, StoppedExportStillEndsTheDocument) {
  TMemDataSet data;
  data.AddFieldDef(u"No", ftInteger);
  for (int i = 0; i < 10; ++i) data.AppendRecord({Variant::FromInt(i)});
  data.Open();
  for (TTesselXMLType layout : {xtDatapacket2, xtAccess}) {
    TTesselXML exporter;
    exporter.DataSet = &data;
    exporter.DocumentType = layout;
    exporter.ShellLauncher = nullptr;
    exporter.FileName = (dir_ / (layout == xtAccess ? "stopped-access.xml" : "stopped.xml")).string();
    exporter.OnExportedRecord = [](TTessel& sender, int recNo) {
      if (recNo == 2) sender.Abort();
    };
    exporter.Execute();
    const std::string document = ReadFile(exporter.FileName);
    EXPECT_NE(document.find(layout == xtAccess ? "</dataroot>\r\n" : "</ROWDATA>\r\n</DATAPACKET>\r\n"), std::string::npos);
    EXPECT_EQ(test::RunCommand("xmllint --noout " + test::ShellQuote(exporter.FileName)), 0);
  }
}

TEST_F(XmlExportTest, SettingsKeepTheOptions) {
  TTesselXML saved;
  saved.Options.Encoding = u"UTF-16";
  saved.Options.StandAlone = false;
  saved.DocumentType = xtAccess;
  saved.ExportXSDSchema = true;
  settings::SaveToFile(saved, dir_ / "xml.cfg");
  TTesselXML loaded;
  settings::LoadFromFile(loaded, dir_ / "xml.cfg");
  EXPECT_EQ(loaded.Options.Encoding, u"UTF-16");
  EXPECT_FALSE(loaded.Options.StandAlone);
  EXPECT_EQ(loaded.DocumentType, xtAccess);
  EXPECT_TRUE(loaded.ExportXSDSchema);
  EXPECT_EQ(loaded.OutputEncoding(), oeUTF16);
}

TEST_F(XmlExportTest, TrickyValuesReadBackInEveryVariant) {
  TMemDataSet data;
  FillTrickyTable(data);
  ExportEveryVariant(data, "tricky", {});
  ASSERT_EQ(jobs_.size(), 8u);
  EXPECT_EQ(jobs_.front().rowCount, 4);
  EXPECT_EQ(ReadBack({jobs_.begin(), jobs_.end()}, dir_), "");
}

TEST_F(XmlExportTest, FixtureTablesReadBackWhole) {
  VERIMO_REQUIRE_SHARED_DIR();
  std::vector<std::unique_ptr<TTable>> tables;
  std::vector<std::string> skipped;
  int index = 0;
  for (const auto& entry : fs::recursive_directory_iterator(*test::SharedDir() / "fixtures" / "paradox")) {
    const std::string extension = entry.path().extension().string();
    if (extension != ".db" && extension != ".DB") continue;
    auto table = std::make_unique<TTable>();
    table->SetDatabaseName(entry.path().parent_path().string());
    table->SetTableName(entry.path().filename().string());
    try {
      table->Open();
    } catch (const Exception& error) {
      skipped.push_back(entry.path().filename().string() + ": " + error.what());
      continue;
    }
    // Byte fields hold characters XML cannot carry; memos and every other
    // field are exported.
    TStringList fields;
    for (int i = 0; i < table->FieldCount(); ++i)
      if (!IsBinaryType(table->Field(i).DataType())) fields.Add(table->Field(i).FieldName());
    if (fields.IsEmpty()) continue;
    ExportEveryVariant(*table, std::to_string(index++) + "-" + entry.path().stem().string(), fields);
    tables.push_back(std::move(table));
  }
  ASSERT_FALSE(jobs_.empty());
  EXPECT_EQ(ReadBack({jobs_.begin(), jobs_.end()}, dir_), "");
  for (const std::string& reason : skipped) std::cout << "not exported: " << reason << "\n";
}

// The same exporter through its steps (a descendant escapes every cell
// through EscapeText and encodes the row as text).
class TXmlBySteps : public TTesselXML {};

std::string ExportBytes(TTesselXML& exporter, TDataSet& data, TTesselXMLType layout) {
  exporter.DataSet = &data;
  exporter.DocumentType = layout;
  TMemoryStream stream;
  exporter.ExportToStream(stream);
  return std::string(stream.View());
}

TEST(XmlBytesTest, RowsAsBytesAreTheRowsOfTheSteps) {
  TMemDataSet tricky;
  FillTrickyTable(tricky);
  std::vector<std::unique_ptr<TTable>> tables;
  std::vector<TDataSet*> sources{&tricky};
  if (const std::optional<fs::path> shared = test::SharedDir(); shared && fs::exists(*shared / "fixtures" / "paradox")) {
    for (const auto& entry : fs::recursive_directory_iterator(*shared / "fixtures" / "paradox")) {
      const std::string extension = entry.path().extension().string();
      if (extension != ".db" && extension != ".DB") continue;
      auto table = std::make_unique<TTable>();
      table->SetDatabaseName(entry.path().parent_path().string());
      table->SetTableName(entry.path().filename().string());
      try {
        table->Open();
      } catch (const Exception&) {
        continue;
      }
      sources.push_back(table.get());
      tables.push_back(std::move(table));
    }
  }
  for (TDataSet* data : sources) {
    for (TTesselXMLType layout : {xtDatapacket2, xtAccess}) {
      TTesselXML bytes;
      TXmlBySteps steps;
      const std::string expected = ExportBytes(steps, *data, layout);
      EXPECT_EQ(ExportBytes(bytes, *data, layout), expected) << (data == &tricky ? "tricky" : "a fixture table");
      EXPECT_TRUE(SameLossCounts(bytes.Losses(), steps.Losses()));
    }
  }
}

}  // namespace
}  // namespace verimo
