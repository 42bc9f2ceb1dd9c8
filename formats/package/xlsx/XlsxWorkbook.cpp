#include "formats/package/xlsx/XlsxWorkbook.h"

#include "formats/package/OfficeNamespaces.h"
#include "formats/package/TesselXMLWriter.h"
#include "formats/package/xlsx/XlsxRelationships.h"

namespace verimo {

void WriteXlsxWorkbook(TTesselXMLWriter& xml, const TXlsxSheets& sheets) {
  xml.OpenElement("workbook", {}, {{"xmlns", ooxml::kSpreadsheetML}, {"xmlns:r", ooxml::kDocumentRelationships}});
  xml.WriteElement("fileVersion ", {}, {{"lastEdited", u"4"}, {"lowestEdited", u"4"}, {"rupBuild", u"4017"}});
  xml.WriteElement("workbookPr", {}, {{"defaultThemeVersion", u"123820"}});
  xml.OpenElement("bookViews");
  xml.WriteElement("workbookView", {},
                   {{"xWindow", u"120"}, {"yWindow", u"105"}, {"windowWidth", u"14175"}, {"windowHeight", u"7365"}});
  xml.CloseElement("bookViews", true);
  xml.OpenElement("sheets");
  for (size_t i = 0; i < sheets.size(); ++i) {
    xml.WriteElement("sheet", {},
                     {{"name", sheets[i].Name},
                      {"sheetId", IntToWide(static_cast<long long>(i) + 1)},
                      {"r:id", XlsxSheetRelationshipId(i)}});
  }
  xml.CloseElement("sheets", true);
  xml.WriteElement("calcPr", {}, {{"calcId", u"122211"}});
  xml.WriteElement("webPublishing", {}, {{"codePage", u"1251"}});
  xml.CloseElement("workbook", true);
}

}  // namespace verimo
