#include "export/ManyTables.h"

#include <algorithm>
#include <filesystem>
#include <utility>

#include "core/Exception.h"
#include "core/ScopeExit.h"
#include "engine/SheetNames.h"
#include "engine/TesselStream.h"
#include "engine/TesselText.h"
#include "export/ExportRun.h"
#include "formats/database/ADO_TesselAccess.h"
#include "formats/database/TesselSQLite.h"
#include "formats/package/WorkbookTables.h"
#include "formats/text/TesselJSON.h"
#include "formats/text/TesselSQL.h"
#include "formats/xls/TesselXLS.h"
#include "formats/xls/XlsSheet.h"

namespace verimo {

namespace fs = std::filesystem;

namespace {

constexpr size_t kSqlNameBytes = 63;
constexpr size_t kAccessNameLength = 64;

// The characters the Access statements take in a name without brackets.
bool IsAccessWordStart(char16_t ch) {
  return (ch >= u'a' && ch <= u'z') || (ch >= u'A' && ch <= u'Z') || ch == u'_' ||
         (ch >= 0x80 && ch != 0x00a0 && ch != 0xfeff && !(ch >= 0x2000 && ch <= 0x206f) && ch != 0x3000 &&
          !(ch >= 0xD800 && ch <= 0xDFFF));
}

bool IsAccessWordPart(char16_t ch) { return IsAccessWordStart(ch) || (ch >= u'0' && ch <= u'9'); }

// Cuts the text to `length` UTF-16 units without splitting a surrogate pair.
void CutTo(WideString& text, size_t length) {
  if (text.size() <= length) return;
  text.resize(length);
  if (!text.empty() && text.back() >= 0xD800 && text.back() <= 0xDBFF) text.pop_back();
}

template <typename Exporter>
Exporter& As(TTessel& exporter) {
  auto* typed = dynamic_cast<Exporter*>(&exporter);
  if (typed == nullptr) throw Exception("Internal error: the exporter does not write the kind of target of this run");
  return *typed;
}

}  // namespace

TManyTablesKind ManyTablesKindOf(TAllowedExport type) {
  switch (type) {
    case aeSQL: return TManyTablesKind::SqlScript;
    case aeAccess: return TManyTablesKind::Access;
    case aeXLS: case aeXlsx: case aeODS: return TManyTablesKind::Workbook;
    default: return TManyTablesKind::None;
  }
}

bool WritesManyTables(TManyTablesKind kind) { return kind != TManyTablesKind::None; }

void PrepareForManyTables(TTessel& exporter, TManyTablesKind kind) {
  if (kind == TManyTablesKind::SqlScript) As<TTesselSQL>(exporter).Options.CreateTable = true;
}

// ---- names

size_t TTargetTableNames::MaxLength() const {
  switch (kind_) {
    case TManyTablesKind::Access: return kAccessNameLength;
    case TManyTablesKind::Workbook: return kMaxSheetNameLength;
    // UTF-8 bytes are checked by Fits.
    case TManyTablesKind::SqlScript: return kSqlNameBytes;
    default: return WideString::npos;
  }
}

bool TTargetTableNames::Fits(WideStringView name) const {
  if (name.size() > MaxLength()) return false;
  return kind_ != TManyTablesKind::SqlScript || WideToUtf8(name).size() <= kSqlNameBytes;
}

WideString TTargetTableNames::Valid(WideStringView wanted) const {
  WideString name(wanted);
  switch (kind_) {
    case TManyTablesKind::SQLite:
      if (LowerCase(name).starts_with(u"sqlite_")) name = u"t_" + name;
      break;
    case TManyTablesKind::Json:
      break;
    case TManyTablesKind::SqlScript:
      name = UpperCase(name);
      break;
    case TManyTablesKind::Access:
      for (char16_t& ch : name)
        if (!IsAccessWordPart(ch)) ch = u'_';
      if (!name.empty() && !IsAccessWordStart(name.front())) name = u"T" + name;
      break;
    case TManyTablesKind::Workbook:
      name = ValidSheetName(name);
      // A name the spreadsheet programs keep for themselves.
      if (SameText(name, u"History")) name += u'_';
      break;
    case TManyTablesKind::None:
      break;
  }
  if (name.empty()) name = kind_ == TManyTablesKind::Workbook ? u"Sheet" : u"TABLE";
  while (!Fits(name)) CutTo(name, name.size() - 1);
  return name;
}

WideString TTargetTableNames::Take(const std::string& tablePath) {
  const WideString base = Valid(Utf8ToWide(fs::path(tablePath).stem().string()));
  auto taken = [this](const WideString& name) {
    return std::any_of(taken_.begin(), taken_.end(), [&](const WideString& other) { return SameText(other, name); });
  };
  WideString name = base;
  for (int number = 2; taken(name); ++number) {
    const WideString suffix = u"_" + Utf8ToWide(std::to_string(number));
    WideString stem = base;
    while (!Fits(stem + suffix)) CutTo(stem, stem.size() - 1);
    name = stem + suffix;
  }
  taken_.push_back(name);
  return name;
}

// ---- workbooks

void ExportEveryField(TTessel& exporter, const TDataSet& table) {
  exporter.ExportedFields.Clear();
  for (int i = 0; i < table.FieldCount(); ++i) exporter.ExportedFields.Add(table.Field(i).FieldName());
}

namespace {

// XLS: the tables as the workbook's further sheets, each with the
// exporter's settings and events.
void AddXLSSheets(TTesselXLS& xls, std::span<const TWorkbookSheet> sheets) {
  xls.Sheets.clear();
  int number = 1;
  for (const TWorkbookSheet& sheet : sheets) {
    auto& added = *xls.Sheets.emplace_back(std::make_unique<TxlsSheet>(number++));
    added.LoadFromExporter(xls);
    added.Title = sheet.name;
    added.ExportSource = esDataSet;
    added.DataSet = sheet.dataSet;
    ExportEveryField(added, *sheet.dataSet);
  }
}

}  // namespace

void ExportWorkbook(TTessel& exporter, const std::string& target, std::span<const TWorkbookSheet> sheets,
                    TExportRunObserver& observer) {
  auto* file = dynamic_cast<TTesselText*>(&exporter);
  auto* workbook = dynamic_cast<TWorkbookTables*>(&exporter);
  auto* xls = dynamic_cast<TTesselXLS*>(&exporter);
  if (file == nullptr || (workbook == nullptr && xls == nullptr))
    throw Exception("\"" + target + "\": this type of workbook cannot hold several tables");
  TObserverConnection events(exporter, observer);
  TScopeExit forget([workbook, xls] {
    if (workbook) {
      workbook->Tables.clear();
      workbook->OnBeginTable = nullptr;
    }
    if (xls) xls->Sheets.clear();
  });
  if (xls) {
    AddXLSSheets(*xls, sheets);
  } else {
    workbook->Tables.clear();
    for (const TWorkbookSheet& sheet : sheets) workbook->Tables.push_back({sheet.name, sheet.dataSet});
    workbook->OnBeginTable = [workbook](TTessel& sender, int table) {
      ExportEveryField(sender, *workbook->Tables[static_cast<size_t>(table)].DataSet);
    };
  }
  file->FileName = target;
  file->ShowFile = file->PrintFile = false;
  exporter.Execute();
}

// ---- the run

TManyTablesRun::TManyTablesRun(TTessel& exporter, TManyTablesKind kind, std::string target)
    : exporter_(exporter), kind_(kind), target_(std::move(target)), staged_(target_, {}) {
  if (kind_ == TManyTablesKind::None) throw Exception("\"" + target_ + "\" cannot hold several tables");
  std::error_code ec;
  if (!fs::is_directory(staged_.Folder(), ec))
    throw Exception("Cannot write \"" + target_ + "\": its folder cannot be created or written to");
  if (kind_ == TManyTablesKind::SqlScript || kind_ == TManyTablesKind::Json) {
    try {
      script_ = std::make_unique<TFileStream>(staged_.Path(), TFileStream::TMode::Create);
      if (WritesJsonObject()) script_->Write("{\n");
    } catch (const std::exception& error) {
      throw Exception(staged_.AsTargetNames(error.what()));
    }
  }
}

bool TManyTablesRun::WritesJsonObject() const {
  return kind_ == TManyTablesKind::Json && !As<TTesselJSON>(exporter_).Lines;
}

TManyTablesRun::~TManyTablesRun() = default;

void TManyTablesRun::AddTable(const WideString& name, TExportRunObserver& observer) {
  if (scriptBroken_) throw Exception("\"" + target_ + "\" cannot be written: an earlier table could not be taken out again");
  TObserverConnection events(exporter_, observer);
  const int64_t scriptStart = script_ ? script_->Position() : 0;
  try {
    switch (kind_) {
      case TManyTablesKind::SQLite: {
        auto& sqlite = As<TTesselSQLite>(exporter_);
        sqlite.TableName = name;
        sqlite.AddToDatabase = true;
        sqlite.FileName = staged_.Path().string();
        sqlite.ShowFile = sqlite.PrintFile = false;
        sqlite.Execute();
        break;
      }
      case TManyTablesKind::SqlScript: {
        auto& script = As<TTesselSQL>(exporter_);
        script.Options.TableName = sql::QuoteName(name, script.Options.ScriptType);
        script.ExportToStream(*script_);
        break;
      }
      case TManyTablesKind::Json: {
        auto& json = As<TTesselJSON>(exporter_);
        if (WritesJsonObject() && added_ > 0) script_->Write(",\n");
        json.TableName = name;
        json.ExportToStream(*script_);
        break;
      }
      case TManyTablesKind::Access: {
        auto& access = As<TADO_TesselAccess>(exporter_);
        access.TableName = name;
        access.DatabaseName = staged_.Path().string();
        access.AutoCreateDatabase = true;
        access.AutoCreateTable = true;
        access.KeepRowsOnStop = false;
        access.ShowFile = access.PrintFile = false;
        access.Execute();
        break;
      }
      default:
        throw Exception("\"" + target_ + "\" cannot hold several tables");
    }
  } catch (const std::exception& error) {
    if (script_) {
      // The script keeps the tables before this one only.
      try {
        script_->SetSize(scriptStart);
        script_->SetPosition(scriptStart);
      } catch (const std::exception&) {
        scriptBroken_ = true;
      }
    }
    throw Exception(staged_.AsTargetNames(error.what()));
  }
  if (!exporter_.Aborted()) ++added_;
}

void TManyTablesRun::AddWorkbook(std::span<const TWorkbookSheet> sheets, TExportRunObserver& observer) {
  try {
    ExportWorkbook(exporter_, staged_.Path().string(), sheets, observer);
  } catch (const std::exception& error) {
    throw Exception(staged_.AsTargetNames(error.what()));
  }
  if (!exporter_.Aborted()) added_ += static_cast<int>(sheets.size());
}

void TManyTablesRun::Publish() {
  if (scriptBroken_) throw Exception("\"" + target_ + "\" cannot be written: a failed table could not be taken out again");
  try {
    if (WritesJsonObject()) script_->Write("\n}\n");
    if (script_) script_->Close();
  } catch (const std::exception& error) {
    throw Exception(staged_.AsTargetNames(error.what()));
  }
  staged_.Commit();
}

}  // namespace verimo
