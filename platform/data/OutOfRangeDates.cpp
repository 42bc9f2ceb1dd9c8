#include "platform/data/OutOfRangeDates.h"

#include "platform/data/DataSet.h"

namespace verimo {

namespace {

bool HoldsDates(TFieldType type) { return type == ftDate || type == ftDateTime || type == ftTimeStamp; }

}  // namespace

TOutOfRangeDates::TOutOfRangeDates(const TDataSet& dataSet, const TStringList& fieldNames) : dataSet_(dataSet) {
  for (int i = 0; i < dataSet.FieldCount(); ++i) {
    const TField& field = dataSet.Field(i);
    if (!HoldsDates(field.DataType())) continue;
    if (!fieldNames.IsEmpty() && fieldNames.IndexOf(field.FieldName()) < 0) continue;
    watched_.push_back({i, {field.FieldName(), 0}});
  }
}

void TOutOfRangeDates::CountCurrentRecord() {
  for (TWatched& field : watched_)
    if (dataSet_.FieldOutOfRangeDays(field.index)) ++field.total.count;
}

std::vector<TOutOfRangeDates::TFieldCount> TOutOfRangeDates::Counts() const {
  std::vector<TFieldCount> counts;
  for (const TWatched& field : watched_)
    if (field.total.count > 0) counts.push_back(field.total);
  return counts;
}

}  // namespace verimo
