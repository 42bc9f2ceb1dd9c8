#include "formats/text/TesselHTMLRowBytes.h"

#include <cstring>

namespace verimo::html {

namespace {

constexpr char kLineBreak[] = "<br>";
constexpr size_t kLineBreakLength = 4;
// The longest page text of one byte or character ("&#160;", "&quot;").
constexpr size_t kLongestEscape = 6;
// Entries are copied eight bytes at a time.
constexpr size_t kEntrySize = 8;

struct TAsciiEscapes {
  std::array<std::array<char, kEntrySize>, 128> bytes{};
  std::array<uint8_t, 128> length{};
};

// The cell rule of AppendEscaped (tags interpreted) for each ASCII
// character; CR has length 0, as it depends on what follows.
constexpr TAsciiEscapes MakeAsciiEscapes() {
  TAsciiEscapes table;
  auto set = [&table](char ch, std::string_view text) {
    auto& entry = table.bytes[static_cast<size_t>(ch)];
    for (size_t i = 0; i < text.size(); ++i) entry[i] = text[i];
    table.length[static_cast<size_t>(ch)] = static_cast<uint8_t>(text.size());
  };
  for (size_t ch = 1; ch < 128; ++ch) {
    table.bytes[ch][0] = static_cast<char>(ch);
    table.length[ch] = 1;
  }
  set(' ', "&#160;");
  set('&', "&amp;");
  set('>', "&gt;");
  set('<', "&lt;");
  set('"', "&quot;");
  set('\n', kLineBreak);
  table.length['\r'] = 0;
  // NUL is a character of its own in a text; stored texts end before it.
  table.length[0] = 1;
  return table;
}

constexpr TAsciiEscapes kAsciiEscapes = MakeAsciiEscapes();

}  // namespace

void TByteRow::Append(std::string_view piece) {
  std::memcpy(Reserve(piece.size()), piece.data(), piece.size());
  used_ += piece.size();
}

void TByteRow::Grow(size_t size) {
  size_t capacity = bytes_.size() < 256 ? 256 : bytes_.size();
  while (capacity < size) capacity *= 2;
  bytes_.resize(capacity);
}

bool AppendEscapedAscii(WideStringView text, TByteRow& out) {
  const size_t n = text.size();
  char* const start = out.Reserve(n * kLongestEscape + kEntrySize);
  char* target = start;
  for (size_t i = 0; i < n; ++i) {
    const char16_t ch = text[i];
    if (ch >= 0x80) return false;
    const uint8_t length = kAsciiEscapes.length[ch];
    if (length == 0) {
      std::memcpy(target, kLineBreak, kLineBreakLength);
      target += kLineBreakLength;
      if (i + 1 < n && text[i + 1] == u'\n') ++i;
      continue;
    }
    std::memcpy(target, kAsciiEscapes.bytes[ch].data(), kEntrySize);
    target += length;
  }
  out.Commit(target);
  return true;
}

void TStoredTextEscaper::Build(const TTranscodeByte& transcode, bool lostMarksLoss) {
  for (size_t byte = 0; byte < 128; ++byte) {
    bytes_[byte] = kAsciiEscapes.bytes[byte];
    length_[byte] = kAsciiEscapes.length[byte];
  }
  std::string encoded;
  for (size_t byte = 128; byte < 256; ++byte) {
    encoded.clear();
    bytes_[byte] = {};
    length_[byte] = 0;
    if (!transcode(static_cast<uint8_t>(byte), encoded)) continue;
    if (encoded.empty() || encoded.size() > kLongestEscape) continue;
    if (lostMarksLoss && encoded == "?") continue;
    std::memcpy(bytes_[byte].data(), encoded.data(), encoded.size());
    length_[byte] = static_cast<uint8_t>(encoded.size());
  }
}

bool TStoredTextEscaper::Append(std::string_view stored, TByteRow& out) const {
  // No entry is longer than an escape; the last one copied may reach a
  // little further.
  char* target = out.Reserve(stored.size() * kLongestEscape + kEntrySize);
  const auto* p = reinterpret_cast<const uint8_t*>(stored.data());
  const auto* const end = p + stored.size();
  while (p < end) {
    const uint8_t byte = *p++;
    const uint8_t length = length_[byte];
    if (length == 0) {
      if (byte != '\r') return false;
      std::memcpy(target, kLineBreak, kLineBreakLength);
      target += kLineBreakLength;
      if (p < end && *p == '\n') ++p;
      continue;
    }
    std::memcpy(target, bytes_[byte].data(), kEntrySize);
    target += length;
  }
  out.Commit(target);
  return true;
}

}  // namespace verimo::html
