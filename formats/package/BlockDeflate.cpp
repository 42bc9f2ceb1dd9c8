#include "formats/package/BlockDeflate.h"

#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "core/Exception.h"
#include "engine/TesselStream.h"

namespace verimo {
namespace {

constexpr size_t kScratchSize = 64 * 1024;

[[noreturn]] void RaiseBroken(const std::string& what) {
  throw Exception("A deflated block is broken: " + what);
}

bool Bit(const uint8_t* bytes, uint64_t at) { return ((bytes[at / 8] >> (at % 8)) & 1) != 0; }

// The type bits follow the final flag: 00 is a stored block.
bool IsStoredBlock(const uint8_t* bytes, uint64_t header) { return !Bit(bytes, header + 1) && !Bit(bytes, header + 2); }

// A stored block's bytes: from the byte boundary after its 3 header bits,
// the length, its complement and the data.
size_t StoredStart(uint64_t header) { return static_cast<size_t>((header + 3 + 7) / 8); }
size_t StoredEnd(const uint8_t* bytes, uint64_t header) {
  const size_t start = StoredStart(header);
  return start + 4 + (bytes[start] | static_cast<size_t>(bytes[start + 1]) << 8);
}

}  // namespace

void TDeflatedBlock::Reserve(size_t size) {
  if (size <= Capacity) return;
  Bytes = std::make_unique_for_overwrite<uint8_t[]>(size);
  Capacity = size;
  Size = 0;
}

TBlockDeflater::TBlockDeflater()
    : compressors_(13, nullptr), inflater_(std::make_unique<z_stream>()), scratch_(kScratchSize) {
  if (inflateInit2(inflater_.get(), -MAX_WBITS) != Z_OK) throw Exception("The checking decompressor cannot be set up");
}

TBlockDeflater::~TBlockDeflater() {
  inflateEnd(inflater_.get());
  if (deflater_) deflateEnd(deflater_.get());
  for (libdeflate_compressor* compressor : compressors_) libdeflate_free_compressor(compressor);
}

// Nothing is deflated as one empty final block of the fixed codes (2
// bytes), as zlib does, where libdeflate writes an empty stored block (5).
void TBlockDeflater::DeflateLibdeflate(int level, std::string_view input, TDeflatedBlock& block) {
  if (level < 1 || level >= static_cast<int>(compressors_.size()))
    throw Exception("libdeflate has no level " + std::to_string(level));
  libdeflate_compressor*& compressor = compressors_[static_cast<size_t>(level)];
  if (compressor == nullptr) compressor = libdeflate_alloc_compressor(level);
  if (compressor == nullptr) throw Exception("The compressor of level " + std::to_string(level) + " cannot be set up");
  block.Reserve(libdeflate_deflate_compress_bound(compressor, input.size()));
  if (input.empty()) {
    block.Bytes[0] = 0x03;
    block.Bytes[1] = 0x00;
    block.Size = 2;
  } else {
    block.Size = libdeflate_deflate_compress(compressor, input.data(), input.size(), block.Bytes.get(), block.Capacity);
    if (block.Size == 0) RaiseBroken("the compressor's output does not fit its bound");
  }
  Locate({}, input, block);
}

z_stream& TBlockDeflater::ZlibDeflater(int level) {
  if (deflater_ && deflaterLevel_ == level) return *deflater_;
  if (deflater_) deflateEnd(deflater_.get());
  deflater_ = std::make_unique<z_stream>();
  if (deflateInit2(deflater_.get(), level, Z_DEFLATED, -MAX_WBITS, kZlibMemoryLevel, Z_DEFAULT_STRATEGY) != Z_OK) {
    deflater_.reset();
    throw Exception("zlib's compressor of level " + std::to_string(level) + " cannot be set up");
  }
  deflaterLevel_ = level;
  return *deflater_;
}

void TBlockDeflater::DeflateZlib(int level, std::string_view dictionary, std::string_view input,
                                 TDeflatedBlock& block) {
  z_stream& stream = ZlibDeflater(level);
  const auto check = [](int result) {
    if (result != Z_OK) RaiseBroken("zlib error " + std::to_string(result));
  };
  check(deflateReset(&stream));
  if (!dictionary.empty())
    check(deflateSetDictionary(&stream, reinterpret_cast<const Bytef*>(dictionary.data()),
                               static_cast<uInt>(dictionary.size())));
  block.Reserve(deflateBound(&stream, static_cast<uLong>(input.size())));
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(input.data()));
  stream.avail_in = static_cast<uInt>(input.size());
  stream.next_out = block.Bytes.get();
  stream.avail_out = static_cast<uInt>(block.Capacity);
  if (deflate(&stream, Z_FINISH) != Z_STREAM_END) RaiseBroken("the compressor's output does not fit its bound");
  block.Size = block.Capacity - stream.avail_out;
  Locate(dictionary, input, block);
}

