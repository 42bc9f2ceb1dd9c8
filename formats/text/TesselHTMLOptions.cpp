#include "formats/text/TesselHTMLOptions.h"

#include <array>

#include "core/HexText.h"
#include "engine/TesselIniFile.h"

namespace verimo {

namespace {

struct TemplateColors {
  TColor background, link, vlink, alink, font, headBg, headFont, tableBg, tableFont, oddBg;
};

// In the order of THTMLTemplate, from htBW on.
constexpr std::array<TemplateColors, 9> kTemplates = {{
    {0xFFFFFF, 0x0000FF, 0x800080, 0xFF0000, 0x000000, 0x000000, 0xFFFFFF, 0xFFFFFF, 0x000000, 0xF3F3F3},  // htBW
    {0x993333, 0x7DEF69, 0xFF00FF, 0x00FF00, 0xFFFFFF, 0x0000FF, 0xFFFFFF, 0xEC7A00, 0xFFFFFF, 0xCE6B00},  // htClassic
    {0x669933, 0xCC6600, 0xC13F92, 0xFF0000, 0xFFFFFF, 0x3300CC, 0xFFFFFF, 0xFFFFFF, 0x000000, 0x00F1FA},  // htColorFul
    {0xFFFFFF, 0x0000FF, 0x800080, 0xFF0000, 0x000000, 0x808080, 0xFFFFFF, 0xFFFFFF, 0x000000, 0xEEEEEE},  // htGray
    {0xFFFFFF, 0x0000FF, 0x800080, 0xFF0000, 0x000000, 0xB5C6CE, 0x000000, 0xDEE7DE, 0x000000, 0xF0FBFF},  // htMS_Money
    {0x767631, 0x60E7FF, 0x39CCCC, 0x00FFFF, 0xFFFFFF, 0x93933A, 0xFFFFFF, 0x626227, 0x60E7FF, 0x007836},  // htMurky
    {0xFFFFFF, 0x0000FF, 0x800080, 0xFF0000, 0x5F605F, 0x90C8CF, 0x000000, 0xFFFFFF, 0x5F605F, 0xCFFFFF},  // htOlive
    {0xFFFFFF, 0x0000FF, 0x800080, 0xFF0000, 0x000000, 0xE68F06, 0xFFFFFF, 0xFFFFFF, 0x000000, 0xD9FCFF},  // htPlain
    {0xFFFFFF, 0x0000FF, 0x800080, 0xFF0000, 0x804000, 0x996633, 0xFFFFFF, 0xFFFFFF, 0x000000, 0xCFFFFF},  // htSimple
}};

constexpr WideStringView kPageSection = u"HTML options";
constexpr WideStringView kTableSection = u"Table options";

TColor ReadColor(const TTesselIniFile& file, WideStringView section, WideStringView key, TColor current) {
  return static_cast<TColor>(file.ReadInteger(section, key, static_cast<int>(current)));
}

void WriteColor(TTesselIniFile& file, WideStringView section, WideStringView key, TColor color) {
  file.WriteInteger(section, key, static_cast<int>(color));
}

}  // namespace

THTMLOptions::THTMLOptions() { TextFont.Color = clWhite; }

void ApplyHTMLTemplate(THTMLTemplate which, THTMLOptions& page, TTableOptions& table) {
  if (which == htCustom || which > htSimple) return;
  const TemplateColors& colors = kTemplates[which - htBW];
  page.BackgroundColor = colors.background;
  page.LinkColor = colors.link;
  page.VLinkColor = colors.vlink;
  page.ALinkColor = colors.alink;
  page.TextFont.Color = colors.font;
  page.TextFont.Name = u"Arial";
  table.HeadersRowBgColor = colors.headBg;
  table.HeadersRowFontColor = colors.headFont;
  table.TableBgColor = colors.tableBg;
  table.TableFontColor = colors.tableFont;
  table.OddRowBgColor = colors.oddBg;
}

void SaveHTMLTemplate(TTesselIniFile& file, const THTMLOptions& page, const TTableOptions& table) {
  WriteColor(file, kPageSection, u"Background-color", page.BackgroundColor);
  WriteColor(file, kPageSection, u"Font-color", page.TextFont.Color);
  file.WriteString(kPageSection, u"Font-family", page.TextFont.Name);
  WriteColor(file, kPageSection, u"LinkColor", page.LinkColor);
  WriteColor(file, kPageSection, u"VLinkColor", page.VLinkColor);
  WriteColor(file, kPageSection, u"ALinkColor", page.ALinkColor);
  WriteColor(file, kTableSection, u"Header-bgcolor", table.HeadersRowBgColor);
  WriteColor(file, kTableSection, u"Header-color", table.HeadersRowFontColor);
  WriteColor(file, kTableSection, u"Table-color", table.TableFontColor);
  WriteColor(file, kTableSection, u"Even_row-bgcolor", table.TableBgColor);
  WriteColor(file, kTableSection, u"Odd_row-bgcolor", table.OddRowBgColor);
  WriteColor(file, kTableSection, u"Border-color", table.BorderColor);
}

void LoadHTMLTemplate(const TTesselIniFile& file, THTMLOptions& page, TTableOptions& table) {
  page.BackgroundColor = ReadColor(file, kPageSection, u"Background-color", page.BackgroundColor);
  page.TextFont.Color = ReadColor(file, kPageSection, u"Font-color", page.TextFont.Color);
  page.TextFont.Name = file.ReadString(kPageSection, u"Font-family", page.TextFont.Name);
  page.LinkColor = ReadColor(file, kPageSection, u"LinkColor", page.LinkColor);
  page.VLinkColor = ReadColor(file, kPageSection, u"VLinkColor", page.VLinkColor);
  page.ALinkColor = ReadColor(file, kPageSection, u"ALinkColor", page.ALinkColor);
  table.HeadersRowBgColor = ReadColor(file, kTableSection, u"Header-bgcolor", table.HeadersRowBgColor);
  table.HeadersRowFontColor = ReadColor(file, kTableSection, u"Header-color", table.HeadersRowFontColor);
  table.TableFontColor = ReadColor(file, kTableSection, u"Table-color", table.TableFontColor);
  table.TableBgColor = ReadColor(file, kTableSection, u"Even_row-bgcolor", table.TableBgColor);
  table.OddRowBgColor = ReadColor(file, kTableSection, u"Odd_row-bgcolor", table.OddRowBgColor);
  table.BorderColor = ReadColor(file, kTableSection, u"Border-color", table.BorderColor);
}

namespace html {

WideString ColorCode(TColor color) {
  return u"#" + Utf8ToWide(RgbHex(color));
}

}  // namespace html

}  // namespace verimo
