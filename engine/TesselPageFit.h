#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <unordered_map>
#include <vector>

#include "core/WideString.h"
#include "engine/TesselTypes.h"

namespace verimo {

class TTessel;

// How wide a text is when set in one font, in points: its widest line and
// its widest word (a run between spaces, tabs and line breaks).
struct TTesselTextExtent {
  double Line = 0;
  double Word = 0;

  void Include(const TTesselTextExtent& other) {
    if (other.Line > Line) Line = other.Line;
    if (other.Word > Word) Word = other.Word;
  }
};

// The advances of the characters of one font in points, asked of the
// format once per character: the first 256 code points from a table,
// the others from a map.
class TTesselCharWidths {
 public:
  using TMeasure = std::function<double(char32_t)>;

  TTesselCharWidths() = default;
  explicit TTesselCharWidths(TMeasure measure) : measure_(std::move(measure)) { known_.fill(false); }

  double Of(char32_t ch) {
    if (ch < 256) {
      if (!known_[ch]) {
        table_[ch] = measure_(ch);
        known_[ch] = true;
      }
      return table_[ch];
    }
    return OfOther(ch);
  }
  // The width of a text set on one line (line breaks and tabs as spaces).
  double Width(WideStringView text);
  TTesselTextExtent Extent(WideStringView text);
  // Whether the ten digits have one advance, so that numbers of as many
  // digits and signs are as wide.
  bool DigitsShareWidth();

 private:
  double OfOther(char32_t ch);

  TMeasure measure_;
  std::array<double, 256> table_{};
  std::array<bool, 256> known_{};
  std::unordered_map<char32_t, double> others_;
};

// One line of a wrapped text: its code units within the text and its width.
struct TTesselTextLine {
  size_t Start = 0;
  size_t Length = 0;
  double Width = 0;
};

// Breaks a text into lines no wider than `width` (points): at its line
// breaks (CR LF, CR, LF), after the space before a word that would cross
// the width, and inside a word wider than the width itself (a line keeps
// at least one character). The spaces at a break are left out. An empty
// text gives one empty line. `lines` is cleared first.
void WrapText(WideStringView text, double width, TTesselCharWidths& widths, std::vector<TTesselTextLine>& lines);

// Plans the columns of a table on a page from what the texts of each
// column need (captions and values together): every column at least as
// wide as its widest word (up to a quarter of the page), as wide as its
// widest text where there is room (up to a third of the page, or the
// width the user gave the column), and, when even the words do not fit,
// the column groups that go on pages of their own.
class TTesselColumnPlan {
 public:
  // `extents`: one per column, in points; `limits`: the width the user gave
  // each column in points, 0 for none (missing entries count as 0);
  // `padding`: what each cell adds to its text (both sides), in points;
  // `whole`: the columns whose words are never cut to make room (numbers,
  // dates; missing entries count as false).
  TTesselColumnPlan(std::vector<TTesselTextExtent> extents, std::vector<double> limits, double padding,
                    std::vector<bool> whole = {});

  int Count() const { return static_cast<int>(extents_.size()); }
  double Padding() const { return padding_; }

  // The narrowest the column may be on a page `width` wide: its widest
  // word and the padding. A word is held to a quarter of the page, and the
  // longest words of the columns not kept whole are cut shorter still
  // (down to an eighth of the page) where the columns' words would not fit
  // otherwise.
  double Minimum(int column, double width) const;
  // Its width when there is room: its widest text, at most a third of the
  // page and at most the user's width, never below the minimum.
  double Preferred(int column, double width) const;
  // The widest it grows into room left over: its widest text or the
  // user's width, whichever is less, never below the preferred width.
  double Largest(int column, double width) const;

  // Whether every column fits at its preferred width.
  bool FitsPreferred(double width) const;
  // Whether every column fits at its minimum (no column groups needed).
  bool FitsWords(double width) const;

  // Widths for `columns` in `width` points of a page `page` points wide
  // (which their minimum and preferred widths are measured against): the
  // preferred widths, the room left shared out among the columns that want
  // more, or, when they are too wide, the widest narrowed first down to
  // their minimums; when even the minimums do not fit, the widest minimums
  // narrowed first (words then break). Sums to at most `width`.
  std::vector<double> Widths(const std::vector<int>& columns, double width, double page) const;
  // Every column on a page `width` wide.
  std::vector<double> Widths(double width) const;

  // The groups of columns for pages `width` wide, each beginning with
  // column 0: one group of all columns when their words fit; otherwise
  // column 0 and, in order, as many of the others as fit beside it.
  std::vector<std::vector<int>> Groups(double width) const;
  // The width column 0 has in every group of Groups(width).
  double KeyWidth(double width) const;
  // The widths of the columns of each group of Groups(width), in the
  // group's order.
  std::vector<std::vector<double>> GroupWidths(const std::vector<std::vector<int>>& groups, double width) const;

  // The font scale between `floor` and 1 at which every column's words
  // (each at most a quarter of the page) fit `width` whole (texts scale
  // with the font, padding does not); `floor` when they do not fit even
  // then.
  double FontScale(double width, double floor) const;
  // The same columns with their texts set `scale` times as large.
  TTesselColumnPlan Scaled(double scale) const;
  // A plan of some of the columns, in the order given.
  TTesselColumnPlan Subset(const std::vector<int>& columns) const;

 private:
  double Limit(int column) const;
  // The width the columns take with each word held to `cap` (in the
  // columns kept whole to `wholeCap`).
  double WordsWidth(double cap, double wholeCap) const;
  double WordCap(double width) const;

  std::vector<TTesselTextExtent> extents_;
  std::vector<double> limits_;
  std::vector<bool> whole_;
  double padding_ = 0;
  mutable double cachedWidth_ = -1;
  mutable double cachedCap_ = 0;
};

// The measuring pass of an exporter's run (after its columns are built)
// and the plan it gives: the captions, when the exporter writes them,
// measured in `captionWidths`, the values in `dataWidths`; a column's line
// in ColumnsWidth, when the exporter publishes the list, limits it to that
// many characters of `averageChar` points.
TTesselColumnPlan PlanColumns(TTessel& exporter, TTesselCharWidths& captionWidths, TTesselCharWidths& dataWidths,
                              double averageChar, double padding);

// The orientation a page takes: the one chosen, except that with
// `automatic` a portrait page turns landscape when the columns do not fit
// its `portraitWidth` at their preferred widths.
TTesselPageOrientation ChooseOrientation(const TTesselColumnPlan& plan, TTesselPageOrientation chosen,
                                         bool automatic, double portraitWidth);

// How a word processor's table fits its page: the orientation (see
// ChooseOrientation), the scale of its fonts (down to
// kNarrowestFontScale while the words do not fit) and the column widths in
// points (the word processor wraps what still does not fit). A table of
// more columns than a word processor holds (kMostWordColumns) is cut
// into groups, each beginning with the first column and each a table of
// its own.
struct TTesselTableFit {
  TTesselPageOrientation Orientation = poPortrait;
  double Scale = 1.0;
  std::vector<std::vector<int>> Groups;
  std::vector<std::vector<double>> Widths;  // per group, in its order
};

constexpr double kNarrowestFontScale = 0.7;
constexpr int kMostWordColumns = 63;
TTesselTableFit FitTable(const TTesselColumnPlan& plan, TTesselPageOrientation chosen, bool automatic,
                         double portraitWidth, double landscapeWidth);
// A font size in whole points at `scale`: rounded down, not below 6
// points (nor above the size).
int ScaledFontSize(int points, double scale);

}  // namespace verimo
