#include "engine/Tessel.h"

#include <algorithm>
#include <exception>

#include "engine/TesselIniFile.h"
#include "engine/TesselLocale.h"
#include "engine/TesselReadAhead.h"
#include "engine/TesselStoredText.h"
#include "engine/TesselYield.h"
#include "core/Exception.h"
#include "core/ScopeExit.h"
#include "platform/codepage/CodePage.h"
#include "platform/data/ListView.h"

namespace verimo {

namespace {

[[noreturn]] void RaiseSourceMessage(int ident, TTesselSource kind) {
  throw Exception(TTesselLocale::Instance().LoadMessage(ident, {SourceKindName(kind)}));
}

constexpr WideStringView kGeneral = u"GENERAL";
constexpr WideStringView kFields = u"FIELDS";
constexpr WideStringView kFieldKey = u"field";

// Erases the section and writes one key per line: prefix and line number.
void SaveNumberedLines(TTesselIniFile& settings, WideStringView section, WideStringView prefix,
                       const TStringList& lines) {
  settings.EraseSection(section);
  for (int i = 0; i < lines.Count(); ++i) settings.WriteString(section, WideString(prefix) + IntToWide(i), lines[i]);
}

// Replaces the list with the section's values in file order (keys ignored).
void LoadNumberedLines(const TTesselIniFile& settings, WideStringView section, TStringList& lines) {
  TStringList entries;
  settings.ReadSectionValues(section, entries);
  lines.Clear();
  for (const WideString& entry : entries) {
    const size_t equals = entry.find(u'=');
    lines.Add(equals == WideString::npos ? WideString() : entry.substr(equals + 1));
  }
}

}  // namespace

TTessel::TTessel()
    : columns_([this](TTesselColumnSettings& settings) { ReadColumnSettings(settings); }) {}

TTessel::~TTessel() = default;

// --- virtual steps ---

void TTessel::SetOutputEncoding(TTesselOutputEncoding value) { outputEncoding_ = value; }

std::unique_ptr<TTesselWriter> TTessel::GetWriterClass(TStream& stream) {
  return std::make_unique<TTesselWriter>(this, &stream);
}

void TTessel::BeginExport() {
  readAheadAllowed_ = false;
  readAheadStored_ = nullptr;
  ClampListViewCounts();
  columns_.Build(false);
  deferred_ = nullptr;
  row_.Rebuild(columns_, formats_);
  aborted_ = false;
  if (OnBeginExport) OnBeginExport(*this);
}

void TTessel::BeforeExport() {}

void TTessel::AfterExport() { formats_.RestoreSeparators(); }

void TTessel::EndExport() {
  if (OnEndExport) OnEndExport(*this);
}

bool TTessel::EndOfFile() { return Source().EndOfFile(recordCounter_, SkipRecCount, ExportRecCount); }

WideString TTessel::GetCaptionRow() {
  WideString result;
  for (int i = 0; i < columns_.Count(); ++i) result += GetColCaption(i);
  return result;
}

void TTessel::WriteCaptionRow() {}

void TTessel::FillRow() { FillCells(nullptr); }

void TTessel::FillRowDeferring(const std::vector<uint8_t>& deferred) { FillCells(&deferred); }

void TTessel::FillCells(const std::vector<uint8_t>* deferred) {
  const int count = std::min(columns_.Count(), row_.Count());
  const bool customFormat = ExportSource == esDataSet && static_cast<bool>(OnCustomFormat);
  rowIsCurrent_ = false;
  deferred_ = nullptr;
  if (deferred == nullptr && !customFormat && !OnGetExportText && columns_.ReadsFields()) {
    // No handler runs between the cells: the columns read the whole row.
    columns_.ReadFieldRow(row_);
    auto cell = row_.begin();
    for (int i = 0; i < count; ++i, ++cell) {
      cell->fieldColumn_ = i;
      cell->fieldNull_ = cell->Value.IsNull() && columns_.IsNull(i);
    }
    rowIsCurrent_ = true;
    return;
  }
  for (int i = 0; i < count; ++i) {
    if (deferred != nullptr && static_cast<size_t>(i) < deferred->size() && (*deferred)[static_cast<size_t>(i)] != 0) {
      row_[i].fieldColumn_ = -1;
      continue;
    }
    FillCell(i, customFormat);
  }
  rowIsCurrent_ = true;
  deferred_ = deferred;
}

void TTessel::FillCell(int index, bool customFormat) const {
  TTesselCol& cell = row_[index];
  columns_.GetColumnValue(index, cell.Value, cell.Text);
  // A field is null exactly when its value reads as null; the field is
  // asked only to confirm a null value.
  cell.fieldColumn_ = index;
  cell.fieldNull_ = cell.Value.IsNull() && columns_.IsNull(index);
  auto* self = const_cast<TTessel*>(this);
  if (customFormat && columns_[index].Field != nullptr) OnCustomFormat(*self, *columns_[index].Field, cell.Text);
  if (OnGetExportText) OnGetExportText(*self, index, cell.Text);
}

void TTessel::FillDeferredCells() const {
  const std::vector<uint8_t>& deferred = *deferred_;
  deferred_ = nullptr;
  const int count = std::min({columns_.Count(), row_.Count(), static_cast<int>(deferred.size())});
  const bool customFormat = ExportSource == esDataSet && static_cast<bool>(OnCustomFormat);
  for (int i = 0; i < count; ++i)
    if (deferred[static_cast<size_t>(i)] != 0) FillCell(i, customFormat);
}

WideString TTessel::GetDataRow() {
  WideString result;
  result.reserve(dataRowLength_);
  const TTesselRow& row = Row();
  if (plainCellText_) {
    for (const TTesselCol& cell : row) AppendPlainCellText(cell, result);
  } else {
    for (int i = 0; i < row.Count(); ++i) result += GetCellText(row[i]);
  }
  dataRowLength_ = std::max(dataRowLength_, result.size());
  return result;
}

void TTessel::WriteDataRow() {}

WideString TTessel::GetColCaption(int index) { return EscapeText(columns_[index].Caption); }

WideString TTessel::GetColData(const WideString& text, const TTesselColumn& /*column*/) { return text; }

void TTessel::SaveSettings(TTesselIniFile& settings) {
  settings.WriteBool(kGeneral, u"GoToFirstRecord", GoToFirstRecord);
  settings.WriteBool(kGeneral, u"ExportEmpty", ExportEmpty);
  settings.WriteBool(kGeneral, u"CurrentRecordOnly", CurrentRecordOnly);
  settings.WriteInteger(kGeneral, u"ExportRecCount", ExportRecCount);
  settings.WriteInteger(kGeneral, u"SkipRecCount", SkipRecCount);
  settings.WriteBool(kGeneral, u"OnlyVisibleFields", OnlyVisibleFields);
  settings.WriteBool(kGeneral, u"AutocalcStrType", AutoCalcStrType);
  settings.WriteInteger(kGeneral, u"CaptionRow", CaptionRow);
  SaveNumberedLines(settings, kFields, kFieldKey, ExportedFields);
}

void TTessel::LoadSettings(TTesselIniFile& settings) {
  GoToFirstRecord = settings.ReadBool(kGeneral, u"GoToFirstRecord", GoToFirstRecord);
  ExportEmpty = settings.ReadBool(kGeneral, u"ExportEmpty", ExportEmpty);
  CurrentRecordOnly = settings.ReadBool(kGeneral, u"CurrentRecordOnly", CurrentRecordOnly);
  ExportRecCount = settings.ReadInteger(kGeneral, u"ExportRecCount", ExportRecCount);
  SkipRecCount = settings.ReadInteger(kGeneral, u"SkipRecCount", SkipRecCount);
  OnlyVisibleFields = settings.ReadBool(kGeneral, u"OnlyVisibleFields", OnlyVisibleFields);
  AutoCalcStrType = settings.ReadBool(kGeneral, u"AutocalcStrType", AutoCalcStrType);
  CaptionRow = settings.ReadInteger(kGeneral, u"CaptionRow", CaptionRow);
  LoadNumberedLines(settings, kFields, ExportedFields);
}

void TTessel::Execute() {}

void TTessel::Abort() { aborted_ = true; }

WideString TTessel::EscapeText(const WideString& text) { return text; }

TTesselTextLimits TTessel::TextLimits() const {
  TTesselTextLimits limits;
  switch (outputEncoding_) {
    case oeAnsi: limits.codePage = SystemCodePage(TSystemCodePage::Ansi); break;
    case oeOem: limits.codePage = SystemCodePage(TSystemCodePage::Oem); break;
    case oeMac: limits.codePage = SystemCodePage(TSystemCodePage::Mac); break;
    default: break;
  }
  return limits;
}

// --- the run ---

TTesselWriter& TTessel::Writer() const {
  if (!writer_) throw Exception("The exporter has no writer outside an export run");
  return *writer_;
}

void TTessel::ExportToStream(TStream& stream) {
  writer_ = GetWriterClass(stream);
  TScopeExit freeWriter([this] { writer_.reset(); });
  RunExport();
}

void TTessel::RunExport() {
  recordCounter_ = 0;
  losses_.Clear();
  CheckSource();
  if (!IsActive()) RaiseSourceMessage(res::kExportSourceClosed, ExportSource);
  if (!ExportEmpty && IsEmpty()) RaiseSourceMessage(res::kExportSourceEmpty, ExportSource);
  DisableControls();
  TScopeExit enableControls([this] { EnableControls(); });
  RunFromBeginExport();
}

void TTessel::RunFromBeginExport() {
  BeginExport();
  if (aborted_) return;
  if (AutoCalcColWidth) {
    columns_.CalcWidths();
    if (aborted_) return;
  }
  TScopeExit endExport([this](bool failed) {
    runFailed_ = failed;
    EndExport();
  });
  if (AllowCaptions) WriteCaptionRow();
  if (aborted_) return;
  if (GoToFirstRecord) First();
  BeforeExport();
  if (aborted_) return;
  SkipRecords();
  if (aborted_) return;
  RunRecords();
  if (FailOnLoss && !losses_.Empty())
    throw Exception("The export would change values it cannot write as they are; nothing of it is kept");
  AfterExport();
}

void TTessel::AllowReadAhead(TTesselStoredText* stored) {
  readAheadAllowed_ = true;
  readAheadStored_ = stored;
}

bool TTessel::ReadsAhead() const {
  return ReadAhead && readAheadAllowed_ && ExportSource == esDataSet && DataSet != nullptr && columns_.ReadsFields() &&
         CellHandlersUnset() && !CurrentRecordOnly && columns_.Count() == row_.Count();
}

void TTessel::RunRecords() {
  recordCounter_ = 0;
  columns_.HoldPatterns(true);
  struct ReleasePatterns {
    TTesselColumns& columns;
    ~ReleasePatterns() { columns.HoldPatterns(false); }
  } release{columns_};
  valueCheck_.Plan(columns_, TextLimits());
  if (AllowCaptions) valueCheck_.CheckCaptions(columns_, losses_);
  if (ReadsAhead())
    RunRecordsAhead();
  else
    RunRecordsInTurn();
  rowIsCurrent_ = false;
  deferred_ = nullptr;
}

void TTessel::RunRecordsInTurn() {
  TYieldPacer pacer;
  for (;;) {
    if (EndOfFile()) break;
    if (ExportRecCount != 0 && recordCounter_ >= ExportRecCount) break;
    if (aborted_ && !CheckStop()) break;
    bool accept = true;
    FillRow();
    if (OnBeforeExportRow) OnBeforeExportRow(*this, row_, accept);
    if (accept) {
      CheckRecordValues();
      WriteDataRow();
      if (OnExportedRecord) OnExportedRecord(*this, recordCounter_);
    }
    if (CurrentRecordOnly) break;
    Next();
    pacer.Record();
  }
}

void TTessel::RunRecordsAhead() {
  TYieldPacer pacer;
  const TTesselSourceRefs source = Source();
  const std::vector<uint8_t>* deferred =
      readAheadStored_ != nullptr && readAheadStored_->Any() ? &readAheadStored_->Columns() : nullptr;
  const size_t columns = static_cast<size_t>(row_.Count());
  // The record taken but not written: where the source returns to when
  // the run ends early, as a run reading in turn would stand there.
  TTesselSourceBookmark unwritten;
  // Runs after the reading thread has been joined (declared before it).
  TScopeExit restore([&] {
    if (readAheadStored_ != nullptr) readAheadStored_->SetSnapshot(nullptr);
    if (!unwritten.Valid) return;
    try {
      source.GotoBookmark(unwritten);
    } catch (...) {
      // The run's own outcome is what counts; the position is a courtesy.
    }
  });
  int read = 0;  // records the reading thread has passed
  TTesselReadAhead ahead({
      [&] { return source.EndOfFile(read, SkipRecCount, ExportRecCount) || (ExportRecCount != 0 && read >= ExportRecCount); },
      [&](TTesselRecordSnapshot& record) { ReadRecord(record, columns, deferred); },
      [&] { source.Next(read); },
  });
  while (ahead.Next()) {
    unwritten = ahead.RecordPosition();
    if (aborted_ && !CheckStop()) break;
    TTesselRecordSnapshot& record = ahead.Record();
    TakeRecord(record, deferred);
    CheckRecordValues(deferred, &record);
    WriteDataRow();
    if (OnExportedRecord) OnExportedRecord(*this, recordCounter_);
    unwritten = TTesselSourceBookmark();
    rowIsCurrent_ = false;
    ++recordCounter_;
    pacer.Record();
  }
}

void TTessel::ReadRecord(TTesselRecordSnapshot& record, size_t columns, const std::vector<uint8_t>* deferred) const {
  record.position = TTesselSourceBookmark();
  record.position = Source().GetBookmark();
  if (record.values.size() != columns) record.Resize(columns);
  record.stored.clear();
  for (size_t i = 0; i < columns; ++i) {
    const int index = static_cast<int>(i);
    if (deferred != nullptr && i < deferred->size() && (*deferred)[i] != 0) {
      record.stored += readAheadStored_->SourceText(index);
      record.storedEnds[i] = static_cast<uint32_t>(record.stored.size());
      continue;
    }
    record.storedEnds[i] = static_cast<uint32_t>(record.stored.size());
    Variant& value = record.values[i];
    const TField* field = columns_[index].Field;
    if (field == nullptr) {
      // What GetColumnValue gives such a column of a dataset, without its
      // look at the record counter the caller's thread moves on.
      value = Variant();
      record.texts[i].clear();
      record.nulls[i] = 0;
      record.datesOutOfRange[i] = 0;
      continue;
    }
    columns_.GetColumnValue(index, value, record.texts[i]);
    const bool isNull = value.IsNull() && columns_.IsNull(index);
    record.nulls[i] = isNull;
    record.datesOutOfRange[i] = isNull && field->DataSet().FieldOutOfRangeDays(field->Index()).has_value();
  }
}

void TTessel::TakeRecord(TTesselRecordSnapshot& record, const std::vector<uint8_t>* deferred) {
  const size_t count = record.values.size();
  auto cell = row_.begin();
  for (size_t i = 0; i < count; ++i, ++cell) {
    if (deferred != nullptr && i < deferred->size() && (*deferred)[i] != 0) {
      cell->fieldColumn_ = -1;
      continue;
    }
    std::swap(cell->Text, record.texts[i]);
    cell->fieldColumn_ = static_cast<int>(i);
    cell->fieldNull_ = record.nulls[i] != 0;
  }
  rowIsCurrent_ = true;
  deferred_ = nullptr;
  if (readAheadStored_ != nullptr) readAheadStored_->SetSnapshot(&record);
}

void TTessel::CheckRecordValues() {
  valueCheck_.CheckRecord(
      row_, deferred_, [this](const TTesselCol& cell, int index) { return ColumnIsNull(cell, index); }, losses_);
}

void TTessel::CheckRecordValues(const std::vector<uint8_t>* deferred, const TTesselRecordSnapshot* record) {
  valueCheck_.CheckRecord(
      row_, deferred, [this](const TTesselCol& cell, int index) { return ColumnIsNull(cell, index); }, losses_, record);
}

bool TTessel::CheckStop() {
  bool canContinue = !aborted_;
  if (OnStopExport) OnStopExport(*this, canContinue);
  aborted_ = !canContinue;
  return canContinue;
}

WideString TTessel::GetCellText(const TTesselCol& cell) {
  const bool isNull =
      cell.ColumnIndex >= 0 && cell.ColumnIndex < columns_.Count() && ColumnIsNull(cell, cell.ColumnIndex);
  const WideString text = EscapeText(isNull ? formats_.NullString() : cell.Text);
  if (cell.ColumnIndex < 0 || cell.ColumnIndex >= columns_.Count()) return GetColData(text, TTesselColumn());
  return GetColData(text, columns_[cell.ColumnIndex]);
}

bool TTessel::CellTextIsValueText(int index) const {
  if (CellHandlersUnset()) return true;
  Variant value;
  WideString text;
  columns_.GetColumnValue(index, value, text);
  return text == Row()[index].Text;
}

// --- source operations ---

TTesselSourceRefs TTessel::Source() const {
  return {*this};
}

void TTessel::CheckSource() const { Source().CheckSource(); }
bool TTessel::IsActive() const { return Source().IsActive(); }
bool TTessel::IsEmpty() const { return Source().IsEmpty(); }
void TTessel::DisableControls() const { Source().DisableControls(); }
void TTessel::EnableControls() const { Source().EnableControls(); }
void TTessel::First() {
  rowIsCurrent_ = false;
  deferred_ = nullptr;
  Source().First();
}

void TTessel::Next() {
  rowIsCurrent_ = false;
  deferred_ = nullptr;
  Source().Next(recordCounter_);
}

void TTessel::SkipRecords() {
  for (int i = 0; i < SkipRecCount && !aborted_; ++i) {
    Next();
    if (OnSkippedRecord) OnSkippedRecord(*this, recordCounter_);
  }
}

// --- helpers ---

void TTessel::ClampListViewCounts() {
  if (ExportSource != esListView || ListView == nullptr) return;
  const int items = ListView->ItemCount();
  SkipRecCount = std::min(SkipRecCount, items);
  if (ExportRecCount > 0) ExportRecCount = std::min(ExportRecCount, items);
}

void TTessel::ReadColumnSettings(TTesselColumnSettings& settings) {
  auto published = [](bool isPublished, const TStringList& list) { return isPublished ? &list : nullptr; };
  settings.Source = Source();
  settings.ExportedFields = &ExportedFields;
  settings.OnlyVisibleFields = OnlyVisibleFields;
  settings.Formats = published_.Formats ? &formats_ : nullptr;
  settings.ValueFormats = &formats_;
  settings.AutoCalcStrType = AutoCalcStrType;
  settings.CaptionRow = CaptionRow;
  settings.UserFormats = published(published_.UserFormats, UserFormats);
  settings.ColumnsWidth = published(published_.ColumnsWidth, ColumnsWidth);
  settings.Captions = published(published_.Captions, Captions);
  settings.ColumnsAlign = published(published_.ColumnsAlign, ColumnsAlign);
  settings.ColumnsLength = published(published_.ColumnsLength, ColumnsLength);
  settings.SkipRecCount = SkipRecCount;
  settings.ExportRecCount = ExportRecCount;
  if (published_.OnFetchedRecord)
    settings.OnFetchedRecord = [this](int recNo) {
      if (OnFetchedRecord) OnFetchedRecord(*this, recNo);
    };
  if (!plainEscapeText_) settings.EscapeText = [this](const WideString& text) { return EscapeText(text); };
  settings.RecordCounter = &recordCounter_;
  settings.Stopped = [this] { return aborted_; };
}

}  // namespace verimo
