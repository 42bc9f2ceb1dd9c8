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

#include "core/Exception.h"
#include "dialog/DialogExporters.h"
#include "dialog/StagedTarget.h"
#include "dialog/TesselDialogOptions.h"
#include "engine/TesselIniFile.h"
#include "engine/TesselText.h"
#include "platform/clipboard/ProgramClipboard.h"
#include "platform/data/OutOfRangeDates.h"
#include "formats/database/ADO_TesselAccess.h"
#include "formats/text/TesselSQL.h"

namespace verimo::cli {

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

// Prints "N records, R records/s" on one line of the terminal, refreshed a few
// times a second; into a file or pipe only every few seconds, one line each.
class ProgressLine {
 public:
  explicit ProgressLine(std::FILE* out)
      : out_(out), terminal_(out && isatty(fileno(out))), start_(Clock::now()), last_(start_) {}

  void Update(const char* what, long long records) {
    if (!out_ || (records & 255) != 0) return;
    Clock::time_point now = Clock::now();
    if (now - last_ < (terminal_ ? std::chrono::milliseconds(250) : std::chrono::seconds(5))) return;
    last_ = now;
    std::fprintf(out_, terminal_ ? "\r%s %lld records, %.0f records/s   " : "%s %lld records, %.0f records/s\n",
                 what, records, Rate(records, now));
    std::fflush(out_);
    dirty_ = terminal_;
  }

  void Finish(long long records, const std::string& target) {
    if (!out_) return;
    Clock::time_point now = Clock::now();
    std::fprintf(out_, "%sexported %lld records to %s in %.2f s, %.0f records/s\n", dirty_ ? "\r" : "",
                 records, target.c_str(), Seconds(now), Rate(records, now));
    dirty_ = false;
  }

  // Ends a half-written terminal line before an error message follows.
  void Break() {
    if (out_ && dirty_) std::fputc('\n', out_);
    dirty_ = false;
  }

 private:
  double Seconds(Clock::time_point now) const { return std::chrono::duration<double>(now - start_).count(); }
  double Rate(long long records, Clock::time_point now) const {
    double seconds = Seconds(now);
    return seconds > 0 ? records / seconds : 0;
  }

  std::FILE* out_;
  bool terminal_;
  Clock::time_point start_;
  Clock::time_point last_;
  bool dirty_ = false;
};

// Holds back Ctrl-C and termination requests while the export runs, so that
// the run can stop between records and remove its partial file; the export
// polls for them with Requested(). The old signal mask returns at the end.
class InterruptWatch {
 public:
  InterruptWatch() {
    sigemptyset(&watched_);
    sigaddset(&watched_, SIGINT);
    sigaddset(&watched_, SIGTERM);
    sigaddset(&watched_, SIGHUP);
    active_ = pthread_sigmask(SIG_BLOCK, &watched_, &previous_) == 0;
  }
  ~InterruptWatch() {
    if (active_) pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
  }
  InterruptWatch(const InterruptWatch&) = delete;
  InterruptWatch& operator=(const InterruptWatch&) = delete;

  // Takes a pending request, if any.
  bool Requested() {
    if (!active_) return false;
    timespec now{0, 0};
    if (sigtimedwait(&watched_, nullptr, &now) > 0) requested_ = true;
    return requested_;
  }

