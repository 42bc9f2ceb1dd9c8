#include "platform/jet/TextCodec.h"

namespace verimo::jet {
namespace {

void AppendUtf16(WideStringView text, ByteVector& out) {
  const size_t start = out.size();
  out.resize(start + 2 * text.size());
  uint8_t* p = out.data() + start;
  for (char16_t ch : text) {
    *p++ = static_cast<uint8_t>(ch);
    *p++ = static_cast<uint8_t>(ch >> 8);
  }
}

bool IsOneByte(char16_t ch) { return (ch >> 8) == 0; }

// The size of the compressed form, or 0 when the text cannot take it: a
// character whose low byte is zero would read as a mode switch.
size_t CompressedSize(WideStringView text) {
  if (text.empty() || text.size() > kMaxCompressibleLength) return 0;
  size_t size = 2;
  bool oneByteMode = true;
  for (char16_t ch : text) {
    if ((ch & 0xff) == 0) return 0;
    const bool oneByte = IsOneByte(ch);
    if (oneByte != oneByteMode) {
      ++size;
      oneByteMode = oneByte;
    }
    size += oneByte ? 1 : 2;
  }
  return size;
}

void AppendCompressed(WideStringView text, size_t size, ByteVector& out) {
  const size_t start = out.size();
  out.resize(start + size);
  uint8_t* p = out.data() + start;
  *p++ = 0xff;
  *p++ = 0xfe;
  bool oneByteMode = true;
  for (char16_t ch : text) {
    if (IsOneByte(ch) != oneByteMode) {
      *p++ = 0x00;
      oneByteMode = !oneByteMode;
    }
    *p++ = static_cast<uint8_t>(ch);
    if (!oneByteMode) *p++ = static_cast<uint8_t>(ch >> 8);
  }
}

}  // namespace

void AppendText(WideStringView text, bool compress, ByteVector& out) {
  const size_t compressed = compress ? CompressedSize(text) : 0;
  if (compressed > 0 && compressed < text.size() * 2)
    AppendCompressed(text, compressed, out);
  else
    AppendUtf16(text, out);
}

ByteVector EncodeText(WideStringView text, bool compress) {
  ByteVector out;
  AppendText(text, compress, out);
  return out;
}

WideString DecodeText(std::span<const uint8_t> bytes) {
  WideString text;
  if (bytes.size() >= 2 && bytes[0] == 0xff && bytes[1] == 0xfe) {
    bool oneByteMode = true;
    for (size_t i = 2; i < bytes.size();) {
      if (bytes[i] == 0x00) {
        oneByteMode = !oneByteMode;
        ++i;
      } else if (oneByteMode) {
        text.push_back(bytes[i++]);
      } else if (i + 1 < bytes.size()) {
        text.push_back(static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8)));
        i += 2;
      } else {
        break;
      }
    }
    return text;
  }
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) text.push_back(static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8)));
  return text;
}

}  // namespace verimo::jet
