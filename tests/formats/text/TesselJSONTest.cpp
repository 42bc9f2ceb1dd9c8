#include "formats/text/TesselJSON.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/DateTime.h"
#include "engine/TesselStream.h"
#include "platform/data/MemDataSet.h"

namespace verimo {
namespace {

std::string Export(TTessel& exporter, TDataSet& data) {
  exporter.ExportSource = esDataSet;
  exporter.DataSet = &data;
  TMemoryStream stream;
  exporter.ExportToStream(stream);
  return std::string(stream.View());
}

WideString WithUnits(std::initializer_list<char16_t> units) { return WideString(units); }

TEST(JsonPiecesTest, StringsEscapeEveryControlCharacterAndReplaceLoneSurrogates) {
  std::string out;
  EXPECT_EQ(json::AppendString(out, u"a\"b\\c/\b\f\n\r\t\x01\x1f\x7f\u0085\u00e4\u20ac"), 0);
  EXPECT_EQ(out, "\"a\\\"b\\\\c/\\b\\f\\n\\r\\t\\u0001\\u001f\\u007f\\u0085\xc3\xa4\xe2\x82\xac\"");
  out.clear();
  EXPECT_EQ(json::AppendString(out, u"\U0001F600"), 0);
  EXPECT_EQ(out, "\"\xf0\x9f\x98\x80\"");
  out.clear();
  // A trail without lead, a lead at the end, a lead before a non-trail.
  EXPECT_EQ(json::AppendString(out, WithUnits({0xDC00, u'x', 0xD800, u'y', 0xD83D})), 3);
  EXPECT_EQ(out, "\"\xef\xbf\xbdx\xef\xbf\xbdy\xef\xbf\xbd\"");
}

TEST(JsonPiecesTest, NumbersDatesAndBytesTakeTheirOneForm) {
  std::string out;
  auto piece = [&out](auto append) {
    out.clear();
    append();
    return out;
  };
  EXPECT_EQ(piece([&] { json::AppendDouble(out, 0.1); }), "0.1");
  EXPECT_EQ(piece([&] { json::AppendDouble(out, 5); }), "5.0");
  EXPECT_EQ(piece([&] { json::AppendDouble(out, -1e300); }), "-1e+300");
  EXPECT_EQ(piece([&] { json::AppendDouble(out, 1234567.891); }), "1234567.891");
  EXPECT_FALSE(json::AppendDouble(out, std::nan("")));
  EXPECT_FALSE(json::AppendDouble(out, -INFINITY));
  EXPECT_EQ(piece([&] { json::AppendCurrency(out, Currency{-12345678}); }), "-1234.5678");
  EXPECT_EQ(piece([&] { json::AppendCurrency(out, Currency{1200000}); }), "120.0");
  EXPECT_EQ(piece([&] { json::AppendDate(out, EncodeDate(1, 1, 1)); }), "\"0001-01-01\"");
  EXPECT_EQ(piece([&] { json::AppendTime(out, EncodeTime(23, 5, 9, 7)); }), "\"23:05:09.007\"");
  EXPECT_EQ(piece([&] { json::AppendTime(out, EncodeTime(1, 0, 1, 0)); }), "\"01:00:01\"");
  EXPECT_EQ(piece([&] { json::AppendDateTime(out, EncodeDate(2024, 2, 29) + EncodeTime(12, 0, 0, 0)); }),
            "\"2024-02-29T12:00:00\"");
  EXPECT_FALSE(json::AppendDate(out, DayNumberToDateTime(0)));
  const uint8_t bytes[] = {0, 0xFF, 0x10, 0x80, 0x7F};
  EXPECT_EQ(piece([&] { json::AppendBase64(out, bytes, 5); }), "\"AP8QgH8=\"");
  EXPECT_EQ(piece([&] { json::AppendBase64(out, bytes, 4); }), "\"AP8QgA==\"");
  EXPECT_EQ(piece([&] { json::AppendBase64(out, bytes, 0); }), "\"\"");
  EXPECT_EQ(json::UniqueKeys({u"A", u"a", u"A", u"A1", u"A"}),
            (std::vector<WideString>{u"A", u"a", u"A1", u"A11", u"A2"}));
}

class JsonExportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    data_.AddFieldDef(u"Id", ftInteger);
    data_.AddFieldDef(u"Amount", ftFloat);
    data_.AddFieldDef(u"Price", ftCurrency);
    data_.AddFieldDef(u"Paid", ftBoolean);
    data_.AddFieldDef(u"Day", ftDate);
    data_.AddFieldDef(u"Note", ftString, 40);
    data_.AddFieldDef(u"Raw", ftBytes, 3);
    data_.AddFieldDef(u"Big", ftLargeint);
  }

