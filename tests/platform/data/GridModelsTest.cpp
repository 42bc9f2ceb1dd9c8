#include <gtest/gtest.h>

#include "platform/data/DBGrid.h"
#include "platform/data/ListView.h"
#include "platform/data/MemDataSet.h"
#include "platform/data/StringGrid.h"

namespace verimo {
namespace {

TEST(ListViewTest, ItemTextsByColumn) {
  TListView view;
  view.AddColumn(u"A");
  view.AddColumn(u"B", 120);
  view.AddItem(u"first", {u"sub"});
  EXPECT_EQ(view.ItemText(0, 0), u"first");
  EXPECT_EQ(view.ItemText(0, 1), u"sub");
  EXPECT_EQ(view.ItemText(0, 2), u"");
  EXPECT_EQ(view.ItemText(1, 0), u"");
  EXPECT_EQ(view.ItemText(-1, 0), u"");
  EXPECT_EQ(view.Columns[1].Width, 120);
  view.BeginUpdate();
  view.BeginUpdate();
  view.EndUpdate();
  EXPECT_TRUE(view.Updating());
  view.EndUpdate();
  view.EndUpdate();
  EXPECT_FALSE(view.Updating());
}

TEST(StringGridTest, CellsSurviveResizingAndStayInside) {
  TStringGrid grid(3, 2);
  grid.SetCell(1, 1, u"x");
  grid.SetCell(2, 0, u"gone");
  grid.SetCell(5, 5, u"ignored");
  grid.SetColCount(2);
  grid.SetRowCount(4);
  EXPECT_EQ(grid.Cell(1, 1), u"x");
  EXPECT_EQ(grid.Cell(2, 0), u"");
  EXPECT_EQ(grid.Cell(1, 3), u"");
  grid.SetColCount(3);
  EXPECT_EQ(grid.Cell(2, 0), u"");
  grid.SetColWidth(0, 70);
  EXPECT_EQ(grid.ColWidthInChars(0), 10);
  EXPECT_EQ(grid.ColWidth(1), grid.DefaultColWidth);
  grid.CanvasTextWidthX = 0;
  EXPECT_EQ(grid.ColWidthInChars(0), 0);
  grid.SetColCount(-3);
  EXPECT_EQ(grid.ColCount(), 0);
}

TEST(DBGridTest, ColumnsFindTheirFieldsAndTitles) {
  TMemDataSet data;
  data.AddFieldDef(u"Id", ftInteger);
  data.AddFieldDef(u"Name", ftString, 10);
  data.Open();
  data.Field(1).SetDisplayLabel(u"Full name");
  TDBGrid grid;
  EXPECT_EQ(grid.ColumnField(0), nullptr);
  TDataSource source(&data);
  grid.DataSource = &source;
  grid.AddColumnsForAllFields();
  grid.AddColumn(u"Missing", 10, u"Gone");
  ASSERT_EQ(grid.ColumnCount(), 3);
  EXPECT_EQ(grid.ColumnField(1), &data.Field(1));
  EXPECT_EQ(grid.ColumnField(2), nullptr);
  EXPECT_EQ(grid.ColumnTitle(1), u"Full name");
  EXPECT_EQ(grid.ColumnTitle(2), u"Gone");
  EXPECT_EQ(grid.ColumnWidthInChars(0), 64 / 7);
  EXPECT_EQ(grid.ColumnWidthInChars(9), 0);
}

}  // namespace
}  // namespace verimo
