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
#include <sstream>

#include "NeutralDump.h"
#include "core/Exception.h"
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

// Fields where pxlib gives wrong values; HandVerifiedFixtureTest checks them.
const std::map<std::pair<std::string, size_t>, std::string> kPxlibWrong = {
    {{"fields/bcd.db", 2}, "pxlib prints the nibbles after the 18 stored digits as characters"},
};

// Debian's pxlib crashes in PX_set_blob_file on every .MB file, so the
// dumper runs without one and prints "ERR" for BLOBs kept in the .MB file;
// HandVerifiedFixtureTest checks those.
bool IsBlobField(const std::string& fieldLine) {
  std::istringstream words(fieldLine.substr(fieldLine.rfind(' ', fieldLine.rfind(' ') - 1)));
  int typeByte = 0;
  words >> typeByte;
  return typeByte >= 0x0C && typeByte <= 0x10;
}

std::string Shortened(const std::string& text) { return text.size() > 80 ? text.substr(0, 80) + "..." : text; }

fs::path FixtureDir() { return *SharedDir() / "fixtures" / "paradox"; }

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

class FixtureTableTest : public ::testing::TestWithParam<const char*> {};

TEST_P(FixtureTableTest, ReadsAndAgreesWithPxlib) {
  VERIMO_REQUIRE_SHARED_DIR();
  fs::path path = FixtureDir() / GetParam();
  TTable table;
  ASSERT_NO_THROW(OpenTable(table, path));
  TableDump ours = DumpWithReader(table);
  EXPECT_EQ(static_cast<int64_t>(ours.records.size()), table.RecordCount());

  std::string command = "timeout 60 " + verimo::test::ShellQuote(VERIMO_PXLIB_DUMP) + " " + verimo::test::ShellQuote(path);
  std::string output;
  ASSERT_EQ(RunCommand(command + " 2>/dev/null", &output), 0) << command;
  TableDump theirs = ParsePxlibDump(output);

  EXPECT_EQ(ours.fieldLines, theirs.fieldLines);
  ASSERT_EQ(ours.records.size(), theirs.records.size());
  for (size_t r = 0; r < ours.records.size(); ++r) {
    ASSERT_EQ(ours.records[r].size(), theirs.records[r].size()) << "record " << r;
    for (size_t f = 0; f < ours.records[r].size(); ++f) {
      const std::string& pxlib = theirs.records[r][f].text;
      if (kPxlibWrong.count({GetParam(), f})) continue;
      if (pxlib == "ERR" && IsBlobField(ours.fieldLines[f]) && ours.records[r][f].text != "\\N") continue;
      EXPECT_TRUE(CellsAgree(pxlib, ours.records[r][f]))
          << "record " << r << " field " << f << ": pxlib '" << Shortened(pxlib) << "', ours '"
          << Shortened(ours.records[r][f].text) << "'";
    }
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

// Values checked by hand against the format descriptions, for the fields
// pxlib cannot read or reads wrongly.
class HandVerifiedFixtureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!SharedDir()) GTEST_SKIP() << "shared fixtures folder not found beside the checkout; skipped";
  }
  void Open(const std::string& relative) { OpenTable(table_, FixtureDir() / relative); }
  void GoToRecord(int index) {
    table_.First();
    for (int i = 0; i < index; ++i) table_.Next();
    ASSERT_FALSE(table_.Eof());
  }
  TTable table_;
};

uint32_t LittleEndian32(const Bytes& bytes, size_t offset) {
  return bytes[offset] | bytes[offset + 1] << 8 | bytes[offset + 2] << 16 | static_cast<uint32_t>(bytes[offset + 3]) << 24;
}

// The BCD digits after the 18th are not digits (nibbles a..f): the value is
// the 18 stored digits, the rest counts as zeros.
TEST_F(HandVerifiedFixtureTest, BcdDigitsStopAtTheFirstNonDigit) {
  Open("fields/bcd.db");
  const char* expected[][3] = {{"1.23", "1", "0.12299999999999999800000000000000"},
                               {"-1.23", "-1", "-0.12299999999999999800000000000000"},
                               {"0.00", "", "0.99990000000000001180000000000000"}};
  int record = 0;
  for (table_.First(); !table_.Eof(); table_.Next(), ++record)
    for (int field = 0; field < 3; ++field)
      EXPECT_EQ(table_.FieldDecimalText(field), expected[record][field]) << record << "/" << field;
  EXPECT_EQ(record, 3);
  GoToRecord(1);
  EXPECT_DOUBLE_EQ(table_.Field(2).Value().AsDouble(), -0.123);
  EXPECT_EQ(table_.Field(2).DataType(), ftBCD);
  EXPECT_EQ(table_.Field(2).Size(), 32);
}

