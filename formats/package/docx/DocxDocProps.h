#pragma once

namespace verimo {

class TTesselXMLWriter;

// docProps/app.xml of the document package.
void WriteDocxAppProperties(TTesselXMLWriter& xml);

}  // namespace verimo
