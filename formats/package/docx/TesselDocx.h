#pragma once

#include <memory>
#include <vector>

#include "engine/TesselText.h"
#include "formats/package/docx/DocxOptions.h"

namespace verimo {

class TDocxFileMaker;
class TTextMeasurer;

// Exports the source as a Word 2007 document holding one table: header
// lines, the caption row, one row per record and footer lines are its
// rows, each cell one paragraph with one run styled from the cell style of
// its kind. The package is written into a private staging folder and
// zipped into FileName at the end of the run.
class TTesselDocx : public TTesselAdvancedText {
 public:
  TTesselDocx();
  ~TTesselDocx() override;

  TTesselDocxOptions DocxOptions;
  // Measures the texts for the column widths; the installed fonts when
  // null. Not owned.
  TTextMeasurer* TextMeasurer = nullptr;

  void BeginExport() override;
  void WriteCaptionRow() override;
  void WriteDataRow() override;
  void EndExport() override;
  // Runs the export without an output stream, then shows the result.
  void Execute() override;
  void SaveSettings(TTesselIniFile& settings) override;
  void LoadSettings(TTesselIniFile& settings) override;

  int RowCounter() const { return rowCounter_; }
  // The options the run follows: the page it turned to and the fonts it
  // narrowed to fit the table.
  const TTesselDocxOptions& RunOptions() const { return run_; }
  // The column groups of the run's tables (one of every column unless there
  // are more than a word processor holds) and the widths of each group's
  // columns in twips.
  const std::vector<std::vector<int>>& ColumnGroups() const { return groups_; }
  const std::vector<int>& ColumnWidths(size_t group = 0) const { return widths_.at(group); }
  int DataRowCounter() const { return dataRowCounter_; }

 private:
  const TDocxCellStyle& DataCellStyle(int column) const;

  TTesselDocxOptions run_;
  std::vector<std::vector<int>> groups_;
  std::vector<std::vector<int>> widths_;
  std::unique_ptr<TDocxFileMaker> fileMaker_;
  int rowCounter_ = 0;
  int dataRowCounter_ = 0;
};

}  // namespace verimo
