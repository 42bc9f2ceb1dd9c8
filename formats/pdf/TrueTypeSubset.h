#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace verimo {

// A TrueType font (glyf outlines) read from its file, with what a PDF
// needs to embed a subset: the character map, the advances, the metrics
// of the font descriptor and the glyph outlines. A malformed font raises
// verimo::Exception.
class TTrueTypeFont {
 public:
  // `faceIndex` picks the face of a collection (.ttc).
  TTrueTypeFont(std::string data, int faceIndex);

  // The glyph of a character, 0 when the font has none (or no character
  // map at all).
  uint16_t GlyphOf(char32_t codePoint) const;
  int GlyphCount() const { return glyphCount_; }
  int UnitsPerEm() const { return unitsPerEm_; }
  // The advance of a glyph in font units.
  int Advance(uint16_t glyph) const;
  int LeftSideBearing(uint16_t glyph) const;
  // The glyphs a composite glyph is made of (empty for a simple one).
  std::vector<uint16_t> Components(uint16_t glyph) const;
  // The outline bytes of a glyph.
  std::string_view GlyphData(uint16_t glyph) const;
  // A table's bytes; empty when the font has none.
  std::string_view Table(std::string_view tag) const;

  int XMin = 0, YMin = 0, XMax = 0, YMax = 0;
  int Ascent = 0, Descent = 0, CapHeight = 0;
  double ItalicAngle = 0;

 private:
  void ReadTables(size_t directory);
  void ReadMetrics();
  void FindCharacterMap();

  std::string data_;
  std::map<std::string, std::string_view, std::less<>> tables_;
  int glyphCount_ = 0;
  int unitsPerEm_ = 1000;
  int hMetricCount_ = 0;
  bool longOffsets_ = false;
  std::string_view cmap_;  // the chosen subtable (format 4 or 12)
  int cmapFormat_ = 0;
};

// A subset of a TrueType font whose glyphs are renumbered in the order they
// are first used, glyph 0 (.notdef) first; Build adds the components of
// composite glyphs and writes a font file holding only these glyphs.
class TTrueTypeSubset {
 public:
  explicit TTrueTypeSubset(const TTrueTypeFont& font);

  // The new number of an original glyph.
  uint16_t Use(uint16_t glyph);
  // The original glyph of each new number.
  const std::vector<uint16_t>& Glyphs() const { return glyphs_; }
  // The font file: head, hhea, maxp, hmtx, loca, glyf, post and the
  // hinting tables; no character map (text addresses glyphs directly).
  std::string Build();

 private:
  std::string GlyphWithNewComponents(uint16_t glyph);

  const TTrueTypeFont& font_;
  std::vector<uint16_t> glyphs_;
  std::unordered_map<uint16_t, uint16_t> newNumbers_;
};

}  // namespace verimo
