#include "engine/TesselSource.h"

#include <algorithm>

#include "engine/TesselCustomSource.h"
#include "engine/TesselLocale.h"
#include "core/Exception.h"
#include "platform/data/DBGrid.h"
#include "platform/data/ListView.h"
#include "platform/data/StringGrid.h"

namespace verimo {

namespace {

// The list-view and string-grid end: `counter` records passed of `rows`
// available after skipping, or of ExportRecCount when that is smaller.
bool CountedEnd(int counter, int rows, int skipRecCount, int exportRecCount) {
  const int available = rows - skipRecCount;
  const int limit = exportRecCount > 0 ? std::min(exportRecCount, available) : std::max(available, 0);
  return counter >= limit;
}

bool IsAssigned(const TTesselSourceRefs& refs) {
  switch (refs.ExportSource) {
    case esDataSet: return refs.DataSet != nullptr;
    case esListView: return refs.ListView != nullptr;
    case esDBGrid: return refs.DBGrid != nullptr && refs.DBGrid->DataSet() != nullptr;
    case esStringGrid: return refs.StringGrid != nullptr;
    case esCustom: return refs.CustomSource != nullptr;
  }
  return false;
}

}  // namespace

void TTesselSourceRefs::CheckSource() const {
  if (!IsAssigned(*this))
    throw Exception(
        TTesselLocale::Instance().LoadMessage(res::kExportSourceNotAssigned, {SourceKindName(ExportSource)}));
}

TDataSet* TTesselSourceRefs::RecordDataSet() const {
  switch (ExportSource) {
    case esDataSet: return DataSet;
    case esDBGrid: return DBGrid ? DBGrid->DataSet() : nullptr;
    default: return nullptr;
  }
}

bool TTesselSourceRefs::IsActive() const {
  if (HasFields()) {
    const TDataSet* dataSet = RecordDataSet();
    return dataSet != nullptr && dataSet->Active();
  }
  return true;
}

bool TTesselSourceRefs::IsEmpty() const {
  switch (ExportSource) {
    case esDataSet:
    case esDBGrid: return RecordDataSet()->IsEmpty();
    case esListView: return ListView->ItemCount() == 0;
    case esStringGrid: return StringGrid->RowCount() <= StringGrid->FixedRows;
    case esCustom:
      // Every record comes from OnGetNextRecord (record 1 exists as soon as
      // there is a handler; the handler only says which one is the last).
      return !CustomSource->OnGetNextRecord;
  }
  return true;
}

void TTesselSourceRefs::DisableControls() const {
  if (TDataSet* dataSet = RecordDataSet()) dataSet->DisableControls();
  if (ExportSource == esListView && ListView) ListView->BeginUpdate();
}

void TTesselSourceRefs::EnableControls() const {
  if (TDataSet* dataSet = RecordDataSet()) dataSet->EnableControls();
  if (ExportSource == esListView && ListView) ListView->EndUpdate();
}

void TTesselSourceRefs::First() const {
  switch (ExportSource) {
    case esDataSet: DataSet->First(); break;
    case esDBGrid:
      if (RecordDataSet()->Active()) RecordDataSet()->First();
      break;
    case esListView: ListView->ItemFocused = 0; break;
    case esStringGrid: StringGrid->Row = StringGrid->FixedRows; break;
    case esCustom:
      // Clearing Eof as well lets the same source be exported again.
      CustomSource->RecNo = 1;
      CustomSource->Eof = false;
      break;
  }
}

void TTesselSourceRefs::Next(int& counter) const {
  switch (ExportSource) {
    case esDataSet:
    case esDBGrid: RecordDataSet()->Next(); break;
    case esListView: break;
    case esStringGrid:
      if (StringGrid->Row < StringGrid->RowCount() - 1) ++StringGrid->Row;
      break;
    case esCustom: CustomSource->Next(); break;
  }
  ++counter;
}

bool TTesselSourceRefs::EndOfFile(int counter, int skipRecCount, int exportRecCount) const {
  switch (ExportSource) {
    case esDataSet:
    case esDBGrid: return RecordDataSet()->Eof();
    case esListView: return CountedEnd(counter, ListView->ItemCount(), skipRecCount, exportRecCount);
    case esStringGrid:
      return CountedEnd(counter, StringGrid->RowCount() - StringGrid->FixedRows, skipRecCount, exportRecCount);
    case esCustom: return CustomSource->Eof || !CustomSource->OnGetNextRecord;
  }
  return true;
}

TTesselSourceBookmark TTesselSourceRefs::GetBookmark() const {
  TTesselSourceBookmark bookmark;
  switch (ExportSource) {
    case esDataSet:
    case esDBGrid:
      bookmark.DataSetBookmark = RecordDataSet()->GetBookmark();
      bookmark.Valid = bookmark.DataSetBookmark.IsValid();
      break;
    case esListView:
      bookmark.Position = ListView->Selected;
      bookmark.Valid = bookmark.Position >= 0;
      break;
    case esStringGrid:
      bookmark.Position = StringGrid->Row;
      bookmark.Valid = true;
      break;
    case esCustom:
      bookmark.Position = CustomSource->RecNo;
      bookmark.Valid = true;
      break;
  }
  return bookmark;
}

void TTesselSourceRefs::GotoBookmark(const TTesselSourceBookmark& bookmark) const {
  if (!bookmark.Valid) return;
  switch (ExportSource) {
    case esDataSet:
    case esDBGrid: RecordDataSet()->GotoBookmark(bookmark.DataSetBookmark); break;
    case esListView: ListView->ItemFocused = bookmark.Position; break;
    case esStringGrid: StringGrid->Row = bookmark.Position; break;
    case esCustom:
      CustomSource->RecNo = bookmark.Position;
      CustomSource->Eof = false;
      break;
  }
}

void TTesselSourceRefs::FreeBookmark(TTesselSourceBookmark& bookmark) const {
  if (HasFields() && bookmark.Valid) RecordDataSet()->FreeBookmark(bookmark.DataSetBookmark);
  bookmark = TTesselSourceBookmark();
}

}  // namespace verimo
