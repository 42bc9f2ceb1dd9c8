#pragma once

#include <cstdint>
#include <map>
#include <utility>
#include <vector>

#include "core/StringList.h"
#include "core/WideString.h"
#include "engine/Tessel.h"
#include "formats/xls/XlsBook.h"
#include "formats/xls/XlsChartGeometry.h"
#include "formats/xls/XlsItems.h"
#include "formats/xls/XlsOptions.h"
#include "formats/xls/XlsSheetEvents.h"

namespace verimo {

class TTesselXLS;

// What one sheet is written with besides its rows: its options and items
// (both must outlive the writer), its title and its position among the
// sheets written.
struct TxlsSheetSetup {
  const TXLSOptions& Options;
  const TxlsSheetItems& Items;
  WideString Title;
  int Index = 0;
};

// Writes one worksheet into the book from the run of `source`, the
// exporter that reads the sheet's records (whose steps call the writer's):
// header lines, captions, data rows with their subtotals and aggregates,
// footer lines, and the sheet's items in its tail. Past the row limit the
// rows go on in a further sheet that repeats the header and captions.
class TxlsSheetWriter {
 public:
  TxlsSheetWriter(TxlsBook& book, TTessel& source, const TxlsSheetSetup& setup, const TxlsSheetEvents& events,
                  TTesselXLS& sender);

  // The steps of the source's run: BeginExport once its columns are built.
  void BeginExport();
  void WriteCaptionRow();
  void WriteDataRow();
  // Closes the sheet's last part with its aggregates and footer; nothing
  // when no part is open.
  void Finish();

 private:
  struct TAggregateColumn {
    int column = 0;
    TxlsFormulaFunction function = TxlsFormulaFunction::Sum;
    double sum = 0;
    double min = 0;
    double max = 0;
    int count = 0;

    void Add(double value);
    double Result() const;
    void Reset() { *this = TAggregateColumn{column, function}; }
  };
  // The rows of one value of the control column, closed by its subtotal row.
  struct TGroup {
    int start = 0;
    int row = 0;
    std::vector<double> results;
  };

  void PrepareAggregates();
  void PrepareFormats();
  void BeginPart();
  void FinishPart(bool last);
  void WriteLines(const TStringList& lines, int count, const TxlsFormat& format,
                  const TxlsSheetEvents::TGetHeaderFooterParamsEvent& event);
  void WriteCellsLeftOfData();
  void WriteCaptions();
  void WriteDataCell(int column, const WideString& text);
  void WriteAggregateRow();
  void GroupRecord();
  uint16_t DataCellXF(int column);
  void FeedWidth(int column, const WideString& text, uint16_t xf);
  std::vector<std::pair<uint16_t, uint16_t>> ColInfoWidths(bool measured) const;
  // Rows kept free below the data: footer lines, subtotal and aggregates.
  int ReservedRows() const;
  uint16_t XFIndex(const WideString& formatText, const TxlsFormat& format);

  TxlsBook& book_;
  TTessel& source_;
  TxlsSheetSetup setup_;
  const TXLSOptions& options_;
  const TxlsSheetEvents& events_;
  TTesselXLS& sender_;

  int part_ = 0;
  int row_ = 0;
  int firstDataRow_ = 0;
  int records_ = 0;  // written in this sheet, all parts
  std::vector<int> widths_;                 // characters per column
  std::map<WideString, uint16_t> fieldXF_;  // per field name, upper-cased
  std::vector<uint16_t> columnXF_;          // the field XF of each column, 15 for none
  std::map<int, uint16_t> stripXF_;
  std::vector<TAggregateColumn> aggregates_;
  std::vector<int> aggregateOfColumn_;  // -1 when the column has none
  std::vector<TGroup> groups_;
  int controlColumn_ = -1;
  bool controlSeen_ = false;
  WideString controlText_;
  int groupStart_ = 0;
  // The names and data rows of the columns on the part being written.
  xls::TxlsDataColumns dataColumns_;
};

namespace xls {

// A failure of the sheet titled `title`.
WideString SheetError(const WideString& title, const WideString& message);

}  // namespace xls

}  // namespace verimo
