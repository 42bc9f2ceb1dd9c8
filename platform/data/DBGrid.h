#pragma once

#include <vector>

#include "core/WideString.h"
#include "platform/data/DataSet.h"

namespace verimo {

// Connects a grid to a dataset.
class TDataSource {
 public:
  TDataSource() = default;
  explicit TDataSource(TDataSet* dataSet) : DataSet(dataSet) {}
  TDataSet* DataSet = nullptr;
};

struct TColumnTitle {
  // Empty: the field's display label is shown.
  WideString Caption;
};

// A column of a data grid; it shows the dataset field named FieldName.
struct TDBGridColumn {
  WideString FieldName;
  TColumnTitle Title;
  int Width = 64;  // pixels
  bool Visible = true;
};

// A data grid without a window: columns over the dataset of its data source.
class TDBGrid {
 public:
  TDataSource* DataSource = nullptr;
  std::vector<TDBGridColumn> Columns;
  // Width in pixels of the text "X" on the grid's canvas.
  int CanvasTextWidthX = 7;

  TDBGridColumn& AddColumn(WideString fieldName, int width = 64, WideString title = {});
  // One column per field of the dataset (the grid's default columns).
  void AddColumnsForAllFields();

  int ColumnCount() const { return static_cast<int>(Columns.size()); }
  // The data source's dataset, or nullptr.
  TDataSet* DataSet() const { return DataSource ? DataSource->DataSet : nullptr; }
  // The field a column shows, or nullptr (no dataset, closed, no such field).
  TField* ColumnField(int index) const;
  // The title caption, or the field's display label when the title is empty.
  WideString ColumnTitle(int index) const;
  // Pixel width divided by the width of "X" (0 when that width is not positive).
  int ColumnWidthInChars(int index) const;
};

}  // namespace verimo
