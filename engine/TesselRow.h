#pragma once

#include <vector>

#include "core/NonCopyable.h"
#include "core/Variant.h"
#include "core/WideString.h"

namespace verimo {

class TTesselColumns;
class TTesselFormats;
class TTesselRow;

// One cell of the current record.
class TTesselCol {
 public:
  WideString Name;  // the column's name, trimmed
  WideString Text;  // the formatted value
  int ColumnIndex = -1;
  Variant Value;    // the raw value

  TTesselRow& Row() const { return *row_; }

 private:
  friend class TTesselRow;
  friend class TTessel;
  explicit TTesselCol(TTesselRow& row) : row_(&row) {}
  TTesselRow* row_;
  // Whether the field of column fieldColumn_ was null when the export loop
  // read this cell's value (see TTessel::ColumnIsNull).
  int fieldColumn_ = -1;
  bool fieldNull_ = false;
};

// The current record as the formats get it: one cell per column, in column
// order, with a case-insensitive name index.
class TTesselRow : private TNonCopyable {
 public:
  TTesselRow() = default;

  // Empties the row and creates one fresh cell per column.
  void Rebuild(const TTesselColumns& columns, const TTesselFormats& formats);
  void Clear();

  int Count() const { return static_cast<int>(cells_.size()); }
  TTesselCol& operator[](int index) { return cells_.at(static_cast<size_t>(index)); }
  const TTesselCol& operator[](int index) const { return cells_.at(static_cast<size_t>(index)); }
  auto begin() { return cells_.begin(); }
  auto end() { return cells_.end(); }
  auto begin() const { return cells_.begin(); }
  auto end() const { return cells_.end(); }

  // The cell index of the first cell with that name (case-insensitive), or -1.
  int IndexOfName(WideStringView name) const;
  TTesselCol* FindCell(WideStringView name);

  const TTesselColumns* Columns() const { return columns_; }
  const TTesselFormats* Formats() const { return formats_; }

 private:
  std::vector<TTesselCol> cells_;
  std::vector<int> nameIndex_;  // cell indexes sorted by name, case-insensitively
  const TTesselColumns* columns_ = nullptr;
  const TTesselFormats* formats_ = nullptr;
};

}  // namespace verimo
