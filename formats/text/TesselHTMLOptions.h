#pragma once

#include <cstdint>
#include <filesystem>

#include "engine/TesselTypes.h"
#include "core/StringList.h"
#include "core/WideString.h"

namespace verimo {

class TTesselIniFile;

// Font properties a page leaves to the browser.
struct THTMLDefaultOptions {
  bool FontName = false;  // doFontName
  bool FontSize = true;   // doFontSize
  friend bool operator==(const THTMLDefaultOptions&, const THTMLDefaultOptions&) = default;
};

// Page colours and the page font.
struct THTMLOptions {
  THTMLOptions();
  TColor BackgroundColor = 0x993333;
  TColor LinkColor = 0x7DEF69;
  TColor VLinkColor = 0xFF00FF;
  TColor ALinkColor = 0x00FF00;
  WideString BackgroundFileName;  // page background image
  TTesselFont TextFont;
  TStringList AdvancedAttributes;  // kept and copied, not written
  THTMLDefaultOptions DefaultOptions;
};

// Table layout and table colours. Any BorderColor but white puts the table
// inside a coloured wrapper table.
struct TTableOptions {
  int Border = 1;
  int CellPadding = 4;
  int CellSpacing = 1;
  TStringList AdvancedAttributes;  // kept and copied, not written
  TColor HeadersRowBgColor = 0x0000FF;
  TColor HeadersRowFontColor = 0xFFFFFF;
  TColor TableBgColor = 0xEC7A00;
  TColor TableFontColor = 0xFFFFFF;
  TColor OddRowBgColor = 0xCE6B00;
  TColor BorderColor = clWhite;
  WideString BackgroundFileName;  // table background image
  friend bool operator==(const TTableOptions&, const TTableOptions&) = default;
};

// The bar of links between the page files.
struct TTesselHTMLNavigation {
  WideString IndexLinkTemplate;
  bool OnTop = true;
  bool OnBottom = true;
  WideString IndexLinkTitle = u"Index";
  WideString FirstLinkTitle = u"First";
  WideString PriorLinkTitle = u"Prior";
  WideString NextLinkTitle = u"Next";
  WideString LastLinkTitle = u"Last";
  friend bool operator==(const TTesselHTMLNavigation&, const TTesselHTMLNavigation&) = default;
};

// The built-in colour templates.
enum THTMLTemplate : uint8_t { htCustom, htBW, htClassic, htColorFul, htGray, htMS_Money, htMurky, htOlive, htPlain, htSimple };

// Copies a template's colours and font name into the options; htCustom
// changes nothing.
void ApplyHTMLTemplate(THTMLTemplate which, THTMLOptions& page, TTableOptions& table);

// The colour templates' file: sections "HTML options" and "Table options".
// Loading keeps the current value of every missing key.
void SaveHTMLTemplate(TTesselIniFile& file, const THTMLOptions& page, const TTableOptions& table);
void LoadHTMLTemplate(const TTesselIniFile& file, THTMLOptions& page, TTableOptions& table);

namespace html {

// "#RRGGBB" of a platform colour (red in the low byte). Only the colour
// bytes count, so system colours give the code of their low three bytes.
WideString ColorCode(TColor color);

}  // namespace html

}  // namespace verimo
