#pragma once

#include <functional>
#include <memory>
#include <vector>
#include <string>

#include "core/LossTally.h"
#include "core/NonCopyable.h"
#include "export/ExportTypes.h"
#include "export/HTMLExportOptions.h"
#include "export/ExportOptions.h"
#include "engine/Tessel.h"
#include "engine/TesselColumns.h"
#include "engine/TesselFormats.h"
#include "engine/TesselLocale.h"
#include "core/StringList.h"
#include "resources/StringTable.h"

namespace verimo {

class TClipboard;
class TShellLauncher;
class TTesselDialogForm;

// Which common pages the dialog shows.
struct TCommonOptions {
  bool Fields = true;    // coFields: "Alanlar"
  bool Formats = true;   // coFormats: "Biçimler"
  bool Colons = true;    // coColons: "Üstbilgi/Altbilgi"
  bool Captions = true;  // coCaptions: "&Başlık"
  bool Options = true;   // coOptions: the "&Ayarlar" sub-page
};

// The progress window of one run as the dialog drives it.
class TTesselProgressView {
 public:
  virtual ~TTesselProgressView() = default;
  // Applies a notification (TTesselProgress codes), then processes the
  // pending user input once.
  virtual void Notify(int code) = 0;
  // Waits, processing user input, until the window's result is OK.
  virtual void WaitForOK() = 0;
  // After the run (also a failed one), when it changed values it could not
  // write as they are: one line per field and kind, with the counts.
  virtual void ShowLosses(const TLossTally& /*losses*/) {}
  // Before the run: what the salvaging read of a damaged source recovered
  // and lost (TDataSet::SalvageReport), the summary line last.
  virtual void ShowSalvageReport(const std::vector<std::string>& /*lines*/) {}
};

// What an export run needs from the user interface: the Qt program shows
// windows, the command line prints.
class TTesselDialogUI {
 public:
  virtual ~TTesselDialogUI() = default;
  // Creates and shows the progress window of a run; `abortExporter` is the
  // running exporter's Abort. The window is freed when the run's start
  // handler ends.
  virtual std::unique_ptr<TTesselProgressView> ShowProgress(std::function<void()> abortExporter) = 0;
  // The stop question; true when the user chose to stop.
  virtual bool ConfirmStop() = 0;
};

// The export dialog component: bound to a source, it shows the export form
// (Execute) or runs what a settings file describes without one
// (ExecuteSettings). Its properties are the form's initial state.
class TTesselDialog : public TExportTypeOptions, public TTesselSourceProperties, private TNonCopyable {
 public:
  using TNotifyEvent = TTessel::TNotifyEvent;
  using TExportedRecordEvent = TTessel::TExportedRecordEvent;
  using TGetExportTextEvent = TTessel::TGetExportTextEvent;
  using TBeforeExportRowEvent = TTessel::TBeforeExportRowEvent;
  using TStopEvent = std::function<void(TTesselDialog& sender, bool& canContinue)>;
  using TGetColonEvent = std::function<void(TTesselDialog& sender, TStringList& colon)>;
  // Shows the form modally and returns when it closes.
  using TFormPresenter = std::function<void(TTesselDialogForm& form)>;

  TTesselDialog();
  ~TTesselDialog();

  TAllowedExports AllowedExports = TAllowedExports::All();
  TCommonOptions CommonOptions;
  bool AutoChangeFileExt = true;
  bool ConfirmAbort = true;  // stored only: the stop question is always asked
  bool OnlyVisibleFields = false;
  bool AutoCalcStrType = false;
  std::string OptionsFileName;
  bool AutoSaveOptions = false;
  bool AutoLoadOptions = false;
  bool SaveLoadButtons = false;
  std::string FileName;
  // Proposed when FileName is empty (the table's own path, say): the form
  // starts with this name, its extension replaced by the selected type's,
  // and lets the extension follow every type change until the user gives
  // a name of their own.
  std::string ProposedFileName;
  bool ShowFile = true;
  bool PrintFile = false;
  TStringList ExportedFields;
  TStringList Header;
  TStringList Captions;
  TStringList Footer;
  TStringList UserFormats;
  TStringList ColumnsWidth;
  TStringList ColumnsAlign;
  bool AllowCaptions = true;
  int CaptionRow = -1;
  TTesselFormats& Formats() { return formats_; }
  const TTesselFormats& Formats() const { return formats_; }
  bool CurrentRecordOnly = false;
  bool ExportEmpty = true;
  bool GoToFirstRecord = true;
  int ExportRecCount = 0;
  int SkipRecCount = 0;


  TNotifyEvent OnBeginExport;
  TNotifyEvent OnEndExport;
  TExportedRecordEvent OnFetchedRecord;
  TExportedRecordEvent OnSkippedRecord;
  TExportedRecordEvent OnExportedRecord;
  TBeforeExportRowEvent OnBeforeExportRow;
  TStopEvent OnStopExport;
  TGetExportTextEvent OnGetExportText;
  TGetColonEvent OnGetHeader;
  TGetColonEvent OnGetFooter;

  // Not stored: a run that would change values it cannot write as they
  // are fails (TTessel::FailOnLoss), so its file is not kept.
  bool FailOnLoss = false;

  // Platform services handed to the exporters; the system's when null.
  TShellLauncher* ShellLauncher = nullptr;
  TClipboard* Clipboard = nullptr;
  // Shows the form; the Qt program sets it. Execute raises without one.
  TFormPresenter FormPresenter;

  // Checks the source and the allowed types, rebuilds the columns, opens
  // the form through FormPresenter and returns when it closes.
  void Execute();
  // Runs what the dialog would run after loading the settings file:
  // type, file name, fields, formats and options from the file, the rest
  // from this component. Progress and the stop question go through `ui`.
  // Raises verimo::Exception when the export fails or the file names a
  // type that is not available.
  void ExecuteSettings(const std::string& settingsFile, TTesselDialogUI& ui);

  // The columns of the source, BLOB fields included (rebuilt by Execute).
  TTesselColumns& Columns() { return columns_; }
  const TTesselColumns& Columns() const { return columns_; }
  TTesselSourceRefs Source() const;

 private:
  void CheckBeforeOpening() const;
  void ReadColumnSettings(TTesselColumnSettings& settings) const;

  TTesselFormats formats_;
  TTesselColumns columns_;
};

}  // namespace verimo
