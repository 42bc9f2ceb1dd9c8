#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "core/StringList.h"
#include "engine/TesselText.h"
#include "engine/TesselWriter.h"
#include "formats/xls/XlsFormats.h"
#include "formats/xls/XlsItems.h"
#include "formats/xls/XlsSheetItems.h"
#include "formats/xls/XlsWorkbook.h"
#include "platform/fonts/TextMeasurer.h"
#include "platform/images/Picture.h"

namespace verimo {

class TTesselXLS;

// One worksheet to write: its source, fields, texts, formats, layout and
// items (hyperlinks, notes, preset and merged cells, charts, images).
class TxlsSheet : public TxlsSheetItems {
 public:
  explicit TxlsSheet(int number = 1);

  WideString Title;
  bool Exported = true;
  bool AutoCalcColWidth = false;
  TXLSOptions Options;
  TxlsFieldFormats FieldFormats;
  TxlsFormats StripStyles;
  TxlsStripType StripType = ssNone;
  WideString SubAggControlColumn;
  TTesselSource ExportSource = esDataSet;
  TDataSet* DataSet = nullptr;
  TTesselCustomSource* CustomSource = nullptr;
  TListView* ListView = nullptr;
  TDBGrid* DBGrid = nullptr;
  TStringGrid* StringGrid = nullptr;
  TStringList ExportedFields;
  TStringList Header;
  TStringList Captions;
  TStringList Footer;
  TTesselFormats Formats;
  TStringList UserFormats;
  TStringList ColumnsWidth;
  int HeaderRows = 0;
  int StartDataCol = 0;
  int FooterRows = 0;
  double DefRowHeight = 12.75;
  int DefColWidth = 8;
  bool AllowCaptions = true;
  bool GoToFirstRecord = true;
  int ExportRecCount = 0;
  int SkipRecCount = 0;
  bool CurrentRecordOnly = false;
  bool OnlyVisibleFields = true;
  bool AutoCalcStrType = false;
  int CaptionRow = -1;
  int Tag = 0;

  // Takes the exporter's own settings (the title from Options.SheetTitle).
  void LoadFromExporter(const TTesselXLS& exporter);
  // Copies the sheet's settings into the exporter.
  void SaveToExporter(TTesselXLS& exporter) const;
};

using TxlsSheets = std::vector<std::unique_ptr<TxlsSheet>>;

// Writes nothing: the workbook writes its records itself.
class TTesselXLSWriter : public TTesselWriter {
 public:
  using TTesselWriter::TTesselWriter;
  void Write(WideStringView) override {}
};

// The Excel 97 workbook exporter: one or more sheets, each from its own
// source, in one BIFF8 workbook. Its own items serve the sheet made from its
// own settings.
class TTesselXLS : public TTesselFormatText, public TxlsSheetItems {
 public:
  using TxlsExportSheetEvent = std::function<void(TTesselXLS& sender, int sheetIndex)>;
  using TxlsExportedRecordEvent = std::function<void(TTesselXLS& sender, int sheet, int recNo)>;
  using TxlsGetExportTextEvent = std::function<void(TTesselXLS& sender, int sheet, int colNo, WideString& text)>;
  using TxlsBeforeExportRowEvent = std::function<void(TTesselXLS& sender, int sheet, TTesselRow& row, bool& accept)>;
  using TGetHeaderFooterParamsEvent =
      std::function<void(TxlsSheet& sender, int sheet, int col, int row, TxlsFormat& format, WideString& text)>;
  using TGetCaptionParamsEvent =
      std::function<void(TxlsSheet& sender, int sheet, int col, TxlsFormat& format, WideString& caption)>;
  using TGetDataParamsEvent = std::function<void(TxlsSheet& sender, int sheet, int col, int row, TxlsFormat& format,
                                                 WideString& formatText)>;
  using TGetAggregateParamsEvent = std::function<void(TxlsSheet& sender, int sheet, int col, TxlsFormat& format,
                                                      WideString& formatText, WideString& value)>;

  TTesselXLS();
  ~TTesselXLS() override;

  TXLSOptions Options;
  TxlsFieldFormats FieldFormats;
  TxlsFormats StripStyles;
  TxlsStripType StripType = ssNone;
  TxlsSheets Sheets;
  // The pictures that images of every sheet show.
  TxlsPictures Pictures;
  int HeaderRows = 0;
  int StartDataCol = 0;
  int FooterRows = 0;
  WideString SubAggControlColumn;
  // Measures texts for the automatic column widths; the system's fonts
  // when null. Not owned.
  TTextMeasurer* TextMeasurer = nullptr;

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

  void Execute() override;
  std::unique_ptr<TTesselWriter> GetWriterClass(TStream& stream) override;
  void BeginExport() override;
  void WriteCaptionRow() override;
  void WriteDataRow() override;
  void SaveSettings(TTesselIniFile& settings) override;
  void LoadSettings(TTesselIniFile& settings) override;
  // A cell holds at most TsstStrings::kMaxLength units of text.
  TTesselTextLimits TextLimits() const override;

  // Size of the shared strings of the last run (bytes of the SST record).
  uint64_t LastSharedStringBytes() const { return lastSstBytes_; }

 private:
  struct TRun;
  struct TAggregateColumn;

  void PreparePictures(const std::vector<TxlsSheet*>& sheets);
  TxlsSheetTail SheetTail(bool first, bool last);
  void WriteSheetObjects(TbiffSink& sink, bool first, bool last);
  std::string BackgroundBitmap(const TxlsGraphic& background) const;
  int ColumnPixels(int col) const;
  mso::TAnchor ImageAnchor(const TxlsImage& image, const TPictureInfo& size) const;
  xls::TxlsAreaRef ChartRange(TxlsRangeType type, const WideString& column, const TxlsDataRange& range) const;
  xls::TxlsChartShape ChartShape(const TxlsChart& chart);

  void CheckSheet(TxlsSheet& sheet);
  void ExportSheet(int index, TxlsSheet& sheet);
  void BeginSheetPart();
  void FinishSheetPart(bool last);
  void PrepareSheetFormats();
  void WriteLines(const TStringList& lines, int count, const TxlsFormat& format,
                  const TGetHeaderFooterParamsEvent& event);
  void WriteCellsLeftOfData();
  void WriteCaptions();
  void WriteDataCell(int column, const WideString& text);
  void WriteAggregateRow();
  void GroupRecord();
  uint16_t GetDataCellXF(int column);
  void FeedWidth(int column, const WideString& text, uint16_t xf);
  std::vector<std::pair<uint16_t, uint16_t>> ColInfoWidths(bool measured) const;
  int ReservedRows() const;
  TTextMeasurer& Measurer();

  std::unique_ptr<TRun> run_;
  std::unique_ptr<TTextMeasurer> ownMeasurer_;
  uint64_t lastSstBytes_ = 0;
};

}  // namespace verimo

namespace verimo::xls {

// The "XLS" sections of a settings file: the options, the five part
// formats ("XLS_OPTION_…"), the field formats ("XLS_FIELD_…") and the strip
// styles ("XLS_STYLE_…").
void EraseSettings(TTesselIniFile& file);
void SaveOptions(TTesselIniFile& file, const TXLSOptions& options, const TxlsFieldFormats& fields,
                 const TxlsFormats& strips, TxlsStripType stripType, bool autoWidth);
void LoadOptions(const TTesselIniFile& file, TXLSOptions& options, TxlsFieldFormats& fields, TxlsFormats& strips,
                 TxlsStripType& stripType, bool& autoWidth);

}  // namespace verimo::xls
