// The table component in salvage mode: intact tables read as without it,
// encrypted damaged tables, bookmarks across a salvaged order, and a table
// damaged all over. The corpus of damages read through the command line is
// in tests/cli/SalvageTest.cpp.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>

#include "NeutralDump.h"
#include "core/Exception.h"
#include "support/TestPaths.h"

namespace verimo::test {
namespace {

namespace fs = std::filesystem;


std::vector<std::vector<std::string>> Texts(const TableDump& dump) {
  std::vector<std::vector<std::string>> texts;
  for (const auto& record : dump.records) {
    texts.emplace_back();
    for (const DumpCell& cell : record) texts.back().push_back(cell.text);
  }
  return texts;
}

fs::path FixtureDir() { return *SharedDir() / "fixtures" / "paradox"; }

class SalvageReaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    VERIMO_REQUIRE_SHARED_DIR();
    dir_ = MakeTempDir("verimo-salvage-reader");
  }
  void TearDown() override {
    if (!dir_.empty()) fs::remove_all(dir_);
  }

  // A copy of a fixture table (and of its .MB file) whose .DB bytes
  // `damage` changes.
  template <typename Damage>
  fs::path Damaged(const std::string& fixture, Damage damage) {
    Bytes bytes = ReadBinaryFile(FixtureDir() / fixture);
    damage(bytes);
    fs::path path = dir_ / fs::path(fixture).filename();
    WriteBinaryFile(path, bytes);
    for (const char* extension : {".mb", ".MB"}) {
      fs::path blobs = (FixtureDir() / fixture).replace_extension(extension);
      if (fs::exists(blobs)) fs::copy_file(blobs, fs::path(path).replace_extension(extension), fs::copy_options::overwrite_existing);
    }
    return path;
  }

  static void OpenSalvaging(TTable& table, const fs::path& path) {
    table.SetSalvage(true);
    OpenTable(table, path);
  }

  fs::path dir_;
};

TEST_F(SalvageReaderTest, IntactTablesReadTheSameInSalvageMode) {
  int tables = 0;
  for (const auto& entry : fs::recursive_directory_iterator(FixtureDir())) {
    std::string extension = entry.path().extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(), [](unsigned char c) { return std::tolower(c); });
    if (extension != ".db") continue;
    SCOPED_TRACE(entry.path().string());
    ++tables;
    TTable plain;
    OpenTable(plain, entry.path());
    TTable salvaged;
    OpenSalvaging(salvaged, entry.path());
    EXPECT_EQ(Texts(DumpWithReader(salvaged)), Texts(DumpWithReader(plain)));
    EXPECT_FALSE(salvaged.DamageReport().Damaged());
    EXPECT_EQ(salvaged.SalvageReport(),
              std::vector<std::string>{"recovered " + GroupedCount(plain.RecordCount()) + " of an expected " +
                                       CountWithNoun(plain.RecordCount(), "record", "records")});
    EXPECT_TRUE(plain.SalvageReport().empty());
  }
  EXPECT_EQ(tables, 52);
}

// An encrypted chunk of 256 bytes is a permutation of its bytes: a table
// cut inside one cannot be read there, in either mode, rather than giving
// garbage; cut after the chunk that holds its records it reads whole.
TEST_F(SalvageReaderTest, EncryptedTableCutInsideAChunk) {
  const std::string fixture = "encrypt/encrypted35.db";
  TTable intact;
  OpenTable(intact, FixtureDir() / fixture);
  ASSERT_TRUE(intact.Info().encrypted);
  ASSERT_EQ(intact.RecordCount(), 2);
  ASSERT_LT(6 + 2 * intact.Info().recordSize, 256);
  const auto whole = Texts(DumpWithReader(intact));
  const Bytes original = ReadBinaryFile(FixtureDir() / fixture);
  const size_t headerSize = original[2] | original[3] << 8;

  fs::path after = Damaged(fixture, [&](Bytes& b) { b.resize(headerSize + 256 + 100); });
  for (bool salvage : {false, true}) {
    TTable table;
    table.SetSalvage(salvage);
    OpenTable(table, after);
    EXPECT_EQ(Texts(DumpWithReader(table)), whole);
    EXPECT_FALSE(table.DamageReport().Damaged());
  }

  fs::path inside = Damaged(fixture, [&](Bytes& b) { b.resize(headerSize + 100); });
  TTable refused;
  EXPECT_THROW(OpenTable(refused, inside), TableDamaged);
  TTable salvaged;
  try {
    OpenSalvaging(salvaged, inside);
    ADD_FAILURE() << "recovered records from a chunk that cannot be decrypted";
  } catch (const TableDamaged& error) {
    EXPECT_NE(std::string(error.what()).find("no record can be recovered (block 1 at offset " +
                                             std::to_string(headerSize) +
                                             ": the file ends before its block header can be read"),
              std::string::npos)
        << error.what();
  }
}

