// Keys of the table control on a large list: Down, PageDown and Ctrl+PageDown at the end of the
// list against the same keys at its start, and marking every line with two Inserts.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "table/Fixedhost.h"
#include "table/Ztable.h"

namespace {
double Now() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

// One column over a line area of 320 px, every line one text line of 16 px.
void Layout(TZTable& t) {
  TZLayout l;
  l.AddCell({0, 20, 400, 341}, {2, 21, 398, 341});
  l.SetTemplate(0);
  l.DesignWidth = 400;
  t.SetLayout(std::move(l), {TListFields{}}, {TZOutFields{TZOutField{"RNpp", 0, 0, -1}}});
}

// The fastest of `reps` presses of code at the start (or, after `back`, at the end) of the list.
double TimeKeys(TZTable& t, unsigned short code, unsigned short back, bool end, int reps) {
  double best = 1e9;
  for (int i = 0; i < reps; ++i) {
    t.WorkKey(end ? kKeyCtrlPageDown : kKeyCtrlPageUp);
    if (end) t.WorkKey(back); // step off the last line so the key has work to do
    double t0 = Now();
    t.WorkKey(code);
    best = std::min(best, Now() - t0);
  }
  return best;
}
} // namespace

void PrintTableKeysBench(int lines, int reps) {
  TFixedHost host(400, 400);
  TZTable t(&host);
  Layout(t);
  t.SetCanSelect(true);
  t.SetTabType(true);
  int next = 0;
  t.TabInit = [&](TZTable*) { next = 0; };
  t.TabRead = [&](TZTable*, TypeRead type, TZTabIndex* index, WRec* rec) {
    if (type == trIndex) {
      if (next >= lines) return false;
      index->Adr = static_cast<uint32_t>(next++);
    }
    rec->Prefix = 0;
    rec->Len = 0;
    return true;
  };
  t.TabOpen(nullptr, 0);
  t.WorkKey(kKeyShowAgain);
  double start = 0, end = 0;
  for (unsigned short code : {kKeyDown, kKeyPageDown, kKeyCtrlPageDown}) {
    unsigned short back = code == kKeyCtrlPageDown ? kKeyPageUp : kKeyUp;
    double a = TimeKeys(t, code, back, false, reps), b = TimeKeys(t, code, back, true, reps);
    if (std::getenv("RAVINEL_BENCH_KEYS")) std::printf("key %d: %.6f %.6f\n", code, a, b);
    start += a;
    end += b;
  }
  double t0 = Now();
  for (unsigned short code : {kKeyCtrlPageUp, kKeyInsert, kKeyCtrlPageDown, kKeyInsert})
    t.WorkKey(code);
  double mark = Now() - t0;
  if (t.MarkedCount() != lines)
    std::printf("table mark all: %d of %d marked\n", t.MarkedCount(), lines);
  std::printf("ratio table keys end/start: %.2f\n", start > 0 ? end / start : 0.0);
  std::printf("table mark all 100k: %.3f\n", mark);
}
