#include "formats/package/docx/DocxOptions.h"

#include <algorithm>

#include "engine/TesselIniFile.h"

namespace verimo {
namespace {

constexpr WideStringView kSection = u"DOCX";
constexpr WideStringView kStylePrefix = u"DOCX_OPTIONS_";
constexpr WideStringView kStripPrefix = u"DOCX_STRIP_STYLE_";

template <typename E>
E Clamped(int value, E last, E fallback) {
  return value < 0 || value > static_cast<int>(last) ? fallback : static_cast<E>(value);
}

TColor ColorValue(int value) { return static_cast<TColor>(value) & 0xFFFFFFu; }

void SaveStyle(TTesselIniFile& file, WideStringView section, const TDocxCellStyle& style) {
  file.WriteString(section, u"FontName", style.Font.Name);
  file.WriteInteger(section, u"FontSize", style.Font.Size);
  file.WriteInteger(section, u"FontColor", static_cast<int>(style.Font.Color));
  file.WriteBool(section, u"FontBold", style.Font.Bold);
  file.WriteBool(section, u"FontItalic", style.Font.Italic);
  file.WriteBool(section, u"FontUnderline", style.Font.Underline);
  file.WriteBool(section, u"FontStrikeOut", style.Font.StrikeOut);
  file.WriteBool(section, u"UseBackground", style.UseBackground);
  file.WriteInteger(section, u"BackgroundColor", static_cast<int>(style.BackgroundColor));
  file.WriteInteger(section, u"HorAlignment", style.Alignment);
  file.WriteBool(section, u"UseHighlight", style.UseHighlight);
  file.WriteInteger(section, u"HighlightColor", style.HighlightColor);
}

void LoadStyle(const TTesselIniFile& file, WideStringView section, TDocxCellStyle& style) {
  style.Font.Name = file.ReadString(section, u"FontName", u"Calibri");
  if (style.Font.Name.empty()) style.Font.Name = u"Calibri";
  style.Font.Size = std::clamp(file.ReadInteger(section, u"FontSize", 11), 1, 1638);
  style.Font.Color = ColorValue(file.ReadInteger(section, u"FontColor", 0));
  style.Font.Bold = file.ReadBool(section, u"FontBold", false);
  style.Font.Italic = file.ReadBool(section, u"FontItalic", false);
  style.Font.Underline = file.ReadBool(section, u"FontUnderline", false);
  style.Font.StrikeOut = file.ReadBool(section, u"FontStrikeOut", false);
  style.UseBackground = file.ReadBool(section, u"UseBackground", false);
  style.BackgroundColor = ColorValue(file.ReadInteger(section, u"BackgroundColor", 0));
  style.Alignment = Clamped(file.ReadInteger(section, u"HorAlignment", 0), caJustify, caLeft);
  style.UseHighlight = file.ReadBool(section, u"UseHighlight", false);
  style.HighlightColor = Clamped(file.ReadInteger(section, u"HighlightColor", 0), hcBlack, hcNone);
}

WideString StyleSection(int index) { return WideString(kStylePrefix) + kPackageStyleCaptions[index]; }
WideString StripSection(int index) { return WideString(kStripPrefix) + IntToWide(index); }

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
  for (int i = 0; i < 4; ++i) SaveStyle(file, StyleSection(i), options.BaseStyle(i));
  EraseSectionsStartingWith(file, kStripPrefix);
  for (size_t i = 0; i < options.StripStylesList.size(); ++i)
    SaveStyle(file, StripSection(static_cast<int>(i)), options.StripStylesList[i].Options);
}

void LoadDocxSettings(const TTesselIniFile& file, TTesselDocxOptions& options) {
  options.StripStyleType = Clamped(file.ReadInteger(kSection, u"StripType", options.StripStyleType), ssRow, ssNone);
  options.UseBorder = file.ReadBool(kSection, u"UseBorder", options.UseBorder);
  options.Border.Color = ColorValue(file.ReadInteger(kSection, u"BorderColor", static_cast<int>(options.Border.Color)));
  options.Border.Style =
      Clamped(file.ReadInteger(kSection, u"BorderStyle", options.Border.Style), dbsEngrave3D, dbsSingle);
  options.PageOrientation =
      Clamped(file.ReadInteger(kSection, u"PageOrientation", options.PageOrientation), poLandscape, poPortrait);
  options.AutoOrientation = file.ReadBool(kSection, u"AutoOrientation", options.AutoOrientation);
  for (int i = 0; i < 4; ++i)
    if (file.SectionExists(StyleSection(i))) LoadStyle(file, StyleSection(i), options.BaseStyle(i));
  options.StripStylesList.clear();
  for (int i = 0; file.SectionExists(StripSection(i)); ++i) {
    TDocxStripStyle strip;
    LoadStyle(file, StripSection(i), strip.Options);
    options.StripStylesList.push_back(strip);
  }
}

}  // namespace verimo
