// Tests of the table control's painting: cell texts and their placement, screen filling, the
// empty-place bar, width changes and the scroll bar, on the fixed-metric canvas.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/support/RecBytes.h"
#include "tests/table/TableFixture.h"

namespace {

// One header cell over `cols` columns of `w` pixels, the template stretched to the control.
void Layout(TZTable& t, int cols, int w, const TListFields& fields, const TZOutFields& outs) {
  TZLayout l;
  auto cell = [&l](TRect r) -> TZCell& {
    TZCell& c = l.AddCell(r, {r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1});
    for (uint8_t& b : c.Border)
      b = 1;
    c.FontName = "Arial";
    c.FontSize = 8;
    return c;
  };
  cell({0, 0, cols * w, 20}).Caption1 = "Head";
  for (int k = 0; k < cols; ++k)
    cell({k * w, 20, (k + 1) * w, 0});
  l.FirstDataCell = 1;
  l.DataColumns = cols;
  l.DesignWidth = cols * w;
  t.SetLayout(std::move(l), {fields}, {outs});
  t.ChangeHeight();
}

// Records of the structure Name (text), Num (32 bits), Sum (double).
std::string Record(const std::string& name, int32_t num, double sum) {
  std::string d =
      Le16(static_cast<uint16_t>(name.size())) + name + Le32(static_cast<uint32_t>(num));
  char b[8];
  std::memcpy(b, &sum, 8);
  return d + std::string(b, 8);
}

struct TPaintTest : ::testing::Test {
  TTestHost Host{400, 200};
  TZTable T{&Host};
  TTestOwner Owner{T};
  TListFields Fields{{"Name", tfString, 0, 0}, {"Num", tfDword, 0, 0}, {"Sum", tfDouble, 0, 0}};

  // Columns: Name (word wrap), Num, Sum with 2 decimals, and the line number.
  void Open(int lines, int width = 100) {
    Layout(T, 4, width, Fields,
           {{"Name", 2, 0, 0}, {"Num", 0, 0, 1}, {"Sum", 0, 2, 2}, {"RNpp", 0, 3, -1}});
    for (int i = 0; i < lines; ++i)
      Owner.Lines.push_back({0, Record("line" + std::to_string(i), i * 10, i + 0.5), ""});
    T.TabOpen(nullptr, 0);
  }
  TZCell& Column(int k) { return *T.Cells()[static_cast<size_t>(1 + k)]; }
  std::vector<TDrawCall> TextsWith(const std::string& s) {
    std::vector<TDrawCall> out;
    for (const TDrawCall& c : Host.Can.Texts())
      if (c.Str == s) out.push_back(c);
    return out;
  }
};

TEST_F(TPaintTest, CellTextsByFieldTypeWithStarsForANumberThatDoesNotFit) {
  Open(2, 60); // 58 - 2 = 56 pixels of text: five characters
  Owner.Lines[1].Data = Record("a rather long name", 1234567, 12.5);
  T.SelectRecOut(0, false);
  T.OutScreenRecords();
  EXPECT_EQ(TextsWith("line0").size(), 1u);
  EXPECT_EQ(TextsWith("0,50").size(), 1u);
  EXPECT_EQ(TextsWith("  1").size(), 1u); // the line number, three wide
  EXPECT_EQ(TextsWith("  2").size(), 1u);
  // The number that does not fit becomes stars; the text wraps by words instead.
  EXPECT_EQ(TextsWith("***").size(), 1u);
  EXPECT_TRUE(TextsWith("1234567").empty());
  EXPECT_EQ(TextsWith("a ").size(), 1u);
  EXPECT_EQ(T.GetIndex(1)->Height, 5 * 16); // "a ", "rathe", "r ", "long ", "name"
  EXPECT_EQ(T.GetIndex(1)->NeedHeight, 16);
}

// A damaged description may ask for a width or decimal count of two thousand million: the
// cell gets one record's worth of text, still the right number.
TEST_F(TPaintTest, AHugeWidthOrDecimalCountFromTheDescriptionIsHeldToOneRecord) {
  std::string data = Record("x", 42, 0.25);
  WRec rec{};
  rec.Len = static_cast<uint16_t>(data.size());
  data.copy(rec.Data, data.size());
  TListFields fields{{"Name", tfString, 2, 1}, {"Num", tfDword, 3, 4}, {"Sum", tfDouble, 7, 8}};
  TypeField type{};
  for (int32_t param : {INT32_MAX, INT32_MIN}) {
    std::string num = T.FieldText({"Num", 0, param, 1}, fields, &rec, 0, type);
    std::string sum = T.FieldText({"Sum", 0, param, 2}, fields, &rec, 0, type);
    std::string line = T.FieldText({"RNpp", 0, param, -1}, fields, &rec, 6, type);
    EXPECT_LE(num.size(), 255u);
    EXPECT_LE(sum.size(), 257u); // "0," and the decimals
    EXPECT_EQ(num.substr(num.find_first_not_of(' ')), "42");
    EXPECT_EQ(line.substr(line.find_first_not_of(' ')), "7");
    EXPECT_EQ(sum.substr(0, 4), "0,25");
  }
}

TEST_F(TPaintTest, TextPlacementFollowsAlignmentAndTheRowTop) {
  Open(2);
  Column(1).HorAlign = 2;
  Column(0).HorAlign = 1;
  T.SelectRecOut(0, false);
  T.OutScreenRecords();
  TDrawCall num = TextsWith("10").at(0);
  EXPECT_EQ(num.X, Column(1).TextRect.Right - 20);
  EXPECT_EQ(num.Y, T.AreaTop() + T.RowTop(1));
  TDrawCall name = TextsWith("line0").at(0);
  EXPECT_EQ(name.X, Column(0).TextRect.Left + (Column(0).TextRect.Width() - 50) / 2);
  EXPECT_EQ(name.Y, T.AreaTop());
  EXPECT_EQ(T.RowTop(1), 16);
}

TEST_F(TPaintTest, ALineThatDoesNotFitIsNotShownAndBackwardFillingDropsIt) {
  Open(30);
  int area = T.LineAreaHeight();
  int full = area / 16;
  EXPECT_EQ(T.SelectRecOut(0, false), full);
  EXPECT_TRUE(T.AllFits());
  EXPECT_TRUE(T.FirstShown());
  EXPECT_FALSE(T.LastShown());
  T.OutScreenRecords();
  EXPECT_EQ(TextsWith("line" + std::to_string(full - 1)).size(), 1u);
  EXPECT_TRUE(TextsWith("line" + std::to_string(full)).empty());

  // A two-line name needs only one line of room: it is placed, cut, and AllFits is cleared.
  Owner.Lines[full - 1].Data = Record("twolines longer", 1, 1);
  T.ResetHeights();
  EXPECT_EQ(T.SelectRecOut(0, false), full);
  EXPECT_FALSE(T.AllFits());
  // Backward from the last line the rows end on it, in list order, and all fit.
  T.ResetHeights();
  EXPECT_EQ(T.SelectRecOut(29, true), full);
  EXPECT_EQ(T.ScreenLine(0), 30 - full);
  EXPECT_EQ(T.ScreenLine(full - 1), 29);
  EXPECT_TRUE(T.LastShown());
  EXPECT_TRUE(T.AllFits());
}

TEST_F(TPaintTest, AScreenHoldsAtMostAHundredRows) {
  Host.H = 2000; // room for 123 lines of 16 pixels
  Open(150);
  EXPECT_EQ(T.SelectRecOut(0, false), kMaxRows);
  EXPECT_FALSE(T.LastShown());
  T.OutScreenRecords();
  EXPECT_EQ(T.RowCount(), kMaxRows);
  EXPECT_EQ(TextsWith("line99").size(), 1u);
  EXPECT_TRUE(TextsWith("line100").empty());
  EXPECT_EQ(T.SelectRecOut(149, true), kMaxRows);
  EXPECT_EQ(T.ScreenLine(0), 50);
}

TEST_F(TPaintTest, EmptyListShowsASixteenPixelBarInTheCurrentLineColour) {
  T.SetCanEmpty(true);
  Open(0);
  T.WorkKey(kKeyShowAgain); // the refresh key finds no line: the empty state
  Host.Can.Calls.clear();
  T.Paint();
  const TDrawCall* bar = nullptr;
  for (const TDrawCall& c : Host.Can.Calls)
    if (c.What == TDrawCall::Fill && c.Y == T.AreaTop() && c.Y2 - c.Y == 16) bar = &c;
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar->Color, T.GetTabColor(ciWorkPB));
  EXPECT_EQ(bar->X, T.AreaLeft());
  EXPECT_EQ(bar->X2, T.AreaRight() + 1);
}

