#include "cli/ManyTablesExport.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <set>
#include <utility>
#include <vector>

#include "cli/BatchExport.h"
#include "cli/CommandLineTypes.h"
#include "cli/RunControls.h"
#include "core/Exception.h"
#include "core/ScopeExit.h"
#include "engine/Tessel.h"
#include "export/ExportRun.h"
#include "export/Exporters.h"

namespace verimo::cli {

namespace fs = std::filesystem;

namespace {

struct TTablePlan {
  std::string path;
  std::optional<std::string> password;
  std::string skipReason;  // not exported, and why
};

struct TTableOutcome {
  bool written = false;
  bool lossy = false;  // from a salvaging read that lost records or values
  long long records = 0;
  std::string reason;  // why it was not written
};

std::string Grouped(long long count) { return WideToUtf8(GroupedCount(count, u',')); }

// The tables in the order given; the same file given twice is skipped the
// second time, an encrypted one without --password is asked for on the
// terminal first, or skipped without one.
std::vector<TTablePlan> PlanTables(const ExportOptions& options) {
  std::vector<TTablePlan> plan;
  std::set<std::string> seen;
  for (const std::string& path : ExpandTables(options.tables)) {
    TTablePlan table{path, options.table.password, {}};
    std::error_code ec;
    fs::path canonical = fs::weakly_canonical(path, ec);
    if (!seen.insert(ec ? path : canonical.string()).second) table.skipReason = "given more than once";
    if (table.skipReason.empty() && !table.password && IsEncrypted(path, options.table.salvage).value_or(false)) {
      table.password = AskPassword(path, options.table.salvage);
      if (!table.password) table.skipReason = "the table is password-protected; give its password with --password";
    }
    plan.push_back(std::move(table));
  }
  return plan;
}

// "table 3 of 17: ORDERS, 12,400 of 40,000 records" on the progress line,
// and a stop between records when Ctrl-C or a termination request comes.
class TManyTablesObserver : public TExportRunObserver {
 public:
  TManyTablesObserver(ProgressLine& line, InterruptWatch& interrupts, size_t tables)
      : line_(line), interrupts_(interrupts), tables_(tables) {}

  void BeginTable(size_t number, const WideString& name, int64_t records) {
    prefix_ = "table " + std::to_string(number) + " of " + std::to_string(tables_) + ": " + WideToUtf8(name) + ", ";
    total_ = records >= 0 ? " of " + Grouped(records) + " records" : std::string(" records");
  }

  // The sheets of a workbook are written in one run.
  void BeginWorkbook(size_t sheets) {
    prefix_ = "workbook of " + std::to_string(sheets) + " tables, ";
    total_ = " records";
  }

  bool FollowsFetching() const override { return true; }
  // Counts only: the records may be read ahead.
  bool LooksAtSourceRecords() const override { return false; }
  void Fetched(TTessel& sender, int recNo) override {
    if (line_.Due(recNo)) line_.Show(prefix_ + "measuring " + Grouped(recNo) + total_);
    StopWhenInterrupted(sender, recNo);
  }
  void Exported(TTessel& sender, int) override {
    const int count = sender.RecordCounter();
    if (line_.Due(count)) line_.Show(prefix_ + Grouped(count) + total_);
    StopWhenInterrupted(sender, count);
  }

 private:
  void StopWhenInterrupted(TTessel& sender, int count) {
    if ((count & 1023) == 0 && interrupts_.Requested()) sender.Abort();
  }

