#pragma once

namespace verimo {

class TTesselXMLWriter;

// word/settings.xml and word/webSettings.xml.
void WriteDocxSettings(TTesselXMLWriter& xml);
void WriteDocxWebSettings(TTesselXMLWriter& xml);

}  // namespace verimo
