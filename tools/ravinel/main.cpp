// ravinel: the windowed correction program. The object list window is connected here;
// --help and --version answer on the terminal without opening a window.
#include <cstdio>
#include <cstring>

#include "workflow/Ucorvane.h"
#include "workflow/Uvbl.h"
#include "workflow/Version.h"

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) return PrintVersion("ravinel");
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::printf("usage: ravinel [DIRECTORY]\n       ravinel --help | --version\n\n"
                "Opens the correction of the P145 calculation on the suite in DIRECTORY (or the\n"
                "current directory, else the folder remembered from an earlier start).\n"
                "manual: man ravinel\n");
    return 0;
  }
  return CorvaneMain(argc, argv, OpenObjectList);
}
