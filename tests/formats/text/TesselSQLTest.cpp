#include "formats/text/TesselSQL.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>

#include "core/Exception.h"
#include "engine/TesselCustomSource.h"
#include "engine/TesselIniFile.h"
#include "engine/TesselStream.h"
#include "formats/text/SqlReadBack.h"
#include "platform/codepage/CodePage.h"
#include "platform/data/MemDataSet.h"
#include "platform/locale/Formatting.h"
#include "platform/paradox/Table.h"
#include "support/TestPaths.h"

namespace verimo {
namespace {

namespace fs = std::filesystem;

std::string Export(TTesselSQL& exporter) {
  TMemoryStream stream;
  exporter.ExportToStream(stream);
  std::string bytes(stream.View());
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.erase(0, 3);
  return bytes;
}

size_t Count(const std::string& text, const std::string& what) {
  size_t count = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size())) ++count;
  return count;
}

// ---- dialect rules ----

TEST(SqlQuotingTest, ClosingQuotesInsideNamesAreDoubledInEveryDialect) {
  EXPECT_EQ(sql::QuoteName(u"a\"b", qstAnsi), u"\"a\"\"b\"");
  EXPECT_EQ(sql::QuoteName(u"a\"b", qstPg), u"\"a\"\"b\"");
  EXPECT_EQ(sql::QuoteName(u"a]b", qstMS), u"[a]]b]");
  EXPECT_EQ(sql::QuoteName(u"a`b", qstMy), u"`a``b`");
  EXPECT_EQ(sql::QuoteName(u"[a", qstMS), u"[[a]");
  EXPECT_EQ(sql::QuoteName(u"", qstMS), u"");
  // A name quoted already is kept, but only when its quotes are whole.
  EXPECT_EQ(sql::QuoteName(u"`id`", qstMy), u"`id`");
  EXPECT_EQ(sql::QuoteName(u"[a]]b]", qstMS), u"[a]]b]");
  EXPECT_EQ(sql::QuoteName(u"[x] (a) VALUES (1); DROP TABLE y; --]", qstMS),
            u"[[x]] (a) VALUES (1); DROP TABLE y; --]]]");
  EXPECT_EQ(sql::QuoteName(u"\"a\" \"b\"", qstPg), u"\"\"\"a\"\" \"\"b\"\"\"");
  // Column names are one identifier, points and all.
  EXPECT_EQ(sql::QuoteName(u"a.b", qstMS), u"[a.b]");
  EXPECT_EQ(sql::QuoteName(u"a.b", qstPg), u"\"a.b\"");
}

TEST(SqlQuotingTest, TableNamesSplitIntoTheirParts) {
  EXPECT_EQ(sql::QuoteTableName(u"dbo.Müşteri", qstMS), u"[dbo].[Müşteri]");
  EXPECT_EQ(sql::QuoteTableName(u"a..b.", qstMS), u"[a].[b]");
  EXPECT_EQ(sql::QuoteTableName(u"[a.b].c", qstMS), u"[a.b].[c]");
  EXPECT_EQ(sql::QuoteTableName(u"srv.db.dbo.t", qstMS), u"[srv].[db].[dbo].[t]");
  EXPECT_EQ(sql::QuoteTableName(u"s.t", qstAnsi), u"\"s\".\"t\"");
  EXPECT_EQ(sql::QuoteTableName(u"public.t.u", qstPg), u"\"public\".\"t.u\"");
  EXPECT_EQ(sql::QuoteTableName(u"\"my.schema\".t", qstPg), u"\"my.schema\".\"t\"");
  EXPECT_EQ(sql::QuoteTableName(u"db.t`x", qstMy), u"`db`.`t``x`");
  EXPECT_EQ(sql::QuoteTableName(u"T", qstOra), u"\"T\"");
  EXPECT_EQ(sql::QuoteTableName(u"", qstPg), u"");
}

TEST(SqlLiteralTest, StringsDoubleApostrophesAndMySqlAlsoBackslashes) {
  for (TTesselScriptType type : {qstAnsi, qstDB2, qstIB, qstMS, qstOra, qstPg})
    EXPECT_EQ(sql::StringLiteral(u"O'Brien \\ x", type), u"'O''Brien \\ x'") << sql::ScriptTypeName(type);
  EXPECT_EQ(sql::StringLiteral(u"O'Brien \\ x", qstMy), u"'O''Brien \\\\ x'");
  EXPECT_EQ(sql::StringLiteral(u"\\'", qstMy), u"'\\\\'''");
  // No server takes a NUL in a text literal.
  EXPECT_EQ(sql::StringLiteral(WideString(u"a\0b", 3), qstPg), u"'ab'");
}