 private:
  sigset_t watched_;
  sigset_t previous_;
  bool active_ = false;
  bool requested_ = false;
};

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

// The Access options as the export dialog has them, then those of the
// settings file's "ACCESS" section, then --table.
void ConfigureAccess(TDialogExporters& exporters, const ExportOptions& options) {
  TTesselAccessOptions access;
  if (options.settingsFile) {
    TTesselIniFile file(*options.settingsFile);
    file.ReadVersion();
    access = LoadAccessOptions(file, access);
  }
  if (options.tableName) access.TableName = Utf8ToWide(*options.tableName);
  exporters.CopyAccessOptions(access);
  // An interrupted command adds nothing, like any other interrupted export.
  static_cast<TADO_TesselAccess&>(exporters.For(aeAccess)).KeepRowsOnStop = false;
}

TTessel& ConfigureExporter(TDialogExporters& exporters, const ExportOptions& options, TAllowedExport type) {
  TTessel& exporter = exporters.For(type);
  exporters.SelectType(type);
  if (options.settingsFile) {
    CheckSettingsFile(*options.settingsFile);
    settings::LoadFromFile(exporter, *options.settingsFile);
    // The command line's type wins over the file's.
    exporters.SelectType(type);
  }
  if (type == aeAccess) ConfigureAccess(exporters, options);
  else if (options.tableName) throw ExportUsageError("--table is for Access databases (.mdb) only");
  return exporter;
}

// The SQL script's dialect from the command line, and a table named after
// the target file when neither the settings nor the command line name one.
void ApplySQLOptions(TTessel& exporter, const ExportOptions& options) {
  auto* sql = dynamic_cast<TTesselSQL*>(&exporter);
  if (!sql) return;
  if (options.sqlDialect) sql->CustomScriptType = *sql::ScriptTypeFromName(*options.sqlDialect);
  if (sql->TableName.empty()) sql->TableName = sql::TableNameFromFileName(options.target);
}

// Opens or prints the finished target when the command line asked for it.
void ShowTarget(TDialogExporters& exporters, TAllowedExport type, const ExportOptions& options) {
  exporters.CopyTarget(type, options.target, options.showFile, options.printFile);
  if (auto* text = dynamic_cast<TTesselText*>(&exporters.For(type))) text->ShowResult();
  if (auto* database = dynamic_cast<TTesselDatabase*>(&exporters.For(type))) database->ShowResult();
}

}  // namespace

void WarnOfOutOfRangeDates(const std::vector<TOutOfRangeDates::TFieldCount>& counts, std::FILE* out) {
  if (!out) return;
  for (const TOutOfRangeDates::TFieldCount& field : counts)
    std::fprintf(out, "warning: field \"%s\": %lld %s outside the years 1 to 9999, exported as empty\n",
                 WideToUtf8(field.fieldName).c_str(), static_cast<long long>(field.count),
                 field.count == 1 ? "date" : "dates");
}

namespace {

// Without a field list of its own, the export takes every field of the table,
// memos and other BLOB fields included, as the export dialog offers them.
void ExportEveryFieldByDefault(TTessel& exporter, const TDataSet& table) {
  if (exporter.ExportedFields.Count() > 0) return;
  for (int i = 0; i < table.FieldCount(); ++i) exporter.ExportedFields.Add(table.Field(i).FieldName());
}

}  // namespace

std::string BuiltExtensions() {
  std::string list;
  for (int number = 0; number < kExportTypeCount; ++number) {
    TAllowedExport type = *ExportTypeFromNumber(number);
    if (!TDialogExporters::IsBuilt(type) || *ExportTypeInfo(type).extension == u'\0') continue;
    list += (list.empty() ? "" : ", ") + WideToUtf8(ExportTypeInfo(type).extension);
  }
  return list;
}

TAllowedExport ChooseExportType(const ExportOptions& options) {
  if (options.clipboard) {
    if (options.type) throw ExportUsageError("--clipboard and --type exclude each other");
    return aeClipboard;
  }
  if (options.type) {
    auto type = ExportTypeFromExtension(*options.type);
    if (type && TDialogExporters::IsBuilt(*type)) return *type;
    throw ExportUsageError("unknown export type \"" + *options.type + "\" (" + BuiltExtensions() + ")");
  }
  std::string extension = fs::path(options.target).extension().string();
  auto type = ExportTypeFromExtension(extension);
  if (type && TDialogExporters::IsBuilt(*type)) return *type;
  if (extension.empty())
    throw ExportUsageError("\"" + options.target + "\" has no extension; name the type with --type (" +
                           BuiltExtensions() + ")");
  throw ExportUsageError("cannot export to \"" + extension + "\" files; use --type (" + BuiltExtensions() + ")");
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
    ChooseExportType(parsed);
    return parsed;
  }
  if (parsed.jobs != 0) throw ExportUsageError("--jobs goes with --output-dir");
  if (files.size() == 1) throw ExportUsageError("no target file given");
  if (files.size() > 2) throw ExportUsageError("export takes one table and one target file");
  parsed.table.path = files[0];
  parsed.target = files[1];
  // Reports a bad type before the table is opened.
  if (ChooseExportType(parsed) != aeSQL && parsed.sqlDialect)
    throw ExportUsageError("--sql-dialect applies to SQL scripts only");
  return parsed;
}

