// TZTable core: construction, the colour table, the toolkit's Loaded step and release of what the
// control holds. Screen description, reading, painting, keys and editing live in Ztable_*.cpp.
#include "table/Ztable.h"

const TColor ArrColor[2] = {clBtnFace, 0xDE8A72};
const int PenWidthOf[4] = {0, 1, 2, 3};

TZTable::TZTable(TZTableHost* host) : FHost(host) {
  for (TColor& c : FColors)
    c = clBlack;
  FColors[ciBrushB] = clBtnFace;
  FColors[ciBrushPB] = ArrColor[1];
  FColors[ciBrushV] = 0xB3BCD9;
  FColors[ciBrushPV] = 0x51618C;
  FColors[ciBrushNPB] = 0xA5A5A5;
  FColors[ciBrushNPV] = 0x858585;
  FColors[ciWorkPB] = FColors[ciBrushNPB];
  FColors[ciWorkPV] = FColors[ciBrushNPV];
  for (int& slot : FExpand)
    slot = -1;
}

// The owner may already be gone when a control is destroyed, so no event is raised here: the
// lines, their keys and the cells are released directly.
TZTable::~TZTable() {
  for (TZTabDIndex* d : FDIndex) {
    delete[] d->Key;
    delete d;
  }
  for (TZTabIndex* e : FIndex) {
    delete[] e->Key;
    delete e;
  }
}

TColor TZTable::GetTabColor(int Index) const {
  if (Index < 0 || Index >= kColorSlots) return clBlack;
  return FColors[Index];
}

void TZTable::SetTabColor(int Index, TColor color) {
  if (Index < 0 || Index >= kColorSlots || FColors[Index] == color) return;
  FColors[Index] = color;
  if (FHost) FHost->Invalidate();
}

void TZTable::Loaded() {
  FColors[ciBrushB] = ArrColor[0];
  FColors[ciBrushPB] = ArrColor[1];
}
