// The table component on tables written by pxlib's writer (an independent
// implementation of the format) and on damaged copies of them.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <vector>

#include "NeutralDump.h"
#include "core/Exception.h"
#include "support/TestPaths.h"

namespace verimo::test {
namespace {

namespace fs = std::filesystem;


class GeneratedTableTest : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = MakeTempDir("verimo-paradox"); }
  void TearDown() override { fs::remove_all(dir_); }

  fs::path Make(const std::string& arguments, const std::string& name) {
    fs::path path = dir_ / name;
    std::string command = verimo::test::ShellQuote(VERIMO_PXLIB_MAKE) + " " + arguments.substr(0, arguments.find(' ')) + " " +
                          verimo::test::ShellQuote(path) + arguments.substr(std::min(arguments.size(), arguments.find(' ')));
    EXPECT_EQ(RunCommand(command + " 2>/dev/null"), 0) << command;
    return path;
  }

  // Opening must fail with a message that names the file.
  void ExpectOpenFails(const fs::path& path, const std::string& problem) {
    TTable table;
    ExpectOpenFails(table, path, problem);
  }

  void ExpectOpenFails(TTable& table, const fs::path& path, const std::string& problem) {
    try {
      OpenTable(table, path);
      ADD_FAILURE() << "opened " << path << " without an error";
    } catch (const Exception& error) {
      std::string message = error.what();
      EXPECT_NE(message.find(path.string()), std::string::npos) << message;
      EXPECT_NE(message.find(problem), std::string::npos) << message;
    }
    EXPECT_FALSE(table.Active());
  }

  fs::path dir_;
};

TEST_F(GeneratedTableTest, ReadsEveryFixedSizeTypeAsWritten) {
  fs::path path = Make("types", "TYPES.DB");
  TTable table;
  OpenTable(table, path);
  const ParadoxTableInfo& info = table.Info();
  EXPECT_EQ(info.versionText, "7.x");
  EXPECT_EQ(info.codePage, 1254);
  EXPECT_FALSE(info.encrypted);
  EXPECT_EQ(table.RecordCount(), 4);

  const TFieldType types[] = {ftString, ftSmallint, ftInteger, ftCurrency, ftFloat, ftDate,
                              ftBoolean, ftTime, ftDateTime, ftAutoInc, ftBCD, ftBytes};
  ASSERT_EQ(table.FieldCount(), 12);
  for (int i = 0; i < 12; ++i) EXPECT_EQ(table.Field(i).DataType(), types[i]) << i;
  EXPECT_EQ(table.Field(0).Size(), 20);
  EXPECT_EQ(table.Field(0).DisplayWidth(), 20);
  EXPECT_EQ(table.Field(0).DisplayLabel(), u"Name");
  EXPECT_EQ(table.Field(10).Size(), 2);
  EXPECT_EQ(table.Field(11).Size(), 4);

  table.First();
  EXPECT_EQ(table.FieldByName(u"Name").Value().AsText(), u"Şişli ğüİı");
  EXPECT_EQ(table.FieldByName(u"Small").Value().AsInt(), 1);
  EXPECT_EQ(table.FieldByName(u"Money").Value().AsDouble(), 0.0);  // zero, not blank
  EXPECT_FALSE(table.FieldByName(u"Money").IsNull());
  EXPECT_EQ(table.FieldByName(u"Day").Value().AsDateTime(), EncodeDate(2024, 2, 29));
  EXPECT_TRUE(table.FieldByName(u"Flag").Value().AsBool());
  EXPECT_NEAR(table.FieldByName(u"Clock").Value().AsDateTime(), EncodeTime(13, 45, 0, 250), 1e-12);
  EXPECT_NEAR(table.FieldByName(u"Stamp").Value().AsDateTime(),
              EncodeDate(1999, 12, 31) + EncodeTime(23, 59, 58, 0), 1e-9);
  EXPECT_EQ(table.FieldDecimalText(10), "1234567.89");

  table.Next();
  EXPECT_EQ(table.FieldByName(u"Small").Value().AsInt(), -32767);
  EXPECT_EQ(table.FieldByName(u"Whole").Value().AsInt(), -2000000000);
  EXPECT_EQ(table.FieldByName(u"Money").Value().AsDouble(), -1234.5);
  EXPECT_EQ(table.FieldByName(u"Number").Value().AsDouble(), -0.000125);
  EXPECT_FALSE(table.FieldByName(u"Flag").Value().AsBool());
  EXPECT_EQ(table.FieldByName(u"Counter").Value().AsInt(), 2);
  EXPECT_EQ(table.FieldDecimalText(10), "-42.50");
  EXPECT_DOUBLE_EQ(table.FieldByName(u"Amount").Value().AsDouble(), -42.5);
  EXPECT_EQ(table.FieldBlob(11), (Bytes{0x10, 0x20, 0x30, 0x40}));

  table.Next();
  table.Next();
  for (int i = 0; i < 12; ++i) {
    EXPECT_TRUE(table.Field(i).IsNull()) << i;
    EXPECT_TRUE(table.Field(i).Value().IsNull()) << i;
  }
  table.Next();
  EXPECT_TRUE(table.Eof());
}

