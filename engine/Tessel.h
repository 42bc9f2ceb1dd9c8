#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "core/NonCopyable.h"
#include "engine/TesselColumns.h"
#include "engine/TesselFormats.h"
#include "engine/TesselRow.h"
#include "engine/TesselSource.h"
#include "engine/TesselStream.h"
#include "engine/TesselTypes.h"
#include "engine/TesselValueCheck.h"
#include "engine/TesselWriter.h"
#include "core/LossTally.h"
#include "core/StringList.h"
#include "core/Variant.h"
#include "core/WideString.h"

namespace verimo {

class TTesselIniFile;
class TTesselStoredText;
struct TTesselRecordSnapshot;

// Which of the properties declared in the base a descendant publishes
// (the column build reads only published ones).
struct TTesselPublished {
  bool Captions = false;
  bool UserFormats = false;
  bool ColumnsWidth = false;
  bool ColumnsAlign = false;
  bool ColumnsLength = false;
  bool Formats = false;
  bool AutoCalcColWidth = false;
  bool OnFetchedRecord = false;
};

// The exporter base: source references, column model, value formatting and
// the one export loop every format shares. Formats override the virtual
// steps.
class TTessel : public TTesselSourceProperties, private TNonCopyable {
 public:
  using TNotifyEvent = std::function<void(TTessel& sender)>;
  using TExportedRecordEvent = std::function<void(TTessel& sender, int recNo)>;
  using TTesselStopEvent = std::function<void(TTessel& sender, bool& canContinue)>;
  using TGetExportTextEvent = std::function<void(TTessel& sender, int colNo, WideString& text)>;
  using TBeforeExportRowEvent = std::function<void(TTessel& sender, TTesselRow& row, bool& accept)>;
  using TOnCustomFormat = std::function<void(TTessel& sender, TField& field, WideString& value)>;
  using TGetCellParamsEvent =
      std::function<void(TTessel& sender, int recNo, int colNo, const WideString& value,
                         TTesselColAlign& align, TTesselFont& font, TColor& background)>;

  TTessel();
  virtual ~TTessel();

  // Published properties, after the source ones of the base.
  TStringList ExportedFields;
  bool CurrentRecordOnly = false;
  bool GoToFirstRecord = true;
  int ExportRecCount = 0;
  int SkipRecCount = 0;
  bool OnlyVisibleFields = false;
  bool AutoCalcStrType = false;
  int CaptionRow = -1;
  bool ExportEmpty = true;
  // Not published: a run that changed any value it wrote (Losses) fails
  // after its last record, so that nothing of it is kept.
  bool FailOnLoss = false;
  // Not published: a run whose format allows it may read the records of a
  // dataset source on a second thread, ahead of the rows it writes. The
  // source then stands ahead of the record being written while the run's
  // handlers are called, so only a caller whose handlers do not look at the
  // source's current record switches it on. A run that ends early returns
  // the source to the first record it did not write.
  bool ReadAhead = false;

  TNotifyEvent OnBeginExport;
  TNotifyEvent OnEndExport;
  TExportedRecordEvent OnSkippedRecord;
  TExportedRecordEvent OnExportedRecord;
  TTesselStopEvent OnStopExport;
  TGetExportTextEvent OnGetExportText;
  TBeforeExportRowEvent OnBeforeExportRow;
  TOnCustomFormat OnCustomFormat;

  // Declared here, published by some descendants (see Published()).
  TStringList Header;
  TStringList Footer;
  TStringList Captions;
  TStringList UserFormats;
  TStringList ColumnsWidth;
  TStringList ColumnsAlign;
  TStringList ColumnsLength;
  bool AllowCaptions = true;
  TTesselFormats& Formats() { return formats_; }
  const TTesselFormats& Formats() const { return formats_; }
  bool AutoCalcColWidth = false;
  TExportedRecordEvent OnFetchedRecord;
  TGetCellParamsEvent OnGetCellParams;

