#pragma once

#include <filesystem>
#include <memory>
#include <vector>

#include "core/NonCopyable.h"
#include "core/WideString.h"
#include "engine/TesselStream.h"
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
class TDocxFileMaker : private TNonCopyable {
 public:
  // `groups`: the columns of each table (one table of every column, or
  // column groups that each begin with the first column and each go on a
  // page of their own); `widths`: each group's columns in twips;
  // `orientation`: the page's.
  TDocxFileMaker(std::filesystem::path outputFileName, const TTesselDocxOptions& options,
                 std::vector<std::vector<int>> groups, std::vector<std::vector<int>> widths,
                 TTesselPageOrientation orientation);
  ~TDocxFileMaker();

  // Creates the package folders, writes the fixed parts and opens the document.
  void Begin();
  // A row with one cell across the table of a group (header lines in the
  // first, footer lines in the last), never bordered.
  void WriteSingleCellRow(WideStringView text, const TDocxCellStyle& style, size_t group);
  size_t GroupCount() const { return groups_.size(); }
  // A row of cells (one per column, in column order) in every group's
  // table, bordered when the options ask for it.
  void BeginRow();
  void WriteCell(WideStringView text, const TDocxCellStyle& style);
  void EndRow();
  // Ends the document and zips the package into the output file.
  void Finish();

 private:
  // The table of a further column group, written aside until the end.
  struct TGroupPart {
    std::unique_ptr<TFileStream> stream;
    std::unique_ptr<TDocxDocument> document;
  };

  void GridIfNeeded();
  TDocxDocument& GroupDocument(size_t group);

  std::filesystem::path outputFileName_;
  const TTesselDocxOptions& options_;
  std::vector<std::vector<int>> groups_;
  std::vector<std::vector<int>> widths_;
  // Per column, the groups it is in and its place there.
  std::vector<std::vector<std::pair<size_t, size_t>>> places_;
  TTesselPageOrientation orientation_;
  size_t column_ = 0;  // of the cell written next in the row
  bool gridWritten_ = false;
  TStagingFolder staging_;
  std::filesystem::path package_;
  // Declared after the staging folder and before the document that writes
  // into it: the part stops its worker before the folder goes.
  std::unique_ptr<TDeflatedPart> documentPart_;
  std::unique_ptr<TDocxDocument> document_;
  std::vector<TGroupPart> parts_;
};

}  // namespace verimo