// With Z_BLOCK, inflate returns after each deflate block's end-of-block
// code; data_type then holds the bits left unused in the last byte taken
// (& 7), whether the block just ended was the final one (64) and that a
// block boundary was reached (128). The next block's header, and so its
// final flag and its type, starts at that bit.
void TBlockDeflater::Locate(std::string_view dictionary, std::string_view input, TDeflatedBlock& block) {
  z_stream& stream = *inflater_;
  if (inflateReset(&stream) != Z_OK) RaiseBroken("the checking decompressor cannot be reset");
  if (!dictionary.empty() && inflateSetDictionary(&stream, reinterpret_cast<const Bytef*>(dictionary.data()),
                                                  static_cast<uInt>(dictionary.size())) != Z_OK)
    RaiseBroken("the checking decompressor takes no dictionary");
  stream.next_in = block.Bytes.get();
  stream.avail_in = static_cast<uInt>(block.Size);
  size_t checked = 0;
  uint64_t blockStart = 0;
  block.StoredBlocks.clear();
  if (IsStoredBlock(block.Bytes.get(), 0)) block.StoredBlocks.push_back(0);
  for (;;) {
    stream.next_out = scratch_.data();
    stream.avail_out = static_cast<uInt>(scratch_.size());
    const int result = inflate(&stream, Z_BLOCK);
    const size_t produced = scratch_.size() - stream.avail_out;
    if (produced > input.size() - checked || std::memcmp(scratch_.data(), input.data() + checked, produced) != 0)
      RaiseBroken("it does not inflate to its input");
    checked += produced;
    if (result != Z_OK) RaiseBroken("zlib error " + std::to_string(result));
    if ((stream.data_type & 128) == 0) continue;
    const uint64_t at = static_cast<uint64_t>(stream.next_in - block.Bytes.get()) * 8 - (stream.data_type & 7);
    if ((stream.data_type & 64) != 0) {
      block.FinalFlagBit = blockStart;
      block.EndBit = at;
      break;
    }
    blockStart = at;
    if (IsStoredBlock(block.Bytes.get(), at)) block.StoredBlocks.push_back(at);
  }
  if (checked != input.size()) RaiseBroken("it inflates to less than its input");
  if (block.Size * 8 - block.EndBit >= 8) RaiseBroken("bytes follow its end");
}

// Bits are copied with their offset changed, except the bytes of stored
// deflate blocks: their header is followed by padding to the next byte of
// the joined stream, then the bytes as they are.
void TDeflateJoin::Append(TDeflatedBlock& block, bool last) {
  if (ended_) throw Exception("A deflate stream takes nothing after its last block");
  const uint8_t* bytes = block.Bytes.get();
  if (!last) block.Bytes[block.FinalFlagBit / 8] &= static_cast<uint8_t>(~(1u << (block.FinalFlagBit % 8)));
  uint64_t at = 0;
  for (const uint64_t header : block.StoredBlocks) {
    WriteBits(bytes + at / 8, header + 3 - at);
    PadToByte();
    const size_t end = StoredEnd(bytes, header);
    out_.Write(bytes + StoredStart(header), end - StoredStart(header));
    at = uint64_t{end} * 8;
  }
  WriteBits(bytes + at / 8, block.EndBit - at);
  if (last) {
    PadToByte();
    ended_ = true;
  }
}

void TDeflateJoin::PadToByte() {
  if (pendingBits_ == 0) return;
  const auto byte = static_cast<uint8_t>(pending_);
  out_.Write(&byte, 1);
  pending_ = 0;
  pendingBits_ = 0;
}

// Appends the first `bitCount` bits of `bytes` after the pending ones.
void TDeflateJoin::WriteBits(const uint8_t* bytes, uint64_t bitCount) {
  const auto whole = static_cast<size_t>(bitCount / 8);
  const auto rest = static_cast<unsigned>(bitCount % 8);
  shifted_.resize(whole + 1);
  uint8_t* out = shifted_.data();
  if (pendingBits_ == 0) {
    std::memcpy(out, bytes, whole);
  } else {
    const unsigned back = 8 - pendingBits_;
    uint32_t carry = pending_;
    for (size_t i = 0; i < whole; ++i) {
      out[i] = static_cast<uint8_t>(carry | static_cast<uint32_t>(bytes[i]) << pendingBits_);
      carry = static_cast<uint32_t>(bytes[i]) >> back;
    }
    pending_ = carry;
  }
  size_t count = whole;
  if (rest > 0) {
    pending_ |= (static_cast<uint32_t>(bytes[whole]) & ((1u << rest) - 1)) << pendingBits_;
    pendingBits_ += rest;
    if (pendingBits_ >= 8) {
      out[count++] = static_cast<uint8_t>(pending_);
      pending_ >>= 8;
      pendingBits_ -= 8;
    }
  }
  out_.Write(out, count);
}

}  // namespace verimo
