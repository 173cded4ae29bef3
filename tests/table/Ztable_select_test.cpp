// The selection object on its own, over lines held by the test: ranges stretched over joined
// lines and levels, counting only new marks, the owner's filter, and InRange while selecting.
#include <gtest/gtest.h>

#include <vector>

#include "table/Ztable.h"

namespace {
struct TLines {
  explicit TLines(int n) : L(static_cast<size_t>(n)) {}
  std::vector<TZTabIndex> L;
  TZSelection Sel{[this] { return static_cast<int>(L.size()); },
                  [this](int i) { return &L[static_cast<size_t>(i)]; }};
  std::vector<int> Marked() const {
    std::vector<int> m;
    for (size_t i = 0; i < L.size(); ++i)
      if (L[i].Flags & kIdxMarked) m.push_back(static_cast<int>(i));
    return m;
  }
};

TEST(TZSelection, RangesStretchAndCountOnlyNewMarks) {
  TLines t(10);
  t.L[2].Flags |= 0x0100; // joined to the line before
  t.L[4].Flags |= 0x0080; // joined to the line after
  t.L[6].Level = 1;       // under line 5
  t.L[7].Level = 2;
  t.Sel.Start(4);
  EXPECT_TRUE(t.Sel.Selecting());
  EXPECT_TRUE(t.Sel.InRange(3, 2));
  EXPECT_FALSE(t.Sel.InRange(5, 2));
  t.Sel.Stop();
  EXPECT_FALSE(t.Sel.InRange(3, 2));
  t.Sel.MarkRange(2, false); // anchor 4, current 2: 1..7 with the joins and the deeper levels
  EXPECT_EQ(t.Marked(), (std::vector<int>{1, 2, 3, 4, 5, 6, 7}));
  EXPECT_EQ(t.Sel.MarkedCount(), 7);

  t.L[9].Flags |= kIdxHidden;
  t.Sel.SetAnchor(7);
  t.Sel.MarkRange(9, true); // 7 was marked already, 9 is hidden
  EXPECT_EQ(t.Sel.MarkedCount(), 8);
  EXPECT_FALSE(t.L[9].Flags & kIdxMarked);
  t.Sel.Clear();
  EXPECT_TRUE(t.Marked().empty());
  EXPECT_EQ(t.Sel.MarkedCount(), 0);
}

TEST(TZSelection, KeepFiltersAFinishedSelectionAndTheCountFollows) {
  TLines t(6);
  for (int i = 0; i < 6; ++i)
    t.L[static_cast<size_t>(i)].Flags = static_cast<uint16_t>(i % 3 == 0 ? 2 : 8);
  t.Sel.MarkRange(4, false); // anchor 0: lines 0..4
  t.Sel.Keep([](const TZTabIndex& e) { return (e.Flags & 2) != 0; });
  EXPECT_EQ(t.Marked(), (std::vector<int>{0, 3}));
  EXPECT_EQ(t.Sel.MarkedCount(), 2);
  EXPECT_EQ(t.L[1].Flags, 8); // the owner's bits stay
  t.Sel.Unmark(t.L[3]);
  t.Sel.Unmark(t.L[3]); // not marked any more: the count stays
  EXPECT_EQ(t.Sel.MarkedCount(), 1);
  t.Sel.Keep([](const TZTabIndex&) { return false; });
  EXPECT_EQ(t.Sel.MarkedCount(), 0);
  TLines none(0);
  none.Sel.MarkRange(3, false);
  EXPECT_EQ(none.Sel.MarkedCount(), 0);
}
} // namespace
