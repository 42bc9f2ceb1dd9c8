#include "formats/xls/XlsSheetWriter.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <system_error>

#include "core/Exception.h"
#include "engine/SpreadsheetFormat.h"
#include "formats/xls/XlsPictureStore.h"
#include "formats/xls/XlsSheetObjects.h"

namespace verimo {

namespace {

constexpr int kMaxWidth = 0xFFFF;

// The pieces of a header or footer line between TAB characters.
std::vector<WideString> SplitAtTabs(const WideString& line) {
  std::vector<WideString> pieces;
  size_t start = 0;
  for (;;) {
    const size_t tab = line.find(u'\t', start);
    if (tab == WideString::npos) {
      if (start < line.size()) pieces.push_back(line.substr(start));
      break;
    }
    pieces.push_back(line.substr(start, tab - start));
    start = tab + 1;
  }
  return pieces;
}

// The raw value as a number; false when it is none.
bool NumberOf(const Variant& value, double& number) {
  switch (value.GetKind()) {
    case Variant::Kind::Integer:
    case Variant::Kind::Double:
    case Variant::Kind::Currency:
    case Variant::Kind::DateTime: number = value.AsDouble(); return std::isfinite(number);
    case Variant::Kind::Boolean: number = value.AsBool() ? 1 : 0; return true;
    case Variant::Kind::Text: {
      const std::string text = WideToUtf8(Trim(value.AsText()));
      if (text.empty()) return false;
      const auto result = std::from_chars(text.data(), text.data() + text.size(), number);
      return result.ec == std::errc() && result.ptr == text.data() + text.size() && std::isfinite(number);
    }
    default: return false;
  }
}

TxlsFormulaFunction FunctionOf(TxlsAggregate aggregate) {
  switch (aggregate) {
    case aggAvg: return TxlsFormulaFunction::Average;
    case aggMin: return TxlsFormulaFunction::Min;
    case aggMax: return TxlsFormulaFunction::Max;
    default: return TxlsFormulaFunction::Sum;
  }
}

}  // namespace

namespace xls {

WideString SheetError(const WideString& title, const WideString& message) {
  return title + u" sayfasında hata oluştu: " + message;
}

}  // namespace xls

// ---- aggregates ----

void TxlsSheetWriter::TAggregateColumn::Add(double value) {
  sum += value;
  min = count == 0 ? value : std::min(min, value);
  max = count == 0 ? value : std::max(max, value);
  ++count;
}

double TxlsSheetWriter::TAggregateColumn::Result() const {
  if (count == 0) return 0;
  switch (function) {
    case TxlsFormulaFunction::Average: return sum / count;
    case TxlsFormulaFunction::Min: return min;
    case TxlsFormulaFunction::Max: return max;
    default: return sum;
  }
}

// ---- the run's steps ----

TxlsSheetWriter::TxlsSheetWriter(TxlsBook& book, TTessel& source, const TxlsSheetSetup& setup,
                                 const TxlsSheetEvents& events, TTesselXLS& sender)
    : book_(book), source_(source), setup_(setup), options_(setup.Options), events_(events), sender_(sender) {}

void TxlsSheetWriter::BeginExport() {
  widths_.clear();
  for (const TTesselColumn& column : source_.Columns()) widths_.push_back(std::max(0, column.Width));
  PrepareAggregates();
  PrepareFormats();
  BeginPart();
}

void TxlsSheetWriter::PrepareAggregates() {
  const TTesselColumns& columns = source_.Columns();
  groups_.clear();
  controlColumn_ = -1;
  controlSeen_ = false;
  aggregates_.clear();
  aggregateOfColumn_.assign(static_cast<size_t>(columns.Count()), -1);
  for (int i = 0; i < columns.Count(); ++i) {
    const TTesselColumn& column = columns[i];
    if (!options_.SubAggControlColumn.empty() && SameText(column.Name, options_.SubAggControlColumn) &&
        controlColumn_ < 0)
      controlColumn_ = i;
    const TxlsFieldFormat* format = options_.FieldFormats.Find(column.Name);
    if (format != nullptr && format->Aggregate != aggNone) {
      aggregateOfColumn_[static_cast<size_t>(i)] = static_cast<int>(aggregates_.size());
      TAggregateColumn aggregate;
      aggregate.column = i;
      aggregate.function = FunctionOf(format->Aggregate);
      aggregates_.push_back(aggregate);
    }
  }
}

void TxlsSheetWriter::PrepareFormats() {
  TxlsFormatTables& tables = book_.Workbook().Formats();
  const TTesselColumns& columns = source_.Columns();
  const TTesselFormats& formats = source_.Formats();
  const TxlsFont& dataFont = options_.DataFormat.Font;
  for (const WideString* pattern : {&formats.CurrencyFormat(), &formats.DateTimeFormat(), &formats.FloatFormat(),
                                    &formats.IntegerFormat(), &formats.TimeFormat()})
    tables.GetXFIndex(*pattern, nullptr, dataFont);
  const int count = columns.Count();
  const TxlsFormats& strips = options_.StripStyles;
  const int styles = static_cast<int>(strips.size());
  fieldXF_.clear();
  stripXF_.clear();
  if (styles > 0 && options_.StripType == ssColumn) {
    for (int c = 0; c < count; ++c)
      stripXF_[c] = tables.GetXFIndex(columns[c].Format, &strips[static_cast<size_t>(c % styles)], dataFont);
  } else if (styles > 0 && options_.StripType == ssRow) {
    for (int s = 0; s < styles; ++s)
      for (int c = 0; c < count; ++c)
        stripXF_[c + s * 1000] = tables.GetXFIndex(columns[c].Format, &strips[static_cast<size_t>(s)], dataFont);
  }
  if (options_.StripType == ssNone || styles == 0) {
    for (const TTesselColumn& column : columns) {
      const uint16_t xf = tables.GetXFIndex(column.Format, options_.FieldFormats.Find(column.Name), dataFont);
      if (xf != TxlsFormatTables::kDefaultXF) fieldXF_.emplace(UpperCase(column.Name), xf);
    }
  }
  dataColumns_.StartDataCol = options_.StartDataCol;
  dataColumns_.Names.clear();
  for (const TTesselColumn& column : columns) dataColumns_.Names.push_back(column.Name);
  columnXF_.clear();
  for (const TTesselColumn& column : columns) {
    auto found = fieldXF_.find(UpperCase(column.Name));
    columnXF_.push_back(found == fieldXF_.end() ? TxlsFormatTables::kDefaultXF : found->second);
  }
}

void TxlsSheetWriter::WriteCaptionRow() {
  WriteCaptions();
  firstDataRow_ = row_;
  groupStart_ = row_;
}

void TxlsSheetWriter::WriteDataRow() {
  bool accept = true;
  if (events_.OnAdvancedBeforeExportRow) events_.OnAdvancedBeforeExportRow(sender_, setup_.Index, source_.Row(), accept);
  if (!accept) return;
  GroupRecord();
  if (row_ + ReservedRows() >= TxlsWorkbook::kMaxRows) {
    FinishPart(false);
    BeginPart();
    if (controlColumn_ >= 0) groupStart_ = row_;
  }
  WriteCellsLeftOfData();
  const TTesselColumns& columns = source_.Columns();
  TTesselRow& row = source_.Row();
  for (int i = 0; i < row.Count() && i < columns.Count(); ++i) {
    const WideString& text = columns.IsNull(i) ? source_.Formats().NullString() : row[i].Text;
    if (!events_.OnAdvancedGetExportText) {
      WriteDataCell(i, text);
      continue;
    }
    WideString changed = text;
    events_.OnAdvancedGetExportText(sender_, setup_.Index, i, changed);
    WriteDataCell(i, changed);
  }
  ++row_;
  ++records_;
  if (events_.OnAdvancedRecordExported) events_.OnAdvancedRecordExported(sender_, setup_.Index, records_);
}

void TxlsSheetWriter::Finish() {
  if (book_.Workbook().InSheet()) FinishPart(true);
}

// ---- sheet parts ----

int TxlsSheetWriter::ReservedRows() const {
  const int footer = options_.FooterRows > 0 ? options_.FooterRows : source_.Footer.Count();
  return std::min(footer, 1000) + (aggregates_.empty() ? 0 : 1) + (controlColumn_ >= 0 ? 1 : 0);
}

std::vector<std::pair<uint16_t, uint16_t>> TxlsSheetWriter::ColInfoWidths(bool measured) const {
  std::vector<std::pair<uint16_t, uint16_t>> widths;
  for (size_t i = 0; i < widths_.size(); ++i) {
    const double characters = widths_[i];
    const double width = measured ? characters * 256 : std::round((characters + 1 + 1.0 / book_.ZeroWidth()) * 256);
    widths.emplace_back(static_cast<uint16_t>(options_.StartDataCol + static_cast<int>(i)),
                        static_cast<uint16_t>(std::min<double>(width, kMaxWidth)));
  }
  return widths;
}

void TxlsSheetWriter::BeginPart() {
  ++part_;
  const WideString title = book_.TakeTitle(setup_.Title, part_);
  TxlsSheetHead head;
  head.DefColWidth = options_.DefColWidth;
  head.DefRowHeight = options_.DefRowHeight;
  head.PageHeader = options_.PageHeader;
  head.PageFooter = options_.PageFooter;
  head.ColumnWidths = ColInfoWidths(false);
  head.Background = xls::BackgroundBitmap(setup_.Items.Background);
  book_.Workbook().BeginSheet(setup_.Index, title, head);
  dataColumns_.Rows.assign(dataColumns_.Names.size(), {-1, -1});
  row_ = 0;
  WriteLines(source_.Header, options_.HeaderRows, options_.HeaderFormat, events_.OnGetHeaderParams);
  if (part_ > 1 && source_.AllowCaptions) WriteCaptions();
  firstDataRow_ = row_;
  groupStart_ = row_;
  groups_.clear();
  for (TAggregateColumn& aggregate : aggregates_) aggregate.Reset();
  if (row_ + ReservedRows() >= TxlsWorkbook::kMaxRows)
    throw Exception(xls::SheetError(setup_.Title, u"başlık satırları sayfaya sığmıyor"));
}

void TxlsSheetWriter::FinishPart(bool last) {
  WriteAggregateRow();
  if (options_.AutoCalcColWidth) book_.Workbook().RewriteColumnWidths(ColInfoWidths(true));
  if (last) WriteLines(source_.Footer, options_.FooterRows, options_.FooterFormat, events_.OnGetFooterParams);
  const xls::TxlsSheetObjects objects{
      setup_.Items,
      options_.DataFormat.Font,
      source_.Formats().DateTimeFormat(),
      {options_.StartDataCol, widths_, options_.DefColWidth, options_.DefRowHeight, book_.ZeroWidth()},
      dataColumns_};
  book_.Workbook().EndSheet(book_.FirstSheet(), xls::SheetTail(book_, objects, part_ == 1, last));
  book_.SheetWritten();
}

// ---- cells ----

uint16_t TxlsSheetWriter::XFIndex(const WideString& formatText, const TxlsFormat& format) {
  return book_.Workbook().Formats().GetXFIndex(formatText, &format, options_.DataFormat.Font);
}

void TxlsSheetWriter::WriteLines(const TStringList& lines, int count, const TxlsFormat& format,
                                 const TxlsSheetEvents::TGetHeaderFooterParamsEvent& event) {
  const int total = count > 0 ? count : lines.Count();
  for (int k = 0; k < total && row_ < TxlsWorkbook::kMaxRows; ++k) {
    const std::vector<WideString> pieces = SplitAtTabs(k < lines.Count() ? lines[k] : WideString());
    const int columns =
        event ? TxlsWorkbook::kMaxColumns : std::min<int>(static_cast<int>(pieces.size()), TxlsWorkbook::kMaxColumns);
    for (int c = 0; c < columns; ++c) {
      WideString text = c < static_cast<int>(pieces.size()) ? pieces[static_cast<size_t>(c)] : WideString();
      TxlsFormat working = format;
      if (event) event(sender_, setup_.Index, c, row_, working, text);
      if (text.empty()) continue;
      book_.Workbook().WriteText(row_, c, XFIndex(u"General", working), text);
    }
    ++row_;
  }
}

void TxlsSheetWriter::WriteCellsLeftOfData() {
  if (!events_.OnGetBeforeDataParams) return;
  for (int c = 0; c < options_.StartDataCol; ++c) {
    TxlsFormat working = options_.DataFormat;
    WideString text;
    events_.OnGetBeforeDataParams(sender_, setup_.Index, c, row_, working, text);
    if (!text.empty()) book_.Workbook().WriteText(row_, c, XFIndex(u"General", working), text);
  }
}

void TxlsSheetWriter::WriteCaptions() {
  WriteCellsLeftOfData();
  const TTesselColumns& columns = source_.Columns();
  for (int i = 0; i < columns.Count(); ++i) {
    TxlsFormat working = options_.CaptionsFormat;
    WideString caption = columns[i].Caption;
    const int col = options_.StartDataCol + i;
    if (events_.OnGetCaptionParams) events_.OnGetCaptionParams(sender_, setup_.Index, col, working, caption);
    if (caption.empty()) continue;
    const uint16_t xf = IsDefaultFormat(working) ? TxlsFormatTables::kDefaultXF : XFIndex(u"General", working);
    book_.Workbook().WriteText(row_, col, xf, caption);
    FeedWidth(i, caption, xf);
  }
  ++row_;
}

void TxlsSheetWriter::GroupRecord() {
  if (controlColumn_ < 0) return;
  const WideString& text = source_.Row()[controlColumn_].Text;
  if (!controlSeen_) {
    controlSeen_ = true;
    controlText_ = text;
    groupStart_ = row_;
    return;
  }
  if (text == controlText_) return;
  controlText_ = text;
  if (row_ > groupStart_) {
    TGroup group;
    group.start = groupStart_;
    group.row = row_;
    for (TAggregateColumn& aggregate : aggregates_) {
      group.results.push_back(aggregate.Result());
      aggregate.Reset();
    }
    groups_.push_back(std::move(group));
    ++row_;
  }
  groupStart_ = row_;
}

void TxlsSheetWriter::WriteDataCell(int column, const WideString& text) {
  TxlsWorkbook& workbook = book_.Workbook();
  const TTesselFormats& formats = source_.Formats();
  const TTesselColumn& info = source_.Columns()[column];
  const int col = options_.StartDataCol + column;
  const uint16_t xf = DataCellXF(column);
  const int aggregate = aggregateOfColumn_[static_cast<size_t>(column)];
  auto& rows = dataColumns_.Rows[static_cast<size_t>(column)];
  if (rows.first < 0) rows.first = row_;
  rows.second = row_;
  FeedWidth(column, text, xf);
  if (text.empty()) {
    workbook.WriteBlank(row_, col, xf);
    return;
  }
  if (text == formats.NullString()) {
    workbook.WriteText(row_, col, xf, text);
    return;
  }
  double number = 0;
  switch (info.ColType) {
    case ectBoolean: workbook.WriteBoolean(row_, col, xf, SameText(text, formats.BooleanTrue())); return;
    case ectInteger:
    case ectBigint:
    case ectFloat:
    case ectCurrency:
      if (!NumberOf(source_.Row()[column].Value, number)) break;
      workbook.WriteNumber(row_, col, xf, number);
      if (aggregate >= 0) aggregates_[static_cast<size_t>(aggregate)].Add(number);
      return;
    case ectDate:
    case ectTime:
    case ectDateTime: {
      if (!NumberOf(source_.Row()[column].Value, number)) break;
      const std::optional<double> serial = ExcelDateSerial(number);
      if (!serial) break;
      workbook.WriteNumber(row_, col, xf, *serial);
      if (aggregate >= 0) aggregates_[static_cast<size_t>(aggregate)].Add(*serial);
      return;
    }
    default: break;
  }
  workbook.WriteText(row_, col, xf, text);
}

uint16_t TxlsSheetWriter::DataCellXF(int column) {
  uint16_t xf = columnXF_[static_cast<size_t>(column)];
  if (xf == TxlsFormatTables::kDefaultXF && !stripXF_.empty()) {
    const int styles = std::max<int>(1, static_cast<int>(options_.StripStyles.size()));
    const int key = options_.StripType == ssColumn ? column : column + (records_ % styles) * 1000;
    auto found = stripXF_.find(key);
    if (found != stripXF_.end()) xf = found->second;
  }
  if (!events_.OnGetDataParams) return xf;
  TxlsFormatTables& tables = book_.Workbook().Formats();
  TxlsFormat working;
  WideString formatText;
  if (xf == TxlsFormatTables::kDefaultXF) {
    working = options_.DataFormat;
    formatText = u"General";
  } else {
    working = tables.FormatOf(xf);
    formatText = tables.FormatTextOf(xf);
  }
  events_.OnGetDataParams(sender_, setup_.Index, options_.StartDataCol + column, row_, working, formatText);
  if (formatText.empty()) formatText = source_.Columns()[column].Format;
  return XFIndex(formatText, working);
}

void TxlsSheetWriter::FeedWidth(int column, const WideString& text, uint16_t xf) {
  if (!options_.AutoCalcColWidth || column < 0 || column >= static_cast<int>(widths_.size())) return;
  const int pixels = book_.TextPixels(xf, text);
  const int characters = (pixels + book_.ZeroWidth() - 1) / book_.ZeroWidth();
  int& width = widths_[static_cast<size_t>(column)];
  width = std::max(width, characters);
}

void TxlsSheetWriter::WriteAggregateRow() {
  if (aggregates_.empty() && !events_.OnGetAggregateParams) return;
  TxlsWorkbook& workbook = book_.Workbook();
  const TTesselColumns& columns = source_.Columns();
  const int first = groups_.empty() ? firstDataRow_ : groups_.back().row + 1;
  bool written = false;
  for (int i = 0; i < columns.Count(); ++i) {
    const int col = options_.StartDataCol + i;
    const int index = aggregateOfColumn_[static_cast<size_t>(i)];
    TxlsFormat working = options_.AggregateFormat;
    WideString value;
    if (index < 0) {
      if (!events_.OnGetAggregateParams) continue;
      WideString formatText = u"General";
      events_.OnGetAggregateParams(sender_, setup_.Index, i, working, formatText, value);
      if (value.empty()) continue;
      const uint16_t xf = XFIndex(u"General", working);
      workbook.WriteText(row_, col, xf, value);
      FeedWidth(i, value, xf);
      written = true;
      continue;
    }
    WideString formatText = columns[i].Format.empty() ? WideString(u"General") : columns[i].Format;
    if (events_.OnGetAggregateParams) events_.OnGetAggregateParams(sender_, setup_.Index, i, working, formatText, value);
    if (formatText.empty()) formatText = u"General";
    const uint16_t xf = formatText == u"General" && IsDefaultFormat(working) ? TxlsFormatTables::kDefaultXF
                                                                             : XFIndex(formatText, working);
    const TAggregateColumn& aggregate = aggregates_[static_cast<size_t>(index)];
    for (const TGroup& group : groups_)
      if (group.row > group.start)
        workbook.WriteFormula(group.row, col, xf, aggregate.function, group.start, group.row - 1,
                              group.results[static_cast<size_t>(index)]);
    // No formula over no rows.
    if (row_ > first) {
      workbook.WriteFormula(row_, col, xf, aggregate.function, first, row_ - 1, aggregate.Result());
      written = true;
    }
  }
  if (written) ++row_;
}

}  // namespace verimo