TEST_F(GeneratedTableTest, ValuesAtTheEdgesReadAsTheyAre) {
  fs::path path = Make("edges", "EDGES.DB");
  TTable table;
  OpenTable(table, path);
  const int day = 1, stamp = 2, clock = 3, amount = 4;
  table.First();
  // Record 1: in range; a stored time of 0 is midnight; a BCD zero is zero.
  EXPECT_EQ(table.Field(day).Value().AsDateTime(), EncodeDate(2024, 2, 29));
  EXPECT_FALSE(table.Field(stamp).IsNull());
  ASSERT_FALSE(table.Field(clock).IsNull());
  EXPECT_EQ(table.Field(clock).Value().AsDateTime(), 0.0);
  ASSERT_FALSE(table.Field(amount).IsNull());
  EXPECT_EQ(table.Field(amount).Value().AsDouble(), 0.0);
  EXPECT_EQ(table.FieldDecimalText(amount), "0.00");
  EXPECT_FALSE(table.FieldOutOfRangeDays(day));

  // Record 2: day 0 (year 0) and a negative timestamp read null, with their
  // day numbers; a blank BCD (scale byte kept) reads null, not 0.
  table.Next();
  EXPECT_TRUE(table.Field(day).IsNull());
  EXPECT_EQ(table.FieldOutOfRangeDays(day), 0);
  EXPECT_TRUE(table.Field(stamp).IsNull());
  EXPECT_EQ(table.FieldOutOfRangeDays(stamp), -366);
  EXPECT_EQ(table.Field(clock).Value().AsDateTime(), (13 * 60 + 45) / 1440.0);
  EXPECT_TRUE(table.Field(amount).IsNull());
  EXPECT_EQ(table.FieldDecimalText(amount), "");

  table.Next();
  EXPECT_TRUE(table.Field(day).IsNull());
  EXPECT_EQ(table.FieldOutOfRangeDays(day), -366);
  EXPECT_EQ(table.Field(stamp).Value().AsDateTime(), EncodeDate(2000, 1, 1));
  EXPECT_EQ(table.Field(clock).Value().AsDateTime(), 0.0);
  EXPECT_EQ(table.FieldDecimalText(amount), "-42.50");

  // Record 4: blank everywhere, and blank is not out of range.
  table.Next();
  for (int i = day; i <= amount; ++i) EXPECT_TRUE(table.Field(i).IsNull()) << i;
  EXPECT_FALSE(table.FieldOutOfRangeDays(day));
  EXPECT_FALSE(table.FieldOutOfRangeDays(stamp));
}

