#include "formats/database/ADO_TesselAccess.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "core/DateTime.h"
#include "core/Exception.h"
#include "formats/database/TesselAccessTextParser.h"
#include "platform/data/MemDataSet.h"
#include "platform/jet/Connection.h"
#include "platform/locale/Formatting.h"
#include "platform/shell/RecordingShellLauncher.h"
#include "support/TestPaths.h"
#include "platform/jet/JetReaders.h"  // tests/platform/jet

namespace verimo {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;
namespace readers = test::jet;

Variant Date(int y, int m, int d, int hh = 0, int nn = 0, int ss = 0) {
  return Variant::FromDateTime(EncodeDate(y, m, d) + (hh * 3600 + nn * 60 + ss) / 86400.0);
}

void FillTypedTable(TMemDataSet& data) {
  data.AddFieldDef(u"Id", ftInteger);
  data.AddFieldDef(u"Ad", ftString, 40);
  data.AddFieldDef(u"Oran", ftFloat);
  data.AddFieldDef(u"Fiyat", ftCurrency);
  data.AddFieldDef(u"Gün", ftDate);
  data.AddFieldDef(u"Saat", ftDateTime);
  data.AddFieldDef(u"Onay", ftBoolean);
  data.AddFieldDef(u"Not", ftMemo);
  data.AddFieldDef(u"Uzun", ftString, 300);
  data.AppendRecord({Variant::FromInt(1), Variant::FromText(u"Şule Ağaoğlu"), Variant::FromDouble(3.14159265358979),
                     Variant::FromDouble(1234.5678), Date(2024, 2, 29), Date(2024, 2, 29, 13, 45, 10),
                     Variant::FromBool(true), Variant::FromText(u"çok\r\nsatırlı İıĞğÜüŞşÖöÇç"),
                     Variant::FromText(WideString(280, u'ş'))});
  data.AppendRecord({Variant::FromInt(-2147483647), Variant::FromText(u"a\"b'c"), Variant::FromDouble(-1e-7),
                     Variant::FromDouble(-0.5), Date(1900, 1, 1), Date(1999, 12, 31, 23, 59, 59),
                     Variant::FromBool(false), Variant::FromText(u""), Variant::FromText(u"x")});
  data.AppendRecord({Variant::Null(), Variant::Null(), Variant::Null(), Variant::Null(), Variant::Null(),
                     Variant::Null(), Variant::Null(), Variant::Null(), Variant::Null()});
  data.Open();
}

class AccessExportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = test::MakeTempDir("verimo-access");
    // Turkish conventions for the exporters' formats, whatever the machine's locale.
    GlobalFormatSettings() = TFormatSettings::FromLocale("tr_TR");
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }

  // An exporter over `data`, into `file` of the test folder.
  std::unique_ptr<TADO_TesselAccess> Exporter(TDataSet& data, const std::string& file = "out.mdb") {
    auto exporter = std::make_unique<TADO_TesselAccess>();
    exporter->DataSet = &data;
    exporter->DatabaseName = (dir_ / file).string();
    exporter->TableName = u"EXPORT_TABLE";
    exporter->ShellLauncher = &shell_;
    for (int i = 0; i < data.FieldCount(); ++i) exporter->ExportedFields.Add(data.Field(i).FieldName());
    return exporter;
  }

  // Nothing but the target in the folder: no working copies left behind.
  void ExpectOnlyFiles(std::vector<std::string> names) {
    std::vector<std::string> present;
    for (const auto& entry : fs::directory_iterator(dir_)) present.push_back(entry.path().filename().string());
    std::sort(present.begin(), present.end());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(present, names);
  }

  fs::path dir_;
  TRecordingShellLauncher shell_;
  TGlobalFormatSettingsScope settings_;
};

