// ravinel-cli: command-line access to the record files and the correction.
#include "base/Codec.h"
#include "messages/Msgcat.h"
#include "messages/Zmsg.h"
#include "storage/Sysio.h"
#include "tools/cli/Correction.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

namespace {
void Usage() {
  std::puts("usage: ravinel-cli [-C DIR] [--lang rus|ukr] [--json] COMMAND ...\n"
            "  check LIST                      states of a list (ss, dc, pd, bn0..bn3)\n"
            "  change LIST (NUMBER...|--all)   replace the old P145 calculations\n"
            "  reference FILE                  write the embedded reference file\n"
            "  demo DIR [--projects N] [--blocks N] [--seed S]   create a demo suite");
}
} // namespace

int main(int argc, char** argv) {
  InstallMsgCatalogue();
  TCliOptions o;
  int i = 1;
  for (; i < argc && argv[i][0] == '-'; ++i) {
    std::string a = argv[i];
    if (a == "--help") {
      Usage();
      return 0;
    } else if (a == "--json") {
      o.Json = true;
    } else if (a == "--lang" && i + 1 < argc) {
      std::string l = argv[++i];
      if (l != "rus" && l != "ukr") {
        std::fprintf(stderr, "ravinel-cli: --lang rus|ukr\n");
        return 2;
      }
      o.Russian = l == "rus";
    } else if (a == "-C" && i + 1 < argc) {
      if (chdir(argv[++i]) != 0) {
        std::perror(argv[i]);
        return 1;
      }
    } else {
      std::fprintf(stderr, "ravinel-cli: unknown option %s\n", a.c_str());
      return 2;
    }
  }
  if (i >= argc) {
    Usage();
    return 2;
  }
  std::string cmd = argv[i++];
  std::vector<std::string> args(argv + i, argv + argc);
  try {
    bool handled = false;
    int rc = RunCorrectionCommand(cmd, o, args, handled);
    if (handled) return rc;
    std::fprintf(stderr, "ravinel-cli: unknown command %s\n", cmd.c_str());
    return 2;
  } catch (const ZError& e) {
    std::fprintf(stderr, "ravinel-cli: %s\n", Utf8FromCp1251(creat_msg(e.Text, e.Number)).c_str());
    return 1;
  }
}
