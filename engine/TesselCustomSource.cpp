#include "engine/TesselCustomSource.h"

#include "engine/TesselFormats.h"
#include "core/Exception.h"

namespace verimo {

void TTesselCustomColumn::SetColumnName(WideStringView name) {
  if (name.empty()) return;
  const int other = collection_->IndexOfName(name);
  if (other >= 0 && &(*collection_)[other] != this) return;
  columnName_ = WideString(name);
}

int TTesselCustomColumn::Index() const { return collection_->IndexOf(*this); }

TTesselCustomColumn& TTesselCustomColumns::Add() {
  int number = 0;
  WideString name;
  do {
    name = u"Column" + IntToWide(number++);
  } while (IndexOfName(name) >= 0);
  items_.push_back(std::unique_ptr<TTesselCustomColumn>(new TTesselCustomColumn(*this)));
  TTesselCustomColumn& column = *items_.back();
  column.columnName_ = name;
  column.Caption = name;
  return column;
}

void TTesselCustomColumns::Delete(int index) {
  if (index < 0 || index >= Count()) throw Exception("List index out of bounds (" + std::to_string(index) + ")");
  items_.erase(items_.begin() + index);
}

int TTesselCustomColumns::IndexOfName(WideStringView name) const {
  for (int i = 0; i < Count(); ++i)
    if (SameText(items_[static_cast<size_t>(i)]->ColumnName(), name)) return i;
  return -1;
}

int TTesselCustomColumns::IndexOf(const TTesselCustomColumn& column) const {
  for (int i = 0; i < Count(); ++i)
    if (items_[static_cast<size_t>(i)].get() == &column) return i;
  return -1;
}

void TTesselCustomSource::Next() {
  if (Eof) return;
  bool last = false;
  if (OnGetNextRecord) OnGetNextRecord(*this, RecNo, last);
  if (last)
    Eof = true;
  else
    ++RecNo;
}

WideString TTesselCustomSource::ColumnText(int columnIndex) {
  if (!OnGetColumnValue || columnIndex < 0 || columnIndex >= Columns.Count()) return {};
  Variant value;
  OnGetColumnValue(*this, RecNo, Columns[columnIndex], value);
  return VariantToText(value);
}

}  // namespace verimo
