#pragma once

namespace verimo {

class TTesselXMLWriter;

// word/fontTable.xml: Calibri, Times New Roman and Cambria.
void WriteDocxFontTable(TTesselXMLWriter& xml);

}  // namespace verimo
