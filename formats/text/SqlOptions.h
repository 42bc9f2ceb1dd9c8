#pragma once

#include "core/WideString.h"

namespace verimo {

class TTesselIniFile;

// The dialects of the SQL script.
enum TTesselScriptType : uint8_t { qstAnsi, qstDB2, qstIB, qstMS, qstMy, qstOra, qstPg };
constexpr int kScriptTypeCount = 7;

// The options of the SQL script, as the export dialog's page and the
// settings file's "SQL" section hold them.
struct TTesselSQLOptions {
  WideString TableName;
  bool CreateTable = false;
  int CommitRecCount = 0;
  bool CommitAfterScript = false;
  WideString CommitStatement = u"COMMIT WORK;";
  char16_t StatementTerm = u';';
  // The dialect of the script.
  TTesselScriptType ScriptType = qstAnsi;
  // Microsoft SQL Server: SET IDENTITY_INSERT around the rows.
  bool IdentityInsert = false;
  friend bool operator==(const TTesselSQLOptions&, const TTesselSQLOptions&) = default;
};

namespace sql {

// The "SQL" section; the one place that writes and reads it. Loading keeps
// `defaults` for missing keys and for a dialect number out of range.
void SaveOptions(TTesselIniFile& file, const TTesselSQLOptions& options);
TTesselSQLOptions LoadOptions(const TTesselIniFile& file, const TTesselSQLOptions& defaults);

}  // namespace sql
}  // namespace verimo
