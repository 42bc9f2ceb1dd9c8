#include "formats/pdf/PdfTable.h"

#include <algorithm>
#include <cmath>

namespace verimo {

namespace {

constexpr TColor kNoBackground = 16777215;

int Nint(double value) { return RoundHalfEven(value); }

// The distance between the baselines of a cell's lines.
int LineStep(const TPDFFont& font) { return std::max(1, Nint(font.Size() * 1.2)); }

}  // namespace

TPDFTable::TPDFTable(TPDFDocument& document, const TPDFFont& captionFont, const TPDFFont& dataFont,
                     TPDFTableLayout layout, TEscape escape, int firstTop)
    : document_(document),
      captionFont_(captionFont),
      dataFont_(dataFont),
      layout_(std::move(layout)),
      escape_(std::move(escape)),
      captionWidths_([this](char32_t ch) { return document_.CharWidth(captionFont_, ch); }),
      dataWidths_([this](char32_t ch) { return document_.CharWidth(dataFont_, ch); }),
      firstTop_(firstTop),
      y_(firstTop) {
  for (size_t g = 0; g < layout_.Groups.size(); ++g) {
    const std::vector<int>& group = layout_.Groups[g];
    for (size_t k = 0; k < group.size(); ++k) {
      const auto column = static_cast<size_t>(group[k]);
      if (columnWidth_.size() <= column) {
        columnWidth_.resize(column + 1, 0);
        columnOwner_.resize(column + 1, 0);
      }
      columnWidth_[column] = layout_.Bounds[g][k + 1] - layout_.Bounds[g][k];
      if (column != 0) columnOwner_[column] = static_cast<int>(g);
    }
  }
  bandHeight_.assign(layout_.Groups.size(), 0);
}

int TPDFTable::Inset(const TPDFFont& font) const {
  return &font == &captionFont_ ? layout_.CaptionInset : layout_.DataInset;
}

double TPDFTable::Room(int column, const TPDFFont& font) const {
  return columnWidth_[static_cast<size_t>(column)] - 2.0 * Inset(font) - layout_.GridLineWidth;
}

int TPDFTable::RowHeight(const TPDFFont& font, int lines) const {
  const int size = font.Size();
  return Nint(size * (layout_.RowSpacing / 2 + 1)) + (std::max(lines, 1) - 1) * LineStep(font) +
         Nint(size * layout_.RowSpacing / 2);
}

int TPDFTable::LinesThatFit(const TPDFFont& font, int height) const {
  const int first = RowHeight(font, 1);
  if (height < first) return 1;
  return 1 + (height - first) / LineStep(font);
}

int TPDFTable::CaptionHeight(int group) const {
  if (!hasCaptions_) return 0;
  int lines = 1;
  for (int column : layout_.Groups[static_cast<size_t>(group)])
    lines = std::max(lines, captionCells_[static_cast<size_t>(column)].lineCount);
  return RowHeight(captionFont_, lines);
}

void TPDFTable::AddText(TBand& band, WideStringView text, double room, TTesselCharWidths& widths, TCell& cell) {
  const size_t start = band.text.size();
  band.text.append(text);
  WrapText(text, room, widths, wrapped_);
  cell.firstLine = band.lines.size();
  cell.lineCount = static_cast<int>(wrapped_.size());
  for (TTesselTextLine line : wrapped_) {
    line.Start += start;
    band.lines.push_back(line);
  }
}

void TPDFTable::SetCaptions(std::vector<WideString> captions) {
  captions_.Clear();
  captionCells_.assign(columnWidth_.size(), TCell());
  for (size_t i = 0; i < captionCells_.size() && i < captions.size(); ++i) {
    TCell& cell = captionCells_[i];
    cell.color = captionFont_.Color();
    cell.background = kNoBackground;
    AddText(captions_, captions[i], Room(static_cast<int>(i), captionFont_), captionWidths_, cell);
  }
  hasCaptions_ = true;
}

void TPDFTable::BeginRow() {
  rowStart_ = band_.cells.size();
  rowTextStart_ = band_.text.size();
  rowLineStart_ = band_.lines.size();
}

void TPDFTable::AddCell(WideStringView text, TTesselColAlign align, TColor color, TColor background) {
  const auto column = static_cast<int>(band_.cells.size() - rowStart_);
  if (column >= static_cast<int>(columnWidth_.size())) return;
  TCell& cell = band_.cells.emplace_back();
  cell.align = align;
  cell.color = color;
  cell.background = background;
  AddText(band_, text, Room(column, dataFont_), dataWidths_, cell);
}

void TPDFTable::EndRow() {
  TCell missing;
  missing.firstLine = band_.lines.size();
  band_.cells.resize(rowStart_ + columnWidth_.size(), missing);
  const int groups = GroupCount();
  std::vector<int>& counts = band_.lineCounts;
  const size_t countStart = counts.size();
  counts.resize(countStart + static_cast<size_t>(groups), 1);
  for (size_t column = 0; column < columnWidth_.size(); ++column) {
    const int lines = band_.cells[rowStart_ + column].lineCount;
    if (column == 0) {
      for (int g = 0; g < groups; ++g) counts[countStart + static_cast<size_t>(g)] = std::max(1, lines);
    } else {
      int& count = counts[countStart + static_cast<size_t>(columnOwner_[column])];
      count = std::max(count, lines);
    }
  }
  if (groups == 1) {
    // One group: each row is drawn at once, on the page in progress.
    ++band_.rows;
    DrawGroup(0, band_.rows);
    band_.Clear();
    return;
  }
  // The page is full when a row does not fit the rest of it in some group;
  // a row of more than half a page starts on it all the same.
  bool overflows = false;
  bool big = false;
  for (int g = 0; g < groups && band_.rows > 0; ++g) {
    const int lines = counts[countStart + static_cast<size_t>(g)];
    const int top = drawnAny_ || g != 0 ? layout_.Trim.Top : firstTop_;
    const int used = CaptionHeight(g) + bandHeight_[static_cast<size_t>(g)] + RowHeight(dataFont_, lines);
    overflows = overflows || top - used < layout_.Trim.Bottom;
    big = big || Big(g, lines);
  }
  if (overflows && (!big || BandFull())) {
    DrawBand(band_.rows);
    KeepLastRow();
  }
  ++band_.rows;
  for (int g = 0; g < groups; ++g)
    bandHeight_[static_cast<size_t>(g)] +=
        RowHeight(dataFont_, band_.lineCounts[static_cast<size_t>((band_.rows - 1) * groups + g)]);
}

// Whether a group's rows fill its page already (a big row then starts a
// page of its own).
bool TPDFTable::BandFull() const {
  for (int g = 0; g < GroupCount(); ++g) {
    const int top = drawnAny_ || g != 0 ? layout_.Trim.Top : firstTop_;
    if (top - CaptionHeight(g) - bandHeight_[static_cast<size_t>(g)] - RowHeight(dataFont_, 1) < layout_.Trim.Bottom)
      return true;
  }
  return false;
}

// The rows drawn leave the band; the row that did not fit them stays.
void TPDFTable::KeepLastRow() {
  const size_t groups = layout_.Groups.size();
  const size_t firstLine = rowLineStart_;
  const size_t textStart = rowTextStart_;
  band_.text.erase(0, textStart);
  band_.lines.erase(band_.lines.begin(), band_.lines.begin() + static_cast<std::ptrdiff_t>(firstLine));
  for (TTesselTextLine& line : band_.lines) line.Start -= textStart;
  band_.cells.erase(band_.cells.begin(), band_.cells.begin() + static_cast<std::ptrdiff_t>(rowStart_));
  for (TCell& cell : band_.cells) cell.firstLine -= firstLine;
  band_.lineCounts.erase(band_.lineCounts.begin(),
                         band_.lineCounts.end() - static_cast<std::ptrdiff_t>(groups));
  band_.rows = 0;
  rowStart_ = 0;
  rowTextStart_ = 0;
  rowLineStart_ = 0;
  std::fill(bandHeight_.begin(), bandHeight_.end(), 0);
}

void TPDFTable::Finish() {
  if (band_.rows > 0 || (!drawnAny_ && hasCaptions_)) DrawBand(band_.rows);
  if (pageOpen_) EndPage(0);
  pageOpen_ = false;
  band_.Clear();
}

void TPDFTable::DrawBand(int rows) {
  font_ = nullptr;
  for (int g = 0; g < GroupCount(); ++g) DrawGroup(g, rows);
}

void TPDFTable::StartPage(int group, bool newPage) {
  font_ = nullptr;
  if (newPage) {
    document_.BeginPage();
    document_.SetFillColor(dataFont_.Color());
    document_.SetStrokeColor(layout_.GridLineColor);
    y_ = layout_.Trim.Top;
  }
  pageTop_ = y_;
  const std::vector<int>& bounds = layout_.Bounds[static_cast<size_t>(group)];
  document_.Line(layout_.GridLineColor, bounds.front(), y_, bounds.back(), y_);
  if (hasCaptions_) DrawRow(group, captions_, captionCells_.data(), 0, 1000000, captionFont_);
  contentTop_ = y_;
}

void TPDFTable::EndPage(int group) {
  const double half = layout_.GridLineWidth / 2.0;
  for (int x : layout_.Bounds[static_cast<size_t>(group)])
    document_.Line(layout_.GridLineColor, x, pageTop_ + half, x, y_ - half);
}

bool TPDFTable::Big(int group, int lines) const {
  return RowHeight(dataFont_, lines) > (layout_.Trim.Top - layout_.Trim.Bottom - CaptionHeight(group)) / 2;
}

// A row that does not fit the rest of the page goes to the next one,
// unless it takes more than half a page: then it starts where it is and
// goes on over the next pages.
void TPDFTable::DrawGroup(int group, int rows) {
  if (!pageOpen_) {
    StartPage(group, drawnAny_ || group != 0);
    drawnAny_ = true;
    pageOpen_ = true;
  }
  const size_t columns = columnWidth_.size();
  const auto groups = static_cast<size_t>(GroupCount());
  for (int r = 0; r < rows; ++r) {
    const TCell* cells = band_.cells.data() + static_cast<size_t>(r) * columns;
    const int lines = band_.lineCounts[static_cast<size_t>(r) * groups + static_cast<size_t>(group)];
    const bool big = Big(group, lines);
    for (int first = 0; first < lines;) {
      const int room = y_ - layout_.Trim.Bottom;
      const bool fits = RowHeight(dataFont_, lines - first) <= room;
      if (y_ < contentTop_ && ((!fits && !big) || RowHeight(dataFont_, 1) > room)) {
        EndPage(group);
        StartPage(group, true);
        continue;
      }
      const int count = fits ? lines - first : std::min(lines - first, LinesThatFit(dataFont_, room));
      DrawRow(group, band_, cells, first, count, dataFont_);
      first += count;
    }
  }
  // The pages of several groups are each their own; one group's page goes
  // on with the next rows.
  if (GroupCount() > 1) {
    EndPage(group);
    pageOpen_ = false;
  }
}

void TPDFTable::DrawRow(int group, const TBand& band, const TCell* cells, int first, int count,
                        const TPDFFont& font) {
  const std::vector<int>& columns = layout_.Groups[static_cast<size_t>(group)];
  const std::vector<int>& bounds = layout_.Bounds[static_cast<size_t>(group)];
  int lines = 1;
  for (int column : columns)
    lines = std::max(lines, std::min(count, cells[static_cast<size_t>(column)].lineCount - first));
  const int top = y_;
  const int bottom = top - RowHeight(font, lines);
  if (font_ != &font) {
    document_.SetFont(font);
    font_ = &font;
  }
  for (size_t k = 0; k < columns.size(); ++k) {
    const TCell& cell = cells[static_cast<size_t>(columns[k])];
    if (cell.background != kNoBackground)
      document_.FillRect(cell.background, bounds[k], bottom, bounds[k + 1] - bounds[k],
                         top - bottom - layout_.GridLineWidth / 2.0);
    DrawCellLines(band, cell, first, lines, bounds[k], bounds[k + 1], top, font);
  }
  y_ = bottom;
  document_.Line(layout_.GridLineColor, bounds.front(), y_, bounds.back(), y_);
}

void TPDFTable::DrawCellLines(const TBand& band, const TCell& cell, int first, int count, int left, int right,
                              int top, const TPDFFont& font) {
  const int size = font.Size();
  const int inset = Inset(font);
  const int firstBaseline = top - Nint(size * (layout_.RowSpacing / 2 + 1));
  const int last = std::min(first + count, cell.lineCount);
  for (int k = first; k < last; ++k) {
    const TTesselTextLine& line = band.lines[cell.firstLine + static_cast<size_t>(k)];
    if (line.Length == 0) continue;
    const int width = Nint(line.Width);
    int x = left + inset;
    if (cell.align == ecaCenter)
      x += static_cast<int>(std::ceil((right - left - width - 2 * inset) / 2.0));
    else if (cell.align == ecaRight)
      x = right - inset - width;
    const WideString text = escape_(band.text.substr(line.Start, line.Length));
    document_.TextOut(x, firstBaseline - (k - first) * LineStep(font), cell.color, text);
  }
}

}  // namespace verimo
