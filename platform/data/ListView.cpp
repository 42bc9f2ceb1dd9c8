#include "platform/data/ListView.h"

namespace verimo {

TListColumn& TListView::AddColumn(WideString caption, int width) {
  Columns.push_back({std::move(caption), width});
  return Columns.back();
}

TListItem& TListView::AddItem(WideString caption, std::vector<WideString> subItems) {
  Items.push_back({std::move(caption), std::move(subItems)});
  return Items.back();
}

WideStringView TListView::ItemText(int item, int column) const {
  if (item < 0 || item >= ItemCount() || column < 0) return {};
  const TListItem& entry = Items[static_cast<size_t>(item)];
  if (column == 0) return entry.Caption;
  const size_t sub = static_cast<size_t>(column - 1);
  return sub < entry.SubItems.size() ? WideStringView(entry.SubItems[sub]) : WideStringView();
}

}  // namespace verimo
