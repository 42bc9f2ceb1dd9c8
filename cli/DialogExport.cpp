#include "cli/DialogExport.h"

#include <chrono>
#include <filesystem>
#include <set>

#include "cli/ExportCommand.h"
#include "cli/TableCommands.h"
#include "dialog/HeadlessUI.h"
#include "dialog/TesselDialog.h"
#include "core/Exception.h"
#include "platform/shell/Shell.h"

namespace verimo::cli {
namespace {

struct DialogExportOptions {
  TableOptions table;
  std::string settingsFile;
  bool quiet = false;
  bool strict = false;
};

// The command line never starts a viewer or printer on its own.
class NoShellLauncher : public TShellLauncher {
 public:
  bool Perform(TShellVerb, const std::string&) override { return true; }
};

DialogExportOptions ParseDialogExport(const std::vector<std::string>& args) {
  DialogExportOptions options;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    auto value = [&]() -> const std::string& {
      if (i + 1 >= args.size()) throw ExportUsageError(arg + " needs a value");
      return args[++i];
    };
    if (arg == "--settings") options.settingsFile = value();
    else if (TakeTableOption(arg, value, options.table)) continue;
    else if (arg == "--quiet" || arg == "-q") options.quiet = true;
    else if (arg == "--strict") options.strict = true;
    else if (arg.size() > 1 && arg[0] == '-') throw ExportUsageError("unknown option " + arg);
    else if (options.table.path.empty()) options.table.path = arg;
    else throw ExportUsageError("only one table can be given");
  }
  if (options.table.path.empty()) throw ExportUsageError("no table given");
  if (options.settingsFile.empty()) throw ExportUsageError("no settings file given");
  return options;
}

}  // namespace

bool IsDialogExport(const std::vector<std::string>& exportArgs) {
  // The options of `export` that take a value.
  static const std::set<std::string> kWithValue = {"--settings", "--password", "--type", "--codepage",
                                                   "--table-codepage", "--locale", "--output-dir", "--jobs", "-j", "--table", "--sql-dialect"};
  bool hasSettings = false;
  bool commandLineRun = false;  // a batch or the clipboard: not the dialog's file
  int files = 0;
  for (size_t i = 0; i < exportArgs.size(); ++i) {
    const std::string& arg = exportArgs[i];
    if (kWithValue.count(arg)) {
      hasSettings = hasSettings || arg == "--settings";
      commandLineRun = commandLineRun || arg == "--output-dir";
      ++i;
    } else if (arg == "--clipboard") {
      commandLineRun = true;
    } else if (arg.empty() || arg[0] != '-') {
      ++files;
    }
  }
  return hasSettings && !commandLineRun && files == 1;
}

int RunDialogExport(const std::vector<std::string>& exportArgs, std::FILE* progress) {
  DialogExportOptions options = ParseDialogExport(exportArgs);
  std::error_code error;
  if (!std::filesystem::is_regular_file(options.settingsFile, error))
    throw Exception(options.settingsFile + ": settings file not found");
  TTable table;
  OpenTable(table, options.table);
  PrintSalvageReport(table, progress);

  NoShellLauncher noShell;
  TTesselDialog dialog;
  dialog.DataSet = &table;
  dialog.ShellLauncher = &noShell;
  dialog.FailOnLoss = options.strict;

  TTesselHeadlessUI ui;
  ui.OnConfirmStop = [] { return true; };
  auto start = std::chrono::steady_clock::now();
  auto lastReport = start;
  int64_t exported = 0;
  ui.OnProgress = [&](const TTesselProgress& state, int) {
    exported = state.ExportedCount();
    auto now = std::chrono::steady_clock::now();
    if (options.quiet || now - lastReport < std::chrono::seconds(5)) return;
    lastReport = now;
    double seconds = std::chrono::duration<double>(now - start).count();
    std::fprintf(progress, "%lld records, %.0f records/s\n", static_cast<long long>(exported),
                 seconds > 0 ? static_cast<double>(exported) / seconds : 0.0);
  };
  ui.OnLosses = [progress](const TLossTally& losses) { WarnOfLosses(losses, progress); };
  dialog.ExecuteSettings(options.settingsFile, ui);
  if (!options.quiet) {
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::fprintf(progress, "exported %lld records in %.1f s\n", static_cast<long long>(exported),
                 seconds);
  }
  int code = SalvageExitCode(table);
  table.Close();
  return code;
}

}  // namespace verimo::cli
