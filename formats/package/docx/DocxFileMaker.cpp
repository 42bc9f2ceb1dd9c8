#include "formats/package/docx/DocxFileMaker.h"

#include <algorithm>

#include "formats/package/BaseArchiveClass.h"
#include "formats/package/DeflatedPart.h"
#include "formats/package/OfficeParts.h"
#include "formats/package/PackagePart.h"
#include "formats/package/docx/DocxDocProps.h"
#include "formats/package/docx/DocxDocument.h"
#include "formats/package/docx/DocxFixedParts.h"
#include "formats/package/docx/DocxFontTable.h"
#include "formats/package/docx/DocxSettings.h"

namespace verimo {
namespace fs = std::filesystem;

TDocxFileMaker::TDocxFileMaker(fs::path outputFileName, const TTesselDocxOptions& options,
                               std::vector<std::vector<int>> groups, std::vector<std::vector<int>> widths,
                               TTesselPageOrientation orientation)
    : outputFileName_(std::move(outputFileName)),
      options_(options),
      groups_(std::move(groups)),
      widths_(std::move(widths)),
      orientation_(orientation) {
  if (groups_.empty()) {
    groups_.emplace_back();
    widths_.emplace_back();
  }
  for (size_t g = 0; g < groups_.size(); ++g)
    for (size_t k = 0; k < groups_[g].size(); ++k) {
      const auto column = static_cast<size_t>(groups_[g][k]);
      if (places_.size() <= column) places_.resize(column + 1);
      places_[column].emplace_back(g, k);
    }
}

TDocxFileMaker::~TDocxFileMaker() = default;

void TDocxFileMaker::Begin() {
  package_ = staging_.CreateSubFolder("package");
  for (const char* folder : {"_rels", "docProps", "word/_rels"}) staging_.CreateSubFolder(package_ / folder);
  WritePartFile(package_ / "_rels/.rels",
                [](TTesselXMLWriter& xml) { WritePackageRelationships(xml, u"word/document.xml"); });
  WritePartFile(package_ / "docProps/app.xml", WriteDocxAppProperties);
  WritePartFile(package_ / "docProps/core.xml", [](TTesselXMLWriter& xml) {
    WriteOfficeCoreProperties(xml, {u"2006-10-09T09:46:00Z", u"2006-10-09T09:47:00Z", true});
  });
  WritePartFile(package_ / "word/_rels/document.xml.rels", WriteDocxDocumentRelationships);
  WritePartFile(package_ / "word/fontTable.xml", WriteDocxFontTable);
  WritePartFile(package_ / "word/settings.xml", WriteDocxSettings);
  WritePartFile(package_ / "word/webSettings.xml", WriteDocxWebSettings);
  WritePartFile(package_ / "[Content_Types].xml", WriteDocxContentTypes);
  documentPart_ = std::make_unique<TDeflatedPart>(staging_.CreateSubFolder("work") / "document.xml.deflated",
                                                  TBaseArchiveClass::kLevel, TDeflatedPart::TMode::InWorker);
  document_ = std::make_unique<TDocxDocument>(*documentPart_);
  document_->Begin(widths_[0]);
  for (size_t g = 1; g < groups_.size(); ++g) {
    TGroupPart& part = parts_.emplace_back();
    part.stream = CreateTemporaryFileStream();
    part.document = std::make_unique<TDocxDocument>(*part.stream);
    part.document->PageBreak();
    part.document->BeginTable(widths_[g]);
  }
}

TDocxDocument& TDocxFileMaker::GroupDocument(size_t group) {
  return group == 0 ? *document_ : *parts_[group - 1].document;
}

void TDocxFileMaker::GridIfNeeded() {
  if (gridWritten_) return;
  for (size_t g = 0; g < groups_.size(); ++g) GroupDocument(g).WriteGrid(widths_[g]);
  gridWritten_ = true;
}

void TDocxFileMaker::WriteSingleCellRow(WideStringView text, const TDocxCellStyle& style, size_t group) {
  GridIfNeeded();
  group = std::min(group, groups_.size() - 1);
  int total = 0;
  for (int width : widths_[group]) total += width;
  TDocxDocument& document = GroupDocument(group);
  document.BeginRow();
  document.WriteCell(text, style, nullptr, total, static_cast<int>(widths_[group].size()));
  document.EndRow();
}

void TDocxFileMaker::BeginRow() {
  GridIfNeeded();
  for (size_t g = 0; g < groups_.size(); ++g) GroupDocument(g).BeginRow();
  column_ = 0;
}

void TDocxFileMaker::WriteCell(WideStringView text, const TDocxCellStyle& style) {
  const size_t column = column_++;
  if (column >= places_.size()) return;
  for (const auto& [group, place] : places_[column])
    GroupDocument(group).WriteCell(text, style, options_.UseBorder ? &options_.Border : nullptr,
                                   widths_[group][place]);
}

void TDocxFileMaker::EndRow() {
  for (size_t g = 0; g < groups_.size(); ++g) GroupDocument(g).EndRow();
}

// The further groups' tables follow the first, each after a page break.
void TDocxFileMaker::Finish() {
  GridIfNeeded();
  for (size_t g = 0; g < groups_.size(); ++g) GroupDocument(g).EndTable(widths_[g]);
  for (TGroupPart& part : parts_) {
    part.document->Flush();
    document_->AppendPart(*part.stream);
  }
  parts_.clear();
  document_->EndBody(orientation_);
  documentPart_->Finish();
  TBaseArchiveClass archive(package_);
  archive.SetOutputFileName(outputFileName_);
  archive.DeflatedParts.push_back({"word/document.xml", documentPart_.get(), true});
  archive.CreateArchive();
}

}  // namespace verimo
