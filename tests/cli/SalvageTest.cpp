// Damaged copies of fixture tables, made here from the intact ones, read by
// verimo-cli. With --salvage it prints exactly the records of the blocks the
// damage left intact, as the intact table's dump prints them, names on
// stderr what was lost, and exits 0 when nothing was lost, 3 when records or
// values were, 1 when nothing could be read. Without --salvage it refuses
// every one of them.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "support/TestPaths.h"

namespace verimo {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;


int UInt16At(const Bytes& bytes, size_t offset) { return bytes[offset] | bytes[offset + 1] << 8; }

void PutUInt16(Bytes& bytes, size_t offset, int value) {
  bytes[offset] = static_cast<uint8_t>(value & 0xFF);
  bytes[offset + 1] = static_cast<uint8_t>((value >> 8) & 0xFF);
}

// Where the blocks of a table file lie, read from its header by the test
// itself: record size at 0, header size at 2, block size code at 5, record
// count at 6; a block starts with its next and previous block numbers and
// the offset of its last record.
struct Layout {
  explicit Layout(const Bytes& file)
      : recordSize(UInt16At(file, 0)), headerSize(UInt16At(file, 2)), blockSize(file[5] * 1024) {
    for (size_t offset = static_cast<size_t>(headerSize); offset + 6 <= file.size(); offset += static_cast<size_t>(blockSize)) {
      int16_t last = static_cast<int16_t>(UInt16At(file, offset + 4));
      blockRecords.push_back(last < 0 ? 0 : last / recordSize + 1);
    }
  }
  size_t BlockOffset(int block) const { return static_cast<size_t>(headerSize + (block - 1) * blockSize); }
  int Capacity() const { return (blockSize - 6) / recordSize; }
  int Blocks() const { return static_cast<int>(blockRecords.size()); }

  int recordSize;
  int headerSize;
  int blockSize;
  std::vector<int> blockRecords;  // in file order
};

struct Result {
  int status = -1;
  std::vector<std::string> out;  // lines
  std::string err;
};

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::stringstream stream(text);
  for (std::string line; std::getline(stream, line);) lines.push_back(line);
  return lines;
}

class SalvageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    VERIMO_REQUIRE_SHARED_DIR();
    dir_ = test::MakeTempDir("verimo-salvage");
  }
  void TearDown() override {
    if (!dir_.empty()) fs::remove_all(dir_);
  }

  Result Run(const std::string& arguments) {
    fs::path errFile = dir_ / "stderr.txt";
    Result result;
    std::string out;
    result.status = test::RunCommand(std::string(VERIMO_CLI) + " " + arguments + " 2>" + test::ShellQuote(errFile.string()) +
                                         " </dev/null",
                                     &out);
    result.out = Lines(out);
    std::ifstream err(errFile);
    std::stringstream text;
    text << err.rdbuf();
    result.err = text.str();
    return result;
  }

  static fs::path Fixture(const std::string& relative) { return *test::SharedDir() / "fixtures/paradox" / relative; }

  // A copy of a fixture table named `name` in the test's folder, its bytes
  // changed by `damage`; its .MB file beside it when it has one.
  fs::path Damaged(const std::string& fixture, const std::string& name, const std::function<void(Bytes&)>& damage) {
    Bytes bytes = test::ReadBinaryFile(Fixture(fixture));
    damage(bytes);
    fs::path path = dir_ / name;
    fs::create_directories(path.parent_path());
    test::WriteBinaryFile(path, bytes);
    fs::path blobs = Fixture(fixture).replace_extension(".MB");
    if (fs::exists(blobs)) fs::copy_file(blobs, fs::path(path).replace_extension(".MB"), fs::copy_options::overwrite_existing);
    return path;
  }

  // The dump lines (after the field names) of the intact table's records
  // in the given blocks, in that order; `cut` limits the last block's.
  static std::vector<std::string> RecordsOfBlocks(const std::vector<std::string>& intact, const Layout& layout,
                                                  const std::vector<int>& blocks, int cut = -1) {
    std::vector<std::string> lines{intact.front()};
    for (size_t i = 0; i < blocks.size(); ++i) {
      size_t first = 1;
      for (int block = 1; block < blocks[i]; ++block) first += static_cast<size_t>(layout.blockRecords[static_cast<size_t>(block - 1)]);
      int records = layout.blockRecords[static_cast<size_t>(blocks[i] - 1)];
      if (i + 1 == blocks.size() && cut >= 0) records = cut;
      lines.insert(lines.end(), intact.begin() + static_cast<std::ptrdiff_t>(first),
                   intact.begin() + static_cast<std::ptrdiff_t>(first) + records);
    }
    return lines;
  }

  static std::vector<int> BlocksExcept(const Layout& layout, int left) {
    std::vector<int> blocks;
    for (int block = 1; block <= layout.Blocks(); ++block)
      if (block != left) blocks.push_back(block);
    return blocks;
  }

  // Reads the damaged copy without and with --salvage: the first refuses
  // it, the second prints `expected` and exits with `status`; stderr holds
  // every text of `reported`.
  void ExpectSalvage(const fs::path& table, const std::vector<std::string>& expected, int status,
                     const std::vector<std::string>& reported) {
    SCOPED_TRACE(table.filename().string());
    Result refused = Run("dump --hex-blobs " + test::ShellQuote(table.string()));
    EXPECT_EQ(refused.status, 1) << refused.err;
    EXPECT_TRUE(refused.out.empty());
    Result salvaged = Run("dump --hex-blobs --salvage " + test::ShellQuote(table.string()));
    EXPECT_EQ(salvaged.status, status) << salvaged.err;
    ASSERT_EQ(salvaged.out.size(), expected.size()) << salvaged.err;
    for (size_t i = 0; i < expected.size(); ++i) ASSERT_EQ(salvaged.out[i], expected[i]) << "line " << i;
    for (const std::string& text : reported) EXPECT_NE(salvaged.err.find(text), std::string::npos) << text << "\n" << salvaged.err;
  }

  std::vector<std::string> IntactDump(const std::string& fixture) {
    Result intact = Run("dump --hex-blobs " + test::ShellQuote(Fixture(fixture).string()));
    EXPECT_EQ(intact.status, 0) << intact.err;
    return intact.out;
  }

  fs::path dir_;
};

constexpr const char* kCounty = "geog/County.DB";
// CUSTOMER.DB keeps its longer memos in CUSTOMER.MB.
constexpr const char* kCustomer = "db/CUSTOMER.DB";

TEST_F(SalvageTest, FileCutAtEveryBlockBoundaryKeepsTheBlocksBefore) {
  const Bytes original = test::ReadBinaryFile(Fixture(kCounty));
  const Layout layout(original);
  ASSERT_GE(layout.Blocks(), 4);
  const std::vector<std::string> intact = IntactDump(kCounty);
  std::vector<int> kept;
  for (int blocks = 1; blocks < layout.Blocks(); ++blocks) {
    kept.push_back(blocks);
    fs::path table = Damaged(kCounty, "cut" + std::to_string(blocks) + "/County.DB",
                             [&](Bytes& b) { b.resize(layout.BlockOffset(blocks + 1)); });
    ExpectSalvage(table, RecordsOfBlocks(intact, layout, kept), 3,
                  {"lies beyond the end of the file, which ends after block " + std::to_string(blocks),
                   "recovered "});
  }
  // Cut right after the header, nothing is left.
  fs::path empty = Damaged(kCounty, "cut0/County.DB", [&](Bytes& b) { b.resize(layout.BlockOffset(1)); });
  Result nothing = Run("dump --salvage " + test::ShellQuote(empty.string()));
  EXPECT_EQ(nothing.status, 1);
  EXPECT_NE(nothing.err.find("no record can be recovered"), std::string::npos) << nothing.err;
  EXPECT_EQ(Run("info --salvage " + test::ShellQuote(empty.string())).status, 1);
}

