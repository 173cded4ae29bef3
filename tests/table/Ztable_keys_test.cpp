// Keys, selection, mouse and branches of the table control as key-code sequences on a list
// served from memory; the layout is built by hand (one header cell over one column).
#include <gtest/gtest.h>

#include "tests/table/TableFixture.h"

namespace {
// An owner's key, and the virtual key of Shift alone.
constexpr unsigned short kKeyA = 'A', kVkShift = 16;

// A header 20 px high over a line area of `area` pixels, in `cols` columns sharing 200 px.
void Layout(TZTable& t, int area, int cols) {
  TZLayout l;
  l.AddCell({0, 0, 200, 20}, {1, 1, 199, 19});
  int w = 200 / cols;
  for (int k = 0; k < cols; ++k)
    l.AddCell({k * w, 20, (k + 1) * w, 21 + area}, {k * w + 2, 21, (k + 1) * w - 2, 21 + area});
  l.SetTemplate(1);
  l.DesignWidth = 200;
  t.SetLayout(std::move(l), {TListFields{}},
              {TZOutFields(static_cast<size_t>(cols), TZOutField{"A", 2, 0, -1})});
}

class KeysTest : public ::testing::Test {
protected:
  // `lines` lines of 16 px each in a line area of `area` px (10 full rows by default).
  void Open(int lines, int area = 160, int cols = 1) {
    Layout(T, area, cols);
    for (int i = 0; i < lines; ++i)
      Owner.Lines.push_back({0, "x", ""});
    Texts.resize(static_cast<size_t>(lines), "x");
    T.TabOnOutRk = [this](TZTable*, int, int Row, std::string& buf, TypeField& type, TypeOut& out,
                          TListFields*, TZCell*, int, TRect, TCanvas*, int&, uint8_t&) {
      buf = Texts[static_cast<size_t>(Row)];
      type = tfString;
      out = 2; // word wrap: a long text takes several 16 px lines
      return -1;
    };
    T.TabOnStartEndSelect = [this](TZTable*, etpslSelect s, int line) {
      Statuses.push_back(s);
      if (s == etpslSelect::Marked && Filter) Filter();
      return line >= 0;
    };
    T.TabOnKorCurrent = [this](TZTable*) { ++KorCurrent; };
    T.TabOpen(nullptr, 0);
    T.WorkKey(kKeyShowAgain);
  }
  void Keys(std::initializer_list<int> codes) {
    for (int c : codes)
      T.WorkKey(static_cast<unsigned short>(c));
  }
  int Line() const { return T.ScreenLine(T.CurrentRow()); }
  bool Marked(int i) { return (T.GetIndex(i)->Flags & kIdxMarked) != 0; }

