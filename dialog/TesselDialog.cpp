#include "dialog/TesselDialog.h"

#include "dialog/TesselDialogForm.h"
#include "engine/TesselIniFile.h"
#include "engine/TesselLocale.h"
#include "core/Exception.h"

namespace verimo {

TTesselDialog::TTesselDialog()
    : columns_([this](TTesselColumnSettings& settings) { ReadColumnSettings(settings); }) {}

TTesselDialog::~TTesselDialog() = default;

TTesselSourceRefs TTesselDialog::Source() const {
  return {*this};
}

// The field lists show every column of the source; the dialog's own
// ExportedFields pre-fill the exported list instead of narrowing the build.
void TTesselDialog::ReadColumnSettings(TTesselColumnSettings& settings) const {
  settings.Source = Source();
  settings.ExportedFields = nullptr;
  settings.OnlyVisibleFields = OnlyVisibleFields;
  settings.Formats = &formats_;
  settings.AutoCalcStrType = AutoCalcStrType;
  settings.CaptionRow = CaptionRow;
  settings.UserFormats = &UserFormats;
  settings.ColumnsWidth = &ColumnsWidth;
  settings.Captions = &Captions;
  settings.ColumnsAlign = &ColumnsAlign;
  settings.SkipRecCount = SkipRecCount;
  settings.ExportRecCount = ExportRecCount;
}

void TTesselDialog::CheckBeforeOpening() const {
  const bool hasSource = (ExportSource == esDataSet && DataSet) || (ExportSource == esDBGrid && DBGrid) ||
                         (ExportSource == esListView && ListView) ||
                         (ExportSource == esStringGrid && StringGrid) || ExportSource == esCustom;
  if (!hasSource)
    throw Exception(TTesselLocale::Instance().LoadMessage(res::kExportSourceNotAssigned,
                                                          {WideString(SourceKindName(ExportSource))}));
  if (AllowedExports.IsEmpty()) throw Exception(TTesselLocale::Instance().LoadText(res::kEmptyValueNotAllowed));
}

void TTesselDialog::Execute() {
  CheckBeforeOpening();
  if (!FormPresenter) throw Exception("The export dialog has no window to show");
  columns_.Build(true);
  TTesselDialogForm form(*this);
  form.FormShow();
  FormPresenter(form);
  form.FormClose();
}

void TTesselDialog::ExecuteSettings(const std::string& settingsFile, TTesselDialogUI& ui) {
  CheckBeforeOpening();
  columns_.Build(true);
  TTesselDialogForm form(*this);
  form.FormShow();

  TTesselIniFile file(settingsFile);
  const int typeNumber = file.ReadInteger(u"GENERAL", u"ExportType", 0);
  const std::optional<TAllowedExport> type = ExportTypeFromNumber(typeNumber);
  if (!type || !AllowedExports.Contains(*type) )
    throw Exception("The settings file " + settingsFile + " asks for export type " + std::to_string(typeNumber) +
                    ", which this program cannot export");
  form.LoadOptions(settingsFile);
  if (!form.StartEnabled()) throw Exception("The settings file " + settingsFile + " gives no target file name");
  form.Start(ui);
}

}  // namespace verimo
