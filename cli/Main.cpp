// verimo-cli: the command-line front end.
//
//   verimo-cli info [--password P] TABLE.db
//   verimo-cli dump [--password P] [--limit N] [--hex-blobs] TABLE.db
//   verimo-cli export [--type T] [--settings FILE] ... TABLE.db OUT.EXT
//   verimo-cli export --settings DIALOG.cfg [--password P] [--quiet] TABLE.db
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "cli/DialogExport.h"
#include "cli/ExportCommand.h"
#include "cli/TableCommands.h"
#include "core/Exception.h"

namespace {

const std::string kUsage = std::string(
    "usage: verimo-cli info [--password P] TABLE.db\n"
    "       verimo-cli dump [--password P] [--limit N] [--hex-blobs] TABLE.db\n") +
    verimo::cli::kExportUsage +
    "       verimo-cli export --settings DIALOG.cfg [--password P] [--quiet] TABLE.db\n";

struct UsageError {
  std::string message;
};

struct Arguments {
  std::string command;
  verimo::cli::TableOptions table;
  verimo::cli::DumpOptions dump;
};

long long ParseCount(const std::string& text) {
  char* end = nullptr;
  errno = 0;
  long long value = std::strtoll(text.c_str(), &end, 10);
  if (text.empty() || errno != 0 || *end != '\0' || value < 0)
    throw UsageError{"--limit needs a number of records, not \"" + text + "\""};
  return value;
}

Arguments ParseArguments(const std::vector<std::string>& args) {
  if (args.empty()) throw UsageError{"no command given"};
  Arguments parsed;
  parsed.command = args[0];
  if (parsed.command != "info" && parsed.command != "dump")
    throw UsageError{"unknown command \"" + parsed.command + "\""};
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    auto value = [&]() -> const std::string& {
      if (i + 1 >= args.size()) throw UsageError{arg + " needs a value"};
      return args[++i];
    };
    if (arg == "--password") {
      parsed.table.password = value();
    } else if (arg == "--limit" && parsed.command == "dump") {
      parsed.dump.limit = ParseCount(value());
    } else if (arg == "--hex-blobs" && parsed.command == "dump") {
      parsed.dump.hexBlobs = true;
    } else if (arg.size() > 1 && arg[0] == '-') {
      throw UsageError{"unknown option " + arg};
    } else if (parsed.table.path.empty()) {
      parsed.table.path = arg;
    } else {
      throw UsageError{"only one table can be given"};
    }
  }
  if (parsed.table.path.empty()) throw UsageError{"no table given"};
  return parsed;
}

int Run(const Arguments& args) {
  verimo::TTable table;
  verimo::cli::OpenTable(table, args.table);
  if (args.command == "info")
    verimo::cli::PrintInfo(table, stdout);
  else
    verimo::cli::PrintRecords(table, args.dump, stdout);
  table.Close();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
    std::fputs(kUsage.c_str(), stdout);
    return 0;
  }
  try {
    if (!args.empty() && args[0] == "export") {
      std::vector<std::string> exportArgs(args.begin() + 1, args.end());
      if (verimo::cli::IsDialogExport(exportArgs))
        verimo::cli::RunDialogExport(exportArgs, stderr);
      else
        verimo::cli::RunExport(verimo::cli::ParseExportArguments(exportArgs), stderr);
      return 0;
    }
    return Run(ParseArguments(args));
  } catch (const UsageError& error) {
    std::fprintf(stderr, "verimo-cli: %s\n%s", error.message.c_str(), kUsage.c_str());
    return 2;
  } catch (const verimo::cli::ExportUsageError& error) {
    std::fprintf(stderr, "verimo-cli: %s\n%s", error.what(), kUsage.c_str());
    return 2;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "verimo-cli: %s\n", error.what());
    return 1;
  }
}