TEST_F(SalvageReaderTest, EncryptedMemosWithoutTheirBlobFileAreBlank) {
  const std::string fixture = "encrypt/encryptedmemo.db";
  fs::path path = Damaged(fixture, [](Bytes&) {});
  for (const char* extension : {".mb", ".MB"}) fs::remove(fs::path(path).replace_extension(extension));
  TTable salvaged;
  OpenSalvaging(salvaged, path);
  TTable intact;
  OpenTable(intact, FixtureDir() / fixture);
  TableDump before = DumpWithReader(intact);
  TableDump after = DumpWithReader(salvaged);
  ASSERT_EQ(after.records.size(), before.records.size());
  int blanked = 0;
  for (size_t r = 0; r < before.records.size(); ++r)
    for (size_t f = 0; f < before.records[r].size(); ++f)
      if (before.records[r][f].text != after.records[r][f].text) {
        EXPECT_EQ(after.records[r][f].text, "\\N");
        ++blanked;
      }
  EXPECT_GT(blanked, 0);
  EXPECT_TRUE(salvaged.DamageReport().ValuesLost());
  EXPECT_FALSE(salvaged.DamageReport().RecordsLost());
  EXPECT_NE(salvaged.DamageReport().Summary().find(std::to_string(blanked) + " memo value"), std::string::npos)
      << salvaged.DamageReport().Summary();
}

// A .MB "file" that is a folder cannot be opened: its values are missing,
// the table opens.
TEST_F(SalvageReaderTest, BlobFileThatCannotBeOpenedLeavesItsValuesBlank) {
  fs::path path = Damaged("db/CUSTOMER.DB", [](Bytes&) {});
  fs::path blobs = fs::path(path).replace_extension(".MB");
  fs::remove(blobs);
  fs::create_directory(blobs);
  TTable refused;
  OpenTable(refused, path);
  EXPECT_THROW(DumpWithReader(refused), Exception);
  TTable salvaged;
  OpenSalvaging(salvaged, path);
  EXPECT_EQ(DumpWithReader(salvaged).records.size(), 20u);
  std::vector<std::string> lines = salvaged.DamageReport().Lines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], "field 'Comments': 4 of 5 values missing (" + blobs.string() + ": not a regular file)");
  EXPECT_EQ(salvaged.DamageReport().Summary(), "recovered 20 of an expected 20 records; 4 memo values missing");
}

// A bookmark names a place in the salvaged reading order, which here is
// not the order of the blocks in the file.
TEST_F(SalvageReaderTest, BookmarksFollowTheSalvagedOrder) {
  const std::string fixture = "geog/County.DB";
  TTable intact;
  OpenTable(intact, FixtureDir() / fixture);
  const int blockSize = intact.Info().blockSize;
  intact.Close();
  // Block 2 links to block 6, so 6 to 8 come before the run 3 to 5.
  fs::path path = Damaged(fixture, [&](Bytes& b) {
    const size_t block2 = 2048 + static_cast<size_t>(blockSize);
    b[block2] = 6;
    b[block2 + 1] = 0;
  });
  TTable table;
  OpenSalvaging(table, path);
  TableDump all = DumpWithReader(table);
  ASSERT_EQ(all.records.size(), 3218u);
  table.First();
  for (int i = 0; i < 1500; ++i) table.Next();
  TBookmark mark = table.GetBookmark();
  const std::string name = WideToUtf8(table.Field(1).AsString());
  while (!table.Eof()) table.Next();
  table.GotoBookmark(mark);
  EXPECT_EQ(WideToUtf8(table.Field(1).AsString()), name);
  EXPECT_EQ(name, all.records[1500][1].text);
  table.Next();
  EXPECT_EQ(WideToUtf8(table.Field(1).AsString()), all.records[1501][1].text);
}

// Every block but the first with an impossible head: the report keeps a
// line for the first of them and counts the rest.
TEST_F(SalvageReaderTest, TableDamagedAllOverGetsAShortReport) {
  const std::string fixture = "areas/ZIPCODES.DB";
  TTable intact;
  OpenTable(intact, FixtureDir() / fixture);
  const int blockSize = intact.Info().blockSize;
  const int64_t expected = intact.RecordCount();
  const std::vector<std::vector<std::string>> whole = Texts(DumpWithReader(intact));
  intact.Close();
  int blocks = 0;
  fs::path path = Damaged(fixture, [&](Bytes& b) {
    for (size_t offset = 2048 + static_cast<size_t>(blockSize); offset + 6 <= b.size(); offset += static_cast<size_t>(blockSize)) {
      b[offset + 4] = 1;  // a last record offset that is no multiple of the record size
      b[offset + 5] = 0;
      ++blocks;
    }
  });
  TTable table;
  OpenSalvaging(table, path);
  const ParadoxDamageReport& report = table.DamageReport();
  EXPECT_EQ(report.SkippedBlocks(), blocks);
  std::vector<std::string> lines = report.Lines();
  ASSERT_EQ(lines.size(), 52u);
  EXPECT_NE(lines[0].find("block 2 at offset " + std::to_string(2048 + blockSize) +
                          ": its last record offset 1 is not a multiple of the record size"),
            std::string::npos)
      << lines[0];
  EXPECT_EQ(lines[50], "and " + GroupedCount(blocks - 50) + " more problems with blocks");
  EXPECT_EQ(lines[51], "the header counts " + GroupedCount(expected) + " records, the data blocks hold " +
                           GroupedCount(table.RecordCount()));
  EXPECT_EQ(report.Summary(), "recovered " + GroupedCount(table.RecordCount()) + " of an expected " +
                                  GroupedCount(expected) + " records; " + GroupedCount(blocks) + " blocks skipped");
  TableDump dump = DumpWithReader(table);
  ASSERT_EQ(static_cast<int64_t>(dump.records.size()), table.RecordCount());
  EXPECT_EQ(Texts(dump), std::vector<std::vector<std::string>>(whole.begin(), whole.begin() + table.RecordCount()));
}

}  // namespace
}  // namespace verimo::test
