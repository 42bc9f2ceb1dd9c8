#include "formats/xls/XlsChartGeometry.h"

namespace verimo::xls {

TxlsAreaRef ChartRange(TxlsRangeType type, const WideString& column, const TxlsDataRange& range,
                       const TxlsDataColumns& columns) {
  TxlsAreaRef area;
  if (type == rtCustom) {
    area.FirstRow = Clamp16(range.Row1 - 1, TxlsWorkbook::kMaxRows - 1);
    area.LastRow = Clamp16(range.Row2 - 1, TxlsWorkbook::kMaxRows - 1);
    area.FirstCol = Clamp16(range.Col1 - 1, TxlsWorkbook::kMaxColumns - 1);
    area.LastCol = Clamp16(range.Col2 - 1, TxlsWorkbook::kMaxColumns - 1);
    return area;
  }
  for (size_t i = 0; i < columns.Names.size(); ++i) {
    if (!SameText(columns.Names[i], column) || columns.Rows[i].first < 0) continue;
    area.FirstRow = static_cast<uint16_t>(columns.Rows[i].first);
    area.LastRow = static_cast<uint16_t>(columns.Rows[i].second);
    area.FirstCol = area.LastCol =
        Clamp16(columns.StartDataCol + static_cast<long long>(i), TxlsWorkbook::kMaxColumns - 1);
    break;
  }
  return area;
}

namespace {

// A custom position's cells are 1-based.
mso::TAnchor CustomAnchor(const TxlsChartCustomPosition& p) {
  mso::TAnchor a;
  const int lastRow = TxlsWorkbook::kMaxRows - 1;
  const int lastCol = TxlsWorkbook::kMaxColumns - 1;
  a.FirstCol = Clamp16(p.X1 - 1, lastCol);
  a.FirstRow = Clamp16(p.Y1 - 1, lastRow);
  a.LastCol = Clamp16(p.X2 - 1, lastCol);
  a.LastRow = Clamp16(p.Y2 - 1, lastRow);
  return a;
}

// Below the sheet's extents or right of them, at the offsets and of the
// size the position gives.
mso::TAnchor AutoAnchor(const TxlsChartAutoPosition& p, const TxlsBoundSheet& sheet) {
  mso::TAnchor a;
  const int lastRow = TxlsWorkbook::kMaxRows - 1;
  const int lastCol = TxlsWorkbook::kMaxColumns - 1;
  const long long extentLastRow = std::max(sheet.LastRow, 0);
  const long long extentFirstCol = std::max(sheet.FirstCol, 0);
  const long long extentLastCol = std::max(sheet.LastCol, 0);
  long long firstRow = 0;
  long long firstCol = 0;
  if (p.Placement == cpBottom) {
    firstRow = std::max(extentLastRow + p.Top, 0LL) + 1;
    firstCol = std::max(extentFirstCol + p.Left, 0LL);
  } else {
    firstRow = std::max<long long>(p.Top, 0);
    firstCol = std::max(extentLastCol + p.Left, 0LL) + 1;
  }
  a.FirstRow = Clamp16(firstRow, lastRow);
  a.FirstCol = Clamp16(firstCol, lastCol);
  a.LastRow = Clamp16(std::max(firstRow + p.Height, 0LL), lastRow);
  a.LastCol = Clamp16(std::max(firstCol + p.Width, 0LL), lastCol);
  return a;
}

}  // namespace

TxlsChartShape ChartShape(const TxlsChart& chart, const TxlsDataColumns& columns, const TxlsBoundSheet& sheet,
                          uint16_t externSheet) {
  TxlsChartShape shape;
  shape.Chart = &chart;
  shape.ExternSheet = externSheet;
  for (const TxlsChartSeries& series : chart.Series) {
    shape.Values.push_back(ChartRange(series.DataRangeType, series.DataColumn, series.DataRange, columns));
    shape.Categories.push_back(
        ChartRange(chart.CategoryLabelsType, chart.CategoryLabelsColumn, chart.CategoryLabels, columns));
  }
  shape.Anchor = chart.Position.PositionType == cptCustom ? CustomAnchor(chart.Position.CustomPosition)
                                                           : AutoAnchor(chart.Position.AutoPosition, sheet);
  return shape;
}

}  // namespace verimo::xls
