#include "formats/text/TesselHTMLRowBytes.h"

#include <bit>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace verimo::html {

namespace {

constexpr char kLineBreak[] = "<br>";
constexpr size_t kLineBreakLength = 4;
// The longest page text of one byte or character ("&#160;", "&quot;").
constexpr size_t kLongestEscape = 6;
// Entries are stored eight bytes at a time.
constexpr size_t kEntrySize = 8;
constexpr int kLengthShift = 56;

// A table entry: up to seven page bytes in the order they are written, and
// their count in the highest byte.
constexpr uint64_t PackEntry(std::string_view bytes) {
  uint64_t entry = static_cast<uint64_t>(bytes.size()) << kLengthShift;
  for (size_t i = 0; i < bytes.size(); ++i) entry |= static_cast<uint64_t>(static_cast<uint8_t>(bytes[i])) << (8 * i);
  return entry;
}

// The bytes of an entry as they lie in memory.
inline void StoreEntry(char* target, uint64_t entry) {
  if constexpr (std::endian::native == std::endian::big) entry = __builtin_bswap64(entry);
  std::memcpy(target, &entry, sizeof entry);
}

// The cell rule of AppendEscaped (tags interpreted) for each ASCII
// character; CR has no entry, as it depends on what follows, nor have the
// control characters a page cannot hold (AppendEscaped leaves them out).
constexpr std::array<uint64_t, 128> MakeAsciiEntries() {
  std::array<uint64_t, 128> entries{};
  for (size_t ch = 0; ch < 128; ++ch) entries[ch] = ch < 0x20 && ch != '\t' ? 0 : uint64_t{1} << kLengthShift | ch;
  entries[' '] = PackEntry("&#160;");
  entries['&'] = PackEntry("&amp;");
  entries['>'] = PackEntry("&gt;");
  entries['<'] = PackEntry("&lt;");
  entries['"'] = PackEntry("&quot;");
  entries['\n'] = PackEntry(kLineBreak);
  entries['\r'] = 0;
  return entries;
}

constexpr std::array<uint64_t, 128> kAsciiEntries = MakeAsciiEntries();

#ifdef __SSE2__
// Eight ASCII characters that the cell rule leaves as they are, written as
// eight bytes; false when any is not.
inline bool StorePlainAscii8(const char16_t* text, char* target) {
  const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text));
  const __m128i biased = _mm_xor_si128(units, _mm_set1_epi16(static_cast<short>(0x8000)));
  // Above ASCII, or a control character (TAB among them, to keep it short).
  __m128i marks = _mm_or_si128(_mm_cmpgt_epi16(biased, _mm_set1_epi16(static_cast<short>(0x807F))),
                               _mm_cmplt_epi16(biased, _mm_set1_epi16(static_cast<short>(0x8020))));
  for (const char16_t ch : {u' ', u'&', u'>', u'<', u'"', u'\r', u'\n'})
    marks = _mm_or_si128(marks, _mm_cmpeq_epi16(units, _mm_set1_epi16(static_cast<short>(ch))));
  if (_mm_movemask_epi8(marks) != 0) return false;
  _mm_storel_epi64(reinterpret_cast<__m128i*>(target), _mm_packus_epi16(units, units));
  return true;
}
#endif

}  // namespace

bool TRowPiece::Assign(std::string_view bytes) {
  if (bytes.size() > kCapacity) return false;
  bytes_.fill(0);
  std::memcpy(bytes_.data(), bytes.data(), bytes.size());
  size_ = bytes.size();
  return true;
}

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
  char* target = out.Reserve(n * kLongestEscape + kEntrySize);
  size_t i = 0;
#ifdef __SSE2__
  for (; n - i >= 8 && StorePlainAscii8(text.data() + i, target); i += 8) target += 8;
#endif
  for (; i < n; ++i) {
    const char16_t ch = text[i];
    if (ch >= 0x80) return false;
    const uint64_t entry = kAsciiEntries[ch];
    StoreEntry(target, entry);
    const size_t length = entry >> kLengthShift;
    if (length == 0) {
      if (ch != u'\r') return false;
      std::memcpy(target, kLineBreak, kLineBreakLength);
      target += kLineBreakLength;
      if (i + 1 < n && text[i + 1] == u'\n') ++i;
      continue;
    }
    target += length;
  }
  out.Commit(target);
  return true;
}

void TStoredTextEscaper::Build(const TTranscodeByte& transcode, bool lostMarksLoss) {
  for (size_t byte = 0; byte < 128; ++byte) entries_[byte] = kAsciiEntries[byte];
  std::string encoded;
  for (size_t byte = 128; byte < 256; ++byte) {
    encoded.clear();
    entries_[byte] = 0;
    if (!transcode(static_cast<uint8_t>(byte), encoded)) continue;
    if (encoded.empty() || encoded.size() > kLongestEscape) continue;
    if (lostMarksLoss && encoded == "?") continue;
    entries_[byte] = PackEntry(encoded);
  }
}

bool TStoredTextEscaper::Append(std::string_view stored, TByteRow& out) const {
  // No entry is longer than an escape; the eight bytes stored per entry may
  // reach a little further.
  char* target = out.Reserve(stored.size() * kLongestEscape + kEntrySize);
  const auto* const bytes = reinterpret_cast<const uint8_t*>(stored.data());
  const size_t n = stored.size();
  for (size_t i = 0; i < n; ++i) {
    const uint64_t entry = entries_[bytes[i]];
    StoreEntry(target, entry);
    const size_t length = entry >> kLengthShift;
    target += length;
    if (length != 0) continue;
    if (bytes[i] != '\r') return false;
    std::memcpy(target, kLineBreak, kLineBreakLength);
    target += kLineBreakLength;
    if (i + 1 < n && bytes[i + 1] == '\n') ++i;
  }
  out.Commit(target);
  return true;
}

}  // namespace verimo::html
