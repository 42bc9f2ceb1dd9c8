#pragma once

#include "core/WideString.h"
#include "formats/rtf/RtfOptions.h"
#include "formats/text/TesselSQL.h"
#include "formats/xls/XlsFormats.h"
#include "formats/xls/XlsItems.h"
#include "formats/package/docx/DocxOptions.h"
#include "formats/package/odf/OdsOptions.h"
#include "formats/package/odf/OdtOptions.h"
#include "formats/pdf/TesselPDF.h"
#include "formats/package/xlsx/XlsxOptions.h"

namespace verimo {

class TTesselIniFile;

// The per-type option objects of the export dialog: the initial state of
// the option pages, copied into the exporter of the selected type on start.
// The option objects of the formats that are not built yet join with them.

struct TTesselTXTOptions {
  bool AutoCalcColWidth = true;
  int ColSpacing = 1;
  friend bool operator==(const TTesselTXTOptions&, const TTesselTXTOptions&) = default;
};

struct TTesselCSVOptions {
  // The list separator of the user locale ("," when it gives none).
  TTesselCSVOptions();
  char16_t Comma = u',';
  char16_t Quote = u'"';
  bool QuoteStrings = true;
  friend bool operator==(const TTesselCSVOptions&, const TTesselCSVOptions&) = default;
};

struct TTesselSQLOptions {
  WideString TableName;
  bool CreateTable = false;
  int CommitRecCount = 0;
  bool CommitAfterScript = false;
  WideString CommitStatement = u"COMMIT WORK;";
  char16_t StatementTerm = u';';
  // The dialect of the script.
  TTesselScriptType ScriptType = qstAnsi;
  friend bool operator==(const TTesselSQLOptions&, const TTesselSQLOptions&) = default;
};

struct TTesselXMLOptions {
  bool Standalone = true;
  // Also chooses the output: "UTF-16" writes UTF-16, anything else UTF-8.
  WideString Encoding;
  // The layout: 0 data packet, 1 Access style.
  int DocumentType = 0;
  bool ExportXSDSchema = false;
  friend bool operator==(const TTesselXMLOptions&, const TTesselXMLOptions&) = default;
};

struct TTesselXLSOptions {
  TTesselXLSOptions() { CaptionFormat.Font.Style = xfsBold; HyperlinkFormat.Font.Color = clrBlue; HyperlinkFormat.Font.Underline = fulSingle; }
  bool AutoCalcColWidth = false;
  WideString PageHeader;
  WideString PageFooter = u"Page &P of &N";
  WideString SheetTitle = u"Sheet 1";
  WideString PageBackground;
  TxlsFormat HeaderFormat;
  TxlsFormat CaptionFormat;
  TxlsFormat DataFormat;
  TxlsFormat AggregateFormat;
  TxlsFormat FooterFormat;
  TxlsFormat HyperlinkFormat;
  TxlsFieldFormats FieldFormats;
  TxlsFormats StripStyles;
  TxlsStripType StripType = ssNone;
  // Hyperlinks, notes, charts, preset and merged cells, images (the
  // background is PageBackground) and pictures.
  TxlsSheetItems Items;
  TxlsPictures Pictures;

  // The exporter's options object with these values, and back.
  TXLSOptions SheetOptions() const;
  void SetSheetOptions(const TXLSOptions& options);
};

struct TTesselAccessOptions {
  WideString Password;
  WideString TableName = u"EXPORT_TABLE";
  bool CreateTable = true;
  friend bool operator==(const TTesselAccessOptions&, const TTesselAccessOptions&) = default;
};

// The "ACCESS" section of a settings file ("Password", "TableName",
// "CreateTable"); loading keeps `defaults` for missing keys.
void SaveAccessOptions(TTesselIniFile& file, const TTesselAccessOptions& options);
TTesselAccessOptions LoadAccessOptions(const TTesselIniFile& file, const TTesselAccessOptions& defaults);

}  // namespace verimo
