// The measurements of ravinel-bench: the large suite it generates, the operations it times and
// the baselines it times them against.
#pragma once
#include <string>
#include <vector>

struct TBenchOptions {
  int Projects = 5000;      // projects of the generated suite
  int Changes = 1000;       // replaceable projects changed per repetition
  int ListRecords = 100000; // records of the large list (0: not measured)
  int Reps = 5;             // repetitions of the check, the read-all baseline and the list
  int ChangeReps = 4;       // repetitions of the change and the safe-copy baseline
  int FileKb = 64;          // size of each project file
  int Calcs = 30;           // calculations in each project's group 109
  std::string Dir;          // where the suite is generated (default ./ravinel-bench-suite)
  bool Keep = false;        // keep the suite afterwards
  bool Cold = false;        // also measure the check on a cold page cache
};

// Generates the suite, measures, prints the table and the closing lines; returns the exit code.
int RunBench(const TBenchOptions& options);

// Keys of the table control on a list of `lines` lines: the closing ratio and marking time.
void PrintTableKeysBench(int lines, int reps);

// The list window opening the generated list offscreen against the check of that list without
// windows, alternately `reps` times (built with the windows only).
struct TWindowOpenTimes {
  std::vector<double> Window, Check;
  size_t Lines = 0;
};
TWindowOpenTimes MeasureWindowOpen(int reps);

// The table control on the large list of `records` lines: opening it (against LoadObjectLines),
// a page repaint at its start and near its end, and the index's heap bytes per line. Prints its
// detail lines at once; PrintTableFigures prints the closing lines.
struct TListInfo;
class TObjectFiles;
struct TTableFigures {
  double OpenSeconds = 0; // scaled to 100,000 lines; 0: not measured
  double OpenRatio = 0;   // against LoadObjectLines
  double PageRatio = 0;   // end / start
  double IndexBytes = 0;
};
// files: the reference file and the scratch record of the baseline.
TTableFigures MeasureTableList(TObjectFiles& files, const TListInfo& info, int records, int reps);
void PrintTableFigures(const TTableFigures& f);
