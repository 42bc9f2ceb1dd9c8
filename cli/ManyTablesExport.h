#pragma once

#include <cstdio>
#include <string>

#include "cli/ExportCommand.h"
#include "export/ManyTables.h"

namespace verimo::cli {

// The extensions of the types one file of which holds several tables, for
// messages: "sqlite, sqlite3, sql, mdb".
std::string ManyTablesExtensions();

// Raises ExportUsageError when the command's type (--type, else the
// target's extension) cannot hold several tables in one file, naming the
// types that can, or when an option of one table only is given.
void CheckManyTablesCommand(const ExportOptions& options);

// `export FOLDER|TABLE.db... OUT.EXT`: every table given, and every *.db
// file of every folder given, into the one target: an SQLite database, an
// SQL script or an Access database, a table each, named after its file
// (TTargetTableNames). One progress line for the whole run ("table 3 of 17:
// ORDERS, 12,400 of 40,000 records"), then a summary. A table that fails
// or is skipped (an encrypted one without its password) is reported and
// the others go on. The target replaces an earlier file only at the end,
// and only when a table was written; an interrupted run writes nothing.
// Returns the exit code: 1 when a table was not written, else
// kExitSalvageLost when a --salvage read lost records or values of one,
// else 0.
int RunManyTablesExport(const ExportOptions& options, std::FILE* progress);

}  // namespace verimo::cli
