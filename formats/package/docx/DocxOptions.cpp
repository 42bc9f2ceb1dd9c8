#include "formats/package/docx/DocxOptions.h"

#include <algorithm>

#include "engine/TesselIniFile.h"

namespace verimo {
namespace {

constexpr WideStringView kSection = u"DOCX";
constexpr TStyleSections kStyleSections{u"DOCX_OPTIONS_", u"DOCX_STRIP_STYLE_"};

const TFontKeys kFontKeys{{u"Calibri", 11}, 1638, true};

void SaveStyle(TTesselIniFile& file, WideStringView section, const TDocxCellStyle& style) {
  SaveFontKeys(file, section, style.Font, kFontKeys);
  file.WriteBool(section, u"UseBackground", style.UseBackground);
  file.WriteInteger(section, u"BackgroundColor", static_cast<int>(style.BackgroundColor));
  file.WriteInteger(section, u"HorAlignment", style.Alignment);
  file.WriteBool(section, u"UseHighlight", style.UseHighlight);
  file.WriteInteger(section, u"HighlightColor", style.HighlightColor);
}

void LoadStyle(const TTesselIniFile& file, WideStringView section, TDocxCellStyle& style) {
  LoadFontKeys(file, section, style.Font, kFontKeys);
  style.UseBackground = file.ReadBool(section, u"UseBackground", false);
  style.BackgroundColor = ColorSetting(file.ReadInteger(section, u"BackgroundColor", 0));
  style.Alignment = EnumSetting(file.ReadInteger(section, u"HorAlignment", 0), caJustify, caLeft);
  style.UseHighlight = file.ReadBool(section, u"UseHighlight", false);
  style.HighlightColor = EnumSetting(file.ReadInteger(section, u"HighlightColor", 0), hcBlack, hcNone);
}

void SaveStyle(TTesselIniFile& file, WideStringView section, const TDocxStripStyle& strip) {
  SaveStyle(file, section, strip.Options);
}

void LoadStyle(const TTesselIniFile& file, WideStringView section, TDocxStripStyle& strip) {
  LoadStyle(file, section, strip.Options);
}

}  // namespace

const char16_t* DocxBorderStyleName(TDocxBorderStyle style) {
  static constexpr const char16_t* kNames[] = {
      u"single",           u"thick",                  u"double",           u"hairline",
      u"dot",              u"dashLargeGap",           u"dotDash",          u"dotDotDash",
      u"triple",           u"thinThickSmallGap",      u"thickThinSmallGap", u"thinThickThinSmallGap",
      u"thinThickMediumGap", u"thickThinMediumGap",   u"thinThickThinMediumGap", u"thinThickLargeGap",
      u"thickThinLargeGap", u"thinThickThinLargeGap", u"wave",             u"doubleWave",
      u"dashSmallGap",     u"dashDotStroker",         u"emboss3D",         u"engrave3D"};
  return kNames[std::min<int>(style, dbsEngrave3D)];
}

const char16_t* DocxHighlightName(TMSHighlightColor color) {
  static constexpr const char16_t* kNames[] = {
      nullptr,       u"yellow",      u"green",     u"cyan",       u"magenta",  u"blue",      u"red",      u"darkBlue",
      u"darkCyan",   u"darkGreen",   u"darkMagenta", u"darkRed",  u"darkYellow", u"darkGray", u"lightGray", u"black"};
  return kNames[std::min<int>(color, hcBlack)];
}

const TDocxCellStyle& TTesselDocxOptions::BaseStyle(int index) const {
  return BaseStyleOf<const TDocxCellStyle>(*this, index);
}

TDocxCellStyle& TTesselDocxOptions::BaseStyle(int index) { return BaseStyleOf<TDocxCellStyle>(*this, index); }

void SaveDocxSettings(TTesselIniFile& file, const TTesselDocxOptions& options) {
  file.WriteInteger(kSection, u"StripType", options.StripStyleType);
  file.WriteBool(kSection, u"UseBorder", options.UseBorder);
  file.WriteInteger(kSection, u"BorderColor", static_cast<int>(options.Border.Color));
  file.WriteInteger(kSection, u"BorderStyle", options.Border.Style);
  file.WriteInteger(kSection, u"PageOrientation", options.PageOrientation);
  file.WriteBool(kSection, u"AutoOrientation", options.AutoOrientation);
  kStyleSections.SaveAll(file, options, [](auto&&... args) { SaveStyle(args...); });
}

void LoadDocxSettings(const TTesselIniFile& file, TTesselDocxOptions& options) {
  options.StripStyleType = EnumSetting(file.ReadInteger(kSection, u"StripType", options.StripStyleType), ssRow, ssNone);
  options.UseBorder = file.ReadBool(kSection, u"UseBorder", options.UseBorder);
  options.Border.Color = ColorSetting(file.ReadInteger(kSection, u"BorderColor", static_cast<int>(options.Border.Color)));
  options.Border.Style =
      EnumSetting(file.ReadInteger(kSection, u"BorderStyle", options.Border.Style), dbsEngrave3D, dbsSingle);
  options.PageOrientation =
      EnumSetting(file.ReadInteger(kSection, u"PageOrientation", options.PageOrientation), poLandscape, poPortrait);
  options.AutoOrientation = file.ReadBool(kSection, u"AutoOrientation", options.AutoOrientation);
  kStyleSections.LoadAll(file, options, [](auto&&... args) { LoadStyle(args...); });
}

}  // namespace verimo
