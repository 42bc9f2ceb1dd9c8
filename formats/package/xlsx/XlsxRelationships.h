#pragma once

#include "formats/package/xlsx/XlsxSheets.h"

namespace verimo {

class TTesselXMLWriter;

// xl/_rels/workbook.xml.rels: styles, the worksheets and the shared strings.
// Sheet n (from 0) has the id "rId" + (n + 1), except that the styles and
// shared strings keep rId3 and rId4 and further sheets continue from rId5.
void WriteXlsxWorkbookRelationships(TTesselXMLWriter& xml, const TXlsxSheets& sheets);
// The relationship id of sheet n (from 0).
WideString XlsxSheetRelationshipId(size_t index);

}  // namespace verimo
