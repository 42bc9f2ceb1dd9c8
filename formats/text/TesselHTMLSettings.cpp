#include "formats/text/TesselHTMLSettings.h"

#include <array>
#include <type_traits>
#include <utility>

#include "core/HexText.h"
#include "engine/TesselIniFile.h"
#include "formats/text/TesselHTML.h"

namespace verimo {

namespace {

constexpr WideStringView kSection = u"HTML";

struct NamedColor {
  const char16_t* name;
  TColor color;
};

constexpr std::array<NamedColor, 22> kColorNames = {{
    {u"clBlack", 0x000000},     {u"clMaroon", 0x000080},   {u"clGreen", 0x008000},  {u"clOlive", 0x008080},
    {u"clNavy", 0x800000},      {u"clPurple", 0x800080},   {u"clTeal", 0x808000},   {u"clGray", 0x808080},
    {u"clSilver", 0xC0C0C0},    {u"clRed", 0x0000FF},      {u"clLime", 0x00FF00},   {u"clYellow", 0x00FFFF},
    {u"clBlue", 0xFF0000},      {u"clFuchsia", 0xFF00FF},  {u"clAqua", 0xFFFF00},   {u"clWhite", 0xFFFFFF},
    {u"clMoneyGreen", 0xC0DCC0}, {u"clSkyBlue", 0xF0CAA6}, {u"clCream", 0xF0FBFF},  {u"clMedGray", 0xA4A0A0},
    {u"clNone", 0x1FFFFFFF},    {u"clDefault", 0x20000000},
}};

void WriteColor(TTesselIniFile& file, WideStringView key, TColor color) {
  file.WriteString(kSection, key, html::ColorToText(color));
}

void ReadColor(const TTesselIniFile& file, WideStringView key, TColor& color) {
  if (!file.ValueExists(kSection, key)) return;
  TColor read = color;
  if (html::TextToColor(Trim(file.ReadString(kSection, key, u"")), read)) color = read;
}

void ReadText(const TTesselIniFile& file, WideStringView key, WideString& text) {
  text = file.ReadString(kSection, key, text);
}

void ReadBool(const TTesselIniFile& file, WideStringView key, bool& value) { value = file.ReadBool(kSection, key, value); }

void ReadInt(const TTesselIniFile& file, WideStringView key, int& value) { value = file.ReadInteger(kSection, key, value); }

// The colour keys of the section, each with the colour it holds (the
// border colour last: the page offers it beyond the classic keys).
template <typename Page, typename Table>
auto ColorKeys(Page& page, Table& table) {
  using Color = std::conditional_t<std::is_const_v<Page>, const TColor, TColor>;
  return std::array<std::pair<const char16_t*, Color*>, 11>{{
      {u"BackgroundColor", &page.BackgroundColor},
      {u"FontColor", &page.TextFont.Color},
      {u"HeadBackgroundColor", &table.HeadersRowBgColor},
      {u"HeadFontColor", &table.HeadersRowFontColor},
      {u"OddRowBackgroundColor", &table.OddRowBgColor},
      {u"EvenRowBackgroundColor", &table.TableBgColor},
      {u"DataFontColor", &table.TableFontColor},
      {u"LinkColor", &page.LinkColor},
      {u"VLinkColor", &page.VLinkColor},
      {u"ALinkColor", &page.ALinkColor},
      {u"BorderColor", &table.BorderColor},
  }};
}

}  // namespace

namespace html {

WideString ColorToText(TColor color) {
  for (const NamedColor& named : kColorNames)
    if (named.color == color) return named.name;
  WideString text(1, u'$');
  for (int shift = 28; shift >= 0; shift -= 4) text += static_cast<char16_t>(HexDigit(color >> shift));
  return text;
}

bool TextToColor(WideStringView text, TColor& color) {
  for (const NamedColor& named : kColorNames)
    if (SameText(text, named.name)) {
      color = named.color;
      return true;
    }
  if (text.size() > 1 && text.size() <= 9 && (text[0] == u'$' || text[0] == u'#')) {
    uint32_t value = 0;
    for (char16_t ch : text.substr(1)) {
      int digit = ch >= u'0' && ch <= u'9' ? ch - u'0' : ch >= u'a' && ch <= u'f' ? ch - u'a' + 10
                : ch >= u'A' && ch <= u'F' ? ch - u'A' + 10 : -1;
      if (digit < 0) return false;
      value = value << 4 | static_cast<uint32_t>(digit);
    }
    color = value;
    return true;
  }
  long long number = 0;
  if (!TryWideToInt64(text, number) || number < INT32_MIN || number > UINT32_MAX) return false;
  color = static_cast<TColor>(number);
  return true;
}

WideString JoinLines(const TStringList& lines) {
  WideString text;
  for (int i = 0; i < lines.Count(); ++i) {
    if (i > 0) text += u'|';
    text += lines[i];
  }
  return text;
}

TStringList SplitLines(WideStringView text) {
  TStringList lines;
  if (text.empty()) return lines;
  for (size_t start = 0;;) {
    size_t bar = text.find(u'|', start);
    lines.Add(WideString(text.substr(start, bar == WideStringView::npos ? WideStringView::npos : bar - start)));
    if (bar == WideStringView::npos) break;
    start = bar + 1;
  }
  return lines;
}

}  // namespace html

void SaveHTMLSection(TTesselIniFile& file, const TTesselHTML& h) {
  const TTesselHTMLNavigation& nav = h.Navigation;
  const THTMLOptions& page = h.HTMLOptions;
  const TTableOptions& table = h.TableOptions;
  file.WriteString(kSection, u"Title", h.Title);
  file.WriteInteger(kSection, u"CSS", h.UsingCSS);
  file.WriteString(kSection, u"CSSFile", Utf8ToWide(h.CSSFileName));
  file.WriteBool(kSection, u"OverwriteCSSFile", h.OverwriteCSSFile);
  file.WriteInteger(kSection, u"FileRecCount", h.MaxRecords());
  file.WriteBool(kSection, u"GenerateIndex", h.GenerateIndex);
  file.WriteString(kSection, u"IndexLinkTemplate", nav.IndexLinkTemplate);
  file.WriteBool(kSection, u"NavigationOnTop", nav.OnTop);
  file.WriteBool(kSection, u"NavigationOnBottom", nav.OnBottom);
  file.WriteString(kSection, u"IndexLinkTitle", nav.IndexLinkTitle);
  file.WriteString(kSection, u"FirstLinkTitle", nav.FirstLinkTitle);
  file.WriteString(kSection, u"PriorLinkTitle", nav.PriorLinkTitle);
  file.WriteString(kSection, u"NextLinkTitle", nav.NextLinkTitle);
  file.WriteString(kSection, u"LastLinkTitle", nav.LastLinkTitle);
  file.WriteString(kSection, u"FontName", page.TextFont.Name);
  file.WriteString(kSection, u"BackgroundFile", page.BackgroundFileName);
  file.WriteString(kSection, u"BodyAdvanced", html::JoinLines(page.AdvancedAttributes));
  file.WriteInteger(kSection, u"CellPadding", table.CellPadding);
  file.WriteInteger(kSection, u"CellSpacing", table.CellSpacing);
  file.WriteInteger(kSection, u"BorderWidth", table.Border);
  file.WriteString(kSection, u"TableBackground", table.BackgroundFileName);
  file.WriteString(kSection, u"TableAdvanced", html::JoinLines(table.AdvancedAttributes));
  for (const auto& [key, color] : ColorKeys(page, table)) WriteColor(file, key, *color);
  // Options the page offers beyond the classic keys, so that none is lost.
  file.WriteInteger(kSection, u"FontSize", page.TextFont.Size());
  file.WriteBool(kSection, u"DefaultFontName", page.DefaultOptions.FontName);
  file.WriteBool(kSection, u"DefaultFontSize", page.DefaultOptions.FontSize);
  file.WriteBool(kSection, u"BoolAsCheckBox", h.BoolAsCheckBox);
}

void LoadHTMLSection(const TTesselIniFile& file, TTesselHTML& h) {
  TTesselHTMLNavigation& nav = h.Navigation;
  THTMLOptions& page = h.HTMLOptions;
  TTableOptions& table = h.TableOptions;
  ReadText(file, u"Title", h.Title);
  const int css = file.ReadInteger(kSection, u"CSS", h.UsingCSS);
  if (css == usInternal || css == usExternal) h.UsingCSS = static_cast<TUsingCSS>(css);
  h.CSSFileName = WideToUtf8(file.ReadString(kSection, u"CSSFile", Utf8ToWide(h.CSSFileName)));
  ReadBool(file, u"OverwriteCSSFile", h.OverwriteCSSFile);
  h.SetMaxRecords(file.ReadInteger(kSection, u"FileRecCount", h.MaxRecords()));
  ReadBool(file, u"GenerateIndex", h.GenerateIndex);
  ReadText(file, u"IndexLinkTemplate", nav.IndexLinkTemplate);
  ReadBool(file, u"NavigationOnTop", nav.OnTop);
  ReadBool(file, u"NavigationOnBottom", nav.OnBottom);
  ReadText(file, u"IndexLinkTitle", nav.IndexLinkTitle);
  ReadText(file, u"FirstLinkTitle", nav.FirstLinkTitle);
  ReadText(file, u"PriorLinkTitle", nav.PriorLinkTitle);
  ReadText(file, u"NextLinkTitle", nav.NextLinkTitle);
  ReadText(file, u"LastLinkTitle", nav.LastLinkTitle);
  ReadText(file, u"FontName", page.TextFont.Name);
  ReadText(file, u"BackgroundFile", page.BackgroundFileName);
  if (file.ValueExists(kSection, u"BodyAdvanced"))
    page.AdvancedAttributes = html::SplitLines(file.ReadString(kSection, u"BodyAdvanced", u""));
  ReadInt(file, u"CellPadding", table.CellPadding);
  ReadInt(file, u"CellSpacing", table.CellSpacing);
  ReadInt(file, u"BorderWidth", table.Border);
  ReadText(file, u"TableBackground", table.BackgroundFileName);
  if (file.ValueExists(kSection, u"TableAdvanced"))
    table.AdvancedAttributes = html::SplitLines(file.ReadString(kSection, u"TableAdvanced", u""));
  for (const auto& [key, color] : ColorKeys(page, table)) ReadColor(file, key, *color);
  const int size = file.ReadInteger(kSection, u"FontSize", page.TextFont.Size());
  if (size > 0 && size != page.TextFont.Size()) page.TextFont.SetSize(size);
  ReadBool(file, u"DefaultFontName", page.DefaultOptions.FontName);
  ReadBool(file, u"DefaultFontSize", page.DefaultOptions.FontSize);
  ReadBool(file, u"BoolAsCheckBox", h.BoolAsCheckBox);
}

}  // namespace verimo
