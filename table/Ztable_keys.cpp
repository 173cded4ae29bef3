// TZTable keys, mouse and selection: the key codes the control works itself, the refresh that
// follows every key, range marking, header and line clicks, focus colours and branches.
#include <algorithm>

#include "table/Ztable.h"

namespace {
constexpr uint8_t kCellMarked = 8;
constexpr int kEmptySlack = 15; // pixels below the last row too few for the empty bar

// The virtual key plus the modifier bits of Shift; Shift, Ctrl and Alt alone give 0.
int TransKey(int Key, int Shift) {
  int vk = Key & 0xFF;
  if (vk == 0 || (vk >= 16 && vk <= 18) || (vk >= 0xA0 && vk <= 0xA5)) return 0;
  return Key | (Shift & (kKeyAlt | kKeyCtrl | kKeyShift));
}

// LockKey stays set while the owner's handler runs, also when it throws.
class TKeyLock {
public:
  explicit TKeyLock(TZTable& t) : T(t) { T.SetLockKey(true); }
  ~TKeyLock() { T.SetLockKey(false); }
  TKeyLock(const TKeyLock&) = delete;
  TKeyLock& operator=(const TKeyLock&) = delete;

private:
  TZTable& T;
};
} // namespace

// ---- entries ---------------------------------------------------------------------------------

void TZTable::KeyDown(int Key, int Shift) {
  Key = TransKey(Key, Shift);
  if (Key != 0) WorkKey(static_cast<unsigned short>(Key));
}

int TZTable::WorkKey(unsigned short Code) {
  if (!FIsOpen) return 1;
  int row = FCurRow;
  WorkStatus(KeyAction(Code), row, true);
  return 1;
}

unsigned char TZTable::ExecTabOnKey(unsigned short Key) {
  if (!FIsOpen) return 0;
  if (TabOnSetEnbMnu) TabOnSetEnbMnu(this);
  unsigned char op = TabOnKey ? TabOnKey(this, Key) : 0;
  if (TabOnSetEnbMnu) TabOnSetEnbMnu(this);
  return op;
}

unsigned char TZTable::KeyAction(unsigned short Code) {
  switch (Code) {
  case kKeyRedraw:
    return kRefAll;
  case kKeyShowAgain:
    return KeyShowAgain();
  case kKeyPageUp:
    return KeyPageUp();
  case kKeyPageDown:
    return KeyPageDown();
  case kKeyEnd:
  case kKeyHome:
  case kKeyLeft:
  case kKeyRight:
    MoveColumn(Code);
    return kRefRow;
  case kKeyUp:
    return KeyUp();
  case kKeyDown:
    return KeyDownLine();
  case kKeyInsert:
    if (FCanSelect) return KeyInsert();
    break;
  case kKeyDelete:
    if (!FCanSelect) break;
    SetSelectIndex(false);
    AskSelect(etpslSelect::Cleared, CurLine());
    return kRefAll;
  case kKeyCtrlPageUp:
    return KeyCtrlPageUp();
  case kKeyCtrlPageDown:
    return KeyCtrlPageDown();
  case kKeyAbandon:
    if (!FSel.Selecting() || LineCount() == 0) break;
    FSel.Stop();
    AskSelect(etpslSelect::Abandoned, CurLine());
    return kRefAll;
  case kKeyFillBackward:
    return kRefBackward;
  case kKeyFillForward:
    return kRefForward;
  case kKeyGoTarget:
    return kRefTarget;
  default:
    break;
  }
  return OwnerKey(Code);
}

// Keys arriving while the owner works one are dropped, never nested.
unsigned char TZTable::OwnerKey(unsigned short Code) {
  if (FLockKey) return kRefNone;
  TKeyLock lock(*this);
  return TabOnKey ? TabOnKey(this, Code) : static_cast<unsigned char>(kRefNone);
}

// ---- cursor keys -----------------------------------------------------------------------------

unsigned char TZTable::KeyShowAgain() {
  int n = LineCount();
  if (n == 0) {
    FFirstShown = FLastShown = true;
    FEmpty = true;
    FPosition = 0;
    FRowCount = 0;
    FCurRow = 0;
    return kRefEmpty;
  }
  FPosition = std::clamp(FPosition, 0, n - 1);
  int first = FirstRowLine();
  if (SelectRecOut(FPosition, false) == 0) SelectRecOut(first, false);
  if (FLastShown && FAllFits) FillBackward(n - 1);
  FCurRow = 0;
  return kRefAll;
}

