#pragma once

namespace verimo {

class TTesselXMLWriter;

// docProps/app.xml and docProps/core.xml of the document package.
void WriteDocxAppProperties(TTesselXMLWriter& xml);
void WriteDocxCoreProperties(TTesselXMLWriter& xml);

}  // namespace verimo
