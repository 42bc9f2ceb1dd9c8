// SaveOptions / LoadOptions of the export form: the dialog's settings file.
#include <algorithm>

#include "dialog/TesselDialogForm.h"
#include "engine/TesselIniFile.h"
#include "export/ExportSettings.h"

namespace verimo {
namespace {

constexpr WideStringView kGeneral = u"GENERAL";
constexpr WideStringView kFormats = u"FORMATS";
constexpr WideStringView kUserFormats = u"USER_FORMATS";
constexpr WideStringView kFields = u"FIELDS";
constexpr WideStringView kHeader = u"HEADER";
constexpr WideStringView kFooter = u"FOOTER";
constexpr WideStringView kCaptions = u"CAPTIONS";
constexpr WideStringView kWidth = u"WIDTH";
constexpr WideStringView kAlign = u"ALIGN";

WideString NumberedKey(WideStringView prefix, int number) { return WideString(prefix) + IntToWide(number); }


}  // namespace

// ------------------------------------------------------------------- save

void TTesselDialogForm::SaveOptions(const std::string& fileName) {
  TTesselIniFile file(fileName);
  file.EraseAllSections();
  file.Version = kWideTextIniVersion;
  file.WriteVersion();
  SaveGeneral(file);
  SaveFormats(file);
  SaveFields(file);
  SaveColons(file);
  SaveCaptions(file);
  SaveTypeOptions(file);
}

// Separators and CSV characters use the character notation ("#160" for a
// no-break space, "#0" for none), which also reads one-character values, so
// that no separator is lost to the ANSI code page.
//
// The file name is user text like the header lines and goes through the
// same wide-text rule, so that a path with letters outside the ANSI code
// page comes back whole.
void TTesselDialogForm::SaveGeneral(TTesselIniFile& file) const {
  file.WriteInteger(kGeneral, u"ExportType", SelectedType());
  file.WriteWideString(kGeneral, u"FileName", Utf8ToWide(fileName_));
  file.WriteBool(kGeneral, u"ShowFile", ShowFile);
  file.WriteBool(kGeneral, u"PrintFile", PrintFile);
  file.WriteBool(kGeneral, u"GoToFirstRecord", GoToFirstRecord);
  file.WriteBool(kGeneral, u"ExportEmpty", ExportEmpty);
  file.WriteBool(kGeneral, u"CurrentRecordOnly", CurrentRecordOnly);
  file.WriteInteger(kGeneral, u"ExportRecCount", ExportRecCount());
  file.WriteInteger(kGeneral, u"SkipRecCount", SkipRecCount);
  file.WriteBool(kGeneral, u"AllowCaptions", AllowCaptions);
  file.WriteInteger(kGeneral, u"CaptionRow", CaptionRow);
}

void TTesselDialogForm::SaveFormats(TTesselIniFile& file) const {
  file.EraseSection(kUserFormats);
  if (!PageVisible(TDialogPage::Formats)) return;
  file.WriteString(kFormats, u"Integer", Formats.Integer);
  file.WriteString(kFormats, u"Float", Formats.Float);
  file.WriteString(kFormats, u"Date", Formats.Date);
  file.WriteString(kFormats, u"Time", Formats.Time);
  file.WriteString(kFormats, u"DateTime", Formats.DateTime);
  file.WriteString(kFormats, u"Currency", Formats.Currency);
  file.WriteString(kFormats, u"BooleanTrue", Formats.BooleanTrue);
  file.WriteString(kFormats, u"BooleanFalse", Formats.BooleanFalse);
  file.WriteString(kFormats, u"NullString", Formats.NullString);
  file.WriteChar(kFormats, u"DecimalSeparator", Formats.DecimalSeparator);
  file.WriteChar(kFormats, u"ThousandSeparator", Formats.ThousandSeparator);
  file.WriteChar(kFormats, u"DateSeparator", Formats.DateSeparator);
  file.WriteChar(kFormats, u"TimeSeparator", Formats.TimeSeparator);
  for (const TDialogUserFormat& entry : userFormats_) file.WriteString(kUserFormats, entry.Field, entry.Pattern);
}

void TTesselDialogForm::SaveFields(TTesselIniFile& file) const {
  file.EraseSection(kFields);
  for (size_t i = 0; i < exported_.size(); ++i)
    file.WriteWideString(kFields, NumberedKey(u"field", static_cast<int>(i)), exported_[i].Name);
}

void TTesselDialogForm::SaveColons(TTesselIniFile& file) const {
  file.EraseSection(kHeader);
  file.EraseSection(kFooter);
  if (!PageVisible(TDialogPage::HeaderFooter)) return;
  for (int i = 0; i < Header.Count(); ++i) file.WriteWideString(kHeader, NumberedKey(u"line", i), Header[i]);
  for (int i = 0; i < Footer.Count(); ++i) file.WriteWideString(kFooter, NumberedKey(u"line", i), Footer[i]);
}

void TTesselDialogForm::SaveCaptions(TTesselIniFile& file) const {
  file.EraseSection(kCaptions);
  file.EraseSection(kWidth);
  file.EraseSection(kAlign);
  if (!PageVisible(TDialogPage::Captions)) return;
  const TAllowedExport type = SelectedType();
  for (const TDialogCaption& row : captions_) {
    file.WriteWideString(kCaptions, row.Field, row.Caption);
    if (SavesColumnAlign(type)) file.WriteString(kAlign, row.Field, ColumnAlignText(row.Align));
    if (SavesColumnWidth(type)) file.WriteInteger(kWidth, row.Field, row.Width);
  }
}

void TTesselDialogForm::SaveTypeOptions(TTesselIniFile& file) const {
  verimo::SaveTypeOptions(file, SelectedType(), *this);
}

// ------------------------------------------------------------------- load

void TTesselDialogForm::LoadOptions(const std::string& fileName) {
  TTesselIniFile file(fileName);
  file.ReadVersion();
  LoadGeneral(file);
  LoadFormats(file);
  LoadFields(file);
  LoadColons(file);
  LoadCaptions(file);
  LoadTypeOptions(file);
}

void TTesselDialogForm::LoadGeneral(const TTesselIniFile& file) {
  const TTesselDialog& d = dialog_;
  const std::string loadedName = WideToUtf8(file.ReadWideString(kGeneral, u"FileName", Utf8ToWide(fileName_)));
  if (loadedName != fileName_) {
    fileName_ = loadedName;
    fileNameProposed_ = false;
  }
  const std::optional<TAllowedExport> type = ExportTypeFromNumber(file.ReadInteger(kGeneral, u"ExportType", 0));
  if (type) SelectType(*type);
  // A stored name and type belong together, as a name and type do when the form opens.
  ApplyTypeSelection(TExtensionRule::Replace);
  ShowFile = file.ReadBool(kGeneral, u"ShowFile", d.ShowFile);
  PrintFile = file.ReadBool(kGeneral, u"PrintFile", d.PrintFile);
  GoToFirstRecord = file.ReadBool(kGeneral, u"GoToFirstRecord", d.GoToFirstRecord);
  ExportEmpty = file.ReadBool(kGeneral, u"ExportEmpty", d.ExportEmpty);
  CurrentRecordOnly = file.ReadBool(kGeneral, u"CurrentRecordOnly", d.CurrentRecordOnly);
  const int recCount = file.ReadInteger(kGeneral, u"ExportRecCount", d.ExportRecCount);
  LimitRecords = recCount > 0;
  if (LimitRecords) LimitCount = recCount;
  SkipRecCount = file.ReadInteger(kGeneral, u"SkipRecCount", d.SkipRecCount);
  AllowCaptions = file.ReadBool(kGeneral, u"AllowCaptions", d.AllowCaptions);
  CaptionRow = file.ReadInteger(kGeneral, u"CaptionRow", d.CaptionRow);
}

void TTesselDialogForm::LoadFormats(const TTesselIniFile& file) {
  ResetFormatsFromDialog();
  Formats.Integer = file.ReadString(kFormats, u"Integer", Formats.Integer);
  Formats.Float = file.ReadString(kFormats, u"Float", Formats.Float);
  Formats.Date = file.ReadString(kFormats, u"Date", Formats.Date);
  Formats.Time = file.ReadString(kFormats, u"Time", Formats.Time);
  Formats.DateTime = file.ReadString(kFormats, u"DateTime", Formats.DateTime);
  Formats.Currency = file.ReadString(kFormats, u"Currency", Formats.Currency);
  Formats.BooleanTrue = file.ReadString(kFormats, u"BooleanTrue", Formats.BooleanTrue);
  Formats.BooleanFalse = file.ReadString(kFormats, u"BooleanFalse", Formats.BooleanFalse);
  Formats.NullString = file.ReadString(kFormats, u"NullString", Formats.NullString);
  Formats.DecimalSeparator = file.ReadChar(kFormats, u"DecimalSeparator", Formats.DecimalSeparator);
  Formats.ThousandSeparator = file.ReadChar(kFormats, u"ThousandSeparator", Formats.ThousandSeparator);
  Formats.DateSeparator = file.ReadChar(kFormats, u"DateSeparator", Formats.DateSeparator);
  Formats.TimeSeparator = file.ReadChar(kFormats, u"TimeSeparator", Formats.TimeSeparator);

  userFormats_.clear();
  TStringList keys;
  file.ReadSection(kUserFormats, keys);
  for (const WideString& key : keys)
    if (dialog_.Columns().IndexOfName(key) >= 0) AddUserFormat(key, file.ReadString(kUserFormats, key, u""));
}

// The saved list replaces the exported one: loading the same file twice,
// or into a form whose list was changed, gives the saved fields only.
void TTesselDialogForm::LoadFields(const TTesselIniFile& file) {
  TStringList entries;
  file.ReadWideSectionValues(kFields, entries);
  DelAllExportedFields();
  for (int i = 0; i < entries.Count(); ++i) AddExportedFieldByName(Trim(entries.ValueFromIndex(i)));
}

void TTesselDialogForm::LoadColons(const TTesselIniFile& file) {
  auto load = [&](WideStringView section, TStringList& memo) {
    TStringList entries;
    file.ReadWideSectionValues(section, entries);
    memo.Clear();
    for (int i = 0; i < entries.Count(); ++i) memo.Add(entries.ValueFromIndex(i));
  };
  load(kHeader, Header);
  load(kFooter, Footer);
}

void TTesselDialogForm::LoadCaptions(const TTesselIniFile& file) {
  for (TDialogCaption& row : captions_) {
    row.Caption = file.ReadWideString(kCaptions, row.Field, row.Caption);
    row.Width = file.ReadInteger(kWidth, row.Field, row.Width);
    if (file.ValueExists(kAlign, row.Field)) row.Align = ColumnAlignFromText(file.ReadString(kAlign, row.Field, u""));
  }
}

void TTesselDialogForm::LoadTypeOptions(const TTesselIniFile& file) {
  verimo::LoadTypeOptions(file, SelectedType(), dialog_, *this);
}

}  // namespace verimo
