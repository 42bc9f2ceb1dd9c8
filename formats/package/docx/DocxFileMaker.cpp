#include "formats/package/docx/DocxFileMaker.h"

#include "formats/package/BaseArchiveClass.h"
#include "formats/package/DeflatedPart.h"
#include "formats/package/PackagePart.h"
#include "formats/package/docx/DocxDocProps.h"
#include "formats/package/docx/DocxDocument.h"
#include "formats/package/docx/DocxFixedParts.h"
#include "formats/package/docx/DocxFontTable.h"
#include "formats/package/docx/DocxSettings.h"

namespace verimo {
namespace fs = std::filesystem;

TDocxFileMaker::TDocxFileMaker(fs::path outputFileName, const TTesselDocxOptions& options, std::vector<int> widths,
                               TTesselPageOrientation orientation)
    : outputFileName_(std::move(outputFileName)),
      options_(options),
      widths_(std::move(widths)),
      orientation_(orientation) {}

TDocxFileMaker::~TDocxFileMaker() = default;

void TDocxFileMaker::Begin() {
  package_ = staging_.CreateSubFolder("package");
  for (const char* folder : {"_rels", "docProps", "word/_rels"}) staging_.CreateSubFolder(package_ / folder);
  WritePartFile(package_ / "_rels/.rels", WriteDocxPackageRelationships);
  WritePartFile(package_ / "docProps/app.xml", WriteDocxAppProperties);
  WritePartFile(package_ / "docProps/core.xml", WriteDocxCoreProperties);
  WritePartFile(package_ / "word/_rels/document.xml.rels", WriteDocxDocumentRelationships);
  WritePartFile(package_ / "word/fontTable.xml", WriteDocxFontTable);
  WritePartFile(package_ / "word/settings.xml", WriteDocxSettings);
  WritePartFile(package_ / "word/webSettings.xml", WriteDocxWebSettings);
  WritePartFile(package_ / "[Content_Types].xml", WriteDocxContentTypes);
  documentPart_ = std::make_unique<TDeflatedPart>(staging_.CreateSubFolder("work") / "document.xml.deflated",
                                                  TBaseArchiveClass::kLevel, TDeflatedPart::TMode::InWorker);
  document_ = std::make_unique<TDocxDocument>(*documentPart_);
  document_->Begin(widths_);
}

void TDocxFileMaker::GridIfNeeded() {
  if (gridWritten_) return;
  document_->WriteGrid(widths_);
  gridWritten_ = true;
}

void TDocxFileMaker::WriteSingleCellRow(WideStringView text, const TDocxCellStyle& style) {
  GridIfNeeded();
  int total = 0;
  for (int width : widths_) total += width;
  document_->BeginRow();
  document_->WriteCell(text, style, nullptr, total, static_cast<int>(widths_.size()));
  document_->EndRow();
}

void TDocxFileMaker::BeginRow() {
  GridIfNeeded();
  document_->BeginRow();
  column_ = 0;
}

void TDocxFileMaker::WriteCell(WideStringView text, const TDocxCellStyle& style) {
  const int width = column_ < widths_.size() ? widths_[column_] : 0;
  ++column_;
  document_->WriteCell(text, style, options_.UseBorder ? &options_.Border : nullptr, width);
}

void TDocxFileMaker::EndRow() { document_->EndRow(); }

void TDocxFileMaker::Finish() {
  GridIfNeeded();
  document_->End(orientation_, widths_);
  documentPart_->Finish();
  TBaseArchiveClass archive(package_);
  archive.SetOutputFileName(outputFileName_);
  archive.DeflatedParts.push_back({"word/document.xml", documentPart_.get(), true});
  archive.CreateArchive();
}

}  // namespace verimo
