#pragma once

namespace verimo {

class TTesselXMLWriter;

// The fixed parts of the document package, one writer per part.
// _rels/.rels: extended and core properties and the main document.
void WriteDocxPackageRelationships(TTesselXMLWriter& xml);
// word/_rels/document.xml.rels: web settings, settings, font table.
void WriteDocxDocumentRelationships(TTesselXMLWriter& xml);
// [Content_Types].xml.
void WriteDocxContentTypes(TTesselXMLWriter& xml);

}  // namespace verimo
