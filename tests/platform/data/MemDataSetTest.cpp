#include <gtest/gtest.h>

#include "core/Exception.h"
#include "platform/data/MemDataSet.h"

namespace verimo {
namespace {

void FillPeople(TMemDataSet& people) {
  people.AddFieldDef(u"Id", ftInteger);
  people.AddFieldDef(u"Name", ftString, 20);
  people.AddFieldDef(u"Photo", ftGraphic);
  people.AppendRecord({Variant::FromInt(1), Variant::FromText(u"Ayşe"), Variant::Null()});
  people.AppendRecord({Variant::FromInt(2), Variant::Null(), Variant::FromBytes({0x42, 0xFF})});
}

TEST(MemDataSet, CursorWalksRecordsAndEndsAtEof) {
  TMemDataSet people;
  FillPeople(people);
  people.Open();
  ASSERT_EQ(people.FieldCount(), 3);
  people.First();
  EXPECT_EQ(people.FieldByName(u"name").AsString(), u"Ayşe");
  EXPECT_TRUE(people.Field(2).IsNull());
  TBookmark first = people.GetBookmark();
  people.Next();
  EXPECT_TRUE(people.FieldByName(u"Name").IsNull());
  EXPECT_EQ(people.Field(2).BlobBytes(), (Bytes{0x42, 0xFF}));
  EXPECT_EQ(people.Field(2).AsString(), u"42FF") << "bytes as hexadecimal text, never raw";
  people.Next();
  EXPECT_TRUE(people.Eof());
  people.GotoBookmark(first);
  EXPECT_EQ(people.Field(0).Value(), Variant::FromInt(1));
  people.FreeBookmark(first);
  EXPECT_FALSE(first.IsValid());
}

TEST(MemDataSet, FieldsDescribeThemselves) {
  TMemDataSet people;
  FillPeople(people);
  people.Open();
  TField& name = people.Field(1);
  EXPECT_EQ(name.DisplayLabel(), u"Name");
  EXPECT_EQ(name.DisplayWidth(), 20);
  EXPECT_EQ(people.Field(0).DataSize(), 4);
  EXPECT_TRUE(people.Field(2).IsBlob());
  EXPECT_FALSE(people.Field(2).IsMemo());
  EXPECT_EQ(people.FindField(u"missing"), nullptr);
  try {
    people.FieldByName(u"Missing");
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"Field 'Missing' not found");
  }
}

TEST(MemDataSet, ClosedOrEmptySetsBehave) {
  TMemDataSet empty({{u"A", ftString, 5}});
  EXPECT_THROW(empty.Next(), Exception);
  empty.Open();
  empty.First();
  EXPECT_TRUE(empty.IsEmpty());
  EXPECT_TRUE(empty.Eof());
  EXPECT_FALSE(empty.GetBookmark().IsValid());
  empty.DisableControls();
  empty.DisableControls();
  empty.EnableControls();
  EXPECT_TRUE(empty.ControlsDisabled());
  empty.EnableControls();
  EXPECT_FALSE(empty.ControlsDisabled());
  EXPECT_THROW(empty.AppendRecord({}), Exception);
}

}  // namespace
}  // namespace verimo
