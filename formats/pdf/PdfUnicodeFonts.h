#pragma once

#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "core/NonCopyable.h"
#include "core/WideString.h"
#include "formats/pdf/TrueTypeSubset.h"
#include "platform/fonts/FontFiles.h"

namespace verimo {

// The TrueType faces a document embeds for the characters its 8-bit
// encoding cannot hold: each face is written as a Type 0 font (Identity-H,
// with a ToUnicode map) over a subset of the glyphs the text used.
class TPDFUnicodeFonts : private TNonCopyable {
 public:
  struct TFace {
    WideString ResourceName;  // "UnicodeFont1", …
    std::string FontName;     // the subset's name, "AAAAAB+DejaVuSans"
    std::unique_ptr<TTrueTypeFont> Font;
    std::unique_ptr<TTrueTypeSubset> Subset;
    // The character each new glyph number was first used for.
    std::map<uint16_t, char32_t> Characters;

    // The advance of a character in 1/1000 of the font size.
    double Advance(char32_t codePoint) const;
    // The glyph number the text addresses the character with.
    uint16_t Use(char32_t codePoint);
  };

  TPDFUnicodeFonts();
  ~TPDFUnicodeFonts();

  // The face that draws the character, preferring the family and style
  // given; nullptr when no installed TrueType font has it.
  TFace* FaceFor(WideStringView family, bool bold, bool italic, char32_t codePoint);
  const std::vector<std::unique_ptr<TFace>>& Faces() const { return faces_; }

 private:
  using TStyleKey = std::tuple<WideString, bool, bool>;

  TFace* OpenFace(const TFontFile& file);

  std::unique_ptr<TFontFileFinder> finder_;
  std::map<TStyleKey, std::unordered_map<char32_t, TFace*>> chosen_;
  std::map<TFontFile, TFace*> byFile_;
  std::vector<std::unique_ptr<TFace>> faces_;
};

}  // namespace verimo
