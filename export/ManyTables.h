#pragma once

#include <memory>
#include <span>
#include <string>
#include <vector>

#include "core/NonCopyable.h"
#include "core/WideString.h"
#include "export/ExportTypes.h"
#include "export/StagedTarget.h"

namespace verimo {

class TDataSet;
class TExportRunObserver;
class TFileStream;
class TTessel;

// How one target file holds several tables.
enum class TManyTablesKind {
  None,       // one table per file only
  SQLite,     // one SQLite database, a typed table each
  SqlScript,  // one SQL script, each table's CREATE TABLE followed by its inserts
  Access,     // one Access database, a table each
  Workbook,   // one workbook, a sheet each
  Json,       // JSON: one object, an array per table; JSON Lines: every line names its table
};

// The kind of the dialog's export types: SQL, Access and the workbooks
// (XLS, XLSX, ODS); None for the others.
TManyTablesKind ManyTablesKindOf(TAllowedExport type);

// Whether a run can write several tables into a target of the kind.
bool WritesManyTables(TManyTablesKind kind);

// Prepares a new exporter for a run of several tables, before its settings
// are loaded: an SQL script creates its tables unless the settings say
// otherwise.
void PrepareForManyTables(TTessel& exporter, TManyTablesKind kind);

// The names of one run's tables in the target, from the tables' file names
// (without extension), made valid for the kind of target and unique in it
// (names that differ in case only count as the same; the later ones get
// "_2", "_3", ...):
// - SQLite: the name as it is; a name SQLite keeps for itself ("sqlite_...")
//   gets "t_" in front;
// - JSON: the name as it is;
// - SQL scripts: upper case, at most 63 bytes of UTF-8 (the servers' limit);
//   the script quotes it in its dialect;
// - Access: at most 64 characters, each character the statements cannot
//   take in an unbracketed name as "_", "T" before a leading digit;
// - workbooks: at most 31 characters, none of []:*?/\ (as "_"), no
//   apostrophe at either end, not "History".
class TTargetTableNames {
 public:
  explicit TTargetTableNames(TManyTablesKind kind) : kind_(kind) {}

  WideString Take(const std::string& tablePath);

 private:
  WideString Valid(WideStringView name) const;
  size_t MaxLength() const;
  bool Fits(WideStringView name) const;

  TManyTablesKind kind_;
  std::vector<WideString> taken_;
};

// Every field of the table, memos and other BLOB fields included: a field
// list of a settings file names the fields of one table.
void ExportEveryField(TTessel& exporter, const TDataSet& table);

// One sheet of a workbook of tables.
struct TWorkbookSheet {
  WideString name;  // from TTargetTableNames
  TDataSet* dataSet = nullptr;
};

// Writes the tables into `target` as the sheets of one workbook through
// the workbook type's exporter (XLS, XLSX, ODS), with the observer's
// events; each sheet takes every field of its table.
void ExportWorkbook(TTessel& exporter, const std::string& target, std::span<const TWorkbookSheet> sheets,
                    TExportRunObserver& observer);

// Several tables exported one after another into one target of an SQLite
// database, an SQL script, a JSON text or an Access database, or all at
// once into a workbook. Everything is written into
// a hidden folder beside the target (TStagedTarget) and moved over the
// target by Publish only, so a run that fails, is interrupted or is not
// published leaves an earlier file as it was. A table that fails leaves
// nothing of itself in the target (its transaction rolled back, its part of
// the script cut off, the Access working copy dropped), and the tables
// before it stay.
class TManyTablesRun : private TNonCopyable {
 public:
  // `exporter` is configured for the kind's type.
  TManyTablesRun(TTessel& exporter, TManyTablesKind kind, std::string target);
  ~TManyTablesRun();

  // Exports the exporter's source as the target's table `name` (from
  // TTargetTableNames), with the observer's events. Raises on a failure,
  // its message naming the target as given; a stop request (Abort) ends
  // the table early, which the caller sees in the exporter's Aborted().
  void AddTable(const WideString& name, TExportRunObserver& observer);
  // Writes the tables as the sheets of a workbook target (ExportWorkbook).
  void AddWorkbook(std::span<const TWorkbookSheet> sheets, TExportRunObserver& observer);
  int TablesAdded() const { return added_; }

  // Moves the target into place, replacing an earlier file of its name.
  void Publish();

 private:
  // JSON, not JSON Lines: the tables are the members of one object.
  bool WritesJsonObject() const;

  TTessel& exporter_;
  TManyTablesKind kind_;
  std::string target_;
  TStagedTarget staged_;
  // The SQL script or JSON text the tables are appended to.
  std::unique_ptr<TFileStream> script_;
  bool scriptBroken_ = false;  // a failed table's part could not be cut off
  int added_ = 0;
};

}  // namespace verimo