TEST_F(AccessExportTest, ColumnsFollowTheTypeMappingAndValuesArriveExactly) {
  TMemDataSet data;
  FillTypedTable(data);
  auto exporter = Exporter(data);
  exporter->Captions.Add(u"Ad=");  // an empty caption names the column by its index
  exporter->Execute();
  EXPECT_EQ(exporter->SavedRowCount(), 3);
  EXPECT_EQ(exporter->CreateTableStatement(),
            u"create table [EXPORT_TABLE] ([Id] integer,[FIELD1] nvarchar(40),[Oran] double,[Fiyat] currency,"
            u"[Gün] datetime,[Saat] datetime,[Onay] LOGICAL,[Not] memo,[Uzun] memo)");
  EXPECT_EQ(exporter->InsertStatement(),
            u"insert into [EXPORT_TABLE]([Id],[FIELD1],[Oran],[Fiyat],[Gün],[Saat],[Onay],[Not],[Uzun]) "
            u"values(:PARAM0,:PARAM1,:PARAM2,:PARAM3,:PARAM4,:PARAM5,:PARAM6,:PARAM7,:PARAM8)");
  const fs::path file = exporter->DatabaseName;
  ExpectOnlyFiles({"out.mdb"});

  EXPECT_EQ(readers::MdbTables(file), std::vector<std::string>{"EXPORT_TABLE"});
  const std::string schema = readers::MdbSchema(file);
  for (const char* expected : {"[Id]\t\t\tLong Integer", "[FIELD1]\t\t\tText (40)", "[Oran]\t\t\tDouble",
                               "[Fiyat]\t\t\tCurrency", "[Saat]\t\t\tDateTime", "[Onay]\t\t\tBoolean",
                               "[Not]\t\t\tMemo/Hyperlink", "[Uzun]\t\t\tMemo/Hyperlink"})
    EXPECT_NE(schema.find(expected), std::string::npos) << expected << "\n" << schema;

  const json rows = readers::MdbReaderDump(file)["data"]["EXPORT_TABLE"]["rows"];
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0]["Id"], 1);
  EXPECT_EQ(rows[0]["FIELD1"], "Şule Ağaoğlu");
  // Neither the float pattern "#,###,##0.00" nor the short time rounds what is stored.
  EXPECT_EQ(rows[0]["Oran"].get<double>(), 3.14159265358979);
  EXPECT_EQ(rows[0]["Fiyat"], "1234.5678");  // mdb-reader gives currency as text
  EXPECT_EQ(rows[0]["Gün"]["date"], "2024-02-29T00:00:00.000Z");
  EXPECT_EQ(rows[0]["Saat"]["date"], "2024-02-29T13:45:10.000Z");
  EXPECT_EQ(rows[0]["Onay"], true);
  EXPECT_EQ(rows[0]["Not"], "çok\r\nsatırlı İıĞğÜüŞşÖöÇç");
  EXPECT_EQ(rows[0]["Uzun"], std::string(WideToUtf8(WideString(280, u'ş'))));
  EXPECT_EQ(rows[1]["Id"], -2147483647);
  EXPECT_EQ(rows[1]["FIELD1"], "a\"b'c");
  EXPECT_EQ(rows[1]["Oran"].get<double>(), -1e-7);
  EXPECT_EQ(rows[1]["Saat"]["date"], "1999-12-31T23:59:59.000Z");
  EXPECT_EQ(rows[1]["Onay"], false);
  EXPECT_TRUE(rows[1]["Not"].is_null());  // an empty text is Null
  for (const char* column : {"Id", "FIELD1", "Oran", "Fiyat", "Gün", "Saat", "Not", "Uzun"})
    EXPECT_TRUE(rows[2][column].is_null()) << column;
  EXPECT_EQ(rows[2]["Onay"], false);  // Yes/No columns have no Null
}

TEST_F(AccessExportTest, ASecondRunAppendsAndASecondTableLeavesTheFirstAlone) {
  TMemDataSet data;
  FillTypedTable(data);
  auto exporter = Exporter(data);
  exporter->Execute();
  // The file keeps its permissions when the copy takes its place.
  const fs::perms shared = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                           fs::perms::group_write;
  fs::permissions(exporter->DatabaseName, shared);
  exporter->Execute();
  EXPECT_NE(exporter->ResultText().find("3 rows added to table EXPORT_TABLE"), std::string::npos);
  EXPECT_EQ(fs::status(exporter->DatabaseName).permissions(), shared);
  // A name with a space, as Access allows.
  exporter->TableName = u"İKİNCİ LİSTE";
  exporter->ExportedFields.Clear();
  exporter->ExportedFields.Add(u"Ad");
  exporter->Execute();
  const json dump = readers::MdbReaderDump(exporter->DatabaseName);
  EXPECT_EQ(dump["data"]["EXPORT_TABLE"]["rowCount"], 6);
  EXPECT_EQ(dump["data"]["EXPORT_TABLE"]["rows"][3]["Ad"], "Şule Ağaoğlu");
  EXPECT_EQ(dump["data"]["İKİNCİ LİSTE"]["rowCount"], 3);
  EXPECT_EQ(dump["data"]["İKİNCİ LİSTE"]["columns"].size(), 1u);
  EXPECT_EQ(readers::MdbExport(exporter->DatabaseName, "EXPORT_TABLE").rows.size(), 6u);
  ExpectOnlyFiles({"out.mdb"});
}

