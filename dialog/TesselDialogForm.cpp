#include "dialog/TesselDialogForm.h"

#include <algorithm>
#include <optional>

#include "dialog/DialogExporters.h"
#include "dialog/StagedTarget.h"
#include "dialog/TesselProgress.h"
#include "engine/TesselLocale.h"
#include "engine/TesselText.h"
#include "core/Exception.h"
#include "platform/locale/Formatting.h"

namespace verimo {
namespace {

// Clears a flag when the scope ends, also by an exception.
class TRunningScope {
 public:
  explicit TRunningScope(bool& flag) : flag_(flag) { flag_ = true; }
  ~TRunningScope() { flag_ = false; }
  TRunningScope(const TRunningScope&) = delete;
  TRunningScope& operator=(const TRunningScope&) = delete;

 private:
  bool& flag_;
};

// Disconnects an exporter's events from the form when the run ends, so
// that no handler outlives the progress window it refers to.
class TEventScope {
 public:
  explicit TEventScope(TTessel& exporter) : exporter_(exporter) {}
  ~TEventScope() {
    exporter_.OnBeginExport = nullptr;
    exporter_.OnEndExport = nullptr;
    exporter_.OnSkippedRecord = nullptr;
    exporter_.OnExportedRecord = nullptr;
    exporter_.OnStopExport = nullptr;
    exporter_.OnGetExportText = nullptr;
    exporter_.OnBeforeExportRow = nullptr;
  }
  TEventScope(const TEventScope&) = delete;
  TEventScope& operator=(const TEventScope&) = delete;

