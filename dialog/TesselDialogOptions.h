#pragma once

#include "core/WideString.h"
#include "formats/package/docx/DocxOptions.h"
#include "formats/package/xlsx/XlsxOptions.h"

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

struct TTesselAccessOptions {
  WideString Password;
  WideString TableName = u"EXPORT_TABLE";
  bool CreateTable = true;
  friend bool operator==(const TTesselAccessOptions&, const TTesselAccessOptions&) = default;
};

}  // namespace verimo