TEST_F(AccessExportTest, AnExistingTableIsReusedAsItIsAndWithoutAutoCreateItMustExist) {
  TMemDataSet data;
  FillTypedTable(data);
  const fs::path file = dir_ / "out.mdb";
  TJetCatalog().Create(u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + Utf8ToWide(file.string()));
  {
    TJetCommand create;
    create.ConnectionString = u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + Utf8ToWide(file.string());
    create.SetCommandText(u"create table export_table ([Id] double, [Ad] memo, [Extra] integer)");
    create.Execute();
  }
  auto exporter = Exporter(data);
  exporter->ExportedFields.Clear();
  exporter->ExportedFields.Add(u"Id");
  exporter->ExportedFields.Add(u"Ad");
  exporter->Execute();
  const json table = readers::MdbReaderDump(file)["data"]["export_table"];
  EXPECT_EQ(table["columns"].size(), 3u);
  EXPECT_EQ(table["rows"][0]["Id"].get<double>(), 1.0);
  EXPECT_TRUE(table["rows"][0]["Extra"].is_null());

  const std::string before = readers::ReadFileBytes(file);
  exporter->AutoCreateTable = false;
  exporter->TableName = u"MISSING";
  EXPECT_THROW(exporter->Execute(), Exception);
  EXPECT_EQ(readers::ReadFileBytes(file), before);
  exporter->AutoCreateDatabase = false;
  exporter->DatabaseName = (dir_ / "absent.mdb").string();
  EXPECT_THROW(exporter->Execute(), Exception);
  ExpectOnlyFiles({"out.mdb"});
}

TEST_F(AccessExportTest, RefusedNamesStopBeforeAnythingIsWritten) {
  TMemDataSet data;
  FillTypedTable(data);
  auto exporter = Exporter(data);
  exporter->Captions.Add(u"Ad=a] integer, [b");
  try {
    exporter->Execute();
    FAIL() << "a bracket in a caption was accepted";
  } catch (const Exception& error) {
    EXPECT_NE(std::string(error.what()).find("a] integer, [b"), std::string::npos) << error.what();
  }
  ExpectOnlyFiles({});

  exporter->Captions.Clear();
  exporter->Execute();
  const std::string before = readers::ReadFileBytes(exporter->DatabaseName);
  for (const WideString& table : {WideString(u"x]; drop [y"), WideString(u"a.b"), WideString(u" lead"), WideString(u"")}) {
    exporter->TableName = table;
    EXPECT_THROW(exporter->Execute(), Exception) << WideToUtf8(table);
  }
  exporter->TableName = u"OTHER";
  exporter->Captions.Add(u"Ad=Id");  // two columns named [Id]
  EXPECT_THROW(exporter->Execute(), Exception);
  EXPECT_EQ(readers::ReadFileBytes(exporter->DatabaseName), before);
  ExpectOnlyFiles({"out.mdb"});
}

