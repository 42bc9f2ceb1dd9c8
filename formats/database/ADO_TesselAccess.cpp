#include "formats/database/ADO_TesselAccess.h"

#include <algorithm>
#include <exception>
#include <utility>

#include "core/Exception.h"
#include "core/StringList.h"
#include "engine/TesselLocale.h"
#include "formats/database/TesselAccessStage.h"
#include "formats/database/TesselAccessTextParser.h"
#include "platform/jet/Names.h"
#include "platform/locale/Formatting.h"
#include "resources/StringTable.h"

namespace verimo {
namespace {

constexpr WideStringView kProvider = u"Provider=Microsoft.Jet.OLEDB.4.0";

// A connection-string value in double quotes, inner quotes doubled.
WideString Quoted(WideStringView value) {
  WideString result = u"\"";
  for (char16_t ch : value) {
    if (ch == u'"') result.push_back(u'"');
    result.push_back(ch);
  }
  result.push_back(u'"');
  return result;
}

WideString ConnectionStringFor(const std::string& path, const WideString& password) {
  WideString text = WideString(kProvider) + u";Data Source=" + Quoted(Utf8ToWide(path));
  if (!password.empty()) text += u";Jet OLEDB:Database Password=" + Quoted(password);
  return text;
}

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
  if (from.empty()) return;
  for (size_t pos = text.find(from); pos != std::string::npos; pos = text.find(from, pos + to.size()))
    text.replace(pos, from.size(), to);
}

// Values that go into the database as they are, without a text between.
bool IsTypedValue(const Variant& value) {
  switch (value.GetKind()) {
    case Variant::Kind::Boolean:
    case Variant::Kind::Integer:
    case Variant::Kind::Double:
    case Variant::Kind::Currency:
    case Variant::Kind::DateTime:
      return true;
    default:
      return false;
  }
}

std::string Rows(int count) { return std::to_string(count) + (count == 1 ? " row" : " rows"); }

}  // namespace

// ------------------------------------------------------------------ writer

TTesselAccessWriter::TTesselAccessWriter(TTessel* owner, TStream* stream)
    : TTesselWriter(owner, stream), insert_(std::make_unique<TJetCommand>()) {}

TTesselAccessWriter::~TTesselAccessWriter() {
  // Without a save in EndExport the rows have no place to go: the command
  // may save into the working copy, which the stage then removes.
  insert_.reset();
  stage_.reset();
}

void TTesselAccessWriter::SetStage(std::unique_ptr<TTesselAccessStage> stage) { stage_ = std::move(stage); }

// ---------------------------------------------------------------- exporter

TADO_TesselAccess::TADO_TesselAccess() { Formats().KeepOriginalFormat = false; }

TADO_TesselAccess::~TADO_TesselAccess() = default;

WideString TADO_TesselAccess::ConnectionString(bool withPassword) const {
  return ConnectionStringFor(DatabaseName, withPassword ? Password : WideString());
}

WideString TADO_TesselAccess::StageConnectionString(bool withPassword) const {
  return ConnectionStringFor(AccessWriter().Stage()->WorkFile().string(), withPassword ? Password : WideString());
}

std::unique_ptr<TTesselWriter> TADO_TesselAccess::GetWriterClass(TStream& stream) {
  return std::make_unique<TTesselAccessWriter>(this, &stream);
}

TTesselAccessWriter& TADO_TesselAccess::AccessWriter() const {
  auto* writer = dynamic_cast<TTesselAccessWriter*>(&Writer());
  if (!writer) throw Exception("Internal error: the Access export runs without its writer.");
  return *writer;
}

template <typename Step>
void TADO_TesselAccess::OnWorkingCopy(Step step) const {
  try {
    step();
  } catch (const Exception& error) {
    const TTesselAccessStage* stage = AccessWriter().Stage();
    if (!stage) throw;
    std::string message = error.what();
    ReplaceAll(message, stage->WorkFile().string(), DatabaseName);
    throw Exception(message);
  }
}

void TADO_TesselAccess::BeginExport() {
  inserted_ = 0;
  savedRows_ = 0;
  resultText_ = "Nothing was saved; \"" + DatabaseName + "\" is as it was.";
  TTesselDatabase::BeginExport();
  PlanColumns();
  OpenStage();
  CreateTableWhenMissing();
  PrepareInsert();
}

