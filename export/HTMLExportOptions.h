#pragma once

#include "engine/TesselTypes.h"
#include "core/StringList.h"
#include "core/WideString.h"
#include "formats/text/TesselHTML.h"

namespace verimo {

class TTesselHTML;
class TTesselIniFile;

// The HTML option pages of the export dialog: table, page and page files.

struct TTesselHTMLTableOptions {
  int BorderWidth = 1;
  int CellPadding = 4;
  int CellSpacing = 1;
  TStringList AdvancedAttributes;
  TColor HeadersRowBgColor = 0x0000FF;  // red
  TColor HeadersRowFontColor = clWhite;
  TColor TableBgColor = 15497728;
  TColor TableFontColor = clWhite;
  TColor OddRowBgColor = 13527808;
  TColor BorderColor = clWhite;
  WideString BackgroundFileName;
  friend bool operator==(const TTesselHTMLTableOptions&, const TTesselHTMLTableOptions&) = default;
};

struct TTesselHTMLPageOptions {
  TTesselHTMLPageOptions();
  WideString Title;
  TColor BackgroundColor = 10040115;
  TTesselFont TextFont;  // Arial, white
  THTMLDefaultOptions DefaultOptions;
  TColor LinkColor = 8253289;
  TColor VLinkColor = 0xFF00FF;  // fuchsia
  TColor ALinkColor = 0x00FF00;  // lime
  WideString BackgroundFileName;
  TStringList AdvancedAttributes;
  TUsingCSS UsingCSS = usInternal;
  std::string CSSFileName;
  bool OverwriteCSSFile = true;
  bool BoolAsCheckBox = false;
};

struct TTesselHTMLMultiFileOptions {
  int FileRecCount = 0;
  bool GenerateIndex = false;
  WideString IndexLinkTemplate;
  bool NavigationOnTop = true;
  bool NavigationOnBottom = true;
  WideString IndexLinkTitle = u"Index";
  WideString FirstLinkTitle = u"First";
  WideString PriorLinkTitle = u"Prior";
  WideString NextLinkTitle = u"Next";
  WideString LastLinkTitle = u"Last";
  friend bool operator==(const TTesselHTMLMultiFileOptions&, const TTesselHTMLMultiFileOptions&) = default;
};

// The three option objects against an exporter and a settings file.
struct THTMLDialogOptionsRef {
  TTesselHTMLPageOptions& Page;
  TTesselHTMLTableOptions& Table;
  TTesselHTMLMultiFileOptions& MultiFile;
};

// Into the exporter (the colours replace the template's) and back.
void CopyHTMLOptionsTo(const TTesselHTMLPageOptions& page, const TTesselHTMLTableOptions& table,
                       const TTesselHTMLMultiFileOptions& multiFile, TTesselHTML& html);
void CopyHTMLOptionsFrom(const TTesselHTML& html, THTMLDialogOptionsRef options);
// The "HTML" section of the dialog's settings file.
void SaveHTMLOptions(TTesselIniFile& file, const TTesselHTMLPageOptions& page, const TTesselHTMLTableOptions& table,
                     const TTesselHTMLMultiFileOptions& multiFile);
// Reads the section; a missing key keeps the value `options` hold.
void LoadHTMLOptions(const TTesselIniFile& file, THTMLDialogOptionsRef options);
// Fills the colours and font name of a template.
void ApplyHTMLTemplate(THTMLTemplate which, THTMLDialogOptionsRef options);

}  // namespace verimo
