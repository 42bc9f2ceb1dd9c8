#include "formats/package/xlsx/XlsxContentTypes.h"

#include "formats/package/OfficeNamespaces.h"
#include "formats/package/TesselXMLWriter.h"

namespace verimo {
namespace {

void Override(TTesselXMLWriter& xml, WideStringView part, WideStringView type) {
  xml.WriteElement("Override", {}, {{"PartName", part}, {"ContentType", type}});
}

void Default(TTesselXMLWriter& xml, WideStringView extension, WideStringView type) {
  xml.WriteElement("Default", {}, {{"Extension", extension}, {"ContentType", type}});
}

}  // namespace

// The theme's override is left out: no theme part is written, and a
// content type for a part that is not there makes strict readers refuse
// the package.
void WriteXlsxContentTypes(TTesselXMLWriter& xml, const TXlsxSheets& sheets) {
  xml.OpenElement("Types", {}, {{"xmlns", ooxml::kContentTypes}});
  Override(xml, u"/xl/styles.xml", u"application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml");
  Default(xml, u"rels", ooxml::kCtRelationships);
  Default(xml, u"xml", ooxml::kCtXml);
  Override(xml, u"/xl/workbook.xml", u"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml");
  Override(xml, u"/docProps/app.xml", ooxml::kCtExtendedProperties);
  for (const TXlsxSheetInfo& sheet : sheets)
    Override(xml, u"/xl/worksheets/" + Utf8ToWide(sheet.PartName) + u".xml",
             u"application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml");
  Override(xml, u"/xl/sharedStrings.xml",
           u"application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml");
  Override(xml, u"/docProps/core.xml", ooxml::kCtCoreProperties);
  xml.CloseElement("Types", true);
}

}  // namespace verimo
