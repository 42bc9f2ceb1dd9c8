#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/WideString.h"

namespace verimo {

// The output types of the export dialog; the ordinal is the type number the
// settings file stores.
enum TAllowedExport : uint8_t {
  aeXLS = 0,
  aeWord,
  aeRTF,
  aeHTML,
  aeXML,
  aeDBF,
  aePDF,
  aeTXT,
  aeCSV,
  aeDIFF,
  aeSylk,
  aeLaTeX,
  aeSQL,
  aeClipboard,
  aeODS,
  aeODT,
  aeXlsx,
  aeDocx,
  aeAccess,
};

constexpr int kExportTypeCount = 19;

// A set of export types.
class TAllowedExports {
 public:
  constexpr TAllowedExports() = default;
  constexpr TAllowedExports(std::initializer_list<TAllowedExport> types) {
    for (TAllowedExport type : types) Include(type);
  }
  static constexpr TAllowedExports All() {
    TAllowedExports all;
    all.bits_ = (uint32_t{1} << kExportTypeCount) - 1;
    return all;
  }

  constexpr bool Contains(TAllowedExport type) const { return (bits_ >> type) & 1u; }
  constexpr void Include(TAllowedExport type) { bits_ |= uint32_t{1} << type; }
  constexpr void Exclude(TAllowedExport type) { bits_ &= ~(uint32_t{1} << type); }
  constexpr bool IsEmpty() const { return bits_ == 0; }
  friend constexpr bool operator==(TAllowedExports, TAllowedExports) = default;

 private:
  uint32_t bits_ = 0;
};

// The option page a type shows beside the common pages.
enum class TOptionsPage : uint8_t { None, Excel, WordRTF, HTML, XML, PDF, ASCII, SQL, ODS, ODT, Xlsx, Docx, Access };

class TClipboard;
class TShellLauncher;
class TTessel;
struct TExportTypeOptions;

// The services handed to every exporter that needs them; null means the
// system's.
struct TExporterServices {
  TShellLauncher* shellLauncher = nullptr;
  TClipboard* clipboard = nullptr;
};

// The exporter classes; one exporter serves several types where the table
// gives them the same class.
enum class TExporterClass : uint8_t { XLS, RTF, HTML, XML, DBF, PDF, ASCII, LaTeX, SQL, Clipboard, ODS, ODT, Xlsx, Docx, Access };
constexpr int kExporterClassCount = 15;

// One row of the table of output types: everything that differs between
// the types is here, so that the dialog, the command line and the run ask
// the table instead of naming exporter classes.
struct TExportTypeInfo {
  TAllowedExport type;
  const char16_t* listText;   // the type list's entry
  const char16_t* filter;     // the save dialog's filter ("" for the clipboard)
  const char16_t* extension;  // without the dot ("" for the clipboard)
  TOptionsPage optionsPage;
  // The settings-file sections of the type's own options; "*" stands for a
  // numbered or named family of sections.
  const char* ownSections;
  TExporterClass exporterClass;
  std::unique_ptr<TTessel> (*create)(const TExporterServices& services);
  // Points the exporter at this type where one class serves several
  // (ASCII: TXT, CSV, DIF, SYLK); leaves it alone when it already is.
  void (*select)(TTessel& exporter);
  // Copies the type's option objects into its exporter; `fileName` is the
  // target, which names a table where the options leave it open.
  void (*copyOptions)(TTessel& exporter, const TExportTypeOptions& options, const std::string& fileName);
  // The files an export writes beside `fileName` (a table's memo file),
  // whether or not a run writes them.
  std::vector<std::filesystem::path> (*companions)(const std::string& fileName);
  // Whether the exporter takes the caption grid's alignments and widths.
  bool takesColumnsAlign;
  bool takesColumnsWidth;
};

const TExportTypeInfo& ExportTypeInfo(TAllowedExport type);
// The type with that number, or nothing for numbers outside 0..18.
std::optional<TAllowedExport> ExportTypeFromNumber(int number);
// The type whose files take this extension ("csv", ".HTM", "sylk": any case,
// a leading dot allowed; every extension of the type's save filter counts,
// and "sylk" names SYLK); nothing for an unknown one.
std::optional<TAllowedExport> ExportTypeFromExtension(std::string_view extension);
// Every extension the type's files take, lower case and without the dot:
// those of its save filter, then any other name of the format ("sylk").
std::vector<std::string> ExtensionsOf(TAllowedExport type);

// The settings-file sections the type reads beside "GENERAL" and "FIELDS",
// as a comma-separated list ("FORMATS, CAPTIONS, CSV"); patterns with "*"
// stand for a numbered or named family of sections.
std::string SettingsSectionsOf(TAllowedExport type);

// Visibility and enabling rules of the dialog's common pages by type.
bool ShowsFormatsPage(TAllowedExport type);       // not DBF, SQL, Access
bool ShowsHeaderFooterPage(TAllowedExport type);  // not XML, DBF, Access
bool ShowsCaptionsPage(TAllowedExport type);      // not XML, DBF, SQL
bool EnablesSeparators(TAllowedExport type);
// The caption grid's alignment column is saved ("ALIGN") for these types,
// its width column ("WIDTH") for the second set.
bool SavesColumnAlign(TAllowedExport type);
bool SavesColumnWidth(TAllowedExport type);

// Whether the type writes a file (the clipboard does not).
bool WritesFile(TAllowedExport type);
// Whether the type writes into a named table of a database file, and
// whether it writes a script in an SQL dialect.
bool WritesNamedTable(TAllowedExport type);
bool WritesSqlScript(TAllowedExport type);

// The file name with its extension replaced by "." + the type's extension;
// the directory and the base name stay. A name without an extension gets
// one.
std::string ReplaceFileExt(const std::string& fileName, TAllowedExport type);

}  // namespace verimo
