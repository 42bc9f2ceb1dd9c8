#include "formats/package/xlsx/XlsxRelationships.h"

#include "formats/package/OfficeNamespaces.h"
#include "formats/package/OfficeParts.h"
#include "formats/package/TesselXMLWriter.h"

namespace verimo {

WideString XlsxSheetRelationshipId(size_t index) {
  return u"rId" + IntToWide(index == 0 ? 1 : static_cast<long long>(index) + 4);
}

void WriteXlsxWorkbookRelationships(TTesselXMLWriter& xml, const TXlsxSheets& sheets) {
  xml.OpenElement("Relationships", {}, {{"xmlns", ooxml::kPackageRelationships}});
  WriteRelationship(xml, u"rId3", ooxml::kRelStyles, u"styles.xml");
  for (size_t i = 0; i < sheets.size(); ++i) {
    const WideString target = u"worksheets/" + Utf8ToWide(sheets[i].PartName) + u".xml";
    WriteRelationship(xml, XlsxSheetRelationshipId(i), ooxml::kRelWorksheet, target);
  }
  WriteRelationship(xml, u"rId4", ooxml::kRelSharedStrings, u"sharedStrings.xml");
  xml.CloseElement("Relationships", true);
}

}  // namespace verimo