unsigned char TZTable::KeyUp() {
  if (LineCount() == 0) return kRefNone;
  if (FEmpty) {
    LeaveEmpty(LineCount() - 1);
    return kRefAll;
  }
  if (FCurRow > 0) {
    --FCurRow;
    return kRefRows;
  }
  if (FFirstShown || FRowCount == 0) return kRefNone;
  int prev = NextVisible(RawFirstLine() - 1, -1);
  if (prev < 0) return kRefNone;
  SelectRecOut(prev, false);
  FCurRow = 0;
  return kRefAll;
}

unsigned char TZTable::KeyDownLine() {
  if (LineCount() == 0 || FEmpty || FRowCount == 0) return kRefNone;
  if (FCurRow + 2 < FRowCount || (FCurRow + 2 == FRowCount && FAllFits)) {
    ++FCurRow;
    return kRefRows;
  }
  int cur = CurLine();
  int next = NextVisible(cur + 1, 1);
  if (next < 0) return KeyAtEnd(cur);
  FTarget = next;
  ScrollDownTo(next);
  return kRefAll;
}

// Down on the last line: the empty place after it, or the line brought up entirely.
unsigned char TZTable::KeyAtEnd(int cur) {
  if (FSel.Selecting()) return kRefNone;
  unsigned char empty = FCanEmpty ? kRefEmpty : kRefNone;
  if (FRowCount == 1 || FAllFits) return empty;
  int first = RawFirstLine();
  if (SelectRecOut(cur, true) == 0) {
    // Taller than the line area: the screen stays as it was.
    SelectRecOut(first, false);
    FCurRow = std::max(RowOf(cur), 0);
    return empty;
  }
  FCurRow = FRowCount - 1;
  return kRefAll;
}

// The screen moves down line by line until the target is on it and fits (or stands alone).
void TZTable::ScrollDownTo(int target) {
  int start = RawFirstLine();
  for (;;) {
    start = NextVisible(start + 1, 1);
    if (start < 0 || start > target) start = target;
    SelectRecOut(start, false);
    int r = RowOf(target);
    if (r >= 0 && (r < FRowCount - 1 || FAllFits || FRowCount == 1)) {
      FCurRow = r;
      return;
    }
    if (start == target) {
      FCurRow = std::max(r, 0);
      return;
    }
  }
}

unsigned char TZTable::KeyPageUp() {
  int n = LineCount();
  if (n == 0) return kRefNone;
  if (FEmpty) {
    LeaveEmpty(std::min(RawFirstLine() + 1, n - 1));
    return kRefAll;
  }
  if (FRowCount == 0 || (FCurRow == 0 && FFirstShown)) return kRefNone;
  if (FCurRow > 0) {
    FCurRow = 0;
    return kRefRows;
  }
  int prev = NextVisible(RawFirstLine() - 1, -1);
  if (prev < 0) return kRefNone;
  FillBackward(prev);
  if (FAllFits && FRowCount > 0) SelectRecOut(FRows[0], false);
  FCurRow = 0;
  return kRefAll;
}

unsigned char TZTable::KeyPageDown() {
  int n = LineCount();
  if (n < 2 || FEmpty || FRowCount == 0) return kRefNone;
  if (FLastShown && FCurRow == FRowCount - 1) return kRefNone;
  unsigned char op = kRefRows;
  if (!((FCurRow + 1 < FRowCount && FAllFits) || (FCurRow + 2 < FRowCount && !FAllFits))) {
    int from = FRows[static_cast<size_t>(FRowCount - 1)];
    // A single line taller than the area would page onto itself.
    if (FRowCount == 1) from = std::max(NextVisible(from + 1, 1), from);
    SelectRecOut(from, false);
    if (FLastShown && FAllFits) FillBackward(n - 1);
    op = kRefAll;
  }
  FCurRow = LastFullRow();
  return op;
}

unsigned char TZTable::KeyCtrlPageUp() {
  if (LineCount() < 2) return kRefNone;
  if (!FEmpty && FCurRow == 0 && FFirstShown) return kRefNone;
  FEmpty = false;
  SelectRecOut(0, false);
  FCurRow = 0;
  return kRefAll;
}

