// Pieces deflated on their own and joined into one raw deflate stream: the
// joined stream must inflate to exactly the pieces one after the other,
// through zlib and through Python's zlib module, whatever the pieces hold
// (random, repetitive, text or nothing) and at whichever bit offset a piece
// begins.
#include "formats/package/BlockDeflate.h"

#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <random>
#include <set>

#include "core/Exception.h"
#include "engine/TesselStream.h"
#include "formats/package/PackageTestSupport.h"
#include "support/TestPaths.h"

namespace verimo {
namespace {

namespace fs = std::filesystem;

enum TKind { kRandom, kRepetitive, kText, kEmpty, kKinds };

std::string Piece(TKind kind, size_t size, std::mt19937& random) {
  std::string out;
  switch (kind) {
    case kRandom:
      while (out.size() < size) out += static_cast<char>(random());
      break;
    case kRepetitive:
      while (out.size() < size) out += "<c t=\"s\"><v>17</v></c>";
      break;
    case kText:
      while (out.size() < size)
        out += "<row r=\"" + std::to_string(random() % 100000) + "\"><v>" + std::to_string(random()) + "</v></row>\r\n";
      break;
    default:
      break;
  }
  out.resize(kind == kEmpty ? 0 : size);
  return out;
}

// Mostly small pieces (many joins), some large enough to be several deflate
// blocks of their own.
size_t PieceSize(std::mt19937& random) {
  const unsigned choice = random() % 20;
  if (choice < 9) return random() % 64;
  if (choice < 18) return random() % 4096;
  return 100000 + random() % 200000;
}

std::string Bytes(const TMemoryStream& stream) { return std::string(stream.Bytes().begin(), stream.Bytes().end()); }

class BlockDeflateTest : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = test::MakeTempDir("verimo-block-deflate"); }
  void TearDown() override { fs::remove_all(dir_); }

  // Keeps a joined stream and what it must inflate to for Python's check.
  void Keep(const std::string& stream, const std::string& input) {
    const std::string name = std::to_string(kept_++);
    std::ofstream(dir_ / (name + ".deflate"), std::ios::binary) << stream;
    std::ofstream(dir_ / (name + ".input"), std::ios::binary) << input;
  }

  // Python's zlib.decompressobj(-15) over every kept stream: "ok N" when
  // each inflates to its input, ends its stream and leaves nothing over.
  std::string PythonVerdict() const {
    const char* script =
        "import pathlib, sys, zlib\n"
        "bad = []\n"
        "streams = sorted(pathlib.Path(sys.argv[1]).glob('*.deflate'))\n"
        "for f in streams:\n"
        "    d = zlib.decompressobj(-15)\n"
        "    out = d.decompress(f.read_bytes()) + d.flush()\n"
        "    if out != f.with_suffix('.input').read_bytes() or not d.eof or d.unused_data:\n"
        "        bad.append(f.name)\n"
        "print('bad ' + ' '.join(bad) if bad else 'ok %d' % len(streams))\n";
    std::string output;
    test::RunCommand("/usr/bin/python3 -c " + test::ShellQuote(script) + " " + test::ShellQuote(dir_.string()) + " 2>&1",
                     &output);
    return output;
  }

  fs::path dir_;
  int kept_ = 0;
};

// Each piece is deflated by libdeflate (levels 1, 6 or 12) or by zlib at
// level 9 with the end of the input before it as its dictionary.
TEST_F(BlockDeflateTest, JoinedPiecesInflateToTheirInputFromEveryBitOffset) {
  std::mt19937 random(38);
  // (kind, bit offset in its byte where a piece starts in a joined stream)
  std::set<std::pair<int, unsigned>> starts;
  bool severalDeflateBlocks = false;
  bool storedBlockMoved = false;
  bool zlibReachedBack = false;
  TBlockDeflater deflater;
  for (int round = 0; round < 200; ++round) {
    const size_t count = 1 + random() % 6;
    std::string input;
    TMemoryStream out;
    TDeflateJoin join(out);
    TDeflatedBlock block;
    std::string single;
    for (size_t i = 0; i < count; ++i) {
      const auto kind = static_cast<TKind>(random() % kKinds);
      const std::string piece = Piece(kind, PieceSize(random), random);
      const int method = static_cast<int>(random() % 4);
      if (method < 3) {
        deflater.DeflateLibdeflate(std::array{1, 6, 12}[static_cast<size_t>(method)], piece, block);
      } else {
        const std::string_view before = std::string_view(input).substr(input.size() - std::min<size_t>(input.size(), 32768));
        deflater.DeflateZlib(9, before, piece, block);
        zlibReachedBack |= !before.empty() && kind == kRepetitive && piece.size() > 100;
      }
      ASSERT_LE(block.EndBit, block.Size * 8);
      ASSERT_GT(block.EndBit + 8, block.Size * 8) << "only padding follows the end";
      ASSERT_LT(block.FinalFlagBit, block.EndBit);
      severalDeflateBlocks |= block.FinalFlagBit > 0;
      starts.insert({kind, join.BitOffset()});
      storedBlockMoved |= !block.StoredBlocks.empty() && join.BitOffset() != 0;
      if (count == 1) single.assign(reinterpret_cast<const char*>(block.Bytes.get()), block.Size);
      join.Append(block, i + 1 == count);
      input += piece;
    }
    ASSERT_TRUE(join.Ended());
    const std::string stream = Bytes(out);
    EXPECT_EQ(test::InflateRaw(stream), input);
    if (count == 1) {
      EXPECT_EQ(stream, single) << "a stream of one piece stays as it was made";
    }
    Keep(stream, input);
  }
  EXPECT_TRUE(severalDeflateBlocks) << "some pieces ended with the second or a later deflate block";
  EXPECT_TRUE(storedBlockMoved) << "some stored deflate blocks began at another bit offset than in their piece";
  EXPECT_TRUE(zlibReachedBack) << "some pieces deflated by zlib had a dictionary to match against";
  for (int kind = 0; kind < kKinds; ++kind)
    for (unsigned offset = 0; offset < 8; ++offset)
      EXPECT_TRUE(starts.count({kind, offset})) << "kind " << kind << " never started at bit " << offset;
  EXPECT_EQ(PythonVerdict(), "ok " + std::to_string(kept_) + "\n");
}

TEST_F(BlockDeflateTest, JoinTakesNothingAfterTheLastPieceAndLevelsAreChecked) {
  TBlockDeflater deflater;
  TDeflatedBlock block;
  deflater.DeflateLibdeflate(6, "", block);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(block.Bytes.get()), block.Size), std::string("\x03\x00", 2))
      << "nothing is one empty block of the fixed codes, as zlib writes it";
  TMemoryStream out;
  TDeflateJoin join(out);
  join.Append(block, false);
  deflater.DeflateZlib(9, "", "", block);
  join.Append(block, true);
  EXPECT_EQ(test::InflateRaw(Bytes(out)), "");
  EXPECT_THROW(join.Append(block, true), Exception);
  EXPECT_THROW(deflater.DeflateLibdeflate(13, "x", block), Exception);
  EXPECT_THROW(deflater.DeflateZlib(10, "", "x", block), Exception);
}

}  // namespace
}  // namespace verimo
