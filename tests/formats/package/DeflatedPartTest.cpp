// Entries compressed ahead in blocks, on the caller's thread or on workers:
// the compressed bytes must inflate (raw, window bits -15) to exactly the
// input whatever the sizes of the writes and wherever the block boundaries
// fall, by zlib or by libdeflate as the first block chose, be the same in
// either mode, go into the archive as a valid entry, and failures of a
// worker must reach the caller without hanging.
#include "formats/package/DeflatedPart.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <random>
#include <set>

#include "core/Exception.h"
#include "formats/package/MiniZip.h"
#include "formats/package/PackageTestSupport.h"
#include "support/FileSizeLimit.h"
#include "support/TestPaths.h"

namespace verimo {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;

constexpr std::time_t kModified = 1700000000;
constexpr size_t kBlock = TDeflatedPart::kBlockSize;

void WriteFile(const fs::path& file, const std::string& content) {
  fs::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << content;
}

// Rows of a sheet with varying numbers and words: several megabytes that
// deflate to a few hundred kilobytes, more than the workers' queue holds.
std::string SheetLikeBytes(size_t rows) {
  std::mt19937 random(7);
  const char* words[] = {"Ankara", "İzmir", "Müşteri", "&amp;", "Balance", "Notes about the row"};
  std::string out;
  for (size_t i = 0; i < rows; ++i) {
    out += "<row r=\"" + std::to_string(i + 1) + "\"><c t=\"s\"><v>" + std::to_string(random() % 100000) + "</v></c>";
    out += "<c><is><t>" + std::string(words[random() % 6]) + std::to_string(random()) + "</t></is></c></row>\r\n";
  }
  return out;
}

std::string RandomBytes(size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::string out(size, '\0');
  for (char& ch : out) ch = static_cast<char>(random());
  return out;
}

// A short phrase over and over: matches span block boundaries.
std::string RepetitiveBytes(size_t size) {
  const std::string phrase = "<w:tc><w:p><w:r><w:t>row</w:t></w:r></w:p></w:tc>";
  std::string out;
  out.reserve(size + phrase.size());
  while (out.size() < size) out += phrase;
  out.resize(size);
  return out;
}

// Writes `bytes` in pieces of the sizes given, over and over.
template <typename Target>
void WriteInPieces(Target& target, const std::string& bytes, std::initializer_list<size_t> sizes) {
  size_t at = 0;
  while (at < bytes.size()) {
    for (size_t size : sizes) {
      const size_t n = std::min(size, bytes.size() - at);
      target.Write(bytes.data() + at, n);
      at += n;
    }
  }
}

// zlib's stream of `bytes` at its best compression, as one stream.
std::string DeflateZlib9(const std::string& bytes) {
  z_stream stream{};
  EXPECT_EQ(deflateInit2(&stream, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY), Z_OK);
  std::string out(deflateBound(&stream, static_cast<uLong>(bytes.size())), '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
  stream.avail_in = static_cast<uInt>(bytes.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  EXPECT_EQ(deflate(&stream, Z_FINISH), Z_STREAM_END);
  out.resize(out.size() - stream.avail_out);
  deflateEnd(&stream);
  return out;
}

uint32_t Crc32(const std::string& bytes) {
  return static_cast<uint32_t>(
      crc32(crc32(0, Z_NULL, 0), reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
}

class DeflatedPartTest : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = test::MakeTempDir("verimo-deflated"); }
  void TearDown() override { fs::remove_all(dir_); }

  struct TResult {
    std::string Compressed;
    uint32_t Crc = 0;
    uint64_t Size = 0;
    int LibdeflateLevel = 0;
  };

  // The part's compressed bytes, CRC-32 and size for `bytes` written in
  // pieces of `sizes`.
  TResult Deflate(const std::string& bytes, TDeflatedPart::TMode mode, std::initializer_list<size_t> sizes) {
    TDeflatedPart part(dir_ / "part.deflated", 9, mode);
    WriteInPieces(part, bytes, sizes);
    part.Finish();
    TResult result{ReadFile(part.File()), part.Crc(), part.UncompressedSize(), part.LibdeflateLevel()};
    EXPECT_THROW(part.Write("x"), Exception) << "a finished part takes no more bytes";
    return result;
  }

  // An archive of one entry of `bytes` compressed ahead in `mode`.
  std::string ArchiveOfPart(const std::string& bytes, TDeflatedPart::TMode mode, std::initializer_list<size_t> sizes) {
    const fs::path zipFile = dir_ / "part.zip";
    {
      TDeflatedPart part(dir_ / "part.deflated", 9, mode);
      WriteInPieces(part, bytes, sizes);
      part.Finish();
      TMiniZip zip(zipFile);
      zip.AddDeflated("xl/worksheets/sheet1.xml", kModified, part);
      zip.Close();
    }
    EXPECT_FALSE(fs::exists(dir_ / "part.deflated")) << "the compressed file goes with its part";
    return ReadFile(zipFile);
  }

  fs::path dir_;
};

TEST_F(DeflatedPartTest, BlocksInflateToTheInputWhereverTheirBoundariesFall) {
  const size_t sizes[] = {0, 1, kBlock - 1, kBlock, kBlock + 1, 2 * kBlock, 6 * kBlock + 12345};
  std::set<int> levels;
  for (size_t size : sizes) {
    for (const int kind : {0, 1, 2}) {
      if (kind == 2 && size > 2 * kBlock) continue;
      SCOPED_TRACE(std::to_string(kind) + " (random, repetitive, sheet), " + std::to_string(size));
      const std::string input = kind == 0   ? RandomBytes(size, static_cast<unsigned>(size))
                                : kind == 1 ? RepetitiveBytes(size)
                                            : SheetLikeBytes(size / 60).substr(0, size);
      const TResult inCaller = Deflate(input, TDeflatedPart::TMode::InCaller, {1, 7, 4093, 65537, kBlock + 3});
      EXPECT_EQ(test::InflateRaw(inCaller.Compressed), input);
      EXPECT_EQ(inCaller.Crc, Crc32(input));
      EXPECT_EQ(inCaller.Size, input.size());
      // The workers give the same bytes, whatever the pieces.
      const TResult inWorker = Deflate(input, TDeflatedPart::TMode::InWorker, {kBlock - 1, 3, 100000});
      EXPECT_EQ(inWorker.Compressed, inCaller.Compressed);
      EXPECT_EQ(inWorker.Crc, inCaller.Crc);
      EXPECT_EQ(inWorker.Size, inCaller.Size);
      EXPECT_EQ(inWorker.LibdeflateLevel, inCaller.LibdeflateLevel);
      levels.insert(inCaller.LibdeflateLevel);
      // Up to one block, the part is the smaller stream of the two.
      if (size <= kBlock) {
        EXPECT_LE(inCaller.Compressed.size(), DeflateZlib9(input).size());
      }
    }
  }
  EXPECT_TRUE(levels.count(0) == 1 && levels.size() > 1) << "both zlib and libdeflate were chosen";
}

TEST_F(DeflatedPartTest, SheetRowsTakeLibdeflateAndComeOutNoLargerThanZlibsBestAsOneStream) {
  const std::string bytes = SheetLikeBytes(120000);
  ASSERT_GT(bytes.size(), 8 * kBlock);
  const TResult blocks = Deflate(bytes, TDeflatedPart::TMode::InWorker, {65536});
  EXPECT_GT(blocks.LibdeflateLevel, 0);
  EXPECT_LE(blocks.Compressed.size(), DeflateZlib9(bytes).size());
}

TEST_F(DeflatedPartTest, ArchiveTakesTheCompressedBytesAsTheEntry) {
  // Many blocks: a valid entry (CRC and sizes checked by unzip) of the bytes.
  const std::string large = SheetLikeBytes(60000);
  ASSERT_GT(large.size(), 5 * kBlock);
  const std::string archive = ArchiveOfPart(large, TDeflatedPart::TMode::InWorker, {3, 5000000, kBlock});
  EXPECT_EQ(ArchiveOfPart(large, TDeflatedPart::TMode::InCaller, {65536}), archive);
  WriteFile(dir_ / "large.zip", archive);
  EXPECT_EQ(test::RunCommand("unzip -tq " + test::ShellQuote((dir_ / "large.zip").string()) + " >/dev/null"), 0);
  EXPECT_EQ(test::ZipPart(dir_ / "large.zip", "xl/worksheets/sheet1.xml"), large);

  // The headers say what minizip says of a deflated entry at zlib's level
  // 9: deflated at maximum compression, version 2.0, no data descriptor and
  // no extra fields; text or binary as zlib would judge the bytes. Files
  // added whole are deflated the same way.
  WriteFile(dir_ / "noise.bin", RandomBytes(3000, 1));
  WriteFile(dir_ / "empty.xml", "");
  {
    TMiniZip zip(dir_ / "headers.zip");
    zip.AddFile(dir_ / "noise.bin", "noise.bin");
    zip.AddFile(dir_ / "empty.xml", "empty.xml");
    TDeflatedPart part(dir_ / "part.deflated", 9, TDeflatedPart::TMode::InWorker);
    part.Write(large);
    part.Finish();
    zip.AddDeflated("sheet.xml", kModified, part);
    zip.Close();
  }
  EXPECT_EQ(test::FolderEntries(dir_), (std::vector<std::string>{"empty.xml", "headers.zip", "large.zip", "noise.bin",
                                                                 "part.zip"}))
      << "no compressed file is left beside the archive";
  const std::string headers = (dir_ / "headers.zip").string();
  EXPECT_EQ(test::RunCommand("unzip -tq " + test::ShellQuote(headers) + " >/dev/null"), 0);
  EXPECT_EQ(test::ZipPart(dir_ / "headers.zip", "noise.bin"), RandomBytes(3000, 1));
  std::string listing;
  test::RunCommand("unzip -Zv " + test::ShellQuote(headers), &listing);
  const auto count = [&](const std::string& line) {
    size_t n = 0;
    for (size_t at = listing.find(line); at != std::string::npos; at = listing.find(line, at + 1)) ++n;
    return n;
  };
  EXPECT_EQ(count("compression method:                             deflated"), 3u) << listing;
  EXPECT_EQ(count("compression sub-type (deflation):               maximum"), 3u) << listing;
  EXPECT_EQ(count("minimum software version required to extract:   2.0"), 3u) << listing;
  EXPECT_EQ(count("extended local header:                          no"), 3u) << listing;
  EXPECT_EQ(count("length of extra field:                          0 bytes"), 3u) << listing;
  EXPECT_EQ(count("apparent file type:                             text"), 1u) << listing;
  EXPECT_EQ(count("apparent file type:                             binary"), 2u) << listing;
  EXPECT_NE(listing.find("compressed size:                                2 bytes"), std::string::npos)
      << "an empty file is the two bytes of an empty deflate stream\n"
      << listing;
}

// A head known only at the end goes in front of the finished part: its own
// blocks, ending on a byte boundary, continue into the part's stream.
TEST_F(DeflatedPartTest, AHeadPutInFrontOfAFinishedPartContinuesIntoItsStream) {
  const std::string bodies[] = {"", SheetLikeBytes(30000), RandomBytes(2 * kBlock + 77, 5), RepetitiveBytes(kBlock)};
  const std::string heads[] = {"", "<ws>", SheetLikeBytes(2000)};
  for (const std::string& body : bodies) {
    for (const std::string& head : heads) {
      SCOPED_TRACE(std::to_string(body.size()) + " bytes after a head of " + std::to_string(head.size()));
      TDeflatedPart part(dir_ / "part.deflated", 9, TDeflatedPart::TMode::InWorker);
      EXPECT_THROW(part.PrependHead(head), Exception) << "only a finished part takes a head";
      part.Write(body);
      part.Finish();
      part.PrependHead(head);
      EXPECT_THROW(part.PrependHead(head), Exception) << "a part takes one head";
      EXPECT_EQ(test::InflateRaw(part.DeflatedHead() + ReadFile(part.File())), head + body);
      EXPECT_EQ(part.Crc(), Crc32(head + body));
      EXPECT_EQ(part.UncompressedSize(), head.size() + body.size());
    }
  }
  // In an archive: a valid entry of the head and the part's bytes.
  const std::string body = SheetLikeBytes(50000);
  {
    TDeflatedPart part(dir_ / "part.deflated", 9, TDeflatedPart::TMode::InWorker);
    WriteInPieces(part, body, {4093, kBlock});
    part.Finish();
    part.PrependHead("<worksheet>");
    TMiniZip zip(dir_ / "head.zip");
    zip.AddDeflated("xl/worksheets/sheet1.xml", kModified, part);
    zip.Close();
  }
  EXPECT_EQ(test::RunCommand("unzip -tq " + test::ShellQuote((dir_ / "head.zip").string()) + " >/dev/null"), 0);
  EXPECT_EQ(test::ZipPart(dir_ / "head.zip", "xl/worksheets/sheet1.xml"), "<worksheet>" + body);
}

TEST_F(DeflatedPartTest, FailuresReachTheCallerAndADroppedPartStopsItsWorkers) {
  EXPECT_THROW(TDeflatedPart(dir_ / "no-such-folder" / "part.deflated", 9, TDeflatedPart::TMode::InWorker),
               Exception);

  // Bytes that do not compress: the workers' file write fails long before
  // the caller is done, and the caller gets the system's error.
  const std::string noise = RandomBytes(12 << 20, 3);
  const std::string tooLarge = std::strerror(EFBIG);
  const fs::path file = dir_ / "failing.deflated";
  try {
    test::FileSizeLimit limit(1 << 20);
    TDeflatedPart part(file, 9, TDeflatedPart::TMode::InWorker);
    WriteInPieces(part, noise, {65536});
    part.Finish();
    FAIL() << "a write past the file size limit reported success";
  } catch (const Exception& error) {
    EXPECT_NE(std::string(error.what()).find(tooLarge), std::string::npos) << error.what();
  }
  // A later block's write fails (met by Finish or by a write, whichever
  // comes first).
  try {
    test::FileSizeLimit limit(kBlock + 1000);
    TDeflatedPart part(file, 9, TDeflatedPart::TMode::InWorker);
    part.Write(noise.substr(0, 2 * kBlock + 300000));
    part.Finish();
    FAIL() << "a write past the file size limit reported success";
  } catch (const Exception& error) {
    EXPECT_NE(std::string(error.what()).find(tooLarge), std::string::npos) << error.what();
  }
  // And on the caller's thread.
  try {
    test::FileSizeLimit limit(1000);
    TDeflatedPart part(file, 9, TDeflatedPart::TMode::InCaller);
    WriteInPieces(part, noise, {65536});
    part.Finish();
    FAIL() << "a write past the file size limit reported success";
  } catch (const Exception& error) {
    EXPECT_NE(std::string(error.what()).find(tooLarge), std::string::npos) << error.what();
  }
  EXPECT_FALSE(fs::exists(file));
  // A part given up half-way (a stopped run), with blocks queued and being
  // compressed, stops its workers and takes its file along.
  {
    TDeflatedPart part(dir_ / "dropped.deflated", 9, TDeflatedPart::TMode::InWorker);
    WriteInPieces(part, noise, {1 << 20});
  }
  EXPECT_FALSE(fs::exists(dir_ / "dropped.deflated"));
}

}  // namespace
}  // namespace verimo
