#include "formats/package/docx/TesselDocx.h"

#include <exception>

#include "core/Exception.h"
#include "formats/package/docx/DocxFileMaker.h"

namespace verimo {

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
  fileMaker_ = std::make_unique<TDocxFileMaker>(FileName, DocxOptions, Columns().Count());
  fileMaker_->Begin();
  for (const WideString& line : Header) fileMaker_->WriteSingleCellRow(line, DocxOptions.HeaderStyle);
}

void TTesselDocx::WriteCaptionRow() {
  if (!fileMaker_) return;
  fileMaker_->BeginRow();
  for (int i = 0; i < Columns().Count(); ++i) fileMaker_->WriteCell(Columns()[i].Caption, DocxOptions.CaptionRowStyle);
  fileMaker_->EndRow();
}

const TDocxCellStyle& TTesselDocx::DataCellStyle(int column) const {
  const int strips = DocxOptions.StripCount();
  if (strips == 0) return DocxOptions.DataStyle;
  const int k = DocxOptions.StripStyleType == ssColumn ? column % strips : dataRowCounter_ % strips;
  return DocxOptions.StripStylesList[static_cast<size_t>(k)].Options;
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
  if (maker && std::uncaught_exceptions() == 0) {
    for (const WideString& line : Footer) maker->WriteSingleCellRow(line, DocxOptions.FooterStyle);
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
