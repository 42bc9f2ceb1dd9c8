#include <gtest/gtest.h>

#include <string>

#include "engine/TesselColumns.h"
#include "engine/TesselCustomSource.h"
#include "engine/TesselFormats.h"
#include "core/DateTime.h"
#include "platform/data/DBGrid.h"
#include "platform/data/ListView.h"
#include "platform/data/MemDataSet.h"
#include "platform/data/StringGrid.h"
#include "platform/locale/Formatting.h"

namespace verimo {
namespace {

// Builds columns the way an exporter does, from settings the test sets.
class TesselColumnsTest : public ::testing::Test {
 protected:
  TesselColumnsTest() { UseLocale("en_US"); }

  void UseLocale(const std::string& locale) {
    GlobalFormatSettings() = TFormatSettings::FromLocale(locale);
    formats_ = std::make_unique<TTesselFormats>();
  }

  TTesselColumns& Build(bool includeBlobs = false) {
    columns_.Build(includeBlobs);
    return columns_;
  }

  // The text of column `index` for the current record.
  WideString TextOf(int index) {
    Variant value;
    WideString text;
    columns_.GetColumnValue(index, value, text);
    return text;
  }
  Variant ValueOf(int index) {
    Variant value;
    WideString text;
    columns_.GetColumnValue(index, value, text);
    return value;
  }

  void UseDataSet(TDataSet& data) {
    source_.ExportSource = esDataSet;
    source_.DataSet = &data;
  }

