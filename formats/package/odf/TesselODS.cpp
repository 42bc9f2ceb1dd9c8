#include "formats/package/odf/TesselODS.h"

#include <algorithm>
#include <charconv>
#include <exception>
#include <typeinfo>

#include "core/Exception.h"
#include "core/ScopeExit.h"
#include "engine/SpreadsheetFormat.h"
#include "engine/TesselLocale.h"
#include "formats/package/SheetColumnWidths.h"
#include "formats/package/odf/BaseODFFile.h"
#include "formats/package/odf/OdfText.h"
#include "formats/package/odf/OdsCellValue.h"
#include "formats/package/odf/OdsDataStyles.h"
#include "resources/StringTable.h"

namespace verimo {
namespace {

void AppendCellStart(std::string& out, std::string_view style) {
  out += "<table:table-cell table:style-name=\"";
  out += style;
  out += "\" ";
}

void AppendParagraph(std::string& out, WideStringView text) {
  if (text.empty()) {
    out += "<text:p/>";
    return;
  }
  out += "<text:p>";
  AppendODFText(out, text);
  out += "</text:p>";
}

// One paragraph per line (CR LF, CR or LF end a line): spreadsheet
// applications keep the lines of a cell as paragraphs, not as breaks.
void AppendLines(std::string& out, WideStringView text) {
  size_t start = 0;
  for (;;) {
    size_t end = text.find_first_of(u"\r\n", start);
    AppendParagraph(out, text.substr(start, end == WideStringView::npos ? WideStringView::npos : end - start));
    if (end == WideStringView::npos) return;
    if (text[end] == u'\r' && end + 1 < text.size() && text[end + 1] == u'\n') ++end;
    start = end + 1;
  }
}

TODSDataStyleKind DataStyleKind(TTesselColType type) {
  switch (type) {
    case ectCurrency: return dskCurrency;
    case ectDate:
    case ectDateTime: return dskDate;
    case ectTime: return dskTime;
    case ectBoolean: return dskBoolean;
    default: return dskNumber;
  }
}

// The cell style of data cells without a data style: the data style's, or
// that of strip style `slot` (from 0).
std::string DataCellStyleName(int strips, size_t slot) {
  return strips == 0 ? "DataStyle" : "StripStyle" + std::to_string(slot + 1);
}

// Pixels at 96 dpi as centimetres.
std::string Centimetres(int pixels) {
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, pixels * 2.54 / 96, std::chars_format::fixed, 3);
  return std::string(text, result.ptr) + "cm";
}

}  // namespace

TTesselODS::TTesselODS() : SheetName(TTesselLocale::Instance().LoadText(res::kDefaultSheetName)) {
  published_.Captions = true;
  published_.UserFormats = true;
  published_.Formats = true;
  AutoCalcColWidth = true;
}

TTesselODS::~TTesselODS() = default;

void TTesselODS::BeginExport() {
  // A descendant may escape texts; this class itself writes them unchanged
  // (the width pass then measures them without asking).
  plainEscapeText_ = typeid(*this) == typeid(TTesselODS);
  TTesselAdvancedText::BeginExport();
  // The width pass measures the captions and the values alone.
  if (AutoCalcColWidth)
    for (int i = 0; i < Columns().Count(); ++i) Columns()[i].Width = 0;
  records_ = 0;
  rows_ = 0;
  if (!exportsTables_) stylesBefore_ = {};
  PrepareDataStyles();
  if (!exportsTables_) CreatePackage();
  tableStarted_ = false;
}

void TTesselODS::CreatePackage() {
  package_ = std::make_unique<TBaseODFFile>();
  package_->DocumentKind = TBaseODFFile::dkSpreadsheet;
  package_->SetOutputFileName(FileName);
  package_->WriteMetaAndManifest();
}

// The styles' names, numbered on from the tables before: short, as every
// cell names its style.
std::string TTesselODS::ColumnStyleName(size_t column) const {
  return "co" + std::to_string(stylesBefore_.Columns + column + 1);
}

std::string TTesselODS::DataStyleName(size_t dataStyle) const {
  return "N" + std::to_string(stylesBefore_.DataStyles + dataStyle + 1);
}

// The cell style of data cells of style `slot` (the data style, or strip
// style `slot`, from 0) with data style `dataStyle` (from 0).
std::string TTesselODS::TypedCellStyleName(size_t slot, size_t dataStyle) const {
  return "ce" + std::to_string(stylesBefore_.CellStyles + slot * dataStyles_.size() + dataStyle + 1);
}

