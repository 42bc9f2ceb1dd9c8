#include "cli/ExportCommand.h"

#include <signal.h>
#include <unistd.h>

#include <charconv>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <utility>
#include <system_error>
#include <vector>

#include "cli/ManyTablesExport.h"
#include "cli/RunControls.h"
#include "core/Exception.h"
#include "export/ExportRun.h"
#include "export/ExportSettings.h"
#include "export/Exporters.h"
#include "platform/clipboard/ProgramClipboard.h"
#include "cli/CommandLineTypes.h"
#include "export/ExportSettings.h"

namespace verimo::cli {

namespace fs = std::filesystem;

namespace {

// A settings file named on the command line must exist and look like one;
// the settings reader itself takes a missing file as empty and skips lines
// it does not understand.
void CheckSettingsFile(const fs::path& path) {
  std::error_code ec;
  fs::file_status status = fs::status(path, ec);
  if (!fs::exists(status)) throw Exception("The settings file \"" + path.string() + "\" does not exist");
  if (!fs::is_regular_file(status)) throw Exception("The settings file \"" + path.string() + "\" is not a file");
  std::ifstream in(path, std::ios::binary);
  if (!in) throw Exception("Cannot read the settings file \"" + path.string() + "\"");
  std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  bool hasSection = false;
  for (size_t pos = 0; pos < content.size() && !hasSection;) {
    size_t start = content.find_first_not_of(" \t\r\n", pos);
    if (start == std::string::npos) break;
    size_t end = content.find_first_of("\r\n", start);
    std::string_view line = std::string_view(content).substr(start, end == std::string::npos ? std::string::npos : end - start);
    hasSection = line.front() == '[' && line.find(']') != std::string_view::npos;
    pos = end == std::string::npos ? content.size() : end;
  }
  if (content.find('\0') != std::string::npos || (!content.empty() && !hasSection))
    throw Exception("\"" + path.string() + "\" is not a settings file (no [section] lines)");
}

}  // namespace

TTessel& ConfigureFromCommandLine(TExporters& exporters, const ExportOptions& options, TAllowedExport type) {
  if (options.tableName && !WritesNamedTable(type)) throw ExportUsageError("--table is for Access databases (.mdb) only");
  if (options.settingsFile) CheckSettingsFile(*options.settingsFile);
  TExportOverrides overrides;
  if (options.tableName) overrides.accessTable = Utf8ToWide(*options.tableName);
  if (options.sqlDialect) overrides.sqlDialect = sql::ScriptTypeFromName(*options.sqlDialect);
  std::optional<fs::path> settingsFile;
  if (options.settingsFile) settingsFile = *options.settingsFile;
  ConfigureExporter(exporters, type, options.target, settingsFile, overrides);
  return exporters.For(type);
}

namespace {

// Reports what the run does on the progress line and stops it between
// records when Ctrl-C or a termination request comes.
class TCommandObserver : public TExportRunObserver {
 public:
  TCommandObserver(ProgressLine& line, InterruptWatch& interrupts) : line_(line), interrupts_(interrupts) {}
  bool FollowsFetching() const override { return true; }
  // Counts only: the records may be read ahead.
  bool LooksAtSourceRecords() const override { return false; }
  void Fetched(TTessel& sender, int recNo) override {
    line_.Update("measuring", recNo);
    StopWhenInterrupted(sender, recNo);
  }
  void Exported(TTessel& sender, int) override {
    line_.Update("exported", sender.RecordCounter());
    StopWhenInterrupted(sender, sender.RecordCounter());
  }