unsigned char TZTable::KeyCtrlPageDown() {
  int n = LineCount();
  if (n < 2) return kRefNone;
  if (!FEmpty && FLastShown && FCurRow == FRowCount - 1) return kRefNone;
  FillBackward(n - 1);
  FCurRow = LastFullRow();
  return kRefAll;
}

void TZTable::MoveColumn(unsigned short Code) {
  if (FTabType) return;
  if (Code == kKeyEnd) FCurCol = std::max(FDataColumns - 1, 0);
  if (Code == kKeyHome) FCurCol = 0;
  if (Code == kKeyLeft && FCurCol > 0) --FCurCol;
  if (Code == kKeyRight && FCurCol + 1 < FDataColumns) ++FCurCol;
}

// Up and PageUp from the empty place: the cursor returns to the last row.
void TZTable::LeaveEmpty(int fallback) {
  FEmpty = false;
  if (FRowCount > 0) {
    FillBelowRows(FAreaTop + RowsEnd());
  } else if (SelectRecOut(LineCount() - 1, true) == 0) {
    SelectRecOut(fallback, false);
  }
  FCurRow = std::max(FRowCount - 1, 0);
}

// ---- selection -------------------------------------------------------------------------------

unsigned char TZTable::KeyInsert() {
  if (LineCount() == 0 || FEmpty) return kRefNone;
  int cur = CurLine();
  if (!FSel.Selecting()) {
    if (AskSelect(etpslSelect::Started, FSel.Anchor())) FSel.Start(cur);
    return kRefAll;
  }
  bool ok = AskSelect(etpslSelect::Finishing, cur);
  FSel.Stop();
  if (ok) {
    SetSelectIndex(true);
    AskSelect(etpslSelect::Marked, cur);
  }
  return kRefAll;
}

bool TZTable::AskSelect(etpslSelect Status, int Line) {
  return TabOnStartEndSelect ? TabOnStartEndSelect(this, Status, Line) : true;
}

void TZTable::SetSelectIndex(bool Mark) {
  if (Mark)
    FSel.MarkRange(CurLine(), FNotVisSelect);
  else
    FSel.Clear();
}

void TZTable::KeepMarked(const std::function<bool(const TZTabIndex&)>& keep) {
  FSel.Keep(keep);
  WorkKey(kKeyRedraw);
}

// ---- refresh ---------------------------------------------------------------------------------

void TZTable::WorkStatus(unsigned char Operation, int Row, bool Draw) {
  if (!FIsOpen || Operation == kRefNone) return;
  if (LineCount() == 0) Operation = kRefEmpty;
  if (!Refresh(Operation, Row, Draw)) return;
  AfterRefresh();
  if (Operation == kRefHeader) FHost->RepaintScrollBar();
  FHost->Present();
}

// False when nothing is to follow (the empty place without CanEmpty).
bool TZTable::Refresh(unsigned char Operation, int Row, bool Draw) {
  int n = LineCount();
  switch (Operation) {
  case kRefRows:
    if (FSel.Selecting()) {
      DrawRows();
    } else {
      RedrawRow(Row);
      RedrawRow(FCurRow);
    }
    break;
  case kRefAll:
    if (n > 0) DrawRows();
    break;
  case kRefEmpty:
    return RefreshEmpty();
  case kRefRow:
    RedrawRow(FCurRow);
    break;
  case kRefBranch:
    RefreshBranch();
    break;
  case kRefFromLast:
  case kRefBackward:
    FillBackward(Operation == kRefFromLast ? n - 1 : FirstRowLine());
    FCurRow = std::max(FRowCount - 1, 0);
    DrawRows();
    break;
  case kRefFromStart:
  case kRefForward:
    SelectRecOut(Operation == kRefFromStart ? 0 : FirstRowLine(), false);
    FCurRow = 0;
    DrawRows();
    break;
  case kRefTarget:
    RefreshTarget(Draw);
    break;
  case kRefAfterDelete:
    RefreshAfterDelete();
    break;
  case kRefHeader:
    ZDrawCell();
    DrawRows();
    break;
  default: // 2, 14 and above: the steps after a refresh only
    break;
  }
  return true;
}