  ProgressLine& line_;
  InterruptWatch& interrupts_;
  size_t tables_;
  std::string prefix_;
  std::string total_;
};

// "ORDERS.DB: warning: field ...", one line per field and kind of loss.
void WarnOfTableLosses(const std::string& table, const TLossTally& losses, std::FILE* out) {
  if (!out) return;
  for (const TLoss& loss : losses.Losses()) std::fprintf(out, "%s: %s\n", table.c_str(), LossWarning(loss).c_str());
}

TManyTablesKind KindOfCommand(const ExportOptions& options) {
  if (const CommandLineType* type = ChooseCommandLineType(options)) return type->manyTables;
  return ManyTablesKindOf(ChooseExportType(options));
}

void PrintSummary(const ExportOptions& options, const std::vector<TTablePlan>& plan,
                  const std::vector<TTableOutcome>& outcomes, double seconds, std::FILE* out) {
  size_t written = 0;
  long long records = 0;
  for (const TTableOutcome& outcome : outcomes) {
    written += outcome.written ? 1 : 0;
    records += outcome.written ? outcome.records : 0;
  }
  const bool complete = written == plan.size();
  if (!out || (complete && options.quiet)) return;
  if (written == 0) {
    std::fprintf(out, "no table was written; \"%s\" was left as it was:\n", options.target.c_str());
  } else {
    std::fprintf(out, "exported %zu of %zu tables, %s records, to %s in %.2f s", written, plan.size(),
                 Grouped(records).c_str(), options.target.c_str(), seconds);
    std::fprintf(out, complete ? "\n" : "; %zu not written:\n", plan.size() - written);
  }
  for (size_t i = 0; i < plan.size(); ++i)
    if (!outcomes[i].written) std::fprintf(out, "  %s: %s\n", plan[i].path.c_str(), outcomes[i].reason.c_str());
}

}  // namespace

std::string ManyTablesExtensions() {
  std::string list;
  for (const CommandLineType& type : CommandLineTypes()) {
    if (!WritesManyTables(type.manyTables)) continue;
    list += (list.empty() ? "" : ", ") + std::string(type.extensions);
  }
  for (int number = 0; number < kExportTypeCount; ++number) {
    const TAllowedExport type = *ExportTypeFromNumber(number);
    if (!WritesManyTables(ManyTablesKindOf(type)) || *ExportTypeInfo(type).extension == u'\0') continue;
    list += (list.empty() ? "" : ", ") + WideToUtf8(ExportTypeInfo(type).extension);
  }
  // "sqlite,sqlite3" reads as two extensions.
  for (size_t comma = list.find(','); comma != std::string::npos; comma = list.find(',', comma + 1))
    if (comma + 1 < list.size() && list[comma + 1] != ' ') list.insert(comma + 1, " ");
  return list;
}

void CheckManyTablesCommand(const ExportOptions& options) {
  if (options.tableName)
    throw ExportUsageError("--table names the table of one Access export; of several tables each is named after its file");
  const TManyTablesKind kind = KindOfCommand(options);
  if (!WritesManyTables(kind)) {
    const std::string what = options.type ? "--type " + *options.type : "\"" + options.target + "\"";
    throw ExportUsageError(what + " cannot hold several tables; one file holds them all as " + ManyTablesExtensions() +
                           ", or --output-dir DIR writes one file per table");
  }
  if (options.sqlDialect && kind != TManyTablesKind::SqlScript)
    throw ExportUsageError("--sql-dialect applies to SQL scripts only");
}

int RunManyTablesExport(const ExportOptions& options, std::FILE* progress) {
  CheckManyTablesCommand(options);
  const TManyTablesKind kind = KindOfCommand(options);
  const CommandLineType* commandLineType = ChooseCommandLineType(options);
  std::error_code ec;
  if (fs::is_directory(options.target, ec)) throw Exception("\"" + options.target + "\" is a directory");

  TExporters exporters;
  std::unique_ptr<TTessel> commandLineExporter;
  TTessel* exporter = nullptr;
  if (commandLineType) {
    commandLineExporter = ConfigureCommandLineExporter(*commandLineType, options);
    exporter = commandLineExporter.get();
  } else {
    const TAllowedExport type = ChooseExportType(options);
    PrepareForManyTables(exporters.For(type), kind);
    exporter = &ConfigureFromCommandLine(exporters, options, type);
  }
  exporter->FailOnLoss = options.strict;
  // An empty table is a table of the database all the same.
  exporter->ExportEmpty = true;

  const std::vector<TTablePlan> plan = PlanTables(options);
  std::vector<TTableOutcome> outcomes(plan.size());
  ProgressLine line(options.quiet ? nullptr : progress);
  auto report = [&](size_t index, const std::string& reason) {
    outcomes[index].reason = reason;
    line.Break();
    if (progress) std::fprintf(progress, "%s: %s\n", plan[index].path.c_str(), reason.c_str());
  };

  // Declared first, so that an interrupted run removes its staged target
  // before a pending signal is let through.
  std::optional<InterruptWatch> interrupts(std::in_place);
  TManyTablesRun run(*exporter, kind, options.target);
  TTargetTableNames names(kind);
  TManyTablesObserver observer(line, *interrupts, plan.size());
  bool interrupted = false;
  // A workbook's tables stay open until it is written, all at once.
  std::vector<std::unique_ptr<TTable>> sheetTables;
  std::vector<TWorkbookSheet> sheets;
  std::vector<size_t> sheetPlan;
  for (size_t i = 0; i < plan.size() && !interrupted; ++i) {
    if (!plan[i].skipReason.empty()) {
      report(i, "skipped: " + plan[i].skipReason);
      continue;
    }
    auto table = std::make_unique<TTable>();
    try {
      TableOptions tableOptions = options.table;
      tableOptions.path = plan[i].path;
      tableOptions.password = plan[i].password;
      OpenTable(*table, tableOptions);
    } catch (const std::exception& error) {
      report(i, "failed: " + WithoutTableName(error.what(), plan[i].path));
      continue;
    }
    line.Break();
    PrintSalvageReport(*table, progress);
    const WideString name = names.Take(plan[i].path);
    if (kind == TManyTablesKind::Workbook) {
      sheets.push_back({name, table.get()});
      sheetPlan.push_back(i);
      sheetTables.push_back(std::move(table));
      continue;
    }
    exporter->ExportSource = esDataSet;
    exporter->DataSet = table.get();
    // The table goes at the end of the iteration; the exporter must not
    // point at it afterwards.
    TScopeExit forget([exporter] { exporter->DataSet = nullptr; });
    ExportEveryField(*exporter, *table);
    observer.BeginTable(i + 1, name, table->RecordCount());
    try {
      run.AddTable(name, observer);
    } catch (const std::exception& error) {
      line.Break();
      WarnOfTableLosses(plan[i].path, exporter->Losses(), progress);
      const bool strictLoss = options.strict && !exporter->Losses().Empty();
      report(i, strictLoss ? std::string("failed: --strict: the export would change values (see the warnings)")
                           : "failed: " + WithoutTableName(error.what(), plan[i].path));
      continue;
    }
    if (exporter->Aborted() || interrupts->Requested()) {
      interrupted = true;
      break;
    }
    line.Break();
    WarnOfTableLosses(plan[i].path, exporter->Losses(), progress);
    outcomes[i].written = true;
    outcomes[i].records = exporter->RecordCounter();
    outcomes[i].lossy = SalvageExitCode(*table) != 0;
  }
  if (!sheets.empty() && !interrupted) {
    observer.BeginWorkbook(sheets.size());
    try {
      run.AddWorkbook(sheets, observer);
      interrupted = exporter->Aborted() || interrupts->Requested();
      for (size_t k = 0; k < sheetPlan.size(); ++k) {
        outcomes[sheetPlan[k]].written = true;
        outcomes[sheetPlan[k]].records = sheetTables[k]->RecordCount();
        outcomes[sheetPlan[k]].lossy = SalvageExitCode(*sheetTables[k]) != 0;
      }
    } catch (const std::exception& error) {
      for (size_t index : sheetPlan) report(index, "failed: " + WithoutTableName(error.what(), plan[index].path));
    }
  }
  line.Break();
  if (interrupted) throw Exception("interrupted; \"" + options.target + "\" was not written");
  if (run.TablesAdded() > 0) run.Publish();
  interrupts.reset();
  PrintSummary(options, plan, outcomes, line.Seconds(), progress);

  bool lossy = false;
  for (const TTableOutcome& outcome : outcomes) {
    if (!outcome.written) return 1;
    lossy = lossy || outcome.lossy;
  }
  return lossy ? kExitSalvageLost : 0;
}

}  // namespace verimo::cli