 private:
  TTessel& exporter_;
};

std::string FileNamePart(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool ParseCount(WideStringView text, int& value) {
  long long parsed = 0;
  if (!TryWideToInt64(Trim(text), parsed) || parsed < INT32_MIN || parsed > INT32_MAX) return false;
  value = static_cast<int>(parsed);
  return true;
}

WideString CurrencySuggestion(const TFormatSettings& settings) {
  const WideString& symbol = settings.CurrencyString;
  switch (settings.CurrencyFormat) {
    case 1: return u"00.00" + symbol;
    case 2: return symbol + u" 00.00";
    case 3: return u"00.00 " + symbol;
    default: return symbol + u"00.00";
  }
}

}  // namespace

TTesselDialogForm::TTesselDialogForm(TTesselDialog& dialog)
    : dialog_(dialog), exporters_(std::make_unique<TDialogExporters>(dialog.ShellLauncher, dialog.Clipboard)) {}

TTesselDialogForm::~TTesselDialogForm() = default;

bool TTesselDialogForm::IsTypeBuilt(TAllowedExport type) { return TDialogExporters::IsBuilt(type); }

TTessel& TTesselDialogForm::ExporterFor(TAllowedExport type) { return exporters_->For(type); }

// ---------------------------------------------------------------- opening

void TTesselDialogForm::FormShow() {
  FillTypeList();
  FillFields();
  ResetFormatsFromDialog();
  Header = dialog_.Header;
  Footer = dialog_.Footer;

  fileName_ = dialog_.FileName;
  ShowFile = dialog_.ShowFile;
  PrintFile = dialog_.PrintFile;
  OptionsFileName = dialog_.OptionsFileName;
  GoToFirstRecord = dialog_.GoToFirstRecord;
  CurrentRecordOnly = dialog_.CurrentRecordOnly;
  ExportEmpty = dialog_.ExportEmpty;
  SkipRecCount = dialog_.SkipRecCount;
  LimitRecords = dialog_.ExportRecCount > 0;
  LimitCount = std::max(dialog_.ExportRecCount, 0);
  AllowCaptions = dialog_.AllowCaptions;
  CaptionRow = dialog_.CaptionRow;
  TXTOptions = dialog_.TXTOptions;
  CSVOptions = dialog_.CSVOptions;
  AccessOptions = dialog_.AccessOptions;
  SQLOptions = dialog_.SQLOptions;
  XMLOptions = dialog_.XMLOptions;
  HTMLPageOptions = dialog_.HTMLPageOptions;
  HTMLTableOptions = dialog_.HTMLTableOptions;
  HTMLMultiFileOptions = dialog_.HTMLMultiFileOptions;
  XLSOptions = dialog_.XLSOptions;
  XlsxOptions = dialog_.XlsxOptions;
  XlsxSheetName = dialog_.XlsxSheetName;
  DocxOptions = dialog_.DocxOptions;
  ODSOptions = dialog_.ODSOptions;
  ODSSheetName = dialog_.ODSSheetName;
  ODTOptions = dialog_.ODTOptions;
  ODTTableName = dialog_.ODTTableName;
  PDFOptions = dialog_.PDFOptions;
  RTFOptions = dialog_.RTFOptions;

  for (const WideString& name : dialog_.ExportedFields) AddExportedFieldByName(Trim(name));
  userFormats_.clear();
  for (int i = 0; i < dialog_.UserFormats.Count(); ++i)
    AddUserFormat(dialog_.UserFormats.Name(i), dialog_.UserFormats.ValueFromIndex(i));

  ApplyTypeSelection();
  if (dialog_.AutoLoadOptions && !dialog_.OptionsFileName.empty()) LoadOptions(dialog_.OptionsFileName);
  if (dialog_.OnGetHeader) dialog_.OnGetHeader(dialog_, Header);
  if (dialog_.OnGetFooter) dialog_.OnGetFooter(dialog_, Footer);
}

void TTesselDialogForm::FormClose() {
  if (dialog_.AutoSaveOptions && !OptionsFileName.empty()) SaveOptions(OptionsFileName);
}

void TTesselDialogForm::FillTypeList() {
  typeList_.clear();
  for (int number = 0; number < kExportTypeCount; ++number) {
    const TAllowedExport type = static_cast<TAllowedExport>(number);
    if (dialog_.AllowedExports.Contains(type)) typeList_.push_back(type);
  }
  if (typeList_.empty()) throw Exception(TTesselLocale::Instance().LoadText(res::kEmptyValueNotAllowed));
  // The first entry, or the first one this program can export.
  const auto built = std::find_if(typeList_.begin(), typeList_.end(), IsTypeBuilt);
  typeIndex_ = built == typeList_.end() ? 0 : static_cast<int>(built - typeList_.begin());
}

void TTesselDialogForm::FillFields() {
  available_.clear();
  exported_.clear();
  captions_.clear();
  const TTesselColumns& columns = dialog_.Columns();
  for (int i = 0; i < columns.Count(); ++i) {
    const TTesselColumn& column = columns[i];
    available_.push_back({column.Name, i});
    captions_.push_back({column.Name, column.Caption, column.ColAlign, column.Width});
  }
}

void TTesselDialogForm::ResetFormatsFromDialog() {
  const TTesselFormats& source = dialog_.Formats();
  Formats.Integer = source.IntegerFormat();
  Formats.Float = source.FloatFormat();
  Formats.Date = source.DateFormat();
  Formats.Time = source.TimeFormat();
  Formats.DateTime = source.DateTimeFormat();
  Formats.Currency = source.CurrencyFormat();
  Formats.BooleanTrue = source.BooleanTrue();
  Formats.BooleanFalse = source.BooleanFalse();
  Formats.NullString = source.NullString();
  Formats.DecimalSeparator = source.DecimalSeparator;
  Formats.ThousandSeparator = source.ThousandSeparator;
  Formats.DateSeparator = source.DateSeparator;
  Formats.TimeSeparator = source.TimeSeparator;
}

// ------------------------------------------------------------ export type

bool TTesselDialogForm::SelectTypeIndex(int index) {
  if (index < 0 || index >= static_cast<int>(typeList_.size())) return false;
  if (!IsTypeBuilt(typeList_[static_cast<size_t>(index)])) return false;
  typeIndex_ = index;
  ApplyTypeSelection();
  return true;
}

bool TTesselDialogForm::SelectType(TAllowedExport type) {
  const auto found = std::find(typeList_.begin(), typeList_.end(), type);
  return found != typeList_.end() && SelectTypeIndex(static_cast<int>(found - typeList_.begin()));
}

void TTesselDialogForm::ApplyTypeSelection() {
  const TAllowedExport type = SelectedType();
  if (dialog_.AutoChangeFileExt && type != aeClipboard && !fileName_.empty())
    fileName_ = ReplaceFileExt(fileName_, type);
}

// ----------------------------------------------------------------- target

void TTesselDialogForm::SetFileName(std::string fileName) { fileName_ = std::move(fileName); }

WideString TTesselDialogForm::WindowCaption() const {
  if (fileName_.empty()) return u"Export Formu";
  return u"Export Formu -- Çıktı [" + Utf8ToWide(FileNamePart(fileName_)) + u"]";
}

bool TTesselDialogForm::StartEnabled() const {
  return IsTypeBuilt(SelectedType()) && (!fileName_.empty() || SelectedType() == aeClipboard);
}

bool TTesselDialogForm::FileControlsEnabled() const { return SelectedType() != aeClipboard; }

WideString TTesselDialogForm::FileFilter() const { return ExportTypeInfo(SelectedType()).filter; }
WideString TTesselDialogForm::DefaultExtension() const { return ExportTypeInfo(SelectedType()).extension; }

// ------------------------------------------------------------------ pages

bool TTesselDialogForm::PageVisible(TDialogPage page) const {
  const TCommonOptions& common = dialog_.CommonOptions;
  const TAllowedExport type = SelectedType();
  switch (page) {
    case TDialogPage::ExportType: return true;
    case TDialogPage::Fields: return common.Fields;
    case TDialogPage::Formats: return common.Formats && ShowsFormatsPage(type);
    case TDialogPage::HeaderFooter: return common.Colons && ShowsHeaderFooterPage(type);
    case TDialogPage::Captions: return common.Captions && ShowsCaptionsPage(type);
    case TDialogPage::TypeOptions: return TypeOptionsPage() != TOptionsPage::None;
  }
  return false;
}

bool TTesselDialogForm::OptionsSubPageVisible() const { return dialog_.CommonOptions.Options; }
bool TTesselDialogForm::SeparatorsEnabled() const { return EnablesSeparators(SelectedType()); }
bool TTesselDialogForm::ToolsVisible() const { return dialog_.SaveLoadButtons; }
bool TTesselDialogForm::CaptionRowVisible() const { return dialog_.ExportSource == esStringGrid; }

// The option page of the selected type, once its exporter is built.
TOptionsPage TTesselDialogForm::TypeOptionsPage() const {
  const TAllowedExport type = SelectedType();
  return IsTypeBuilt(type) ? ExportTypeInfo(type).optionsPage : TOptionsPage::None;
}

// ------------------------------------------------------------ constraints

void TTesselDialogForm::SetSkipRecCountText(WideStringView text) { ParseCount(text, SkipRecCount); }
void TTesselDialogForm::SetLimitCountText(WideStringView text) { ParseCount(text, LimitCount); }

// ----------------------------------------------------------------- fields

void TTesselDialogForm::AddOneExportedField(int availableIndex) {
  if (availableIndex < 0 || availableIndex >= static_cast<int>(available_.size())) return;
  exported_.push_back(available_[static_cast<size_t>(availableIndex)]);
  available_.erase(available_.begin() + availableIndex);
}

void TTesselDialogForm::AddAllExportedFields() {
  exported_.insert(exported_.end(), available_.begin(), available_.end());
  available_.clear();
}

// A field goes back to its former place among the available ones: the
// available list keeps the columns' order.
void TTesselDialogForm::DelOneExportedField(int exportedIndex) {
  if (exportedIndex < 0 || exportedIndex >= static_cast<int>(exported_.size())) return;
  const TDialogField field = exported_[static_cast<size_t>(exportedIndex)];
  exported_.erase(exported_.begin() + exportedIndex);
  const auto place = std::find_if(available_.begin(), available_.end(), [&](const TDialogField& other) {
    return other.ColumnIndex > field.ColumnIndex;
  });
  available_.insert(place, field);
}

void TTesselDialogForm::DelAllExportedFields() {
  while (!exported_.empty()) DelOneExportedField(static_cast<int>(exported_.size()) - 1);
}

bool TTesselDialogForm::AddExportedFieldByName(WideStringView name) {
  const auto found = std::find_if(available_.begin(), available_.end(),
                                  [&](const TDialogField& field) { return SameText(field.Name, name); });
  if (found == available_.end()) return false;
  AddOneExportedField(static_cast<int>(found - available_.begin()));
  return true;
}

TStringList TTesselDialogForm::FieldsToExport() const {
  TStringList names;
  if (!exported_.empty()) {
    for (const TDialogField& field : exported_) names.Add(field.Name);
    return names;
  }
  const TTesselColumns& columns = dialog_.Columns();
  for (const TDialogField& field : available_)
    if (!columns[field.ColumnIndex].IsBlob) names.Add(field.Name);
  return names;
}

// ----------------------------------------------------------- user formats

void TTesselDialogForm::AddUserFormat(WideStringView field, WideStringView pattern) {
  const WideString name = Trim(field);
  if (name.empty() || pattern.empty()) return;
  const auto existing = std::find_if(userFormats_.begin(), userFormats_.end(),
                                     [&](const TDialogUserFormat& entry) { return SameText(entry.Field, name); });
  if (existing != userFormats_.end())
    existing->Pattern = WideString(pattern);
  else
    userFormats_.push_back({name, WideString(pattern)});
}

void TTesselDialogForm::EditUserFormat(int index, WideStringView field, WideStringView pattern) {
  if (index < 0 || index >= static_cast<int>(userFormats_.size())) return;
  const WideString name = Trim(field);
  if (name.empty() || pattern.empty()) return;
  userFormats_[static_cast<size_t>(index)] = {name, WideString(pattern)};
}

void TTesselDialogForm::DeleteUserFormat(int index) {
  if (index < 0 || index >= static_cast<int>(userFormats_.size())) return;
  userFormats_.erase(userFormats_.begin() + index);
}

void TTesselDialogForm::ClearUserFormats() { userFormats_.clear(); }

TTesselColType TTesselDialogForm::ColumnTypeOf(WideStringView field) const {
  const int index = dialog_.Columns().IndexOfName(field);
  return index < 0 ? ectUnknown : dialog_.Columns()[index].ColType;
}

std::vector<WideString> TTesselDialogForm::UserFormatSuggestions(WideStringView field) const {
  const TFormatSettings& settings = GlobalFormatSettings();
  switch (ColumnTypeOf(field)) {
    case ectFloat: return {u"#,###,##0.00", u"#,###,##0.000", u"#,###,##0.0000", u"0.00"};
    case ectCurrency: return {CurrencySuggestion(settings)};
    case ectDate: return {settings.ShortDateFormat, settings.LongDateFormat};
    case ectTime: return {settings.ShortTimeFormat, settings.LongTimeFormat};
    default: return {};
  }
}

std::vector<WideString> TTesselDialogForm::UserFormatFields() const {
  std::vector<WideString> names;
  for (const TTesselColumn& column : dialog_.Columns())
    if (column.IsNumeric) names.push_back(column.Name);
  return names;
}

// --------------------------------------------------------------- captions

TDialogCaption* TTesselDialogForm::FindCaption(WideStringView field) {
  const auto found = std::find_if(captions_.begin(), captions_.end(),
                                  [&](const TDialogCaption& row) { return SameText(row.Field, field); });
  return found == captions_.end() ? nullptr : &*found;
}

// -------------------------------------------------------------------- run

void TTesselDialogForm::Start(TTesselDialogUI& ui) {
  if (running_ || !StartEnabled()) return;
  TRunningScope running(running_);
  const TAllowedExport type = SelectedType();
  if (dialog_.AutoChangeFileExt && type != aeClipboard && !fileName_.empty())
    fileName_ = ReplaceFileExt(fileName_, type);

  TTessel& exporter = exporters_->For(type);
  exporters_->CopyTypeOptions(type, *this);
  CopyCommonSettings(exporter);
  // A file export is written aside and moved into place when the run is
  // over, so that a failed run leaves the target as it was. The database
  // exporter works on a copy of its own.
  std::optional<TStagedTarget> staged;
  if (dynamic_cast<TTesselText*>(&exporter)) {
    staged.emplace(fileName_, TDialogExporters::CompanionFiles(type, fileName_));
    exporters_->CopyTarget(type, staged->Path().string(), false, false);
  } else {
    exporters_->CopyTarget(type, fileName_, ShowFile, PrintFile);
  }
  CopyColumnSettings(exporter);
  RunExporter(exporter, ui, staged ? &*staged : nullptr);
}

void TTesselDialogForm::CopyCommonSettings(TTessel& exporter) const {
  exporter.AutoCalcStrType = dialog_.AutoCalcStrType;
  exporter.OnlyVisibleFields = dialog_.OnlyVisibleFields;
  exporter.GoToFirstRecord = GoToFirstRecord;
  exporter.CurrentRecordOnly = CurrentRecordOnly;
  exporter.ExportEmpty = ExportEmpty;
  exporter.ExportRecCount = ExportRecCount();
  exporter.SkipRecCount = SkipRecCount;
  exporter.Header = Header;
  exporter.Footer = Footer;
  exporter.ExportedFields = FieldsToExport();

  TTesselFormats& formats = exporter.Formats();
  formats.SetIntegerFormat(Formats.Integer);
  formats.SetFloatFormat(Formats.Float);
  formats.SetDateFormat(Formats.Date);
  formats.SetTimeFormat(Formats.Time);
  formats.SetDateTimeFormat(Formats.DateTime);
  formats.SetCurrencyFormat(Formats.Currency);
  formats.SetBooleanTrue(Formats.BooleanTrue);
  formats.SetBooleanFalse(Formats.BooleanFalse);
  formats.SetNullString(Formats.NullString);
  formats.DecimalSeparator = Formats.DecimalSeparator;
  formats.ThousandSeparator = Formats.ThousandSeparator;
  formats.DateSeparator = Formats.DateSeparator;
  formats.TimeSeparator = Formats.TimeSeparator;
  exporter.UserFormats.Clear();
  for (const TDialogUserFormat& entry : userFormats_) exporter.UserFormats.Add(entry.Field + u"=" + entry.Pattern);

  exporter.ExportSource = dialog_.ExportSource;
  exporter.DataSet = dialog_.DataSet;
  exporter.CustomSource = dialog_.CustomSource;
  exporter.ListView = dialog_.ListView;
  exporter.DBGrid = dialog_.DBGrid;
  exporter.StringGrid = dialog_.StringGrid;

  if (exporter.Published().Captions) {
    exporter.AllowCaptions = AllowCaptions;
    exporter.CaptionRow = CaptionRow;
  }
}

void TTesselDialogForm::CopyColumnSettings(TTessel& exporter) const {
  static constexpr const char16_t* kAlignNames[] = {u"Left", u"Center", u"Right"};
  const TAllowedExport type = SelectedType();
  exporter.Captions.Clear();
  exporter.ColumnsAlign.Clear();
  exporter.ColumnsWidth.Clear();
  for (const TDialogCaption& row : captions_) {
    if (row.Caption != row.Field) exporter.Captions.Add(row.Field + u"=" + row.Caption);
    if (TDialogExporters::TakesColumnsAlign(type))
      exporter.ColumnsAlign.Add(row.Field + u"=" + kAlignNames[std::min<int>(row.Align, ecaRight)]);
    if (TDialogExporters::TakesColumnsWidth(type)) exporter.ColumnsWidth.Add(row.Field + u"=" + IntToWide(row.Width));
  }
}

void TTesselDialogForm::ConnectEvents(TTessel& exporter, TTesselProgressView& progress, TTesselDialogUI& ui,
                                      TOutOfRangeDates* outOfRangeDates) {
  TTesselDialog& dialog = dialog_;
  exporter.OnBeginExport = [&](TTessel& sender) {
    progress.Notify(TTesselProgress::pnBeginExport);
    if (dialog.OnBeginExport) dialog.OnBeginExport(sender);
  };
  exporter.OnEndExport = [&](TTessel& sender) {
    if (!sender.Aborted()) progress.Notify(TTesselProgress::pnFinished);
    if (dialog.OnEndExport) dialog.OnEndExport(sender);
  };
  exporter.OnSkippedRecord = [&](TTessel& sender, int recNo) {
    progress.Notify(TTesselProgress::pnSkippedRecord);
    if (dialog.OnSkippedRecord) dialog.OnSkippedRecord(sender, recNo);
  };
  exporter.OnExportedRecord = [&, outOfRangeDates](TTessel& sender, int recNo) {
    if (outOfRangeDates) outOfRangeDates->CountCurrentRecord();
    if (dialog.OnExportedRecord) dialog.OnExportedRecord(sender, recNo);
    progress.Notify(TTesselProgress::pnExportedRecord);
  };
  exporter.OnStopExport = [&](TTessel&, bool& canContinue) {
    progress.Notify(TTesselProgress::pnPaused);
    canContinue = !ui.ConfirmStop();
    if (dialog.OnStopExport) dialog.OnStopExport(dialog, canContinue);
    progress.Notify(canContinue ? TTesselProgress::pnResumed : TTesselProgress::pnAborted);
  };
  // Handlers that change cells only when the dialog has them: without any,
  // exporters write the cells' values and texts as the source gives them.
  if (dialog.OnGetExportText)
    exporter.OnGetExportText = [&](TTessel& sender, int colNo, WideString& text) {
      dialog.OnGetExportText(sender, colNo, text);
    };
  if (dialog.OnBeforeExportRow)
    exporter.OnBeforeExportRow = [&](TTessel& sender, TTesselRow& row, bool& accept) {
      dialog.OnBeforeExportRow(sender, row, accept);
    };
}

// A stopped run keeps the rows written so far, closed as a complete file.
void TTesselDialogForm::PublishStaged(TStagedTarget& staged, TTesselText& exporter) {
  staged.Commit();
  exporters_->CopyTarget(SelectedType(), fileName_, ShowFile, PrintFile);
  exporter.ShowResult();
}

void TTesselDialogForm::RunExporter(TTessel& exporter, TTesselDialogUI& ui, TStagedTarget* staged) {
  TTessel* running = &exporter;
  std::unique_ptr<TTesselProgressView> progress = ui.ShowProgress([running] { running->Abort(); });
  TEventScope events(exporter);
  std::optional<TOutOfRangeDates> outOfRangeDates;
  if (exporter.ExportSource == esDataSet && exporter.DataSet && exporter.DataSet->Active())
    outOfRangeDates.emplace(*exporter.DataSet, exporter.ExportedFields);
  ConnectEvents(exporter, *progress, ui, outOfRangeDates ? &*outOfRangeDates : nullptr);
  if (exporter.ExportSource == esDataSet && exporter.DataSet && exporter.DataSet->Active()) {
    std::vector<std::string> salvage = exporter.DataSet->SalvageReport();
    if (!salvage.empty()) progress->ShowSalvageReport(salvage);
  }
  try {
    exporter.Execute();
  } catch (const Exception& error) {
    if (!staged) throw;
    throw Exception(staged->AsTargetNames(error.what()));
  }
  if (staged) PublishStaged(*staged, static_cast<TTesselText&>(exporter));
  if (outOfRangeDates && !outOfRangeDates->Counts().empty()) progress->ShowOutOfRangeDates(outOfRangeDates->Counts());
  if (!ShowFile) {
    progress->WaitForOK();
  } else if (!exporter.Aborted()) {
    progress->Notify(TTesselProgress::pnClose);
  }
}

}  // namespace verimo