std::string BatchTargetOf(const ExportOptions& options, const std::string& table) {
  std::string extension = WideToUtf8(ExportTypeInfo(ChooseExportType(options)).extension);
  return (fs::path(*options.outputDir) / fs::path(table).stem()).string() + "." + extension;
}

int RunExport(const ExportOptions& options, std::FILE* progress) {
  TAllowedExport type = ChooseExportType(options);
  fs::path target(options.target);
  std::error_code ec;
  if (fs::is_directory(target, ec)) throw Exception("\"" + options.target + "\" is a directory");

  std::optional<TProgramClipboard> clipboard;
  if (options.clipboard) clipboard.emplace();
  TDialogExporters exporters(nullptr, clipboard ? &*clipboard : nullptr);
  TTessel& exporter = ConfigureExporter(exporters, options, type);
  ApplySQLOptions(exporter, options);

  TTable table;
  OpenTable(table, options.table);
  PrintSalvageReport(table, progress);
  exporter.ExportSource = esDataSet;
  exporter.DataSet = &table;
  ExportEveryFieldByDefault(exporter, table);
  TOutOfRangeDates outOfRangeDates(table, exporter.ExportedFields);

  ProgressLine line(options.quiet ? nullptr : progress);
  // Declared first so that a failed run removes its partial files before a
  // pending signal is let through.
  std::optional<InterruptWatch> interrupts(std::in_place);
  // A database exporter adds to the target itself, on a copy it publishes
  // only at the end, and the clipboard takes the text only when it is
  // complete; every file exporter writes the target and the files beside it
  // (memo file, schema, pages, style sheet) into a staging folder whose
  // files are moved into place at the end.
  const bool database = dynamic_cast<TTesselDatabase*>(&exporter) != nullptr;
  std::optional<TStagedTarget> partial;
  if (dynamic_cast<TTesselText*>(&exporter)) partial.emplace(target, TDialogExporters::CompanionFiles(type, options.target));
  // The file's target and viewer choices never apply here: the target is
  // the command's, and the result is shown only once it has its own name.
  exporters.CopyTarget(type, partial ? partial->Path().string() : options.target, false, false);
  auto stopWhenInterrupted = [&interrupts](TTessel& sender, int count) {
    if ((count & 1023) == 0 && interrupts->Requested()) sender.Abort();
  };
  exporter.OnFetchedRecord = [&](TTessel& sender, int recNo) {
    line.Update("measuring", recNo);
    stopWhenInterrupted(sender, recNo);
  };
  exporter.OnExportedRecord = [&](TTessel& sender, int) {
    outOfRangeDates.CountCurrentRecord();
    line.Update("exported", sender.RecordCounter());
    stopWhenInterrupted(sender, sender.RecordCounter());
  };
  try {
    exporter.Execute();
    // A database is already saved when Execute returns; only a stop the
    // exporter saw has left it unchanged.
    if (database ? exporter.Aborted() : interrupts->Requested() || exporter.Aborted())
      throw Exception(database      ? "interrupted; \"" + options.target + "\" was left as it was"
                      : clipboard ? std::string("interrupted; nothing was put on the clipboard")
                                  : "interrupted; \"" + options.target + "\" was not written");
  } catch (const std::exception& error) {
    line.Break();
    // Messages name the file as the user gave it, not the partial one.
    throw Exception(partial ? partial->AsTargetNames(error.what()) : std::string(error.what()));
  }
  const int code = SalvageExitCode(table);
  table.Close();
  if (partial) partial->Commit();
  interrupts.reset();  // the viewer must not inherit the blocked signals
  line.Finish(exporter.RecordCounter(), clipboard ? "the clipboard" : options.target);
  WarnOfOutOfRangeDates(outOfRangeDates.Counts(), progress);
  ShowTarget(exporters, type, options);
  return code;
}

}  // namespace verimo::cli