// Names and types of the columns and the two statements. Every name is
// checked before anything is written, so a caption cannot change a
// statement and a refused name leaves the file alone.
void TADO_TesselAccess::PlanColumns() {
  CheckJetName(TableName, "table");
  plan_.clear();
  WideString definitions, names, parameters;
  for (int i = 0; i < Columns().Count(); ++i) {
    const TTesselColumn& column = Columns()[i];
    ColumnPlan entry;
    const WideString caption = GetColCaption(i);
    entry.name = caption.empty() ? u"FIELD" + IntToWide(i) : caption;
    CheckJetName(entry.name, "column");
    for (const ColumnPlan& earlier : plan_)
      if (SameText(earlier.name, entry.name))
        throw Exception("Two columns would be named [" + WideToUtf8(entry.name) + "]; give one of them another caption.");
    entry.typedValue = true;
    switch (column.ColType) {
      case ectInteger:
      case ectBigint:
        entry.typeText = u"integer";
        entry.parameterType = ftInteger;
        break;
      case ectFloat:
        entry.typeText = u"double";
        entry.parameterType = ftFloat;
        break;
      case ectCurrency:
        entry.typeText = u"currency";
        entry.parameterType = ftCurrency;
        break;
      case ectBoolean:
        entry.typeText = u"LOGICAL";
        entry.parameterType = ftBoolean;
        break;
      case ectDate:
      case ectTime:
      case ectDateTime:
        entry.typeText = u"datetime";
        entry.parameterType = ftDateTime;
        break;
      case ectString:
        entry.typedValue = false;
        // A column without a known length holds any text.
        if (!column.IsBlob && !column.IsMemo && column.Length > 0 && column.Length < 256) {
          entry.typeText = u"nvarchar(" + IntToWide(column.Length) + u")";
          entry.parameterType = ftWideString;
        } else {
          entry.typeText = u"memo";
          entry.parameterType = ftMemo;
        }
        break;
      case ectUnknown:
        entry.typedValue = false;
        entry.typeText = u"longtext";
        entry.parameterType = ftBlob;
        break;
    }
    const WideString separator = i == 0 ? u"" : u",";
    definitions += separator + u"[" + entry.name + u"] " + entry.typeText;
    names += separator + u"[" + entry.name + u"]";
    parameters += separator + u":PARAM" + IntToWide(i);
    plan_.push_back(std::move(entry));
  }
  // Bracketed, as the columns are: a valid name may hold spaces.
  createStatement_ = u"create table [" + TableName + u"] (" + definitions + u")";
  insertStatement_ = u"insert into [" + TableName + u"](" + names + u") values(" + parameters + u")";
}

void TADO_TesselAccess::OpenStage() {
  if (DatabaseName.empty()) throw Exception("No database file is given.");
  AccessWriter().SetStage(std::make_unique<TTesselAccessStage>(DatabaseName));
  if (AccessWriter().Stage()->TargetExisted()) return;
  if (!AutoCreateDatabase) throw Exception("Could not find file '" + DatabaseName + "'.");
  // A new database has no password; the password is for connecting.
  OnWorkingCopy([&] { TJetCatalog().Create(StageConnectionString(false)); });
}

void TADO_TesselAccess::CreateTableWhenMissing() {
  if (!AutoCreateTable) return;
  OnWorkingCopy([&] {
    TJetConnection connection;
    connection.ConnectionString = StageConnectionString(true);
    connection.LoginPrompt = false;
    connection.Open();
    TStringList tables;
    connection.GetTableNames(tables, false);
    connection.Close();
    for (const WideString& name : tables)
      if (SameText(name, TableName)) return;
    TJetCommand create;
    create.ConnectionString = StageConnectionString(true);
    create.SetCommandText(createStatement_);
    create.Execute();
  });
}

void TADO_TesselAccess::PrepareInsert() {
  TJetCommand& insert = AccessWriter().InsertCommand();
  OnWorkingCopy([&] {
    insert.ConnectionString = StageConnectionString(true);
    insert.SetCommandText(insertStatement_);
    for (size_t i = 0; i < plan_.size() && i < insert.Parameters().size(); ++i)
      insert.Parameters()[i].DataType = plan_[i].parameterType;
    insert.ExecuteOptions = {TJetExecuteOption::eoExecuteNoRecords};
    insert.SetTextParser(std::make_shared<TTesselAccessTextParser>(Formats(), GlobalFormatSettings()));
    insert.SetPrepared(true);
  });
}

