#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/TesselText.h"
#include "formats/package/odf/OdtOptions.h"

namespace verimo {

class TBaseODFFile;
class TTesselXMLWriter;
class TFileStream;
class TTextMeasurer;

// Exports the source as an OpenDocument text document: the header lines
// as paragraphs, one table with the caption row as its repeated header
// rows and one row per record, then the footer lines as paragraphs.
// Neighbouring cells share one border line: every cell draws its top and
// left edges, the last row and the last column also their bottom and
// right edges; to know the last row, each row is held back until the next
// one comes.
class TTesselODT : public TTesselAdvancedText {
 public:
  TTesselODT();
  ~TTesselODT() override;

  TTesselODTOptions ODTOptions;
  // Resource string 34656 by default; an empty name fails the run.
  WideString TableName;
  // Measures the texts for the column widths; the installed fonts when
  // null. Not owned.
  TTextMeasurer* TextMeasurer = nullptr;

  void BeginExport() override;
  void WriteCaptionRow() override;
  void WriteDataRow() override;
  void AfterExport() override;
  void EndExport() override;
  void Execute() override;
  void SaveSettings(TTesselIniFile& settings) override;
  void LoadSettings(TTesselIniFile& settings) override;

  int RecordCount() const { return records_; }
  // The run's page orientation, the column groups of its tables (one of
  // every column unless there are more than a word processor holds) and
  // each group's column widths (points), and its options with the fonts it
  // narrowed to fit the table.
  TTesselPageOrientation RunOrientation() const { return orientation_; }
  const std::vector<std::vector<int>>& ColumnGroups() const { return groups_; }
  const std::vector<double>& ColumnWidths(size_t group = 0) const { return widths_.at(group); }
  const TTesselODTOptions& RunOptions() const { return run_; }

 private:
  // The row held back: its cell texts, whether it is the caption row and,
  // for a record, its number (from 1).
  struct TPendingRow {
    std::vector<WideString> Texts;
    bool Captions = false;
    int Record = 0;
    bool Held = false;
  };

  // The table of a further column group, written aside until the end.
  struct TGroupPart {
    std::unique_ptr<TFileStream> stream;
    std::unique_ptr<TTesselXMLWriter> writer;
  };

  void FitTableToPage();
  void AppendTableStyles(std::string& out) const;
  void AppendPageStyles(std::string& out) const;
  TTesselXMLWriter& GroupWriter(size_t group);
  static std::string GroupStyleName(size_t group, const char* name);
  void WritePendingRow(bool last);
  void WritePendingRow(size_t group, bool last);
  void WriteParagraphs(std::string_view style, const TStringList& lines);
  void FinishPackage();
  int StripOf(int column, int record) const;

  TTesselODTOptions run_;
  TTesselPageOrientation orientation_ = poPortrait;
  std::vector<std::vector<int>> groups_;
  std::vector<std::vector<double>> widths_;
  std::vector<TGroupPart> parts_;
  std::unique_ptr<TBaseODFFile> package_;
  TPendingRow pending_;
  std::string line_;
  int records_ = 0;
  int rows_ = 0;
};

}  // namespace verimo
