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

// Writes the compressed form after `out`'s bytes, in one pass; false
// (with `out` as it was) when the text cannot take it or it is not shorter
// than UTF-16. A character whose low byte is zero would read as a mode
// switch.
bool AppendCompressed(WideStringView text, ByteVector& out) {
  if (text.empty() || text.size() > kMaxCompressibleLength) return false;
  const size_t start = out.size();
  const size_t utf16Size = 2 * text.size();
  // Room for any form shorter than UTF-16 and for the character being
  // written when the form reaches that size.
  out.resize(start + utf16Size + 4);
  uint8_t* const base = out.data() + start;
  uint8_t* p = base;
  *p++ = 0xff;
  *p++ = 0xfe;
  bool oneByteMode = true;
  for (char16_t ch : text) {
    const auto low = static_cast<uint8_t>(ch);
    const auto high = static_cast<uint8_t>(ch >> 8);
    if (low == 0 || static_cast<size_t>(p - base) >= utf16Size) {
      out.resize(start);
      return false;
    }
    if ((high == 0) != oneByteMode) {
      *p++ = 0x00;
      oneByteMode = !oneByteMode;
    }
    *p++ = low;
    if (!oneByteMode) *p++ = high;
  }
  const auto size = static_cast<size_t>(p - base);
  out.resize(size < utf16Size ? start + size : start);
  return size < utf16Size;
}

}  // namespace

void AppendText(WideStringView text, bool compress, ByteVector& out) {
  if (!compress || !AppendCompressed(text, out)) AppendUtf16(text, out);
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
