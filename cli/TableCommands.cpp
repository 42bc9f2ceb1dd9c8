#include "cli/TableCommands.h"

#include <charconv>
#include <filesystem>
#include <string_view>

#include "cli/OutputBuffer.h"
#include "cli/Terminal.h"
#include "core/Exception.h"
#include "platform/codepage/CodePage.h"
#include "platform/codepage/SystemCodePages.h"
#include "platform/paradox/TableCodePages.h"
#include "platform/locale/Formatting.h"

namespace verimo::cli {
namespace {

void AppendEscaped(std::string& out, std::string_view text) {
  for (char c : text) {
    switch (c) {
      case '\t': out += "\\t"; break;
      case '\r': out += "\\r"; break;
      case '\n': out += "\\n"; break;
      case '\\': out += "\\\\"; break;
      default: out += c;
    }
  }
}

void AppendValue(std::string& out, const TField& field, const DumpOptions& options) {
  if (field.IsNull()) {
    if (auto days = field.DataSet().FieldOutOfRangeDays(field.Index()))
      out += "<date out of range: " + std::to_string(*days) + " days>";
    return;
  }
  if (IsBinaryType(field.DataType())) {
    Bytes bytes = field.BlobBytes();
    if (options.hexBlobs)
      out += WideToUtf8(NeutralValueText(Variant::FromBytes(std::move(bytes))));
    else
      out += "(" + std::to_string(bytes.size()) + " bytes)";
    return;
  }
  std::string text = WideToUtf8(field.AsString());
  // The neutral text of a date-time is "yyyy-mm-dd hh:nn:ss"; dates and
  // times show only their own part.
  if (field.DataType() == ftDate && text.size() > 10) text.resize(10);
  if (field.DataType() == ftTime && text.size() > 11) text.erase(0, 11);
  AppendEscaped(out, text);
}

// The type as Paradox writes it: the code, with the declared size for the
// types that have one ("A20", "M100", "#2").
std::string FieldTypeText(const ParadoxFieldInfo& field, int declaredSize) {
  std::string text(1, field.typeCode);
  if (field.typeCode == 'A' || field.typeCode == 'M' || field.typeCode == 'B' ||
      field.typeCode == 'F' || field.typeCode == 'O' || field.typeCode == 'G' ||
      field.typeCode == 'Y' || field.typeCode == '#')
    text += std::to_string(declaredSize);
  return text;
}

// The key fields' names, ", " between them; "none" without a key.
std::string PrimaryKeyText(const ParadoxTableInfo& info) {
  if (info.keyFieldCount == 0) return "none";
  std::string text;
  for (int i = 0; i < info.keyFieldCount; ++i) {
    if (i > 0) text += ", ";
    text += WideToUtf8(info.fields[static_cast<size_t>(i)].name);
  }
  return text;
}

}  // namespace

const char* const kTableOptionsHelp =
    "  --password P       the password of an encrypted table (else asked for on the terminal)\n"
    "  --codepage N       the ANSI code page of the run (1250-1258, 874, 932, 936, ...); the OEM and\n"
    "                     Mac code pages of the same script follow, and a table that names no code\n"
    "                     page (Paradox 3.x) is read in that OEM code page. Default: the locale's;\n"
    "                     under a neutral or UTF-8 locale those of the table's own code page\n"
    "  --table-codepage N read the table's texts in code page N instead of the one its header names\n"
    "                     (tables written with the wrong language driver: Turkish bytes under 1252)\n"
    "  --locale NAME      the locale of numbers, dates and currency (tr_TR, de_DE, ...) instead of LANG\n"
    "  --salvage          read what a damaged table still holds and report per block what was lost;\n"
    "                     exit code 0 when every record and value was recovered, 3 when records\n"
    "                     or values were lost, 1 when nothing could be read\n";

namespace {

int ParseCodePage(const std::string& option, const std::string& text) {
  int number = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (error != std::errc() || end != text.data() + text.size() || !IsSupportedCodePage(number))
    throw UsageError(option + " needs a code page number this program knows, not \"" + text + "\"");
  return number;
}

}  // namespace

bool TakeTableOption(const std::string& arg, const std::function<const std::string&()>& value, TableOptions& options) {
  if (arg == "--password") {
    options.password = value();
  } else if (arg == "--codepage") {
    options.codePage = ParseCodePage(arg, value());
  } else if (arg == "--table-codepage") {
    options.tableCodePage = ParseCodePage(arg, value());
  } else if (arg == "--salvage") {
    options.salvage = true;
  } else if (arg == "--locale") {
    // Before any exporter takes its patterns from the locale.
    options.locale = value();
    UseValueLocale(*options.locale);
  } else {
    return false;
  }
  return true;
}

std::string ExportCodePagesText() {
  return std::to_string(SystemCodePage(TSystemCodePage::Ansi)) + " (ANSI), " +
         std::to_string(SystemCodePage(TSystemCodePage::Oem)) + " (OEM), " +
         std::to_string(SystemCodePage(TSystemCodePage::Mac)) + " (Mac)";
}

void OpenTable(TTable& table, const TableOptions& options) {
  std::filesystem::path path(options.path);
  // An empty directory leaves the path as given, so messages name the file
  // as the user typed it.
  table.SetDatabaseName(path.parent_path().string());
  table.SetTableName(path.filename().string());
  if (options.password) {
    table.SetPassword(Utf8ToWide(*options.password));
  } else if (StandardInputIsTerminal()) {
    table.SetPasswordCallback([](const std::string&, WideString& password) {
      std::optional<std::string> line = ReadSecretLine("Enter password");
      if (!line) return false;
      password = Utf8ToWide(*line);
      return true;
    });
  } else {
    table.SetPasswordCallback([path = options.path](const std::string&, WideString&) -> bool {
      throw Exception(path + ": the table is password-protected; give its password with --password");
    });
  }
  table.SetSalvage(options.salvage);
  OpenWithRunCodePages(table, options.codePage.value_or(0), options.tableCodePage.value_or(0));
}

std::string TableCodePageText(const ParadoxTableInfo& info) {
  const std::string number = std::to_string(info.codePage);
  switch (info.codePageSource) {
    case TCodePageSource::Header: return number;
    case TCodePageSource::LanguageDriver: return number + " (from the table's language driver)";
    case TCodePageSource::Default: return number + " (the table names none: the run's OEM code page)";
    case TCodePageSource::Override:
      return number + " (--table-codepage; the table names " +
             (info.headerCodePage != 0 ? std::to_string(info.headerCodePage) : std::string("none")) + ")";
  }
  return number;
}

void PrintSalvageReport(const TTable& table, std::FILE* out) {
  if (!out) return;
  for (const std::string& line : table.SalvageReport()) std::fprintf(out, "%s: %s\n", table.FilePath().c_str(), line.c_str());
  std::fflush(out);
}

int SalvageExitCode(const TTable& table) {
  const ParadoxDamageReport& report = table.DamageReport();
  return report.RecordsLost() || report.ValuesLost() ? kExitSalvageLost : 0;
}

void PrintInfo(TTable& table, std::FILE* out) {
  const ParadoxTableInfo& info = table.Info();
  OutputBuffer buffer(out);
  buffer.Append("Table:       " + table.FilePath() + "\n");
  buffer.Append("Version:     " + info.versionText + " (file version code " +
                std::to_string(info.fileVersionCode) + ")\n");
  buffer.Append("Code page:   " + TableCodePageText(info) + "\n");
  buffer.Append("Export code pages: " + ExportCodePagesText() + "\n");
  buffer.Append(std::string("Encrypted:   ") + (info.encrypted ? "yes" : "no") + "\n");
  buffer.Append("Records:     " + std::to_string(info.recordCount) + "\n");
  buffer.Append("Record size: " + std::to_string(info.recordSize) + " bytes\n");
  buffer.Append("Block size:  " + std::to_string(info.blockSize) + " bytes\n");
  buffer.Append("Primary key: " + PrimaryKeyText(info) + "\n");
  buffer.Append("Fields:      " + std::to_string(info.fields.size()) + "\n");
  buffer.Append("  #  Name                           Type   Bytes Field type\n");
  for (size_t i = 0; i < info.fields.size(); ++i) {
    const ParadoxFieldInfo& field = info.fields[i];
    char line[256];
    std::string name = WideToUtf8(field.name);
    std::snprintf(line, sizeof line, "%3zu  %-30s %-6s %5d  %s\n", i + 1, name.c_str(),
                  FieldTypeText(field, table.Field(static_cast<int>(i)).Size()).c_str(), field.size,
                  std::string(FieldTypeName(field.fieldType)).c_str());
    buffer.Append(line);
  }
  buffer.Flush();
}

void PrintRecords(TTable& table, const DumpOptions& options, std::FILE* out) {
  OutputBuffer buffer(out);
  // Each line is complete before it reaches the buffer: a record that fails
  // to read leaves no half line behind.
  std::string line;
  for (int i = 0; i < table.FieldCount(); ++i) {
    if (i > 0) line += '\t';
    AppendEscaped(line, WideToUtf8(table.Field(i).FieldName()));
  }
  line += '\n';
  buffer.Append(line);
  long long printed = 0;
  for (table.First(); !table.Eof() && (options.limit < 0 || printed < options.limit);
       table.Next(), ++printed) {
    line.clear();
    for (int i = 0; i < table.FieldCount(); ++i) {
      if (i > 0) line += '\t';
      AppendValue(line, table.Field(i), options);
    }
    line += '\n';
    buffer.Append(line);
  }
  buffer.Flush();
}

}  // namespace verimo::cli
