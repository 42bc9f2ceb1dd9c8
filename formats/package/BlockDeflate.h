#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "core/NonCopyable.h"

struct libdeflate_compressor;
struct z_stream_s;

namespace verimo {

class TStream;

// zlib's memory level for every stream deflated here: the largest buffer of
// symbols (fewer, better fitted deflate blocks), a little smaller output
// than the default level 8 at about the same cost.
inline constexpr int kZlibMemoryLevel = 9;

// One piece of input deflated on its own: a complete raw deflate stream
// (its last deflate block marked final and padded to a byte), with the two
// bit positions a join needs. Bits are counted from the first byte's least
// significant bit, as deflate packs them.
struct TDeflatedBlock {
  std::unique_ptr<uint8_t[]> Bytes;
  size_t Capacity = 0;
  size_t Size = 0;
  // The final flag of the stream's last deflate block.
  uint64_t FinalFlagBit = 0;
  // Just past the last block's end-of-block code (the padding follows).
  uint64_t EndBit = 0;
  // The headers of the stored deflate blocks, whose bytes start at the byte
  // boundary after their header: moved to another bit offset, their
  // padding changes.
  std::vector<uint64_t> StoredBlocks;

  void Reserve(size_t size);
};

// Deflates pieces of input, each into a complete stream of its own: by
// libdeflate, or by zlib with the input just before the piece as its
// dictionary (its matches may reach back into that input once the piece is
// joined after it). The positions a join needs are found by inflating the
// stream again with zlib, which stops at every block boundary; the inflated
// bytes are checked against the input on the way. One per thread; each
// compressor is set up when first used.
class TBlockDeflater : private TNonCopyable {
 public:
  TBlockDeflater();
  ~TBlockDeflater();

  // libdeflate's `level`: 1 to 12.
  void DeflateLibdeflate(int level, std::string_view input, TDeflatedBlock& block);
  // zlib's `level` (1 to 9; window bits -15, kZlibMemoryLevel, default
  // strategy); `dictionary`: up to 32 KB.
  void DeflateZlib(int level, std::string_view dictionary, std::string_view input, TDeflatedBlock& block);

 private:
  z_stream_s& ZlibDeflater(int level);
  // Raises verimo::Exception when the stream does not inflate to `input`.
  void Locate(std::string_view dictionary, std::string_view input, TDeflatedBlock& block);

  std::vector<libdeflate_compressor*> compressors_;
  std::unique_ptr<z_stream_s> deflater_;
  int deflaterLevel_ = 0;
  std::unique_ptr<z_stream_s> inflater_;
  std::vector<uint8_t> scratch_;
};

// Joins deflated blocks, in order, into one raw deflate stream written to
// `out`: every block but the last loses its final flag, and each block's
// bits continue right after the end-of-block code of the one before (a
// stored deflate block's padding adjusted to where its header lands).
class TDeflateJoin {
 public:
  explicit TDeflateJoin(TStream& out) : out_(out) {}

  // Clears the final flag in `block` unless it is the last one; after the
  // last block the stream's final byte is written and nothing more may be
  // appended.
  void Append(TDeflatedBlock& block, bool last);
  bool Ended() const { return ended_; }
  // Where the next block begins within its byte (0 to 7).
  unsigned BitOffset() const { return pendingBits_; }

 private:
  void WriteBits(const uint8_t* bytes, uint64_t bitCount);
  void PadToByte();

  TStream& out_;
  // The bits of a byte begun and not yet written (fewer than 8).
  uint32_t pending_ = 0;
  unsigned pendingBits_ = 0;
  bool ended_ = false;
  std::vector<uint8_t> shifted_;
};

}  // namespace verimo
