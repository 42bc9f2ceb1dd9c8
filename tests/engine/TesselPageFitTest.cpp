#include "engine/TesselPageFit.h"

#include <gtest/gtest.h>

#include <numeric>
#include <set>

namespace verimo {
namespace {

// Every character 5 points wide, "W" 10 and spaces 2.
TTesselCharWidths FixedWidths() {
  return TTesselCharWidths([](char32_t ch) { return ch == U'W' ? 10.0 : ch == U' ' ? 2.0 : 5.0; });
}

std::vector<WideString> Wrapped(WideStringView text, double width) {
  TTesselCharWidths widths = FixedWidths();
  std::vector<TTesselTextLine> lines;
  WrapText(text, width, widths, lines);
  std::vector<WideString> texts;
  for (const TTesselTextLine& line : lines) {
    texts.emplace_back(text.substr(line.Start, line.Length));
    EXPECT_LE(line.Width, std::max(width, 10.0)) << WideToUtf8(texts.back());
    EXPECT_DOUBLE_EQ(line.Width, widths.Width(texts.back()));
  }
  return texts;
}

using Lines = std::vector<WideString>;

TEST(TesselTextWrapTest, LinesBreakBetweenWordsAtLineBreaksAndInsideWordsTooLong) {
  EXPECT_EQ(Wrapped(u"", 30), Lines{u""});
  EXPECT_EQ(Wrapped(u"short", 30), Lines{u"short"});
  // 30 points hold six characters; the spaces at a break are dropped.
  EXPECT_EQ(Wrapped(u"one two three four", 30), (Lines{u"one", u"two", u"three", u"four"}));
  EXPECT_EQ(Wrapped(u"ab cd ef   gh", 40), (Lines{u"ab cd ef", u"gh"}));
  EXPECT_EQ(Wrapped(u"abcdefghijklmn", 30), (Lines{u"abcdef", u"ghijkl", u"mn"}));
  EXPECT_EQ(Wrapped(u"a\r\nb\nc\rd\r\n", 30), (Lines{u"a", u"b", u"c", u"d", u""}));
  // A character wider than the line still takes one.
  EXPECT_EQ(Wrapped(u"WWW", 8), (Lines{u"W", u"W", u"W"}));
  // A character beyond the basic plane is one character, never split.
  EXPECT_EQ(Wrapped(u"ab\U0001F600cdef", 15), (Lines{u"ab\U0001F600", u"cde", u"f"}));
  // Leading spaces of a paragraph stay.
  EXPECT_EQ(Wrapped(u"  ab", 30), Lines{u"  ab"});
}

TEST(TesselTextWrapTest, ExtentsCountTheWidestLineAndWord) {
  TTesselCharWidths widths = FixedWidths();
  const TTesselTextExtent extent = widths.Extent(u"ab WWW\r\nabcdefg hi");
  EXPECT_DOUBLE_EQ(extent.Line, 7 * 5 + 2 + 10);
  EXPECT_DOUBLE_EQ(extent.Word, 35);
  EXPECT_TRUE(widths.DigitsShareWidth());
  TTesselCharWidths proportional([](char32_t ch) { return ch == U'1' ? 3.0 : 5.0; });
  EXPECT_FALSE(proportional.DigitsShareWidth());
}

TTesselColumnPlan Plan(std::vector<std::pair<double, double>> lineAndWord, std::vector<double> limits = {},
                       double padding = 4, std::vector<bool> whole = {}) {
  std::vector<TTesselTextExtent> extents;
  for (const auto& [line, word] : lineAndWord) extents.push_back({line, word});
  return TTesselColumnPlan(std::move(extents), std::move(limits), padding, std::move(whole));
}

double Total(const std::vector<double>& widths) { return std::accumulate(widths.begin(), widths.end(), 0.0); }

TEST(TesselColumnPlanTest, NarrowTablesTakeTheirTextWidthsAndShareTheRoomWithLongTexts) {
  // A name, a number and a memo on a 600-point page: the memo is held to
  // a third of the page, then given the room the others leave.
  const TTesselColumnPlan plan = Plan({{80, 40}, {30, 30}, {2000, 60}});
  EXPECT_DOUBLE_EQ(plan.Preferred(2, 600), 204);
  EXPECT_TRUE(plan.FitsPreferred(600));
  const std::vector<double> widths = plan.Widths(600);
  EXPECT_DOUBLE_EQ(widths[0], 84);
  EXPECT_DOUBLE_EQ(widths[1], 34);
  EXPECT_DOUBLE_EQ(widths[2], 600 - 84 - 34);
  // The user's width holds a column below its text.
  const std::vector<double> limited = Plan({{80, 40}, {30, 30}, {2000, 60}}, {0, 0, 100}).Widths(600);
  EXPECT_DOUBLE_EQ(limited[2], 104);
  // Short texts leave the table narrower than the page.
  EXPECT_DOUBLE_EQ(Total(Plan({{50, 20}, {60, 60}}).Widths(600)), 118);
}

TEST(TesselColumnPlanTest, WideTablesNarrowTheWidestColumnsDownToTheirWords) {
  const TTesselColumnPlan plan = Plan({{300, 50}, {250, 100}, {40, 40}, {300, 30}, {300, 30}});
  EXPECT_FALSE(plan.FitsPreferred(300));
  EXPECT_TRUE(plan.FitsWords(300));
  const std::vector<double> widths = plan.Widths(300);
  EXPECT_NEAR(Total(widths), 300, 1e-6);
  EXPECT_DOUBLE_EQ(widths[2], 44);  // a narrow column keeps its text
  EXPECT_DOUBLE_EQ(widths[1], 79);  // a word holds a quarter of the page at most
  EXPECT_NEAR(widths[0], 59, 1e-6);
  EXPECT_NEAR(widths[3], 59, 1e-6);
  // When not even the words fit, the widest give way first.
  std::vector<std::pair<double, double>> tooMany(6, {90, 90});
  tooMany.push_back({2, 2});
  const std::vector<double> squeezed = Plan(tooMany).Widths(100);
  EXPECT_NEAR(Total(squeezed), 100, 1e-6);
  EXPECT_NEAR(squeezed[6], 6, 1e-6);
  EXPECT_NEAR(squeezed[0], 94.0 / 6, 1e-6);
}

TEST(TesselColumnPlanTest, LongWordsAreCutBeforeTheTableIsCutIntoGroups) {
  // Six columns whose words take 414 points of 400: the longest words are
  // cut to one width, the numbers kept whole.
  const TTesselColumnPlan plan = Plan({{200, 200}, {200, 200}, {200, 200}, {30, 30}, {30, 30}, {110, 110}}, {}, 4,
                                      {false, false, false, false, false, true});
  EXPECT_TRUE(plan.FitsWords(400));
  EXPECT_EQ(plan.Groups(400).size(), 1u);
  EXPECT_DOUBLE_EQ(plan.Minimum(5, 400), 104);  // a quarter of the page, whole
  EXPECT_NEAR(plan.Minimum(0, 400), (400 - 104 - 2 * 34) / 3.0, 1e-6);
  EXPECT_NEAR(Total(plan.Widths(400)), 400, 1e-6);
  // Not below an eighth of the page: then the table goes into groups.
  EXPECT_FALSE(Plan(std::vector<std::pair<double, double>>(12, {90, 90})).FitsWords(400));
}

TEST(TesselColumnPlanTest, GroupsRepeatTheFirstColumnAndHoldEveryOtherOnce) {
  std::vector<std::pair<double, double>> columns(40, {120, 70});
  const TTesselColumnPlan plan = Plan(columns);
  ASSERT_FALSE(plan.FitsWords(500));
  const std::vector<std::vector<int>> groups = plan.Groups(500);
  ASSERT_GT(groups.size(), 5u);
  std::set<int> seen;
  const double key = plan.KeyWidth(500);
  for (const std::vector<int>& group : groups) {
    ASSERT_GE(group.size(), 2u);
    EXPECT_EQ(group[0], 0);
    const std::vector<int> others(group.begin() + 1, group.end());
    for (int column : others) EXPECT_TRUE(seen.insert(column).second) << column;
    EXPECT_LE(key + Total(plan.Widths(others, 500 - key, 500)), 500 + 1e-6);
  }
  EXPECT_EQ(seen.size(), 39u);
  // A table whose words fit is one group.
  EXPECT_EQ(Plan({{100, 10}, {100, 10}}).Groups(100).size(), 1u);
}

TEST(TesselColumnPlanTest, FontScaleFitsTheWordsWithinItsFloor) {
  const TTesselColumnPlan plan = Plan(std::vector<std::pair<double, double>>(8, {100, 100}), {}, 10);
  EXPECT_DOUBLE_EQ(plan.FontScale(1000, 0.7), 1.0);
  // 8 × 10 points of padding and 8 words of 100 points in 800 points.
  EXPECT_NEAR(plan.FontScale(800, 0.5), 0.9, 1e-9);
  EXPECT_DOUBLE_EQ(plan.FontScale(400, 0.7), 0.7);
  EXPECT_DOUBLE_EQ(plan.Scaled(0.5).Minimum(0, 1000), 60);
}

TEST(TesselColumnPlanTest, AutomaticOrientationTurnsOnlyAPortraitPageThatIsTooNarrow) {
  const TTesselColumnPlan wide = Plan({{200, 20}, {200, 20}, {200, 20}});
  const TTesselColumnPlan narrow = Plan({{50, 20}, {50, 20}});
  EXPECT_EQ(ChooseOrientation(wide, poPortrait, true, 450), poLandscape);
  EXPECT_EQ(ChooseOrientation(narrow, poPortrait, true, 450), poPortrait);
  EXPECT_EQ(ChooseOrientation(wide, poPortrait, false, 450), poPortrait);
  EXPECT_EQ(ChooseOrientation(narrow, poLandscape, true, 450), poLandscape);
}

}  // namespace
}  // namespace verimo
