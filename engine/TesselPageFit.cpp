#include "engine/TesselPageFit.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "engine/Tessel.h"

namespace verimo {

namespace {

// Of the page: the widest a word makes its column, the narrowest a long
// word may be cut to before the table is cut into column groups instead,
// and the widest a column is while others want room.
constexpr double kWordShare = 1.0 / 4;
constexpr double kLegibleShare = 1.0 / 8;
constexpr double kPreferredShare = 1.0 / 3;

bool IsSpace(char32_t ch) { return ch == U' ' || ch == U'\t'; }
bool IsLineBreak(char32_t ch) { return ch == U'\r' || ch == U'\n'; }

// The code point at `at` and how many code units it takes.
char32_t CodePointAt(WideStringView text, size_t at, size_t& units) {
  const char16_t ch = text[at];
  if (ch >= 0xD800 && ch <= 0xDBFF && at + 1 < text.size() && text[at + 1] >= 0xDC00 && text[at + 1] <= 0xDFFF) {
    units = 2;
    return 0x10000 + ((static_cast<char32_t>(ch) - 0xD800) << 10) + (text[at + 1] - 0xDC00u);
  }
  units = 1;
  return ch;
}

double Sum(const std::vector<double>& values) { return std::accumulate(values.begin(), values.end(), 0.0); }

}  // namespace

// ---- character widths ----

double TTesselCharWidths::OfOther(char32_t ch) {
  auto found = others_.find(ch);
  if (found != others_.end()) return found->second;
  const double width = measure_(ch);
  others_.emplace(ch, width);
  return width;
}

double TTesselCharWidths::Width(WideStringView text) {
  double width = 0;
  for (size_t i = 0, units = 1; i < text.size(); i += units) {
    const char32_t ch = CodePointAt(text, i, units);
    width += Of(ch < 0x20 ? U' ' : ch);
  }
  return width;
}

TTesselTextExtent TTesselCharWidths::Extent(WideStringView text) {
  TTesselTextExtent extent;
  double line = 0;
  double word = 0;
  for (size_t i = 0, units = 1; i < text.size(); i += units) {
    const char32_t ch = CodePointAt(text, i, units);
    if (IsLineBreak(ch)) {
      extent.Line = std::max(extent.Line, line);
      extent.Word = std::max(extent.Word, word);
      line = word = 0;
      continue;
    }
    const double advance = Of(ch < 0x20 ? U' ' : ch);
    line += advance;
    if (IsSpace(ch)) {
      extent.Word = std::max(extent.Word, word);
      word = 0;
    } else {
      word += advance;
    }
  }
  extent.Line = std::max(extent.Line, line);
  extent.Word = std::max(extent.Word, word);
  return extent;
}

bool TTesselCharWidths::DigitsShareWidth() {
  const double zero = Of(U'0');
  for (char32_t digit = U'1'; digit <= U'9'; ++digit)
    if (Of(digit) != zero) return false;
  return true;
}

// ---- wrapping ----

namespace {

// Wraps the text between `start` and `end`, which holds no line break.
void WrapParagraph(WideStringView text, size_t start, size_t end, double width, TTesselCharWidths& widths,
                   std::vector<TTesselTextLine>& lines) {
  size_t lineStart = start;
  double lineWidth = 0;
  size_t breakAt = WideStringView::npos;  // where the spaces before the current word begin
  double widthAtBreak = 0;
  size_t i = start;
  while (i < end) {
    size_t units = 1;
    const char32_t ch = CodePointAt(text, i, units);
    const double advance = widths.Of(ch < 0x20 ? U' ' : ch);
    if (IsSpace(ch)) {
      if (i > lineStart && !IsSpace(text[i - 1])) {
        breakAt = i;
        widthAtBreak = lineWidth;
      }
      lineWidth += advance;
      i += units;
      continue;
    }
    if (lineWidth + advance > width && i > lineStart) {
      if (breakAt != WideStringView::npos && breakAt > lineStart) {
        lines.push_back({lineStart, breakAt - lineStart, widthAtBreak});
        lineStart = breakAt;
        while (lineStart < i && IsSpace(text[lineStart])) ++lineStart;
        lineWidth = widths.Width(text.substr(lineStart, i - lineStart));
      } else {
        lines.push_back({lineStart, i - lineStart, lineWidth});
        lineStart = i;
        lineWidth = 0;
      }
      breakAt = WideStringView::npos;
      continue;
    }
    lineWidth += advance;
    i += units;
  }
  lines.push_back({lineStart, end - lineStart, lineWidth});
}

}  // namespace

void WrapText(WideStringView text, double width, TTesselCharWidths& widths, std::vector<TTesselTextLine>& lines) {
  lines.clear();
  size_t start = 0;
  for (;;) {
    size_t end = start;
    while (end < text.size() && text[end] != u'\r' && text[end] != u'\n') ++end;
    WrapParagraph(text, start, end, width, widths, lines);
    if (end >= text.size()) break;
    start = end + (text[end] == u'\r' && end + 1 < text.size() && text[end + 1] == u'\n' ? 2 : 1);
  }
}

// ---- the column plan ----

TTesselColumnPlan::TTesselColumnPlan(std::vector<TTesselTextExtent> extents, std::vector<double> limits,
                                     double padding, std::vector<bool> whole)
    : extents_(std::move(extents)),
      limits_(std::move(limits)),
      whole_(std::move(whole)),
      padding_(std::max(padding, 0.0)) {
  whole_.resize(extents_.size(), false);
}

double TTesselColumnPlan::Limit(int column) const {
  const auto at = static_cast<size_t>(column);
  return at < limits_.size() && limits_[at] > 0 ? limits_[at] : 0;
}

double TTesselColumnPlan::WordsWidth(double cap, double wholeCap) const {
  double total = 0;
  for (size_t i = 0; i < extents_.size(); ++i) total += std::min(extents_[i].Word, whole_[i] ? wholeCap : cap) + padding_;
  return total;
}

// The longest words are cut first, down to an eighth of the page; when
// even that does not fit, the columns go into groups of a quarter each.
// The words of the columns kept whole (numbers, dates) are not cut.
double TTesselColumnPlan::WordCap(double width) const {
  if (width == cachedWidth_) return cachedCap_;
  const double quarter = width * kWordShare;
  double high = quarter;
  double low = width * kLegibleShare;
  double cap = high;
  if (WordsWidth(high, quarter) > width && WordsWidth(low, quarter) <= width) {
    for (int step = 0; step < 50; ++step) {
      const double middle = (low + high) / 2;
      (WordsWidth(middle, quarter) <= width ? low : high) = middle;
    }
    cap = low;
  }
  cachedWidth_ = width;
  cachedCap_ = cap;
  return cap;
}

double TTesselColumnPlan::Minimum(int column, double width) const {
  const auto at = static_cast<size_t>(column);
  return std::min(extents_[at].Word, whole_[at] ? width * kWordShare : WordCap(width)) + padding_;
}

double TTesselColumnPlan::Preferred(int column, double width) const {
  double text = std::min(extents_[static_cast<size_t>(column)].Line, width * kPreferredShare);
  if (const double limit = Limit(column); limit > 0) text = std::min(text, limit);
  return std::max(Minimum(column, width), text + padding_);
}

double TTesselColumnPlan::Largest(int column, double width) const {
  double text = extents_[static_cast<size_t>(column)].Line;
  if (const double limit = Limit(column); limit > 0) text = std::min(text, limit);
  return std::max(Preferred(column, width), text + padding_);
}

bool TTesselColumnPlan::FitsPreferred(double width) const {
  double total = 0;
  for (int i = 0; i < Count(); ++i) total += Preferred(i, width);
  return total <= width;
}

bool TTesselColumnPlan::FitsWords(double width) const {
  double total = 0;
  for (int i = 0; i < Count(); ++i) total += Minimum(i, width);
  return total <= width;
}

std::vector<double> TTesselColumnPlan::Widths(double width) const {
  std::vector<int> all(static_cast<size_t>(Count()));
  std::iota(all.begin(), all.end(), 0);
  return Widths(all, width, width);
}

std::vector<double> TTesselColumnPlan::Widths(const std::vector<int>& columns, double width, double page) const {
  std::vector<double> minimum, widths, largest;
  for (int column : columns) {
    minimum.push_back(Minimum(column, page));
    widths.push_back(Preferred(column, page));
    largest.push_back(Largest(column, page));
  }
  const double total = Sum(widths);
  if (total <= width) {
    // The room left goes to the columns that want more, in proportion.
    double wanted = 0;
    for (size_t i = 0; i < widths.size(); ++i) wanted += largest[i] - widths[i];
    if (wanted > 0) {
      const double share = std::min(1.0, (width - total) / wanted);
      for (size_t i = 0; i < widths.size(); ++i) widths[i] += (largest[i] - widths[i]) * share;
    }
    return widths;
  }
  // The widest columns give way first: every column is cut to one level,
  // no lower than its minimum; when not even the minimums fit, the widest
  // minimums are cut to one level as well (their words then break).
  const bool wordsFit = Sum(minimum) <= width;
  const std::vector<double>& floor = wordsFit ? minimum : std::vector<double>(widths.size(), 0.0);
  std::vector<double>& cut = wordsFit ? widths : minimum;
  double low = 0;
  double high = *std::max_element(cut.begin(), cut.end());
  for (int step = 0; step < 60; ++step) {
    const double level = (low + high) / 2;
    double sum = 0;
    for (size_t i = 0; i < cut.size(); ++i) sum += std::max(floor[i], std::min(cut[i], level));
    (sum > width ? high : low) = level;
  }
  for (size_t i = 0; i < cut.size(); ++i) widths[i] = std::max(floor[i], std::min(cut[i], low));
  return widths;
}

double TTesselColumnPlan::KeyWidth(double width) const {
  if (Count() == 0) return 0;
  return std::max(Minimum(0, width), std::min(Preferred(0, width), width * kWordShare));
}

std::vector<std::vector<int>> TTesselColumnPlan::Groups(double width) const {
  std::vector<std::vector<int>> groups;
  if (Count() == 0) return groups;
  if (Count() == 1 || FitsWords(width)) {
    std::vector<int> all(static_cast<size_t>(Count()));
    std::iota(all.begin(), all.end(), 0);
    groups.push_back(std::move(all));
    return groups;
  }
  // Columns are packed at halfway between their minimum and preferred
  // widths: readable, and not one page per column.
  const double key = KeyWidth(width);
  double used = 0;
  for (int i = 1; i < Count(); ++i) {
    const double need = (Minimum(i, width) + Preferred(i, width)) / 2;
    if (groups.empty() || (key + used + need > width && groups.back().size() > 1)) {
      groups.push_back({0});
      used = 0;
    }
    groups.back().push_back(i);
    used += need;
  }
  return groups;
}

std::vector<std::vector<double>> TTesselColumnPlan::GroupWidths(const std::vector<std::vector<int>>& groups,
                                                               double width) const {
  std::vector<std::vector<double>> widths;
  for (const std::vector<int>& group : groups) {
    if (groups.size() == 1) {
      widths.push_back(Widths(group, width, width));
      continue;
    }
    const double key = KeyWidth(width);
    widths.push_back(Widths(std::vector<int>(group.begin() + 1, group.end()), width - key, width));
    widths.back().insert(widths.back().begin(), key);
  }
  return widths;
}

double TTesselColumnPlan::FontScale(double width, double floor) const {
  const double words = WordsWidth(width * kWordShare, width * kWordShare) - padding_ * Count();
  const double room = width - padding_ * Count();
  if (words <= 0 || words <= room) return 1.0;
  return std::clamp(room / words, floor, 1.0);
}

TTesselColumnPlan TTesselColumnPlan::Scaled(double scale) const {
  std::vector<TTesselTextExtent> extents = extents_;
  for (TTesselTextExtent& extent : extents) {
    extent.Line *= scale;
    extent.Word *= scale;
  }
  return TTesselColumnPlan(std::move(extents), limits_, padding_, whole_);
}

TTesselColumnPlan PlanColumns(TTessel& exporter, TTesselCharWidths& captionWidths, TTesselCharWidths& dataWidths,
                              double averageChar, double padding) {
  TTesselColumns& columns = exporter.Columns();
  std::vector<TTesselTextExtent> extents(static_cast<size_t>(columns.Count()));
  std::vector<double> limits(extents.size(), 0);
  std::vector<bool> whole(extents.size(), false);
  for (int i = 0; i < columns.Count(); ++i) {
    const auto at = static_cast<size_t>(i);
    const TTesselColType type = columns[i].ColType;
    whole[at] = columns[i].IsNumber || type == ectDate || type == ectTime || type == ectDateTime || type == ectBoolean;
    if (exporter.AllowCaptions) extents[at] = captionWidths.Extent(columns[i].Caption);
    if (exporter.Published().ColumnsWidth && exporter.ColumnsWidth.IndexOfName(columns[i].Name) >= 0)
      limits[at] = std::max(columns[i].Width, 1) * averageChar;
  }
  columns.MeasureTexts([&](int column, const WideString& text) {
    extents[static_cast<size_t>(column)].Include(dataWidths.Extent(text));
  }, exporter.GoToFirstRecord, exporter.CurrentRecordOnly, dataWidths.DigitsShareWidth());
  return TTesselColumnPlan(std::move(extents), std::move(limits), padding, std::move(whole));
}

TTesselColumnPlan TTesselColumnPlan::Subset(const std::vector<int>& columns) const {
  std::vector<TTesselTextExtent> extents;
  std::vector<double> limits;
  std::vector<bool> whole;
  for (int column : columns) {
    extents.push_back(extents_[static_cast<size_t>(column)]);
    limits.push_back(Limit(column));
    whole.push_back(whole_[static_cast<size_t>(column)]);
  }
  return TTesselColumnPlan(std::move(extents), std::move(limits), padding_, std::move(whole));
}

TTesselPageOrientation ChooseOrientation(const TTesselColumnPlan& plan, TTesselPageOrientation chosen,
                                         bool automatic, double portraitWidth) {
  if (!automatic || chosen != poPortrait) return chosen;
  return plan.FitsPreferred(portraitWidth) ? poPortrait : poLandscape;
}

TTesselTableFit FitTable(const TTesselColumnPlan& plan, TTesselPageOrientation chosen, bool automatic,
                         double portraitWidth, double landscapeWidth) {
  TTesselTableFit fit;
  fit.Orientation = ChooseOrientation(plan, chosen, automatic, portraitWidth);
  const double width = fit.Orientation == poLandscape ? landscapeWidth : portraitWidth;
  for (int next = 1; next < plan.Count() || fit.Groups.empty();) {
    std::vector<int>& group = fit.Groups.emplace_back(1, 0);
    if (plan.Count() == 0) group.clear();
    for (; next < plan.Count() && static_cast<int>(group.size()) < kMostWordColumns; ++next) group.push_back(next);
  }
  std::vector<TTesselColumnPlan> plans;
  for (const std::vector<int>& group : fit.Groups) {
    plans.push_back(plan.Subset(group));
    fit.Scale = std::min(fit.Scale, plans.back().FontScale(width, kNarrowestFontScale));
  }
  for (const TTesselColumnPlan& group : plans)
    fit.Widths.push_back((fit.Scale < 1.0 ? group.Scaled(fit.Scale) : group).Widths(width));
  return fit;
}

int ScaledFontSize(int points, double scale) {
  constexpr int kSmallest = 6;
  if (scale >= 1.0) return points;
  return std::min(points, std::max(kSmallest, static_cast<int>(std::floor(points * scale + 1e-9))));
}

}  // namespace verimo
