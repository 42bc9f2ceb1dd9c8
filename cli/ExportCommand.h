#pragma once

#include <cstdio>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli/TableCommands.h"
#include "dialog/ExportTypes.h"

namespace verimo::cli {

// A wrong `export` command line (the caller prints the usage after it).
class ExportUsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct ExportOptions {
  TableOptions table;
  std::string target;                       // OUT.EXT, as given
  std::optional<std::string> type;          // --type; else from the target's extension
  std::optional<std::string> settingsFile;  // --settings: the exporter's saved options
  bool showFile = false;                    // --show: open the result afterwards
  bool printFile = false;                   // --print: print the result afterwards
  bool quiet = false;                       // --quiet: no progress line
};

constexpr const char* kExportUsage =
    "       verimo-cli export [--type EXT] [--settings FILE] [--password P]\n"
    "                         [--show] [--print] [--quiet] TABLE.db OUT.EXT\n";

// Parses the arguments that follow the word "export".
ExportOptions ParseExportArguments(const std::vector<std::string>& args);

// The extensions of the types this program can export, for messages:
// "txt, csv, dif, slk".
std::string BuiltExtensions();
// The type of --type when given, else the one of the target's extension;
// raises ExportUsageError when neither names a type this program exports.
TAllowedExport ChooseExportType(const ExportOptions& options);

// Opens the table and exports it into the target. The target and any files
// the export writes beside it (page files, style sheets) are written into a
// hidden folder beside the target and moved over it only when the export
// succeeded, so a failed run leaves existing files as they were and no
// partial file behind. Progress goes to `progress` (records, records per
// second). Raises verimo::Exception or std::exception with a message on any
// failure.
void RunExport(const ExportOptions& options, std::FILE* progress);

}  // namespace verimo::cli