TEST_F(SalvageTest, FileCutInsideABlockKeepsItsWholeRecords) {
  const Bytes original = test::ReadBinaryFile(Fixture(kCounty));
  const Layout layout(original);
  const std::vector<std::string> intact = IntactDump(kCounty);
  // Two and a half records into block 3.
  fs::path table = Damaged(kCounty, "County.DB", [&](Bytes& b) {
    b.resize(layout.BlockOffset(3) + 6 + static_cast<size_t>(layout.recordSize) * 5 / 2);
  });
  ExpectSalvage(table, RecordsOfBlocks(intact, layout, {1, 2, 3}, 2), 3,
                {"block 3 at offset " + std::to_string(layout.BlockOffset(3)) + ": the file ends inside it; 2 of its " +
                 std::to_string(layout.blockRecords[2]) + " records are whole"});
}

TEST_F(SalvageTest, ZeroedBlocksAreSkippedWhereverTheyAre) {
  const Bytes original = test::ReadBinaryFile(Fixture(kCounty));
  const Layout layout(original);
  const std::vector<std::string> intact = IntactDump(kCounty);
  for (int zeroed = 1; zeroed <= layout.Blocks(); ++zeroed) {
    fs::path table = Damaged(kCounty, "zero" + std::to_string(zeroed) + "/County.DB", [&](Bytes& b) {
      std::fill_n(b.begin() + static_cast<std::ptrdiff_t>(layout.BlockOffset(zeroed)), layout.blockSize, 0);
    });
    ExpectSalvage(table, RecordsOfBlocks(intact, layout, BlocksExcept(layout, zeroed)), 3,
                  {"block " + std::to_string(zeroed) + " at offset " + std::to_string(layout.BlockOffset(zeroed)) +
                       ": it holds only zero bytes; skipped: up to " + std::to_string(layout.Capacity()) + " records",
                   "1 block skipped"});
  }
}

// The table of the report that the records of a middle block vanished
// without a word: the chain ends at the zeroed block.
TEST_F(SalvageTest, ZeroedMiddleBlockIsAnErrorThatSaysSo) {
  const Layout layout(test::ReadBinaryFile(Fixture(kCounty)));
  ASSERT_EQ(layout.Blocks(), 8);
  fs::path table = Damaged(kCounty, "County.DB", [&](Bytes& b) {
    std::fill_n(b.begin() + static_cast<std::ptrdiff_t>(layout.BlockOffset(5)), layout.blockSize, 0);
  });
  Result refused = Run("export " + test::ShellQuote(table.string()) + " " + test::ShellQuote((dir_ / "out.csv").string()));
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.err.find(table.string() +
                             ": the header counts 3,218 records, the data blocks hold 1,817: the table is damaged; "
                             "--salvage reads what is left"),
            std::string::npos)
      << refused.err;
  EXPECT_FALSE(fs::exists(dir_ / "out.csv"));

  Result info = Run("info --salvage " + test::ShellQuote(table.string()));
  EXPECT_EQ(info.status, 3);
  const std::string summary = table.string() + ": recovered 2,764 of an expected 3,218 records; 1 block skipped";
  EXPECT_EQ(info.out.back(), summary);
  Result exported = Run("export --salvage " + test::ShellQuote(table.string()) + " " + test::ShellQuote((dir_ / "out.csv").string()));
  EXPECT_EQ(exported.status, 3) << exported.err;
  EXPECT_NE(exported.err.find(summary + "\n"), std::string::npos) << exported.err;
  const Bytes csv = test::ReadBinaryFile(dir_ / "out.csv");
  EXPECT_EQ(Lines(std::string(csv.begin(), csv.end())).size(), 2764u + 1u);  // the captions and the records
}

