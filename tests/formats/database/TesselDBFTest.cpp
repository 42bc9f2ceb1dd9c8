#include "formats/database/TesselDBF.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "core/Exception.h"
#include "engine/TesselCustomSource.h"
#include "engine/TesselIniFile.h"
#include "engine/TesselStream.h"
#include "formats/database/DBFFieldNames.h"
#include "formats/database/DBFFields.h"
#include "platform/codepage/CodePage.h"
#include "platform/data/MemDataSet.h"
#include "platform/locale/Formatting.h"
#include "support/TestPaths.h"

namespace verimo {
namespace {

namespace fs = std::filesystem;

class AnsiCodePage {
 public:
  explicit AnsiCodePage(int codePage) { SetSystemCodePage(TSystemCodePage::Ansi, codePage); }
  ~AnsiCodePage() { SetSystemCodePage(TSystemCodePage::Ansi, 0); }
};

uint32_t U32(const std::string& bytes, size_t at) {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(bytes.at(at + static_cast<size_t>(i)));
  return value;
}
uint32_t U16(const std::string& bytes, size_t at) {
  return static_cast<unsigned char>(bytes.at(at)) | static_cast<unsigned char>(bytes.at(at + 1)) << 8;
}

// The parts of a table file a test looks at.
struct Table {
  explicit Table(std::string file) : bytes(std::move(file)) {
    fieldCount = (U16(bytes, 8) - 33) / 32;
    for (size_t i = 0; i < fieldCount; ++i) {
      const size_t at = 32 + 32 * i;
      names.push_back(std::string(bytes.c_str() + at));
      types += bytes[at + 11];
      lengths.push_back(static_cast<unsigned char>(bytes[at + 16]));
      decimals.push_back(static_cast<unsigned char>(bytes[at + 17]));
    }
  }
  uint32_t Count() const { return U32(bytes, 4); }
  uint32_t HeaderLength() const { return U16(bytes, 8); }
  uint32_t RecordLength() const { return U16(bytes, 10); }
  std::string Record(size_t index) const { return bytes.substr(HeaderLength() + index * RecordLength(), RecordLength()); }
  // One field of a record, without the deletion flag before the first.
  std::string Field(size_t record, size_t field) const {
    size_t at = 1;
    for (size_t i = 0; i < field; ++i) at += lengths[i];
    return Record(record).substr(at, lengths[field]);
  }

