#include "platform/fonts/FontFiles.h"

#include <fontconfig/fontconfig.h>

#include <cstring>

#include "core/Exception.h"
#include "platform/fonts/TextMeasurer.h"

namespace verimo {

struct TFontFileFinder::Impl {
  using TKey = std::tuple<WideString, bool, bool>;

  FcConfig* config = nullptr;
  // The installed fonts ordered by closeness to each family and style asked for.
  std::map<TKey, FcFontSet*> sorted;

  ~Impl() {
    for (auto& entry : sorted) FcFontSetDestroy(entry.second);
    if (config != nullptr) FcConfigDestroy(config);
  }

  FcFontSet* SortedFonts(WideStringView family, bool bold, bool italic) {
    TKey key{LowerCase(family), bold, italic};
    auto found = sorted.find(key);
    if (found != sorted.end()) return found->second;
    const std::string name = WideToUtf8(FontFamilyFor(family));
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(name.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcFontSet* fonts = FcFontSort(config, pattern, FcFalse, nullptr, &result);
    FcPatternDestroy(pattern);
    if (fonts == nullptr) fonts = FcFontSetCreate();
    return sorted.emplace(std::move(key), fonts).first->second;
  }
};

TFontFileFinder::TFontFileFinder() : impl_(std::make_unique<Impl>()) {
  impl_->config = FcInitLoadConfigAndFonts();
  if (impl_->config == nullptr) throw Exception("fontconfig could not load its configuration");
}

TFontFileFinder::~TFontFileFinder() = default;

std::optional<TFontFile> TFontFileFinder::TrueTypeFontFor(WideStringView family, bool bold, bool italic,
                                                           char32_t codePoint) {
  FcFontSet* fonts = impl_->SortedFonts(family, bold, italic);
  for (int i = 0; i < fonts->nfont; ++i) {
    FcPattern* font = fonts->fonts[i];
    FcChar8* format = nullptr;
    FcCharSet* characters = nullptr;
    FcChar8* file = nullptr;
    if (FcPatternGetString(font, FC_FONTFORMAT, 0, &format) != FcResultMatch ||
        std::strcmp(reinterpret_cast<const char*>(format), "TrueType") != 0)
      continue;
    if (FcPatternGetCharSet(font, FC_CHARSET, 0, &characters) != FcResultMatch ||
        !FcCharSetHasChar(characters, codePoint))
      continue;
    if (FcPatternGetString(font, FC_FILE, 0, &file) != FcResultMatch) continue;
    int index = 0;
    FcPatternGetInteger(font, FC_INDEX, 0, &index);
    return TFontFile{reinterpret_cast<const char*>(file), index};
  }
  return std::nullopt;
}

}  // namespace verimo
