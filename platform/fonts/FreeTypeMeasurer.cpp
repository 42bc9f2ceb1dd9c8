#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H
#include <fontconfig/fontconfig.h>

#include <array>
#include <cmath>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <unordered_map>

#include "core/Exception.h"
#include "core/NonCopyable.h"
#include "platform/fonts/TextMeasurer.h"

namespace verimo {

namespace {

// The advances of one face at one pixel size measured so far; ASCII in a
// table, as most texts are.
struct TAdvances {
  TAdvances() { ascii.fill(-1); }
  std::array<int, 128> ascii;
  std::unordered_map<char32_t, int> other;
};

// A face opened from the file fontconfig picked, with the advances measured
// so far per pixel size.
struct TFace {
  FT_Face face = nullptr;
  FT_UInt currentPpem = 0;
  std::map<FT_UInt, TAdvances> advances;
};

class TFreeTypeMeasurer : public TTextMeasurer, private TNonCopyable {
 public:
  TFreeTypeMeasurer() {
    if (FT_Init_FreeType(&library_) != 0) throw Exception("FreeType could not be started");
    config_ = FcInitLoadConfigAndFonts();
    if (config_ == nullptr) {
      FT_Done_FreeType(library_);
      throw Exception("fontconfig could not load its configuration");
    }
  }

  ~TFreeTypeMeasurer() override {
    for (auto& entry : faces_)
      if (entry.second.face != nullptr) FT_Done_Face(entry.second.face);
    FT_Done_FreeType(library_);
    FcConfigDestroy(config_);
  }

  std::vector<int> CharWidths(const TFontDescription& font, WideStringView text) override {
    TSized sized = SizedFace(font);
    std::vector<int> widths;
    widths.reserve(text.size());
    ForEachCodePoint(text, [&](char32_t cp) { widths.push_back(Advance(sized, cp)); });
    return widths;
  }

  int TextWidth(const TFontDescription& font, WideStringView text) override {
    TSized sized = SizedFace(font);
    int width = 0;
    ForEachCodePoint(text, [&](char32_t cp) { width += Advance(sized, cp); });
    return width;
  }

  TTextMetrics Metrics(const TFontDescription& font) override {
    TFace& face = FaceFor(font);
    const FT_UInt ppem = PixelsPerEm(face, font);
    const double scale = static_cast<double>(ppem) / face.face->units_per_EM;
    auto scaled = [scale](double units) { return static_cast<int>(std::lround(units * scale)); };
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face.face, FT_SFNT_OS2));
    const auto* hhea = static_cast<const TT_HoriHeader*>(FT_Get_Sfnt_Table(face.face, FT_SFNT_HHEA));
    TTextMetrics metrics;
    if (os2 != nullptr && os2->version != 0xFFFF) {
      metrics.Ascent = scaled(os2->usWinAscent);
      metrics.Descent = scaled(os2->usWinDescent);
      metrics.AveCharWidth = scaled(os2->xAvgCharWidth);
    } else {
      metrics.Ascent = scaled(face.face->ascender);
      metrics.Descent = scaled(-face.face->descender);
      metrics.AveCharWidth = TextWidth(font, u"x");
    }
    metrics.Height = metrics.Ascent + metrics.Descent;
    metrics.InternalLeading = std::max(0, metrics.Height - static_cast<int>(ppem));
    if (os2 != nullptr && hhea != nullptr && os2->version != 0xFFFF) {
      const double gap = hhea->Line_Gap - ((os2->usWinAscent + os2->usWinDescent) - (hhea->Ascender - hhea->Descender));
      metrics.ExternalLeading = std::max(0, scaled(gap));
      metrics.MaxCharWidth = scaled(hhea->advance_Width_Max);
    } else {
      metrics.MaxCharWidth = scaled(face.face->max_advance_width);
    }
    return metrics;
  }

 private:
  using TFaceKey = std::tuple<WideString, bool, bool>;

