#include "formats/package/docx/DocxFixedParts.h"

#include "formats/package/OfficeNamespaces.h"
#include "formats/package/TesselXMLWriter.h"

namespace verimo {
namespace {

void Relationship(TTesselXMLWriter& xml, WideStringView id, WideStringView type, WideStringView target) {
  xml.WriteElement("Relationship", {}, {{"Id", id}, {"Type", type}, {"Target", target}});
}

void Override(TTesselXMLWriter& xml, WideStringView part, WideStringView type) {
  xml.WriteElement("Override", {}, {{"PartName", part}, {"ContentType", type}});
}

}  // namespace

void WriteDocxPackageRelationships(TTesselXMLWriter& xml) {
  xml.OpenElement("Relationships", {}, {{"xmlns", ooxml::kPackageRelationships}});
  Relationship(xml, u"rId3", ooxml::kRelExtendedProperties, u"docProps/app.xml");
  Relationship(xml, u"rId2", ooxml::kRelCoreProperties, u"docProps/core.xml");
  Relationship(xml, u"rId1", ooxml::kRelOfficeDocument, u"word/document.xml");
  xml.CloseElement("Relationships", true);
}

void WriteDocxDocumentRelationships(TTesselXMLWriter& xml) {
  xml.OpenElement("Relationships", {}, {{"xmlns", ooxml::kPackageRelationships}});
  Relationship(xml, u"rId3", ooxml::kRelWebSettings, u"webSettings.xml");
  Relationship(xml, u"rId2", ooxml::kRelSettings, u"settings.xml");
  Relationship(xml, u"rId4", ooxml::kRelFontTable, u"fontTable.xml");
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