 private:
  void StopWhenInterrupted(TTessel& sender, int count) {
    if ((count & 1023) == 0 && interrupts_.Requested()) sender.Abort();
  }
  ProgressLine& line_;
  InterruptWatch& interrupts_;
};

}  // namespace

std::unique_ptr<TTessel> ConfigureCommandLineExporter(const CommandLineType& type, const ExportOptions& options) {
  if (options.tableName) throw ExportUsageError("--table is for Access databases (.mdb) only");
  std::unique_ptr<TTessel> exporter = type.make();
  if (options.settingsFile) {
    CheckSettingsFile(*options.settingsFile);
    settings::LoadFromFile(*exporter, *options.settingsFile);
  }
  return exporter;
}

std::string LossWarning(const TLoss& loss) {
  const bool one = loss.count == 1;
  const std::string count = WideToUtf8(GroupedCount(loss.count, u','));
  const std::string detail = WideToUtf8(loss.detail);
  std::string what;
  switch (loss.kind) {
    case TLossKind::DateOutOfRange:
      what = count + (one ? " date" : " dates") + " outside the years 1 to 9999, exported as empty";
      break;
    case TLossKind::UnwritableCharacter:
      what = count + (one ? " character cannot" : " characters cannot") + " be written in code page " + detail +
             (one ? " and was" : " and were") + " written as ?";
      break;
    case TLossKind::ForbiddenCharacter:
      what = count + (one ? " character" : " characters") + " that " + detail + " does not allow " +
             (one ? "was" : "were") + " left out";
      break;
    case TLossKind::NumberTooWide:
      what = count + (one ? " number does" : " numbers do") + " not fit " + detail + (one ? " and was" : " and were") +
             " written as *";
      break;
    case TLossKind::BlankAsFalse:
      what = count + (one ? " blank value was" : " blank values were") + " stored as " + detail;
      break;
    case TLossKind::TextCut:
      what = count + (one ? " value was" : " values were") + " cut to the column's " + detail + " characters";
      break;
    case TLossKind::CellTextCut:
      what = count + (one ? " value was" : " values were") + " cut to the " + detail + " characters a cell holds";
      break;
    case TLossKind::NotFinite:
      what = count + (one ? " value was" : " values were") + " not a finite number (NaN or infinity), exported as null";
      break;
    case TLossKind::LoneSurrogate:
      what = count + (one ? " lone surrogate was" : " lone surrogates were") + " exported as U+FFFD";
      break;
    case TLossKind::UnsettableCharacter:
      what = count + (one ? " character" : " characters") + " that " + detail + "'s fonts cannot set " +
             (one ? "was" : "were") + " written as ?";
      break;
  }
  return "warning: field \"" + WideToUtf8(loss.field) + "\": " + what;
}

void WarnOfLosses(const TLossTally& losses, std::FILE* out) {
  if (!out) return;
  for (const TLoss& loss : losses.Losses()) std::fprintf(out, "%s\n", LossWarning(loss).c_str());
}

namespace {

// Without a field list of its own, the export takes every field of the table,
// memos and other BLOB fields included, as the export dialog offers them.
void ExportEveryFieldByDefault(TTessel& exporter, const TDataSet& table) {
  if (exporter.ExportedFields.Count() > 0) return;
  for (int i = 0; i < table.FieldCount(); ++i) exporter.ExportedFields.Add(table.Field(i).FieldName());
}

}  // namespace

std::string ExportExtensions() {
  std::string list;
  for (int number = 0; number < kExportTypeCount; ++number) {
    TAllowedExport type = *ExportTypeFromNumber(number);
    if (*ExportTypeInfo(type).extension == u'\0') continue;
    list += (list.empty() ? "" : ", ") + WideToUtf8(ExportTypeInfo(type).extension);
  }
  for (const CommandLineType& type : CommandLineTypes()) list += ", " + FirstExtensionOf(type);
  return list;
}

const CommandLineType* ChooseCommandLineType(const ExportOptions& options) {
  if (options.clipboard) return nullptr;
  if (options.type) return CommandLineTypeFromExtension(*options.type);
  return CommandLineTypeFromExtension(fs::path(options.target).extension().string());
}

TAllowedExport ChooseExportType(const ExportOptions& options) {
  if (options.clipboard) {
    if (options.type) throw ExportUsageError("--clipboard and --type exclude each other");
    return aeClipboard;
  }
  if (options.type) {
    auto type = ExportTypeFromExtension(*options.type);
    if (type) return *type;
    throw ExportUsageError("unknown export type \"" + *options.type + "\" (" + ExportExtensions() + ")");
  }
  std::string extension = fs::path(options.target).extension().string();
  auto type = ExportTypeFromExtension(extension);
  if (type) return *type;
  if (extension.empty())
    throw ExportUsageError("\"" + options.target + "\" has no extension; name the type with --type (" +
                           ExportExtensions() + ")");
  throw ExportUsageError("cannot export to \"" + extension + "\" files; use --type (" + ExportExtensions() + ")");
}

ExportOptions ParseExportArguments(const std::vector<std::string>& args) {
  ExportOptions parsed;
  std::vector<std::string> files;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    auto value = [&]() -> const std::string& {
      if (i + 1 >= args.size()) throw ExportUsageError(arg + " needs a value");
      return args[++i];
    };
    if (arg == "--type") {
      parsed.type = value();
    } else if (arg == "--output-dir") {
      parsed.outputDir = value();
    } else if (arg == "--jobs" || arg == "-j") {
      const std::string& text = value();
      int jobs = 0;
      auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), jobs);
      if (error != std::errc() || end != text.data() + text.size() || jobs < 1)
        throw ExportUsageError("--jobs needs a number of tables, not \"" + text + "\"");
      parsed.jobs = jobs;
    } else if (arg == "--settings") {
      parsed.settingsFile = value();
    } else if (arg == "--table") {
      parsed.tableName = value();
    } else if (TakeTableOption(arg, value, parsed.table)) {
    } else if (arg == "--show") {
      parsed.showFile = true;
    } else if (arg == "--print") {
      parsed.printFile = true;
    } else if (arg == "--sql-dialect") {
      parsed.sqlDialect = value();
      if (!sql::ScriptTypeFromName(*parsed.sqlDialect))
        throw ExportUsageError("unknown SQL dialect \"" + *parsed.sqlDialect + "\" (ansi, db2, ib, ms, my, ora, pg)");
    } else if (arg == "--quiet" || arg == "-q") {
      parsed.quiet = true;
    } else if (arg == "--clipboard") {
      parsed.clipboard = true;
    } else if (arg == "--strict") {
      parsed.strict = true;
    } else if (arg.size() > 1 && arg[0] == '-') {
      throw ExportUsageError("unknown option " + arg);
    } else {
      files.push_back(arg);
    }
  }
  if (files.empty()) throw ExportUsageError("no table given");
  if (parsed.clipboard) {
    if (parsed.outputDir) throw ExportUsageError("--clipboard takes one table, not --output-dir");
    if (files.size() > 1) throw ExportUsageError("--clipboard takes the table only, no target file");
    if (parsed.jobs != 0) throw ExportUsageError("--jobs goes with --output-dir");
    parsed.table.path = files[0];
    ChooseExportType(parsed);
    return parsed;
  }
  if (parsed.outputDir) {
    if (!parsed.type) throw ExportUsageError("--output-dir needs the type: --type EXT");
    parsed.tables = files;
    if (!ChooseCommandLineType(parsed)) ChooseExportType(parsed);
    return parsed;
  }
  if (parsed.jobs != 0) throw ExportUsageError("--jobs goes with --output-dir");
  if (files.size() == 1) throw ExportUsageError("no target file given");
  std::error_code ec;
  if (files.size() > 2 || fs::is_directory(files[0], ec)) {
    parsed.manyTables = true;
    parsed.tables.assign(files.begin(), files.end() - 1);
    parsed.target = files.back();
    CheckManyTablesCommand(parsed);
    return parsed;
  }
  parsed.table.path = files[0];
  parsed.target = files[1];
  // Reports a bad type before the table is opened.
  const bool sqlScript = !ChooseCommandLineType(parsed) && WritesSqlScript(ChooseExportType(parsed));
  if (!sqlScript && parsed.sqlDialect)
    throw ExportUsageError("--sql-dialect applies to SQL scripts only");
  return parsed;
}

