#pragma once

#include "formats/package/xlsx/XlsxSheets.h"

namespace verimo {

class TTesselXMLWriter;

// [Content_Types].xml of the workbook package.
void WriteXlsxContentTypes(TTesselXMLWriter& xml, const TXlsxSheets& sheets);

}  // namespace verimo