TEST(SqlLiteralTest, CarriageReturnsSurviveLineByLineClients) {
  EXPECT_EQ(sql::StringLiteral(u"a\r\nb", qstAnsi), u"'a\r\nb'");
  EXPECT_EQ(sql::StringLiteral(u"a\r\nb", qstPg), u"'a' || chr(13) || '\nb'");
  EXPECT_EQ(sql::StringLiteral(u"\ra", qstMS), u"'' + CHAR(13) + 'a'");
  EXPECT_EQ(sql::StringLiteral(u"a\r\nb", qstMy), u"'a\\r\nb'");
  EXPECT_EQ(sql::StringLiteral(u"a\r", qstOra), u"'a' || CHR(13) || ''");
  EXPECT_EQ(sql::StringLiteral(u"a\r", qstIB), u"'a' || ASCII_CHAR(13) || ''");
}

TEST(SqlLiteralTest, NumbersArePlainWhateverTheirSize) {
  WideString text;
  ASSERT_TRUE(sql::NumberLiteral(Variant::FromInt(-9007199254740993LL), text));
  EXPECT_EQ(text, u"-9007199254740993");
  ASSERT_TRUE(sql::NumberLiteral(Variant::FromDouble(1e20), text));
  EXPECT_EQ(text, u"100000000000000000000");
  ASSERT_TRUE(sql::NumberLiteral(Variant::FromDouble(1234.56), text));
  EXPECT_EQ(text, u"1234.56");
  ASSERT_TRUE(sql::NumberLiteral(Variant::FromDouble(-0.000125), text));
  EXPECT_EQ(text, u"-0.000125");
  ASSERT_TRUE(sql::NumberLiteral(Variant::FromCurrency({-12345678}), text));
  EXPECT_EQ(text, u"-1234.5678");
  ASSERT_TRUE(sql::NumberLiteral(Variant::FromCurrency({12345600}), text));
  EXPECT_EQ(text, u"1234.56");
  ASSERT_TRUE(sql::NumberLiteral(Variant::FromCurrency({5}), text));
  EXPECT_EQ(text, u"0.0005");
  EXPECT_FALSE(sql::NumberLiteral(Variant::FromDouble(std::numeric_limits<double>::infinity()), text));
  EXPECT_FALSE(sql::NumberLiteral(Variant::FromText(u"12"), text));
  EXPECT_FALSE(sql::NumberLiteral(Variant(), text));
}

TEST(SqlLiteralTest, BytesAndDateTimesHaveTheDialectsForms) {
  EXPECT_EQ(sql::BytesLiteral(std::string("\x00\xFF", 2), qstAnsi), u"X'00FF'");
  EXPECT_EQ(sql::BytesLiteral(std::string("\x00\xFF", 2), qstMS), u"0x00FF");
  EXPECT_EQ(sql::BytesLiteral(std::string("\x00\xFF", 2), qstPg), u"decode('00FF','hex')");
  EXPECT_EQ(sql::BytesLiteral(std::string("\x00\xFF", 2), qstOra), u"HEXTORAW('00FF')");
  EXPECT_EQ(sql::BytesLiteral(std::string("\x00\xFF", 2), qstMy), u"0x00FF");
  EXPECT_EQ(sql::BytesLiteral("", qstMy), u"X''");
  EXPECT_EQ(sql::BytesLiteral(std::string("\x00\xFF", 2), qstDB2), u"BLOB(X'00FF')");
  WideString text;
  ASSERT_TRUE(sql::DateTimeText(EncodeDate(2024, 2, 29) + EncodeTime(8, 5, 9, 999), u'-', false, text));
  EXPECT_EQ(text, u"2024-02-29 08:05:09");
  ASSERT_TRUE(sql::DateTimeText(EncodeDate(1, 1, 1), u'.', true, text));
  EXPECT_EQ(text, u"01.01.0001 00:00:00");
  EXPECT_FALSE(sql::DateTimeText(-700000, u'-', false, text));
  EXPECT_EQ(sql::ScriptTypeFromName("PG"), qstPg);
  EXPECT_EQ(sql::ScriptTypeFromName("ora"), qstOra);
  EXPECT_FALSE(sql::ScriptTypeFromName("postgres"));
  EXPECT_EQ(sql::TableNameFromFileName("/tmp/dir.x/müşteri.sql", qstAnsi), u"\"MÜŞTERI\"");
  // A name from a file name is one name, whatever points it has.
  for (TTesselScriptType type : {qstAnsi, qstDB2, qstIB, qstMS, qstMy, qstOra, qstPg}) {
    const WideString name = sql::TableNameFromFileName("Paradox.pm_BIOLIFE.sql", type);
    const WideString quoted = sql::QuoteTableName(name, type);
    EXPECT_EQ(quoted, name) << sql::ScriptTypeName(type);
    EXPECT_EQ(quoted.substr(1, quoted.size() - 2), u"PARADOX.PM_BIOLIFE") << sql::ScriptTypeName(type);
  }
  EXPECT_EQ(sql::QuoteTableName(u"Paradox.pm_BIOLIFE", qstAnsi), u"\"Paradox\".\"pm_BIOLIFE\"") << "typed: a schema";
}

