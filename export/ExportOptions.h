#pragma once

#include "core/WideString.h"
#include "engine/TesselLocale.h"
#include "export/ExportTypes.h"
#include "export/HTMLExportOptions.h"
#include "formats/rtf/RtfOptions.h"
#include "formats/text/TesselSQL.h"
#include "formats/xls/XlsOptions.h"
#include "formats/xls/XlsItems.h"
#include "formats/package/docx/DocxOptions.h"
#include "formats/package/odf/OdsOptions.h"
#include "formats/package/odf/OdtOptions.h"
#include "formats/pdf/TesselPDF.h"
#include "formats/package/xlsx/XlsxOptions.h"
#include "resources/StringTable.h"

namespace verimo {

class TTesselIniFile;

// The per-type option objects of an export: what the dialog's option pages
// show and a settings file stores, copied into the exporter of the type on
// start.

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
  // The sheet's options, as the exporter takes them.
  TXLSOptions Sheet;
  WideString PageBackground;
  // Hyperlinks, notes, charts, preset and merged cells, images (the
  // background is PageBackground) and pictures.
  TxlsSheetItems Items;
  TxlsPictures Pictures;
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

// Every type's option objects together: the dialog component's initial
// state, the form's pages and what a settings file is loaded into.
struct TExportTypeOptions {
  TTesselSQLOptions SQLOptions;
  TTesselXMLOptions XMLOptions;
  TTesselTXTOptions TXTOptions;
  TTesselCSVOptions CSVOptions;
  TTesselXLSOptions XLSOptions;
  TTesselXlsxOptions XlsxOptions;
  WideString XlsxSheetName = u"sheet1";
  TTesselDocxOptions DocxOptions;
  TTesselODSOptions ODSOptions;
  WideString ODSSheetName = TTesselLocale::Instance().LoadText(res::kDefaultSheetName);
  TTesselODTOptions ODTOptions;
  WideString ODTTableName = TTesselLocale::Instance().LoadText(res::kDefaultTableName);
  TPDFOptions PDFOptions;
  TRTFOptions RTFOptions;
  TTesselAccessOptions AccessOptions;
  TTesselHTMLPageOptions HTMLPageOptions;
  TTesselHTMLTableOptions HTMLTableOptions;
  TTesselHTMLMultiFileOptions HTMLMultiFileOptions;
  THTMLDialogOptionsRef HTMLOptions() { return {HTMLPageOptions, HTMLTableOptions, HTMLMultiFileOptions}; }
};

// The sections of the type's own options (the table's `ownSections`, "CSV"
// for CSV) in a settings file. Only these two functions write and read them.
void SaveTypeOptions(TTesselIniFile& file, TAllowedExport type, const TExportTypeOptions& options);
// Reads the type's sections into `options`; a missing key takes its value
// from `defaults`.
void LoadTypeOptions(const TTesselIniFile& file, TAllowedExport type, const TExportTypeOptions& defaults,
                     TExportTypeOptions& options);

}  // namespace verimo