  // Run state.
  TTesselColumns& Columns() { return columns_; }
  const TTesselColumns& Columns() const { return columns_; }
  // The current record's cells; cells an exporter left out of the read
  // (FillRowDeferring) are read on this first call.
  TTesselRow& Row() {
    if (deferred_ != nullptr) FillDeferredCells();
    return row_;
  }
  const TTesselRow& Row() const {
    if (deferred_ != nullptr) FillDeferredCells();
    return row_;
  }
  // The writer of the run in progress; raises verimo::Exception outside a run.
  TTesselWriter& Writer() const;
  bool HasWriter() const { return writer_ != nullptr; }
  int RecordCounter() const { return recordCounter_; }
  // What the last run changed of the values it wrote, per field: kept
  // after the run (also a failed one) until the next starts.
  TLossTally& Losses() { return losses_; }
  const TLossTally& Losses() const { return losses_; }
  bool Aborted() const { return aborted_; }
  // While EndExport runs: whether the run is ending by a failure (an
  // exception on its way out) rather than finishing or being stopped.
  bool RunFailed() const { return runFailed_; }
  TTesselOutputEncoding OutputEncoding() const { return outputEncoding_; }
  const TTesselPublished& Published() const { return published_; }

  // Virtual steps, in slot order.
  virtual void SetOutputEncoding(TTesselOutputEncoding value);
  // Constructs this exporter's writer over `stream`.
  virtual std::unique_ptr<TTesselWriter> GetWriterClass(TStream& stream);
  virtual void BeginExport();
  virtual void BeforeExport();
  virtual void AfterExport();
  virtual void EndExport();
  virtual bool EndOfFile();
  virtual WideString GetCaptionRow();
  virtual void WriteCaptionRow();
  virtual void FillRow();
  virtual WideString GetDataRow();
  virtual void WriteDataRow();
  virtual WideString GetColCaption(int index);
  virtual WideString GetColData(const WideString& text, const TTesselColumn& column);
  virtual void SaveSettings(TTesselIniFile& settings);
  virtual void LoadSettings(TTesselIniFile& settings);
  virtual void Execute();
  virtual void Abort();
  virtual WideString EscapeText(const WideString& text);
  // What the output can hold of the values' texts, for counting what it
  // loses: by default the code page of OutputEncoding, nothing forbidden.
  virtual TTesselTextLimits TextLimits() const;

  // Creates the writer, runs the export loop and frees the writer, whatever
  // happens. The stream stays the caller's.
  void ExportToStream(TStream& stream);
  // Answers whether to go on after a stop request (asks OnStopExport).
  bool CheckStop();
  // The text of a cell as written: EscapeText of the null text or of the
  // cell's text, then GetColData.
  WideString GetCellText(const TTesselCol& cell);
  // The text of a cell as the base's steps give it (the null text or the
  // cell's text), appended to `out`: GetCellText of an exporter that
  // overrides neither EscapeText nor GetColData.
  void AppendPlainCellText(const TTesselCol& cell, WideString& out) const {
    const bool isNull =
        cell.ColumnIndex >= 0 && cell.ColumnIndex < columns_.Count() && ColumnIsNull(cell, cell.ColumnIndex);
    out += isNull ? formats_.NullString() : cell.Text;
  }
  // Whether the field of column `columnIndex` is null in the record the
  // cell holds: inside the export loop as the loop read it with the cell's
  // value, without asking the field again; elsewhere Columns().IsNull.
  bool ColumnIsNull(const TTesselCol& cell, int columnIndex) const {
    if (rowIsCurrent_ && cell.fieldColumn_ == columnIndex && cell.row_ == &row_) return cell.fieldNull_;
    return columns_.IsNull(columnIndex);
  }

  // The source kind and references as one value.
  TTesselSourceRefs Source() const;

  // Source operations on the selected source (CheckSource raises message
  // 34014 when its reference is missing).
  void CheckSource() const;
  bool IsActive() const;
  bool IsEmpty() const;
  void DisableControls() const;
  void EnableControls() const;
  void First();
  // Moves on and counts the record in RecordCounter.
  void Next();
  // SkipRecCount times Next, each followed by OnSkippedRecord.
  void SkipRecords();

