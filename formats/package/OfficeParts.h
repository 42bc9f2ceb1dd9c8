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

// One element of a relationships part.
void WriteRelationship(TTesselXMLWriter& xml, WideStringView id, WideStringView type, WideStringView target);
// _rels/.rels of an Office Open XML package: the two property parts and
// the main part `mainPart` ("word/document.xml", "xl/workbook.xml").
void WritePackageRelationships(TTesselXMLWriter& xml, WideStringView mainPart);

}  // namespace verimo