TEST_F(SalvageTest, BrokenLinksLoseNoRecord) {
  const Bytes original = test::ReadBinaryFile(Fixture(kCounty));
  const Layout layout(original);
  const std::vector<std::string> intact = IntactDump(kCounty);
  std::vector<int> all = BlocksExcept(layout, 0);
  fs::path far = Damaged(kCounty, "far/County.DB", [&](Bytes& b) { PutUInt16(b, layout.BlockOffset(3), 9000); });
  ExpectSalvage(far, RecordsOfBlocks(intact, layout, all), 0,
                {"block 3 at offset " + std::to_string(layout.BlockOffset(3)) +
                     ": its next-block link 9000 names no block of the table (8 blocks)",
                 "5 blocks the chain does not reach were read in the order of their own links and positions",
                 "recovered 3,218 of an expected 3,218 records\n"});
  fs::path loop = Damaged(kCounty, "loop/County.DB", [&](Bytes& b) { PutUInt16(b, layout.BlockOffset(5), 2); });
  ExpectSalvage(loop, RecordsOfBlocks(intact, layout, all), 0,
                {"block 5 at offset " + std::to_string(layout.BlockOffset(5)) + ": its next-block link leads back to block 2"});
  // A run of blocks the chain does not reach is read in the order of its
  // own links: 1 -> 2 -> 6 -> 7 -> 8, and 3 -> 4 -> 5 after it.
  fs::path runs = Damaged(kCounty, "runs/County.DB", [&](Bytes& b) { PutUInt16(b, layout.BlockOffset(2), 6); });
  Result salvaged = Run("dump --salvage " + test::ShellQuote(runs.string()));
  EXPECT_EQ(salvaged.status, 0) << salvaged.err;
  EXPECT_EQ(salvaged.out, RecordsOfBlocks(intact, layout, {1, 2, 6, 7, 8, 3, 4, 5}));
}

TEST_F(SalvageTest, HeaderRecordCountThatDisagreesIsIgnored) {
  const Bytes original = test::ReadBinaryFile(Fixture(kCounty));
  const Layout layout(original);
  const std::vector<std::string> intact = IntactDump(kCounty);
  fs::path high = Damaged(kCounty, "high/County.DB", [](Bytes& b) { b[6] = static_cast<uint8_t>(b[6] + 5); });
  ExpectSalvage(high, intact, 3,
                {"the header counts 3,223 records, the data blocks hold 3,218",
                 "recovered 3,218 of an expected 3,223 records\n"});
  fs::path low = Damaged(kCounty, "low/County.DB", [](Bytes& b) { b[6] = static_cast<uint8_t>(b[6] - 5); });
  ExpectSalvage(low, intact, 0,
                {"the header counts 3,213 records, the data blocks hold 3,218",
                 "recovered 3,218 records, the header expected 3,213\n"});
}

TEST_F(SalvageTest, BlockWithAnImpossibleRecordCountIsSkipped) {
  const Bytes original = test::ReadBinaryFile(Fixture(kCounty));
  const Layout layout(original);
  const std::vector<std::string> intact = IntactDump(kCounty);
  const int claimed = layout.Capacity() + 10;
  fs::path table = Damaged(kCounty, "County.DB", [&](Bytes& b) {
    PutUInt16(b, layout.BlockOffset(6) + 4, (claimed - 1) * layout.recordSize);
  });
  ExpectSalvage(table, RecordsOfBlocks(intact, layout, BlocksExcept(layout, 6)), 3,
                {"block 6 at offset " + std::to_string(layout.BlockOffset(6)) + ": its record count " +
                     std::to_string(claimed) + " is beyond the block's " + std::to_string(layout.Capacity()) +
                     "; skipped: up to " + std::to_string(layout.Capacity()) + " records"});
}

