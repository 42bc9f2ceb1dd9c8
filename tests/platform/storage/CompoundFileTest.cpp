#include "platform/storage/CompoundFile.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <random>

#include "support/TestPaths.h"

namespace verimo {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string RandomBytes(size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::string bytes(size, '\0');
  for (char& byte : bytes) byte = static_cast<char>(random() & 0xFF);
  return bytes;
}

class CompoundFileTest : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = test::MakeTempDir("verimo-cfb"); }
  void TearDown() override { fs::remove_all(dir_); }

  // The stream as olefile reads it back.
  std::string ReadBack(const fs::path& file) {
    const fs::path out = dir_ / "stream.bin";
    const std::string script = (test::SourceDir() / "tests/platform/storage/read_stream.py").string();
    std::string output;
    const int status = test::RunCommand("/usr/bin/python3 " + test::ShellQuote(script) + " " +
                                            test::ShellQuote(file.string()) + " Workbook " +
                                            test::ShellQuote(out.string()) + " 2>&1",
                                        &output);
    EXPECT_EQ(status, 0) << output;
    return ReadAll(out);
  }

  // Writes head + body through the writer, the body in uneven pieces.
  fs::path WriteFile(const std::string& name, const std::string& head, const std::string& body) {
    const fs::path file = dir_ / name;
    TCompoundFileWriter writer(file, u"Workbook");
    for (size_t at = 0; at < body.size();) {
      const size_t piece = std::min<size_t>(body.size() - at, 1 + (at * 7919) % 9000);
      writer.Write(body.data() + at, piece);
      at += piece;
    }
    writer.Finish(head);
    return file;
  }

  fs::path dir_;
};

TEST_F(CompoundFileTest, HeadAndBodyReadBackAsOneStream) {
  const std::string head = RandomBytes(1024, 1);
  const std::string body = RandomBytes(100000, 2);
  const fs::path file = WriteFile("plain.cfb", head, body);
  EXPECT_EQ(ReadBack(file), head + body);
  EXPECT_EQ(fs::file_size(file) % 512, 0u);
}

TEST_F(CompoundFileTest, SmallStreamIsPaddedToTheMiniStreamCutoff) {
  const std::string head = "tiny head";
  const fs::path file = WriteFile("small.cfb", head, "");
  std::string expected = head;
  expected.resize(4096, '\0');
  EXPECT_EQ(ReadBack(file), expected);
}

TEST_F(CompoundFileTest, LargeStreamNeedsDifatSectorsAndStaysReadable) {
  // More than 109 FAT sectors (109 × 128 × 512 bytes ≈ 6.8 MiB).
  const std::string head = RandomBytes(512, 3);
  const std::string body = RandomBytes(9 * 1024 * 1024 + 77, 4);
  const TCompoundFileLayout layout = TCompoundFileLayout::For(head.size(), body.size());
  EXPECT_GT(layout.difatSectors, 0u);
  EXPECT_GE(layout.fatSectors * 128u, layout.TotalSectors());
  const fs::path file = WriteFile("large.cfb", head, body);
  EXPECT_EQ(ReadBack(file), head + body);
}

TEST_F(CompoundFileTest, PatchesReachBytesInTheFileAndInTheBuffer) {
  const std::string head(512, 'h');
  std::string body = RandomBytes(200000, 5);
  const fs::path file = dir_ / "patched.cfb";
  {
    TCompoundFileWriter writer(file, u"Workbook");
    writer.Write(body.data(), body.size());
    // One patch far back (already in the file), one straddling, one recent.
    for (uint64_t at : {10ull, 65530ull, 199990ull}) {
      writer.Patch(at, "PATCHED!", 8);
      body.replace(at, 8, "PATCHED!");
    }
    EXPECT_THROW(writer.Patch(199995, "PATCHED!", 8), std::exception);
    writer.Finish(head);
  }
  EXPECT_EQ(ReadBack(file), head + body);
}

TEST_F(CompoundFileTest, AHeadWrittenInPiecesAfterTheBodyReadsBackInFrontOfIt) {
  const std::string head = RandomBytes(300 * 512, 8);
  const std::string body = RandomBytes(70001, 9);
  const fs::path file = dir_ / "pieces.cfb";
  {
    TCompoundFileWriter writer(file, u"Workbook");
    writer.Write(body.data(), body.size());
    for (size_t at = 0; at < head.size();) {
      const size_t piece = std::min<size_t>(head.size() - at, 1 + (at * 7919) % 90000);
      writer.WriteHead(head.data() + at, piece);
      at += piece;
    }
    EXPECT_EQ(writer.HeadSize(), head.size());
    // The body is closed once the head started.
    EXPECT_THROW(writer.Write("x", 1), std::exception);
    EXPECT_THROW(writer.Patch(0, "x", 1), std::exception);
    writer.Finish();
  }
  EXPECT_EQ(ReadBack(file), head + body);
}

TEST_F(CompoundFileTest, OutputIsDeterministic) {
  const std::string head = RandomBytes(512, 6);
  const std::string body = RandomBytes(5000, 7);
  EXPECT_EQ(ReadAll(WriteFile("a.cfb", head, body)), ReadAll(WriteFile("b.cfb", head, body)));
}

TEST_F(CompoundFileTest, UnwritableTargetAndMisalignedHeadAreErrors) {
  EXPECT_THROW(TCompoundFileWriter(dir_ / "missing" / "x.cfb", u"Workbook"), std::exception);
  TCompoundFileWriter writer(dir_ / "misaligned.cfb", u"Workbook");
  writer.Write("body", 4);
  EXPECT_THROW(writer.Finish("odd"), std::exception);
}

}  // namespace
}  // namespace verimo