std::string BatchTargetOf(const ExportOptions& options, const std::string& table) {
  const CommandLineType* commandLineType = ChooseCommandLineType(options);
  std::string extension = commandLineType ? FirstExtensionOf(*commandLineType)
                                          : WideToUtf8(ExportTypeInfo(ChooseExportType(options)).extension);
  return (fs::path(*options.outputDir) / fs::path(table).stem()).string() + "." + extension;
}

int RunExport(const ExportOptions& options, std::FILE* progress) {
  const CommandLineType* commandLineType = ChooseCommandLineType(options);
  // The dialog's type; not read for a command-line type.
  const TAllowedExport type = commandLineType ? aeTXT : ChooseExportType(options);
  std::error_code ec;
  if (fs::is_directory(options.target, ec)) throw Exception("\"" + options.target + "\" is a directory");

  std::optional<TProgramClipboard> clipboard;
  if (options.clipboard) clipboard.emplace();
  TExporters exporters({nullptr, clipboard ? &*clipboard : nullptr});
  std::unique_ptr<TTessel> commandLineExporter;
  if (commandLineType) commandLineExporter = ConfigureCommandLineExporter(*commandLineType, options);
  TTessel& exporter = commandLineExporter ? *commandLineExporter : ConfigureFromCommandLine(exporters, options, type);

  TTable table;
  OpenTable(table, options.table);
  PrintSalvageReport(table, progress);
  exporter.ExportSource = esDataSet;
  exporter.DataSet = &table;
  ExportEveryFieldByDefault(exporter, table);
  exporter.FailOnLoss = options.strict;

  ProgressLine line(options.quiet ? nullptr : progress);
  // Declared first so that a failed run removes its partial files before a
  // pending signal is let through.
  std::optional<InterruptWatch> interrupts(std::in_place);
  // An interrupted command adds nothing, like any other interrupted export.
  std::optional<TExportRun> run;
  if (commandLineExporter)
    run.emplace(exporter, options.target, std::vector<fs::path>(), false);
  else
    run.emplace(exporters, type, options.target, false);
  TCommandObserver observer(line, *interrupts);
  try {
    run->Execute(observer);
    // A database is already saved when Execute returns; only a stop the
    // exporter saw has left it unchanged.
    const bool database = run->WritesDatabase();
    if (database ? run->Stopped() : interrupts->Requested() || run->Stopped())
      throw Exception(database      ? "interrupted; \"" + options.target + "\" was left as it was"
                      : clipboard ? std::string("interrupted; nothing was put on the clipboard")
                                  : "interrupted; \"" + options.target + "\" was not written");
  } catch (const std::exception&) {
    line.Break();
    WarnOfLosses(exporter.Losses(), progress);
    if (options.strict && !exporter.Losses().Empty())
      throw Exception("--strict: the export would change values (see the warnings); " +
                      (run->WritesDatabase() ? "\"" + options.target + "\" was left as it was"
                       : clipboard           ? std::string("nothing was put on the clipboard")
                                             : "\"" + options.target + "\" was not written"));
    throw;
  }
  const int code = SalvageExitCode(table);
  table.Close();
  run->Publish();
  interrupts.reset();  // the viewer must not inherit the blocked signals
  line.Finish(exporter.RecordCounter(), clipboard ? "the clipboard" : options.target);
  WarnOfLosses(exporter.Losses(), progress);
  run->ShowResult(options.showFile, options.printFile);
  return code;
}

}  // namespace verimo::cli