TEST_F(GeneratedTableTest, AgreesWithPxlibOnManyBlocks) {
  fs::path path = Make("big 5000", "BIG.DB");
  TTable table;
  OpenTable(table, path);
  TableDump ours = DumpWithReader(table);
  std::string output;
  ASSERT_EQ(RunCommand(verimo::test::ShellQuote(VERIMO_PXLIB_DUMP) + " " + verimo::test::ShellQuote(path), &output), 0);
  TableDump theirs = ParsePxlibDump(output);
  ASSERT_EQ(ours.records.size(), 5000u);
  ASSERT_EQ(theirs.records.size(), 5000u);
  EXPECT_EQ(ours.fieldLines, theirs.fieldLines);
  for (size_t r = 0; r < ours.records.size(); ++r)
    for (size_t f = 0; f < ours.records[r].size(); ++f)
      ASSERT_TRUE(CellsAgree(theirs.records[r][f].text, ours.records[r][f])) << r << "/" << f;
  EXPECT_GT(ReadBinaryFile(path).size(), 50u * 2048u);  // many blocks
}

TEST_F(GeneratedTableTest, BookmarksReturnToTheirRecord) {
  fs::path path = Make("big 300", "MARKS.DB");
  TTable table;
  OpenTable(table, path);
  table.First();
  for (int i = 0; i < 120; ++i) table.Next();
  TBookmark mark = table.GetBookmark();
  ASSERT_TRUE(mark.IsValid());
  while (!table.Eof()) table.Next();
  EXPECT_FALSE(table.GetBookmark().IsValid());
  table.GotoBookmark(mark);
  EXPECT_EQ(table.FieldByName(u"Id").Value().AsInt(), 121);
  table.Next();
  EXPECT_EQ(table.FieldByName(u"Id").Value().AsInt(), 122);
  table.GotoBookmark(TBookmark());
  EXPECT_TRUE(table.Eof());
  EXPECT_THROW(table.GotoBookmark(TBookmark{5, int64_t{900} << 16}), Exception);
}

// A table of several read chunks (the reader reads 1 MB at a time): the
// records come in order across the chunks, a bookmark in the first chunk
// leads back from the last one, and values read into a reused variant equal
// the values read fresh.
TEST_F(GeneratedTableTest, ReadsAcrossChunksAndIntoReusedValues) {
  fs::path path = Make("big 25000", "CHUNKS.DB");
  ASSERT_GT(ReadBinaryFile(path).size(), 2u * 1024u * 1024u);
  TTable table;
  OpenTable(table, path);
  std::vector<Variant> reused(static_cast<size_t>(table.FieldCount()));
  TBookmark early;
  int64_t records = 0;
  for (table.First(); !table.Eof(); table.Next(), ++records) {
    ASSERT_EQ(table.FieldByName(u"Id").Value().AsInt(), records + 1);
    if (records == 99) early = table.GetBookmark();
    for (int i = 0; i < table.FieldCount(); ++i) {
      Variant& value = reused[static_cast<size_t>(i)];
      table.Field(i).ReadValue(value);
      ASSERT_EQ(value, table.Field(i).Value()) << records << "/" << i;
      ASSERT_EQ(value.IsNull(), table.Field(i).IsNull()) << records << "/" << i;
    }
  }
  EXPECT_EQ(records, 25000);
  table.GotoBookmark(early);
  EXPECT_EQ(table.FieldByName(u"Id").Value().AsInt(), 100);
  table.Next();
  EXPECT_EQ(table.FieldByName(u"Id").Value().AsInt(), 101);
}

