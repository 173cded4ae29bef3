// The table control's selection: the anchor of a range, whether a selection runs, and the marks
// (flag kIdxMarked of the lines) with their count, over the lines in the table's current order.
#pragma once
#include <functional>

struct TZTabIndex;

class TZSelection {
public:
  // How many lines there are, and line i of the current order.
  using TCount = std::function<int()>;
  using TLineAt = std::function<TZTabIndex*(int)>;
  TZSelection(TCount count, TLineAt at) : Count(std::move(count)), At(std::move(at)) {}

  int Anchor() const { return FAnchor; }
  void SetAnchor(int line) { FAnchor = line; }
  bool Selecting() const { return FSelecting; }
  int MarkedCount() const { return FMarked; }

  // A selection starts at line anchor; Stop ends it without marking.
  void Start(int anchor);
  void Stop() { FSelecting = false; }
  // Whether line lies between the anchor and current while a selection runs (drawn as marked).
  bool InRange(int line, int current) const;
  // Marks the lines from the anchor to current, the range stretched back over lines joined to
  // the line before, forward over lines joined to the next and over the deeper levels below its
  // end; hidden lines stay unmarked with skipHidden. Lines marked already are not counted again.
  void MarkRange(int current, bool skipHidden);
  // Removes every mark.
  void Clear();
  // Marks one line, or takes the mark off it (a line copied, moved or removed by the table).
  void Mark(TZTabIndex& line);
  void Unmark(TZTabIndex& line);
  // A finished selection filtered by its owner: only the marked lines keep accepts stay marked.
  void Keep(const std::function<bool(const TZTabIndex&)>& keep);
  // The list was closed: no selection, no marks counted.
  void Forget();

private:
  TCount Count;
  TLineAt At;
  int FAnchor = 0, FMarked = 0;
  bool FSelecting = false;
};
