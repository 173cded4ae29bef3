// ravinel-cli: command-line access to the record files and the correction.
#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
  if (argc < 2 || std::strcmp(argv[1], "--help") == 0) {
    std::puts("usage: ravinel-cli [-C DIR] [--json] COMMAND ...");
    return argc < 2 ? 2 : 0;
  }
  return 2;
}
