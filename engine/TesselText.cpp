#include "engine/TesselText.h"

#include <system_error>

#include "engine/TesselIniFile.h"
#include "engine/TesselLocale.h"
#include "engine/TesselStream.h"
#include "core/Exception.h"
#include "resources/StringTable.h"

namespace verimo {

namespace fs = std::filesystem;

namespace {

constexpr char16_t kGeneral[] = u"GENERAL";
constexpr char16_t kFormats[] = u"FORMATS";
constexpr char16_t kLinePrefix[] = u"line";

WideString NumberedKey(WideStringView prefix, int index) {
  return WideString(prefix) + IntToWide(index);
}

// The part of a "key=value" line after its first "=".
WideString ValueOfLine(const WideString& line) {
  size_t eq = line.find(u'=');
  return eq == WideString::npos ? WideString() : line.substr(eq + 1);
}

void EnsureDirectory(const fs::path& dir) {
  std::error_code ec;
  if (!fs::is_directory(dir, ec)) fs::create_directories(dir, ec);
  if (!fs::is_directory(dir, ec))
    throw Exception(TTesselLocale::Instance().LoadMessage(res::kFolderNotCreated, {Utf8ToWide(dir.string())}));
}

}  // namespace

// ---- TTesselText ----

TTesselText::TTesselText() = default;

fs::path TTesselText::TargetDirectory() const {
  fs::path dir = fs::path(FileName).parent_path();
  if (!dir.empty()) return dir;
  std::error_code ec;
  fs::path current = fs::current_path(ec);
  return ec ? fs::path(".") : current;
}

void TTesselText::Execute() {
  if (FileName.empty()) throw Exception("No target file name is given for the export");
  EnsureDirectory(TargetDirectory());
  TFileStream file(TargetDirectory() / fs::path(FileName).filename(), TFileStream::TMode::Create);
  ExportToStream(file);
  file.Close();
  ShowResult();
}

void TTesselText::ShowResult() {
  if (Aborted() || !ShellLauncher) return;
  if (ShowFile) ShellLauncher->Perform(TShellVerb::Open, GetShowedFileName());
  if (PrintFile) ShellLauncher->Perform(TShellVerb::Print, GetPrintedFileName());
}

std::string TTesselText::GetShowedFileName() { return FileName; }

std::string TTesselText::GetPrintedFileName() { return FileName; }

void TTesselText::SaveSettings(TTesselIniFile& settings) {
  TTessel::SaveSettings(settings);
  settings.WriteString(kGeneral, u"FileName", Utf8ToWide(FileName));
  settings.WriteBool(kGeneral, u"ShowFile", ShowFile);
  settings.WriteBool(kGeneral, u"PrintFile", PrintFile);
}

void TTesselText::LoadSettings(TTesselIniFile& settings) {
  TTessel::LoadSettings(settings);
  FileName = WideToUtf8(settings.ReadString(kGeneral, u"FileName", Utf8ToWide(FileName)));
  ShowFile = settings.ReadBool(kGeneral, u"ShowFile", ShowFile);
  PrintFile = settings.ReadBool(kGeneral, u"PrintFile", PrintFile);
}

// ---- TTesselAdvancedText ----

void TTesselAdvancedText::SaveSettings(TTesselIniFile& settings) {
  TTesselText::SaveSettings(settings);
  settings::WriteNumberedWideLines(settings, u"HEADER", kLinePrefix, Header);
  settings::WriteNumberedWideLines(settings, u"FOOTER", kLinePrefix, Footer);
}

void TTesselAdvancedText::LoadSettings(TTesselIniFile& settings) {
  TTesselText::LoadSettings(settings);
  settings::ReadNumberedWideLines(settings, u"HEADER", Header);
  settings::ReadNumberedWideLines(settings, u"FOOTER", Footer);
}

// ---- TTesselFormatText ----

TTesselFormatText::TTesselFormatText() {
  published_.Captions = true;
  published_.UserFormats = true;
  published_.Formats = true;
}

void TTesselFormatText::SaveSettings(TTesselIniFile& settings) {
  TTesselAdvancedText::SaveSettings(settings);
  settings.WriteBool(kGeneral, u"AllowCaptions", AllowCaptions);
  settings::WriteNumberedLines(settings, u"CAPTIONS", kLinePrefix, Captions);
  settings::WriteFormats(settings, Formats(), true);
  settings::WriteNumberedLines(settings, u"USER_FORMATS", kLinePrefix, UserFormats);
}

void TTesselFormatText::LoadSettings(TTesselIniFile& settings) {
  TTesselAdvancedText::LoadSettings(settings);
  AllowCaptions = settings.ReadBool(kGeneral, u"AllowCaptions", AllowCaptions);
  settings::ReadNumberedLines(settings, u"CAPTIONS", Captions);
  settings::ReadFormats(settings, Formats(), true);
  settings::ReadNumberedLines(settings, u"USER_FORMATS", UserFormats);
}

// ---- TTesselFormatTextSQL ----

TTesselFormatTextSQL::TTesselFormatTextSQL() {
  published_.UserFormats = true;
  published_.Formats = true;
}

void TTesselFormatTextSQL::SaveSettings(TTesselIniFile& settings) {
  TTesselAdvancedText::SaveSettings(settings);
  settings::WriteFormats(settings, Formats(), false);
  settings::WriteNumberedLines(settings, u"USER_FORMATS", kLinePrefix, UserFormats);
}

void TTesselFormatTextSQL::LoadSettings(TTesselIniFile& settings) {
  TTesselAdvancedText::LoadSettings(settings);
  settings::ReadFormats(settings, Formats(), false);
  settings::ReadNumberedLines(settings, u"USER_FORMATS", UserFormats);
}

// ---- settings helpers ----

namespace settings {

void LoadFromFile(TTessel& exporter, const fs::path& fileName) {
  TTesselIniFile file(fileName);
  file.ReadVersion();
  exporter.LoadSettings(file);
}

void SaveToFile(TTessel& exporter, const fs::path& fileName) {
  TTesselIniFile file(fileName);
  file.EraseAllSections();
  file.Version = kWideTextIniVersion;
  file.WriteVersion();
  exporter.SaveSettings(file);
}

void WriteNumberedLines(TTesselIniFile& file, WideStringView section, WideStringView prefix,
                        const TStringList& lines) {
  file.EraseSection(section);
  for (int i = 0; i < lines.Count(); ++i) file.WriteString(section, NumberedKey(prefix, i), lines[i]);
}

void WriteNumberedWideLines(TTesselIniFile& file, WideStringView section, WideStringView prefix,
                            const TStringList& lines) {
  file.EraseSection(section);
  for (int i = 0; i < lines.Count(); ++i) file.WriteWideString(section, NumberedKey(prefix, i), lines[i]);
}

void ReadNumberedLines(const TTesselIniFile& file, WideStringView section, TStringList& lines) {
  TStringList entries;
  file.ReadSectionValues(section, entries);
  lines.Clear();
  for (const WideString& entry : entries) lines.Add(ValueOfLine(entry));
}

void ReadNumberedWideLines(const TTesselIniFile& file, WideStringView section, TStringList& lines) {
  TStringList entries;
  file.ReadWideSectionValues(section, entries);
  lines.Clear();
  for (const WideString& entry : entries) lines.Add(ValueOfLine(entry));
}

void WriteFormats(TTesselIniFile& file, const TTesselFormats& formats, bool withSeparators) {
  file.WriteString(kFormats, u"Integer", formats.IntegerFormat());
  file.WriteString(kFormats, u"Float", formats.FloatFormat());
  file.WriteString(kFormats, u"Date", formats.DateFormat());
  file.WriteString(kFormats, u"Time", formats.TimeFormat());
  file.WriteString(kFormats, u"DateTime", formats.DateTimeFormat());
  file.WriteString(kFormats, u"Currency", formats.CurrencyFormat());
  file.WriteString(kFormats, u"BooleanTrue", formats.BooleanTrue());
  file.WriteString(kFormats, u"BooleanFalse", formats.BooleanFalse());
  file.WriteString(kFormats, u"NullString", formats.NullString());
  if (!withSeparators) return;
  file.WriteChar(kFormats, u"DecimalSeparator", formats.DecimalSeparator);
  file.WriteChar(kFormats, u"ThousandSeparator", formats.ThousandSeparator);
  file.WriteChar(kFormats, u"DateSeparator", formats.DateSeparator);
  file.WriteChar(kFormats, u"TimeSeparator", formats.TimeSeparator);
  file.WriteBool(kFormats, u"KeepOriginalFormat", formats.KeepOriginalFormat);
}

void ReadFormats(const TTesselIniFile& file, TTesselFormats& formats, bool withSeparators) {
  formats.SetIntegerFormat(file.ReadString(kFormats, u"Integer", formats.IntegerFormat()));
  formats.SetFloatFormat(file.ReadString(kFormats, u"Float", formats.FloatFormat()));
  formats.SetDateFormat(file.ReadString(kFormats, u"Date", formats.DateFormat()));
  formats.SetTimeFormat(file.ReadString(kFormats, u"Time", formats.TimeFormat()));
  formats.SetDateTimeFormat(file.ReadString(kFormats, u"DateTime", formats.DateTimeFormat()));
  formats.SetCurrencyFormat(file.ReadString(kFormats, u"Currency", formats.CurrencyFormat()));
  formats.SetBooleanTrue(file.ReadString(kFormats, u"BooleanTrue", formats.BooleanTrue()));
  formats.SetBooleanFalse(file.ReadString(kFormats, u"BooleanFalse", formats.BooleanFalse()));
  formats.SetNullString(file.ReadString(kFormats, u"NullString", formats.NullString()));
  if (!withSeparators) return;
  formats.DecimalSeparator = file.ReadChar(kFormats, u"DecimalSeparator", formats.DecimalSeparator);
  formats.ThousandSeparator = file.ReadChar(kFormats, u"ThousandSeparator", formats.ThousandSeparator);
  formats.DateSeparator = file.ReadChar(kFormats, u"DateSeparator", formats.DateSeparator);
  formats.TimeSeparator = file.ReadChar(kFormats, u"TimeSeparator", formats.TimeSeparator);
  formats.KeepOriginalFormat = file.ReadBool(kFormats, u"KeepOriginalFormat", formats.KeepOriginalFormat);
}

}  // namespace settings

}  // namespace verimo