  TGlobalFormatSettingsScope machineSettings_;
  std::unique_ptr<TTesselFormats> formats_;
  TTesselSourceRefs source_;
  TStringList exportedFields_, captions_, widths_, aligns_, lengths_, userFormats_;
  bool publishAlign_ = true;
  bool autoCalcStrType_ = false;
  int captionRow_ = -1;
  int skip_ = 0;
  int limit_ = 0;
  int recordCounter_ = 0;
  TTesselColumns columns_{[this](TTesselColumnSettings& s) {
    s.Source = source_;
    s.ExportedFields = &exportedFields_;
    s.Formats = formats_.get();
    s.Captions = &captions_;
    s.ColumnsWidth = &widths_;
    s.ColumnsAlign = publishAlign_ ? &aligns_ : nullptr;
    s.ColumnsLength = &lengths_;
    s.UserFormats = &userFormats_;
    s.AutoCalcStrType = autoCalcStrType_;
    s.CaptionRow = captionRow_;
    s.RecordCounter = &recordCounter_;
    s.SkipRecCount = skip_;
    s.ExportRecCount = limit_;
  }};
};

class TesselDataSetColumnsTest : public TesselColumnsTest {
 protected:
  TesselDataSetColumnsTest() {
    data_.AddFieldDef(u"Id", ftInteger);
    data_.AddFieldDef(u"Name", ftString, 30);
    data_.AddFieldDef(u"Photo", ftBlob);
    data_.AddFieldDef(u"Amount", ftFloat);
    data_.AddFieldDef(u"Paid", ftCurrency);
    data_.AddFieldDef(u"Born", ftDate);
    data_.AddFieldDef(u"Ok", ftBoolean);
    data_.AppendRecord({Variant::FromInt(1234567), Variant::FromText(u"Ada"), Variant::Null(),
                        Variant::FromDouble(1234.5), Variant::FromCurrency(Currency::FromDouble(-7.25)),
                        Variant::FromDateTime(EncodeDate(2024, 3, 5)), Variant::FromBool(true)});
    data_.Open();
    UseDataSet(data_);
  }
  TMemDataSet data_;
};

TEST_F(TesselDataSetColumnsTest, NamedFieldsInTheirOrderAndBlobsOnlyWhenAsked) {
  exportedFields_.Add(u"Name");
  exportedFields_.Add(u"Id");
  TTesselColumns& named = Build();
  ASSERT_EQ(named.Count(), 2);
  EXPECT_EQ(named[0].Name, u"Name");
  EXPECT_EQ(named[0].Number, 1);
  EXPECT_EQ(named[1].Name, u"Id");

  exportedFields_.Clear();
  EXPECT_EQ(Build().Count(), 6);
  EXPECT_EQ(Build().IndexOfName(u"photo"), -1);
  EXPECT_EQ(Build(true).Count(), 7);
  EXPECT_TRUE(columns_.HasBlobColumns());

  exportedFields_.Add(u"Missing");
  EXPECT_ANY_THROW(Build());
}

TEST_F(TesselDataSetColumnsTest, DerivedPropertiesFollowTheFieldTypes) {
  aligns_.Add(u"Name=center");
  captions_.Add(u"Id=Number");
  TTesselColumns& c = Build(true);
  const TTesselColumn& id = c[c.IndexOfName(u"Id")];
  EXPECT_EQ(id.ColType, ectInteger);
  EXPECT_EQ(id.Caption, u"Number");
  EXPECT_EQ(id.Width, 13);  // 10 digits of 4 bytes, plus 3 thousand separators
  EXPECT_EQ(id.ColAlign, ecaRight);
  EXPECT_EQ(id.SQLType, u"INTEGER");
  EXPECT_EQ(id.Format, u"#,###,##0");
  EXPECT_TRUE(id.IsNumber);

  const TTesselColumn& name = c[c.IndexOfName(u"Name")];
  EXPECT_EQ(name.ColAlign, ecaCenter);
  EXPECT_EQ(name.SQLType, u"CHAR(30)");
  EXPECT_EQ(name.Length, 30);
  EXPECT_TRUE(name.IsString);
  EXPECT_TRUE(name.Format.empty());

  EXPECT_EQ(c[c.IndexOfName(u"Amount")].Width, 29);  // 8 bytes with "#,###,##0.00"
  EXPECT_EQ(c[c.IndexOfName(u"Ok")].ColAlign, ecaCenter);
  EXPECT_EQ(c[c.IndexOfName(u"Born")].SQLType, u"DATE");
  EXPECT_EQ(c[c.IndexOfName(u"Photo")].SQLType, u"BLOB");
  EXPECT_TRUE(c[c.IndexOfName(u"Photo")].IsBlob);

  aligns_.Clear();
  aligns_.Add(u"Name=");
  EXPECT_EQ(Build()[1].ColAlign, ecaLeft);
  publishAlign_ = false;
  EXPECT_EQ(Build()[0].ColAlign, ecaLeft);
}

TEST(TesselWidthEstimateTest, DigitsSeparatorsAndFraction) {
  EXPECT_EQ(EstimateNumberWidth(2, u"0"), 5);
  EXPECT_EQ(EstimateNumberWidth(4, u"#,###,##0"), 13);
  EXPECT_EQ(EstimateNumberWidth(8, u"#,###,##0.00"), 29);
  EXPECT_EQ(EstimateNumberWidth(8, u""), 20);
}

TEST_F(TesselDataSetColumnsTest, ValuesFollowTheLocale) {
  struct Expected {
    const char* locale;
    const char16_t* integer;
    const char16_t* number;
  };
  for (const Expected& e : {Expected{"en_US", u"1,234,567", u"1,234.50"}, Expected{"de_DE", u"1.234.567", u"1.234,50"},
                            Expected{"tr_TR", u"1.234.567", u"1.234,50"}}) {
    SCOPED_TRACE(e.locale);
    UseLocale(e.locale);
    formats_->SetDateFormat(u"yyyy/mm/dd");
    TTesselColumns& c = Build();
    data_.First();
    EXPECT_EQ(TextOf(c.IndexOfName(u"Id")), e.integer);
    EXPECT_EQ(ValueOf(c.IndexOfName(u"Id")).AsInt(), 1234567);
    EXPECT_EQ(TextOf(c.IndexOfName(u"Amount")), e.number);
    EXPECT_EQ(TextOf(c.IndexOfName(u"Ok")), u"true");
    const WideString date = TextOf(c.IndexOfName(u"Born"));
    EXPECT_EQ(date.substr(0, 4), u"2024");
    EXPECT_EQ(date.substr(5, 2), u"03");
    EXPECT_EQ(date[4], formats_->DateSeparator);
  }
}

TEST_F(TesselDataSetColumnsTest, NullFieldsGiveTheNullText) {
  formats_->SetNullString(u"-");
  TTesselColumns& c = Build(true);
  data_.First();
  const int photo = c.IndexOfName(u"Photo");
  EXPECT_TRUE(c.IsNull(photo));
  EXPECT_FALSE(c.IsNull(0));
  EXPECT_EQ(TextOf(photo), u"-");
}

TEST_F(TesselColumnsTest, DataGridReadsTheGridColumnsFields) {
  TMemDataSet data;
  data.AddFieldDef(u"Id", ftInteger);
  data.AddFieldDef(u"Name", ftString, 300);
  data.AddFieldDef(u"Hidden", ftString, 5);
  data.AppendRecord({Variant::FromInt(5), Variant::FromText(u"x"), Variant::FromText(u"h")});
  data.Open();
  data.Field(2).SetVisible(false);
  TDataSource dataSource(&data);
  TDBGrid grid;
  grid.DataSource = &dataSource;
  grid.CanvasTextWidthX = 8;
  grid.AddColumn(u"Name", 80, u"Full name");
  grid.AddColumn(u"Id", 40);
  grid.AddColumn(u"Hidden");
  grid.AddColumn(u"NoSuchField");
  source_.ExportSource = esDBGrid;
  source_.DBGrid = &grid;
  TTesselColumns& c = Build();
  ASSERT_EQ(c.Count(), 3);
  EXPECT_EQ(c[0].Name, u"Name");
  EXPECT_EQ(c[0].Caption, u"Full name");
  EXPECT_EQ(c[0].Width, 10);
  EXPECT_EQ(c[0].Length, 255);
  EXPECT_EQ(c[1].Caption, u"Id");
  EXPECT_EQ(c[1].Number, 1);
  exportedFields_.Add(u"hidden");
  exportedFields_.Add(u"nosuchfield");
  ASSERT_EQ(Build().Count(), 1);
  EXPECT_FALSE(columns_[0].IsVisible);
}

TEST_F(TesselColumnsTest, ListViewColumnsAndTypesFromTheFirstItem) {
  UseLocale("tr_TR");
  TListView view;
  view.AddColumn(u"Count", 80);
  view.AddColumn(u"Price");
  view.AddColumn(u"Flag");
  view.AddColumn(u"Day");
  view.AddColumn(u"Note");
  view.AddItem(u"12", {u"12,5", u"true", DateTimeToStr(EncodeDate(2024, 2, 1), GlobalFormatSettings()), u"x"});
  view.AddItem(u"abc", {u"1,25", u"false", u"", u"y"});
  source_.ExportSource = esListView;
  source_.ListView = &view;
  autoCalcStrType_ = true;
  lengths_.Add(u"Note=zz");
  TTesselColumns& c = Build();
  ASSERT_EQ(c.Count(), 5);
  EXPECT_EQ(c[0].ColType, ectInteger);
  EXPECT_EQ(c[0].Width, 10);
  EXPECT_EQ(c[1].ColType, ectFloat);
  EXPECT_EQ(c[2].ColType, ectBoolean);
  EXPECT_EQ(c[3].ColType, ectDate);
  EXPECT_EQ(c[4].ColType, ectString);
  EXPECT_EQ(c[4].Length, 255);
  EXPECT_EQ(c[2].SQLType, u"INTEGER");
  EXPECT_EQ(c[4].SQLType, u"CHAR(6)");

  recordCounter_ = 0;
  EXPECT_EQ(ValueOf(0).AsInt(), 12);
  EXPECT_EQ(TextOf(1), u"12,50");
  recordCounter_ = 1;
  // Text the column type cannot read keeps its text and has no raw value.
  EXPECT_EQ(TextOf(0), u"abc");
  EXPECT_TRUE(ValueOf(0).IsEmpty());
  EXPECT_DOUBLE_EQ(ValueOf(1).AsDouble(), 1.25);

  autoCalcStrType_ = false;
  view.AddColumn(u"count");
  exportedFields_.Add(u"COUNT");
  ASSERT_EQ(Build().Count(), 1);
  EXPECT_EQ(columns_[0].Number, 5);  // the last of equal captions
  EXPECT_EQ(columns_[0].ColType, ectString);
}

TEST_F(TesselColumnsTest, StringGridColumnsByNumberAndCaptions) {
  TStringGrid grid(5, 4);
  grid.SetCell(3, 0, u"Head3");
  grid.SetCell(2, 1, u"7");
  source_.ExportSource = esStringGrid;
  source_.StringGrid = &grid;
  exportedFields_.Add(u"Field2");
  exportedFields_.Add(u"7");
  TTesselColumns& c = Build();
  ASSERT_EQ(c.Count(), 1);
  EXPECT_EQ(c[0].Number, 2);
  EXPECT_EQ(c[0].Name, u"Field2");

  exportedFields_.Clear();
  EXPECT_EQ(Build().Count(), 5);
  EXPECT_EQ(columns_[3].Caption, u"ColNo_3");
  EXPECT_EQ(columns_[3].Width, 9);  // 64 pixels over 7
  captionRow_ = 0;
  EXPECT_EQ(Build()[3].Caption, u"Head3");
  autoCalcStrType_ = true;
  EXPECT_EQ(Build()[2].ColType, ectInteger);
  EXPECT_EQ(TextOf(2), u"7");
}

TEST(TesselCustomSourceTest, ColumnNamesStayUnique) {
  TTesselCustomSource source;
  TTesselCustomColumn& first = source.Columns.Add();
  TTesselCustomColumn& second = source.Columns.Add();
  EXPECT_EQ(first.ColumnName(), u"Column0");
  EXPECT_EQ(second.ColumnName(), u"Column1");
  EXPECT_EQ(second.Caption, u"Column1");
  first.SetColumnName(u"Total");
  second.SetColumnName(u"TOTAL");
  second.SetColumnName(u"");
  EXPECT_EQ(second.ColumnName(), u"Column1");
  EXPECT_EQ(source.Columns.Add().ColumnName(), u"Column0");
  EXPECT_EQ(source.Columns.IndexOfName(u"total"), 0);
}

TEST_F(TesselColumnsTest, CustomColumnsTakeTheirSettings) {
  TTesselCustomSource custom;
  TTesselCustomColumn& amount = custom.Columns.Add();
  amount.SetColumnName(u"Amount");
  amount.ColumnType = ectFloat;
  amount.Width = 12;
  TTesselCustomColumn& text = custom.Columns.Add();
  text.Size = 400;
  custom.OnGetColumnValue = [](TTesselCustomSource&, int recNo, TTesselCustomColumn& column, Variant& value) {
    value = column.ColumnName() == u"Amount" ? Variant::FromDouble(recNo + 0.5) : Variant::FromText(u"n/a");
  };
  source_.ExportSource = esCustom;
  source_.CustomSource = &custom;
  TTesselColumns& c = Build();
  ASSERT_EQ(c.Count(), 2);
  EXPECT_EQ(c[0].Width, 12);
  EXPECT_EQ(c[0].SQLType, u"DOUBLE PRECISION");
  EXPECT_EQ(c[1].Length, 255);
  EXPECT_EQ(TextOf(0), u"1.50");
  EXPECT_DOUBLE_EQ(ValueOf(0).AsDouble(), 1.5);
  // The text of a float column that is not a number stays as it is.
  custom.Columns[1].ColumnType = ectFloat;
  Build();
  EXPECT_EQ(TextOf(1), u"n/a");
  EXPECT_TRUE(ValueOf(1).IsEmpty());
}

TEST_F(TesselColumnsTest, WidthPassWidensAndRestoresThePosition) {
  TStringGrid grid(2, 4);
  grid.SetCell(0, 1, u"a");
  grid.SetCell(0, 2, u"a much longer text");
  grid.SetCell(1, 3, u"zz");
  grid.Row = 3;
  grid.CanvasTextWidthX = 64;
  source_.ExportSource = esStringGrid;
  source_.StringGrid = &grid;
  TTesselColumns& c = Build();
  EXPECT_EQ(c[0].Width, 1);
  c.CalcWidths();
  EXPECT_EQ(c[0].Width, 18);
  EXPECT_EQ(c[1].Width, 7);  // the caption ColNo_1
  EXPECT_EQ(grid.Row, 3);
}

// The page formats' pass hands every text of the records an export reads
// to the measure, the null text for a null; numbers of a length measured
// before are passed over only when asked.
TEST_F(TesselDataSetColumnsTest, MeasurePassSeesTheRecordsTheExportReads) {
  data_.AppendRecord({Variant::FromInt(7654321), Variant::Null(), Variant::Null(), Variant::FromDouble(1),
                      Variant::Null(), Variant::Null(), Variant::FromBool(false)});
  data_.AppendRecord({Variant::FromInt(-5), Variant::FromText(u"Grace Hopper"), Variant::Null(),
                      Variant::FromDouble(2), Variant::Null(), Variant::Null(), Variant::Null()});
  data_.AppendRecord({Variant::FromInt(42), Variant::FromText(u"Last"), Variant::Null(), Variant::FromDouble(3),
                      Variant::Null(), Variant::Null(), Variant::Null()});
  formats_->SetNullString(u"(yok)");
  exportedFields_ = {u"Id", u"Name"};
  TTesselColumns& c = Build();
  auto measured = [&](bool fromFirst, bool sameLengthSameWidth) {
    std::vector<WideString> texts;
    c.MeasureTexts([&](int column, const WideString& text) { texts.push_back(IntToWide(column) + u":" + text); },
                   fromFirst, false, sameLengthSameWidth);
    return texts;
  };
  data_.First();
  data_.Next();
  data_.Next();
  EXPECT_EQ(measured(true, false),
            (std::vector<WideString>{u"0:1,234,567", u"1:Ada", u"0:7,654,321", u"1:(yok)", u"0:-5", u"1:Grace Hopper",
                                     u"0:42", u"1:Last"}));
  // 7,654,321 has the digits of 1,234,567; the texts are all read.
  EXPECT_EQ(measured(true, true), (std::vector<WideString>{u"0:1,234,567", u"1:Ada", u"1:(yok)", u"0:-5",
                                                          u"1:Grace Hopper", u"0:42", u"1:Last"}));
  EXPECT_EQ(data_.Field(1).AsString(), u"Grace Hopper");  // the position is restored
  EXPECT_EQ(measured(false, false), (std::vector<WideString>{u"0:-5", u"1:Grace Hopper", u"0:42", u"1:Last"}));
  skip_ = 1;
  limit_ = 2;
  Build();
  EXPECT_EQ(measured(true, false),
            (std::vector<WideString>{u"0:7,654,321", u"1:(yok)", u"0:-5", u"1:Grace Hopper"}));
}

}  // namespace
}  // namespace verimo
