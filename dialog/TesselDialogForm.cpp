#include "dialog/TesselDialogForm.h"

#include <algorithm>
#include <optional>

#include "core/NonCopyable.h"
#include "export/Exporters.h"
#include "export/ExportRun.h"
#include "dialog/TesselProgress.h"
#include "engine/TesselLocale.h"
#include "engine/TesselText.h"
#include "core/Exception.h"
#include "platform/locale/Formatting.h"

namespace verimo {
namespace {

// Clears a flag when the scope ends, also by an exception.
class TRunningScope : private TNonCopyable {
 public:
  explicit TRunningScope(bool& flag) : flag_(flag) { flag_ = true; }
  ~TRunningScope() { flag_ = false; }

 private:
  bool& flag_;
};

std::string FileNamePart(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The extension of a path's file name, without the dot; empty without one.
std::string ExtensionOf(const std::string& path) {
  const size_t nameStart = path.find_last_of('/');
  const size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || (nameStart != std::string::npos && dot < nameStart)) return {};
  return path.substr(dot + 1);
}

bool SameExtension(const std::string& extension, TAllowedExport type) {
  return !extension.empty() && SameText(Utf8ToWide(extension), ExportTypeInfo(type).extension);
}

bool IsExportExtension(const std::string& extension) {
  for (int number = 0; number < kExportTypeCount; ++number)
    if (SameExtension(extension, static_cast<TAllowedExport>(number))) return true;
  return false;
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
    : dialog_(dialog), exporters_(std::make_unique<TExporters>(TExporterServices{dialog.ShellLauncher, dialog.Clipboard})) {}

TTesselDialogForm::~TTesselDialogForm() = default;


TTessel& TTesselDialogForm::ExporterFor(TAllowedExport type) { return exporters_->For(type); }

// ---------------------------------------------------------------- opening

void TTesselDialogForm::FormShow() {
  FillTypeList();
  FillFields();
  ResetFormatsFromDialog();
  Header = dialog_.Header;
  Footer = dialog_.Footer;

  fileName_ = dialog_.FileName;
  fileNameProposed_ = fileName_.empty() && !dialog_.ProposedFileName.empty();
  if (fileNameProposed_) fileName_ = dialog_.ProposedFileName;
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
  static_cast<TExportTypeOptions&>(*this) = dialog_;

  for (const WideString& name : dialog_.ExportedFields) AddExportedFieldByName(Trim(name));
  userFormats_.clear();
  for (int i = 0; i < dialog_.UserFormats.Count(); ++i)
    AddUserFormat(dialog_.UserFormats.Name(i), dialog_.UserFormats.ValueFromIndex(i));

  ApplyTypeSelection(TExtensionRule::Replace);
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
  typeIndex_ = 0;
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
  Formats.Separators() = source.Separators();
}

// ------------------------------------------------------------ export type

bool TTesselDialogForm::SelectTypeIndex(int index) {
  if (index < 0 || index >= static_cast<int>(typeList_.size())) return false;
  typeIndex_ = index;
  ApplyTypeSelection(TExtensionRule::FollowPrevious);
  return true;
}

bool TTesselDialogForm::SelectType(TAllowedExport type) {
  const auto found = std::find(typeList_.begin(), typeList_.end(), type);
  return found != typeList_.end() && SelectTypeIndex(static_cast<int>(found - typeList_.begin()));
}

void TTesselDialogForm::ApplyTypeSelection(TExtensionRule rule) {
  const TAllowedExport type = SelectedType();
  if (!WritesFile(type)) return;
  if (!fileName_.empty() && (fileNameProposed_ || (dialog_.AutoChangeFileExt && ExtensionFollows(rule))))
    fileName_ = ReplaceFileExt(fileName_, type);
  lastFileType_ = type;
}

bool TTesselDialogForm::ExtensionFollows(TExtensionRule rule) const {
  const std::string extension = ExtensionOf(fileName_);
  switch (rule) {
    case TExtensionRule::Replace: return true;
    case TExtensionRule::FollowPrevious: return SameExtension(extension, lastFileType_);
    case TExtensionRule::BeforeStart: return extension.empty() || IsExportExtension(extension);
  }
  return false;
}

// ----------------------------------------------------------------- target

void TTesselDialogForm::SetFileName(std::string fileName) {
  if (fileName == fileName_) return;
  fileName_ = std::move(fileName);
  fileNameProposed_ = false;
}

WideString TTesselDialogForm::WindowCaption() const {
  if (fileName_.empty()) return u"Export Formu";
  return u"Export Formu -- Çıktı [" + Utf8ToWide(FileNamePart(fileName_)) + u"]";
}

bool TTesselDialogForm::StartEnabled() const {
  return !fileName_.empty() || !WritesFile(SelectedType());
}

bool TTesselDialogForm::FileControlsEnabled() const { return WritesFile(SelectedType()); }

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

TOptionsPage TTesselDialogForm::TypeOptionsPage() const { return ExportTypeInfo(SelectedType()).optionsPage; }

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
  ApplyTypeSelection(TExtensionRule::BeforeStart);
  const TAllowedExport type = SelectedType();
  TTessel& exporter = exporters_->For(type);
  exporters_->CopyTypeOptions(type, *this, fileName_);
  CopyCommonSettings(exporter);
  CopyColumnSettings(exporter);
  TExportRun run(*exporters_, type, fileName_);
  RunExporter(run, ui);
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
  formats.Separators() = Formats.Separators();
  exporter.UserFormats.Clear();
  for (const TDialogUserFormat& entry : userFormats_) exporter.UserFormats.Add(entry.Field + u"=" + entry.Pattern);

  TTesselSourceProperties& exporterSource = exporter;
  exporterSource = dialog_;

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
    if (ExportTypeInfo(type).takesColumnsAlign)
      exporter.ColumnsAlign.Add(row.Field + u"=" + kAlignNames[std::min<int>(row.Align, ecaRight)]);
    if (ExportTypeInfo(type).takesColumnsWidth) exporter.ColumnsWidth.Add(row.Field + u"=" + IntToWide(row.Width));
  }
}

namespace {

// The run's events into the progress window, the stop question and the
// dialog component's events.
class TDialogRunObserver : public TExportRunObserver {
 public:
  TDialogRunObserver(TTesselDialog& dialog, TTesselProgressView& progress, TTesselDialogUI& ui)
      : dialog_(dialog), progress_(progress), ui_(ui) {}

