#include "formats/text/TesselHTMLStyle.h"

#include <filesystem>
#include <system_error>

#include "formats/text/TesselHTMLText.h"

namespace verimo::html {

namespace {

void AddFontLines(TStringList& lines, const THTMLOptions& page, size_t indent) {
  const WideString spaces(indent, u' ');
  if (!page.DefaultOptions.FontName) lines.Add(spaces + u"font-family: " + page.TextFont.Name + u";");
  if (!page.DefaultOptions.FontSize) lines.Add(spaces + u"font-size: " + IntToWide(page.TextFont.Size()) + u"pt;");
}

void AddRowClass(TStringList& lines, WideStringView opening, TColor background, TColor color,
                 bool pictureBackground) {
  lines.Add(WideString(opening));
  if (!pictureBackground) lines.Add(u"            background-color: " + ColorCode(background) + u";");
  lines.Add(u"            color: " + ColorCode(color) + u";");
}

// A CSS string: the text in double quotes, quotes and backslashes escaped.
WideString CssString(WideStringView text) {
  WideString quoted(1, u'"');
  for (char16_t ch : text) {
    if (ch == u'"' || ch == u'\\') quoted += u'\\';
    quoted += ch;
  }
  quoted += u'"';
  return quoted;
}

}  // namespace

bool PictureExists(WideStringView fileName) {
  if (fileName.empty()) return false;
  std::error_code ec;
  return std::filesystem::is_regular_file(std::filesystem::path(WideToUtf8(fileName)), ec);
}

TStringList StyleSheetLines(const THTMLOptions& page, const TTableOptions& table, bool captions, bool borderWrapper) {
  TStringList lines;
  lines.Add(u"  BODY { background: " + ColorCode(page.BackgroundColor) + u"; color: " + ColorCode(page.TextFont.Color) +
            u";");
  AddFontLines(lines, page, 9);
  if (!page.BackgroundFileName.empty())
    lines.Add(u"         background-image: url(" + CssString(page.BackgroundFileName) + u");");
  lines.Add(u"  }");
  lines.Add(u"  A:link { color: " + ColorCode(page.LinkColor) + u" }");
  lines.Add(u"  A:visited { color: " + ColorCode(page.VLinkColor) + u" }");
  lines.Add(u"  A:active { color: " + ColorCode(page.ALinkColor) + u" }");
  const bool picture = PictureExists(table.BackgroundFileName);
  if (captions) {
    AddRowClass(lines, u"  .ThRows { ", table.HeadersRowBgColor, table.HeadersRowFontColor, picture);
    lines.Add(u"            font-weight: bold; text-align: center;");
    AddFontLines(lines, page, 12);
    lines.Add(u"  }");
  }
  AddRowClass(lines, u"  .TrRows {", table.TableBgColor, table.TableFontColor, picture);
  AddFontLines(lines, page, 12);
  lines.Add(u"  }");
  AddRowClass(lines, u"  .TrOdd  {", table.OddRowBgColor, table.TableFontColor, picture);
  AddFontLines(lines, page, 12);
  lines.Add(u"  }");
  if (borderWrapper) lines.Add(u"  .TrBC { background-color: " + ColorCode(table.BorderColor) + u" }");
  return lines;
}

}  // namespace verimo::html
