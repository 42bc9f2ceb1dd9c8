#include "formats/pdf/TrueTypeSubset.h"

#include <algorithm>
#include <array>

#include "core/Exception.h"

namespace verimo {

namespace {

[[noreturn]] void Malformed() { throw Exception("The font file is damaged or not a TrueType font"); }

uint32_t Get(std::string_view data, size_t at, int size) {
  if (at + static_cast<size_t>(size) > data.size()) Malformed();
  uint32_t value = 0;
  for (int i = 0; i < size; ++i) value = value << 8 | static_cast<uint8_t>(data[at + i]);
  return value;
}
uint16_t U16(std::string_view data, size_t at) { return static_cast<uint16_t>(Get(data, at, 2)); }
int16_t S16(std::string_view data, size_t at) { return static_cast<int16_t>(Get(data, at, 2)); }
uint32_t U32(std::string_view data, size_t at) { return Get(data, at, 4); }

void Put16(std::string& out, uint32_t value) {
  out += static_cast<char>(value >> 8 & 0xFF);
  out += static_cast<char>(value & 0xFF);
}
void Put32(std::string& out, uint32_t value) {
  Put16(out, value >> 16);
  Put16(out, value & 0xFFFF);
}
void Set16(std::string& out, size_t at, uint32_t value) {
  out[at] = static_cast<char>(value >> 8 & 0xFF);
  out[at + 1] = static_cast<char>(value & 0xFF);
}
void Set32(std::string& out, size_t at, uint32_t value) {
  Set16(out, at, value >> 16);
  Set16(out, at + 2, value & 0xFFFF);
}

uint32_t Checksum(std::string_view data) {
  uint32_t sum = 0;
  for (size_t i = 0; i < data.size(); i += 4) {
    uint32_t word = 0;
    for (size_t k = 0; k < 4; ++k) word = word << 8 | (i + k < data.size() ? static_cast<uint8_t>(data[i + k]) : 0);
    sum += word;
  }
  return sum;
}

// Flags of a composite glyph's component records.
constexpr uint16_t kArgsAreWords = 0x0001;
constexpr uint16_t kHaveScale = 0x0008;
constexpr uint16_t kMoreComponents = 0x0020;
constexpr uint16_t kHaveXYScale = 0x0040;
constexpr uint16_t kHaveTwoByTwo = 0x0080;

// The size of a component record after its flags and glyph index.
size_t ComponentTail(uint16_t flags) {
  size_t size = (flags & kArgsAreWords) ? 4 : 2;
  if (flags & kHaveScale) size += 2;
  else if (flags & kHaveXYScale) size += 4;
  else if (flags & kHaveTwoByTwo) size += 8;
  return size;
}

// Calls each(offset of the glyph index) for every component of a composite
// glyph.
template <typename F>
void ForEachComponent(std::string_view glyph, F&& each) {
  if (glyph.size() < 10 || S16(glyph, 0) >= 0) return;
  size_t at = 10;
  for (;;) {
    const uint16_t flags = U16(glyph, at);
    each(at + 2);
    at += 4 + ComponentTail(flags);
    if (!(flags & kMoreComponents)) break;
  }
}

}  // namespace

TTrueTypeFont::TTrueTypeFont(std::string data, int faceIndex) : data_(std::move(data)) {
  size_t directory = 0;
  if (data_.compare(0, 4, "ttcf") == 0) {
    if (faceIndex < 0 || static_cast<uint32_t>(faceIndex) >= U32(data_, 8)) Malformed();
    directory = U32(data_, 12 + 4 * static_cast<size_t>(faceIndex));
  }
  ReadTables(directory);
  ReadMetrics();
  FindCharacterMap();
}

void TTrueTypeFont::ReadTables(size_t directory) {
  const uint32_t version = U32(data_, directory);
  if (version != 0x00010000 && version != 0x74727565) Malformed();
  const uint16_t count = U16(data_, directory + 4);
  for (uint16_t i = 0; i < count; ++i) {
    const size_t record = directory + 12 + 16 * static_cast<size_t>(i);
    const uint32_t offset = U32(data_, record + 8);
    const uint32_t length = U32(data_, record + 12);
    if (static_cast<uint64_t>(offset) + length > data_.size()) Malformed();
    tables_.emplace(data_.substr(record, 4), std::string_view(data_).substr(offset, length));
  }
  for (const char* required : {"head", "hhea", "maxp", "hmtx", "loca", "glyf"})
    if (tables_.find(required) == tables_.end()) Malformed();
}

std::string_view TTrueTypeFont::Table(std::string_view tag) const {
  auto found = tables_.find(tag);
  return found == tables_.end() ? std::string_view() : found->second;
}

void TTrueTypeFont::ReadMetrics() {
  const std::string_view head = Table("head");
  unitsPerEm_ = std::max<int>(16, U16(head, 18));
  XMin = S16(head, 36);
  YMin = S16(head, 38);
  XMax = S16(head, 40);
  YMax = S16(head, 42);
  longOffsets_ = S16(head, 50) == 1;
  glyphCount_ = U16(Table("maxp"), 4);
  const std::string_view hhea = Table("hhea");
  Ascent = S16(hhea, 4);
  Descent = S16(hhea, 6);
  hMetricCount_ = std::clamp<int>(U16(hhea, 34), 1, std::max(1, glyphCount_));
  if (Table("hmtx").size() < 4 * static_cast<size_t>(hMetricCount_)) Malformed();
  if (Table("loca").size() < (longOffsets_ ? 4u : 2u) * (static_cast<size_t>(glyphCount_) + 1)) Malformed();
  CapHeight = Ascent;
  const std::string_view os2 = Table("OS/2");
  if (os2.size() >= 90 && U16(os2, 0) >= 2) CapHeight = S16(os2, 88);
  const std::string_view post = Table("post");
  if (post.size() >= 8) ItalicAngle = static_cast<int32_t>(U32(post, 4)) / 65536.0;
}

void TTrueTypeFont::FindCharacterMap() {
  const std::string_view cmap = Table("cmap");
  if (cmap.empty()) return;
  const uint16_t count = U16(cmap, 2);
  int best = 0;
  for (uint16_t i = 0; i < count; ++i) {
    const uint16_t platform = U16(cmap, 4 + 8 * i);
    const uint16_t encoding = U16(cmap, 6 + 8 * i);
    const uint32_t offset = U32(cmap, 8 + 8 * i);
    if (offset + 4 > cmap.size()) continue;
    const uint16_t format = U16(cmap, offset);
    const bool unicode = platform == 0 || (platform == 3 && (encoding == 1 || encoding == 10));
    if (!unicode || (format != 4 && format != 12)) continue;
    const int rank = format == 12 ? 2 : 1;
    if (rank <= best) continue;
    const uint32_t length = format == 12 ? U32(cmap, offset + 4) : U16(cmap, offset + 2);
    if (offset + length > cmap.size()) continue;
    best = rank;
    cmap_ = cmap.substr(offset, length);
    cmapFormat_ = format;
  }
}

uint16_t TTrueTypeFont::GlyphOf(char32_t codePoint) const {
  uint32_t glyph = 0;
  if (cmapFormat_ == 0) return 0;
  if (cmapFormat_ == 12) {
    const uint32_t groups = U32(cmap_, 12);
    size_t low = 0, high = groups;
    while (low < high) {
      const size_t mid = (low + high) / 2;
      const size_t at = 16 + 12 * mid;
      const uint32_t start = U32(cmap_, at), end = U32(cmap_, at + 4);
      if (codePoint < start) high = mid;
      else if (codePoint > end) low = mid + 1;
      else {
        glyph = U32(cmap_, at + 8) + (codePoint - start);
        break;
      }
    }
  } else if (codePoint <= 0xFFFF) {
    const size_t segments = U16(cmap_, 6) / 2;
    const size_t ends = 14, starts = ends + 2 * segments + 2, deltas = starts + 2 * segments,
                 ranges = deltas + 2 * segments;
    for (size_t i = 0; i < segments; ++i) {
      if (codePoint > U16(cmap_, ends + 2 * i)) continue;
      const uint16_t start = U16(cmap_, starts + 2 * i);
      if (codePoint < start) break;
      const uint16_t delta = U16(cmap_, deltas + 2 * i);
      const uint16_t range = U16(cmap_, ranges + 2 * i);
      if (range == 0) {
        glyph = (codePoint + delta) & 0xFFFF;
      } else {
        const uint16_t index = U16(cmap_, ranges + 2 * i + range + 2 * (codePoint - start));
        glyph = index == 0 ? 0 : (index + delta) & 0xFFFF;
      }
      break;
    }
  }
  return glyph < static_cast<uint32_t>(glyphCount_) ? static_cast<uint16_t>(glyph) : 0;
}

int TTrueTypeFont::Advance(uint16_t glyph) const {
  const int index = std::min<int>(glyph, hMetricCount_ - 1);
  return U16(Table("hmtx"), 4 * static_cast<size_t>(index));
}

int TTrueTypeFont::LeftSideBearing(uint16_t glyph) const {
  const std::string_view hmtx = Table("hmtx");
  const size_t at = glyph < hMetricCount_ ? 4 * static_cast<size_t>(glyph) + 2
                                          : 4 * static_cast<size_t>(hMetricCount_) + 2 * (glyph - hMetricCount_);
  return at + 2 <= hmtx.size() ? S16(hmtx, at) : 0;
}

std::string_view TTrueTypeFont::GlyphData(uint16_t glyph) const {
  if (glyph >= glyphCount_) return {};
  const std::string_view loca = Table("loca");
  const uint32_t start = longOffsets_ ? U32(loca, 4 * glyph) : 2u * U16(loca, 2 * glyph);
  const uint32_t end = longOffsets_ ? U32(loca, 4 * glyph + 4) : 2u * U16(loca, 2 * glyph + 2);
  const std::string_view glyf = Table("glyf");
  if (end < start || end > glyf.size()) Malformed();
  return glyf.substr(start, end - start);
}

std::vector<uint16_t> TTrueTypeFont::Components(uint16_t glyph) const {
  std::vector<uint16_t> components;
  const std::string_view data = GlyphData(glyph);
  ForEachComponent(data, [&](size_t at) { components.push_back(U16(data, at)); });
  return components;
}

// ---- subset ----

TTrueTypeSubset::TTrueTypeSubset(const TTrueTypeFont& font) : font_(font) { Use(0); }

uint16_t TTrueTypeSubset::Use(uint16_t glyph) {
  auto [found, added] = newNumbers_.emplace(glyph, static_cast<uint16_t>(glyphs_.size()));
  if (added) glyphs_.push_back(glyph);
  return found->second;
}

std::string TTrueTypeSubset::GlyphWithNewComponents(uint16_t glyph) {
  std::string data(font_.GlyphData(glyph));
  ForEachComponent(data, [&](size_t at) { Set16(data, at, Use(U16(data, at))); });
  return data;
}

std::string TTrueTypeSubset::Build() {
  // Components found while copying join the end of the list, and are
  // copied in turn.
  std::string glyf;
  std::string loca;
  std::string hmtx;
  for (size_t i = 0; i < glyphs_.size(); ++i) {
    Put32(loca, static_cast<uint32_t>(glyf.size()));
    glyf += GlyphWithNewComponents(glyphs_[i]);
    while (glyf.size() % 4 != 0) glyf += '\0';
    Put16(hmtx, static_cast<uint32_t>(font_.Advance(glyphs_[i])));
    Put16(hmtx, static_cast<uint16_t>(font_.LeftSideBearing(glyphs_[i])));
  }
  Put32(loca, static_cast<uint32_t>(glyf.size()));
  const auto count = static_cast<uint32_t>(glyphs_.size());

  std::string head(font_.Table("head"));
  if (head.size() < 54) Malformed();
  Set32(head, 8, 0);
  Set16(head, 50, 1);
  std::string hhea(font_.Table("hhea"));
  Set16(hhea, 34, count);
  std::string maxp(font_.Table("maxp"));
  Set16(maxp, 4, count);
  std::string post;
  Put32(post, 0x00030000);
  Put32(post, static_cast<uint32_t>(static_cast<int32_t>(font_.ItalicAngle * 65536)));
  post.append(24, '\0');

  std::vector<std::pair<std::string, std::string>> tables = {
      {"glyf", glyf}, {"head", head}, {"hhea", hhea}, {"hmtx", hmtx},
      {"loca", loca}, {"maxp", maxp}, {"post", post}};
  for (const char* hinting : {"cvt ", "fpgm", "prep"})
    if (!font_.Table(hinting).empty()) tables.emplace_back(hinting, std::string(font_.Table(hinting)));
  std::sort(tables.begin(), tables.end());

  const auto tableCount = static_cast<uint16_t>(tables.size());
  uint16_t power = 1, log2 = 0;
  while (power * 2 <= tableCount) {
    power *= 2;
    ++log2;
  }
  std::string out;
  Put32(out, 0x00010000);
  Put16(out, tableCount);
  Put16(out, power * 16u);
  Put16(out, log2);
  Put16(out, tableCount * 16u - power * 16u);
  size_t offset = 12 + 16 * static_cast<size_t>(tableCount);
  size_t headAt = 0;
  for (const auto& [tag, bytes] : tables) {
    out += tag;
    Put32(out, Checksum(bytes));
    Put32(out, static_cast<uint32_t>(offset));
    Put32(out, static_cast<uint32_t>(bytes.size()));
    if (tag == "head") headAt = offset;
    offset += (bytes.size() + 3) / 4 * 4;
  }
  for (const auto& entry : tables) {
    out += entry.second;
    while (out.size() % 4 != 0) out += '\0';
  }
  Set32(out, headAt + 8, 0xB1B0AFBAu - Checksum(out));
  return out;
}

}  // namespace verimo
