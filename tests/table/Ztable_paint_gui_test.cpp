// The table control painted by its widget on the demo suite's screens 222 and 210, with the list
// window's line colours, and a list longer than the screen with the control's own scroll bar.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdlib>
#include <map>
#include <set>

#include <QApplication>
#include <QImage>
#include <QScrollBar>
#include <QTest>

#include "base/QtText.h"
#include "table/QtZtable.h"
#include "tests/support_gui/Guisupport.h"
#include "tests/workflow/WorkflowFixture.h"
#include "workflow/Uvbl_list.h"

namespace {

QRgb Rgb(TColor c) {
  return qRgb(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

// Whether the rectangle of img holds a pixel of exactly colour c.
bool HasPixel(const QImage& img, const TRect& r, TColor c) {
  for (int y = std::max(r.Top, 0); y < std::min(r.Bottom, img.height()); ++y)
    for (int x = std::max(r.Left, 0); x < std::min(r.Right, img.width()); ++x)
      if ((img.pixel(x, y) & 0xFFFFFF) == (Rgb(c) & 0xFFFFFF)) return true;
  return false;
}

class TablePaintGui : public TSuiteFixture {
protected:
  // A list window's table on list (typeSub, typeBn), opened and checked, width x height.
  void Show(uint8_t typeSub, uint8_t typeBn, int width, int height) {
    List.reset(); // it closes the table it serves
    Widget = std::make_unique<TQtZTable>();
    Widget->resize(width, height);
    TZTable& t = Widget->Table();
    t.TmpFile = TMP;
    List = std::make_unique<TVblList>(t, typeSub, typeBn, true);
    t.DocRussian = 1;
    if (List->Info().Projects()) t.SetNumFileScreen(List->Info().Screen);
    Widget->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Widget.get()));
    List->FormShow();
  }
  void TearDown() override {
    List.reset();
    Widget.reset();
    TSuiteFixture::TearDown();
  }
  // Every row shows the text of its widest column (inside the column lines) in the colour of
  // its line's state; returns the colours seen.
  std::set<TColor> CheckRowColours() {
    TZTable& t = Widget->Table();
    QImage img = Widget->grab().toImage();
    const TZCell* widest = nullptr;
    for (int i = t.FirstDataCell(); i < static_cast<int>(t.Cells().size()); ++i)
      if (!widest || t.Cells()[i]->TextRect.Width() > widest->TextRect.Width())
        widest = t.Cells()[i].get();
    std::set<TColor> seen;
    for (int r = 0; r < t.RowCount(); ++r) {
      TColor c = clBlack;
      StateColor(List->StateOf(t.ScreenLine(r)), c);
      int top = t.AreaTop() + t.RowTop(r);
      TRect row{widest->TextRect.Left, top, widest->TextRect.Right,
                top + t.GetIndex(t.ScreenLine(r))->Height};
      EXPECT_TRUE(HasPixel(img, row, c)) << "row " << r << " colour " << std::hex << c;
      seen.insert(c);
    }
    return seen;
  }
  std::unique_ptr<TQtZTable> Widget;
  std::unique_ptr<TVblList> List;
};

TEST_F(TablePaintGui, Screens222And210ShowTheLinesInTheirStateColours) {
  Start();
  const std::set<TColor> all = {clBlack, kColorReplaced, kColorUserChanged, kColorUnreadable,
                                kColorMissing};
  for (auto [sub, shot] : {std::pair<uint8_t, const char*>{1, "table-222"}, {5, "table-210"}}) {
    Show(sub, 0, 760, 330);
    TZTable& t = Widget->Table();
    ASSERT_EQ(t.NumFileScreen(), sub == 1 ? 222 : 210);
    ASSERT_GT(t.HeadLevelCount(), sub == 1 ? 2 : 1);
    std::set<std::string> faces;
    for (const auto& c : t.Cells())
      faces.insert(c->FontName);
    EXPECT_GE(faces.size(), 3u);            // title, headings and numbers each in their own face
    EXPECT_EQ(t.RowCount(), t.LineCount()); // a short list: every line on the screen
    EXPECT_EQ(Widget->ScrollBar(), nullptr);
    // The template was stretched to the widget: the last column ends at its right edge.
    EXPECT_GE(t.Cells().back()->CellRect.Right, 760 - 2);
    EXPECT_EQ(CheckRowColours(), all) << shot;
    SaveShot(Widget.get(), shot);
  }
}

class TablePaintLongGui : public TablePaintGui {
protected:
  TDemoOptions Options() override {
    TDemoOptions o;
    o.Projects = 40;
    return o;
  }
};

TEST_F(TablePaintLongGui, ALongListShowsTheScrollBar) {
  Start();
  Show(1, 0, 760, 260);
  TZTable& t = Widget->Table();
  ASSERT_GT(t.LineCount(), t.RowCount());
  QScrollBar* bar = Widget->ScrollBar();
  ASSERT_NE(bar, nullptr);
  EXPECT_TRUE(bar->isVisible());
  EXPECT_EQ(bar->geometry(),
            QRect(760 - kScrollBarWidth, t.HeightShap(), kScrollBarWidth, 260 - t.HeightShap()));
  EXPECT_EQ(bar->minimum(), 0);
  EXPECT_EQ(bar->maximum(), t.LineCount() - 1);
  EXPECT_LE(t.AreaRight(), 760 - kScrollBarWidth); // the columns make room for it
  t.WorkKey(kKeyPageDown);                         // PageDown
  EXPECT_GT(t.Position(), 0);
  EXPECT_EQ(bar->value(), t.Position());
  CheckRowColours();
  SaveShot(Widget.get(), "table-scroll");
}

// Rows of a selection under way are drawn in the marked colours; when it ends, the list window
// keeps only the replaceable lines marked, and just those rows keep the marked background.
TEST_F(TablePaintLongGui, SelectionInProgressAndFinished) {
  Start();
  Show(1, 0, 760, 260);
  TZTable& t = Widget->Table();
  const TColor marked = t.ColorBrushV();
  ASSERT_NE(marked, t.ColorBrushB());
  auto rowHasMarked = [&](const QImage& img, int r) {
    int top = t.AreaTop() + t.RowTop(r);
    return HasPixel(img, {t.AreaLeft(), top, t.AreaRight(), top + t.RowTop(r + 1) - t.RowTop(r)},
                    marked);
  };
  t.WorkKey(kKeyInsert); // Insert: the selection starts at line 0
  ASSERT_TRUE(t.Select());
  for (int i = 0; i < 3; ++i)
    t.WorkKey(kKeyDown); // Down
  QApplication::processEvents();
  QImage img = Widget->grab().toImage();
  for (int r = 0; r < 3; ++r) // the current row (3) has the working colours
    EXPECT_TRUE(rowHasMarked(img, r)) << "row " << r;
  EXPECT_FALSE(rowHasMarked(img, 5));
  SaveShot(Widget.get(), "table_selection_in_progress");
  t.WorkKey(kKeyPageDown); // PageDown
  t.WorkKey(kKeyInsert);   // Insert: ends it
  ASSERT_FALSE(t.Select());
  t.WorkKey(kKeyPageUp); // PageUp: the marked rows back on the screen
  QApplication::processEvents();
  img = Widget->grab().toImage();
  int shown = 0;
  for (int r = 0; r < t.RowCount(); ++r) {
    if (t.ScreenLine(r) == t.Position()) continue;
    bool m = (t.GetIndex(t.ScreenLine(r))->Flags & kIdxMarked) != 0;
    EXPECT_EQ(m, List->StateOf(t.ScreenLine(r)) == 2) << "row " << r;
    EXPECT_EQ(rowHasMarked(img, r), m) << "row " << r;
    shown += m;
  }
  EXPECT_GT(shown, 0);
  SaveShot(Widget.get(), "table_selection_finished");
}

// The table painted at a fractional scale, as QT_SCALE_FACTOR paints it: every border line of the
// header and the columns is there, the frame's left and top included, and all lines of one width
// are equally thick in device pixels.
class TablePaintScaleGui : public TablePaintGui {
protected:
  // Thickness, in device pixels, of the run of colour c across a line whose nominal extent
  // across is [a, b) at the pixel `along`; 0 when no pixel of the extent has that colour.
  static int Run(const QImage& img, int a, int b, int along, bool vertical, QRgb c) {
    auto is = [&](int i) {
      int px = vertical ? i : along, py = vertical ? along : i;
      if (px < 0 || py < 0 || px >= img.width() || py >= img.height()) return false;
      return (img.pixel(px, py) & 0xFFFFFF) == (c & 0xFFFFFF);
    };
    int at = a;
    while (at < b && !is(at))
      ++at;
    if (at == b) return 0;
    int lo = at, hi = at;
    while (is(lo - 1))
      --lo;
    while (is(hi + 1))
      ++hi;
    return hi - lo + 1;
  }
  // Checks every border of cells [from, to) on img painted at scale; widths[kind] collects the
  // thicknesses seen for that border kind.
  void CheckBorders(const QImage& img, double scale, QPoint off, int from, int to,
                    std::map<int, std::set<int>>& widths) {
    TZTable& t = Widget->Table();
    for (int i = from; i < to; ++i) {
      const TZCell& c = *t.Cells()[static_cast<size_t>(i)];
      bool inner = t.AreaTop() < c.CellRect.Bottom && i != t.FirstDataCell() &&
                   i != static_cast<int>(t.Cells().size()) - 1 && i >= t.FirstDataCell();
      for (int side = 0; side < 4; ++side) {
        int kind = c.Border[side];
        if (kind == 0) continue;
        bool vertical = side == 0 || side == 2;
        QRgb colour = ToQColor(inner && vertical ? clBlack : t.ColorPenB()).rgb();
        int w = PenWidthOf[std::min(kind, 3)];
        int at = vertical ? (side == 0 ? c.CellRect.Left : c.CellRect.Right)
                          : (side == 1 ? c.CellRect.Top : c.CellRect.Bottom);
        at = std::min(at - w / 2, (vertical ? Widget->width() : Widget->height()) - w);
        at += vertical ? off.x() : off.y();
        int a = static_cast<int>(std::floor(at * scale)),
            b = static_cast<int>(std::ceil((at + w) * scale));
        int from0 = (vertical ? c.CellRect.Top + off.y() : c.CellRect.Left + off.x());
        int len = vertical ? c.CellRect.Height() : c.CellRect.Width();
        int thinnest = INT_MAX;
        for (int q = 1; q <= 3; ++q) {
          int along = static_cast<int>((from0 + len * q / 4.0) * scale);
          thinnest = std::min(thinnest, Run(img, a, b, along, vertical, colour));
        }
        EXPECT_GT(thinnest, 0) << "scale " << scale << " cell " << i << " side " << side;
        widths[kind].insert(thinnest);
      }
    }
  }
};

TEST_F(TablePaintScaleGui, LinesAreAllThereAndEvenAtFractionalScales) {
  Start();
  Show(1, 0, 760, 330);
  TZTable& t = Widget->Table();
  for (double scale : {1.0, 1.25, 1.4, 1.5, 2.0}) {
    // The control placed at an odd offset, as a layout places it: at 150 % its edges fall
    // between device pixels.
    const QPoint off(7, 5);
    QImage img(QSize(760 + off.x(), 330 + off.y()) * scale, QImage::Format_RGB32);
    img.setDevicePixelRatio(scale);
    img.fill(Qt::magenta);
    Widget->render(&img, off);
    std::map<int, std::set<int>> widths;
    CheckBorders(img, scale, off, 0, static_cast<int>(t.Cells().size()), widths);
    ASSERT_FALSE(widths[1].empty());
    for (const auto& [kind, seen] : widths)
      EXPECT_EQ(seen.size(), 1u) << "scale " << scale << " kind " << kind << ": "
                                 << ::testing::PrintToString(seen);
    if (const char* dir = std::getenv("RAVINEL_SCREENSHOTS"))
      img.save(QString("%1/table-scale-%2.png").arg(dir).arg(qRound(scale * 100)));
  }
}

} // namespace
