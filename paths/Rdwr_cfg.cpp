// The configuration record held for the whole run.
#include "paths/Rdwr_cfg.h"

#include <cstring>

#include "storage/Dsfile.h"

std::array<unsigned char, CfgSize> Cfg{};

void ReadCfg(const std::string& dir) {
  SFile file(dir.empty() ? "CFG#cfg.zev" : dir + "cfg.zev", fmRead);
  char buffer[CfgSize];
  int n = file.SRead(buffer, static_cast<int>(CfgSize));
  std::memcpy(Cfg.data(), buffer, static_cast<size_t>(n));
}
