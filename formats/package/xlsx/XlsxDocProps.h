#pragma once

#include "formats/package/xlsx/XlsxSheets.h"

namespace verimo {

class TTesselXMLWriter;

// docProps/app.xml: the application and the titles of the worksheets.
void WriteXlsxAppProperties(TTesselXMLWriter& xml, const TXlsxSheets& sheets);

}  // namespace verimo
