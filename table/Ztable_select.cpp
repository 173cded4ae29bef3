// TZSelection: range marking over joined lines and levels, the marked-line count kept with the
// marks actually set, and the owner's filter of a finished selection.
#include "table/Ztable_select.h"

#include <algorithm>

#include "table/Ztable.h"

namespace {
// Line flags that stretch a marked range over the lines bound to its ends.
constexpr uint16_t kIdxJoinNext = 0x0080, kIdxJoinPrev = 0x0100, kIdxJoinBoth = 0x0200;

void TakeMark(TZTabIndex& e) {
  e.Flags &= static_cast<uint16_t>(~kIdxMarked);
}
} // namespace

void TZSelection::Start(int anchor) {
  FAnchor = anchor;
  FSelecting = true;
}

bool TZSelection::InRange(int line, int current) const {
  return FSelecting && line >= std::min(FAnchor, current) && line <= std::max(FAnchor, current);
}

void TZSelection::MarkRange(int current, bool skipHidden) {
  int n = Count();
  if (n == 0) return;
  int a = std::clamp(FAnchor, 0, n - 1), b = std::clamp(current, 0, n - 1);
  int lo = std::min(a, b), hi = std::max(a, b);
  while (lo > 0 && (At(lo)->Flags & (kIdxJoinPrev | kIdxJoinBoth)))
    --lo;
  while (hi < n - 1 && (At(hi)->Flags & (kIdxJoinNext | kIdxJoinBoth)))
    ++hi;
  int level = At(hi)->Level;
  while (hi < n - 1 && At(hi + 1)->Level > level)
    ++hi;
  for (int i = lo; i <= hi; ++i) {
    TZTabIndex* e = At(i);
    if (!(skipHidden && (e->Flags & kIdxHidden))) Mark(*e);
  }
}

void TZSelection::Clear() {
  for (int i = 0, n = Count(); i < n; ++i)
    if (TZTabIndex* e = At(i)) TakeMark(*e);
  FMarked = 0;
}

void TZSelection::Mark(TZTabIndex& line) {
  if (line.Flags & kIdxMarked) return;
  line.Flags |= kIdxMarked;
  ++FMarked;
}

void TZSelection::Unmark(TZTabIndex& line) {
  if (!(line.Flags & kIdxMarked)) return;
  TakeMark(line);
  --FMarked;
}

void TZSelection::Keep(const std::function<bool(const TZTabIndex&)>& keep) {
  for (int i = 0, n = Count(); i < n; ++i) {
    TZTabIndex* e = At(i);
    if (e && (e->Flags & kIdxMarked) && !keep(*e)) Unmark(*e);
  }
}

void TZSelection::Forget() {
  FSelecting = false;
  FMarked = 0;
}
