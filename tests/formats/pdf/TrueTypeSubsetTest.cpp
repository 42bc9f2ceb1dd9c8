#include "formats/pdf/TrueTypeSubset.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/Exception.h"

namespace verimo {
namespace {

const char* kDejaVu = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

std::string ReadFile(const char* path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream data;
  data << in.rdbuf();
  return data.str();
}

TEST(TrueTypeSubsetTest, CompositeGlyphsBringTheirComponentsRenumbered) {
  if (!std::filesystem::exists(kDejaVu)) GTEST_SKIP() << "DejaVu Sans is not installed (fonts-dejavu-core)";
  const TTrueTypeFont font(ReadFile(kDejaVu), 0);
  const uint16_t a = font.GlyphOf(U'a');
  ASSERT_NE(a, 0);
  EXPECT_EQ(font.GlyphOf(U'\u4E2D'), 0);
  // An accented letter made of components.
  char32_t composite = 0;
  for (char32_t ch : {U'\u00E9', U'\u011F', U'\u015F', U'\u00C7'})
    if (!font.Components(font.GlyphOf(ch)).empty()) composite = ch;
  ASSERT_NE(composite, 0u) << "no composite accented glyph in DejaVu Sans";

  TTrueTypeSubset subset(font);
  EXPECT_EQ(subset.Use(a), 1);
  const uint16_t accented = subset.Use(font.GlyphOf(composite));
  EXPECT_EQ(subset.Use(a), 1);
  const TTrueTypeFont built(subset.Build(), 0);
  ASSERT_GT(built.GlyphCount(), 3);
  EXPECT_EQ(built.GlyphCount(), static_cast<int>(subset.Glyphs().size()));
  EXPECT_EQ(built.UnitsPerEm(), font.UnitsPerEm());
  EXPECT_EQ(built.Advance(1), font.Advance(a));
  for (uint16_t component : built.Components(accented)) {
    ASSERT_LT(component, built.GlyphCount());
    EXPECT_EQ(built.GlyphData(component), font.GlyphData(subset.Glyphs()[component]));
  }
  EXPECT_FALSE(built.Components(accented).empty());
}

TEST(TrueTypeSubsetTest, DamagedFontsRaise) {
  EXPECT_THROW(TTrueTypeFont(std::string("not a font at all, not at all"), 0), Exception);
  EXPECT_THROW(TTrueTypeFont(std::string("\0\1\0\0\0\x30", 6), 0), Exception);
}

}  // namespace
}  // namespace verimo
