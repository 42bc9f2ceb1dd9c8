#include "formats/package/docx/DocxFontTable.h"

#include "formats/package/OfficeNamespaces.h"
#include "formats/package/TesselXMLWriter.h"

namespace verimo {
namespace {

struct TFontEntry {
  const char16_t* name;
  const char16_t* panose;
  const char16_t* family;
  const char16_t* usb0;
  const char16_t* usb1;
  const char16_t* usb2;
  const char16_t* csb0;
};

constexpr TFontEntry kFonts[] = {
    {u"Calibri", u"020F0502020204030204", u"swiss", u"A00002EF", u"4000207B", u"00000000", u"0000009F"},
    {u"Times New Roman", u"02020603050405020304", u"roman", u"20002A87", u"80000000", u"00000008", u"000001FF"},
    {u"Cambria", u"02040503050406030204", u"roman", u"A00002EF", u"4000004B", u"00000000", u"0000009F"},
};

}  // namespace

void WriteDocxFontTable(TTesselXMLWriter& xml) {
  xml.OpenElement("w:fonts", {}, {{"xmlns:r", ooxml::kDocumentRelationships}, {"xmlns:w", ooxml::kWordprocessingML}});
  for (const TFontEntry& font : kFonts) {
    xml.OpenElement("w:font", {}, {{"w:name", font.name}});
    xml.WriteElement("w:panose1", {}, {{"w:val", font.panose}});
    xml.WriteElement("w:charset", {}, {{"w:val", u"CC"}});
    xml.WriteElement("w:family", {}, {{"w:val", font.family}});
    xml.WriteElement("w:pitch", {}, {{"w:val", u"variable"}});
    xml.WriteElement("w:sig", {},
                     {{"w:usb0", font.usb0}, {"w:usb1", font.usb1}, {"w:usb2", font.usb2}, {"w:usb3", u"00000000"},
                      {"w:csb0", font.csb0}, {"w:csb1", u"00000000"}});
    xml.CloseElement("w:font", true);
  }
  xml.CloseElement("w:fonts", true);
}

}  // namespace verimo