// The empty place: rows without the highlight and a bar below them in the current-line colour;
// the screen moves up while there is no room for the bar.
bool TZTable::RefreshEmpty() {
  if (!FCanEmpty) return false;
  FEmpty = true;
  if (LineCount() == 0 || (FRowCount == 1 && !FAllFits)) FRowCount = 0;
  DrawRows();
  std::vector<int> rows(FRows.begin(), FRows.begin() + FRowCount);
  for (size_t j = 1; FRowCount >= 2 && FAllFits && j < rows.size(); ++j) {
    if (FAreaBottom - (FAreaTop + RowsEnd()) > kEmptySlack) break;
    SelectRecOut(rows[j], false);
    FEmpty = true;
    DrawRows();
  }
  FCurRow = std::max(FRowCount - 1, 0);
  return true;
}

// After a branch was opened or closed: that line on screen and current.
void TZTable::RefreshBranch() {
  int n = LineCount(), cur = CurLine();
  SelectRecOut(FirstRowLine(), false);
  int t = FToggled;
  FToggled = -1;
  if (t >= 0 && t < n) {
    int r = RowOf(t);
    if (r < 0 || r == FRowCount - 1) {
      SelectRecOut(t, false);
      if (FLastShown && FAllFits && !FFirstShown) FillBackward(n - 1);
      r = RowOf(t);
    }
    if (r >= 0) FCurRow = r;
  } else if (RowOf(cur) >= 0) {
    FCurRow = RowOf(cur);
  }
  DrawRows();
}

void TZTable::RefreshTarget(bool Draw) {
  int n = LineCount();
  FTarget = std::clamp(FTarget, 0, n - 1);
  SelectRecOut(FirstRowLine(), false);
  if (RowOf(FTarget) < 0) {
    SelectRecOut(FTarget, false);
    if (FLastShown && FAllFits && !FFirstShown) FillBackward(n - 1);
  }
  FCurRow = std::max(RowOf(FTarget), 0);
  if (Draw) DrawRows();
}

// After lines were removed: the screen from its first line, or ending at its old last line.
void TZTable::RefreshAfterDelete() {
  int n = LineCount();
  int last = FRowCount > 0 ? FRows[static_cast<size_t>(FRowCount - 1)] : n - 1;
  if (SelectRecOut(RawFirstLine(), false) == 0) FillBackward(std::min(last, n - 1));
  FCurRow = 0;
  DrawRows();
}

void TZTable::AfterRefresh() {
  if (FRowCount > 0) {
    FCurRow = std::clamp(FCurRow, 0, FRowCount - 1);
    FPosition = FRows[static_cast<size_t>(FCurRow)];
  }
  ToggleScrollBar();
  ZDrawCellClient();
  if (FHost->HasScrollBar()) FHost->SetScrollBarPos(SetFsbPos());
  NotifyCurrent();
  if (TabOnSetEnbMnu) TabOnSetEnbMnu(this);
}

void TZTable::NotifyCurrent() {
  if (!TabOnKorCurrent || (FEmpty && !FCanEmpty)) return;
  InitCurrentEdit();
  TabOnKorCurrent(this);
}

void TZTable::ToggleScrollBar() {
  bool had = FHost->HasScrollBar();
  bool all = FFirstShown && FLastShown && FAllFits;
  if (!had && LineCount() > 0 && !all)
    OnOffFSB(-kEmptyBarHeight);
  else if (had && all)
    OnOffFSB(kEmptyBarHeight);
  if (had != FHost->HasScrollBar()) KeepLineOnScreen(FPosition);
}

// The columns changed width, so the lines their height: the screen moves down until the line
// is on it again.
void TZTable::KeepLineOnScreen(int line) {
  bool wasEmpty = FEmpty;
  int start = RawFirstLine();
  if (FRowCount > 0 && LineCount() > 0) {
    SelectRecOut(start, false);
    for (int j = 1; RowOf(line) < 0 && FRowCount > 0; ++j) {
      int next = FRows[static_cast<size_t>(std::min(j, FRowCount - 1))];
      if (next <= start || next >= line) next = line;
      start = next;
      SelectRecOut(start, false);
      if (start == line) break;
    }
  } else {
    FRowCount = 0;
  }
  if (FRowCount == 0) {
    FEmpty = true;
    FCurRow = 0;
    if (!FRows.empty()) FRows[0] = 0;
  } else {
    FEmpty = wasEmpty;
    FCurRow = wasEmpty ? FRowCount - 1 : std::max(RowOf(line), 0);
  }
  ZDrawCell();
  DrawRows();
}