  std::string bytes;
  size_t fieldCount = 0;
  std::vector<std::string> names;
  std::string types;
  std::vector<int> lengths;
  std::vector<int> decimals;
};

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream content;
  content << in.rdbuf();
  return content.str();
}

Table ExportToMemory(TTesselDBF& exporter) {
  TMemoryStream stream;
  exporter.ExportToStream(stream);
  return Table(std::string(stream.View()));
}

// ---- field rules ----

TEST(DBFFieldRulesTest, NumbersArePlainWithPointDecimalsAndStarsWhenTheyDoNotFit) {
  std::string digits;
  ASSERT_TRUE(dbf::NumberText(Variant::FromInt(-1234567), 0, digits));
  EXPECT_EQ(digits, "-1234567");
  ASSERT_TRUE(dbf::NumberText(Variant::FromDouble(1234.5), 4, digits));
  EXPECT_EQ(digits, "1234.5000");
  ASSERT_TRUE(dbf::NumberText(Variant::FromDouble(-0.00001), 2, digits));
  EXPECT_EQ(digits, "0.00");
  ASSERT_TRUE(dbf::NumberText(Variant::FromCurrency({123455}), 3, digits));
  EXPECT_EQ(digits, "12.346");
  ASSERT_TRUE(dbf::NumberText(Variant::FromCurrency({-5}), 2, digits));
  EXPECT_EQ(digits, "0.00");
  ASSERT_TRUE(dbf::NumberText(Variant::FromCurrency({-123456}), 6, digits));
  EXPECT_EQ(digits, "-12.345600");
  ASSERT_TRUE(dbf::NumberText(Variant::FromCurrency({7}), 4, digits));
  EXPECT_EQ(digits, "0.0007");
  EXPECT_FALSE(dbf::NumberText(Variant::FromDouble(std::numeric_limits<double>::infinity()), 2, digits));
  EXPECT_FALSE(dbf::NumberText(Variant::FromText(u"12"), 2, digits));

  std::string record;
  dbf::AppendNumber(record, "12", 5);
  dbf::AppendNumber(record, "123456", 5);
  dbf::AppendNumber(record, "12345", 5);
  EXPECT_EQ(record, "   12*****12345");
}

TEST(DBFFieldRulesTest, CharacterFieldsNeverSplitAUtf8Character) {
  std::string record;
  dbf::AppendCharacter(record, "a\xC3\xA7", 2, true);  // aç
  dbf::AppendCharacter(record, "a\xC3\xA7", 3, true);
  dbf::AppendCharacter(record, "a\xE7z", 2, false);
  dbf::AppendCharacter(record, "", 2, false);
  EXPECT_EQ(record, "a a\xC3\xA7" "a\xE7  ");
}

TEST(DBFFieldRulesTest, HeaderYearCountsFrom1900AndTheLanguageDriverNamesTheCodePage) {
  std::string header = dbf::HeaderBytes(dbf::kVersionPlain, {2026, 12, 9}, 7, 3, 40, 0xCA);
  ASSERT_EQ(header.size(), 32u);
  EXPECT_EQ(static_cast<unsigned char>(header[1]), 126);
  EXPECT_EQ(header[2], 12);
  EXPECT_EQ(header[3], 9);
  EXPECT_EQ(U32(header, 4), 7u);
  EXPECT_EQ(U16(header, 8), 129u);
  EXPECT_EQ(U16(header, 10), 40u);
  EXPECT_EQ(static_cast<unsigned char>(header[29]), 0xCA);

  EXPECT_EQ(dbf::LanguageDriverOf(1252), 0x03);
  EXPECT_EQ(dbf::LanguageDriverOf(1254), 0xCA);
  EXPECT_EQ(dbf::LanguageDriverOf(857), 0x6B);
  EXPECT_EQ(dbf::LanguageDriverOf(1250), 0xC8);
  EXPECT_EQ(dbf::LanguageDriverOf(1251), 0xC9);
  EXPECT_EQ(dbf::LanguageDriverOf(437), 0x01);
  EXPECT_EQ(dbf::LanguageDriverOf(10081), 0x00);
  EXPECT_EQ(dbf::LanguageDriverOf(65001), 0x00);
}

TEST(DBFFieldRulesTest, LogicalTextsAreTrueFalseOrUnknown) {
  EXPECT_EQ(dbf::LogicalOfText(u"True"), 'T');
  EXPECT_EQ(dbf::LogicalOfText(u"false"), 'F');
  EXPECT_EQ(dbf::LogicalOfText(u"Yes"), ' ');
  EXPECT_EQ(dbf::LogicalOfText(u""), ' ');
}

TEST(DBFFieldRulesTest, MemoValuesEndWithTwoEndMarksAndFillWholeBlocks) {
  EXPECT_EQ(dbf::MemoBlocks("abc"), "abc\x1A\x1A" + std::string(507, '\0'));
  EXPECT_EQ(dbf::MemoBlockCount(510), 1u);
  EXPECT_EQ(dbf::MemoBlockCount(511), 2u);
  EXPECT_EQ(dbf::MemoBlocks(std::string(511, 'x')).size(), 1024u);
}

// ---- field names ----

TEST(DBFFieldNamesTest, LongNamesAreShortenedAndEveryNameStaysUnique) {
  TShortFieldNameGenerator names;
  EXPECT_EQ(names.GetShortName(u"CUSTOMERNUMBER"), u"CUSTOMERNU");
  EXPECT_EQ(names.GetShortName(u"CUSTOMERNAME"), u"CUSTOMERNA");
  EXPECT_EQ(names.GetShortName(u"CUSTOMERNATION"), u"CUSTOMER~1");
  EXPECT_EQ(names.GetShortName(u"CUSTOMERNAMES"), u"CUSTOMER~2");
  // Short names take part as well, so a short name never meets its twin.
  EXPECT_EQ(names.GetShortName(u"ID"), u"ID");
  EXPECT_EQ(names.GetShortName(u"id"), u"id~1");
  EXPECT_EQ(names.GetShortName(u"CUSTOMER~1"), u"CUSTOMER~3");

  EXPECT_EQ(dbf::FieldNameOf(u"Müşteri Adı"), u"MUSTERI_ADI");
  EXPECT_EQ(dbf::FieldNameOf(u"İl/İlçe"), u"IL_ILCE");
  EXPECT_EQ(dbf::FieldNameOf(u"1. Tutar"), u"F1__TUTAR");
  EXPECT_EQ(dbf::FieldNameOf(u"€"), u"F_");
  EXPECT_EQ(dbf::FieldNameOf(u""), u"FIELD");
}

// ---- the exporter ----

void FillTable(TMemDataSet& data) {
  data.AddFieldDef(u"Id", ftInteger);
  data.AddFieldDef(u"Ad", ftString, 12);
  data.AddFieldDef(u"Tutar", ftFloat);
  data.AppendRecord({Variant::FromInt(1234567), Variant::FromText(u"Şule"), Variant::FromDouble(1234.5)});
  data.AppendRecord({Variant::Null(), Variant::Null(), Variant::Null()});
  data.AppendRecord({Variant::FromInt(-3), Variant::FromText(u"Ağaoğlu Çelik Yağ"), Variant::FromDouble(-0.25)});
  data.Open();
}

TEST(DBFExportTest, ATableWithoutMemosHasTheDescribedLayout) {
  AnsiCodePage ansi(1254);
  TMemDataSet data;
  FillTable(data);
  TTesselDBF exporter;
  exporter.DataSet = &data;
  Table table = ExportToMemory(exporter);

  EXPECT_EQ(table.bytes[0], 0x03);
  EXPECT_EQ(static_cast<unsigned char>(table.bytes[29]), 0xCA);
  EXPECT_EQ(table.HeaderLength(), 129u);
  EXPECT_EQ(table.RecordLength(), 1u + 11 + 12 + 15);
  EXPECT_EQ(table.Count(), 3u);
  EXPECT_EQ(table.bytes.size(), 129u + 3 * table.RecordLength() + 1);
  EXPECT_EQ(table.bytes[128], 0x0D);
  EXPECT_EQ(table.bytes.back(), 0x1A);
  EXPECT_EQ(table.names, (std::vector<std::string>{"ID", "AD", "TUTAR"}));
  EXPECT_EQ(table.types, "NCN");
  EXPECT_EQ(table.decimals, (std::vector<int>{0, 0, 4}));
  EXPECT_EQ(U32(table.bytes, 32 + 32 + 12), 11u) << "displacement of the second field";

  EXPECT_EQ(table.Record(0), "     1234567" + EncodeToCodePage(u"Şule", 1254) + "              1234.5000");
  EXPECT_EQ(table.Record(1), std::string(1 + 11 + 12 + 15, ' ')) << "nulls are blank in every field type";
  EXPECT_EQ(table.Field(2, 1), EncodeToCodePage(u"Ağaoğlu Çeli", 1254));
  EXPECT_EQ(table.Field(2, 2), "        -0.2500");
}

TEST(DBFExportTest, NumbersIgnoreTheTextPatternsAndTheProcessWideSeparators) {
  TMemDataSet data;
  data.AddFieldDef(u"Adet", ftInteger);
  data.AddFieldDef(u"Fiyat", ftCurrency);
  data.AddFieldDef(u"Oran", ftFloat);
  data.AddFieldDef(u"Not", ftString, 30);
  data.AppendRecord({Variant::FromInt(1234), Variant::FromDouble(1234.567), Variant::FromDouble(123456.5),
                     Variant::FromText(u"null")});
  data.AppendRecord({Variant::FromInt(99999999999), Variant::Null(), Variant::FromDouble(1), Variant::Null()});
  data.AppendRecord({Variant::FromInt(-999999999999), Variant::Null(), Variant::FromDouble(1), Variant::Null()});
  data.Open();
  TTesselDBF exporter;
  exporter.DataSet = &data;
  exporter.Formats().DecimalSeparator = u',';
  exporter.Formats().ThousandSeparator = u'.';
  exporter.Formats().SetIntegerFormat(u"#,##0");
  exporter.ColumnsPrecision = {u"fiyat=10,2", u"Oran=6,2"};
  exporter.SetNullValue(u"(yok)");
  exporter.ColumnsLength = {u"Not=10"};
  const char16_t separator = GlobalFormatSettings().DecimalSeparator;
  std::vector<char16_t> seen;
  exporter.OnExportedRecord = [&](TTessel&, int) { seen.push_back(GlobalFormatSettings().DecimalSeparator); };
  Table table = ExportToMemory(exporter);

  EXPECT_EQ(table.lengths, (std::vector<int>{11, 10, 6, 10}));
  EXPECT_EQ(table.decimals, (std::vector<int>{0, 2, 2, 0}));
  EXPECT_EQ(table.Field(0, 0), "       1234");
  EXPECT_EQ(table.Field(0, 1), "   1234.57");
  EXPECT_EQ(table.Field(0, 2), "******") << "123456.50 does not fit in six characters";
  EXPECT_EQ(table.Field(0, 3), "null      ") << "a text that reads null is a value, not a null";
  EXPECT_EQ(table.Field(1, 0), "99999999999");
  EXPECT_EQ(table.Field(1, 1), "          ");
  EXPECT_EQ(table.Field(1, 3), "(yok)     ");
  EXPECT_EQ(table.Field(2, 0), "***********");
  // Each field that lost a number says so once, with the count.
  ASSERT_EQ(exporter.Losses().Losses().size(), 2u);
  EXPECT_EQ(exporter.Losses().Losses()[0].field, u"Oran");
  EXPECT_EQ(exporter.Losses().Losses()[0].kind, TLossKind::NumberTooWide);
  EXPECT_EQ(exporter.Losses().Losses()[0].detail, u"N(6,2)");
  EXPECT_EQ(exporter.Losses().Losses()[1].field, u"Adet");
  EXPECT_EQ(exporter.Losses().Losses()[1].detail, u"N(11,0)");
  EXPECT_EQ(seen, std::vector<char16_t>(3, separator));
  EXPECT_EQ(GlobalFormatSettings().DecimalSeparator, separator);
}

// Without a precision line, a BCD field keeps its own decimals and money
// four, both in dBASE's widest number field; a precision line still wins.
TEST(DBFExportTest, NumberFieldsFollowTheirSourceType) {
  TMemDataSet data;
  data.AddFieldDef(u"Bakiye", ftBCD, 2);
  data.AddFieldDef(u"Fiyat", ftCurrency);
  data.AddFieldDef(u"Oran", ftFloat);
  data.AddFieldDef(u"Kesir", ftBCD, 30);
  data.AppendRecord({Variant::FromDouble(123456789012.34), Variant::FromDouble(-12345678901.5), Variant::FromDouble(0.5),
                     Variant::FromDouble(0.25)});
  data.Open();
  TTesselDBF exporter;
  exporter.DataSet = &data;
  Table table = ExportToMemory(exporter);
  EXPECT_EQ(table.lengths, (std::vector<int>{20, 20, 15, 20}));
  EXPECT_EQ(table.decimals, (std::vector<int>{2, 4, 4, 18}));
  EXPECT_EQ(table.Field(0, 0), "     123456789012.34");
  EXPECT_EQ(table.Field(0, 1), "   -12345678901.5000");
  EXPECT_TRUE(exporter.Losses().Empty());
  exporter.ColumnsPrecision = {u"Bakiye=12,2"};
  table = ExportToMemory(exporter);
  EXPECT_EQ(table.lengths[0], 12);
  EXPECT_EQ(table.Field(0, 0), "************");
  ASSERT_EQ(exporter.Losses().Losses().size(), 1u);
  EXPECT_EQ(exporter.Losses().Losses()[0].detail, u"N(12,2)");
}

// Fails inside the second field of the third record.
class FailingDBF : public TTesselDBF {
 public:
  WideString GetColData(const WideString& text, const TTesselColumn& column) override {
    if (RecordCounter() == 2 && column.Name == u"Ad") throw Exception("disk full");
    return TTesselDBF::GetColData(text, column);
  }
};

TEST(DBFExportTest, TheRecordCountIsTheNumberOfWholeRecordsAfterAFailureOrAStop) {
  TMemDataSet data;
  FillTable(data);
  {
    FailingDBF exporter;
    exporter.DataSet = &data;
    TMemoryStream stream;
    EXPECT_THROW(exporter.ExportToStream(stream), Exception);
    Table table{std::string(stream.View())};
    EXPECT_EQ(table.Count(), 2u);
    EXPECT_EQ(table.bytes.size(), 129u + 2 * table.RecordLength() + 1);
    EXPECT_EQ(table.bytes.back(), 0x1A);
  }
  {
    TTesselDBF exporter;
    exporter.DataSet = &data;
    exporter.OnExportedRecord = [](TTessel& sender, int recNo) {
      if (recNo == 0) sender.Abort();
    };
    Table table = ExportToMemory(exporter);
    EXPECT_EQ(table.Count(), 1u);
    EXPECT_EQ(table.bytes.size(), 129u + table.RecordLength() + 1);
  }
}

TEST(DBFExportTest, TypesOfEveryColumnKindAndTimesAsText) {
  TMemDataSet data;
  data.AddFieldDef(u"Gun", ftDate);
  data.AddFieldDef(u"Saat", ftTime);
  data.AddFieldDef(u"Zaman", ftDateTime);
  data.AddFieldDef(u"Onay", ftBoolean);
  data.AddFieldDef(u"Buyuk", ftLargeint);
  data.AddFieldDef(u"Uzun", ftString, 300);
  data.AppendRecord({Variant::FromDateTime(EncodeDate(2024, 2, 29)), Variant::FromDateTime(0.5),
                     Variant::FromDateTime(EncodeDate(1999, 12, 31) + 0.75), Variant::FromBool(false),
                     Variant::FromInt(-9000000000000000000), Variant::FromText(WideString(300, u'x'))});
  data.Open();
  TTesselDBF exporter;
  exporter.DataSet = &data;
  Table table = ExportToMemory(exporter);
  EXPECT_EQ(table.types, "DDDLNC");
  EXPECT_EQ(table.lengths, (std::vector<int>{8, 8, 8, 1, 20, 254}));
  EXPECT_EQ(table.Record(0).substr(0, 26), " 202402291899123019991231F");
  EXPECT_EQ(table.Field(0, 4), "-9000000000000000000");

  exporter.ExportTimeAsStr = true;
  table = ExportToMemory(exporter);
  EXPECT_EQ(table.types, "DCCLNC");
  EXPECT_EQ(table.lengths[1], 25);
  EXPECT_NE(table.Field(0, 2).find("1999"), std::string::npos) << table.Field(0, 2);
}

TEST(DBFExportTest, CaptionsBecomeUniqueNamesAndWideEncodingsAreRefused) {
  TMemDataSet data;
  FillTable(data);
  TTesselDBF exporter;
  exporter.DataSet = &data;
  exporter.Captions = {u"Id=Müşteri Numarası", u"Ad=Müşteri Numarası 2", u"Tutar=müşteri_numarası"};
  Table table = ExportToMemory(exporter);
  EXPECT_EQ(table.names, (std::vector<std::string>{"MUSTERI_NU", "MUSTERI_~1", "MUSTERI_~2"}));

  exporter.SetOutputEncoding(oeUTF16);
  TMemoryStream stream;
  try {
    exporter.ExportToStream(stream);
    ADD_FAILURE() << "UTF-16 was accepted";
  } catch (const Exception& error) {
    EXPECT_NE(std::string(error.what()).find("UTF-16"), std::string::npos) << error.what();
  }
  EXPECT_EQ(stream.Size(), 0);
}

TEST(DBFExportTest, TextOnlySourcesAreReadFromTheirTextsAndUnreadableNumbersEndTheRun) {
  TTesselCustomSource source;
  TTesselCustomColumn& amount = source.Columns.Add();
  amount.SetColumnName(u"Tutar");
  amount.ColumnType = ectFloat;
  TTesselCustomColumn& approved = source.Columns.Add();
  approved.SetColumnName(u"Onay");
  approved.ColumnType = ectBoolean;
  const std::vector<std::pair<WideString, WideString>> rows = {{u"12.5", u"True"}, {u"", u"Yes"}, {u"abc", u"false"}};
  source.OnGetNextRecord = [&](TTesselCustomSource&, int recNo, bool& eof) { eof = recNo >= static_cast<int>(rows.size()); };
  source.OnGetColumnValue = [&](TTesselCustomSource&, int recNo, TTesselCustomColumn& column, Variant& value) {
    const auto& row = rows.at(static_cast<size_t>(recNo - 1));
    value = Variant::FromText(column.Index() == 0 ? row.first : row.second);
  };
  TTesselDBF exporter;
  exporter.ExportSource = esCustom;
  exporter.CustomSource = &source;
  TMemoryStream stream;
  try {
    exporter.ExportToStream(stream);
    ADD_FAILURE() << "abc was taken for a number";
  } catch (const Exception& error) {
    EXPECT_NE(std::string(error.what()).find("\"abc\""), std::string::npos) << error.what();
    EXPECT_NE(std::string(error.what()).find("Tutar"), std::string::npos) << error.what();
  }
  Table table{std::string(stream.View())};
  EXPECT_EQ(table.types, "NL");
  ASSERT_EQ(table.Count(), 2u);
  EXPECT_EQ(table.Record(0), "         12.5000T");
  EXPECT_EQ(table.Record(1), std::string(17, ' '));
}

class DBFFileTest : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = test::MakeTempDir("verimo-dbf"); }
  void TearDown() override { fs::remove_all(dir_); }
  fs::path dir_;
};