TEST_F(GeneratedTableTest, EncryptedTablesCheckThePassword) {
  fs::path path = Make("types geheim", "SECRET.DB");
  // Without a password or a callback the key in the header decrypts it.
  {
    TTable table;
    OpenTable(table, path);
    EXPECT_TRUE(table.Info().encrypted);
    table.First();
    EXPECT_EQ(table.Field(0).Value().AsText(), u"Şişli ğüİı");
  }
  {
    TTable table;
    table.SetPassword(u"geheim");
    OpenTable(table, path);
    EXPECT_EQ(table.RecordCount(), 4);
  }
  {
    TTable table;
    table.SetPassword(u"Geheim");
    ExpectOpenFails(table, path, "password is not valid");
  }
  // The callback is asked again after a wrong password.
  {
    TTable table;
    std::vector<WideString> answers = {u"wrong", u"geheim"};
    int asked = 0;
    table.SetPasswordCallback([&](const std::string& name, WideString& password) {
      EXPECT_EQ(name, "SECRET.DB");
      password = answers[static_cast<size_t>(asked++)];
      return true;
    });
    OpenTable(table, path);
    EXPECT_EQ(asked, 2);
    EXPECT_TRUE(table.Active());
  }
  TTable cancelled;
  cancelled.SetPasswordCallback([](const std::string&, WideString&) { return false; });
  ExpectOpenFails(cancelled, path, "no password was given");

  TTable stubborn;
  int asked = 0;
  stubborn.SetPasswordCallback([&](const std::string&, WideString& password) {
    ++asked;
    password = u"nope";
    return true;
  });
  ExpectOpenFails(stubborn, path, "password is not valid");
  EXPECT_EQ(asked, 3);
}

TEST_F(GeneratedTableTest, DamagedFilesFailWithAClearMessage) {
  fs::path good = Make("big 200", "GOOD.DB");
  const Bytes original = ReadBinaryFile(good);
  auto damaged = [&](const std::string& name, auto change) {
    Bytes bytes = original;
    change(bytes);
    fs::path path = dir_ / name;
    WriteBinaryFile(path, bytes);
    return path;
  };
  ExpectOpenFails(dir_ / "MISSING.DB", "file not found");
  ExpectOpenFails(damaged("EMPTY.DB", [](Bytes& b) { b.clear(); }), "too short");
  ExpectOpenFails(damaged("TEXT.DB", [](Bytes& b) {
                    std::string text(3000, 'x');
                    b.assign(text.begin(), text.end());
                  }),
                  "not a Paradox table");
  ExpectOpenFails(damaged("HEAD.DB", [](Bytes& b) { b.resize(1000); }), "truncated");
  ExpectOpenFails(damaged("CUT.DB", [](Bytes& b) { b.resize(2048 + 3 * 3072 + 100); }), "truncated");
  ExpectOpenFails(damaged("INDEX.DB", [](Bytes& b) { b[4] = 1; }), "primary index");
  ExpectOpenFails(damaged("BLOCKS.DB", [](Bytes& b) { b[5] = 0; }), "block size");
  ExpectOpenFails(damaged("RECORD.DB", [](Bytes& b) { b[0] = 0xFF, b[1] = 0x7F; }), "record size");
  ExpectOpenFails(damaged("FIELDS.DB", [](Bytes& b) { b[0x21] = 0xFF, b[0x22] = 0x7F; }), "fields");
  ExpectOpenFails(damaged("TYPE.DB", [](Bytes& b) { b[0x78] = 0x42; }), "unknown type");
  ExpectOpenFails(damaged("WIDE.DB", [](Bytes& b) { b[0x78 + 2 * 7 + 1] = 250; }), "record holds only");
  // The first block points back to itself.
  ExpectOpenFails(damaged("LOOP.DB", [](Bytes& b) { b[2048] = 1, b[2049] = 0; }), "loops");
  ExpectOpenFails(damaged("FAR.DB", [](Bytes& b) { b[2048] = 0x30, b[2049] = 0x75; }),
                  "a block pointer is damaged (it names data block 30000");
}

