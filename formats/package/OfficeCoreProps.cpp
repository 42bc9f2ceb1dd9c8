#include "formats/package/OfficeCoreProps.h"

#include "formats/package/OfficeNamespaces.h"
#include "formats/package/TesselXMLWriter.h"

namespace verimo {

void WriteOfficeCoreProperties(TTesselXMLWriter& xml, const TOfficeCoreProps& props) {
  xml.OpenElement("cp:coreProperties", {},
                  {{"xmlns:cp", ooxml::kCoreProperties},
                   {"xmlns:dc", ooxml::kDublinCore},
                   {"xmlns:dcterms", ooxml::kDcTerms},
                   {"xmlns:dcmitype", ooxml::kDcmiType},
                   {"xmlns:xsi", ooxml::kXmlSchemaInstance}});
  if (props.DocumentFields) {
    xml.WriteElement("dc:title");
    xml.WriteElement("dc:subject");
  }
  xml.WriteElement("dc:creator", u"User");
  if (props.DocumentFields) {
    xml.WriteElement("cp:keywords");
    xml.WriteElement("dc:description");
  }
  xml.WriteElement("cp:lastModifiedBy", u"User");
  if (props.DocumentFields) xml.WriteElement("cp:revision", u"1");
  xml.WriteElement("dcterms:created", props.Created, {{"xsi:type", u"dcterms:W3CDTF"}});
  xml.WriteElement("dcterms:modified", props.Modified, {{"xsi:type", u"dcterms:W3CDTF"}});
  xml.CloseElement("cp:coreProperties", true);
}

}  // namespace verimo
