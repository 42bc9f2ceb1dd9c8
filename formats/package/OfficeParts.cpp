#include "formats/package/OfficeParts.h"

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

void WriteRelationship(TTesselXMLWriter& xml, WideStringView id, WideStringView type, WideStringView target) {
  xml.WriteElement("Relationship", {}, {{"Id", id}, {"Type", type}, {"Target", target}});
}

void WritePackageRelationships(TTesselXMLWriter& xml, WideStringView mainPart) {
  xml.OpenElement("Relationships", {}, {{"xmlns", ooxml::kPackageRelationships}});
  WriteRelationship(xml, u"rId3", ooxml::kRelExtendedProperties, u"docProps/app.xml");
  WriteRelationship(xml, u"rId2", ooxml::kRelCoreProperties, u"docProps/core.xml");
  WriteRelationship(xml, u"rId1", ooxml::kRelOfficeDocument, mainPart);
  xml.CloseElement("Relationships", true);
}

}  // namespace verimo
