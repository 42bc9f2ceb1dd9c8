// The names of several tables in one target: valid for the target, unique
// in it, from the tables' file names.
#include <gtest/gtest.h>

#include <string>

#include "core/WideString.h"
#include "export/ManyTables.h"

namespace verimo {
namespace {

std::string Take(TTargetTableNames& names, const std::string& path) { return WideToUtf8(names.Take(path)); }

TEST(TargetTableNamesTest, SQLiteKeepsTheNameAndAvoidsItsOwnPrefixAndDuplicates) {
  TTargetTableNames names(TManyTablesKind::SQLite);
  EXPECT_EQ(Take(names, "data/Orders.db"), "Orders");
  // Names differing in case only are one name to SQLite.
  EXPECT_EQ(Take(names, "other/ORDERS.DB"), "ORDERS_2");
  EXPECT_EQ(Take(names, "third/orders.db"), "orders_3");
  EXPECT_EQ(Take(names, "sqlite_master.db"), "t_sqlite_master");
  EXPECT_EQ(Take(names, "Müşteri Listesi.db"), "Müşteri Listesi");
}

TEST(TargetTableNamesTest, SqlScriptNamesAreUpperCaseAndFitTheServers) {
  TTargetTableNames names(TManyTablesKind::SqlScript);
  EXPECT_EQ(Take(names, "tables/pm.biolife.db"), "PM.BIOLIFE");
  const std::string longName(80, 'a');
  EXPECT_EQ(Take(names, longName + ".db"), std::string(63, 'A'));
  EXPECT_EQ(Take(names, longName + "b.db"), std::string(61, 'A') + "_2");
  // Two bytes a letter in UTF-8: at most 31 of them.
  const std::string wide = [] {
    std::string text;
    for (int i = 0; i < 40; ++i) text += "ş";
    return text;
  }();
  const std::string taken = Take(names, wide + ".db");
  EXPECT_EQ(taken.size(), 62u) << taken;
}

TEST(TargetTableNamesTest, AccessNamesAreWordsTheStatementsTake) {
  TTargetTableNames names(TManyTablesKind::Access);
  EXPECT_EQ(Take(names, "2019 orders.db"), "T2019_orders");
  EXPECT_EQ(Take(names, "a.b!c[d].db"), "a_b_c_d_");
  EXPECT_EQ(Take(names, "Müşteri.db"), "Müşteri");
  EXPECT_EQ(Take(names, std::string(70, 'x') + ".db").size(), 64u);
  EXPECT_EQ(Take(names, "A_B_C_D_.db"), "A_B_C_D__2");
}

TEST(TargetTableNamesTest, SheetNamesFollowTheWorkbookRules) {
  TTargetTableNames names(TManyTablesKind::Workbook);
  EXPECT_EQ(Take(names, "a[1]:b*c?d.db"), "a_1__b_c_d");
  // An apostrophe at either end becomes "_", as in the exporters' own sheet names.
  EXPECT_EQ(Take(names, "'quoted'.db"), "_quoted_");
  EXPECT_EQ(Take(names, "history.db"), "history_");
  EXPECT_EQ(Take(names, "'''.db"), "_'_");
  EXPECT_EQ(Take(names, std::string(40, 'x') + ".db"), std::string(31, 'x'));
  EXPECT_EQ(Take(names, std::string(35, 'x') + ".db"), std::string(29, 'x') + "_2");
}

TEST(ManyTablesKindTest, WhichTypesHoldSeveralTables) {
  EXPECT_EQ(ManyTablesKindOf(aeSQL), TManyTablesKind::SqlScript);
  EXPECT_EQ(ManyTablesKindOf(aeAccess), TManyTablesKind::Access);
  EXPECT_EQ(ManyTablesKindOf(aeXlsx), TManyTablesKind::Workbook);
  EXPECT_EQ(ManyTablesKindOf(aeCSV), TManyTablesKind::None);
  EXPECT_TRUE(WritesManyTables(TManyTablesKind::SQLite));
  EXPECT_FALSE(WritesManyTables(TManyTablesKind::None));
}

}  // namespace
}  // namespace verimo
