#pragma once

#include <functional>
#include <vector>

#include "core/NonCopyable.h"
#include "core/WideString.h"
#include "engine/Tessel.h"

namespace verimo {

// One table of a workbook of several: the name of its sheet and its
// records.
struct TWorkbookTable {
  WideString SheetName;
  TDataSet* DataSet = nullptr;
};

// Several tables exported into one workbook in one run, each on sheets of
// its own; the spreadsheet exporters inherit it. With Tables set, Execute
// exports the tables one after the other, each as the exporter exports its
// DataSet alone (columns, widths, styles and number formats of its own,
// header and footer lines, further sheets past a sheet's row limit), and
// the sheet names are made valid and unique (TSheetNames). The exporter's
// events fire for each table (OnBeginExport, OnExportedRecord, OnEndExport
// ...), CurrentTable tells which one is running. A table stopped by Abort
// ends the run with the tables written so far (the stopped one as far as
// it got, left out when stopped before its records); a failure of any
// table fails the run and leaves no workbook. DataSet and ExportSource are the
// caller's again after the run.
class TWorkbookTables : private TNonCopyable {
 public:
  // Called before each table's export begins, its DataSet already set:
  // `table` is its index in Tables. May change the exporter's options for
  // the table (ExportedFields, Captions, ...).
  using TBeginTableEvent = std::function<void(TTessel& sender, int table)>;

  std::vector<TWorkbookTable> Tables;
  TBeginTableEvent OnBeginTable;

  // The index in Tables of the table being exported, -1 outside a run of
  // several tables.
  int CurrentTable() const { return current_; }

 protected:
  TWorkbookTables() = default;
  ~TWorkbookTables() = default;

  // Makes each table in turn the source of `exporter` and has
  // `exportTable` export it, until a table is stopped.
  void ForEachTable(TTessel& exporter, const std::function<void(const TWorkbookTable& table)>& exportTable);

 private:
  int current_ = -1;
};

}  // namespace verimo