TEST_F(GeneratedTableTest, EmptyAndFreeBlocksAreSkipped) {
  fs::path path = Make("big 200", "FREE.DB");
  Bytes bytes = ReadBinaryFile(path);
  // Mark the first block empty (last record offset -recordSize) and take
  // its records off the header's count, as deleting them does: they are
  // no longer part of the table.
  int recordSize = bytes[0] | bytes[1] << 8;
  int blockRecords = (bytes[2048 + 4] | bytes[2048 + 5] << 8) / recordSize + 1;
  bytes[6] = static_cast<uint8_t>(bytes[6] - blockRecords);  // 200 records: the count fits its low byte
  int16_t empty = static_cast<int16_t>(-recordSize);
  bytes[2048 + 4] = static_cast<uint8_t>(empty & 0xFF);
  bytes[2048 + 5] = static_cast<uint8_t>((empty >> 8) & 0xFF);
  WriteBinaryFile(path, bytes);
  TTable table;
  OpenTable(table, path);
  table.First();
  ASSERT_FALSE(table.Eof());
  int64_t first = table.FieldByName(u"Id").Value().AsInt();
  EXPECT_GT(first, 1);
  int64_t count = 0;
  for (; !table.Eof(); table.Next()) ++count;
  EXPECT_EQ(count, table.RecordCount());
  EXPECT_EQ(count, 200 - (first - 1));
}

TEST_F(GeneratedTableTest, StateAcrossCloseAndReopen) {
  fs::path path = Make("big 10", "STATE.DB");
  TTable table;
  EXPECT_THROW(table.Info(), Exception);
  OpenTable(table, path);
  table.Close();
  EXPECT_FALSE(table.Active());
  EXPECT_EQ(table.FieldCount(), 0);
  EXPECT_THROW(table.First(), Exception);
  // A failed open leaves the table closed and usable for the next one.
  table.SetTableName("NOPE.DB");
  EXPECT_THROW(table.Open(), Exception);
  table.SetTableName("STATE.DB");
  table.Open();
  EXPECT_EQ(table.RecordCount(), 10);
  EXPECT_EQ(table.FieldCount(), 8);
}

// BLOBs kept in the .MB file need it; the rest of the table reads without.
TEST_F(GeneratedTableTest, MissingBlobFileFailsOnlyWhenABlobIsRead) {
  VERIMO_REQUIRE_SHARED_DIR();
  fs::copy_file(*SharedDir() / "fixtures/paradox/fields/memo.db", dir_ / "memo.db");
  TTable table;
  OpenTable(table, dir_ / "memo.db");
  table.First();
  EXPECT_EQ(table.Field(0).Value().AsInt(), 1);
  EXPECT_FALSE(table.Field(1).IsNull());
  try {
    table.Field(1).Value();
    ADD_FAILURE() << "read a BLOB without its .MB file";
  } catch (const Exception& error) {
    EXPECT_NE(std::string(error.what()).find("memo.MB is missing"), std::string::npos) << error.what();
  }
  table.Next();
  EXPECT_EQ(table.Field(1).Value().AsText(), u"01234567890\n");  // held in the record
}

TEST_F(GeneratedTableTest, DamagedBlobReferencesFailCleanly) {
  VERIMO_REQUIRE_SHARED_DIR();
  fs::path source = *SharedDir() / "fixtures/paradox/fields/memo.db";
  Bytes table = ReadBinaryFile(source);
  Bytes blobs = ReadBinaryFile(source.parent_path() / "memo.mb");
  // Record 1's memo descriptor follows its 240-byte leader: make it claim
  // a longer BLOB than its slot holds.
  size_t length = 2048 + 6 + 4 + 240 + 4;
  table[length] = 0xFF;
  WriteBinaryFile(dir_ / "memo.db", table);
  WriteBinaryFile(dir_ / "memo.mb", blobs);
  TTable reader;
  OpenTable(reader, dir_ / "memo.db");
  reader.First();
  EXPECT_THROW(reader.Field(1).Value(), Exception);
  reader.Next();
  EXPECT_NO_THROW(reader.Field(1).Value());
}

}  // namespace
}  // namespace verimo::test
