#pragma once

#include "core/WideString.h"

namespace verimo {

class TTesselXMLWriter;

// What differs between the packages' docProps/core.xml: the fixed creation
// and modification stamps and whether the empty document fields (title,
// subject, keywords, description) and the revision are written.
struct TOfficeCoreProps {
  WideStringView Created;
  WideStringView Modified;
  bool DocumentFields = false;
};

// docProps/core.xml of an Office Open XML package, by "User".
void WriteOfficeCoreProperties(TTesselXMLWriter& xml, const TOfficeCoreProps& props);

}  // namespace verimo
