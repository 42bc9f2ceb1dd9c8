// The text-level parts of the Access interface: connection strings, the SQL
// subset, name rules and the conversion of parameter texts.
#include <gtest/gtest.h>

#include <cmath>

#include "core/Exception.h"
#include "platform/jet/Connection.h"
#include "platform/jet/Header.h"
#include "platform/jet/Sql.h"
#include "platform/jet/TextCodec.h"

namespace verimo {
namespace {

using jet::ColumnType;

std::string ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const Exception& error) {
    return error.what();
  }
  return {};
}

TEST(JetConnectionString, ReadsProviderSourceAndPassword) {
  auto parsed = TJetConnectionString::Parse(u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source= /tmp/a b.mdb ");
  EXPECT_EQ(parsed.DataSource, "/tmp/a b.mdb");
  EXPECT_EQ(parsed.Password, u"");
  // An unquoted value ends at ';', so what follows must be another keyword.
  EXPECT_NE(ErrorOf([] { TJetConnectionString::Parse(u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=/tmp/a b;c.mdb"); }), "");

  parsed = TJetConnectionString::Parse(
      u"provider=microsoft.jet.oledb.4.0; Data Source=\"/tmp/x;y.mdb\" ;Jet OLEDB:Database Password='p;''q'");
  EXPECT_EQ(parsed.DataSource, "/tmp/x;y.mdb");
  EXPECT_EQ(parsed.Password, u"p;'q");

  for (const char16_t* bad : {u"Data Source=/tmp/a.mdb", u"Provider=Microsoft.Jet.OLEDB.4.0",
                              u"Provider=Microsoft.ACE.OLEDB.12.0;Data Source=/tmp/a.mdb",
                              u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=/tmp/a.mdb;User ID=admin",
                              u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=\"/tmp/a.mdb"})
    EXPECT_NE(ErrorOf([&] { TJetConnectionString::Parse(bad); }), "") << WideToUtf8(bad);
}

TEST(JetSql, ParsesTheExportersStatements) {
  const auto create = std::get<jet::CreateTableStatement>(jet::ParseSql(
      u"create table EXPORT_TABLE ([Adı Soyadı] nvarchar(40),FIELD1 integer,[Tutar] currency,[D] double,"
      u"[Ok] LOGICAL,[When] datetime,[Notes] memo,[Blob] longtext)"));
  EXPECT_EQ(create.table, u"EXPORT_TABLE");
  ASSERT_EQ(create.columns.size(), 8u);
  EXPECT_EQ(create.columns[0].name, u"Adı Soyadı");
  EXPECT_EQ(create.columns[0].type, ColumnType::Text);
  EXPECT_EQ(create.columns[0].length, 80);
  const ColumnType expected[] = {ColumnType::Text,     ColumnType::Long,     ColumnType::Currency, ColumnType::Double,
                                 ColumnType::Boolean,  ColumnType::DateTime, ColumnType::Memo,     ColumnType::Memo};
  for (size_t i = 0; i < 8; ++i) EXPECT_EQ(create.columns[i].type, expected[i]) << i;

  const auto insert = std::get<jet::InsertStatement>(
      jet::ParseSql(u"INSERT INTO Müşteri([Adı Soyadı],FIELD1) VALUES(:PARAM0, :PARAM1);"));
  EXPECT_EQ(insert.table, u"Müşteri");
  EXPECT_EQ(insert.columns, (std::vector<WideString>{u"Adı Soyadı", u"FIELD1"}));
  EXPECT_EQ(insert.parameters, (std::vector<WideString>{u"PARAM0", u"PARAM1"}));
}

TEST(JetSql, RejectsEverythingElseWithAReason) {
  const std::pair<const char16_t*, const char*> cases[] = {
      {u"select * from T", "Unsupported statement"},
      {u"create table T ([a] varchar(10))", "Unknown column type 'varchar'"},
      {u"create table T ([a] nvarchar(256))", "1 to 255"},
      {u"create table T ([a] nvarchar(0))", "1 to 255"},
      {u"create table T ([a] integer", "expected ')'"},
      {u"create table T ([a integer)", "not closed"},
      {u"create table T ([a] integer); drop table T", "unexpected text"},
      {u"create table T ([a] integer, [b] integer) x", "unexpected text"},
      {u"insert into T([a],[b]) values(:P0)", "2 columns but 1 values"},
      {u"insert into T([a]) values('x')", "expected a parameter"},
      {u"insert into T([a]) values(:P0) ; ; ", "unexpected text"},
      {u"", "Unsupported statement"},
  };
  for (const auto& [text, reason] : cases) {
    const std::string error = ErrorOf([&] { jet::ParseSql(text); });
    EXPECT_NE(error.find(reason), std::string::npos) << WideToUtf8(text) << " -> " << error;
  }
}

TEST(JetNames, FollowJetsRules) {
  for (const char16_t* good : {u"A", u"Adı Soyadı", u"x y", u"Tutar (TL)", u"İşlem-Tarihi_2", u"a'b\"c"})
    EXPECT_FALSE(JetNameProblem(good)) << WideToUtf8(good);
  const WideString tooLong(65, u'a');
  for (WideStringView bad : {WideStringView(u""), WideStringView(tooLong), WideStringView(u" lead"), WideStringView(u"a.b"),
                             WideStringView(u"a!b"), WideStringView(u"a`b"), WideStringView(u"a[b"), WideStringView(u"a]b"),
                             WideStringView(u"tab\there"), WideStringView(u"new\nline")})
    EXPECT_TRUE(JetNameProblem(bad)) << WideToUtf8(bad);
  EXPECT_FALSE(JetNameProblem(WideString(64, u'a')));
}

class JetConversion : public ::testing::Test {
 protected:
  static TJetFormatSettings Turkish() {
    TJetFormatSettings settings;
    settings.DecimalSeparator = u',';
    settings.ThousandSeparator = u'.';
    settings.DateSeparator = u'.';
    settings.ShortDateFormat = u"dd.MM.yyyy";
    settings.CurrencyString = u"TL";
    settings.TrueText = u"Evet";
    settings.FalseText = u"Hayır";
    return settings;
  }
  static jet::Column ColumnOf(ColumnType type, uint16_t length = 0) {
    jet::Column column;
    column.name = u"Sütun";
    column.type = type;
    column.length = length;
    return column;
  }
  Variant Convert(ColumnType type, const WideString& text, const TJetTextParser& parser) const {
    return jet::ConvertForColumn(ColumnOf(type, 20), Variant::FromText(text), parser);
  }
  TJetSettingsTextParser turkish_{Turkish()};
  TJetSettingsTextParser english_{};
};

TEST_F(JetConversion, NumbersFollowTheSeparators) {
  EXPECT_EQ(Convert(ColumnType::Long, u"1.234.567", turkish_).AsInt(), 1234567);
  EXPECT_EQ(Convert(ColumnType::Long, u"-2.147.483.648", turkish_).AsInt(), -2147483648LL);
  EXPECT_EQ(Convert(ColumnType::Long, u"2,5", turkish_).AsInt(), 2);  // half to even
  EXPECT_EQ(Convert(ColumnType::Long, u"3,5", turkish_).AsInt(), 4);
  EXPECT_DOUBLE_EQ(Convert(ColumnType::Double, u"1.234,5", turkish_).AsDouble(), 1234.5);
  EXPECT_DOUBLE_EQ(Convert(ColumnType::Double, u"1,234.5", english_).AsDouble(), 1234.5);
  EXPECT_DOUBLE_EQ(Convert(ColumnType::Double, u"-1,5E-3", turkish_).AsDouble(), -0.0015);
  EXPECT_EQ(Convert(ColumnType::Currency, u"1.234,5678 TL", turkish_).AsCurrency().scaled, 12345678);
  EXPECT_EQ(Convert(ColumnType::Currency, u"-TL 0,00005", turkish_).AsCurrency().scaled, 0);
  EXPECT_EQ(Convert(ColumnType::Currency, u"($1,000.25)", english_).AsCurrency().scaled, -10002500);
  EXPECT_EQ(Convert(ColumnType::Currency, u"922337203685477,5807", turkish_).AsCurrency().scaled, INT64_MAX);
}

TEST_F(JetConversion, BadOrOutOfRangeNumbersRaiseNamingColumnAndValue) {
  const std::string tooBig = ErrorOf([&] { Convert(ColumnType::Long, u"2147483648", english_); });
  EXPECT_NE(tooBig.find("'2147483648'"), std::string::npos) << tooBig;
  EXPECT_NE(tooBig.find("[Sütun]"), std::string::npos) << tooBig;
  EXPECT_NE(tooBig.find("out of the range"), std::string::npos) << tooBig;
  EXPECT_NE(ErrorOf([&] { Convert(ColumnType::Long, u"9223372036854775808", english_); }), "");
  EXPECT_NE(ErrorOf([&] { Convert(ColumnType::Currency, u"922337203685478", english_); }), "");
  for (const char16_t* bad : {u"12a", u"1,2", u"--1", u"", u"1e", u"1.2.3", u"abc", u"(1", u"1 2"})
    EXPECT_NE(ErrorOf([&] { Convert(ColumnType::Double, bad, english_); }).find("not a number"), std::string::npos)
        << WideToUtf8(bad);
  EXPECT_NE(ErrorOf([&] { Convert(ColumnType::Double, u"1e400", english_); }), "");
  // A 64-bit value never silently becomes a Long.
  EXPECT_NE(ErrorOf([&] { jet::ConvertForColumn(ColumnOf(ColumnType::Long), Variant::FromInt(1LL << 40), english_); }), "");
}

TEST_F(JetConversion, DatesTimesAndBooleans) {
  EXPECT_DOUBLE_EQ(Convert(ColumnType::DateTime, u"15.03.2023", turkish_).AsDateTime(), EncodeDate(2023, 3, 15));
  EXPECT_DOUBLE_EQ(Convert(ColumnType::DateTime, u"15.03.2023 14:30:15", turkish_).AsDateTime(),
                   EncodeDate(2023, 3, 15) + EncodeTime(14, 30, 15, 0));
  EXPECT_DOUBLE_EQ(Convert(ColumnType::DateTime, u"3/15/2023 2:30 PM", english_).AsDateTime(),
                   EncodeDate(2023, 3, 15) + EncodeTime(14, 30, 0, 0));
  EXPECT_DOUBLE_EQ(Convert(ColumnType::DateTime, u"2023-03-15 00:00:01.5", english_).AsDateTime(),
                   EncodeDate(2023, 3, 15) + EncodeTime(0, 0, 1, 500));
  EXPECT_DOUBLE_EQ(Convert(ColumnType::DateTime, u"12:00", english_).AsDateTime(), 0.5);
  EXPECT_DOUBLE_EQ(Convert(ColumnType::DateTime, u"1.1.1899", turkish_).AsDateTime(), EncodeDate(1899, 1, 1));
  for (const char16_t* bad : {u"31.02.2023", u"15.03", u"2023-13-01", u"25:00", u"15/03/2023", u"1.1.0099"})
    EXPECT_NE(ErrorOf([&] { Convert(ColumnType::DateTime, bad, turkish_); }), "") << WideToUtf8(bad);

  EXPECT_TRUE(Convert(ColumnType::Boolean, u"evet", turkish_).AsBool());
  EXPECT_FALSE(Convert(ColumnType::Boolean, u"Hayır", turkish_).AsBool());
  EXPECT_TRUE(Convert(ColumnType::Boolean, u"True", turkish_).AsBool());
  EXPECT_TRUE(Convert(ColumnType::Boolean, u"-1", english_).AsBool());
  EXPECT_FALSE(Convert(ColumnType::Boolean, u"0", english_).AsBool());
  EXPECT_NE(ErrorOf([&] { Convert(ColumnType::Boolean, u"belki", turkish_); }), "");
}

TEST_F(JetConversion, TextMustFitTheColumn) {
  EXPECT_EQ(jet::ConvertForColumn(ColumnOf(ColumnType::Text, 6), Variant::FromText(u"ğüş"), english_).AsText(), u"ğüş");
  const std::string error =
      ErrorOf([&] { jet::ConvertForColumn(ColumnOf(ColumnType::Text, 6), Variant::FromText(u"ğüşi"), english_); });
  EXPECT_NE(error.find("4 characters"), std::string::npos) << error;
  EXPECT_TRUE(jet::ConvertForColumn(ColumnOf(ColumnType::Long), Variant::Null(), english_).IsNull());
}

// Typed values take a shortcut past the text; it must store what the text
// of the value would have stored, and refuse what that text would refuse.
TEST_F(JetConversion, TypedValuesStoreWhatTheirTextWouldStore) {
  const auto viaShortcut = [&](ColumnType type, const Variant& value) {
    Variant out = Variant::FromText(u"a text buffer to reuse");
    jet::ConvertForColumn(ColumnOf(type, 20), value, english_, out);
    return out;
  };
  for (double value : {0.1, 123.4567, -0.0, 1e-5, 0.00005, -0.00015, 12345678.9, 99999999.99995, 0.30000000000000004,
                       5e8 + 0.0001, 1e9 + 0.5, 9e14, 1.0 / 3})
    EXPECT_EQ(viaShortcut(ColumnType::Currency, Variant::FromDouble(value)),
              jet::ConvertForColumn(ColumnOf(ColumnType::Currency), Variant::FromDouble(value), english_))
        << value;
  for (int64_t value : {int64_t{0}, int64_t{255}, int64_t{-32768}, int64_t{2147483647}})
    EXPECT_EQ(viaShortcut(ColumnType::Long, Variant::FromInt(value)).AsInt(), value);
  EXPECT_NE(ErrorOf([&] { viaShortcut(ColumnType::Integer, Variant::FromInt(32768)); }).find("range"), std::string::npos);
  EXPECT_NE(ErrorOf([&] { viaShortcut(ColumnType::Double, Variant::FromDouble(INFINITY)); }), "");
  EXPECT_EQ(viaShortcut(ColumnType::Double, Variant::FromDouble(-2.5)).AsDouble(), -2.5);
  EXPECT_EQ(viaShortcut(ColumnType::Text, Variant::FromText(u"ğüş")).AsText(), u"ğüş");
  EXPECT_TRUE(viaShortcut(ColumnType::Text, Variant::Null()).IsNull());
  EXPECT_NE(ErrorOf([&] { viaShortcut(ColumnType::Text, Variant::FromText(u"more than ten characters")); }), "");
}

TEST(JetFormat, HeaderMaskAndCompressedText) {
  // The first bytes of the documented header mask.
  EXPECT_EQ(jet::HeaderMask()[0], 0xb5);
  EXPECT_EQ(jet::HeaderMask()[1], 0x6f);
  EXPECT_EQ(jet::HeaderMask()[2], 0x03);
  EXPECT_EQ(jet::HeaderMask()[3], 0x62);
  EXPECT_EQ(jet::HeaderMask()[127], 0xd4);

  for (const char16_t* text : {u"plain", u"İstanbul ğüşöç", u"Ā\u0100x", u"日本語", u"a", u"", u"x\u0100", u"\u0100y"}) {
    const jet::ByteVector encoded = jet::EncodeText(text, true);
    EXPECT_EQ(jet::DecodeText(encoded), text) << WideToUtf8(text);
    EXPECT_LE(encoded.size(), WideStringView(text).size() * 2);
  }
  EXPECT_EQ(jet::EncodeText(u"abc", true), (jet::ByteVector{0xff, 0xfe, 'a', 'b', 'c'}));
  EXPECT_EQ(jet::EncodeText(u"abc\u011fdef", true),
            (jet::ByteVector{0xff, 0xfe, 'a', 'b', 'c', 0, 0x1f, 0x01, 0, 'd', 'e', 'f'}));
  // Not shorter compressed: UTF-16.
  EXPECT_EQ(jet::EncodeText(u"\u011f", true), (jet::ByteVector{0x1f, 0x01}));
}

}  // namespace
}  // namespace verimo