  TTestHost Host;
  TZTable T{&Host};
  TTestOwner Owner{T};
  std::vector<std::string> Texts;
  std::vector<etpslSelect> Statuses;
  std::function<void()> Filter;
  int KorCurrent = 0;
};

TEST_F(KeysTest, DownUpAndPagesWalkTheListAndKeepPosition) {
  Open(30);
  EXPECT_EQ(T.RowCount(), 10);
  EXPECT_TRUE(Host.Bar); // 30 lines do not fit
  Keys({kKeyDown, kKeyDown, kKeyDown});
  EXPECT_EQ(Line(), 3);
  EXPECT_EQ(T.Position(), 3);
  Keys({kKeyPageDown}); // to the last row of the page
  EXPECT_EQ(T.CurrentRow(), T.RowCount() - 1);
  int pageEnd = Line();
  Keys({kKeyDown}); // scrolls by one line
  EXPECT_EQ(Line(), pageEnd + 1);
  EXPECT_EQ(T.CurrentRow(), T.RowCount() - 1);
  Keys({kKeyCtrlPageDown});
  EXPECT_EQ(Line(), 29);
  EXPECT_TRUE(T.LastShown());
  Keys({kKeyPageUp, kKeyPageUp});
  EXPECT_EQ(T.CurrentRow(), 0);
  EXPECT_LT(Line(), 29 - 9);
  Keys({kKeyCtrlPageUp});
  EXPECT_EQ(Line(), 0);
  Keys({kKeyUp}); // nothing before the first line
  EXPECT_EQ(Line(), 0);
  EXPECT_EQ(Host.BarPos, T.Position());
}

TEST_F(KeysTest, DownPastTheEndWithAndWithoutCanEmpty) {
  Open(3);
  Keys({kKeyDown, kKeyDown, kKeyDown, kKeyDown});
  EXPECT_EQ(Line(), 2);
  EXPECT_FALSE(T.EmptyState());
  int before = KorCurrent;
  Keys({kKeyDown}); // no CanEmpty: nothing, and the owner is not told
  EXPECT_EQ(KorCurrent, before);

  T.SetCanEmpty(true);
  Keys({kKeyDown});
  EXPECT_TRUE(T.EmptyState());
  Keys({kKeyDown, kKeyPageDown, kKeyInsert}); // nothing moves or selects on the empty place
  EXPECT_TRUE(T.EmptyState());
  EXPECT_FALSE(T.Select());
  Keys({kKeyUp});
  EXPECT_FALSE(T.EmptyState());
  EXPECT_EQ(Line(), 2);

  // In selection mode Down at the end is refused.
  T.SetCanSelect(true);
  Keys({kKeyInsert, kKeyDown});
  EXPECT_TRUE(T.Select());
  EXPECT_FALSE(T.EmptyState());
}

TEST_F(KeysTest, EmptyAndClosedListsIgnoreKeys) {
  T.SetCanEmpty(true);
  for (int code : {kKeyUp, kKeyDown, kKeyPageUp, kKeyPageDown, kKeyCtrlPageUp, kKeyCtrlPageDown,
                   kKeyInsert, kKeyShowAgain})
    T.WorkKey(static_cast<unsigned short>(code)); // closed: no reads, no crash
  EXPECT_EQ(Owner.Reads[trOut], 0);
  Open(0);
  T.SetCanSelect(true);
  Keys({kKeyDown, kKeyUp, kKeyPageUp, kKeyPageDown, kKeyCtrlPageUp, kKeyCtrlPageDown, kKeyInsert,
        kKeyDelete, kKeyAbandon});
  EXPECT_TRUE(T.EmptyState());
  EXPECT_EQ(T.RowCount(), 0);
  EXPECT_FALSE(T.Select());
}

TEST_F(KeysTest, PageDownStopsAboveARowThatDoesNotFit) {
  T.SetCanPolzun(false);
  Texts.assign(9, "x");
  Texts.push_back("aaaaaaaaaaaaaaa bbbbbbbbbbbbbbb"); // two lines: 32 px, 16 needed
  Open(12, 168); // lines 0-8 take 144 px, line 9 shows 24 of its 32
  EXPECT_EQ(T.RowCount(), 10);
  EXPECT_FALSE(T.AllFits());
  Keys({kKeyPageDown});
  EXPECT_EQ(Line(), 8); // the row above the partial one
  Keys({kKeyPageDown});
  EXPECT_TRUE(T.LastShown());
  EXPECT_TRUE(T.AllFits());
  EXPECT_EQ(Line(), 11);
  EXPECT_EQ(T.CurrentRow(), T.RowCount() - 1);
  Keys({kKeyCtrlPageUp, kKeyCtrlPageDown});
  EXPECT_EQ(Line(), 11);
}

TEST_F(KeysTest, CellModeMovesTheColumnAndHighlightsOnlyTheCurrentCell) {
  Open(5, 160, 3);
  Keys({kKeyDown}); // row 1: its top is not the line area's
  ASSERT_FALSE(T.TabType());
  Keys({kKeyEnd});
  EXPECT_EQ(T.CurrentCol(), 2);
  Keys({kKeyRight}); // no column after the last
  EXPECT_EQ(T.CurrentCol(), 2);
  Keys({kKeyHome, kKeyLeft});
  EXPECT_EQ(T.CurrentCol(), 0);
  // The current row: its background, then the current cell's over it.
  auto rowFills = [this] {
    std::vector<TDrawCall> out;
    for (const TDrawCall& c : Host.Can.Calls)
      if (c.What == TDrawCall::Fill && c.Y == T.AreaTop() + T.RowTop(T.CurrentRow()))
        out.push_back(c);
    return out;
  };
  ASSERT_NE(T.ColorBrushB(), T.GetTabColor(ciWorkPB));
  Host.Can.Calls.clear();
  Keys({kKeyRight});
  EXPECT_EQ(T.CurrentCol(), 1);
  std::vector<TDrawCall> fills = rowFills();
  ASSERT_EQ(fills.size(), 2u);
  EXPECT_EQ(fills[0].Color, T.ColorBrushB());
  EXPECT_EQ(fills[1].Color, T.GetTabColor(ciWorkPB));
  EXPECT_EQ(fills[1].X, T.Cells()[2]->TextRect.Left);

  // Line mode: the keys leave the column, the whole row is highlighted.
  T.SetTabType(true);
  Keys({kKeyEnd, kKeyHome, kKeyLeft});
  EXPECT_EQ(T.CurrentCol(), 1);
  Host.Can.Calls.clear();
  Keys({kKeyRedraw});
  fills = rowFills();
  ASSERT_EQ(fills.size(), 1u);
  EXPECT_EQ(fills[0].Color, T.GetTabColor(ciWorkPB));
}

TEST_F(KeysTest, DownSkipsHiddenLines) {
  Open(6);
  for (int i : {1, 2, 4})
    T.GetIndex(i)->Flags |= kIdxHidden;
  Keys({kKeyShowAgain});
  Keys({kKeyDown});
  EXPECT_EQ(Line(), 3);
  Keys({kKeyDown});
  EXPECT_EQ(Line(), 5);
  Keys({kKeyUp, kKeyUp});
  EXPECT_EQ(Line(), 0);
}

TEST_F(KeysTest, InsertTwiceMarksTheRangeAndDeleteClears) {
  Open(20);
  T.SetCanSelect(true);
  Keys({kKeyDown, kKeyInsert, kKeyDown, kKeyDown, kKeyDown});
  EXPECT_TRUE(T.Select());
  EXPECT_EQ(T.SelectAnchor(), 1);
  Keys({kKeyInsert});
  EXPECT_FALSE(T.Select());
  for (int i = 0; i < 6; ++i)
    EXPECT_EQ(Marked(i), i >= 1 && i <= 4) << i;
  EXPECT_EQ(T.MarkedCount(), 4);
  EXPECT_EQ(Statuses, (std::vector<etpslSelect>{etpslSelect::Started, etpslSelect::Finishing,
                                                etpslSelect::Marked}));
  Keys({kKeyDelete});
  EXPECT_EQ(T.MarkedCount(), 0);
  EXPECT_FALSE(Marked(2));
  EXPECT_EQ(Statuses.back(), etpslSelect::Cleared);
}

TEST_F(KeysTest, AnOverlappingSecondSelectionCountsOnlyTheNewlyMarkedLines) {
  Open(10);
  T.SetCanSelect(true);
  Keys({kKeyDown, kKeyInsert, kKeyDown, kKeyDown, kKeyDown, kKeyInsert}); // lines 1..4
  Keys({kKeyUp, kKeyInsert, kKeyDown, kKeyDown, kKeyDown,
        kKeyInsert}); // lines 3..6: 3 and 4 are marked already
  for (int i = 0; i < 10; ++i)
    EXPECT_EQ(Marked(i), i >= 1 && i <= 6) << i;
  EXPECT_EQ(T.MarkedCount(), 6);
}

TEST_F(KeysTest, SelectionOverHiddenLinesWithNotVisSelect) {
  Open(8);
  T.SetCanSelect(true);
  T.GetIndex(2)->Flags |= kIdxHidden;
  T.GetIndex(3)->Flags |= kIdxHidden;
  Keys({kKeyShowAgain});
  Keys({kKeyInsert, kKeyDown, kKeyDown, kKeyInsert}); // lines 0..5 (0, 1, 4 on screen)
  EXPECT_TRUE(Marked(2));
  EXPECT_EQ(T.MarkedCount(), 5);
  Keys({kKeyDelete});
  T.SetNotVisSelect(true);
  Keys({kKeyCtrlPageUp, kKeyInsert, kKeyDown, kKeyDown, kKeyInsert});
  EXPECT_FALSE(Marked(2));
  EXPECT_FALSE(Marked(3));
  EXPECT_TRUE(Marked(4));
  EXPECT_EQ(T.MarkedCount(), 3); // only the marks actually set are counted
}

TEST_F(KeysTest, RangeStretchesOverJoinedLinesAndDeeperLevels) {
  Open(8);
  T.SetCanSelect(true);
  T.GetIndex(2)->Flags |= 0x0100;                               // joined to the line before
  T.GetIndex(3)->Flags |= 0x0080;                               // joined to the line after
  T.GetIndex(5)->Level = 1;                                     // under line 4
  Keys({kKeyDown, kKeyDown, kKeyInsert, kKeyDown, kKeyInsert}); // lines 2..3
  for (int i = 0; i < 8; ++i)
    EXPECT_EQ(Marked(i), i >= 1 && i <= 5) << i;
}

TEST_F(KeysTest, AbandonAndOwnerFilter) {
  Open(10);
  T.SetCanSelect(true);
  Keys({kKeyInsert, kKeyDown, kKeyDown, kKeyAbandon});
  EXPECT_FALSE(T.Select());
  EXPECT_EQ(T.MarkedCount(), 0);
  EXPECT_EQ(Statuses.back(), etpslSelect::Abandoned);
  int owner795 = 0;
  T.TabOnKey = [&](TZTable*, unsigned short k) {
    owner795 += k == kKeyAbandon;
    return kRefNone;
  };
  Keys({kKeyAbandon}); // not selecting: the owner gets it
  EXPECT_EQ(owner795, 1);

  // Status Marked: the owner keeps only the lines of even addresses marked.
  Filter = [this] { T.KeepMarked([](const TZTabIndex& e) { return e.Adr % 2 == 0; }); };
  Keys({kKeyCtrlPageUp, kKeyInsert, kKeyDown, kKeyDown, kKeyDown, kKeyInsert});
  EXPECT_TRUE(Marked(0));
  EXPECT_FALSE(Marked(1));
  EXPECT_TRUE(Marked(2));
  EXPECT_EQ(T.MarkedCount(), 2);
}

TEST_F(KeysTest, OwnerKeysUnderLockKeyAreNotReentered) {
  Open(5);
  std::vector<int> got;
  T.TabOnKey = [&](TZTable* s, unsigned short k) {
    got.push_back(k);
    EXPECT_TRUE(s->LockKey());
    s->WorkKey(kKeyA);    // dropped
    s->WorkKey(kKeyDown); // the control's own keys still work
    return kRefAll;
  };
  Keys({kKeyEnter});
  EXPECT_EQ(got, std::vector<int>{13});
  EXPECT_FALSE(T.LockKey());
  EXPECT_EQ(Line(), 1);
  T.KeyDown(kVkShift, kKeyShift); // Shift alone never reaches the owner
  T.KeyDown(kKeyA, kKeyCtrl);
  EXPECT_EQ(got.back(), kKeyA + kKeyCtrl);
  EXPECT_EQ(got.size(), 2u);
}

TEST_F(KeysTest, ClickPicksTheRowAndLeavesTheEmptyPlace) {
  Open(5);
  T.SetCanEmpty(true);
  T.MouseMove(0, 50, 21 + 16 * 3 + 5);
  T.Click();
  EXPECT_EQ(Line(), 3);
  EXPECT_TRUE(Host.Focus);
  Keys({kKeyCtrlPageDown, kKeyDown});
  EXPECT_TRUE(T.EmptyState());
  T.MouseMove(0, 50, 21 + 2);
  T.Click();
  EXPECT_FALSE(T.EmptyState());
  EXPECT_EQ(Line(), 0);
  int dbl = -1;
  T.TabOnDblClick = [&](TZTable*, int line, int) { dbl = line; };
  T.DblClick();
  EXPECT_EQ(dbl, 0);
}

TEST_F(KeysTest, HeaderDoubleClickMarksTheCell) {
  Open(5);
  T.TabShapDblClick = [](TZTable*, int) { return true; };
  T.MouseMove(0, 50, 10);
  T.DblClick();
  EXPECT_EQ(T.MarkedHeadCell(), 0);
  EXPECT_TRUE(T.Cells()[0]->Flags & 8);
}

TEST_F(KeysTest, FocusSwitchesTheWorkingColours) {
  Open(3);
  T.DoEnter();
  EXPECT_EQ(T.GetTabColor(ciWorkPB), T.ColorBrushPB());
  EXPECT_EQ(T.GetTabColor(ciWorkPV), T.ColorBrushPV());
  T.DoExit();
  EXPECT_EQ(T.GetTabColor(ciWorkPB), T.ColorBrushNPB());
  EXPECT_EQ(T.GetTabColor(ciWorkPV), T.ColorBrushNPV());
}

TEST_F(KeysTest, SecondBranchOnALevelClosesTheFirst) {
  Open(6);
  // 0 and 3 are level-0 branches over the hidden level-1 lines 1-2 and 4-5.
  for (int i : {0, 3})
    T.GetIndex(i)->Flags |= kIdxChildren;
  for (int i : {1, 2, 4, 5}) {
    T.GetIndex(i)->Level = 1;
    T.GetIndex(i)->Flags |= kIdxHidden;
  }
  std::vector<std::pair<bool, int>> events;
  T.TabCollapsExpand = [&](TZTable*, bool reg, int n, int, WRec*) { events.push_back({reg, n}); };
  Keys({kKeyShowAgain});
  ASSERT_TRUE(T.ExpandCollaps(0));
  EXPECT_FALSE(T.GetIndex(1)->Flags & kIdxHidden);
  EXPECT_EQ(T.ExpandSlot(0), 0);
  ASSERT_TRUE(T.ExpandCollaps(3));
  EXPECT_TRUE(T.GetIndex(1)->Flags & kIdxHidden);
  EXPECT_TRUE(T.GetIndex(2)->Flags & kIdxHidden);
  EXPECT_FALSE(T.GetIndex(4)->Flags & kIdxHidden);
  EXPECT_EQ(T.ExpandSlot(0), 3);
  T.WorkStatus(kRefBranch, T.CurrentRow(), true);
  EXPECT_EQ(Line(), 3);
  ASSERT_TRUE(T.ExpandCollaps(3)); // closes it again
  EXPECT_TRUE(T.GetIndex(4)->Flags & kIdxHidden);
  EXPECT_EQ(T.ExpandSlot(0), -1);
  EXPECT_EQ(events,
            (std::vector<std::pair<bool, int>>{{false, 1}, {true, 0}, {false, 4}, {true, 3}}));
  EXPECT_FALSE(T.ExpandCollaps(1)); // no children flag
  EXPECT_FALSE(T.ExpandCollaps(5)); // the last line
}
} // namespace
