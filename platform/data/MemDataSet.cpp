#include "platform/data/MemDataSet.h"

#include "core/Exception.h"

namespace verimo {

void TMemDataSet::AddFieldDef(WideString name, TFieldType type, int size) {
  if (Active()) throw Exception("Cannot perform this operation on an open dataset");
  fieldDefs_.push_back({std::move(name), type, size});
}

void TMemDataSet::AppendRecord(std::vector<Variant> values) {
  if (values.size() != fieldDefs_.size())
    throw Exception("Record has " + std::to_string(values.size()) + " values for " +
                    std::to_string(fieldDefs_.size()) + " fields");
  records_.push_back(std::move(values));
}

void TMemDataSet::DoOpen() {
  ClearFields();
  for (const FieldDef& def : fieldDefs_) AddField(def.name, def.type, def.size);
  current_ = 0;
}

void TMemDataSet::Next() {
  CheckActive();
  if (current_ < records_.size()) ++current_;
}

TBookmark TMemDataSet::GetBookmark() const {
  CheckActive();
  return Eof() ? TBookmark() : TBookmark{static_cast<int64_t>(current_), 0};
}

void TMemDataSet::GotoBookmark(const TBookmark& bookmark) {
  CheckActive();
  if (!bookmark.IsValid() || static_cast<size_t>(bookmark.position) >= records_.size())
    throw Exception("Record not found");
  current_ = static_cast<size_t>(bookmark.position);
}

Variant TMemDataSet::FieldValue(int index) const {
  CheckActive();
  if (Eof()) return Variant::Null();
  return records_[current_].at(static_cast<size_t>(index));
}

}  // namespace verimo
