#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/TesselText.h"
#include "formats/xls/XlsItems.h"
#include "formats/xls/XlsOptions.h"
#include "formats/xls/XlsSheet.h"
#include "formats/xls/XlsSheetEvents.h"
#include "platform/fonts/TextMeasurer.h"

namespace verimo {

class TxlsBook;

using TxlsSheets = std::vector<std::unique_ptr<TxlsSheet>>;

// The Excel 97 workbook exporter: one BIFF8 workbook of sheets each read
// from its own source. Without exported Sheets it writes one sheet itself,
// from its own settings, Options and items; with them, it writes each of
// them, in order.
class TTesselXLS : public TTesselFormatText, public TxlsSheetItems, public TxlsSheetEvents {
 public:
  TTesselXLS();
  ~TTesselXLS() override;

  TXLSOptions Options;
  TxlsSheets Sheets;
  // The pictures that images of every sheet show.
  TxlsPictures Pictures;
  // Measures texts for the automatic column widths; the system's fonts
  // when null. Not owned.
  TTextMeasurer* TextMeasurer = nullptr;

  void Execute() override;
  // Also stops the sheet being written.
  void Abort() override;
  void BeginExport() override;
  void WriteCaptionRow() override;
  void WriteDataRow() override;
  void EndExport() override;
  void SaveSettings(TTesselIniFile& settings) override;
  void LoadSettings(TTesselIniFile& settings) override;
  // A cell holds at most TsstStrings::kMaxLength units of text.
  TTesselTextLimits TextLimits() const override;

  // Size of the shared strings of the last run (bytes of the SST record).
  uint64_t LastSharedStringBytes() const { return lastSstBytes_; }

 private:
  struct TRun;

  std::vector<TxlsSheet*> ExportedSheets() const;
  // The checks before the workbook is created: the source is there and
  // open, and the columns fit beside StartDataCol.
  void CheckSheet(TTessel& sheet, const TXLSOptions& options, const WideString& title) const;
  // The own sheet: the exporter's run, whose steps write into it.
  void WriteOwnSheet(TxlsBook& book);
  void WriteSheets(TxlsBook& book, const std::vector<TxlsSheet*>& sheets);
  // Ends the own sheet and the workbook, once.
  void FinishOwnSheet();
  void FinishWorkbook(TxlsBook& book);
  TTextMeasurer& Measurer();

  // While the own sheet is written.
  TRun* run_ = nullptr;
  // While a sheet of Sheets is written.
  TxlsSheet* runningSheet_ = nullptr;
  std::unique_ptr<TTextMeasurer> ownMeasurer_;
  uint64_t lastSstBytes_ = 0;
};

}  // namespace verimo