  void Began(TTessel& sender) override {
    progress_.Notify(TTesselProgress::pnBeginExport);
    if (dialog_.OnBeginExport) dialog_.OnBeginExport(sender);
  }
  void Ended(TTessel& sender, bool stopped) override {
    if (!stopped) progress_.Notify(TTesselProgress::pnFinished);
    if (dialog_.OnEndExport) dialog_.OnEndExport(sender);
  }
  void Skipped(TTessel& sender, int recNo) override {
    progress_.Notify(TTesselProgress::pnSkippedRecord);
    if (dialog_.OnSkippedRecord) dialog_.OnSkippedRecord(sender, recNo);
  }
  void Exported(TTessel& sender, int recNo) override {
    if (dialog_.OnExportedRecord) dialog_.OnExportedRecord(sender, recNo);
    progress_.Notify(TTesselProgress::pnExportedRecord);
  }
  bool ContinueAfterStop(TTessel&) override {
    progress_.Notify(TTesselProgress::pnPaused);
    bool canContinue = !ui_.ConfirmStop();
    if (dialog_.OnStopExport) dialog_.OnStopExport(dialog_, canContinue);
    progress_.Notify(canContinue ? TTesselProgress::pnResumed : TTesselProgress::pnAborted);
    return canContinue;
  }
  // Handlers that change cells only when the dialog has them: without any,
  // exporters write the cells' values and texts as the source gives them.
  void ConnectMore(TTessel& exporter) override {
    TTesselDialog& dialog = dialog_;
    if (dialog.OnGetExportText)
      exporter.OnGetExportText = [&dialog](TTessel& sender, int colNo, WideString& text) {
        dialog.OnGetExportText(sender, colNo, text);
      };
    if (dialog.OnBeforeExportRow)
      exporter.OnBeforeExportRow = [&dialog](TTessel& sender, TTesselRow& row, bool& accept) {
        dialog.OnBeforeExportRow(sender, row, accept);
      };
  }

 private:
  TTesselDialog& dialog_;
  TTesselProgressView& progress_;
  TTesselDialogUI& ui_;
};

}  // namespace

// A stopped run keeps the rows written so far, closed as a complete file.
void TTesselDialogForm::RunExporter(TExportRun& run, TTesselDialogUI& ui) {
  TTessel& exporter = run.Exporter();
  std::unique_ptr<TTesselProgressView> progress = ui.ShowProgress([&exporter] { exporter.Abort(); });
  TDialogRunObserver observer(dialog_, *progress, ui);
  exporter.FailOnLoss = dialog_.FailOnLoss;
  if (exporter.ExportSource == esDataSet && exporter.DataSet && exporter.DataSet->Active()) {
    std::vector<std::string> salvage = exporter.DataSet->SalvageReport();
    if (!salvage.empty()) progress->ShowSalvageReport(salvage);
  }
  try {
    run.Execute(observer);
  } catch (const Exception&) {
    if (!exporter.Losses().Empty()) progress->ShowLosses(exporter.Losses());
    throw;
  }
  run.Publish();
  run.ShowResult(ShowFile, PrintFile);
  if (!exporter.Losses().Empty()) progress->ShowLosses(exporter.Losses());
  if (!ShowFile) {
    progress->WaitForOK();
  } else if (!exporter.Aborted()) {
    progress->Notify(TTesselProgress::pnClose);
  }
}

}  // namespace verimo
