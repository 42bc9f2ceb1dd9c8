#include "formats/package/xlsx/TesselXlsx.h"

#include <exception>
#include <optional>
#include <string>
#include <typeinfo>
#include <vector>

#include "core/Exception.h"
#include "engine/SpreadsheetFormat.h"
#include "formats/package/SheetColumnWidths.h"
#include "formats/package/SheetValue.h"
#include "formats/package/xlsx/XlsxFileMaker.h"
#include "formats/package/xlsx/XlsxSheets.h"
#include "formats/package/xlsx/XlsxStyles.h"

namespace verimo {

namespace {

// A time of day alone is its share of a day; any other date-time the date
// system's serial number.
std::optional<double> SerialOf(TTesselColType type, double value) {
  if (type == ectTime && value >= 0 && value < 1) return value;
  return ExcelDateSerial(value);
}

}  // namespace

TTesselXlsx::TTesselXlsx() {
  published_.Captions = true;
  published_.UserFormats = true;
  published_.Formats = true;
  AutoCalcColWidth = true;
}

TTesselXlsx::~TTesselXlsx() = default;

void TTesselXlsx::SetSheetName(WideStringView name) {
  if (!name.empty()) sheetName_ = WideString(name);
}

void TTesselXlsx::BeginExport() {
  // A descendant may escape texts or change a cell's data; this class
  // itself writes them unchanged (the width pass then measures them, and
  // the rows take the cells' texts, without asking).
  plainEscapeText_ = typeid(*this) == typeid(TTesselXlsx);
  plainCellText_ = plainEscapeText_;
  TTesselAdvancedText::BeginExport();
  if (Columns().Count() > kMaxSheetColumns)
    throw Exception("A worksheet holds at most " + std::to_string(kMaxSheetColumns) + " columns, not " +
                    std::to_string(Columns().Count()));
  // The width pass measures the captions and the values alone.
  if (AutoCalcColWidth)
    for (int i = 0; i < Columns().Count(); ++i) Columns()[i].Width = 0;
  rowCounter_ = 0;
  dataRowCounter_ = 0;
  if (!exportsTables_) {
    fileMaker_ = std::make_unique<TXlsxFileMaker>(FileName, XlsxOptions);
    fileMaker_->SheetRowLimit = SheetRowLimit;
    fileMaker_->Begin();
  }
  const auto context = TSpreadsheetPatternContext::FromGlobalSettings(Formats().DateSeparator, Formats().TimeSeparator);
  std::vector<WideString> codes;
  for (const TTesselColumn& column : Columns()) codes.push_back(ColumnNumberFormat(column, Formats(), context));
  fileMaker_->BeginTable(exportsTables_ ? tableSheetName_ : sheetName_, codes);
  for (const WideString& line : Header) {
    ++rowCounter_;
    fileMaker_->WriteSingleCellRow(line, kXlsxHeaderStyle);
  }
}

void TTesselXlsx::WriteCaptionRow() {
  if (!fileMaker_) return;
  std::vector<WideString> captions;
  captions.reserve(static_cast<size_t>(Columns().Count()));
  for (int i = 0; i < Columns().Count(); ++i) captions.push_back(GetColCaption(i));
  ++rowCounter_;
  fileMaker_->WriteCaptionRow(captions);
}

int TTesselXlsx::DataCellStyle(int column) const {
  const int strips = XlsxOptions.StripCount();
  if (strips == 0) return kXlsxDataStyle;
  const int k = XlsxOptions.StripStyleType == ssColumn ? column % strips : dataRowCounter_ % strips;
  return kXlsxFirstStripStyle + k;
}

void TTesselXlsx::WriteDataRow() {
  if (!fileMaker_) return;
  ++rowCounter_;
  const TTesselRow& row = Row();
  fileMaker_->BeginDataRow(row.Count());
  for (int i = 0; i < row.Count(); ++i) {
    const int style = fileMaker_->NumberFormats.CellStyle(DataCellStyle(i), i);
    if (AddValueCell(i, style)) continue;
    if (plainCellText_) {
      cellText_.clear();
      AppendPlainCellText(row[i], cellText_);
      fileMaker_->AddDataCell(i, cellText_, style);
    } else {
      fileMaker_->AddDataCell(i, GetCellText(row[i]), style);
    }
  }
  fileMaker_->EndDataRow();
  ++dataRowCounter_;
}

// The cell's value, when its column is typed, the value is one the sheet
// can hold and the cell shows the value's own text; false (nothing
// written) otherwise.
bool TTesselXlsx::AddValueCell(int column, int style) {
  const TTesselCol& cell = Row()[column];
  const TTesselColType type = Columns()[column].ColType;
  if (type == ectString || type == ectUnknown || ColumnIsNull(cell, column)) return false;
  const Variant& value = cell.Value;
  const Variant::Kind kind = value.GetKind();
  if (type == ectBoolean && kind != Variant::Kind::Boolean) return false;
  if ((type == ectDate || type == ectTime || type == ectDateTime) && kind != Variant::Kind::DateTime) return false;
  if (!CellTextIsValueText(column)) return false;
  if (type == ectBoolean) {
    fileMaker_->AddBooleanDataCell(column, value.AsBool(), style);
    return true;
  }
  valueText_.clear();
  if (type == ectDate || type == ectTime || type == ectDateTime) {
    const std::optional<double> serial = SerialOf(type, value.AsDateTime());
    if (!serial) return false;
    AppendShortestDouble(valueText_, *serial);
  } else if (!AppendSheetNumber(valueText_, value)) {
    return false;
  }
  fileMaker_->AddNumberDataCell(column, valueText_, style);
  return true;
}

// Widths in digits of the workbook's default font (Calibri 11).
std::vector<int> TTesselXlsx::ColumnWidths() {
  if (!TextMeasurer && !ownMeasurer_) ownMeasurer_ = CreateSystemTextMeasurer();
  TTextMeasurer& measurer = TextMeasurer ? *TextMeasurer : *ownMeasurer_;
  std::vector<TPackageFont> dataFonts;
  for (int k = 0; k < XlsxOptions.StripCount(); ++k)
    dataFonts.push_back(XlsxOptions.StripStylesList[static_cast<size_t>(k)].Options.Font);
  if (dataFonts.empty()) dataFonts.push_back(XlsxOptions.DataStyle.Font);
  std::vector<int> widths =
      SheetColumnPixels(measurer, Columns(), AllowCaptions, XlsxOptions.CaptionRowStyle.Font, dataFonts);
  for (int& width : widths) width = PixelsToDigits(measurer, TPackageFont(), width);
  return widths;
}

// Also runs when the run fails: then the package is thrown away with its
// staging folder instead of being zipped (by Execute, when the run exports
// Tables).
void TTesselXlsx::EndExport() {
  if (fileMaker_ && !RunFailed()) {
    for (const WideString& line : Footer) {
      ++rowCounter_;
      fileMaker_->WriteSingleCellRow(line, kXlsxFooterStyle);
    }
    fileMaker_->EndTable(ColumnWidths());
    if (!exportsTables_) fileMaker_->Finish();
  }
  if (!exportsTables_) fileMaker_.reset();
  TTesselAdvancedText::EndExport();
}

TTesselTextLimits TTesselXlsx::TextLimits() const {
  TTesselTextLimits limits = TTesselAdvancedText::TextLimits();
  limits.maxTextLength = kMaxCellTextLength;
  return limits;
}

void TTesselXlsx::Execute() {
  if (FileName.empty()) throw Exception("No target file name is given for the export");
  try {
    if (Tables.empty())
      RunExport();
    else
      ExportTables();
  } catch (...) {
    fileMaker_.reset();
    exportsTables_ = false;
    throw;
  }
  fileMaker_.reset();
  exportsTables_ = false;
  ShowResult();
}

void TTesselXlsx::ExportTables() {
  exportsTables_ = true;
  fileMaker_ = std::make_unique<TXlsxFileMaker>(FileName, XlsxOptions);
  fileMaker_->SheetRowLimit = SheetRowLimit;
  fileMaker_->Begin();
  ForEachTable(*this, [this](const TWorkbookTable& table) {
    tableSheetName_ = table.SheetName;
    RunExport();
  });
  // A table stopped before its records (in OnBeginExport or the width
  // pass) is left out; a run stopped so at its first table leaves no
  // workbook, as a single table stopped then leaves none.
  if (fileMaker_->TableOpen()) fileMaker_->DropTable();
  if (!fileMaker_->Sheets().empty()) fileMaker_->Finish();
}

void TTesselXlsx::SaveSettings(TTesselIniFile& settings) {
  TTesselAdvancedText::SaveSettings(settings);
  SaveXlsxSettings(settings, XlsxOptions, sheetName_);
}

void TTesselXlsx::LoadSettings(TTesselIniFile& settings) {
  TTesselAdvancedText::LoadSettings(settings);
  LoadXlsxSettings(settings, XlsxOptions, sheetName_);
}

}  // namespace verimo