  template <typename F>
  static void ForEachCodePoint(WideStringView text, F&& each) {
    for (size_t i = 0; i < text.size(); ++i) {
      char32_t cp = text[i];
      if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
        cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
        ++i;
      }
      each(cp);
    }
  }

  // The em size in pixels: the character height of a negative logical
  // height, or the share of the cell height of a positive one.
  static FT_UInt PixelsPerEm(const TFace& face, const TFontDescription& font) {
    if (font.Height < 0) return static_cast<FT_UInt>(-font.Height);
    if (font.Height == 0) return 16;
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face.face, FT_SFNT_OS2));
    const double cell = os2 != nullptr && os2->version != 0xFFFF ? os2->usWinAscent + os2->usWinDescent
                                                                 : face.face->ascender - face.face->descender;
    return static_cast<FT_UInt>(std::max(1L, std::lround(font.Height * face.face->units_per_EM / cell)));
  }

  // A face at the pixel size of a font description.
  struct TSized {
    TFace* face;
    FT_UInt ppem;
    TAdvances* advances;
  };

  // Callers measure many texts in a row in the same font: the last font's
  // face is kept at hand.
  TSized SizedFace(const TFontDescription& font) {
    if (last_ && lastFont_ == font) return *last_;
    TFace& face = FaceFor(font);
    const FT_UInt ppem = PixelsPerEm(face, font);
    lastFont_ = font;
    last_ = TSized{&face, ppem, &face.advances[ppem]};
    return *last_;
  }

  int Advance(const TSized& sized, char32_t cp) {
    if (cp < 128 && sized.advances->ascii[cp] >= 0) return sized.advances->ascii[cp];
    if (cp >= 128) {
      auto found = sized.advances->other.find(cp);
      if (found != sized.advances->other.end()) return found->second;
    }
    TFace& face = *sized.face;
    if (face.currentPpem != sized.ppem) {
      if (FT_Set_Pixel_Sizes(face.face, 0, sized.ppem) != 0) throw Exception("The font cannot be scaled");
      face.currentPpem = sized.ppem;
    }
    int advance = 0;
    if (FT_Load_Char(face.face, cp, FT_LOAD_DEFAULT) == 0)
      advance = static_cast<int>((face.face->glyph->advance.x + 32) >> 6);
    if (cp < 128)
      sized.advances->ascii[cp] = advance;
    else
      sized.advances->other.emplace(cp, advance);
    return advance;
  }

  TFace& FaceFor(const TFontDescription& font) {
    TFaceKey key{LowerCase(font.Name), font.Bold, font.Italic};
    auto found = faces_.find(key);
    if (found != faces_.end()) return found->second;
    TFace face;
    face.face = OpenFace(font);
    return faces_.emplace(std::move(key), std::move(face)).first->second;
  }

  FT_Face OpenFace(const TFontDescription& font) {
    const std::string family = WideToUtf8(FontFamilyFor(font.Name));
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, font.Bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, font.Italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcConfigSubstitute(config_, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(config_, pattern, &result);
    FcPatternDestroy(pattern);
    FcChar8* file = nullptr;
    int index = 0;
    FT_Face face = nullptr;
    if (match != nullptr && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
      FcPatternGetInteger(match, FC_INDEX, 0, &index);
      if (FT_New_Face(library_, reinterpret_cast<const char*>(file), index, &face) != 0) face = nullptr;
    }
    if (match != nullptr) FcPatternDestroy(match);
    if (face == nullptr) throw Exception("No font found for " + WideToUtf8(font.Name));
    return face;
  }

  FT_Library library_ = nullptr;
  FcConfig* config_ = nullptr;
  std::map<TFaceKey, TFace> faces_;
  TFontDescription lastFont_;
  std::optional<TSized> last_;
};

}  // namespace

std::unique_ptr<TTextMeasurer> CreateSystemTextMeasurer() { return std::make_unique<TFreeTypeMeasurer>(); }

}  // namespace verimo
