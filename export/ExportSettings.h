#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "core/WideString.h"
#include "engine/TesselTypes.h"
#include "export/ExportTypes.h"
#include "formats/text/TesselSQL.h"

namespace verimo {

class TExporters;
class TTessel;
class TTesselIniFile;

// What a command line sets beside a settings file.
struct TExportOverrides {
  std::optional<WideString> accessTable;            // the Access table to fill
  std::optional<TTesselScriptType> sqlDialect;      // the SQL script's dialect
};

// Configures the type's exporter for `target` from a settings file (none:
// the defaults), whether the export dialog or an exporter saved it: every
// section SettingsSectionsOf(type) lists takes effect. The type's option
// page is read as the dialog reads it when its main section is present, the
// exporter's own sections on top of it, then the common sections (patterns,
// user formats, header and footer, captions, alignments, widths) in either
// file's notation; then the overrides.
void ConfigureExporter(TExporters& exporters, TAllowedExport type, const std::string& target,
                       const std::optional<std::filesystem::path>& settingsFile, const TExportOverrides& overrides);

// The caption grid's alignment texts of a settings file ("Sol", "Orta",
// "Sağ", or the English names) and back.
TTesselColAlign ColumnAlignFromText(WideStringView text);
WideString ColumnAlignText(TTesselColAlign align);

}  // namespace verimo