// Rows are drawn against the current line (the selection runs from the anchor to it).
void TZTable::DrawRows() {
  if (FRowCount > 0) FPosition = CurLine();
  OutScreenRecords();
}

void TZTable::RedrawRow(int Row) {
  if (!FCanOutRk || Row < 0 || Row >= FRowCount || static_cast<size_t>(Row) >= FRowTop.size())
    return;
  FPosition = CurLine();
  OutScreenRecord(Row);
}

// Backward from line, or forward when a single line is taller than the area.
void TZTable::FillBackward(int line) {
  if (SelectRecOut(line, true) == 0) SelectRecOut(line, false);
}

// ---- mouse and focus -------------------------------------------------------------------------

void TZTable::MouseMove(int, int X, int Y) {
  if (!FIsOpen) return;
  FMouseX = X;
  FMouseY = Y;
}

void TZTable::Click() {
  if (!FIsOpen || FMouseY < FAreaTop || FMouseY >= FAreaTop + RowsEnd()) return;
  if (!FHost->Focused()) FHost->SetFocus();
  if (LineCount() == 0 || FRowCount == 0) return;
  int row = 0;
  for (int r = 0; r < FRowCount; ++r)
    if (FAreaTop + FRowTop[static_cast<size_t>(r)] <= FMouseY) row = r;
  int prev = FCurRow;
  if (FEmpty)
    FEmpty = false;
  else if (FTabType && row == FCurRow)
    return;
  FCurRow = row;
  if (!FTabType) {
    int col = ColumnAt(FMouseX);
    if (col >= 0) FCurCol = col;
  }
  WorkStatus(kRefAll, prev, true);
}

void TZTable::DblClick() {
  if (!FIsOpen) return;
  int x = FMouseX, y = FMouseY;
  bool across = x >= FAreaLeft && x <= FAreaRight;
  int rowTop = FAreaTop + (FRowCount > 0 ? FRowTop[static_cast<size_t>(FCurRow)] : 0);
  if (TabShapDblClick && across && y < rowTop) {
    SelectSell();
    return;
  }
  if (FRowCount == 0 || FEmpty || !across) return;
  if (y < rowTop || y >= FAreaTop + FRowTop[static_cast<size_t>(FCurRow + 1)]) return;
  if (!TabOnDblClick)
    WorkKey(kKeyEnter);
  else
    TabOnDblClick(this, CurLine(), ColumnAt(x));
}

// The header cell under the mouse, searched from the lowest level up, becomes the marked one
// when the owner accepts it.
void TZTable::SelectSell() {
  int x = FMouseX, y = FMouseY;
  for (int i = std::min(FFirstDataCell, static_cast<int>(FCells.size())) - 1; i >= 0; --i) {
    TZCell& c = *FCells[static_cast<size_t>(i)];
    if (c.CellRect.Top > y || y > c.CellRect.Bottom) continue;
    if (x < c.CellRect.Left || x > c.CellRect.Right) continue;
    if (FMarkedCell >= 0 && FMarkedCell < static_cast<int>(FCells.size()))
      FCells[static_cast<size_t>(FMarkedCell)]->Flags &= static_cast<uint8_t>(~kCellMarked);
    FMarkedCell = i;
    if (TabShapDblClick && TabShapDblClick(this, i)) c.Flags |= kCellMarked;
    FHost->Invalidate();
    return;
  }
}

void TZTable::DoEnter() {
  if (TabOnEnter && TabOnEnter(this)) return;
  FFocused = true;
  FColors[ciWorkPB] = FColors[ciBrushPB];
  FColors[ciWorkPV] = FColors[ciBrushPV];
  if (!FIsOpen) return;
  if (LineCount() == 0) {
    FEmpty = true;
    FHost->Invalidate();
    return;
  }
  WorkStatus(kRefAll, FCurRow, true);
  NotifyCurrent();
  if (TabOnSetEnbMnu) TabOnSetEnbMnu(this);
}

void TZTable::DoExit() {
  FFocused = false;
  FColors[ciWorkPB] = FColors[ciBrushNPB];
  FColors[ciWorkPV] = FColors[ciBrushNPV];
  if (!FIsOpen) return;
  FHost->Invalidate();
  if (TabOnExit) TabOnExit(this);
}

