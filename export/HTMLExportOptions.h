#pragma once

#include "engine/TesselTypes.h"
#include "core/StringList.h"
#include "core/WideString.h"
#include "formats/text/TesselHTML.h"

namespace verimo {

class TTesselHTML;
class TTesselIniFile;

// The HTML option pages of the export dialog: table, page and page files.

// The dialog's page, table and page-file options are the exporter's, with
// what the dialog keeps beside them.
struct TTesselHTMLTableOptions : TTableOptions {};

struct TTesselHTMLPageOptions : THTMLOptions {
  WideString Title;
  TUsingCSS UsingCSS = usInternal;
  std::string CSSFileName;
  bool OverwriteCSSFile = true;
  bool BoolAsCheckBox = false;
};

struct TTesselHTMLMultiFileOptions : TTesselHTMLNavigation {
  int FileRecCount = 0;
  bool GenerateIndex = false;
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
