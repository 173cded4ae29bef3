// ravinel: the windowed correction program. The object list window is connected here.
#include "workflow/Ucorvane.h"
#include "workflow/Uvbl.h"

int main(int argc, char** argv) {
  return CorvaneMain(argc, argv, OpenObjectList);
}
