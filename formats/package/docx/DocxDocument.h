#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/WideString.h"
#include "engine/TesselStream.h"
#include "formats/package/docx/DocxOptions.h"

namespace verimo {

class TTesselXMLWriter;

// word/document.xml, streamed into `stream` (which stays the caller's): one
// table whose rows are written as they come, each cell one paragraph with
// one run.
class TDocxDocument {
 public:
  explicit TDocxDocument(TStream& stream);
  ~TDocxDocument();

  // The document start and the start of its first table (BeginTable).
  void Begin(const std::vector<int>& widths);
  // A table of columns of these widths (twips) begins: its properties (as
  // wide as the columns together, laid out at those widths).
  void BeginTable(const std::vector<int>& widths);
  // A paragraph that breaks the page (before a further table).
  void PageBreak();
  // The grid: one column of each width.
  void WriteGrid(const std::vector<int>& widths);
  void BeginRow();
  // A cell `width` twips wide with its text (line breaks become breaks in
  // the run), style and an optional border, across `span` grid columns.
  void WriteCell(WideStringView text, const TDocxCellStyle& style, const TDocxBorder* border, int width,
                 int span = 1);
  void EndRow();
  int RowCount() const { return rowCount_; }
  // Ends the table. A table without rows gets one row of empty cells
  // first (one per width, at least one), since readers refuse a table
  // without rows.
  void EndTable(const std::vector<int>& widths);
  // Bytes another document of this kind wrote (a further table), as they are.
  void AppendPart(TStream& part);
  // Ends the body with the page of `orientation` and flushes everything
  // into the stream.
  void EndBody(TTesselPageOrientation orientation);
  // Hands what is written to the stream (a part written aside).
  void Flush();

 private:
  void WriteDocumentStart();
  void WriteRunText(WideStringView text);

  std::unique_ptr<TTesselXMLWriter> xml_;
  std::string cell_;
  int rowCount_ = 0;
};

}  // namespace verimo