// ---- scripts ----

class SqlScriptTest : public ::testing::Test {
 protected:
  void SetUp() override {
    data_.AddFieldDef(u"Id", ftInteger);
    data_.AddFieldDef(u"Ad", ftString, 20);
    data_.AddFieldDef(u"Tutar", ftCurrency);
    data_.AddFieldDef(u"Gün", ftDate);
    data_.AddFieldDef(u"Onay", ftBoolean);
    data_.AppendRecord({Variant::FromInt(1), Variant::FromText(u"a'b"), Variant::FromDouble(1234.56),
                        Variant::FromDateTime(EncodeDate(2024, 2, 29) + EncodeTime(10, 20, 30, 0)),
                        Variant::FromBool(true)});
    data_.AppendRecord({Variant::Null(), Variant::Null(), Variant::Null(), Variant::Null(), Variant::Null()});
    data_.Open();
    exporter_.DataSet = &data_;
    exporter_.Options.TableName = u"T";
    exporter_.ShellLauncher = nullptr;
    exporter_.SetOutputEncoding(oeUTF8);
  }

  // The VALUES list of the statement for record `n` (from 0).
  std::string Values(const std::string& script, int n) {
    size_t at = 0;
    for (int i = 0; i <= n; ++i) at = script.find("VALUES(", at) + 7;
    const size_t close = script.rfind(')', script.find("\r\n", at));
    return script.substr(at, close - at);
  }

  TMemDataSet data_;
  TTesselSQL exporter_;
};

TEST_F(SqlScriptTest, AnsiDefaultsWriteOneInsertPerRecordAndEndWithCommitWork) {
  exporter_.Options.CommitAfterScript = true;
  exporter_.Header = {u"-- top"};
  exporter_.Footer = {u"-- end"};
  exporter_.Formats().SetDateTimeFormat(u"yyyy-mm-dd hh:nn:ss");
  exporter_.Formats().SetDateFormat(u"yyyy-mm-dd");
  EXPECT_EQ(Export(exporter_),
            "-- top\r\n"
            "INSERT INTO \"T\"\r\n  (\"Id\",\"Ad\",\"Tutar\",\"Gün\",\"Onay\")\r\n"
            "VALUES(1,'a''b',1234.56,'2024-02-29',TRUE);\r\n\r\n"
            "INSERT INTO \"T\"\r\n  (\"Id\",\"Ad\",\"Tutar\",\"Gün\",\"Onay\")\r\n"
            "VALUES(null,null,null,null,null);\r\n\r\n"
            "COMMIT WORK;\r\n"
            "-- end\r\n");
}

TEST_F(SqlScriptTest, NumbersDatesAndBooleansIgnoreTheLocalePatterns) {
  test::UseTurkishPatterns(exporter_);
  exporter_.Formats().SetDateFormat(u"dd.mm.yyyy");
  const struct {
    TTesselScriptType type;
    const char* values;
  } cases[] = {
      {qstAnsi, "1,'a''b',1234.56,'29.02.2024',TRUE"},
      {qstIB, "1,'a''b',1234.56,'29.02.2024',TRUE"},
      {qstDB2, "1,'a''b',1234.56,'2024-02-29 10:20:30',TRUE"},
      {qstMS, "1,'a''b',1234.56,'2024-02-29 10:20:30',1"},
      {qstMy, "1,'a''b',1234.56,'2024-02-29 10:20:30',TRUE"},
      {qstOra, "1,'a''b',1234.56,TO_DATE('29.02.2024 10:20:30','dd.mm.yyyy hh24:mi:ss'),'1'"},
      {qstPg, "1,'a''b',1234.56,'2024.02.29 10:20:30',TRUE"},
  };
  for (const auto& c : cases) {
    exporter_.Options.ScriptType = c.type;
    const std::string script = Export(exporter_);
    EXPECT_EQ(Values(script, 0), c.values) << sql::ScriptTypeName(c.type);
    EXPECT_EQ(Values(script, 1), "null,null,null,null,null") << sql::ScriptTypeName(c.type);
  }
}

TEST_F(SqlScriptTest, AnsiTimesTakeColonsWhateverTheTimeSeparator) {
  exporter_.Formats().TimeSeparator = u'.';
  exporter_.Formats().SetDateFormat(u"yyyy-mm-dd hh:nn");
  EXPECT_EQ(Values(Export(exporter_), 0), "1,'a''b',1234.56,'2024-02-29 10:20',TRUE");
}

TEST_F(SqlScriptTest, AnsiNullValueStandsForNullsAndNeverLeavesAnEmptySlot) {
  exporter_.SetNullValue(u"DEFAULT");
  EXPECT_EQ(Values(Export(exporter_), 1), "DEFAULT,DEFAULT,DEFAULT,DEFAULT,DEFAULT");
  exporter_.SetNullValue(u"");
  EXPECT_EQ(Values(Export(exporter_), 1), "null,null,null,null,null");
  exporter_.Options.ScriptType = qstPg;
  exporter_.SetNullValue(u"DEFAULT");
  EXPECT_EQ(Values(Export(exporter_), 1), "null,null,null,null,null");
}

