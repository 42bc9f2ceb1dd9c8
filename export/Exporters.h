#pragma once

#include <array>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/NonCopyable.h"
#include "export/ExportTypes.h"

namespace verimo {

class TTessel;
struct TExportTypeOptions;

// The exporters of one dialog form or one command, one per exporter class
// of the type table (the ASCII exporter serves TXT, CSV, DIF and SYLK),
// each created on first use and kept for the set's lifetime, so options set
// on them persist between runs.
class TExporters : private TNonCopyable {
 public:
  explicit TExporters(TExporterServices services = {});
  ~TExporters();

  // The files an export of the type may write beside its target `fileName`.
  static std::vector<std::filesystem::path> CompanionFiles(TAllowedExport type, const std::string& fileName);

  // The type's exporter, pointed at the type.
  TTessel& For(TAllowedExport type);

  // The type's own options into its exporter; `fileName` is the target.
  void CopyTypeOptions(TAllowedExport type, const TExportTypeOptions& options, const std::string& fileName);
  // File and database exporters: the target and what to do with it
  // afterwards.
  void CopyTarget(TAllowedExport type, const std::string& fileName, bool showFile, bool printFile);

 private:
  TExporterServices services_;
  std::array<std::unique_ptr<TTessel>, kExporterClassCount> exporters_;
};

// A file or database exporter's target and what to do with it afterwards;
// other exporters have none.
void SetTarget(TTessel& exporter, const std::string& fileName, bool showFile, bool printFile);
// Opens or prints the target as SetTarget asked, when the run was not
// stopped.
void ShowResultOf(TTessel& exporter);

}  // namespace verimo
