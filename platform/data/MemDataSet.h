#pragma once

#include <vector>

#include "platform/data/DataSet.h"

namespace verimo {

// A dataset held in memory: define the fields, append records, open.
// Serves tests and small application-made tables.
class TMemDataSet : public TDataSet {
 public:
  struct FieldDef {
    WideString name;
    TFieldType type = ftString;
    int size = 0;
  };

  TMemDataSet() = default;
  explicit TMemDataSet(std::vector<FieldDef> fieldDefs) : fieldDefs_(std::move(fieldDefs)) {}

  void AddFieldDef(WideString name, TFieldType type, int size = 0);
  // One value per field definition, in order; Variant::Null() for blanks.
  void AppendRecord(std::vector<Variant> values);

  bool IsEmpty() const override { return records_.empty(); }
  void First() override { current_ = 0; }
  void Next() override;
  bool Eof() const override { return current_ >= records_.size(); }
  int64_t RecordCount() const override { return static_cast<int64_t>(records_.size()); }

  TBookmark GetBookmark() const override;
  void GotoBookmark(const TBookmark& bookmark) override;

  Variant FieldValue(int index) const override;

 protected:
  void DoOpen() override;
  void DoClose() override {}

 private:
  std::vector<FieldDef> fieldDefs_;
  std::vector<std::vector<Variant>> records_;
  size_t current_ = 0;
};

}  // namespace verimo
