// verimo-cli: the command-line front end. `verimo-cli --help` lists the
// commands, `verimo-cli COMMAND --help` their options.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "VersionInfo.h"
#include "cli/BatchExport.h"
#include "cli/DialogExport.h"
#include "cli/ExportCommand.h"
#include "cli/ManyTablesExport.h"
#include "cli/TableCommands.h"
#include "core/Exception.h"
#include "export/ExportTypes.h"
#include "export/ExportTypes.h"

namespace {

using verimo::cli::UsageError;

const std::string kUsage = std::string(
    "usage: verimo-cli info [OPTIONS] TABLE.db\n"
    "       verimo-cli dump [--limit N] [--hex-blobs] [OPTIONS] TABLE.db\n") +
    verimo::cli::kExportUsage +
    "       verimo-cli formats\n"
    "       verimo-cli --help | COMMAND --help | --version\n";

const std::string kOverview = kUsage + R"(
Exports Paradox tables (*.db, with their .mb files) to other formats.

Commands:
  info      the table's version, code pages, record count and fields
  dump      the records as tab-separated text
  export    the table into a file of another format
  formats   every export type with its extensions and settings sections

Options of every command:
)" + verimo::cli::kTableOptionsHelp + R"(
Exit codes: 0 success, 1 failure, 2 wrong command line, 3 a --salvage read lost records or values
(the output holds what could be recovered).

Examples:
  verimo-cli export samples/MUSTERI.DB musteri.csv
  verimo-cli info --salvage damaged/CUSTOMER.DB
)";

struct CommandHelp {
  const char* command;
  std::string text;
};

const CommandHelp kCommandHelp[] = {
    {"info", std::string("usage: verimo-cli info [OPTIONS] TABLE.db\n\n"
                         "Prints the table's version, code page, the code pages an export uses, encryption,\n"
                         "record count and size, block size and one line per field; with --salvage also\n"
                         "what a salvaging read recovers and loses, without exporting anything.\n\nOptions:\n") +
                 verimo::cli::kTableOptionsHelp + "\nExample:\n  verimo-cli info samples/MUSTERI.DB\n"},
    {"dump", std::string("usage: verimo-cli dump [--limit N] [--hex-blobs] [OPTIONS] TABLE.db\n\n"
                         "Prints a line of field names and one tab-separated line per record; tabs, line\n"
                         "breaks and backslashes inside values as \\t \\r \\n \\\\, blanks as nothing, BLOBs as\n"
                         "\"(N bytes)\", dates outside the years 1 to 9999 as <date out of range: N days>.\n\n"
                         "Options:\n"
                         "  --limit N          only the first N records\n"
                         "  --hex-blobs        BLOB bytes in hexadecimal\n") +
                 verimo::cli::kTableOptionsHelp + "\nExample:\n  verimo-cli dump --limit 10 samples/MUSTERI.DB\n"},
    {"export", std::string("usage: ") + (verimo::cli::kExportUsage + 7) +
                   "       verimo-cli export --settings DIALOG.cfg [OPTIONS] TABLE.db\n\n"
                   "Exports every field of the table, memos included, into OUT.EXT; the type follows the\n"
                   "extension (see `verimo-cli formats`). The file takes its name only when the export\n"
                   "succeeded. Progress and warnings go to stderr.\n\n"
                   "A folder (every *.db in it) or several tables and one OUT.sqlite, OUT.sql, OUT.mdb,\n"
                   "OUT.xlsx, OUT.ods, OUT.xls, OUT.json or OUT.jsonl write the whole database into that\n"
                   "one file, a table (sheet, JSON member, \"_table\" per JSON line) each, named after its\n"
                   "file; a table that fails is reported and the others go on (exit code 1).\n\nOptions:\n" +
                   verimo::cli::kExportOptionsHelp + verimo::cli::kTableOptionsHelp +
                   verimo::cli::kExportValuesHelp +
                   "\nExamples:\n"
                   "  verimo-cli export samples/MUSTERI.DB musteri.csv\n"
                   "  verimo-cli export samples/MUSTERI.DB musteri.jsonl   (JSON Lines, typed values)\n"
                   "  verimo-cli export --type csv --output-dir out/ tables/\n"
                   "  verimo-cli export tables/ all.sqlite                 (the whole database in one file)\n"},
    {"formats", "usage: verimo-cli formats\n\n"
                "Lists every export type: its extensions and the settings-file sections it reads\n"
                "beside GENERAL and FIELDS. JSON, JSON Lines and SQLite are types of the command line\n"
                "only.\n"},
};

void PrintVersion() {
  std::printf("verimo-cli %s%s%s\n", VERIMO_VERSION, *VERIMO_GIT_COMMIT ? " (git " : "",
              *VERIMO_GIT_COMMIT ? (std::string(VERIMO_GIT_COMMIT) + ")").c_str() : "");
}

// Every extension of a type, comma-separated; "-" for none.
std::string ExtensionListOf(verimo::TAllowedExport type) {
  std::string list;
  for (const std::string& extension : verimo::ExtensionsOf(type)) list += (list.empty() ? "" : ",") + extension;
  return list.empty() ? "-" : list;
}

