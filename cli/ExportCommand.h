#pragma once

#include <cstdio>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli/CommandLineTypes.h"
#include "cli/TableCommands.h"
#include "core/LossTally.h"
#include "export/ExportTypes.h"

namespace verimo {
class TExporters;
}

namespace verimo::cli {

// A wrong `export` command line (the caller prints the usage after it).
using ExportUsageError = UsageError;

struct ExportOptions {
  TableOptions table;
  std::string target;                       // OUT.EXT, as given
  std::optional<std::string> type;          // --type; else from the target's extension
  std::optional<std::string> settingsFile;  // --settings: the exporter's saved options
  std::optional<std::string> tableName;     // --table: the Access table to fill
  bool showFile = false;                    // --show: open the result afterwards
  bool printFile = false;                   // --print: print the result afterwards
  bool quiet = false;                       // --quiet: no progress line
  bool clipboard = false;                   // --clipboard: onto the session's clipboard, no target
  bool strict = false;                      // --strict: a run that changes values fails
  // --output-dir: many tables at once, one file per table in that folder;
  // `tables` then holds every table or folder given, `target` is unused.
  std::optional<std::string> outputDir;
  std::vector<std::string> tables;
  // A folder or several tables and one target that holds them all (an
  // SQLite or Access database, an SQL script): `tables` holds the tables
  // and folders given, `target` the file.
  bool manyTables = false;
  int jobs = 0;  // --jobs: tables exported at once; 0 for the number of cores
  std::optional<std::string> sqlDialect;    // --sql-dialect: ansi, db2, ib, ms, my, ora, pg
};

constexpr const char* kExportUsage =
    "       verimo-cli export [--type EXT] [--settings FILE] [OPTIONS] TABLE.db OUT.EXT\n"
    "       verimo-cli export [--type EXT] [OPTIONS] FOLDER|TABLE.db... OUT.sqlite|OUT.sql|OUT.mdb\n"
    "       verimo-cli export --type EXT --output-dir DIR [--jobs N] [OPTIONS] TABLE.db|FOLDER...\n"
    "       verimo-cli export --clipboard [--settings FILE] [OPTIONS] TABLE.db\n";

// The options of `export --help`.
constexpr const char* kExportOptionsHelp =
    "  --type EXT         the export type by its extension (csv, txt, json, ...); default: the target's\n"
    "  --settings FILE    the exporter's options from a settings file; a file the export dialog\n"
    "                     saved runs as the dialog would: verimo-cli export --settings F TABLE.db\n"
    "  --output-dir DIR   export many tables (or every *.db of a folder), one file NAME.EXT each\n"
    "  --jobs N           tables exported at once with --output-dir (default: the number of cores)\n"
    "  --sql-dialect D    the SQL dialect: ansi, db2, ib, ms, my, ora or pg (default: ansi)\n"
    "  --table NAME       the table's name in an Access database (default: EXPORT_TABLE)\n"
    "  --clipboard        put the rows on the desktop session's clipboard (xclip, or wl-copy\n"
    "                     under Wayland), where they stay after verimo-cli has ended\n"
    "  --show, --print    open or print the result afterwards\n"
    "  --quiet, -q        no progress line\n"
    "  --strict           fail (exit 1, an earlier file of that name kept) when the export would\n"
    "                     change a value: a character the code page lacks, a number too wide for\n"
    "                     its DBF field, a blank Access Yes/No, a date outside the years 1 to 9999,\n"
    "                     a TXT value cut to its column, an XLS or XLSX text cut to 32,767\n"
    "                     characters\n";

// What `export --help` says after the options about values an output cannot
// hold as they are.
constexpr const char* kExportValuesHelp =
    "\nWhat cannot be written as it is gets a warning per field with its count on stderr: characters\n"
    "a code page lacks become \"?\" (under a UTF-8 locale the code pages follow the table's script,\n"
    "so nothing is lost by default), characters XML, HTML or SQL forbid are left out. Binary\n"
    "values (bytes, BLOB, graphic, OLE) are written as hexadecimal text (two upper-case digits a\n"
    "byte); SQL scripts write them as the dialect's binary literal.\n";

// The exporter of the dialog's type with the options of the settings file,
// then those of the command line.
TTessel& ConfigureFromCommandLine(TExporters& exporters, const ExportOptions& options, TAllowedExport type);
// A command-line type's exporter: the settings file gives the field
// choice, captions and the rest of what the type reads.
std::unique_ptr<TTessel> ConfigureCommandLineExporter(const CommandLineType& type, const ExportOptions& options);

// The type of a batch export (--type or the settings file's type) and the
// target file of one table in the output folder: DIR/NAME.EXT.
std::string BatchTargetOf(const ExportOptions& options, const std::string& table);

// Parses the arguments that follow the word "export".
ExportOptions ParseExportArguments(const std::vector<std::string>& args);

// The extensions of the export types, for messages: "xls, doc, rtf, ...".
std::string ExportExtensions();
// The type of --type when given, else the one of the target's extension;
// raises ExportUsageError when neither names an export type.
TAllowedExport ChooseExportType(const ExportOptions& options);
// The command-line type (JSON, ...) that --type or else the target's
// extension names; nullptr when they name none (then ChooseExportType).
const CommandLineType* ChooseCommandLineType(const ExportOptions& options);

// "warning: field "Ad": 1,204 characters cannot be written in code page
// 1252 and were written as ?": one line per field and kind of loss.
std::string LossWarning(const TLoss& loss);
// Prints LossWarning of every loss of the run, one per line.
void WarnOfLosses(const TLossTally& losses, std::FILE* out);

// Opens the table and exports it into the target. The target and any files
// the export writes beside it (memo file, schema, pages, style sheets) are
// written into a hidden folder beside the target and moved over it only when
// the export succeeded, so a failed run leaves existing files as they were
// and no partial file behind. An Access database gets the rows added to its
// table (the exporter works on a copy of its own); a failed or interrupted
// run leaves it as it was. With --clipboard the rows go onto the session's
// clipboard, only when the export was complete. Progress goes to `progress` (records, records per
// second), with the salvage report of a --salvage read. Raises
// verimo::Exception or std::exception with a message on any failure; returns
// the exit code: 0, or kExitSalvageLost after a --salvage read that lost
// records or values.
int RunExport(const ExportOptions& options, std::FILE* progress);

}  // namespace verimo::cli