// Many tables at once and the export dialog's settings take --salvage too;
// the help names it and its exit code.
TEST_F(SalvageTest, EveryCommandThatReadsATableTakesSalvage) {
  const Layout layout(test::ReadBinaryFile(Fixture(kCounty)));
  fs::path county = Damaged(kCounty, "tables/County.DB", [&](Bytes& b) {
    std::fill_n(b.begin() + static_cast<std::ptrdiff_t>(layout.BlockOffset(2)), layout.blockSize, 0);
  });
  fs::path customer = Damaged(kCustomer, "tables/CUSTOMER.DB", [](Bytes&) {});
  const std::string folder = test::ShellQuote(county.parent_path().string());
  const std::string out = test::ShellQuote((dir_ / "out").string());

  Result refused = Run("export --type csv --jobs 1 --output-dir " + out + " " + folder);
  EXPECT_EQ(refused.status, 1) << refused.err;
  EXPECT_NE(refused.err.find("1 of 2 tables written"), std::string::npos) << refused.err;
  Result batch = Run("export --type csv --jobs 1 --salvage --output-dir " + out + " " + folder);
  EXPECT_EQ(batch.status, 3) << batch.err;
  EXPECT_NE(batch.err.find("recovered 2,764 of an expected 3,218 records; 1 block skipped"), std::string::npos) << batch.err;
  EXPECT_NE(batch.err.find("2 of 2 tables written to " + (dir_ / "out").string() + "; 1 with records or values lost\n"),
            std::string::npos)
      << batch.err;

  fs::path settings = dir_ / "dialog.cfg";
  std::ofstream(settings) << "[GENERAL]\r\nExportType=8\r\nFileName=" << (dir_ / "dialog.csv").string() << "\r\n";
  Result dialog = Run("export --quiet --salvage --settings " + test::ShellQuote(settings.string()) + " " +
                      test::ShellQuote(county.string()));
  EXPECT_EQ(dialog.status, 3) << dialog.err;
  EXPECT_NE(dialog.err.find(county.string() + ": recovered 2,764 of an expected 3,218 records"), std::string::npos)
      << dialog.err;
  const Bytes csv = test::ReadBinaryFile(dir_ / "dialog.csv");
  EXPECT_EQ(Lines(std::string(csv.begin(), csv.end())).size(), 2764u + 1u);
  Result intact = Run("export --quiet --salvage --settings " + test::ShellQuote(settings.string()) + " " +
                      test::ShellQuote(customer.string()));
  EXPECT_EQ(intact.status, 0) << intact.err;

  Result help = Run("--help");
  EXPECT_NE(help.out.size(), 0u);
  std::string text;
  for (const std::string& line : help.out) text += line + "\n";
  EXPECT_NE(text.find("--salvage"), std::string::npos);
  EXPECT_NE(text.find("3 a --salvage read lost records or values"), std::string::npos) << text;
}