  TMemDataSet data_;
};

TEST_F(JsonExportTest, EmptyTablesGiveAnEmptyArrayOrNoLines) {
  data_.Open();
  TTesselJSON array;
  EXPECT_EQ(Export(array, data_), "[]\n");
  TTesselJSON lines(true);
  EXPECT_EQ(Export(lines, data_), "");
}

TEST_F(JsonExportTest, RecordsAreTypedObjectsAndLossesAreCountedPerField) {
  data_.AppendRecord({Variant::FromInt(1), Variant::FromDouble(0.25), Variant::FromDouble(12.5),
                      Variant::FromBool(true), Variant::FromDateTime(EncodeDate(2024, 1, 31)),
                      Variant::FromText(u"line\r\n\"two\"\x01"), Variant::FromBytes({1, 2, 3}),
                      Variant::FromInt(std::numeric_limits<int64_t>::min())});
  data_.AppendRecord({Variant::Null(), Variant::FromDouble(std::nan("")), Variant::FromDouble(INFINITY),
                      Variant::FromBool(false), Variant::Null(), Variant::FromText(WithUnits({u'a', 0xD800})),
                      Variant::Null(), Variant::Null()});
  data_.Open();
  TTesselJSON lines(true);
  lines.Captions.Add(u"Id=Key");
  lines.Captions.Add(u"Amount=Key");
  // The formats' patterns do not reach typed values.
  lines.Formats().SetFloatFormat(u"#,##0.0000");
  lines.Formats().SetNullString(u"(none)");
  EXPECT_EQ(Export(lines, data_),
            "{\"Key\":1,\"Key1\":0.25,\"Price\":12.5,\"Paid\":true,\"Day\":\"2024-01-31\","
            "\"Note\":\"line\\r\\n\\\"two\\\"\\u0001\",\"Raw\":\"AQID\",\"Big\":-9223372036854775808}\n"
            "{\"Key\":null,\"Key1\":null,\"Price\":null,\"Paid\":false,\"Day\":null,"
            "\"Note\":\"a\xef\xbf\xbd\",\"Raw\":null,\"Big\":null}\n");
  const std::vector<TLoss>& losses = lines.Losses().Losses();
  ASSERT_EQ(losses.size(), 3u);
  EXPECT_EQ(losses[0].field, u"Amount");
  EXPECT_EQ(losses[0].kind, TLossKind::NotFinite);
  EXPECT_EQ(losses[0].count, 1);
  EXPECT_EQ(losses[1].field, u"Price");
  EXPECT_EQ(losses[1].kind, TLossKind::NotFinite);
  EXPECT_EQ(losses[2].field, u"Note");
  EXPECT_EQ(losses[2].kind, TLossKind::LoneSurrogate);
  EXPECT_EQ(losses[2].count, 1);

  // The same records as one array; the field choice applies.
  TTesselJSON array;
  array.ExportedFields.Add(u"Paid");
  array.ExportedFields.Add(u"Id");
  EXPECT_EQ(Export(array, data_), "[\n{\"Paid\":true,\"Id\":1},\n{\"Paid\":false,\"Id\":null}\n]\n");
}

TEST_F(JsonExportTest, TextsAHandlerChangedAreWrittenAsTexts) {
  data_.AppendRecord({Variant::FromInt(7), Variant::FromDouble(1.5), Variant::Null(), Variant::Null(),
                      Variant::Null(), Variant::FromText(u"x"), Variant::Null(), Variant::Null()});
  data_.Open();
  TTesselJSON lines(true);
  lines.ExportedFields.Add(u"Id");
  lines.ExportedFields.Add(u"Amount");
  lines.OnGetExportText = [](TTessel&, int colNo, WideString& text) {
    if (colNo == 0) text = u"seven";
  };
  EXPECT_EQ(Export(lines, data_), "{\"Id\":\"seven\",\"Amount\":1.5}\n");
}

}  // namespace
}  // namespace verimo