// Texts changed by a handler go in as texts, read with the exporter's own
// separators, currency symbol, date pattern and Boolean texts.
TEST_F(AccessExportTest, HandlerTextsAreReadWithTheExportersFormats) {
  TMemDataSet data;
  FillTypedTable(data);
  auto exporter = Exporter(data);
  exporter->ExportedFields = TStringList();
  for (const char16_t* name : {u"Id", u"Oran", u"Fiyat", u"Saat", u"Onay"}) exporter->ExportedFields.Add(name);
  exporter->Formats().DecimalSeparator = u',';
  exporter->Formats().ThousandSeparator = u'.';
  exporter->Formats().DateSeparator = u'.';
  exporter->Formats().SetDateFormat(u"dd/mm/yyyy");
  exporter->Formats().SetCurrencyFormat(u"#,##0.00 \"TL\"");
  exporter->Formats().SetBooleanTrue(u"evet");
  exporter->Formats().SetBooleanFalse(u"hayır");
  exporter->Formats().SetNullString(u"YOK");
  exporter->OnGetExportText = [](TTessel& sender, int column, WideString& text) {
    if (sender.RecordCounter() != 0) return;
    static const char16_t* texts[] = {u"1.234.567", u"-12,5e2", u"1.234,56 TL", u"05.03.2021 07:08:09", u"hayır"};
    text = texts[column];
  };
  exporter->OnBeforeExportRow = [](TTessel& sender, TTesselRow& row, bool&) {
    if (sender.RecordCounter() == 1) row[0].Text = u"YOK";  // the null text, set after the handlers
  };
  exporter->Execute();
  const json rows = readers::MdbReaderDump(exporter->DatabaseName)["data"]["EXPORT_TABLE"]["rows"];
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0]["Id"], 1234567);
  EXPECT_EQ(rows[0]["Oran"].get<double>(), -1250.0);
  EXPECT_EQ(rows[0]["Fiyat"], "1234.5600");
  EXPECT_EQ(rows[0]["Saat"]["date"], "2021-03-05T07:08:09.000Z");
  EXPECT_EQ(rows[0]["Onay"], false);
  EXPECT_TRUE(rows[1]["Id"].is_null());
  EXPECT_EQ(rows[1]["Oran"].get<double>(), -1e-7);  // untouched: the raw value
}

TEST_F(AccessExportTest, AnUnreadableTextNamesColumnAndValueAndLeavesTheFileAsItWas) {
  TMemDataSet data;
  FillTypedTable(data);
  auto exporter = Exporter(data);
  exporter->Execute();
  const std::string before = readers::ReadFileBytes(exporter->DatabaseName);
  exporter->OnGetExportText = [](TTessel& sender, int column, WideString& text) {
    if (sender.RecordCounter() == 1 && column == 2) text = u"üç buçuk";
  };
  try {
    exporter->Execute();
    FAIL() << "an unreadable number was accepted";
  } catch (const Exception& error) {
    const std::string message = error.what();
    EXPECT_NE(message.find("Oran"), std::string::npos) << message;
    EXPECT_NE(message.find("üç buçuk"), std::string::npos) << message;
    EXPECT_EQ(message.find(".verimo-"), std::string::npos) << message;  // names the file, not its copy
  }
  EXPECT_EQ(readers::ReadFileBytes(exporter->DatabaseName), before);
  EXPECT_EQ(exporter->SavedRowCount(), 0);
  ExpectOnlyFiles({"out.mdb"});

  // Into a new file: no file at all.
  exporter->DatabaseName = (dir_ / "new.mdb").string();
  EXPECT_THROW(exporter->Execute(), Exception);
  ExpectOnlyFiles({"out.mdb"});
}

TEST_F(AccessExportTest, AStopKeepsTheRowsBeforeItOrNoneAndShowsNothing) {
  TMemDataSet data;
  FillTypedTable(data);
  auto exporter = Exporter(data);
  exporter->ShowFile = true;
  exporter->OnExportedRecord = [](TTessel& sender, int recNo) {
    if (recNo == 1) sender.Abort();
  };
  exporter->OnStopExport = [](TTessel&, bool& canContinue) { canContinue = false; };
  exporter->Execute();
  EXPECT_TRUE(exporter->Aborted());
  EXPECT_EQ(exporter->SavedRowCount(), 2);
  EXPECT_NE(exporter->ResultText().find("Stopped; the 2 rows exported before the stop were saved"), std::string::npos)
      << exporter->ResultText();
  EXPECT_EQ(readers::MdbReaderDump(exporter->DatabaseName)["data"]["EXPORT_TABLE"]["rowCount"], 2);
  EXPECT_TRUE(shell_.requests.empty());

  const std::string before = readers::ReadFileBytes(exporter->DatabaseName);
  exporter->KeepRowsOnStop = false;
  exporter->Execute();
  EXPECT_EQ(exporter->SavedRowCount(), 0);
  EXPECT_NE(exporter->ResultText().find("nothing was saved"), std::string::npos) << exporter->ResultText();
  EXPECT_EQ(readers::ReadFileBytes(exporter->DatabaseName), before);
  EXPECT_TRUE(shell_.requests.empty());
  ExpectOnlyFiles({"out.mdb"});

  exporter->OnExportedRecord = nullptr;
  exporter->Execute();
  ASSERT_EQ(shell_.requests.size(), 1u);
  EXPECT_EQ(shell_.requests[0].path, exporter->DatabaseName);
  exporter->PrintFile = true;
  EXPECT_THROW(exporter->Execute(), Exception);  // no Access application to print with
}