void TTesselODS::PrepareDataStyles() {
  const auto context = TSpreadsheetPatternContext::FromGlobalSettings(Formats().DateSeparator, Formats().TimeSeparator);
  dataStyles_.clear();
  dataStyleOfColumn_.clear();
  for (const TTesselColumn& column : Columns()) {
    const WideString code = ColumnNumberFormat(column, Formats(), context);
    if (code.empty()) {
      dataStyleOfColumn_.push_back(-1);
      continue;
    }
    const std::pair<int, WideString> style{DataStyleKind(column.ColType), code};
    const auto found = std::find(dataStyles_.begin(), dataStyles_.end(), style);
    dataStyleOfColumn_.push_back(static_cast<int>(found - dataStyles_.begin()));
    if (found == dataStyles_.end()) dataStyles_.push_back(style);
  }
  const int strips = ODSOptions.StripCount();
  cellStyles_.assign(static_cast<size_t>(std::max(strips, 1)), {});
  for (size_t slot = 0; slot < cellStyles_.size(); ++slot) {
    const std::string base = DataCellStyleName(strips, slot);
    for (int data : dataStyleOfColumn_)
      cellStyles_[slot].push_back(data < 0 ? base : TypedCellStyleName(slot, static_cast<size_t>(data)));
  }
}

// The column styles ("co1", ...), the data styles ("N1", ...) and the cell
// styles of the typed data cells.
void TTesselODS::AppendSheetStyles(std::string& out) {
  if (!TextMeasurer && !ownMeasurer_) ownMeasurer_ = CreateSystemTextMeasurer();
  TTextMeasurer& measurer = TextMeasurer ? *TextMeasurer : *ownMeasurer_;
  std::vector<TPackageFont> dataFonts;
  for (int k = 0; k < ODSOptions.StripCount(); ++k)
    dataFonts.push_back(ODSOptions.StripStylesList[static_cast<size_t>(k)].Font);
  if (dataFonts.empty()) dataFonts.push_back(ODSOptions.DataStyle.Font);
  const std::vector<int> widths =
      SheetColumnPixels(measurer, Columns(), AllowCaptions, ODSOptions.CaptionRowStyle.Font, dataFonts);
  for (size_t i = 0; i < widths.size(); ++i)
    out += "<style:style style:name=\"" + ColumnStyleName(i) +
           "\" style:family=\"table-column\" ><style:table-column-properties style:column-width=\"" +
           Centimetres(widths[i]) + "\" /></style:style>\r\n";
  for (size_t d = 0; d < dataStyles_.size(); ++d)
    AppendODSDataStyle(out, DataStyleName(d), static_cast<TODSDataStyleKind>(dataStyles_[d].first),
                       dataStyles_[d].second);
  const int strips = ODSOptions.StripCount();
  for (size_t slot = 0; slot < cellStyles_.size(); ++slot)
    for (size_t d = 0; d < dataStyles_.size(); ++d)
      AppendODSDataCellStyle(out, Utf8ToWide(TypedCellStyleName(slot, d)), ODSOptions,
                             strips == 0 ? -1 : static_cast<int>(slot), DataStyleName(d));
}

// content.xml's head holds the column widths: it is written once the width
// pass is over, before the caption row or the first record. In a run of
// Tables the table's styles are kept for the head written last.
void TTesselODS::StartTable() {
  if (tableStarted_ || !package_) return;
  tableStarted_ = true;
  const TTesselODSOptions& options = ODSOptions;
  TTesselXMLWriter* table = nullptr;
  if (exportsTables_) {
    AppendSheetStyles(tableStyles_);
    table = &package_->Table();
  } else {
    table = &package_->OpenTableFragment([&](std::string& out) { AppendODSFontFaces(out, options); },
                                         [&](std::string& out) {
                                           AppendODSAutomaticStyles(out, options);
                                           AppendSheetStyles(out);
                                         });
  }
  line_.assign("<table:table ");
  AppendODFAttribute(line_, "table:name", exportsTables_ ? tableSheetName_ : SheetName);
  line_ += "table:style-name=\"DefaultTableStyle\" >\r\n";
  if (Columns().Count() == 0) line_ += "<table:table-column table:style-name=\"DefaultColumnStyle\" />";
  for (int i = 0; i < Columns().Count(); ++i)
    line_ += "<table:table-column table:style-name=\"" + ColumnStyleName(static_cast<size_t>(i)) + "\" />";
  line_ += "\r\n";
  table->WriteRaw(line_);
  if (!Header.IsEmpty()) WriteTextCellRow("Header", Header);
}

void TTesselODS::BeforeExport() {
  TTesselAdvancedText::BeforeExport();
  StartTable();
}

void TTesselODS::BeginRow() {
  ++rows_;
  line_.assign("<table:table-row table:style-name=\"DefaultRowStyle\" >");
}

void TTesselODS::EndRow() {
  line_ += "</table:table-row>\r\n";
  package_->Table().WriteRaw(line_);
}

void TTesselODS::WriteTextCellRow(std::string_view style, const TStringList& lines) {
  BeginRow();
  AppendCellStart(line_, style);
  line_ += "office:value-type=\"string\" >";
  for (const WideString& text : lines) AppendLines(line_, EscapeText(text));
  line_ += "</table:table-cell>\r\n";
  EndRow();
}

