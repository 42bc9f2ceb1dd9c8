#pragma once

#include <functional>

#include "core/WideString.h"
#include "engine/TesselRow.h"
#include "formats/xls/XlsFormats.h"

namespace verimo {

class TTesselXLS;

// The events of the workbook's sheets; `sheet` is the 0-based position of
// the sheet among those written, the sender the workbook's exporter.
struct TxlsSheetEvents {
  using TxlsExportSheetEvent = std::function<void(TTesselXLS& sender, int sheetIndex)>;
  using TxlsExportedRecordEvent = std::function<void(TTesselXLS& sender, int sheet, int recNo)>;
  using TxlsGetExportTextEvent = std::function<void(TTesselXLS& sender, int sheet, int colNo, WideString& text)>;
  using TxlsBeforeExportRowEvent = std::function<void(TTesselXLS& sender, int sheet, TTesselRow& row, bool& accept)>;
  using TGetHeaderFooterParamsEvent =
      std::function<void(TTesselXLS& sender, int sheet, int col, int row, TxlsFormat& format, WideString& text)>;
  using TGetCaptionParamsEvent =
      std::function<void(TTesselXLS& sender, int sheet, int col, TxlsFormat& format, WideString& caption)>;
  using TGetDataParamsEvent = std::function<void(TTesselXLS& sender, int sheet, int col, int row, TxlsFormat& format,
                                                 WideString& formatText)>;
  using TGetAggregateParamsEvent = std::function<void(TTesselXLS& sender, int sheet, int col, TxlsFormat& format,
                                                      WideString& formatText, WideString& value)>;

  TxlsExportSheetEvent OnBeforeExportSheet;
  TxlsExportSheetEvent OnAfterExportSheet;
  TxlsExportedRecordEvent OnAdvancedRecordExported;
  TxlsGetExportTextEvent OnAdvancedGetExportText;
  TxlsBeforeExportRowEvent OnAdvancedBeforeExportRow;
  TGetHeaderFooterParamsEvent OnGetHeaderParams;
  TGetHeaderFooterParamsEvent OnGetBeforeDataParams;
  TGetHeaderFooterParamsEvent OnGetFooterParams;
  TGetCaptionParamsEvent OnGetCaptionParams;
  TGetDataParamsEvent OnGetDataParams;
  TGetAggregateParamsEvent OnGetAggregateParams;
};

}  // namespace verimo
