#include "platform/storage/SpillBuffer.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "support/TestPaths.h"

namespace verimo {
namespace {

namespace fs = std::filesystem;

std::string ReadBack(const TSpillBuffer& buffer, uint64_t from) {
  std::string bytes;
  buffer.ReadFrom(from, [&](const void* data, size_t size) { bytes.append(static_cast<const char*>(data), size); });
  return bytes;
}

size_t Entries(const fs::path& dir) {
  return static_cast<size_t>(std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
}

class SpillBufferTest : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = test::MakeTempDir("verimo-spill"); }
  void TearDown() override { fs::remove_all(dir_); }
  fs::path dir_;
};

TEST_F(SpillBufferTest, BytesPastTheLimitGoToAFileNobodySeesAndComeBackInOrder) {
  std::mt19937 random(3);
  std::string expected;
  {
    TSpillBuffer buffer(dir_, 10000);
    for (int i = 0; i < 400; ++i) {
      std::string piece(random() % 3000, '\0');
      for (char& byte : piece) byte = static_cast<char>(random() & 0xFF);
      buffer.Append(piece.data(), piece.size());
      expected += piece;
      if (expected.size() <= 10000) {
        EXPECT_FALSE(buffer.Spilled());
      }
    }
    EXPECT_TRUE(buffer.Spilled());
    EXPECT_EQ(buffer.Size(), expected.size());
    EXPECT_EQ(Entries(dir_), 0u);
    EXPECT_EQ(ReadBack(buffer, 0), expected);
    // From inside the file and from inside the bytes still in memory.
    EXPECT_EQ(ReadBack(buffer, 12345), expected.substr(12345));
    EXPECT_EQ(ReadBack(buffer, expected.size() - 5), expected.substr(expected.size() - 5));
    EXPECT_EQ(ReadBack(buffer, expected.size()), "");
  }
  EXPECT_EQ(Entries(dir_), 0u);
}

TEST_F(SpillBufferTest, AFolderThatCannotTakeTheFileIsNamedInTheError) {
  TSpillBuffer small(dir_ / "missing", 100);
  small.Append(std::string(100, 'x').data(), 100);
  EXPECT_EQ(ReadBack(small, 0), std::string(100, 'x'));
  try {
    small.Append("y", 1);
    FAIL() << "no error";
  } catch (const std::exception& error) {
    EXPECT_NE(std::string(error.what()).find((dir_ / "missing").string()), std::string::npos) << error.what();
  }
}

}  // namespace
}  // namespace verimo