// Graphic BLOBs hold Windows bitmaps after an 8-byte prefix; the bitmap's own
// header gives its length.
TEST_F(HandVerifiedFixtureTest, GraphicsAreWholeBitmaps) {
  for (const char* name : {"fields/graphic.db", "fields/graphic240.db"}) {
    Open(name);
    std::vector<size_t> sizes;
    for (table_.First(); !table_.Eof(); table_.Next()) {
      Bytes picture = table_.FieldBlob(1);
      ASSERT_GE(picture.size(), 54u) << name;
      EXPECT_EQ(picture[0], 'B');
      EXPECT_EQ(picture[1], 'M');
      EXPECT_EQ(LittleEndian32(picture, 2), picture.size()) << name;
      EXPECT_EQ(table_.Field(1).DataType(), ftGraphic);
      sizes.push_back(picture.size());
    }
    if (std::string(name) == "fields/graphic.db") EXPECT_EQ(sizes, (std::vector<size_t>{20078, 9618, 2074678}));
    else EXPECT_EQ(sizes, std::vector<size_t>{20078});
  }
}

TEST_F(HandVerifiedFixtureTest, OleObjectKeepsItsStoredHeader) {
  Open("fields/ole.db");
  GoToRecord(0);
  EXPECT_EQ(table_.Field(1).DataType(), ftParadoxOle);
  Bytes object = table_.FieldBlob(1);
  ASSERT_EQ(object.size(), 365928u);
  EXPECT_EQ(LittleEndian32(object, 4), object.size() - 8);
  EXPECT_EQ(std::string(object.begin() + 10, object.begin() + 26), "Paradox Document");
}

TEST_F(HandVerifiedFixtureTest, MemosFromSharedBlocksAndLeaders) {
  Open("fields/memo.db");
  EXPECT_EQ(table_.Info().fields[1].size, 250);  // leader and descriptor in the record
  EXPECT_EQ(table_.Field(1).Size(), 240);         // the leader
  EXPECT_EQ(table_.Field(1).DataType(), ftMemo);
  GoToRecord(0);
  WideString text = table_.Field(1).Value().AsText();
  ASSERT_EQ(text.size(), 555u);  // a slot of a shared block
  EXPECT_EQ(text.find_first_not_of(u"0123456789\r\n"), WideString::npos);
  EXPECT_EQ(text.substr(0, 24), u"012345678900123456789001");
  table_.Next();
  EXPECT_EQ(table_.Field(1).Value().AsText(), u"01234567890\n");  // held in the leader
}

// A formatted memo gives its plain text; the stored bytes stay available.
TEST_F(HandVerifiedFixtureTest, FormattedMemoGivesItsText) {
  Open("fields/fmemo.db");
  GoToRecord(0);
  EXPECT_EQ(table_.Field(1).DataType(), ftFmtMemo);
  EXPECT_EQ(table_.Field(1).Value().AsText(), u"123");
  EXPECT_EQ(table_.FieldBlob(1).size(), 169u);
  table_.Next();
  WideString text = table_.Field(1).Value().AsText();
  EXPECT_EQ(text.size(), 560u);
  EXPECT_EQ(text.substr(0, 12), u"012345678900");
  EXPECT_EQ(text.substr(text.size() - 2), u"\r\n");
}

WideString WithoutCarriageReturns(WideString text) {
  std::erase(text, u'\r');
  return text;
}

// The same memo is stored in plain CUSTOMER.MB (CR LF line ends) and in the
// encrypted encryptedmemo.mb (LF): decrypting gives the same text.
TEST_F(HandVerifiedFixtureTest, EncryptedMemoDecryptsToThePlainCopy) {
  Open("db/CUSTOMER.DB");
  GoToRecord(3);
  WideString plain = table_.FieldByName(u"Comments").Value().AsText();
  ASSERT_EQ(plain.substr(0, 27), u" The PARADOX File Structure");
  Open("encrypt/encryptedmemo.db");
  EXPECT_TRUE(table_.Info().encrypted);
  GoToRecord(0);
  WideString decrypted = table_.Field(0).Value().AsText();
  EXPECT_EQ(decrypted.size(), 55855u);
  EXPECT_TRUE(decrypted == WithoutCarriageReturns(plain)) << "the decrypted memo differs from the plain copy";
  table_.Next();
  EXPECT_EQ(table_.Field(0).Value().AsText().substr(0, 25), u"(This is stale and you ma");
}

// The encrypted fixtures were made with the password "123": the checksum
// of that password is the key their headers hold.
TEST_F(HandVerifiedFixtureTest, EncryptedFixturesAcceptOnlyTheirPassword) {
  for (const char* name : {"encrypt/encrypted.db", "encrypt/encrypted35.db", "encrypt/encryptedmemo.db"}) {
    table_.Close();
    table_.SetPassword(u"123");
    EXPECT_NO_THROW(Open(name)) << name;
    EXPECT_TRUE(table_.Info().encrypted) << name;
    table_.Close();
    table_.SetPassword(u"1234");
    EXPECT_THROW(Open(name), Exception) << name;
  }
  table_.SetPassword(u"123");
  Open("encrypt/encrypted.db");
  GoToRecord(2);
  EXPECT_EQ(table_.Field(1).Value().AsText(), u"Value 3");
}

TEST_F(HandVerifiedFixtureTest, HtmlMemosOfHercules) {
  Open("db/HERCULES.DB");
  GoToRecord(8);
  WideString text = table_.Field(1).Value().AsText();
  EXPECT_EQ(text.substr(0, 7), u"<TABLE>");
  EXPECT_EQ(text.size(), table_.FieldBlob(1).size());  // a single-byte code page
}

}  // namespace
}  // namespace verimo::test
