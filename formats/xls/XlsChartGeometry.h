#pragma once

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "core/WideString.h"
#include "formats/xls/XlsItems.h"
#include "formats/xls/XlsSheetItems.h"
#include "formats/xls/XlsWorkbook.h"

namespace verimo::xls {

// `value` kept within 0 … last, as a record's 16-bit field.
inline uint16_t Clamp16(long long value, int last) { return static_cast<uint16_t>(std::clamp<long long>(value, 0, last)); }

// Where the data columns of the sheet being written lie: the sheet column
// of the first, their names and the first and last row of each column's
// data cells (-1 while it has none).
struct TxlsDataColumns {
  int StartDataCol = 0;
  std::vector<WideString> Names;
  std::vector<std::pair<int, int>> Rows;
};

// The range a series takes its values or categories from: the given cells,
// or the data cells of the named column (all zero when no such column has
// data on the sheet).
TxlsAreaRef ChartRange(TxlsRangeType type, const WideString& column, const TxlsDataRange& range,
                       const TxlsDataColumns& columns);

// The chart as a shape of the sheet being written, whose extents place an
// automatic chart; its references go to extern sheet `externSheet`.
TxlsChartShape ChartShape(const TxlsChart& chart, const TxlsDataColumns& columns, const TxlsBoundSheet& sheet,
                          uint16_t externSheet);

}  // namespace verimo::xls
