#include "formats/package/OfficeTypes.h"

#include "core/StringList.h"
#include "engine/TesselIniFile.h"

namespace verimo {

std::string ColorToHex(TColor color) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string hex;
  for (int shift = 0; shift <= 16; shift += 8) {
    const unsigned byte = (color >> shift) & 0xFFu;
    hex += kDigits[byte >> 4];
    hex += kDigits[byte & 0xF];
  }
  return hex;
}

WideString ColorToHexWide(TColor color) { return Utf8ToWide(ColorToHex(color)); }

void EraseSectionsStartingWith(TTesselIniFile& file, WideStringView prefix) {
  TStringList sections;
  file.ReadSections(sections);
  const WideString upperPrefix = UpperCase(prefix);
  for (const WideString& name : sections)
    if (UpperCase(name).starts_with(upperPrefix)) file.EraseSection(name);
}

}  // namespace verimo
