#include "formats/package/docx/DocxDocProps.h"

#include "formats/package/OfficeNamespaces.h"
#include "formats/package/TesselXMLWriter.h"

namespace verimo {

void WriteDocxAppProperties(TTesselXMLWriter& xml) {
  xml.OpenElement("Properties", {}, {{"xmlns", ooxml::kExtendedProperties}, {"xmlns:vt", ooxml::kDocPropsVTypes}});
  xml.WriteElement("Template", u"Normal.dotm");
  xml.WriteElement("TotalTime", u"1");
  xml.WriteElement("Pages", u"1");
  xml.WriteElement("Words", u"0");
  xml.WriteElement("Characters", u"0");
  xml.WriteElement("Application", u"Microsoft Office Word");
  xml.WriteElement("DocSecurity", u"0");
  xml.WriteElement("Lines", u"1");
  xml.WriteElement("Paragraphs", u"1");
  xml.WriteElement("ScaleCrop", u"false");
  xml.WriteElement("Company");
  xml.WriteElement("LinksUpToDate", u"false");
  xml.WriteElement("CharactersWithSpaces", u"0");
  xml.WriteElement("SharedDoc", u"false");
  xml.WriteElement("HyperlinksChanged", u"false");
  xml.WriteElement("AppVersion", u"12.0000");
  xml.CloseElement("Properties", true);
}

}  // namespace verimo
