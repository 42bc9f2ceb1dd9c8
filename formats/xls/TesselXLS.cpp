#include "formats/xls/TesselXLS.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <map>
#include <optional>
#include <set>
#include <system_error>

#include "core/Exception.h"
#include "core/ScopeExit.h"
#include "engine/SpreadsheetFormat.h"
#include "engine/TesselIniFile.h"
#include "engine/TesselLocale.h"
#include "formats/xls/XlsSheetItems.h"
#include "formats/xls/XlsSst.h"
#include "platform/images/Picture.h"
#include "resources/StringTable.h"

namespace verimo {

namespace fs = std::filesystem;

namespace {

constexpr char16_t kSection[] = u"XLS";
constexpr int kMaxWidth = 0xFFFF;

WideString SheetError(const WideString& title, const WideString& message) {
  return title + u" sayfasında hata oluştu: " + message;
}

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

TFontDescription SpecOf(const TxlsFont& font) {
  return TFontDescription::FromPoints(font.Name, font.Size, font.Has(xfsBold), font.Has(xfsItalic));
}

}  // namespace

// ---- TxlsSheet ----

TxlsSheet::TxlsSheet(int number) : Title(u"Sheet " + IntToWide(number)) {}

void TxlsSheet::LoadFromExporter(const TTesselXLS& exporter) {
  Title = exporter.Options.SheetTitle;
  static_cast<TxlsSheetItems&>(*this) = exporter;
  Options = exporter.Options;
  FieldFormats = exporter.FieldFormats;
  StripStyles = exporter.StripStyles;
  StripType = exporter.StripType;
  SubAggControlColumn = exporter.SubAggControlColumn;
  AutoCalcColWidth = exporter.AutoCalcColWidth;
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
  Formats.Assign(exporter.Formats());
  UserFormats = exporter.UserFormats;
  ColumnsWidth = exporter.ColumnsWidth;
  HeaderRows = exporter.HeaderRows;
  StartDataCol = exporter.StartDataCol;
  FooterRows = exporter.FooterRows;
  AllowCaptions = exporter.AllowCaptions;
  GoToFirstRecord = exporter.GoToFirstRecord;
  ExportRecCount = exporter.ExportRecCount;
  SkipRecCount = exporter.SkipRecCount;
  CurrentRecordOnly = exporter.CurrentRecordOnly;
  OnlyVisibleFields = exporter.OnlyVisibleFields;
  AutoCalcStrType = exporter.AutoCalcStrType;
  CaptionRow = exporter.CaptionRow;
}

void TxlsSheet::SaveToExporter(TTesselXLS& exporter) const {
  static_cast<TxlsSheetItems&>(exporter) = *this;
  exporter.Options = Options;
  exporter.FieldFormats = FieldFormats;
  exporter.StripStyles = StripStyles;
  exporter.StripType = StripType;
  exporter.SubAggControlColumn = SubAggControlColumn;
  exporter.AutoCalcColWidth = AutoCalcColWidth;
  exporter.ExportSource = ExportSource;
  exporter.DataSet = DataSet;
  exporter.CustomSource = CustomSource;
  exporter.ListView = ListView;
  exporter.DBGrid = DBGrid;
  exporter.StringGrid = StringGrid;
  exporter.ExportedFields = ExportedFields;
  exporter.Header = Header;
  exporter.Captions = Captions;
  exporter.Footer = Footer;
  exporter.Formats().Assign(Formats);
  exporter.UserFormats = UserFormats;
  exporter.ColumnsWidth = ColumnsWidth;
  exporter.HeaderRows = HeaderRows;
  exporter.StartDataCol = StartDataCol;
  exporter.FooterRows = FooterRows;
  exporter.AllowCaptions = AllowCaptions;
  exporter.GoToFirstRecord = GoToFirstRecord;
  exporter.ExportRecCount = ExportRecCount;
  exporter.SkipRecCount = SkipRecCount;
  exporter.CurrentRecordOnly = CurrentRecordOnly;
  exporter.OnlyVisibleFields = OnlyVisibleFields;
  exporter.AutoCalcStrType = AutoCalcStrType;
  exporter.CaptionRow = CaptionRow;
}

// ---- run state ----

struct TTesselXLS::TAggregateColumn {
  int column = 0;
  TxlsFormulaFunction function = TxlsFormulaFunction::Sum;
  double sum = 0;
  double min = 0;
  double max = 0;
  int count = 0;

  void Add(double value) {
    sum += value;
    min = count == 0 ? value : std::min(min, value);
    max = count == 0 ? value : std::max(max, value);
    ++count;
  }
  double Result() const {
    if (count == 0) return 0;
    switch (function) {
      case TxlsFormulaFunction::Average: return sum / count;
      case TxlsFormulaFunction::Min: return min;
      case TxlsFormulaFunction::Max: return max;
      default: return sum;
    }
  }
  void Reset() { *this = TAggregateColumn{column, function}; }
};

struct TTesselXLS::TRun {
  struct TGroup {
    int start = 0;
    int row = 0;
    std::vector<double> results;
  };

  TxlsWorkbook workbook;
  TSpreadsheetPatternContext patterns;
  bool autoWidth = false;
  int zeroWidth = 7;  // pixels of "0" in arial 10
  // Per XF, met so far: the font its texts are measured in, and the width
  // of the "I" a column leaves room for beside its widest text.
  struct TMeasuredFont {
    TFontDescription font;
    int margin = 0;
  };
  std::vector<std::optional<TMeasuredFont>> measuredFonts;
  std::set<WideString> usedTitles;

