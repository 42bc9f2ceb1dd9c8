#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace verimo::cli {

// `export --settings FILE.cfg [--password P] [--quiet] TABLE.db`: no target
// on the command line, so the settings file is one the export dialog saved,
// and the export runs exactly as the dialog would run it (type, fields,
// formats, options, file name). Nothing is opened or printed afterwards.
// Returns the exit code: 0, or kExitSalvageLost after a --salvage read
// that lost records or values.
bool IsDialogExport(const std::vector<std::string>& exportArgs);
int RunDialogExport(const std::vector<std::string>& exportArgs, std::FILE* progress);

}  // namespace verimo::cli
