// ravinel-bench: measures the check and the change of a large generated suite, and the reading
// of a large list, each against a baseline measured in the same run on the same files.
#include "tools/bench/Bench.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "base/Codec.h"
#include "messages/Zmsg.h"
#include "workflow/Readahead.h"

namespace {

void Usage() {
  std::fprintf(stderr,
               "usage: ravinel-bench [--quick] [--cold] [--dir DIR] [--keep] [--projects N] "
               "[--changes N] [--list N] [--reps N] [--change-reps N] [--kb N] [--calcs N]\n"
               "               [--read-ahead N]\n");
}

bool ParseArgs(int argc, char** argv, TBenchOptions& o) {
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--quick") {
      o.Projects = 400;
      o.Changes = 60;
      o.Reps = 3;
      o.ChangeReps = 4;
      continue;
    }
    if (a == "--keep") {
      o.Keep = true;
      continue;
    }
    if (a == "--cold") {
      o.Cold = true;
      continue;
    }
    if (i + 1 >= argc) return false;
    std::string v = argv[++i];
    if (a == "--dir") {
      o.Dir = v;
      continue;
    }
    char* end = nullptr;
    long n = std::strtol(v.c_str(), &end, 10);
    if (v.empty() || *end || n < 0 || n > 10000000) return false;
    int iv = static_cast<int>(n);
    if (a == "--projects")
      o.Projects = iv;
    else if (a == "--changes")
      o.Changes = iv;
    else if (a == "--list")
      o.ListRecords = iv;
    else if (a == "--reps")
      o.Reps = iv > 0 ? iv : 1;
    else if (a == "--change-reps")
      o.ChangeReps = iv > 0 ? iv : 1;
    else if (a == "--kb")
      o.FileKb = iv > 1 ? iv : 2;
    else if (a == "--read-ahead")
      SetReadAheadWorkers(iv);
    else if (a == "--calcs")
      o.Calcs = iv > 0 ? iv : 1;
    else
      return false;
  }
  return true;
}

} // namespace

int main(int argc, char** argv) {
  TBenchOptions o;
  if (!ParseArgs(argc, argv, o)) {
    Usage();
    return 2;
  }
  try {
    return RunBench(o);
  } catch (const ZError& e) {
    std::fprintf(stderr, "ravinel-bench: %s\n",
                 Utf8FromCp1251(creat_msg(e.Message, e.Number)).c_str());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "ravinel-bench: %s\n", e.what());
  }
  return 1;
}
