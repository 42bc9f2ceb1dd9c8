#include "platform/jet/TextCodec.h"

namespace verimo::jet {
namespace {

ByteVector EncodeUtf16(WideStringView text) {
  ByteVector out;
  out.reserve(text.size() * 2);
  for (char16_t ch : text) AppendU16(out, ch);
  return out;
}

bool IsOneByte(char16_t ch) { return (ch >> 8) == 0; }

// A character whose low byte is zero would read as a mode switch.
bool CanCompress(WideStringView text) {
  if (text.empty() || text.size() > kMaxCompressibleLength) return false;
  for (char16_t ch : text)
    if ((ch & 0xff) == 0) return false;
  return true;
}

ByteVector EncodeCompressed(WideStringView text) {
  ByteVector out = {0xff, 0xfe};
  bool oneByteMode = true;
  for (char16_t ch : text) {
    if (IsOneByte(ch) != oneByteMode) {
      out.push_back(0x00);
      oneByteMode = !oneByteMode;
    }
    if (oneByteMode) {
      out.push_back(static_cast<uint8_t>(ch));
    } else {
      AppendU16(out, ch);
    }
  }
  return out;
}

}  // namespace

ByteVector EncodeText(WideStringView text, bool compress) {
  if (compress && CanCompress(text)) {
    ByteVector compressed = EncodeCompressed(text);
    if (compressed.size() < text.size() * 2) return compressed;
  }
  return EncodeUtf16(text);
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
