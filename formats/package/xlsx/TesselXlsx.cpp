#include "formats/package/xlsx/TesselXlsx.h"

#include <exception>
#include <string>
#include <vector>

#include "core/Exception.h"
#include "formats/package/xlsx/XlsxFileMaker.h"
#include "formats/package/xlsx/XlsxSheets.h"
#include "formats/package/xlsx/XlsxStyles.h"

namespace verimo {

TTesselXlsx::TTesselXlsx() {
  published_.Captions = true;
  published_.UserFormats = true;
  published_.Formats = true;
}

TTesselXlsx::~TTesselXlsx() = default;

void TTesselXlsx::SetSheetName(WideStringView name) {
  if (!name.empty()) sheetName_ = WideString(name);
}

void TTesselXlsx::BeginExport() {
  TTesselAdvancedText::BeginExport();
  if (Columns().Count() > kMaxSheetColumns)
    throw Exception("A worksheet holds at most " + std::to_string(kMaxSheetColumns) + " columns, not " +
                    std::to_string(Columns().Count()));
  rowCounter_ = 0;
  dataRowCounter_ = 0;
  fileMaker_ = std::make_unique<TXlsxFileMaker>(FileName, XlsxOptions, sheetName_);
  fileMaker_->SheetRowLimit = SheetRowLimit;
  fileMaker_->Begin();
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
  for (int i = 0; i < row.Count(); ++i) fileMaker_->AddDataCell(i, GetCellText(row[i]), DataCellStyle(i));
  fileMaker_->EndDataRow();
  ++dataRowCounter_;
}

// Also runs when the run fails: then the package is thrown away with its
// staging folder instead of being zipped.
void TTesselXlsx::EndExport() {
  std::unique_ptr<TXlsxFileMaker> maker = std::move(fileMaker_);
  if (maker && std::uncaught_exceptions() == 0) {
    for (const WideString& line : Footer) {
      ++rowCounter_;
      maker->WriteSingleCellRow(line, kXlsxFooterStyle);
    }
    maker->Finish();
  }
  maker.reset();
  TTesselAdvancedText::EndExport();
}

void TTesselXlsx::Execute() {
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

void TTesselXlsx::SaveSettings(TTesselIniFile& settings) {
  TTesselAdvancedText::SaveSettings(settings);
  SaveXlsxSettings(settings, XlsxOptions, sheetName_);
}

void TTesselXlsx::LoadSettings(TTesselIniFile& settings) {
  TTesselAdvancedText::LoadSettings(settings);
  LoadXlsxSettings(settings, XlsxOptions, sheetName_);
}

}  // namespace verimo
