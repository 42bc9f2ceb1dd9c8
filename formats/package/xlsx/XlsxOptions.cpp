#include "formats/package/xlsx/XlsxOptions.h"

#include <algorithm>

#include "engine/TesselIniFile.h"

namespace verimo {
namespace {

constexpr WideStringView kSection = u"XLSX";
constexpr TStyleSections kStyleSections{u"XLSX_OPTIONS_", u"XLSX_STRIP_STYLE_"};
const TFontKeys kFontKeys{{u"Calibri", 11}, 409, false};

void SaveStyle(TTesselIniFile& file, WideStringView section, const TXlsxCellStyle& style) {
  SaveFontKeys(file, section, style.Font, kFontKeys);
  file.WriteBool(section, u"UseBackground", style.UseBackground);
  file.WriteInteger(section, u"BackgroundColor", static_cast<int>(style.BackgroundColor));
  file.WriteInteger(section, u"HorAlignment", style.Alignment);
  file.WriteInteger(section, u"VertAlignment", style.VerticalAligment);
  file.WriteBool(section, u"UseBorder", style.UseBorder);
  file.WriteInteger(section, u"BorderStyle", style.Border.Style);
  file.WriteInteger(section, u"BorderColor", static_cast<int>(style.Border.Color));
}

// Missing keys take the fixed defaults of the format, not the current values.
void LoadStyle(const TTesselIniFile& file, WideStringView section, TXlsxCellStyle& style) {
  LoadFontKeys(file, section, style.Font, kFontKeys);
  style.UseBackground = file.ReadBool(section, u"UseBackground", false);
  style.BackgroundColor = ColorSetting(file.ReadInteger(section, u"BackgroundColor", 0));
  style.Alignment = EnumSetting(file.ReadInteger(section, u"HorAlignment", 0), caJustify, caLeft);
  style.VerticalAligment = EnumSetting(file.ReadInteger(section, u"VertAlignment", 0), cvaBottom, cvaBottom);
  style.UseBorder = file.ReadBool(section, u"UseBorder", false);
  style.Border.Style = EnumSetting(file.ReadInteger(section, u"BorderStyle", 0), xbsMediumDashDotDot, xbsThin);
  style.Border.Color = ColorSetting(file.ReadInteger(section, u"BorderColor", 0));
}

void SaveStyle(TTesselIniFile& file, WideStringView section, const TXlsxStripStyle& strip) {
  SaveStyle(file, section, strip.Options);
}

void LoadStyle(const TTesselIniFile& file, WideStringView section, TXlsxStripStyle& strip) {
  LoadStyle(file, section, strip.Options);
}

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
  kStyleSections.SaveAll(file, options, [](auto&&... args) { SaveStyle(args...); });
}

void LoadXlsxSettings(const TTesselIniFile& file, TTesselXlsxOptions& options, WideString& sheetName) {
  const WideString name = file.ReadString(kSection, u"SheetName", sheetName);
  if (!name.empty()) sheetName = name;
  options.StripStyleType = EnumSetting(file.ReadInteger(kSection, u"StripType", options.StripStyleType), ssRow, ssNone);
  kStyleSections.LoadAll(file, options, [](auto&&... args) { LoadStyle(args...); });
}

}  // namespace verimo
