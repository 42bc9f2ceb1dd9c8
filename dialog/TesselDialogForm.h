#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/NonCopyable.h"
#include "export/ExportTypes.h"
#include "dialog/TesselDialog.h"
#include "export/ExportOptions.h"
#include "engine/TesselTypes.h"
#include "core/StringList.h"
#include "platform/locale/Separators.h"

namespace verimo {

class TTesselIniFile;
class TExporters;
class TExportRun;

// The pages of the export form.
enum class TDialogPage : uint8_t { ExportType, Fields, Formats, HeaderFooter, Captions, TypeOptions };

// One entry of the field lists: a column of the dialog.
struct TDialogField {
  WideString Name;
  int ColumnIndex = -1;  // in the dialog's columns
};

// The nine patterns and texts and the four separators of the "Biçimler" page.
struct TDialogFormatTexts : TSeparators {
  WideString Integer, Float, Date, Time, DateTime, Currency, BooleanTrue, BooleanFalse, NullString;
  friend bool operator==(const TDialogFormatTexts&, const TDialogFormatTexts&) = default;
};

struct TDialogUserFormat {
  WideString Field;
  WideString Pattern;
  friend bool operator==(const TDialogUserFormat&, const TDialogUserFormat&) = default;
};

// One row of the caption grid.
struct TDialogCaption {
  WideString Field;
  WideString Caption;
  TTesselColAlign Align = ecaLeft;
  int Width = 0;
  friend bool operator==(const TDialogCaption&, const TDialogCaption&) = default;
};

// The state and the behaviour of the export form without any window: the
// Qt form (TTesselDialogF) shows this object and forwards every user action
// to it; the command line drives it directly. It lives for one Execute.
// The option pages are the inherited option objects.
class TTesselDialogForm : public TExportTypeOptions, private TNonCopyable {
 public:
  explicit TTesselDialogForm(TTesselDialog& dialog);
  ~TTesselDialogForm();

  TTesselDialog& Dialog() { return dialog_; }
  const TTesselDialog& Dialog() const { return dialog_; }

  // Opening (fills everything from the dialog, loads the settings file when
  // asked) and closing (saves it when asked).
  void FormShow();
  void FormClose();

  // --- "Export Biçimi": the type list, in AllowedExports order.
  const std::vector<TAllowedExport>& TypeList() const { return typeList_; }
  int TypeIndex() const { return typeIndex_; }
  TAllowedExport SelectedType() const { return typeList_.at(static_cast<size_t>(typeIndex_)); }
  // Selects a list entry (rgExportTypeClick); an index outside the list
  // changes nothing. False then.
  bool SelectTypeIndex(int index);
  bool SelectType(TAllowedExport type);

  // --- The target.
  const std::string& FileName() const { return fileName_; }
  // edFileNameChange and the save dialog: a name of the user's own.
  void SetFileName(std::string fileName);
  // Whether the name is still the one the form proposed.
  bool FileNameProposed() const { return fileNameProposed_; }
  WideString WindowCaption() const;
  bool StartEnabled() const;
  // The file-name label and box, "Seç..." and "Export sonrası dosyayı aç".
  bool FileControlsEnabled() const;
  // The save dialog's filter and default extension for the selected type.
  WideString FileFilter() const;
  WideString DefaultExtension() const;
  bool ShowFile = true;
  bool PrintFile = false;

  // --- Pages.
  bool PageVisible(TDialogPage page) const;
  bool OptionsSubPageVisible() const;
  bool SeparatorsEnabled() const;
  TOptionsPage TypeOptionsPage() const;
  bool ToolsVisible() const;

  // --- "&Ayarlar": the record constraints.
  bool GoToFirstRecord = true;
  bool CurrentRecordOnly = false;
  bool ExportEmpty = true;
  int SkipRecCount = 0;
  // "Tüm kayıtları çıkart" when false, "Sadece" n "kayıt" when true.
  bool LimitRecords = false;
  int LimitCount = 0;
  int ExportRecCount() const { return LimitRecords ? LimitCount : 0; }
  // Edits of the count boxes: a text that is not a number is ignored.
  void SetSkipRecCountText(WideStringView text);
  void SetLimitCountText(WideStringView text);

