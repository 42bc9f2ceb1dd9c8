#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <tuple>

#include "core/NonCopyable.h"
#include "core/WideString.h"

namespace verimo {

// A font file and the face in it.
struct TFontFile {
  std::string Path;
  int Index = 0;
  friend bool operator==(const TFontFile&, const TFontFile&) = default;
  friend auto operator<=>(const TFontFile&, const TFontFile&) = default;
};

// Finds installed TrueType (glyf) fonts through fontconfig: the best match
// of a family and style that has a glyph for a character.
class TFontFileFinder : private TNonCopyable {
 public:
  TFontFileFinder();
  ~TFontFileFinder();

  // The family goes through FontFamilyFor first; nothing when no TrueType
  // font installed has the character.
  std::optional<TFontFile> TrueTypeFontFor(WideStringView family, bool bold, bool italic, char32_t codePoint);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace verimo
