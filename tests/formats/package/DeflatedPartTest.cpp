// Entries compressed ahead, on the caller's thread or on a worker, against
// the entry the zip writer compresses itself: the archive bytes must be the
// same, failures of the worker must reach the caller, and a part that is
// dropped must stop its worker.
#include "formats/package/DeflatedPart.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <random>

#include "core/Exception.h"
#include "formats/package/BaseArchiveClass.h"
#include "formats/package/MiniZip.h"
#include "formats/package/PackageTestSupport.h"
#include "support/FileSizeLimit.h"
#include "support/TestPaths.h"

namespace verimo {
namespace {

namespace fs = std::filesystem;

constexpr std::time_t kModified = 1700000000;

std::string ReadFile(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const fs::path& file, const std::string& content) {
  fs::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << content;
}

// Rows of a sheet with varying numbers and words: several megabytes that
// deflate to a few hundred kilobytes, more than the worker's queue holds.
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

// The DOS times of the headers zeroed, so that archives written at other
// moments compare by everything else.
std::string WithoutTimes(std::string zip) {
  auto u16 = [&](size_t at) { return static_cast<size_t>(static_cast<uint8_t>(zip[at]) | static_cast<uint8_t>(zip[at + 1]) << 8); };
  auto u32 = [&](size_t at) { return u16(at) | u16(at + 2) << 16; };
  size_t at = 0;
  while (at + 30 <= zip.size() && u32(at) == 0x04034b50) {
    std::memset(zip.data() + at + 10, 0, 4);
    at += 30 + u16(at + 26) + u16(at + 28) + u32(at + 18);
  }
  while (at + 46 <= zip.size() && u32(at) == 0x02014b50) {
    std::memset(zip.data() + at + 12, 0, 4);
    at += 46 + u16(at + 28) + u16(at + 30) + u16(at + 32);
  }
  return zip;
}

class DeflatedPartTest : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = test::MakeTempDir("verimo-deflated"); }
  void TearDown() override { fs::remove_all(dir_); }

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

TEST_F(DeflatedPartTest, CompressedAheadOnEitherThreadGivesTheBytesOfTheStreamedEntry) {
  const std::string bytes = SheetLikeBytes(60000);
  ASSERT_GT(bytes.size(), 5u << 20) << "more than the queue holds";
  const fs::path streamed = dir_ / "streamed.zip";
  {
    TMiniZip zip(streamed);
    zip.BeginEntry("xl/worksheets/sheet1.xml", kModified, bytes.size());
    WriteInPieces(zip, bytes, {65536});
    zip.EndEntry();
    zip.Close();
  }
  const std::string expected = ReadFile(streamed);
  EXPECT_EQ(ArchiveOfPart(bytes, TDeflatedPart::TMode::InCaller, {1000, 77777}), expected);
  EXPECT_EQ(ArchiveOfPart(bytes, TDeflatedPart::TMode::InWorker, {65536}), expected);
  EXPECT_EQ(ArchiveOfPart(bytes, TDeflatedPart::TMode::InWorker, {3, 5000000, 1 << 20}), expected);
  EXPECT_EQ(ArchiveOfPart("", TDeflatedPart::TMode::InWorker, {1}), [&] {
    TMiniZip zip(dir_ / "empty.zip");
    zip.BeginEntry("xl/worksheets/sheet1.xml", kModified);
    zip.EndEntry();
    zip.Close();
    return ReadFile(dir_ / "empty.zip");
  }());
  EXPECT_EQ(test::ZipPart(streamed, "xl/worksheets/sheet1.xml"), bytes);
}

TEST_F(DeflatedPartTest, ComposedPartsCompressedAtOnceGiveTheArchiveOfOneThread) {
  const fs::path root = dir_ / "package";
  WriteFile(root / "a.xml", "<a/>");
  WriteFile(dir_ / "sheet1.body", SheetLikeBytes(40000));
  WriteFile(dir_ / "sheet2.body", SheetLikeBytes(3000));
  WriteFile(dir_ / "strings.body", SheetLikeBytes(20000));
  auto archive = [&](bool parallel, const std::string& name) {
    TBaseArchiveClass archive(root);
    archive.Parallel = parallel;
    archive.ComposedParts.push_back({"xl/worksheets/sheet1.xml", "<ws>", dir_ / "sheet1.body", "</ws>"});
    archive.ComposedParts.push_back({"xl/worksheets/sheet2.xml", "<ws>", dir_ / "sheet2.body", "</ws>"});
    archive.ComposedParts.push_back({"xl/sharedStrings.xml", "<sst>", dir_ / "strings.body", "</sst>"});
    archive.SetOutputFileName(dir_ / name);
    archive.CreateArchive();
    return ReadFile(dir_ / name);
  };
  const std::string parallel = archive(true, "parallel.zip");
  EXPECT_EQ(WithoutTimes(parallel), WithoutTimes(archive(false, "serial.zip")));
  EXPECT_EQ(test::ZipPart(dir_ / "parallel.zip", "xl/sharedStrings.xml"),
            "<sst>" + ReadFile(dir_ / "strings.body") + "</sst>");
  EXPECT_EQ(test::FolderEntries(dir_),
            (std::vector<std::string>{"package", "parallel.zip", "serial.zip", "sheet1.body", "sheet2.body",
                                      "strings.body"}))
      << "the compressed copies go when the archive is written";

  // A body that cannot be read fails the archive, whichever thread met it.
  fs::remove(dir_ / "sheet2.body");
  EXPECT_THROW(archive(true, "broken.zip"), Exception);
  EXPECT_FALSE(fs::exists(dir_ / "broken.zip"));
}

TEST_F(DeflatedPartTest, FailedWriteOfTheWorkerReachesTheCallerAndADroppedPartStopsIt) {
  // Bytes that do not compress: the worker's file write fails long
  // before the caller is done, and the caller gets the system's error.
  std::mt19937 random(3);
  std::string noise(12 << 20, '\0');
  for (char& ch : noise) ch = static_cast<char>(random());
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
  // Only at the end (everything fits into the queue).
  try {
    test::FileSizeLimit limit(1000);
    TDeflatedPart part(file, 9, TDeflatedPart::TMode::InWorker);
    part.Write(noise.substr(0, 300000));
    part.Finish();
    FAIL() << "a write past the file size limit reported success";
  } catch (const Exception& error) {
    EXPECT_NE(std::string(error.what()).find(tooLarge), std::string::npos) << error.what();
  }
  EXPECT_FALSE(fs::exists(file));
  // A part given up half-way (a stopped run) stops its worker and takes its
  // file along.
  {
    TDeflatedPart part(dir_ / "dropped.deflated", 9, TDeflatedPart::TMode::InWorker);
    WriteInPieces(part, noise, {1 << 20});
  }
  EXPECT_FALSE(fs::exists(dir_ / "dropped.deflated"));
}

}  // namespace
}  // namespace verimo
