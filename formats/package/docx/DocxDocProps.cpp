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

void WriteDocxCoreProperties(TTesselXMLWriter& xml) {
  xml.OpenElement("cp:coreProperties", {},
                  {{"xmlns:cp", ooxml::kCoreProperties},
                   {"xmlns:dc", ooxml::kDublinCore},
                   {"xmlns:dcterms", ooxml::kDcTerms},
                   {"xmlns:dcmitype", ooxml::kDcmiType},
                   {"xmlns:xsi", ooxml::kXmlSchemaInstance}});
  xml.WriteElement("dc:title");
  xml.WriteElement("dc:subject");
  xml.WriteElement("dc:creator", u"User");
  xml.WriteElement("cp:keywords");
  xml.WriteElement("dc:description");
  xml.WriteElement("cp:lastModifiedBy", u"User");
  xml.WriteElement("cp:revision", u"1");
  xml.WriteElement("dcterms:created", u"2006-10-09T09:46:00Z", {{"xsi:type", u"dcterms:W3CDTF"}});
  xml.WriteElement("dcterms:modified", u"2006-10-09T09:47:00Z", {{"xsi:type", u"dcterms:W3CDTF"}});
  xml.CloseElement("cp:coreProperties", true);
}

}  // namespace verimo
