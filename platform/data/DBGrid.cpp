#include "platform/data/DBGrid.h"

namespace verimo {

TDBGridColumn& TDBGrid::AddColumn(WideString fieldName, int width, WideString title) {
  TDBGridColumn column;
  column.FieldName = std::move(fieldName);
  column.Width = width;
  column.Title.Caption = std::move(title);
  Columns.push_back(std::move(column));
  return Columns.back();
}

void TDBGrid::AddColumnsForAllFields() {
  TDataSet* dataSet = DataSet();
  if (dataSet == nullptr) return;
  for (int i = 0; i < dataSet->FieldCount(); ++i) AddColumn(dataSet->Field(i).FieldName());
}

TField* TDBGrid::ColumnField(int index) const {
  TDataSet* dataSet = DataSet();
  if (dataSet == nullptr || index < 0 || index >= ColumnCount()) return nullptr;
  const WideString& name = Columns[static_cast<size_t>(index)].FieldName;
  return name.empty() ? nullptr : dataSet->FindField(name);
}

WideString TDBGrid::ColumnTitle(int index) const {
  if (index < 0 || index >= ColumnCount()) return {};
  const TDBGridColumn& column = Columns[static_cast<size_t>(index)];
  if (!column.Title.Caption.empty()) return column.Title.Caption;
  if (const TField* field = ColumnField(index)) return field->DisplayLabel();
  return column.FieldName;
}

int TDBGrid::ColumnWidthInChars(int index) const {
  if (index < 0 || index >= ColumnCount() || CanvasTextWidthX <= 0) return 0;
  return Columns[static_cast<size_t>(index)].Width / CanvasTextWidthX;
}

}  // namespace verimo
