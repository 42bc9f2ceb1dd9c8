#include "export/ExportSettings.h"

#include <algorithm>

#include "engine/TesselIniFile.h"
#include "engine/TesselText.h"
#include "export/ExportOptions.h"
#include "export/Exporters.h"
#include "formats/database/ADO_TesselAccess.h"

namespace verimo {
namespace {

constexpr const char16_t* kAlignTexts[] = {u"Sol", u"Orta", u"Sağ"};
constexpr const char16_t* kAlignNames[] = {u"Left", u"Center", u"Right"};

// The first section the table lists for the type: where its option page
// is stored.
WideString MainSection(TAllowedExport type) {
  const std::string_view sections = ExportTypeInfo(type).ownSections;
  return Utf8ToWide(std::string(sections.substr(0, sections.find(','))));
}

// "line<n>" keys hold whole "name=value" lines (an exporter saved them);
// any other key is the name itself (the dialog saved it).
bool IsNumberedLineKey(WideStringView key) {
  if (key.size() <= 4 || !SameText(key.substr(0, 4), u"line")) return false;
  return std::all_of(key.begin() + 4, key.end(), [](char16_t c) { return c >= u'0' && c <= u'9'; });
}

// Replaces the list with the section's "name=value" lines; `convert`
// turns a dialog's value into the exporter's.
template <typename Convert>
void ReadColumnLines(const TTesselIniFile& file, WideStringView section, TStringList& lines, Convert convert) {
  if (!file.SectionExists(section)) return;
  TStringList keys;
  file.ReadSection(section, keys);
  lines.Clear();
  for (const WideString& key : keys) {
    if (IsNumberedLineKey(key)) lines.Add(file.ReadString(section, key, u""));
    else lines.Add(key + u"=" + convert(file.ReadWideString(section, key, u"")));
  }
}

void ReadColumnLines(const TTesselIniFile& file, WideStringView section, TStringList& lines) {
  ReadColumnLines(file, section, lines, [](const WideString& value) { return value; });
}

void LoadCommonSections(const TTesselIniFile& file, TAllowedExport type, TTessel& exporter) {
  if (ShowsFormatsPage(type)) {
    if (file.SectionExists(u"FORMATS")) settings::ReadFormats(file, exporter.Formats(), true);
    ReadColumnLines(file, u"USER_FORMATS", exporter.UserFormats);
  }
  if (ShowsHeaderFooterPage(type)) {
    if (file.SectionExists(u"HEADER")) settings::ReadNumberedWideLines(file, u"HEADER", exporter.Header);
    if (file.SectionExists(u"FOOTER")) settings::ReadNumberedWideLines(file, u"FOOTER", exporter.Footer);
  }
  if (ShowsCaptionsPage(type)) ReadColumnLines(file, u"CAPTIONS", exporter.Captions);
  if (SavesColumnAlign(type))
    ReadColumnLines(file, u"ALIGN", exporter.ColumnsAlign, [](const WideString& value) {
      return WideString(kAlignNames[ColumnAlignFromText(value)]);
    });
  if (SavesColumnWidth(type)) ReadColumnLines(file, u"WIDTH", exporter.ColumnsWidth);
}

void ApplyOverrides(TTessel& exporter, TAllowedExport type, const std::string& target,
                    const TExportOverrides& overrides) {
  if (type == aeSQL) {
    auto& sql = static_cast<TTesselSQL&>(exporter);
    if (overrides.sqlDialect) sql.Options.ScriptType = *overrides.sqlDialect;
    if (sql.Options.TableName.empty())
      sql.Options.TableName = sql::TableNameFromFileName(target, sql.Options.ScriptType);
  }
}

}  // namespace

TTesselColAlign ColumnAlignFromText(WideStringView text) {
  // "Sağ" may come back as "Sa?" from a code page without the letter ğ, so
  // the texts are told apart by their start.
  const WideString upper = UpperCase(Trim(text));
  if (upper.starts_with(u"O") || upper.starts_with(u"C")) return ecaCenter;
  if (upper.starts_with(u"SA") || upper.starts_with(u"R")) return ecaRight;
  return ecaLeft;
}

WideString ColumnAlignText(TTesselColAlign align) { return kAlignTexts[std::min<int>(align, ecaRight)]; }

void ConfigureExporter(TExporters& exporters, TAllowedExport type, const std::string& target,
                       const std::optional<std::filesystem::path>& settingsFile, const TExportOverrides& overrides) {
  const TExportTypeOptions defaults;
  TExportTypeOptions options;
  std::optional<TTesselIniFile> file;
  if (settingsFile) {
    file.emplace(*settingsFile);
    file->ReadVersion();
  }
  const bool hasPage = file && ExportTypeInfo(type).optionsPage != TOptionsPage::None &&
                       file->SectionExists(MainSection(type));
  if (hasPage) LoadTypeOptions(*file, type, defaults, options);
  if (overrides.accessTable) options.AccessOptions.TableName = *overrides.accessTable;
  // Before the table name is taken from the target: it is quoted in the
  // dialect.
  if (overrides.sqlDialect) options.SQLOptions.ScriptType = *overrides.sqlDialect;
  // The Access options always come from the dialog's defaults.
  if (hasPage || type == aeAccess) exporters.CopyTypeOptions(type, options, target);
  if (file) {
    exporters.For(type).LoadSettings(*file);
    LoadCommonSections(*file, type, exporters.For(type));
  }
  ApplyOverrides(exporters.For(type), type, target, overrides);
}

}  // namespace verimo
