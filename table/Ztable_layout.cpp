// TZLayout: the line area taken from the template, the column under a position, and the header
// levels grouped by the bottoms of the header cells.
#include "table/Ztable_layout.h"

#include <set>

#include "messages/Utslang.h"

TZCell& TZLayout::AddCell(const TRect& cell, const TRect& text) {
  auto c = std::make_unique<TZCell>();
  c->CellRect = cell;
  c->TextRect = text;
  Cells.push_back(std::move(c));
  return *Cells.back();
}

void TZLayout::SetTemplate(int first) {
  FirstDataCell = first;
  DataColumns = static_cast<int>(Cells.size()) - first;
  AreaFromTemplate();
}

void TZLayout::AreaFromTemplate() {
  if (FirstDataCell >= static_cast<int>(Cells.size())) return;
  const TZCell& first = *Cells[static_cast<size_t>(FirstDataCell)];
  AreaLeft = first.TextRect.Left;
  AreaTop = first.TextRect.Top;
  AreaBottom = first.TextRect.Bottom;
  AreaRight = Cells.back()->TextRect.Right;
  LineAreaHeight = first.TextRect.Height();
  HeightShap = first.CellRect.Top;
}

int TZLayout::ColumnAt(int x) const {
  for (int c = 0; c < DataColumns; ++c) {
    size_t i = static_cast<size_t>(FirstDataCell + c);
    if (i < Cells.size() && Cells[i]->CellRect.Right > x) return c;
  }
  return -1;
}

std::string TZLayout::BuildHeadLevels() {
  std::set<int> bottoms;
  for (int i = 0; i < FirstDataCell; ++i)
    bottoms.insert(Cells[static_cast<size_t>(i)]->BaseRect.Bottom);
  if (bottoms.size() > static_cast<size_t>(kMaxHeadLevels))
    return ByIface("больше ", "більше ") + std::to_string(kMaxHeadLevels) +
           ByIface(" уровней шапки", " рівнів шапки");
  int starts = 0, ends = 0;
  std::vector<TZHeadLevel> levels;
  for (int bottom : bottoms) {
    TZHeadLevel level;
    level.Bottom = bottom;
    for (int i = 0; i < FirstDataCell; ++i) {
      const TRect& r = Cells[static_cast<size_t>(i)]->BaseRect;
      if (r.Top == bottom) level.Starts.push_back(i);
      if (r.Bottom == bottom) level.Ends.push_back(i);
    }
    starts += static_cast<int>(level.Starts.size());
    ends += static_cast<int>(level.Ends.size());
    levels.push_back(std::move(level));
  }
  if (starts > kMaxHeadEntries || ends > kMaxHeadEntries)
    return ByIface("больше ", "більше ") + std::to_string(kMaxHeadEntries) +
           ByIface(" ячеек шапки", " комірок шапки");
  HeadLevels = std::move(levels);
  Ready = !HeadLevels.empty();
  return "";
}

void TZLayout::Clear() {
  Cells.clear();
  HeadLevels.clear();
}
