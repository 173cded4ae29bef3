// The table control's layout: the cells of a screen (header cells, then the line template), the
// header levels and the line area. The table builds it from a screen description; a host or a
// test may build one by hand and give it to the table.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/Canvas.h"

constexpr int kMaxHeadLevels = 10;
constexpr int kMaxHeadEntries = 100;

// One rectangle of the screen description: a header cell or a cell of the line template.
struct TZCell {
  double WidthCm = 0;
  TRect BaseRect; // after the initial layout; the reference of later width changes
  TRect CellRect; // current, in control coordinates
  TRect TextRect; // inside the border lines
  uint8_t Border[4] = {0, 0, 0, 0}; // left, top, right, bottom: 0 none, 1..3 width
  uint8_t HorAlign = 0;             // 0 left, 1 centred, 2 right
  uint8_t VerAlign = 0;             // 0 top, 1 centred, 2 bottom
  std::string FontName;
  int32_t FontSize = 0;
  uint8_t CellByte = 0;
  uint8_t FontStyle = 0;          // fsBold | fsItalic | fsUnderline | fsStrikeOut
  std::string Caption1, Caption2; // Russian, Ukrainian
  uint8_t Flags = 0; // 1 reached, 2 left to move, 4 right to move, 8 marked header cell
  int32_t LeftJoin = 0;
  int32_t TopJoin = 0;
};

// One level of the header: its bottom (in the initial layout) and the header cells ending and
// starting there.
struct TZHeadLevel {
  int Bottom = 0;
  std::vector<int> Ends, Starts;
};

class TZLayout {
public:
  std::vector<std::unique_ptr<TZCell>> Cells; // header cells, then the template's columns
  std::vector<TZHeadLevel> HeadLevels;
  int FirstDataCell = 0, DataColumns = 0;
  // The line area: the text rectangle of the template's first column, to its last column.
  int AreaLeft = 0, AreaTop = 0, AreaRight = 0, AreaBottom = 0, LineAreaHeight = 0;
  int HeightShap = 0;  // the header's height: the top of the template
  int DesignWidth = 0; // the width the columns are laid out for
  int SavedHeight = 0; // the control's height the template was last stretched to
  bool Ready = false;  // header levels built

  // Appends a cell with its rectangle and the text rectangle inside its border lines.
  TZCell& AddCell(const TRect& cell, const TRect& text);
  // The cells from first on are the line template; the line area follows from it.
  void SetTemplate(int first);
  void AreaFromTemplate();
  // Template column k.
  TZCell& Column(int k) { return *Cells[static_cast<size_t>(FirstDataCell + k)]; }
  // The template column under x (the first whose right edge lies right of it); -1 for none.
  int ColumnAt(int x) const;
  // The header levels from the bottoms of the header cells' initial rectangles. A header of
  // more than kMaxHeadLevels levels or kMaxHeadEntries entries is refused: the levels stay as
  // they were and the result says why; "" when built.
  std::string BuildHeadLevels();
  void Clear();
};
