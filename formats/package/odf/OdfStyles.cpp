#include "formats/package/odf/OdfStyles.h"

#include <algorithm>
#include <string>

#include "engine/TesselIniFile.h"
#include "formats/package/odf/OdfText.h"

namespace verimo {
namespace {

const TFontKeys kFontKeys{{u"arial", 10}, 999, true};

}  // namespace

WideString ODFColor(TColor color) { return u"#" + ColorToHexWide(color); }

// Decimal arithmetic on width × 352 / 10000, so that 100 gives 3.52 and
// not the binary neighbour of 3.52.
WideString ODFBorderWidth(int width) {
  const long long scaled = static_cast<long long>(std::max(width, 0)) * 352;
  std::string digits = std::to_string(scaled / 10000);
  std::string fraction = std::to_string(scaled % 10000);
  fraction.insert(0, 4 - fraction.size(), '0');
  while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
  if (!fraction.empty()) digits += "." + fraction;
  return Utf8ToWide(digits.substr(0, 5)) + u"cm";
}

WideString ODFBorderText(const TODFBorder& border) {
  if (border.BorderStyle != bsODFSolid) return u"none";
  return ODFBorderWidth(border.BorderWidth) + u" solid " + ODFColor(border.BorderColor);
}

const char16_t* ODFTextAlign(TODFTextAlignment alignment) {
  switch (alignment) {
    case taODFRight: return u"end";
    case taODFCenter: return u"center";
    case taODFJustify: return u"justify";
    default: return u"start";
  }
}

const char16_t* ODFVerticalAlign(TODFTextVerticalAligment alignment) {
  switch (alignment) {
    case taODFTop: return u"top";
    case taODFMiddle: return u"middle";
    default: return u"bottom";
  }
}

void SaveODFStyle(TTesselIniFile& file, WideStringView section, const TODSParagraphStyle& style) {
  SaveFontKeys(file, section, style.Font, kFontKeys);
  file.WriteBool(section, u"AllowBackground", style.AllowBackground);
  file.WriteInteger(section, u"BackgroundColor", static_cast<int>(style.BackgroundColor));
  file.WriteInteger(section, u"HorAlignment", style.Alignment);
}

void LoadODFStyle(const TTesselIniFile& file, WideStringView section, TODSParagraphStyle& style) {
  LoadFontKeys(file, section, style.Font, kFontKeys);
  style.AllowBackground = file.ReadBool(section, u"AllowBackground", true);
  style.BackgroundColor = ColorSetting(file.ReadInteger(section, u"BackgroundColor", static_cast<int>(clWhite)));
  style.Alignment = EnumSetting(file.ReadInteger(section, u"HorAlignment", 0), taODFJustify, taODFLeft);
}

void SaveODFBorder(TTesselIniFile& file, WideStringView section, const TODFBorder& border) {
  file.WriteInteger(section, u"BorderStyle", border.BorderStyle);
  file.WriteInteger(section, u"BorderWidth", border.BorderWidth);
  file.WriteInteger(section, u"BorderColor", static_cast<int>(border.BorderColor));
}

void LoadODFBorder(const TTesselIniFile& file, WideStringView section, TODFBorder& border) {
  border.BorderStyle = EnumSetting(file.ReadInteger(section, u"BorderStyle", border.BorderStyle), bsODFSolid, bsODFNone);
  border.BorderWidth = std::clamp(file.ReadInteger(section, u"BorderWidth", border.BorderWidth), 0, 1000);
  border.BorderColor = ColorSetting(file.ReadInteger(section, u"BorderColor", static_cast<int>(border.BorderColor)));
}

void SaveODFStyle(TTesselIniFile& file, WideStringView section, const TODSCellParagraphStyle& style) {
  SaveODFStyle(file, section, static_cast<const TODSParagraphStyle&>(style));
  file.WriteInteger(section, u"VertAlignment", style.VerticalAligment);
  SaveODFBorder(file, section, style.Border);
}

void LoadODFStyle(const TTesselIniFile& file, WideStringView section, TODSCellParagraphStyle& style) {
  LoadODFStyle(file, section, static_cast<TODSParagraphStyle&>(style));
  style.VerticalAligment = EnumSetting(file.ReadInteger(section, u"VertAlignment", taODFBottom), taODFBottom, taODFBottom);
  style.Border = TODFBorder();
  LoadODFBorder(file, section, style.Border);
}

void SaveODFStyle(TTesselIniFile& file, WideStringView section, const TODSStripCellParagraphStyle& style) {
  SaveODFStyle(file, section, static_cast<const TODSCellParagraphStyle&>(style));
  file.WriteBool(section, u"UseDataStyleBorder", style.UseDataStyleBorder);
}

void LoadODFStyle(const TTesselIniFile& file, WideStringView section, TODSStripCellParagraphStyle& style) {
  LoadODFStyle(file, section, static_cast<TODSCellParagraphStyle&>(style));
  style.UseDataStyleBorder = file.ReadBool(section, u"UseDataStyleBorder", true);
}

void SaveODFStyle(TTesselIniFile& file, WideStringView section, const TODTParagraphStyle& style) {
  SaveODFStyle(file, section, static_cast<const TODSParagraphStyle&>(style));
  file.WriteBool(section, u"AllowHighlight", style.AllowHighlight);
  file.WriteInteger(section, u"HighlightColor", static_cast<int>(style.HighlightColor));
}

void LoadODFStyle(const TTesselIniFile& file, WideStringView section, TODTParagraphStyle& style) {
  LoadODFStyle(file, section, static_cast<TODSParagraphStyle&>(style));
  style.AllowHighlight = file.ReadBool(section, u"AllowHighlight", false);
  style.HighlightColor = ColorSetting(file.ReadInteger(section, u"HighlightColor", static_cast<int>(clWhite)));
}

void SaveODFStyle(TTesselIniFile& file, WideStringView section, const TODTCellParagraphStyle& style) {
  SaveODFStyle(file, section, static_cast<const TODTParagraphStyle&>(style));
  file.WriteInteger(section, u"VertAlignment", style.VerticalAligment);
}

void LoadODFStyle(const TTesselIniFile& file, WideStringView section, TODTCellParagraphStyle& style) {
  LoadODFStyle(file, section, static_cast<TODTParagraphStyle&>(style));
  style.VerticalAligment = EnumSetting(file.ReadInteger(section, u"VertAlignment", taODFBottom), taODFBottom, taODFBottom);
}


void AppendODFTextProperties(std::string& out, const TPackageFont& font) {
  out += "<style:text-properties ";
  AppendODFAttribute(out, "style:font-name", font.Name);
  AppendODFAttribute(out, "fo:font-size", IntToWide(font.Size) + u"pt");
  AppendODFAttribute(out, "fo:color", ODFColor(font.Color));
  if (font.Italic) out += "fo:font-style=\"italic\" ";
  if (font.Bold) out += "fo:font-weight=\"bold\" ";
  if (font.Underline)
    out += "style:text-underline-style=\"solid\" style:text-underline-width=\"auto\" "
           "style:text-underline-color=\"font-color\" ";
  if (font.StrikeOut) out += "style:text-line-through-style=\"solid\" ";
  out += "/>";
}

void AppendODFFontFace(std::string& out, const WideString& fontName, std::vector<WideString>& declared) {
  if (std::find(declared.begin(), declared.end(), fontName) != declared.end()) return;
  declared.push_back(fontName);
  out += "<style:font-face ";
  AppendODFAttribute(out, "style:name", fontName);
  AppendODFAttribute(out, "svg:font-family", fontName);
  out += "style:font-pitch=\"variable\" />";
}

}  // namespace verimo