TEST_F(DBFFileTest, BlobsGoToTheMemoFileInWholeBlocks) {
  AnsiCodePage ansi(1254);
  TMemDataSet data;
  data.AddFieldDef(u"Not", ftMemo);
  data.AddFieldDef(u"Resim", ftGraphic);
  data.AddFieldDef(u"Id", ftInteger);
  data.AppendRecord({Variant::FromText(u"Çok satırlı\r\nnot"), Variant::FromBytes(Bytes(600, 0xFF)), Variant::FromInt(1)});
  data.AppendRecord({Variant::Null(), Variant::Null(), Variant::FromInt(2)});
  data.AppendRecord({Variant::FromText(WideString(70000, u'ş')), Variant::FromBytes({}), Variant::FromInt(3)});
  data.Open();
  TTesselDBF exporter;
  exporter.DataSet = &data;
  exporter.ShellLauncher = nullptr;
  exporter.ExportedFields = {u"Not", u"Resim", u"Id"};
  exporter.FileName = (dir_ / "out.DBF").string();
  exporter.Execute();

  Table table(ReadFile(dir_ / "out.DBF"));
  EXPECT_EQ(static_cast<unsigned char>(table.bytes[0]), 0x83);
  EXPECT_EQ(table.types, "MMN");
  EXPECT_EQ(table.Count(), 3u);
  EXPECT_EQ(table.Record(0), "          1         2          1");
  EXPECT_EQ(table.Record(1), std::string(21, ' ') + "          2");
  EXPECT_EQ(table.Field(2, 0), "         4") << "a memo longer than 64 KB is kept";
  EXPECT_EQ(table.Field(2, 1), std::string(10, ' '));

  ASSERT_TRUE(fs::exists(dir_ / "out.DBT"));
  std::string memo = ReadFile(dir_ / "out.DBT");
  const uint32_t blocks = 1 + 1 + 2 + (70000 + 2 + 511) / 512;
  EXPECT_EQ(U32(memo, 0), blocks);
  EXPECT_EQ(memo.size(), blocks * 512u);
  EXPECT_EQ(memo.substr(512, 18), EncodeToCodePage(u"Çok satırlı\r\nnot", 1254) + "\x1A\x1A");
  EXPECT_EQ(memo.substr(1024, 600), std::string(600, '\xFF'));
  exporter.FileName = (dir_ / "table.dbt").string();
  EXPECT_THROW(exporter.Execute(), Exception) << "the memo file must not overwrite its table";
  EXPECT_EQ(TTesselDBF::MemoFileName("a/b.dbf"), fs::path("a/b.dbt"));
  EXPECT_EQ(TTesselDBF::MemoFileName("a/b"), fs::path("a/b.dbt"));
}

