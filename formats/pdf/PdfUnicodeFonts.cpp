#include "formats/pdf/PdfUnicodeFonts.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/Exception.h"

namespace verimo {

namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw Exception("The font file " + path + " cannot be read");
  std::ostringstream data;
  data << in.rdbuf();
  return data.str();
}

// A PostScript name from the file name: letters, digits and hyphens.
std::string NameFromFile(const std::string& path) {
  std::string name;
  for (char ch : std::filesystem::path(path).stem().string())
    if ((ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z') || (ch >= '0' && ch <= '9') || ch == '-') name += ch;
  return name.empty() ? std::string("Font") : name;
}

// The six capital letters that mark a subset, different for each face.
std::string SubsetTag(size_t number) {
  std::string tag(6, 'A');
  for (size_t i = 6; i-- > 0 && number > 0; number /= 26) tag[i] = static_cast<char>('A' + number % 26);
  return tag;
}

}  // namespace

double TPDFUnicodeFonts::TFace::Advance(char32_t codePoint) const {
  return Font->Advance(Font->GlyphOf(codePoint)) * 1000.0 / Font->UnitsPerEm();
}

uint16_t TPDFUnicodeFonts::TFace::Use(char32_t codePoint) {
  const uint16_t glyph = Subset->Use(Font->GlyphOf(codePoint));
  Characters.emplace(glyph, codePoint);
  return glyph;
}

TPDFUnicodeFonts::TPDFUnicodeFonts() = default;
TPDFUnicodeFonts::~TPDFUnicodeFonts() = default;

TPDFUnicodeFonts::TFace* TPDFUnicodeFonts::FaceFor(WideStringView family, bool bold, bool italic,
                                                   char32_t codePoint) {
  std::unordered_map<char32_t, TFace*>& chosen = chosen_[TStyleKey{WideString(family), bold, italic}];
  auto found = chosen.find(codePoint);
  if (found != chosen.end()) return found->second;
  if (!finder_) finder_ = std::make_unique<TFontFileFinder>();
  TFace* face = nullptr;
  if (const std::optional<TFontFile> file = finder_->TrueTypeFontFor(family, bold, italic, codePoint)) {
    face = OpenFace(*file);
    if (face != nullptr && face->Font->GlyphOf(codePoint) == 0) face = nullptr;
  }
  chosen.emplace(codePoint, face);
  return face;
}

// A font that cannot be read is skipped, as if it were not installed.
TPDFUnicodeFonts::TFace* TPDFUnicodeFonts::OpenFace(const TFontFile& file) {
  auto found = byFile_.find(file);
  if (found != byFile_.end()) return found->second;
  TFace* opened = nullptr;
  try {
    auto face = std::make_unique<TFace>();
    face->Font = std::make_unique<TTrueTypeFont>(ReadFile(file.Path), file.Index);
    face->Subset = std::make_unique<TTrueTypeSubset>(*face->Font);
    const size_t number = faces_.size() + 1;
    face->ResourceName = u"UnicodeFont" + Utf8ToWide(std::to_string(number));
    face->FontName = SubsetTag(number) + "+" + NameFromFile(file.Path);
    opened = face.get();
    faces_.push_back(std::move(face));
  } catch (const Exception&) {
    opened = nullptr;
  }
  byFile_.emplace(file, opened);
  return opened;
}

}  // namespace verimo