  TxlsSheet* sheet = nullptr;
  int sheetIndex = 0;
  int part = 0;
  int row = 0;
  int firstDataRow = 0;
  int records = 0;  // written in this sheet, all parts
  bool firstSheetWritten = false;
  std::vector<int> widths;                // characters per column
  std::map<WideString, uint16_t> fieldXF;  // per field name, upper-cased
  std::vector<uint16_t> columnXF;          // the field XF of each column, 15 for none
  std::map<int, uint16_t> stripXF;
  std::vector<TAggregateColumn> aggregates;
  std::vector<int> aggregateOfColumn;  // -1 when the column has none
  std::vector<TGroup> groups;
  int controlColumn = -1;
  bool controlSeen = false;
  WideString controlText;
  int groupStart = 0;

  // The items: the column names and the rows each column's data cells take
  // on the sheet being written (-1 while none), the picture store with the
  // store position (1-based, -1 when not stored) and pixel size of every
  // picture, and the shape count of every drawing written.
  std::vector<WideString> columnNames;
  std::vector<std::pair<int, int>> columnRows;
  std::vector<xls::TxlsStoredPicture> store;
  std::vector<int> blipOfPicture;
  std::vector<TPictureInfo> pictureSizes;
  std::vector<size_t> drawingShapes;
  bool anyChart = false;
};

TTesselXLS::TTesselXLS() { published_.ColumnsWidth = true; }
TTesselXLS::~TTesselXLS() = default;

std::unique_ptr<TTesselWriter> TTesselXLS::GetWriterClass(TStream& stream) {
  return std::make_unique<TTesselXLSWriter>(this, &stream);
}

TTextMeasurer& TTesselXLS::Measurer() {
  if (TextMeasurer) return *TextMeasurer;
  if (!ownMeasurer_) ownMeasurer_ = CreateSystemTextMeasurer();
  return *ownMeasurer_;
}

// ---- the run ----

void TTesselXLS::CheckSheet(TxlsSheet& sheet) {
  sheet.SaveToExporter(*this);
  try {
    CheckSource();
  } catch (const Exception& error) {
    throw Exception(SheetError(sheet.Title, error.Message()));
  }
  const TTesselLocale& locale = TTesselLocale::Instance();
  if (!IsActive()) throw Exception(locale.LoadMessage(res::kExportSourceClosed, {SourceKindName(ExportSource)}));
  if (!ExportEmpty && IsEmpty())
    throw Exception(locale.LoadMessage(res::kExportSourceEmpty, {SourceKindName(ExportSource)}));
  Columns().Build(false);
  const int columns = Columns().Count();
  if (StartDataCol < 0 || StartDataCol + columns > TxlsWorkbook::kMaxColumns)
    throw Exception(SheetError(sheet.Title, IntToWide(StartDataCol) + u" + " + IntToWide(columns) +
                                                u" sütun bir sayfanın 256 sütununa sığmıyor"));
}

TTesselTextLimits TTesselXLS::TextLimits() const {
  TTesselTextLimits limits = TTesselFormatText::TextLimits();
  limits.maxTextLength = TsstStrings::kMaxLength;
  return limits;
}

void TTesselXLS::Execute() {
  if (FileName.empty()) throw Exception(u"Result file name not present");
  Losses().Clear();
  {
    std::error_code ec;
    const fs::path dir = TargetDirectory();
    if (!fs::is_directory(dir, ec)) fs::create_directories(dir, ec);
    if (!fs::is_directory(dir, ec))
      throw Exception(TTesselLocale::Instance().LoadMessage(res::kFolderNotCreated, {Utf8ToWide(dir.string())}));
  }
  // The exporter's own settings come back after the sheets borrowed it.
  TxlsSheet own;
  own.LoadFromExporter(*this);
  TScopeExit restore([this, &own] { own.SaveToExporter(*this); });

  std::vector<TxlsSheet*> sheets;
  for (const auto& sheet : Sheets)
    if (sheet && sheet->Exported) sheets.push_back(sheet.get());
  std::unique_ptr<TxlsSheet> temporary;
  if (sheets.empty()) {
    temporary = std::make_unique<TxlsSheet>();
    temporary->LoadFromExporter(*this);
    sheets.push_back(temporary.get());
  }
  for (TxlsSheet* sheet : sheets) CheckSheet(*sheet);

  run_ = std::make_unique<TRun>();
  TScopeExit closeRun([this] {
    if (run_) run_->workbook.CloseWorkbookFile();
    run_.reset();
  });
  PreparePictures(sheets);
  run_->workbook.OpenWorkbookFile(TargetDirectory() / fs::path(FileName).filename());
  run_->workbook.BeginWorkbook();
  run_->patterns = TSpreadsheetPatternContext::FromGlobalSettings(Formats().DateSeparator, Formats().TimeSeparator);
  run_->zeroWidth = std::max(1, Measurer().TextWidth(SpecOf(TxlsFont()), u"0"));

  TNotifyEvent onBegin = std::move(OnBeginExport);
  TNotifyEvent onEnd = std::move(OnEndExport);
  OnBeginExport = nullptr;
  OnEndExport = nullptr;
  TScopeExit events([this, &onBegin, &onEnd] {
    OnBeginExport = std::move(onBegin);
    OnEndExport = std::move(onEnd);
  });
  if (onBegin) onBegin(*this);
  for (size_t i = 0; i < sheets.size() && !Aborted(); ++i) ExportSheet(static_cast<int>(i), *sheets[i]);
  run_->workbook.SetExternSheets(run_->anyChart);
  if (!run_->drawingShapes.empty())
    run_->workbook.SetDrawingGroup(xls::BuildDrawingGroup(run_->drawingShapes, run_->store));
  run_->workbook.WriteGlobals(run_->patterns);
  lastSstBytes_ = run_->workbook.Sst().StringBytes();
  if (onEnd) onEnd(*this);
  run_->workbook.CloseWorkbookFile();
  run_.reset();
  own.SaveToExporter(*this);
  ShowResult();
}

void TTesselXLS::ExportSheet(int index, TxlsSheet& sheet) {
  TRun& run = *run_;
  if (OnBeforeExportSheet) OnBeforeExportSheet(*this, index);
  sheet.SaveToExporter(*this);
  run.autoWidth = sheet.AutoCalcColWidth;
  AutoCalcColWidth = false;  // the base's measuring pass is not wanted
  run.sheet = &sheet;
  run.sheetIndex = index;
  run.part = 0;
  run.records = 0;
  TNullStream nothing;
  {
    // Each sheet is a run of its own; what they lose adds up.
    const TLossTally earlier = Losses();
    TScopeExit addUp([this, &earlier] {
      const TLossTally sheet = Losses();
      Losses() = earlier;
      Losses().AddAll(sheet);
    });
    ExportToStream(nothing);
  }
  if (run.workbook.InSheet()) FinishSheetPart(true);
  if (OnAfterExportSheet) OnAfterExportSheet(*this, index);
}

void TTesselXLS::BeginExport() {
  TTesselFormatText::BeginExport();
  TRun& run = *run_;
  run.widths.clear();
  for (const TTesselColumn& column : Columns()) run.widths.push_back(std::max(0, column.Width));
  run.fieldXF.clear();
  run.stripXF.clear();
  run.groups.clear();
  run.controlColumn = -1;
  run.controlSeen = false;
  run.aggregates.clear();
  run.aggregateOfColumn.assign(static_cast<size_t>(Columns().Count()), -1);
  for (int i = 0; i < Columns().Count(); ++i) {
    const TTesselColumn& column = Columns()[i];
    if (!SubAggControlColumn.empty() && SameText(column.Name, SubAggControlColumn) && run.controlColumn < 0)
      run.controlColumn = i;
    const TxlsFieldFormat* format = FieldFormats.Find(column.Name);
    if (format != nullptr && format->Aggregate != aggNone) {
      run.aggregateOfColumn[static_cast<size_t>(i)] = static_cast<int>(run.aggregates.size());
      TAggregateColumn aggregate;
      aggregate.column = i;
      aggregate.function = FunctionOf(format->Aggregate);
      run.aggregates.push_back(aggregate);
    }
  }
  PrepareSheetFormats();
  BeginSheetPart();
}

void TTesselXLS::PrepareSheetFormats() {
  TRun& run = *run_;
  TxlsFormatTables& tables = run.workbook.Formats();
  const TxlsFont& dataFont = Options.DataFormat.Font;
  for (const WideString* pattern : {&Formats().CurrencyFormat(), &Formats().DateTimeFormat(), &Formats().FloatFormat(),
                                    &Formats().IntegerFormat(), &Formats().TimeFormat()})
    tables.GetXFIndex(*pattern, nullptr, dataFont);
  const int count = Columns().Count();
  const int styles = static_cast<int>(StripStyles.size());
  if (styles > 0 && StripType == ssColumn) {
    for (int c = 0; c < count; ++c)
      run.stripXF[c] = tables.GetXFIndex(Columns()[c].Format, &StripStyles[static_cast<size_t>(c % styles)], dataFont);
  } else if (styles > 0 && StripType == ssRow) {
    for (int s = 0; s < styles; ++s)
      for (int c = 0; c < count; ++c)
        run.stripXF[c + s * 1000] = tables.GetXFIndex(Columns()[c].Format, &StripStyles[static_cast<size_t>(s)], dataFont);
  }
  if (StripType == ssNone || styles == 0) {
    for (const TTesselColumn& column : Columns()) {
      const uint16_t xf = tables.GetXFIndex(column.Format, FieldFormats.Find(column.Name), dataFont);
      if (xf != TxlsFormatTables::kDefaultXF) run.fieldXF.emplace(UpperCase(column.Name), xf);
    }
  }
  run.columnNames.clear();
  for (const TTesselColumn& column : Columns()) run.columnNames.push_back(column.Name);
  run.columnXF.clear();
  for (const TTesselColumn& column : Columns()) {
    auto found = run.fieldXF.find(UpperCase(column.Name));
    run.columnXF.push_back(found == run.fieldXF.end() ? TxlsFormatTables::kDefaultXF : found->second);
  }
}

int TTesselXLS::ReservedRows() const {
  const int footer = FooterRows > 0 ? FooterRows : Footer.Count();
  return std::min(footer, 1000) + (run_->aggregates.empty() ? 0 : 1) + (run_->controlColumn >= 0 ? 1 : 0);
}

std::vector<std::pair<uint16_t, uint16_t>> TTesselXLS::ColInfoWidths(bool measured) const {
  std::vector<std::pair<uint16_t, uint16_t>> widths;
  for (size_t i = 0; i < run_->widths.size(); ++i) {
    const double characters = run_->widths[i];
    const double width = measured ? characters * 256 : std::round((characters + 1 + 1.0 / run_->zeroWidth) * 256);
    widths.emplace_back(static_cast<uint16_t>(StartDataCol + static_cast<int>(i)),
                        static_cast<uint16_t>(std::min<double>(width, kMaxWidth)));
  }
  return widths;
}

void TTesselXLS::BeginSheetPart() {
  TRun& run = *run_;
  ++run.part;
  // A title the workbook has not used yet; a continued sheet gets " (n)".
  const WideString base = SafeSheetTitle(run.sheet->Title);
  WideString title = base;
  for (int n = run.part; n < 100000; ++n) {
    if (n > 1) {
      const WideString suffix = u" (" + IntToWide(n) + u")";
      title = SafeSheetTitle(CutText(base, 31 - suffix.size()) + suffix);
    }
    if (!run.usedTitles.contains(UpperCase(title))) break;
  }
  run.usedTitles.insert(UpperCase(title));
  TxlsSheetHead head;
  head.DefColWidth = run.sheet->DefColWidth;
  head.DefRowHeight = run.sheet->DefRowHeight;
  head.PageHeader = Options.PageHeader;
  head.PageFooter = Options.PageFooter;
  head.ColumnWidths = ColInfoWidths(false);
  head.Background = BackgroundBitmap(Background);
  run.workbook.BeginSheet(run.sheetIndex, title, head);
  run.columnRows.assign(run.columnNames.size(), {-1, -1});
  run.row = 0;
  WriteLines(Header, HeaderRows, Options.HeaderFormat, OnGetHeaderParams);
  if (run.part > 1 && AllowCaptions) WriteCaptions();
  run.firstDataRow = run.row;
  run.groupStart = run.row;
  run.groups.clear();
  for (TAggregateColumn& aggregate : run.aggregates) aggregate.Reset();
  if (run.row + ReservedRows() >= TxlsWorkbook::kMaxRows)
    throw Exception(SheetError(run.sheet->Title, u"başlık satırları sayfaya sığmıyor"));
}

void TTesselXLS::FinishSheetPart(bool last) {
  TRun& run = *run_;
  WriteAggregateRow();
  if (run.autoWidth) run.workbook.RewriteColumnWidths(ColInfoWidths(true));
  if (last) WriteLines(Footer, FooterRows, Options.FooterFormat, OnGetFooterParams);
  run.workbook.EndSheet(!run.firstSheetWritten, SheetTail(run.part == 1, last));
  run.firstSheetWritten = true;
}

void TTesselXLS::WriteLines(const TStringList& lines, int count, const TxlsFormat& format,
                            const TGetHeaderFooterParamsEvent& event) {
  TRun& run = *run_;
  const int total = count > 0 ? count : lines.Count();
  TxlsFormatTables& tables = run.workbook.Formats();
  for (int k = 0; k < total && run.row < TxlsWorkbook::kMaxRows; ++k) {
    const std::vector<WideString> pieces = SplitAtTabs(k < lines.Count() ? lines[k] : WideString());
    const int columns = event ? TxlsWorkbook::kMaxColumns : std::min<int>(static_cast<int>(pieces.size()), TxlsWorkbook::kMaxColumns);
    for (int c = 0; c < columns; ++c) {
      WideString text = c < static_cast<int>(pieces.size()) ? pieces[static_cast<size_t>(c)] : WideString();
      TxlsFormat working = format;
      if (event) event(*run.sheet, run.sheetIndex, c, run.row, working, text);
      if (text.empty()) continue;
      run.workbook.WriteText(run.row, c, tables.GetXFIndex(u"General", &working, Options.DataFormat.Font), text);
    }
    ++run.row;
  }
}

void TTesselXLS::WriteCellsLeftOfData() {
  if (!OnGetBeforeDataParams) return;
  TRun& run = *run_;
  for (int c = 0; c < StartDataCol; ++c) {
    TxlsFormat working = Options.DataFormat;
    WideString text;
    OnGetBeforeDataParams(*run.sheet, run.sheetIndex, c, run.row, working, text);
    if (!text.empty())
      run.workbook.WriteText(run.row, c, run.workbook.Formats().GetXFIndex(u"General", &working, Options.DataFormat.Font), text);
  }
}

void TTesselXLS::WriteCaptionRow() {
  WriteCaptions();
  run_->firstDataRow = run_->row;
  run_->groupStart = run_->row;
}

void TTesselXLS::WriteCaptions() {
  TRun& run = *run_;
  WriteCellsLeftOfData();
  for (int i = 0; i < Columns().Count(); ++i) {
    TxlsFormat working = Options.CaptionsFormat;
    WideString caption = Columns()[i].Caption;
    const int col = StartDataCol + i;
    if (OnGetCaptionParams) OnGetCaptionParams(*run.sheet, run.sheetIndex, col, working, caption);
    if (caption.empty()) continue;
    const uint16_t xf = IsDefaultFormat(working) ? TxlsFormatTables::kDefaultXF
                                                 : run.workbook.Formats().GetXFIndex(u"General", &working, Options.DataFormat.Font);
    run.workbook.WriteText(run.row, col, xf, caption);
    FeedWidth(i, caption, xf);
  }
  ++run.row;
}

void TTesselXLS::GroupRecord() {
  TRun& run = *run_;
  if (run.controlColumn < 0) return;
  const WideString& text = Row()[run.controlColumn].Text;
  if (!run.controlSeen) {
    run.controlSeen = true;
    run.controlText = text;
    run.groupStart = run.row;
    return;
  }
  if (text == run.controlText) return;
  run.controlText = text;
  if (run.row > run.groupStart) {
    TRun::TGroup group;
    group.start = run.groupStart;
    group.row = run.row;
    for (TAggregateColumn& aggregate : run.aggregates) {
      group.results.push_back(aggregate.Result());
      aggregate.Reset();
    }
    run.groups.push_back(std::move(group));
    ++run.row;
  }
  run.groupStart = run.row;
}

void TTesselXLS::WriteDataRow() {
  TRun& run = *run_;
  bool accept = true;
  if (OnAdvancedBeforeExportRow) OnAdvancedBeforeExportRow(*this, run.sheetIndex, Row(), accept);
  if (!accept) return;
  GroupRecord();
  if (run.row + ReservedRows() >= TxlsWorkbook::kMaxRows) {
    FinishSheetPart(false);
    BeginSheetPart();
    if (run.controlColumn >= 0) run.groupStart = run.row;
  }
  WriteCellsLeftOfData();
  for (int i = 0; i < Row().Count() && i < Columns().Count(); ++i) {
    const WideString& source = Columns().IsNull(i) ? Formats().NullString() : Row()[i].Text;
    if (!OnAdvancedGetExportText) {
      WriteDataCell(i, source);
      continue;
    }
    WideString text = source;
    OnAdvancedGetExportText(*this, run.sheetIndex, i, text);
    WriteDataCell(i, text);
  }
  ++run.row;
  ++run.records;
  if (OnAdvancedRecordExported) OnAdvancedRecordExported(*this, run.sheetIndex, run.records);
}

void TTesselXLS::WriteDataCell(int column, const WideString& text) {
  TRun& run = *run_;
  TxlsWorkbook& workbook = run.workbook;
  const TTesselColumn& info = Columns()[column];
  const int col = StartDataCol + column;
  const uint16_t xf = GetDataCellXF(column);
  const int aggregate = run.aggregateOfColumn[static_cast<size_t>(column)];
  auto& rows = run.columnRows[static_cast<size_t>(column)];
  if (rows.first < 0) rows.first = run.row;
  rows.second = run.row;
  FeedWidth(column, text, xf);
  if (text.empty()) {
    workbook.WriteBlank(run.row, col, xf);
    return;
  }
  if (text == Formats().NullString()) {
    workbook.WriteText(run.row, col, xf, text);
    return;
  }
  double number = 0;
  switch (info.ColType) {
    case ectBoolean: workbook.WriteBoolean(run.row, col, xf, SameText(text, Formats().BooleanTrue())); return;
    case ectInteger:
    case ectBigint:
    case ectFloat:
    case ectCurrency:
      if (!NumberOf(Row()[column].Value, number)) break;
      workbook.WriteNumber(run.row, col, xf, number);
      if (aggregate >= 0) run.aggregates[static_cast<size_t>(aggregate)].Add(number);
      return;
    case ectDate:
    case ectTime:
    case ectDateTime: {
      if (!NumberOf(Row()[column].Value, number)) break;
      const std::optional<double> serial = ExcelDateSerial(number);
      if (!serial) break;
      workbook.WriteNumber(run.row, col, xf, *serial);
      if (aggregate >= 0) run.aggregates[static_cast<size_t>(aggregate)].Add(*serial);
      return;
    }
    default: break;
  }
  workbook.WriteText(run.row, col, xf, text);
}

uint16_t TTesselXLS::GetDataCellXF(int column) {
  TRun& run = *run_;
  const TTesselColumn& info = Columns()[column];
  uint16_t xf = run.columnXF[static_cast<size_t>(column)];
  if (xf == TxlsFormatTables::kDefaultXF && !run.stripXF.empty()) {
    const int styles = std::max<int>(1, static_cast<int>(StripStyles.size()));
    const int key = StripType == ssColumn ? column : column + (run.records % styles) * 1000;
    auto found = run.stripXF.find(key);
    if (found != run.stripXF.end()) xf = found->second;
  }
  if (!OnGetDataParams) return xf;
  TxlsFormatTables& tables = run.workbook.Formats();
  TxlsFormat working;
  WideString formatText;
  if (xf == TxlsFormatTables::kDefaultXF) {
    working = Options.DataFormat;
    formatText = u"General";
  } else {
    working = tables.FormatOf(xf);
    formatText = tables.FormatTextOf(xf);
  }
  OnGetDataParams(*run.sheet, run.sheetIndex, StartDataCol + column, run.row, working, formatText);
  if (formatText.empty()) formatText = info.Format;
  return tables.GetXFIndex(formatText, &working, Options.DataFormat.Font);
}

void TTesselXLS::FeedWidth(int column, const WideString& text, uint16_t xf) {
  TRun& run = *run_;
  if (!run.autoWidth || column < 0 || column >= static_cast<int>(run.widths.size())) return;
  if (xf >= run.measuredFonts.size()) run.measuredFonts.resize(xf + 1u);
  std::optional<TRun::TMeasuredFont>& measured = run.measuredFonts[xf];
  if (!measured) {
    const TFontDescription font = SpecOf(run.workbook.Formats().FontOf(xf));
    measured = TRun::TMeasuredFont{font, Measurer().TextWidth(font, u"I")};
  }
  const int pixels = Measurer().TextWidth(measured->font, text) + measured->margin;
  const int characters = (pixels + run.zeroWidth - 1) / run.zeroWidth;
  int& width = run.widths[static_cast<size_t>(column)];
  width = std::max(width, characters);
}

void TTesselXLS::WriteAggregateRow() {
  TRun& run = *run_;
  if (run.aggregates.empty() && !OnGetAggregateParams) return;
  TxlsWorkbook& workbook = run.workbook;
  TxlsFormatTables& tables = workbook.Formats();
  const int first = run.groups.empty() ? run.firstDataRow : run.groups.back().row + 1;
  bool written = false;
  for (int i = 0; i < Columns().Count(); ++i) {
    const int col = StartDataCol + i;
    const int index = run.aggregateOfColumn[static_cast<size_t>(i)];
    TxlsFormat working = Options.AggregateFormat;
    WideString value;
    if (index < 0) {
      if (!OnGetAggregateParams) continue;
      WideString formatText = u"General";
      OnGetAggregateParams(*run.sheet, run.sheetIndex, i, working, formatText, value);
      if (value.empty()) continue;
      const uint16_t xf = tables.GetXFIndex(u"General", &working, Options.DataFormat.Font);
      workbook.WriteText(run.row, col, xf, value);
      FeedWidth(i, value, xf);
      written = true;
      continue;
    }
    WideString formatText = Columns()[i].Format.empty() ? WideString(u"General") : Columns()[i].Format;
    if (OnGetAggregateParams) OnGetAggregateParams(*run.sheet, run.sheetIndex, i, working, formatText, value);
    if (formatText.empty()) formatText = u"General";
    const uint16_t xf = formatText == u"General" && IsDefaultFormat(working)
                            ? TxlsFormatTables::kDefaultXF
                            : tables.GetXFIndex(formatText, &working, Options.DataFormat.Font);
    const TAggregateColumn& aggregate = run.aggregates[static_cast<size_t>(index)];
    for (const TRun::TGroup& group : run.groups)
      if (group.row > group.start)
        workbook.WriteFormula(group.row, col, xf, aggregate.function, group.start, group.row - 1,
                              group.results[static_cast<size_t>(index)]);
    // No formula over no rows.
    if (run.row > first) {
      workbook.WriteFormula(run.row, col, xf, aggregate.function, first, run.row - 1, aggregate.Result());
      written = true;
    }
  }
  if (written) ++run.row;
}

// ---- items: pictures, drawings, the sheet tail ----

namespace {

// The BLIP type (5 JPEG, 6 PNG, 7 DIB) and the bytes stored for a picture
// file; GIF pictures are stored as PNG (BIFF8 holds no GIF). Type 0: none.
std::pair<uint8_t, std::string> StoredForm(std::string bytes, TPictureFormat format) {
  switch (format) {
    case TPictureFormat::Jpeg: return {5, std::move(bytes)};
    case TPictureFormat::Png: return {6, std::move(bytes)};
    case TPictureFormat::Bmp: return {7, bytes.substr(14)};
    case TPictureFormat::Gif: return {6, EncodePng(DecodePicture(bytes))};
    default: return {0, {}};
  }
}

std::string GraphicBytes(const TxlsGraphic& graphic) {
  if (!graphic.Stream.empty()) return graphic.Stream;
  std::error_code ec;
  if (graphic.FileName.empty() || !fs::is_regular_file(graphic.FileName, ec)) return {};
  try {
    return ReadPictureFile(graphic.FileName);
  } catch (const Exception&) {
    return {};
  }
}

uint16_t Clamp16(long long value, int last) { return static_cast<uint16_t>(std::clamp<long long>(value, 0, last)); }

}  // namespace

// Every picture goes into the store once, in collection order, when its
// bytes are of a kind the store holds; the others are left out and images
// that show them are not written.
void TTesselXLS::PreparePictures(const std::vector<TxlsSheet*>& sheets) {
  TRun& run = *run_;
  for (const TxlsPicture& picture : Pictures) {
    TxlsPictures::CheckName(picture.Name);
    std::string bytes = GraphicBytes(picture);
    TPictureInfo info = ReadPictureInfo(bytes);
    if (!picture.Stream.empty() && picture.Width > 0 && picture.Height > 0) {
      info.Width = picture.Width;
      info.Height = picture.Height;
    }
    std::pair<uint8_t, std::string> stored{0, {}};
    try {
      stored = StoredForm(std::move(bytes), info.Format);
    } catch (const Exception&) {
      stored.first = 0;
    }
    run.pictureSizes.push_back(info);
    if (stored.first == 0) {
      run.blipOfPicture.push_back(-1);
      continue;
    }
    xls::TxlsStoredPicture entry;
    entry.Type = stored.first;
    entry.Data = std::move(stored.second);
    for (const TxlsSheet* sheet : sheets)
      for (const TxlsImage& image : sheet->Images)
        if (SameText(image.PictureName, picture.Name)) ++entry.References;
    run.store.push_back(std::move(entry));
    run.blipOfPicture.push_back(static_cast<int>(run.store.size()));
  }
}

// The BITMAP data of a sheet background: a picture stream as it is, or a
// file of a kind the platform loads, redrawn as 24-bit pixels.
std::string TTesselXLS::BackgroundBitmap(const TxlsGraphic& background) const {
  TRgbImage image;
  try {
    if (!background.Stream.empty()) {
      image = DecodePicture(background.Stream);
    } else {
      const TxlsGraphicKind kind = background.Kind();
      if (kind != TxlsGraphicKind::Jpeg && kind != TxlsGraphicKind::Gif && kind != TxlsGraphicKind::Bmp) return {};
      const std::string bytes = GraphicBytes(background);
      if (bytes.empty()) return {};
      image = DecodePicture(bytes);
    }
  } catch (const Exception&) {
    return {};
  }
  const std::string bitmap = EncodeBmp24(image);
  const size_t pixels = static_cast<uint8_t>(bitmap[10]) | static_cast<size_t>(static_cast<uint8_t>(bitmap[11])) << 8;
  TmsoBytes data;
  const size_t size = bitmap.size() - pixels;
  data.Put16(9).Put16(1).Put32(static_cast<uint32_t>(size + 12));
  data.Put32(12).Put16(static_cast<uint16_t>(image.Width)).Put16(static_cast<uint16_t>(image.Height)).Put16(1).Put16(24);
  data.PutBytes(std::string_view(bitmap).substr(pixels));
  return std::move(data.Bytes());
}

TxlsSheetTail TTesselXLS::SheetTail(bool first, bool last) {
  TxlsSheetTail tail;
  TRun& run = *run_;
  if (first) {
    tail.BeforeWindow = [this, &run](TbiffSink& sink) {
      xls::WritePresetCells(run.workbook, Cells, Options.DataFormat.Font, Formats().DateTimeFormat());
      xls::WriteMergedCells(sink, MergedCells);
      xls::WriteHyperlinkCells(run.workbook, Hyperlinks, Options.DataFormat.Font);
    };
  }
  tail.AfterSelection = [this, first, last](TbiffSink& sink) { WriteSheetObjects(sink, first, last); };
  return tail;
}

// Items placed at fixed cells go on the first sheet a sheet's rows fill;
// charts placed after the data go on the last one, where the data ends.
void TTesselXLS::WriteSheetObjects(TbiffSink& sink, bool first, bool last) {
  TRun& run = *run_;
  if (first) xls::WriteHyperlinks(sink, Hyperlinks);
  xls::TxlsSheetDrawing drawing;
  if (first) {
    for (const TxlsNote& note : Notes)
      if (note.IsValid()) drawing.Notes.push_back({&note, run.workbook.Formats().FontIndex(note.Format.Font)});
    for (const TxlsImage& image : Images) {
      const int position = Pictures.PositionOf(image.PictureName);
      if (position < 0 || run.blipOfPicture[static_cast<size_t>(position - 1)] < 0) continue;
      drawing.Images.push_back({&image, run.blipOfPicture[static_cast<size_t>(position - 1)],
                                ImageAnchor(image, run.pictureSizes[static_cast<size_t>(position - 1)])});
    }
  }
  for (const TxlsChart& chart : Charts) {
    const bool custom = chart.Position.PositionType == cptCustom;
    if (custom ? first : last) drawing.Charts.push_back(ChartShape(chart));
  }
  if (drawing.ShapeCount() == 0) return;
  run.anyChart = run.anyChart || !drawing.Charts.empty();
  run.drawingShapes.push_back(drawing.ShapeCount());
  xls::WriteDrawing(sink, static_cast<uint16_t>(run.drawingShapes.size()), drawing);
  xls::WriteNoteRecords(sink, drawing);
}

int TTesselXLS::ColumnPixels(int col) const {
  const TRun& run = *run_;
  const int index = col - StartDataCol;
  const int characters = index >= 0 && index < static_cast<int>(run.widths.size()) ? run.widths[static_cast<size_t>(index)]
                                                                                  : run.sheet->DefColWidth;
  return (characters + 1) * run.zeroWidth + 1;
}

// From the image's cell to where its picture, scaled, ends: the cell where
// the rest of the size becomes negative and the share of it covered.
mso::TAnchor TTesselXLS::ImageAnchor(const TxlsImage& image, const TPictureInfo& size) const {
  mso::TAnchor anchor;
  anchor.Flags = 2;
  anchor.FirstCol = Clamp16(image.Col, TxlsWorkbook::kMaxColumns - 1);
  anchor.FirstRow = Clamp16(image.Row, TxlsWorkbook::kMaxRows - 1);
  const double zoom = std::max(1, image.Zoom) / 100.0;
  long long rest = std::llround(zoom * size.Width);
  int col = anchor.FirstCol;
  for (;; ++col) {
    const int width = ColumnPixels(col);
    rest -= width;
    if (rest < 0 || col == TxlsWorkbook::kMaxColumns - 1) {
      anchor.LastCol = static_cast<uint16_t>(col);
      anchor.LastColOffset = Clamp16(std::llround((rest + width) * 1024.0 / width), 1023);
      break;
    }
  }
  const int rowHeight = std::max(1, static_cast<int>(run_->sheet->DefRowHeight * 20));
  rest = std::llround(zoom * size.Height) * 15;
  for (int row = anchor.FirstRow;; ++row) {
    rest -= rowHeight;
    if (rest < 0 || row == TxlsWorkbook::kMaxRows - 1) {
      anchor.LastRow = static_cast<uint16_t>(row);
      anchor.LastRowOffset = Clamp16(std::llround((rest + rowHeight) * 256.0 / rowHeight), 255);
      break;
    }
  }
  return anchor;
}

// The range a series takes its values or categories from.
xls::TxlsAreaRef TTesselXLS::ChartRange(TxlsRangeType type, const WideString& column, const TxlsDataRange& range) const {
  const TRun& run = *run_;
  xls::TxlsAreaRef area;
  if (type == rtCustom) {
    area.FirstRow = Clamp16(range.Row1 - 1, TxlsWorkbook::kMaxRows - 1);
    area.LastRow = Clamp16(range.Row2 - 1, TxlsWorkbook::kMaxRows - 1);
    area.FirstCol = Clamp16(range.Col1 - 1, TxlsWorkbook::kMaxColumns - 1);
    area.LastCol = Clamp16(range.Col2 - 1, TxlsWorkbook::kMaxColumns - 1);
    return area;
  }
  for (size_t i = 0; i < run.columnNames.size(); ++i) {
    if (!SameText(run.columnNames[i], column) || run.columnRows[i].first < 0) continue;
    area.FirstRow = static_cast<uint16_t>(run.columnRows[i].first);
    area.LastRow = static_cast<uint16_t>(run.columnRows[i].second);
    area.FirstCol = area.LastCol = Clamp16(StartDataCol + static_cast<long long>(i), TxlsWorkbook::kMaxColumns - 1);
    break;
  }
  return area;
}

xls::TxlsChartShape TTesselXLS::ChartShape(const TxlsChart& chart) {
  TRun& run = *run_;
  xls::TxlsChartShape shape;
  shape.Chart = &chart;
  shape.ExternSheet = static_cast<uint16_t>(run.workbook.BoundSheets().size() - 1);
  for (const TxlsChartSeries& series : chart.Series) {
    shape.Values.push_back(ChartRange(series.DataRangeType, series.DataColumn, series.DataRange));
    shape.Categories.push_back(ChartRange(chart.CategoryLabelsType, chart.CategoryLabelsColumn, chart.CategoryLabels));
  }
  mso::TAnchor& a = shape.Anchor;
  const int lastRow = TxlsWorkbook::kMaxRows - 1;
  const int lastCol = TxlsWorkbook::kMaxColumns - 1;
  if (chart.Position.PositionType == cptCustom) {
    const TxlsChartCustomPosition& p = chart.Position.CustomPosition;
    a.FirstCol = Clamp16(p.X1 - 1, lastCol);
    a.FirstRow = Clamp16(p.Y1 - 1, lastRow);
    a.LastCol = Clamp16(p.X2 - 1, lastCol);
    a.LastRow = Clamp16(p.Y2 - 1, lastRow);
    return shape;
  }
  const TxlsBoundSheet& sheet = *run.workbook.CurrentSheet();
  const TxlsChartAutoPosition& p = chart.Position.AutoPosition;
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
  return shape;
}

// ---- settings ----

namespace {

constexpr const char16_t* kOptionSections[] = {u"HEADER", u"CAPTION", u"DATA", u"AGGREGATE", u"FOOTER"};

TxlsFormat* OptionFormat(TXLSOptions& options, int index) {
  TxlsFormat* formats[] = {&options.HeaderFormat, &options.CaptionsFormat, &options.DataFormat,
                           &options.AggregateFormat, &options.FooterFormat};
  return formats[index];
}

}  // namespace

namespace xls {

void EraseSettings(TTesselIniFile& file) {
  file.EraseSection(kSection);
  TStringList sections;
  file.ReadSections(sections);
  for (const WideString& section : sections) {
    const WideString upper = UpperCase(section);
    if (upper.find(u"XLS_FIELD_") != WideString::npos || upper.starts_with(u"XLS_OPTION_") ||
        upper.starts_with(u"XLS_STYLE_") || IsItemSection(upper))
      file.EraseSection(section);
  }
}

void SaveOptions(TTesselIniFile& file, const TXLSOptions& options, const TxlsFieldFormats& fields,
                 const TxlsFormats& strips, TxlsStripType stripType, bool autoWidth) {
  EraseSettings(file);
  file.WriteWideString(kSection, u"PageHeader", options.PageHeader);
  file.WriteWideString(kSection, u"PageFooter", options.PageFooter);
  file.WriteWideString(kSection, u"SheetTitle", options.SheetTitle);
  file.WriteInteger(kSection, u"StripType", stripType);
  file.WriteBool(kSection, u"AutoCalcColWidth", autoWidth);
  file.WriteString(kSection, u"PageBackground", u"");
  TXLSOptions copy = options;
  for (int i = 0; i < 5; ++i) OptionFormat(copy, i)->SaveToIni(file, WideString(u"XLS_OPTION_") + kOptionSections[i]);
  for (const TxlsFieldFormat& field : fields) field.SaveToIni(file, u"XLS_FIELD_" + UpperCase(field.FieldName));
  for (size_t i = 0; i < strips.size(); ++i) strips[i].SaveToIni(file, u"XLS_STYLE_STRIP" + IntToWide(static_cast<long long>(i)));
}

void LoadOptions(const TTesselIniFile& file, TXLSOptions& options, TxlsFieldFormats& fields, TxlsFormats& strips,
                 TxlsStripType& stripType, bool& autoWidth) {
  options.PageHeader = file.ReadWideString(kSection, u"PageHeader", options.PageHeader);
  options.PageFooter = file.ReadWideString(kSection, u"PageFooter", options.PageFooter);
  options.SheetTitle = file.ReadWideString(kSection, u"SheetTitle", options.SheetTitle);
  const int strip = file.ReadInteger(kSection, u"StripType", stripType);
  if (strip >= ssNone && strip <= ssRow) stripType = static_cast<TxlsStripType>(strip);
  autoWidth = file.ReadBool(kSection, u"AutoCalcColWidth", autoWidth);
  for (int i = 0; i < 5; ++i) {
    const WideString section = WideString(u"XLS_OPTION_") + kOptionSections[i];
    if (file.SectionExists(section)) OptionFormat(options, i)->LoadFromIni(file, section);
  }
  TStringList sections;
  file.ReadSections(sections);
  TxlsFieldFormats loadedFields;
  TxlsFormats loadedStrips;
  for (const WideString& section : sections) {
    const WideString upper = UpperCase(section);
    const size_t field = upper.find(u"XLS_FIELD_");
    if (field != WideString::npos) {
      TxlsFieldFormat format;
      format.FieldName = section.substr(field + 10);
      format.LoadFromIni(file, section);
      loadedFields.push_back(std::move(format));
    } else if (upper.starts_with(u"XLS_STYLE_")) {
      TxlsFormat format;
      format.LoadFromIni(file, section);
      loadedStrips.push_back(std::move(format));
    }
  }
  if (!loadedFields.empty()) fields = std::move(loadedFields);
  if (!loadedStrips.empty()) strips = std::move(loadedStrips);
}

}  // namespace xls

void TTesselXLS::SaveSettings(TTesselIniFile& settings) {
  TTesselFormatText::SaveSettings(settings);
  xls::SaveOptions(settings, Options, FieldFormats, StripStyles, StripType, AutoCalcColWidth);
  xls::SaveItems(settings, *this, Pictures);
}

void TTesselXLS::LoadSettings(TTesselIniFile& settings) {
  TTesselFormatText::LoadSettings(settings);
  xls::LoadOptions(settings, Options, FieldFormats, StripStyles, StripType, AutoCalcColWidth);
  xls::LoadItems(settings, *this, Pictures, Options.HyperlinkFormat, Options.NoteFormat);
}

}  // namespace verimo
