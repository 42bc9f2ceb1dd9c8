#include "formats/package/OfficeTypes.h"

#include <algorithm>

#include "core/StringList.h"
#include "engine/TesselIniFile.h"

namespace verimo {

WideString ColorToHexWide(TColor color) { return Utf8ToWide(RgbHex(color)); }

void SaveFontKeys(TTesselIniFile& file, WideStringView section, const TPackageFont& font, const TFontKeys& keys) {
  file.WriteString(section, u"FontName", font.Name);
  file.WriteInteger(section, u"FontSize", font.Size);
  file.WriteInteger(section, u"FontColor", static_cast<int>(font.Color));
  file.WriteBool(section, u"FontBold", font.Bold);
  file.WriteBool(section, u"FontItalic", font.Italic);
  file.WriteBool(section, u"FontUnderline", font.Underline);
  if (keys.strikeOut) file.WriteBool(section, u"FontStrikeOut", font.StrikeOut);
}

void LoadFontKeys(const TTesselIniFile& file, WideStringView section, TPackageFont& font, const TFontKeys& keys) {
  const TPackageFont& defaults = keys.defaults;
  font.Name = file.ReadString(section, u"FontName", defaults.Name);
  if (font.Name.empty()) font.Name = defaults.Name;
  font.Size = std::clamp(file.ReadInteger(section, u"FontSize", defaults.Size), 1, keys.maxSize);
  font.Color = ColorSetting(file.ReadInteger(section, u"FontColor", static_cast<int>(defaults.Color)));
  font.Bold = file.ReadBool(section, u"FontBold", defaults.Bold);
  font.Italic = file.ReadBool(section, u"FontItalic", defaults.Italic);
  font.Underline = file.ReadBool(section, u"FontUnderline", defaults.Underline);
  if (keys.strikeOut) font.StrikeOut = file.ReadBool(section, u"FontStrikeOut", defaults.StrikeOut);
}

void EraseSectionsStartingWith(TTesselIniFile& file, WideStringView prefix) {
  TStringList sections;
  file.ReadSections(sections);
  const WideString upperPrefix = UpperCase(prefix);
  for (const WideString& name : sections)
    if (UpperCase(name).starts_with(upperPrefix)) file.EraseSection(name);
}

}  // namespace verimo