void TTesselODS::WriteCaptionRow() {
  if (!package_) return;
  StartTable();
  BeginRow();
  for (int i = 0; i < Columns().Count(); ++i) {
    AppendCellStart(line_, "CaptionRow");
    line_ += "office:value-type=\"string\" >";
    AppendLines(line_, GetColCaption(i));
    line_ += "</table:table-cell>\r\n";
  }
  EndRow();
}

const std::string& TTesselODS::DataCellStyle(int column) const {
  const int strips = ODSOptions.StripCount();
  if (strips == 0) return cellStyles_[0][static_cast<size_t>(column)];
  const int position = ODSOptions.StripStyle == ssColumn ? column + 1 : records_;
  return cellStyles_[static_cast<size_t>(ODFStripNumber(position, strips) - 1)][static_cast<size_t>(column)];
}

void TTesselODS::WriteDataRow() {
  if (!package_) return;
  ++records_;
  BeginRow();
  const TTesselRow& row = Row();
  for (int i = 0; i < row.Count(); ++i) {
    AppendCellStart(line_, DataCellStyle(i));
    const WideString text = GetCellText(row[i]);
    // A value is held also where its pattern shows nothing.
    const bool typed =
        dataStyleOfColumn_[static_cast<size_t>(i)] >= 0 && !ColumnIsNull(row[i], i) && CellTextIsValueText(i);
    if (text.empty() && !typed) {
      line_ += "/>\r\n";
      continue;
    }
    if (typed) {
      AppendODSValueAttributes(line_, Columns()[i].ColType, row[i].Value);
    } else {
      line_ += "office:value-type=\"string\" ";
    }
    line_ += '>';
    AppendLines(line_, text);
    line_ += "</table:table-cell>\r\n";
  }
  EndRow();
}

// Ends the table's sheet; the next table numbers its styles on.
void TTesselODS::EndTable() {
  StartTable();
  if (!Footer.IsEmpty()) WriteTextCellRow("Footer", Footer);
  // A table needs a row; an export of nothing gets one empty cell.
  if (rows_ == 0) {
    BeginRow();
    line_ += "<table:table-cell/>";
    EndRow();
  }
  package_->Table().WriteRaw("</table:table>\r\n");
  tableStarted_ = false;
  ++tablesEnded_;
  stylesBefore_.Columns += static_cast<size_t>(Columns().Count());
  stylesBefore_.DataStyles += dataStyles_.size();
  stylesBefore_.CellStyles += cellStyles_.size() * dataStyles_.size();
}

// Also runs when the run fails: then the package is thrown away with its
// staging folder instead of being zipped (by Execute, when the run exports
// Tables).
void TTesselODS::EndExport() {
  if (exportsTables_) {
    if (package_ && !RunFailed()) EndTable();
  } else {
    ReleasePackageAfter(package_, [this] {
      if (package_ && !RunFailed()) {
        EndTable();
        BuildPackage();
      }
    });
  }
  TTesselAdvancedText::EndExport();
}

void TTesselODS::BuildPackage() {
  const TTesselODSOptions& options = ODSOptions;
  package_->BuildPackage([&](std::string& out) { AppendODSFontFaces(out, options); },
                         [&](std::string& out) { AppendODSCommonStyles(out, options); });
}

void TTesselODS::Execute() {
  if (Tables.empty() && SheetName.empty()) throw Exception("Sheet name is not defined");
  if (FileName.empty()) throw Exception("File name is not defined");
  ReleasePackageAfter(package_, [this] {
    TScopeExit endRun([this] { exportsTables_ = false; });
    if (Tables.empty())
      RunExport();
    else
      ExportTables();
  });
  ShowResult();
}

void TTesselODS::ExportTables() {
  exportsTables_ = true;
  stylesBefore_ = {};
  tablesEnded_ = 0;
  sheetNames_ = TSheetNames();
  tableStyles_.clear();
  CreatePackage();
  const TTesselODSOptions& options = ODSOptions;
  package_->OpenBodyFragment([&options](std::string& out) { AppendODSFontFaces(out, options); },
                             [this, &options](std::string& out) {
                               AppendODSAutomaticStyles(out, options);
                               out += tableStyles_;
                             });
  ForEachTable(*this, [this](const TWorkbookTable& table) {
    tableSheetName_ = sheetNames_.Add(table.SheetName);
    RunExport();
  });
  // A table stopped before its records (in OnBeginExport or the width
  // pass) has no sheet; a run stopped so at its first table leaves no
  // document, as a single table stopped then leaves none.
  if (tablesEnded_ > 0) BuildPackage();
}

void TTesselODS::SaveSettings(TTesselIniFile& settings) {
  TTesselAdvancedText::SaveSettings(settings);
  SaveODSSettings(settings, ODSOptions, SheetName);
}

void TTesselODS::LoadSettings(TTesselIniFile& settings) {
  TTesselAdvancedText::LoadSettings(settings);
  LoadODSSettings(settings, ODSOptions, SheetName);
}

}  // namespace verimo
