#include "formats/package/xlsx/XlsxDocProps.h"

#include "formats/package/OfficeNamespaces.h"
#include "formats/package/TesselXMLWriter.h"

namespace verimo {

void WriteXlsxAppProperties(TTesselXMLWriter& xml, const TXlsxSheets& sheets) {
  const WideString count = IntToWide(static_cast<long long>(sheets.size()));
  xml.OpenElement("Properties", {}, {{"xmlns", ooxml::kExtendedProperties}, {"xmlns:vt", ooxml::kDocPropsVTypes}});
  xml.WriteElement("Application", u"Microsoft Excel");
  xml.WriteElement("DocSecurity", u"0");
  xml.WriteElement("ScaleCrop", u"false");
  xml.OpenElement("HeadingPairs");
  xml.OpenElement("vt:vector", {}, {{"size", u"2"}, {"baseType", u"variant"}});
  xml.OpenElement("vt:variant");
  xml.WriteElement("vt:lpstr", u"Worksheets");
  xml.CloseElement("vt:variant", true);
  xml.OpenElement("vt:variant");
  xml.WriteElement("vt:i4", count);
  xml.CloseElement("vt:variant", true);
  xml.CloseElement("vt:vector", true);
  xml.CloseElement("HeadingPairs", true);
  xml.OpenElement("TitlesOfParts");
  xml.OpenElement("vt:vector", {}, {{"size", count}, {"baseType", u"lpstr"}});
  for (const TXlsxSheetInfo& sheet : sheets) {
    xml.OpenElement("vt:lpstr", sheet.Name);
    xml.CloseElement("vt:lpstr");
  }
  xml.CloseElement("vt:vector", true);
  xml.CloseElement("TitlesOfParts", true);
  xml.WriteElement("Company");
  xml.WriteElement("LinksUpToDate", u"false");
  xml.WriteElement("SharedDoc", u"false");
  xml.WriteElement("HyperlinksChanged", u"false");
  xml.WriteElement("AppVersion", u"12.0000");
  xml.CloseElement("Properties", true);
}

}  // namespace verimo