// ---- branches --------------------------------------------------------------------------------

bool TZTable::ExpandCollaps(int Line) {
  int n = LineCount();
  if (n == 0) return false;
  if (Line < 0) Line = CurLine();
  if (Line < 0 || Line >= n - 1) return false;
  TZTabIndex* e = GetIndex(Line);
  int level = e->Level;
  if (!(e->Flags & kIdxChildren) || GetIndex(Line + 1)->Level < level || level >= kExpandSlots)
    return false;
  FToggled = Line;
  int found = -1;
  for (int lv = level + 1; lv < kExpandSlots && found < 0; ++lv)
    if (FExpand[lv] >= 0) found = lv;
  int open = FExpand[level];
  bool closed = found >= 0 && open >= 0 && open < n - 1;
  if (closed) CloseBranch(open, level, found);
  if (!(closed && open == Line))
    OpenBranch(Line, level);
  else if (level == 0)
    FExpand[0] = -1;
  SetMaxFsb(SetFsbMax());
  return true;
}

void TZTable::CloseBranch(int Line, int Level, int Found) {
  int n = LineCount();
  GetIndex(Line)->Flags &= static_cast<uint16_t>(~kIdxExpanded);
  if (TabCollapsExpand) TabCollapsExpand(this, true, Line, Level, BranchRecord(Line));
  for (int i = Line + 1; i < n; ++i) {
    TZTabIndex* e = GetIndex(i);
    if (e->Level < Found) break;
    e->Flags = static_cast<uint16_t>((e->Flags | kIdxHidden) & ~kIdxExpanded);
  }
  for (int lv = GetIndex(Line + 1)->Level; lv < kExpandSlots; ++lv)
    FExpand[lv] = -1;
}

void TZTable::OpenBranch(int Line, int Level) {
  int n = LineCount();
  if (TabCollapsExpand) TabCollapsExpand(this, false, Line + 1, Level, BranchRecord(Line));
  GetIndex(Line)->Flags |= kIdxExpanded;
  FExpand[Level] = Line;
  int next = GetIndex(Line + 1)->Level;
  if (next < kExpandSlots) FExpand[next] = Line + 1;
  for (int i = Line + 1; i < n; ++i) {
    TZTabIndex* e = GetIndex(i);
    if (e->Level < next) break;
    if (e->Level == next) e->Flags &= static_cast<uint16_t>(~kIdxHidden);
  }
}

WRec* TZTable::BranchRecord(int Line) {
  if (!FBranchRec) FBranchRec = std::make_unique<WRec>();
  ReadRecord(Line, FBranchRec.get(), trOther);
  return FBranchRec.get();
}

// ---- small helpers ---------------------------------------------------------------------------

int TZTable::CurLine() const {
  if (FRowCount > 0 && static_cast<size_t>(FRowCount) <= FRows.size())
    return FRows[static_cast<size_t>(std::clamp(FCurRow, 0, FRowCount - 1))];
  return FPosition;
}

int TZTable::RawFirstLine() const {
  return FRowCount > 0 && !FRows.empty() ? FRows[0] : 0;
}

int TZTable::FirstRowLine() const {
  return std::clamp(RawFirstLine(), 0, std::max(LineCount() - 1, 0));
}

int TZTable::RowOf(int Line) const {
  for (int r = 0; r < FRowCount; ++r)
    if (FRows[static_cast<size_t>(r)] == Line) return r;
  return -1;
}

int TZTable::RowsEnd() const {
  if (static_cast<size_t>(FRowCount) >= FRowTop.size()) return 0;
  return FRowTop[static_cast<size_t>(FRowCount)];
}

// The last row shown entirely (the last row when it alone does not fit).
int TZTable::LastFullRow() const {
  if (FRowCount <= 0) return 0;
  return !FAllFits && FRowCount > 1 ? FRowCount - 2 : FRowCount - 1;
}

// The first line from `from` on (step +1 or -1) that is not hidden; -1 when there is none.
int TZTable::NextVisible(int from, int step) {
  int n = LineCount();
  for (int i = from; i >= 0 && i < n; i += step)
    if (!(GetIndex(i)->Flags & kIdxHidden)) return i;
  return -1;
}

// The template column under x (the first whose right edge lies right of it); -1 for none.
int TZTable::ColumnAt(int x) const {
  return FLayout.ColumnAt(x);
}
