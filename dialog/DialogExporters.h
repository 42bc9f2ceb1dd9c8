#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "dialog/ExportTypes.h"
#include "dialog/TesselDialogOptions.h"

namespace verimo {

class TClipboard;
class TShellLauncher;
class TTessel;
class TTesselDialogForm;

// The exporter components of the export form, one per exporter class
// (the ASCII exporter serves TXT, CSV, DIF and SYLK), each created on first
// use and kept for the form's lifetime, so options set on them persist
// between runs. This is the one place that knows the concrete exporter
// classes: a new format adds its type here.
class TDialogExporters {
 public:
  // The services are handed to every exporter that needs them; null
  // means the system's.
  TDialogExporters(TShellLauncher* shellLauncher, TClipboard* clipboard);
  ~TDialogExporters();
  TDialogExporters(const TDialogExporters&) = delete;
  TDialogExporters& operator=(const TDialogExporters&) = delete;

  // Whether this program has the type's exporter.
  static bool IsBuilt(TAllowedExport type);
  // The files an export of the type may write beside its target `fileName`
  // (a table's memo file), whether or not a run writes them.
  static std::vector<std::filesystem::path> CompanionFiles(TAllowedExport type, const std::string& fileName);

  // The exporter of a built type; raises verimo::Exception for the others.
  TTessel& For(TAllowedExport type);

  // Points the type's exporter at that type where one exporter serves
  // several (ASCII: TXT, CSV, DIF, SYLK); leaves it alone when it already
  // is, so options that follow the type keep what was loaded.
  void SelectType(TAllowedExport type);

  // The type's own options, from the form's option pages.
  void CopyTypeOptions(TAllowedExport type, const TTesselDialogForm& form);
  // The Access exporter: password, table name ("ExportTable" when empty)
  // and whether to create the table.
  void CopyAccessOptions(const TTesselAccessOptions& options);
  // File and database exporters: the target and what to do with it
  // afterwards.
  void CopyTarget(TAllowedExport type, const std::string& fileName, bool showFile, bool printFile);
  // Whether the exporter takes the caption grid's alignments and widths.
  static bool TakesColumnsAlign(TAllowedExport type);
  static bool TakesColumnsWidth(TAllowedExport type);

 private:
  struct Components;
  template <typename T>
  T& Component(std::unique_ptr<T>& slot);
  TShellLauncher* shellLauncher_;
  TClipboard* clipboard_;
  std::unique_ptr<Components> components_;
};

}  // namespace verimo