TEST_F(SqlScriptTest, MsSqlEndsStatementsWithGoAndWrapsIdentityInserts) {
  exporter_.Options.ScriptType = qstMS;
  exporter_.Options.CommitAfterScript = true;
  exporter_.Options.IdentityInsert = true;
  exporter_.ExportRecCount = 1;
  EXPECT_EQ(Export(exporter_),
            "BEGIN TRANSACTION\r\nGO\r\n\r\n"
            "SET IDENTITY_INSERT [T] ON\r\nGO\r\n\r\n"
            "INSERT INTO [T]\r\n  ([Id],[Ad],[Tutar],[Gün],[Onay])\r\n"
            "VALUES(1,'a''b',1234.56,'2024-02-29 10:20:30',1)\r\nGO\r\n\r\n"
            "SET IDENTITY_INSERT [T] OFF\r\nGO\r\n\r\n"
            "COMMIT\r\nGO\r\n");
}

TEST_F(SqlScriptTest, CommitsFollowRecordsOneAndEveryNthAfterIt) {
  TMemDataSet seven;
  seven.AddFieldDef(u"N", ftInteger);
  for (int i = 1; i <= 7; ++i) seven.AppendRecord({Variant::FromInt(i)});
  seven.Open();
  exporter_.DataSet = &seven;
  exporter_.Options.CommitRecCount = 3;
  exporter_.Options.ScriptType = qstPg;
  exporter_.Options.CommitAfterScript = true;
  const std::string script = Export(exporter_);
  EXPECT_EQ(Count(script, "COMMIT;"), 4u);  // after records 1, 4 and 7, and at the end
  EXPECT_EQ(Count(script, "BEGIN;"), 4u);
  for (int record : {1, 4, 7}) {
    const std::string after = "VALUES(" + std::to_string(record) + ");\r\n\r\nCOMMIT;\r\n\r\nBEGIN;\r\n";
    EXPECT_NE(script.find(after), std::string::npos) << record;
  }
  EXPECT_TRUE(script.starts_with("BEGIN;\r\n\r\nINSERT"));
  EXPECT_TRUE(script.ends_with("VALUES(7);\r\n\r\nCOMMIT;\r\n\r\nBEGIN;\r\n\r\nCOMMIT;\r\n"));
}

TEST_F(SqlScriptTest, CreateTableUsesEachDialectsTypes) {
  exporter_.Options.CreateTable = true;
  exporter_.ExportRecCount = 1;
  const struct {
    TTesselScriptType type;
    const char* block;
  } cases[] = {
      {qstAnsi, "CREATE TABLE \"T\"(\r\n  \"Id\"  INTEGER,\r\n  \"Ad\"  CHAR(20),\r\n  \"Tutar\"  DOUBLE PRECISION,\r\n"
                "  \"Gün\"  DATE,\r\n  \"Onay\"  BOOLEAN);\r\n\r\nINSERT"},
      {qstPg, "CREATE TABLE \"T\"(\r\n  \"Id\"  INTEGER,\r\n  \"Ad\"  VARCHAR(20),\r\n  \"Tutar\"  NUMERIC(20,4),\r\n"
              "  \"Gün\"  DATE,\r\n  \"Onay\"  BOOLEAN);\r\n\r\nINSERT"},
      {qstMy, "CREATE TABLE `T`(\r\n  `Id`  INTEGER,\r\n  `Ad`  VARCHAR(20),\r\n  `Tutar`  DECIMAL(15,2),\r\n"
              "  `Gün`  DATE,\r\n  `Onay`  BOOLEAN);\r\n\r\nINSERT"},
      {qstMS, "CREATE TABLE [T](\r\n  [Id]  INT,\r\n  [Ad]  VARCHAR(20),\r\n  [Tutar]  NUMERIC(15,2),\r\n"
              "  [Gün]  DATETIME,\r\n  [Onay]  CHAR(1));\r\n\r\nINSERT"},
      {qstOra, "CREATE TABLE \"T\"(\r\n  \"Id\"  NUMBER,\r\n  \"Ad\"  VARCHAR(20),\r\n  \"Tutar\"  NUMBER,\r\n"
               "  \"Gün\"  DATE,\r\n  \"Onay\"  CHAR(1));\r\n\r\nINSERT"},
      {qstIB, "CREATE TABLE \"T\"(\r\n  \"Id\"  INTEGER,\r\n  \"Ad\"  VARCHAR(20),\r\n  \"Tutar\"  NUMERIC (15,2),\r\n"
              "  \"Gün\"  DATE,\r\n  \"Onay\"  BOOLEAN);\r\n\r\nCOMMIT WORK;\r\nINSERT"},
  };
  for (const auto& c : cases) {
    exporter_.Options.ScriptType = c.type;
    EXPECT_TRUE(Export(exporter_).starts_with(c.block)) << sql::ScriptTypeName(c.type) << "\n" << Export(exporter_);
  }
  EXPECT_EQ(sql::DialectType(qstPg, ftMemo, 0), u"TEXT");
  EXPECT_EQ(sql::DialectType(qstMS, ftWideString, 9000), u"NTEXT");
  EXPECT_EQ(sql::DialectType(qstOra, ftWideString, 300), u"NVARCHAR2(300)");
  EXPECT_EQ(sql::DialectType(qstMy, ftString, 3000), u"TEXT");
  EXPECT_EQ(sql::DialectType(qstDB2, ftString, 0), u"BLOB");
  // Binary fields get binary columns, so that their literals' bytes arrive.
  EXPECT_EQ(sql::DialectType(qstPg, ftGraphic, 0), u"BYTEA");
  EXPECT_EQ(sql::DialectType(qstMy, ftBytes, 6), u"VARBINARY(6)");
  EXPECT_EQ(sql::DialectType(qstMS, ftParadoxOle, 0), u"IMAGE");
  EXPECT_EQ(sql::DialectType(qstMy, ftTypedBinary, 0), u"LONGBLOB");
}

