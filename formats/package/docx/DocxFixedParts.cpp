#include "formats/package/docx/DocxFixedParts.h"

#include "formats/package/OfficeNamespaces.h"
#include "formats/package/OfficeParts.h"
#include "formats/package/TesselXMLWriter.h"

namespace verimo {
namespace {

void Override(TTesselXMLWriter& xml, WideStringView part, WideStringView type) {
  xml.WriteElement("Override", {}, {{"PartName", part}, {"ContentType", type}});
}

}  // namespace

void WriteDocxDocumentRelationships(TTesselXMLWriter& xml) {
  xml.OpenElement("Relationships", {}, {{"xmlns", ooxml::kPackageRelationships}});
  WriteRelationship(xml, u"rId3", ooxml::kRelWebSettings, u"webSettings.xml");
  WriteRelationship(xml, u"rId2", ooxml::kRelSettings, u"settings.xml");
  WriteRelationship(xml, u"rId4", ooxml::kRelFontTable, u"fontTable.xml");
  xml.CloseElement("Relationships", true);
}

void WriteDocxContentTypes(TTesselXMLWriter& xml) {
  xml.OpenElement("Types", {}, {{"xmlns", ooxml::kContentTypes}});
  xml.WriteElement("Default", {}, {{"Extension", u"rels"}, {"ContentType", ooxml::kCtRelationships}});
  xml.WriteElement("Default", {}, {{"Extension", u"xml"}, {"ContentType", ooxml::kCtXml}});
  Override(xml, u"/word/document.xml",
           u"application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml");
  Override(xml, u"/docProps/app.xml", ooxml::kCtExtendedProperties);
  Override(xml, u"/word/settings.xml", u"application/vnd.openxmlformats-officedocument.wordprocessingml.settings+xml");
  Override(xml, u"/word/fontTable.xml",
           u"application/vnd.openxmlformats-officedocument.wordprocessingml.fontTable+xml");
  Override(xml, u"/word/webSettings.xml",
           u"application/vnd.openxmlformats-officedocument.wordprocessingml.webSettings+xml");
  Override(xml, u"/docProps/core.xml", ooxml::kCtCoreProperties);
  xml.CloseElement("Types", true);
}

}  // namespace verimo