// The cells of dump lines.
std::vector<std::vector<std::string>> Cells(const std::vector<std::string>& lines) {
  std::vector<std::vector<std::string>> cells;
  for (const std::string& line : lines) {
    cells.emplace_back();
    size_t start = 0;
    for (size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
      cells.back().push_back(line.substr(start, tab - start));
    cells.back().push_back(line.substr(start));
  }
  return cells;
}

// Every record is kept; a cell differs from the intact one only by being
// blank, and exactly `missing` cells do.
void ExpectBlankValues(const std::vector<std::string>& intact, const std::vector<std::string>& salvaged, size_t missing) {
  auto before = Cells(intact);
  auto after = Cells(salvaged);
  ASSERT_EQ(before.size(), after.size());
  size_t blanked = 0;
  for (size_t r = 0; r < before.size(); ++r) {
    ASSERT_EQ(before[r].size(), after[r].size());
    for (size_t f = 0; f < before[r].size(); ++f) {
      if (before[r][f] == after[r][f]) continue;
      EXPECT_EQ(after[r][f], "") << "record " << r << " field " << f;
      ++blanked;
    }
  }
  EXPECT_EQ(blanked, missing);
}

TEST_F(SalvageTest, BlobValuesThatCannotBeReadAreBlank) {
  const std::vector<std::string> intact = IntactDump(kCustomer);
  const Bytes blobs = test::ReadBinaryFile(Fixture("db/CUSTOMER.MB"));

  // Without its .MB file every memo kept there is blank; the records stay.
  fs::path missing = Damaged(kCustomer, "missing/CUSTOMER.DB", [](Bytes&) {});
  fs::remove(fs::path(missing).replace_extension(".MB"));
  Result refused = Run("dump " + test::ShellQuote(missing.string()));
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.err.find("CUSTOMER.MB is missing"), std::string::npos) << refused.err;
  Result salvaged = Run("dump --hex-blobs --salvage " + test::ShellQuote(missing.string()));
  EXPECT_EQ(salvaged.status, 3) << salvaged.err;
  const std::string reported = salvaged.err;
  size_t count = 0;
  {
    // "...; N memo values missing" ends the summary line.
    size_t at = reported.rfind("; ");
    ASSERT_NE(at, std::string::npos) << reported;
    count = std::stoul(reported.substr(at + 2));
  }
  EXPECT_GT(count, 0u);
  EXPECT_NE(reported.find(std::to_string(count) + " memo values missing\n"), std::string::npos) << reported;
  EXPECT_NE(reported.find("the BLOB file CUSTOMER.MB is missing"), std::string::npos) << reported;
  ExpectBlankValues(intact, salvaged.out, count);

  // Cut after its first block of BLOBs, the .MB file keeps some of them.
  fs::path cut = Damaged(kCustomer, "cut/CUSTOMER.DB", [](Bytes&) {});
  test::WriteBinaryFile(fs::path(cut).replace_extension(".MB"), Bytes(blobs.begin(), blobs.begin() + 8192));
  salvaged = Run("dump --hex-blobs --salvage " + test::ShellQuote(cut.string()));
  EXPECT_EQ(salvaged.status, 3) << salvaged.err;
  size_t cutCount = std::stoul(salvaged.err.substr(salvaged.err.rfind("; ") + 2));
  EXPECT_GT(cutCount, 0u);
  EXPECT_LT(cutCount, count);
  ExpectBlankValues(intact, salvaged.out, cutCount);

  // One BLOB pointer past the end of the .MB file: that value only. The
  // memo field is the last but one, before a 4-byte date; its last 10
  // bytes are the pointer (offset and slot), the length and a counter.
  fs::path far = Damaged(kCustomer, "far/CUSTOMER.DB", [&](Bytes& b) {
    const Layout layout(b);
    const size_t pointer = layout.BlockOffset(1) + 6 + static_cast<size_t>(layout.recordSize) * 2 - 4 - 10;
    ASSERT_NE(b[pointer + 1], 0) << "the second record's memo lies in the .MB file";
    b[pointer + 2] = 0x40;  // 4 MB on
  });
  salvaged = Run("dump --hex-blobs --salvage " + test::ShellQuote(far.string()));
  EXPECT_EQ(salvaged.status, 3) << salvaged.err;
  EXPECT_NE(salvaged.err.find("field 'Comments': 1 of 5 values missing ("), std::string::npos) << salvaged.err;
  EXPECT_NE(salvaged.err.find("lies beyond the end of the file"), std::string::npos) << salvaged.err;
  EXPECT_NE(salvaged.err.find("recovered 20 of an expected 20 records; 1 memo value missing\n"), std::string::npos)
      << salvaged.err;
  auto before = Cells(intact);
  auto after = Cells(salvaged.out);
  ASSERT_EQ(after.size(), before.size());
  EXPECT_EQ(after[2][8], "");
  after[2][8] = before[2][8];
  EXPECT_EQ(after, before);
}

}  // namespace
}  // namespace verimo
