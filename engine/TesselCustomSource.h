#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "core/NonCopyable.h"
#include "engine/TesselTypes.h"
#include "core/Variant.h"
#include "core/WideString.h"

namespace verimo {

class TTesselCustomSource;
class TTesselCustomColumns;

// One column of an application-fed source.
class TTesselCustomColumn {
 public:
  const WideString& ColumnName() const { return columnName_; }
  // Ignored for an empty name and for a name another column of the
  // collection has (case-insensitive).
  void SetColumnName(WideStringView name);

  TTesselColType ColumnType = ectString;
  WideString Caption;
  int Width = 15;
  int Size = 15;

  int Index() const;
  TTesselCustomColumns& Collection() const { return *collection_; }

 private:
  friend class TTesselCustomColumns;
  explicit TTesselCustomColumn(TTesselCustomColumns& collection) : collection_(&collection) {}

  TTesselCustomColumns* collection_;
  WideString columnName_;
};

class TTesselCustomColumns : private TNonCopyable {
 public:
  TTesselCustomColumns() = default;

  // A new column named "Column%d" with the smallest free number from 0 up;
  // its caption starts equal to the name.
  TTesselCustomColumn& Add();
  void Delete(int index);
  void Clear() { items_.clear(); }

  int Count() const { return static_cast<int>(items_.size()); }
  TTesselCustomColumn& operator[](int index) const { return *items_.at(static_cast<size_t>(index)); }
  // The first column with that name (case-insensitive), or -1.
  int IndexOfName(WideStringView name) const;
  int IndexOf(const TTesselCustomColumn& column) const;

 private:
  std::vector<std::unique_ptr<TTesselCustomColumn>> items_;
};

// A source whose records come from the application's handlers.
class TTesselCustomSource {
 public:
  using TGetNextRecordEvent = std::function<void(TTesselCustomSource& sender, int recNo, bool& eof)>;
  using TGetColumnValueEvent = std::function<void(TTesselCustomSource& sender, int recNo,
                                                  TTesselCustomColumn& column, Variant& value)>;

  TTesselCustomColumns Columns;
  TGetNextRecordEvent OnGetNextRecord;
  TGetColumnValueEvent OnGetColumnValue;

  int RecNo = 1;
  bool Eof = false;

  // Nothing once Eof is set; otherwise asks OnGetNextRecord whether the
  // current record was the last (Eof set) or moves RecNo on by one.
  void Next();
  // The current record's value of a column as text (empty without a handler).
  WideString ColumnText(int columnIndex);
};

}  // namespace verimo
