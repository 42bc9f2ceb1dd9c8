#include "formats/package/xlsx/XlsxFileMaker.h"

#include "formats/package/BaseArchiveClass.h"
#include "formats/package/OfficeParts.h"
#include "formats/package/PackagePart.h"
#include "formats/package/xlsx/XlsxContentTypes.h"
#include "formats/package/xlsx/XlsxDocProps.h"
#include "formats/package/xlsx/XlsxRelationships.h"
#include "formats/package/xlsx/XlsxSharedStrings.h"
#include "formats/package/xlsx/XlsxSheets.h"
#include "formats/package/xlsx/XlsxStyles.h"
#include "formats/package/xlsx/XlsxWorkbook.h"
#include "formats/package/xlsx/XlsxWorksheet.h"

namespace verimo {
namespace fs = std::filesystem;

TXlsxFileMaker::TXlsxFileMaker(fs::path outputFileName, const TTesselXlsxOptions& options)
    : NumberFormats(options.StripCount()), outputFileName_(std::move(outputFileName)), options_(options) {}

TXlsxFileMaker::~TXlsxFileMaker() = default;

void TXlsxFileMaker::Begin() {
  package_ = staging_.CreateSubFolder("package");
  work_ = staging_.CreateSubFolder("work");
  for (const char* folder : {"xl/_rels", "xl/worksheets", "docProps", "_rels"}) staging_.CreateSubFolder(package_ / folder);
  WritePartFile(package_ / "_rels/.rels",
                [](TTesselXMLWriter& xml) { WritePackageRelationships(xml, u"xl/workbook.xml"); });
  WritePartFile(package_ / "docProps/core.xml", [](TTesselXMLWriter& xml) {
    WriteOfficeCoreProperties(xml, {u"2006-10-02T04:59:59Z", u"2006-10-02T05:00:35Z"});
  });
  strings_ = std::make_unique<TXlsxSharedStrings>(work_ / "sharedStrings.deflated");
}

void TXlsxFileMaker::BeginTable(WideStringView sheetName, const std::vector<WideString>& columnCodes) {
  tableName_ = WideString(sheetName);
  tableFirstSheet_ = sheets_.size();
  captions_.clear();
  hasCaptions_ = false;
  tableOpen_ = true;
  NumberFormats.SetColumnCodes(columnCodes);
  StartSheet();
}

// Sheet and part names follow XlsxContinuationSheet; where the workbook
// already has a sheet of that name (another table's, or one of its
// continuations), the name is made unique.
void TXlsxFileMaker::StartSheet() {
  TXlsxSheetInfo sheet =
      XlsxContinuationSheet(tableName_, static_cast<int>(sheets_.size() - tableFirstSheet_) + 1);
  sheet.Name = sheetNames_.Add(sheet.Name);
  sheet.PartName = UniquePartName(sheet.PartName);
  sheets_.push_back(std::move(sheet));
  columnWidths_.emplace_back();
  worksheets_.push_back(std::make_unique<TXlsxWorksheet>(work_ / ("sheet" + std::to_string(sheets_.size()) + ".deflated")));
  worksheets_.back()->Selected = sheets_.size() == 1;
}

// Part names are compared regardless of case.
std::string TXlsxFileMaker::UniquePartName(std::string wanted) const {
  auto taken = [this](const std::string& name) {
    for (const TXlsxSheetInfo& sheet : sheets_)
      if (SameText(Utf8ToWide(sheet.PartName), Utf8ToWide(name))) return true;
    return false;
  };
  for (size_t number = sheets_.size() + 1; taken(wanted); ++number) wanted = "sheet" + std::to_string(number);
  return wanted;
}

void TXlsxFileMaker::CloseSheet() { worksheets_.back()->Close(); }

void TXlsxFileMaker::BeginRow(int cellCount) {
  if (worksheets_.back()->RowCount() >= SheetRowLimit) {
    CloseSheet();
    StartSheet();
    if (hasCaptions_) {
      TXlsxWorksheet& sheet = *worksheets_.back();
      sheet.BeginRow(sheet.RowCount() + 1, static_cast<int>(captions_.size()));
      for (size_t i = 0; i < captions_.size(); ++i) AddCell(static_cast<int>(i), captions_[i], kXlsxCaptionStyle);
      sheet.EndRow();
    }
  }
  TXlsxWorksheet& sheet = *worksheets_.back();
  sheet.BeginRow(sheet.RowCount() + 1, cellCount);
}

// A longer text is cut at the cell's limit, never inside a surrogate pair:
// spreadsheet programs refuse a workbook with a longer one.
void TXlsxFileMaker::AddCell(int column, WideStringView text, int style) {
  if (text.size() > kMaxCellTextLength) {
    size_t length = kMaxCellTextLength;
    if (text[length - 1] >= 0xD800 && text[length - 1] <= 0xDBFF) --length;
    text = text.substr(0, length);
  }
  worksheets_.back()->AddCell(column, style, text.empty() ? -1 : strings_->Add(text));
}

void TXlsxFileMaker::WriteSingleCellRow(WideStringView text, int style) {
  BeginRow(1);
  AddCell(0, text, style);
  worksheets_.back()->EndRow();
}

void TXlsxFileMaker::WriteCaptionRow(const std::vector<WideString>& captions) {
  BeginRow(static_cast<int>(captions.size()));
  for (size_t i = 0; i < captions.size(); ++i) AddCell(static_cast<int>(i), captions[i], kXlsxCaptionStyle);
  worksheets_.back()->EndRow();
  captions_ = captions;
  hasCaptions_ = SheetRowLimit > 1;
}

void TXlsxFileMaker::BeginDataRow(int cellCount) { BeginRow(cellCount); }

void TXlsxFileMaker::AddDataCell(int column, WideStringView text, int style) { AddCell(column, text, style); }

void TXlsxFileMaker::AddNumberDataCell(int column, std::string_view value, int style) {
  worksheets_.back()->AddNumberCell(column, style, value);
}

void TXlsxFileMaker::AddBooleanDataCell(int column, bool value, int style) {
  worksheets_.back()->AddBooleanCell(column, style, value);
}

void TXlsxFileMaker::EndDataRow() { worksheets_.back()->EndRow(); }

void TXlsxFileMaker::EndTable(const std::vector<int>& columnWidths) {
  tableOpen_ = false;
  CloseSheet();
  for (size_t i = tableFirstSheet_; i < sheets_.size(); ++i) columnWidths_[i] = columnWidths;
}

void TXlsxFileMaker::DropTable() {
  tableOpen_ = false;
  sheets_.resize(tableFirstSheet_);
  worksheets_.resize(tableFirstSheet_);
  columnWidths_.resize(tableFirstSheet_);
}

void TXlsxFileMaker::Finish() {
  WritePartFile(package_ / "xl/styles.xml",
                [this](TTesselXMLWriter& xml) { WriteXlsxStyles(xml, options_, NumberFormats); });
  WritePartFile(package_ / "docProps/app.xml", [this](TTesselXMLWriter& xml) { WriteXlsxAppProperties(xml, sheets_); });
  WritePartFile(package_ / "xl/_rels/workbook.xml.rels",
                [this](TTesselXMLWriter& xml) { WriteXlsxWorkbookRelationships(xml, sheets_); });
  WritePartFile(package_ / "xl/workbook.xml", [this](TTesselXMLWriter& xml) { WriteXlsxWorkbook(xml, sheets_); });
  WritePartFile(package_ / "[Content_Types].xml",
                [this](TTesselXMLWriter& xml) { WriteXlsxContentTypes(xml, sheets_); });

  TBaseArchiveClass archive(package_);
  archive.SetOutputFileName(outputFileName_);
  for (size_t i = 0; i < sheets_.size(); ++i)
    archive.DeflatedParts.push_back(
        {"xl/worksheets/" + sheets_[i].PartName + ".xml", &worksheets_[i]->CompleteWithHead(columnWidths_[i])});
  archive.DeflatedParts.push_back({"xl/sharedStrings.xml", &strings_->Complete()});
  archive.CreateArchive();
}

}  // namespace verimo