// The text padded with spaces to `width` characters (not bytes).
std::string Padded(const std::string& text, size_t width) {
  size_t characters = 0;
  for (unsigned char c : text) characters += (c & 0xC0) != 0x80;
  return text + std::string(width > characters ? width - characters : 1, ' ');
}

void PrintFormats() {
  constexpr size_t kTypeWidth = 25;
  constexpr size_t kExtensionsWidth = 16;
  std::printf("%s%sSettings sections\n", Padded("Type", kTypeWidth).c_str(),
              Padded("Extensions", kExtensionsWidth).c_str());
  for (int number = 0; number < verimo::kExportTypeCount; ++number) {
    auto type = *verimo::ExportTypeFromNumber(number);
    std::string sections = verimo::SettingsSectionsOf(type);
    std::printf("%s%s%s\n", Padded(verimo::WideToUtf8(verimo::ExportTypeInfo(type).listText), kTypeWidth).c_str(),
                Padded(ExtensionListOf(type), kExtensionsWidth).c_str(), sections.empty() ? "-" : sections.c_str());
  }
  std::printf("\nTypes of the command line only (the export dialog does not offer them):\n");
  for (const verimo::cli::CommandLineType& type : verimo::cli::CommandLineTypes())
    std::printf("%s%sCAPTIONS\n", Padded(type.name, kTypeWidth).c_str(),
                Padded(type.extensions, kExtensionsWidth).c_str());
}

// The help of `verimo-cli COMMAND --help`; false when the arguments do not ask for it.
bool PrintCommandHelp(const std::vector<std::string>& args) {
  if (args.size() < 2) return false;
  bool asked = false;
  for (size_t i = 1; i < args.size(); ++i) asked = asked || args[i] == "--help" || args[i] == "-h";
  if (!asked) return false;
  for (const CommandHelp& help : kCommandHelp) {
    if (args[0] == help.command) {
      std::fputs(help.text.c_str(), stdout);
      return true;
    }
  }
  return false;
}

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
    throw UsageError("--limit needs a number of records, not \"" + text + "\"");
  return value;
}

Arguments ParseArguments(const std::vector<std::string>& args) {
  if (args.empty()) throw UsageError("no command given");
  Arguments parsed;
  parsed.command = args[0];
  if (parsed.command != "info" && parsed.command != "dump")
    throw UsageError("unknown command \"" + parsed.command + "\"");
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    auto value = [&]() -> const std::string& {
      if (i + 1 >= args.size()) throw UsageError(arg + " needs a value");
      return args[++i];
    };
    if (verimo::cli::TakeTableOption(arg, value, parsed.table)) {
    } else if (arg == "--limit" && parsed.command == "dump") {
      parsed.dump.limit = ParseCount(value());
    } else if (arg == "--hex-blobs" && parsed.command == "dump") {
      parsed.dump.hexBlobs = true;
    } else if (arg.size() > 1 && arg[0] == '-') {
      throw UsageError("unknown option " + arg);
    } else if (parsed.table.path.empty()) {
      parsed.table.path = arg;
    } else {
      throw UsageError("only one table can be given");
    }
  }
  if (parsed.table.path.empty()) throw UsageError("no table given");
  return parsed;
}

int Run(const Arguments& args) {
  verimo::TTable table;
  verimo::cli::OpenTable(table, args.table);
  if (args.command == "info") {
    verimo::cli::PrintInfo(table, stdout);
    verimo::cli::PrintSalvageReport(table, stdout);
  } else {
    verimo::cli::PrintSalvageReport(table, stderr);
    verimo::cli::PrintRecords(table, args.dump, stdout);
  }
  int code = verimo::cli::SalvageExitCode(table);
  table.Close();
  return code;
}

int RunExportCommand(const std::vector<std::string>& exportArgs) {
  if (verimo::cli::IsDialogExport(exportArgs)) return verimo::cli::RunDialogExport(exportArgs, stderr);
  verimo::cli::ExportOptions options = verimo::cli::ParseExportArguments(exportArgs);
  if (options.outputDir) return verimo::cli::RunBatchExport(options, stderr);
  if (options.manyTables) return verimo::cli::RunManyTablesExport(options, stderr);
  return verimo::cli::RunExport(options, stderr);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (!args.empty() && (args[0] == "--help" || args[0] == "-h" || args[0] == "help")) {
    std::fputs(kOverview.c_str(), stdout);
    return 0;
  }
  if (!args.empty() && (args[0] == "--version" || args[0] == "-V")) {
    PrintVersion();
    return 0;
  }
  if (PrintCommandHelp(args)) return 0;
  try {
    if (!args.empty() && args[0] == "formats") {
      if (args.size() > 1) throw UsageError("formats takes no arguments");
      PrintFormats();
      return 0;
    }
    if (!args.empty() && args[0] == "export")
      return RunExportCommand(std::vector<std::string>(args.begin() + 1, args.end()));
    return Run(ParseArguments(args));
  } catch (const UsageError& error) {
    std::fprintf(stderr, "verimo-cli: %s\n%s", error.what(), kUsage.c_str());
    return 2;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "verimo-cli: %s\n", error.what());
    return 1;
  }
}
