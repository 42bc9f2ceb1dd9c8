#include "formats/package/xlsx/XlsxRelationships.h"

#include "formats/package/OfficeNamespaces.h"
#include "formats/package/TesselXMLWriter.h"

namespace verimo {

void WriteXlsxPackageRelationships(TTesselXMLWriter& xml) {
  xml.OpenElement("Relationships", {}, {{"xmlns", ooxml::kPackageRelationships}});
  xml.WriteElement("Relationship", {},
                   {{"Id", u"rId3"}, {"Type", ooxml::kRelExtendedProperties}, {"Target", u"docProps/app.xml"}});
  xml.WriteElement("Relationship", {},
                   {{"Id", u"rId2"}, {"Type", ooxml::kRelCoreProperties}, {"Target", u"docProps/core.xml"}});
  xml.WriteElement("Relationship", {},
                   {{"Id", u"rId1"}, {"Type", ooxml::kRelOfficeDocument}, {"Target", u"xl/workbook.xml"}});
  xml.CloseElement("Relationships", true);
}

WideString XlsxSheetRelationshipId(size_t index) {
  return u"rId" + IntToWide(index == 0 ? 1 : static_cast<long long>(index) + 4);
}

void WriteXlsxWorkbookRelationships(TTesselXMLWriter& xml, const TXlsxSheets& sheets) {
  xml.OpenElement("Relationships", {}, {{"xmlns", ooxml::kPackageRelationships}});
  xml.WriteElement("Relationship", {}, {{"Id", u"rId3"}, {"Type", ooxml::kRelStyles}, {"Target", u"styles.xml"}});
  for (size_t i = 0; i < sheets.size(); ++i) {
    const WideString target = u"worksheets/" + Utf8ToWide(sheets[i].PartName) + u".xml";
    xml.WriteElement("Relationship", {},
                     {{"Id", XlsxSheetRelationshipId(i)}, {"Type", ooxml::kRelWorksheet}, {"Target", target}});
  }
  xml.WriteElement("Relationship", {},
                   {{"Id", u"rId4"}, {"Type", ooxml::kRelSharedStrings}, {"Target", u"sharedStrings.xml"}});
  xml.CloseElement("Relationships", true);
}

}  // namespace verimo
