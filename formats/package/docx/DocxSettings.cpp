#include "formats/package/docx/DocxSettings.h"

#include "formats/package/OfficeNamespaces.h"
#include "formats/package/TesselXMLWriter.h"

namespace verimo {

void WriteDocxSettings(TTesselXMLWriter& xml) {
  xml.OpenElement("w:settings", {},
                  {{"xmlns:o", ooxml::kOffice},
                   {"xmlns:r", ooxml::kDocumentRelationships},
                   {"xmlns:m", ooxml::kOfficeMath},
                   {"xmlns:v", ooxml::kVml},
                   {"xmlns:w10", ooxml::kOfficeWord},
                   {"xmlns:w", ooxml::kWordprocessingML},
                   {"xmlns:sl", ooxml::kSchemaLibrary}});
  xml.WriteElement("w:defaultTabStop", {}, {{"w:val", u"708"}});
  xml.WriteElement("w:characterSpacingControl", {}, {{"w:val", u"dontCompress"}});
  xml.WriteElement("w:compat");
  xml.OpenElement("w:rsids");
  xml.WriteElement("w:rsidRoot", {}, {{"w:val", u"0072099D"}});
  xml.WriteElement("w:rsid", {}, {{"w:val", u"0072099D"}});
  xml.WriteElement("w:rsid", {}, {{"w:val", u"00E86975"}});
  xml.CloseElement("w:rsids", true);
  xml.WriteElement("w:themeFontLang", {}, {{"w:val", u"ru-RU"}});
  xml.WriteElement("w:clrSchemeMapping", {},
                   {{"w:bg1", u"light1"}, {"w:t1", u"dark1"}, {"w:bg2", u"light2"}, {"w:t2", u"dark2"},
                    {"w:accent1", u"accent1"}, {"w:accent2", u"accent2"}, {"w:accent3", u"accent3"},
                    {"w:accent4", u"accent4"}, {"w:accent5", u"accent5"}, {"w:accent6", u"accent6"},
                    {"w:hyperlink", u"hyperlink"}, {"w:followedHyperlink", u"followedHyperlink"}});
  xml.OpenElement("w:shapeDefaults");
  xml.WriteElement("o:shapedefaults", {}, {{"v:ext", u"edit"}, {"spidmax", u"2050"}});
  xml.OpenElement("o:shapelayout", {}, {{"v:ext", u"edit"}});
  xml.WriteElement("o:idmap", {}, {{"v:ext", u"edit"}, {"data", u"1"}});
  xml.CloseElement("o:shapelayout", true);
  xml.CloseElement("w:shapeDefaults", true);
  xml.CloseElement("w:settings", true);
}

void WriteDocxWebSettings(TTesselXMLWriter& xml) {
  xml.OpenElement("w:webSettings", {},
                  {{"xmlns:r", ooxml::kDocumentRelationships}, {"xmlns:w", ooxml::kWordprocessingML}});
  xml.WriteElement("w:optimizeForBrowser");
  xml.WriteElement("w:allowPNG");
  xml.CloseElement("w:webSettings", true);
}

}  // namespace verimo