TEST_F(TPaintTest, WideningFourEqualColumnsGivesTheRemainderToTheLast) {
  Open(1);
  T.ChangeWidth(10);
  int expect[] = {2, 4, 6, 10};
  for (int k = 0; k < 4; ++k)
    EXPECT_EQ(Column(k).CellRect.Right, (k + 1) * 100 + expect[k]) << k;
  EXPECT_EQ(Column(0).CellRect.Left, 0);
  EXPECT_EQ(Column(1).CellRect.Left, 102);
  EXPECT_EQ(T.Cells()[0]->CellRect.Right, 410); // the header cell ends on the last boundary
}

TEST_F(TPaintTest, ScrollBarOnlyWhenTheLinesDoNotAllFit) {
  Open(3);
  T.WorkKey(kKeyShowAgain);
  EXPECT_FALSE(Host.Bar);
  T.TabClose();
  Owner.Lines.clear();
  for (int i = 0; i < 40; ++i)
    Owner.Lines.push_back({0, Record("l" + std::to_string(i), i, 0), ""});
  T.TabOpen(nullptr, 0);
  int right = T.AreaRight();
  T.WorkKey(kKeyShowAgain);
  ASSERT_TRUE(Host.Bar);
  EXPECT_EQ(Host.BarRect, (TRect{400 - kScrollBarWidth, T.HeightShap(), 400, 200}));
  EXPECT_EQ(Host.BarMax, 39);
  EXPECT_EQ(T.AreaRight(), right - 16);
  // The thumb moved to line 35 shows the list's end, the line 35 on it.
  T.SBScroll(TScrollCode::ThumbPosition, 35);
  EXPECT_TRUE(T.LastShown());
  EXPECT_LE(T.ScreenLine(0), 35);
  EXPECT_EQ(Host.BarPos, T.Position());
  // With all lines fitting again the bar goes and the columns get their width back.
  T.OnOffFSB(16);
  EXPECT_FALSE(Host.Bar);
  EXPECT_EQ(T.AreaRight(), right);
}

} // namespace
