#include "formats/package/docx/TesselDocx.h"

#include <exception>

#include "core/Exception.h"
#include "formats/package/PackageTableFit.h"
#include "formats/package/docx/DocxFileMaker.h"

namespace verimo {

namespace {

// The text widths of the two pages (A4 less the margins), in points, and
// what a cell adds to its text: the cell margins and the borders.
constexpr double kPortraitTextWidth = (11906 - 850 - 1701) / 20.0;
constexpr double kLandscapeTextWidth = (16838 - 1134 - 1134) / 20.0;
constexpr double kCellPadding = 2 * 57 / 20.0 + 1.0;

}  // namespace

TTesselDocx::TTesselDocx() {
  published_.Captions = true;
  published_.UserFormats = true;
  published_.Formats = true;
}

TTesselDocx::~TTesselDocx() = default;

void TTesselDocx::BeginExport() {
  TTesselAdvancedText::BeginExport();
  rowCounter_ = 0;
  dataRowCounter_ = 0;
  const TTesselTableFit fit =
      FitPackageTable(*this, TextMeasurer, DocxOptions.CaptionRowStyle.Font, DocxOptions.DataStyle.Font, kCellPadding,
                      DocxOptions.PageOrientation, DocxOptions.AutoOrientation, kPortraitTextWidth,
                      kLandscapeTextWidth);
  run_ = DocxOptions;
  run_.PageOrientation = fit.Orientation;
  ScalePackageFont(run_.CaptionRowStyle.Font, fit.Scale);
  ScalePackageFont(run_.DataStyle.Font, fit.Scale);
  for (TDocxStripStyle& strip : run_.StripStylesList) ScalePackageFont(strip.Options.Font, fit.Scale);
  widths_.clear();
  for (const std::vector<double>& group : fit.Widths) {
    std::vector<int>& widths = widths_.emplace_back();
    for (double width : group) widths.push_back(std::max(1, static_cast<int>(width * 20)));
  }
  groups_ = fit.Groups;
  fileMaker_ = std::make_unique<TDocxFileMaker>(FileName, run_, groups_, widths_, fit.Orientation);
  fileMaker_->Begin();
  for (const WideString& line : Header) fileMaker_->WriteSingleCellRow(line, run_.HeaderStyle, 0);
}

void TTesselDocx::WriteCaptionRow() {
  if (!fileMaker_) return;
  fileMaker_->BeginRow();
  for (int i = 0; i < Columns().Count(); ++i) fileMaker_->WriteCell(Columns()[i].Caption, run_.CaptionRowStyle);
  fileMaker_->EndRow();
}

const TDocxCellStyle& TTesselDocx::DataCellStyle(int column) const {
  const int strips = run_.StripCount();
  if (strips == 0) return run_.DataStyle;
  const int k = run_.StripStyleType == ssColumn ? column % strips : dataRowCounter_ % strips;
  return run_.StripStylesList[static_cast<size_t>(k)].Options;
}

void TTesselDocx::WriteDataRow() {
  if (!fileMaker_) return;
  ++rowCounter_;
  const TTesselRow& row = Row();
  fileMaker_->BeginRow();
  for (int i = 0; i < row.Count(); ++i) fileMaker_->WriteCell(GetCellText(row[i]), DataCellStyle(i));
  fileMaker_->EndRow();
  ++dataRowCounter_;
}

// Also runs when the run fails: then the package is thrown away with its
// staging folder instead of being zipped.
void TTesselDocx::EndExport() {
  std::unique_ptr<TDocxFileMaker> maker = std::move(fileMaker_);
  if (maker && !RunFailed()) {
    for (const WideString& line : Footer) maker->WriteSingleCellRow(line, run_.FooterStyle, maker->GroupCount() - 1);
    maker->Finish();
  }
  maker.reset();
  TTesselAdvancedText::EndExport();
}

void TTesselDocx::Execute() {
  if (FileName.empty()) throw Exception("No target file name is given for the export");
  try {
    RunExport();
  } catch (...) {
    fileMaker_.reset();
    throw;
  }
  fileMaker_.reset();
  ShowResult();
}

void TTesselDocx::SaveSettings(TTesselIniFile& settings) {
  TTesselAdvancedText::SaveSettings(settings);
  SaveDocxSettings(settings, DocxOptions);
}

void TTesselDocx::LoadSettings(TTesselIniFile& settings) {
  TTesselAdvancedText::LoadSettings(settings);
  LoadDocxSettings(settings, DocxOptions);
}

}  // namespace verimo
