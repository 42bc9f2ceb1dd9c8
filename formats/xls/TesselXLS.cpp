#include "formats/xls/TesselXLS.h"

#include <filesystem>
#include <system_error>

#include "core/Exception.h"
#include "core/ScopeExit.h"
#include "engine/SpreadsheetFormat.h"
#include "engine/TesselLocale.h"
#include "formats/xls/XlsBook.h"
#include "formats/xls/XlsSheetWriter.h"
#include "resources/StringTable.h"

namespace verimo {

namespace fs = std::filesystem;

// The own sheet being written.
struct TTesselXLS::TRun {
  TxlsBook& book;
  TxlsSheetWriter writer;
  bool finished = false;
};

TTesselXLS::TTesselXLS() { published_.ColumnsWidth = true; }
TTesselXLS::~TTesselXLS() = default;

TTextMeasurer& TTesselXLS::Measurer() {
  if (TextMeasurer) return *TextMeasurer;
  if (!ownMeasurer_) ownMeasurer_ = CreateSystemTextMeasurer();
  return *ownMeasurer_;
}

TTesselTextLimits TTesselXLS::TextLimits() const { return xls::CellTextLimits(TTesselFormatText::TextLimits()); }

std::vector<TxlsSheet*> TTesselXLS::ExportedSheets() const {
  std::vector<TxlsSheet*> sheets;
  for (const auto& sheet : Sheets)
    if (sheet && sheet->Exported) sheets.push_back(sheet.get());
  return sheets;
}

void TTesselXLS::CheckSheet(TTessel& sheet, const TXLSOptions& options, const WideString& title) const {
  try {
    sheet.CheckSource();
  } catch (const Exception& error) {
    throw Exception(xls::SheetError(title, error.Message()));
  }
  const TTesselLocale& locale = TTesselLocale::Instance();
  if (!sheet.IsActive())
    throw Exception(locale.LoadMessage(res::kExportSourceClosed, {SourceKindName(sheet.ExportSource)}));
  if (!ExportEmpty && sheet.IsEmpty())
    throw Exception(locale.LoadMessage(res::kExportSourceEmpty, {SourceKindName(sheet.ExportSource)}));
  sheet.Columns().Build(false);
  const int columns = sheet.Columns().Count();
  if (options.StartDataCol < 0 || options.StartDataCol + columns > TxlsWorkbook::kMaxColumns)
    throw Exception(xls::SheetError(title, IntToWide(options.StartDataCol) + u" + " + IntToWide(columns) +
                                               u" sütun bir sayfanın 256 sütununa sığmıyor"));
}

// ---- the run ----

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
  const std::vector<TxlsSheet*> sheets = ExportedSheets();
  std::vector<const TxlsImages*> images;
  if (sheets.empty()) {
    CheckSheet(*this, Options, Options.SheetTitle);
    images.push_back(&Images);
  }
  for (TxlsSheet* sheet : sheets) {
    CheckSheet(*sheet, sheet->Options, sheet->Title);
    images.push_back(&sheet->Images);
  }
  // The number formats follow the separators of the last sheet.
  const TTesselFormats& formats = sheets.empty() ? Formats() : sheets.back()->Formats();
  TxlsBook book(TargetDirectory() / fs::path(FileName).filename(), Measurer(), Pictures, images,
                TSpreadsheetPatternContext::FromGlobalSettings(formats.DateSeparator, formats.TimeSeparator));
  TScopeExit close([&book] { book.Close(); });
  if (sheets.empty())
    WriteOwnSheet(book);
  else
    WriteSheets(book, sheets);
  book.Close();
  ShowResult();
}

void TTesselXLS::WriteOwnSheet(TxlsBook& book) {
  TRun run{book, TxlsSheetWriter(book, *this, {Options, *this, Options.SheetTitle, 0}, *this, *this), false};
  run_ = &run;
  TScopeExit detach([this] { run_ = nullptr; });
  RunExport();
  // A run stopped right at its beginning ends no export step.
  if (!run.finished) {
    FinishOwnSheet();
    if (OnEndExport) OnEndExport(*this);
  }
}

void TTesselXLS::WriteSheets(TxlsBook& book, const std::vector<TxlsSheet*>& sheets) {
  SetAborted(false);
  if (OnBeginExport) OnBeginExport(*this);
  for (size_t i = 0; i < sheets.size() && !Aborted(); ++i) {
    TxlsSheet& sheet = *sheets[i];
    const int index = static_cast<int>(i);
    if (OnBeforeExportSheet) OnBeforeExportSheet(*this, index);
    // What the workbook's run sets for all its sheets.
    sheet.FailOnLoss = FailOnLoss;
    sheet.ExportEmpty = ExportEmpty;
    sheet.SetOutputEncoding(OutputEncoding());
    TxlsSheetWriter writer(book, sheet, {sheet.Options, sheet, sheet.Title, index}, *this, *this);
    {
      runningSheet_ = &sheet;
      TScopeExit addUp([this, &sheet] {
        runningSheet_ = nullptr;
        Losses().AddAll(sheet.Losses());
        SetAborted(sheet.Aborted());
      });
      sheet.RunInto(writer);
    }
    writer.Finish();
    if (OnAfterExportSheet) OnAfterExportSheet(*this, index);
  }
  FinishWorkbook(book);
  if (OnEndExport) OnEndExport(*this);
}

void TTesselXLS::FinishOwnSheet() {
  if (run_->finished) return;
  run_->finished = true;
  run_->writer.Finish();
  if (OnAfterExportSheet) OnAfterExportSheet(*this, 0);
  FinishWorkbook(run_->book);
}

void TTesselXLS::FinishWorkbook(TxlsBook& book) {
  book.WriteGlobals();
  lastSstBytes_ = book.Workbook().Sst().StringBytes();
}

void TTesselXLS::Abort() {
  TTesselFormatText::Abort();
  if (runningSheet_ != nullptr) runningSheet_->Abort();
}

// ---- the own sheet's steps ----

void TTesselXLS::BeginExport() {
  if (run_ == nullptr) throw Exception("The workbook is written by Execute only");
  TTesselFormatText::BeginExport();
  if (OnBeforeExportSheet) OnBeforeExportSheet(*this, 0);
  run_->writer.BeginExport();
}

void TTesselXLS::WriteCaptionRow() { run_->writer.WriteCaptionRow(); }

void TTesselXLS::WriteDataRow() { run_->writer.WriteDataRow(); }

// A failed run leaves the workbook unfinished and reports no end.
void TTesselXLS::EndExport() {
  if (RunFailed()) return;
  if (run_ != nullptr) FinishOwnSheet();
  TTesselFormatText::EndExport();
}

// ---- settings ----

void TTesselXLS::SaveSettings(TTesselIniFile& settings) {
  TTesselFormatText::SaveSettings(settings);
  xls::SaveOptions(settings, Options);
  xls::SaveItems(settings, *this, Pictures);
}

void TTesselXLS::LoadSettings(TTesselIniFile& settings) {
  TTesselFormatText::LoadSettings(settings);
  xls::LoadOptions(settings, Options);
  xls::LoadItems(settings, *this, Pictures, Options.HyperlinkFormat, Options.NoteFormat);
}

}  // namespace verimo
