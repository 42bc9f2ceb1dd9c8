#pragma once

#include <vector>

#include "core/WideString.h"

namespace verimo {

// A column of a report-style list view: caption and pixel width.
struct TListColumn {
  WideString Caption;
  int Width = 50;
};

// A row of a list view: its caption shows in column 0, sub-item k in column k + 1.
struct TListItem {
  WideString Caption;
  std::vector<WideString> SubItems;
};

// A report-style list view without a window: columns, items, selection,
// focus and the update lock.
class TListView {
 public:
  std::vector<TListColumn> Columns;
  std::vector<TListItem> Items;
  // Index of the selected item, -1 when nothing is selected.
  int Selected = -1;
  // Index of the focused item, -1 when none.
  int ItemFocused = -1;

  TListColumn& AddColumn(WideString caption, int width = 50);
  TListItem& AddItem(WideString caption, std::vector<WideString> subItems = {});

  int ColumnCount() const { return static_cast<int>(Columns.size()); }
  int ItemCount() const { return static_cast<int>(Items.size()); }
  // Column 0 is the caption, column k > 0 sub-item k - 1; empty when the
  // item or sub-item does not exist.
  WideStringView ItemText(int item, int column) const;

  // Item updates: the view is not repainted while updates are begun; calls nest.
  void BeginUpdate() { ++updateCount_; }
  void EndUpdate() {
    if (updateCount_ > 0) --updateCount_;
  }
  bool Updating() const { return updateCount_ > 0; }

 private:
  int updateCount_ = 0;
};

}  // namespace verimo