TEST_F(SqlScriptTest, AnsiTypesAreRealTypesForEveryField) {
  TMemDataSet fields;
  fields.AddFieldDef(u"A", ftAutoInc);
  fields.AddFieldDef(u"S", ftTimeStamp);
  fields.AddFieldDef(u"T", ftTime);
  fields.AddFieldDef(u"D", ftDateTime);
  fields.AddFieldDef(u"B", ftBytes, 4);
  fields.Open();
  exporter_.DataSet = &fields;
  exporter_.Options.CreateTable = true;
  EXPECT_EQ(Export(exporter_),
            "CREATE TABLE \"T\"(\r\n  \"A\"  INTEGER,\r\n  \"S\"  TIMESTAMP,\r\n  \"T\"  TIME,\r\n  \"D\"  TIMESTAMP,\r\n"
            "  \"B\"  BLOB);\r\n\r\n");
}

TEST_F(SqlScriptTest, WithoutTableNameNoCreateTableButInsertsStillWritten) {
  exporter_.Options.TableName.clear();
  exporter_.Options.CreateTable = true;
  exporter_.ExportRecCount = 1;
  EXPECT_TRUE(Export(exporter_).starts_with("INSERT INTO \r\n  (\"Id\""));
  exporter_.OnGetTableDefinition = [](TTesselSQL&, WideString& ddl) { ddl = u"CREATE TABLE mine(x int);"; };
  EXPECT_TRUE(Export(exporter_).starts_with("CREATE TABLE mine(x int);\r\n\r\nINSERT INTO \r\n"));
}

TEST(SqlTextSourceTest, BooleanAndNumberTextsAreReadNeverCopied) {
  TTesselCustomSource source;
  TTesselCustomColumn& flag = source.Columns.Add();
  flag.SetColumnName(u"Onay");
  flag.ColumnType = ectBoolean;
  TTesselCustomColumn& amount = source.Columns.Add();
  amount.SetColumnName(u"Tutar");
  amount.ColumnType = ectFloat;
  const WideString flags[] = {u" Evet ", u"hayır", u"", u"belki"};
  const WideString amounts[] = {u"1234,5", u"", u"x", u"-0,25"};
  source.OnGetNextRecord = [](TTesselCustomSource&, int recNo, bool& eof) { eof = recNo == 4; };
  source.OnGetColumnValue = [&](TTesselCustomSource&, int recNo, TTesselCustomColumn& column, Variant& value) {
    value = Variant::FromText(column.Index() == 0 ? flags[recNo - 1] : amounts[recNo - 1]);
  };
  TGlobalFormatSettingsScope locale;
  GlobalFormatSettings().DecimalSeparator = u',';
  GlobalFormatSettings().ThousandSeparator = u'.';
  TTesselSQL exporter;
  exporter.ExportSource = esCustom;
  exporter.CustomSource = &source;
  exporter.Formats().SetBooleanTrue(u"Evet");
  exporter.Formats().SetBooleanFalse(u"Hayır");
  exporter.Options.TableName = u"T";
  for (TTesselScriptType type : {qstPg, qstOra}) {
    exporter.Options.ScriptType = type;
    const std::string script = Export(exporter);
    const bool pg = type == qstPg;
    EXPECT_NE(script.find(pg ? "VALUES(TRUE,1234.5);" : "VALUES('1',1234.5);"), std::string::npos) << script;
    EXPECT_NE(script.find(pg ? "VALUES(FALSE,null);" : "VALUES('0',null);"), std::string::npos) << script;
    // Unreadable numbers and empty or unknown Boolean texts have no value.
    EXPECT_NE(script.find("VALUES(null,null);"), std::string::npos) << script;
    EXPECT_NE(script.find("VALUES(null,-0.25);"), std::string::npos) << script;
  }
}