 protected:
  // The export loop.
  void RunExport();
  // No handler changes or reads the cells between FillRow and WriteDataRow.
  bool CellHandlersUnset() const { return !OnCustomFormat && !OnGetExportText && !OnBeforeExportRow; }
  // Whether the current record's cell of column `index` still holds the
  // text its value was formatted to: no handler could change it, or the
  // column read again gives the same text. Formats that write a cell's
  // value, not its text, write the text instead where a handler changed it.
  bool CellTextIsValueText(int index) const;
  // FillRow without the cells of the columns `deferred` marks (one entry
  // per column, nonzero: left out); WriteDataRow takes their values from
  // the source itself, and Row() reads them if anyone asks during the
  // record. The list must outlive the record.
  void FillRowDeferring(const std::vector<uint8_t>& deferred);
  // The cells as FillRowDeferring left them.
  const TTesselRow& RowAsRead() const { return row_; }
  // Called by a format in BeginExport: the run may read its records ahead
  // (see ReadAhead), where the source is a dataset and no handler reads or
  // changes the cells. The format keeps the base's EndOfFile and FillRow,
  // or a FillRow that is FillRowDeferring(stored->Columns()); it writes the
  // deferred columns through `stored` (nullptr: none) and the others from
  // the texts of RowAsRead (the cells' values are not passed on), and asks
  // nothing else of the source while it writes a row.
  void AllowReadAhead(TTesselStoredText* stored);
  // For an exporter whose run is made of other exporters' runs (the sheets
  // of a workbook): its stop state follows theirs.
  void SetAborted(bool aborted) { aborted_ = aborted; }

  TTesselPublished published_;
  // Set by an exporter whose EscapeText returns every text unchanged: the
  // width-measuring pass then measures the texts without calling it.
  bool plainEscapeText_ = false;
  // Set by an exporter that overrides neither EscapeText nor GetColData:
  // GetDataRow then appends the cells' texts without the virtual steps.
  bool plainCellText_ = false;

 private:
  void RunFromBeginExport();
  void FillCells(const std::vector<uint8_t>* deferred);
  void FillCell(int index, bool customFormat) const;
  void FillDeferredCells() const;
  void RunRecords();
  void RunRecordsInTurn();
  // The loop with the records read on a second thread (TTesselReadAhead).
  void RunRecordsAhead();
  bool ReadsAhead() const;
  // The reading thread's step: the source's current record into `record`.
  void ReadRecord(TTesselRecordSnapshot& record, size_t columns, const std::vector<uint8_t>* deferred) const;
  // The record's texts into the row's cells (their storage goes back to
  // `record`).
  void TakeRecord(TTesselRecordSnapshot& record, const std::vector<uint8_t>* deferred);
  void ClampListViewCounts();
  void ReadColumnSettings(TTesselColumnSettings& settings);
  void CheckRecordValues();
  void CheckRecordValues(const std::vector<uint8_t>* deferred, const TTesselRecordSnapshot* record);

  TTesselFormats formats_;
  TTesselColumns columns_;
  // Completed lazily for the cells FillRowDeferring left out.
  mutable TTesselRow row_;
  mutable const std::vector<uint8_t>* deferred_ = nullptr;
  std::unique_ptr<TTesselWriter> writer_;
  int recordCounter_ = 0;
  // The row's cells hold the current record as FillRow read it.
  bool rowIsCurrent_ = false;
  bool aborted_ = false;
  bool runFailed_ = false;
  // Set by AllowReadAhead for the run in progress.
  bool readAheadAllowed_ = false;
  TTesselStoredText* readAheadStored_ = nullptr;
  // The longest data row so far: GetDataRow reserves it at once.
  size_t dataRowLength_ = 0;
  TTesselOutputEncoding outputEncoding_ = oeUTF8;
  TLossTally losses_;
  TTesselValueCheck valueCheck_;
};

}  // namespace verimo
