// The table control on the large list: opening it through an owner that reads the list file and
// keys the lines by object number, against LoadObjectLines on the same file; a page repaint at
// the start and near the end of the list; and what the line index takes in memory.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <malloc.h>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "paths/Dpath.h"
#include "storage/Fun_struct.h"
#include "table/Ztable.h"
#include "table/Fixedhost.h"
#include "tools/bench/Bench.h"
#include "tools/demosuite/Demosuite.h"
#include "workflow/Objects.h"

namespace {
double Now() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  size_t n = v.size();
  return n == 0 ? 0 : n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// Heap bytes in use, small blocks and mapped ones.
size_t HeapInUse() {
  struct mallinfo2 m = mallinfo2();
  return m.uordblks + m.hblkhd;
}

// The list window's way of serving the list: the file's records in order, each keyed by its
// object number (4 bytes, most significant first). It reads the list file of Open, which must
// stay open while the table is.
class TListOwner {
public:
  TListOwner(TZTable& table, const TListInfo& info) : T(table), Info(info) {
    Fields = ListLineFields(info);
    T.TabInit = [this](TZTable*) { List->WOpen_file(static_cast<unsigned long>(Info.Group)); };
    T.TabRead = [this](TZTable*, TypeRead type, TZTabIndex* index, WRec* rec) {
      return ::TabRead(List, type, index, rec);
    };
    T.TabOnOnLoadKey = [this](TZTable*, char* key, WRec* rec, TZTabIndex*) {
      TRecImage image;
      RecStruct(&Fields, rec, image);
      LineKey(image.Get<uint32_t>(kImgNumber), key);
      return true;
    };
  }
  // Opens the table on list.
  void Open(WFile& list) {
    List = &list;
    T.TabOpen(List, 1);
  }
  TZTable& T;
  TListInfo Info;
  TListFields Fields;
  WFile* List = nullptr;
};

struct TOpenTimes {
  std::vector<double> Open, Baseline;
};

// Opens the list reps + 1 times, alternating with the baseline; the first pass of each warms
// the cache and is not counted.
TOpenTimes TimeOpen(TListOwner& owner, TObjectFiles& files, const std::string& path, int reps) {
  TZTable& t = owner.T;
  TOpenTimes times;
  std::unique_ptr<WFile> open; // the table's list file, kept while it is open
  for (int r = 0; r <= reps; ++r) {
    size_t got;
    double baseTime;
    {
      double t0 = Now();
      WFile base(path);
      TObjectFiles list(base, files.Ref, files.Scratch);
      got = LoadObjectLines(list, owner.Info, 1).size();
      baseTime = Now() - t0;
    }
    t.TabClose();
    open.reset();
    double t0 = Now();
    open = std::make_unique<WFile>(path);
    owner.Open(*open);
    double openTime = Now() - t0;
    if (static_cast<size_t>(t.LineCount()) != got)
      throw std::runtime_error("the table holds " + std::to_string(t.LineCount()) + " of " +
                               std::to_string(got) + " lines");
    if (r == 0) continue;
    times.Open.push_back(openTime);
    times.Baseline.push_back(baseTime);
  }
  t.TabClose();
  return times;
}

void CheckOrder(TZTable& t) {
  for (int i = 1; i < t.LineCount(); ++i)
    if (std::memcmp(t.GetIndex(i - 1)->Key, t.GetIndex(i)->Key, 4) > 0)
      throw std::runtime_error("the table's lines are out of order");
}

// The fastest of reps repaints of a page filled from line: the lines measured anew, as a page
// the list has not shown yet.
double TimePage(TZTable& t, TFixedHost& host, int line, int reps) {
  double best = 1e9;
  for (int r = 0; r < reps; ++r) {
    t.ResetHeights();
    host.Can.Calls.clear();
    double t0 = Now();
    t.SetPosition(line);
    t.SelectRecOut(line, false);
    t.Paint();
    best = std::min(best, Now() - t0);
  }
  if (t.RowCount() == 0 || host.Can.Texts().size() < static_cast<size_t>(t.RowCount()))
    throw std::runtime_error("the page at line " + std::to_string(line) + " drew no lines");
  return best;
}

// Heap bytes the open index takes per line besides its keys: the heap growth of the open list
// less what as many separately allocated keys take.
double IndexBytes(TListOwner& owner, const std::string& path) {
  TZTable& t = owner.T;
  size_t before, open;
  int lines;
  {
    WFile list(path);
    before = HeapInUse();
    owner.Open(list);
    open = HeapInUse() - before;
    lines = t.LineCount();
    t.TabClose();
  }
  before = HeapInUse();
  std::vector<std::unique_ptr<char[]>> keys(static_cast<size_t>(lines));
  size_t vec = HeapInUse() - before;
  for (auto& k : keys)
    k = std::make_unique<char[]>(4);
  size_t keyBytes = HeapInUse() - before - vec;
  return lines > 0 ? (static_cast<double>(open) - static_cast<double>(keyBytes)) / lines : 0;
}
} // namespace

TTableFigures MeasureTableList(TObjectFiles& files, const TListInfo& info, int records, int reps) {
  std::string path = GetRealName(std::string(info.Prefix) + "#" + kLargeListName);
  TFixedHost host(800, 600);
  TZTable t(&host);
  t.SetNumFileScreen(info.Screen);
  if (t.Cells().empty()) throw std::runtime_error("screen " + std::to_string(info.Screen));
  t.SetLenBaseKey(4);
  t.SetCanVisible(true);
  t.SetTabType(true);
  TListOwner owner(t, info);
  TOpenTimes times = TimeOpen(owner, files, path, std::max(reps, 1));
  TTableFigures f;
  double open = Median(times.Open), base = Median(times.Baseline);
  f.OpenSeconds = open * 100000.0 / records;
  f.OpenRatio = base > 0 ? open / base : 0;
  f.IndexBytes = IndexBytes(owner, path);

  WFile list(path);
  owner.Open(list);
  CheckOrder(t);
  const int kPageReps = 20;
  double start = TimePage(t, host, 0, kPageReps);
  int rows = t.RowCount(), n = t.LineCount();
  int end = n - n / 100; // line 99,000 of 100,000; on a short list the last full page
  if (n - end < rows) end = std::max(0, n - rows);
  double last = TimePage(t, host, end, kPageReps);
  f.PageRatio = start > 0 ? last / start : 0;
  t.TabClose();

  std::printf("table open %d lines: median %.4f s, LoadObjectLines %.4f s, ratio %.2f\n", records,
              open, base, f.OpenRatio);
  std::printf("table page of %d rows: at line 0 %.3f ms, at line %d %.3f ms\n", rows, 1000 * start,
              end, 1000 * last);
  if (records != 100000)
    std::printf("the table list has %d records; the open figure is scaled linearly to 100k\n",
                records);
  std::fflush(stdout);
  return f;
}

void PrintTableFigures(const TTableFigures& f) {
  if (f.OpenSeconds <= 0) {
    std::printf("table open 100k: not measured (no large list)\n");
    return;
  }
  std::printf("table open 100k: %.3f\n", f.OpenSeconds);
  std::printf("ratio table page end/start: %.2f\n", f.PageRatio);
  std::printf("table index bytes per line: %.0f\n", f.IndexBytes);
}
