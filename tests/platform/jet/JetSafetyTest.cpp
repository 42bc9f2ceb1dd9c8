// Bad input to the Access interface: clear errors, and files that are not
// this writer's, or that an error interrupted, stay as they were.
#include <gtest/gtest.h>

#include <fstream>

#include "core/Exception.h"
#include "platform/jet/JetReaders.h"
#include "platform/jet/JetTestSession.h"
#include "support/TestPaths.h"

namespace verimo::test::jet {
namespace {

using test::WriteFile;

std::string ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const Exception& error) {
    return error.what();
  }
  return {};
}

bool OnlyFile(const std::filesystem::path& folder, const std::filesystem::path& file) {
  std::vector<std::filesystem::path> entries;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) entries.push_back(entry.path());
  return entries == std::vector<std::filesystem::path>{file};
}

class JetSafety : public ::testing::Test {
 protected:
  void SetUp() override {
    CreateDatabase(file_);
    Execute(file_, u"create table T ([A] integer,[B] nvarchar(10))");
    Inserter insert(file_, u"T", {u"A", u"B"}, {ftInteger, ftWideString});
    insert.Row({u"1", u"bir"});
    insert.Close();
    original_ = ReadFileBytes(file_);
  }
  void ExpectUnchanged() const {
    EXPECT_TRUE(ReadFileBytes(file_) == original_) << "the database file was changed";
    EXPECT_TRUE(OnlyFile(folder_.Path(), file_)) << "a temporary file was left behind";
  }

  TempFolder folder_;
  std::filesystem::path file_ = folder_ / "db.mdb";
  std::string original_;
};

TEST_F(JetSafety, BadStatementsAndNamesAreRefusedBeforeAnythingIsWritten) {
  const std::pair<const char16_t*, const char*> cases[] = {
      {u"create table U ([A] varchar(5))", "Unknown column type"},
      {u"create table U ([A] integer,[a] double)", "Duplicate column name 'a'"},
      {u"create table U.x ([A] integer)", "expected '('"},
      {u"create table [U.x] ([A] integer)", "Invalid table name 'U.x'"},
      {u"create table U ([ A] integer)", "begins with a space"},
      {u"create table U ([A!] integer)", "character '!'"},
      {u"create table U ([A`] integer)", "character '`'"},
      {u"create table U ([Aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa] integer)", "longer than 64"},
      {u"create table t ([X] integer)", "Table 't' already exists"},
      {u"create table MSysObjects ([X] integer)", "already exists"},
      {u"delete from T", "Unsupported statement"},
  };
  for (const auto& [sql, reason] : cases) {
    const std::string error = ErrorOf([&] { Execute(file_, sql); });
    EXPECT_NE(error.find(reason), std::string::npos) << WideToUtf8(sql) << " -> " << error;
  }
  // A caption that closes its bracket cannot smuggle in a column: the
  // exporter checks each caption first, and the brackets never nest.
  EXPECT_NE(ErrorOf([] { CheckJetName(u"x] integer, [y", "column"); }), "");
  EXPECT_NE(ErrorOf([&] { Execute(file_, u"create table U ([x]] integer)"); }), "");
  ExpectUnchanged();
}

TEST_F(JetSafety, InsertErrorsNameTheProblemAndKeepEarlierRows) {
  {
    Inserter insert(file_, u"T", {u"A", u"B"}, {ftInteger, ftWideString});
    insert.Row({u"2", u"iki"});
    const std::string notNumber = ErrorOf([&] { insert.Row({u"üç", u"x"}); });
    EXPECT_NE(notNumber.find("Cannot store 'üç' in column [A] (Long): it is not a number"), std::string::npos) << notNumber;
    const std::string range = ErrorOf([&] { insert.Row({u"4294967296", u"x"}); });
    EXPECT_NE(range.find("out of the range of a Long"), std::string::npos) << range;
    const std::string tooLong = ErrorOf([&] { insert.Row({u"5", u"on bir harf"}); });
    EXPECT_NE(tooLong.find("at most 10"), std::string::npos) << tooLong;
    insert.Row({u"6", std::nullopt});
  }
  EXPECT_EQ(MdbExport(file_, "T").rows, (std::vector<std::vector<std::string>>{{"1", "bir"}, {"2", "iki"}, {"6", ""}}));

  const std::string missingTable = ErrorOf([&] { Inserter(file_, u"Yok", {u"A"}, {ftInteger}); });
  EXPECT_NE(missingTable.find("Table 'Yok' does not exist"), std::string::npos) << missingTable;
  const std::string missingColumn = ErrorOf([&] { Inserter(file_, u"T", {u"Z"}, {ftInteger}); });
  EXPECT_NE(missingColumn.find("has no column [Z]"), std::string::npos) << missingColumn;
  const std::string untyped = ErrorOf([&] { Inserter(file_, u"T", {u"A"}, {ftUnknown}).Row({u"1"}); });
  EXPECT_NE(untyped.find("not supported"), std::string::npos) << untyped;
  EXPECT_TRUE(OnlyFile(folder_.Path(), file_));
}

