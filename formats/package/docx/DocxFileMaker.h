#pragma once

#include <filesystem>
#include <memory>
#include <vector>

#include "core/WideString.h"
#include "formats/package/StagingFolder.h"
#include "formats/package/docx/DocxOptions.h"

namespace verimo {

class TDeflatedPart;
class TDocxDocument;

// Writes the parts of one document into a private staging folder and zips
// them into the output file. word/document.xml is compressed while its rows
// are written (on worker threads), so only its compressed bytes reach the
// staging folder; the archive takes them as they are. Lives for one run;
// the staging folder goes with it.
class TDocxFileMaker {
 public:
  // `widths`: the table's columns in twips; `orientation`: the page's.
  TDocxFileMaker(std::filesystem::path outputFileName, const TTesselDocxOptions& options, std::vector<int> widths,
                 TTesselPageOrientation orientation);
  ~TDocxFileMaker();
  TDocxFileMaker(const TDocxFileMaker&) = delete;
  TDocxFileMaker& operator=(const TDocxFileMaker&) = delete;

  // Creates the package folders, writes the fixed parts and opens the document.
  void Begin();
  // A row with one cell across the table (header and footer lines), never
  // bordered.
  void WriteSingleCellRow(WideStringView text, const TDocxCellStyle& style);
  // A row of cells, bordered when the options ask for it.
  void BeginRow();
  void WriteCell(WideStringView text, const TDocxCellStyle& style);
  void EndRow();
  // Ends the document and zips the package into the output file.
  void Finish();

 private:
  void GridIfNeeded();

  std::filesystem::path outputFileName_;
  const TTesselDocxOptions& options_;
  std::vector<int> widths_;
  TTesselPageOrientation orientation_;
  size_t column_ = 0;  // of the cell written next in the row
  bool gridWritten_ = false;
  TStagingFolder staging_;
  std::filesystem::path package_;
  // Declared after the staging folder and before the document that writes
  // into it: the part stops its worker before the folder goes.
  std::unique_ptr<TDeflatedPart> documentPart_;
  std::unique_ptr<TDocxDocument> document_;
};

}  // namespace verimo
