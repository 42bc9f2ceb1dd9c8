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

// The source kind and the five source references of an exporter, with the
// uniform operations the export run drives. Nothing here is owned.
struct TTesselSourceRefs {
  TTesselSource Kind = esDataSet;
  TDataSet* DataSet = nullptr;
  TTesselCustomSource* CustomSource = nullptr;
  TListView* ListView = nullptr;
  TDBGrid* DBGrid = nullptr;
  TStringGrid* StringGrid = nullptr;

  // The dataset read: the dataset itself, or the grid's data source's dataset.
  TDataSet* RecordDataSet() const;
  bool HasFields() const { return Kind == esDataSet || Kind == esDBGrid; }

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
