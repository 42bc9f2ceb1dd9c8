#include "engine/TesselRow.h"

#include <algorithm>
#include <numeric>

#include "engine/TesselColumns.h"

namespace verimo {

void TTesselRow::Clear() {
  cells_.clear();
  nameIndex_.clear();
}

void TTesselRow::Rebuild(const TTesselColumns& columns, const TTesselFormats& formats) {
  Clear();
  columns_ = &columns;
  formats_ = &formats;
  cells_.reserve(static_cast<size_t>(columns.Count()));
  for (int i = 0; i < columns.Count(); ++i) {
    TTesselCol cell(*this);
    cell.Name = Trim(columns[i].Name);
    cell.ColumnIndex = i;
    cells_.push_back(std::move(cell));
  }
  nameIndex_.resize(cells_.size());
  std::iota(nameIndex_.begin(), nameIndex_.end(), 0);
  std::stable_sort(nameIndex_.begin(), nameIndex_.end(), [this](int a, int b) {
    return CompareText(cells_[static_cast<size_t>(a)].Name, cells_[static_cast<size_t>(b)].Name) < 0;
  });
}

int TTesselRow::IndexOfName(WideStringView name) const {
  const auto found = std::lower_bound(nameIndex_.begin(), nameIndex_.end(), name, [this](int cell, WideStringView key) {
    return CompareText(cells_[static_cast<size_t>(cell)].Name, key) < 0;
  });
  if (found == nameIndex_.end() || !SameText(cells_[static_cast<size_t>(*found)].Name, name)) return -1;
  return *found;
}

TTesselCol* TTesselRow::FindCell(WideStringView name) {
  const int index = IndexOfName(name);
  return index >= 0 ? &cells_[static_cast<size_t>(index)] : nullptr;
}

}  // namespace verimo
