#pragma once

#include <functional>
#include <vector>

#include "core/WideString.h"
#include "engine/TesselPageFit.h"
#include "engine/TesselTypes.h"
#include "formats/pdf/PdfDocument.h"
#include "formats/pdf/PdfFont.h"

namespace verimo {

// Where a table's columns stand on its pages: the columns of each group
// (a table wider than a page is cut into groups, each beginning with the
// first column) and the boundaries X[0] … X[n] of the group's columns.
struct TPDFTableLayout {
  std::vector<std::vector<int>> Groups;
  std::vector<std::vector<int>> Bounds;
  TPDFBox Trim;
  double RowSpacing = 1.0;
  int GridLineWidth = 1;
  TColor GridLineColor = clBlack;
  // Between a cell's edge and its text, in the caption and data fonts.
  int CaptionInset = 0;
  int DataInset = 0;
};

// Draws a ruled table onto the pages of a document: texts wrap inside
// their cells, every page starts with the caption row, and a row taller
// than a page goes on over the next. The rows of one page are held until
// the page is full, then drawn once per column group (the group's pages
// follow each other), so that each group shows the same rows.
class TPDFTable {
 public:
  using TEscape = std::function<WideString(const WideString&)>;

  // `firstTop`: where the table starts on the page the document is on.
  TPDFTable(TPDFDocument& document, const TPDFFont& captionFont, const TPDFFont& dataFont, TPDFTableLayout layout,
            TEscape escape, int firstTop);

  // The captions, one per column (not escaped); none: no caption row.
  void SetCaptions(std::vector<WideString> captions);
  // A row of cells, one per column, in column order (texts not escaped).
  void BeginRow();
  void AddCell(WideStringView text, TTesselColAlign align, TColor color, TColor background);
  void EndRow();
  // Draws what is held (the caption rows at least, when nothing was
  // drawn yet); afterwards Y() is the bottom of the table on the last page.
  void Finish();
  int Y() const { return y_; }

  const TPDFTableLayout& Layout() const { return layout_; }

 private:
  struct TCell {
    size_t firstLine = 0;
    int lineCount = 0;
    TTesselColAlign align = ecaLeft;
    TColor color = clBlack;
    TColor background = 16777215;  // none
  };
  // Rows held for the page: the texts, wrapped lines and cells of all its
  // rows, and per row and group the line count of the tallest cell.
  struct TBand {
    WideString text;
    std::vector<TTesselTextLine> lines;
    std::vector<TCell> cells;
    std::vector<int> lineCounts;
    int rows = 0;
    void Clear() {
      text.clear();
      lines.clear();
      cells.clear();
      lineCounts.clear();
      rows = 0;
    }
  };

  int GroupCount() const { return static_cast<int>(layout_.Groups.size()); }
  int Inset(const TPDFFont& font) const;
  // The room a column has for its text.
  double Room(int column, const TPDFFont& font) const;
  // The height of a row of `lines` lines in the font.
  int RowHeight(const TPDFFont& font, int lines) const;
  // How many lines of a row fit `height` (at least one).
  int LinesThatFit(const TPDFFont& font, int height) const;
  int CaptionHeight(int group) const;
  // Whether a row of `lines` lines takes more than half a page of the group.
  bool Big(int group, int lines) const;
  bool BandFull() const;
  void AddText(TBand& band, WideStringView text, double room, TTesselCharWidths& widths, TCell& cell);
  void KeepLastRow();
  // Draws the first `rows` rows of the band in every group.
  void DrawBand(int rows);
  void DrawGroup(int group, int rows);
  // A page of the group starts (on a new page, or where the table starts
  // on the current one) with its top rule and caption row; it ends with
  // the vertical rules.
  void StartPage(int group, bool newPage);
  void EndPage(int group);
  // Lines [first, first + count) of the cells of a row, the row's top at
  // Y(), with the rule under them.
  void DrawRow(int group, const TBand& band, const TCell* cells, int first, int count, const TPDFFont& font);
  void DrawCellLines(const TBand& band, const TCell& cell, int first, int count, int left, int right, int top,
                     const TPDFFont& font);

  TPDFDocument& document_;
  const TPDFFont& captionFont_;
  const TPDFFont& dataFont_;
  TPDFTableLayout layout_;
  TEscape escape_;
  std::vector<int> columnWidth_;  // per column
  std::vector<int> columnOwner_;  // per column, its group (column 0 is in every group)
  TTesselCharWidths captionWidths_;
  TTesselCharWidths dataWidths_;
  TBand captions_;
  std::vector<TCell> captionCells_;
  bool hasCaptions_ = false;
  TBand band_;
  size_t rowStart_ = 0;  // where the row being added starts: its first cell, text and line
  size_t rowTextStart_ = 0;
  size_t rowLineStart_ = 0;
  const TPDFFont* font_ = nullptr;  // the document's current font, while a band is drawn
  std::vector<int> bandHeight_;  // per group, the height of the band's rows
  std::vector<TTesselTextLine> wrapped_;
  int firstTop_ = 0;
  bool drawnAny_ = false;  // the page the table started on is used
  bool pageOpen_ = false;  // a page of the table is in progress
  int y_ = 0;
  int pageTop_ = 0;
  int contentTop_ = 0;  // below the caption row of the page
};

}  // namespace verimo