void TADO_TesselAccess::WriteCaptionRow() {}

// The engine's texts first, with the text handlers held back, then the
// handlers; a cell whose text no handler changed goes in with its raw
// value, so a display pattern never rounds what the database stores.
void TADO_TesselAccess::FillRow() {
  const bool textHandlers = OnCustomFormat || OnGetExportText;
  watchTexts_ = textHandlers || OnBeforeExportRow;
  if (!textHandlers) {
    TTesselDatabase::FillRow();
  } else {
    TOnCustomFormat customFormat = std::exchange(OnCustomFormat, nullptr);
    TGetExportTextEvent getText = std::exchange(OnGetExportText, nullptr);
    try {
      TTesselDatabase::FillRow();
    } catch (...) {
      OnCustomFormat = std::move(customFormat);
      OnGetExportText = std::move(getText);
      throw;
    }
    OnCustomFormat = std::move(customFormat);
    OnGetExportText = std::move(getText);
  }
  if (!watchTexts_) return;
  const int count = std::min<int>(Row().Count(), static_cast<int>(plan_.size()));
  engineTexts_.resize(plan_.size());
  for (int i = 0; i < count; ++i)
    if (plan_[static_cast<size_t>(i)].typedValue) engineTexts_[static_cast<size_t>(i)] = Row()[i].Text;
  if (!textHandlers) return;
  for (int i = 0; i < std::min(Columns().Count(), Row().Count()); ++i) {
    TTesselCol& cell = Row()[i];
    if (OnCustomFormat && ExportSource == esDataSet && Columns()[i].Field != nullptr)
      OnCustomFormat(*this, *Columns()[i].Field, cell.Text);
    if (OnGetExportText) OnGetExportText(*this, i, cell.Text);
  }
}

Variant TADO_TesselAccess::ParameterValue(int index) {
  const TTesselCol& cell = Row()[index];
  const size_t i = static_cast<size_t>(index);
  const bool untouched = !watchTexts_ || (i < engineTexts_.size() && cell.Text == engineTexts_[i]);
  if (i < plan_.size() && plan_[i].typedValue && untouched && !Columns().IsNull(index) && IsTypedValue(cell.Value))
    return cell.Value;
  const WideString text = GetCellText(cell);
  if (text.empty() || text == Formats().NullString()) return Variant::Null();
  return Variant::FromText(text);
}

void TADO_TesselAccess::WriteDataRow() {
  TJetCommand& insert = AccessWriter().InsertCommand();
  std::vector<TJetParameter>& parameters = insert.Parameters();
  const int count = std::min<int>(Row().Count(), static_cast<int>(parameters.size()));
  for (int i = 0; i < count; ++i) {
    TJetParameter& parameter = parameters[static_cast<size_t>(i)];
    parameter.Value = ParameterValue(i);
    // A Yes/No column has no blank: the database stores No.
    if (parameter.DataType == ftBoolean && parameter.Value.IsNull())
      Losses().Add(Columns()[i].Name, TLossKind::BlankAsFalse, u"No");
  }
  OnWorkingCopy([&] { insert.Execute(); });
  ++inserted_;
}

void TADO_TesselAccess::SaveRows() {
  OnWorkingCopy([&] { AccessWriter().InsertCommand().Close(); });
  AccessWriter().Stage()->Publish();
  savedRows_ = inserted_;
  const std::string place = " to table " + WideToUtf8(TableName) + " of \"" + DatabaseName + "\".";
  resultText_ = Aborted() ? "Stopped; the " + Rows(savedRows_) + " exported before the stop were saved" + place
                          : Rows(savedRows_) + " added" + place;
}

void TADO_TesselAccess::EndExport() {
  const bool failing = RunFailed();
  if (!failing && (!Aborted() || KeepRowsOnStop)) {
    SaveRows();
  } else if (!failing) {
    resultText_ = "Stopped; nothing was saved, \"" + DatabaseName + "\" is as it was.";
  }
  TTesselDatabase::EndExport();
}

void TADO_TesselAccess::ShowResult() {
  if (Aborted()) return;
  // Printing a table needs the Access application, which this system does
  // not have.
  if (PrintFile) throw Exception(TTesselLocale::Instance().LoadMessage(res::kAccessNotStarted, {}));
  if (ShowFile && ShellLauncher) ShellLauncher->Perform(TShellVerb::Open, DatabaseName);
}

}  // namespace verimo
