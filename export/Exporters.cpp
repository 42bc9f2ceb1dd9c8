#include "export/Exporters.h"

#include "engine/TesselDatabase.h"
#include "engine/TesselText.h"
#include "export/ExportOptions.h"

namespace verimo {

TExporters::TExporters(TExporterServices services) : services_(services) {}

TExporters::~TExporters() = default;

std::vector<std::filesystem::path> TExporters::CompanionFiles(TAllowedExport type, const std::string& fileName) {
  return ExportTypeInfo(type).companions(fileName);
}

TTessel& TExporters::For(TAllowedExport type) {
  const TExportTypeInfo& info = ExportTypeInfo(type);
  std::unique_ptr<TTessel>& slot = exporters_.at(static_cast<size_t>(info.exporterClass));
  if (!slot) slot = info.create(services_);
  if (info.select) info.select(*slot);
  return *slot;
}

void TExporters::CopyTypeOptions(TAllowedExport type, const TExportTypeOptions& options, const std::string& fileName) {
  ExportTypeInfo(type).copyOptions(For(type), options, fileName);
}

void TExporters::CopyTarget(TAllowedExport type, const std::string& fileName, bool showFile, bool printFile) {
  SetTarget(For(type), fileName, showFile, printFile);
}

void SetTarget(TTessel& exporter, const std::string& fileName, bool showFile, bool printFile) {
  if (auto* database = dynamic_cast<TTesselDatabase*>(&exporter)) {
    database->DatabaseName = fileName;
    database->ShowFile = showFile;
    database->PrintFile = printFile;
  } else if (auto* text = dynamic_cast<TTesselText*>(&exporter)) {
    text->FileName = fileName;
    text->ShowFile = showFile;
    text->PrintFile = printFile;
  }
}

void ShowResultOf(TTessel& exporter) {
  if (auto* text = dynamic_cast<TTesselText*>(&exporter)) text->ShowResult();
  if (auto* database = dynamic_cast<TTesselDatabase*>(&exporter)) database->ShowResult();
}

}  // namespace verimo
