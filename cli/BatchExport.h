#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "cli/ExportCommand.h"

namespace verimo::cli {

// `export --output-dir DIR TABLE.db|FOLDER...`: every table given, and every
// *.db file (any case) of every folder given, is exported into DIR as
// NAME.EXT, each in a worker process of its own, `options.jobs` at a time.
// A table that fails does not stop the others. Encrypted tables without
// --password are asked for on the terminal first, or skipped without one.
// Prints a line per table as it ends and a summary; returns the exit code:
// 1 when a table was not written, else kExitSalvageLost when a --salvage
// read lost records or values of one, else 0.
int RunBatchExport(const ExportOptions& options, std::FILE* out);

// The tables named, folders expanded to their *.db files (any case) in name
// order; raises for a folder that cannot be read or holds no table.
std::vector<std::string> ExpandTables(const std::vector<std::string>& arguments);
// Whether the table is encrypted; nothing when it cannot be read (its
// export then reports why).
std::optional<bool> IsEncrypted(const std::string& path, bool salvage);
// Asks for the password of an encrypted table on the terminal, checking it;
// nothing when the user gives up (three tries) or there is no terminal.
std::optional<std::string> AskPassword(const std::string& path, bool salvage);

}  // namespace verimo::cli
