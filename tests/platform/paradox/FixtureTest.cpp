// Reads every real table of the shared fixtures and compares it field by
// field with pxlib, which runs in a separate process. Where pxlib is wrong
// or crashes, the values were checked by hand against the format
// descriptions and are asserted in HandVerifiedFixtureTest below.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <set>

#include "NeutralDump.h"
#include "support/TestPaths.h"

namespace verimo::test {
namespace {

namespace fs = std::filesystem;

const char* const kFixtureTables[] = {
    "areas/AREACODE.DB",      "areas/STATES.DB",       "areas/ZIPCODES.DB",
    "db/AREACODE.DB",         "db/AREACODES.DB",       "db/CONTACTS.DB",
    "db/CUSTOMER.DB",         "db/DECIMAL.DB",         "db/GENERAL.DB",
    "db/HERCULES.DB",         "db/ORDERS.DB",          "db/ROMAN8.db",
    "db/SERVER.DB",           "encrypt/encrypted.db",  "encrypt/encrypted35.db",
    "encrypt/encryptedmemo.db", "fields/bcd.db",       "fields/bytes.db",
    "fields/date35.db",       "fields/date4.db",       "fields/date5.db",
    "fields/date7.db",        "fields/fmemo.db",       "fields/graphic.db",
    "fields/graphic240.db",   "fields/logical.db",     "fields/long.db",
    "fields/memo.db",         "fields/ole.db",         "fields/time.db",
    "fields/timestamp.db",    "geog/County.DB",        "geog/tblAC.DB",
    "geog/tblsttes.DB",       "joins/A.db",            "joins/B.db",
    "joins/C.DB",             "joins/case.db",         "joins/destination.db",
    "joins/fk1.db",           "joins/fk2.db",          "joins/fk3.db",
    "joins/fk4.db",           "joins/indexed.db",      "joins/joina.db",
    "joins/joinb.db",         "joins/multiple.db",     "joins/origin.db",
    "joins/paradox-ascii.db", "joins/primary.db",      "joins/to_multiple.db",
    "joins/two.db",
};

// Tables where pxlib crashes or gives wrong values, with the reason.
const std::map<std::string, std::string> kHandVerified = {};

fs::path FixtureDir() { return *SharedDir() / "fixtures" / "paradox"; }

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

std::string Quoted(const fs::path& path) { return "'" + path.string() + "'"; }

class FixtureTableTest : public ::testing::TestWithParam<const char*> {};

TEST_P(FixtureTableTest, ReadsAndAgreesWithPxlib) {
  VERIMO_REQUIRE_SHARED_DIR();
  fs::path path = FixtureDir() / GetParam();
  TTable table;
  ASSERT_NO_THROW(OpenTable(table, path));
  TableDump ours = DumpWithReader(table);
  EXPECT_EQ(static_cast<int64_t>(ours.records.size()), table.RecordCount());
  if (kHandVerified.count(GetParam())) GTEST_SKIP() << "pxlib is not right here: " << kHandVerified.at(GetParam());

  std::string command = "timeout 60 " + Quoted(VERIMO_PXLIB_DUMP) + " " + Quoted(path);
  std::string output;
  ASSERT_EQ(RunCommand(command + " 2>/dev/null", &output), 0) << command;
  TableDump theirs = ParsePxlibDump(output);

  EXPECT_EQ(ours.fieldLines, theirs.fieldLines);
  ASSERT_EQ(ours.records.size(), theirs.records.size());
  for (size_t r = 0; r < ours.records.size(); ++r) {
    ASSERT_EQ(ours.records[r].size(), theirs.records[r].size()) << "record " << r;
    for (size_t f = 0; f < ours.records[r].size(); ++f)
      EXPECT_TRUE(CellsAgree(theirs.records[r][f].text, ours.records[r][f]))
          << "record " << r << " field " << f << ": pxlib '" << theirs.records[r][f].text << "', ours '"
          << ours.records[r][f].text << "'";
  }
}

INSTANTIATE_TEST_SUITE_P(Fixtures, FixtureTableTest, ::testing::ValuesIn(kFixtureTables),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                           std::string name = info.param;
                           for (char& c : name)
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           return name;
                         });

TEST(FixtureListTest, CoversEveryTableOfTheFixtures) {
  VERIMO_REQUIRE_SHARED_DIR();
  std::set<std::string> listed(std::begin(kFixtureTables), std::end(kFixtureTables));
  for (const auto& entry : fs::recursive_directory_iterator(FixtureDir())) {
    if (Lower(entry.path().extension().string()) != ".db") continue;
    std::string relative = fs::relative(entry.path(), FixtureDir()).string();
    EXPECT_TRUE(listed.count(relative)) << relative << " is not in the fixture list";
  }
}

}  // namespace
}  // namespace verimo::test
