#include "formats/package/WorkbookTables.h"

#include "core/ScopeExit.h"

namespace verimo {

void TWorkbookTables::ForEachTable(TTessel& exporter,
                                   const std::function<void(const TWorkbookTable& table)>& exportTable) {
  const TTesselSource source = exporter.ExportSource;
  TDataSet* const dataSet = exporter.DataSet;
  TScopeExit restore([&] {
    exporter.ExportSource = source;
    exporter.DataSet = dataSet;
    current_ = -1;
  });
  for (size_t i = 0; i < Tables.size(); ++i) {
    current_ = static_cast<int>(i);
    exporter.ExportSource = esDataSet;
    exporter.DataSet = Tables[i].DataSet;
    if (OnBeginTable) OnBeginTable(exporter, current_);
    exportTable(Tables[i]);
    if (exporter.Aborted()) break;
  }
}

}  // namespace verimo
