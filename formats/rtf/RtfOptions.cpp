#include "formats/rtf/RtfOptions.h"

#include <algorithm>

#include "engine/TesselIniFile.h"

namespace verimo {
namespace {

constexpr WideStringView kSection = u"RTF";
constexpr WideStringView kStylePrefix = u"RTF_STYLE_";
constexpr WideStringView kStripPrefix = u"RTF_STRIP_STYLE_";

TColor ColorFromInt(int value) { return static_cast<TColor>(value); }

}  // namespace

TRTFOptions::TRTFOptions() {
  CaptionStyle.Font.Bold = true;
  CaptionStyle.Alignment = talCenter;
}

TrtfStyle& TRTFOptions::FixedStyle(int index) {
  return const_cast<TrtfStyle&>(static_cast<const TRTFOptions&>(*this).FixedStyle(index));
}

const TrtfStyle& TRTFOptions::FixedStyle(int index) const {
  switch (index) {
    case 0: return HeaderStyle;
    case 1: return CaptionStyle;
    case 2: return DataStyle;
    default: return FooterStyle;
  }
}

namespace rtf {

WideString FixedStyleSection(int index) {
  return WideString(kStylePrefix) + UpperCase(kFixedStyleCaptions[std::clamp(index, 0, 3)]);
}

WideString StripStyleSection(int index) { return WideString(kStripPrefix) + IntToWide(index); }

void SaveStyle(TTesselIniFile& file, WideStringView section, const TrtfStyle& style) {
  file.WriteString(section, u"FontName", style.Font.Name);
  file.WriteInteger(section, u"FontSize", style.Font.Size());
  file.WriteInteger(section, u"FontColor", static_cast<int>(style.Font.Color));
  file.WriteBool(section, u"FontBold", style.Font.Bold);
  file.WriteBool(section, u"FontItalic", style.Font.Italic);
  file.WriteBool(section, u"FontUnderline", style.Font.Underline);
  file.WriteBool(section, u"FontStrikeOut", style.Font.StrikeOut);
  file.WriteInteger(section, u"BackgroundColor", static_cast<int>(style.BackgroundColor));
  file.WriteInteger(section, u"HighlightColor", static_cast<int>(style.HighlightColor));
  file.WriteBool(section, u"AllowHighlight", style.AllowHighlight);
  file.WriteBool(section, u"AllowBackground", style.AllowBackground);
  file.WriteInteger(section, u"Alignment", style.Alignment);
}

void LoadStyle(const TTesselIniFile& file, WideStringView section, TrtfStyle& style) {
  style = TrtfStyle();
  const WideString name = file.ReadString(section, u"FontName", style.Font.Name);
  if (!Trim(name).empty()) style.Font.Name = name;
  style.Font.SetSize(std::clamp(file.ReadInteger(section, u"FontSize", style.Font.Size()), 1, 1638));
  style.Font.Color = ColorFromInt(file.ReadInteger(section, u"FontColor", static_cast<int>(style.Font.Color)));
  style.Font.Bold = file.ReadBool(section, u"FontBold", style.Font.Bold);
  style.Font.Italic = file.ReadBool(section, u"FontItalic", style.Font.Italic);
  style.Font.Underline = file.ReadBool(section, u"FontUnderline", style.Font.Underline);
  style.Font.StrikeOut = file.ReadBool(section, u"FontStrikeOut", style.Font.StrikeOut);
  style.BackgroundColor =
      ColorFromInt(file.ReadInteger(section, u"BackgroundColor", static_cast<int>(style.BackgroundColor)));
  style.HighlightColor =
      ColorFromInt(file.ReadInteger(section, u"HighlightColor", static_cast<int>(style.HighlightColor)));
  style.AllowHighlight = file.ReadBool(section, u"AllowHighlight", style.AllowHighlight);
  style.AllowBackground = file.ReadBool(section, u"AllowBackground", style.AllowBackground);
  const int alignment = file.ReadInteger(section, u"Alignment", style.Alignment);
  style.Alignment = alignment >= talLeft && alignment <= talFill ? static_cast<TrtfTextAlignment>(alignment) : talLeft;
}

void EraseSettings(TTesselIniFile& file) {
  TStringList sections;
  file.ReadSections(sections);
  for (const WideString& section : sections) {
    const WideString upper = UpperCase(section);
    if (upper == kSection || upper.starts_with(kStylePrefix) || upper.starts_with(kStripPrefix))
      file.EraseSection(section);
  }
}

void SaveOptions(TTesselIniFile& file, const TRTFOptions& options) {
  EraseSettings(file);
  file.WriteInteger(kSection, u"PageOrientation", options.PageOrientation);
  file.WriteBool(kSection, u"AutoOrientation", options.AutoOrientation);
  file.WriteInteger(kSection, u"StripType", options.StripType);
  for (int i = 0; i < TRTFOptions::kFixedStyleCount; ++i) SaveStyle(file, FixedStyleSection(i), options.FixedStyle(i));
  for (size_t i = 0; i < options.StripStyles.size(); ++i)
    SaveStyle(file, StripStyleSection(static_cast<int>(i)), options.StripStyles[i]);
}

void LoadOptions(const TTesselIniFile& file, TRTFOptions& options) {
  options.PageOrientation =
      file.ReadInteger(kSection, u"PageOrientation", options.PageOrientation) == 1 ? poLandscape : poPortrait;
  options.AutoOrientation = file.ReadBool(kSection, u"AutoOrientation", options.AutoOrientation);
  const int strip = file.ReadInteger(kSection, u"StripType", options.StripType);
  options.StripType = strip >= ssNone && strip <= ssRow ? static_cast<TrtfStripType>(strip) : ssNone;
  for (int i = 0; i < TRTFOptions::kFixedStyleCount; ++i)
    if (file.SectionExists(FixedStyleSection(i))) LoadStyle(file, FixedStyleSection(i), options.FixedStyle(i));
  options.StripStyles.clear();
  for (int i = 0; file.SectionExists(StripStyleSection(i)); ++i) {
    TrtfStyle style;
    LoadStyle(file, StripStyleSection(i), style);
    options.StripStyles.push_back(style);
  }
}

}  // namespace rtf

}  // namespace verimo
