#pragma once

namespace verimo {

class TTesselXMLWriter;

// The fixed parts of the document package, one writer per part.
// word/_rels/document.xml.rels: web settings, settings, font table.
void WriteDocxDocumentRelationships(TTesselXMLWriter& xml);
// [Content_Types].xml.
void WriteDocxContentTypes(TTesselXMLWriter& xml);

}  // namespace verimo