TEST_F(AccessExportTest, APasswordProtectedDatabaseNeedsItsPassword) {
  TMemDataSet data;
  FillTypedTable(data);
  const fs::path file = dir_ / "out.mdb";
  TJetCatalog().Create(u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + Utf8ToWide(file.string()) +
                       u";Jet OLEDB:Database Password=\"gizli;şifre\"");
  const std::string before = readers::ReadFileBytes(file);
  auto exporter = Exporter(data);
  EXPECT_THROW(exporter->Execute(), Exception);
  exporter->Password = u"yanlış";
  EXPECT_THROW(exporter->Execute(), Exception);
  EXPECT_EQ(readers::ReadFileBytes(file), before);
  exporter->Password = u"gizli;şifre";  // the ';' cannot end the value
  exporter->Execute();
  EXPECT_EQ(readers::MdbReaderDump(file, "gizli;şifre")["data"]["EXPORT_TABLE"]["rowCount"], 3);
  ExpectOnlyFiles({"out.mdb"});
}

TEST_F(AccessExportTest, AFailedSaveAtTheEndFailsTheRunAndKeepsTheFile) {
  TMemDataSet data;
  FillTypedTable(data);
  auto exporter = Exporter(data);
  exporter->Execute();
  const std::string before = readers::ReadFileBytes(exporter->DatabaseName);
  // The working copy vanishes before the rows are saved.
  exporter->OnExportedRecord = [this](TTessel&, int recNo) {
    if (recNo != 2) return;
    for (const auto& entry : fs::directory_iterator(dir_))
      if (entry.is_directory()) fs::remove_all(entry.path());
  };
  EXPECT_THROW(exporter->Execute(), Exception);
  EXPECT_EQ(readers::ReadFileBytes(exporter->DatabaseName), before);
  ExpectOnlyFiles({"out.mdb"});
}

TEST(AccessTextParserTest, ReadsTheFormatsConventions) {
  TTesselFormats formats(TTesselFormatDefaults::FromSettings(TFormatSettings::FromLocale("en_US")));
  formats.DecimalSeparator = u',';
  formats.ThousandSeparator = u' ';
  formats.SetDateFormat(u"yyyy/mm/dd");
  formats.SetCurrencyFormat(u"\"€\" #,##0.00");
  formats.SetBooleanTrue(u"ja");
  TTesselAccessTextParser parser(formats, TFormatSettings::FromLocale("en_US"));
  EXPECT_EQ(parser.NormalizeNumber(u"1 234,5"), std::optional<std::string>("1234.5"));
  EXPECT_EQ(parser.NormalizeNumber(u"€ -3,25"), std::optional<std::string>("-3.25"));
  EXPECT_FALSE(parser.NormalizeNumber(u"1.5"));
  TDateTime value = 0;
  ASSERT_TRUE(parser.TryParseDateTime(u"2021/03/05 7:08:09 PM", value));
  EXPECT_DOUBLE_EQ(value, EncodeDate(2021, 3, 5) + (19 * 3600 + 8 * 60 + 9) / 86400.0);
  EXPECT_FALSE(parser.TryParseDateTime(u"05.03.2021 x", value));
  bool flag = false;
  EXPECT_TRUE(parser.TryParseBoolean(u" JA ", flag) && flag);
  EXPECT_TRUE(parser.TryParseBoolean(u"false", flag) && !flag);
  EXPECT_FALSE(parser.TryParseBoolean(u"belki", flag));
  EXPECT_EQ(CurrencySymbolOf(u"#,###,##0.00 ₺"), u"₺");
  EXPECT_EQ(CurrencySymbolOf(u"\"TL\" #,##0.00;-#,##0.00"), u"TL");
  EXPECT_EQ(CurrencySymbolOf(u"#,##0.00"), u"");
}

}  // namespace
}  // namespace verimo
