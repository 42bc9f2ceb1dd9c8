#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "engine/Tessel.h"
#include "platform/locale/Formatting.h"
#include "platform/paradox/Table.h"
#include "tests/support/TestPaths.h"

namespace verimo {
namespace {

namespace fs = std::filesystem;

// Counts the rows and keeps the text of each written row.
class TRowCounter : public TTessel {
 public:
  int Rows = 0;
  WideString LastRow;
  void WriteDataRow() override {
    ++Rows;
    LastRow = GetDataRow();
  }
};

class TesselParadoxTest : public ::testing::TestWithParam<const char*> {
 protected:
  TesselParadoxTest() { GlobalFormatSettings() = TFormatSettings::FromLocale("tr_TR"); }
  TGlobalFormatSettingsScope machineSettings_;
};

TEST_P(TesselParadoxTest, ExportsEveryRecordWithColumnsOfTheFields) {
  VERIMO_REQUIRE_SHARED_DIR();
  const fs::path path = *test::SharedDir() / "fixtures" / "paradox" / GetParam();
  TTable table;
  table.SetDatabaseName(path.parent_path().string());
  table.SetTableName(path.filename().string());
  ASSERT_NO_THROW(table.Open());

  TRowCounter exporter;
  exporter.DataSet = &table;
  TNullStream target;
  exporter.ExportToStream(target);
  EXPECT_EQ(exporter.Rows, table.RecordCount());
  EXPECT_FALSE(table.ControlsDisabled());

  int plainFields = 0;
  for (int i = 0; i < table.FieldCount(); ++i) plainFields += table.Field(i).IsBlob() ? 0 : 1;
  const TTesselColumns& columns = exporter.Columns();
  ASSERT_EQ(columns.Count(), plainFields);
  for (const TTesselColumn& column : columns) {
    const TField& field = table.Field(column.Number);
    EXPECT_EQ(column.Name, field.FieldName());
    EXPECT_EQ(column.FieldType, field.DataType());
    EXPECT_LE(column.Width, 100);
    if (column.IsString) {
      EXPECT_EQ(column.Length, field.Size());
    }
  }

  // With BLOB fields named, each exported text matches the field's own.
  for (int i = 0; i < table.FieldCount(); ++i) exporter.ExportedFields.Add(table.Field(i).FieldName());
  exporter.Formats().SetNullString(u"");
  exporter.ExportRecCount = 1;
  exporter.ExportToStream(target);
  ASSERT_EQ(exporter.Columns().Count(), table.FieldCount());
  if (table.RecordCount() == 0) return;
  table.First();
  for (int i = 0; i < table.FieldCount(); ++i) {
    const TField& field = table.Field(i);
    if (field.DataType() == ftString || field.DataType() == ftMemo) {
      EXPECT_EQ(exporter.Row()[i].Text, field.IsNull() ? WideString() : field.AsString())
          << WideToUtf8(field.FieldName());
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Fixtures, TesselParadoxTest,
                         ::testing::Values("db/CUSTOMER.DB", "db/HERCULES.DB", "db/ORDERS.DB", "db/DECIMAL.DB",
                                           "db/ROMAN8.db", "areas/ZIPCODES.DB", "fields/date7.db", "fields/bcd.db",
                                           "fields/logical.db", "fields/long.db"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                           std::string name = info.param;
                           for (char& c : name)
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           return name;
                         });

}  // namespace
}  // namespace verimo
