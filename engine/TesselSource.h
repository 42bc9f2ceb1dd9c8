#pragma once

#include "engine/TesselTypes.h"
#include "platform/data/DataSet.h"

namespace verimo {

class TTesselCustomSource;
class TListView;
class TDBGrid;
class TStringGrid;

// A saved position of any source kind.
struct TTesselSourceBookmark {
  TBookmark DataSetBookmark;  // dataset and data-grid sources
  int Position = -1;          // list-view item, string-grid row, custom RecNo
  bool Valid = false;
};

// The source an exporter or the export dialog reads: its kind and the five
// references, of which the kind selects one. Nothing here is owned.
struct TTesselSourceProperties {
  TTesselSource ExportSource = esDataSet;
  TDataSet* DataSet = nullptr;
  TTesselCustomSource* CustomSource = nullptr;
  TListView* ListView = nullptr;
  TDBGrid* DBGrid = nullptr;
  TStringGrid* StringGrid = nullptr;
};

// A source with the uniform operations the export run drives.
struct TTesselSourceRefs : TTesselSourceProperties {
  // The dataset read: the dataset itself, or the grid's data source's dataset.
  TDataSet* RecordDataSet() const;
  bool HasFields() const { return ExportSource == esDataSet || ExportSource == esDBGrid; }

  // Raises message 34014 with the kind name when the selected reference
  // (for a data grid also its data source and dataset) is missing.
  void CheckSource() const;
  bool IsActive() const;
  bool IsEmpty() const;
  void DisableControls() const;
  void EnableControls() const;
  void First() const;
  // Moves on and increments `counter` (in every case).
  void Next(int& counter) const;
  // Whether no record is left; list views and string grids decide by the
  // counter against their row count less `skipRecCount`, capped by
  // `exportRecCount` when positive.
  bool EndOfFile(int counter, int skipRecCount, int exportRecCount) const;
  TTesselSourceBookmark GetBookmark() const;
  void GotoBookmark(const TTesselSourceBookmark& bookmark) const;
  void FreeBookmark(TTesselSourceBookmark& bookmark) const;
};

}  // namespace verimo
