#pragma once

#include "core/WideString.h"
#include "engine/Tessel.h"
#include "formats/xls/XlsItems.h"
#include "formats/xls/XlsOptions.h"

namespace verimo {

class TTesselXLS;
class TxlsSheetWriter;

// A further worksheet of the workbook, read from a source of its own: it
// is an exporter of its own (source, fields, captions, texts, value
// patterns, record events) with its own options and items. Its steps write
// into the sheet writer the workbook's exporter runs it with. The column
// widths follow the texts when Options.AutoCalcColWidth is on (the base's
// AutoCalcColWidth is the base's own measuring pass).
class TxlsSheet : public TTessel, public TxlsSheetItems {
 public:
  explicit TxlsSheet(int number = 1);

  WideString Title;
  bool Exported = true;
  TXLSOptions Options;
  int Tag = 0;

  // Takes the exporter's own settings, options, items and record events,
  // once (the title from Options.SheetTitle).
  void LoadFromExporter(const TTesselXLS& exporter);
  // Runs the export of the sheet's records into `writer`.
  void RunInto(TxlsSheetWriter& writer);

  void BeginExport() override;
  void WriteCaptionRow() override;
  void WriteDataRow() override;
  // A cell holds at most TsstStrings::kMaxLength units of text.
  TTesselTextLimits TextLimits() const override;

 private:
  TxlsSheetWriter* writer_ = nullptr;
};

namespace xls {

// What a cell can hold of the texts, over the limits `base` gives.
TTesselTextLimits CellTextLimits(TTesselTextLimits base);

}  // namespace xls

}  // namespace verimo
