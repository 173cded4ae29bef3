// The list window opening the large list offscreen (table read, check pass, first paint) against
// the check of the same list without windows, as the command line makes it.
#include "tools/bench/Bench.h"

#include <QApplication>
#include <chrono>
#include <memory>
#include <stdexcept>

#include "paths/Dpath.h"
#include "paths/Rdwr_cfg.h"
#include "workflow/Objects.h"
#include "workflow/Ucommon.h"
#include "workflow/Uvbl.h"

namespace {
constexpr uint8_t kAnyState = stMissing | stReplaceable | stReplaced | stUserChanged | stUnreadable;

double Now() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

// The check of the list without windows: the list read in table order, every object checked.
size_t CheckWithoutWindow(const TListInfo& info) {
  WFile list(ListAliasName(info, true));
  TObjectFiles files(list, *FileRef, RecWork);
  std::vector<TObjLine> lines = LoadObjectLines(files, info, 1);
  CheckObjectLines(files, info, lines, 1);
  return lines.size();
}

// The window from its construction to its first paint, every line checked; then closed.
size_t OpenWindow(const TListInfo& info, double& seconds) {
  double t0 = Now();
  auto w = std::make_unique<TfVbl>(nullptr, info.TypeSub, info.TypeBn, true);
  if (!w->FormShow()) throw std::runtime_error("the list window did not open");
  w->show();
  w->grab();
  seconds = Now() - t0;
  size_t lines = static_cast<size_t>(w->tb->Table().LineCount());
  for (size_t i = 0; i < lines; ++i)
    if ((w->List().StateOf(static_cast<int>(i)) & kAnyState) == 0)
      throw std::runtime_error("the list window left a line unchecked");
  w->close();
  w.reset();
  return lines;
}
} // namespace

TWindowOpenTimes MeasureWindowOpen(int reps) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "ravinel-bench";
  static char* argv[] = {name, nullptr};
  std::unique_ptr<QApplication> app;
  if (!QApplication::instance()) app = std::make_unique<QApplication>(argc, argv);
  Cfg[CfgDocRussian] = 1;
  TListInfo info = ListInfoOf(1, 0);
  TWindowOpenTimes t;
  double s = 0;
  CheckWithoutWindow(info); // warms the code and the page cache
  OpenWindow(info, s);
  for (int r = 0; r < reps; ++r) {
    double t0 = Now();
    t.Lines = CheckWithoutWindow(info);
    t.Check.push_back(Now() - t0);
    if (OpenWindow(info, s) != t.Lines)
      throw std::runtime_error("the list window shows another number of lines");
    t.Window.push_back(s);
  }
  return t;
}
