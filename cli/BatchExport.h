#pragma once

#include <cstdio>

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

}  // namespace verimo::cli
