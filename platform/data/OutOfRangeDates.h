#pragma once

#include <cstdint>
#include <vector>

#include "core/StringList.h"
#include "core/WideString.h"

namespace verimo {

class TDataSet;

// Counts, field by field, the records whose date or timestamp lay outside
// years 1 to 9999. Such values read as null, so an export writes the null
// text for them; the front ends tell the user how many there were.
class TOutOfRangeDates {
 public:
  struct TFieldCount {
    WideString fieldName;
    int64_t count = 0;
  };

  // Watches the date and timestamp fields among `fieldNames` (every field
  // of the dataset when the list is empty). The dataset must be open.
  TOutOfRangeDates(const TDataSet& dataSet, const TStringList& fieldNames);

  // Looks at the dataset's current record.
  void CountCurrentRecord();
  // The watched fields that held such values, in field order.
  std::vector<TFieldCount> Counts() const;

 private:
  struct TWatched {
    int index;
    TFieldCount total;
  };
  const TDataSet& dataSet_;
  std::vector<TWatched> watched_;
};

}  // namespace verimo
