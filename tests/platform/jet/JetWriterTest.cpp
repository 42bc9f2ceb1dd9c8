// Databases written through the Access interface, read back by mdbtools and
// mdb-reader with the exact values.
#include <gtest/gtest.h>

#include <random>

#include "core/Exception.h"

#include "platform/jet/JetReaders.h"
#include "platform/jet/JetTestSession.h"

namespace verimo::test::jet {
namespace {

using nlohmann::json;

std::shared_ptr<const TJetTextParser> TurkishParser() {
  TJetFormatSettings settings;
  settings.DecimalSeparator = u',';
  settings.ThousandSeparator = u'.';
  settings.DateSeparator = u'.';
  settings.ShortDateFormat = u"dd.MM.yyyy";
  settings.CurrencyString = u"TL";
  settings.TrueText = u"Evet";
  settings.FalseText = u"Hayır";
  return std::make_shared<TJetSettingsTextParser>(settings);
}

std::string U8(const WideString& text) { return WideToUtf8(text); }

// Text of `length` characters mixing one-byte, Turkish, CJK and line breaks.
WideString MixedText(size_t length, unsigned seed) {
  static const char16_t alphabet[] = u"abcXYZ 019ğüşıöçĞÜŞİÖÇ日本語\r\n\"',;Ā";
  std::mt19937 random(seed);
  WideString text;
  for (size_t i = 0; i < length; ++i) text.push_back(alphabet[random() % (std::size(alphabet) - 1)]);
  return text;
}

TEST(JetWriter, EveryColumnTypeWithTurkishTextAndNullsReadsBackExactly) {
  TempFolder folder;
  const auto file = folder / "dışa aktarım.mdb";
  CreateDatabase(file);
  Execute(file,
          u"create table EXPORT_TABLE ([Adı] nvarchar(50),[Sayı] integer,[Tutar] currency,[Oran] double,[Onay] LOGICAL,"
          u"[Tarih] datetime,[Not] memo,[Uzun] longtext)");
  Inserter insert(file, u"EXPORT_TABLE", {u"[Adı]", u"[Sayı]", u"[Tutar]", u"[Oran]", u"[Onay]", u"[Tarih]", u"[Not]", u"[Uzun]"},
                  {ftWideString, ftInteger, ftCurrency, ftFloat, ftBoolean, ftDateTime, ftMemo, ftBlob}, {},
                  TurkishParser());
  insert.Row({u"İğüşöçĞÜŞÖÇı \"tırnak\", virgül", u"1.234", u"1.234,56 TL", u"3,25", u"Evet", u"15.03.2023 14:30:15",
              u"çok uzun not", u"x"});
  insert.Row({std::nullopt, std::nullopt, std::nullopt, std::nullopt, std::nullopt, std::nullopt, std::nullopt, std::nullopt});
  insert.Row({u"Ā日本", u"-2.147.483.648", u"-0,0001", u"-1,5E-3", u"Hayır", u"01.01.1900", u"", u"Ş"});
  insert.Close();

  EXPECT_EQ(MdbVersion(file), "JET4");
  EXPECT_EQ(MdbTables(file), std::vector<std::string>{"EXPORT_TABLE"});
  const std::string schema = MdbSchema(file);
  for (const char* line : {"[Adı]\t\t\tText (50)", "[Sayı]\t\t\tLong Integer", "[Tutar]\t\t\tCurrency", "[Oran]\t\t\tDouble",
                           "[Onay]\t\t\tBoolean", "[Tarih]\t\t\tDateTime", "[Not]\t\t\tMemo/Hyperlink", "[Uzun]\t\t\tMemo/Hyperlink"})
    EXPECT_NE(schema.find(line), std::string::npos) << line << "\n" << schema;

  const CsvTable csv = MdbExport(file, "EXPORT_TABLE");
  EXPECT_EQ(csv.header, (std::vector<std::string>{"Adı", "Sayı", "Tutar", "Oran", "Onay", "Tarih", "Not", "Uzun"}));
  ASSERT_EQ(csv.rows.size(), 3u);
  EXPECT_EQ(csv.rows[0], (std::vector<std::string>{"İğüşöçĞÜŞÖÇı \"tırnak\", virgül", "1234", "1234.5600", "3.25", "1",
                                                   "2023-03-15 14:30:15", "çok uzun not", "x"}));
  EXPECT_EQ(csv.rows[1], (std::vector<std::string>{"", "", "", "", "0", "", "", ""}));
  EXPECT_EQ(csv.rows[2], (std::vector<std::string>{"Ā日本", "-2147483648", "-0.0001", "-0.0015", "0", "1900-01-01 00:00:00",
                                                   "", "Ş"}));

  const json dump = MdbReaderDump(file);
  EXPECT_EQ(dump["tables"], json::array({"EXPORT_TABLE"}));
  EXPECT_EQ(dump["systemTables"], json::array({"MSysObjects", "MSysACEs", "MSysQueries", "MSysRelationships"}));
  EXPECT_TRUE(dump["password"].is_null());
  const json& table = dump["data"]["EXPORT_TABLE"];
  std::vector<std::string> types;
  for (const json& column : table["columns"]) types.push_back(column["type"]);
  EXPECT_EQ(types, (std::vector<std::string>{"text", "long", "currency", "double", "boolean", "datetime", "memo", "memo"}));
  EXPECT_EQ(table["rowCount"], 3);
  const json& rows = table["rows"];
  EXPECT_EQ(rows[0]["Adı"], "İğüşöçĞÜŞÖÇı \"tırnak\", virgül");
  EXPECT_EQ(rows[0]["Sayı"], 1234);
  EXPECT_EQ(rows[0]["Tutar"], "1234.5600");
  EXPECT_EQ(rows[0]["Oran"], 3.25);
  EXPECT_EQ(rows[0]["Onay"], true);
  EXPECT_EQ(rows[0]["Tarih"]["date"], "2023-03-15T14:30:15.000Z");
  EXPECT_EQ(rows[0]["Not"], "çok uzun not");
  for (const char* column : {"Adı", "Sayı", "Tutar", "Oran", "Tarih", "Not", "Uzun"}) EXPECT_TRUE(rows[1][column].is_null()) << column;
  EXPECT_EQ(rows[1]["Onay"], false);
  EXPECT_EQ(rows[2]["Sayı"], -2147483648LL);
  EXPECT_EQ(rows[2]["Tutar"], "-0.0001");
  EXPECT_EQ(rows[2]["Oran"], -0.0015);
  EXPECT_EQ(rows[2]["Tarih"]["date"], "1900-01-01T00:00:00.000Z");
  EXPECT_EQ(rows[2]["Not"], "");
}

TEST(JetWriter, MemosFromEmptyToOneMegabyteInlineInOneRowAndChained) {
  TempFolder folder;
  const auto file = folder / "memos.mdb";
  CreateDatabase(file);
  Execute(file, u"create table Notlar ([No] integer,[Metin] memo,[Ek] longtext)");
  // Lengths around the inline limit (64 bytes), the one-row limit (4076
  // bytes), several chained pages, and 1 MB of UTF-16.
  const std::vector<size_t> lengths = {0, 1, 31, 32, 33, 64, 65, 1024, 1025, 2037, 2038, 2039, 4072, 10000, 100000, 524288};
  std::vector<WideString> texts;
  {
    Inserter insert(file, u"Notlar", {u"[No]", u"[Metin]", u"[Ek]"}, {ftInteger, ftMemo, ftBlob});
    for (size_t i = 0; i < lengths.size(); ++i) {
      texts.push_back(MixedText(lengths[i], static_cast<unsigned>(i)));
      // A second memo in the same row keeps the row size in play.
      insert.Row({IntToWide(static_cast<long long>(i)), texts.back(), WideString(lengths[i] % 300, u'ş')});
    }
    insert.Close();
  }

  const json rows = MdbReaderDump(file)["data"]["Notlar"]["rows"];
  ASSERT_EQ(rows.size(), lengths.size());
  for (size_t i = 0; i < lengths.size(); ++i) {
    EXPECT_EQ(rows[i]["No"], i);
    EXPECT_TRUE(rows[i]["Metin"] == U8(texts[i])) << "mdb-reader, memo of " << lengths[i] << " characters";
    EXPECT_EQ(rows[i]["Ek"], U8(WideString(lengths[i] % 300, u'ş')));
  }
  const CsvTable csv = MdbExport(file, "Notlar");
  ASSERT_EQ(csv.rows.size(), lengths.size());
  // mdb-export hands out at most 199,999 bytes of a value; longer memos
  // must at least begin with all of those bytes.
  constexpr size_t kMdbExportValueLimit = 199999;
  for (size_t i = 0; i < lengths.size(); ++i) {
    const std::string expected = U8(texts[i]);
    const std::string& exported = csv.rows[i][1];
    if (expected.size() < kMdbExportValueLimit) {
      EXPECT_TRUE(exported == expected) << "mdb-export, memo of " << lengths[i] << " characters";
    } else {
      EXPECT_GE(exported.size(), kMdbExportValueLimit - 3) << lengths[i];
      EXPECT_TRUE(expected.compare(0, exported.size(), exported) == 0) << "mdb-export, memo of " << lengths[i];
    }
  }
}

TEST(JetWriter, HundredThousandRowsStreamIntoPagesAndAReferenceUsageMap) {
  TempFolder folder;
  const auto file = folder / "büyük.mdb";
  CreateDatabase(file);
  Execute(file, u"create table Satirlar ([Id] integer,[Ad] nvarchar(30),[Tutar] currency,[Tarih] datetime)");
  constexpr int kRows = 100000;
  {
    Inserter insert(file, u"Satirlar", {u"[Id]", u"[Ad]", u"[Tutar]", u"[Tarih]"},
                    {ftInteger, ftWideString, ftCurrency, ftDateTime}, {}, TurkishParser());
    for (int i = 0; i < kRows; ++i)
      insert.Row({IntToWide(i), u"Kayıt " + IntToWide(i), IntToWide(i) + u",25", u"01.01.2020"});
    insert.Close();
  }
  const CsvTable csv = MdbExport(file, "Satirlar");
  ASSERT_EQ(csv.rows.size(), static_cast<size_t>(kRows));
  long long sum = 0;
  for (size_t i = 0; i < csv.rows.size(); ++i) {
    sum += std::stoll(csv.rows[i][0]);
    if (i % 9973 == 0) {
      EXPECT_EQ(csv.rows[i][1], "Kayıt " + csv.rows[i][0]);
      EXPECT_EQ(csv.rows[i][2], csv.rows[i][0] + ".2500");
    }
  }
  EXPECT_EQ(sum, static_cast<long long>(kRows) * (kRows - 1) / 2);
  EXPECT_EQ(csv.rows.back(), (std::vector<std::string>{"99999", "Kayıt 99999", "99999.2500", "2020-01-01 00:00:00"}));

  const json table = MdbReaderDump(file)["data"]["Satirlar"];
  EXPECT_EQ(table["rowCount"], kRows);
  ASSERT_EQ(table["rows"].size(), static_cast<size_t>(kRows));
  EXPECT_EQ(table["rows"][54321]["Ad"], "Kayıt 54321");
  EXPECT_EQ(table["rows"][kRows - 1]["Tutar"], "99999.2500");
}

TEST(JetWriter, HundredColumnsSpanSeveralDefinitionPages) {
  TempFolder folder;
  const auto file = folder / "geniş.mdb";
  CreateDatabase(file);
  const WideString types[] = {u"integer", u"double", u"nvarchar(20)", u"LOGICAL", u"memo"};
  WideString definition, names;
  std::vector<WideString> columns;
  std::vector<TFieldType> fieldTypes;
  const TFieldType typeOf[] = {ftInteger, ftFloat, ftWideString, ftBoolean, ftMemo};
  for (int i = 0; i < 100; ++i) {
    WideString name = u"Uzun bir sütun adı numarası " + IntToWide(1000 + i);
    columns.push_back(u"[" + name + u"]");
    fieldTypes.push_back(typeOf[i % 5]);
    definition += (i ? u"," : u"") + columns.back() + u" " + types[i % 5];
  }
  Execute(file, u"create table Genis (" + definition + u")");
  {
    Inserter insert(file, u"Genis", columns, fieldTypes);
    for (int row = 0; row < 3; ++row) {
      std::vector<std::optional<WideString>> values;
      for (int i = 0; i < 100; ++i) {
        switch (i % 5) {
          case 0: values.push_back(IntToWide(row * 1000 + i)); break;
          case 1: values.push_back(IntToWide(i) + u".5"); break;
          case 2: values.push_back(u"ğ" + IntToWide(row * 1000 + i)); break;
          case 3: values.push_back((row + i) % 2 ? u"True" : u"False"); break;
          default: values.push_back(row == 1 ? std::nullopt : std::optional<WideString>(MixedText(200, i))); break;
        }
      }
      insert.Row(values);
    }
    insert.Close();
  }
  const CsvTable csv = MdbExport(file, "Genis");
  ASSERT_EQ(csv.header.size(), 100u);
  EXPECT_EQ(csv.header[99], "Uzun bir sütun adı numarası 1099");
  ASSERT_EQ(csv.rows.size(), 3u);
  EXPECT_EQ(csv.rows[2][95], "2095");
  EXPECT_EQ(csv.rows[2][97], "ğ2097");
  EXPECT_EQ(csv.rows[0][96], "96.5");
  const json dump = MdbReaderDump(file)["data"]["Genis"];
  ASSERT_EQ(dump["columns"].size(), 100u);
  const json& last = dump["rows"][2];
  EXPECT_EQ(last["Uzun bir sütun adı numarası 1095"], 2095);
  EXPECT_EQ(last["Uzun bir sütun adı numarası 1093"], true);
  EXPECT_EQ(last["Uzun bir sütun adı numarası 1098"], false);
  EXPECT_EQ(last["Uzun bir sütun adı numarası 1099"], U8(MixedText(200, 99)));
  EXPECT_TRUE(dump["rows"][1]["Uzun bir sütun adı numarası 1004"].is_null());
}

TEST(JetWriter, SecondTableAndMoreRowsAfterReopening) {
  TempFolder folder;
  const auto file = folder / "iki.mdb";
  CreateDatabase(file);
  Execute(file, u"create table Birinci ([A] integer,[B] nvarchar(10))");
  {
    Inserter insert(file, u"Birinci", {u"A", u"B"}, {ftInteger, ftWideString});
    insert.Row({u"1", u"bir"});
    insert.Row({u"2", u"iki"});
  }  // the destructor saves as well
  Execute(file, u"create table Ikinci ([C] memo)");
  {
    Inserter insert(file, u"Ikinci", {u"[C]"}, {ftMemo});
    insert.Row({MixedText(5000, 7)});
    insert.Close();
  }
  {
    Inserter insert(file, u"birinci", {u"[a]", u"[b]"}, {ftInteger, ftWideString});
    insert.Row({u"3", u"üç"});
    insert.Close();
  }
  EXPECT_EQ(TableNames(file), (std::vector<WideString>{u"Birinci", u"Ikinci"}));
  EXPECT_EQ(MdbTables(file), (std::vector<std::string>{"Birinci", "Ikinci"}));
  const CsvTable first = MdbExport(file, "Birinci");
  EXPECT_EQ(first.rows, (std::vector<std::vector<std::string>>{{"1", "bir"}, {"2", "iki"}, {"3", "üç"}}));
  const json dump = MdbReaderDump(file);
  EXPECT_EQ(dump["data"]["Birinci"]["rowCount"], 3);
  EXPECT_EQ(dump["data"]["Birinci"]["rows"][2]["B"], "üç");
  EXPECT_TRUE(dump["data"]["Ikinci"]["rows"][0]["C"] == U8(MixedText(5000, 7)));
}

TEST(JetWriter, CharactersBeyondTheBasicPlaneSurviveAsUtf16) {
  TempFolder folder;
  const auto file = folder / "emoji.mdb";
  CreateDatabase(file);
  Execute(file, u"create table E ([T] nvarchar(10),[M] memo)");
  Inserter insert(file, u"E", {u"T", u"M"}, {ftWideString, ftMemo});
  const WideString text = u"a😀ğ";
  const WideString memo = WideString(100, u'x') + u"𝄞";
  insert.Row({text, memo});
  insert.Close();
  const json row = MdbReaderDump(file)["data"]["E"]["rows"][0];
  EXPECT_EQ(row["T"], U8(text));
  EXPECT_EQ(row["M"], U8(memo));
}

TEST(JetWriter, PasswordIsMaskedInTheHeaderAndRequired) {
  TempFolder folder;
  const auto file = folder / "gizli.mdb";
  CreateDatabase(file, u"Şifre123");
  EXPECT_EQ(MdbReaderDump(file, "Şifre123")["password"], "Şifre123");
  const std::string before = ReadFileBytes(file);

  for (const WideString& wrong : {WideString(), WideString(u"şifre123"), WideString(u"Şifre1234")}) {
    try {
      Execute(file, u"create table T ([A] integer)", wrong);
      ADD_FAILURE() << "a wrong password was accepted";
    } catch (const Exception& error) {
      EXPECT_STREQ(error.what(), "Not a valid password.");
    }
  }
  EXPECT_TRUE(ReadFileBytes(file) == before);
  Execute(file, u"create table T ([A] integer)", u"Şifre123");
  Inserter insert(file, u"T", {u"A"}, {ftInteger}, u"Şifre123");
  insert.Row({u"42"});
  insert.Close();
  EXPECT_EQ(MdbExport(file, "T").rows, (std::vector<std::vector<std::string>>{{"42"}}));
  EXPECT_EQ(TableNames(file, u"Şifre123"), std::vector<WideString>{u"T"});

  // The exporter creates its file without the password it connects with.
  const auto open = folder / "açık.mdb";
  CreateDatabase(open);
  Execute(open, u"create table T ([A] integer)", u"Şifre123");
  EXPECT_EQ(TableNames(open, u"başka"), std::vector<WideString>{u"T"});
  EXPECT_TRUE(MdbReaderDump(open)["password"].is_null());
}

}  // namespace
}  // namespace verimo::test::jet