TEST_F(SqlScriptTest, SettingsRoundTripEveryOption) {
  const fs::path dir = test::MakeTempDir("verimo-sql-settings");
  exporter_.Options.TableName = u"Müşteri";
  exporter_.Options.CreateTable = true;
  exporter_.Options.CommitRecCount = 25;
  exporter_.Options.CommitAfterScript = true;
  exporter_.Options.CommitStatement = u"COMMIT;";
  exporter_.Options.StatementTerm = u'#';
  exporter_.Options.ScriptType = qstMy;
  exporter_.Options.IdentityInsert = true;
  settings::SaveToFile(exporter_, dir / "sql.cfg");
  TTesselSQL loaded;
  settings::LoadFromFile(loaded, dir / "sql.cfg");
  EXPECT_EQ(loaded.Options.TableName, u"Müşteri");
  EXPECT_TRUE(loaded.Options.CreateTable);
  EXPECT_EQ(loaded.Options.CommitRecCount, 25);
  EXPECT_TRUE(loaded.Options.CommitAfterScript);
  EXPECT_EQ(loaded.Options.CommitStatement, u"COMMIT;");
  EXPECT_EQ(loaded.Options.StatementTerm, u'#');
  EXPECT_EQ(loaded.Options.ScriptType, qstMy);
  EXPECT_TRUE(loaded.Options.IdentityInsert);
  EXPECT_EQ(loaded.NullValue(), u"null");
  fs::remove_all(dir);
}

// ---- statements built as bytes ----

// Stores its text fields in code page 1254, as a Paradox table does, so
// that the exporter may quote and transcode their bytes instead of their
// texts; counts how often it does.
class TStoredTextDataSet : public TMemDataSet {
 public:
  static constexpr int kCodePage = 1254;
  int FieldStoredCodePage(int index) const override {
    return Field(index).DataType() == ftString ? kCodePage : 0;
  }
  std::string_view FieldStoredText(int index) const override {
    ++storedReads;
    const Variant value = FieldValue(index);
    stored_ = value.IsNull() ? std::string() : EncodeToCodePage(value.AsText(), kCodePage);
    return stored_;
  }
  mutable int storedReads = 0;

 private:
  mutable std::string stored_;
};

// Goes through the wide statement: a descendant never takes the byte rows.
class TSteppedSQL : public TTesselSQL {};

class SqlByteRowsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    data_.AddFieldDef(u"Id", ftInteger);
    data_.AddFieldDef(u"Ad", ftString, 40);
    data_.AddFieldDef(u"Tutar", ftCurrency);
    data_.AddFieldDef(u"Gün", ftDate);
    data_.AddFieldDef(u"Onay", ftBoolean);
    data_.AddFieldDef(u"Not", ftString, 60);
    const std::vector<WideString> texts = {
        u"O'Brien ''", u"C:\\Veri\\Arşiv\\", u"CR\rLF\n\r", u"Şükrü Öztürk", u"İğdır ı", u"\\'\r'\\",
        u"'", u"plain ASCII", u"  "};
    for (size_t i = 0; i < texts.size(); ++i)
      data_.AppendRecord({Variant::FromInt(static_cast<int64_t>(i)), Variant::FromText(texts[i]),
                          Variant::FromDouble(-12.5 * static_cast<double>(i)),
                          Variant::FromDateTime(EncodeDate(2024, 2, 1 + static_cast<int>(i))),
                          Variant::FromBool(i % 2 == 0), Variant::FromText(texts[texts.size() - 1 - i])});
    data_.AppendRecord({Variant::Null(), Variant::Null(), Variant::Null(), Variant::Null(), Variant::Null(),
                        Variant::Null()});
    data_.Open();
  }
  void TearDown() override { SetSystemCodePage(TSystemCodePage::Ansi, 0); }

  std::string Export(TTesselSQL& exporter, TTesselScriptType type, TTesselOutputEncoding encoding) {
    exporter.DataSet = &data_;
    exporter.ShellLauncher = nullptr;
    exporter.Options.TableName = u"Müşteri";
    exporter.Options.ScriptType = type;
    exporter.Options.CommitRecCount = 4;
    exporter.SetOutputEncoding(encoding);
    TMemoryStream stream;
    exporter.ExportToStream(stream);
    return std::string(stream.View());
  }

  TStoredTextDataSet data_;
};