TEST_F(DBFFileTest, ATableWithoutBlobsHasNoMemoFile) {
  TMemDataSet data;
  FillTable(data);
  TTesselDBF exporter;
  exporter.DataSet = &data;
  exporter.ShellLauncher = nullptr;
  exporter.FileName = (dir_ / "plain.dbf").string();
  exporter.Execute();
  EXPECT_EQ(ReadFile(dir_ / "plain.dbf")[0], 0x03);
  EXPECT_FALSE(fs::exists(dir_ / "plain.dbt"));
}

TEST_F(DBFFileTest, SettingsLoadBackTheLengthsAndOptions) {
  TTesselDBF saved;
  saved.FileName = "x.dbf";
  saved.ColumnsLength = {u"Ad=40", u"Soyad=20"};
  saved.ColumnsPrecision = {u"Tutar=12,3"};
  saved.DefaultFloatSize = 18;
  saved.DefaultFloatDecimal = 2;
  saved.ExportTimeAsStr = true;
  saved.SetNullValue(u"-");
  settings::SaveToFile(saved, dir_ / "dbf.cfg");
  std::string file = ReadFile(dir_ / "dbf.cfg");
  EXPECT_NE(file.find("[LENGTH]\r\nline0=Ad=40\r\nline1=Soyad=20\r\n"), std::string::npos) << file;

  TTesselDBF loaded;
  settings::LoadFromFile(loaded, dir_ / "dbf.cfg");
  EXPECT_EQ(loaded.FileName, "x.dbf");
  EXPECT_EQ(loaded.ColumnsLength, saved.ColumnsLength);
  EXPECT_EQ(loaded.ColumnsPrecision, saved.ColumnsPrecision);
  EXPECT_EQ(loaded.DefaultFloatSize, 18);
  EXPECT_EQ(loaded.DefaultFloatDecimal, 2);
  EXPECT_TRUE(loaded.ExportTimeAsStr);
  EXPECT_EQ(loaded.NullValue(), u"-");
}

}  // namespace
}  // namespace verimo
