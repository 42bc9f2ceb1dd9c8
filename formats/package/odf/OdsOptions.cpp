#include "formats/package/odf/OdsOptions.h"

#include "engine/TesselIniFile.h"
#include "formats/package/odf/OdfText.h"

namespace verimo {
namespace {

constexpr WideStringView kSection = u"ODS";
constexpr TStyleSections kStyleSections{u"ODS_STYLE_", u"ODS_STRIP_STYLE_"};

WideString StripName(size_t index) { return u"StripStyle" + IntToWide(static_cast<long long>(index) + 1); }

void AppendCellStyle(std::string& out, WideStringView name, const TODSParagraphStyle& style,
                     TODFTextVerticalAligment vertical, const TODFBorder& border, std::string_view dataStyle = {}) {
  out += "<style:style ";
  AppendODFAttribute(out, "style:name", name);
  out += "style:family=\"table-cell\" style:parent-style-name=\"Default\" ";
  if (!dataStyle.empty()) {
    out += "style:data-style-name=\"";
    out += dataStyle;
    out += "\" ";
  }
  out += '>';
  AppendODFTextProperties(out, style.Font);
  out += "<style:paragraph-properties ";
  AppendODFAttribute(out, "fo:text-align", ODFTextAlign(style.Alignment));
  out += "/><style:table-cell-properties style:text-align-source=\"fix\" style:repeat-content=\"false\" ";
  AppendODFAttribute(out, "fo:border", ODFBorderText(border));
  AppendODFAttribute(out, "style:vertical-align", ODFVerticalAlign(vertical));
  if (style.AllowBackground) AppendODFAttribute(out, "fo:background-color", ODFColor(style.BackgroundColor));
  out += "/></style:style>\r\n";
}

void AppendCellStyle(std::string& out, WideStringView name, const TODSCellParagraphStyle& style,
                     std::string_view dataStyle = {}) {
  AppendCellStyle(out, name, style, style.VerticalAligment, style.Border, dataStyle);
}

void AppendStripStyle(std::string& out, WideStringView name, const TTesselODSOptions& options, size_t strip,
                      std::string_view dataStyle = {}) {
  const TODSStripCellParagraphStyle& style = options.StripStylesList[strip];
  AppendCellStyle(out, name, style, style.VerticalAligment,
                  style.UseDataStyleBorder ? options.DataStyle.Border : style.Border, dataStyle);
}

void AppendCellStyles(std::string& out, const TTesselODSOptions& options) {
  out += "<style:style style:name=\"DefaultCell\" style:family=\"table-cell\" style:parent-style-name=\"Default\" >"
         "<style:text-properties style:font-name=\"Arial\" fo:font-size=\"10pt\" fo:color=\"#000000\" />"
         "<style:paragraph-properties fo:text-align=\"start\" />"
         "<style:table-cell-properties fo:background-color=\"#FFFFFF\" style:text-align-source=\"fix\" "
         "style:repeat-content=\"false\" style:vertical-align=\"bottom\" /></style:style>\r\n";
  AppendCellStyle(out, u"Header", options.HeaderStyle);
  AppendCellStyle(out, u"Footer", options.FooterStyle);
  AppendCellStyle(out, u"CaptionRow", options.CaptionRowStyle);
  AppendCellStyle(out, u"DataStyle", options.DataStyle);
  for (size_t i = 0; i < static_cast<size_t>(options.StripCount()); ++i) AppendStripStyle(out, StripName(i), options, i);
}

}  // namespace

const TODSCellParagraphStyle& TTesselODSOptions::BaseStyle(int index) const {
  return BaseStyleOf<const TODSCellParagraphStyle>(*this, index);
}

TODSCellParagraphStyle& TTesselODSOptions::BaseStyle(int index) { return BaseStyleOf<TODSCellParagraphStyle>(*this, index); }

void AppendODSFontFaces(std::string& out, const TTesselODSOptions& options) {
  std::vector<WideString> declared;
  AppendODFFontFace(out, u"Arial", declared);
  for (const TODSCellParagraphStyle* style :
       {&options.HeaderStyle, &options.FooterStyle, &options.CaptionRowStyle, &options.DataStyle})
    AppendODFFontFace(out, style->Font.Name, declared);
  for (size_t i = 0; i < static_cast<size_t>(options.StripCount()); ++i)
    AppendODFFontFace(out, options.StripStylesList[i].Font.Name, declared);
}

void AppendODSAutomaticStyles(std::string& out, const TTesselODSOptions& options) {
  out += "<style:style style:name=\"DefaultTableStyle\" style:family=\"table\" >"
         "<style:table-properties table:display=\"true\" style:writing-mode=\"lr-tb\" /></style:style>\r\n"
         "<style:style style:name=\"DefaultRowStyle\" style:family=\"table-row\" >"
         "<style:table-row-properties/></style:style>\r\n"
         "<style:style style:name=\"DefaultColumnStyle\" style:family=\"table-column\" >"
         "<style:table-column-properties/></style:style>\r\n";
  AppendCellStyles(out, options);
}

void AppendODSDataCellStyle(std::string& out, WideStringView name, const TTesselODSOptions& options, int strip,
                            std::string_view dataStyle) {
  if (strip < 0) AppendCellStyle(out, name, options.DataStyle, dataStyle);
  else AppendStripStyle(out, name, options, static_cast<size_t>(strip), dataStyle);
}

void AppendODSCommonStyles(std::string& out, const TTesselODSOptions& options) {
  out += "<style:style style:name=\"Default\" style:family=\"table-cell\" />\r\n";
  AppendCellStyles(out, options);
}

void SaveODSSettings(TTesselIniFile& file, const TTesselODSOptions& options, WideStringView sheetName) {
  file.WriteString(kSection, u"SheetName", sheetName);
  file.WriteInteger(kSection, u"StripType", options.StripStyle);
  kStyleSections.SaveAll(file, options, [](auto&&... args) { SaveODFStyle(args...); });
}

void LoadODSSettings(const TTesselIniFile& file, TTesselODSOptions& options, WideString& sheetName) {
  const WideString name = file.ReadString(kSection, u"SheetName", sheetName);
  if (!name.empty()) sheetName = name;
  const int strip = file.ReadInteger(kSection, u"StripType", options.StripStyle);
  options.StripStyle = strip >= ssNone && strip <= ssRow ? static_cast<TODFStripStyleType>(strip) : ssNone;
  kStyleSections.LoadAll(file, options, [](auto&&... args) { LoadODFStyle(args...); });
}

}  // namespace verimo
