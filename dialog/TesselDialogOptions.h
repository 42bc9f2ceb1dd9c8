#pragma once

#include "core/WideString.h"
#include "formats/xls/XlsFormats.h"

namespace verimo {

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
  friend bool operator==(const TTesselSQLOptions&, const TTesselSQLOptions&) = default;
};

struct TTesselXMLOptions {
  bool Standalone = true;
  WideString Encoding;
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

}  // namespace verimo
