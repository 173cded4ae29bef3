// The layout on its own: the line area from the template, the column under a position and the
// header levels, built by hand without a table; and a table drawing its lines in such a layout.
#include <gtest/gtest.h>

#include "tests/table/TableFixture.h"

namespace {
// A header "Both" (0..10) over "A" and "B" (10..20), over the columns A (0..100) and B (100..200).
TZLayout TwoLevels() {
  TZLayout l;
  for (TRect r : {TRect{0, 0, 200, 10}, TRect{0, 10, 100, 20}, TRect{100, 10, 200, 20}})
    l.AddCell(r, {r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1}).BaseRect = r;
  l.AddCell({0, 20, 100, 120}, {2, 21, 98, 119});
  l.AddCell({100, 20, 200, 120}, {102, 21, 198, 119});
  l.SetTemplate(3);
  return l;
}

TEST(TZLayout, AreaColumnsAndHeaderLevels) {
  TZLayout l = TwoLevels();
  EXPECT_EQ(l.DataColumns, 2);
  EXPECT_EQ((std::vector<int>{l.AreaLeft, l.AreaTop, l.AreaRight, l.AreaBottom}),
            (std::vector<int>{2, 21, 198, 119}));
  EXPECT_EQ(l.LineAreaHeight, 98);
  EXPECT_EQ(l.HeightShap, 20);
  EXPECT_EQ(l.ColumnAt(50), 0);
  EXPECT_EQ(l.ColumnAt(100), 1); // a column's right edge belongs to the next
  EXPECT_EQ(l.ColumnAt(250), -1);
  EXPECT_EQ(&l.Column(1), l.Cells[4].get());

  ASSERT_EQ(l.BuildHeadLevels(), "");
  EXPECT_TRUE(l.Ready);
  ASSERT_EQ(l.HeadLevels.size(), 2u);
  EXPECT_EQ(l.HeadLevels[0].Bottom, 10);
  EXPECT_EQ(l.HeadLevels[0].Ends, std::vector<int>{0});
  EXPECT_EQ(l.HeadLevels[0].Starts, (std::vector<int>{1, 2}));
  EXPECT_EQ(l.HeadLevels[1].Ends, (std::vector<int>{1, 2}));

  // Eleven levels are refused and the levels built before stay.
  TZLayout deep;
  for (int i = 0; i <= kMaxHeadLevels; ++i)
    deep.AddCell({0, i, 10, i + 1}, {}).BaseRect = {0, i, 10, i + 1};
  deep.AddCell({0, 20, 10, 40}, {});
  deep.SetTemplate(kMaxHeadLevels + 1);
  deep.HeadLevels = l.HeadLevels;
  EXPECT_NE(deep.BuildHeadLevels(), "");
  EXPECT_EQ(deep.HeadLevels.size(), 2u);
  EXPECT_FALSE(deep.Ready);
}

TEST(TZLayout, ATableDrawsItsLinesInAHandBuiltLayout) {
  TTestHost host(200, 120);
  TZTable t(&host);
  TTestOwner owner(t);
  for (int i = 0; i < 3; ++i)
    owner.Lines.push_back({0, "x", ""});
  t.SetLayout(TwoLevels(), {TListFields{}},
              {TZOutFields{TZOutField{"A", 2, 0, -1}, TZOutField{"RNpp", 0, 0, -1}}});
  t.TabOpen(nullptr, 0);
  t.WorkKey(kKeyShowAgain);
  EXPECT_EQ(t.AreaTop(), 21);
  EXPECT_EQ(t.RowCount(), 3);
  EXPECT_EQ(t.RowTop(0), 0);
  EXPECT_EQ(t.LineTexts(2), (std::vector<std::string>{"", "3"})); // the line number column
  t.MouseMove(0, 150, 21 + 16 + 2);
  t.Click(); // in cell mode the click also picks the column
  EXPECT_EQ(t.CurrentRow(), 1);
  EXPECT_EQ(t.CurrentCol(), 1);
}
} // namespace
