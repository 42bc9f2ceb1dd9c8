#include "formats/package/OfficeTypes.h"

#include "core/StringList.h"
#include "engine/TesselIniFile.h"

namespace verimo {

WideString ColorToHexWide(TColor color) { return Utf8ToWide(RgbHex(color)); }

void EraseSectionsStartingWith(TTesselIniFile& file, WideStringView prefix) {
  TStringList sections;
  file.ReadSections(sections);
  const WideString upperPrefix = UpperCase(prefix);
  for (const WideString& name : sections)
    if (UpperCase(name).starts_with(upperPrefix)) file.EraseSection(name);
}

}  // namespace verimo
