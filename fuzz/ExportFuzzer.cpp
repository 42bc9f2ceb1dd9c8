// Runs an export of every built type on a table the input bytes describe
// (fuzz/FuzzTable.h): field types and sizes, names and values with any code
// unit, huge texts, NaN, infinities and dates past the calendar's edges.
// The export writes into this process's folder on the memory file system;
// it may refuse the table only with verimo::Exception and a message. Any
// other exception, a crash or a sanitizer report is a finding.
#include <cstddef>
#include <cstdint>

#include "core/Exception.h"
#include "export/ExportRun.h"
#include "export/Exporters.h"
#include "engine/Tessel.h"
#include "fuzz/FuzzSupport.h"
#include "fuzz/FuzzTable.h"
#include "platform/clipboard/Clipboard.h"
#include "platform/shell/RecordingShellLauncher.h"

namespace {

using namespace verimo;

void Configure(TTessel& exporter, const fuzz::TFuzzTable& table) {
  exporter.ExportSource = esDataSet;
  exporter.DataSet = table.dataSet.get();
  exporter.ExportedFields.Clear();
  if (!(table.options & fuzz::kOptionDefaultFields))
    for (int i = 0; i < table.dataSet->FieldCount(); ++i) exporter.ExportedFields.Add(table.dataSet->Field(i).FieldName());
  exporter.AllowCaptions = !(table.options & fuzz::kOptionNoCaptions);
  exporter.ExportEmpty = !(table.options & fuzz::kOptionNotEmpty);
  exporter.SkipRecCount = table.options & fuzz::kOptionSkipOne ? 1 : 0;
  exporter.ExportRecCount = table.options & fuzz::kOptionLimitTwo ? 2 : 0;
  if (table.options & fuzz::kOptionHeaderFooter) {
    exporter.Header = table.header;
    exporter.Footer = table.footer;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const fuzz::TFuzzTable table = fuzz::BuildFuzzTable(data, size);
  const auto& types = fuzz::AllExportTypes();
  const TAllowedExport type = types[table.exportType % types.size()];

  TRecordingShellLauncher shell;
  TMemoryClipboard clipboard;
  TExporters exporters({&shell, &clipboard});
  Configure(exporters.For(type), table);
  TExportRun run(exporters, type, fuzz::TargetFor(type));
  TExportRunObserver observer;
  try {
    run.Execute(observer);
    run.Publish();
  } catch (const Exception& error) {
    fuzz::RequireMessage(error);
  }
  fuzz::ClearOutputDir();
  return 0;
}