  // --- "Alanlar".
  const std::vector<TDialogField>& AvailableFields() const { return available_; }
  const std::vector<TDialogField>& ExportedFields() const { return exported_; }
  void AddOneExportedField(int availableIndex);  // ">" and double-click
  void AddAllExportedFields();                   // ">>"
  void DelOneExportedField(int exportedIndex);   // "<" and double-click
  void DelAllExportedFields();                   // "<<"
  // Moves the field of that name to the end of the exported list; false
  // when it is not among the available fields.
  bool AddExportedFieldByName(WideStringView name);
  // The names of the fields an export writes: the exported list, or every
  // available non-BLOB field when that list is empty.
  TStringList FieldsToExport() const;

  // --- "Biçimler".
  TDialogFormatTexts Formats;
  const std::vector<TDialogUserFormat>& UserFormats() const { return userFormats_; }
  // "Ekle": adds or, for a field already listed, replaces; ignores an
  // empty field or pattern. "Düzenle" replaces entry `index`.
  void AddUserFormat(WideStringView field, WideStringView pattern);
  void EditUserFormat(int index, WideStringView field, WideStringView pattern);
  void DeleteUserFormat(int index);
  void ClearUserFormats();
  // The pattern suggestions for a field's column type.
  std::vector<WideString> UserFormatSuggestions(WideStringView field) const;
  // The field names the user-format box offers (numeric columns).
  std::vector<WideString> UserFormatFields() const;

  // --- "Üstbilgi/Altbilgi".
  TStringList Header;
  TStringList Footer;

  // --- "&Başlık".
  bool AllowCaptions = true;
  int CaptionRow = -1;
  bool CaptionRowVisible() const;
  std::vector<TDialogCaption>& CaptionGrid() { return captions_; }
  const std::vector<TDialogCaption>& CaptionGrid() const { return captions_; }
  TDialogCaption* FindCaption(WideStringView field);


  // --- Settings files.
  std::string OptionsFileName;
  void SaveOptions(const std::string& fileName);
  void LoadOptions(const std::string& fileName);

  // --- The run ("İŞLEME BAŞLA").
  bool Running() const { return running_; }
  // Copies the form into the selected type's exporter, runs it with the
  // progress window and the stop question of `ui`. Ignored while a run is
  // in progress. Exceptions of the export reach the caller.
  void Start(TTesselDialogUI& ui);
  // The exporter component of a built type (for tests and the option pages).
  TTessel& ExporterFor(TAllowedExport type);

 private:
  void FillTypeList();
  void FillFields();
  void ResetFormatsFromDialog();
  // How the target's extension follows the selected type.
  enum class TExtensionRule {
    Replace,         // the initial and a loaded name: always
    FollowPrevious,  // a type change: while it has the previous type's extension
    BeforeStart,     // no extension, or one of another export type
  };
  void ApplyTypeSelection(TExtensionRule rule);
  bool ExtensionFollows(TExtensionRule rule) const;
  void CopyCommonSettings(TTessel& exporter) const;
  void CopyColumnSettings(TTessel& exporter) const;
  void RunExporter(TExportRun& run, TTesselDialogUI& ui);
  TTesselColType ColumnTypeOf(WideStringView field) const;

  void SaveGeneral(TTesselIniFile& file) const;
  void SaveFormats(TTesselIniFile& file) const;
  void SaveFields(TTesselIniFile& file) const;
  void SaveColons(TTesselIniFile& file) const;
  void SaveCaptions(TTesselIniFile& file) const;
  void SaveTypeOptions(TTesselIniFile& file) const;
  void LoadGeneral(const TTesselIniFile& file);
  void LoadFormats(const TTesselIniFile& file);
  void LoadFields(const TTesselIniFile& file);
  void LoadColons(const TTesselIniFile& file);
  void LoadCaptions(const TTesselIniFile& file);
  void LoadTypeOptions(const TTesselIniFile& file);

  TTesselDialog& dialog_;
  std::unique_ptr<TExporters> exporters_;
  std::vector<TAllowedExport> typeList_;
  int typeIndex_ = 0;
  std::string fileName_;
  bool fileNameProposed_ = false;
  // The last selected type that writes a file: whose extension a name
  // must still have to follow a type change.
  TAllowedExport lastFileType_ = aeXLS;
  std::vector<TDialogField> available_;
  std::vector<TDialogField> exported_;
  std::vector<TDialogUserFormat> userFormats_;
  std::vector<TDialogCaption> captions_;
  bool running_ = false;
};

}  // namespace verimo