// Quotes, backslashes (doubled in MySQL) and carriage returns found among
// the stored bytes, Turkish letters transcoded, and texts the output code
// page cannot hold (code page 1252) taken through the converter: the
// statements are the wide ones, byte for byte.
TEST_F(SqlByteRowsTest, StatementsOfStoredTextsEqualTheWideStatements) {
  for (int ansi : {1254, 1252}) {
    SetSystemCodePage(TSystemCodePage::Ansi, ansi);
    for (TTesselOutputEncoding encoding : {oeUTF8, oeAnsi}) {
      for (int type = 0; type < kScriptTypeCount; ++type) {
        const auto dialect = static_cast<TTesselScriptType>(type);
        const std::string where =
            std::string(sql::ScriptTypeName(dialect)) + " in " + (encoding == oeUTF8 ? "UTF-8" : std::to_string(ansi));
        TSteppedSQL stepped;
        TTesselSQL fast;
        stepped.SetNullValue(u"NULL");
        fast.SetNullValue(u"NULL");
        const std::string expected = Export(stepped, dialect, encoding);
        data_.storedReads = 0;
        EXPECT_EQ(Export(fast, dialect, encoding), expected) << where;
        EXPECT_GT(data_.storedReads, 0) << where << ": the stored bytes were never taken";
        EXPECT_NE(expected.find("O''Brien"), std::string::npos) << where;
      }
    }
  }
}

// The cells of stored texts are left unread for the statement; a handler
// that reads the row after it still sees every cell's text.
TEST_F(SqlByteRowsTest, HandlersReadingTheRowSeeEveryCell) {
  std::vector<std::vector<WideString>> seen[2];
  TTesselSQL fast;
  TSteppedSQL stepped;
  int which = 0;
  for (TTesselSQL* exporter : {static_cast<TTesselSQL*>(&fast), static_cast<TTesselSQL*>(&stepped)}) {
    auto& rows = seen[which++];
    exporter->OnExportedRecord = [&rows](TTessel& sender, int) {
      std::vector<WideString> texts;
      for (const TTesselCol& cell : sender.Row()) texts.push_back(cell.Text);
      rows.push_back(std::move(texts));
    };
    Export(*exporter, qstAnsi, oeUTF8);
  }
  ASSERT_EQ(seen[0].size(), 10u);
  EXPECT_EQ(seen[0], seen[1]);
  EXPECT_EQ(seen[0][3][1], u"Şükrü Öztürk");
}

// The same on every fixture table, whose alpha fields are stored bytes in
// their own code pages, into UTF-8 and into code page 1252.
TEST(SqlByteRowsFixtureTest, EveryFixtureTableGivesTheWideStatements) {
  VERIMO_REQUIRE_SHARED_DIR();
  SetSystemCodePage(TSystemCodePage::Ansi, 1252);
  int compared = 0;
  for (const fs::path& path : test::FixtureTables()) {
    TTable table;
    std::string why;
    if (!test::OpenFixture(path, table, why)) continue;
    for (TTesselOutputEncoding encoding : {oeUTF8, oeAnsi}) {
      for (int type = 0; type < kScriptTypeCount; ++type) {
        std::string scripts[2];
        TTesselSQL fast;
        TSteppedSQL stepped;
        int which = 0;
        for (TTesselSQL* exporter : {static_cast<TTesselSQL*>(&fast), static_cast<TTesselSQL*>(&stepped)}) {
          exporter->DataSet = &table;
          exporter->ShellLauncher = nullptr;
          exporter->Options.TableName = u"T";
          exporter->Options.ScriptType = static_cast<TTesselScriptType>(type);
          exporter->SetOutputEncoding(encoding);
          TMemoryStream stream;
          try {
            exporter->ExportToStream(stream);
          } catch (const Exception& error) {
            stream.Write(error.what(), std::strlen(error.what()));
          }
          scripts[which++] = std::string(stream.View());
        }
        EXPECT_EQ(scripts[0], scripts[1]) << path << " " << sql::ScriptTypeName(static_cast<TTesselScriptType>(type))
                                          << (encoding == oeUTF8 ? " UTF-8" : " 1252");
        ++compared;
      }
    }
  }
  SetSystemCodePage(TSystemCodePage::Ansi, 0);
  EXPECT_GT(compared, 0);
}

// ---- sqlite3 ----

bool HaveSqlite() { return test::RunCommand("command -v sqlite3 >/dev/null 2>&1") == 0; }

class SqliteReadBackTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!HaveSqlite()) GTEST_SKIP() << "sqlite3 is not installed: the ANSI scripts are not run";
    dir_ = test::MakeTempDir("verimo-sql-sqlite");
  }
  void TearDown() override {
    if (!dir_.empty() && !std::getenv("VERIMO_KEEP_TEST_FILES")) fs::remove_all(dir_);
  }

  // Runs the script with the read-back query after it; "" when the values
  // read back equal the recorded ones.
  std::string RunAndCompare(const TTesselSQL& exporter, const test::TSqlRowRecorder& rows, const WideString& table) {
    const fs::path script = exporter.FileName;
    std::ofstream(script, std::ios::app | std::ios::binary)
        << "\n.mode list\n" << test::ReadBackQuery(test::TSqlReader::Sqlite, table, rows.columns) << "\n";
    std::string output;
    if (test::RunCommand("sqlite3 -bail :memory: < " + test::ShellQuote(script.string()) + " 2>&1", &output) != 0)
      return script.string() + ": " + output;
    const std::string differences = test::CompareReadBack(test::TSqlReader::Sqlite, rows, output);
    return differences.empty() ? "" : script.string() + ":\n" + differences;
  }

  fs::path dir_;
};

