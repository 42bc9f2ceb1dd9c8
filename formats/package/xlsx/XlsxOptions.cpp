#include "formats/package/xlsx/XlsxOptions.h"

#include <algorithm>

#include "engine/TesselIniFile.h"

namespace verimo {
namespace {

constexpr WideStringView kSection = u"XLSX";
constexpr WideStringView kStylePrefix = u"XLSX_OPTIONS_";
constexpr WideStringView kStripPrefix = u"XLSX_STRIP_STYLE_";

void SaveStyle(TTesselIniFile& file, WideStringView section, const TXlsxCellStyle& style) {
  file.WriteString(section, u"FontName", style.Font.Name);
  file.WriteInteger(section, u"FontSize", style.Font.Size);
  file.WriteInteger(section, u"FontColor", static_cast<int>(style.Font.Color));
  file.WriteBool(section, u"FontBold", style.Font.Bold);
  file.WriteBool(section, u"FontItalic", style.Font.Italic);
  file.WriteBool(section, u"FontUnderline", style.Font.Underline);
  file.WriteBool(section, u"UseBackground", style.UseBackground);
  file.WriteInteger(section, u"BackgroundColor", static_cast<int>(style.BackgroundColor));
  file.WriteInteger(section, u"HorAlignment", style.Alignment);
  file.WriteInteger(section, u"VertAlignment", style.VerticalAligment);
  file.WriteBool(section, u"UseBorder", style.UseBorder);
  file.WriteInteger(section, u"BorderStyle", style.Border.Style);
  file.WriteInteger(section, u"BorderColor", static_cast<int>(style.Border.Color));
}

template <typename E>
E Clamped(int value, E last, E fallback) {
  return value < 0 || value > static_cast<int>(last) ? fallback : static_cast<E>(value);
}

// Missing keys take the fixed defaults of the format, not the current values.
void LoadStyle(const TTesselIniFile& file, WideStringView section, TXlsxCellStyle& style) {
  style.Font.Name = file.ReadString(section, u"FontName", u"Calibri");
  if (style.Font.Name.empty()) style.Font.Name = u"Calibri";
  style.Font.Size = std::clamp(file.ReadInteger(section, u"FontSize", 11), 1, 409);
  style.Font.Color = static_cast<TColor>(file.ReadInteger(section, u"FontColor", 0)) & 0xFFFFFFu;
  style.Font.Bold = file.ReadBool(section, u"FontBold", false);
  style.Font.Italic = file.ReadBool(section, u"FontItalic", false);
  style.Font.Underline = file.ReadBool(section, u"FontUnderline", false);
  style.UseBackground = file.ReadBool(section, u"UseBackground", false);
  style.BackgroundColor = static_cast<TColor>(file.ReadInteger(section, u"BackgroundColor", 0)) & 0xFFFFFFu;
  style.Alignment = Clamped(file.ReadInteger(section, u"HorAlignment", 0), caJustify, caLeft);
  style.VerticalAligment = Clamped(file.ReadInteger(section, u"VertAlignment", 0), cvaBottom, cvaBottom);
  style.UseBorder = file.ReadBool(section, u"UseBorder", false);
  style.Border.Style = Clamped(file.ReadInteger(section, u"BorderStyle", 0), xbsMediumDashDotDot, xbsThin);
  style.Border.Color = static_cast<TColor>(file.ReadInteger(section, u"BorderColor", 0)) & 0xFFFFFFu;
}

WideString StyleSection(int index) { return WideString(kStylePrefix) + kPackageStyleCaptions[index]; }
WideString StripSection(int index) { return WideString(kStripPrefix) + IntToWide(index); }

}  // namespace

const char16_t* XlsxBorderStyleName(TXlsxBorderStyle style) {
  static constexpr const char16_t* kNames[] = {
      u"thin",   u"dashed", u"dashDot",      u"dashDotDot",    u"dotted",       u"hair",            u"double",
      u"thick",  u"medium", u"mediumDashed", u"mediumDashDot", u"slantDashDot", u"mediumDashDotDot"};
  return kNames[std::min<int>(style, xbsMediumDashDotDot)];
}

const TXlsxCellStyle& TTesselXlsxOptions::BaseStyle(int index) const {
  return BaseStyleOf<const TXlsxCellStyle>(*this, index);
}

TXlsxCellStyle& TTesselXlsxOptions::BaseStyle(int index) { return BaseStyleOf<TXlsxCellStyle>(*this, index); }

void SaveXlsxSettings(TTesselIniFile& file, const TTesselXlsxOptions& options, WideStringView sheetName) {
  file.WriteString(kSection, u"SheetName", sheetName);
  file.WriteInteger(kSection, u"StripType", options.StripStyleType);
  for (int i = 0; i < 4; ++i) SaveStyle(file, StyleSection(i), options.BaseStyle(i));
  EraseSectionsStartingWith(file, kStripPrefix);
  for (size_t i = 0; i < options.StripStylesList.size(); ++i)
    SaveStyle(file, StripSection(static_cast<int>(i)), options.StripStylesList[i].Options);
}

void LoadXlsxSettings(const TTesselIniFile& file, TTesselXlsxOptions& options, WideString& sheetName) {
  const WideString name = file.ReadString(kSection, u"SheetName", sheetName);
  if (!name.empty()) sheetName = name;
  options.StripStyleType = Clamped(file.ReadInteger(kSection, u"StripType", options.StripStyleType), ssRow, ssNone);
  for (int i = 0; i < 4; ++i)
    if (file.SectionExists(StyleSection(i))) LoadStyle(file, StyleSection(i), options.BaseStyle(i));
  options.StripStylesList.clear();
  for (int i = 0; file.SectionExists(StripSection(i)); ++i) {
    TXlsxStripStyle strip;
    LoadStyle(file, StripSection(i), strip.Options);
    options.StripStylesList.push_back(strip);
  }
}

}  // namespace verimo
