#include "formats/xls/XlsSheet.h"

#include "core/Exception.h"
#include "core/ScopeExit.h"
#include "formats/xls/TesselXLS.h"
#include "formats/xls/XlsSheetWriter.h"
#include "formats/xls/XlsSst.h"

namespace verimo {

TxlsSheet::TxlsSheet(int number) : Title(u"Sheet " + IntToWide(number)) {
  OnlyVisibleFields = true;
  // What the workbook's exporter publishes.
  published_.Captions = true;
  published_.UserFormats = true;
  published_.Formats = true;
  published_.ColumnsWidth = true;
}

void TxlsSheet::LoadFromExporter(const TTesselXLS& exporter) {
  Title = exporter.Options.SheetTitle;
  static_cast<TxlsSheetItems&>(*this) = exporter;
  Options = exporter.Options;
  ExportSource = exporter.ExportSource;
  DataSet = exporter.DataSet;
  CustomSource = exporter.CustomSource;
  ListView = exporter.ListView;
  DBGrid = exporter.DBGrid;
  StringGrid = exporter.StringGrid;
  ExportedFields = exporter.ExportedFields;
  Header = exporter.Header;
  Captions = exporter.Captions;
  Footer = exporter.Footer;
  Formats().Assign(exporter.Formats());
  UserFormats = exporter.UserFormats;
  ColumnsWidth = exporter.ColumnsWidth;
  AllowCaptions = exporter.AllowCaptions;
  GoToFirstRecord = exporter.GoToFirstRecord;
  ExportRecCount = exporter.ExportRecCount;
  SkipRecCount = exporter.SkipRecCount;
  CurrentRecordOnly = exporter.CurrentRecordOnly;
  OnlyVisibleFields = exporter.OnlyVisibleFields;
  AutoCalcStrType = exporter.AutoCalcStrType;
  CaptionRow = exporter.CaptionRow;
  OnSkippedRecord = exporter.OnSkippedRecord;
  OnExportedRecord = exporter.OnExportedRecord;
  OnStopExport = exporter.OnStopExport;
  OnGetExportText = exporter.OnGetExportText;
  OnBeforeExportRow = exporter.OnBeforeExportRow;
  OnCustomFormat = exporter.OnCustomFormat;
  OnFetchedRecord = exporter.OnFetchedRecord;
}

void TxlsSheet::RunInto(TxlsSheetWriter& writer) {
  writer_ = &writer;
  TScopeExit detach([this] { writer_ = nullptr; });
  RunExport();
}

void TxlsSheet::BeginExport() {
  if (writer_ == nullptr) throw Exception("A sheet is exported only as a part of its workbook");
  TTessel::BeginExport();
  writer_->BeginExport();
}

void TxlsSheet::WriteCaptionRow() { writer_->WriteCaptionRow(); }

void TxlsSheet::WriteDataRow() { writer_->WriteDataRow(); }

TTesselTextLimits TxlsSheet::TextLimits() const { return xls::CellTextLimits(TTessel::TextLimits()); }

namespace xls {

TTesselTextLimits CellTextLimits(TTesselTextLimits base) {
  base.maxTextLength = TsstStrings::kMaxLength;
  return base;
}

}  // namespace xls

}  // namespace verimo