TEST_F(SqliteReadBackTest, AnsiScriptOfTrickyValuesReadsBackEqual) {
  TMemDataSet data;
  test::FillTrickySqlTable(data);
  TTesselSQL exporter;
  test::TSqlRowRecorder rows;
  rows.Attach(exporter);
  exporter.DataSet = &data;
  exporter.ShellLauncher = nullptr;
  test::UseTurkishPatterns(exporter);
  test::UseIsoPatterns(exporter);
  exporter.Formats().TimeSeparator = u'.';
  exporter.Options.TableName = u"Müşteri \"x\"";
  exporter.Options.CreateTable = true;
  exporter.Header = {u"BEGIN;"};
  exporter.Options.CommitAfterScript = true;
  exporter.Options.CommitStatement = u"COMMIT;";
  exporter.FileName = (dir_ / "tricky.sql").string();
  exporter.Execute();
  ASSERT_EQ(rows.rows.size(), 5u);
  EXPECT_EQ(RunAndCompare(exporter, rows, sql::QuoteTableName(exporter.Options.TableName, qstAnsi)), "");
}

TEST_F(SqliteReadBackTest, NamesWithQuotesBracketsBackticksAndPointsInjectNothing) {
  TMemDataSet data;
  data.AddFieldDef(u"a\"b", ftInteger);
  data.AddFieldDef(u"c]d`e", ftString, 30);
  data.AddFieldDef(u"f.g", ftString, 30);
  data.AddFieldDef(u"\"); DROP TABLE keep; --", ftString, 30);
  data.AppendRecord({Variant::FromInt(1), Variant::FromText(u"'); DROP TABLE keep; --"), Variant::FromText(u"x.y"),
                     Variant::FromText(u"\"")});
  data.Open();
  TTesselSQL exporter;
  test::TSqlRowRecorder rows;
  rows.Attach(exporter);
  exporter.DataSet = &data;
  exporter.ShellLauncher = nullptr;
  exporter.Options.TableName = u"main.t\"]`(x); DROP TABLE keep; --";
  exporter.Options.CreateTable = true;
  exporter.Header = {u"CREATE TABLE keep(x);"};
  exporter.Footer = {u"SELECT 'keep:' || count(*) FROM keep;", u"SELECT 'tables:' || count(*) FROM sqlite_master;"};
  exporter.FileName = (dir_ / "names.sql").string();
  exporter.Execute();
  const std::string table = WideToUtf8(sql::QuoteTableName(exporter.Options.TableName, qstAnsi));
  EXPECT_EQ(table, "\"main\".\"t\"\"]`(x); DROP TABLE keep; --\"");
  const std::string script = exporter.FileName;
  std::string output;
  ASSERT_EQ(test::RunCommand("sqlite3 -bail :memory: < " + test::ShellQuote(script) + " 2>&1", &output), 0) << output;
  EXPECT_EQ(output, "keep:0\ntables:2\n");
  exporter.Footer.Clear();
  exporter.Execute();
  EXPECT_EQ(RunAndCompare(exporter, rows, Utf8ToWide(table)), "");
}

TEST_F(SqliteReadBackTest, EveryFixtureTableReadsBackEqual) {
  VERIMO_REQUIRE_SHARED_DIR();
  std::vector<std::string> skipped;
  int index = 0;
  for (const fs::path& path : test::FixtureTables()) {
    TTable table;
    std::string why;
    if (!test::OpenFixture(path, table, why)) {
      skipped.push_back(path.filename().string() + ": " + why);
      continue;
    }
    const TStringList fields = test::TextFieldsOf(table);
    if (fields.IsEmpty()) continue;
    TTesselSQL exporter;
    test::TSqlRowRecorder rows;
    rows.Attach(exporter);
    exporter.DataSet = &table;
    exporter.ExportedFields = fields;
    exporter.ShellLauncher = nullptr;
    test::UseIsoPatterns(exporter);
    exporter.Options.TableName = u"fx" + IntToWide(index) + u"_" + Utf8ToWide(path.stem().string());
    exporter.Options.CreateTable = true;
    exporter.FileName = (dir_ / (std::to_string(index++) + "-" + path.stem().string() + ".sql")).string();
    try {
      exporter.Execute();
    } catch (const Exception& error) {
      ADD_FAILURE() << exporter.FileName << ": " << error.what();
      continue;
    }
    EXPECT_EQ(RunAndCompare(exporter, rows, sql::QuoteTableName(exporter.Options.TableName, qstAnsi)), "");
  }
  EXPECT_GT(index, 0);
  for (const std::string& reason : skipped) std::cout << "not exported: " << reason << "\n";
}

}  // namespace
}  // namespace verimo
