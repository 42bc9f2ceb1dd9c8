#include "formats/package/odf/OdtOptions.h"

#include "engine/TesselIniFile.h"
#include "formats/package/odf/OdfText.h"

namespace verimo {
namespace {

constexpr WideStringView kSection = u"ODT";
constexpr TStyleSections kStyleSections{u"ODT_STYLE_", u"ODT_STRIP_STYLE_"};
constexpr const char* kPrefixes[] = {"", "Layer", "Ender", "LayerEnder"};

WideString Numbered(WideStringView base, size_t index) {
  return WideString(base) + IntToWide(static_cast<long long>(index) + 1);
}

void AppendParagraphStyle(std::string& out, WideStringView name, const TODTParagraphStyle& style) {
  out += "<style:style style:family=\"paragraph\" style:parent-style-name=\"Standard\" ";
  AppendODFAttribute(out, "style:name", name);
  out += '>';
  AppendODFTextProperties(out, style.Font);
  out += "<style:paragraph-properties ";
  AppendODFAttribute(out, "fo:text-align", ODFTextAlign(style.Alignment));
  if (style.AllowHighlight) AppendODFAttribute(out, "fo:background-color", ODFColor(style.HighlightColor));
  out += "/></style:style>\r\n";
}

// One cell style and, with a solid border, its three edge variants.
void AppendCellStyles(std::string& out, WideStringView name, const TODTCellParagraphStyle& style,
                      const TODFBorder& border) {
  const bool solid = border.BorderStyle == bsODFSolid;
  const WideString edge = ODFBorderText(border);
  for (int variant = 0; variant < (solid ? 4 : 1); ++variant) {
    const bool bottom = variant == 1 || variant == 3;
    const bool right = variant >= 2;
    out += "<style:style ";
    AppendODFAttribute(out, "style:name", Utf8ToWide(kPrefixes[variant]) + WideString(name));
    out += "style:family=\"table-cell\" ><style:table-cell-properties fo:padding=\"0.035cm\" ";
    AppendODFAttribute(out, "fo:border-top", solid ? edge : u"none");
    AppendODFAttribute(out, "fo:border-left", solid ? edge : u"none");
    AppendODFAttribute(out, "fo:border-bottom", solid && bottom ? edge : u"none");
    AppendODFAttribute(out, "fo:border-right", solid && right ? edge : u"none");
    AppendODFAttribute(out, "style:vertical-align", ODFVerticalAlign(style.VerticalAligment));
    if (style.AllowBackground) AppendODFAttribute(out, "fo:background-color", ODFColor(style.BackgroundColor));
    out += "/></style:style>\r\n";
  }
}

}  // namespace

const char* ODTCellStylePrefix(const TODFBorder& border, bool lastRow, bool lastColumn) {
  if (border.BorderStyle != bsODFSolid) return "";
  return kPrefixes[(lastRow ? 1 : 0) + (lastColumn ? 2 : 0)];
}

const TODTParagraphStyle& TTesselODTOptions::BaseStyle(int index) const {
  return BaseStyleOf<const TODTParagraphStyle>(*this, index);
}

TODTParagraphStyle& TTesselODTOptions::BaseStyle(int index) { return BaseStyleOf<TODTParagraphStyle>(*this, index); }

void AppendODTFontFaces(std::string& out, const TTesselODTOptions& options) {
  std::vector<WideString> declared;
  for (const TODTParagraphStyle* style :
       {&options.HeaderStyle, &options.FooterStyle, static_cast<const TODTParagraphStyle*>(&options.CaptionRowStyle),
        static_cast<const TODTParagraphStyle*>(&options.DataStyle)})
    AppendODFFontFace(out, style->Font.Name, declared);
  for (size_t i = 0; i < static_cast<size_t>(options.StripCount()); ++i)
    AppendODFFontFace(out, options.StripStylesList[i].Font.Name, declared);
}

void AppendODTStyles(std::string& out, const TTesselODTOptions& options) {
  const size_t strips = static_cast<size_t>(options.StripCount());
  out += "<style:style style:name=\"DefaultColumnStyle\" style:family=\"table-column\" >"
         "<style:table-column-properties/></style:style>\r\n";
  AppendCellStyles(out, u"CaptionCellRow", options.CaptionRowStyle, options.Border);
  AppendCellStyles(out, u"DataCellStyle", options.DataStyle, options.Border);
  for (size_t i = 0; i < strips; ++i)
    AppendCellStyles(out, Numbered(u"StripCellStyle", i), options.StripStylesList[i], options.Border);
  AppendParagraphStyle(out, u"Header", options.HeaderStyle);
  AppendParagraphStyle(out, u"Footer", options.FooterStyle);
  AppendParagraphStyle(out, u"CaptionRow", options.CaptionRowStyle);
  AppendParagraphStyle(out, u"DataStyle", options.DataStyle);
  for (size_t i = 0; i < strips; ++i) AppendParagraphStyle(out, Numbered(u"StripStyle", i), options.StripStylesList[i]);
}

void SaveODTSettings(TTesselIniFile& file, const TTesselODTOptions& options, WideStringView tableName) {
  file.WriteString(kSection, u"TableName", tableName);
  file.WriteInteger(kSection, u"StripType", options.StripStyle);
  file.WriteInteger(kSection, u"BorderStyle", options.Border.BorderStyle);
  file.WriteInteger(kSection, u"BorderColor", static_cast<int>(options.Border.BorderColor));
  file.WriteInteger(kSection, u"BorderWidth", options.Border.BorderWidth);
  // The base styles by their own types: the caption and data styles have a
  // vertical alignment.
  const auto save = [](auto&&... args) { SaveODFStyle(args...); };
  save(file, kStyleSections.Style(0), options.HeaderStyle);
  save(file, kStyleSections.Style(1), options.CaptionRowStyle);
  save(file, kStyleSections.Style(2), options.DataStyle);
  save(file, kStyleSections.Style(3), options.FooterStyle);
  kStyleSections.SaveStrips(file, options.StripStylesList, save);
}

void LoadODTSettings(const TTesselIniFile& file, TTesselODTOptions& options, WideString& tableName) {
  const WideString name = file.ReadString(kSection, u"TableName", tableName);
  if (!name.empty()) tableName = name;
  const int strip = file.ReadInteger(kSection, u"StripType", options.StripStyle);
  options.StripStyle = strip >= ssNone && strip <= ssRow ? static_cast<TODFStripStyleType>(strip) : ssNone;
  LoadODFBorder(file, kSection, options.Border);
  const auto load = [&file](int index, auto& style) {
    if (file.SectionExists(kStyleSections.Style(index))) LoadODFStyle(file, kStyleSections.Style(index), style);
  };
  load(0, options.HeaderStyle);
  load(1, options.CaptionRowStyle);
  load(2, options.DataStyle);
  load(3, options.FooterStyle);
  kStyleSections.LoadStrips(file, options.StripStylesList, [](auto&&... args) { LoadODFStyle(args...); });
}

}  // namespace verimo