TEST_F(JetSafety, ARowTooLargeEvenWithMemosMovedOutIsRefused) {
  WideString columns;
  std::vector<WideString> names;
  for (int i = 0; i < 8; ++i) {
    names.push_back(u"[K" + IntToWide(i) + u"]");
    columns += (i ? u"," : u"") + names.back() + u" nvarchar(255)";
  }
  names.push_back(u"[M]");
  Execute(file_, u"create table Genis (" + columns + u",[M] memo)");
  // 255 characters that cannot be compressed take 510 bytes each.
  const WideString full(255, u'Ā');
  std::vector<std::optional<WideString>> fits(7, full);
  fits.push_back(WideString(200, u'Ā'));
  fits.push_back(WideString(30, u'Ā'));  // inline it would pass the limit
  std::vector<std::optional<WideString>> tooLarge(8, full);
  tooLarge.push_back(u"m");
  {
    Inserter insert(file_, u"Genis", names, std::vector<TFieldType>(9, ftWideString));
    insert.Row(fits);
    const std::string error = ErrorOf([&] { insert.Row(tooLarge); });
    EXPECT_NE(error.find("The record is too large"), std::string::npos) << error;
    EXPECT_NE(error.find("4060"), std::string::npos) << error;
    insert.Row(fits);
    insert.Close();
  }
  const CsvTable csv = MdbExport(file_, "Genis");
  ASSERT_EQ(csv.rows.size(), 2u);
  EXPECT_EQ(csv.rows[1][8], WideToUtf8(WideString(30, u'Ā')));
  EXPECT_EQ(MdbReaderDump(file_)["data"]["Genis"]["rows"][0]["K0"], WideToUtf8(full));
}

TEST_F(JetSafety, FilesThatAreNotThisWritersAreRefusedAndLeftUnchanged) {
  std::string randomBytes(8192, '\0');
  for (size_t i = 0; i < randomBytes.size(); ++i) randomBytes[i] = static_cast<char>((i * 7919 + 13) % 251);
  std::string jet3 = original_;
  jet3[0x14] = 0;
  std::string foreignJet4 = original_;
  std::fill(foreignJet4.begin() + 0x400, foreignJet4.begin() + 0x420, '\0');
  std::string damagedDefinition = original_;
  damagedDefinition[2 * 4096 + 45] ^= 0x01;
  const std::pair<std::string, const char*> files[] = {
      {"", "too short"},
      {"not a database", "not an Access database"},
      {randomBytes, "not an Access database"},
      {jet3, "another version"},
      {foreignJet4, "was not created by this program"},
      {original_.substr(0, 5 * 4096), "truncated or damaged"},
      {original_.substr(0, original_.size() - 100), "truncated or damaged"},
      {damagedDefinition, "cannot be changed"},
  };
  for (const auto& [bytes, reason] : files) {
    const auto other = folder_ / "other.mdb";
    WriteFile(other, bytes);
    for (const auto& attempt : std::vector<std::function<void()>>{
             [&] { Execute(other, u"create table U ([A] integer)"); },
             [&] { Inserter(other, u"T", {u"A"}, {ftInteger}).Row({u"1"}); },
             [&] { TableNames(other); },
             [&] { CreateDatabase(other); }}) {
      const std::string error = ErrorOf(attempt);
      EXPECT_NE(error, "");
      if (error.find("already exists") == std::string::npos) {
        EXPECT_NE(error.find(reason), std::string::npos) << reason << " -> " << error;
      }
      EXPECT_TRUE(ReadFileBytes(other) == bytes) << reason;
    }
    std::filesystem::remove(other);
    EXPECT_TRUE(OnlyFile(folder_.Path(), file_)) << reason;
  }
  EXPECT_NE(ErrorOf([&] { TableNames(folder_ / "yok.mdb"); }).find("Could not find file"), std::string::npos);
  EXPECT_NE(ErrorOf([&] { CreateDatabase(file_); }).find("already exists"), std::string::npos);
  ExpectUnchanged();
}

TEST_F(JetSafety, AnOpenInsertKeepsOtherWritersOut) {
  Inserter insert(file_, u"T", {u"A"}, {ftInteger});
  insert.Row({u"7"});
  const std::string error = ErrorOf([&] { Execute(file_, u"create table U ([A] integer)"); });
  EXPECT_NE(error.find("in use"), std::string::npos) << error;
  // Until the insert command saves, the file holds the earlier rows only.
  EXPECT_EQ(MdbExport(file_, "T").rows.size(), 1u);
  insert.Close();
  EXPECT_EQ(MdbExport(file_, "T").rows.size(), 2u);
}

}  // namespace
}  // namespace verimo::test::jet
