#pragma once

#include "formats/package/xlsx/XlsxSheets.h"

namespace verimo {

class TTesselXMLWriter;

// xl/workbook.xml: the book view and the list of worksheets.
void WriteXlsxWorkbook(TTesselXMLWriter& xml, const TXlsxSheets& sheets);

}  // namespace verimo
